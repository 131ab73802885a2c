#include "cli/jobcommand.h"

#include "base/units.h"
#include "cli/interrupt.h"
#include "cli/options.h"
#include "cli/outputconfig.h"
#include "cli/sourceargs.h"
#include "engine/piecesettingsmirror.h"
#include "engine/segments.h"
#include "settings/generalsettings.h"
#include "settings/settingkeys.h"
#include "tags/tagcarryover.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <stdexcept>

namespace brisklet::cli {

namespace {

std::optional<int> parseCount(const std::string& text)
{
    if (text.empty() || text.size() > 9 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    const int value = std::stoi(text);
    return value >= 1 ? std::optional<int>(value) : std::nullopt;
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
    std::optional<int64_t> begin = parseTimeMs(text.substr(0, dash));
    std::optional<int64_t> end = parseTimeMs(text.substr(dash + 1));
    if (!begin || !end)
        return std::nullopt;
    return SegmentTimes{*begin, *end};
}

} // namespace

namespace {

// What each option is for; join pieces every source whole in modes time and
// count, so it has no use for --seconds and --count.
constexpr OptionSpec splitOptions[] = {
    {"--mode", true},   {"--seconds", true}, {"--count", true},    {"--segment", true},
    {"--format", true}, {"--fade-in", true}, {"--fade-out", true}, {"--settings", true},
    {"--out", true},    {"--quiet", false},  {"--verify", false},  {"--jobs", true}};
constexpr OptionSpec joinOptions[] = {
    {"--mode", true},     {"--segment", true},  {"--format", true}, {"--fade-in", true},
    {"--fade-out", true}, {"--settings", true}, {"--out", true},    {"--output", true},
    {"--quiet", false},   {"--verify", false}};

bool given(const ParsedArguments& parsed, const char* name)
{
    return std::any_of(parsed.options.begin(), parsed.options.end(),
                       [&](const ParsedOption& option) { return option.name == name; });
}

// An option that the chosen mode would silently pass over is refused.
std::string modeMismatch(const ParsedArguments& parsed, engine::Mode mode)
{
    if (given(parsed, "--seconds") && mode != engine::Mode::ByTime)
        return "--seconds is used only with --mode time";
    if (given(parsed, "--count") && mode != engine::Mode::ByCount)
        return "--count is used only with --mode count";
    if (given(parsed, "--segment") && mode != engine::Mode::Custom &&
        mode != engine::Mode::Unification)
        return "--segment is used only with --mode custom or unification";
    return {};
}

} // namespace

std::string parseJobOptions(const Arguments& args, bool join, JobOptions& options)
{
    // The options of pieces found for the user go first: --silence takes an
    // optional value, which the shared grammar has no room for.
    Arguments rest;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--") {
            rest.insert(rest.end(), args.begin() + static_cast<std::ptrdiff_t>(i), args.end());
            break;
        }
        std::string error;
        if (parsePieceOption(args, i, join, options.pieces, error)) {
            if (!error.empty())
                return error;
            continue;
        }
        rest.push_back(args[i]);
    }
    ParsedArguments parsed;
    std::string error = join ? parseArguments(rest, joinOptions, parsed)
                             : parseArguments(rest, splitOptions, parsed);
    if (!error.empty())
        return error;
    for (const ParsedOption& option : parsed.options) {
        const std::string& arg = option.name;
        const std::string& value = option.value;
        if (arg == "--mode") {
            std::optional<engine::Mode> mode = parseMode(value);
            if (!mode)
                return "unknown mode " + value + " (custom, time, count or unification)";
            options.mode = *mode;
        } else if (arg == "--seconds") {
            std::optional<int64_t> ms = parseTimeMs(value);
            if (!ms)
                return arg + ": " + notATimeMessage(value);
            if (*ms < 1)
                return arg + " needs a length above zero, not " + value;
            options.pieceMs = *ms;
        } else if (arg == "--count") {
            std::optional<int> number = parseCount(value);
            if (!number)
                return arg + " needs a number of at least 1, not " + value;
            options.count = *number;
        } else if (arg == "--segment") {
            std::optional<SegmentTimes> segment = parseSegment(value);
            if (!segment)
                return "--segment needs BEGIN-END, not " + value;
            if (segment->end < segment->begin)
                return value + ": " + engine::startAfterEndMessage;
            options.segments.push_back(*segment);
        } else if (arg == "--format" && value == "copy") {
            options.outputOptions.lossless = true;
        } else if (arg == "--format") {
            options.outputOptions.lossless = false;
            std::optional<audio::OutputFormat> format = audio::outputFormatFromName(value);
            if (!format)
                return unknownFormatMessage(value);
            options.format = *format;
        } else if (arg == "--fade-in" || arg == "--fade-out") {
            std::optional<int64_t> ms = parseTimeMs(value);
            if (!ms)
                return arg + ": " + notATimeMessage(value);
            (arg == "--fade-in" ? options.fadeInMs : options.fadeOutMs) = *ms;
        } else if (arg == "--settings") {
            options.settingsFile = value;
        } else if (arg == "--out") {
            options.outDir = value;
        } else if (arg == "--output") {
            options.output = value;
        } else if (arg == "--quiet") {
            options.quiet = true;
        } else if (arg == "--verify") {
            options.outputOptions.verify = true;
        } else if (arg == "--jobs") {
            std::optional<int> number = parseCount(value);
            if (!number)
                return "--jobs needs a number of at least 1, not " + value;
            options.jobs = *number;
        }
    }
    options.files = parsed.operands;
    if (std::string mismatch = modeMismatch(parsed, options.mode); !mismatch.empty())
        return mismatch;
    if (std::string clash = checkPieceOptions(options.pieces, !options.segments.empty());
        !clash.empty())
        return clash;
    if (options.files.empty())
        return "no FILE given";
    if (join && options.output.empty())
        return "join needs --output NAME";
    if (!join && options.outDir.empty())
        return "split needs --out DIR";
    if (join && !options.outDir.empty()) {
        // A relative NAME goes into DIR; an absolute one leaves DIR unused.
        if (std::filesystem::path(options.output).is_absolute())
            return "--out DIR is used only with a relative --output NAME";
        options.output = (std::filesystem::path(options.outDir) / options.output).string();
    }
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
    if (m_quiet || !terminal())
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

void CliView::showJobStopped(const std::string& line)
{
    HeadlessView::showJobStopped(line);
    clearProgressLine();
    std::fprintf(stderr, "brisklet-cli: %s\n", line.c_str());
}

CliJob::CliJob(const JobOptions& options)
    : m_parts{*m_writer, *m_transform, nullptr, nullptr, {}, nullptr}
{
    m_profile = options.settingsFile.empty() ? std::make_unique<settings::ProfileFile>()
                                             : std::make_unique<settings::ProfileFile>(
                                                   commandLineSettingsPath(options.settingsFile));
    m_configuration =
        std::make_unique<settings::EncoderConfiguration>(*m_profile, *m_writer, m_lame);
    m_model = std::make_unique<engine::JobModel>(m_view, *m_reader);
    m_view.setModel(m_model.get());
    m_parts.configureWriter = [this](audio::OutputFormat format) {
        m_configuration->configure(format);
    };
    m_parts.options = options.outputOptions;
    m_parts.options.workers = options.jobs.value_or(
        engine::workersFor(settings::readKey(*m_profile, settings::keys::workers)));
    m_parts.configureWorkerWriter = [this](audio::OutputFormat format, audio::IAudioFile2& writer,
                                           audio::IAudioFile2LameEnc& encoder) {
        settings::EncoderConfiguration(*m_profile, writer, encoder).configure(format);
    };
    m_parts.notePiece = [this](const std::string& path, const std::string& text, bool failure) {
        m_view.clearProgressLine();
        std::fprintf(stderr, "%s: %s%s\n", path.c_str(), failure ? "check failed: " : "",
                     text.c_str());
        if (failure)
            ++m_failures;
    };
    m_parts.noteLoss = [this](const std::string& source, const std::string& text) {
        m_view.clearProgressLine();
        std::fprintf(stderr, "cannot read %s: %s\n", source.c_str(), text.c_str());
        ++m_failures;
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
    state.splitMs = options.pieceMs;
    state.splitCount = options.count;
    state.fadeIn = options.fadeInMs.has_value();
    state.fadeInMs = options.fadeInMs.value_or(0);
    state.fadeOut = options.fadeOutMs.has_value();
    state.fadeOutMs = options.fadeOutMs.value_or(0);
    if (!options.outDir.empty()) {
        std::filesystem::create_directories(options.outDir);
        state.OutputDirectory = settings::withFinalSlash(options.outDir);
    }
    m_view.setQuiet(options.quiet);
    // Files go in as through the file dialog, a folder's files as by Add Folder.
    for (const std::string& operand : options.files) {
        std::error_code ignored;
        const bool folder = std::filesystem::is_directory(operand, ignored);
        SourceArguments sources = expandSources({operand});
        m_total += sources.total();
        m_refused += sources.refused;
        for (const std::string& file : sources.files) {
            const int before = m_model->sources().count();
            std::string refusal = m_model->addSource(file, folder ? engine::AddOrigin::Folder
                                                                  : engine::AddOrigin::Dialog);
            if (!refusal.empty())
                std::fprintf(stderr, "brisklet-cli: %s\n", refusal.c_str());
            // A note on a source that was added (a cover picture too large
            // to carry) is no refusal.
            if (m_model->sources().count() == before)
                ++m_refused;
        }
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
            entry.begins.push_back(std::min(segment.begin, entry.wholeMs()));
            entry.ends.push_back(std::min(segment.end, entry.wholeMs()));
        }
        entry.begins.push_back(0);
        entry.ends.push_back(entry.wholeMs());
        entry.segmentCount = static_cast<int32_t>(entry.begins.size());
    }
}

bool CliJob::stopped() const
{
    return stopRequested();
}

} // namespace brisklet::cli
