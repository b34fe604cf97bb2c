// Tests of trajectory attach and read (also on the worker thread) and of trajectory processing.
#include "document/Trajectory.h"

#include "RaisedError.h"
#include "ScratchFiles.h"
#include "model/Molecule.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <vector>

namespace vorn {

namespace {

using Frame = std::vector<float>; // x, y, z per atom

// A single-precision DCD file in host order: header record, one title line, the atom count, then
// the X, Y and Z records of each frame. Frame k holds 100k + 10 * atom + axis.
std::string WriteDcd(const std::string& name, int nset, int atoms, int frames) {
    const std::string path = ScratchPath(name);
    std::ofstream out(path, std::ios::binary);
    auto put = [&out](auto v) { out.write(reinterpret_cast<const char*>(&v), sizeof v); };
    std::vector<std::int32_t> head{84, 0x44524f43, nset}; // marker, "CORD", NSET
    head.resize(22);                                      // the rest of the first record is zero
    head.insert(head.end(), {84, 84, 1});
    head.resize(head.size() + 20); // the 80-byte title line
    head.insert(head.end(), {84, 4, atoms, 4});
    for (std::int32_t v : head)
        put(v);
    for (int k = 0; k < frames; ++k)
        for (int axis = 0; axis < 3; ++axis) {
            put(4 * atoms);
            for (int a = 0; a < atoms; ++a)
                put(static_cast<float>(100 * k + 10 * a + axis));
            put(4 * atoms);
        }
    return path;
}

Molecule MoleculeOf(const std::vector<std::array<float, 4>>& xyzMass, const Frame& frame = {}) {
    Molecule mol;
    for (const auto& [x, y, z, mass] : xyzMass) {
        Atom& a = mol.atoms.emplace_back();
        a.x = x, a.y = y, a.z = z, a.mass = mass;
    }
    if (!frame.empty())
        mol.frames.Append(frame), mol.frameCount = 1;
    return mol;
}

Frame Coordinates(const Molecule& mol) {
    Frame xyz;
    for (const Atom& a : mol.atoms)
        xyz.insert(xyz.end(), {a.x, a.y, a.z});
    return xyz;
}

} // namespace

TEST(Trajectory, AttachChecksThenReadsInOrderUntilCancelledAndReportsWorkerErrors) {
    const std::string path = WriteDcd("ten.dcd", 10, 3, 10);
    Molecule two = MoleculeOf({{0, 0, 0, 1}, {1, 0, 0, 1}}, Frame(6));
    EXPECT_EQ(SourcedErrorOf([&] { TrajectoryReader().Attach(two, path, kTrajectoryDcd); }),
              "VornDoc: Incorrect Number of atoms in DCD file!");
    EXPECT_TRUE(two.frames.Empty() && two.frameCount == 0);
    Molecule mol = MoleculeOf({{0, 0, 0, 1}, {1, 0, 0, 1}, {2, 0, 0, 1}});
    auto attach = [&mol](const std::string& file, int type) {
        return SourcedErrorOf([&] { TrajectoryReader().Attach(mol, file, type); });
    };
    EXPECT_EQ(attach(path, kTrajectoryPtf), "VornDoc: PTF files are not currently supported!");
    EXPECT_EQ(attach(path, 5), "VornDoc: Unknown file type!");
    EXPECT_EQ(attach(path + ".none", 3), "VornDoc: Can't open DCD file for reading!");
    // No frame count recorded and nothing after the header: zero frames by the file length.
    EXPECT_EQ(attach(WriteDcd("empty.dcd", 0, 3, 0), 3),
              "VornDoc: The specified trajectory has zero steps!");
    EXPECT_EQ(attach(path, 3), "no error");

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
        for (int i = 0; i < 9; ++i)
            EXPECT_EQ(mol.frames[k][i], 100 * k + 10 * (i / 3) + i % 3) << k << " " << i;

    const std::string cut = WriteDcd("cut.dcd", 0, 3, 3);
    TrajectoryReader().Attach(mol, cut, kTrajectoryDcd);
    std::filesystem::resize_file(cut, std::filesystem::file_size(cut) - 6); // after the attach
    keepGoing = true;
    EXPECT_EQ(
        SourcedErrorOf([&] { ReadTrajectoryOnWorker(mol, cut, 3, 0, 3, keepGoing, nullptr); }),
        "VornDoc: Unexpected end of file!");
    EXPECT_EQ(mol.frames.Count(), 2); // the broken frame is not kept
}

// Masses 1, 2, 1 and a weightless atom off their plane: centre of mass (2, 2, 1). The frame is
// the structure moved by (10, 0, 0). Untouched frames and the box over atoms and frames are
// pinned on a real trajectory by the info reports.
TEST(ProcessTrajectory, ModesCentreAlignAndBox) {
    const std::vector<std::array<float, 4>> atoms{
        {0, 0, 0, 1}, {4, 0, 0, 2}, {0, 8, 4, 1}, {4, 4, 4, 0}};
    const Frame shifted{10, 0, 0, 14, 0, 0, 10, 8, 4, 14, 4, 4};
    Molecule mol = MoleculeOf(atoms, shifted);
    mol.motion.translation[0] = 1;
    ProcessTrajectory(mol, kTrajectoryVerbatim, false);
    EXPECT_EQ(Coordinates(mol), (Frame{-2, -2, -1, 2, -2, -1, -2, 6, 3, 2, 2, 3}));
    EXPECT_EQ(Frame(mol.motion.translation, mol.motion.translation + 3), (Frame{3, 2, 1}));
    EXPECT_EQ(mol.frameCenters, (Frame{0, 0, 0}));

    Molecule centred = MoleculeOf(atoms, shifted);
    ProcessTrajectory(centred, kTrajectoryZeroCom, true);
    EXPECT_EQ(centred.motion.translation[0], 0.0f);
    EXPECT_EQ(centred.frameCenters, (Frame{12, 2, 1}));
    EXPECT_EQ(centred.frames[0], Coordinates(centred));
    EXPECT_EQ(Frame(centred.boxMin, centred.boxMin + 3), (Frame{-2, -2, -1}));
    EXPECT_EQ(Frame(centred.boxSize, centred.boxSize + 3), (Frame{4, 8, 4}));
    EXPECT_FLOAT_EQ(centred.boxDiagonal, std::sqrt(96.0f));

    Molecule massless = MoleculeOf({{1, 2, 3, 0}, {5, 2, 3, 0}}, {0, 0, 0, 1, 1, 1});
    ProcessTrajectory(massless, kTrajectoryAlign, false);
    EXPECT_EQ(Coordinates(massless), (Frame{1, 2, 3, 5, 2, 3}));
    EXPECT_EQ(massless.frames[0], (Frame{0, 0, 0, 1, 1, 1}));

    // A turned and shifted copy is turned back: the fit of the three weighted atoms alone would
    // allow a mirror image, the weightless atom shows there is none.
    const float r[3][3] = {{1, 2, 2}, {2, 1, -2}, {-2, 2, -1}}; // a rotation, times 3
    Frame moved;
    for (const auto& p : atoms)
        for (int k = 0; k < 3; ++k)
            moved.push_back((r[k][0] * p[0] + r[k][1] * p[1] + r[k][2] * p[2]) / 3 + k - 5);
    Molecule turned = MoleculeOf(atoms, moved);
    ProcessTrajectory(turned, kTrajectoryAlign, true);
    const Frame structure = Coordinates(turned);
    for (int i = 0; i < 12; ++i)
        EXPECT_NEAR(turned.frames[0][i], structure[i], 1e-5) << i;
}

} // namespace vorn
