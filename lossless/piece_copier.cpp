#include "lossless/piece_copier.h"

#include "audio/audioerror.h"
#include "audio/audiofile.h"
#include "audio/sourceprobe.h"
#include "base/output_file.h"
#include "lossless/mpeg_piece.h"
#include "lossless/pcm_piece.h"
#include "lossless/vorbis_piece.h"

#include <algorithm>
#include <cmath>

namespace brisklet::lossless {

struct PieceCopier::Sources {
    std::unique_ptr<MpegStream> mpeg;
    std::unique_ptr<VorbisStream> vorbis;
    std::unique_ptr<PcmSource> pcm;
};

namespace {

std::string lengthRefusal(int64_t own, int64_t reader)
{
    if (own == reader)
        return {};
    return "a stream whose frames tell another length (" + std::to_string(own) + " frames, not " +
           std::to_string(reader) + ")";
}

} // namespace

PieceCopier::PieceCopier(const std::string& path, int64_t readerLength)
    : m_path(path), m_sources(std::make_unique<Sources>())
{
    switch (audio::probeSource(path)) {
    case audio::SourceKind::Mpeg:
        m_nearest = NearestFormat::Mp3;
        m_extension = ".mp3";
        m_sources->mpeg = std::make_unique<MpegStream>(path);
        m_refusal = m_sources->mpeg->refusal();
        if (m_refusal.empty())
            m_refusal = lengthRefusal(m_sources->mpeg->readerLength(), readerLength);
        break;
    case audio::SourceKind::Vorbis:
        m_nearest = NearestFormat::Ogg;
        m_extension = ".ogg";
        m_sources->vorbis = std::make_unique<VorbisStream>(path);
        m_refusal = m_sources->vorbis->refusal();
        if (m_refusal.empty())
            m_refusal = lengthRefusal(m_sources->vorbis->readerLength(), readerLength);
        break;
    case audio::SourceKind::Flac:
    case audio::SourceKind::Sndfile:
        m_sources->pcm = std::make_unique<PcmSource>(path);
        m_extension = m_sources->pcm->extension();
        m_refusal = m_sources->pcm->refusal();
        if (m_refusal.empty())
            m_refusal = lengthRefusal(m_sources->pcm->length(), readerLength);
        break;
    case audio::SourceKind::Asf:
        m_nearest = NearestFormat::Wma;
        m_refusal = "WMA";
        break;
    case audio::SourceKind::Opus:
        m_nearest = NearestFormat::Opus;
        m_refusal = "Opus";
        break;
    case audio::SourceKind::Mp4:
        m_nearest = NearestFormat::Mp3;
        m_refusal = "M4A";
        break;
    case audio::SourceKind::Raw:
        m_refusal = "RAW";
        break;
    case audio::SourceKind::Vox:
        m_refusal = "VOX";
        break;
    case audio::SourceKind::Unsupported:
        m_refusal = "not a supported audio file";
        break;
    }
}

PieceCopier::~PieceCopier() = default;

std::string PieceCopier::writePiece(int64_t start, int64_t end, const std::string& path)
{
    if (!m_refusal.empty())
        return m_refusal;
    end = std::max(start, end);
    if (m_sources->mpeg) {
        const MpegPiecePlan plan = planMpegPiece(*m_sources->mpeg, start, end);
        if (!plan.refusal.empty())
            return plan.refusal;
        base::OutputFile out(path);
        writeMpegPiece(*m_sources->mpeg, plan, out);
        out.commit();
        return {};
    }
    base::OutputFile out(path);
    if (m_sources->vorbis) {
        std::string refusal = m_sources->vorbis->writePiece(start, end, out);
        if (!refusal.empty())
            return refusal; // the temporary file goes with `out`
    } else {
        m_sources->pcm->writePiece(start, end, out);
    }
    out.commit();
    return {};
}

int64_t PieceCopier::damagedFrames() const
{
    return m_sources->pcm ? m_sources->pcm->damagedFrames() : 0;
}

JoinCopyPlan planJoinCopy(const std::vector<std::string>& paths,
                          const std::vector<int64_t>& readerLengths)
{
    JoinCopyPlan plan;
    if (paths.empty())
        return plan;
    const PieceCopier first(paths.front(), readerLengths.front());
    plan.nearest = first.nearestFormat();
    plan.extension = first.extension();
    const std::string notPcm = "a join of sources that are not all PCM WAV or FLAC";
    if (!first.refusal().empty() || first.nearestFormat() != NearestFormat::Wav) {
        plan.refusal = notPcm;
        return plan;
    }
    const PcmSource layout(paths.front());
    for (size_t i = 1; i < paths.size(); ++i) {
        const audio::SourceKind kind = audio::probeSource(paths[i]);
        if (kind != audio::SourceKind::Sndfile && kind != audio::SourceKind::Flac) {
            plan.refusal = notPcm;
            return plan;
        }
        const PcmSource other(paths[i]);
        if (!other.refusal().empty() || !layout.sameLayout(other) ||
            other.length() != readerLengths[i]) {
            plan.refusal = "a join of sources of different formats, rates or channels";
            return plan;
        }
    }
    return plan;
}

std::string checkOutput(const std::string& output, int64_t frames, const std::string& source,
                        int64_t start)
{
    auto written = audio::createAudioFile();
    try {
        written->OpenRead(output);
    } catch (const audio::AudioError&) {
        if (frames == 0)
            return {}; // an empty output is what was asked, and no reader opens one
        throw;
    }
    if (written->TotalFrames() != frames)
        return std::to_string(written->TotalFrames()) + " frames instead of " +
               std::to_string(frames);
    if (source.empty())
        return {};
    auto original = audio::createAudioFile();
    original->OpenRead(source);
    original->Seek(start, audio::SeekMode::Exact);
    // MP3 decoders round by where a frame falls in their synthesis buffer,
    // which a piece need not share with its source: a few units in the last
    // place of a float sample are no damage.
    constexpr float kRounding = 1.0f / (1 << 19);
    int64_t done = 0;
    while (done < frames) {
        const int64_t ask = std::min<int64_t>(frames - done, 1 << 15);
        const audio::SampleBlock mine = written->ReadFrames(ask);
        const audio::SampleBlock theirs = original->ReadFrames(ask);
        if (mine.sampleCount() != theirs.sampleCount() || mine.empty())
            return "the samples end early at frame " + std::to_string(done);
        for (int64_t i = 0; i < mine.sampleCount(); ++i) {
            if (std::abs(mine[i] - theirs[i]) > kRounding)
                return "the samples differ from the source's at frame " +
                       std::to_string(done + i / mine.channels());
        }
        done += mine.frameCount();
    }
    return {};
}

} // namespace brisklet::lossless
