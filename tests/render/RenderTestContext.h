// The off-screen GL context every render test draws into, and a view host double with a clock
// the test moves by hand.
#pragma once

#include "core/UiHost.h"
#include "document/VornDoc.h"
#include "render/OffscreenContext.h"
#include "render/ViewHost.h"
#include "render/VornView.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace vorn {

// One context of 320 × 240 for the whole test program, made current on first use. A machine
// that cannot give one fails the test that asked (it never skips).
OffscreenContext& TestContext();

class FakeViewHost : public ViewHost {
public:
    void RequestRedraw() override { ++redraws; }
    bool SwapBuffers() override {
        ++swaps;
        return swapSucceeds;
    }
    void CaptureMouse() override { captured = true; }
    void ReleaseMouse() override { captured = false; }
    unsigned Milliseconds() override { return now; }
    void Sleep(unsigned milliseconds) override {
        slept += milliseconds;
        now += milliseconds;
    }
    void ShowFrameNumber(int frame) override { shownFrame = frame; }
    void NotifyAlignmentDialog() override { ++alignmentNotices; }
    void RefreshMeasureDialog() override { ++measureRefreshes; }
    void RefreshTorsionDialog() override { ++torsionRefreshes; }
    bool MeasureDialogOpen() const override { return measureOpen; }
    bool TorsionDialogOpen() const override { return torsionOpen; }

    unsigned now = 1000;
    unsigned slept = 0;
    int redraws = 0;
    int swaps = 0;
    bool swapSucceeds = true;
    bool captured = false;
    int shownFrame = -1;
    int alignmentNotices = 0;
    int measureRefreshes = 0;
    int torsionRefreshes = 0;
    bool measureOpen = false;
    bool torsionOpen = false;
};

struct StatusRecorder : UiHost {
    void SetStatusText(const std::string& text) override { status.push_back(text); }
    void SetPaneText(int pane, const std::string& text) override {
        if (pane >= 1 && pane <= 3)
            panes[static_cast<size_t>(pane - 1)] = text;
    }
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    std::vector<std::string> status;
    std::array<std::string, 3> panes;
    std::vector<std::string> messages;
};

// Where the view draws a displayed position (Å, turned and moved as DisplayPosition gives it), in
// window pixels with y downward as the mouse reports them; eye -1 or +1 for the left or right
// half of a stereo view.
struct WindowPoint {
    double x, y;
    int X() const { return static_cast<int>(x + 0.5); }
    int Y() const { return static_cast<int>(y + 0.5); }
};
WindowPoint WindowPointOf(const CVornView& view, const std::array<double, 3>& displayed,
                          int eye = 0);
WindowPoint WindowPointOfAtom(const CVornView& view, const Molecule& mol, int atom, int eye = 0);

// A document and a created view of 320 × 240 in the shared test context.
struct ViewFixture {
    ViewFixture();
    // Appends a molecule of carbon atoms at the given places (no bonds) and makes it primary.
    Molecule& AddMolecule(const std::vector<std::array<float, 3>>& places);

    StatusRecorder ui;
    FakeViewHost host;
    CVornDoc doc;
    CVornView view;
};

} // namespace vorn
