// The document's side of fetching a structure by entry code: the request URL from its template,
// the lists of servers and codes that worked, and reading the downloaded file.
#pragma once

#include <string>
#include <vector>

namespace vorn {

class CVornDoc;

// The markers of a request template.
extern const char kServerMarker[]; // "%SERVER%"
extern const char kEntryMarker[];  // "%PDBID%"

// Templates the download window offers; the first is its initial text.
extern const char* const kRequestTemplates[];
extern const int kRequestTemplateCount;

// The URL of a template with every server marker replaced by server and every entry marker by
// code, nothing else changed. False (url untouched) when the template lacks either marker.
bool RequestUrl(const std::string& requestTemplate, const std::string& server,
                const std::string& code, std::string& url);

// The end a downloaded file's name keeps so that its type is found by name: ".cif.gz", ".cif",
// ".pdb.gz" or ".pdb" by the end of the URL's path (query and fragment ignored, case ignored;
// ".mmcif" counts as ".cif", ".ent" as ".pdb").
std::string DownloadSuffix(const std::string& url);

// Appends text to the list unless an entry equals it with case ignored (or it is empty).
void RememberEntry(std::vector<std::string>& list, const std::string& text);

// Reads a downloaded file through the document's pipeline as a new molecule titled code, and
// removes the file whether or not it could be read. Raises VornError: the reader's own message,
// "Can't read pdb file -- please check server and pdb id" when the file holds no atoms, "Can't
// remove temporary pdb file" when the file stays. A failed read leaves the molecules as they
// were.
void ReadDownloadedEntry(CVornDoc& doc, const std::string& file, const std::string& code);

} // namespace vorn
