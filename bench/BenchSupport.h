// What the benchmarks share: clocks, medians and spreads of repeated timings, the --size option,
// file sizes, and large structures made by tiling a protein's atom records on a cubic lattice.
#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace vorn::bench {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since);
double Milliseconds(Clock::time_point since);

// The middle value, or the mean of the two middle values of an even count; 0 for no values.
double Median(std::vector<double> v);

struct Spread {
    double median, lo, hi;
};
Spread SpreadOf(std::vector<double> v); // all 0 for no values

// "WxH" with both sides positive.
bool ParseSize(const char* text, int& width, int& height);

// The size of a file in bytes, or -1 when it cannot be read.
long FileBytes(const std::string& path);

// The ATOM and HETATM records of a PDB file, cut after the coordinates (column 54).
std::vector<std::string> AtomRecords(const std::string& path);

// The largest extent of the records' coordinates along x, y or z (Å).
double Extent(const std::vector<std::string>& records);

// Writes copies of the records, spacing Å apart on a cubic lattice, until atoms are written:
// chains cycle through A-Z and serial numbers run on (wrapping at five digits, which the reader
// does not mind). Returns the atoms written, or 0 when there are no records or the file cannot
// be written.
long WriteTiled(const std::vector<std::string>& records, long atoms, const std::string& out,
                double spacing = 70.0);

} // namespace vorn::bench
