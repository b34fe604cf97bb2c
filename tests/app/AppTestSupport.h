// What the GUI tests share: the real application started with a command line, a hand that answers
// the modal windows that come up, menu actions by their path, and the drawn picture.
#pragma once

#include "app/GlWidget.h"
#include "app/MainFrame.h"
#include "app/VornApp.h"
#include "document/VornDoc.h"
#include "render/VornView.h"

#include <QImage>
#include <QPushButton>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

class QAbstractButton;
class QAction;
class QLineEdit;
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

// Clicks and lets the events it caused run; fails the test when there is no button.
void Click(QAbstractButton* button);
// Clicks the OK of a window's standard button row (the events run in the caller's loop).
void ClickOk(QWidget* window);
// Replaces a field's whole text in one edit, as typing over its selection does.
void Type(QLineEdit* field, const QString& text);
// The texts of a window's labels.
QStringList LabelTexts(QWidget* window);
// A file's bytes; fails the test when it cannot be read.
QByteArray FileBytes(const std::string& path);

// The top-level window of a type that is shown, or null.
template <typename W>
W* Shown();

// The button, check box or radio button of a window with this text (null, and a failure, when
// there is none).
template <typename B = QPushButton>
B* Labelled(QWidget* window, const QString& text);

// Runs a menu command and returns the window of type W it showed (null when none).
template <typename W>
W* Open(RunningApp& run, const QString& path) {
    Trigger(&run.Frame(), path);
    return Shown<W>();
}

// For ModalHand::onWindow: accepts every window of type W and leaves the others.
template <typename W>
bool AcceptWindow(QWidget* window) {
    auto* found = qobject_cast<W*>(window);
    if (found)
        found->accept();
    return found != nullptr;
}

// A test that starts from the default settings and leaves none behind for the tests after it.
class FreshSettings : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override { SetUp(); }
};

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

template <typename B>
B* Labelled(QWidget* window, const QString& text) {
    for (B* b : window->findChildren<B*>())
        if (b->text() == text)
            return b;
    ADD_FAILURE() << "no control \"" << text.toStdString() << "\"";
    return nullptr;
}

} // namespace vorn
