// Request URLs, remembered servers and codes, and the reading of a downloaded structure.
#include "document/StructureDownload.h"

#include "core/VornError.h"
#include "document/VornDoc.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <iterator>

namespace vorn {

const char kServerMarker[] = "%SERVER%";
const char kEntryMarker[] = "%PDBID%";

// The archive's compressed and plain entries under their old path, then today's download paths
// of the PDB and mmCIF formats (only mmCIF holds the largest entries).
const char* const kRequestTemplates[] = {
    "http://%SERVER%/pdb/files/%PDBID%.pdb.gz",
    "http://%SERVER%/pdb/files/%PDBID%.pdb",
    "https://%SERVER%/download/%PDBID%.pdb.gz",
    "https://%SERVER%/download/%PDBID%.cif.gz",
};
const int kRequestTemplateCount = static_cast<int>(std::size(kRequestTemplates));

namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

bool SameIgnoringCase(const std::string& a, const std::string& b) {
    return Lower(a) == Lower(b);
}

} // namespace

bool RequestUrl(const std::string& requestTemplate, const std::string& server,
                const std::string& code, std::string& url) {
    if (requestTemplate.find(kServerMarker) == std::string::npos ||
        requestTemplate.find(kEntryMarker) == std::string::npos)
        return false;
    // One pass over the template: a server or code that holds a marker is not replaced again.
    const std::string serverMarker = kServerMarker, entryMarker = kEntryMarker;
    std::string text;
    for (size_t at = 0; at < requestTemplate.size();) {
        if (requestTemplate.compare(at, serverMarker.size(), serverMarker) == 0) {
            text += server;
            at += serverMarker.size();
        } else if (requestTemplate.compare(at, entryMarker.size(), entryMarker) == 0) {
            text += code;
            at += entryMarker.size();
        } else {
            text += requestTemplate[at++];
        }
    }
    url = text;
    return true;
}

std::string DownloadSuffix(const std::string& url) {
    const std::string path = Lower(url.substr(0, url.find_first_of("?#")));
    const bool cif = CVornDoc::FileTypeOfName(path) == kFileMmcif;
    return std::string(cif ? ".cif" : ".pdb") + (EndsWith(path, ".gz") ? ".gz" : "");
}

void RememberEntry(std::vector<std::string>& list, const std::string& text) {
    if (text.empty())
        return;
    for (const std::string& entry : list)
        if (SameIgnoringCase(entry, text))
            return;
    list.push_back(text);
}

void ReadDownloadedEntry(CVornDoc& doc, const std::string& file, const std::string& code) {
    bool read = false;
    try {
        read = doc.ReadCoordinateFile(file);
    } catch (...) {
        std::remove(file.c_str());
        throw;
    }
    if (std::remove(file.c_str()) != 0 && read) {
        doc.title = code; // the structure is there; only its file stayed behind
        VORN_RAISE("VornDoc", "Can't remove temporary pdb file");
    }
    if (!read)
        VORN_RAISE("VornDoc", "Can't read pdb file -- please check server and pdb id");
    doc.title = code;
}

} // namespace vorn
