// The window-system operations the engine may ask for: status text, message boxes, progress.
#pragma once

#include <string>

namespace vorn {

// The core reports upward only through this port. The GUI implements it with the main frame;
// vorn-cli prints messages to stderr; tests record the calls. Every operation may be ignored.
class UiHost {
public:
    virtual ~UiHost() = default;
    virtual void SetStatusText(const std::string& /*text*/) {}
    // The status bar's other panes, 1 to 3 (a picked atom's serial, name and residue).
    virtual void SetPaneText(int /*pane*/, const std::string& /*text*/) {}
    // A modal message box with an OK button (warnings that do not stop an operation).
    virtual void ShowMessage(const std::string& /*text*/) {}
    virtual void BeginProgress(int /*steps*/) {}
    virtual void StepProgress() {}
    virtual void SetProgress(int /*position*/) {}
    virtual void EndProgress() {}
};

} // namespace vorn
