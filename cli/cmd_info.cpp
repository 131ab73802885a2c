// brisklet-cli info FILE...: one line per file,
// PATH<TAB>frames=N<TAB>ms=N<TAB>rate=N<TAB>channels=N, or with --json one
// array of objects. A folder stands for its audio files.
#include "audio/audiofile.h"
#include "cli/commands.h"
#include "cli/jsonout.h"
#include "cli/options.h"
#include "cli/sourceargs.h"

#include <QJsonArray>
#include <QJsonObject>

#include <cstdio>
#include <exception>

namespace brisklet::cli {

namespace {

constexpr OptionSpec infoOptions[] = {{"--json", false}};

} // namespace

int runInfo(const Arguments& args)
{
    ParsedArguments parsed;
    if (std::string error = parseArguments(args, infoOptions, parsed); !error.empty())
        return usageError(error);
    if (parsed.operands.empty())
        return usageError("info needs at least one FILE");
    const bool json = !parsed.options.empty();
    SourceArguments sources = expandSources(parsed.operands);
    auto reader = audio::createAudioFile();
    QJsonArray listing;
    for (const std::string& path : sources.files) {
        try {
            reader->OpenRead(path);
            if (json) {
                listing.append(QJsonObject{
                    {QStringLiteral("path"), jsonText(path)},
                    {QStringLiteral("frames"), static_cast<qint64>(reader->TotalFrames())},
                    {QStringLiteral("ms"), static_cast<qint64>(reader->DurationMs())},
                    {QStringLiteral("rate"), reader->SampleRate()},
                    {QStringLiteral("channels"), reader->Channels()}});
            } else {
                std::printf("%s\tframes=%lld\tms=%lld\trate=%d\tchannels=%d\n", path.c_str(),
                            static_cast<long long>(reader->TotalFrames()),
                            static_cast<long long>(reader->DurationMs()), reader->SampleRate(),
                            reader->Channels());
            }
            reader->Close();
        } catch (const std::exception& e) {
            // A file that cannot be read is reported; the others are still listed.
            fail(e.what());
            ++sources.refused;
        }
    }
    if (json)
        printJson(listing);
    return refusalSummary(sources.refused, sources.total(), 0);
}

} // namespace brisklet::cli
