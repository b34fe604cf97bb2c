// The viewer's windows as a user works them: each opened through its menu command (Select Atoms,
// which has none yet, built directly), its controls moved, typed into and clicked, and checked by
// what the window shows and what becomes of the view, the document and the drawn picture.
#include "AppTestSupport.h"
#include "app/dialogs/AnimateDialog.h"
#include "app/dialogs/ColorDialog.h"
#include "app/dialogs/CustomResolutionDialog.h"
#include "app/dialogs/FileDialogs.h"
#include "app/dialogs/LightingDialog.h"
#include "app/dialogs/MoleculeSelectionDialog.h"
#include "app/dialogs/SelectAtomsDialog.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QSlider>
#include <QTableWidget>

#include <gtest/gtest.h>

namespace vorn {

namespace {

testing::AssertionResult SameColor(QRgb seen, QRgb wanted) {
    if (std::abs(qRed(seen) - qRed(wanted)) <= 1 && std::abs(qGreen(seen) - qGreen(wanted)) <= 1 &&
        std::abs(qBlue(seen) - qBlue(wanted)) <= 1)
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << QColor(seen).name().toStdString() << " instead of "
                                       << QColor(wanted).name().toStdString();
}

long Brightness(const QImage& picture) {
    long sum = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            sum += qGray(picture.pixel(x, y));
    return sum;
}

using Dialogs = FreshSettings;

TEST_F(Dialogs, AnimateShowsPlaysAndChoosesFrames) {
    {
        RunningApp run({kData + "/1crn.pdb"});
        auto* animate = Open<AnimateDialog>(run, "View/Animate");
        ASSERT_NE(animate, nullptr);
        run.DrawFrame(); // every drawn frame reports its number; without frames nothing shows
        EXPECT_TRUE(LabelTexts(animate).contains("Frame: --"));
        EXPECT_EQ(animate->findChild<QSlider*>()->maximum(), 0);
    }
    RunningApp run({"-multi", kData + "/2eqq.pdb"});
    ASSERT_EQ(run.Doc().primary->frames.Count(), 19);
    auto* animate = Open<AnimateDialog>(run, "View/Animate");
    ASSERT_NE(animate, nullptr);
    auto* slider = animate->findChild<QSlider*>();
    EXPECT_EQ(slider->minimum(), 0);
    EXPECT_EQ(slider->maximum(), 19); // the structure itself and its 19 frames
    const ViewParameters& p = run.View().params;
    EXPECT_TRUE(p.playing);
    Click(Labelled(animate, "Stop"));
    EXPECT_FALSE(p.playing);
    Click(Labelled(animate, "Reverse"));
    EXPECT_TRUE(p.playing && p.playReverse);
    Click(Labelled(animate, "Forward"));
    EXPECT_TRUE(p.playing && !p.playReverse);
    Click(Labelled(animate, "Stop"));

    slider->setValue(0);
    const QImage structure = run.Picture();
    slider->setValue(7);
    EXPECT_EQ(run.Doc().FrameIndex(), 7);
    EXPECT_TRUE(run.Picture() != structure); // another model's coordinates
    EXPECT_TRUE(LabelTexts(animate).contains("Frame: 7"));
    // Playing, the slider and the number follow the frames drawn.
    Click(Labelled(animate, "Forward"));
    run.DrawFrame();
    run.DrawFrame();
    EXPECT_NE(slider->value(), 7);
    EXPECT_TRUE(LabelTexts(animate).contains(QString::asprintf("Frame: %d", slider->value())));

    // Once Molecule Selection deleted the molecule there is nothing left to animate.
    auto* molecules = Open<MoleculeSelectionDialog>(run, "Molecule/Molecule Selection");
    ASSERT_NE(molecules, nullptr);
    molecules->findChild<QTableWidget*>()->selectRow(0);
    Click(Labelled(molecules, "Delete"));
    run.DrawFrame();
    EXPECT_TRUE(LabelTexts(animate).contains("Frame: --"));
    EXPECT_EQ(slider->maximum(), 0);
}

TEST_F(Dialogs, MoleculeSelectionListsAndChangesTheChosenMolecules) {
    ModalHand hand;
    const std::string crn = kData + "/1crn.pdb", eqq = kData + "/2eqq.pdb";
    RunningApp run({crn, eqq});
    auto* window = Open<MoleculeSelectionDialog>(run, "Molecule/Molecule Selection");
    ASSERT_NE(window, nullptr);
    auto* table = window->findChild<QTableWidget*>();
    const auto rows = [&] {
        std::vector<std::string> lines;
        for (int r = 0; r < table->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < table->columnCount(); ++c)
                cells << table->item(r, c)->text();
            lines.push_back(cells.join('|').toStdString());
        }
        return lines;
    };
    const auto choose = [&](const std::vector<int>& chosen, const char* button) {
        table->clearSelection();
        for (int r : chosen)
            table->selectionModel()->select(table->model()->index(r, 0),
                                            QItemSelectionModel::Select |
                                                QItemSelectionModel::Rows);
        Click(Labelled(window, button));
    };
    using Rows = std::vector<std::string>;
    const std::string eqqAtoms = std::to_string(run.Doc().MoleculeAt(1).AtomCount());
    const std::string crnRow = "1) " + crn + "|";
    EXPECT_EQ(rows(),
              (Rows{crnRow + "Free| |327|0", "2) " + eqq + "|Primary, Free|X|" + eqqAtoms + "|0"}));
    choose({0}, "Make Primary");
    EXPECT_EQ(rows(),
              (Rows{crnRow + "Primary, Free|X|327|0", "2) " + eqq + "|Free| |" + eqqAtoms + "|0"}));
    choose({0, 1}, "Toggle Selection"); // the primary molecule stays selected
    choose({1}, "Toggle Fixed/Free");
    EXPECT_EQ(rows(), (Rows{crnRow + "Primary, Free|X|327|0",
                            "2) " + eqq + "|Fixed|X|" + eqqAtoms + "|0"}));
    EXPECT_FALSE(run.Doc().MoleculeAt(1).motion.moving);
    choose({0}, "Duplicate");
    ASSERT_EQ(rows().size(), 3u);
    EXPECT_EQ(rows()[2], "3) " + crn + "|Free| |327|0");
    choose({1, 2}, "Delete");
    EXPECT_EQ(rows(), (Rows{crnRow + "Primary, Free|X|327|0"}));
    EXPECT_TRUE(window->SelectedRows().empty()); // a second click deletes nothing more
    EXPECT_GT(CoveredPixels(run.Picture()), 0);
    choose({0}, "Delete");
    EXPECT_TRUE(rows().empty());
    EXPECT_EQ(run.Frame().windowTitle().toStdString(), "No Molecule Loaded - Vorn");
    EXPECT_EQ(CoveredPixels(run.Picture()), 0);
    EXPECT_TRUE(hand.messages.empty());
}

TEST_F(Dialogs, BackgroundColorAppliesOnApplyOkAndAutomatically) {
    RunningApp run({kData + "/1crn.pdb"});
    auto* color = Open<ColorDialog>(run, "Color/Background ...");
    ASSERT_NE(color, nullptr);
    const auto field = [&](const char* name) {
        return color->findChild<QLineEdit*>(QString(name) + "Field");
    };
    const auto slider = [&](const char* name) { return color->findChild<QSlider*>(name); };
    const float* background = run.View().params.backgroundColor;
    EXPECT_EQ(field("Red")->text().toStdString(), "0");
    EXPECT_FALSE(slider("Alpha")->isEnabled()); // the background has no alpha
    EXPECT_FALSE(field("Alpha")->isEnabled());
    // A number out of range is refused: the field shows the colour's component again.
    Type(field("Red"), "300");
    EXPECT_EQ(field("Red")->text().toStdString(), "0");
    EXPECT_TRUE(SameColor(color->Working().rgb(), qRgb(0, 0, 0)));
    slider("Red")->setValue(200);
    Type(field("Red"), "300");
    EXPECT_EQ(field("Red")->text().toStdString(), "200"); // what the slider shows and Apply applies
    EXPECT_TRUE(SameColor(color->Working().rgb(), qRgb(200, 0, 0)));
    Type(field("Green"), "100");
    EXPECT_EQ(slider("Green")->value(), 100);
    EXPECT_EQ(background[0], 0.0f); // nothing applied yet
    Click(Labelled(color, "Apply"));
    EXPECT_TRUE(background[0] == 200 / 255.0f && background[1] == 100 / 255.0f);
    EXPECT_TRUE(SameColor(run.Picture().pixel(0, 0), qRgb(200, 100, 0)));
    Type(field("Blue"), "50");
    Click(Labelled(color, "OK"));
    EXPECT_EQ(Shown<ColorDialog>(), nullptr);
    EXPECT_TRUE(SameColor(run.Picture().pixel(0, 0), qRgb(200, 100, 50)));

    // Opened again it starts from the view's colour; automatic apply applies every change.
    color = Open<ColorDialog>(run, "Color/Background ...");
    ASSERT_NE(color, nullptr);
    EXPECT_TRUE(SameColor(color->Working().rgb(), qRgb(200, 100, 50)));
    EXPECT_EQ(field("Blue")->text().toStdString(), "50");
    Click(Labelled<QCheckBox>(color, "Automatic apply"));
    EXPECT_FALSE(Labelled(color, "Apply")->isEnabled());
    slider("Green")->setValue(0);
    EXPECT_EQ(background[1], 0.0f);
    Type(field("Red"), "10");
    EXPECT_TRUE(SameColor(run.Picture().pixel(0, 0), qRgb(10, 0, 50)));
}

TEST_F(Dialogs, CustomResolutionStartsFromTheViewAndAppliesItsSliders) {
    RunningApp run({kData + "/1crn.pdb"});
    Trigger(&run.Frame(), "Molecule/CPK"); // spheres, whose slices the atom resolution sets
    // Impostor spheres have no slices: the resolution drives the polygon spheres.
    Trigger(&run.Frame(), "View/Draw spheres and cylinders as &polygons");
    const ViewParameters& p = run.View().params;
    EXPECT_EQ(p.resolution, kMediumResolution);
    auto* window = Open<CustomResolutionDialog>(run, "View/Graphics Quality/Custom ...");
    ASSERT_NE(window, nullptr);
    // The view's values as slider positions, and the sliders' positions.
    const auto viewValues = [&] {
        return std::vector<int>{p.res.atomRes,
                                p.res.bondRes,
                                p.res.selectionRes,
                                p.res.splineRes,
                                static_cast<int>((p.res.splineTension - 1) * 30),
                                p.res.ribbonRes};
    };
    const auto positions = [&] {
        std::vector<int> values;
        for (int i = 0; i < CustomResolutionDialog::kSliders; ++i)
            values.push_back(window->Slider(i)->value());
        return values;
    };
    EXPECT_EQ(positions(), viewValues());
    const QImage smooth = run.Picture();

    Click(Labelled<QCheckBox>(window, "Auto Apply"));
    EXPECT_FALSE(Labelled(window, "Apply")->isEnabled());
    window->Slider(0)->setValue(3);
    EXPECT_EQ(p.res.atomRes, 3);
    EXPECT_EQ(p.resolution, kCustomResolution);
    EXPECT_TRUE(MenuAction(&run.Frame(), "View/Graphics Quality/Custom ...")->isChecked());
    EXPECT_TRUE(run.Picture() != smooth); // coarser spheres
    window->Slider(4)->setValue(15);
    EXPECT_TRUE(LabelTexts(window).contains("1.500"));
    EXPECT_FLOAT_EQ(p.res.splineTension, 1.5f);

    // Without auto apply the view keeps its values until Apply sends all six.
    Click(Labelled<QCheckBox>(window, "Auto Apply"));
    EXPECT_TRUE(Labelled(window, "Apply")->isEnabled());
    Trigger(&run.Frame(), "View/Graphics Quality/High");
    const Resolution high = p.res;
    window->Slider(1)->setValue(40);
    EXPECT_EQ(p.res.bondRes, high.bondRes);
    EXPECT_EQ(p.resolution, kHighResolution);
    Click(Labelled(window, "Apply"));
    EXPECT_EQ(p.resolution, kCustomResolution);
    EXPECT_EQ(viewValues(), positions());
    EXPECT_EQ(p.res.atomRes, 3);
    Click(Labelled(window, "Close"));
    EXPECT_EQ(Shown<CustomResolutionDialog>(), nullptr);
}

TEST_F(Dialogs, LightingStartsFromTheViewAndAppliesItsChanges) {
    RunningApp run({kData + "/1crn.pdb"});
    Trigger(&run.Frame(), "Molecule/CPK"); // lit solids
    auto* window = Open<LightingDialog>(run, "Adjust/Lighting ...");
    ASSERT_NE(window, nullptr);
    for (int i = 0; i < LightSet::kCount; ++i)
        EXPECT_EQ(window->Switch(i)->isChecked(), i == 0 || i == 6) << i; // front and ambient
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(window->ColorField(k)->text().toStdString(), "255");
    EXPECT_EQ(window->ShinySlider()->value(), 11);
    EXPECT_EQ(window->SpecularSlider()->value(), 30);
    EXPECT_TRUE(window->AutomaticApply()->isChecked());

    const CVornView& view = run.View();
    Type(window->ColorField(1), "128");
    EXPECT_EQ(view.Lighting().color[1], 128);
    Type(window->ColorField(1), "300"); // refused: the last value comes back
    EXPECT_EQ(window->ColorField(1)->text().toStdString(), "128");
    EXPECT_EQ(view.Lighting().color[1], 128);
    Click(window->Switch(3)); // back
    EXPECT_TRUE(view.Lights().turnedOn[3]);
    window->ShinySlider()->setValue(100);
    EXPECT_FLOAT_EQ(view.params.matShininess, 128.0f);
    EXPECT_TRUE(LabelTexts(window).contains("100% shiny"));

    // Without automatic apply the lights stay until Apply; with every light off the molecule
    // goes dark.
    const QImage lit = run.Picture();
    Click(window->AutomaticApply());
    for (int i : {0, 3, 6})
        Click(window->Switch(i));
    EXPECT_TRUE(view.Lights().turnedOn[0]);
    Click(Labelled(window, "Apply"));
    EXPECT_FALSE(view.Lights().turnedOn[0] || view.Lights().turnedOn[3] ||
                 view.Lights().turnedOn[6]);
    EXPECT_LT(Brightness(run.Picture()), Brightness(lit) / 2);
    Click(window->Switch(0));
    Click(Labelled(window, "OK"));
    EXPECT_EQ(Shown<LightingDialog>(), nullptr);
    EXPECT_TRUE(view.Lights().turnedOn[0]);

    window = Open<LightingDialog>(run, "Adjust/Lighting ...");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->ColorField(1)->text().toStdString(), "128");
    EXPECT_EQ(window->ShinySlider()->value(), 100);
    EXPECT_TRUE(window->Switch(0)->isChecked());
    EXPECT_FALSE(window->Switch(6)->isChecked());
}

TEST_F(Dialogs, CoordinateFileOptionsReachTheDocumentOnOkOnly) {
    ModalHand hand;
    RunningApp run;
    CVornDoc& doc = run.Doc();
    const auto modesEnabled = [](CoordinateOptionsDialog* d) {
        return d->ModeButton(0)->isEnabled() + d->ModeButton(1)->isEnabled() +
               d->ModeButton(2)->isEnabled();
    };
    std::vector<int> enabled;
    const auto change = [&](bool ok) {
        hand.onWindow = [&, ok](QWidget* w) {
            auto* d = qobject_cast<CoordinateOptionsDialog*>(w);
            if (!d)
                return false;
            enabled.push_back(modesEnabled(d));
            Click(d->MultiModelBox());
            enabled.push_back(modesEnabled(d));
            for (const char* box : {"Compute Molecular Connectivity", "Compute Secondary Structure",
                                    "Zero center of mass"})
                Click(Labelled<QCheckBox>(d, box));
            Click(d->ModeButton(ok ? 2 : 1));
            if (ok)
                ClickOk(d);
            else
                d->reject();
            return true;
        };
        Trigger(&run.Frame(), "File/Coordinate File Options");
    };
    // connect, secondary structure, multiple structures, zero centre of mass, processing mode
    const auto options = [&] {
        return std::vector<int>{doc.connectOnRead, doc.secondaryStructOnRead, doc.multiModelTraj,
                                doc.zeroComOnRead, doc.multiModelTrajProcess};
    };
    EXPECT_EQ(options(), (std::vector<int>{1, 1, 0, 1, 0}));
    change(true);
    EXPECT_EQ(enabled, (std::vector<int>{0, 3})); // the modes follow the multiple-structures box
    EXPECT_EQ(options(), (std::vector<int>{0, 0, 1, 0, 2}));
    enabled.clear();
    change(false); // everything flipped back, then Cancel
    EXPECT_EQ(enabled, (std::vector<int>{3, 0}));
    EXPECT_EQ(options(), (std::vector<int>{0, 0, 1, 0, 2}));

    // The options hold for the next read: the NMR models become frames.
    ASSERT_TRUE(run.Frame().OpenDocumentFile(kData + "/2eqq.pdb"));
    EXPECT_EQ(doc.primary->frames.Count(), 19);
    EXPECT_TRUE(hand.messages.empty());
}

TEST_F(Dialogs, OpenCoordinatesAndTrajectoryRefusesEmptyNamesAndReadsAPair) {
    ModalHand hand;
    RunningApp run;
    QString title;
    const auto open = [&](const std::string& coordinates, const std::string& trajectory) {
        hand.messages.clear();
        hand.onWindow = [&, coordinates, trajectory](QWidget* w) {
            auto* d = qobject_cast<CoordinatesAndTrajectoryDialog*>(w);
            if (!d)
                return false; // the reading window closes itself
            title = d->windowTitle();
            d->CoordinateField()->setText(QString::fromStdString(coordinates));
            d->TrajectoryField()->setText(QString::fromStdString(trajectory));
            Click(d->ModeButton(1)); // zero centre of mass
            ClickOk(d);
            return true;
        };
        Trigger(&run.Frame(), "File/Open &Coord &&Traj ...");
    };
    const std::string pdb = kData + "/adk_closed.pdb", dcd = kData + "/dcd/adk_2frames.dcd";
    open("", dcd);
    EXPECT_EQ(title.toStdString(), "Open Coordiante and Trajectory");
    EXPECT_EQ(hand.messages, std::vector<std::string>{"Please enter a coordinate file name"});
    open(pdb, "");
    EXPECT_EQ(hand.messages, std::vector<std::string>{"Please enter a trajectory file name"});
    EXPECT_EQ(run.Doc().MoleculeCount(), 0);
    EXPECT_EQ(run.Frame().windowTitle().toStdString(), "No Molecule loaded - Vorn");
    EXPECT_EQ(CoveredPixels(run.Picture()), 0);

    open(pdb, dcd);
    EXPECT_TRUE(hand.messages.empty());
    ASSERT_EQ(run.Doc().MoleculeCount(), 1);
    EXPECT_EQ(run.Doc().primary->AtomCount(), 3341);
    EXPECT_EQ(run.Doc().primary->frames.Count(), 2);
    EXPECT_EQ(run.Frame().windowTitle().toStdString(), pdb + "+" + dcd + " - Vorn");
    EXPECT_TRUE(run.View().params.playing);
    // Every frame centred on the structure: each picture shows the whole protein.
    for (int shown = 0; shown < 3; ++shown) {
        const QImage picture = run.Picture();
        EXPECT_GT(CoveredPixels(picture), picture.width() * picture.height() / 20) << shown;
    }
    // A trajectory that does not fit leaves the structure read, and the title names it.
    const std::string crn = kData + "/1crn.pdb";
    open(crn, dcd);
    EXPECT_EQ(hand.messages, std::vector<std::string>{"Incorrect Number of atoms in DCD file!"});
    ASSERT_EQ(run.Doc().MoleculeCount(), 2);
    EXPECT_EQ(run.Doc().primary->AtomCount(), 327);
    EXPECT_EQ(run.Doc().primary->frames.Count(), 0);
    EXPECT_EQ(run.Frame().windowTitle().toStdString(), crn + " - Vorn");
}

TEST_F(Dialogs, SelectAtomsListsFiltersAndReturnsAtomIndices) {
    SelectAtomsDialog dialog({{10, 1, "N", "THR", 1, false},
                              {11, 2, "CA", "THR", 1, false},
                              {12, 3, "H", "THR", 1, true},
                              {20, 4, "N", "GLY", 2, false},
                              {21, 5, "CA", "GLY", 2, false},
                              {22, 6, "HA2", "GLY", 2, true}});
    dialog.show();
    auto* list = dialog.findChild<QListWidget*>();
    const auto shown = [&] {
        QStringList texts;
        for (int r = 0; r < list->count(); ++r)
            texts << list->item(r)->text();
        return texts.join(',').toStdString();
    };
    EXPECT_EQ(shown(), "1:N:THR1,2:CA:THR1,3:H:THR1,4:N:GLY2,5:CA:GLY2,6:HA2:GLY2");
    Click(Labelled<QRadioButton>(&dialog, "Show Only Heavy Atoms"));
    EXPECT_EQ(shown(), "1:N:THR1,2:CA:THR1,4:N:GLY2,5:CA:GLY2");
    list->item(1)->setSelected(true);
    list->item(2)->setSelected(true);
    EXPECT_EQ(dialog.Selected(), (std::vector<int>{11, 20}));
    Click(Labelled<QRadioButton>(&dialog, "Show Only Alpha Carbons"));
    EXPECT_EQ(shown(), "2:CA:THR1,5:CA:GLY2");
    list->selectAll();
    EXPECT_EQ(dialog.Selected(), (std::vector<int>{11, 21}));
    Click(Labelled<QRadioButton>(&dialog, "Show All Atoms"));
    EXPECT_EQ(dialog.ShownCount(), 6);
}

} // namespace

} // namespace vorn
