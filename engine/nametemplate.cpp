#include "engine/nametemplate.h"

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

namespace brisklet::engine {

namespace {

enum class Field { Text, Name, Number, Count, Title, Artist, Album, Start, Free };

constexpr std::array<std::pair<const char*, Field>, 8> kFields = {{{"name", Field::Name},
                                                                   {"n", Field::Number},
                                                                   {"count", Field::Count},
                                                                   {"title", Field::Title},
                                                                   {"artist", Field::Artist},
                                                                   {"album", Field::Album},
                                                                   {"start", Field::Start},
                                                                   {"free", Field::Free}}};

struct Token {
    Field field = Field::Text;
    std::string text; // literal text, or a text field's cleaned value
    int width = 0;    // numbers: at least this many digits
};

bool isNumberField(Field field)
{
    return field == Field::Number || field == Field::Count || field == Field::Free;
}

// The template as tokens, or the reason it cannot be used.
std::optional<std::vector<Token>> parse(const std::string& nameTemplate, std::string* reason)
{
    std::vector<Token> tokens;
    auto fail = [&](const std::string& why) {
        if (reason)
            *reason = why;
        return std::nullopt;
    };
    std::string literal;
    for (size_t i = 0; i < nameTemplate.size(); ++i) {
        const char c = nameTemplate[i];
        if ((c == '{' || c == '}') && i + 1 < nameTemplate.size() && nameTemplate[i + 1] == c) {
            literal += c;
            ++i;
            continue;
        }
        if (c == '}')
            return fail("unopened }");
        if (c != '{') {
            literal += c;
            continue;
        }
        const size_t close = nameTemplate.find('}', i);
        if (close == std::string::npos)
            return fail("unclosed {");
        const std::string inside = nameTemplate.substr(i + 1, close - i - 1);
        const size_t colon = inside.find(':');
        const std::string name = inside.substr(0, colon);
        auto known = std::find_if(kFields.begin(), kFields.end(),
                                  [&](const auto& f) { return name == f.first; });
        if (known == kFields.end())
            return fail("unknown field {" + inside + "}");
        Token token;
        token.field = known->second;
        if (colon != std::string::npos) {
            const std::string width = inside.substr(colon + 1);
            if (!isNumberField(token.field) || width.empty() || width.size() > 2 ||
                !std::all_of(width.begin(), width.end(),
                             [](char d) { return d >= '0' && d <= '9'; }))
                return fail("bad width in {" + inside + "}");
            token.width = std::stoi(width);
        }
        if (!literal.empty())
            tokens.push_back({Field::Text, literal, 0});
        literal.clear();
        tokens.push_back(token);
        i = close;
    }
    if (!literal.empty())
        tokens.push_back({Field::Text, literal, 0});
    return tokens;
}

std::string startText(int64_t ms)
{
    const int64_t seconds = std::max<int64_t>(0, ms) / 1000;
    char text[48];
    std::snprintf(text, sizeof text, "%02lld-%02lld-%02lld", static_cast<long long>(seconds / 3600),
                  static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
    std::string out = text;
    if (ms % 1000 > 0) {
        std::snprintf(text, sizeof text, ".%03lld", static_cast<long long>(ms % 1000));
        out += text;
    }
    return out;
}

std::string padded(long long number, int width)
{
    std::string digits = std::to_string(number);
    if (static_cast<int>(digits.size()) < width)
        digits.insert(0, static_cast<size_t>(width) - digits.size(), '0');
    return digits;
}

bool isTextField(Field field)
{
    return !isNumberField(field) && field != Field::Text;
}

} // namespace

std::string checkNameTemplate(const std::string& nameTemplate)
{
    std::string reason;
    return parse(nameTemplate, &reason) ? "" : reason;
}

std::string templatedOutputPath(const std::string& folder, const std::string& nameTemplate,
                                const NameFields& fields, const std::string& extension,
                                const PathExists& exists)
{
    std::vector<Token> tokens =
        parse(nameTemplate, nullptr).value_or(*parse(defaultNameTemplate, nullptr));
    bool hasFree = false;
    for (Token& token : tokens) {
        switch (token.field) {
        case Field::Text:
            token.text = cleanName(token.text);
            break;
        case Field::Name:
            token.text = cleanName(nameBase(fields.displayName));
            if (token.text.empty())
                token.text = "untitled";
            break;
        case Field::Number:
            token.text = padded(fields.number, token.width);
            break;
        case Field::Count:
            token.text = padded(fields.count, token.width);
            break;
        case Field::Title:
            token.text = cleanName(fields.title);
            break;
        case Field::Artist:
            token.text = cleanName(fields.artist);
            break;
        case Field::Album:
            token.text = cleanName(fields.album);
            break;
        case Field::Start:
            token.text = startText(fields.startMs);
            break;
        case Field::Free:
            hasFree = true;
            break;
        }
    }

    for (long long k = 1;; ++k) {
        // Everything but the text fields keeps its length; they give way,
        // the longest first, until the name fits.
        std::string suffix = extension;
        if (!hasFree && k > 1)
            suffix.insert(0, "_" + std::to_string(k));
        size_t fixed = suffix.size();
        for (Token& token : tokens) {
            if (token.field == Field::Free)
                token.text = padded(k, token.width);
            if (!isTextField(token.field))
                fixed += token.text.size();
        }
        std::vector<Token> fitted = tokens;
        for (;;) {
            size_t length = fixed;
            Token* longest = nullptr;
            for (Token& token : fitted) {
                if (isTextField(token.field)) {
                    length += token.text.size();
                    if (!longest || token.text.size() > longest->text.size())
                        longest = &token;
                }
            }
            if (length <= maxOutputNameBytes || !longest || longest->text.empty())
                break;
            longest->text = cutAtCharacter(
                longest->text,
                longest->text.size() - std::min(longest->text.size(), length - maxOutputNameBytes));
        }
        std::string stem;
        for (const Token& token : fitted)
            stem += token.text;
        if (stem.empty())
            stem = "untitled";
        stem =
            cutAtCharacter(stem, maxOutputNameBytes - std::min(maxOutputNameBytes, suffix.size()));
        const std::string name = stem + suffix;
        const std::string path = pathInFolder(folder, name);
        if (name != "." && name != ".." && !exists(path))
            return path;
    }
}

} // namespace brisklet::engine
