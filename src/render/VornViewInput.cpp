// Motion by mouse and keys: the trackball turns free molecules, drags move them, the right button
// and the wheel zoom, and with momentum a released molecule keeps turning.
#include "document/VornDoc.h"
#include "render/Trackball.h"
#include "render/ViewHost.h"
#include "render/VornView.h"

#include <algorithm>
#include <cstdlib>

namespace vorn {

namespace {

// One arrow-key press turns by a trackball step of this many normalised units.
constexpr float kKeyStep = 0.05f;
// A Shift+arrow press zooms like a right drag over this many pixels.
constexpr int kKeyScalePixels = 10;

void AddAlong(float translation[3], float amount, float a, float b, float c) {
    translation[0] += amount * a;
    translation[1] += amount * b;
    translation[2] += amount * c;
}

} // namespace

bool CVornView::AnyFixed() const {
    for (const auto& mol : m_doc.molecules)
        if (!mol->motion.moving)
            return true;
    return false;
}

bool CVornView::AllMoving() const {
    return !AnyFixed();
}

void CVornView::StopSpinning() {
    params.spinning = false;
    if (!params.playing)
        params.continuousRedraw = false;
}

void CVornView::AfterMove(bool hBondsOnlyWithFixed) {
    params.sceneScale = ScaleToFitSize(params.scaleToFit);
    if (params.hBondsShown && (!hBondsOnlyWithFixed || AnyFixed()))
        m_doc.FindHydrogenBonds();
    m_host.NotifyAlignmentDialog();
    RequestRedraw();
}

void CVornView::BeginRotation(int x, int y) {
    for (auto& mol : m_doc.molecules)
        if (mol->motion.moving) {
            mol->motion.lastRotateX = static_cast<float>(x);
            mol->motion.lastRotateY = static_cast<float>(y);
            mol->motion.rotateSteps = 0;
        }
    m_rotating = true;
    m_rotatedSinceDown = false;
    StopSpinning();
}

void CVornView::HydrogenBondsAfterTurn() {
    if (params.hBondsShown && AnyFixed())
        m_doc.FindHydrogenBonds();
}

void CVornView::RotationStep(int x, int y) {
    const int w = params.windowWidth, h = params.windowHeight;
    if (w <= 0 || h <= 0)
        return;
    const TrackPoint to = NormalisedPoint(x, y, w, h);
    for (auto& mol : m_doc.molecules) {
        MotionState& m = mol->motion;
        if (!m.moving)
            continue;
        const TrackPoint from =
            NormalisedPoint(static_cast<int>(m.lastRotateX), static_cast<int>(m.lastRotateY), w, h);
        m.increment = TrackballIncrement(from, to, m.trackballSize);
        m.lastRotateX = static_cast<float>(x);
        m.lastRotateY = static_cast<float>(y);
    }
    m_rotatedSinceDown = true;
    m_host.NotifyAlignmentDialog();
    if (params.momentumEnabled && !params.leftButtonDown) {
        // The step at the release: the molecules spin by it from now on.
        params.spinning = true;
        if (!params.playing) {
            params.continuousRedraw = true;
            RequestRedraw();
        }
        return;
    }
    for (auto& mol : m_doc.molecules)
        if (mol->motion.moving)
            Compose(mol->motion);
    HydrogenBondsAfterTurn();
    RequestRedraw();
}

void CVornView::BeginTranslation(int x, int y) {
    for (auto& mol : m_doc.molecules)
        if (mol->motion.moving) {
            mol->motion.lastTranslateX = static_cast<float>(x);
            mol->motion.lastTranslateY = static_cast<float>(y);
            mol->motion.rotationMatrix = QuaternionToMatrix(mol->motion.rotation);
        }
}

// The translation lives in the molecule's rotated frame, so a move along a screen axis is that
// axis turned back by the rotation: a row of the matrix the graphics library applies (which reads
// the stored floats column by column), i.e. (m0, m4, m8) for x.
void CVornView::TranslationStep(int x, int y) {
    const float k = params.sceneScale / std::max(params.windowWidth, params.windowHeight);
    for (auto& mol : m_doc.molecules) {
        MotionState& s = mol->motion;
        if (!s.moving)
            continue;
        const float a = 3 * (x - s.lastTranslateX) * k;
        const float b = -3 * (y - s.lastTranslateY) * k;
        const auto& m = s.rotationMatrix;
        AddAlong(s.translation, a, m[0], m[4], m[8]);
        AddAlong(s.translation, b, m[1], m[5], m[9]);
        s.lastTranslateX = static_cast<float>(x);
        s.lastTranslateY = static_cast<float>(y);
    }
    AfterMove(true);
}

void CVornView::BeginScale(int x) {
    params.lastScaleX = static_cast<float>(x);
    if (AllMoving())
        return;
    for (auto& mol : m_doc.molecules)
        if (mol->motion.moving) {
            mol->motion.lastScaleX = static_cast<float>(x);
            mol->motion.rotationMatrix = QuaternionToMatrix(mol->motion.rotation);
        }
}

// With every molecule free the drag zooms (field of view); with one fixed it moves the free ones
// toward or away from the eye.
void CVornView::ScaleStep(int x) {
    if (AllMoving()) {
        if (params.windowWidth <= 0)
            return;
        params.fieldOfView -= (x - params.lastScaleX) * 40 / params.windowWidth;
        params.fieldOfView = std::clamp(params.fieldOfView, 0.0f, 180.0f);
        params.lastScaleX = static_cast<float>(x);
        SetProjection();
        RequestRedraw();
        return;
    }
    const float k = params.sceneScale / std::max(params.windowWidth, params.windowHeight);
    for (auto& mol : m_doc.molecules) {
        MotionState& s = mol->motion;
        if (!s.moving)
            continue;
        const auto& m = s.rotationMatrix;
        AddAlong(s.translation, 3 * (x - s.lastScaleX) * k, m[2], m[6], m[10]);
        s.lastScaleX = static_cast<float>(x);
    }
    AfterMove(false);
}

void CVornView::MouseDown(Button button, int x, int y, Buttons held) {
    // The middle button, or left and right together, move; left alone turns; right alone zooms.
    const bool otherHeld = button == kLeftButton ? held.right : held.left;
    if (button == kMiddleButton || otherHeld) {
        if (button == kMiddleButton)
            m_host.CaptureMouse();
        BeginTranslation(x, y);
        return;
    }
    m_host.CaptureMouse();
    // With Ctrl the drag turns (left) or moves (right) the clipping plane instead.
    m_clipDrag = held.ctrl;
    if (button == kLeftButton) {
        params.leftButtonDown = true;
        PickAndHandOver(x, y);
        if (m_clipDrag)
            clipPlane.BeginRotate(x, y);
        else
            BeginRotation(x, y);
    } else if (m_clipDrag) {
        clipPlane.BeginScale(x);
    } else {
        BeginScale(x);
    }
}

void CVornView::MouseUp(Button button, int x, int y, Buttons /*held*/) {
    m_clipDrag = false;
    if (button != kLeftButton) {
        m_host.ReleaseMouse();
        return;
    }
    params.leftButtonDown = false;
    // The left button that took part in a translation (with the right one held) turned nothing.
    if (!m_rotating) {
        m_host.ReleaseMouse();
        return;
    }
    m_rotating = false;
    // A click without a drag still makes one (empty) step, so momentum starts a spin.
    if (!m_rotatedSinceDown)
        RotationStep(x, y);
    m_host.ReleaseMouse();
    if (params.momentumEnabled) {
        params.spinning = true;
        if (!params.playing) {
            params.continuousRedraw = true;
            RequestRedraw();
        }
    }
}

void CVornView::MouseMove(int x, int y, Buttons held) {
    if (held.middle || (held.left && held.right))
        TranslationStep(x, y);
    else if (held.left)
        m_clipDrag ? TurnClipPlane(x, y) : RotationStep(x, y);
    else if (held.right)
        m_clipDrag ? MoveClipPlane(x) : ScaleStep(x);
}

void CVornView::Wheel(int delta) {
    const int notches = delta / 120; // truncated toward zero: half a notch does nothing
    params.fieldOfView = std::clamp(params.fieldOfView + 5.0f * notches, 0.0f, 180.0f);
    SetProjection();
    RequestRedraw();
}

void CVornView::KeyDown(Key key) {
    if (key == kKeyShift) {
        params.shiftDown = true;
        return;
    }
    if (key == kKeyOther)
        return;
    if (params.shiftDown) {
        const int pixels = key == kKeyLeft || key == kKeyDown ? kKeyScalePixels : -kKeyScalePixels;
        BeginScale(0);
        ScaleStep(pixels);
        return;
    }
    TrackPoint from, to;
    switch (key) {
    case kKeyLeft:
        from.x = kKeyStep;
        break;
    case kKeyRight:
        to.x = kKeyStep;
        break;
    case kKeyUp:
        to.y = kKeyStep;
        break;
    default:
        from.y = kKeyStep;
        break;
    }
    for (auto& mol : m_doc.molecules)
        if (mol->motion.moving) {
            mol->motion.increment = TrackballIncrement(from, to, mol->motion.trackballSize);
            Compose(mol->motion);
        }
    HydrogenBondsAfterTurn();
    m_host.NotifyAlignmentDialog();
    RequestRedraw();
}

void CVornView::KeyUp(Key key) {
    if (key == kKeyShift)
        params.shiftDown = false;
}

void CVornView::IncreaseSensitivity() {
    for (auto& mol : m_doc.molecules)
        if (mol->motion.trackballSize > 0.4f)
            mol->motion.trackballSize -= 0.1f;
}

void CVornView::DecreaseSensitivity() {
    for (auto& mol : m_doc.molecules)
        if (mol->motion.trackballSize < 1.5f)
            mol->motion.trackballSize += 0.1f;
}

void CVornView::DefaultSensitivity() {
    for (auto& mol : m_doc.molecules)
        mol->motion.trackballSize = 0.8f;
}

void CVornView::Center() {
    for (auto& mol : m_doc.molecules)
        if (mol->motion.moving)
            std::fill(std::begin(mol->motion.translation), std::end(mol->motion.translation), 0.0f);
    RequestRedraw();
}

void CVornView::ToggleMomentum() {
    params.momentumEnabled = !params.momentumEnabled;
    if (!params.momentumEnabled && params.spinning)
        StopSpinning();
}

} // namespace vorn
