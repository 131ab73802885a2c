#include "settings/settingkeys.h"

#include "settings/profilefile.h"

#include <stdexcept>

namespace brisklet::settings {

int readKey(const ProfileFile& file, const SettingKey& key, Reader reader)
{
    const int fallback = key.defaultFor(reader);
    switch (key.type) {
    case KeyType::Integer:
        return file.readInteger(key.section, key.name, fallback);
    case KeyType::Boolean:
        return file.readBoolean(key.section, key.name, fallback != 0) ? 1 : 0;
    case KeyType::ListIndex: {
        const int position = file.readInteger(key.section, key.name, fallback);
        return choiceList(key.list).contains(position) ? position : fallback;
    }
    case KeyType::Text:
        break;
    }
    throw std::logic_error(std::string("settings key ") + key.name + " is not a number");
}

bool readFlag(const ProfileFile& file, const SettingKey& key, Reader reader)
{
    return readKey(file, key, reader) != 0;
}

int readListValue(const ProfileFile& file, const SettingKey& key, Reader reader)
{
    return choiceList(key.list).value(readKey(file, key, reader));
}

void writeKey(ProfileFile& file, const SettingKey& key, int value)
{
    if (key.type == KeyType::Boolean) {
        file.writeBoolean(key.section, key.name, value != 0);
    } else {
        file.writeInteger(key.section, key.name, value);
    }
}

} // namespace brisklet::settings
