#pragma once
// The settings file: a text file of "[section]" lines and "key=value" lines.
// Section and key names are compared without regard to case; the first of two
// equal sections or keys is the one that counts. Every read looks at the file
// as it is now, and every write reaches the file at once, replacing it
// atomically (a temporary file beside it, renamed over it), so that an
// interrupted or refused write leaves the old file whole. Writing one key keeps
// everything else in the file as it was: other sections, unknown keys,
// comments, blank lines and their order.

#include <stdexcept>
#include <string>

namespace brisklet::settings {

// A refused write: "Unable to write to <path>".
class SettingsWriteError : public std::runtime_error {
public:
    explicit SettingsWriteError(const std::string& path);
};

class ProfileFile {
public:
    // The program's settings file, opened by its bare name.
    static constexpr const char* programFileName = "Brisklet.ini";
    // A temporary file left behind by an interrupted write is named
    // <settings file name> + tempSuffix + six random characters.
    static constexpr const char* tempSuffix = ".brisklet-tmp-";
    // Text values are read up to this many bytes (cut before a partial UTF-8 character).
    static constexpr size_t maxTextLength = 2047;

    // A bare name (no folder) lives in the user's configuration folder; a path
    // with a folder is used as given.
    explicit ProfileFile(const std::string& fileName = programFileName);

    const std::string& path() const { return m_path; }

    // An absent key, an empty value or text that is not a 32-bit integer gives
    // `defaultValue`. "0x"/"0X" followed by hexadecimal digits is read as hexadecimal.
    int readInteger(const std::string& section, const std::string& key, int defaultValue) const;
    // Read as an integer whose default is 1 or 0; any non-zero value is true.
    bool readBoolean(const std::string& section, const std::string& key, bool defaultValue) const;
    // At most maxTextLength bytes; one pair of enclosing quotes is removed.
    std::string readText(const std::string& section, const std::string& key,
                         const std::string& defaultValue) const;

    // Each throws SettingsWriteError when the file cannot be replaced; the file
    // is then unchanged.
    void writeInteger(const std::string& section, const std::string& key, int value);
    void writeBoolean(const std::string& section, const std::string& key, bool value);
    void writeText(const std::string& section, const std::string& key, const std::string& value);

private:
    std::string m_path;
    bool m_inConfigFolder = false;
};

// Integer text as the reader takes it; false when it is not a valid 32-bit integer.
bool parseProfileInteger(const std::string& text, int* value);

} // namespace brisklet::settings
