// The document's load pipeline on real files and its failures.
#include "model/VornDoc.h"

#include "core/VornError.h"
#include "model/UiHost.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

const std::string kData = VORN_TEST_DATA;

class RecordingHost : public UiHost {
public:
    void SetStatusText(const std::string& text) override { status.push_back(text); }
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    std::vector<std::string> status;
    std::vector<std::string> messages;
};

std::string ErrorOf(CVornDoc& doc, const std::string& file, int type) {
    Molecule mol;
    try {
        doc.ReadByType(mol, file, false, true, type);
    } catch (const VornError& e) {
        return e.Message();
    }
    return "";
}

TEST(VornDoc, FileTypeComesFromTheLowerCasedExtension) {
    EXPECT_EQ(CVornDoc::FileTypeOfName("a.PDB"), kFilePdb);
    EXPECT_EQ(CVornDoc::FileTypeOfName("dir.v2/a.Dcd"), kFileDcd);
    EXPECT_EQ(CVornDoc::FileTypeOfName("a.pdb.gz"), kFileUnknown);
    EXPECT_EQ(CVornDoc::FileTypeOfName("noextension"), kFileUnknown);
    EXPECT_EQ(CVornDoc::FileTypeOfName("a.xyz"), kFileXyz);
}

TEST(VornDoc, UnsupportedTypesRaiseTheirMessages) {
    CVornDoc doc;
    EXPECT_EQ(ErrorOf(doc, "x.xyz", kFileXyz), "XYZ files aren't supported yet!");
    EXPECT_EQ(ErrorOf(doc, "x.crd", kFileByExtension), "CRD files aren't supported yet!");
    EXPECT_EQ(ErrorOf(doc, "x.dcd", kFileDcd), "Unknown file type!");
    EXPECT_EQ(ErrorOf(doc, "x.pdb.gz", kFileByExtension), "Unknown file type!");
}

TEST(VornDoc, ReadsARealProteinThroughTheWholePipeline) {
    RecordingHost host;
    CVornDoc doc(&host);
    ASSERT_TRUE(doc.ReadCoordinateFile(kData + "/1crn.pdb"));
    ASSERT_EQ(doc.molecules.Count(), 1);
    const Molecule& mol = *doc.primary;
    EXPECT_EQ(mol.fileName, kData + "/1crn.pdb");
    EXPECT_EQ(mol.AtomCount(), 327);
    ASSERT_EQ(mol.chains.size(), 1u);
    EXPECT_EQ(mol.chains[0].residues.size(), 46u);
    EXPECT_EQ(host.status, (std::vector<std::string>{"Reading pdb file ...", "Processing data ...",
                                                      "Assigning secondary structure ...", "Ready"}));
    const Atom& n = mol.atoms[0]; // N of THR 1
    EXPECT_EQ(n.element, kNitrogen);
    EXPECT_EQ(n.color, (Rgba{143, 143, 255, 255}));
    EXPECT_FLOAT_EQ(n.mass, 14.0067f);
    EXPECT_FLOAT_EQ(n.radius, 1.527f);
    int helix = 0;
    for (const Residue& r : mol.chains[0].residues)
        helix += r.structure == kAlphaHelix ? 1 : 0;
    EXPECT_GT(helix, 10); // crambin's two helices
    // The three disulfides survive as bonds next to each cysteine's own CB-SG bond.
    int ss = 0, cbsg = 0;
    for (const Bond& b : mol.bonds) {
        const std::string a1 = mol.atoms[b.first].name, a2 = mol.atoms[b.second].name;
        ss += (a1 == "SG" && a2 == "SG") ? 1 : 0;
        cbsg += ((a1 == "CB" && a2 == "SG") || (a1 == "SG" && a2 == "CB")) ? 1 : 0;
    }
    EXPECT_EQ(ss, 3);
    EXPECT_EQ(cbsg, 6);
}

TEST(VornDoc, EachReadAppendsAMoleculeThatBecomesThePrimaryAndOnlyActiveOne) {
    CVornDoc doc;
    doc.secondaryStructOnRead = false;
    ASSERT_TRUE(doc.ReadCoordinateFile(kData + "/1crn.pdb"));
    ASSERT_TRUE(doc.ReadCoordinateFile(kData + "/1a28.pdb.gz"));
    ASSERT_EQ(doc.molecules.Count(), 2);
    EXPECT_EQ(doc.primary, doc.molecules[1].get());
    EXPECT_FALSE(doc.molecules[0]->active);
    EXPECT_TRUE(doc.molecules[1]->active);
    EXPECT_EQ(doc.primary->AtomCount(), 4262);
    EXPECT_EQ(doc.primary->chains[0].residues[0].structure, kNotAssigned);
}

TEST(VornDoc, AFileWithoutAtomsIsAFailureAndAMissingFileRaises) {
    const std::string empty = ::testing::TempDir() + "/vorn_empty.pdb";
    std::FILE* f = std::fopen(empty.c_str(), "w");
    std::fputs("REMARK nothing here\nEND\n", f);
    std::fclose(f);
    CVornDoc doc;
    EXPECT_FALSE(doc.ReadCoordinateFile(empty));
    EXPECT_EQ(doc.molecules.Count(), 1); // stays in the list as far as it was filled
    EXPECT_THROW(doc.ReadCoordinateFile(kData + "/no_such_file.pdb"), VornError);
    std::remove(empty.c_str());
}

} // namespace
