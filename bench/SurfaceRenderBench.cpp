// Times the molecular surface on screen, off screen: the build of a protein's surface with its
// first frame, and the frame while the protein turns with its surface solid, as a mesh and as
// dots (median of several frames, the picture read back, so the drawing has finished).
//
//   surface_render_bench [PDB:ATOMS...] [--size WxH] [--frames N] [--workdir DIR]
//       (defaults tests/data/1a0q.pdb:5000 tests/data/1aki.pdb:50000, 640 x 480, 10 frames)
//
// The file's ATOM and HETATM records are copied on a cubic lattice, one protein's extent plus
// 4 Å apart, until ATOMS are reached, and read as the viewer reads them. The surface has the
// default settings (quality 70, probe 0, solvent left out); the protein is drawn in wire frame.
#include "BenchSupport.h"
#include "document/VornDoc.h"
#include "render/OffscreenPicture.h"
#include "render/Trackball.h"
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

// Frames while every molecule turns a little between them, as a left drag turns it.
double TurningFrame(OffscreenPicture& picture, CVornDoc& doc, int frames) {
    picture.Render(); // warm up
    std::vector<double> times;
    for (int i = 0; i < frames; ++i) {
        for (auto& mol : doc.molecules) {
            mol->motion.increment = TrackballIncrement({0, 0}, {0.03f, 0.01f}, 0.8f);
            Compose(mol->motion);
        }
        const auto t0 = Clock::now();
        picture.Render();
        times.push_back(Milliseconds(t0));
    }
    return Median(times);
}

struct Options {
    std::vector<std::pair<std::string, long>> proteins;
    int width = 640, height = 480, frames = 10;
    std::string workdir = "/tmp";
};

void Bench(const Options& o, const std::string& source, long atoms) {
    const std::vector<std::string> records = AtomRecords(source);
    const std::string file = o.workdir + "/vorn_surface_bench_" + std::to_string(atoms) + ".pdb";
    if (WriteTiled(records, atoms, file, Extent(records) + 4) == 0) {
        std::fprintf(stderr, "no atoms from %s, or %s not written\n", source.c_str(), file.c_str());
        return;
    }
    CVornDoc doc;
    const bool read = doc.ReadCoordinateFile(file);
    std::remove(file.c_str());
    if (!read)
        return;
    OffscreenPicture picture(doc, o.width, o.height);
    CVornView& view = picture.View();
    std::printf("\n%s tiled to %d atoms, %dx%d, %s\n", source.c_str(), doc.primary->AtomCount(),
                o.width, o.height, reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    std::printf("%-22s %10.1f ms\n", "frame, no surface", TurningFrame(picture, doc, o.frames));

    auto t0 = Clock::now();
    view.SurfaceCommand(kSolidSurface);
    const double build = Milliseconds(t0);
    picture.Render();
    const double first = Milliseconds(t0);
    const SurfaceMesh& s = doc.primary->surface;
    std::printf("surface: %d vertices, %d triangles, grid %dx%dx%d\n", s.VertexCount(),
                s.TriangleCount(), s.gridSize[0], s.gridSize[1], s.gridSize[2]);
    std::printf("%-22s %10.1f ms  (build %.1f ms)\n", "build + first frame", first, build);
    const char* const names[] = {"solid", "mesh", "dots"};
    for (int style = kSolidSurface; style <= kDotSurface; ++style) {
        doc.primary->surface.drawStyle = style; // the surface built above, in this style
        std::printf("frame, %-15s %10.1f ms\n", names[style], TurningFrame(picture, doc, o.frames));
    }
    // Smoothed lines are the software driver's dearest primitive: the mesh once more without.
    view.ToggleAntiAlias();
    doc.primary->surface.drawStyle = kMeshSurface;
    std::printf("frame, %-15s %10.1f ms  (anti-aliasing off)\n", names[kMeshSurface],
                TurningFrame(picture, doc, o.frames));
    view.ToggleAntiAlias();
}

bool ParseOptions(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(argv[i], "--size") == 0 && hasValue) {
            if (!ParseSize(argv[++i], o.width, o.height))
                return false;
        } else if (std::strcmp(argv[i], "--frames") == 0 && hasValue) {
            o.frames = std::max(1, std::atoi(argv[++i]));
        } else if (std::strcmp(argv[i], "--workdir") == 0 && hasValue) {
            o.workdir = argv[++i];
        } else if (const char* colon = std::strrchr(argv[i], ':');
                   colon && std::atol(colon + 1) > 0) {
            o.proteins.emplace_back(std::string(argv[i], size_t(colon - argv[i])),
                                    std::atol(colon + 1));
        } else {
            return false;
        }
    }
    if (o.proteins.empty())
        o.proteins = {{"tests/data/1a0q.pdb", 5000}, {"tests/data/1aki.pdb", 50000}};
    return true;
}

} // namespace

int main(int argc, char** argv) {
    Options o;
    if (!ParseOptions(argc, argv, o)) {
        std::fprintf(stderr, "usage: surface_render_bench [PDB:ATOMS...] [--size WxH] "
                             "[--frames N] [--workdir DIR]\n");
        return 2;
    }
    for (const auto& [source, atoms] : o.proteins)
        Bench(o, source, atoms);
    return 0;
}
