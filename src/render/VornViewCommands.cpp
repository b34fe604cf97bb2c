// The view's display commands: the View and Molecule menus, playback, colours and lighting.
#include "analysis/Superposition.h"
#include "document/VornDoc.h"
#include "render/GlCapability.h"
#include "render/Ribbons.h"
#include "render/ViewHost.h"
#include "render/VornView.h"

#include <GL/gl.h>

#include <algorithm>

namespace vorn {

void CVornView::ToggleScaleToFit() {
    params.scaleToFit = !params.scaleToFit;
    params.sceneScale = ScaleToFitSize(params.scaleToFit);
    RequestRedraw();
}

void CVornView::ToggleDepthCue() {
    params.depthCue = !params.depthCue;
    SetCapability(GL_FOG, params.depthCue);
    RequestRedraw();
}

void CVornView::ToggleAntiAlias() {
    params.lineAlias = !params.lineAlias;
    SetCapability(GL_LINE_SMOOTH, params.lineAlias);
    RequestRedraw();
}

void CVornView::ToggleSmooth3D() {
    params.smooth3D = !params.smooth3D;
    RequestRedraw();
}

void CVornView::TogglePolygons() {
    params.drawPolygons = !params.drawPolygons;
    RequestRedraw();
}

void CVornView::ToggleAxes() {
    params.axesShown = !params.axesShown;
    RequestRedraw();
}

void CVornView::ToggleStereo() {
    params.displayStereo = !params.displayStereo;
    SetProjection();
    RequestRedraw();
}

void CVornView::ToggleHydrogenBonds() {
    params.hBondsShown = !params.hBondsShown;
    if (params.hBondsShown)
        m_doc.FindHydrogenBonds();
    RequestRedraw();
}

void CVornView::SetLineWidth(float width) {
    params.lineWidth = width;
    RequestRedraw();
}

void CVornView::SetResolution(int preset) {
    params.resolution = preset;
    ApplyResolution();
    RequestRedraw();
}

void CVornView::CustomResolution(int index, int value) {
    if (ApplyCustomResolution(index, value, params.resolution, params.res, primitives))
        RequestRedraw();
}

void CVornView::SetRenderMode(int mode) {
    // Ribbons take their widths and thicknesses from the mode as it is chosen.
    for (auto& mol : m_doc.molecules)
        if (mol->active) {
            mol->renderMode = mode;
            SetRibbonProfile(*mol, mode);
        }
    // Sticks meet in balls of their own radius; ball and stick shows bigger balls.
    if (mode == kSticks)
        params.stickRadius = params.ballRadius = 0.175f;
    else if (mode == kBallAndStick)
        params.stickRadius = 0.175f, params.ballRadius = 0.275f;
    else if (mode == kTraceSticks)
        params.stickRadius = params.ballRadius = 0.275f;
    RequestRedraw();
}

namespace {

bool& FlagOf(Molecule& mol, CVornView::MoleculeFlag flag) {
    switch (flag) {
    case CVornView::kAtomLabels:
        return mol.atomLabels;
    case CVornView::kSolvent:
        return mol.solvent;
    case CVornView::kMonitors:
        return mol.monitorsShown;
    case CVornView::kMonitorLabels:
        return mol.monitorLabels;
    case CVornView::kShowWireFrame:
        break;
    }
    return mol.showWireFrame;
}

} // namespace

void CVornView::ToggleMoleculeFlag(MoleculeFlag flag) {
    for (auto& mol : m_doc.molecules)
        if (mol->active)
            FlagOf(*mol, flag) = !FlagOf(*mol, flag);
    RequestRedraw();
}

bool CVornView::MoleculeFlagShown(MoleculeFlag flag) const {
    for (auto& mol : m_doc.molecules)
        if (mol->active)
            return FlagOf(*mol, flag);
    return false;
}

void CVornView::Play(bool reverse) {
    params.playing = params.continuousRedraw = true;
    params.playReverse = reverse;
    RequestRedraw();
}

void CVornView::StopPlayback() {
    params.playing = false;
    if (!params.spinning)
        params.continuousRedraw = false;
}

namespace {

// The colour a target names (null for none) and its component count; P is const or not.
template <typename P>
auto ColorTarget(P& p, int target, int& components) -> decltype(&p.backgroundColor[0]) {
    components = target == 0 || target == 2 ? 3 : 4;
    switch (target) {
    case 0:
        return p.backgroundColor;
    case 1:
        return p.selectionColor;
    case 2:
        return p.hBondColor;
    case 3:
        return p.clipPlaneColor;
    default:
        return nullptr;
    }
}

} // namespace

void CVornView::GetColor(int target, int rgba[4]) const {
    int n = 0;
    const float* c = ColorTarget(params, target, n);
    for (int k = 0; k < 4; ++k)
        rgba[k] = c && k < n ? static_cast<int>(c[k] * 255) : 255;
}

void CVornView::ApplyColor(int target, const int rgba[4]) {
    int n = 0;
    float* c = ColorTarget(params, target, n);
    if (!c)
        return;
    for (int k = 0; k < n; ++k)
        c[k] = static_cast<float>(rgba[k]) / 255;
    if (target == 0) {
        // The background is also the colour the fog fades into.
        params.backgroundColor[3] = 1.0f;
        glClearColor(c[0], c[1], c[2], 1.0f);
        glFogfv(GL_FOG_COLOR, params.backgroundColor);
    }
    if (target == 3)
        clipPlane.Follow(params);
    RequestRedraw();
}

LightingChoice CVornView::Lighting() const {
    return m_lights.Choice(params.matShininess, params.matSpecular);
}

void CVornView::ApplyLighting(const LightingChoice& choice) {
    m_lights.Apply(choice, params.matShininess, params.matSpecular);
    RequestRedraw();
}

void CVornView::ShowFrame(int index) {
    m_doc.SetFrame(index);
    if (params.hBondsShown)
        m_doc.FindHydrogenBonds();
    m_host.NotifyAlignmentDialog();
    RequestRedraw();
}

void CVornView::MoleculeSelection(int request, const std::vector<int>& positions) {
    std::vector<int> rows;
    for (int row : positions)
        if (row >= 0 && row < m_doc.MoleculeCount())
            rows.push_back(row);
    if (rows.empty())
        return;
    switch (request) {
    case kDeleteMolecule:
        // From the last, so that the positions of the others stay valid.
        std::sort(rows.rbegin(), rows.rend());
        for (int row : rows)
            m_doc.DeleteMolecule(row);
        break;
    case kDuplicateMolecule:
        for (int row : rows)
            m_doc.DuplicateMolecule(row);
        break;
    case kMakePrimary:
        m_doc.MakePrimary(rows.front());
        break;
    case kToggleFixed:
        for (int row : rows)
            m_doc.ToggleFixed(row);
        break;
    case kToggleSelection:
        for (int row : rows)
            m_doc.ToggleSelection(row);
        break;
    default:
        return;
    }
    DocumentChanged();
}

bool CVornView::TurnTorsion(double degrees) {
    Molecule* mol = torsion.GetMolecule();
    if (!mol || m_doc.IndexOf(mol) < 0)
        return false;
    torsion.SetTorsion(degrees);
    if (params.hBondsShown)
        m_doc.FindHydrogenBonds();
    m_host.NotifyAlignmentDialog();
    RequestRedraw();
    return true;
}

double CVornView::AlignMolecules(const Molecule& a, Molecule& b, const std::vector<int>& listA,
                                 const std::vector<int>& listB, bool massWeighting) {
    vorn::AlignMolecules(a, b, listA, listB, massWeighting);
    AfterMove(false);
    return ComputeRmsd(a, b, listA, listB, massWeighting);
}

} // namespace vorn
