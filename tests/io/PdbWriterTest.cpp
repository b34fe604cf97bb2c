// PDB record printing: line formats, CONECT lines, precision, and a write that fails.
#include "io/PdbWriter.h"

#include "WrittenFiles.h"

#include <climits>
#include <gtest/gtest.h>

namespace vorn {

namespace {

using PdbWriter = WrittenFilesTest;

TEST_F(PdbWriter, LineFormats) {
    PdbFile pdb = MakeWriteRecords(2);
    PdbRecord& a = pdb.records[0];
    a.SetAtomName("CA"), a.SetResName("ALA");
    a.serial = 1, a.chain = 'A', a.resSeq = 5, a.x = 1.5f, a.y = -2.25f, a.z = 10,
    a.tempFactor = 20.5f;
    pdb.records[1].model = 1; // a default record otherwise: serial 1 (its index), "C", "UNK0" 1
    pdb.conects.resize(2);
    pdb.conects[0].owner = 1, pdb.conects[1].owner = 2;
    pdb.conects[0].bonded.Append(2);
    const std::string blocks =
        "MODEL    0\nATOM      1  CA  ALA A   5       1.500  -2.250  10.000  1.00 20.50\n"
        "ENDMDL\nMODEL    1\nATOM      1  C   UNK0    1       0.000   0.000   0.000  1.00  0.00\n"
        "TER       2      UNK0    1\nENDMDL\n";
    EXPECT_EQ(WrittenText(pdb, 3, false), blocks);
    EXPECT_EQ(WrittenText(pdb, 3, true), blocks + "CONECT    1    2\nCONECT    2\n");
    EXPECT_EQ(LinesStartingWith(WrittenText(pdb, 15, false), "ATOM")[0],
              "ATOM      1  CA  ALA A   5       1.500000000000000  -2.250000000000000"
              "  10.000000000000000  1.00 20.50"); // x in 24 columns, y and z in 20
    EXPECT_EQ(WrittenText(MakeWriteRecords(0), 3, true), "");

    // The serial after the largest one stays the largest instead of turning negative.
    pdb.records[1].serial = INT_MAX;
    EXPECT_EQ(LinesStartingWith(WrittenText(pdb, 3, false), "TER")[0],
              "TER   2147483647      UNK0    1");
    EXPECT_EQ(AddToSerial(INT_MIN, -1), INT_MIN);

    std::FILE* full = std::fopen("/dev/full", "w");
    EXPECT_FALSE(WritePdbRecords(pdb, full, 3, true)); // the error shows only at the flush
    std::fclose(full);
}

} // namespace

} // namespace vorn
