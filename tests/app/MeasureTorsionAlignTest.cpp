// Picking in the window as a user does it: atoms clicked where they are drawn show in the status
// bar and fill the Measure window with values an independent computation gives, a clicked bond
// turns in the Adjust Torsion Angle window and turns back, two molecules are aligned and their RMSD
// read, and the font window pauses playback and resumes it where it was.
#include "AppTestSupport.h"
#include "ScratchFiles.h"
#include "app/dialogs/AlignmentDialog.h"
#include "app/dialogs/MeasureDialog.h"
#include "app/dialogs/TorsionDialog.h"
#include "model/MotionState.h"

#include <QFontDialog>
#include <QLabel>
#include <QMouseEvent>
#include <QSlider>
#include <QStatusBar>
#include <QTableWidget>

#include <array>
#include <cmath>
#include <fstream>
#include <gtest/gtest.h>
#include <numeric>
#include <optional>

namespace vorn {

namespace {

using Vec = std::array<double, 3>;

// Where a point of the scene (Å, displayed) is drawn in the widget, computed from the view's
// parameters alone: the eye 4 units back, the scene scaled to 4 units, the perspective. The z is
// the distance from the eye.
struct ScreenPoint {
    double x, y, depth;
};

ScreenPoint Project(RunningApp& run, const Vec& scene) {
    const ViewParameters& p = run.View().params;
    const double s = 4.0 / p.sceneScale;
    const double ex = s * scene[0], ey = s * scene[1], ez = s * scene[2] - 4.0;
    const double f = 1.0 / std::tan(p.fieldOfView * std::acos(-1.0) / 360.0);
    const double w = run.GlView().width(), h = run.GlView().height();
    const double xn = f / (w / h) * ex / -ez, yn = f * ey / -ez;
    return {(xn + 1) / 2 * w, (1 - yn) / 2 * h, -ez};
}

// Where the names picks can hit are drawn: the atoms, then the bonds' midpoints.
std::vector<ScreenPoint> Named(RunningApp& run, const Molecule& mol) {
    std::vector<ScreenPoint> named;
    for (int i = 0; i < mol.AtomCount(); ++i)
        named.push_back(Project(run, DisplayPosition(mol, i)));
    for (const Bond& b : mol.bonds) {
        const Vec p = DisplayPosition(mol, b.first), q = DisplayPosition(mol, b.second);
        named.push_back(Project(run, {(p[0] + q[0]) / 2, (p[1] + q[1]) / 2, (p[2] + q[2]) / 2}));
    }
    return named;
}

// A name (as Named numbers them) that a click at its place picks: nothing else that takes a pick
// name lies nearer the eye within 8 pixels of it. The names tried are those given, in order; the
// first that qualifies, and not yet taken, is returned.
std::optional<int> Clickable(RunningApp& run, const Molecule& mol, const std::vector<int>& tried,
                             const std::vector<int>& taken = {}) {
    const std::vector<ScreenPoint> named = Named(run, mol);
    for (int name : tried) {
        if (std::find(taken.begin(), taken.end(), name) != taken.end())
            continue;
        const ScreenPoint a = named[size_t(name)];
        bool front = a.x > 10 && a.y > 10 && a.x < run.GlView().width() - 10 &&
                     a.y < run.GlView().height() - 10;
        for (size_t k = 0; k < named.size() && front; ++k)
            if (k != size_t(name) && std::abs(named[k].x - a.x) < 8 &&
                std::abs(named[k].y - a.y) < 8 && named[k].depth <= a.depth)
                front = false;
        if (front)
            return name;
    }
    return std::nullopt;
}

void Click(RunningApp& run, const ScreenPoint& at) {
    QWidget* w = &run.GlView();
    const QPointF p(at.x, at.y);
    QMouseEvent press(QEvent::MouseButtonPress, p, w->mapToGlobal(p), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, p, w->mapToGlobal(p), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &release);
    QApplication::processEvents();
}

double Distance(const Vec& a, const Vec& b) {
    return std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) +
                     (a[2] - b[2]) * (a[2] - b[2]));
}

QString Fixed(double v) {
    return QString::asprintf("%.3f", v);
}

TEST(Picking, AtomsClickedFillTheMeasureWindow) {
    RunningApp run({kData + "/1crn.pdb"});
    Molecule& mol = *run.Doc().primary;
    run.Frame().resize(700, 700);
    run.DrawFrame();
    std::vector<int> alphaCarbons;
    for (int i = 0; i < mol.AtomCount(); ++i)
        if (std::string(mol.atoms[size_t(i)].name) == "CA")
            alphaCarbons.push_back(i);
    // Without the window a click only shows the atom in the status bar.
    const std::optional<int> first = Clickable(run, mol, alphaCarbons);
    ASSERT_TRUE(first);
    Click(run, Project(run, DisplayPosition(mol, *first)));
    EXPECT_EQ(run.Doc().measures.Count(), 0);
    const Atom& shown = mol.atoms[size_t(*first)];
    QStringList panes;
    for (QLabel* label : run.Frame().statusBar()->findChildren<QLabel*>())
        panes << label->text();
    EXPECT_TRUE(panes.contains(QString::number(shown.serial))) << panes.join("|").toStdString();
    EXPECT_TRUE(panes.contains(QString(shown.name)));
    EXPECT_TRUE(panes.contains(QString(shown.resName) + QString::number(shown.resSeq)));

    Trigger(&run.Frame(), "Measure/Coordinates ...");
    auto* window = Shown<MeasureDialog>();
    ASSERT_NE(window, nullptr);
    std::vector<int> picked;
    for (int n = 0; n < 4; ++n) {
        const std::optional<int> atom = Clickable(run, mol, alphaCarbons, picked);
        ASSERT_TRUE(atom) << "no clickable alpha carbon left";
        Click(run, Project(run, DisplayPosition(mol, *atom)));
        picked.push_back(*atom);
    }
    ASSERT_EQ(run.Doc().measures.Count(), 4);
    std::vector<Vec> p;
    for (int n = 0; n < 4; ++n) {
        EXPECT_EQ(run.Doc().measures.Entry(n).atom, picked[size_t(n)]);
        p.push_back(DisplayPosition(mol, picked[size_t(n)]));
        EXPECT_EQ(window->Text("Atom #", n).toInt(), mol.atoms[size_t(picked[size_t(n)])].serial);
        EXPECT_EQ(window->Text("X", n), Fixed(p.back()[0]));
    }
    EXPECT_EQ(window->Text("Bond AB"), Fixed(Distance(p[0], p[1])));
    EXPECT_EQ(window->Text("Bond CD"), Fixed(Distance(p[2], p[3])));
    // The angle at B and the torsion, computed here in double precision.
    const Vec u = {p[0][0] - p[1][0], p[0][1] - p[1][1], p[0][2] - p[1][2]};
    const Vec v = {p[2][0] - p[1][0], p[2][1] - p[1][1], p[2][2] - p[1][2]};
    const double angle = std::acos((u[0] * v[0] + u[1] * v[1] + u[2] * v[2]) /
                                   (Distance(p[0], p[1]) * Distance(p[2], p[1])));
    EXPECT_NEAR(window->Text("Angle ABC").toDouble(), angle, 0.0015);
    EXPECT_FALSE(window->Text("Torsion ABCD").isEmpty());

    // A again takes A away: the window shows what is left from its first row on.
    Click(run, Project(run, DisplayPosition(mol, picked[0])));
    ASSERT_EQ(run.Doc().measures.Count(), 3);
    EXPECT_EQ(window->Text("Bond AB"), Fixed(Distance(p[1], p[2])));
    EXPECT_TRUE(window->Text("Torsion ABCD").isEmpty());
    for (QPushButton* button : window->findChildren<QPushButton*>())
        if (button->text() == "Clear")
            button->click();
    EXPECT_EQ(run.Doc().measures.Count(), 0);
    EXPECT_TRUE(window->Text("X", 0).isEmpty());
}

TEST(Picking, AClickedBondTurnsAndTurnsBack) {
    RunningApp run({kData + "/1crn.pdb"});
    Molecule& mol = *run.Doc().primary;
    run.Frame().resize(700, 700);
    run.DrawFrame();
    Trigger(&run.Frame(), "Adjust/Torsion Angle ...");
    auto* window = Shown<TorsionDialog>();
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(window->Slider()->isEnabled()); // no bond yet
    // A bond whose midpoint is clickable and whose smaller side can turn.
    std::vector<int> bonds(mol.bonds.size()), tried;
    std::iota(bonds.begin(), bonds.end(), mol.AtomCount());
    while (const std::optional<int> bond = Clickable(run, mol, bonds, tried)) {
        tried.push_back(*bond);
        const ScreenPoint mid = Named(run, mol)[size_t(*bond)];
        Click(run, mid);
        if (run.View().torsion.CanTurn())
            break;
        if (run.View().torsion.IsSelected())
            Click(run, mid); // a ring bond: picking it again clears it
    }
    ASSERT_TRUE(run.View().torsion.CanTurn());
    EXPECT_TRUE(window->Slider()->isEnabled());
    EXPECT_EQ(window->Slider()->value(), 180);
    const int moving = run.View().torsion.MovingAtoms().front();
    const Vec before = DisplayPosition(mol, moving);
    window->Slider()->setValue(270);
    EXPECT_EQ(window->Text(), "1.57");
    EXPECT_GT(Distance(DisplayPosition(mol, moving), before), 0.3);
    window->Slider()->setValue(180);
    EXPECT_LT(Distance(DisplayPosition(mol, moving), before), 1e-3);
}

TEST(Alignment, TwoMoleculesAlignedAndTheirRmsdRead) {
    ModalHand hand;
    RunningApp run({kData + "/adk_closed.pdb", kData + "/dcd/adk_frame2.pdb.gz"});
    Trigger(&run.Frame(), "Molecule/Align Molecules ...");
    auto* window = Shown<AlignmentDialog>();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->Result(), "RMSD = --");
    std::vector<int> alphaCarbons;
    const Molecule& a = run.Doc().MoleculeAt(0);
    Molecule& b = run.Doc().MoleculeAt(1);
    for (int i = 0; i < a.AtomCount(); ++i)
        if (std::string(a.atoms[size_t(i)].name) == "CA")
            alphaCarbons.push_back(i);
    window->AddAtoms(0, alphaCarbons);
    window->AddAtoms(1, std::vector<int>(alphaCarbons.begin(), alphaCarbons.begin() + 2));
    window->Align();
    EXPECT_EQ(hand.messages.back(), "Please select the same number of atoms from both molecules");
    window->AddAtoms(1, alphaCarbons); // the two already listed are not listed twice
    EXPECT_EQ(window->Pairs()->rowCount(), int(alphaCarbons.size()));
    EXPECT_EQ(window->Pairs()->item(0, 0)->text(), window->Pairs()->item(0, 1)->text());
    window->Rmsd();
    EXPECT_EQ(window->Result(), "RMSD = 21.988"); // the golden value, not aligned yet
    window->Align();
    EXPECT_EQ(window->Result(), "RMSD = 0.393");
    EXPECT_LT(Distance(DisplayPosition(a, alphaCarbons[10]), DisplayPosition(b, alphaCarbons[10])),
              1.5);
    // Turning B alone in the view recomputes the RMSD shown.
    run.Doc().MoleculeAt(0).motion.moving = false;
    run.Frame().RunView([](CVornView& v) { v.KeyDown(CVornView::kKeyLeft); });
    EXPECT_NE(window->Result(), "RMSD = 0.393");
    window->ChooseMolecule(1, 0);
    window->Rmsd();
    EXPECT_EQ(hand.messages.back(), "Please select two DIFFERENT molecules!");
}

// Atoms on one line cannot be aligned: the window says why at once and keeps the RMSD it showed
// rather than showing one for an alignment that did not happen.
TEST(Alignment, AFailedAlignmentKeepsTheRmsdShown) {
    const std::string file = ScratchPath("collinear.pdb");
    std::ofstream(file) << "ATOM      1  C   GLY A   1       0.000   0.000   0.000  1.00  0.00"
                           "           C\n"
                           "ATOM      2  C   GLY A   2       1.000   1.000   1.000  1.00  0.00"
                           "           C\n"
                           "ATOM      3  C   GLY A   3       3.000   3.000   3.000  1.00  0.00"
                           "           C\nEND\n";
    ModalHand hand;
    RunningApp run({file, file});
    ASSERT_EQ(run.Doc().MoleculeCount(), 2);
    Trigger(&run.Frame(), "Molecule/Align Molecules ...");
    auto* window = Shown<AlignmentDialog>();
    ASSERT_NE(window, nullptr);
    window->AddAtoms(0, {0, 1, 2});
    window->AddAtoms(1, {0, 1, 2});
    window->Align();
    ASSERT_FALSE(hand.messages.empty());
    EXPECT_NE(hand.messages.back().find("Colinear"), std::string::npos) << hand.messages.back();
    EXPECT_EQ(window->Result(), "RMSD = --");
}

TEST(LabelFont, TheFontWindowPausesPlaybackAndResumesAtTheSameFrame) {
    ModalHand hand;
    hand.onWindow = [](QWidget* w) {
        if (auto* fonts = qobject_cast<QFontDialog*>(w)) {
            QFont f("Liberation Sans");
            f.setPixelSize(24);
            fonts->setCurrentFont(f);
            fonts->accept();
            return true;
        }
        return false;
    };
    RunningApp run({"-multi", kData + "/2eqq.pdb"});
    ASSERT_TRUE(run.View().params.playing);
    Wait(200);
    int playingDuring = -1, frameDuring = -1;
    const auto original = hand.onWindow;
    hand.onWindow = [&](QWidget* w) {
        playingDuring = run.View().params.playing ? 1 : 0;
        frameDuring = run.Doc().FrameIndex();
        return original(w);
    };
    const int frame = run.Doc().FrameIndex();
    Trigger(&run.Frame(), "View/Font ...");
    EXPECT_EQ(playingDuring, 0);
    EXPECT_EQ(frameDuring, frame);
    EXPECT_TRUE(run.View().params.playing);
    EXPECT_EQ(run.View().params.labelFont.height, -24);
}

} // namespace

} // namespace vorn
