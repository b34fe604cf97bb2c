// The main window's surface and clipping commands: "Solid", "Mesh", "Dots" and the Surface
// Options sheet, the surface-area reports, and the Clipping entries of the View menu.
#include "analysis/VornSurface.h"
#include "app/GlWidget.h"
#include "app/MainFrame.h"
#include "app/WaitCursor.h"
#include "app/dialogs/AreaReportDialog.h"
#include "app/dialogs/SurfaceOptionsDialog.h"
#include "document/VornDoc.h"
#include "render/ViewParameters.h"
#include "render/VornView.h"

#include <QMenu>

#include <utility>

namespace vorn {

void CMainFrame::AddSurfaceCommands(QMenu* menu) {
    const auto loaded = [this] { return m_doc.primary != nullptr; };
    const std::pair<const char*, int> styles[] = {
        {"Solid", kSolidSurface}, {"Mesh", kMeshSurface}, {"Dots", kDotSurface}};
    for (const auto& [label, style] : styles)
        AddCommand(
            menu, label,
            [this, style = style] {
                RunSurfaceBuild([style](CVornView& v) { v.SurfaceCommand(style); });
            },
            [this, style = style] { return m_glView->View().SurfaceStyleShown(style); }, loaded);
    menu->addSeparator();
    AddCommand(menu, "Surface Options ...", [this] { ShowSurfaceOptions(); });
}

void CMainFrame::AddSurfaceAreaCommands(QMenu* menu) {
    const auto loaded = [this] { return m_doc.primary != nullptr; };
    AddCommand(
        menu, "by residue ...", [this] { ShowSurfaceArea(true); }, {}, loaded);
    AddCommand(
        menu, "by atom ...", [this] { ShowSurfaceArea(false); }, {}, loaded);
}

void CMainFrame::AddClippingCommands(QMenu* menu) {
    const ViewParameters& p = m_glView->View().params;
    AddViewCommand(
        menu, "Clip View", [](CVornView& v) { v.ToggleClipView(); }, [&p] { return p.clipView; });
    AddViewCommand(
        menu, "Clip Surface", [](CVornView& v) { v.ToggleClipSurface(); },
        [&p] { return p.clipSurface; });
    AddViewCommand(
        menu, "Display Clip Plane", [](CVornView& v) { v.ToggleDisplayClipPlane(); },
        [&p] { return p.displayClipPlane; });
    AddViewCommand(menu, "Center Clip Plane", [](CVornView& v) { v.CenterClipPlane(); });
}

// The view reports a build's progress in the status bar (through this window as its UiHost).
// RunView would show a failure only after the command has returned, from the event loop; here
// it is shown at once: Run catches it once the wait cursor and the context are released.
void CMainFrame::RunSurfaceBuild(const std::function<void(CVornView&)>& command) {
    Run([&] {
        const WaitCursor wait;
        m_glView->CommandRaising(command);
    });
}

// The sheet shows the primary molecule's surface options (the defaults while none is loaded)
// and applies to every active molecule.
void CMainFrame::ShowSurfaceOptions() {
    const auto fill = [this] {
        if (m_surfaceOptions)
            m_surfaceOptions->ShowOptions(m_doc.primary ? SurfaceOptionsOf(m_doc.primary->surface)
                                                        : SurfaceOptions());
    };
    if (!m_surfaceOptions) {
        m_surfaceOptions = new SurfaceOptionsDialog(this);
        m_surfaceOptions->setAttribute(Qt::WA_DeleteOnClose);
        connect(m_surfaceOptions, &SurfaceOptionsDialog::applied, this,
                [this](const SurfaceOptions& o) {
                    RunView([&](CVornView& v) { v.ApplySurfaceOptions(o); });
                });
        connect(m_surfaceOptions, &SurfaceOptionsDialog::rebuildRequested, this,
                [this](const SurfaceOptions& o) {
                    RunSurfaceBuild([&](CVornView& v) {
                        v.ApplySurfaceOptions(o);
                        v.RebuildSurfaces();
                    });
                });
        // Another primary molecule (read, deleted, made primary): the sheet shows its options.
        connect(m_glView, &VornGlWidget::moleculesChanged, m_surfaceOptions, fill);
    }
    fill();
    m_surfaceOptions->show();
    m_surfaceOptions->raise();
}

// A primary molecule without a surface gets one for the report alone, built with its surface's
// settings and discarded afterwards.
void CMainFrame::ShowSurfaceArea(bool byResidue) {
    Molecule* mol = m_doc.primary;
    if (!mol)
        return;
    std::string report;
    RunSurfaceBuild([&](CVornView&) { report = SurfaceAreaReport(*mol, byResidue, this); });
    if (report.empty())
        return; // the build failed, and said so
    AreaReportDialog(byResidue ? kResidueAreaTitle : kAtomAreaTitle, report, this).exec();
}

} // namespace vorn
