// A large structure loads to the same molecule whatever the number of threads: atoms, chains and
// residues, bonds in their order, secondary structure, colours, radii and the box.
#include "ScratchFiles.h"
#include "ThreadCount.h"
#include "document/Trajectory.h"
#include "document/VornDoc.h"
#include "io/PdbFile.h"
#include "model/Connectivity.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace vorn {

namespace {

const std::string kData = VORN_TEST_DATA;

// Replaces the five columns of a serial from column `at`, shifted by offset.
void ShiftSerial(std::string& line, std::size_t at, int offset) {
    char serial[8];
    std::snprintf(serial, sizeof serial, "%5d", std::stoi(line.substr(at, 5)) + offset);
    line.replace(at, 5, serial);
}

// copies copies of 1aki (1,001 atoms, with its disulfide CONECT lines) on a cubic lattice 70 Å
// apart, serials numbered on, chains A, B, C, ... in turn.
std::string TiledLysozyme(int copies) {
    std::ifstream in(kData + "/1aki.pdb");
    std::vector<std::string> atoms, conects;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("ATOM  ", 0) == 0)
            atoms.push_back(line);
        else if (line.rfind("CONECT", 0) == 0)
            conects.push_back(line);
    }
    std::ostringstream out;
    const int side = 4;
    for (int c = 0; c < copies; ++c) {
        const double shift[3] = {70.0 * (c % side), 70.0 * (c / side % side),
                                 70.0 * (c / (side * side))};
        for (std::string line : atoms) {
            ShiftSerial(line, 6, 1001 * c);
            line[21] = static_cast<char>('A' + c % 26);
            char xyz[32];
            std::snprintf(
                xyz, sizeof xyz, "%8.3f%8.3f%8.3f", std::stod(line.substr(30, 8)) + shift[0],
                std::stod(line.substr(38, 8)) + shift[1], std::stod(line.substr(46, 8)) + shift[2]);
            line.replace(30, 24, xyz);
            out << line << "\n";
        }
        out << "TER\n";
    }
    for (int c = 0; c < copies; ++c)
        for (std::string line : conects) {
            for (std::size_t at = 6; at + 5 <= line.size() && line[at + 4] != ' '; at += 5)
                ShiftSerial(line, at, 1001 * c);
            out << line << "\n";
        }
    return out.str();
}

// Every record of the molecule as text, one line per item.
std::vector<std::string> Describe(const Molecule& mol) {
    std::vector<std::string> lines;
    char line[320];
    for (const Atom& a : mol.atoms) {
        std::snprintf(line, sizeof line,
                      "atom %s %s %d %c %d %d %a %a %a %a %a %a %a %d %d%d%d%d %d", a.name,
                      a.resName, a.serial, a.chain, a.resSeq, a.model, a.x, a.y, a.z, a.radius,
                      a.mass, a.tempFactor, a.occupancy, a.element, a.color.r, a.color.g, a.color.b,
                      a.color.a, a.hetero ? 1 : 0);
        lines.push_back(line);
    }
    for (const Chain& chain : mol.chains) {
        lines.push_back("chain " + std::to_string(chain.model) + " " + chain.id);
        for (const Residue& r : chain.residues) {
            std::string text = "residue " + std::to_string(r.type) + " " +
                               std::to_string(r.structure) + " " + std::to_string(r.number) + " " +
                               std::to_string(r.caIndex) + " " + std::to_string(r.orientIndex) +
                               ":";
            for (int atom : r.atoms)
                text += " " + std::to_string(atom);
            lines.push_back(text);
        }
    }
    for (const Bond& b : mol.bonds)
        lines.push_back("bond " + std::to_string(b.first) + " " + std::to_string(b.second) + " " +
                        std::to_string(b.split) + std::to_string(b.hetero));
    for (int a = 0; a < mol.bonded.Count(); ++a) {
        std::string text = "bonded " + std::to_string(a) + ":";
        for (int b : mol.bonded[a])
            text += " " + std::to_string(b);
        lines.push_back(text);
    }
    std::snprintf(line, sizeof line, "box %a %a %a %a %a %a %a", mol.boxMin[0], mol.boxMin[1],
                  mol.boxMin[2], mol.boxSize[0], mol.boxSize[1], mol.boxSize[2], mol.boxDiagonal);
    lines.push_back(line);
    return lines;
}

// The first line where two descriptions differ, or "" when they agree.
std::string FirstDifference(const std::vector<std::string>& a, const std::vector<std::string>& b) {
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
        if (a[i] != b[i])
            return a[i] + "\n  against\n" + b[i];
    return a.size() == b.size()
               ? ""
               : "lengths " + std::to_string(a.size()) + " and " + std::to_string(b.size());
}

} // namespace

// 45 copies: 45,045 atoms in 5,805 residues, enough for each stage to split its work.
TEST(LoadThreads, OneTwoOrThreeThreadsLoadTheSameMolecule) {
    const std::string path = ScratchPath("tiled_lysozyme.pdb");
    std::ofstream(path) << TiledLysozyme(45);
    std::vector<std::string> first;
    for (int threads : {1, 2, 3}) {
        const ThreadCount count(threads);
        CVornDoc doc;
        ASSERT_TRUE(doc.ReadCoordinateFile(path));
        const Molecule& mol = *doc.primary;
        ASSERT_EQ(mol.AtomCount(), 45045);
        EXPECT_EQ(mol.ResidueCount(), 45 * 129);
        EXPECT_EQ(mol.chains.size(), 45u);
        const std::vector<std::string> described = Describe(mol);
        if (first.empty())
            first = described;
        EXPECT_EQ(FirstDifference(described, first), "") << threads << " threads";
    }
    std::remove(path.c_str());
}

// Sixty atoms stacked on one point, amid a lattice too wide to bond, reach the cap of bonds per
// atom: which bonds they keep depends on the order of the search, and threads must not change it.
TEST(LoadThreads, AtomsAtTheBondCapKeepTheBondsOfOneThread) {
    PdbFile pdb;
    PdbRecord r;
    std::strcpy(r.record, "ATOM");
    std::strcpy(r.atomName, "C");
    std::strcpy(r.resName, "GLY");
    for (int i = 0; i < 60000; ++i) {
        r.serial = i + 1;
        r.x = 3.0f * static_cast<float>(i % 40);
        r.y = 3.0f * static_cast<float>(i / 40 % 40);
        r.z = 3.0f * static_cast<float>(i / 1600);
        if (i % 1000 < 60) // stacked on one point
            r.x = r.y = 50.0f, r.z = 60.0f;
        pdb.records.push_back(r);
    }
    pdb.atomCount = static_cast<int>(pdb.records.size());
    std::vector<std::vector<int>> first;
    for (int threads : {1, 2, 3}) {
        const ThreadCount count(threads);
        const Connectivity conn = BondsFromCoordinates(pdb, false);
        std::vector<std::vector<int>> lists;
        for (int a = 0; a < conn.bonded.Count(); ++a)
            lists.push_back(conn.bonded[a].ToVector());
        if (first.empty())
            first = lists;
        EXPECT_TRUE(lists == first) << threads << " threads";
        EXPECT_EQ(conn.bonded[0].size(), 16);
    }
}

// Frames are centred and turned each on a thread, and the box is taken in parts: the frames, their
// centres and the box come out the same to the last bit.
TEST(LoadThreads, FramesAreProcessedAlikeOnAnyNumberOfThreads) {
    std::mt19937 random(3);
    std::uniform_real_distribution<float> place(-20.0f, 20.0f), shake(-0.3f, 0.3f);
    Molecule source;
    source.atoms.resize(3000);
    for (Atom& a : source.atoms) {
        a.x = place(random), a.y = place(random), a.z = place(random);
        a.mass = 12.011f;
    }
    for (int f = 0; f < 9; ++f) {
        const double c = std::cos(0.2 * f), s = std::sin(0.2 * f);
        std::vector<float> frame;
        for (const Atom& a : source.atoms) {
            frame.push_back(static_cast<float>(c * a.x - s * a.y) + shake(random) + float(f));
            frame.push_back(static_cast<float>(s * a.x + c * a.y) + shake(random));
            frame.push_back(a.z + shake(random));
        }
        source.frames.Append(std::move(frame));
    }
    source.frameCount = 9;
    for (int mode : {kTrajectoryZeroCom, kTrajectoryAlign}) {
        std::vector<Molecule> processed;
        for (int threads : {1, 3}) {
            const ThreadCount count(threads);
            processed.push_back(source);
            ProcessTrajectory(processed.back(), mode, false);
        }
        const Molecule &one = processed[0], &three = processed[1];
        EXPECT_EQ(one.frameCenters, three.frameCenters);
        for (int f = 0; f < 9; ++f)
            EXPECT_EQ(one.frames[f], three.frames[f]) << "frame " << f << ", mode " << mode;
        EXPECT_EQ(std::vector<float>(one.boxMin, one.boxMin + 3),
                  std::vector<float>(three.boxMin, three.boxMin + 3));
        EXPECT_EQ(std::vector<float>(one.boxSize, one.boxSize + 3),
                  std::vector<float>(three.boxSize, three.boxSize + 3));
        EXPECT_NE(one.frames[8], source.frames[8]); // the frames were indeed processed
    }
}

} // namespace vorn
