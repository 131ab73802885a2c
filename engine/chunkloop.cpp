#include "engine/chunkloop.h"

#include "base/units.h"

#include <algorithm>
#include <cmath>

namespace brisklet::engine {

namespace {

// hundredths of a percent of `part` in `whole`
int progressOf(int64_t part, int64_t whole)
{
    return static_cast<int>(scaled(part, 10000, whole));
}

// Applies the part [from, from + block's frames) of a linear ramp over `span`
// frames, rising from silence or falling to it: the levels one Fade over the
// whole span would give those frames, so that a long fade can be read in
// chunks of the usual size.
void fadeSlice(audio::IAudioTransform2& transform, audio::SampleBlock& block, int64_t from,
               int64_t span, bool rising)
{
    const double last = static_cast<double>(std::max<int64_t>(span - 1, 1));
    const double first = static_cast<double>(from) / last;
    const double end = static_cast<double>(from + block.frameCount() - 1) / last;
    if (rising)
        transform.Fade(block, static_cast<float>(100.0 * first), static_cast<float>(100.0 * end));
    else
        transform.Fade(block, static_cast<float>(100.0 * (1.0 - first)),
                       static_cast<float>(100.0 * (1.0 - end)));
}

} // namespace

int64_t framesAtRate(int64_t frames, int fromRate, int toRate)
{
    if (fromRate == toRate || fromRate <= 0 || toRate <= 0)
        return frames;
    return static_cast<int64_t>(
        std::nearbyint(static_cast<double>(frames) * toRate / static_cast<double>(fromRate)));
}

int64_t copyPiece(audio::IAudioFile2& reader, audio::IAudioFile2& writer,
                  audio::IAudioTransform2& transform, int64_t length, const Fades& fades,
                  JobControl& control)
{
    // One chunk is at most as many frames as a second has samples.
    const int64_t chunk = std::max<int64_t>(1, int64_t{reader.SampleRate()} * reader.Channels());
    // The fade-in covers the piece's first fade-in length (all of a shorter
    // piece); the fade-out starts at the first chunk boundary where at most
    // its length is left and runs to the piece's end. Both are read in chunks.
    const int64_t fadeInEnd = fades.hasFadeIn() ? std::min(fades.fadeInFrames, length) : 0;
    int64_t fadeOutStart = -1;
    int64_t done = 0;
    while (done < length) {
        if (!control.keepGoing())
            break;
        const int64_t remaining = length - done;
        if (fadeOutStart < 0 && fades.hasFadeOut() && fades.fadeOutFrames >= remaining)
            fadeOutStart = done;
        const bool fadeInHere = done < fadeInEnd;
        int64_t ask = std::min(chunk, remaining);
        if (fadeInHere)
            ask = std::min(ask, fadeInEnd - done);

        audio::SampleBlock block = reader.ReadFrames(ask);
        // Count what the block really holds: a short read near the end of a
        // source must not make the piece look longer than it is.
        const int64_t frames = std::min(block.frameCount(), remaining);
        if (frames < 1)
            break;
        if (frames < block.frameCount())
            block.samples().resize(static_cast<size_t>(frames * block.channels()));
        if (fadeInHere)
            fadeSlice(transform, block, done, fadeInEnd, true);
        if (fadeOutStart >= 0)
            fadeSlice(transform, block, done - fadeOutStart, length - fadeOutStart, false);
        done += frames;
        control.showProgress(progressOf(done, length));
        writer.WriteFrames(block);
    }
    return done;
}

int64_t copyJoinStretch(audio::IAudioFile2& reader, const BlockSink& write,
                        audio::IAudioTransform2& transform, const JoinStretch& stretch,
                        const Fades& fades, JoinProgress& progress, JobControl& control)
{
    const int outputRate = stretch.outputRate;
    const auto atOutputRate = [&](int64_t sourceFrames) {
        return framesAtRate(sourceFrames, stretch.sourceRate, outputRate);
    };
    const int64_t chunk = std::max<int64_t>(1, int64_t{outputRate} * reader.Channels());
    const bool bounded = stretch.sourceFrames >= 0;
    // Where the output stands when this stretch is done, if it reads to its end.
    const int64_t known = bounded ? stretch.sourceFrames : stretch.knownFrames;
    const int64_t stretchEnd = known >= 0 ? progress.done + atOutputRate(known) : -1;
    int64_t position = 0; // source frames taken from this stretch
    int64_t written = 0;
    for (;;) {
        if (!control.keepGoing())
            return written;
        if (bounded && position >= stretch.sourceFrames)
            break;
        // Limits in output frames; none for a whole source (its end stops it).
        const int64_t remaining =
            bounded ? atOutputRate(stretch.sourceFrames - position) : INT64_MAX;
        const int64_t left = progress.total - progress.done;
        if (fades.hasFadeIn() && progress.done == 0 && progress.fadeInSpan == 0) {
            int64_t span = fades.fadeInFrames;
            if (known > 0)
                span = std::min(span, atOutputRate(known));
            progress.fadeInSpan = std::max<int64_t>(span, 1);
        }
        // The fade-in runs over the first fade-in length of the output (all of
        // a shorter first stretch), read in chunks of the usual size.
        const bool fadeInHere = progress.done < progress.fadeInSpan;
        const bool fadeOutHere =
            fades.hasFadeOut() && (progress.fadeOutSpan > 0 || fades.fadeOutFrames >= left);
        int64_t ask = std::min(chunk, remaining);
        if (fadeInHere)
            ask = std::max<int64_t>(1, std::min(ask, progress.fadeInSpan - progress.done));
        if (fadeOutHere && left > 0)
            ask = std::min(chunk, std::min(left, remaining));
        if (ask < 1)
            break;

        audio::SampleBlock block = reader.ReadFrames(ask);
        const int64_t frames = block.frameCount();
        if (frames < 1)
            break;
        if (fadeInHere) {
            const double span = static_cast<double>(progress.fadeInSpan);
            const double from = static_cast<double>(progress.done) / span;
            const double to =
                static_cast<double>(std::min(progress.done + frames, progress.fadeInSpan)) / span;
            transform.Fade(block, static_cast<float>(100.0 * from), static_cast<float>(100.0 * to));
        }
        if (fadeOutHere) {
            // The ramp runs over everything left when it began, across stretches
            // and sources, so that it is one fade however the output is cut.
            if (progress.fadeOutSpan == 0)
                progress.fadeOutSpan = std::max<int64_t>(left, 1);
            const double span = static_cast<double>(progress.fadeOutSpan);
            const double before = static_cast<double>(std::max<int64_t>(left, 0));
            const double after = static_cast<double>(std::max<int64_t>(left - frames, 0));
            transform.Fade(block, static_cast<float>(100.0 * before / span),
                           static_cast<float>(100.0 * after / span));
        }
        progress.done = std::min(progress.done + frames, progress.total);
        control.showProgress(progressOf(progress.done, progress.total));
        write(std::move(block));
        written += frames;
        position += framesAtRate(frames, outputRate, stretch.sourceRate);
    }
    // A converted stretch may give a frame or two fewer than its length at the
    // output's rate: the progress still counts it whole.
    if (stretchEnd > progress.done) {
        progress.done = std::min(stretchEnd, progress.total);
        control.showProgress(progressOf(progress.done, progress.total));
    }
    return written;
}

} // namespace brisklet::engine
