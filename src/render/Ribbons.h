// The backbone drawers: traces through the alpha carbons (wire frame, sticks, spline), solid and
// flat ribbons and the tubes, and the ribbon profile each residue takes from the render mode.
#pragma once

#include "model/Molecule.h"

#include <vector>

namespace vorn {

struct DrawContext;
struct Resolution;

// Width (profileA) and thickness (profileB) of every residue for a ribbon mode: by secondary
// structure for the solid and flat ribbons, 0.5 for the tube, from 0.2 to 2.2 by the alpha
// carbon's temperature factor or occupancy within the molecule's range for the temperature and
// occupancy tubes. Other modes leave the profile as it is.
void SetRibbonProfile(Molecule& mol, int mode);

// Geometry of a backbone drawer as arrays for GL: the vertices of one molecule's backbone and the
// primitives (strips and fans) that draw them, in the molecule's own coordinates.
struct BackboneMesh {
    struct Primitive {
        unsigned mode; // GL_LINE_STRIP, GL_TRIANGLE_STRIP, GL_TRIANGLE_FAN or GL_QUAD_STRIP
        int first;     // of the vertices, or of the indices when indexed
        int count;
        bool indexed; // drawn by the indices [first, first + count) rather than the vertices
    };
    std::vector<float> vertices; // x, y, z per vertex, Å
    std::vector<float> normals;  // x, y, z per vertex; empty for lines
    std::vector<Rgba> colors;    // per vertex
    std::vector<unsigned> indices;
    std::vector<Primitive> primitives;

    int VertexCount() const { return static_cast<int>(colors.size()); }
    void Clear();
};

// The geometry of the line traces and ribbons of the molecule in the positions it shows, in
// pieces that end at chain breaks: the wire trace through the alpha carbons (mode 7), the spline
// trace (8), the solid ribbon and tubes (9, 11, 12, 13) and the flat ribbon (10).
void BuildTraceWireFrame(const Molecule& mol, BackboneMesh& mesh);
void BuildSplineTrace(const Molecule& mol, const Resolution& res, BackboneMesh& mesh);
void BuildSolidRibbon(const Molecule& mol, const Resolution& res, BackboneMesh& mesh);
void BuildFlatRibbon(const Molecule& mol, const Resolution& res, BackboneMesh& mesh);

// Draws the molecule in its render mode when that is one of the backbone modes 6 to 13; returns
// false for the others.
bool DrawBackbone(const Molecule& mol, const DrawContext& dc);

} // namespace vorn
