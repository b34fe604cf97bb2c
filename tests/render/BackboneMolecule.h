// Molecules made of bare backbones for the ribbon tests: per residue an alpha carbon and an
// orientation atom at given places, in chains, with a secondary-structure code and a colour.
#pragma once

#include "core/Vec3.h"
#include "model/Molecule.h"
#include "render/SplineCursor.h"

#include <cmath>
#include <vector>

namespace vorn {

struct BackboneMolecule {
    Molecule mol;

    void NewChain() { mol.chains.emplace_back(); }
    // Appends a residue to the last chain; returns its alpha carbon's index.
    int Add(const Vec3& ca, const Vec3& orientation, int structure = kCoil,
            int type = kUnknownResidue) {
        Residue r;
        r.type = type;
        r.structure = structure;
        r.caIndex = AddAtom(ca, "CA");
        r.orientIndex = AddAtom(orientation, "O");
        mol.chains.back().residues.push_back(std::move(r));
        return mol.chains.back().residues.back().caIndex;
    }
    int AddAtom(const Vec3& p, const char* name) {
        Atom a;
        a.x = static_cast<float>(p[0]), a.y = static_cast<float>(p[1]);
        a.z = static_cast<float>(p[2]);
        a.name[0] = name[0], a.name[1] = name[1];
        a.element = 0;
        mol.atoms.push_back(a);
        return mol.AtomCount() - 1;
    }
    Vec3 AlphaCarbon(int chain, int residue) const {
        const Atom& a = mol.atoms.at(
            static_cast<std::size_t>(mol.chains.at(static_cast<std::size_t>(chain))
                                         .residues.at(static_cast<std::size_t>(residue))
                                         .caIndex));
        return {a.x, a.y, a.z};
    }
};

// An ideal alpha helix of n residues about the z axis: 2.3 Å radius, 100 degrees and 1.5 Å rise
// per residue, each carbonyl oxygen pointing up the axis and a little outward.
inline void AddHelix(BackboneMolecule& b, int n, int structure = kAlphaHelix) {
    for (int k = 0; k < n; ++k) {
        const double phi = k * 100.0 * M_PI / 180;
        const Vec3 radial = {std::cos(phi), std::sin(phi), 0};
        const Vec3 ca = {2.3 * radial[0], 2.3 * radial[1], 1.5 * k};
        b.Add(ca, Add(ca, Vec3{0.3 * radial[0], 0.3 * radial[1], 1.2}), structure);
    }
}

// A straight strand of n residues along x, 3.3 Å apart with a small zigzag in y, its carbonyl
// oxygens pointing alternately up and down z as in a sheet.
inline void AddStrand(BackboneMolecule& b, int n, Vec3 start = {0, 0, 0}, int structure = kStrand) {
    for (int k = 0; k < n; ++k) {
        const double side = k % 2 ? -1 : 1;
        const Vec3 ca = Add(start, Vec3{3.3 * k, 0.9 * side, 0});
        b.Add(ca, Add(ca, Vec3{0.4, 0, 1.2 * side}), structure);
    }
}

template <typename Point>
std::vector<Point> AllPoints(SplineCursor cursor) {
    std::vector<Point> points;
    Point p;
    while (cursor.Next(p))
        points.push_back(p);
    return points;
}

inline Vec3 Wide(const Vec3f& v) {
    return {v[0], v[1], v[2]};
}

} // namespace vorn
