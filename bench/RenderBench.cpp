// Measures the off-screen frame time of every render mode on proteins tiled to given atom counts:
// the median of several frames, with and without the read-back of the picture; the time the solid
// ribbon and the tube take to build their arrays; and the time of one pick (a click in the middle
// of the window) in CPK.
//
//   render_bench SOURCE.pdb [ATOMS...] [--size WxH] [--frames N] [--workdir DIR] [--paths-only]
//
// The solids (CPK, sticks, ball and stick) are also timed on both paths side by side, impostors
// and polygons, their frames taken in turn so that a changing load on the machine weighs on both
// alike. --paths-only leaves out the table of every mode, the ribbon build and the pick (for a
// million atoms, where polygon frames take seconds).
//
// The source protein's ATOM/HETATM records are copied with offsets on a cubic lattice (70 Å
// apart, chains cycling through A-Z) until each atom count is reached; bonds come from distances
// as the viewer reads them. Defaults: 10000 and 100000 atoms, 640 × 480, 5 frames.
#include "BenchSupport.h"
#include "document/VornDoc.h"
#include "render/OffscreenPicture.h"
#include "render/Ribbons.h"
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
    std::string source;
    std::vector<long> atoms;
    int width = 640, height = 480;
    int frames = 5;
    std::string workdir = "/tmp";
    bool pathsOnly = false;
};

struct ModeTiming {
    double withReadBack; // Render(): the scene and glReadPixels, which waits for the scene
    double sceneOnly;    // RenderScene(0) and glFinish
};

ModeTiming TimeMode(OffscreenPicture& picture, int mode, int frames) {
    picture.View().SetRenderMode(mode);
    picture.Render(); // warm up: lists compiled, driver caches filled
    std::vector<double> full, scene;
    for (int i = 0; i < frames; ++i) {
        auto t0 = Clock::now();
        picture.Render();
        full.push_back(Milliseconds(t0));
        // Render() left the picture's context current.
        t0 = Clock::now();
        picture.View().RenderScene(0);
        glFinish();
        scene.push_back(Milliseconds(t0));
    }
    return {Median(full), Median(scene)};
}

// One pick at the middle of the window in CPK: the selection pass over every atom and bond.
double TimePick(OffscreenPicture& picture, int width, int height, int frames, PickResult& hit) {
    picture.View().SetRenderMode(kCpk);
    picture.Render(); // makes the picture's context current
    std::vector<double> times;
    for (int i = 0; i < frames; ++i) {
        const auto t0 = Clock::now();
        hit = picture.View().Pick(width / 2, height / 2);
        times.push_back(Milliseconds(t0));
    }
    return Median(times);
}

struct NamedMode {
    const char* name;
    int mode;
};
const NamedMode kModes[] = {{"hide", kHideMolecule},
                            {"wire", kWireFrame},
                            {"cpk", kCpk},
                            {"points", kPoints},
                            {"sticks", kSticks},
                            {"ballstick", kBallAndStick},
                            {"trace-sticks", kTraceSticks},
                            {"trace-wire", kTraceWireFrame},
                            {"spline", kSpline},
                            {"ribbon", kSolidRibbon},
                            {"flat-ribbon", kFlatRibbon},
                            {"tube", kTube},
                            {"temp-tube", kTemperatureTube},
                            {"occ-tube", kOccupancyTube}};

// The ribbon's arrays built alone, without GL: the part of a ribbon frame spent before drawing.
void TimeRibbonBuild(Molecule& mol, const Resolution& res, int frames) {
    for (const NamedMode& m : {NamedMode{"ribbon", kSolidRibbon}, NamedMode{"tube", kTube}}) {
        SetRibbonProfile(mol, m.mode);
        BackboneMesh mesh;
        std::vector<double> times;
        for (int i = 0; i < frames; ++i) {
            const auto t0 = Clock::now();
            BuildSolidRibbon(mol, res, mesh);
            times.push_back(Milliseconds(t0));
        }
        std::printf("%-12s %12.2f ms to build %d vertices in %zu primitives\n", m.name,
                    Median(times), mesh.VertexCount(), mesh.primitives.size());
    }
}

// The range and median of a list of milliseconds, as "median (min-max)".
std::string SpreadText(const std::vector<double>& v) {
    const Spread s = SpreadOf(v);
    char text[64];
    std::snprintf(text, sizeof text, "%8.1f (%.1f-%.1f)", s.median, s.lo, s.hi);
    return text;
}

// Impostors and polygons of each solid mode, frame for frame in turn: the scene alone (drawn and
// finished, as a turning molecule is), after one warm-up frame each that fills the buffers and
// compiles the shaders.
void ComparePaths(OffscreenPicture& picture, int frames) {
    CVornView& view = picture.View();
    std::printf("%-12s %24s %24s  (ms: median (range) of %d frames)\n", "solids", "impostors",
                "polygons", frames);
    for (const NamedMode& m : {NamedMode{"cpk", kCpk}, NamedMode{"sticks", kSticks},
                               NamedMode{"ballstick", kBallAndStick}}) {
        view.SetRenderMode(m.mode);
        std::vector<double> times[2];
        for (int i = -1; i < frames; ++i)
            for (int polygons = 0; polygons < 2; ++polygons) {
                view.params.drawPolygons = polygons == 1;
                picture.MakeCurrent();
                const auto t0 = Clock::now();
                view.RenderScene(0);
                glFinish();
                if (i >= 0)
                    times[polygons].push_back(Milliseconds(t0));
            }
        view.params.drawPolygons = false;
        const std::string impostors = SpreadText(times[0]), polygons = SpreadText(times[1]);
        std::printf("%-12s %24s %24s\n", m.name, impostors.c_str(), polygons.c_str());
    }
    std::printf("impostor vertex buffers filled: %d\n", view.impostors.BuffersFilled());
}

// Frame times of one tiled file: both paths side by side, then (unless only the paths were
// asked for) every mode, the ribbon build and the pick.
void BenchFrames(const Options& o, const std::string& file, long atoms) {
    CVornDoc doc;
    auto t0 = Clock::now();
    const bool read = doc.ReadCoordinateFile(file);
    const double readMs = Milliseconds(t0);
    if (!read) {
        std::fprintf(stderr, "no atoms read from %s\n", file.c_str());
        return;
    }
    OffscreenPicture picture(doc, o.width, o.height);
    std::printf("\n%ld atoms, %zu bonds (read %.0f ms), %dx%d, median of %d frames\n", atoms,
                doc.primary->bonds.size(), readMs, o.width, o.height, o.frames);
    std::printf("renderer: %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    ComparePaths(picture, o.frames);
    if (o.pathsOnly)
        return;
    std::printf("%-12s %12s %14s\n", "mode", "frame ms", "scene ms");
    for (const NamedMode& m : kModes) {
        const ModeTiming t = TimeMode(picture, m.mode, o.frames);
        std::printf("%-12s %12.2f %14.2f\n", m.name, t.withReadBack, t.sceneOnly);
    }
    TimeRibbonBuild(*doc.primary, picture.View().params.res, o.frames);
    // Smoothed lines are the software driver's dearest primitive: the wire frame once more without.
    picture.View().ToggleAntiAlias();
    const ModeTiming t = TimeMode(picture, kWireFrame, o.frames);
    std::printf("%-12s %12.2f %14.2f  (anti-aliasing off)\n", "wire", t.withReadBack, t.sceneOnly);
    picture.View().ToggleAntiAlias();
    PickResult hit;
    const double pick = TimePick(picture, o.width, o.height, o.frames, hit);
    std::printf("%-12s %12.2f %14s  (cpk; hit kind %d, index %d)\n", "pick", pick, "", hit.kind,
                hit.index);
}

void BenchSize(const Options& o, const std::vector<std::string>& records, long target) {
    const std::string file = o.workdir + "/vorn_render_bench_" + std::to_string(target) + ".pdb";
    const long atoms = WriteTiled(records, target, file);
    BenchFrames(o, file, atoms);
    std::remove(file.c_str());
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
        } else if (std::strcmp(argv[i], "--paths-only") == 0) {
            o.pathsOnly = true;
        } else if (o.source.empty()) {
            o.source = argv[i];
        } else if (std::atol(argv[i]) > 0) {
            o.atoms.push_back(std::atol(argv[i]));
        } else {
            return false;
        }
    }
    if (o.atoms.empty())
        o.atoms = {10000, 100000};
    return !o.source.empty();
}

} // namespace

int main(int argc, char** argv) {
    Options o;
    if (!ParseOptions(argc, argv, o)) {
        std::fprintf(stderr, "usage: render_bench SOURCE.pdb [ATOMS...] [--size WxH] "
                             "[--frames N] [--workdir DIR] [--paths-only]\n");
        return 2;
    }
    const std::vector<std::string> records = AtomRecords(o.source);
    if (records.empty()) {
        std::fprintf(stderr, "no ATOM or HETATM records in %s\n", o.source.c_str());
        return 1;
    }
    for (long target : o.atoms)
        BenchSize(o, records, target);
    return 0;
}
