// Reads DCD trajectory frames of either byte order and precision.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

// A DCD file is a sequence of records, each framed by its byte length as a 32-bit integer before
// and after it (the markers). The header gives the atom count; the value size (4 or 8 bytes) and
// the frame count follow from the file length.
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
    void ReadHeader(int& atomCount, int& frameCount, int& valueSize);

    // Reads one frame of atomCount atoms into dest (x, y, z of atom 0, then atom 1, ...),
    // converting double-precision values to single precision. Errors are left in ErrorText().
    void ReadFrame(float* dest, int atomCount, int valueSize);

    const std::string& ErrorText() const { return m_error; }
    bool Swapped() const { return m_swap; }
    bool HasUnitCell() const { return m_unitCell; }

private:
    std::FILE* m_file = nullptr;
    std::string m_error;
    bool m_swap = false;
    bool m_unitCell = false;
    std::vector<unsigned char> m_buffer; // one coordinate record
};
