// Reads DCD trajectory frames of either byte order and precision.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace vorn {

// A DCD file is a sequence of records, each framed by its byte length as a 32-bit integer before
// and after it (the markers). The header gives the atom count; the value size (4 or 8 bytes) and
// the frame count follow from the file length. Files written with a periodic box carry a 48-byte
// unit-cell record before each frame's X record, announced by a non-zero flag at byte 48.
class DcdFile {
public:
    DcdFile() = default;
    ~DcdFile() { Close(); }
    DcdFile(const DcdFile&) = delete;
    DcdFile& operator=(const DcdFile&) = delete;

    // Opens for reading; false when the file cannot be opened.
    bool Open(const std::string& fileName);
    void Close();
    bool IsOpen() const { return m_file != nullptr; }

    // Reads and checks the header and positions the reader at the first frame. Raises VornError
    // (source "DCD") for a missing file or a corrupt header; read errors are left in ErrorText().
    // When the header records more frames than the file holds, the frames held are counted.
    void ReadHeader(int& atomCount, int& frameCount, int& valueSize);

    // Reads one frame of atomCount atoms into dest (x, y, z of atom 0, then atom 1, ...),
    // converting double-precision values to single precision. Errors are left in ErrorText().
    // atomCount and valueSize must be those the header gave.
    void ReadFrame(float* dest, int atomCount, int valueSize);

    const std::string& ErrorText() const { return m_error; }
    bool Swapped() const { return m_swap; }
    bool HasUnitCell() const { return m_unitCell; }

private:
    struct Header {
        std::int64_t frameSet = 0;     // NSET: frames recorded in the header, 0 = not recorded
        std::int64_t atoms = 0;        // NATOM
        std::int64_t firstMarker = -1; // leading marker of the first frame's first record
        std::int64_t dataStart = 0;    // just past the NATOM record (bytes)
    };

    bool ReadInts(std::int32_t* values, int count);
    void SetReadError(const char* readError);
    bool ReadByteOrder();
    bool ReadMainRecords(Header& header);
    void CountFrames(const Header& header, std::int64_t& frames, int& valueSize) const;
    bool FirstMarkerAgrees(const Header& header, std::int64_t valueSize) const;
    void CheckFirstRecord(const Header& header, std::int64_t frames, int valueSize);
    bool ReadRecord(int atomCount, int valueSize, std::int64_t nextMarker);
    bool SkipUnitCell(std::int64_t xMarker);

    std::FILE* m_file = nullptr;
    std::string m_error;
    bool m_swap = false;
    bool m_unitCell = false;
    std::int64_t m_length = 0; // file length (bytes)
    int m_atomCount = -1;      // NATOM of the header read last; -1 before a header is read
    int m_valueSize = 0;       // bytes per coordinate value of the header read last
    std::vector<unsigned char> m_buffer; // one coordinate record with the two markers after it
};

} // namespace vorn
