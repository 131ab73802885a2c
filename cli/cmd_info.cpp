// brisklet-cli info FILE...: one line per file,
// PATH<TAB>frames=N<TAB>ms=N<TAB>rate=N<TAB>channels=N.
#include "audio/audiofile.h"
#include "cli/commands.h"

#include <cstdio>
#include <exception>

namespace brisklet::cli {

int runInfo(const Arguments& args)
{
    if (args.empty())
        return usageError("info needs at least one FILE");
    auto reader = audio::createAudioFile();
    int status = 0;
    for (const auto& path : args) {
        try {
            reader->OpenRead(path);
            std::printf("%s\tframes=%lld\tms=%lld\trate=%d\tchannels=%d\n", path.c_str(),
                        static_cast<long long>(reader->TotalFrames()),
                        static_cast<long long>(reader->DurationMs()), reader->SampleRate(),
                        reader->Channels());
            reader->Close();
        } catch (const std::exception& e) {
            // A file that cannot be read is reported; the others are still listed.
            status = fail(e.what());
        }
    }
    return status;
}

} // namespace brisklet::cli
