// brisklet-cli convert [--format F] [--settings FILE] [--overwrite] IN OUT:
// decodes IN and writes OUT through the audio component.
#include "audio/audiofile.h"
#include "cli/commands.h"
#include "cli/interrupt.h"
#include "cli/jobcommand.h"
#include "cli/options.h"
#include "cli/outputconfig.h"
#include "engine/namereservation.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <stdexcept>

namespace brisklet::cli {

namespace {

constexpr int64_t kBlockFrames = 65536;

struct ConvertOptions {
    std::optional<audio::OutputFormat> format;
    std::string settingsFile;
    bool overwrite = false;
    std::string input;
    std::string output;
};

constexpr OptionSpec convertOptions[] = {
    {"--format", true}, {"--settings", true}, {"--overwrite", false}};

// Returns an error text, empty when the arguments are fine.
std::string parseOptions(const Arguments& args, ConvertOptions& options)
{
    ParsedArguments parsed;
    if (std::string error = parseArguments(args, convertOptions, parsed); !error.empty())
        return error;
    for (const ParsedOption& option : parsed.options) {
        if (option.name == "--format") {
            options.format = audio::outputFormatFromName(option.value);
            if (!options.format)
                return unknownFormatMessage(option.value);
        } else if (option.name == "--settings") {
            options.settingsFile = option.value;
        } else {
            options.overwrite = true;
        }
    }
    const Arguments& paths = parsed.operands;
    if (paths.size() != 2)
        return "convert needs IN and OUT";
    options.input = paths[0];
    options.output = paths[1];
    if (!options.format)
        options.format = audio::outputFormatFromPath(options.output);
    if (!options.format)
        return "cannot tell the output format of " + options.output + ": give --format";
    return {};
}

struct Stopped {};

void convert(const ConvertOptions& options)
{
    auto reader = audio::createAudioFile();
    reader->OpenRead(options.input);
    auto writer = audio::createAudioFile();
    audio::LameEncoderSettings mp3Settings;
    configureOutput(*writer, mp3Settings,
                    OutputSetup{*options.format, options.settingsFile, reader->SampleRate(),
                                reader->Channels()});
    writer->SetBlockFormat(reader->SampleRate(), reader->Channels());
    writer->OpenWrite(options.output);
    const int64_t expected = reader->TotalFrames();
    int64_t copied = 0;
    for (;;) {
        // Stopped: the writer goes without Close, which removes its temporary file.
        if (stopRequested())
            throw Stopped();
        audio::SampleBlock block = reader->ReadFrames(kBlockFrames);
        if (block.empty())
            break;
        copied += block.frameCount();
        writer->WriteFrames(block);
    }
    writer->Close();
    const int64_t lost = std::max<int64_t>(0, expected - copied) + reader->DamagedFrames();
    reader->Close();
    // Damage the length at open did not know of: the output holds what could
    // be decoded, and the loss is a failure.
    if (lost > 0)
        throw std::runtime_error("cannot read " + options.input + ": " +
                                 engine::lostFramesText(lost, expected));
}

} // namespace

int runConvert(const Arguments& args)
{
    ConvertOptions options;
    std::string error = parseOptions(args, options);
    if (!error.empty())
        return usageError(error);
    // Without --overwrite the name is claimed at once: another program
    // writing the same name at the same time finds it taken.
    engine::NameReservation claim;
    if (!options.overwrite) {
        std::error_code claimError;
        claim = engine::NameReservation(options.output, claimError);
        if (claimError == std::errc::file_exists)
            return fail(options.output + " exists already (give --overwrite to replace it)");
    }
    try {
        installStopOnInterrupt();
        convert(options);
    } catch (const Stopped&) {
        fail("stopped; " + options.output + " was not written");
        return kInterrupted;
    } catch (const std::exception& e) {
        return fail(e.what());
    }
    return 0;
}

} // namespace brisklet::cli
