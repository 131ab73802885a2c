#pragma once
// The loops that move sample blocks from a reader to a writer, with the fades
// and the progress of the split and join jobs. Lengths and positions in frames.

#include "audio/audiofile.h"
#include "audio/transform.h"

#include <cstdint>
#include <functional>

namespace brisklet::engine {

// What a running job asks of its surroundings once per chunk.
class JobControl {
public:
    virtual ~JobControl() = default;
    // Lets pending events run; false once the job has been stopped.
    virtual bool keepGoing() = 0;
    // Shows progress q, hundredths of a percent (0-10000).
    virtual void showProgress(int q) = 0;
};

// Fade lengths in frames, of the source for a split and of the output for a
// join; 0 or below means no fade (a source shorter than one second scales its
// fades to -1).
struct Fades {
    bool fadeIn = false;
    int64_t fadeInFrames = 0;
    bool fadeOut = false;
    int64_t fadeOutFrames = 0;

    bool hasFadeIn() const { return fadeIn && fadeInFrames > 0; }
    bool hasFadeOut() const { return fadeOut && fadeOutFrames > 0; }
};

// Copies one split piece: `length` frames from the reader's position (the
// caller has seeked to the piece's start), in chunks of at most a second's
// samples. The fade-in ramps over the first fade-in length, the fade-out from
// the first chunk boundary where at most its length is left to the end;
// neither reaches past the piece. Returns the frames written: `length` unless
// the source ended early or the job stopped.
int64_t copyPiece(audio::IAudioFile2& reader, audio::IAudioFile2& writer,
                  audio::IAudioTransform2& transform, int64_t length, const Fades& fades,
                  JobControl& control);

// Frames at `toRate` that `frames` frames at `fromRate` stand for, rounded to
// nearest with halves to even; unchanged when either rate is unknown.
int64_t framesAtRate(int64_t frames, int fromRate, int toRate);

// Progress of a join over all its sources, in frames of the output: a fade is
// as long in seconds whatever the rate of the source it falls in.
struct JoinProgress {
    int64_t total = 0;
    int64_t done = 0;
    // Frames that were left when the fade-out began (0 before that): the fade
    // runs from full level there to silence at the end of the output.
    int64_t fadeOutSpan = 0;
    // Frames the fade-in covers from the start of the output, fixed at its
    // first block (0 before that, or without a fade-in).
    int64_t fadeInSpan = 0;
};

// One stretch of a source that a join takes: `sourceFrames` frames of the
// source from the reader's position, or all up to the source's end when
// negative. The reader delivers blocks at `outputRate` (its block format) while
// the source runs at `sourceRate`.
struct JoinStretch {
    int64_t sourceFrames = -1;
    int sourceRate = 0;
    int outputRate = 0;
    // For a whole source, the frames it is known to hold (-1: unknown); a
    // fade-in that begins in it ends at its end at the latest.
    int64_t knownFrames = -1;
};

// Where a join's blocks go: to the encoding thread.
using BlockSink = std::function<void(audio::SampleBlock block)>;

// Copies one stretch into the join's output. The fade-in covers the first
// chunk of the whole output; the fade-out the end of the whole output, read in
// chunks of the usual size. Returns the frames written, at the output's rate.
int64_t copyJoinStretch(audio::IAudioFile2& reader, const BlockSink& write,
                        audio::IAudioTransform2& transform, const JoinStretch& stretch,
                        const Fades& fades, JoinProgress& progress, JobControl& control);

} // namespace brisklet::engine
