// Tests of trajectory attach and read (also on the worker thread) and of trajectory processing.
#include "model/Trajectory.h"

#include "io/PdbFile.h"
#include "model/Molecule.h"
#include "model/MoleculeBuilder.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <gtest/gtest.h>
#include <vector>

namespace {

using Frame = std::vector<float>; // x, y, z per atom

// A single-precision little-endian DCD file: header record, one title line, the atom count, then
// the X, Y and Z records of each frame, every record between two length markers.
std::string DcdBytes(int nset, int atoms, const std::vector<Frame>& frames) {
    std::string b;
    auto put = [&b](const void* p, size_t n) { b.append(static_cast<const char*>(p), n); };
    auto ints = [&](std::initializer_list<std::int32_t> values) {
        for (std::int32_t v : values)
            put(&v, 4);
    };
    ints({84, 0x44524f43, nset}); // marker, "CORD", NSET
    b.append(76, '\0');
    ints({84, 84, 1});
    b.append(80, ' ');
    ints({84, 4, atoms, 4});
    for (const Frame& f : frames)
        for (int axis = 0; axis < 3; ++axis) {
            ints({4 * atoms});
            for (int a = 0; a < atoms; ++a)
                put(&f[3 * a + axis], 4);
            ints({4 * atoms});
        }
    return b;
}

std::string WriteFile(const std::string& name, const std::string& bytes) {
    const std::string path = ::testing::TempDir() + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

// Frame k of atom a holds 100k + 10a + axis, so every value says where it came from.
std::vector<Frame> NumberedFrames(int count, int atoms) {
    std::vector<Frame> frames(count, Frame(3 * atoms));
    for (int k = 0; k < count; ++k)
        for (int i = 0; i < 3 * atoms; ++i)
            frames[k][i] = static_cast<float>(100 * k + 10 * (i / 3) + i % 3);
    return frames;
}

Molecule MoleculeOf(const std::vector<std::array<float, 4>>& xyzMass) {
    Molecule mol;
    for (const auto& p : xyzMass) {
        Atom a;
        a.x = p[0], a.y = p[1], a.z = p[2], a.mass = p[3];
        mol.atoms.push_back(a);
    }
    return mol;
}

// The atoms' coordinates laid out as a frame.
Frame Coordinates(const Molecule& mol) {
    Frame xyz;
    for (const Atom& a : mol.atoms)
        xyz.insert(xyz.end(), {a.x, a.y, a.z});
    return xyz;
}

std::string AttachMessage(Molecule& mol, const std::string& path, int type) {
    try {
        TrajectoryReader().Attach(mol, path, type);
    } catch (const VornError& e) {
        EXPECT_EQ(e.Source(), "VornDoc");
        return e.Message();
    }
    return "";
}

const std::atomic<bool> kGo{true};

} // namespace

TEST(TrajectoryAttach, ChecksTypeAtomCountAndSteps) {
    const std::string path = WriteFile("attach.dcd", DcdBytes(2, 3, NumberedFrames(2, 3)));
    Molecule two = MoleculeOf({{0, 0, 0, 1}, {1, 0, 0, 1}});
    two.frames.Append(Frame(6));
    two.frameCount = 1;
    EXPECT_EQ(AttachMessage(two, path, kTrajectoryDcd), "Incorrect Number of atoms in DCD file!");
    EXPECT_TRUE(two.frames.Empty());
    EXPECT_EQ(two.frameCount, 0);
    Molecule three = MoleculeOf({{0, 0, 0, 1}, {1, 0, 0, 1}, {2, 0, 0, 1}});
    EXPECT_EQ(AttachMessage(three, path, kTrajectoryPtf), "PTF files are not currently supported!");
    EXPECT_EQ(AttachMessage(three, path, 5), "Unknown file type!");
    EXPECT_EQ(AttachMessage(three, path + ".none", 3), "Can't open DCD file for reading!");
    // No frame count recorded and nothing after the header: zero frames by the file length.
    EXPECT_EQ(AttachMessage(three, WriteFile("empty.dcd", DcdBytes(0, 3, {})), 3),
              "The specified trajectory has zero steps!");
    EXPECT_EQ(AttachMessage(three, path, 3), "");
    EXPECT_EQ(three.frameCount, 2);
    EXPECT_EQ(three.valueSize, 4);
}

TEST(TrajectoryRead, ReadsInOrderAcrossReadersUntilCancelled) {
    const std::vector<Frame> frames = NumberedFrames(10, 2);
    const std::string path = WriteFile("ten.dcd", DcdBytes(10, 2, frames));
    Molecule mol = MoleculeOf({{0, 0, 0, 1}, {0, 0, 0, 1}});
    TrajectoryReader().Attach(mol, path, kTrajectoryDcd);
    std::atomic<bool> keepGoing{true};
    std::vector<int> steps;
    auto cancelAtThree = [&](int position) {
        steps.push_back(position);
        keepGoing = position < 3;
    };
    EXPECT_TRUE(ReadTrajectoryOnWorker(mol, path, 3, 0, 2, keepGoing, cancelAtThree));
    // A new read continues after the frames the molecule already holds.
    EXPECT_FALSE(ReadTrajectoryFrames(mol, path, 3, 2, 10, keepGoing, cancelAtThree));
    EXPECT_EQ(steps, (std::vector<int>{1, 2, 3}));
    ASSERT_EQ(mol.frames.Count(), 3);
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(mol.frames[k], frames[k]) << "frame " << k;
}

TEST(TrajectoryRead, FrameErrorOnWorkerReachesCaller) {
    const std::string full = DcdBytes(0, 2, NumberedFrames(3, 2));
    const std::string path = WriteFile("cut.dcd", full);
    Molecule mol = MoleculeOf({{0, 0, 0, 1}, {0, 0, 0, 1}});
    TrajectoryReader().Attach(mol, path, kTrajectoryDcd);
    WriteFile("cut.dcd", full.substr(0, full.size() - 6)); // the file shrinks after the attach
    try {
        ReadTrajectoryOnWorker(mol, path, 3, 0, 3, kGo, nullptr);
        ADD_FAILURE() << "no error";
    } catch (const VornError& e) {
        EXPECT_EQ(e.Message(), "Unexpected end of file!");
    }
    EXPECT_EQ(mol.frames.Count(), 2); // the broken frame is not kept
}

namespace {

// Masses 1, 2, 1: centre of mass (2, 2, 1). The frame is the structure moved by (10, 0, 0).
Molecule WithShiftedFrame() {
    Molecule mol = MoleculeOf({{0, 0, 0, 1}, {4, 0, 0, 2}, {0, 8, 4, 1}});
    mol.frames.Append({10, 0, 0, 14, 0, 0, 10, 8, 4});
    mol.frameCount = 1;
    return mol;
}

void ExpectBox(const Molecule& mol, std::array<float, 3> min, std::array<float, 3> size) {
    for (int k = 0; k < 3; ++k) {
        EXPECT_FLOAT_EQ(mol.boxMin[k], min[k]) << k;
        EXPECT_FLOAT_EQ(mol.boxSize[k], size[k]) << k;
    }
    EXPECT_FLOAT_EQ(mol.boxDiagonal,
                    std::sqrt(size[0] * size[0] + size[1] * size[1] + size[2] * size[2]));
}

} // namespace

TEST(ProcessTrajectory, VerbatimKeepsPlaceAndFrames) {
    Molecule mol = WithShiftedFrame();
    mol.motion.translation[0] = 1;
    ProcessTrajectory(mol, kTrajectoryVerbatim, false);
    EXPECT_EQ(Coordinates(mol), (Frame{-2, -2, -1, 2, -2, -1, -2, 6, 3}));
    EXPECT_EQ(Frame(mol.motion.translation, mol.motion.translation + 3), (Frame{3, 2, 1}));
    EXPECT_EQ(mol.frames[0], (Frame{10, 0, 0, 14, 0, 0, 10, 8, 4}));
    EXPECT_EQ(mol.frameCenters, (Frame{0, 0, 0}));
    ExpectBox(mol, {-2, -2, -1}, {16, 10, 5});

    Molecule shown = WithShiftedFrame();
    ProcessTrajectory(shown, kTrajectoryVerbatim, true);
    EXPECT_EQ(shown.motion.translation[0], 0.0f);
    EXPECT_EQ(shown.atoms[0].x, -2.0f);
}

TEST(ProcessTrajectory, ZeroComCentresEachFrame) {
    Molecule mol = WithShiftedFrame();
    ProcessTrajectory(mol, kTrajectoryZeroCom, true);
    EXPECT_EQ(mol.frameCenters, (Frame{12, 2, 1}));
    EXPECT_EQ(mol.frames[0], Coordinates(mol));
    ExpectBox(mol, {-2, -2, -1}, {4, 8, 4});

    Molecule noFrameCount = WithShiftedFrame();
    noFrameCount.frameCount = 0;
    try {
        ProcessTrajectory(noFrameCount, kTrajectoryZeroCom, true);
        ADD_FAILURE() << "no error";
    } catch (const VornError& e) {
        EXPECT_EQ(e.Message(), "steps == 0");
    }
}

TEST(ProcessTrajectory, ZeroMassLeavesCoordinates) {
    Molecule mol = MoleculeOf({{1, 2, 3, 0}, {5, 2, 3, 0}});
    mol.frames.Append({0, 0, 0, 1, 1, 1});
    mol.frameCount = 1;
    ProcessTrajectory(mol, kTrajectoryAlign, false);
    EXPECT_EQ(Coordinates(mol), (Frame{1, 2, 3, 5, 2, 3}));
    EXPECT_EQ(mol.motion.translation[0], 0.0f);
    EXPECT_EQ(mol.frames[0], (Frame{0, 0, 0, 1, 1, 1}));
    ExpectBox(mol, {0, 0, 0}, {5, 2, 3});
}

TEST(ProcessTrajectory, AlignTurnsRigidCopyOntoStructure) {
    Molecule mol = MoleculeOf({{0, 0, 0, 12}, {1.5f, 0, 0, 14}, {0, 2, 0.5f, 16}, {1, 1, 3, 1}});
    const float turn[3][3] = {{1, 2, 2}, {2, 1, -2}, {-2, 2, -1}}; // a rotation, times 3
    Frame moved;
    for (const Atom& a : mol.atoms)
        for (int k = 0; k < 3; ++k)
            moved.push_back((turn[k][0] * a.x + turn[k][1] * a.y + turn[k][2] * a.z) / 3 + k - 5);
    mol.frames.Append(moved);
    mol.frameCount = 1;
    ProcessTrajectory(mol, kTrajectoryAlign, true);
    const Frame structure = Coordinates(mol);
    for (int i = 0; i < 12; ++i)
        EXPECT_NEAR(mol.frames[0][i], structure[i], 1e-5) << i;
}

TEST(ProcessTrajectory, SecondModelOfPdbIsOneFrame) {
    const char* text = "MODEL        1\n"
                       "ATOM      1  CA  GLY A   1       0.000   0.000   0.000  1.00  0.00\n"
                       "ATOM      2  CA  GLY A   2       3.000   0.000   0.000  1.00  0.00\n"
                       "ENDMDL\nMODEL        2\n"
                       "ATOM      1  CA  GLY A   1       1.000   0.000   0.000  1.00  0.00\n"
                       "ATOM      2  CA  GLY A   2       4.000   0.000   0.000  1.00  0.00\n"
                       "ENDMDL\nEND\n";
    PdbFile pdb;
    pdb.Read(WriteFile("two_models.pdb", text));
    Molecule mol;
    BuildMolecule(mol, pdb, true, false, nullptr);
    ProcessTrajectory(mol, kTrajectoryZeroCom, true);
    EXPECT_EQ(mol.frameCount, 1);
    ASSERT_EQ(mol.frames.Count(), 1);
    EXPECT_EQ(mol.frames[0], (Frame{-1.5f, 0, 0, 1.5f, 0, 0}));
    EXPECT_EQ(mol.frameCenters, (Frame{2.5f, 0, 0}));
}
