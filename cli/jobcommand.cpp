#include "cli/jobcommand.h"

#include "cli/interrupt.h"
#include "cli/outputconfig.h"
#include "engine/piecesettingsmirror.h"
#include "engine/segments.h"
#include "settings/generalsettings.h"
#include "tags/tagcarryover.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <stdexcept>

namespace brisklet::cli {

namespace {

std::optional<int> parseCount(const std::string& text)
{
    std::optional<int32_t> value = parseTime(text);
    if (!value || *value < 1)
        return std::nullopt;
    return *value;
}

std::optional<engine::Mode> parseMode(const std::string& text)
{
    if (text == "custom")
        return engine::Mode::Custom;
    if (text == "time")
        return engine::Mode::ByTime;
    if (text == "count")
        return engine::Mode::ByCount;
    if (text == "unification")
        return engine::Mode::Unification;
    return std::nullopt;
}

// "BEGIN-END", each a time.
std::optional<SegmentTimes> parseSegment(const std::string& text)
{
    size_t dash = text.find('-');
    if (dash == std::string::npos)
        return std::nullopt;
    std::optional<int32_t> begin = parseTime(text.substr(0, dash));
    std::optional<int32_t> end = parseTime(text.substr(dash + 1));
    if (!begin || !end)
        return std::nullopt;
    return SegmentTimes{*begin, *end};
}

} // namespace

std::optional<int32_t> parseTime(const std::string& text)
{
    if (text.empty())
        return std::nullopt;
    int64_t total = 0;
    int64_t part = -1;
    int parts = 0;
    for (char c : text + ":") {
        if (c == ':') {
            // Minutes and seconds after the first part stay below 60.
            if (part < 0 || ++parts > 3 || (parts > 1 && part > 59))
                return std::nullopt;
            total = total * 60 + part;
            part = -1;
        } else if (c >= '0' && c <= '9') {
            part = (part < 0 ? 0 : part * 10) + (c - '0');
            if (part > 1000000000)
                return std::nullopt;
        } else {
            return std::nullopt;
        }
    }
    if (total > INT32_MAX)
        return std::nullopt;
    return static_cast<int32_t>(total);
}

std::string parseJobOptions(const Arguments& args, bool join, JobOptions& options)
{
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.rfind("--", 0) != 0) {
            options.files.push_back(arg);
            continue;
        }
        if (std::string error; parsePieceOption(args, i, join, options.pieces, error)) {
            if (!error.empty())
                return error;
            continue;
        }
        if (i + 1 >= args.size())
            return "option " + arg + " needs a value";
        const std::string& value = args[++i];
        if (arg == "--mode") {
            std::optional<engine::Mode> mode = parseMode(value);
            if (!mode)
                return "unknown mode " + value + " (custom, time, count or unification)";
            options.mode = *mode;
        } else if (arg == "--seconds" || arg == "--count") {
            std::optional<int> number = parseCount(value);
            if (!number)
                return arg + " needs a number of at least 1, not " + value;
            (arg == "--seconds" ? options.seconds : options.count) = *number;
        } else if (arg == "--segment") {
            std::optional<SegmentTimes> segment = parseSegment(value);
            if (!segment)
                return "--segment needs BEGIN-END, not " + value;
            if (segment->end < segment->begin)
                return value + ": " + engine::startAfterEndMessage;
            options.segments.push_back(*segment);
        } else if (arg == "--format") {
            std::optional<audio::OutputFormat> format = audio::outputFormatFromName(value);
            if (!format)
                return unknownFormatMessage(value);
            options.format = *format;
        } else if (arg == "--fade-in" || arg == "--fade-out") {
            std::optional<int32_t> seconds = parseTime(value);
            if (!seconds)
                return arg + " needs a time, not " + value;
            (arg == "--fade-in" ? options.fadeInSeconds : options.fadeOutSeconds) = *seconds;
        } else if (arg == "--settings") {
            options.settingsFile = value;
        } else if (arg == "--out") {
            options.outDir = value;
        } else if (arg == "--output" && join) {
            options.output = value;
        } else {
            return "unknown option " + arg;
        }
    }
    if (std::string error = checkPieceOptions(options.pieces, !options.segments.empty());
        !error.empty())
        return error;
    if (options.files.empty())
        return "no FILE given";
    if (join && options.output.empty())
        return "join needs --output NAME";
    if (!join && options.outDir.empty())
        return "split needs --out DIR";
    return {};
}

bool CliView::terminal()
{
    if (!m_terminalChecked) {
        m_terminal = stderrIsTerminal();
        m_terminalChecked = true;
    }
    return m_terminal;
}

void CliView::setPercentText(const std::string& text)
{
    HeadlessView::setPercentText(text);
    if (!terminal())
        return;
    if (text.empty()) {
        clearProgressLine();
        return;
    }
    // In place: back to the line's start, the text, blanks over a longer one.
    std::fprintf(stderr, "\r%-5s", text.c_str());
    std::fflush(stderr);
    m_lineDrawn = true;
}

void CliView::clearProgressLine()
{
    if (!m_lineDrawn)
        return;
    std::fputs("\r     \r", stderr);
    std::fflush(stderr);
    m_lineDrawn = false;
}

void CliView::pumpEvents()
{
    HeadlessView::pumpEvents();
    if (m_model && stopRequested() && m_model->state().converting)
        m_model->stopJob();
}

CliJob::CliJob(const JobOptions& options) : m_parts{*m_writer, *m_transform, nullptr, nullptr}
{
    if (!options.settingsFile.empty() && !std::filesystem::is_regular_file(options.settingsFile))
        throw std::runtime_error("cannot read settings file " + options.settingsFile +
                                 ": no such file");
    m_profile = options.settingsFile.empty()
                    ? std::make_unique<settings::ProfileFile>()
                    : std::make_unique<settings::ProfileFile>(options.settingsFile);
    m_configuration =
        std::make_unique<settings::EncoderConfiguration>(*m_profile, *m_writer, m_lame);
    m_model = std::make_unique<engine::JobModel>(m_view, *m_reader);
    m_view.setModel(m_model.get());
    m_parts.configureWriter = [this](audio::OutputFormat format) {
        m_configuration->configure(format);
    };
    m_parts.carryTags = [this](const std::string& path, const tags::AudioFileinfo& record) {
        tags::WriteOutputTags(path, record);
        m_view.clearProgressLine();
        std::printf("%s\n", path.c_str());
        std::fflush(stdout);
    };

    engine::MainState& state = m_model->state();
    engine::mirrorPieceSettings(state, settings::loadPieceSettings(*m_profile));
    state.FunctionChoice = static_cast<int>(options.mode);
    state.splitSeconds = options.seconds;
    state.splitCount = options.count;
    state.fadeIn = options.fadeInSeconds.has_value();
    state.fadeInSeconds = options.fadeInSeconds.value_or(0);
    state.fadeOut = options.fadeOutSeconds.has_value();
    state.fadeOutSeconds = options.fadeOutSeconds.value_or(0);
    if (!options.outDir.empty()) {
        std::filesystem::create_directories(options.outDir);
        state.OutputDirectory = settings::withFinalSlash(options.outDir);
    }
    for (const std::string& file : options.files) {
        std::string refusal = m_model->addSource(file, engine::AddOrigin::Dialog);
        if (!refusal.empty())
            std::fprintf(stderr, "brisklet-cli: %s\n", refusal.c_str());
    }
    if (empty())
        return;
    applySegments(options);
    m_model->finishAdding();
    m_view.selectSourceRow(0);
    state.selectedFileIndex = 0;
    m_model->buildSegmentList();
}

// The committed segments of every file (Custom) or the shared list of entry 0
// (Unification), each followed by the open segment over the whole file.
void CliJob::applySegments(const JobOptions& options)
{
    if (options.segments.empty())
        return;
    std::vector<engine::listrecord>& entries = m_model->sources().entries();
    size_t last = options.mode == engine::Mode::Unification ? 1 : entries.size();
    for (size_t i = 0; i < last; ++i) {
        engine::listrecord& entry = entries[i];
        entry.begins.clear();
        entry.ends.clear();
        for (const SegmentTimes& segment : options.segments) {
            // Segments are set within the file, as the position bar sets them.
            entry.begins.push_back(std::min(segment.begin, entry.durationSeconds));
            entry.ends.push_back(std::min(segment.end, entry.durationSeconds));
        }
        entry.begins.push_back(0);
        entry.ends.push_back(entry.durationSeconds);
        entry.segmentCount = static_cast<int32_t>(entry.begins.size());
    }
}

bool CliJob::stopped() const
{
    return stopRequested();
}

} // namespace brisklet::cli
