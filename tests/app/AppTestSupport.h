// What the GUI tests share: the real application started with a command line, a hand that answers
// the modal windows that come up, menu actions by their path, and the drawn picture.
#pragma once

#include "app/GlWidget.h"
#include "app/MainFrame.h"
#include "app/VornApp.h"
#include "document/VornDoc.h"
#include "render/VornView.h"

#include <QImage>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QWidget;

namespace vorn {

inline const std::string kData = VORN_TEST_DATA;

// Answers modal windows while it lives: a message box is recorded and closed with the button
// chosen for questions (Yes by default); any other modal window is handed to onWindow (when set)
// or rejected, but for the reading window, which closes itself.
class ModalHand {
public:
    ModalHand();
    ~ModalHand();
    std::vector<std::string> messages;
    bool answerYes = true;
    std::function<bool(QWidget*)> onWindow; // true when it dealt with the window

private:
    void Look();
    QTimer m_timer;
};

// The application started as `vorn args...` is, with its window shown and drawn.
class RunningApp {
public:
    explicit RunningApp(const std::vector<std::string>& args = {});
    ~RunningApp();

    CMainFrame& Frame() { return m_app->Frame(); }
    CVornDoc& Doc() { return m_app->Document(); }
    VornGlWidget& GlView() { return Frame().GlView(); }
    CVornView& View() { return GlView().View(); }

    // Processes events until a frame has been drawn after this call (false after the timeout).
    bool DrawFrame(int timeoutMs = 5000);
    // The view's picture as drawn last.
    QImage Picture();
    // Ends the application as closing its window does (settings written).
    void Close();

private:
    std::vector<std::string> m_args;
    std::vector<char*> m_argv;
    std::unique_ptr<CVornApp> m_app;
};

// The action of a menu path such as "View/Line Width/3" (labels with their "&"), or null.
QAction* MenuAction(QWidget* window, const QString& path);
// Triggers it; fails the test when there is none.
void Trigger(QWidget* window, const QString& path);

// Pixels of the picture that differ from the colour of its corner (the background).
int CoveredPixels(const QImage& picture);

// Processes events for a while.
void Wait(int milliseconds);

// The top-level window of a type that is shown, or null.
template <typename W>
W* Shown();

} // namespace vorn

#include <QApplication>

namespace vorn {

template <typename W>
W* Shown() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* found = qobject_cast<W*>(w); found && found->isVisible())
            return found;
    return nullptr;
}

} // namespace vorn
