// The Clipping menu and the Ctrl drags that turn and move the clipping plane.
#include "render/ViewHost.h"
#include "render/VornView.h"

namespace vorn {

void CVornView::ToggleClipView() {
    params.clipView = !params.clipView;
    if (params.clipView)
        clipPlane.Enable();
    else
        clipPlane.Disable();
    RequestRedraw();
}

void CVornView::ToggleClipSurface() {
    params.clipSurface = !params.clipSurface;
    RequestRedraw();
}

void CVornView::ToggleDisplayClipPlane() {
    params.displayClipPlane = !params.displayClipPlane;
    clipPlane.displayed = params.displayClipPlane;
    RequestRedraw();
}

// The drawn disk moves too, so the picture changes whenever the plane is in use or shown.
void CVornView::CenterClipPlane() {
    clipPlane.Center();
    if (params.clipView || params.clipSurface || params.displayClipPlane)
        RequestRedraw();
}

void CVornView::TurnClipPlane(int x, int y) {
    clipPlane.Rotate(x, y, params.windowWidth, params.windowHeight);
    RequestRedraw();
}

void CVornView::MoveClipPlane(int x) {
    clipPlane.Scale(x, params.windowWidth);
    RequestRedraw();
}

} // namespace vorn
