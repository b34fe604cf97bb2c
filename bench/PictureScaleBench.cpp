// Measures pictures of a large structure as vorn-cli render draws them, step by step, in wire
// frame and in CPK: the load (read, bonds, structure, colours), the context and view, the display
// lists and vertex buffers the mode draws from, the drawing, the read-back and the PNG file; and,
// given the program, vorn-cli render itself end to end (median of three runs).
//
//   picture_scale_bench SOURCE.pdb [ATOMS] [--size WxH] [--workdir DIR] [--cli VORN_CLI]
//
// The source protein's ATOM/HETATM records are copied with offsets on a cubic lattice (70 Å
// apart, chains cycling through A-Z, serial numbers running on) until the atom count is reached.
// Defaults: 1,000,000 atoms, 1000 × 800. The first frame builds the lists and buffers and draws;
// a second frame draws alone, so the lists and buffers took the first less the second.
#include "BenchSupport.h"
#include "document/VornDoc.h"
#include "output/ImageFiles.h"
#include "render/OffscreenPicture.h"
#include "render/ViewParameters.h"
#include "render/VornView.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using namespace vorn;
using namespace vorn::bench;

namespace {

struct Options {
    std::string source, cli, workdir = "/tmp";
    long atoms = 1000000;
    int width = 1000, height = 800;
};

void Steps(const Options& o, const std::string& file, int mode, const char* name) {
    const std::string png = o.workdir + "/vorn_picture_scale_bench.png";
    const auto start = Clock::now();
    auto t0 = start;
    const auto step = [&t0] {
        const double ms = Milliseconds(t0);
        t0 = Clock::now();
        return ms;
    };
    CVornDoc doc;
    if (!doc.ReadCoordinateFile(file))
        return;
    const double load = step();
    OffscreenPicture picture(doc, o.width, o.height);
    picture.View().SetRenderMode(mode);
    const double setUp = step();
    picture.MakeCurrent();
    picture.View().RenderScene(0);
    glFinish();
    const double first = step();
    const DibImage image = ReadPixelsAsDib(o.width, o.height);
    const double readBack = step();
    WritePngFile(png, image, file);
    const double write = step();
    const double total = Milliseconds(start);
    picture.View().RenderScene(0);
    glFinish();
    const double draw = step();
    std::remove(png.c_str());
    std::printf("%-5s load %6.0f  context and view %4.0f  display lists and buffers %5.0f  "
                "draw %6.0f  read-back %3.0f  PNG %4.0f  total %6.0f ms\n",
                name, load, setUp, std::max(0.0, first - draw), draw, readBack, write, total);
}

void EndToEnd(const Options& o, const std::string& file, const char* mode) {
    const std::string png = o.workdir + "/vorn_picture_scale_bench_cli.png";
    const std::string command = o.cli + " render " + file + " -o " + png + " --mode " + mode +
                                " --size " + std::to_string(o.width) + "x" +
                                std::to_string(o.height);
    std::vector<double> times;
    int status = 0;
    for (int run = 0; run < 3; ++run) {
        const auto t0 = Clock::now();
        status = std::system(command.c_str());
        times.push_back(Seconds(t0));
    }
    const Spread t = SpreadOf(times);
    std::printf("vorn-cli render --mode %-5s %6.2f s (%.2f .. %.2f, status %d)\n", mode, t.median,
                t.lo, t.hi, status);
    std::remove(png.c_str());
}

bool ParseOptions(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const bool value = i + 1 < argc;
        if (std::strcmp(argv[i], "--size") == 0 && value) {
            if (!ParseSize(argv[++i], o.width, o.height))
                return false;
        } else if (std::strcmp(argv[i], "--workdir") == 0 && value) {
            o.workdir = argv[++i];
        } else if (std::strcmp(argv[i], "--cli") == 0 && value) {
            o.cli = argv[++i];
        } else if (o.source.empty()) {
            o.source = argv[i];
        } else if (std::atol(argv[i]) > 0) {
            o.atoms = std::atol(argv[i]);
        } else {
            return false;
        }
    }
    return !o.source.empty();
}

} // namespace

int main(int argc, char** argv) {
    Options o;
    if (!ParseOptions(argc, argv, o)) {
        std::fprintf(stderr, "usage: picture_scale_bench SOURCE.pdb [ATOMS] [--size WxH] "
                             "[--workdir DIR] [--cli VORN_CLI]\n");
        return 2;
    }
    const std::string file = o.workdir + "/vorn_picture_scale_bench.pdb";
    const long atoms = WriteTiled(AtomRecords(o.source), o.atoms, file);
    if (atoms == 0) {
        std::fprintf(stderr, "no ATOM or HETATM records in %s, or %s not written\n",
                     o.source.c_str(), file.c_str());
        return 1;
    }
    std::printf("%ld atoms, %d x %d PNG\n", atoms, o.width, o.height);
    Steps(o, file, kWireFrame, "wire");
    Steps(o, file, kCpk, "cpk");
    if (!o.cli.empty()) {
        EndToEnd(o, file, "wire");
        EndToEnd(o, file, "cpk");
    }
    std::remove(file.c_str());
    return 0;
}
