// Pixels of the pictures the render tests read back (rows bottom first, blue first in a pixel):
// colour classes, counts, lit-pixel statistics, and crambin in the view of ViewFixture.
#pragma once

#include "RenderTestContext.h"
#include "output/DibImage.h"

#include <algorithm>
#include <cstdlib>
#include <string>

namespace vorn {

struct Pixel {
    int r = 0, g = 0, b = 0;
    int Max() const { return std::max({r, g, b}); }
    bool Lit() const { return Max() > 8; } // above the black background's noise
    bool Red() const { return r > 60 && r > 3 * g && r > 3 * b; }
    bool Blue() const { return b > 60 && b > r + 20 && b > g + 20; }
    bool Grey() const { return r > 60 && std::abs(r - g) < 12 && std::abs(g - b) < 12; }
    bool operator==(const Pixel& o) const { return r == o.r && g == o.g && b == o.b; }
    bool operator!=(const Pixel& o) const { return !(*this == o); }
    bool operator<(const Pixel& o) const { return Max() < o.Max(); }
};

inline Pixel At(const DibImage& image, int x, int y) {
    const std::uint8_t* p = image.Row(y) + 3 * x;
    return {p[2], p[1], p[0]};
}

// Pixels of the columns [x0, x1) (x1 < 0: to the right edge) that satisfy the test.
template <typename Test>
int Count(const DibImage& image, Test test, int x0 = 0, int x1 = -1) {
    int n = 0;
    for (int y = 0; y < image.height; ++y)
        for (int x = x0; x < (x1 < 0 ? image.width : x1); ++x)
            n += test(At(image, x, y)) ? 1 : 0;
    return n;
}

inline int LitCount(const DibImage& image, int x0 = 0, int x1 = -1) {
    return Count(
        image, [](Pixel p) { return p.Lit(); }, x0, x1);
}

// Pixels of the columns [x0, x1) that differ between two pictures of one size.
inline int Differing(const DibImage& a, const DibImage& b, int x0 = 0, int x1 = -1) {
    int n = 0;
    for (int y = 0; y < a.height; ++y)
        for (int x = x0; x < (x1 < 0 ? a.width : x1); ++x)
            n += At(a, x, y) != At(b, x, y);
    return n;
}

// The lit pixels of the columns [x0, x1): their count, centroid (pixels from the bottom left)
// and mean brightness.
struct LitStats {
    long count = 0;
    double cx = 0, cy = 0, mean = 0;
};

inline LitStats Lit(const DibImage& image, int x0 = 0, int x1 = -1) {
    LitStats s;
    for (int y = 0; y < image.height; ++y)
        for (int x = x0; x < (x1 < 0 ? image.width : x1); ++x)
            if (const int bright = At(image, x, y).Max(); bright > 8)
                s = {s.count + 1, s.cx + x, s.cy + y, s.mean + bright};
    const double n = double(std::max(1L, s.count));
    return {s.count, s.cx / n, s.cy / n, s.mean / n};
}

// The scene of a ViewFixture's view, drawn and read back.
inline DibImage Drawn(CVornView& view) {
    TestContext();
    view.RenderScene(0);
    return ReadPixelsAsDib(320, 240);
}

// Crambin read as the viewer reads it, in the view of ViewFixture.
struct Crambin : ViewFixture {
    Crambin()
        : mol((doc.ReadCoordinateFile(std::string(VORN_TEST_DATA) + "/1crn.pdb"), *doc.primary)) {
        view.DocumentChanged();
    }
    DibImage Picture() { return Drawn(view); }
    Molecule& mol;
};

} // namespace vorn
