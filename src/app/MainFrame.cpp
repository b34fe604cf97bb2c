// The main window: status bar and progress, titles, the file commands, drops, and the modeless
// windows beside the view. The menus are built in MainFrameMenus.cpp.
#include "app/MainFrame.h"

#include "app/GlWidget.h"
#include "app/QtSettingsStore.h"
#include "app/dialogs/AboutDialog.h"
#include "app/dialogs/AnimateDialog.h"
#include "app/dialogs/ColorDialog.h"
#include "app/dialogs/CustomResolutionDialog.h"
#include "app/dialogs/FileDialogs.h"
#include "app/dialogs/LightingDialog.h"
#include "app/dialogs/MoleculeSelectionDialog.h"
#include "app/dialogs/ReadingTrajectoryDialog.h"
#include "core/SettingsStore.h"
#include "core/VornError.h"
#include "document/ReadingSettings.h"
#include "document/VornDoc.h"
#include "render/ViewSettings.h"
#include "render/VornView.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QStatusBar>
#include <QUrl>

namespace vorn {

namespace {

const char kNoMolecule[] = "No Molecule Loaded";

// A file name as the title and the recent-file list keep it: absolute, as the user named it.
std::string AbsolutePath(const std::string& path) {
    return QFileInfo(QString::fromStdString(path)).absoluteFilePath().toStdString();
}

} // namespace

CMainFrame::CMainFrame(CVornDoc& doc, QtSettingsStore& store, QWidget* parent)
    : QMainWindow(parent), m_doc(doc), m_store(store), m_glView(new VornGlWidget(doc, this, this)),
      m_statusText(new QLabel(this)) {
    setCentralWidget(m_glView);
    setAcceptDrops(true);
    // Four panes: the first stretches and shows the status texts, the others carry no text.
    statusBar()->addWidget(m_statusText, 1);
    const int widths[3] = {30, 30, 40};
    for (int i = 0; i < 3; ++i) {
        m_panes[i] = new QLabel(this);
        m_panes[i]->setMinimumWidth(widths[i]);
        m_panes[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        statusBar()->addPermanentWidget(m_panes[i]);
    }
    m_recentFiles = LoadRecentFiles(store);
    BuildMenus();
    resize(450, 450);
    const QByteArray geometry = store.ReadGeometry();
    if (!geometry.isEmpty())
        restoreGeometry(geometry);
    connect(m_glView, &VornGlWidget::moleculesChanged, this, [this] {
        // Molecules deleted, duplicated or made primary change the frames there are to animate.
        if (m_animate)
            m_animate->SetFrames(m_doc.primary ? m_doc.primary->frames.Count() : 0,
                                 m_doc.FrameIndex());
        if (!m_moleculeSelection)
            return;
        std::vector<MoleculeRow> rows;
        for (const auto& mol : m_doc.molecules)
            rows.push_back({mol->fileName, mol.get() == m_doc.primary, !mol->motion.moving,
                            mol->active, mol->AtomCount(), mol->frames.Count()});
        m_moleculeSelection->Refresh(rows);
    });
    connect(m_glView, &VornGlWidget::frameShown, this, [this](int frame) {
        if (m_animate)
            m_animate->ShowFrame(frame);
    });
    SetDocumentTitle("No Molecule loaded");
}

CMainFrame::~CMainFrame() {
    SaveOnExit();
}

void CMainFrame::SetStatusText(const std::string& text) {
    m_statusText->setText(QString::fromStdString(text));
}

void CMainFrame::SetPaneText(int pane, const std::string& text) {
    if (pane >= 1 && pane <= 3)
        m_panes[pane - 1]->setText(QString::fromStdString(text));
}

void CMainFrame::ShowMessage(const std::string& text) {
    QMessageBox::warning(this, "Vorn", QString::fromStdString(text));
}

void CMainFrame::BeginProgress(int steps) {
    EndProgress();
    m_progress = new QProgressBar(this);
    m_progress->setRange(0, steps);
    m_progress->setTextVisible(false);
    statusBar()->insertWidget(0, m_progress, 1);
    m_statusText->hide();
    m_progress->show();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void CMainFrame::StepProgress() {
    if (m_progress)
        SetProgress(m_progress->value() + 1);
}

void CMainFrame::SetProgress(int position) {
    if (!m_progress)
        return;
    m_progress->setValue(position);
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void CMainFrame::EndProgress() {
    if (!m_progress)
        return;
    delete m_progress;
    m_progress = nullptr;
    m_statusText->show();
}

void CMainFrame::SetDocumentTitle(const std::string& title) {
    m_doc.title = title;
    setWindowTitle(QString::fromStdString(title) + " - Vorn");
}

void CMainFrame::DocumentChanged() {
    RunView([](CVornView& v) { v.DocumentChanged(); });
    if (m_animate)
        m_animate->SetFrames(m_doc.primary ? m_doc.primary->frames.Count() : 0, m_doc.FrameIndex());
}

void CMainFrame::Run(const std::function<void()>& command) {
    try {
        command();
    } catch (const VornError& e) {
        ShowMessage(e.what());
    } catch (const std::bad_alloc&) {
        ShowMessage("Out of memory");
    } catch (const std::exception& e) {
        ShowMessage(e.what());
    }
}

void CMainFrame::RunView(const std::function<void(CVornView&)>& command) {
    m_glView->Command(command);
}

bool CMainFrame::OpenDocumentFile(const std::string& path) {
    bool read = false;
    try {
        if (!m_doc.ReadCoordinateFile(path))
            VORN_RAISE("Vorn", "Unable to read file");
        SetDocumentTitle(path);
        AddRecentFile(m_recentFiles, AbsolutePath(path));
        read = true;
    } catch (const VornError& e) {
        ShowMessage(e.what());
        SetDocumentTitle(kNoMolecule);
    } catch (const std::exception&) {
        ShowMessage("Unable to read input file!");
        SetDocumentTitle(kNoMolecule);
    }
    UpdateRecentFileMenu();
    DocumentChanged();
    return read;
}

// Each file in turn; the last one read gives the title. Only a single file joins the recent
// files. A file that fails shows its message and stops the files after it.
void CMainFrame::OpenFiles(const QStringList& files) {
    if (files.isEmpty())
        return;
    int read = 0;
    Run([&] {
        for (const QString& file : files) {
            if (!m_doc.ReadCoordinateFile(file.toStdString()))
                VORN_RAISE("VornDoc", "Unable to read file");
            SetDocumentTitle(file.toStdString());
            ++read;
        }
    });
    if (read == 1 && files.size() == 1) {
        AddRecentFile(m_recentFiles, AbsolutePath(files.front().toStdString()));
        UpdateRecentFileMenu();
    }
    DocumentChanged();
}

void CMainFrame::OpenCoordinates() {
    const QStringList files = QFileDialog::getOpenFileNames(
        this, "Open", QDir::currentPath(), CoordinateFilter(0) + ";;All files (*)");
    OpenFiles(files);
}

void CMainFrame::OpenCoordinatesAndTrajectory() {
    CoordinatesAndTrajectoryDialog dialog(this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const CoordinatesAndTrajectory c = dialog.Choice();
    const int before = m_doc.MoleculeCount();
    bool read = false;
    Run([&] {
        read = m_doc.ReadCoordinatesAndTrajectory(c.coordinates.toStdString(), c.coordinateType,
                                                  c.trajectory.toStdString(), c.trajectoryType,
                                                  c.mode, TrajectoryRunner());
    });
    // The structure stays when its trajectory fails or is cancelled: then the title names it.
    if (read)
        SetDocumentTitle(m_doc.title);
    else if (m_doc.MoleculeCount() > before)
        SetDocumentTitle(c.coordinates.toStdString());
    DocumentChanged();
}

CVornDoc::TrajectoryRunner CMainFrame::TrajectoryRunner() {
    return [this](Molecule& mol, const std::string& file, int type, int first, int end) {
        m_glView->SetReading(true);
        struct Resume {
            VornGlWidget* view;
            ~Resume() { view->SetReading(false); }
        } resume{m_glView};
        ReadingTrajectoryDialog dialog(mol, file, type, first, end, this);
        return dialog.Run();
    };
}

void CMainFrame::CoordinateFileOptions() {
    ReadingOptions options;
    options.connect = m_doc.connectOnRead;
    options.secondaryStructure = m_doc.secondaryStructOnRead;
    options.multiModel = m_doc.multiModelTraj;
    options.zeroCom = m_doc.zeroComOnRead;
    options.multiModelProcess = m_doc.multiModelTrajProcess;
    CoordinateOptionsDialog dialog(options, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    options = dialog.Options();
    m_doc.connectOnRead = options.connect;
    m_doc.secondaryStructOnRead = options.secondaryStructure;
    m_doc.multiModelTraj = options.multiModel;
    m_doc.zeroComOnRead = options.zeroCom;
    m_doc.multiModelTrajProcess = options.multiModelProcess;
}

void CMainFrame::OpenRecentFile(int index) {
    if (index < 0 || index >= static_cast<int>(m_recentFiles.size()))
        return;
    const std::string path = m_recentFiles[static_cast<size_t>(index)];
    if (!OpenDocumentFile(path) && !QFileInfo::exists(QString::fromStdString(path))) {
        // A file that has gone leaves the list.
        m_recentFiles.erase(m_recentFiles.begin() + index);
        UpdateRecentFileMenu();
    }
}

void CMainFrame::RestoreDefaults() {
    const auto answer = QMessageBox::question(
        this, "Vorn", "About to return all settings to their default values.\r\nContinue?",
        QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer != QMessageBox::Yes)
        return;
    ResetReadingSettings(m_doc);
    RunView([](CVornView& v) {
        SetDefaultSettings(v, nullptr);
        v.ResetDrawingState();
    });
}

void CMainFrame::ToggleCleanRegistry() {
    m_purgeOnExit = !m_purgeOnExit;
    if (!m_purgeOnExit)
        return;
    const auto answer = QMessageBox::question(
        this, "Vorn",
        "Removing the Vorn registry entries will\r\nreturn all settings to their default "
        "values.\r\nThe list of most recently opened files will also be \r\nlost. Are you sure "
        "about this?",
        QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer != QMessageBox::Yes)
        m_purgeOnExit = false;
}

void CMainFrame::ShowCommandLineHelp() {
    CommandLineHelpDialog(this).exec();
}

void CMainFrame::ShowAbout() {
    AboutDialog(m_glView->DepthBits(), m_glView->ColorBits(), m_glView->Renderer(), this).exec();
}

void CMainFrame::ShowAnimate() {
    if (!m_animate) {
        m_animate = new AnimateDialog(this);
        m_animate->setAttribute(Qt::WA_DeleteOnClose);
        connect(m_animate, &AnimateDialog::playForward, this,
                [this] { RunView([](CVornView& v) { v.Play(false); }); });
        connect(m_animate, &AnimateDialog::playBackward, this,
                [this] { RunView([](CVornView& v) { v.Play(true); }); });
        connect(m_animate, &AnimateDialog::stopPlayback, this,
                [this] { RunView([](CVornView& v) { v.StopPlayback(); }); });
        connect(m_animate, &AnimateDialog::frameChosen, this,
                [this](int frame) { RunView([frame](CVornView& v) { v.ShowFrame(frame); }); });
    }
    m_animate->SetFrames(m_doc.primary ? m_doc.primary->frames.Count() : 0, m_doc.FrameIndex());
    m_animate->show();
    m_animate->raise();
}

void CMainFrame::ShowMoleculeSelection() {
    if (!m_moleculeSelection) {
        m_moleculeSelection = new MoleculeSelectionDialog(this);
        m_moleculeSelection->setAttribute(Qt::WA_DeleteOnClose);
        connect(m_moleculeSelection, &MoleculeSelectionDialog::request, this,
                [this](int code, const std::vector<int>& rows) {
                    Run([&] { RunView([&](CVornView& v) { v.MoleculeSelection(code, rows); }); });
                    if (!m_doc.primary)
                        SetDocumentTitle(kNoMolecule);
                });
    }
    m_moleculeSelection->show();
    m_moleculeSelection->raise();
    emit m_glView->moleculesChanged();
}

void CMainFrame::ShowColor(int target) {
    if (!m_color) {
        m_color = new ColorDialog(this);
        m_color->setAttribute(Qt::WA_DeleteOnClose);
        const auto apply = [this](int t, const QColor& c) {
            const int rgba[4] = {c.red(), c.green(), c.blue(), c.alpha()};
            RunView([&](CVornView& v) { v.ApplyColor(t, rgba); });
        };
        connect(m_color, &ColorDialog::applied, this, apply);
        connect(m_color, &ColorDialog::accepted, this, apply);
    }
    int rgba[4];
    m_glView->View().GetColor(target, rgba);
    // The background and the hydrogen bonds have no alpha.
    const bool alpha = target == 1 || target == 3;
    m_color->SetColor(target, QColor(rgba[0], rgba[1], rgba[2], rgba[3]), alpha);
    m_color->show();
    m_color->raise();
}

void CMainFrame::ShowCustomResolution() {
    if (!m_customResolution) {
        m_customResolution = new CustomResolutionDialog(m_glView->View().params.res, this);
        m_customResolution->setAttribute(Qt::WA_DeleteOnClose);
        connect(m_customResolution, &CustomResolutionDialog::valueChosen, this,
                [this](int index, int value) {
                    Run([&] { RunView([&](CVornView& v) { v.CustomResolution(index, value); }); });
                });
    }
    m_customResolution->show();
    m_customResolution->raise();
}

void CMainFrame::ShowLighting() {
    if (!m_lighting) {
        m_lighting = new LightingDialog(m_glView->View().Lighting(), this);
        m_lighting->setAttribute(Qt::WA_DeleteOnClose);
        connect(m_lighting, &LightingDialog::applied, this, [this](const LightingChoice& c) {
            RunView([&](CVornView& v) { v.ApplyLighting(c); });
        });
    }
    m_lighting->show();
    m_lighting->raise();
}

// The persisted values are written once, when the window goes; with "Clean Registry" checked
// they are removed instead, the recent files and the window's place with them.
void CMainFrame::SaveOnExit() {
    if (m_saved)
        return;
    m_saved = true;
    if (m_purgeOnExit) {
        PurgeSettings(m_store);
        RemoveRecentFiles(m_store);
        m_store.RemoveGeometry();
    } else {
        SaveSettings(m_glView->View(), m_doc, m_store);
        SaveRecentFiles(m_store, m_recentFiles);
        m_store.WriteGeometry(saveGeometry());
    }
    m_store.Flush();
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    SaveOnExit();
    event->accept();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

// Files dropped on the window open as the Open command opens them.
void CMainFrame::dropEvent(QDropEvent* event) {
    QStringList files;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile())
            files << url.toLocalFile();
    if (files.isEmpty())
        return;
    event->acceptProposedAction();
    // After the drop has finished: reading may show messages.
    QMetaObject::invokeMethod(
        this, [this, files] { OpenFiles(files); }, Qt::QueuedConnection);
}

} // namespace vorn
