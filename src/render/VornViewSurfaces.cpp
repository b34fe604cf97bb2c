// The view's surface commands: building and removing molecules' surfaces, the "Solid", "Mesh"
// and "Dots" commands and the Surface Options window's apply and rebuild.
#include "analysis/VornSurface.h"
#include "document/VornDoc.h"
#include "render/VornView.h"

namespace vorn {

namespace {

// Redraws when the work is over, also when a build raised part of the way through.
struct RedrawAfter {
    CVornView& view;
    ~RedrawAfter() { view.Redraw(); }
};

} // namespace

void CVornView::BuildMoleculeSurface(Molecule& mol) {
    RedrawAfter redraw{*this};
    BuildSurface(mol, m_ui);
}

void CVornView::DestroyMoleculeSurface(Molecule& mol) {
    mol.surface.DestroySurface();
    RequestRedraw();
}

void CVornView::SurfaceCommand(int style) {
    if (style < kSolidSurface || style > kDotSurface)
        return;
    RedrawAfter redraw{*this};
    for (auto& mol : m_doc.molecules) {
        if (!mol->active)
            continue;
        SurfaceMesh& surface = mol->surface;
        if (!surface.valid) {
            surface.drawStyle = style;
            BuildSurface(*mol, m_ui);
        } else if (surface.drawStyle != style) {
            surface.drawStyle = style;
        } else {
            surface.DestroySurface();
        }
    }
}

bool CVornView::SurfaceStyleShown(int style) const {
    const Molecule* mol = m_doc.primary;
    return mol && mol->surface.valid && mol->surface.drawStyle == style;
}

void CVornView::ApplySurfaceOptions(const SurfaceOptions& options) {
    for (auto& mol : m_doc.molecules)
        if (mol->active)
            SetSurfaceOptions(mol->surface, options);
    RequestRedraw();
}

void CVornView::RebuildSurfaces() {
    RedrawAfter redraw{*this};
    for (auto& mol : m_doc.molecules)
        if (mol->active)
            BuildSurface(*mol, m_ui);
}

} // namespace vorn
