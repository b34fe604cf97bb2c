// The commands that move molecules in and out of the document: Paste of a number column, Save
// Coordinates, Export Trajectory and the structure download.
#include "app/GlWidget.h"
#include "app/MainFrame.h"
#include "app/dialogs/CustomColorsDialog.h"
#include "app/dialogs/DownloadDialog.h"
#include "app/dialogs/PasteDialog.h"
#include "app/dialogs/SavingDialogs.h"
#include "appearance/ColorScheme.h"
#include "core/VornError.h"
#include "document/PasteColumn.h"
#include "document/SavingCommands.h"
#include "document/StructureDownload.h"
#include "document/VornDoc.h"
#include "render/Ribbons.h"
#include "render/VornView.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>

#include <algorithm>
#include <climits>

namespace vorn {

void CMainFrame::AddExchangeFileCommands(QMenu* file) {
    AddCommand(file, "&Query PDB Database ...", [this] { QueryPdbDatabase(); });
    AddCommand(
        file, "Sa&ve Coord ...", [this] { SaveCoordinatesCommand(); }, {},
        [this] { return m_doc.MoleculeCount() > 0; });
    AddCommand(
        file, "Export &Traj ...", [this] { ExportTrajectoryCommand(); }, {},
        [this] { return m_doc.primary != nullptr; });
}

void CMainFrame::AddPasteCommand(QMenu* edit) {
    AddCommand(
        edit, "&Paste", [this] { PasteNumbers(); }, {}, [this] { return m_doc.primary != nullptr; })
        ->setShortcut(QKeySequence::Paste);
}

// Nothing changes until every number has been read and the window's choice fits the molecule.
void CMainFrame::PasteNumbers() {
    Molecule* mol = m_doc.primary;
    if (!mol)
        return;
    const QMimeData* data = QApplication::clipboard()->mimeData();
    if (!data) {
        ShowMessage("Unable to open clipboard!");
        return;
    }
    if (!data->hasText()) {
        ShowMessage("Sorry -- only ASCII text can be pasted!");
        return;
    }
    const ClipboardNumbers numbers = ParseClipboardNumbers(data->text().toStdString());
    if (numbers.refusal == kNonNumericWarning) {
        ShowMessage(kNonNumericWarning);
        ShowMessage(kUnreadableClipboard);
        return;
    }
    if (!numbers.refusal.empty()) {
        ShowMessage(numbers.refusal);
        return;
    }
    if (numbers.negativeFound)
        ShowMessage(kNegativeWarning);
    const size_t count = numbers.values.size();
    const PasteCounts counts{mol->AtomCount(), mol->ResidueCount(),
                             static_cast<int>(std::min<size_t>(count, INT_MAX))};
    PasteDialog dialog(
        counts, [mol, count](const PasteRequest& r) { return PasteRefusal(*mol, r, count); }, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const std::string refusal = PasteValues(*mol, dialog.Request(), numbers.values);
    if (!refusal.empty()) {
        ShowMessage(refusal);
        return;
    }
    // Colours by temperature or occupancy follow the new values, and so do the tubes.
    if (m_customColors && m_customColors->isVisible())
        ApplyColorScheme(*mol, m_doc.colorTables, m_customColors->Request());
    RunView([mol](CVornView& v) {
        SetRibbonProfile(*mol, mol->renderMode);
        v.Redraw();
    });
}

void CMainFrame::SaveCoordinatesCommand() {
    SaveCoordinatesDialog dialog(this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const SaveChoice c = dialog.Choice();
    Run([&] {
        SaveDocumentCoordinates(m_doc, c.fileName.toStdString(), c.type, c.precision, c.conect,
                                c.normalise);
    });
}

void CMainFrame::ExportTrajectoryCommand() {
    const int frames = m_doc.primary ? m_doc.primary->frames.Count() : 0;
    if (frames == 0) {
        ShowMessage("Cannot export a zero length trajectory");
        return;
    }
    ExportTrajectoryDialog dialog(1, frames, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const ExportChoice c = dialog.Choice();
    Run([&] { ExportPrimaryTrajectory(m_doc, c.fileName.toStdString(), c.start, c.stop, this); });
    RunView([](CVornView& v) { v.Redraw(); });
}

// The window keeps the file until it closes; the document reads it and removes it first.
void CMainFrame::QueryPdbDatabase() {
    DownloadDialog dialog(m_doc.servers, m_doc.identifiers, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const std::string code = dialog.Code().toStdString();
    RememberEntry(m_doc.identifiers, code);
    RememberEntry(m_doc.servers, dialog.Server().toStdString());
    try {
        ReadDownloadedEntry(m_doc, dialog.FileName().toStdString(), code);
        SetDocumentTitle(m_doc.title);
    } catch (const VornError& e) {
        ShowMessage(e.what());
        // The molecules read before stay, and so does their title.
        SetDocumentTitle(m_doc.primary ? m_doc.title : "No Molecule Loaded");
    } catch (const std::exception&) {
        ShowMessage("Unable to read input file!");
        SetDocumentTitle(m_doc.primary ? m_doc.title : "No Molecule Loaded");
    }
    DocumentChanged();
}

} // namespace vorn
