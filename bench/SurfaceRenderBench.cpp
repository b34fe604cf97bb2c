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
#include "document/VornDoc.h"
#include "render/OffscreenPicture.h"
#include "render/Trackball.h"
#include "render/VornView.h"

#include <GL/gl.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

using namespace vorn;

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::time_point since) {
    return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// The ATOM and HETATM records up to the coordinates (column 54), and their largest extent (Å).
std::vector<std::string> Records(const std::string& path, double& extent) {
    std::ifstream in(path);
    std::vector<std::string> records;
    double lo[3] = {1e30, 1e30, 1e30}, hi[3] = {-1e30, -1e30, -1e30};
    for (std::string line; std::getline(in, line);) {
        if ((line.rfind("ATOM  ", 0) != 0 && line.rfind("HETATM", 0) != 0) || line.size() < 54)
            continue;
        records.push_back(line.substr(0, 54));
        for (size_t k = 0; k < 3; ++k) {
            const double v = std::atof(line.substr(30 + 8 * k, 8).c_str());
            lo[k] = std::min(lo[k], v), hi[k] = std::max(hi[k], v);
        }
    }
    extent = std::max({hi[0] - lo[0], hi[1] - lo[1], hi[2] - lo[2]});
    return records;
}

// Writes copies of the records until atoms are reached; false when the file cannot be written.
bool WriteTiled(const std::vector<std::string>& records, double spacing, long atoms,
                const std::string& out) {
    std::FILE* f = std::fopen(out.c_str(), "w");
    if (!f)
        return false;
    const long per = static_cast<long>(records.size());
    const long copies = (atoms + per - 1) / per;
    const long side = static_cast<long>(std::ceil(std::cbrt(static_cast<double>(copies))));
    long written = 0;
    for (long c = 0; c < copies; ++c) {
        const long cell[3] = {c % side, (c / side) % side, c / (side * side)};
        for (const std::string& r : records) {
            if (written == atoms)
                break;
            ++written;
            double xyz[3];
            for (size_t k = 0; k < 3; ++k)
                xyz[k] = std::atof(r.substr(30 + 8 * k, 8).c_str()) + spacing * double(cell[k]);
            std::fprintf(f, "%s%5ld %s%c%s%8.3f%8.3f%8.3f  1.00 20.00\n", r.substr(0, 6).c_str(),
                         written % 100000, r.substr(12, 9).c_str(), char('A' + c % 26),
                         r.substr(22, 8).c_str(), xyz[0], xyz[1], xyz[2]);
        }
        std::fprintf(f, "TER\n");
    }
    std::fprintf(f, "END\n");
    return std::fclose(f) == 0;
}

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
    double extent = 0;
    const std::vector<std::string> records = Records(source, extent);
    const std::string file = o.workdir + "/vorn_surface_bench_" + std::to_string(atoms) + ".pdb";
    if (records.empty() || !WriteTiled(records, extent + 4, atoms, file)) {
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
            if (std::sscanf(argv[++i], "%dx%d", &o.width, &o.height) != 2 || o.width <= 0 ||
                o.height <= 0)
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
