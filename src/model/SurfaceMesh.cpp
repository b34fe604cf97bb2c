// The surface's quality setting and the release of its arrays.
#include "model/SurfaceMesh.h"

#include <algorithm>
#include <cmath>

namespace vorn {

// Rounded to the nearest step: truncating would show the default spacing 0.595 as 69.
int SurfaceMesh::Quality() const {
    const float quality = (1.0f - (spacing - 0.1f) * 0.6060606f) * 100.0f;
    return quality > 0 ? static_cast<int>(std::lround(std::min(quality, 100.0f))) : 0;
}

void SurfaceMesh::SetQuality(int quality) {
    if (quality < 0 || quality > 100)
        return;
    spacing = static_cast<float>(100 - quality) * 0.0165f + 0.1f;
}

void SurfaceMesh::DestroySurface() {
    std::vector<float>().swap(vertices);
    std::vector<float>().swap(normals);
    std::vector<int>().swap(vertexAtom);
    std::vector<int>().swap(triangles);
    valid = false;
}

} // namespace vorn
