// brisklet-cli convert [--format F] [--settings FILE] [--overwrite] IN OUT:
// decodes IN and writes OUT through the audio component.
#include "audio/audiofile.h"
#include "cli/commands.h"
#include "cli/outputconfig.h"

#include <exception>
#include <filesystem>

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

// Returns an error text, empty when the arguments are fine.
std::string parseOptions(const Arguments& args, ConvertOptions& options)
{
    Arguments paths;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        bool hasValue = i + 1 < args.size();
        if (arg == "--format" && hasValue) {
            options.format = audio::outputFormatFromName(args[++i]);
            if (!options.format)
                return unknownFormatMessage(args[i]);
        } else if (arg == "--settings" && hasValue) {
            options.settingsFile = args[++i];
        } else if (arg == "--overwrite") {
            options.overwrite = true;
        } else if (arg.rfind("--", 0) == 0) {
            return "unknown option " + arg;
        } else {
            paths.push_back(arg);
        }
    }
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
    for (;;) {
        audio::SampleBlock block = reader->ReadFrames(kBlockFrames);
        if (block.empty())
            break;
        writer->WriteFrames(block);
    }
    writer->Close();
    reader->Close();
}

} // namespace

int runConvert(const Arguments& args)
{
    ConvertOptions options;
    std::string error = parseOptions(args, options);
    if (!error.empty())
        return usageError(error);
    std::error_code ignored;
    if (!options.overwrite && std::filesystem::exists(options.output, ignored))
        return fail(options.output + " exists already (give --overwrite to replace it)");
    try {
        convert(options);
    } catch (const std::exception& e) {
        return fail(e.what());
    }
    return 0;
}

} // namespace brisklet::cli
