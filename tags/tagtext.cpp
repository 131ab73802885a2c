#include "tags/tagtext.h"

#include <QString>
#include <QStringDecoder>

namespace brisklet::tags {

namespace {
bool isBlankOrControl(char c)
{
    return static_cast<unsigned char>(c) <= 32;
}
bool isContinuationByte(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}
// UTF-8 as text, invalid bytes as U+FFFD. Not QString::fromUtf8, which drops a
// leading U+FEFF as if it were a byte order mark: in a tag it is text.
QString decodeUtf8(std::string_view bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                     QStringDecoder::Flag::ConvertInitialBom);
    return decoder(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

std::string toStd(const QString& text)
{
    return text.toUtf8().toStdString();
}
} // namespace

std::string trimControl(std::string_view text)
{
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && isBlankOrControl(text[begin]))
        ++begin;
    while (end > begin && isBlankOrControl(text[end - 1]))
        --end;
    return std::string(text.substr(begin, end - begin));
}

std::string cutUtf8(std::string_view text, size_t maxBytes)
{
    if (text.size() <= maxBytes)
        return std::string(text);
    size_t cut = maxBytes;
    while (cut > 0 && isContinuationByte(text[cut]))
        --cut;
    return std::string(text.substr(0, cut));
}

std::string sanitizeUtf8(std::string_view bytes)
{
    return toStd(decodeUtf8(bytes));
}

std::string latin1ToUtf8(std::string_view latin1)
{
    return toStd(QString::fromLatin1(latin1.data(), static_cast<qsizetype>(latin1.size())));
}

std::optional<std::string> utf8ToLatin1(std::string_view text)
{
    const QString decoded = decodeUtf8(text);
    for (QChar c : decoded) {
        if (c.unicode() > 0xFF)
            return std::nullopt;
    }
    return decoded.toLatin1().toStdString();
}

std::string utf16ToUtf8(std::string_view bytes, bool bigEndian)
{
    std::u16string units;
    units.reserve(bytes.size() / 2);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        units.push_back(
            static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first));
    }
    for (size_t i = 0; i < units.size(); ++i) {
        const bool high = units[i] >= 0xD800 && units[i] < 0xDC00;
        if (high && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] < 0xE000)
            ++i; // a whole pair
        else if (units[i] >= 0xD800 && units[i] < 0xE000)
            units[i] = 0xFFFD;
    }
    // Not QString::fromUtf16: it would take a leading U+FEFF or U+FFFE of the
    // text for a byte order mark (the caller has removed the real one) and
    // drop it or swap the bytes of everything after it.
    return toStd(QString(reinterpret_cast<const QChar*>(units.data()),
                         static_cast<qsizetype>(units.size())));
}

std::string utf8ToUtf16Le(std::string_view text)
{
    const QString decoded = decodeUtf8(text);
    std::string bytes;
    bytes.reserve(static_cast<size_t>(decoded.size()) * 2);
    for (QChar c : decoded) {
        bytes.push_back(static_cast<char>(c.unicode() & 0xFF));
        bytes.push_back(static_cast<char>(c.unicode() >> 8));
    }
    return bytes;
}

std::string cleanTitle(std::string_view title)
{
    std::string result;
    result.reserve(title.size());
    for (char c : title) {
        if (std::string_view("*?|:\"/\\<>").find(c) == std::string_view::npos)
            result.push_back(c);
    }
    return result;
}

} // namespace brisklet::tags
