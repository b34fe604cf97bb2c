// Measures the pictures of the view: EPS of a CPK scene with and without the visibility pass (time
// and file size), SVG and PDF of the same scene, the off-screen capture of a view as set up
// (RenderToDIB, a context and a view made for each picture), and vorn-cli render of a large
// structure to a PNG end to end.
//
//   pictures_bench SOURCE.pdb VORN_CLI [--vector ATOMS] [--cli ATOMS] [--workdir DIR]
//
// The source protein's ATOM/HETATM records are copied with offsets on a cubic lattice (70 Å
// apart, chains cycling through A-Z) until the atom count is reached. Defaults: 10,000 atoms for
// the vector pictures at 640 × 480, 100,000 atoms for vorn-cli at 1000 × 800.
#include "BenchSupport.h"
#include "document/VornDoc.h"
#include "render/OffscreenPicture.h"
#include "render/VectorPictures.h"
#include "render/VornView.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using namespace vorn;
using namespace vorn::bench;

namespace {

struct Options {
    std::string source, cli;
    long vectorAtoms = 10000, cliAtoms = 100000;
    std::string workdir = "/tmp";
};

double Megabytes(const std::string& path) {
    const long bytes = FileBytes(path);
    return bytes >= 0 ? double(bytes) / (1 << 20) : -1;
}

void EpsWithoutCulling(CVornView& view, const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "w");
    if (!f) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return;
    }
    const auto t0 = Clock::now();
    const PostScriptCounts c = WriteEpsOfView(view, f, nullptr, false);
    std::fclose(f);
    std::printf("%-28s %8.2f s %9.1f MB  (%d polygons, %d lines, %d points)\n",
                "eps, every polygon", Seconds(t0), Megabytes(path), c.polygons, c.lines, c.points);
}

void Vector(CVornView& view, const std::string& path, VectorFormat format, const char* what) {
    const auto t0 = Clock::now();
    view.ExportVectorPicture(path, format);
    std::printf("%-28s %8.2f s %9.1f MB\n", what, Seconds(t0), Megabytes(path));
}

void BenchVector(const Options& o, const std::vector<std::string>& records) {
    const std::string pdb = o.workdir + "/vorn_pictures_bench.pdb";
    if (WriteTiled(records, o.vectorAtoms, pdb) == 0)
        return;
    CVornDoc doc;
    const bool read = doc.ReadCoordinateFile(pdb);
    std::remove(pdb.c_str());
    if (!read)
        return;
    OffscreenPicture picture(doc, 640, 480);
    CVornView& view = picture.View();
    view.SetRenderMode(kCpk);
    std::printf("%ld atoms in CPK, 640 x 480\n", o.vectorAtoms);
    const std::string out = o.workdir + "/vorn_pictures_bench";
    picture.MakeCurrent();
    EpsWithoutCulling(view, out + "_all.eps");
    Vector(view, out + ".eps", VectorFormat::kEps, "eps, visibility pass");
    Vector(view, out + ".svg", VectorFormat::kSvg, "svg (gl2ps)");
    Vector(view, out + ".pdf", VectorFormat::kPdf, "pdf (gl2ps)");
    for (const char* ext : {"_all.eps", ".eps", ".svg", ".pdf"})
        std::remove((out + ext).c_str());
    const auto t0 = Clock::now();
    const int captures = 5;
    for (int i = 0; i < captures; ++i)
        view.RenderToDIB(640, 480, EglContexts());
    std::printf("%-28s %8.3f s each\n", "RenderToDIB 640 x 480", Seconds(t0) / captures);
}

void BenchCli(const Options& o, const std::vector<std::string>& records) {
    const std::string pdb = o.workdir + "/vorn_pictures_bench_cli.pdb";
    const std::string png = o.workdir + "/vorn_pictures_bench.png";
    if (WriteTiled(records, o.cliAtoms, pdb) == 0)
        return;
    std::printf("vorn-cli render, %ld atoms, 1000 x 800 PNG\n", o.cliAtoms);
    for (const char* mode : {"", " --mode cpk", " --mode cpk --polygons"}) {
        const std::string command =
            o.cli + " render " + pdb + " -o " + png + " --size 1000x800" + mode;
        const auto t0 = Clock::now();
        const int status = std::system(command.c_str());
        std::printf("%-28s %8.2f s  (status %d, %.1f MB)\n", *mode ? mode + 1 : "default mode",
                    Seconds(t0), status, Megabytes(png));
    }
    std::remove(pdb.c_str());
    std::remove(png.c_str());
}

bool ParseOptions(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const bool value = i + 1 < argc;
        if (std::strcmp(argv[i], "--vector") == 0 && value)
            o.vectorAtoms = std::atol(argv[++i]);
        else if (std::strcmp(argv[i], "--cli") == 0 && value)
            o.cliAtoms = std::atol(argv[++i]);
        else if (std::strcmp(argv[i], "--workdir") == 0 && value)
            o.workdir = argv[++i];
        else if (o.source.empty())
            o.source = argv[i];
        else if (o.cli.empty())
            o.cli = argv[i];
        else
            return false;
    }
    return !o.cli.empty() && o.vectorAtoms > 0 && o.cliAtoms > 0;
}

} // namespace

int main(int argc, char** argv) {
    Options o;
    if (!ParseOptions(argc, argv, o)) {
        std::fprintf(stderr, "usage: pictures_bench SOURCE.pdb VORN_CLI [--vector ATOMS] "
                             "[--cli ATOMS] [--workdir DIR]\n");
        return 2;
    }
    const std::vector<std::string> records = AtomRecords(o.source);
    if (records.empty()) {
        std::fprintf(stderr, "no ATOM or HETATM records in %s\n", o.source.c_str());
        return 1;
    }
    BenchVector(o, records);
    BenchCli(o, records);
    return 0;
}
