// The view as a user works it: dragging, the wheel and the arrow keys turn and zoom; the View and
// Molecule menus change the picture and show their check marks; files dropped on the window open.
#include "AppTestSupport.h"

#include <QAction>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <QWheelEvent>

#include <gtest/gtest.h>

namespace vorn {

namespace {

void Mouse(QWidget* w, QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons held,
           QPointF at) {
    QMouseEvent event(type, at, w->mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

void Drag(QWidget* w, Qt::MouseButton button, QPointF from, QPointF to) {
    Mouse(w, QEvent::MouseButtonPress, button, button, from);
    for (int step = 1; step <= 4; ++step)
        Mouse(w, QEvent::MouseMove, Qt::NoButton, button, from + (to - from) * step / 4.0);
    Mouse(w, QEvent::MouseButtonRelease, button, Qt::NoButton, to);
}

TEST(View, DragWheelAndKeysTurnAndZoom) {
    RunningApp run({kData + "/1crn.pdb"});
    VornGlWidget& w = run.GlView();
    const Molecule& mol = *run.Doc().primary;
    const QImage before = run.Picture();
    Drag(&w, Qt::LeftButton, {100, 150}, {180, 150});
    EXPECT_LT(mol.motion.rotation.w, 0.999f); // turned about the vertical axis
    EXPECT_GT(std::abs(mol.motion.rotation.y), 0.05f);
    EXPECT_NE(run.Picture(), before);

    QWheelEvent wheel({100, 100}, w.mapToGlobal(QPointF(100, 100)), {}, {0, -240}, Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&w, &wheel);
    EXPECT_EQ(run.View().params.fieldOfView, 50.0f);

    const Quaternion turned = mol.motion.rotation;
    w.setFocus();
    QKeyEvent up(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier);
    QApplication::sendEvent(&w, &up);
    EXPECT_NE(mol.motion.rotation.x, turned.x);

    // The middle button moves the molecule across the screen.
    Drag(&w, Qt::MiddleButton, {100, 100}, {160, 100});
    EXPECT_NE(mol.motion.translation[0] + mol.motion.translation[1] + mol.motion.translation[2],
              0.0f);
}

TEST(View, MenusChangeThePictureAndShowTheirState) {
    RunningApp run({kData + "/1ubq.pdb"});
    QMainWindow* frame = &run.Frame();
    const int wire = CoveredPixels(run.Picture());
    Trigger(frame, "Molecule/CPK");
    EXPECT_EQ(run.Doc().primary->renderMode, 2);
    const int cpk = CoveredPixels(run.Picture());
    EXPECT_GT(cpk, 2 * wire);
    EXPECT_TRUE(MenuAction(frame, "Molecule/CPK")->isChecked());
    EXPECT_FALSE(MenuAction(frame, "Molecule/Wire Frame")->isChecked());

    // Ubiquitin's 58 waters go with "Solvent".
    EXPECT_TRUE(MenuAction(frame, "Molecule/Solvent")->isChecked());
    Trigger(frame, "Molecule/Solvent");
    EXPECT_FALSE(MenuAction(frame, "Molecule/Solvent")->isChecked());
    EXPECT_LT(CoveredPixels(run.Picture()), cpk);

    Trigger(frame, "View/Graphics Quality/High");
    EXPECT_TRUE(MenuAction(frame, "View/Graphics Quality/High")->isChecked());
    EXPECT_EQ(run.View().params.res.atomRes, 25);
    Trigger(frame, "Molecule/Hide molecule");
    EXPECT_EQ(CoveredPixels(run.Picture()), 0);

    Trigger(frame, "Molecule/Wire Frame");
    Trigger(frame, "View/Line Width/4");
    EXPECT_TRUE(MenuAction(frame, "View/Line Width/4")->isChecked());
    EXPECT_FALSE(MenuAction(frame, "View/Line Width/2")->isChecked());
    EXPECT_GT(CoveredPixels(run.Picture()), wire);
    Trigger(frame, "View/Stereo view");
    EXPECT_TRUE(run.View().params.displayStereo);
    Trigger(frame, "View/Motion/Momentum");
    EXPECT_TRUE(MenuAction(frame, "View/Motion/Momentum")->isChecked());
}

// With momentum a released drag keeps the molecule turning, a frame every 50 ms; the next press
// stops it.
TEST(View, MomentumSpinsByTheTimer) {
    RunningApp run({kData + "/1crn.pdb"});
    Trigger(&run.Frame(), "View/Motion/Momentum");
    Drag(&run.GlView(), Qt::LeftButton, {100, 150}, {130, 150});
    ASSERT_TRUE(run.View().params.spinning);
    const int drawn = run.GlView().FramesDrawn();
    const float w = run.Doc().primary->motion.rotation.w;
    Wait(500);
    const int frames = run.GlView().FramesDrawn() - drawn;
    EXPECT_GE(frames, 4);
    EXPECT_LE(frames, 12); // paced, not as fast as the machine can draw
    EXPECT_NE(run.Doc().primary->motion.rotation.w, w);
    Mouse(&run.GlView(), QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, {10, 10});
    EXPECT_FALSE(run.View().params.spinning);
    Mouse(&run.GlView(), QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, {10, 10});
}

TEST(View, FilesDroppedOnTheWindowOpen) {
    ModalHand hand;
    RunningApp run;
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(kData + "/1crn.pdb")),
                  QUrl::fromLocalFile(QString::fromStdString(kData + "/1a28.pdb.gz"))});
    QDragEnterEvent enter({50, 50}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&run.Frame(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop({50, 50}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&run.Frame(), &drop);
    Wait(200);
    ASSERT_EQ(run.Doc().MoleculeCount(), 2);
    EXPECT_EQ(run.Doc().primary->AtomCount(), 4262);
    EXPECT_EQ(run.Frame().windowTitle().toStdString(), kData + "/1a28.pdb.gz - Vorn");
    EXPECT_TRUE(run.Frame().RecentFiles().empty()); // two files: neither joins the list
    EXPECT_GT(CoveredPixels(run.Picture()), 0);
    EXPECT_TRUE(hand.messages.empty());
}

} // namespace

} // namespace vorn
