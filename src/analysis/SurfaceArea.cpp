// The surface's area split among atoms (each triangle corner hands a third of the triangle to the
// corner's nearest atom) and the per-residue and per-atom area reports.
#include "analysis/VornSurface.h"
#include "core/VornError.h"
#include "model/Molecule.h"

#include <cstdio>

namespace vorn {

namespace {

constexpr const char* kSource = "VornSurface";
// Each corner of a triangle hands this share of its area to the corner's nearest atom.
constexpr float kThird = 0.33333334f;

Vec3f Vertex(const SurfaceMesh& mesh, int v) {
    return At(&mesh.vertices[3 * size_t(v)]);
}

void AppendLine(std::string& text, int number, double value) {
    char line[64];
    std::snprintf(line, sizeof line, "%d\t%f\r\n", number, value);
    text += line;
}

} // namespace

void GetAtomSurfaceArea(const SurfaceMesh& mesh, std::vector<float>& areas) {
    if (!mesh.valid)
        VORN_RAISE(kSource, "Can not compute surface area for invalid surface");
    std::fill(areas.begin(), areas.end(), 0.0f);
    const std::vector<int>& triangles = mesh.triangles;
    for (size_t t = 0; t + 2 < triangles.size(); t += 3) {
        const Vec3f a = Vertex(mesh, triangles[t]), b = Vertex(mesh, triangles[t + 1]),
                    c = Vertex(mesh, triangles[t + 2]);
        const float share = Length(Cross(Sub(a, b), Sub(c, b))) / 2 * kThird;
        for (size_t k = 0; k < 3; ++k) {
            const int atom = mesh.vertexAtom[size_t(triangles[t + k])];
            if (atom < 0 || size_t(atom) >= areas.size())
                VORN_RAISE(kSource, "Invalid atom index in GetAtomSurfaceArea");
            areas[size_t(atom)] += share;
        }
    }
}

std::string SurfaceAreaReport(Molecule& mol, bool byResidue, UiHost* ui) {
    SurfaceMesh& surface = mol.surface;
    // A surface built only for the report is discarded again, also when the report fails.
    struct Discard {
        SurfaceMesh* surface;
        ~Discard() {
            if (surface)
                surface->DestroySurface();
        }
    } discard{surface.valid ? nullptr : &surface};
    if (!surface.valid)
        BuildSurface(mol, ui);
    std::vector<float> areas(mol.atoms.size());
    GetAtomSurfaceArea(surface, areas);
    std::string text;
    double total = 0;
    if (byResidue) {
        for (const Chain& chain : mol.chains)
            for (const Residue& residue : chain.residues) {
                double sum = 0;
                for (int atom : residue.atoms)
                    if (atom >= 0 && size_t(atom) < areas.size())
                        sum += areas[size_t(atom)];
                AppendLine(text, residue.number, sum);
                total += sum;
            }
    } else {
        for (size_t i = 0; i < areas.size(); ++i) {
            AppendLine(text, mol.atoms[i].serial, areas[i]);
            total += areas[i];
        }
    }
    char last[96];
    std::snprintf(last, sizeof last,
                  "###################################\n# Total Surface Area = %f", total);
    return text + last;
}

} // namespace vorn
