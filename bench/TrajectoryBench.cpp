// Measures the trajectory work after a read: reading DCD frames on the worker thread and the
// processing in "Zero center of mass" and "Align" modes, in atom-frames per second.
//
//   trajectory_bench [ATOMS [FRAMES [WORKDIR]]]      (default 3341 atoms, 1000 frames, /tmp)
//
// The molecule is a random cloud with the masses of C, N, O, H and S; every frame is the cloud
// turned and moved rigidly, plus up to 0.5 Å of noise per coordinate.
#include "document/Trajectory.h"
#include "model/Molecule.h"

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

using namespace vorn;

namespace {

Molecule RandomCloud(int atoms, std::mt19937& rng) {
    const float masses[5] = {12.011f, 14.007f, 15.999f, 1.008f, 32.06f};
    std::uniform_real_distribution<float> coordinate(0.0f, 40.0f);
    Molecule mol;
    mol.atoms.resize(static_cast<size_t>(atoms));
    for (size_t i = 0; i < mol.atoms.size(); ++i) {
        Atom& a = mol.atoms[i];
        a.x = coordinate(rng), a.y = coordinate(rng), a.z = coordinate(rng);
        a.mass = masses[i % 5];
    }
    return mol;
}

// The cloud turned by angle (radians) about z and then about x, moved and shaken.
std::vector<float> MovedCopy(const Molecule& mol, double angle, std::mt19937& rng) {
    std::uniform_real_distribution<float> noise(-0.5f, 0.5f);
    const double c = std::cos(angle), s = std::sin(angle);
    std::vector<float> frame;
    frame.reserve(3 * mol.atoms.size());
    for (const Atom& a : mol.atoms) {
        const double x = c * a.x - s * a.y, y = s * a.x + c * a.y;
        const double y2 = c * y - s * a.z, z2 = s * y + c * a.z;
        frame.push_back(static_cast<float>(x + 3.0 * angle) + noise(rng));
        frame.push_back(static_cast<float>(y2 - 2.0) + noise(rng));
        frame.push_back(static_cast<float>(z2 + 1.0) + noise(rng));
    }
    return frame;
}

void WriteDcd(const std::string& path, const Molecule& mol) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    auto i32 = [f](std::int32_t v) { std::fwrite(&v, 4, 1, f); };
    const std::int32_t n = mol.AtomCount();
    i32(84);
    std::fwrite("CORD", 1, 4, f);
    i32(mol.frameCount);
    for (int i = 0; i < 19; ++i)
        i32(0);
    for (std::int32_t v : {84, 84, 1})
        i32(v);
    std::fwrite(std::string(80, ' ').data(), 1, 80, f);
    for (std::int32_t v : {84, 4, n, 4})
        i32(v);
    std::vector<float> axis(static_cast<size_t>(n));
    for (const std::vector<float>& frame : mol.frames)
        for (int k = 0; k < 3; ++k) {
            for (size_t i = 0; i < axis.size(); ++i)
                axis[i] = frame[3 * i + static_cast<size_t>(k)];
            i32(4 * n);
            std::fwrite(axis.data(), 4, axis.size(), f);
            i32(4 * n);
        }
    std::fclose(f);
}

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

void Report(const char* what, double seconds, double atomFrames) {
    std::printf("%-22s %8.3f s  %7.2f million atom-frames/s\n", what, seconds,
                atomFrames / seconds / 1e6);
}

} // namespace

int main(int argc, char** argv) {
    const int atoms = argc > 1 ? std::atoi(argv[1]) : 3341;
    const int frames = argc > 2 ? std::atoi(argv[2]) : 1000;
    const std::string dcd = std::string(argc > 3 ? argv[3] : "/tmp") + "/vorn_trajectory_bench.dcd";
    std::mt19937 rng(7);
    Molecule source = RandomCloud(atoms, rng);
    for (int f = 0; f < frames; ++f)
        source.frames.Append(MovedCopy(source, 0.01 * f, rng));
    source.frameCount = frames;
    const double atomFrames = static_cast<double>(atoms) * frames;
    std::printf("%d atoms x %d frames\n", atoms, frames);

    WriteDcd(dcd, source);
    Molecule read = source;
    auto t0 = std::chrono::steady_clock::now();
    TrajectoryReader().Attach(read, dcd, kTrajectoryDcd);
    const std::atomic<bool> keepGoing{true};
    ReadTrajectoryOnWorker(read, dcd, kTrajectoryDcd, 0, read.frameCount, keepGoing, nullptr);
    Report("read DCD on worker", Seconds(t0), atomFrames);
    std::remove(dcd.c_str());

    for (int mode : {kTrajectoryZeroCom, kTrajectoryAlign}) {
        Molecule mol = source;
        t0 = std::chrono::steady_clock::now();
        ProcessTrajectory(mol, mode, false);
        Report(mode == kTrajectoryAlign ? "process, Align" : "process, Zero COM", Seconds(t0),
               atomFrames);
    }
    return 0;
}
