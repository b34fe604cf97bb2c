// The main window: status bar and progress, titles, the file commands, drops, and the modeless
// windows beside the view. The menus are built in MainFrameMenus.cpp.
#include "app/MainFrame.h"

#include "analysis/Superposition.h"
#include "app/GlWidget.h"
#include "app/QtGlyphSource.h"
#include "app/QtSettingsStore.h"
#include "app/dialogs/AboutDialog.h"
#include "app/dialogs/AlignmentDialog.h"
#include "app/dialogs/AnimateDialog.h"
#include "app/dialogs/AtomRadiusDialog.h"
#include "app/dialogs/ColorDialog.h"
#include "app/dialogs/CustomColorsDialog.h"
#include "app/dialogs/CustomResolutionDialog.h"
#include "app/dialogs/FileDialogs.h"
#include "app/dialogs/LightingDialog.h"
#include "app/dialogs/MeasureDialog.h"
#include "app/dialogs/MoleculeSelectionDialog.h"
#include "app/dialogs/ReadingTrajectoryDialog.h"
#include "app/dialogs/SequenceDialog.h"
#include "app/dialogs/TorsionDialog.h"
#include "appearance/Radii.h"
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
#include <QFontDialog>
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
    connect(m_glView, &VornGlWidget::moleculesChanged, this, &CMainFrame::RefreshMoleculeWindows);
    connect(m_glView, &VornGlWidget::frameShown, this, [this](int frame) {
        if (m_animate)
            m_animate->ShowFrame(frame);
    });
    connect(m_glView, &VornGlWidget::measuresChanged, this, [this] {
        if (m_measure)
            m_measure->Refresh(m_doc.measures);
    });
    connect(m_glView, &VornGlWidget::torsionChanged, this, [this] {
        if (m_torsion)
            m_torsion->ShowTorsion(m_glView->View().torsion.CanTurn(),
                                   m_glView->View().torsion.Angle());
    });
    connect(m_glView, &VornGlWidget::alignmentChanged, this, [this] {
        if (m_alignment)
            m_alignment->MoleculesMoved();
    });
    m_glView->measureOpen = [this] { return m_measure && m_measure->isVisible(); };
    m_glView->torsionOpen = [this] { return m_torsion && m_torsion->isVisible(); };
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
    // The view tells the windows that show the molecule list (the Animate window among them).
    RunView([](CVornView& v) { v.DocumentChanged(); });
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

void CMainFrame::RefreshMoleculeWindows() {
    // Molecules deleted, duplicated or made primary change the frames there are to animate.
    if (m_animate)
        m_animate->SetFrames(m_doc.primary ? m_doc.primary->frames.Count() : 0, m_doc.FrameIndex());
    if (m_alignment)
        m_alignment->RefreshMolecules();
    if (m_measure)
        m_measure->Refresh(m_doc.measures);
    if (m_sequence)
        m_sequence->FillSequenceList();
    if (m_atomRadius)
        m_atomRadius->ShowScheme();
    if (m_moleculeSelection) {
        std::vector<MoleculeRow> rows;
        for (const auto& mol : m_doc.molecules)
            rows.push_back({mol->fileName, mol.get() == m_doc.primary, !mol->motion.moving,
                            mol->active, mol->AtomCount(), mol->frames.Count()});
        m_moleculeSelection->Refresh(rows);
    }
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

// The table is filled by picks in the view while the window is open, and drawn on there.
void CMainFrame::ShowMeasure() {
    if (!m_measure) {
        m_measure = new MeasureDialog(this);
        m_measure->setAttribute(Qt::WA_DeleteOnClose);
        connect(m_measure, &MeasureDialog::clearRequested, this, [this] {
            m_doc.measures.Clear();
            m_measure->Refresh(m_doc.measures);
            RunView([](CVornView& v) { v.Redraw(); });
        });
        // Its markers leave the picture with it.
        connect(m_measure, &QDialog::finished, this,
                [this] { RunView([](CVornView& v) { v.Redraw(); }); });
    }
    m_doc.measures.Recompute();
    m_measure->Refresh(m_doc.measures);
    m_measure->show();
    m_measure->raise();
    RunView([](CVornView& v) { v.Redraw(); });
}

// While the window is open a bond picked in the view becomes the torsion; the slider turns it.
void CMainFrame::ShowTorsion() {
    if (!m_torsion) {
        m_torsion = new TorsionDialog(this);
        m_torsion->setAttribute(Qt::WA_DeleteOnClose);
        connect(m_torsion, &TorsionDialog::turned, this, [this](double degrees) {
            bool present = true;
            RunView([&](CVornView& v) { present = v.TurnTorsion(degrees); });
            if (!present)
                m_torsion->close(); // its molecule has been deleted
        });
        connect(m_torsion, &QDialog::finished, this,
                [this] { RunView([](CVornView& v) { v.Redraw(); }); });
    }
    const TorsionBond& torsion = m_glView->View().torsion;
    m_torsion->ShowTorsion(torsion.CanTurn() && m_doc.IndexOf(torsion.GetMolecule()) >= 0,
                           torsion.Angle());
    m_torsion->show();
    m_torsion->raise();
    RunView([](CVornView& v) { v.Redraw(); });
}

void CMainFrame::ShowAlignment() {
    if (!m_alignment) {
        const auto molecule = [this](quintptr id) -> Molecule* {
            for (const auto& mol : m_doc.molecules)
                if (reinterpret_cast<quintptr>(mol.get()) == id)
                    return mol.get();
            VORN_RAISE("Vorn", "The molecule is no longer loaded");
        };
        AlignmentRequests requests;
        requests.molecules = [this] {
            std::vector<AlignmentRequests::MoleculeName> names;
            for (const auto& mol : m_doc.molecules)
                names.push_back({reinterpret_cast<quintptr>(mol.get()), mol->fileName});
            return names;
        };
        requests.atoms = [molecule](quintptr id) { return AtomEntries(*molecule(id)); };
        requests.align = [this, molecule](quintptr a, quintptr b, const std::vector<int>& listA,
                                          const std::vector<int>& listB, bool mass) {
            // A failed alignment is the window's to report: it keeps the RMSD it showed.
            double rmsd = 0;
            m_glView->CommandRaising([&](CVornView& v) {
                rmsd = v.AlignMolecules(*molecule(a), *molecule(b), listA, listB, mass);
            });
            return rmsd;
        };
        requests.rmsd = [molecule](quintptr a, quintptr b, const std::vector<int>& listA,
                                   const std::vector<int>& listB, bool mass) {
            return ComputeRmsd(*molecule(a), *molecule(b), listA, listB, mass);
        };
        requests.showMessage = [this](const std::string& text) { ShowMessage(text); };
        m_alignment = new AlignmentDialog(std::move(requests), this);
        m_alignment->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_alignment->show();
    m_alignment->raise();
}

// The font of atom labels; playback and spinning wait while the font window is open and go on at
// the same frame afterwards.
void CMainFrame::ChooseLabelFont() {
    PausedDrawing paused;
    RunView([&](CVornView& v) { paused = v.Pause(); });
    bool ok = false;
    const QFont chosen =
        QFontDialog::getFont(&ok, ToQFont(m_glView->View().params.labelFont), this, "Font");
    if (ok)
        RunView([&](CVornView& v) { v.SetLabelFont(FromQFont(chosen)); });
    RunView([&](CVornView& v) { v.Resume(paused); });
}

// The scheme chosen in the window runs on the primary molecule, which the view draws again.
void CMainFrame::ShowCustomColors() {
    if (!m_customColors) {
        m_customColors = new CustomColorsDialog(m_doc, this);
        m_customColors->setAttribute(Qt::WA_DeleteOnClose);
        connect(m_customColors, &CustomColorsDialog::applied, this,
                [this](const ColorSchemeRequest& request) {
                    RunView([&](CVornView& v) {
                        if (m_doc.primary)
                            ApplyColorScheme(*m_doc.primary, m_doc.colorTables, request);
                        v.Redraw();
                    });
                });
    }
    m_customColors->show();
    m_customColors->raise();
}

// A scheme chosen in the window becomes the primary molecule's at once; Apply runs it.
void CMainFrame::ShowAtomRadius() {
    if (!m_atomRadius) {
        m_atomRadius = new AtomRadiusDialog(m_doc, this);
        m_atomRadius->setAttribute(Qt::WA_DeleteOnClose);
        connect(m_atomRadius, &AtomRadiusDialog::schemeChosen, this, [this](int scheme) {
            if (m_doc.primary)
                m_doc.primary->radiusScheme = scheme;
        });
        connect(m_atomRadius, &AtomRadiusDialog::applied, this,
                [this](int element, int serial, float radius) {
                    RunView([&](CVornView& v) {
                        if (Molecule* mol = m_doc.primary)
                            SetRadii(*mol, mol->radiusScheme, element, serial, radius);
                        v.Redraw();
                    });
                });
    }
    m_atomRadius->ShowScheme();
    m_atomRadius->show();
    m_atomRadius->raise();
}

// The picker's colours go to the residues selected in the list; the list follows the document.
void CMainFrame::ShowSequence() {
    if (!m_sequence) {
        m_sequence = new SequenceDialog(m_doc, this);
        m_sequence->setAttribute(Qt::WA_DeleteOnClose);
        connect(m_sequence, &SequenceDialog::colorChosen, this,
                [this](const std::vector<int>& rows, const QColor& c) {
                    const Rgba color{
                        static_cast<std::uint8_t>(c.red()), static_cast<std::uint8_t>(c.green()),
                        static_cast<std::uint8_t>(c.blue()), static_cast<std::uint8_t>(c.alpha())};
                    std::string problem;
                    RunView([&](CVornView& v) {
                        problem = ColorSequenceRows(m_doc.primary, rows, color);
                        v.Redraw();
                    });
                    if (!problem.empty())
                        ShowMessage(problem);
                });
    }
    m_sequence->show();
    m_sequence->raise();
}

} // namespace vorn
