// vorn-cli: the Vorn engine for scripts. Reads structures as the viewer does and prints reports.
#include "Arguments.h"
#include "Commands.h"
#include "core/VornError.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <string>

using namespace vorn;

namespace {

const char* const kUsage =
    "usage: vorn-cli COMMAND [options] FILE...\n"
    "commands:\n"
    "  info FILE...      summary of each molecule (atoms, chains, residues, bonds, frames, box,\n"
    "                    structure)\n"
    "  residues FILE     residue table: residue, chain, model, secondary structure\n"
    "  bonds FILE        one bond a line: the serial numbers of the two atoms\n"
    "  rmsd A B [--select all|heavy|ca] [--mass] [--align] [-o OUT.pdb]\n"
    "                    RMSD of the selected atoms paired in file order; --align moves B onto A\n"
    "                    first, -o saves the moved B\n"
    "  save FILE... -o OUT.pdb [--precision P] [--no-conect] [--no-normalize]\n"
    "                    writes the molecules as the Save Coordinates command does\n"
    "  traj FILE -dcd DCD|-multi -o OUT.pdb [--start S] [--stop T]\n"
    "                    writes trajectory frames as a multi-model PDB file\n"
    "  area FILE --by residue|atom [--quality Q] [--probe R] [--solvent]\n"
    "                    surface areas per residue or atom, and their total (Angstrom^2)\n"
    "  hbonds FILE...    hydrogen bonds within and between the molecules: their count, then\n"
    "                    one bond a line as molecule:serial of donor and acceptor\n"
    "  render FILE... -o OUT.png|.bmp|.eps|.svg|.pdf [--mode M] [--size WxH] [--frame K]\n"
    "                    draws the molecules off screen as the viewer would show them, as\n"
    "                    pixels or (EPS, SVG, PDF) as vector shapes without hidden ones; M is\n"
    "                    hide, wire, cpk, points, sticks, ballstick, trace-sticks, trace-wire,\n"
    "                    spline, ribbon, flat-ribbon, tube, temperature-tube or\n"
    "                    occupancy-tube (or 0 to 13), K the trajectory frame (0 the structure\n"
    "                    itself)\n"
    "         [--labels] [--axes] [--hbonds]\n"
    "                    add the atoms' serial numbers, the axes of each molecule, the\n"
    "                    hydrogen bonds as dashed lines\n"
    "         [--polygons]\n"
    "                    spheres and cylinders as polygons instead of shaded impostors\n"
    "         [--color SCHEME] [--background R,G,B] [--fov DEGREES] [--turn X,Y,Z]\n"
    "                    colours the atoms by element, temperature, occupancy, structure,\n"
    "                    residue-type or index; sets the background (0 to 255 each) and the\n"
    "                    vertical field of view (above 0, below 180; default 60); turns the\n"
    "                    molecules about the screen's x, y and z axes by X, Y, Z degrees\n"
    "                    (right-handed, in that order)\n"
    "         [--surface solid|mesh|dots] [--surface-quality Q] [--probe R]\n"
    "                    the molecular surface of each molecule, drawn solid, as a mesh or\n"
    "                    as dots; Q from 0 (coarse) to 100 (fine), default 70; R the probe\n"
    "                    radius, 0.0 to 3.0 Angstrom, default 0\n"
    "         [--clip DEPTH]\n"
    "                    cuts away all that lies nearer the eye than a plane facing the eye\n"
    "                    DEPTH scene units in front of the scene's centre (negative: behind\n"
    "                    it), -7 to 7; the scene reaches about 4 units from its centre, so 0\n"
    "                    cuts it in half and 4 or more hardly cuts it\n"
    "  movie FILE -dcd DCD|-multi -o OUT.avi|OUT.mp4 [--codec C] [--fps N] [--size WxH]\n"
    "         [--start S] [--stop T]\n"
    "                    records trajectory frames S to T (default 1 to the last; 0 is the\n"
    "                    structure itself) drawn off screen as a movie, every frame a key\n"
    "                    frame; C is raw (uncompressed, the default for AVI), mjpeg, mpeg4,\n"
    "                    ffv1 or h264 (the default for MP4, else mpeg4), as FFmpeg offers\n"
    "                    them; N frames per second, 1 to 120 (15)\n"
    "reading options:\n"
    "  -no_connect       take bonds from the file's CONECT records only\n"
    "  -multi            read the models of a multi-model file as trajectory frames\n"
    "  -dcd FILE         read a DCD trajectory for the (single) structure\n"
    "  -cm               remove the centre of mass from every frame\n"
    "  -align            turn every frame onto the structure (wins over -cm)\n";

using Command = int (*)(const Arguments&);

const std::map<std::string, Command> kCommands = {
    {"info", RunInfo},     {"residues", RunResidues}, {"bonds", RunBonds}, {"rmsd", RunRmsd},
    {"save", RunSave},     {"traj", RunTraj},         {"area", RunArea},   {"hbonds", RunHbonds},
    {"render", RunRender}, {"movie", RunMovie},
};

} // namespace

int main(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], "-h") == 0 || std::strcmp(argv[1], "--help") == 0) {
        std::fputs(kUsage, argc < 2 ? stderr : stdout);
        return argc < 2 ? 2 : 0;
    }
    static char buffer[1 << 16]; // reports of a million bonds
    std::setvbuf(stdout, buffer, _IOFBF, sizeof buffer);
    try {
        const auto command = kCommands.find(argv[1]);
        if (command == kCommands.end())
            throw UsageError(std::string("unknown command '") + argv[1] + "'");
        return command->second(ParseArguments(argc, argv));
    } catch (const UsageError& e) {
        std::fprintf(stderr, "vorn-cli: %s\n%s", e.what(), kUsage);
        return 2;
    } catch (const VornError& e) {
        std::fprintf(stderr, "vorn-cli: %s [%s:%d]\n", e.what(), e.Source().c_str(), e.Line());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vorn-cli: %s\n", e.what());
    }
    return 1;
}
