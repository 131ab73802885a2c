#include "audio/ffmpeg_api.h"

#include "audio/audioerror.h"
#include "audio/encoders.h"

#include <dlfcn.h>
#include <vector>

namespace brisklet::audio {

namespace {

#define BRISKLET_SONAME(library, major) "lib" #library ".so." AV_STRINGIFY(major)

// Each library after the ones it needs, so that a missing one is named itself.
constexpr const char* kSonames[] = {
    BRISKLET_SONAME(avutil, LIBAVUTIL_VERSION_MAJOR),
    BRISKLET_SONAME(swresample, LIBSWRESAMPLE_VERSION_MAJOR),
    BRISKLET_SONAME(avcodec, LIBAVCODEC_VERSION_MAJOR),
    BRISKLET_SONAME(avformat, LIBAVFORMAT_VERSION_MAJOR),
};

#undef BRISKLET_SONAME

struct Loaded {
    FfmpegApi api;
    std::string failure; // empty when every function was found
};

std::string lastDlError()
{
    const char* text = dlerror();
    return text ? text : "unknown reason";
}

Loaded load()
{
    Loaded loaded;
    std::vector<void*> libraries;
    for (const char* soname : kSonames) {
        void* library = dlopen(soname, RTLD_NOW | RTLD_LOCAL);
        if (!library) {
            loaded.failure =
                std::string("FFmpeg's ") + soname + " could not be loaded: " + lastDlError();
            return loaded;
        }
        libraries.push_back(library);
    }
    auto find = [&](const char* name) -> void* {
        for (void* library : libraries)
            if (void* function = dlsym(library, name))
                return function;
        loaded.failure = std::string("FFmpeg's function ") + name + " was not found";
        return nullptr;
    };
#define BRISKLET_FFMPEG_FIND(name)                                                                 \
    loaded.api.name = reinterpret_cast<decltype(&::name)>(find(#name));                            \
    if (!loaded.api.name)                                                                          \
        return loaded;
    BRISKLET_FFMPEG_FUNCTIONS(BRISKLET_FFMPEG_FIND)
#undef BRISKLET_FFMPEG_FIND
    // Failures are reported by the callers, with the file they concern.
    loaded.api.av_log_set_level(AV_LOG_QUIET);
    return loaded; // the libraries stay loaded for the life of the process
}

const Loaded& loaded()
{
    static const Loaded once = load();
    return once;
}

} // namespace

const FfmpegApi& ffmpegToRead(const std::string& path)
{
    if (!loaded().failure.empty())
        throw AudioError("cannot read " + path + ": " + loaded().failure);
    return loaded().api;
}

const FfmpegApi& ffmpegToWrite(const std::string& path)
{
    if (!loaded().failure.empty())
        throwCannotCreate(path, loaded().failure);
    return loaded().api;
}

const FfmpegApi& ffmpeg()
{
    return loaded().api;
}

} // namespace brisklet::audio
