// Measures the DCD frame reader against a plain read of the same file, from the page cache.
//
//   dcd_bench SOURCE.dcd [WORKDIR] [MEGABYTES]     (VORN_BENCH_KEEP=1 keeps the built files)
//
// The frames of the source trajectory are repeated into a file of about MEGABYTES (default
// 1024) in three layouts: host byte order single precision, reversed byte order single precision
// and host byte order double precision. Each file is written, read once to warm the cache, then
// read with plain 1 MiB reads and with DcdFile (best of three each), and checked value by value.
#include "BenchSupport.h"
#include "core/VornError.h"
#include "io/DcdFile.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using namespace vorn;
using namespace vorn::bench;

namespace {

struct Source {
    int atoms = 0;
    int frames = 0;
    std::vector<float> coords; // frame after frame, x, y, z per atom
};

struct Variant {
    const char* name;
    bool swapped;
    bool doubles;
};

Source LoadSource(const char* path) {
    Source s;
    DcdFile dcd;
    if (!dcd.Open(path))
        throw VornError("cannot open the source trajectory", "dcd_bench", __LINE__);
    int size = 0;
    dcd.ReadHeader(s.atoms, s.frames, size);
    s.coords.resize(3 * static_cast<std::size_t>(s.atoms) * static_cast<std::size_t>(s.frames));
    for (int f = 0; f < s.frames && dcd.ErrorText().empty(); ++f)
        dcd.ReadFrame(&s.coords[3 * static_cast<std::size_t>(s.atoms) * f], s.atoms, size);
    if (!dcd.ErrorText().empty())
        throw VornError(dcd.ErrorText(), "dcd_bench", __LINE__);
    if (s.frames < 1 || (size != 4 && size != 8))
        throw VornError("the source trajectory has no frames to repeat", "dcd_bench", __LINE__);
    return s;
}

// Appends raw bytes, reversed when the variant writes the other byte order.
void Put(std::vector<unsigned char>& out, const void* p, std::size_t n, bool swapped) {
    const auto* b = static_cast<const unsigned char*>(p);
    const std::size_t at = out.size();
    out.insert(out.end(), b, b + n);
    if (swapped)
        std::reverse(out.begin() + static_cast<std::ptrdiff_t>(at), out.end());
}

void PutInt(std::vector<unsigned char>& out, std::int32_t v, bool swapped) {
    Put(out, &v, 4, swapped);
}

std::vector<unsigned char> Header(int atoms, int frames, bool swapped) {
    std::vector<unsigned char> h;
    PutInt(h, 84, swapped);
    h.insert(h.end(), {'C', 'O', 'R', 'D'});
    PutInt(h, frames, swapped);
    for (int i = 0; i < 20; ++i)
        PutInt(h, i == 19 ? 84 : 0, swapped); // 19 control values, then the trailing marker
    for (std::int32_t v : {84, 1})
        PutInt(h, v, swapped);
    const std::string title = "REMARKS frames repeated by dcd_bench";
    h.insert(h.end(), title.begin(), title.end());
    h.insert(h.end(), 80 - title.size(), ' ');
    for (std::int32_t v : {84, 4, atoms, 4})
        PutInt(h, v, swapped);
    return h;
}

// Writes the file and returns its size in bytes.
long long Build(const std::string& path, const Source& s, const Variant& v, long long target) {
    const std::int32_t size = v.doubles ? 8 : 4;
    const long long frameBytes = 3LL * (size * s.atoms + 8);
    const int frames = static_cast<int>(std::max(1LL, target / frameBytes));
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        throw VornError("cannot write " + path, "dcd_bench", __LINE__);
    std::vector<unsigned char> bytes = Header(s.atoms, frames, v.swapped);
    long long written = 0;
    for (int frame = 0; frame < frames; ++frame) {
        const float* xyz = &s.coords[3 * static_cast<std::size_t>(s.atoms) * (frame % s.frames)];
        for (int axis = 0; axis < 3; ++axis) {
            PutInt(bytes, size * s.atoms, v.swapped);
            for (int a = 0; a < s.atoms; ++a) {
                const float x = xyz[3 * a + axis];
                const double wide = x;
                v.doubles ? Put(bytes, &wide, 8, v.swapped) : Put(bytes, &x, 4, v.swapped);
            }
            PutInt(bytes, size * s.atoms, v.swapped);
        }
        written += static_cast<long long>(std::fwrite(bytes.data(), 1, bytes.size(), f));
        bytes.clear();
    }
    std::fclose(f);
    return written;
}

double PlainRead(const std::string& path) {
    const auto start = Clock::now();
    std::FILE* f = std::fopen(path.c_str(), "rb");
    std::vector<char> block(1 << 20);
    while (f && std::fread(block.data(), 1, block.size(), f) == block.size()) {
    }
    if (f)
        std::fclose(f);
    return Seconds(start);
}

// Reads every frame; with a source, counts the values that differ from it.
double DcdRead(const std::string& path, const Source* check, long long& mismatches) {
    const auto start = Clock::now();
    DcdFile dcd;
    int atoms = 0, frames = 0, size = 0;
    dcd.Open(path);
    dcd.ReadHeader(atoms, frames, size);
    std::vector<float> frame(3 * static_cast<std::size_t>(atoms));
    for (int f = 0; f < frames && dcd.ErrorText().empty(); ++f) {
        dcd.ReadFrame(frame.data(), atoms, size);
        if (check) {
            const float* want = &check->coords[frame.size() * (f % check->frames)];
            mismatches += static_cast<long long>(
                frame.size() -
                static_cast<std::size_t>(std::mismatch(frame.begin(), frame.end(), want).first -
                                         frame.begin()));
        }
    }
    if (!dcd.ErrorText().empty())
        throw VornError(dcd.ErrorText(), "dcd_bench", __LINE__);
    return Seconds(start);
}

template <typename Run>
double Best(Run run) {
    double best = run();
    for (int i = 0; i < 2; ++i)
        best = std::min(best, run());
    return best;
}

void RunVariant(const Source& s, const Variant& v, const std::string& dir, long long target) {
    const std::string path = dir + "/dcd_bench_" + v.name + ".dcd";
    const long long bytes = Build(path, s, v, target);
    PlainRead(path); // warm the page cache
    const double mb = static_cast<double>(bytes) / 1e6;
    const double plain = Best([&] { return PlainRead(path); });
    long long ignored = 0;
    const double dcd = Best([&] { return DcdRead(path, nullptr, ignored); });
    long long mismatches = 0;
    DcdRead(path, &s, mismatches);
    std::printf("%-14s %8.0f MB   plain read %7.0f MB/s   DcdFile %7.0f MB/s   mismatches %lld\n",
                v.name, mb, mb / plain, mb / dcd, mismatches);
    if (!std::getenv("VORN_BENCH_KEEP"))
        std::remove(path.c_str());
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: dcd_bench SOURCE.dcd [WORKDIR] [MEGABYTES]\n");
        return 2;
    }
    const std::string dir = argc > 2 ? argv[2] : "/tmp";
    const long long target = (argc > 3 ? std::atoll(argv[3]) : 1024) << 20;
    try {
        const Source s = LoadSource(argv[1]);
        std::printf("source: %d atoms, %d frames\n", s.atoms, s.frames);
        for (const Variant& v :
             {Variant{"single", false, false}, Variant{"single-swapped", true, false},
              Variant{"double", false, true}})
            RunVariant(s, v, dir, target);
    } catch (const VornError& e) {
        std::fprintf(stderr, "%s:%d: %s\n", e.Source().c_str(), e.Line(), e.what());
        return 1;
    }
    return 0;
}
