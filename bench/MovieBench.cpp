// Measures movie writing in frames per second: a trajectory recorded off screen (drawing and
// writing, as vorn-cli movie and the Create Movie command do), and the writer alone fed the same
// pictures ready drawn, for each codec that AVI takes here; with the size of each file.
//
//   movie_bench [FRAMES] [--size WxH] [--workdir DIR] [--source MULTIMODEL.pdb]
//
// The trajectory is a multi-model file read as frames (by default the NMR ensemble
// tests/data/2eqq.pdb, 19 frames, run from the source folder); playback frames 0 to FRAMES - 1
// wrap around it. Defaults: 100 frames of 640 × 480 in /tmp.
#include "BenchSupport.h"
#include "document/VornDoc.h"
#include "render/MovieRecorder.h"
#include "render/OffscreenPicture.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using namespace vorn;
using namespace vorn::bench;

namespace {

struct Options {
    int frames = 100;
    int width = 640, height = 480;
    std::string workdir = "/tmp";
    std::string source = "tests/data/2eqq.pdb";
};

Options Parse(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--size") == 0 && i + 1 < argc)
            std::sscanf(argv[++i], "%dx%d", &o.width, &o.height);
        else if (std::strcmp(argv[i], "--workdir") == 0 && i + 1 < argc)
            o.workdir = argv[++i];
        else if (std::strcmp(argv[i], "--source") == 0 && i + 1 < argc)
            o.source = argv[++i];
        else
            o.frames = std::atoi(argv[i]);
    }
    return o;
}

// The writer alone: the pictures of the first frames handed over again and again.
double WriterRate(const Options& o, const std::vector<DibImage>& pictures, MovieCodec codec,
                  const std::string& path) {
    const auto start = Clock::now();
    VornMovie movie;
    movie.Open(path, o.width, o.height, 15, 24, codec);
    for (int k = 0; k < o.frames; ++k)
        movie.AddFrame(pictures[static_cast<std::size_t>(k) % pictures.size()]);
    movie.Close();
    return o.frames / Seconds(start);
}

} // namespace

int main(int argc, char** argv) {
    const Options o = Parse(argc, argv);
    CVornDoc doc;
    doc.multiModelTraj = true;
    if (!doc.ReadCoordinateFile(o.source) || doc.FrameModulus() < 2) {
        std::fprintf(stderr, "movie_bench: no trajectory in %s\n", o.source.c_str());
        return 1;
    }
    std::vector<DibImage> pictures;
    {
        OffscreenPicture picture(doc, o.width, o.height);
        for (int k = 0; k < 10; ++k) {
            doc.SetFrame(k);
            pictures.push_back(picture.Render());
        }
    }
    std::printf("%d frames of %d x %d, %s (%d atoms) in its default representation\n", o.frames,
                o.width, o.height, o.source.c_str(), doc.primary->AtomCount());
    std::printf("%-28s %12s %12s %12s\n", "codec", "recorded/s", "written/s", "MB");
    for (const MovieCodecInfo& codec : AvailableMovieCodecs(MovieContainer::avi)) {
        const std::string path = o.workdir + "/movie_bench_" + codec.key + ".avi";
        MovieRequest request;
        request.fileName = path;
        request.width = o.width;
        request.height = o.height;
        request.codec = codec.codec;
        request.start = 0;
        request.stop = o.frames - 1;
        const auto start = Clock::now();
        RecordMovie(doc, nullptr, request);
        const double recorded = o.frames / Seconds(start);
        const double written = WriterRate(o, pictures, codec.codec, path);
        std::printf("%-28s %12.1f %12.1f %12.1f\n", codec.label, recorded, written,
                    FileBytes(path) / 1e6);
        std::remove(path.c_str());
    }
    return 0;
}
