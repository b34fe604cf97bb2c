// FFmpeg's libraries, loaded when a movie is first made.
#include "output/FfmpegLibrary.h"

#include <dlfcn.h>
#include <string>

namespace vorn {

namespace {

enum Library { Util, Scale, Codec, Format, kLibraries };

// The shared libraries of the major versions whose headers the program was built with.
std::string SharedName(Library library) {
    switch (library) {
    case Util:
        return "libavutil.so." + std::to_string(LIBAVUTIL_VERSION_MAJOR);
    case Scale:
        return "libswscale.so." + std::to_string(LIBSWSCALE_VERSION_MAJOR);
    case Codec:
        return "libavcodec.so." + std::to_string(LIBAVCODEC_VERSION_MAJOR);
    default:
        return "libavformat.so." + std::to_string(LIBAVFORMAT_VERSION_MAJOR);
    }
}

// The libraries stay loaded for the rest of the run, as linked ones would.
bool Load(FfmpegFunctions& f) {
    void* handles[kLibraries] = {};
    for (int library = 0; library < kLibraries; ++library) {
        handles[library] = ::dlopen(SharedName(Library(library)).c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handles[library])
            return false;
    }
    bool found = true;
#define VORN_FFMPEG_LOOKUP(library, name)                                                          \
    f.name = reinterpret_cast<decltype(f.name)>(::dlsym(handles[library], #name));                 \
    found = found && f.name;
    VORN_FFMPEG_FUNCTIONS(VORN_FFMPEG_LOOKUP)
#undef VORN_FFMPEG_LOOKUP
    return found;
}

} // namespace

const FfmpegFunctions* LoadFfmpeg() {
    static FfmpegFunctions functions;
    static const bool loaded = Load(functions);
    return loaded ? &functions : nullptr;
}

} // namespace vorn
