// The Custom Colors, Atom Radius and sequence windows as a user works them: opened through their
// menu commands, typed into and clicked, and checked by what they show and by what becomes of the
// primary molecule's atoms and bonds and of the drawn picture.
#include "AppTestSupport.h"
#include "app/dialogs/AtomRadiusDialog.h"
#include "app/dialogs/ColorDialog.h"
#include "app/dialogs/CustomColorsDialog.h"
#include "app/dialogs/SequenceDialog.h"
#include "appearance/Radii.h"

#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QSlider>
#include <QTableWidget>

#include <gtest/gtest.h>

namespace vorn {

namespace {

std::string Fields(CustomColorsDialog* window) {
    QStringList texts;
    for (int k = 0; k < 4; ++k)
        texts << window->ColorField(k)->text();
    return texts.join(',').toStdString();
}

void TypeColor(CustomColorsDialog* window, const QStringList& values) {
    for (int k = 0; k < 4; ++k)
        Type(window->ColorField(k), values[k]);
}

bool SplitAt(const Molecule& mol, int a, int b) {
    for (const Bond& bond : mol.bonds)
        if ((bond.first == a && bond.second == b) || (bond.first == b && bond.second == a))
            return bond.split;
    ADD_FAILURE() << "no bond " << a << "-" << b;
    return false;
}

// Whether the view draws again by itself after the action (nothing else asks it to here).
bool DrawsAfter(RunningApp& run, const std::function<void()>& action) {
    run.DrawFrame();
    const int before = run.GlView().FramesDrawn();
    action();
    Wait(150);
    return run.GlView().FramesDrawn() > before;
}

using ColorsRadiiSequence = FreshSettings;

TEST_F(ColorsRadiiSequence, CustomColorsFollowTheSchemeAndApplyIt) {
    RunningApp run({kData + "/1bni.pdb"}); // three chains numbered alike
    Molecule& mol = *run.Doc().primary;
    auto* window = Open<CustomColorsDialog>(run, "Color/Molecule ...");
    ASSERT_NE(window, nullptr);
    // Colour by element on Carbon to start with, its fields and list live, the others not.
    EXPECT_TRUE(Labelled<QRadioButton>(window, "Color by element")->isChecked());
    EXPECT_EQ(Fields(window), "200,200,200,255");
    EXPECT_TRUE(window->ElementList()->isEnabled() && window->ColorField(3)->isEnabled());
    EXPECT_FALSE(window->StructureList()->isEnabled() || window->AtomField()->isEnabled());
    EXPECT_FALSE(DrawsAfter(run, [&] { window->ElementList()->setCurrentRow(kOxygen); }));
    EXPECT_EQ(Fields(window), "240,0,0,255");

    // By atom: the typed serial's colour, "--" when no atom has it (Apply then changes nothing).
    Click(Labelled<QRadioButton>(window, "Color by atom"));
    Type(window->AtomField(), "99999");
    EXPECT_EQ(Fields(window), "--,--,--,--");
    const std::vector<Atom> atoms = mol.atoms;
    EXPECT_TRUE(DrawsAfter(run, [&] { Click(Labelled(window, "Apply")); }));
    EXPECT_TRUE(std::equal(atoms.begin(), atoms.end(), mol.atoms.begin(),
                           [](const Atom& a, const Atom& b) { return a.color == b.color; }));
    Type(window->AtomField(), "2"); // the first residue's alpha carbon
    EXPECT_EQ(Fields(window), "200,200,200,255");

    // Save Color keeps |value| mod 256; a field applied directly keeps the low 8 bits.
    EXPECT_FALSE(Labelled(window, "Apply Color")->isEnabled());
    Type(window->ColorField(0), "300");
    Click(Labelled(window, "Save Color"));
    EXPECT_EQ(window->Saved(), (Rgba{44, 200, 200, 255}));
    Type(window->ColorField(0), "-5");
    Click(Labelled(window, "Save Color"));
    EXPECT_EQ(window->Saved(), (Rgba{5, 200, 200, 255}));
    Click(Labelled(window, "Apply"));
    const int ca = FindAtomBySerial(mol, 2);
    EXPECT_EQ(mol.atoms[ca].color, (Rgba{251, 200, 200, 255}));
    EXPECT_TRUE(SplitAt(mol, ca, FindAtomBySerial(mol, 3))); // a carbon of the table colour
    Click(Labelled(window, "Apply Color"));
    EXPECT_EQ(Fields(window), "5,200,200,255");
    EXPECT_EQ(mol.atoms[ca].color, (Rgba{5, 200, 200, 255}));
    EXPECT_EQ(window->Request().number, 2);

    // The picker starts from the fields and hands its colours back to them.
    Click(Labelled(window, "Select Color"));
    auto* picker = Shown<ColorDialog>();
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(picker->Working(), QColor(5, 200, 200, 255));
    picker->findChild<QSlider*>("Green")->setValue(17);
    Click(Labelled(picker, "Apply"));
    Click(Labelled(picker, "OK"));
    EXPECT_EQ(Shown<ColorDialog>(), nullptr);
    EXPECT_EQ(mol.atoms[ca].color, (Rgba{5, 200, 200, 255})); // not applied yet
    Click(Labelled(window, "Apply"));
    EXPECT_EQ(mol.atoms[ca].color, (Rgba{5, 17, 200, 255}));

    // By residue: the alpha carbon's colour shows; the number is coloured in every chain.
    Click(Labelled<QRadioButton>(window, "Color by residue"));
    Type(window->ResidueField(), "10");
    EXPECT_EQ(Fields(window), "200,200,200,255");
    TypeColor(window, {"0", "0", "255", "255"});
    Click(Labelled(window, "Apply"));
    EXPECT_EQ(window->Request().scheme, kColorByResidue);
    // The numbers of the residues with atoms of a colour; one partly of it counts as -1.
    const auto paintedResidues = [&](Rgba color) {
        std::vector<int> numbers;
        for (const Chain& chain : mol.chains)
            for (const Residue& residue : chain.residues) {
                int painted = 0;
                for (int index : residue.atoms)
                    painted += mol.atoms[index].color == color;
                if (painted > 0)
                    numbers.push_back(painted == residue.atoms.Count() ? residue.number : -1);
            }
        return numbers;
    };
    EXPECT_EQ(paintedResidues(Rgba{0, 0, 255, 255}), (std::vector<int>{10, 10, 10}));

    // The temperature ramp takes no colour: blue for the coldest atom, red for the hottest.
    Click(Labelled<QRadioButton>(window, "Color by PDB temperature field"));
    EXPECT_FALSE(window->ColorField(0)->isEnabled() ||
                 Labelled(window, "Select Color")->isEnabled());
    const QImage before = run.Picture();
    Click(Labelled(window, "Apply"));
    const auto [coldest, hottest] =
        std::minmax_element(mol.atoms.begin(), mol.atoms.end(), [](const Atom& a, const Atom& b) {
            return a.tempFactor < b.tempFactor;
        });
    EXPECT_EQ(hottest->color, (Rgba{255, 0, 0, 255}));
    EXPECT_EQ(coldest->color, (Rgba{0, 0, 255, 255}));
    const QImage byTemperature = run.Picture();
    EXPECT_TRUE(byTemperature != before);

    // By structure on OK: the entry's colour is stored, every helix atom takes it, and the
    // window closes.
    Click(Labelled<QRadioButton>(window, "Color by structure"));
    window->StructureList()->setCurrentRow(kAlphaHelix);
    EXPECT_EQ(Fields(window), "240,0,128,255");
    TypeColor(window, {"0", "255", "0", "255"});
    Click(Labelled(window, "OK"));
    EXPECT_EQ(Shown<CustomColorsDialog>(), nullptr);
    EXPECT_EQ(run.Doc().colorTables.structure[kAlphaHelix], (Rgba{0, 255, 0, 255}));
    int helixAtoms = 0;
    for (const Chain& chain : mol.chains)
        for (const Residue& residue : chain.residues)
            for (int index : residue.atoms) {
                const bool green = mol.atoms[index].color == Rgba{0, 255, 0, 255};
                EXPECT_EQ(green, residue.structure == kAlphaHelix) << index;
                helixAtoms += green;
            }
    EXPECT_GT(helixAtoms, 300);
    EXPECT_TRUE(run.Picture() != byTemperature);
}

TEST_F(ColorsRadiiSequence, AtomRadiusSchemesChangeRadiiAndTheSpheres) {
    ModalHand hand;
    RunningApp run({kData + "/1crn.pdb"});
    Molecule& mol = *run.Doc().primary;
    Trigger(&run.Frame(), "Molecule/CPK");
    const int plain = CoveredPixels(run.Picture());
    auto* window = Open<AtomRadiusDialog>(run, "Adjust/Atomic Radii ...");
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->SchemeButton(kDefaultRadius)->isChecked());
    EXPECT_FALSE(window->ElementList()->isEnabled() || window->RadiusField()->isEnabled());

    // Choosing a scheme makes it the molecule's at once; the element's radius shows.
    Click(Labelled<QRadioButton>(window, "Radius by element"));
    EXPECT_EQ(mol.radiusScheme, kRadiusByElement);
    EXPECT_TRUE(window->ElementList()->isEnabled() && !window->AtomField()->isEnabled());
    window->ElementList()->setCurrentRow(kNitrogen);
    EXPECT_EQ(window->RadiusField()->text().toStdString(), "1.527");
    window->ElementList()->setCurrentRow(kCarbon);
    Type(window->RadiusField(), "2.0");
    Click(Labelled(window, "Apply"));
    for (const Atom& atom : mol.atoms)
        EXPECT_FLOAT_EQ(atom.radius,
                        atom.element == kCarbon ? 2.0f : kDefaultElementRadii[atom.element]);
    const int bigger = CoveredPixels(run.Picture());
    EXPECT_GT(bigger, plain);

    // A radius outside 0 to 100 is refused with a message; OK then keeps the window open.
    Type(window->RadiusField(), "150");
    Click(Labelled(window, "OK"));
    Type(window->RadiusField(), "-1");
    Click(Labelled(window, "Apply"));
    EXPECT_EQ(hand.messages, std::vector<std::string>(2, "Please enter a radius from 0.0 to 100.0 "
                                                         "Angstroms."));
    EXPECT_NE(Shown<AtomRadiusDialog>(), nullptr);
    EXPECT_FLOAT_EQ(mol.atoms[1].radius, 2.0f);

    // By atom: the typed atom's radius, 0 without one; Apply changes that atom alone.
    Click(Labelled<QRadioButton>(window, "Radius by atom"));
    EXPECT_EQ(mol.radiusScheme, kRadiusByAtom);
    Type(window->AtomField(), "99999");
    EXPECT_EQ(window->RadiusField()->text().toStdString(), "0");
    Type(window->AtomField(), "1");
    EXPECT_EQ(window->RadiusField()->text().toStdString(), "1.527");
    Type(window->RadiusField(), "100");
    EXPECT_TRUE(DrawsAfter(run, [&] { Click(Labelled(window, "Apply")); }));
    EXPECT_FLOAT_EQ(mol.atoms[FindAtomBySerial(mol, 1)].radius, 100.0f);
    EXPECT_FLOAT_EQ(mol.atoms[FindAtomBySerial(mol, 2)].radius, 2.0f);

    // By temperature: 3 × B / (Bmax − Bmin) for every atom.
    Click(Labelled<QRadioButton>(window, "Radius by PDB temperature field"));
    EXPECT_FALSE(window->RadiusField()->isEnabled() || window->AtomField()->isEnabled());
    Click(Labelled(window, "Apply"));
    for (const Atom& atom : mol.atoms)
        EXPECT_NEAR(atom.radius, 3.0 * atom.tempFactor / (28.98 - 3.38), 1e-4);
    EXPECT_NE(CoveredPixels(run.Picture()), bigger);

    // Default radii on OK, which closes the window.
    Click(Labelled<QRadioButton>(window, "Default Radius"));
    Click(Labelled(window, "OK"));
    EXPECT_EQ(Shown<AtomRadiusDialog>(), nullptr);
    EXPECT_FLOAT_EQ(mol.atoms[FindAtomBySerial(mol, 2)].radius, 1.689f);
    EXPECT_EQ(CoveredPixels(run.Picture()), plain);
    EXPECT_EQ(hand.messages.size(), 2u);
}

TEST_F(ColorsRadiiSequence, SequenceListsResiduesAndRecoloursTheSelectedOnes) {
    ModalHand hand;
    RunningApp run({kData + "/1crn.pdb"});
    Molecule* mol = run.Doc().primary;
    auto* window = Open<SequenceDialog>(run, "Molecule/Secondary Structure ...");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(Open<SequenceDialog>(run, "Color/Protein ..."), window); // the same window
    auto* table = window->findChild<QTableWidget*>();
    const auto row = [&](int r) {
        QStringList cells;
        for (int c = 0; c < table->columnCount(); ++c)
            cells << table->item(r, c)->text();
        return cells.join('|').toStdString();
    };
    ASSERT_EQ(table->rowCount(), 46);
    EXPECT_EQ(row(0), "THR 1|A|0|Coil");
    EXPECT_EQ(row(6), "ILE 7|A|0|AlphaHelix");
    EXPECT_EQ(row(45), "ASN 46|A|0|Coil");

    // With nothing selected the picker starts white.
    Click(Labelled(window, "Color ..."));
    auto* picker = Shown<ColorDialog>();
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(picker->Working(), QColor(255, 255, 255, 255));

    // Residues 10 to 12: the picker starts from residue 10's alpha carbon; its colours go to all
    // their atoms, and the bonds to residues 9 and 13 become two-coloured.
    for (int r : {9, 10, 11})
        table->selectionModel()->select(table->model()->index(r, 0),
                                        QItemSelectionModel::Select | QItemSelectionModel::Rows);
    Click(Labelled(window, "Color ..."));
    EXPECT_EQ(picker->Working(), QColor(200, 200, 200, 255));
    picker->findChild<QSlider*>("Red")->setValue(0);
    EXPECT_TRUE(DrawsAfter(run, [&] { Click(Labelled(picker, "Apply")); }));
    const std::vector<Residue>& residues = mol->chains[0].residues;
    std::vector<bool> painted(mol->atoms.size());
    for (int r = 9; r <= 11; ++r)
        for (int index : residues[r].atoms)
            painted[index] = true;
    for (int i = 0; i < mol->AtomCount(); ++i)
        EXPECT_EQ(mol->atoms[i].color == (Rgba{0, 200, 200, 255}), painted[i]) << i;
    int borders = 0;
    for (const Bond& bond : mol->bonds) {
        const int inside = painted[bond.first] + painted[bond.second];
        // Inside the three residues one colour, across their borders two.
        EXPECT_TRUE(inside == 0 || bond.split == (inside == 1)) << bond.first << "-" << bond.second;
        borders += inside == 1;
    }
    EXPECT_EQ(borders, 2); // the peptide bonds to residues 9 and 13
    picker->findChild<QSlider*>("Green")->setValue(0);
    Click(Labelled(picker, "OK"));
    EXPECT_EQ(mol->atoms[residues[11].caIndex].color, (Rgba{0, 0, 200, 255}));

    // A file read without secondary structure refills the list, its structure cells empty.
    run.Doc().secondaryStructOnRead = false;
    ASSERT_TRUE(run.Frame().OpenDocumentFile(kData + "/1crn.pdb"));
    ASSERT_EQ(table->rowCount(), 46);
    EXPECT_EQ(row(6), "ILE 7|A|0|");
    EXPECT_TRUE(window->SelectedRows().empty());

    // The rows of later chains continue the running index.
    ASSERT_TRUE(run.Frame().OpenDocumentFile(kData + "/1bni.pdb"));
    mol = run.Doc().primary;
    const int second = static_cast<int>(mol->chains[0].residues.size());
    ASSERT_EQ(table->rowCount(), mol->ResidueCount());
    EXPECT_EQ(table->item(second - 1, 1)->text().toStdString(), "A");
    EXPECT_EQ(table->item(second + 2, 1)->text().toStdString(), "B");
    table->selectRow(second + 2);
    Click(Labelled(window, "Color ..."));
    picker = Shown<ColorDialog>();
    ASSERT_NE(picker, nullptr);
    picker->findChild<QSlider*>("Blue")->setValue(0);
    Click(Labelled(picker, "OK"));
    for (int index : mol->chains[1].residues[2].atoms)
        EXPECT_EQ(mol->atoms[index].color, (Rgba{200, 200, 0, 255}));
    EXPECT_TRUE(hand.messages.empty());

    // What the window's colours do when its rows no longer fit the document.
    EXPECT_EQ(ColorSequenceRows(nullptr, {0}, Rgba{}), "NULL mol pointer in sequence dialog!");
    EXPECT_EQ(ColorSequenceRows(mol, {0, mol->ResidueCount()}, Rgba{1, 2, 3, 4}),
              "Failed to find all selected residues!");
    EXPECT_EQ(mol->atoms[mol->chains[0].residues[0].caIndex].color, (Rgba{1, 2, 3, 4}));
}

TEST_F(ColorsRadiiSequence, WithoutAMoleculeTheWindowsShowDefaultsAndApplyNothing) {
    ModalHand hand;
    RunningApp run;
    auto* colors = Open<CustomColorsDialog>(run, "Color/Molecule ...");
    Click(Labelled<QRadioButton>(colors, "Color by residue"));
    Type(colors->ResidueField(), "1");
    EXPECT_EQ(Fields(colors), "--,--,--,--");
    Click(Labelled(colors, "OK"));
    auto* radius = Open<AtomRadiusDialog>(run, "Adjust/Atomic Radii ...");
    Click(Labelled<QRadioButton>(radius, "Radius by element"));
    EXPECT_EQ(radius->RadiusField()->text().toStdString(), "1.689");
    Click(Labelled(radius, "OK"));
    auto* sequence = Open<SequenceDialog>(run, "Molecule/Secondary Structure ...");
    EXPECT_EQ(sequence->findChild<QTableWidget*>()->rowCount(), 0);
    Click(Labelled(sequence, "Color ..."));
    EXPECT_EQ(Shown<ColorDialog>()->Working(), QColor(255, 255, 255, 255));
    EXPECT_TRUE(hand.messages.empty());
}

} // namespace

} // namespace vorn
