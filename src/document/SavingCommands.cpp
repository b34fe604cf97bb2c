// Save Coordinates and Export Trajectory over the document's molecules.
#include "document/SavingCommands.h"

#include "core/UiHost.h"
#include "document/VornDoc.h"
#include "model/MoleculeWriter.h"

#include <vector>

namespace vorn {

std::string SaveDocumentCoordinates(const CVornDoc& doc, const std::string& fileName, int type,
                                    int precision, bool conect, bool normalise) {
    std::vector<const Molecule*> molecules;
    for (const auto& mol : doc.molecules)
        molecules.push_back(mol.get());
    return SaveCoordinates(molecules, fileName, type, precision, conect, normalise);
}

bool ExportPrimaryTrajectory(CVornDoc& doc, const std::string& fileName, int start, int stop,
                             UiHost* ui) {
    if (!doc.primary) {
        if (ui)
            ui->ShowMessage("Cannot export a zero length trajectory");
        return false;
    }
    // The frames are written as stored; index 0 shows the structure itself meanwhile.
    struct FrameIndexKept {
        CVornDoc& doc;
        int index;
        ~FrameIndexKept() { doc.SetFrame(index); }
    } kept{doc, doc.FrameIndex()};
    doc.SetFrame(0);
    return ExportTrajectory(*doc.primary, fileName, start, stop, ui);
}

} // namespace vorn
