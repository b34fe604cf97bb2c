// The OpenGL window of the viewer: context, input, paints and the paced continuous redraw.
#include "app/GlWidget.h"

#include "core/UiHost.h"
#include "document/VornDoc.h"
#include "render/VornView.h"

#include <GL/gl.h>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QOpenGLContext>
#include <QWheelEvent>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

namespace vorn {

namespace {

// The continuous redraw draws at most one frame per period.
constexpr unsigned kFramePeriod = 50; // ms

CVornView::Buttons HeldButtons(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
    CVornView::Buttons held;
    held.left = buttons & Qt::LeftButton;
    held.middle = buttons & Qt::MiddleButton;
    held.right = buttons & Qt::RightButton;
    held.shift = modifiers & Qt::ShiftModifier;
    held.ctrl = modifiers & Qt::ControlModifier;
    return held;
}

bool ViewButton(Qt::MouseButton button, CVornView::Button& out) {
    switch (button) {
    case Qt::LeftButton:
        out = CVornView::kLeftButton;
        return true;
    case Qt::MiddleButton:
        out = CVornView::kMiddleButton;
        return true;
    case Qt::RightButton:
        out = CVornView::kRightButton;
        return true;
    default:
        return false;
    }
}

CVornView::Key ViewKey(int key) {
    switch (key) {
    case Qt::Key_Left:
        return CVornView::kKeyLeft;
    case Qt::Key_Right:
        return CVornView::kKeyRight;
    case Qt::Key_Up:
        return CVornView::kKeyUp;
    case Qt::Key_Down:
        return CVornView::kKeyDown;
    case Qt::Key_Shift:
        return CVornView::kKeyShift;
    default:
        return CVornView::kKeyOther;
    }
}

} // namespace

VornGlWidget::Current::Current(VornGlWidget& w) : m_widget(w), m_made(w.m_created) {
    if (m_made)
        m_widget.makeCurrent();
}

VornGlWidget::Current::~Current() {
    if (m_made)
        m_widget.doneCurrent();
}

VornGlWidget::VornGlWidget(CVornDoc& doc, UiHost* ui, QWidget* parent)
    : QOpenGLWidget(parent), m_view(std::make_unique<CVornView>(doc, *this, ui)), m_ui(ui) {
    m_view->SetGlyphSource(&m_glyphs);
    m_clock.start();
    // The picture of the last frame stays until the next one is drawn: a paint that the draw
    // cycle skips (closer than 15 ms to the last frame) shows it again.
    setUpdateBehavior(QOpenGLWidget::PartialUpdate);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(64, 64);
    m_nextFrame.setSingleShot(true);
    connect(&m_nextFrame, &QTimer::timeout, this, [this] { update(); });
}

VornGlWidget::~VornGlWidget() {
    // The view's lists belong to this context.
    Current current(*this);
    m_view.reset();
}

void VornGlWidget::SetReading(bool reading) {
    m_reading = reading;
    update();
}

QString VornGlWidget::Renderer() {
    if (!m_created)
        return {};
    Current current(*this);
    const auto* text = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    return text ? QString::fromLatin1(text) : QString();
}

int VornGlWidget::ColorBits() const {
    return m_view->params.colorBits;
}

int VornGlWidget::DepthBits() const {
    return m_view->params.depthBits;
}

void VornGlWidget::initializeGL() {
    const QSurfaceFormat f = context()->format();
    const int colorBits = f.redBufferSize() + f.greenBufferSize() + f.blueBufferSize();
    m_created = true;
    RunReporting([&] { m_view->Create(colorBits, f.depthBufferSize()); });
}

void VornGlWidget::resizeGL(int width, int height) {
    RunReporting([&] { m_view->Resize(DevicePixels(width), DevicePixels(height)); });
}

void VornGlWidget::paintGL() {
    RunReporting([&] {
        if (m_reading)
            m_view->RenderScene(0);
        else
            m_view->Draw();
    });
    ++m_framesDrawn;
    emit frameDrawn();
}

int VornGlWidget::DevicePixels(double logical) const {
    return static_cast<int>(std::lround(logical * devicePixelRatioF()));
}

// A message raised while painting waits until the paint is over: a message box opened inside
// paintGL would paint again underneath it.
void VornGlWidget::Report(const char* message) {
    const std::string text = message;
    QTimer::singleShot(0, this, [this, text] {
        if (m_ui)
            m_ui->ShowMessage(text);
    });
}

void VornGlWidget::RequestRedraw() {
    if (!m_view || !m_view->params.continuousRedraw) {
        update();
        return;
    }
    // Continuous redraw: the next frame when its period is up, by a timer, so that a spinning or
    // playing scene costs one frame per period and nothing in between.
    if (m_nextFrame.isActive())
        return;
    const unsigned since = Milliseconds() - m_view->params.frameTime;
    m_nextFrame.start(static_cast<int>(since < kFramePeriod ? kFramePeriod - since : 0));
}

unsigned VornGlWidget::Milliseconds() {
    return static_cast<unsigned>(m_clock.elapsed());
}

void VornGlWidget::Sleep(unsigned milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void VornGlWidget::RefreshMeasureDialog() {
    emit measuresChanged();
}

void VornGlWidget::ShowFrameNumber(int frame) {
    emit frameShown(frame);
}

void VornGlWidget::NotifyAlignmentDialog() {
    emit alignmentChanged();
}

void VornGlWidget::RefreshMoleculeSelection() {
    emit moleculesChanged();
}

void VornGlWidget::RefreshTorsionDialog() {
    emit torsionChanged();
}

void VornGlWidget::mousePressEvent(QMouseEvent* event) {
    CVornView::Button button;
    if (!ViewButton(event->button(), button))
        return;
    const int x = DevicePixels(event->position().x()), y = DevicePixels(event->position().y());
    Command([&](CVornView& v) {
        v.MouseDown(button, x, y, HeldButtons(event->buttons(), event->modifiers()));
    });
}

void VornGlWidget::mouseReleaseEvent(QMouseEvent* event) {
    CVornView::Button button;
    if (!ViewButton(event->button(), button))
        return;
    const int x = DevicePixels(event->position().x()), y = DevicePixels(event->position().y());
    Command([&](CVornView& v) {
        v.MouseUp(button, x, y, HeldButtons(event->buttons(), event->modifiers()));
    });
}

void VornGlWidget::mouseMoveEvent(QMouseEvent* event) {
    const int x = DevicePixels(event->position().x()), y = DevicePixels(event->position().y());
    Command([&](CVornView& v) {
        v.MouseMove(x, y, HeldButtons(event->buttons(), event->modifiers()));
    });
}

void VornGlWidget::wheelEvent(QWheelEvent* event) {
    const int delta = event->angleDelta().y();
    if (delta == 0) {
        event->ignore();
        return;
    }
    Command([&](CVornView& v) { v.Wheel(delta); });
}

void VornGlWidget::keyPressEvent(QKeyEvent* event) {
    const CVornView::Key key = ViewKey(event->key());
    if (key == CVornView::kKeyOther) {
        QOpenGLWidget::keyPressEvent(event);
        return;
    }
    Command([&](CVornView& v) { v.KeyDown(key); });
}

void VornGlWidget::keyReleaseEvent(QKeyEvent* event) {
    const CVornView::Key key = ViewKey(event->key());
    if (key == CVornView::kKeyOther || event->isAutoRepeat()) {
        QOpenGLWidget::keyReleaseEvent(event);
        return;
    }
    Command([&](CVornView& v) { v.KeyUp(key); });
}

} // namespace vorn
