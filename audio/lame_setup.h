#pragma once
// Internal: turns the MP3 encoder settings into LAME calls. The detailed
// settings go first, then the preset and alt-preset (which override bitrate,
// VBR mode and filters), then the extra command-line options, so that what the
// user typed last wins.

#include "audio/lame_command_line.h"
#include "audio/lameencoder.h"

#include <lame/lame.h>
#include <mutex>

namespace brisklet::audio {

struct LameStreamFormat {
    int sampleRate = 44100;
    int channels = 2;
};

// The rate and channel count of the MP3; LAME is fed exactly that (in and out
// rates equal), so it never resamples on its own. An input rate MPEG audio
// cannot carry becomes the nearest lower one (96000 -> 48000).
LameStreamFormat lameStreamFormat(const LameSettings& settings, const LameCommandLine& options,
                                  int inputRate, int inputChannels);

// LAME fills tables that all its encoders share the first time one is set up;
// encoders set up on several threads at once take turns through this lock.
std::mutex& lameSetupMutex();

// One of the nine sample rates of MPEG-1, -2 and -2.5 Layer III.
bool isMpegSampleRate(int hz);

void applyLameSettings(lame_global_flags* lame, const LameSettings& settings,
                       const LameCommandLine& options, const LameStreamFormat& format);

} // namespace brisklet::audio
