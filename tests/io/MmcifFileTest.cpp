// mmCIF reader: atom_site columns into records, struct_conn links into CONECT entries, the same
// entry as its PDB file, and malformed text.
#include "io/MmcifFile.h"

#include "RaisedError.h"
#include "ScratchFiles.h"
#include "io/PdbFile.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include <zlib.h>

namespace vorn {

namespace {

const std::string kData = VORN_TEST_DATA;

std::string WriteText(const std::string& text) {
    const std::string path = ScratchPath("mmcif_file_test.cif");
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

PdbFile ReadText(const std::string& text) {
    PdbFile pdb;
    ReadMmcifFile(WriteText(text), pdb);
    return pdb;
}

PdbFile ReadWithWindow(const std::string& path, std::size_t window) {
    PdbFile pdb;
    ReadMmcifFile(path, pdb, window);
    return pdb;
}

// The message of the error the text raises, or "no error" when it reads. The general CIF rules
// alone (window 0) and a window of a few bytes must raise the same.
std::string ErrorOfText(const std::string& text) {
    const std::string path = WriteText(text);
    const std::string error = ErrorOf([&] {
        PdbFile pdb;
        ReadMmcifFile(path, pdb);
    });
    for (const std::size_t window : {0, 3})
        EXPECT_EQ(ErrorOf([&] { ReadWithWindow(path, window); }), error) << "window " << window;
    return error;
}

// Record, serial, atom, residue, [chain], residue number, x y z, occupancy, B, hetero, model.
std::string Fields(const PdbRecord& r) {
    char text[200];
    std::snprintf(text, sizeof text, "%s %d %s %s [%c] %d %g %g %g %g %g %d %d", r.record, r.serial,
                  r.atomName, r.resName, r.chain, r.resSeq, double(r.x), double(r.y), double(r.z),
                  double(r.occupancy), double(r.tempFactor), r.hetero, r.model);
    return text;
}

const char kColumns[] = "loop_\n_ATOM_SITE.group_PDB\n_atom_site.id\n_atom_site.label_atom_id\n"
                        "_atom_site.label_alt_id\n_atom_site.label_comp_id\n"
                        "_atom_site.label_asym_id\n_atom_site.label_seq_id\n"
                        "_atom_site.pdbx_PDB_ins_code\n_atom_site.Cartn_x\n_atom_site.Cartn_y\n"
                        "_atom_site.Cartn_z\n_atom_site.occupancy\n_atom_site.B_iso_or_equiv\n"
                        "_atom_site.auth_seq_id\n_atom_site.auth_asym_id\n"
                        "_atom_site.auth_atom_id\n_atom_site.pdbx_PDB_model_num\n";

// Auth identifiers where given, label ones otherwise; every alternate location an atom; quotes,
// text fields, uncertainties and unknown values; chain names longer than one character; a link
// given as single items before the atoms, to the alternate location it names.
TEST(MmcifFileTest, ReadsAtomSiteAndLinks) {
    const PdbFile pdb =
        ReadText("data_test\n_struct_conn.id disulf1\n_struct_conn.conn_type_id disulf\n"
                 "_struct_conn.ptnr1_auth_asym_id A\n_struct_conn.ptnr1_auth_seq_id 1\n"
                 "_struct_conn.ptnr1_label_atom_id SG\n_struct_conn.ptnr2_auth_asym_id BB\n"
                 "_struct_conn.ptnr2_auth_seq_id 7\n_struct_conn.ptnr2_label_atom_id SG\n"
                 "_struct_conn.pdbx_ptnr2_label_alt_id B\n#\n" +
                 std::string(kColumns) +
                 "ATOM 1 SG . CYS C 1 ? 1.5 2.5(3) 3.5 ? ? 1 A SG 1\n"
                 "ATOM 2 SG A CYS D 7 ? 4.0 0 0 0.5 10.0 7 BB SG 1\n"
                 "ATOM 3 SG B CYS D 7 ? 4.2 0 0 0.5 10.0 7 BB SG 1\n"
                 "ATOM 4 \"C3'\" . DA E 1 A 0 0 0 1 0 ? B ? 1\n"
                 "HETATM 5 O . HOH F . ? 9 9 9 1 0 301 A O 1\n"
                 "ATOM 6 N . \n;ALA\n;\n G 1 ? 0 0 0 1 0 1 AA N 1\n#\n");
    const std::vector<std::string> expected = {
        "ATOM 1 SG CYS [A] 1 1.5 2.5 3.5 1 0 0 0", "ATOM 2 SG CYS [B] 7 4 0 0 0.5 10 0 0",
        "ATOM 3 SG CYS [B] 7 4.2 0 0 0.5 10 0 0",
        "ATOM 4 C3' DA [C] 1 0 0 0 1 0 0 0", // chain B, right after BB
        "HETATM 5 O HOH [A] 301 9 9 9 1 0 1 0",    "ATOM 6 N ALA [B] 1 0 0 0 1 0 0 0",
    };
    ASSERT_EQ(pdb.atomCount, 6);
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(Fields(pdb.records[i]), expected[i]);
    ASSERT_EQ(pdb.conectCount, 2);
    EXPECT_TRUE(pdb.conectsAreLinks);
    EXPECT_EQ(pdb.bondCount, 1);
    EXPECT_EQ(pdb.conects[0].owner, 1);
    EXPECT_EQ(*pdb.conects[0].bonded.begin(), 3);
    EXPECT_EQ(pdb.conects[1].owner, 3);
}

// Several models keep their numbers; links of other kinds, or to a symmetry mate, are no bonds;
// tables after the first block with atoms are passed over.
TEST(MmcifFileTest, ModelsLinkKindsAndLaterBlocks) {
    const std::string links = "loop_\n_struct_conn.conn_type_id\n_struct_conn.ptnr1_auth_asym_id\n"
                              "_struct_conn.ptnr1_auth_seq_id\n_struct_conn.ptnr1_label_atom_id\n"
                              "_struct_conn.ptnr2_auth_asym_id\n_struct_conn.ptnr2_auth_seq_id\n"
                              "_struct_conn.ptnr2_label_atom_id\n_struct_conn.ptnr2_symmetry\n"
                              "metalc A 1 ZN A 2 NE2 1_555\nhydrog A 1 ZN A 2 N 1_555\n"
                              "covale_base A 1 ZN A 2 N 2_665\ncovale A 2 N A 3 N ?\n";
    const PdbFile pdb = ReadText(
        "data_one\n" + links + std::string(kColumns) +
        "HETATM 1 ZN . ZN A 1 ? 0 0 0 1 0 1 A ZN 1\nATOM 2 NE2 . HIS A 2 ? 2 0 0 1 0 2 A NE2 1\n"
        "ATOM 3 N . HIS A 2 ? 3 0 0 1 0 2 A N 1\nHETATM 11 ZN . ZN A 1 ? 0 0 1 1 0 1 A ZN 2\n"
        "ATOM 12 NE2 . HIS A 2 ? 2 0 1 1 0 2 A NE2 2\nATOM 13 N . HIS A 2 ? 3 0 1 1 0 2 A N 2\n"
        "data_two\n" +
        std::string(kColumns) + "ATOM 1 C . ALA A 1 ? 0 0 0 1 0 1 A C 1\n");
    ASSERT_EQ(pdb.atomCount, 6);
    EXPECT_EQ(pdb.records[0].model, 1);
    EXPECT_EQ(pdb.records[5].model, 2);
    ASSERT_EQ(pdb.conectCount, 2); // the metal link only, within the first model
    EXPECT_EQ(pdb.conects[0].owner, 1);
    EXPECT_EQ(*pdb.conects[0].bonded.begin(), 2);
}

// Malformed text: "Error parsing file!", the line and what is wrong.
TEST(MmcifFileTest, RefusesMalformedTextNamingTheLine) {
    const std::string head = "data_x\nloop_\n_atom_site.id\n_atom_site.label_atom_id\n"
                             "_atom_site.Cartn_x\n_atom_site.Cartn_y\n_atom_site.Cartn_z\n";
    const std::string row = "1 C 1 2 3\n"; // line 8
    const std::string cases[][2] = {
        {head + row + "2 C 1 2\n", "Line 9: a row of 4 values in a loop of 5 columns"},
        {"data_x\n_cell.length_a 10\n", "Line 2: no atom_site table in the file"},
        {"data_x\n#\n", "Line 2: no atom_site table in the file"},
        {"", "Line 1: no atom_site table in the file"},
        {"HEADER x\n", "Line 1: expected block header (data_)"},
        {head + "_atom_site.Cartn_Y\n" + row,
         "Line 8: the column _atom_site.Cartn_Y is given twice"},
        {head + "_cell.length_a\n" + row, "Line 8: a loop that mixes _cell.length_a with another "
                                          "table"},
        {head + "1 'C 1 2 3\n", "Line 8: unterminated 'string'"},
        {head + "1 C 1 2,5 3\n", "Line 8: _atom_site.Cartn_y is not a number"},
        {head + "1 C 1 ? 3\n", "Line 8: an atom without a position (_atom_site.Cartn_y)"},
        {head + "1 LONGNAME 1 2 3\n", "Line 8: the atom name LONGNAME is too long"},
        {head + "1 ? 1 2 3\n", "Line 8: an atom without a name"},
        {"data_x\nloop_\n_atom_site.id\n_atom_site.label_atom_id\n1 C\n",
         "Line 5: the atom_site table has no Cartn_x column"},
        {head + row + head.substr(7), "Line 10: a second atom_site table"},
        {"data_x\n_atom_site.id\n", "Line 2: a tag without a value"},
        {head + row + ";text\nnever ended\n", "Line 10: unterminated text field"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ErrorOfText(c[0]), "Error parsing file! " + c[1]) << c[0];
    // Unknown columns and tables are passed over.
    EXPECT_EQ(ErrorOfText(head + "_atom_site.vorn_unknown\n1 C 1 2 3 'x y'\n_vorn.table x\n"),
              "no error");
}

// Errors met while the parser is deep in the text name the line where it stood, not the start of
// the file: a value longer than the text window, and an error of the atoms that a damaged
// compressed stream explains (the stream had already broken off when the atoms failed).
TEST(MmcifFileTest, ErrorsDeepInTheTextNameTheirLine) {
    std::string text = "data_x\nloop_\n_atom_site.id\n_atom_site.label_atom_id\n"
                       "_atom_site.Cartn_x\n_atom_site.Cartn_y\n_atom_site.Cartn_z\n";
    for (int i = 1; i <= 3000; ++i)
        text += std::to_string(i) + " C " + std::to_string(i % 97) + " 2 3\n";
    const std::string badLine = std::to_string(std::count(text.begin(), text.end(), '\n') + 1);
    EXPECT_EQ(ErrorOfText(text + "9 C 1 '" + std::string(5u << 20, 'x') + "' 3\n"),
              "Error parsing file! Line " + badLine +
                  ": a value or blank stretch longer than 4 MiB");

    text += "9 C 1 x 3\n";
    for (int i = 0; i < 100; ++i)
        text += "10 C 1 2 3\n";
    std::string packed(compressBound(static_cast<uLong>(text.size())) + 64, '\0');
    z_stream z{};
    deflateInit2(&z, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
    z.next_in = reinterpret_cast<Bytef*>(&text[0]);
    z.avail_in = static_cast<uInt>(text.size());
    z.next_out = reinterpret_cast<Bytef*>(&packed[0]);
    z.avail_out = static_cast<uInt>(packed.size());
    deflate(&z, Z_FINISH);
    packed.resize(z.total_out - 20); // the end of the stream and its check are lost
    deflateEnd(&z);
    const std::string path = ScratchPath("damaged.cif.gz");
    std::ofstream(path, std::ios::binary) << packed;
    EXPECT_EQ(ErrorOf([&] {
                  PdbFile pdb;
                  ReadMmcifFile(path, pdb);
              }),
              "Error parsing file! Line " + badLine + ": the compressed data are damaged");
}

// Every record as text, and the links.
std::vector<std::string> Summary(const PdbFile& pdb) {
    std::vector<std::string> lines;
    for (const PdbRecord& r : pdb.records)
        lines.push_back(Fields(r));
    lines.push_back("conects " + std::to_string(pdb.conectCount) + " bonds " +
                    std::to_string(pdb.bondCount));
    return lines;
}

// Runs of unquoted loop values are read a window of text at a time outside the general CIF
// rules, which take over at whatever the run is not sure of. Whatever the window, and whether
// the values come unquoted amid comments, tabs and CR LF line ends or quoted one per line, the
// records are the same; a long value across the end of the parser's 64 KiB of text too.
TEST(MmcifFileTest, LoopValuesReadTheSameAtEveryWindowAndInEveryForm) {
    const char* const names[] = {"N", "CA", "C3'", "data", "loop", "Stop", "[x]", "C#1", "O"};
    const char* const notes[] = {"n", "xdata_", "a#b", "dAtA", "global", "x_loop_", "q\"q"};
    std::vector<std::vector<std::string>> rows;
    for (int i = 0; i < 150; ++i) {
        const std::string name = names[i % 9];
        std::string note = notes[i % 7];
        if (i % 3 == 0)
            note = std::string(std::size_t(250 + i * 7), 'a' + char(i % 26));
        rows.push_back({i % 5 ? "ATOM" : "HETATM", std::to_string(i + 1), name, i % 4 ? "." : "A",
                        i % 70 == 7 ? ";ALA" : "GLY", i % 11 ? "B" : "?", std::to_string(i / 3 + 1),
                        i % 13 ? "?" : "C", std::to_string(i) + ".5",
                        "-" + std::to_string(i % 17) + ".25", i % 6 ? "3" : "4.0(2)", "1.00",
                        "20.5", std::to_string(i / 3 + 1), i % 11 ? "A" : "BB", name, "1", note});
    }
    const std::string head = std::string("data_x\n") + kColumns + "_atom_site.vorn_note\n";
    // Unquoted: varied blanks, comments between values, CR LF on some lines, a text field for
    // the residue names that open with ';'.
    std::string plain;
    const char* const gaps[] = {" ", "\t", "   ", " # between\n", "\r\n", " \t#\r\n  "};
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (std::size_t c = 0; c < rows[r].size(); ++c) {
            const std::string& v = rows[r][c];
            plain += v[0] == ';' ? "\n" + v + "\n;\n" : v;
            plain += gaps[(r * 7 + c) % 6];
        }
        plain += r % 2 ? "\r\n" : "\n";
    }
    // Quoted, one value per line: the general rules read every value.
    std::string quoted;
    for (const auto& row : rows)
        for (const std::string& v : row)
            quoted += v[0] == ';'              ? v + "\n;\n"
                      : (v == "?" || v == ".") ? v + "\n"
                                               : "'" + v + "'\n";

    // Padding puts a long value 100 bytes before the end of the parser's first 64 KiB, where the
    // rows before it leave the parser no cause to read ahead.
    const std::string firstLong = rows[60].back();
    const std::size_t at = head.size() + plain.find(firstLong);
    ASSERT_LT(at, std::size_t{65536 - 100});
    const std::string pad = "#" + std::string(65536 - 100 - at - 2, 'p') + "\n";
    const std::string text = head + pad + plain;
    ASSERT_EQ(text.find(firstLong), std::size_t{65536 - 100});

    const std::vector<std::string> expected = Summary(ReadText(head + quoted));
    ASSERT_EQ(expected.size(), rows.size() + 1);
    EXPECT_EQ(expected[3], "ATOM 4 DATA GLY [A] 2 3.5 -3.25 3 1 20.5 0 0");
    const std::string path = WriteText(text);
    for (const std::size_t window : {0, 1, 2, 5, 7, 64, 4096, 1 << 16})
        EXPECT_EQ(Summary(ReadWithWindow(path, window)), expected) << "window " << window;
    EXPECT_EQ(Summary(ReadText(text)), expected);

    // Errors deep in the rows name their line whatever the window (ErrorOfText compares them).
    const std::string line = std::to_string(std::count(text.begin(), text.end(), '\n') + 1);
    const std::string bad = "ATOM 999 C . GLY B 1 ? 1 2 ";
    EXPECT_EQ(ErrorOfText(text + bad + "x 1 1 1 B C 1 n\n"),
              "Error parsing file! Line " + line + ": _atom_site.Cartn_z is not a number");
    const std::string next = std::to_string(std::stoi(line) + 1);
    EXPECT_EQ(ErrorOfText(text + bad + "3 1 1 1 B C 1 n\n\x01\n"),
              "Error parsing file! Line " + next + ": expected a tag, loop_ or a data block");
    EXPECT_EQ(ErrorOfText(text + bad + "3 1 1 1 B C 1 n\r\n" + bad + "3\n"),
              "Error parsing file! Line " + next + ": a row of 11 values in a loop of 18 columns");
}

// The same entries as their PDB files: 2BEG holds one model of the mmCIF's ten; this 1A8O mmCIF
// marks its selenomethionines ATOM where the PDB file has HETATM.
TEST(MmcifFileTest, ReadsTheRecordsOfThePdbFile) {
    for (const char* entry : {"2BEG", "1A8O"}) {
        PdbFile pdb, cif;
        ASSERT_TRUE(pdb.Read(kData + "/" + entry + ".pdb"));
        const bool packed = entry[0] == '2';
        ReadMmcifFile(kData + "/" + entry + (packed ? ".cif.gz" : ".cif"), cif);
        ASSERT_EQ(cif.atomCount, pdb.atomCount * (packed ? 10 : 1)) << entry;
        int differing = 0;
        for (int i = 0; i < pdb.atomCount; ++i) {
            PdbRecord a = pdb.records[std::size_t(i)], b = cif.records[std::size_t(i)];
            // In PDB files TER records take serials, and the waters after TER a chain of their
            // own.
            a.serial = b.serial = 0;
            if (a.hetero && b.hetero)
                a.chain = b.chain;
            if (std::string(a.resName) == "MSE" && a.hetero != b.hetero) {
                ++differing;
                b = a;
            }
            EXPECT_EQ(Fields(a), Fields(b)) << entry << " " << i;
        }
        EXPECT_EQ(differing, packed ? 0 : 32) << entry;
    }
    PdbFile links;
    ReadMmcifFile(kData + "/1A8O.cif", links);
    EXPECT_EQ(links.bondCount, 7); // a disulfide and six peptide bonds of selenomethionines
}

TEST(MmcifFileTest, TellsMmcifByContent) {
    EXPECT_TRUE(IsMmcifFile(WriteText("# made by hand\n\n  DATA_x\n")));
    EXPECT_TRUE(IsMmcifFile(kData + "/2BEG.cif.gz"));
    EXPECT_FALSE(IsMmcifFile(kData + "/1crn.pdb"));
    EXPECT_FALSE(IsMmcifFile(WriteText("")));
    EXPECT_FALSE(IsMmcifFile(kData + "/no_such_file.cif"));
}

} // namespace

} // namespace vorn
