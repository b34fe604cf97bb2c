// The interpolating spline through a chain's alpha carbons that traces, ribbons and tubes follow,
// with the guide points, widths and thicknesses that orient and size a ribbon's cross-section.
#pragma once

#include "core/Vec3.h"
#include "model/MotionState.h"

#include <vector>

namespace vorn {

struct Chain;
struct Molecule;
struct Residue;

// Residue indices of one chain, in sequence order, whose backbone is drawn in one piece.
using BackbonePiece = std::vector<int>;

// Alpha carbons of consecutive residues further apart than this cannot be neighbours: residues
// are missing between them. A protein's lie 3.8 Å apart (2.9 Å for a cis peptide), and up to
// 7.3 Å with one residue missing, as when a modified residue was read as a hetero group; a
// nucleic acid's C3* atoms lie 5 to 7 Å apart, up to 12 Å with one nucleotide missing. Such a
// single gap is bridged; anything wider breaks the backbone.
constexpr double kProteinBreak = 8.0;  // Å
constexpr double kNucleicBreak = 12.0; // Å
// Consecutive alpha carbons closer than this are one place seen twice (alternate locations,
// duplicated records), never two residues.
constexpr double kStackedResidues = 1.0; // Å

// The unbroken pieces of a chain's backbone in the given positions, in order. A piece ends at a
// chain break (see kProteinBreak) and at a residue without usable backbone atoms (an index out of
// range or coordinates that are not finite), which belongs to no piece; a residue whose alpha
// carbon sits on its predecessor's is left out. Single residues are pieces of their own.
std::vector<BackbonePiece> BackbonePieces(const Molecule& mol, int chain,
                                          const ShownPositions& positions);

// A point of a trace: where it is, the atom whose colour it takes (the alpha carbon of the
// segment's first residue) and its parameter within the segment (0 at that alpha carbon).
struct TracePoint {
    Vec3f position;
    int atom = -1;
    float t = 0;
};

// A cross-section of a ribbon at a point of the spline.
struct RibbonPoint {
    Vec3f position;
    Vec3f width;       // along the guide direction, as long as the half-width, Å
    Vec3f thickness;   // along the ribbon normal, as long as the half-thickness, Å
    Vec3f tangent;     // unit direction of travel
    int atom = -1;     // alpha carbon of the segment's first residue
    int nextAtom = -1; // alpha carbon of the next residue (of the last, at the end)
    float t = 0;
};

// Walks the spline of one chain (or one piece of it) point by point: resolution + 1 points per
// segment between consecutive alpha carbons, at t = 0, dt, 2·dt, ... below 1, dt = 1 /
// (resolution + 1). Chains of fewer than four residues yield nothing; the last alpha carbon is
// never reached.
class SplineCursor {
public:
    // The whole chain in the positions the molecule shows. Raises "Bad resolution" for a
    // resolution below 0, "Bad chain number -- too small" or "Bad chain number -- too large" for a
    // chain that is not one of the molecule's. Tension is taken from 1 to 3, else 2 (the
    // Catmull-Rom spline).
    SplineCursor(const Molecule& mol, int chain, int resolution, float tension);
    // One piece of the chain in the positions of trajectory frame number `frame`, numbered as
    // Molecule::currentFrame (0: the atoms' own coordinates). Residues that are not the chain's,
    // or whose atoms are missing or not finite there, are left out.
    SplineCursor(const Molecule& mol, int chain, int resolution, float tension, int frame,
                 BackbonePiece piece);

    // The next point; false once the chain is exhausted.
    bool Next(TracePoint& point);
    bool Next(RibbonPoint& point);

    float Tension() const { return static_cast<float>(m_a); }

private:
    // Advances to the next point: loads or shifts the control points when a segment begins.
    bool Advance();
    void Reload();
    const Residue& ResidueOf(int k) const;
    // Alpha carbon and orientation atom of residue k of the piece, reflected beyond its ends.
    Vec3 Extended(int k, int Residue::*atom) const;
    Vec3 AlphaCarbon(int k) const;
    Vec3 Orientation(int k) const;
    // Width (profileA) or thickness (profileB) of residue k, continued beyond the ends.
    float Profile(int k, float Residue::*value) const;
    // Unit vector from residue k's alpha carbon toward its guide point, perpendicular to the way
    // to the next alpha carbon; false when the orientation atom gives no such direction.
    bool GuideDirection(int k, Vec3& u) const;
    // Residue k's guide point, on the side of the last guide offset, which it then becomes
    // unless keepLast.
    Vec3 GuidePoint(int k, bool keepLast);
    // The first residue's guide direction, or the first usable one after it, or any.
    Vec3 FirstGuideDirection() const;

    const Chain& m_chain;
    ShownPositions m_positions;
    BackbonePiece m_piece;
    int m_n;            // residues in the piece
    int m_steps;        // points per segment: resolution + 1
    int m_i = 0;        // segment: from residue i to i + 1
    int m_step = 0;     // point within the segment: t = step / steps
    double m_a, m_s;    // tension and its inverse
    double m_t = 0;     // parameter of the point being made
    double m_w[4] = {}; // spline weights at m_t
    bool m_reload = true;
    Vec3 m_p[4] = {}, m_g[4] = {}; // control points and guide points
    float m_width[4] = {}, m_thickness[4] = {};
    Vec3 m_lastGuide = {0, 0, 0}; // the guide offset of the last residue loaded
    // The last frame's directions, kept where a frame's own vanish.
    Vec3 m_lastTangent = {0, 0, 0}, m_lastWidth = {0, 0, 0}, m_lastNormal = {0, 0, 0};
};

// Catmull-Rom weights of four control values at t: how widths and thicknesses are interpolated.
void CatmullRomWeights(double t, double w[4]);

} // namespace vorn
