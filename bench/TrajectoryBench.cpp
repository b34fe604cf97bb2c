// Measures the trajectory work after a read: reading DCD frames on the worker thread (from the
// page cache: the file was just written) and the processing in "Zero center of mass" and
// "Align" modes, in atom-frames per second and for the read in megabytes per second.
//
//   trajectory_bench [ATOMS [FRAMES [WORKDIR [RUNS]]]]
//
// Defaults: 3341 atoms, 1000 frames, /tmp, 3 runs of each (median and range). The read goes into
// a molecule without frames each time. VORN_BENCH_KEEP=1 keeps the DCD file; VORN_THREADS sets
// the threads.
//
// The molecule is a random cloud with the masses of C, N, O, H and S; every frame is the cloud
// turned and moved rigidly, plus up to 0.5 Å of noise per coordinate.
#include "BenchSupport.h"
#include "core/Parallel.h"
#include "document/Trajectory.h"
#include "model/Molecule.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

using namespace vorn;
using namespace vorn::bench;

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

void Report(const char* what, const std::vector<double>& seconds, double atomFrames, double bytes) {
    const Spread t = SpreadOf(seconds);
    std::printf("%-20s %7.3f s (%.3f .. %.3f)  %7.1f million atom-frames/s", what, t.median, t.lo,
                t.hi, atomFrames / t.median / 1e6);
    if (bytes > 0)
        std::printf("  %6.0f MB/s (best %.0f)", bytes / t.median / 1e6, bytes / t.lo / 1e6);
    std::printf("\n");
}

} // namespace

int main(int argc, char** argv) {
    const int atoms = argc > 1 ? std::atoi(argv[1]) : 3341;
    const int frames = argc > 2 ? std::atoi(argv[2]) : 1000;
    const std::string dcd = std::string(argc > 3 ? argv[3] : "/tmp") + "/vorn_trajectory_bench.dcd";
    const int runs = std::max(1, argc > 4 ? std::atoi(argv[4]) : 3);
    std::mt19937 rng(7);
    Molecule structure = RandomCloud(atoms, rng);
    {
        Molecule source = structure;
        for (int f = 0; f < frames; ++f)
            source.frames.Append(MovedCopy(source, 0.01 * f, rng));
        source.frameCount = frames;
        WriteDcd(dcd, source);
    }
    const double atomFrames = static_cast<double>(atoms) * frames;
    const double bytes = static_cast<double>(std::filesystem::file_size(dcd));
    std::printf("%d atoms x %d frames (%.0f MB), %d threads\n", atoms, frames, bytes / 1e6,
                WorkerThreads());

    std::vector<double> times;
    Molecule read;
    for (int r = 0; r < runs; ++r) {
        read = Molecule();
        read = structure;
        const auto t0 = Clock::now();
        TrajectoryReader().Attach(read, dcd, kTrajectoryDcd);
        const std::atomic<bool> keepGoing{true};
        ReadTrajectoryOnWorker(read, dcd, kTrajectoryDcd, 0, read.frameCount, keepGoing, nullptr);
        times.push_back(Seconds(t0));
    }
    Report("read DCD on worker", times, atomFrames, bytes);
    if (!std::getenv("VORN_BENCH_KEEP"))
        std::remove(dcd.c_str());

    for (int mode : {kTrajectoryZeroCom, kTrajectoryAlign}) {
        times.clear();
        for (int r = 0; r < runs; ++r) {
            Molecule mol = read;
            const auto t0 = Clock::now();
            ProcessTrajectory(mol, mode, false);
            times.push_back(Seconds(t0));
        }
        Report(mode == kTrajectoryAlign ? "process, Align" : "process, Zero COM", times, atomFrames,
               0);
    }
    return 0;
}
