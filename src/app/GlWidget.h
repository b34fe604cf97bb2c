// The OpenGL window of the viewer: hosts the view, hands it mouse, wheel and keys, and paces its
// continuous redraw with a timer.
#pragma once

#include "app/QtGlyphSource.h"
#include "render/ViewHost.h"

#include <QElapsedTimer>
#include <QOpenGLWidget>
#include <QTimer>

#include <exception>
#include <functional>
#include <memory>

namespace vorn {

class CVornDoc;
class CVornView;
class UiHost;

// The only class that sees both Qt and the view. Every view operation runs with this widget's
// context current (commands issue GL calls at once), through Command().
class VornGlWidget : public QOpenGLWidget, public ViewHost {
    Q_OBJECT
public:
    VornGlWidget(CVornDoc& doc, UiHost* ui, QWidget* parent = nullptr);
    ~VornGlWidget() override;

    CVornView& View() { return *m_view; }
    const CVornView& View() const { return *m_view; }
    // The label glyphs the view draws with, for views drawing beside it (movies).
    GlyphSource* Glyphs() { return &m_glyphs; }

    // Runs f(view) with the context current, when the context exists; VornError is shown.
    template <typename F>
    void Command(F f) {
        Current current(*this);
        RunReporting([&] { f(*m_view); });
    }
    // The same, for a caller that shows what f raises itself: it passes through, the context
    // released by then.
    template <typename F>
    void CommandRaising(F f) {
        Current current(*this);
        f(*m_view);
    }

    // While a trajectory is read into a molecule of the document, paints draw the scene as it is
    // without advancing playback, so that nothing on this thread reads the frames being appended.
    void SetReading(bool reading);
    // The GL_RENDERER string of the context ("" before it exists).
    QString Renderer();
    // The colour and depth bits the context was given.
    int ColorBits() const;
    int DepthBits() const;
    bool FirstFrameDrawn() const { return m_framesDrawn > 0; }
    int FramesDrawn() const { return m_framesDrawn; }

    // ViewHost
    void RequestRedraw() override;
    bool SwapBuffers() override { return true; } // the widget shows its picture after paintGL
    unsigned Milliseconds() override;
    void Sleep(unsigned milliseconds) override;
    void RefreshMeasureDialog() override;
    void ShowFrameNumber(int frame) override;
    void NotifyAlignmentDialog() override;
    void RefreshMoleculeSelection() override;
    void RefreshTorsionDialog() override;
    bool MeasureDialogOpen() const override { return measureOpen && measureOpen(); }
    bool TorsionDialogOpen() const override { return torsionOpen && torsionOpen(); }

    // Whether the Measure and torsion windows are open, as the main window knows.
    std::function<bool()> measureOpen;
    std::function<bool()> torsionOpen;

signals:
    void frameShown(int frame);
    void moleculesChanged();
    void measuresChanged();
    void alignmentChanged();
    void torsionChanged();
    void frameDrawn();

protected:
    void initializeGL() override;
    void resizeGL(int width, int height) override;
    void paintGL() override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    // Makes the context current for a scope when it exists.
    class Current {
    public:
        explicit Current(VornGlWidget& w);
        ~Current();
        Current(const Current&) = delete;
        Current& operator=(const Current&) = delete;

    private:
        VornGlWidget& m_widget;
        bool m_made;
    };
    template <typename F>
    void RunReporting(F f);
    void Report(const char* message);
    int DevicePixels(double logical) const;

    QtGlyphSource m_glyphs; // before the view, which draws with them until it goes
    std::unique_ptr<CVornView> m_view;
    UiHost* m_ui;
    QElapsedTimer m_clock;
    QTimer m_nextFrame; // the continuous redraw's next frame
    bool m_created = false;
    bool m_reading = false;
    int m_framesDrawn = 0;
};

template <typename F>
void VornGlWidget::RunReporting(F f) {
    try {
        f();
    } catch (const std::exception& e) {
        Report(e.what());
    }
}

} // namespace vorn
