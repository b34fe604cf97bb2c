// The view's annotations: where labels, markers, monitors, axes and hydrogen bonds enter the
// scene, the label font and its rebuild, and the pause of the draw cycle around font changes.
#include "document/VornDoc.h"
#include "render/LabelFont.h"
#include "render/Overlays.h"
#include "render/Representations.h"
#include "render/ViewHost.h"
#include "render/VornView.h"

#include <GL/gl.h>

namespace vorn {

namespace {

// The size mapped to 4 scene units, as the molecules are drawn.
constexpr float kSceneUnits = 4.0f;
// Axes reach this fraction of the molecule's radius (half its box diagonal).
constexpr float kAxesPerRadius = 0.3f;
// The screen's units on both sides of the font-height scaling.
constexpr int kScreenFontUnits = 82;

const float kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

} // namespace

void CVornView::SetGlyphSource(GlyphSource* source) {
    m_glyphSource = source;
    if (m_glReady)
        RebuildLabelFont();
}

void CVornView::SetLabelFont(const LabelFont& font) {
    params.labelFont = font;
    if (m_glReady)
        RebuildLabelFont();
    RequestRedraw();
}

void CVornView::RebuildLabelFont() {
    DeleteLabelFont(params.labelListBase);
    const LabelFont font = ScaledLabelFont(params.labelFont, kScreenFontUnits, kScreenFontUnits);
    const int base = BuildLabelFont(font, m_glyphSource);
    // Without lists no text is drawn; a base of 0 would call the primitives' lists instead.
    params.labelListBase = base > 0 ? base : -1;
    m_glReady = true; // called first by the GL set-up
}

PausedDrawing CVornView::Pause() {
    PausedDrawing saved;
    if (!m_doc.primary)
        return saved;
    saved.paused = true;
    saved.continuousRedraw = params.continuousRedraw;
    saved.playing = params.playing;
    saved.spinning = params.spinning;
    saved.frameIndex = m_doc.FrameIndex();
    params.continuousRedraw = params.playing = params.spinning = false;
    return saved;
}

void CVornView::Resume(const PausedDrawing& saved) {
    if (saved.paused) {
        params.continuousRedraw = saved.continuousRedraw;
        params.playing = saved.playing;
        params.spinning = saved.spinning;
        m_doc.SetFrame(saved.frameIndex);
    }
    RequestRedraw();
}

void CVornView::DrawLabelsOf(const Molecule& mol, const DrawContext& dc) {
    if (mol.atomLabels)
        DrawAtomLabels(mol, dc);
}

void CVornView::DrawAnnotationsOf(const Molecule& mol, const DrawContext& dc) {
    if (&mol == pickedMolecule && m_host.TorsionDialogOpen() && torsion.IsSelected())
        DrawTorsionMarker(mol, torsion, dc);
    if (mol.monitorsShown)
        DrawMonitors(mol, dc);
    if (params.axesShown)
        DrawAxes(dc, kAxesPerRadius * mol.boxDiagonal / 2);
}

// Markers and hydrogen bonds lie between molecules: they are placed by displayed positions, in
// the frame the molecules are turned into, with the eye's turn of a stereo pass.
void CVornView::DrawSceneAnnotations(int eye) {
    const bool markers = m_host.MeasureDialogOpen() && m_doc.measures.Count() > 0;
    const bool hBonds = params.hBondsShown && !m_doc.hydrogenBonds.empty();
    if (!markers && !hBonds)
        return;
    glPushMatrix();
    if (eye != 0)
        glRotatef(eye * params.stereoAngle, 0, 1, 0);
    const float s = kSceneUnits / params.sceneScale;
    glScalef(s, s, s);
    float modelView[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelView);
    const DrawContext dc{params, primitives, m_viewLight, m_lights, kIdentity, modelView, eye};
    if (markers) {
        m_doc.measures.Recompute();
        DrawMeasureMarkers(m_doc.measures, dc);
    }
    if (hBonds)
        DrawHydrogenBonds(m_doc.molecules, m_doc.hydrogenBonds, dc);
    glPopMatrix();
}

} // namespace vorn
