// The document's commands that write its molecules out as PDB files: Save Coordinates and
// Export Trajectory.
#pragma once

#include <string>

namespace vorn {

class CVornDoc;
class UiHost;

// Writes every molecule of the document, in list order, into one file (see SaveCoordinates);
// returns the name written. Raises VornError, the old file untouched.
std::string SaveDocumentCoordinates(const CVornDoc& doc, const std::string& fileName, int type,
                                    int precision, bool conect, bool normalise);

// Writes frames start .. stop (1-based) of the primary molecule (see ExportTrajectory). The
// document shows frame index 0 meanwhile and the index it showed before afterwards, whatever
// happens. Refusals go to ui; false when nothing was written.
bool ExportPrimaryTrajectory(CVornDoc& doc, const std::string& fileName, int start, int stop,
                             UiHost* ui);

} // namespace vorn
