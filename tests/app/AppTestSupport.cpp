// What the GUI tests share.
#include "AppTestSupport.h"

#include "app/QtSettingsStore.h"
#include "app/dialogs/ReadingTrajectoryDialog.h"

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>

#include <gtest/gtest.h>

namespace vorn {

ModalHand::ModalHand() {
    QObject::connect(&m_timer, &QTimer::timeout, [this] { Look(); });
    m_timer.start(20);
}

ModalHand::~ModalHand() = default;

void ModalHand::Look() {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible())
        return;
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        messages.push_back(box->text().toStdString());
        QAbstractButton* answer = box->button(answerYes ? QMessageBox::Yes : QMessageBox::No);
        if (!answer)
            answer = box->button(QMessageBox::Ok);
        if (answer)
            answer->click();
        else
            box->reject();
        return;
    }
    if (onWindow && onWindow(modal))
        return;
    // The reading window closes itself when the read is over.
    if (auto* dialog = qobject_cast<QDialog*>(modal);
        dialog && !qobject_cast<ReadingTrajectoryDialog*>(dialog))
        dialog->reject();
}

RunningApp::RunningApp(const std::vector<std::string>& args) : m_args{"vorn"} {
    m_args.insert(m_args.end(), args.begin(), args.end());
    for (std::string& a : m_args)
        m_argv.push_back(a.data());
    m_argv.push_back(nullptr);
    m_app = std::make_unique<CVornApp>();
    m_app->Start(static_cast<int>(m_args.size()), m_argv.data());
    DrawFrame();
}

RunningApp::~RunningApp() {
    m_app.reset();
    QApplication::processEvents();
}

bool RunningApp::DrawFrame(int timeoutMs) {
    const int before = GlView().FramesDrawn();
    GlView().update();
    QElapsedTimer clock;
    clock.start();
    while (GlView().FramesDrawn() == before && clock.elapsed() < timeoutMs)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    return GlView().FramesDrawn() > before;
}

QImage RunningApp::Picture() {
    DrawFrame();
    return GlView().grabFramebuffer();
}

void RunningApp::Close() {
    Frame().close();
    QApplication::processEvents();
}

QAction* MenuAction(QWidget* window, const QString& path) {
    const QStringList parts = path.split('/');
    auto* main = qobject_cast<QMainWindow*>(window);
    if (!main)
        return nullptr;
    QList<QAction*> actions = main->menuBar()->actions();
    for (int i = 0; i < parts.size(); ++i) {
        QAction* found = nullptr;
        for (QAction* a : actions)
            if (a->text() == parts[i] || QString(a->text()).remove('&') == parts[i])
                found = a;
        if (!found)
            return nullptr;
        if (i + 1 == parts.size())
            return found;
        if (!found->menu())
            return nullptr;
        emit found->menu()->aboutToShow(); // the update handlers run as when it opens
        actions = found->menu()->actions();
    }
    return nullptr;
}

void Trigger(QWidget* window, const QString& path) {
    QAction* action = MenuAction(window, path);
    ASSERT_NE(action, nullptr) << path.toStdString();
    action->trigger();
    QApplication::processEvents();
}

int CoveredPixels(const QImage& picture) {
    if (picture.isNull())
        return 0;
    const QRgb background = picture.pixel(0, 0);
    int covered = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            covered += picture.pixel(x, y) != background;
    return covered;
}

void Wait(int milliseconds) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < milliseconds)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
}

void Click(QAbstractButton* button) {
    ASSERT_NE(button, nullptr);
    button->click();
    QApplication::processEvents();
}

void ClickOk(QWidget* window) {
    window->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
}

void Type(QLineEdit* field, const QString& text) {
    field->setFocus();
    field->selectAll();
    QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text);
    QApplication::sendEvent(field, &key);
    QApplication::processEvents();
}

QStringList LabelTexts(QWidget* window) {
    QStringList texts;
    for (QLabel* label : window->findChildren<QLabel*>())
        texts << label->text();
    return texts;
}

QByteArray FileBytes(const std::string& path) {
    QFile file(QString::fromStdString(path));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path;
    return file.readAll();
}

void FreshSettings::SetUp() {
    QFile::remove(QtSettingsStore().FileName());
}

} // namespace vorn
