// Surfaces and the clipping plane as a user works them: the Surface menu (builds behind the wait
// cursor, progress in the status bar), the Surface Options sheet, the area reports against the
// tool's golden output, the Clipping entries and Ctrl drags, and builds that fail.
#include "AppTestSupport.h"
#include "ScratchFiles.h"
#include "app/dialogs/AreaReportDialog.h"
#include "app/dialogs/ColorDialog.h"
#include "app/dialogs/SurfaceOptionsDialog.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QStatusBar>

#include <fstream>
#include <gtest/gtest.h>

namespace vorn {

namespace {

// The clipping switches persist: every test starts from the default settings.
using Surfaces = FreshSettings;

// What vorn-cli printed for a golden case, with the line ends the report window shows.
std::string GoldenReport(const std::string& name) {
    QFile file(QString::fromStdString(kData + "/../cli/golden/" + name + ".out"));
    if (!file.open(QIODevice::ReadOnly))
        return "missing " + file.fileName().toStdString();
    const QString text = QString::fromLatin1(file.readAll());
    return text.left(text.lastIndexOf("\nexit 0")).replace("\r\n", "\n").toStdString();
}

void CtrlDrag(QWidget* w, Qt::MouseButton button, QPointF from, QPointF to) {
    const auto send = [w](QEvent::Type type, Qt::MouseButton b, Qt::MouseButtons held, QPointF at) {
        QMouseEvent event(type, at, w->mapToGlobal(at), b, held, Qt::ControlModifier);
        QApplication::sendEvent(w, &event);
    };
    send(QEvent::MouseButtonPress, button, button, from);
    for (int step = 1; step <= 4; ++step)
        send(QEvent::MouseMove, Qt::NoButton, button, from + (to - from) * step / 4.0);
    send(QEvent::MouseButtonRelease, button, Qt::NoButton, to);
}

QPushButton* SheetButton(SurfaceOptionsDialog* sheet, QDialogButtonBox::StandardButton which) {
    return sheet->findChild<QDialogButtonBox*>()->button(which);
}

bool Checked(RunningApp& run, const QString& path) {
    QAction* action = MenuAction(&run.Frame(), path);
    return action && action->isChecked();
}

int RedPixels(const QImage& picture) {
    int red = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb p = picture.pixel(x, y);
            red += qRed(p) > 60 && qRed(p) > 3 * qGreen(p) && qRed(p) > 3 * qBlue(p);
        }
    return red;
}

TEST_F(Surfaces, StylesFromTheMenuBuildBehindTheWaitCursorAndShowTheirMarks) {
    {
        RunningApp empty;
        for (const char* path : {"Molecule/Surface/Solid", "Measure/Surface Area/by atom ..."})
            EXPECT_FALSE(MenuAction(&empty.Frame(), path)->isEnabled()) << path;
    }
    RunningApp run({kData + "/1crn.pdb"});
    QMainWindow* frame = &run.Frame();
    const Molecule& mol = *run.Doc().primary;
    Trigger(frame, "Molecule/Hide molecule");
    ASSERT_EQ(CoveredPixels(run.Picture()), 0);
    // A first look from inside the build: the wait cursor, and progress over 0 to 200.
    bool waiting = false;
    int progressSteps = 0;
    QTimer::singleShot(0, [&] {
        waiting = QApplication::overrideCursor() &&
                  QApplication::overrideCursor()->shape() == Qt::WaitCursor;
        if (auto* bar = run.Frame().statusBar()->findChild<QProgressBar*>())
            progressSteps = bar->maximum();
    });
    Trigger(frame, "Molecule/Surface/Solid");
    EXPECT_TRUE(waiting);
    EXPECT_EQ(progressSteps, 200);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(run.Frame().statusBar()->findChild<QProgressBar*>(), nullptr);
    ASSERT_TRUE(mol.surface.valid);
    const int triangles = mol.surface.TriangleCount();
    const int solid = CoveredPixels(run.Picture());
    EXPECT_GT(solid, 20000);
    EXPECT_TRUE(Checked(run, "Molecule/Surface/Solid"));
    EXPECT_FALSE(Checked(run, "Molecule/Surface/Mesh") || Checked(run, "Molecule/Surface/Dots"));

    // The same triangles as lines, then as corners: less and less of the picture.
    Trigger(frame, "Molecule/Surface/Mesh");
    const int mesh = CoveredPixels(run.Picture());
    EXPECT_TRUE(Checked(run, "Molecule/Surface/Mesh") && !Checked(run, "Molecule/Surface/Solid"));
    Trigger(frame, "Molecule/Surface/Dots");
    const int dots = CoveredPixels(run.Picture());
    EXPECT_TRUE(Checked(run, "Molecule/Surface/Dots"));
    EXPECT_EQ(mol.surface.TriangleCount(), triangles);
    EXPECT_LT(mesh, solid);
    EXPECT_LT(dots, mesh);
    EXPECT_GT(dots, solid / 30);
    // The checked style again removes the surface.
    Trigger(frame, "Molecule/Surface/Dots");
    EXPECT_FALSE(mol.surface.valid || Checked(run, "Molecule/Surface/Dots"));
    EXPECT_EQ(CoveredPixels(run.Picture()), 0);
}

TEST_F(Surfaces, ClippingCutsTheSceneOrTheSurfaceAloneAndCtrlDragsMoveThePlane) {
    RunningApp run({kData + "/1crn.pdb"});
    QMainWindow* frame = &run.Frame();
    VornGlWidget& w = run.GlView();
    const ClipPlane& plane = run.View().clipPlane;
    Trigger(frame, "Molecule/CPK");
    const QImage whole = run.Picture();

    // Ctrl and the left button turn the plane, not the molecule: across half the window its
    // normal comes round to face sideways.
    const float turn = run.Doc().primary->motion.rotation.w;
    CtrlDrag(&w, Qt::LeftButton, {w.width() * 0.5, w.height() * 0.5},
             {w.width() * 0.95, w.height() * 0.5});
    EXPECT_GT(std::abs(plane.normal[0]), 0.7f);
    EXPECT_EQ(run.Doc().primary->motion.rotation.w, turn);

    // Clip Surface leaves atoms whole; Clip View cuts away the side the normal points to.
    Trigger(frame, "View/Clipping/Clip Surface");
    EXPECT_TRUE(Checked(run, "View/Clipping/Clip Surface"));
    EXPECT_EQ(run.Picture(), whole);
    Trigger(frame, "View/Clipping/Clip View");
    EXPECT_TRUE(Checked(run, "View/Clipping/Clip View"));
    const int halved = CoveredPixels(run.Picture());
    EXPECT_LT(halved, CoveredPixels(whole) * 3 / 4);
    EXPECT_GT(halved, CoveredPixels(whole) / 4);

    // Ctrl and the right button move the plane along its normal; Center brings it back.
    CtrlDrag(&w, Qt::RightButton, {w.width() * 0.5, 100.0}, {w.width() * 0.2, 100.0});
    EXPECT_GT(Length(plane.center), 0.1f);
    EXPECT_NE(CoveredPixels(run.Picture()), halved);
    Trigger(frame, "View/Clipping/Center Clip Plane");
    EXPECT_EQ(Length(plane.center), 0.0f);
    EXPECT_EQ(CoveredPixels(run.Picture()), halved);

    // The plane drawn as a disk, in the colour "Clip Plane ..." chooses with its alpha.
    Trigger(frame, "View/Clipping/Display Clip Plane");
    EXPECT_TRUE(Checked(run, "View/Clipping/Display Clip Plane"));
    const QImage displayed = run.Picture();
    EXPECT_GT(CoveredPixels(displayed), halved);
    Trigger(frame, "Color/Clip Plane ...");
    auto* color = Shown<ColorDialog>();
    ASSERT_NE(color, nullptr);
    EXPECT_TRUE(color->findChild<QSlider*>("Alpha")->isEnabled());
    EXPECT_EQ(color->Working().alpha(), 127);
    color->findChild<QSlider*>("Red")->setValue(255);
    Click(Labelled(color, "OK"));
    EXPECT_EQ(plane.color[0], 1.0f);
    EXPECT_NE(run.Picture(), displayed);
}

TEST_F(Surfaces, AreaReportsShowWhatTheToolPrintsAsSelectableText) {
    ModalHand hand;
    std::string title, text, copied;
    hand.onWindow = [&](QWidget* window) {
        auto* report = qobject_cast<AreaReportDialog*>(window);
        if (!report)
            return false;
        title = report->windowTitle().toStdString();
        text = report->Text()->toPlainText().toStdString();
        EXPECT_TRUE(report->Text()->isReadOnly());
        report->Text()->selectAll();
        report->Text()->copy();
        copied = QApplication::clipboard()->text().toStdString();
        report->accept();
        return true;
    };
    {
        // Without a surface one is built for the report alone.
        RunningApp run({kData + "/1crn.pdb"});
        Trigger(&run.Frame(), "Measure/Surface Area/by residue ...");
        EXPECT_EQ(title, "Residue Surface Areas (in Angstrom^2)");
        EXPECT_EQ(text, GoldenReport("area_1crn_residue"));
        EXPECT_EQ(copied, text);
        EXPECT_FALSE(run.Doc().primary->surface.valid);
    }
    // Built with the options the sheet applied (at once: automatic apply); a shown surface is
    // reported as it is and stays.
    RunningApp run({kData + "/1ubq.pdb"});
    Trigger(&run.Frame(), "Molecule/Surface/Surface Options ...");
    auto* sheet = Shown<SurfaceOptionsDialog>();
    ASSERT_NE(sheet, nullptr);
    sheet->QualitySlider()->setValue(60);
    sheet->ProbeRadius()->setValue(1.4);
    Trigger(&run.Frame(), "Measure/Surface Area/by atom ...");
    EXPECT_EQ(title, "Atomic Surface Areas (in Angstrom^2)");
    EXPECT_EQ(text, GoldenReport("area_1ubq_atom"));
    Trigger(&run.Frame(), "Molecule/Surface/Solid");
    text.clear();
    Trigger(&run.Frame(), "Measure/Surface Area/by atom ...");
    EXPECT_EQ(text, GoldenReport("area_1ubq_atom"));
    EXPECT_TRUE(run.Doc().primary->surface.valid);
    EXPECT_TRUE(hand.messages.empty());
}

TEST_F(Surfaces, OptionsSheetShowsThePrimarySurfaceAndAppliesToTheActiveMolecules) {
    // Each read makes its molecule the only active one: ubiquitin, read last, is primary.
    RunningApp run({kData + "/1crn.pdb", kData + "/1ubq.pdb"});
    const Molecule& crambin = *run.Doc().molecules[0];
    const SurfaceMesh& surface = run.Doc().primary->surface;
    Trigger(&run.Frame(), "Molecule/Surface/Solid");
    const int triangles = surface.TriangleCount();
    Trigger(&run.Frame(), "Molecule/Surface/Surface Options ...");
    auto* sheet = Shown<SurfaceOptionsDialog>();
    ASSERT_NE(sheet, nullptr);
    EXPECT_FALSE(sheet->isModal());
    EXPECT_EQ(sheet->QualitySlider()->value(), 70);
    EXPECT_EQ(sheet->ProbeRadius()->maximum(), 3.0);
    EXPECT_TRUE(sheet->ColorByAtom()->isChecked() && !sheet->Transparency()->isChecked());
    EXPECT_FALSE(sheet->AlphaSlider()->isEnabled() || sheet->ColorField(0)->isEnabled() ||
                 sheet->ColorButton()->isEnabled());
    EXPECT_EQ(sheet->AlphaText()->text(), "Alpha = 255");
    EXPECT_TRUE(sheet->AutomaticApply()->isChecked());

    // Automatic apply: transparency by atom reaches the surface and the picture at once; off
    // again, the surface is opaque whatever the slider says.
    const QImage opaque = run.Picture();
    sheet->Transparency()->setChecked(true);
    sheet->AlphaSlider()->setValue(100);
    EXPECT_EQ(sheet->AlphaText()->text(), "Alpha = 100");
    EXPECT_EQ(surface.alpha, 100);
    EXPECT_NE(run.Picture(), opaque);
    sheet->Transparency()->setChecked(false);
    EXPECT_EQ(surface.alpha, 255);

    // One colour of the user's, typed or picked, instead of the transparency.
    sheet->UserDefinedColor()->setChecked(true);
    EXPECT_FALSE(surface.colorByAtom || sheet->Transparency()->isEnabled());
    const int redBefore = RedPixels(run.Picture());
    for (int k = 0; k < 3; ++k)
        sheet->ColorField(k)->setValue(k == 0 ? 255 : 0);
    EXPECT_EQ(surface.uniformColor, (std::array<std::uint8_t, 4>{255, 0, 0, 255}));
    EXPECT_GT(RedPixels(run.Picture()), redBefore + 10000);
    Click(sheet->ColorButton());
    auto* picker = sheet->findChild<ColorDialog*>();
    ASSERT_TRUE(picker && picker->isVisible());
    picker->findChild<QSlider*>("Blue")->setValue(200);
    Click(Labelled(picker, "OK"));
    EXPECT_EQ(surface.uniformColor[2], 200);

    // Without automatic apply nothing reaches the surface before Apply; Cancel drops it.
    sheet->AutomaticApply()->setChecked(false);
    sheet->QualitySlider()->setValue(30);
    Click(SheetButton(sheet, QDialogButtonBox::Cancel));
    EXPECT_EQ(Shown<SurfaceOptionsDialog>(), nullptr);
    EXPECT_EQ(surface.Quality(), 70);
    // Opened again it shows the surface as it is. Apply sets the options of the next build,
    // "Rebuild Surface" builds with them, OK applies and closes.
    Trigger(&run.Frame(), "Molecule/Surface/Surface Options ...");
    sheet = Shown<SurfaceOptionsDialog>();
    ASSERT_NE(sheet, nullptr);
    EXPECT_TRUE(sheet->UserDefinedColor()->isChecked());
    EXPECT_EQ(sheet->ColorField(2)->value(), 200);
    sheet->QualitySlider()->setValue(30);
    Click(SheetButton(sheet, QDialogButtonBox::Apply));
    EXPECT_EQ(surface.Quality(), 30);
    EXPECT_EQ(surface.TriangleCount(), triangles);
    Click(Labelled(sheet, "Rebuild Surface"));
    EXPECT_LT(surface.TriangleCount(), triangles / 2);
    sheet->ProbeRadius()->setValue(1.4);
    Click(SheetButton(sheet, QDialogButtonBox::Ok));
    EXPECT_EQ(Shown<SurfaceOptionsDialog>(), nullptr);
    EXPECT_FLOAT_EQ(surface.probeRadius, 1.4f);
    // The inactive molecule kept its options and got no surface.
    EXPECT_FALSE(crambin.surface.valid);
    EXPECT_EQ(crambin.surface.Quality(), 70);
    EXPECT_TRUE(crambin.surface.colorByAtom);
}

TEST_F(Surfaces, FailedBuildsShowTheirMessageAndKeepTheSurface) {
    ModalHand hand;
    bool reportShown = false;
    hand.onWindow = [&](QWidget* window) {
        reportShown = reportShown || qobject_cast<AreaReportDialog*>(window);
        return false;
    };
    // Two atoms 130 Å apart on every axis: a coarse grid is cheap, the finest would need more
    // than 2^31 points.
    const std::string file = ScratchPath("far_apart.pdb");
    std::ofstream(file) << "ATOM      1  C   GLY A   1       0.000   0.000   0.000  1.00  0.00\n"
                           "ATOM      2  C   GLY A   2     130.000 130.000 130.000  1.00  0.00\n";
    RunningApp run({file});
    const Molecule& mol = *run.Doc().primary;
    Trigger(&run.Frame(), "Molecule/Surface/Surface Options ...");
    auto* sheet = Shown<SurfaceOptionsDialog>();
    ASSERT_NE(sheet, nullptr);
    sheet->QualitySlider()->setValue(0);
    Trigger(&run.Frame(), "Molecule/Surface/Solid");
    const int triangles = mol.surface.TriangleCount();
    EXPECT_GT(triangles, 0);
    const QImage built = run.Picture();

    sheet->QualitySlider()->setValue(100);
    Click(Labelled(sheet, "Rebuild Surface"));
    EXPECT_EQ(hand.messages, std::vector<std::string>{"Out of memory"});
    EXPECT_TRUE(mol.surface.valid);
    EXPECT_EQ(mol.surface.TriangleCount(), triangles);
    EXPECT_EQ(run.Picture(), built);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(run.Frame().statusBar()->findChild<QProgressBar*>(), nullptr);
    // Removed, it cannot be built again at this quality, nor for a report.
    Trigger(&run.Frame(), "Molecule/Surface/Solid");
    Trigger(&run.Frame(), "Molecule/Surface/Solid");
    EXPECT_FALSE(mol.surface.valid || Checked(run, "Molecule/Surface/Solid"));
    Trigger(&run.Frame(), "Measure/Surface Area/by atom ...");
    EXPECT_FALSE(reportShown);
    EXPECT_EQ(hand.messages, std::vector<std::string>(3, "Out of memory"));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

} // namespace

} // namespace vorn
