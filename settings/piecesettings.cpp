#include "settings/piecesettings.h"

#include "settings/profilefile.h"

namespace brisklet::settings {

namespace {

int readInRange(const ProfileFile& file, const SettingKey& key, int low, int high)
{
    const int value = readKey(file, key);
    return value >= low && value <= high ? value : key.defaultValue;
}

} // namespace

PieceSettings loadPieceSettings(const ProfileFile& file)
{
    PieceSettings s;
    s.nameTemplate = file.readText(keys::nameTemplate.section, keys::nameTemplate.name, "");
    s.trackNumbers = readFlag(file, keys::trackNumbers);
    s.writeCue = readFlag(file, keys::writeCue);
    s.silenceDb = readInRange(file, keys::silenceDb, -100, -1);
    s.silencePauseMs = readInRange(file, keys::silencePauseMs, 10, 3600 * 1000);
    s.silencePieceMs = readInRange(file, keys::silencePieceMs, 0, 24 * 3600 * 1000);
    s.silenceTrim = readFlag(file, keys::silenceTrim);
    return s;
}

void savePieceSettings(ProfileFile& file, const PieceSettings& s)
{
    file.writeText(keys::nameTemplate.section, keys::nameTemplate.name, s.nameTemplate);
    writeKey(file, keys::trackNumbers, s.trackNumbers);
    writeKey(file, keys::writeCue, s.writeCue);
    writeKey(file, keys::silenceDb, s.silenceDb);
    writeKey(file, keys::silencePauseMs, s.silencePauseMs);
    writeKey(file, keys::silencePieceMs, s.silencePieceMs);
    writeKey(file, keys::silenceTrim, s.silenceTrim);
}

} // namespace brisklet::settings
