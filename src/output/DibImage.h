// A captured picture laid out like a device-independent bitmap: 24-bit BGR rows, bottom row
// first, each row padded to a multiple of 4 bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vorn {

struct DibImage {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 24;
    std::vector<std::uint8_t> bits; // RowBytes() × height bytes

    int RowBytes() const { return (width * bitsPerPixel / 8 + 3) / 4 * 4; }
    // Row y counted from the bottom of the picture.
    std::uint8_t* Row(int y) { return bits.data() + static_cast<std::size_t>(y) * RowBytes(); }
    const std::uint8_t* Row(int y) const {
        return bits.data() + static_cast<std::size_t>(y) * RowBytes();
    }
};

} // namespace vorn
