// Reads DCD trajectory frames of either byte order and precision.
#include "io/DcdFile.h"

#include "core/VornError.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <sys/types.h>

namespace vorn {

namespace {

const char* const kSource = "DCD";
const char* const kHeaderReadError = "Error reading DCD file";
const char* const kFrameReadError = "Error reading DCD file!";
const char* const kEndOfFile = "Unexpected end of file!";
const char* const kCorrupted = "Corrupted DCD file header";
const char* const kBadHeader = "Bad DCD file header";

// The first record is 84 bytes long; its leading marker read in either byte order tells which.
constexpr std::uint32_t kMainRecordBytes = 84;
// After that marker: the tag "CORD", NSET, 19 control integers, the trailing marker, then the
// title record's marker T and its line count.
constexpr int kMainInts = 24;
constexpr int kFrameSetAt = 1;
constexpr int kUnitCellFlagAt = 11; // the integer at byte 48 of the file
constexpr int kMainTrailerAt = 21;
constexpr int kTitleBytesAt = 22;
constexpr int kTitleLinesAt = 23;
constexpr std::int64_t kTitleLineBytes = 80;
constexpr std::int64_t kUnitCellBytes = 48;                  // six doubles: lengths and angles
constexpr std::int64_t kUnitCellRecord = kUnitCellBytes + 8; // with its two markers

std::uint32_t ByteSwap(std::uint32_t v) {
    return __builtin_bswap32(v);
}
std::uint64_t ByteSwap(std::uint64_t v) {
    return __builtin_bswap64(v);
}

std::uint32_t Load32(const unsigned char* p, bool swap) {
    std::uint32_t v;
    std::memcpy(&v, p, sizeof v);
    return swap ? ByteSwap(v) : v;
}

// Bytes of one frame: the X, Y and Z records of values of the given size, each with its two
// markers, after the unit-cell record when the file has one.
std::int64_t FrameBytes(std::int64_t atoms, std::int64_t size, bool unitCell) {
    return 3 * (size * atoms + 8) + (unitCell ? kUnitCellRecord : 0);
}

// Copies one record of count values into every third float of dest.
template <typename Raw, typename Value, bool Swap>
void Spread(const unsigned char* src, float* dest, std::size_t count) {
    static_assert(sizeof(Raw) == sizeof(Value), "raw and value sizes differ");
    for (std::size_t i = 0; i < count; ++i) {
        Raw raw;
        std::memcpy(&raw, src + i * sizeof(Raw), sizeof(Raw));
        if constexpr (Swap)
            raw = ByteSwap(raw);
        Value value;
        std::memcpy(&value, &raw, sizeof value);
        dest[3 * i] = static_cast<float>(value);
    }
}

void Convert(const unsigned char* src, float* dest, std::size_t count, int size, bool swap) {
    if (size == 4)
        swap ? Spread<std::uint32_t, float, true>(src, dest, count)
             : Spread<std::uint32_t, float, false>(src, dest, count);
    else
        swap ? Spread<std::uint64_t, double, true>(src, dest, count)
             : Spread<std::uint64_t, double, false>(src, dest, count);
}

} // namespace

bool DcdFile::Open(const std::string& fileName) {
    Close();
    m_error.clear();
    // Read-only: a trajectory on a write-protected disk or file must still open.
    m_file = std::fopen(fileName.c_str(), "rb");
    return m_file != nullptr;
}

void DcdFile::Close() {
    if (m_file)
        std::fclose(m_file);
    m_file = nullptr;
    m_atomCount = -1;
    m_valueSize = 0;
}

void DcdFile::SetReadError(const char* readError) {
    m_error = std::ferror(m_file) ? readError : kEndOfFile;
}

bool DcdFile::ReadInts(std::int32_t* values, int count) {
    unsigned char raw[4 * kMainInts];
    const std::size_t bytes = 4 * static_cast<std::size_t>(count);
    if (std::fread(raw, 1, bytes, m_file) != bytes) {
        SetReadError(kHeaderReadError);
        return false;
    }
    for (int i = 0; i < count; ++i)
        values[i] = static_cast<std::int32_t>(Load32(raw + 4 * i, m_swap));
    return true;
}

bool DcdFile::ReadByteOrder() {
    unsigned char raw[4];
    if (std::fread(raw, 1, sizeof raw, m_file) != sizeof raw) {
        SetReadError(kHeaderReadError);
        return false;
    }
    if (Load32(raw, false) == kMainRecordBytes)
        m_swap = false;
    else if (Load32(raw, true) == kMainRecordBytes)
        m_swap = true;
    else
        VORN_RAISE(kSource, kCorrupted);
    return true;
}

// Reads the main record, the title record and the NATOM record, checking every marker, and the
// leading marker of the first frame's first record when the file has one.
bool DcdFile::ReadMainRecords(Header& header) {
    std::int32_t main[kMainInts];
    if (!ReadInts(main, kMainInts))
        return false;
    if (main[kMainTrailerAt] != static_cast<std::int32_t>(kMainRecordBytes))
        VORN_RAISE(kSource, kCorrupted);
    header.frameSet = main[kFrameSetAt];
    m_unitCell = main[kUnitCellFlagAt] != 0;
    const std::int64_t titleBytes = main[kTitleBytesAt];
    const std::int64_t lines = main[kTitleLinesAt];
    // The title record is its line count and that many 80-character lines.
    if ((titleBytes - 4) % kTitleLineBytes != 0 || lines < 0 ||
        lines != (titleBytes - 4) / kTitleLineBytes || header.frameSet < 0)
        VORN_RAISE(kSource, kBadHeader);
    // Past the end of the file the next read reports it.
    if (fseeko(m_file, static_cast<off_t>(lines * kTitleLineBytes), SEEK_CUR) != 0)
        VORN_RAISE(kSource, kBadHeader);
    std::int32_t atomRecord[4]; // title trailer, NATOM record: marker, NATOM, marker
    if (!ReadInts(atomRecord, 4))
        return false;
    if (atomRecord[0] != titleBytes || atomRecord[1] != 4 || atomRecord[3] != 4)
        VORN_RAISE(kSource, kCorrupted);
    header.atoms = atomRecord[2];
    if (header.atoms < 0)
        VORN_RAISE(kSource, kBadHeader);
    header.dataStart = ftello(m_file);
    std::int32_t marker = 0;
    if (header.dataStart + 4 <= m_length) {
        if (!ReadInts(&marker, 1))
            return false;
        header.firstMarker = marker;
    }
    return true;
}

// Frame count and value size from the file length L, with p just past the first record's
// leading marker; every division is an integer division.
void DcdFile::CountFrames(const Header& header, std::int64_t& frames, int& valueSize) const {
    const std::int64_t atoms = header.atoms;
    const std::int64_t frameSet = header.frameSet;
    const std::int64_t length = m_length;
    const std::int64_t p = header.dataStart + 4;
    if (atoms == 0) {
        frames = frameSet;
        valueSize = 0;
        return;
    }
    // The final trailing marker may be missing, hence L + 8 - p rather than L + 4 - p.
    if (frameSet == 0) {
        frames = (length + 8 - p) / FrameBytes(atoms, 4, m_unitCell);
        valueSize = 4;
        return;
    }
    // NSET frames: the bytes left after their markers and unit cells over the value count.
    const std::int64_t cells = (m_unitCell ? kUnitCellRecord : 0) * frameSet;
    std::int64_t size = 0; // NSET frames of even one byte per value would not fit
    if (frameSet <= length / (3 * atoms))
        size = (length - (24 * frameSet - 8) - p - cells) / (3 * atoms * frameSet);
    frames = frameSet;
    valueSize = static_cast<int>(std::clamp<std::int64_t>(size, INT_MIN, INT_MAX));
    if ((size == 4 || size == 8) && FirstMarkerAgrees(header, size))
        return;
    // The header records more frames than the file holds (a run cut short, or NSET written
    // ahead of the frames; the rule may then even give 4 or 8 by chance): count the whole frames
    // present, in single precision unless only double-precision frames fill the file exactly.
    const std::int64_t held = length + 4 - p;
    const bool onlyDouble = held % FrameBytes(atoms, 8, m_unitCell) == 0 &&
                            held % FrameBytes(atoms, 4, m_unitCell) != 0;
    const int heldSize = onlyDouble ? 8 : 4;
    const std::int64_t heldFrames = (length + 8 - p) / FrameBytes(atoms, heldSize, m_unitCell);
    if (heldFrames < frameSet) {
        frames = heldFrames;
        valueSize = heldSize;
    }
}

bool DcdFile::FirstMarkerAgrees(const Header& header, std::int64_t valueSize) const {
    return header.firstMarker == (m_unitCell ? kUnitCellBytes : valueSize * header.atoms);
}

// The first record's marker must agree with NATOM and the value size; a file too short for one
// frame is either cut inside it (the marker agrees) or its header is wrong.
void DcdFile::CheckFirstRecord(const Header& header, std::int64_t frames, int valueSize) {
    if (header.atoms == 0 || (valueSize != 4 && valueSize != 8))
        return; // the caller rejects these sizes
    const bool agrees = FirstMarkerAgrees(header, valueSize);
    if (frames > 0 && agrees)
        return;
    if (frames == 0 && header.dataStart == m_length)
        return; // no frame at all: the caller reports the empty trajectory
    if (frames == 0 && (agrees || header.firstMarker < 0)) {
        m_error = kEndOfFile;
        return;
    }
    VORN_RAISE(kSource, kBadHeader);
}

void DcdFile::ReadHeader(int& atomCount, int& frameCount, int& valueSize) {
    atomCount = frameCount = valueSize = 0;
    if (!m_file)
        VORN_RAISE(kSource, "Please open the file before reading!");
    m_error.clear();
    m_swap = m_unitCell = false;
    m_atomCount = -1;
    m_valueSize = 0;
    if (fseeko(m_file, 0, SEEK_END) != 0 || (m_length = ftello(m_file)) < 0) {
        m_error = kHeaderReadError;
        return;
    }
    std::rewind(m_file);
    Header header;
    if (!ReadByteOrder() || !ReadMainRecords(header))
        return;
    std::int64_t frames = 0;
    CountFrames(header, frames, valueSize);
    CheckFirstRecord(header, frames, valueSize);
    if (frames > INT_MAX)
        VORN_RAISE(kSource, kBadHeader);
    atomCount = m_atomCount = static_cast<int>(header.atoms);
    frameCount = static_cast<int>(frames);
    m_valueSize = valueSize;
    if (fseeko(m_file, static_cast<off_t>(header.dataStart + 4), SEEK_SET) != 0 ||
        std::ferror(m_file))
        m_error = kHeaderReadError;
}

// Skips a frame's unit-cell record (the reader stands just past its leading marker) and the
// leading marker of the X record after it.
bool DcdFile::SkipUnitCell(std::int64_t xMarker) {
    unsigned char cell[kUnitCellRecord];
    if (std::fread(cell, 1, sizeof cell, m_file) != sizeof cell) {
        SetReadError(kFrameReadError);
        return false;
    }
    if (Load32(cell + kUnitCellBytes, m_swap) != kUnitCellBytes ||
        Load32(cell + kUnitCellBytes + 4, m_swap) != xMarker) {
        m_error = kFrameReadError;
        return false;
    }
    return true;
}

// Reads one coordinate record with one read, together with its trailing marker and the next
// record's leading marker; those two may be missing only at the end of the file.
bool DcdFile::ReadRecord(int atomCount, int valueSize, std::int64_t nextMarker) {
    const std::size_t values = static_cast<std::size_t>(atomCount) * std::size_t(valueSize);
    m_buffer.resize(values + 8);
    const std::size_t got = std::fread(m_buffer.data(), 1, values + 8, m_file);
    if (got < values) {
        SetReadError(kFrameReadError);
        return false;
    }
    const bool trailerWrong = got >= values + 4 && Load32(&m_buffer[values], m_swap) != values;
    const bool nextWrong = got == values + 8 && Load32(&m_buffer[values + 4], m_swap) != nextMarker;
    if (trailerWrong || nextWrong) {
        m_error = kFrameReadError;
        return false;
    }
    return true;
}

void DcdFile::ReadFrame(float* dest, int atomCount, int valueSize) {
    if (!m_file)
        VORN_RAISE(kSource, "Please open the file before reading!");
    // Only the layout the header was checked against: the buffer size is bounded by the file.
    if (atomCount != m_atomCount || valueSize != m_valueSize ||
        (valueSize != 4 && valueSize != 8)) {
        m_error = kFrameReadError;
        return;
    }
    const std::int64_t record = std::int64_t{atomCount} * valueSize;
    const std::int64_t frameMarker = m_unitCell ? kUnitCellBytes : record;
    if (m_unitCell && !SkipUnitCell(record))
        return;
    for (int axis = 0; axis < 3; ++axis) {
        if (!ReadRecord(atomCount, valueSize, axis < 2 ? record : frameMarker))
            return;
        Convert(m_buffer.data(), dest + axis, static_cast<std::size_t>(atomCount), valueSize,
                m_swap);
    }
}

} // namespace vorn
