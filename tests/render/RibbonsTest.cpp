// Ribbon profiles by mode, the geometry of the backbone drawers on sound and broken backbones, and
// pictures of every backbone mode on real proteins and a nucleic acid.
#include "render/Ribbons.h"

#include "BackboneMolecule.h"
#include "Pixels.h"
#include "document/VornDoc.h"
#include "render/OffscreenPicture.h"
#include "render/VornView.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <string>

namespace vorn {

namespace {

const std::string kData = VORN_TEST_DATA;

struct Profile {
    float width, thickness;
    bool operator==(const Profile& o) const { return width == o.width && thickness == o.thickness; }
};

Profile ProfileOf(const Molecule& mol, int residue) {
    const Residue& r = mol.chains[0].residues.at(static_cast<std::size_t>(residue));
    return {r.profileA, r.profileB};
}

Vec3 VertexOf(const BackboneMesh& mesh, int v) {
    const float* p = &mesh.vertices[3 * static_cast<std::size_t>(v)];
    return {p[0], p[1], p[2]};
}

Vec3 NormalOf(const BackboneMesh& mesh, int v) {
    const float* p = &mesh.normals[3 * static_cast<std::size_t>(v)];
    return {p[0], p[1], p[2]};
}

// Distance from p to the nearest alpha carbon of the molecule.
double ToNearestAlphaCarbon(const Molecule& mol, const Vec3& p) {
    double nearest = std::numeric_limits<double>::infinity();
    for (const Chain& chain : mol.chains)
        for (const Residue& r : chain.residues) {
            const Atom& a = mol.atoms[static_cast<std::size_t>(r.caIndex)];
            if (std::isfinite(a.x + a.y + a.z))
                nearest = std::min(nearest, Length(Sub(p, Vec3{a.x, a.y, a.z})));
        }
    return nearest;
}

Rgba Red() {
    return {255, 0, 0, 255};
}
Rgba Blue() {
    return {0, 0, 255, 255};
}

} // namespace

TEST(RibbonProfile, RibbonsFollowTheStructureAndTubesTheirValues) {
    BackboneMolecule b;
    b.NewChain();
    const int codes[] = {kAlphaHelix, kBulge, kStrand, kNucleicHelix, kCoil, kTurn, kNotAssigned};
    for (int code : codes)
        b.Add({0, 0, 0}, {0, 1, 0}, code);
    for (int mode : {kSolidRibbon, kFlatRibbon}) {
        SetRibbonProfile(b.mol, mode);
        const Profile expected[] = {{1, 0.5f},    {1, 0.5f},    {2, 0.5f},   {2.5f, 0.5f},
                                    {0.2f, 0.2f}, {0.2f, 0.2f}, {0.2f, 0.2f}};
        for (int k = 0; k < 7; ++k)
            EXPECT_EQ(ProfileOf(b.mol, k), expected[k]) << "mode " << mode << " residue " << k;
    }
    SetRibbonProfile(b.mol, kTube);
    EXPECT_EQ(ProfileOf(b.mol, 2), (Profile{0.5f, 0.5f}));
    // The other modes leave the profile as it is.
    for (int mode : {kHideMolecule, kCpk, kTraceSticks, kSpline, kRenderModeCount}) {
        SetRibbonProfile(b.mol, mode);
        EXPECT_EQ(ProfileOf(b.mol, 2), (Profile{0.5f, 0.5f})) << "mode " << mode;
    }

    // Temperature factors 10 to 30 over the molecule give 0.2 to 2.2 Å; occupancies likewise.
    const float values[] = {10, 20, 30, -30, 15, 10, 10};
    for (int k = 0; k < 7; ++k) {
        Atom& ca = b.mol.atoms[static_cast<std::size_t>(b.mol.chains[0].residues[k].caIndex)];
        ca.tempFactor = values[k];
        ca.occupancy = values[k] / 30;
    }
    b.mol.tempMin = 10, b.mol.tempMax = 30;
    b.mol.occMin = 1 / 3.0f, b.mol.occMax = 1;
    for (int mode : {kTemperatureTube, kOccupancyTube}) {
        SetRibbonProfile(b.mol, mode);
        const float radii[] = {0.2f, 1.2f, 2.2f, 0.2f, 0.7f};
        for (int k = 0; k < 5; ++k) {
            EXPECT_NEAR(ProfileOf(b.mol, k).width, radii[k], 1e-5) << "mode " << mode << " " << k;
            EXPECT_EQ(ProfileOf(b.mol, k).thickness, ProfileOf(b.mol, k).width);
        }
    }
    // All values alike: the largest tube everywhere.
    b.mol.tempMin = b.mol.tempMax = 20;
    SetRibbonProfile(b.mol, kTemperatureTube);
    for (int k = 0; k < 7; ++k)
        EXPECT_FLOAT_EQ(ProfileOf(b.mol, k).width, 2.2f);
}

TEST(RibbonProfile, SetByTheRenderModeCommandAndForANewPrimaryMolecule) {
    CVornDoc doc;
    ASSERT_TRUE(doc.ReadCoordinateFile(kData + "/1crn.pdb"));
    OffscreenPicture picture(doc, 64, 48);
    const Residue& helix = doc.primary->chains[0].residues[10]; // in crambin's first helix
    ASSERT_EQ(helix.structure, kAlphaHelix);
    picture.View().SetRenderMode(kTube);
    EXPECT_EQ(helix.profileA, 0.5f);
    picture.View().SetRenderMode(kSolidRibbon);
    EXPECT_EQ(helix.profileA, 1.0f);
    // A document change sets the primary molecule's profile for the mode it has.
    doc.primary->renderMode = kTube;
    picture.View().DocumentChanged();
    EXPECT_EQ(helix.profileA, 0.5f);
}

TEST(BackboneMesh, TubeHasCapsAroundOneStripFacingOutwards) {
    BackboneMolecule b;
    b.NewChain();
    AddStrand(b, 6);
    for (int k = 0; k < 6; ++k)
        b.mol.atoms[static_cast<std::size_t>(b.mol.chains[0].residues[k].caIndex)].color =
            k < 3 ? Red() : Blue();
    SetRibbonProfile(b.mol, kTube);
    Resolution res; // 5 points per residue and a ring of 5 · 2 + 1
    BackboneMesh mesh;
    BuildSolidRibbon(b.mol, res, mesh);
    ASSERT_EQ(mesh.primitives.size(), 3u);
    const auto& start = mesh.primitives[0];
    const auto& strip = mesh.primitives[1];
    const auto& end = mesh.primitives[2];
    EXPECT_EQ(start.mode, unsigned(GL_TRIANGLE_FAN));
    EXPECT_EQ(strip.mode, unsigned(GL_TRIANGLE_STRIP));
    EXPECT_EQ(end.mode, unsigned(GL_TRIANGLE_FAN));
    EXPECT_EQ(start.count, 12);
    EXPECT_EQ(end.count, 12);
    // 5 segments of 6 points: 29 bands of two rings.
    EXPECT_EQ(strip.count, 29 * 2 * 11);
    // Each ring is stored once (its closing point is the first again), and once more where the
    // colour changes; each cap has a centre and a ring of its own, facing along the chain.
    EXPECT_EQ(mesh.VertexCount(), 30 * 10 + 10 + 2 * 11);
    EXPECT_EQ(mesh.normals.size(), mesh.vertices.size());
    auto element = [&](const BackboneMesh::Primitive& p, int j) {
        return p.indexed ? static_cast<int>(mesh.indices.at(static_cast<std::size_t>(p.first + j)))
                         : p.first + j;
    };
    // The start cap faces back along the chain (-x), the end cap forward; both are flat discs of
    // the tube's radius around the spline.
    EXPECT_LT(Length(Sub(VertexOf(mesh, element(start, 0)), b.AlphaCarbon(0, 0))), 1e-5);
    for (int j = 0; j < 12; ++j) {
        EXPECT_LT(NormalOf(mesh, element(start, j))[0], -0.8);
        EXPECT_GT(NormalOf(mesh, element(end, j))[0], 0.8);
        if (j > 0) {
            EXPECT_NEAR(
                Length(Sub(VertexOf(mesh, element(start, j)), VertexOf(mesh, element(start, 0)))),
                0.5, 1e-4);
        }
    }
    // Every triangle winds counter-clockwise seen from the side its normals face, so that culling
    // the back faces keeps the outside of the tube and of both caps.
    auto facesItsNormals = [&](int a, int b, int c) {
        const Vec3 face = Cross(Sub(VertexOf(mesh, b), VertexOf(mesh, a)),
                                Sub(VertexOf(mesh, c), VertexOf(mesh, a)));
        const Vec3 normal = Add(Add(NormalOf(mesh, a), NormalOf(mesh, b)), NormalOf(mesh, c));
        return Length(face) < 1e-6 || Dot(face, normal) > 0; // degenerate joins face nowhere
    };
    for (int j = 0; j + 2 < strip.count; ++j) {
        const int a = element(strip, j), b = element(strip, j + 1), c = element(strip, j + 2);
        EXPECT_TRUE(j % 2 ? facesItsNormals(b, a, c) : facesItsNormals(a, b, c))
            << "triangle " << j;
    }
    for (const auto* cap : {&start, &end})
        for (int j = 1; j + 1 < cap->count; ++j)
            EXPECT_TRUE(facesItsNormals(element(*cap, 0), element(*cap, j), element(*cap, j + 1)))
                << "cap triangle " << j;
    // Where the colour changes (halfway between alpha carbons, as the pictures below show) a
    // ring is stored twice; the caps take the colours of the ends.
    EXPECT_EQ(mesh.colors[static_cast<std::size_t>(element(start, 0))], Red());
    EXPECT_EQ(mesh.colors[static_cast<std::size_t>(element(end, 0))], Blue());
}

TEST(BackboneMesh, BrokenBackbonesStayFiniteAndNearTheirChains) {
    BackboneMolecule b;
    // A helix, then 30 Å away a strand, in one chain: a break between them.
    b.NewChain();
    AddHelix(b, 8);
    AddStrand(b, 6, {30, 0, 0});
    // A strand whose residues are stacked twice and whose oxygens sit on the backbone line or
    // on the alpha carbons.
    b.NewChain();
    for (int k = 0; k < 8; ++k) {
        const Vec3 ca = {-30.0 + 3.8 * (k / 2), 10, 0};
        b.Add(ca, k % 3 == 0 ? ca : Add(ca, Vec3{1.2, 0, 0}));
    }
    // One residue, three residues, and a chain with an unreadable alpha carbon in its middle.
    b.NewChain();
    AddStrand(b, 1, {0, -20, 0});
    b.NewChain();
    AddStrand(b, 3, {0, -30, 0});
    b.NewChain();
    AddStrand(b, 8, {0, 20, 0});
    const int middle = b.mol.chains.back().residues[5].caIndex;
    b.mol.atoms[static_cast<std::size_t>(middle)].y = std::numeric_limits<float>::infinity();

    for (int mode : {kSpline, kSolidRibbon, kFlatRibbon, kTube, kTemperatureTube}) {
        SetRibbonProfile(b.mol, mode);
        BackboneMesh mesh;
        Resolution res;
        if (mode == kSpline)
            BuildSplineTrace(b.mol, res, mesh);
        else if (mode == kFlatRibbon)
            BuildFlatRibbon(b.mol, res, mesh);
        else
            BuildSolidRibbon(b.mol, res, mesh);
        ASSERT_GT(mesh.VertexCount(), 0) << "mode " << mode;
        for (float v : mesh.vertices)
            ASSERT_TRUE(std::isfinite(v)) << "mode " << mode;
        for (std::size_t k = 0; k < mesh.normals.size(); k += 3) {
            const Vec3 n = {mesh.normals[k], mesh.normals[k + 1], mesh.normals[k + 2]};
            ASSERT_TRUE(std::isfinite(Length(n))) << "mode " << mode;
            ASSERT_GT(Length(n), 0.01) << "mode " << mode;
        }
        // Nothing bridges a break: every vertex lies within a tube's radius and half a step of
        // some alpha carbon.
        for (int v = 0; v < mesh.VertexCount(); ++v)
            ASSERT_LT(ToNearestAlphaCarbon(b.mol, VertexOf(mesh, v)), 2.2 + 2.5)
                << "mode " << mode << " vertex " << v;
        // Pieces of four residues or more: the helix, the strand after the break, the stacked
        // strand (four places), and the five residues before the unreadable one; for ribbons a
        // strip between two caps each.
        const std::size_t pieces = 4;
        EXPECT_EQ(mesh.primitives.size(),
                  mode == kSpline || mode == kFlatRibbon ? pieces : 3 * pieces)
            << "mode " << mode;
    }
}

namespace {

// A hand-made backbone as the only molecule of a document, seen in a 320 × 240 picture with
// sceneScale Å mapped to the window's 4 units.
struct BackboneScene {
    BackboneScene(BackboneMolecule b, int mode, float scale) {
        auto mol = std::make_unique<Molecule>(std::move(b.mol));
        doc.primary = doc.molecules.Append(std::move(mol)).get();
        picture = std::make_unique<OffscreenPicture>(doc, 320, 240);
        picture->View().SetRenderMode(mode);
        picture->View().params.sceneScale = scale;
    }
    // The screen column of x (Å) on the molecule's middle line.
    double Column(double x) const {
        const ViewParameters& v = picture->View().params;
        const double f = 1.0 / std::tan(v.fieldOfView * M_PI / 360.0);
        const double aspect = double(v.windowWidth) / v.windowHeight;
        return (f / aspect * (4.0 / v.sceneScale * x) / 4 + 1) / 2 * v.windowWidth;
    }
    CVornDoc doc;
    std::unique_ptr<OffscreenPicture> picture;
};

} // namespace

TEST(BackbonePictures, EveryModeShowsRealStructuresWithoutFillingTheWindow) {
    for (const char* file : {"1crn.pdb", "1ubq.pdb", "1bni.pdb", "1ehz.pdb"}) {
        CVornDoc doc;
        ASSERT_TRUE(doc.ReadCoordinateFile(kData + "/" + file));
        OffscreenPicture picture(doc, 320, 240);
        double f[kRenderModeCount] = {};
        for (int mode = kTraceSticks; mode <= kOccupancyTube; ++mode) {
            picture.View().SetRenderMode(mode);
            const LitStats s = Lit(picture.Render());
            f[mode] = double(s.count) / (320 * 240);
            EXPECT_GT(f[mode], 0.02) << file << " mode " << mode;
            EXPECT_LT(f[mode], 0.7) << file << " mode " << mode;
            EXPECT_NEAR(s.cx, 160, 70) << file << " mode " << mode;
            EXPECT_NEAR(s.cy, 120, 60) << file << " mode " << mode;
            // Grey carbons: bright under the view light as lines, and as solids under the solid
            // lights (their ambient light alone would leave them dim).
            EXPECT_GT(s.mean, 90) << file << " mode " << mode;
        }
        // A spline follows the wire trace; a tube 1 Å across covers more than a line.
        EXPECT_NEAR(f[kSpline], f[kTraceWireFrame], 0.3 * f[kTraceWireFrame]) << file;
        EXPECT_GT(f[kTube], 1.2 * f[kSpline]) << file;
        if (std::string(file) == "1ehz.pdb") {
            EXPECT_GT(f[kSolidRibbon], 2 * f[kTube]); // a nucleic-acid ribbon is 5 Å wide
        } else {
            // Every alpha carbon has occupancy 1: the range is empty, so the tube is 4.4 Å thick
            // all along.
            EXPECT_GT(f[kOccupancyTube], 2 * f[kTube]) << file;
        }
        // The wire frame under a ribbon adds the atoms' bonds.
        picture.View().SetRenderMode(kSolidRibbon);
        picture.View().ToggleMoleculeFlag(CVornView::kShowWireFrame);
        EXPECT_GT(Lit(picture.Render()).count, (f[kSolidRibbon] + 0.02) * 320 * 240) << file;
    }
}

TEST(BackbonePictures, RibbonColourChangesHalfwayBetweenAlphaCarbons) {
    // A straight chain along x, red up to residue 3 and blue from residue 4 on.
    BackboneMolecule b;
    b.NewChain();
    for (int k = 0; k < 8; ++k) {
        const int ca = b.Add({3.8 * (k - 3.5), 0, 0}, {3.8 * (k - 3.5), 1.2, 0}, kCoil);
        b.mol.atoms[static_cast<std::size_t>(ca)].color = k < 4 ? Red() : Blue();
    }
    for (int mode : {kTube, kSolidRibbon, kFlatRibbon}) {
        BackboneScene scene(b, mode, 20);
        const DibImage image = scene.picture->Render();
        int lastRed = -1, firstBlue = -1;
        for (int x = 0; x < image.width; ++x) {
            const std::uint8_t* p = image.Row(image.height / 2) + 3 * x;
            if (p[2] > p[0] + 40)
                lastRed = x;
            else if (p[0] > p[2] + 40 && firstBlue < 0)
                firstBlue = x;
        }
        const double ca3 = scene.Column(-1.9), ca4 = scene.Column(1.9);
        ASSERT_GT(ca4 - ca3, 30) << "mode " << mode;
        EXPECT_LE(firstBlue - lastRed, 2) << "mode " << mode; // one sharp change
        // Within a sixth of the way (one point of the spline) of the middle.
        EXPECT_NEAR(firstBlue, (ca3 + ca4) / 2, (ca4 - ca3) / 6 + 2) << "mode " << mode;
    }
}

TEST(BackbonePictures, FlatRibbonShowsBothFacesLitAndLeavesTheStateAsItWas) {
    // A strand whose oxygens point along y: a ribbon lying in the x-y plane, facing the eye.
    BackboneMolecule b;
    b.NewChain();
    for (int k = 0; k < 8; ++k) {
        const double side = k % 2 ? -1 : 1;
        const Vec3 ca = {3.3 * (k - 3.5), 0, 0.9 * side};
        b.Add(ca, Add(ca, Vec3{0.4, 1.2 * side, 0}), kStrand);
    }
    BackboneScene scene(b, kFlatRibbon, 20);
    const LitStats front = Lit(scene.picture->Render());
    // Half a turn about y shows the other face.
    scene.doc.primary->motion.rotation = {0, 1, 0, 0};
    const LitStats back = Lit(scene.picture->Render());
    EXPECT_GT(front.count, 0.05 * 320 * 240);
    EXPECT_NEAR(back.count, front.count, 0.05 * front.count);
    EXPECT_GT(front.mean, 120);
    EXPECT_NEAR(back.mean, front.mean, 0.15 * front.mean);

    // Culling, one-sided lighting, flat shading and the view light are back for what follows.
    GLint twoSided = -1, shading = 0;
    glGetIntegerv(GL_LIGHT_MODEL_TWO_SIDE, &twoSided);
    glGetIntegerv(GL_SHADE_MODEL, &shading);
    EXPECT_EQ(twoSided, 0);
    EXPECT_EQ(shading, GL_FLAT);
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_FALSE(glIsEnabled(GL_DITHER));
    EXPECT_TRUE(glIsEnabled(GL_LIGHT0));  // the view light
    EXPECT_FALSE(glIsEnabled(GL_LIGHT1)); // the front solid light
}

TEST(BackbonePictures, ChainBreaksAndShortChainsShowNoInventedBackbone) {
    // One chain of two strands 17 Å apart, and a chain of three residues below them.
    BackboneMolecule b;
    b.NewChain();
    AddStrand(b, 5, {-25, 0, 0});
    AddStrand(b, 5, {11.8, 0, 0});
    b.NewChain();
    AddStrand(b, 3, {-3.3, -8, 0});
    for (int mode = kTraceSticks; mode <= kOccupancyTube; ++mode) {
        BackboneScene scene(b, mode, 25);
        const DibImage image = scene.picture->Render();
        // Nothing between the strands' ends, above the short chain.
        const int x0 = static_cast<int>(scene.Column(-10)), x1 = static_cast<int>(scene.Column(9));
        long between = 0, shortChain = 0;
        for (int y = 0; y < image.height; ++y)
            for (int x = x0; x < x1; ++x) {
                const std::uint8_t* p = image.Row(y) + 3 * x;
                if (std::max({p[0], p[1], p[2]}) > 8)
                    ++(y > image.height * 0.4 ? between : shortChain);
            }
        EXPECT_EQ(between, 0) << "mode " << mode;
        EXPECT_GT(Lit(image, 0, x0).count, 100) << "mode " << mode;
        EXPECT_GT(Lit(image, x1).count, 100) << "mode " << mode;
        // Three residues make a trace, but too few for a spline.
        if (mode == kTraceSticks || mode == kTraceWireFrame)
            EXPECT_GT(shortChain, 50) << "mode " << mode;
        else
            EXPECT_EQ(shortChain, 0) << "mode " << mode;
    }
}

} // namespace vorn
