#include "audio/converter.h"

#include "audio/audioerror.h"

#include <algorithm>
#include <cmath>
#include <soxr.h>
#include <string>

namespace brisklet::audio {

namespace {

// Mono to more channels copies the sample to each at its own level; more
// channels to mono averages them; otherwise channels are kept or repeated.
void mixChannels(const float* in, int64_t frames, int inChannels, int outChannels,
                 std::vector<float>& out)
{
    size_t start = out.size();
    out.resize(start + static_cast<size_t>(frames * outChannels));
    float* target = out.data() + start;
    for (int64_t f = 0; f < frames; ++f) {
        const float* frame = in + f * inChannels;
        if (outChannels == 1) {
            float sum = 0.0f;
            for (int c = 0; c < inChannels; ++c)
                sum += frame[c];
            target[f] = sum / static_cast<float>(inChannels);
            continue;
        }
        for (int c = 0; c < outChannels; ++c)
            target[f * outChannels + c] = frame[c % inChannels];
    }
}

struct SoxrCloser {
    void operator()(soxr_t resampler) const { soxr_delete(resampler); }
};

} // namespace

struct BlockConverter::Impl {
    int inRate, inChannels, outRate, outChannels;
    // The resampler runs at the smaller channel count: mix down before it,
    // mix up after it.
    int resampleChannels;
    std::unique_ptr<soxr, SoxrCloser> resampler;
    std::vector<float> mixed;
    std::vector<float> resampled;

    void resample(const float* in, int64_t frames, bool flushing, std::vector<float>& out)
    {
        double ratio = static_cast<double>(outRate) / inRate;
        size_t capacity =
            static_cast<size_t>(std::ceil(static_cast<double>(frames) * ratio)) + 1024;
        resampled.resize(capacity * static_cast<size_t>(resampleChannels));
        size_t consumed = 0;
        for (int guard = 0; guard < 100000; ++guard) {
            size_t inDone = 0;
            size_t outDone = 0;
            const float* source = flushing ? nullptr : in + consumed * resampleChannels;
            size_t remaining = flushing ? 0 : static_cast<size_t>(frames) - consumed;
            soxr_error_t error = soxr_process(resampler.get(), source, remaining, &inDone,
                                              resampled.data(), capacity, &outDone);
            if (error)
                throw AudioError(std::string("sample rate conversion failed: ") + error);
            consumed += inDone;
            appendMixedUp(resampled.data(), static_cast<int64_t>(outDone), out);
            bool inputLeft = !flushing && consumed < static_cast<size_t>(frames);
            if (!inputLeft && outDone < capacity)
                break;
        }
    }

    void appendMixedUp(const float* in, int64_t frames, std::vector<float>& out) const
    {
        if (resampleChannels == outChannels)
            out.insert(out.end(), in, in + frames * outChannels);
        else
            mixChannels(in, frames, resampleChannels, outChannels, out);
    }
};

BlockConverter::BlockConverter(int inRate, int inChannels, int outRate, int outChannels)
    : m_impl(std::make_unique<Impl>())
{
    if (inRate <= 0 || outRate <= 0 || inChannels < 1 || outChannels < 1)
        throw AudioError("unsupported sample format: " + std::to_string(inRate) + " Hz, " +
                         std::to_string(inChannels) + " channels to " + std::to_string(outRate) +
                         " Hz, " + std::to_string(outChannels) + " channels");
    *m_impl = Impl{inRate,  inChannels, outRate, outChannels, std::min(inChannels, outChannels),
                   nullptr, {},         {}};
    if (inRate != outRate) {
        soxr_error_t error = nullptr;
        soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
        soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
        m_impl->resampler.reset(soxr_create(inRate, outRate,
                                            static_cast<unsigned>(m_impl->resampleChannels), &error,
                                            &io, &quality, nullptr));
        if (error || !m_impl->resampler)
            throw AudioError(std::string("cannot start sample rate conversion: ") +
                             (error ? error : "unknown error"));
    }
}

BlockConverter::~BlockConverter() = default;

bool BlockConverter::isIdentity() const
{
    return m_impl->inRate == m_impl->outRate && m_impl->inChannels == m_impl->outChannels;
}

void BlockConverter::process(const float* in, int64_t frames, std::vector<float>& out)
{
    Impl& d = *m_impl;
    if (frames <= 0)
        return;
    if (!d.resampler) {
        if (isIdentity())
            out.insert(out.end(), in, in + frames * d.inChannels);
        else
            mixChannels(in, frames, d.inChannels, d.outChannels, out);
        return;
    }
    const float* source = in;
    if (d.inChannels > d.resampleChannels) {
        d.mixed.clear();
        mixChannels(in, frames, d.inChannels, d.resampleChannels, d.mixed);
        source = d.mixed.data();
    }
    d.resample(source, frames, false, out);
}

void BlockConverter::flush(std::vector<float>& out)
{
    if (m_impl->resampler)
        m_impl->resample(nullptr, 0, true, out);
}

void BlockConverter::reset()
{
    if (m_impl->resampler)
        soxr_clear(m_impl->resampler.get());
}

} // namespace brisklet::audio
