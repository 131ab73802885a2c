#include "audio/lame_command_line.h"

#include <charconv>
#include <lame/lame.h>
#include <vector>

namespace brisklet::audio {

namespace {

// Splits on blanks; double quotes group words.
std::vector<std::string> tokens(const std::string& text)
{
    std::vector<std::string> out;
    std::string current;
    bool quoted = false;
    bool any = false;
    for (char c : text) {
        if (c == '"') {
            quoted = !quoted;
            any = true;
        } else if (!quoted && (c == ' ' || c == '\t' || c == '\r' || c == '\n')) {
            if (any)
                out.push_back(current);
            current.clear();
            any = false;
        } else {
            current += c;
            any = true;
        }
    }
    if (any)
        out.push_back(current);
    return out;
}

std::optional<double> number(const std::string& text)
{
    double value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::optional<int> integer(const std::string& text)
{
    std::optional<double> value = number(text);
    if (!value || *value < -1e6 || *value > 1e6)
        return std::nullopt;
    return static_cast<int>(*value >= 0 ? *value + 0.5 : *value - 0.5);
}

// LAME takes frequencies in kHz, or in Hz when the number is large.
std::optional<int> frequency(const std::string& text, double kHzBelow)
{
    std::optional<double> value = number(text);
    if (!value || *value > 1e6)
        return std::nullopt;
    if (*value < 0)
        return -1;
    return static_cast<int>(*value * (*value < kHzBelow ? 1000.0 : 1.0) + 0.5);
}

template <typename Next> std::optional<int> presetValue(std::string name, Next next)
{
    bool fast = name == "fast";
    if (fast)
        name = next();
    if (name == "medium")
        return fast ? MEDIUM_FAST : MEDIUM;
    if (name == "standard")
        return fast ? STANDARD_FAST : STANDARD;
    if (name == "extreme")
        return fast ? EXTREME_FAST : EXTREME;
    if (name == "insane")
        return INSANE;
    if (name == "r3mix")
        return R3MIX;
    std::optional<int> kbps = integer(name);
    if (kbps && *kbps >= 8 && *kbps <= 320)
        return *kbps; // LAME treats these as ABR at that bitrate
    return std::nullopt;
}

// "--preset [fast] name", "--preset kbps" (ABR) or "--preset cbr kbps".
void preset(LameCommandLine& o, const std::vector<std::string>& args, size_t& i)
{
    auto next = [&]() -> std::string { return i + 1 < args.size() ? args[++i] : std::string(); };
    std::string name = next();
    if (name == "cbr") {
        std::optional<int> kbps = integer(next());
        if (kbps) {
            o.vbr = LameCommandLine::Vbr::Off;
            o.bitrate = *kbps;
        }
        return;
    }
    o.preset = presetValue(name, next);
}

// One "--name [value]" switch; i moves past a value it uses.
void longSwitch(LameCommandLine& o, const std::string& name, const std::vector<std::string>& args,
                size_t& i)
{
    auto value = [&]() -> std::string { return i + 1 < args.size() ? args[++i] : std::string(); };
    using Vbr = LameCommandLine::Vbr;
    using Short = LameCommandLine::ShortBlocks;
    if (name == "abr") {
        o.abrBitrate = integer(value());
        if (o.abrBitrate)
            o.vbr = Vbr::Abr;
    } else if (name == "preset") {
        preset(o, args, i);
    } else if (name == "cbr") {
        o.vbr = Vbr::Off;
    } else if (name == "vbr-old") {
        o.vbr = Vbr::Old;
    } else if (name == "vbr-new" || name == "vbr-mtrh") {
        o.vbr = Vbr::New;
    } else if (name == "resample") {
        o.resampleHz = frequency(value(), 1000);
    } else if (name == "lowpass") {
        o.lowpassHz = frequency(value(), 50);
    } else if (name == "highpass") {
        o.highpassHz = frequency(value(), 50);
    } else if (name == "lowpass-width") {
        o.lowpassWidthHz = frequency(value(), 50);
    } else if (name == "highpass-width") {
        o.highpassWidthHz = frequency(value(), 50);
    } else if (name == "strictly-enforce-ISO") {
        o.strictIso = true;
    } else if (name == "nores") {
        o.reservoir = false;
    } else if (name == "noshort") {
        o.shortBlocks = Short::None;
    } else if (name == "short") {
        o.shortBlocks = Short::Normal;
    } else if (name == "allshort") {
        o.shortBlocks = Short::All;
    } else if (name == "noreplaygain") {
        o.replayGain = false;
    } else if (name == "replaygain-fast" || name == "replaygain-accurate") {
        o.replayGain = true;
    } else if (name == "athonly") {
        o.athOnly = true;
    } else if (name == "noath") {
        o.noAth = true;
    } else if (name == "athshort") {
        o.athShort = true;
    } else if (name == "allow-diff-short") {
        o.allowDiffShort = true;
    } else if (name == "nohist" || name == "silent" || name == "quiet" || name == "nogap") {
        // front-end display options: nothing to do in the library
    }
}

// One short switch letter; `rest` is what follows it in the same word.
// Returns true when the letter consumed the rest of the word (or the next word).
bool shortSwitch(LameCommandLine& o, char letter, const std::string& rest,
                 const std::vector<std::string>& args, size_t& i)
{
    auto value = [&]() -> std::string {
        if (!rest.empty())
            return rest;
        return i + 1 < args.size() ? args[++i] : std::string();
    };
    using Vbr = LameCommandLine::Vbr;
    switch (letter) {
    case 'b':
        o.bitrate = integer(value());
        return true;
    case 'B':
        o.maxBitrate = integer(value());
        return true;
    case 'V':
        o.vbrQuality = integer(value());
        if (o.vbrQuality && (!o.vbr || *o.vbr == Vbr::Off || *o.vbr == Vbr::Abr))
            o.vbr = Vbr::Default;
        return true;
    case 'q':
        o.quality = integer(value());
        return true;
    case 'm': {
        std::string m = value();
        if (m.size() == 1 && std::string("sjfdm").find(m[0]) != std::string::npos)
            o.mode = m[0];
        return true;
    }
    case 'e': {
        std::string e = value();
        if (e == "n")
            o.emphasis = 0;
        else if (e == "5")
            o.emphasis = 1;
        else if (e == "c")
            o.emphasis = 3;
        return true;
    }
    case 's': // input sample rate: the input is always given to the encoder
        value();
        return true;
    case 'v':
        o.vbr = Vbr::Default;
        break;
    case 'h':
        o.quality = 2;
        break;
    case 'f':
        o.quality = 7;
        break;
    case 'a':
        o.mode = 'm';
        break;
    case 'p':
        o.crc = true;
        break;
    case 't':
        o.writeVbrTag = false;
        break;
    case 'c':
        o.copyright = true;
        break;
    case 'o':
        o.original = false;
        break;
    case 'F':
        o.hardMinimum = true;
        break;
    case 'k': // keep every frequency: no filters
        o.lowpassHz = -1;
        o.highpassHz = -1;
        break;
    case 'd':
        o.allowDiffShort = true;
        break;
    default:
        break;
    }
    return false;
}

} // namespace

LameCommandLine parseLameCommandLine(const std::string& text)
{
    LameCommandLine options;
    std::vector<std::string> args = tokens(text);
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.rfind("--", 0) == 0) {
            longSwitch(options, arg.substr(2), args, i);
        } else if (arg.size() > 1 && arg[0] == '-') {
            // Letters may be combined ("-hp"); one that takes a value ends the word.
            const std::string word = arg;
            for (size_t k = 1; k < word.size(); ++k) {
                if (shortSwitch(options, word[k], word.substr(k + 1), args, i))
                    break;
            }
        }
        // Anything else (file names, stray values) is ignored.
    }
    return options;
}

} // namespace brisklet::audio
