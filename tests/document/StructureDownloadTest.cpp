// Request URLs, remembered servers and codes, and reading a downloaded file into the document.
#include "document/StructureDownload.h"

#include "RaisedError.h"
#include "ScratchFiles.h"
#include "document/VornDoc.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vorn {

namespace {

const std::string kData = VORN_TEST_DATA;

// A copy of a data file (or a text) under a scratch name, as the download leaves it.
std::string Downloaded(const std::string& name, const std::string& source) {
    const std::string path = ScratchPath(name);
    std::filesystem::copy_file(source, path, std::filesystem::copy_options::overwrite_existing);
    return path;
}

std::string DownloadedText(const std::string& name, const std::string& text) {
    const std::string path = ScratchPath(name);
    std::ofstream(path) << text;
    return path;
}

} // namespace

TEST(StructureDownload, BuildsTheUrlFromTheTemplateAndTheFileSuffixFromTheUrl) {
    std::string url = "untouched";
    ASSERT_TRUE(RequestUrl(kRequestTemplates[0], "S", "1abc", url));
    EXPECT_EQ(url, "http://S/pdb/files/1abc.pdb.gz");
    ASSERT_TRUE(RequestUrl("%SERVER%/%PDBID%/%SERVER%/%PDBID", "a.b", "1CKW", url));
    EXPECT_EQ(url, "a.b/1CKW/a.b/%PDBID");
    // What the user typed is used as it is, and never taken for a marker.
    ASSERT_TRUE(RequestUrl("https://%SERVER%/x/%PDBID%.cif", "h%PDBID%", "%SERVER%", url));
    EXPECT_EQ(url, "https://h%PDBID%/x/%SERVER%.cif");

    ASSERT_TRUE(RequestUrl(kRequestTemplates[3], CVornDoc().servers.front(), "1ckw", url));
    EXPECT_EQ(url, "https://files.rcsb.org/download/1ckw.cif.gz");

    url = "untouched";
    EXPECT_FALSE(RequestUrl("http://%SERVER%/pdb/files/1abc.pdb.gz", "S", "1abc", url));
    EXPECT_FALSE(RequestUrl("http://host/%PDBID%.pdb", "S", "1abc", url));
    EXPECT_FALSE(RequestUrl("http://%server%/%pdbid%", "S", "1abc", url));
    EXPECT_EQ(url, "untouched");

    // The temporary file keeps the end that tells its type by name.
    EXPECT_EQ(DownloadSuffix("http://s/pdb/files/1abc.pdb.gz"), ".pdb.gz");
    EXPECT_EQ(DownloadSuffix("http://s/pdb/files/1abc.pdb"), ".pdb");
    EXPECT_EQ(DownloadSuffix("https://s/download/1ABC.CIF.GZ"), ".cif.gz");
    EXPECT_EQ(DownloadSuffix("https://s/download/1abc.cif?format=x#top"), ".cif");
    EXPECT_EQ(DownloadSuffix("https://s/1abc.mmcif.gz"), ".cif.gz");
    EXPECT_EQ(DownloadSuffix("https://s/pdb1abc.ent.gz"), ".pdb.gz");
    EXPECT_EQ(DownloadSuffix("https://s/view?id=1abc.cif"), ".pdb");
    EXPECT_EQ(DownloadSuffix("https://s/entry/1abc"), ".pdb");
}

TEST(StructureDownload, RemembersNewEntriesOnceWhateverTheirCase) {
    std::vector<std::string> list{"1ckw"};
    RememberEntry(list, "1CKW");
    RememberEntry(list, "");
    RememberEntry(list, "2abc");
    RememberEntry(list, "2ABC");
    EXPECT_EQ(list, (std::vector<std::string>{"1ckw", "2abc"}));
}

TEST(StructureDownload, ReadsPlainCompressedAndMmcifFilesAndRemovesThem) {
    const struct {
        std::string name, source;
        int atoms;
    } files[] = {{"dl.pdb", kData + "/1crn.pdb", 327},
                 {"dl.pdb.gz", kData + "/1a28.pdb.gz", 0},
                 {"dl.cif.gz", kData + "/2BEG.cif.gz", 0}};
    CVornDoc doc;
    int read = 0;
    for (const auto& f : files) {
        const std::string path = Downloaded(f.name, f.source);
        ReadDownloadedEntry(doc, path, "c" + std::to_string(read));
        ++read;
        EXPECT_FALSE(std::filesystem::exists(path)) << f.name;
        EXPECT_EQ(doc.MoleculeCount(), read);
        EXPECT_EQ(doc.title, "c" + std::to_string(read - 1));
        EXPECT_EQ(doc.primary, &doc.MoleculeAt(read - 1));
        if (f.atoms)
            EXPECT_EQ(doc.primary->AtomCount(), f.atoms);
        else
            EXPECT_GT(doc.primary->AtomCount(), 100) << f.name;
    }
}

// A file that does not read leaves no file and no new molecule (the GUI tests send an HTML page
// and a gzip bomb).
TEST(StructureDownload, AFileThatDoesNotReadLeavesTheDocumentAsItWas) {
    CVornDoc doc;
    ASSERT_TRUE(doc.ReadCoordinateFile(kData + "/1crn.pdb"));
    doc.title = "1crn.pdb";
    Molecule* before = doc.primary;
    const struct {
        std::string path, message;
    } cases[] = {
        {DownloadedText("empty.pdb.gz", ""),
         "Can't read pdb file -- please check server and pdb id"},
        {Downloaded("cut.pdb.gz", kData + "/bad/truncated.pdb.gz"), "Error parsing file!"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ErrorOf([&] { ReadDownloadedEntry(doc, c.path, "9xyz"); }), c.message);
        EXPECT_FALSE(std::filesystem::exists(c.path)) << c.path;
        EXPECT_EQ(doc.MoleculeCount(), 1);
        EXPECT_EQ(doc.primary, before);
        EXPECT_TRUE(before->active);
        EXPECT_EQ(doc.title, "1crn.pdb");
    }
}

} // namespace vorn
