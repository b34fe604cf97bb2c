// What the benchmarks share: timings, sizes and tiled structures.
#include "BenchSupport.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sys/stat.h>

namespace vorn::bench {

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

double Milliseconds(Clock::time_point since) {
    return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

double Median(std::vector<double> v) {
    return SpreadOf(std::move(v)).median;
}

Spread SpreadOf(std::vector<double> v) {
    if (v.empty())
        return {0, 0, 0};
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return {n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2, v.front(), v.back()};
}

bool ParseSize(const char* text, int& width, int& height) {
    return std::sscanf(text, "%dx%d", &width, &height) == 2 && width > 0 && height > 0;
}

long FileBytes(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? static_cast<long>(st.st_size) : -1;
}

std::vector<std::string> AtomRecords(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> records;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if ((line.rfind("ATOM  ", 0) == 0 || line.rfind("HETATM", 0) == 0) && line.size() >= 54)
            records.push_back(line.substr(0, 54));
    }
    return records;
}

double Extent(const std::vector<std::string>& records) {
    double lo[3] = {1e30, 1e30, 1e30}, hi[3] = {-1e30, -1e30, -1e30};
    for (const std::string& r : records)
        for (size_t k = 0; k < 3; ++k) {
            const double v = std::atof(r.substr(30 + 8 * k, 8).c_str());
            lo[k] = std::min(lo[k], v), hi[k] = std::max(hi[k], v);
        }
    return records.empty() ? 0 : std::max({hi[0] - lo[0], hi[1] - lo[1], hi[2] - lo[2]});
}

long WriteTiled(const std::vector<std::string>& records, long atoms, const std::string& out,
                double spacing) {
    std::FILE* f = records.empty() ? nullptr : std::fopen(out.c_str(), "w");
    if (!f)
        return 0;
    const long perCopy = static_cast<long>(records.size());
    const long copies = (atoms + perCopy - 1) / perCopy;
    const long side = static_cast<long>(std::ceil(std::cbrt(static_cast<double>(copies))));
    long written = 0;
    for (long c = 0; c < copies && written < atoms; ++c) {
        const long cell[3] = {c % side, (c / side) % side, c / (side * side)};
        const char chain = static_cast<char>('A' + c % 26);
        for (const std::string& r : records) {
            if (written == atoms)
                break;
            ++written;
            double xyz[3];
            for (size_t k = 0; k < 3; ++k)
                xyz[k] = std::atof(r.substr(30 + 8 * k, 8).c_str()) +
                         spacing * static_cast<double>(cell[k]);
            std::fprintf(f, "%s%5ld %s%c%s%8.3f%8.3f%8.3f  1.00 20.00\n", r.substr(0, 6).c_str(),
                         written % 100000, r.substr(12, 9).c_str(), chain, r.substr(22, 8).c_str(),
                         xyz[0], xyz[1], xyz[2]);
        }
        std::fprintf(f, "TER\n");
    }
    std::fprintf(f, "END\n");
    return std::fclose(f) == 0 ? written : 0;
}

} // namespace vorn::bench
