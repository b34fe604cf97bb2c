// Measures the whole read of a structure (read, build, bonds, radii, secondary structure,
// colours, trajectory processing) on proteins tiled to a given atom count: time per stage and
// peak resident memory.
//
//   read_bench SOURCE.pdb ATOMS [WORKDIR] [--mmcif] [--gzip] [--repeat N] [--write FILE]
//
// --repeat reads the same file N times (default 1) and gives each stage's median and range;
// --gzip writes and reads the file gzip-compressed; --write only writes the tiled file (named
// FILE, compressed when it ends in .gz) for timing other programs on it. VORN_BENCH_KEEP=1 keeps
// the tiled file. VORN_THREADS sets the threads, as for the programs.
//
// The source protein's ATOM/HETATM and CONECT records are copied with offsets on a cubic
// lattice until the atom count is reached; serial numbers run on, chains cycle through A-Z.
// With --mmcif the same tiled structure is written as the archive writes mmCIF (an atom_site
// table of 21 columns, the CONECT pairs as struct_conn links) and read as mmCIF.
#include "BenchSupport.h"
#include "analysis/SecondaryStructure.h"
#include "appearance/ColorScheme.h"
#include "appearance/Radii.h"
#include "core/Parallel.h"
#include "document/Trajectory.h"
#include "document/VornDoc.h"
#include "io/MmcifFile.h"
#include "io/PdbFile.h"
#include "model/Connectivity.h"
#include "model/MoleculeBuilder.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>
#include <zlib.h>

using namespace vorn;
using namespace vorn::bench;

namespace {

struct SourceAtom {
    std::string head;  // "ATOM  " or "HETATM"
    std::string names; // atom name and residue name columns 13-20
    int resSeq;
    double x, y, z;
};

std::vector<SourceAtom> LoadSource(const char* path, std::vector<std::vector<int>>& conects) {
    std::ifstream in(path);
    std::vector<SourceAtom> atoms;
    std::vector<int> serials;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if ((line.rfind("ATOM  ", 0) == 0 || line.rfind("HETATM", 0) == 0) && line.size() >= 54) {
            atoms.push_back(
                {line.substr(0, 6), line.substr(12, 8), std::atoi(line.substr(22, 4).c_str()),
                 std::atof(line.substr(30, 8).c_str()), std::atof(line.substr(38, 8).c_str()),
                 std::atof(line.substr(46, 8).c_str())});
            serials.push_back(std::atoi(line.substr(6, 5).c_str()));
        } else if (line.rfind("CONECT", 0) == 0) {
            std::vector<int> entry;
            std::istringstream tokens(line.substr(6));
            int serial;
            while (tokens >> serial) {
                for (size_t i = 0; i < serials.size(); ++i)
                    if (serials[i] == serial) {
                        entry.push_back(static_cast<int>(i));
                        break;
                    }
            }
            if (entry.size() >= 2)
                conects.push_back(entry);
        }
    }
    return atoms;
}

// Where copy c of the source goes: the offset on the lattice and its chain.
struct Copy {
    double dx, dy, dz;
    char chain;
};

Copy CopyOf(long c, int side) {
    return {70.0 * static_cast<double>(c % side), 70.0 * static_cast<double>((c / side) % side),
            70.0 * static_cast<double>(c / (static_cast<long>(side) * side)),
            static_cast<char>('A' + c % 26)};
}

void WritePdbCopy(std::FILE* f, const std::vector<SourceAtom>& atoms, const Copy& copy, long count,
                  long& written) {
    for (long i = 0; i < count; ++i) {
        const SourceAtom& a = atoms[static_cast<size_t>(i)];
        ++written;
        std::fprintf(f, "%s%5ld %s%c%4d    %8.3f%8.3f%8.3f  1.00 20.00\n", a.head.c_str(), written,
                     a.names.c_str(), copy.chain, a.resSeq, a.x + copy.dx, a.y + copy.dy,
                     a.z + copy.dz);
    }
    std::fprintf(f, "TER\n");
}

// The atom and residue names of columns 13-20, and the element as the archive gives it.
void SplitNames(const SourceAtom& a, std::string& atom, std::string& residue, char& element) {
    std::istringstream names(a.names.substr(0, 4) + " " + a.names.substr(4));
    names >> atom >> residue;
    element = atom.empty() ? 'C' : atom[0];
    if (std::isdigit(static_cast<unsigned char>(element)) && atom.size() > 1)
        element = atom[1];
    if (atom.find('\'') != std::string::npos)
        atom = "\"" + atom + "\"";
}

void WriteCifCopy(std::FILE* f, const std::vector<SourceAtom>& atoms, const Copy& copy, long count,
                  long& written) {
    std::string atom, residue;
    char element = 'C';
    for (long i = 0; i < count; ++i) {
        const SourceAtom& a = atoms[static_cast<size_t>(i)];
        SplitNames(a, atom, residue, element);
        ++written;
        std::fprintf(f,
                     "%-6s %-7ld %c %-4s . %-3s %c 1 %-4d ? %-8.3f %-8.3f %-8.3f 1.00 20.00 ? "
                     "%-4d %-3s %c %-4s 1\n",
                     a.head == "HETATM" ? "HETATM" : "ATOM", written, element, atom.c_str(),
                     residue.c_str(), copy.chain, a.resSeq, a.x + copy.dx, a.y + copy.dy,
                     a.z + copy.dz, a.resSeq, residue.c_str(), copy.chain, atom.c_str());
    }
}

// The CONECT pairs of every copy as struct_conn links, written before the atoms as the archive
// does.
void WriteCifLinks(std::FILE* f, const std::vector<SourceAtom>& atoms,
                   const std::vector<std::vector<int>>& conects, long copies, int side) {
    std::fprintf(f, "loop_\n_struct_conn.id\n_struct_conn.conn_type_id\n"
                    "_struct_conn.ptnr1_auth_asym_id\n_struct_conn.ptnr1_auth_seq_id\n"
                    "_struct_conn.ptnr1_label_atom_id\n_struct_conn.ptnr2_auth_asym_id\n"
                    "_struct_conn.ptnr2_auth_seq_id\n_struct_conn.ptnr2_label_atom_id\n");
    long id = 0;
    std::string atom, residue;
    char element = 'C';
    for (long c = 0; c < copies; ++c)
        for (const auto& entry : conects)
            for (size_t k = 1; k < entry.size(); ++k) {
                const char chain = CopyOf(c, side).chain;
                const SourceAtom& a = atoms[static_cast<size_t>(entry[0])];
                const SourceAtom& b = atoms[static_cast<size_t>(entry[k])];
                SplitNames(a, atom, residue, element);
                const std::string atomA = atom;
                SplitNames(b, atom, residue, element);
                std::fprintf(f, "covale%ld covale %c %d %s %c %d %s\n", ++id, chain, a.resSeq,
                             atomA.c_str(), chain, b.resSeq, atom.c_str());
            }
}

// Writes the tiled file; returns the number of atoms written.
long WriteTiled(const char* source, long target, const std::string& out, bool mmcif) {
    std::vector<std::vector<int>> conects;
    const std::vector<SourceAtom> atoms = LoadSource(source, conects);
    if (atoms.empty())
        return 0;
    const long perCopy = static_cast<long>(atoms.size());
    const long copies = (target + perCopy - 1) / perCopy;
    const int side = static_cast<int>(std::ceil(std::cbrt(static_cast<double>(copies))));
    std::FILE* f = std::fopen(out.c_str(), "w");
    if (mmcif) {
        std::fprintf(f, "data_TILED\n#\n");
        WriteCifLinks(f, atoms, conects, copies, side);
        std::fprintf(f, "#\nloop_\n");
        for (const char* column : {"group_PDB",         "id",
                                   "type_symbol",       "label_atom_id",
                                   "label_alt_id",      "label_comp_id",
                                   "label_asym_id",     "label_entity_id",
                                   "label_seq_id",      "pdbx_PDB_ins_code",
                                   "Cartn_x",           "Cartn_y",
                                   "Cartn_z",           "occupancy",
                                   "B_iso_or_equiv",    "pdbx_formal_charge",
                                   "auth_seq_id",       "auth_comp_id",
                                   "auth_asym_id",      "auth_atom_id",
                                   "pdbx_PDB_model_num"})
            std::fprintf(f, "_atom_site.%s\n", column);
    }
    long written = 0;
    std::vector<long> firstSerial;
    for (long c = 0; c < copies && written < target; ++c) {
        firstSerial.push_back(written + 1);
        const long count = std::min(perCopy, target - written);
        if (mmcif)
            WriteCifCopy(f, atoms, CopyOf(c, side), count, written);
        else
            WritePdbCopy(f, atoms, CopyOf(c, side), count, written);
    }
    if (!mmcif)
        for (long c = 0; c < static_cast<long>(firstSerial.size()); ++c)
            for (const auto& entry : conects) {
                std::fprintf(f, "CONECT");
                for (int i : entry)
                    std::fprintf(f, "%5ld", firstSerial[static_cast<size_t>(c)] + i);
                std::fprintf(f, "\n");
            }
    std::fprintf(f, mmcif ? "#\n" : "END\n");
    std::fclose(f);
    return written;
}

// Compresses the file into out with zlib's default level, as gzip does.
void Compress(const std::string& in, const std::string& out) {
    std::FILE* f = std::fopen(in.c_str(), "rb");
    gzFile gz = gzopen(out.c_str(), "wb6");
    std::vector<char> block(1 << 20);
    std::size_t n = 0;
    while (f && gz && (n = std::fread(block.data(), 1, block.size(), f)) > 0)
        gzwrite(gz, block.data(), static_cast<unsigned>(n));
    if (f)
        std::fclose(f);
    if (gz)
        gzclose(gz);
}

// Writes the tiled structure to file, compressed when its name ends in ".gz".
long WriteTiledFile(const char* source, long target, const std::string& file, bool mmcif) {
    const bool gzip = file.size() > 3 && file.compare(file.size() - 3, 3, ".gz") == 0;
    if (!gzip)
        return WriteTiled(source, target, file, mmcif);
    const std::string plain = file + ".text";
    const long atoms = WriteTiled(source, target, plain, mmcif);
    Compress(plain, file);
    std::remove(plain.c_str());
    return atoms;
}

long PeakRssKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return -1;
}

enum Stage { kRead, kBuild, kRadii, kStructure, kColour, kProcess, kStages };
const char* const kStageNames[kStages] = {"read",      "build+bonds", "radii",
                                          "structure", "colour",      "process"};

// One whole read, as the document reads a file, each stage timed.
std::vector<double> ReadOnce(const std::string& file, bool mmcif, Molecule& mol) {
    std::vector<double> t(kStages + 1, 0.0);
    auto t0 = Clock::now();
    PdbFile pdb;
    if (mmcif)
        ReadMmcifFile(file, pdb);
    else
        pdb.Read(file);
    t[kRead] = Seconds(t0);
    t0 = Clock::now();
    BuildMolecule(mol, pdb, false, true, nullptr);
    t[kBuild] = Seconds(t0);
    pdb = PdbFile();
    t0 = Clock::now();
    SetRadii(mol, kDefaultRadius, 0, 0, 0.0f);
    t[kRadii] = Seconds(t0);
    t0 = Clock::now();
    AssignSecondaryStructure(mol, nullptr);
    t[kStructure] = Seconds(t0);
    t0 = Clock::now();
    ColorTables tables;
    ColorAndMassByElement(mol, tables);
    t[kColour] = Seconds(t0);
    t0 = Clock::now();
    ProcessTrajectory(mol, kTrajectoryVerbatim, true);
    t[kProcess] = Seconds(t0);
    for (int s = 0; s < kStages; ++s)
        t[kStages] += t[static_cast<size_t>(s)];
    return t;
}

// The bond search alone, on the record set of the file (read once more, not timed).
double BondsOnce(const std::string& file, bool mmcif) {
    PdbFile pdb;
    if (mmcif)
        ReadMmcifFile(file, pdb);
    else
        pdb.Read(file);
    const auto t0 = Clock::now();
    const Connectivity conn = MakeConnectivity(pdb, true);
    return Seconds(t0);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: read_bench SOURCE.pdb ATOMS [WORKDIR] [--mmcif] [--gzip] "
                             "[--repeat N] [--write FILE]\n");
        return 2;
    }
    const long target = std::atol(argv[2]);
    std::string dir = "/tmp", writeOnly;
    bool mmcif = false, gzip = false;
    int repeat = 1;
    for (int i = 3; i < argc; ++i) {
        if (std::strcmp(argv[i], "--mmcif") == 0)
            mmcif = true;
        else if (std::strcmp(argv[i], "--gzip") == 0)
            gzip = true;
        else if (std::strcmp(argv[i], "--repeat") == 0 && i + 1 < argc)
            repeat = std::max(1, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--write") == 0 && i + 1 < argc)
            writeOnly = argv[++i];
        else
            dir = argv[i];
    }
    if (!writeOnly.empty()) {
        const long atoms = WriteTiledFile(argv[1], target, writeOnly, mmcif);
        std::printf("%ld atoms written to %s\n", atoms, writeOnly.c_str());
        return atoms > 0 ? 0 : 1;
    }
    const std::string file = dir + "/vorn_bench_" + std::to_string(target) +
                             (mmcif ? ".cif" : ".pdb") + (gzip ? ".gz" : "");
    const long atoms = WriteTiledFile(argv[1], target, file, mmcif);
    const long baseKb = PeakRssKb();

    std::vector<std::vector<double>> times(kStages + 1);
    size_t bonds = 0;
    int residues = 0;
    for (int r = 0; r < repeat; ++r) {
        Molecule mol;
        const std::vector<double> t = ReadOnce(file, mmcif, mol);
        for (size_t s = 0; s < t.size(); ++s)
            times[s].push_back(t[s]);
        bonds = mol.bonds.size();
        residues = mol.ResidueCount();
    }
    const long peakKb = PeakRssKb();
    std::vector<double> bondTimes;
    for (int r = 0; r < repeat; ++r)
        bondTimes.push_back(BondsOnce(file, mmcif));

    std::printf("atoms %ld  bonds %zu  residues %d  threads %d  runs %d%s\n", atoms, bonds,
                residues, WorkerThreads(), repeat, gzip ? "  gzip" : "");
    for (int s = 0; s <= kStages; ++s) {
        const Spread t = SpreadOf(times[static_cast<size_t>(s)]);
        std::printf("  %-12s %.3f s (%.3f .. %.3f)\n", s < kStages ? kStageNames[s] : "total",
                    t.median, t.lo, t.hi);
    }
    const Spread b = SpreadOf(bondTimes);
    std::printf("  of the build, the bond search alone %.3f s (%.3f .. %.3f)\n", b.median, b.lo,
                b.hi);
    const double total = SpreadOf(times[kStages]).median;
    std::printf("total %.3f s  = %.2f million atoms/s\n", total,
                static_cast<double>(atoms) / total / 1e6);
    std::printf(
        "peak RSS %.1f MiB (%.0f bytes/atom; %.0f bytes/atom above the %.1f MiB before reading)\n",
        static_cast<double>(peakKb) / 1024.0,
        1024.0 * static_cast<double>(peakKb) / static_cast<double>(atoms),
        1024.0 * static_cast<double>(peakKb - baseKb) / static_cast<double>(atoms),
        static_cast<double>(baseKb) / 1024.0);
    if (!std::getenv("VORN_BENCH_KEEP"))
        std::remove(file.c_str());
    return 0;
}
