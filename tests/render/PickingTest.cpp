// Picking atoms and bonds by selection mode, and what a click does with them.
#include "render/Picking.h"

#include "../RaisedError.h"
#include "RenderTestContext.h"

#include <GL/gl.h>

#include <cstring>
#include <gtest/gtest.h>

namespace vorn {

namespace {

// 8 Å across the middle of the window: 26 pixels per Å, well apart for the 10-pixel window.
constexpr float kSceneScale = 8;

struct PickScene : ViewFixture {
    PickScene() { view.params.sceneScale = kSceneScale; }
    PickResult PickAtom(const Molecule& mol, int atom, int eye = 0, double dx = 0) {
        const WindowPoint p = WindowPointOfAtom(view, mol, atom, eye);
        return view.Pick(static_cast<int>(p.x + dx + 0.5), p.Y());
    }
    // Bonds each atom pair and fills the bonded lists the torsion walks.
    static void Bond(Molecule& mol, const std::vector<std::pair<int, int>>& pairs) {
        std::vector<std::vector<int>> lists(mol.atoms.size());
        for (auto [a, b] : pairs) {
            mol.bonds.push_back({a, b});
            lists[size_t(a)].push_back(b), lists[size_t(b)].push_back(a);
        }
        mol.bonded = FlatLists();
        for (const auto& list : lists)
            mol.bonded.Add(list.begin(), list.end());
    }
};

void ExpectPicked(const PickResult& r, int kind, int index, const Molecule* mol) {
    EXPECT_EQ(r.kind, kind);
    EXPECT_EQ(r.index, index);
    EXPECT_EQ(r.molecule, mol);
}

void ExpectNothing(const PickResult& r) {
    ExpectPicked(r, kPickedNothing, -1, nullptr);
}

TEST(PickHits, NearestMinimumDepthUnsignedAndTheLaterOfEqualOnes) {
    // Records: names, minimum depth, maximum depth, names...
    const std::uint32_t far[] = {1, 0xF0000000u, 0xF0000000u, 7, 1, 0x70000000u, 0x70000000u, 9};
    EXPECT_EQ(ChooseHit(far, 8, 2), 9u); // signed, 0xF0000000 would look nearer
    const std::uint32_t ties[] = {1, 5, 9, 3, 2, 5, 6, 4, 40, 1, 6, 6, 8};
    EXPECT_EQ(ChooseHit(ties, 13, 3), 4u); // the later of two at depth 5 (its first name)
    // A record without names is passed over; one running past the buffer ends the walk.
    const std::uint32_t odd[] = {0, 1, 1, 1, 3, 3, 12, 2, 0, 0, 13};
    EXPECT_EQ(ChooseHit(odd, 11, 3), 12u);
    EXPECT_EQ(ChooseHit(odd, 6, 3), kNoPickName);
    EXPECT_EQ(ChooseHit(far, 8, 0), kNoPickName);
}

TEST(PickHits, NamesDecodeAcrossMoleculesAndStrayNamesRaise) {
    MoleculeList list;
    auto add = [&list](int atoms, int bonds) {
        auto mol = std::make_unique<Molecule>();
        mol->atoms.resize(size_t(atoms));
        mol->bonds.resize(size_t(bonds));
        return list.Append(std::move(mol)).get();
    };
    Molecule* a = add(2, 1);
    add(0, 0); // takes no names
    Molecule* c = add(3, 2);
    EXPECT_EQ(PickNameCount(list), 8u);
    ExpectPicked(DecodePickName(list, 1), kPickedAtom, 1, a);
    ExpectPicked(DecodePickName(list, 2), kPickedBond, 0, a);
    ExpectPicked(DecodePickName(list, 3), kPickedAtom, 0, c);
    ExpectPicked(DecodePickName(list, 7), kPickedBond, 1, c);
    EXPECT_EQ(SourcedErrorOf([&] { DecodePickName(list, 8); }), "pick: Selection buffer overflow!");
    EXPECT_EQ(SourcedErrorOf([&] { DecodePickName(list, kNoPickName); }),
              "pick: Selection buffer underflow -> match not found!");
}

TEST(Picking, AtomUnderTheMouseWithinFivePixelsAndNothingBeside) {
    PickScene f;
    EXPECT_EQ(f.view.Pick(160, 120).kind, kPickedNothing); // no molecule at all
    Molecule& mol = f.AddMolecule({{-3, 0, 0}, {0, 2, 0}, {3, -1, 0}});
    GLdouble before[16], after[16];
    glGetDoublev(GL_PROJECTION_MATRIX, before);
    for (int atom = 0; atom < 3; ++atom)
        ExpectPicked(f.PickAtom(mol, atom), kPickedAtom, atom, &mol);
    ExpectPicked(f.PickAtom(mol, 2, 0, 4), kPickedAtom, 2, &mol);
    ExpectNothing(f.PickAtom(mol, 2, 0, 8));
    ExpectNothing(f.view.Pick(20, 20));
    // The pick leaves the drawing as it found it.
    glGetDoublev(GL_PROJECTION_MATRIX, after);
    EXPECT_EQ(std::memcmp(before, after, sizeof before), 0);
    GLint matrixMode = 0, renderMode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &matrixMode);
    glGetIntegerv(GL_RENDER_MODE, &renderMode);
    EXPECT_EQ(matrixMode, GL_MODELVIEW);
    EXPECT_EQ(renderMode, GL_RENDER);
    EXPECT_FALSE(f.view.primitives.Immediate());
}

TEST(Picking, NearerOfTwoAtomsOnOneLineOfSightWins) {
    // One atom most of the way to the eye (its depth below half the range), one at the centre.
    const std::array<float, 3> centre{0, 0, 0}, nearer{0, 0, 6.4f};
    for (bool nearFirst : {false, true}) {
        PickScene f;
        Molecule& mol =
            f.AddMolecule(nearFirst ? std::vector{nearer, centre} : std::vector{centre, nearer});
        ExpectPicked(f.view.Pick(160, 120), kPickedAtom, nearFirst ? 0 : 1, &mol);
    }
    // Turned half round, the other one is in front.
    PickScene f;
    Molecule& mol = f.AddMolecule({centre, {0, 0, 4}});
    ExpectPicked(f.view.Pick(160, 120), kPickedAtom, 1, &mol);
    mol.motion.rotation = {0, 1, 0, 0};
    ExpectPicked(f.view.Pick(160, 120), kPickedAtom, 0, &mol);
}

TEST(Picking, BondAtItsMiddleAtomsAtItsEndsAndHiddenOnesNot) {
    PickScene f;
    Molecule& mol = f.AddMolecule({{-2, 0, 0}, {2, 0, 0}});
    PickScene::Bond(mol, {{0, 1}});
    ExpectPicked(f.view.Pick(160, 120), kPickedBond, 0, &mol);
    ExpectPicked(f.PickAtom(mol, 0), kPickedAtom, 0, &mol);
    ExpectPicked(f.PickAtom(mol, 1), kPickedAtom, 1, &mol);
    ExpectNothing(f.PickAtom(mol, 0, 0, 26)); // a quarter along: neither end nor middle
    // Hidden hetero atoms and hidden molecules are not picked.
    mol.atoms[0].hetero = true;
    mol.solvent = false;
    ExpectNothing(f.PickAtom(mol, 0));
    ExpectPicked(f.view.Pick(160, 120), kPickedBond, 0, &mol); // one of its atoms is shown
    mol.atoms[1].hetero = true;
    ExpectNothing(f.view.Pick(160, 120)); // both hidden: the bond goes too
    mol.atoms[1].hetero = false;
    mol.solvent = true;
    ExpectPicked(f.PickAtom(mol, 0), kPickedAtom, 0, &mol);
    mol.renderMode = kHideMolecule;
    ExpectNothing(f.PickAtom(mol, 0));
}

TEST(Picking, RibbonWithoutWireFrameIsSkippedAndLaterMoleculesDecodeRight) {
    PickScene f;
    Molecule& ribbon = f.AddMolecule({{-3, 0, 0}, {-1, 0, 0}});
    PickScene::Bond(ribbon, {{0, 1}});
    ribbon.renderMode = kSolidRibbon;
    Molecule& empty = f.AddMolecule({});
    Molecule& wire = f.AddMolecule({{1, 0, 0}, {3, 0, 0}, {0, 3, 0}});
    PickScene::Bond(wire, {{0, 1}});
    ExpectNothing(f.PickAtom(ribbon, 0));
    ExpectPicked(f.PickAtom(wire, 2), kPickedAtom, 2, &wire);
    ExpectPicked(f.view.Pick(WindowPointOf(f.view, {2, 0, 0}).X(), 120), kPickedBond, 0, &wire);
    ribbon.showWireFrame = true;
    ExpectPicked(f.PickAtom(ribbon, 1), kPickedAtom, 1, &ribbon);
    EXPECT_EQ(empty.AtomCount(), 0);
}

TEST(Picking, StereoPicksTheEyeOfTheHalfClickedIn) {
    PickScene f;
    Molecule& mol = f.AddMolecule({{-1.5f, 0, 0}, {1.5f, 0, 0}});
    f.view.ToggleStereo();
    for (int eye : {-1, 1}) {
        ExpectPicked(f.PickAtom(mol, 0, eye), kPickedAtom, 0, &mol);
        ExpectPicked(f.PickAtom(mol, 1, eye), kPickedAtom, 1, &mol);
    }
    // The images lie 40 pixels either side of the middle of each half: nothing in between.
    ExpectNothing(f.view.Pick(160, 120));
    // A lone atom is hit by both eyes' passes; the selection buffer has room for both.
    PickScene lone;
    Molecule& one = lone.AddMolecule({{0, 0, 0}});
    lone.view.ToggleStereo();
    ExpectPicked(lone.view.Pick(80, 120), kPickedAtom, 0, &one);
    ExpectPicked(lone.view.Pick(240, 120), kPickedAtom, 0, &one);
    EXPECT_TRUE(lone.ui.messages.empty());
}

TEST(Picking, LeftClickNamesTheAtomAndOffersItToTheOpenMeasureWindow) {
    PickScene f;
    Molecule& mol = f.AddMolecule({{-2, 0, 0}, {2, 0, 0}});
    Atom& atom = mol.atoms[1];
    atom.serial = 17;
    std::strcpy(atom.name, "CA");
    std::strcpy(atom.resName, "ALA");
    atom.resSeq = 5;
    const WindowPoint p = WindowPointOfAtom(f.view, mol, 1);
    const CVornView::Buttons left{true};
    f.view.MouseDown(CVornView::kLeftButton, p.X(), p.Y(), left);
    f.view.MouseUp(CVornView::kLeftButton, p.X(), p.Y(), {});
    EXPECT_EQ(f.ui.panes, (std::array<std::string, 3>{"17", "CA", "ALA5"}));
    EXPECT_EQ(f.doc.measures.Count(), 0); // the window is closed
    EXPECT_EQ(f.host.measureRefreshes, 0);

    f.host.measureOpen = true;
    const int redraws = f.host.redraws;
    f.view.MouseDown(CVornView::kLeftButton, p.X(), p.Y(), left);
    ASSERT_EQ(f.doc.measures.Count(), 1);
    EXPECT_EQ(f.doc.measures.Id(0), 17);
    EXPECT_EQ(f.host.measureRefreshes, 1);
    EXPECT_GT(f.host.redraws, redraws);
    // The table's rule: the same atom again leaves it.
    f.view.MouseDown(CVornView::kLeftButton, p.X(), p.Y(), left);
    EXPECT_EQ(f.doc.measures.Count(), 0);
    // With the right button held the left press moves and picks nothing; a background click
    // leaves the panes as they were.
    f.ui.panes = {};
    f.view.MouseDown(CVornView::kLeftButton, p.X(), p.Y(), CVornView::Buttons{true, false, true});
    f.view.MouseDown(CVornView::kRightButton, p.X(), p.Y(), CVornView::Buttons{false, false, true});
    f.view.MouseDown(CVornView::kLeftButton, 10, 10, left);
    EXPECT_EQ(f.ui.panes, (std::array<std::string, 3>{}));
    EXPECT_EQ(f.doc.measures.Count(), 0);
}

TEST(Picking, ClickedBondBecomesTheTorsionWhileItsWindowIsOpen) {
    PickScene f;
    Molecule& mol = f.AddMolecule({{-3, -1, 0}, {-1, 1, 0}, {1, -1, 0}, {3, 1, 0}});
    PickScene::Bond(mol, {{0, 1}, {1, 2}, {2, 3}});
    const CVornView::Buttons left{true};
    f.view.MouseDown(CVornView::kLeftButton, 160, 120, left); // the middle bond, 1 − 2
    EXPECT_FALSE(f.view.torsion.IsSelected());
    EXPECT_EQ(f.host.torsionRefreshes, 0);

    f.host.torsionOpen = true;
    f.view.MouseDown(CVornView::kLeftButton, 160, 120, left);
    ASSERT_TRUE(f.view.torsion.IsSelected());
    EXPECT_EQ(f.view.torsion.AtomA(), 1);
    EXPECT_EQ(f.view.torsion.AtomB(), 2);
    EXPECT_EQ(f.view.pickedMolecule, &mol);
    EXPECT_EQ(f.host.torsionRefreshes, 1);
    // Picking it again clears the selection, and with it the marked molecule.
    f.view.MouseDown(CVornView::kLeftButton, 160, 120, left);
    EXPECT_FALSE(f.view.torsion.IsSelected());
    EXPECT_EQ(f.view.pickedMolecule, nullptr);
    EXPECT_EQ(f.host.torsionRefreshes, 2);
    EXPECT_EQ(f.ui.panes, (std::array<std::string, 3>{})); // bonds are not named
}

} // namespace

} // namespace vorn
