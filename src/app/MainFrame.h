// The main window: the view, its menus, the status bar with its progress bar, the file commands
// and the modeless windows beside the view.
#pragma once

#include "core/UiHost.h"
#include "document/VornDoc.h"

#include <QMainWindow>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <string>
#include <vector>

class QAction;
class QLabel;
class QMenu;
class QProgressBar;

namespace vorn {

class AlignmentDialog;
class AnimateDialog;
class AtomRadiusDialog;
class ColorDialog;
class CustomColorsDialog;
class CustomResolutionDialog;
class CVornDoc;
class CVornView;
class LightingDialog;
class MeasureDialog;
class MoleculeSelectionDialog;
class OutputCommands;
class QtSettingsStore;
class SequenceDialog;
class SurfaceOptionsDialog;
class TorsionDialog;
class VornGlWidget;

class CMainFrame : public QMainWindow, public UiHost {
    Q_OBJECT
public:
    CMainFrame(CVornDoc& doc, QtSettingsStore& store, QWidget* parent = nullptr);
    ~CMainFrame() override;

    VornGlWidget& GlView() { return *m_glView; }
    // Pictures, prints, copies and movies of the view (OutputCommands.cpp).
    OutputCommands& Output();

    // UiHost: the first status-bar pane, message boxes and the progress bar in the first pane.
    void SetStatusText(const std::string& text) override;
    void SetPaneText(int pane, const std::string& text) override;
    void ShowMessage(const std::string& text) override;
    void BeginProgress(int steps) override;
    void StepProgress() override;
    void SetProgress(int position) override;
    void EndProgress() override;

    // The document's title in the window title.
    void SetDocumentTitle(const std::string& title);
    // After files were read or molecules were added or removed: the view and the windows that
    // show the molecules follow.
    void DocumentChanged();

    // Reads one file as the recent-file list and the desktop open it: its molecule is added, the
    // title becomes its name and it heads the recent files; a failure shows its message and
    // leaves the title "No Molecule Loaded".
    bool OpenDocumentFile(const std::string& path);
    // Reads the files as the Open command does.
    void OpenFiles(const QStringList& files);

    const std::vector<std::string>& RecentFiles() const { return m_recentFiles; }
    bool PurgeOnExit() const { return m_purgeOnExit; }

    void ShowCommandLineHelp();
    void ShowAbout();

    // Reads trajectory frames behind the modal reading window, the view drawing the scene as it
    // is meanwhile.
    CVornDoc::TrajectoryRunner TrajectoryRunner();

    // Runs a command, showing the message of a VornError it raises (also of anything else).
    void Run(const std::function<void()>& command);
    // Runs a view command with the view's context current.
    void RunView(const std::function<void(CVornView&)>& command);

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    struct UpdateRule {
        QAction* action;
        std::function<bool()> checked; // empty: not checkable
        std::function<bool()> enabled; // empty: always enabled
    };

    void BuildMenus();
    void BuildFileMenu();
    void BuildViewMenu();
    void BuildMoleculeMenu();
    void BuildMeasureMenu();
    void BuildAdjustMenu();
    void BuildColorMenu();
    void BuildOptionsMenu();
    void BuildHelpMenu();
    QAction* AddCommand(QMenu* menu, const QString& label, std::function<void()> command,
                        std::function<bool()> checked = {}, std::function<bool()> enabled = {});
    QAction* AddViewCommand(QMenu* menu, const QString& label,
                            std::function<void(CVornView&)> command,
                            std::function<bool()> checked = {});
    void UpdateMenus();
    void UpdateRecentFileMenu();

    void OpenCoordinates();
    void OpenCoordinatesAndTrajectory();
    void CoordinateFileOptions();
    void OpenRecentFile(int index);
    void RestoreDefaults();
    void ToggleCleanRegistry();
    void ShowAnimate();
    void ShowMoleculeSelection();
    void ShowColor(int target);
    void ShowCustomResolution();
    void ShowLighting();
    void ShowMeasure();
    void ChooseLabelFont();
    void ShowTorsion();
    void ShowAlignment();
    // The molecule list changed: the windows that show it follow.
    void RefreshMoleculeWindows();
    void ShowCustomColors();
    void ShowAtomRadius();
    void ShowSequence();
    void SaveOnExit();

    // Molecules in and out (MainFrameExchange.cpp): the File menu's download, Save Coordinates
    // and Export Trajectory entries, the Edit menu's Paste of a number column.
    void AddExchangeFileCommands(QMenu* file);
    void AddPasteCommand(QMenu* edit);
    void PasteNumbers();
    void SaveCoordinatesCommand();
    void ExportTrajectoryCommand();
    void QueryPdbDatabase();

    // Surfaces and clipping (MainFrameSurfaces.cpp): the Molecule menu's Surface entries, the
    // Measure menu's area reports, the View menu's Clipping entries.
    void AddSurfaceCommands(QMenu* menu);
    void AddSurfaceAreaCommands(QMenu* menu);
    void AddClippingCommands(QMenu* menu);
    // Runs a view command that may build surfaces behind the wait cursor; what it raises is shown
    // in a message box once the arrow is back.
    void RunSurfaceBuild(const std::function<void(CVornView&)>& command);
    void ShowSurfaceOptions();
    void ShowSurfaceArea(bool byResidue);

    // The File menu's Export Image, Create Movie, Print, Print Setup and options entries, the Edit
    // menu's Copy (OutputCommands.cpp).
    void AddOutputFileCommands(QMenu* file);
    void AddCopyCommand(QMenu* edit);

    CVornDoc& m_doc;
    QtSettingsStore& m_store;
    VornGlWidget* m_glView;
    QLabel* m_statusText;
    QLabel* m_panes[3] = {};
    QProgressBar* m_progress = nullptr;
    std::vector<UpdateRule> m_rules;
    QMenu* m_fileMenu = nullptr;
    std::vector<QAction*> m_recentActions;
    QAction* m_recentSeparator = nullptr;
    std::vector<std::string> m_recentFiles;
    bool m_purgeOnExit = false;
    bool m_saved = false;

    QPointer<AnimateDialog> m_animate;
    QPointer<MoleculeSelectionDialog> m_moleculeSelection;
    QPointer<ColorDialog> m_color;
    QPointer<CustomResolutionDialog> m_customResolution;
    QPointer<LightingDialog> m_lighting;
    QPointer<CustomColorsDialog> m_customColors;
    QPointer<AtomRadiusDialog> m_atomRadius;
    QPointer<SequenceDialog> m_sequence;
    QPointer<MeasureDialog> m_measure;
    QPointer<TorsionDialog> m_torsion;
    QPointer<AlignmentDialog> m_alignment;
    OutputCommands* m_output = nullptr; // a child of the window, made at its first use
    QPointer<SurfaceOptionsDialog> m_surfaceOptions;
};

} // namespace vorn
