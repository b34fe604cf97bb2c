// The commands of vorn-cli: read as the viewer reads, then report, compare or write.
#include "Commands.h"

#include "Arguments.h"
#include "PictureOptions.h"
#include "Report.h"
#include "analysis/Superposition.h"
#include "analysis/VornSurface.h"
#include "core/UiHost.h"
#include "core/VornError.h"
#include "document/Trajectory.h"
#include "document/VornDoc.h"
#include "io/PdbWriter.h"
#include "model/MoleculeWriter.h"
#include "output/ImageFiles.h"
#include "render/MovieRecorder.h"
#include "render/OffscreenPicture.h"
#include "render/VornView.h"

#include <csignal>
#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

namespace vorn {

namespace {

// Warnings that the viewer shows in a message box are printed to stderr.
class ConsoleHost : public UiHost {
public:
    void ShowMessage(const std::string& text) override {
        std::fprintf(stderr, "vorn-cli: %s\n", text.c_str());
    }
};

ConsoleHost g_console;

void RequireFiles(const Arguments& args, int least, int most, const char* what) {
    const int count = args.reading.files.Count();
    if (count < least || (most > 0 && count > most))
        throw UsageError(args.command + " takes " + what);
}

// The processing mode chosen by -align and -cm (align wins).
int ModeOf(const Arguments& args) {
    return args.reading.align ? kTrajectoryAlign
                              : (args.reading.zeroCom ? kTrajectoryZeroCom : kTrajectoryVerbatim);
}

// Reads every file, then the trajectory of -dcd, into the document as the viewer does at start.
// The first failure is raised naming its file; nothing has been printed by then.
void Load(CVornDoc& doc, const Arguments& args) {
    doc.connectOnRead = args.reading.connect;
    doc.multiModelTraj = args.reading.multi;
    doc.multiModelTrajProcess = ModeOf(args);
    const bool withTrajectory = !args.reading.dcdFile.empty();
    if (withTrajectory && args.reading.files.Count() > 1)
        VORN_RAISE("Vorn", "Only one structure can be read when reading DCD files");
    for (const std::string& file : args.reading.files) {
        try {
            if (!doc.ReadCoordinateFile(file))
                VORN_RAISE("Vorn", "Unable to read file");
        } catch (const VornError& e) {
            throw VornError(file + ": " + e.Message(), e.Source(), e.Line());
        }
    }
    if (withTrajectory)
        doc.ReadTrajectory(args.reading.dcdFile, kTrajectoryDcd, ModeOf(args),
                           "Trajectory read has been canceled");
}

template <typename Print>
int ReportEach(const Arguments& args, int most, const char* what, Print print) {
    RequireFiles(args, 1, most, what);
    CVornDoc doc(&g_console);
    Load(doc, args);
    bool first = true;
    for (const auto& mol : doc.molecules) {
        print(*mol, first);
        first = false;
    }
    return 0;
}

// Atoms of a molecule chosen by --select, in file order.
std::vector<int> Selected(const Molecule& mol, const std::string& selection) {
    std::vector<int> atoms;
    for (int i = 0; i < mol.AtomCount(); ++i) {
        const Atom& atom = mol.atoms[static_cast<size_t>(i)];
        const bool take = selection == "all" ||
                          (selection == "heavy" && atom.element != kHydrogen) ||
                          (selection == "ca" && std::string(atom.name) == "CA");
        if (take)
            atoms.push_back(i);
    }
    return atoms;
}

// The checks of the alignment tool, in its order and with its messages.
void CheckPairs(const std::vector<int>& a, const std::vector<int>& b, bool align) {
    if (a.size() != b.size())
        VORN_RAISE("Vorn", "Please select the same number of atoms from both molecules");
    if (align && a.size() < 3)
        VORN_RAISE("Vorn", "Please select at least three atoms from  each molecule");
    if (a.empty())
        VORN_RAISE("Vorn", "Please select at least one atom from  each molecule");
}

} // namespace

int RunInfo(const Arguments& args) {
    return ReportEach(args, 0, "one or more files", [](const Molecule& mol, bool first) {
        std::fputs(first ? "" : "\n", stdout);
        PrintInfo(stdout, mol);
    });
}

int RunResidues(const Arguments& args) {
    return ReportEach(args, 1, "exactly one file",
                      [](const Molecule& mol, bool) { PrintResidues(stdout, mol); });
}

int RunBonds(const Arguments& args) {
    return ReportEach(args, 1, "exactly one file",
                      [](const Molecule& mol, bool) { PrintBonds(stdout, mol); });
}

int RunRmsd(const Arguments& args) {
    RequireFiles(args, 2, 2, "two files, A and B");
    const std::string selection = args.Value("--select", "all");
    if (selection != "all" && selection != "heavy" && selection != "ca")
        throw UsageError("--select takes all, heavy or ca");
    CVornDoc doc(&g_console);
    Load(doc, args);
    const Molecule& a = doc.MoleculeAt(0);
    Molecule& b = doc.MoleculeAt(1);
    const std::vector<int> listA = Selected(a, selection), listB = Selected(b, selection);
    const bool align = args.Has("--align"), mass = args.Has("--mass");
    CheckPairs(listA, listB, align);
    if (align)
        AlignMolecules(a, b, listA, listB, mass);
    const double rmsd = ComputeRmsd(a, b, listA, listB, mass);
    if (args.values.count("-o"))
        SaveCoordinates({&b}, args.Value("-o", ""), kSavePdb, kPdbMinPrecision, true, false);
    std::printf("RMSD = %.3f\n", rmsd);
    return 0;
}

int RunSave(const Arguments& args) {
    RequireFiles(args, 1, 0, "one or more files");
    if (!args.values.count("-o"))
        throw UsageError("save needs -o OUT.pdb");
    CVornDoc doc(&g_console);
    Load(doc, args);
    std::vector<const Molecule*> molecules;
    for (const auto& mol : doc.molecules)
        molecules.push_back(mol.get());
    SaveCoordinates(molecules, args.Value("-o", ""), kSavePdb,
                    args.IntValue("--precision", kPdbMinPrecision), !args.Has("--no-conect"),
                    !args.Has("--no-normalize"));
    return 0;
}

int RunTraj(const Arguments& args) {
    RequireFiles(args, 1, 1, "exactly one file");
    if ((args.reading.dcdFile.empty() && !args.reading.multi) || !args.values.count("-o"))
        throw UsageError("traj needs frames (-dcd DCD, or -multi for a multi-model file) and "
                         "-o OUT.pdb");
    CVornDoc doc(&g_console);
    Load(doc, args);
    const Molecule& mol = *doc.primary;
    const int start = args.IntValue("--start", 1);
    const int stop = args.IntValue("--stop", mol.frameCount);
    return ExportTrajectory(mol, args.Value("-o", ""), start, stop, &g_console) ? 0 : 1;
}

int RunArea(const Arguments& args) {
    RequireFiles(args, 1, 1, "exactly one file");
    const std::string by = args.Value("--by", "");
    if (by != "residue" && by != "atom")
        throw UsageError("area needs --by residue or --by atom");
    const int quality = args.IntValue("--quality", -1);
    const double probe = args.NumberValue("--probe", 0.0);
    if (args.values.count("--quality") && (quality < 0 || quality > 100))
        throw UsageError("--quality takes 0 to 100");
    if (probe < 0.0 || probe > 3.0)
        throw UsageError("--probe takes 0.0 to 3.0 (Angstrom)");
    CVornDoc doc(&g_console);
    Load(doc, args);
    Molecule& mol = *doc.primary;
    if (quality >= 0)
        mol.surface.SetQuality(quality);
    mol.surface.probeRadius = static_cast<float>(probe);
    mol.surface.includeSolvent = args.Has("--solvent");
    std::fputs(SurfaceAreaReport(mol, by == "residue", &g_console).c_str(), stdout);
    std::fputs("\n", stdout);
    return 0;
}

int RunHbonds(const Arguments& args) {
    RequireFiles(args, 1, 0, "one or more files");
    CVornDoc doc(&g_console);
    Load(doc, args);
    doc.FindHydrogenBonds();
    std::printf("hbonds: %zu\n", doc.hydrogenBonds.size());
    for (const HydrogenBond& h : doc.hydrogenBonds) {
        const Molecule& donor = doc.MoleculeAt(h.donorMolecule);
        const Molecule& acceptor = doc.MoleculeAt(h.acceptorMolecule);
        std::printf("%d:%d %d:%d\n", h.donorMolecule + 1,
                    donor.atoms[static_cast<size_t>(h.donorAtom)].serial, h.acceptorMolecule + 1,
                    acceptor.atoms[static_cast<size_t>(h.acceptorAtom)].serial);
    }
    return 0;
}

namespace {

// Render modes by the names scripts use, in the order of their numbers.
const char* const kModeNames[] = {"hide",
                                  "wire",
                                  "cpk",
                                  "points",
                                  "sticks",
                                  "ballstick",
                                  "trace-sticks",
                                  "trace-wire",
                                  "spline",
                                  "ribbon",
                                  "flat-ribbon",
                                  "tube",
                                  "temperature-tube",
                                  "occupancy-tube"};
static_assert(sizeof kModeNames / sizeof kModeNames[0] == kRenderModeCount,
              "every render mode has a name");

int ModeOfName(const std::string& name) {
    for (int mode = 0; mode < kRenderModeCount; ++mode)
        if (name == kModeNames[mode] || name == std::to_string(mode))
            return mode;
    throw UsageError("--mode takes hide, wire, cpk, points, sticks, ballstick, trace-sticks, "
                     "trace-wire, spline, ribbon, flat-ribbon, tube, temperature-tube or "
                     "occupancy-tube (0 to 13)");
}

// "WxH" with both sides from 1 to 4096.
void SizeOfText(const std::string& text, int& width, int& height) {
    char tail = 0;
    if (std::sscanf(text.c_str(), "%dx%d%c", &width, &height, &tail) != 2 || width < 1 ||
        height < 1 || width > 4096 || height > 4096)
        throw UsageError("--size takes WIDTHxHEIGHT, each 1 to 4096 pixels");
}

// The annotations asked for, in the frame that is drawn: hydrogen bonds are found there.
void ShowAnnotations(const Arguments& args, CVornDoc& doc, CVornView& view) {
    if (args.Has("--labels"))
        for (auto& mol : doc.molecules)
            mol->atomLabels = true;
    view.params.axesShown = args.Has("--axes");
    if (args.Has("--hbonds"))
        view.ToggleHydrogenBonds();
}

// The surface and the clipping plane render is asked for, checked before anything is read.
struct SurfaceAndClip {
    int style = -1;   // a SurfaceStyle; -1 no surface
    int quality = -1; // 0 to 100; -1 the surface's default
    float probe = 0;  // Å
    bool clip = false;
    float clipDepth = 0; // scene units in front of the scene's centre
};

SurfaceAndClip SurfaceAndClipOf(const Arguments& args) {
    SurfaceAndClip s;
    const bool quality = args.values.count("--surface-quality") != 0;
    if (args.values.count("--surface")) {
        const std::string name = args.Value("--surface", "");
        const char* const styles[] = {"solid", "mesh", "dots"}; // in SurfaceStyle order
        for (int style = kSolidSurface; style <= kDotSurface; ++style)
            if (name == styles[style])
                s.style = style;
        if (s.style < 0)
            throw UsageError("--surface takes solid, mesh or dots");
    } else if (quality || args.values.count("--probe")) {
        throw UsageError("--surface-quality and --probe need --surface");
    }
    s.quality = args.IntValue("--surface-quality", -1);
    if (quality && (s.quality < 0 || s.quality > 100))
        throw UsageError("--surface-quality takes 0 to 100");
    const double radius = args.NumberValue("--probe", 0.0);
    if (radius < 0.0 || radius > 3.0)
        throw UsageError("--probe takes 0.0 to 3.0 (Angstrom)");
    s.probe = static_cast<float>(radius);
    s.clip = args.values.count("--clip") != 0;
    const double depth = args.NumberValue("--clip", 0.0);
    if (depth < -7.0 || depth > 7.0)
        throw UsageError("--clip takes -7 to 7 (scene units)");
    s.clipDepth = static_cast<float>(depth);
    return s;
}

// Every molecule's surface, built from the frame that is drawn, and the plane facing the eye.
void ShowSurfacesAndClip(const SurfaceAndClip& s, CVornDoc& doc, CVornView& view) {
    if (s.style >= 0)
        for (auto& mol : doc.molecules) {
            mol->surface.SetQuality(s.quality); // -1 leaves the default
            mol->surface.probeRadius = s.probe;
            mol->surface.drawStyle = s.style;
            view.BuildMoleculeSurface(*mol);
            if (mol->surface.TriangleCount() == 0)
                g_console.ShowMessage(mol->fileName + ": no surface: none of its atoms takes part "
                                                      "(hetero atoms are left out)");
        }
    if (s.clip) {
        view.clipPlane.SetPlane({0, 0, s.clipDepth}, {0, 0, 1}, true);
        if (!view.params.clipView)
            view.ToggleClipView();
    }
}

} // namespace

int RunRender(const Arguments& args) {
    RequireFiles(args, 1, 0, "one or more files");
    const PictureOutput output = PictureOutputOf(args);
    int width = 640, height = 480;
    if (args.values.count("--size"))
        SizeOfText(args.Value("--size", ""), width, height);
    const int mode = args.values.count("--mode") ? ModeOfName(args.Value("--mode", "")) : -1;
    const SurfaceAndClip surfaceAndClip = SurfaceAndClipOf(args);
    const ViewOptions viewOptions = ViewOptionsOf(args);
    CVornDoc doc(&g_console);
    Load(doc, args);
    const int frame = args.IntValue("--frame", 0);
    if (frame < 0 || frame >= doc.FrameModulus())
        throw UsageError("--frame takes 0 to " + std::to_string(doc.FrameModulus() - 1));
    OffscreenPicture picture(doc, width, height);
    if (mode >= 0) {
        for (auto& mol : doc.molecules)
            mol->active = true;
        picture.View().SetRenderMode(mode);
    }
    doc.SetFrame(frame);
    ShowAnnotations(args, doc, picture.View());
    picture.View().params.drawPolygons = args.Has("--polygons");
    ApplyViewOptions(viewOptions, doc, picture.View()); // colours before surfaces take them
    ShowSurfacesAndClip(surfaceAndClip, doc, picture.View());
    WritePicture(output, doc, picture);
    return 0;
}

namespace {

// The codec named by --codec among those the machine can write into the movie's container.
MovieCodec CodecOfName(const std::string& name, MovieContainer container) {
    std::string names;
    for (const MovieCodecInfo& codec : AvailableMovieCodecs(container)) {
        if (name == codec.key)
            return codec.codec;
        names += (names.empty() ? "" : ", ") + std::string(codec.key);
    }
    throw UsageError("--codec takes " + names + " for an " +
                     (container == MovieContainer::mp4 ? "MP4" : "AVI") + " file");
}

// Ctrl+C or a termination request stops the recording after the frame being drawn, so that no
// half-written movie is left behind.
volatile std::sig_atomic_t g_interrupted = 0;

void OnInterrupt(int) {
    g_interrupted = 1;
}

} // namespace

int RunMovie(const Arguments& args) {
    RequireFiles(args, 1, 1, "exactly one file");
    if ((args.reading.dcdFile.empty() && !args.reading.multi) || !args.values.count("-o"))
        throw UsageError("movie needs frames (-dcd DCD, or -multi for a multi-model file) and "
                         "-o OUT.avi or -o OUT.mp4");
    MovieRequest request;
    request.fileName = args.Value("-o", "");
    const MovieContainer container = ContainerOfName(request.fileName);
    request.codec = args.values.count("--codec") ? CodecOfName(args.Value("--codec", ""), container)
                                                 : DefaultMovieCodec(container);
    request.frameRate = args.IntValue("--fps", 15);
    if (request.frameRate < 1 || request.frameRate > 120)
        throw UsageError("--fps takes 1 to 120");
    if (args.values.count("--size"))
        SizeOfText(args.Value("--size", ""), request.width, request.height);
    std::signal(SIGINT, OnInterrupt);
    std::signal(SIGTERM, OnInterrupt);
    CVornDoc doc(&g_console);
    Load(doc, args);
    const int last = doc.FrameModulus() - 1;
    request.start = args.IntValue("--start", 1);
    request.stop = args.IntValue("--stop", last);
    if (request.start < 0 || request.stop < request.start || request.stop > last)
        throw UsageError("--start and --stop take 0 to " + std::to_string(last) +
                         ", the start not after the stop");
    const bool terminal = isatty(fileno(stderr));
    const bool done = RecordMovie(doc, nullptr, request, [&](int written, int total) {
        if (terminal)
            std::fprintf(stderr, "\rvorn-cli: frame %d of %d%s", written, total,
                         written == total ? "\n" : "");
        return g_interrupted == 0;
    });
    if (!done) {
        std::fprintf(stderr, "%svorn-cli: interrupted, nothing written\n", terminal ? "\n" : "");
        return 130;
    }
    return 0;
}

} // namespace vorn
