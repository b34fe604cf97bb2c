// The menus of the main window, their commands and update handlers (check marks and enabled
// states, refreshed whenever a menu opens).
#include "app/GlWidget.h"
#include "app/MainFrame.h"
#include "document/VornDoc.h"
#include "render/ViewParameters.h"
#include "render/VornView.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>

namespace vorn {

namespace {

// The render mode of the active molecules (of the first one), or -1 when none is active.
int ActiveRenderMode(const CVornDoc& doc) {
    for (const auto& mol : doc.molecules)
        if (mol->active)
            return mol->renderMode;
    return -1;
}

} // namespace

QAction* CMainFrame::AddCommand(QMenu* menu, const QString& label, std::function<void()> command,
                                std::function<bool()> checked, std::function<bool()> enabled) {
    QAction* action = menu->addAction(label);
    action->setCheckable(static_cast<bool>(checked));
    connect(action, &QAction::triggered, this, [this, command] { Run(command); });
    if (checked || enabled)
        m_rules.push_back({action, std::move(checked), std::move(enabled)});
    return action;
}

QAction* CMainFrame::AddViewCommand(QMenu* menu, const QString& label,
                                    std::function<void(CVornView&)> command,
                                    std::function<bool()> checked) {
    return AddCommand(
        menu, label, [this, command] { RunView(command); }, std::move(checked));
}

void CMainFrame::UpdateMenus() {
    for (const UpdateRule& rule : m_rules) {
        if (rule.checked)
            rule.action->setChecked(rule.checked());
        if (rule.enabled)
            rule.action->setEnabled(rule.enabled());
    }
}

void CMainFrame::BuildMenus() {
    BuildFileMenu();
    BuildViewMenu();
    BuildMoleculeMenu();
    BuildAdjustMenu();
    BuildColorMenu();
    BuildOptionsMenu();
    BuildHelpMenu();
    for (QMenu* menu : menuBar()->findChildren<QMenu*>())
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateMenus);
    UpdateMenus();
}

void CMainFrame::BuildFileMenu() {
    m_fileMenu = menuBar()->addMenu("&File");
    AddCommand(m_fileMenu, "&Open Coord ...", [this] {
        OpenCoordinates();
    })->setShortcut(QKeySequence::Open);
    AddCommand(m_fileMenu, "Open &Coord &&Traj ...", [this] { OpenCoordinatesAndTrajectory(); });
    m_fileMenu->addSeparator();
    AddCommand(m_fileMenu, "Coordinate File Options", [this] { CoordinateFileOptions(); });
    m_recentSeparator = m_fileMenu->addSeparator();
    for (int i = 0; i < 4; ++i) {
        QAction* action = m_fileMenu->addAction(QString());
        connect(action, &QAction::triggered, this, [this, i] { OpenRecentFile(i); });
        m_recentActions.push_back(action);
    }
    m_fileMenu->addSeparator();
    QAction* exit = m_fileMenu->addAction("E&xit");
    exit->setShortcut(QKeySequence::Quit);
    connect(exit, &QAction::triggered, this, &QWidget::close);
    UpdateRecentFileMenu();
}

// "&1 name" .. "&4 name", the most recent first; the whole path in the tooltip and status tip.
void CMainFrame::UpdateRecentFileMenu() {
    for (size_t i = 0; i < m_recentActions.size(); ++i) {
        QAction* action = m_recentActions[i];
        const bool shown = i < m_recentFiles.size();
        action->setVisible(shown);
        if (!shown)
            continue;
        const QString path = QString::fromStdString(m_recentFiles[i]);
        action->setText(QString("&%1 %2").arg(i + 1).arg(QFileInfo(path).fileName()));
        action->setStatusTip(path);
        action->setToolTip(path);
    }
    m_recentSeparator->setVisible(!m_recentFiles.empty());
}

void CMainFrame::BuildViewMenu() {
    QMenu* view = menuBar()->addMenu("&View");
    const ViewParameters& p = m_glView->View().params;
    AddViewCommand(
        view, "Scale To &Fit", [](CVornView& v) { v.ToggleScaleToFit(); },
        [&p] { return p.scaleToFit; });
    AddViewCommand(
        view, "&Depth Cue", [](CVornView& v) { v.ToggleDepthCue(); }, [&p] { return p.depthCue; });
    AddViewCommand(
        view, "&Anti-alias lines", [](CVornView& v) { v.ToggleAntiAlias(); },
        [&p] { return p.lineAlias; });
    AddViewCommand(
        view, "Smooth the surface of 3D objects (spheres and cylinders)",
        [](CVornView& v) { v.ToggleSmooth3D(); }, [&p] { return p.smooth3D; });
    AddViewCommand(
        view, "Stereo view", [](CVornView& v) { v.ToggleStereo(); },
        [&p] { return p.displayStereo; });
    QMenu* width = view->addMenu("Line Width");
    for (int w = 1; w <= 5; ++w)
        AddViewCommand(
            width, QString::number(w), [w](CVornView& v) { v.SetLineWidth(float(w)); },
            [&p, w] { return p.lineWidth == float(w); });
    QMenu* quality = view->addMenu("Graphics Quality");
    const std::pair<const char*, int> presets[] = {
        {"High", kHighResolution}, {"Medium", kMediumResolution}, {"Low", kLowResolution}};
    for (const auto& [label, preset] : presets)
        AddViewCommand(
            quality, label, [preset = preset](CVornView& v) { v.SetResolution(preset); },
            [&p, preset = preset] { return p.resolution == preset; });
    AddCommand(
        quality, "Custom ...", [this] { ShowCustomResolution(); },
        [&p] { return p.resolution == kCustomResolution; });
    QMenu* motion = view->addMenu("Motion");
    QMenu* sensitivity = motion->addMenu("Sensitivity");
    AddViewCommand(sensitivity, "Increase", [](CVornView& v) { v.IncreaseSensitivity(); });
    AddViewCommand(sensitivity, "Decrease", [](CVornView& v) { v.DecreaseSensitivity(); });
    AddViewCommand(sensitivity, "Default", [](CVornView& v) { v.DefaultSensitivity(); });
    AddViewCommand(motion, "&Center", [](CVornView& v) { v.Center(); });
    AddViewCommand(
        motion, "&Momentum", [](CVornView& v) { v.ToggleMomentum(); },
        [&p] { return p.momentumEnabled; });
    view->addSeparator();
    AddCommand(view, "Animate", [this] { ShowAnimate(); });
}

void CMainFrame::BuildMoleculeMenu() {
    QMenu* molecule = menuBar()->addMenu("&Molecule");
    const std::pair<const char*, int> modes[] = {{"Hide molecule", kHideMolecule},
                                                 {"&Wire Frame", kWireFrame},
                                                 {"&CPK", kCpk},
                                                 {"&Points", kPoints},
                                                 {"&Sticks", kSticks},
                                                 {"&Ball and Stick", kBallAndStick}};
    for (const auto& [label, mode] : modes)
        AddViewCommand(
            molecule, label, [mode = mode](CVornView& v) { v.SetRenderMode(mode); },
            [this, mode = mode] { return ActiveRenderMode(m_doc) == mode; });
    molecule->addSeparator();
    AddViewCommand(
        molecule, "Solvent", [](CVornView& v) { v.ToggleMoleculeFlag(CVornView::kSolvent); },
        [this] { return m_glView->View().MoleculeFlagShown(CVornView::kSolvent); });
    molecule->addSeparator();
    AddCommand(molecule, "Molecule Selection", [this] { ShowMoleculeSelection(); });
}

void CMainFrame::BuildAdjustMenu() {
    QMenu* adjust = menuBar()->addMenu("&Adjust");
    AddCommand(adjust, "&Lighting ...", [this] {
        ShowLighting();
    })->setShortcut(QKeySequence("Ctrl+L"));
}

void CMainFrame::BuildColorMenu() {
    QMenu* color = menuBar()->addMenu("&Color");
    AddCommand(color, "Background ...", [this] { ShowColor(0); });
}

void CMainFrame::BuildOptionsMenu() {
    QMenu* options = menuBar()->addMenu("&Options");
    QMenu* persistent = options->addMenu("Persistent Settings");
    AddCommand(persistent, "Restore Defaults", [this] { RestoreDefaults(); });
    AddCommand(
        persistent, "Clean Registry", [this] { ToggleCleanRegistry(); },
        [this] { return m_purgeOnExit; });
}

void CMainFrame::BuildHelpMenu() {
    QMenu* help = menuBar()->addMenu("&Help");
    AddCommand(help, "&Help ...", [this] { ShowCommandLineHelp(); });
    AddCommand(help, "&About Vorn...", [this] { ShowAbout(); });
}

} // namespace vorn
