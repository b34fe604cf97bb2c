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
    QMenu* edit = menuBar()->addMenu("&Edit");
    AddCopyCommand(edit);
    AddPasteCommand(edit);
    BuildViewMenu();
    BuildMoleculeMenu();
    BuildMeasureMenu();
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
    AddExchangeFileCommands(m_fileMenu);
    AddOutputFileCommands(m_fileMenu);
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
        view, "Draw spheres and cylinders as &polygons", [](CVornView& v) { v.TogglePolygons(); },
        [&p] { return p.drawPolygons; });
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
    AddClippingCommands(view->addMenu("Clipping"));
    QMenu* motion = view->addMenu("Motion");
    QMenu* sensitivity = motion->addMenu("Sensitivity");
    AddViewCommand(sensitivity, "Increase", [](CVornView& v) { v.IncreaseSensitivity(); });
    AddViewCommand(sensitivity, "Decrease", [](CVornView& v) { v.DecreaseSensitivity(); });
    AddViewCommand(sensitivity, "Default", [](CVornView& v) { v.DefaultSensitivity(); });
    AddViewCommand(motion, "&Center", [](CVornView& v) { v.Center(); });
    AddViewCommand(
        motion, "&Momentum", [](CVornView& v) { v.ToggleMomentum(); },
        [&p] { return p.momentumEnabled; });
    AddViewCommand(
        view, "Axes", [](CVornView& v) { v.ToggleAxes(); }, [&p] { return p.axesShown; });
    AddViewCommand(
        view, "Hydrogen Bonds", [](CVornView& v) { v.ToggleHydrogenBonds(); },
        [&p] { return p.hBondsShown; });
    view->addSeparator();
    AddCommand(view, "Animate", [this] { ShowAnimate(); });
    AddCommand(view, "&Font ...", [this] { ChooseLabelFont(); });
}

void CMainFrame::BuildMoleculeMenu() {
    QMenu* molecule = menuBar()->addMenu("&Molecule");
    const std::pair<const char*, int> modes[] = {{"Hide molecule", kHideMolecule},
                                                 {"&Wire Frame", kWireFrame},
                                                 {"&CPK", kCpk},
                                                 {"&Points", kPoints},
                                                 {"&Sticks", kSticks},
                                                 {"&Ball and Stick", kBallAndStick}};
    const auto addModes = [this](QMenu* menu, const std::pair<const char*, int>* first,
                                 const std::pair<const char*, int>* last) {
        for (; first != last; ++first)
            AddViewCommand(
                menu, first->first, [mode = first->second](CVornView& v) { v.SetRenderMode(mode); },
                [this, mode = first->second] { return ActiveRenderMode(m_doc) == mode; });
    };
    addModes(molecule, std::begin(modes), std::end(modes));
    const std::pair<const char*, int> traces[] = {
        {"Wire Frame", kTraceWireFrame}, {"Sticks", kTraceSticks}, {"Spline", kSpline}};
    addModes(molecule->addMenu("Trace"), std::begin(traces), std::end(traces));
    const std::pair<const char*, int> ribbons[] = {{"Solid Ribbon", kSolidRibbon},
                                                   {"Flat Ribbon", kFlatRibbon},
                                                   {"Tube", kTube},
                                                   {"Temperature Tube", kTemperatureTube},
                                                   {"Occupancy Tube", kOccupancyTube}};
    addModes(molecule->addMenu("Ribbon"), std::begin(ribbons), std::end(ribbons));
    molecule->addSeparator();
    const std::pair<const char*, CVornView::MoleculeFlag> flags[] = {
        {"Show Wire frame", CVornView::kShowWireFrame},
        {"Atom Labels", CVornView::kAtomLabels},
        {"Solvent", CVornView::kSolvent},
        {"Monitors", CVornView::kMonitors},
        {"Monitor Labels", CVornView::kMonitorLabels}};
    for (const auto& [label, flag] : flags)
        AddViewCommand(
            molecule, label, [flag = flag](CVornView& v) { v.ToggleMoleculeFlag(flag); },
            [this, flag = flag] { return m_glView->View().MoleculeFlagShown(flag); });
    AddSurfaceCommands(molecule->addMenu("Surface"));
    molecule->addSeparator();
    AddCommand(molecule, "Align &Molecules ...", [this] {
        ShowAlignment();
    })->setShortcut(QKeySequence("Ctrl+R"));
    AddCommand(molecule, "&Secondary Structure ...", [this] { ShowSequence(); });
    AddCommand(molecule, "Molecule Selection", [this] { ShowMoleculeSelection(); });
}

void CMainFrame::BuildMeasureMenu() {
    QMenu* measure = menuBar()->addMenu("M&easure");
    AddCommand(measure, "&Coordinates ...", [this] {
        ShowMeasure();
    })->setShortcut(QKeySequence("Ctrl+M"));
    // The same window as "Align Molecules ...", which has the Ctrl+R.
    AddCommand(measure, "RMSD ...", [this] { ShowAlignment(); });
    AddSurfaceAreaCommands(measure->addMenu("Surface Area"));
}

void CMainFrame::BuildAdjustMenu() {
    QMenu* adjust = menuBar()->addMenu("&Adjust");
    AddCommand(adjust, "&Torsion Angle ...", [this] {
        ShowTorsion();
    })->setShortcut(QKeySequence("Ctrl+T"));
    AddCommand(adjust, "Atomic Radii ...", [this] { ShowAtomRadius(); });
    AddCommand(adjust, "&Lighting ...", [this] {
        ShowLighting();
    })->setShortcut(QKeySequence("Ctrl+L"));
}

void CMainFrame::BuildColorMenu() {
    QMenu* color = menuBar()->addMenu("&Color");
    AddCommand(color, "Molecule ...", [this] { ShowCustomColors(); });
    AddCommand(color, "Protein ...", [this] { ShowSequence(); });
    AddCommand(color, "Background ...", [this] { ShowColor(0); });
    AddCommand(color, "Selection ...", [this] { ShowColor(1); });
    AddCommand(color, "Hydrogen Bonds ...", [this] { ShowColor(2); });
    AddCommand(color, "Clip Plane ...", [this] { ShowColor(3); });
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
