#pragma once
// Text helpers for the tag formats: the program's text is UTF-8, the files
// hold ISO-8859-1, UTF-16 or UTF-8.

#include <optional>
#include <string>
#include <string_view>

namespace brisklet::tags {

// Removes every leading and trailing byte of code 32 or below (blanks, control
// characters, zero bytes). UTF-8 sequences are never touched: their bytes are
// all above 127.
std::string trimControl(std::string_view text);

// The longest prefix of at most maxBytes bytes that does not split a UTF-8
// character.
std::string cutUtf8(std::string_view text, size_t maxBytes);

// Valid UTF-8; bytes that are not are replaced by U+FFFD.
std::string sanitizeUtf8(std::string_view bytes);

std::string latin1ToUtf8(std::string_view latin1);
// The ISO-8859-1 bytes of the text, or nothing when a character lies beyond it.
std::optional<std::string> utf8ToLatin1(std::string_view text);

// Decodes UTF-16 code units (an odd last byte is dropped, unpaired surrogates
// become U+FFFD).
std::string utf16ToUtf8(std::string_view bytes, bool bigEndian);
std::string utf8ToUtf16Le(std::string_view text);

// Removes the characters * ? | : " / \ < > that a title must not carry into a
// file name.
std::string cleanTitle(std::string_view title);

} // namespace brisklet::tags
