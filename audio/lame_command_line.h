#pragma once
// Internal: the extra MP3 encoder options typed by the user, in LAME's own
// switch syntax ("-b 64 -m m --lowpass 12"). What is not understood is skipped.

#include <optional>
#include <string>

namespace brisklet::audio {

struct LameCommandLine {
    enum class Vbr { Off, Default, Old, New, Abr };
    enum class ShortBlocks { None, Normal, All };

    std::optional<int> bitrate;    // -b kbps: CBR bitrate, VBR minimum
    std::optional<int> maxBitrate; // -B kbps: VBR maximum
    std::optional<int> abrBitrate; // --abr kbps
    std::optional<Vbr> vbr;        // --cbr, -v, --vbr-old, --vbr-new, --abr, -V
    std::optional<int> vbrQuality; // -V 0-9
    std::optional<int> quality;    // -q 0-9, -h (2), -f (7)
    std::optional<char> mode;      // -m s/j/f/d/m; -a gives 'm'
    std::optional<int> preset;     // --preset: a LAME preset_mode value
    std::optional<int> resampleHz; // --resample
    std::optional<int> lowpassHz;  // --lowpass (-1: off; -k turns both off)
    std::optional<int> highpassHz; // --highpass (-1: off)
    std::optional<int> lowpassWidthHz;
    std::optional<int> highpassWidthHz;
    std::optional<int> emphasis; // -e n/5/c: MPEG emphasis field 0, 1, 3
    std::optional<ShortBlocks> shortBlocks;
    std::optional<bool> crc;            // -p
    std::optional<bool> strictIso;      // --strictly-enforce-ISO
    std::optional<bool> reservoir;      // --nores
    std::optional<bool> writeVbrTag;    // -t
    std::optional<bool> replayGain;     // --replaygain-fast/-accurate, --noreplaygain
    std::optional<bool> copyright;      // -c
    std::optional<bool> original;       // -o
    std::optional<bool> hardMinimum;    // -F
    std::optional<bool> athOnly;        // --athonly
    std::optional<bool> noAth;          // --noath
    std::optional<bool> athShort;       // --athshort
    std::optional<bool> allowDiffShort; // --allow-diff-short, -d
};

LameCommandLine parseLameCommandLine(const std::string& text);

} // namespace brisklet::audio
