#include "audio/lame_setup.h"

#include <array>
#include <cstdarg>

namespace brisklet::audio {

namespace {

// The presets 1-11 (Phone ... R3Mix). The first six are CBR at a reduced rate
// with a band limit suited to the source; Tape to Studio are CBR at the
// configured rate with LAME's own filters; R3Mix is LAME's R3MIX VBR preset.
//
// | # | preset | bitrate     | sample rate | channels     | low-pass  |
// |---|--------|-------------|-------------|--------------|-----------|
// | 1 | Phone  | 16 kbps CBR | 8000 Hz     | mono         | 3700 Hz   |
// | 2 | SW     | 24 kbps CBR | 11025 Hz    | mono         | 4800 Hz   |
// | 3 | AM     | 40 kbps CBR | 16000 Hz    | mono         | 7200 Hz   |
// | 4 | FM     | 112 kbps CBR| 22050 Hz    | joint stereo | 10000 Hz  |
// | 5 | Voice  | 56 kbps CBR | 32000 Hz    | mono         | 12000 Hz  |
// | 6 | Radio  | 112 kbps CBR| 32000 Hz    | joint stereo | 15000 Hz  |
// | 7 | Tape   | 128 kbps CBR| configured  | joint stereo | LAME's    |
// | 8 | HiFi   | 160 kbps CBR| configured  | joint stereo | LAME's    |
// | 9 | CD     | 192 kbps CBR| configured  | stereo       | LAME's    |
// |10 | Studio | 256 kbps CBR| configured  | stereo       | LAME's    |
// |11 | R3Mix  | LAME R3MIX (VBR) | configured | joint stereo | LAME's |
struct Preset {
    int bitrate;    // CBR kbps; 0 for a LAME preset
    int sampleRate; // 0: the configured rate
    bool mono;
    MPEG_mode mode;
    int lowpass; // Hz; 0: LAME chooses
    int lamePreset;
};

constexpr std::array<Preset, 11> Presets{{
    {16, 8000, true, MONO, 3700, 0},
    {24, 11025, true, MONO, 4800, 0},
    {40, 16000, true, MONO, 7200, 0},
    {112, 22050, false, JOINT_STEREO, 10000, 0},
    {56, 32000, true, MONO, 12000, 0},
    {112, 32000, false, JOINT_STEREO, 15000, 0},
    {128, 0, false, JOINT_STEREO, 0, 0},
    {160, 0, false, JOINT_STEREO, 0, 0},
    {192, 0, false, STEREO, 0, 0},
    {256, 0, false, STEREO, 0, 0},
    {0, 0, false, JOINT_STEREO, 0, R3MIX},
}};

// Alt-presets 1-5: Fast Standard, Standard, Fast Extreme, Extreme, Insane.
constexpr std::array<int, 5> AltPresets{STANDARD_FAST, STANDARD, EXTREME_FAST, EXTREME, INSANE};

constexpr std::array<int, 9> MpegRates{8000,  11025, 12000, 16000, 22050,
                                       24000, 32000, 44100, 48000};

const Preset* presetFor(int number)
{
    return number >= 1 && number <= static_cast<int>(Presets.size()) ? &Presets[number - 1]
                                                                     : nullptr;
}

bool on(int value)
{
    return value != 0; // the settings pass -1 for true
}

void silent(const char*, va_list)
{
}

void setFilters(lame_global_flags* lame, int lowpass, int lowpassWidth, int highpass,
                int highpassWidth)
{
    lame_set_lowpassfreq(lame, lowpass);
    if (lowpass > 0 && lowpassWidth >= 0)
        lame_set_lowpasswidth(lame, lowpassWidth);
    lame_set_highpassfreq(lame, highpass);
    if (highpass > 0 && highpassWidth >= 0)
        lame_set_highpasswidth(lame, highpassWidth);
}

void applyDetailed(lame_global_flags* lame, const LameSettings& s, int channels)
{
    // Methods -1..3: CBR, LAME's default, old (rh), new (mtrh), mtrh.
    static constexpr vbr_mode Methods[] = {vbr_off, vbr_default, vbr_rh, vbr_mtrh, vbr_mtrh};
    int method = s.vbrMethod >= -1 && s.vbrMethod <= 3 ? s.vbrMethod : -1;
    lame_set_VBR(lame, Methods[method + 1]);
    if (method < 0) {
        lame_set_brate(lame, s.bitrate);
    } else {
        // The VBR bitrate is the floor VBR may not go below (strictly so with
        // "enforce minimum bitrate").
        lame_set_VBR_q(lame, s.vbrQuality);
        lame_set_VBR_min_bitrate_kbps(lame, s.vbrBitrate);
        lame_set_VBR_hard_min(lame, on(s.enforceMinBitrate));
    }
    if (channels == 2) {
        switch (s.channelMode) {
        case 1:
            lame_set_mode(lame, STEREO);
            break;
        case 3:
            lame_set_mode(lame, JOINT_STEREO);
            lame_set_force_ms(lame, 1);
            break;
        case 4:
            lame_set_mode(lame, DUAL_CHANNEL);
            break;
        default:
            lame_set_mode(lame, JOINT_STEREO);
            break;
        }
    }
    lame_set_quality(lame, s.quality);
    lame_set_bWriteVbrTag(lame, on(s.writeVbrHeader));
    lame_set_disable_reservoir(lame, !on(s.bitReservoir));
    // LAME keeps one short-block setting (none, the same in both channels, or
    // free to differ) that both setters write, so only one of them is called.
    if (on(s.shortBlocks))
        lame_set_allow_diff_short(lame, on(s.allowDiffBlockTypes));
    else
        lame_set_no_short_blocks(lame, 1);
    // De-emphasis 0-2: none, 50/15 us, CCITT J.17 (MPEG emphasis codes 0, 1, 3).
    lame_set_emphasis(lame, s.deEmphasis == 1 ? 1 : s.deEmphasis == 2 ? 3 : 0);
    lame_set_strict_ISO(lame, on(s.strictIso));
    // ATH modes 0-3: LAME's default, ATH only, no ATH, ATH for short blocks only.
    lame_set_ATHonly(lame, s.athMode == 1);
    lame_set_noATH(lame, s.athMode == 2);
    lame_set_ATHshort(lame, s.athMode == 3);
    setFilters(lame, s.lowpassFrequency < 0 ? -1 : s.lowpassFrequency, s.lowpassWidth,
               s.highpassFrequency < 0 ? -1 : s.highpassFrequency, s.highpassWidth);
    lame_set_error_protection(lame, on(s.crc));
}

// A preset replaces what the detailed settings chose for bitrate, VBR and filters.
void applyPresets(lame_global_flags* lame, const LameSettings& s, int channels)
{
    if (const Preset* preset = presetFor(s.preset)) {
        lame_set_VBR_min_bitrate_kbps(lame, 0);
        lame_set_VBR_hard_min(lame, 0);
        setFilters(lame, preset->lowpass, -1, 0, -1);
        if (channels == 2)
            lame_set_mode(lame, preset->mode);
        if (preset->lamePreset) {
            lame_set_VBR(lame, vbr_mtrh); // LAME's VBR presets need a VBR mode first
            lame_set_preset(lame, preset->lamePreset);
        } else {
            lame_set_VBR(lame, vbr_off);
            lame_set_brate(lame, preset->bitrate);
        }
    }
    if (s.altPreset >= 1 && s.altPreset <= static_cast<int>(AltPresets.size())) {
        lame_set_VBR_min_bitrate_kbps(lame, 0);
        lame_set_VBR_hard_min(lame, 0);
        setFilters(lame, 0, -1, 0, -1);
        lame_set_VBR(lame, vbr_mtrh);
        lame_set_preset(lame, AltPresets[static_cast<size_t>(s.altPreset - 1)]);
    }
}

template <typename T, typename Setter>
void setIf(lame_global_flags* lame, const std::optional<T>& value, Setter setter)
{
    if (value)
        setter(lame, static_cast<int>(*value));
}

void applyCommandLine(lame_global_flags* lame, const LameCommandLine& o, int channels)
{
    if (o.preset) {
        if (lame_get_VBR(lame) == vbr_off)
            lame_set_VBR(lame, vbr_mtrh);
        lame_set_preset(lame, *o.preset);
    }
    if (o.vbr) {
        static constexpr vbr_mode Modes[] = {vbr_off, vbr_default, vbr_rh, vbr_mtrh, vbr_abr};
        lame_set_VBR(lame, Modes[static_cast<int>(*o.vbr)]);
    }
    setIf(lame, o.abrBitrate, lame_set_VBR_mean_bitrate_kbps);
    if (o.bitrate) {
        lame_set_brate(lame, *o.bitrate);
        lame_set_VBR_min_bitrate_kbps(lame, *o.bitrate);
    }
    setIf(lame, o.maxBitrate, lame_set_VBR_max_bitrate_kbps);
    setIf(lame, o.vbrQuality, lame_set_VBR_q);
    setIf(lame, o.quality, lame_set_quality);
    if (o.mode && channels == 2) {
        switch (*o.mode) {
        case 's':
            lame_set_mode(lame, STEREO);
            break;
        case 'f':
            lame_set_mode(lame, JOINT_STEREO);
            lame_set_force_ms(lame, 1);
            break;
        case 'd':
            lame_set_mode(lame, DUAL_CHANNEL);
            break;
        default:
            lame_set_mode(lame, JOINT_STEREO);
            break;
        }
    }
    setIf(lame, o.lowpassHz, lame_set_lowpassfreq);
    setIf(lame, o.highpassHz, lame_set_highpassfreq);
    setIf(lame, o.lowpassWidthHz, lame_set_lowpasswidth);
    setIf(lame, o.highpassWidthHz, lame_set_highpasswidth);
    setIf(lame, o.emphasis, lame_set_emphasis);
    if (o.shortBlocks) {
        lame_set_no_short_blocks(lame, *o.shortBlocks == LameCommandLine::ShortBlocks::None);
        lame_set_force_short_blocks(lame, *o.shortBlocks == LameCommandLine::ShortBlocks::All);
    }
    // The same setting again: differing block types only where short blocks are
    // used as LAME decides.
    if (o.allowDiffShort &&
        (!o.shortBlocks || *o.shortBlocks == LameCommandLine::ShortBlocks::Normal))
        lame_set_allow_diff_short(lame, *o.allowDiffShort);
    setIf(lame, o.crc, lame_set_error_protection);
    setIf(lame, o.strictIso, lame_set_strict_ISO);
    if (o.reservoir)
        lame_set_disable_reservoir(lame, !*o.reservoir);
    setIf(lame, o.writeVbrTag, lame_set_bWriteVbrTag);
    setIf(lame, o.replayGain, lame_set_findReplayGain);
    setIf(lame, o.copyright, lame_set_copyright);
    setIf(lame, o.original, lame_set_original);
    setIf(lame, o.hardMinimum, lame_set_VBR_hard_min);
    setIf(lame, o.athOnly, lame_set_ATHonly);
    setIf(lame, o.noAth, lame_set_noATH);
    setIf(lame, o.athShort, lame_set_ATHshort);
}

int nearestLowerMpegRate(int hz)
{
    int best = MpegRates.front();
    for (int rate : MpegRates) {
        if (rate <= hz)
            best = rate;
    }
    return best;
}

} // namespace

std::mutex& lameSetupMutex()
{
    static std::mutex mutex;
    return mutex;
}

bool isMpegSampleRate(int hz)
{
    for (int rate : MpegRates) {
        if (rate == hz)
            return true;
    }
    return false;
}

LameStreamFormat lameStreamFormat(const LameSettings& settings, const LameCommandLine& options,
                                  int inputRate, int /*inputChannels*/)
{
    LameStreamFormat format;
    const Preset* preset = presetFor(settings.preset);
    format.channels = settings.channelCount == 1 || (preset && preset->mono) ? 1 : 2;
    if (options.mode)
        format.channels = *options.mode == 'm' ? 1 : 2;
    if (options.resampleHz && *options.resampleHz > 0)
        format.sampleRate = *options.resampleHz;
    else if (preset && preset->sampleRate)
        format.sampleRate = preset->sampleRate;
    else if (settings.sampleRate > 0)
        format.sampleRate = settings.sampleRate;
    else
        format.sampleRate = nearestLowerMpegRate(inputRate);
    return format;
}

void applyLameSettings(lame_global_flags* lame, const LameSettings& settings,
                       const LameCommandLine& options, const LameStreamFormat& format)
{
    lame_set_errorf(lame, silent);
    lame_set_debugf(lame, silent);
    lame_set_msgf(lame, silent);
    lame_set_in_samplerate(lame, format.sampleRate);
    lame_set_out_samplerate(lame, format.sampleRate);
    lame_set_num_channels(lame, format.channels);
    if (format.channels == 1)
        lame_set_mode(lame, MONO);
    applyDetailed(lame, settings, format.channels);
    applyPresets(lame, settings, format.channels);
    applyCommandLine(lame, options, format.channels);
}

} // namespace brisklet::audio
