// What the view asks of the window that hosts it: repaints, buffer swaps, the mouse, the clock.
#pragma once

namespace vorn {

// The GL widget implements it in the GUI, the off-screen renderer in vorn-cli, a double in tests.
// The dialog hooks default to nothing: only the GUI has those windows.
class ViewHost {
public:
    virtual ~ViewHost() = default;
    // Marks the view invalid and posts a paint request; never paints at once.
    virtual void RequestRedraw() = 0;
    // Shows the back buffer; false when the window system refused.
    virtual bool SwapBuffers() = 0;
    virtual void CaptureMouse() {}
    virtual void ReleaseMouse() {}
    // A millisecond clock that wraps around like an unsigned 32-bit counter.
    virtual unsigned Milliseconds() = 0;
    virtual void Sleep(unsigned milliseconds) = 0;

    // Open modeless windows that follow the picture.
    virtual void RefreshMeasureDialog() {}
    virtual void ShowFrameNumber(int /*frame*/) {}
    virtual void NotifyAlignmentDialog() {}
    virtual void RefreshMoleculeSelection() {}
    virtual void RefreshTorsionDialog() {}
    // Whether the Measure and the Adjust Torsion Angle windows are open: a picked atom goes to
    // the measurement table, a picked bond to the torsion, only while they are.
    virtual bool MeasureDialogOpen() const { return false; }
    virtual bool TorsionDialogOpen() const { return false; }
};

} // namespace vorn
