// Draws a molecule's surface solid, as a mesh or as dots, in its atoms' colours or one colour, and
// the options of the Surface Options window as the view takes them.
#pragma once

#include <array>
#include <cstdint>

namespace vorn {

struct DrawContext;
struct Molecule;
struct SurfaceMesh;

// The surface's draw styles: the "Solid", "Mesh" and "Dots" commands.
enum SurfaceStyle { kSolidSurface = 0, kMeshSurface = 1, kDotSurface = 2 };

// What the Surface Options window edits. Quality, probe and solvent take effect at the next
// build; the colours at the next frame.
struct SurfaceOptions {
    int quality = 70;         // 0 (grid step 1.75 Å) to 100 (0.1 Å)
    float probeRadius = 0.0f; // Å, 0 to 3
    bool includeSolvent = false;
    bool colorByAtom = true;  // else uniformColor
    std::uint8_t alpha = 255; // with colorByAtom; 255 opaque
    std::array<std::uint8_t, 4> uniformColor = {128, 128, 128, 255};
};

// The options a surface holds.
SurfaceOptions SurfaceOptionsOf(const SurfaceMesh& mesh);
// Copies the options into the surface (a quality outside 0 to 100 is ignored, the probe radius
// kept within 0 to 3 Å).
void SetSurfaceOptions(SurfaceMesh& mesh, const SurfaceOptions& options);

// Draws mol's surface, when it has a built one, inside the molecule's modelview. The mesh stays
// where it was built (the coordinates of the frame it records) until it is built again. With
// clipSurface on and clipView off the clipping plane cuts the surface alone; with either on, the
// inside of the cut surface is lit too.
void DrawSurface(const Molecule& mol, const DrawContext& dc);

} // namespace vorn
