// The molecular surface as a molecule keeps it: how it is built and drawn, and its triangles with
// each vertex's normal and nearest atom.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace vorn {

// Built by VornSurface; copying a molecule copies its mesh (and nothing of the build's scratch).
struct SurfaceMesh {
    bool valid = false;            // a surface has been built
    float isoLevel = 0.475f;       // field level of the surface
    float saturation = 0.95f;      // a field sum stops once it exceeds this
    float probeRadius = 0.0f;      // added to every atom radius, Å (0 to 3 in the options)
    float spacing = 0.595f;        // field grid step, Å
    int frameIndex = -1;           // trajectory frame of the coordinates; -1 = the atom records
    int drawStyle = 0;             // 0 solid, 1 mesh, 2 dots
    bool includeSolvent = false;   // hetero atoms take part
    float boxCell = 3.0f;          // atom-box cell size and box margin, Å
    int boxMaxCells = 200;         // cells per axis of a box at least boxLargeExtent wide
    float boxLargeExtent = 600.0f; // Å
    bool colorByAtom = true;       // vertices take their atom's colour, else uniformColor
    std::uint8_t alpha = 255;      // alpha used with colorByAtom
    std::array<std::uint8_t, 4> uniformColor = {128, 128, 128, 255}; // R, G, B, A

    std::vector<float> vertices; // x, y, z per welded vertex, Å
    std::vector<float> normals;  // unit outward normal per vertex
    std::vector<int> vertexAtom; // index of each vertex's nearest atom: its colour
    std::vector<int> triangles;  // 3 vertex indices each, counter-clockwise seen from outside
    std::array<int, 3> gridSize = {0, 0, 0}; // field grid points per axis of the last build

    int VertexCount() const { return static_cast<int>(vertices.size() / 3); }
    int TriangleCount() const { return static_cast<int>(triangles.size() / 3); }

    // The options slider, 0 (coarse) to 100 (fine), and the grid spacing it stands for:
    // spacing = (100 − quality) × 0.0165 + 0.1 Å. A quality outside 0..100 is ignored.
    int Quality() const;
    void SetQuality(int quality);

    // Frees the arrays and clears valid; the settings stay.
    void DestroySurface();
};

} // namespace vorn
