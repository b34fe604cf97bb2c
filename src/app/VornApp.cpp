// The application's start-up sequence.
#include "app/VornApp.h"

#include "app/GlWidget.h"
#include "app/MainFrame.h"
#include "app/QtSettingsStore.h"
#include "core/VornError.h"
#include "document/ReadingSettings.h"
#include "document/Trajectory.h"
#include "document/VornDoc.h"
#include "io/CommandLine.h"
#include "render/ViewSettings.h"
#include "render/VornView.h"

#include <QApplication>
#include <QIcon>
#include <QSurfaceFormat>

#include <clocale>
#include <string>

// The icon is a resource of the vorn_app library: a static library's resource object is linked
// (and registers itself) only when something names it. Qt's macro cannot be used in a namespace.
static void RegisterResources() {
    Q_INIT_RESOURCE(vorn);
}

namespace vorn {

namespace {

// The command line parsed quietly, for the depths wanted before anything else exists; its errors
// are shown once the window is there.
CCommandLineOptions ParsedQuietly(int argc, char** argv) {
    CCommandLineOptions options;
    try {
        ParseCommandLine(argc, argv, options);
    } catch (const VornError&) {
    }
    return options;
}

// Colour bits split over red, green and blue: 16 as 5, 6, 5, otherwise 8 each.
void SetColorBits(QSurfaceFormat& format, int bits) {
    if (bits > 0 && bits <= 16) {
        format.setRedBufferSize(5);
        format.setGreenBufferSize(6);
        format.setBlueBufferSize(5);
    } else {
        format.setRedBufferSize(8);
        format.setGreenBufferSize(8);
        format.setBlueBufferSize(8);
    }
}

} // namespace

void SetDefaultSurfaceFormat(int argc, char** argv) {
    const CCommandLineOptions options = ParsedQuietly(argc, argv);
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setVersion(2, 1);
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    format.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
    SetColorBits(format, options.bppGiven ? options.bppValue : 16);
    format.setDepthBufferSize(options.zbufGiven && options.zbufValue > 0 ? options.zbufValue : 16);
    QSurfaceFormat::setDefaultFormat(format);
}

int RunViewer(int argc, char** argv, const std::function<void(CVornApp&)>& started) {
    SetDefaultSurfaceFormat(argc, argv);
    QApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);
    RegisterResources();
    // Numbers in files and settings are written with a decimal point whatever the user's locale.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName("Vorn");
    QApplication::setOrganizationName("Vorn");
    QApplication::setWindowIcon(QIcon(":/vorn.png"));
    CVornApp app;
    app.Start(argc, argv);
    if (started)
        started(app);
    return QApplication::exec();
}

CVornApp::CVornApp() = default;

// The window is destroyed first: it writes the settings through the store and the view draws the
// document until then.
CVornApp::~CVornApp() {
    m_frame.reset();
}

void CVornApp::Start(int argc, char** argv) {
    m_store = std::make_unique<QtSettingsStore>();
    m_doc = std::make_unique<CVornDoc>();
    LoadReadingSettings(*m_doc, *m_store);
    m_frame = std::make_unique<CMainFrame>(*m_doc, *m_store);
    m_doc->SetUi(m_frame.get());
    SetDefaultSettings(m_frame->GlView().View(), m_store.get());
    m_frame->show();
    ReadCommandLineFiles(argc, argv);
}

// The files and trajectory named on the command line. -multi reads the models of the files as
// frames for this run (the stored option stays as it is), and -align or -cm choose how those
// frames are processed; a file read as a trajectory with -dcd is processed by the same options.
void CVornApp::ReadCommandLineFiles(int argc, char** argv) {
    CMainFrame& frame = *m_frame;
    CCommandLineOptions options;
    try {
        ParseCommandLine(argc, argv, options);
    } catch (const VornError& e) {
        frame.ShowMessage(e.what());
        return;
    }
    CVornDoc& doc = *m_doc;
    doc.connectOnRead = options.connect;
    const int mode = options.align ? kTrajectoryAlign
                                   : (options.zeroCom ? kTrajectoryZeroCom : kTrajectoryVerbatim);
    const bool storedMulti = doc.multiModelTraj;
    const int storedProcess = doc.multiModelTrajProcess;
    if (options.multi) {
        doc.multiModelTraj = true;
        doc.multiModelTrajProcess = mode;
    }
    if (!options.pdbGiven && !options.fileGiven) {
        if (options.help)
            frame.ShowCommandLineHelp();
        return;
    }
    bool untitled = false; // a structure was read, and the title does not say so yet
    frame.Run([&] {
        if (options.files.Count() > 1 && options.dcdGiven)
            VORN_RAISE("Vorn", "Only one structure can be read when reading DCD files");
        for (const std::string& file : options.files) {
            if (!doc.ReadCoordinateFile(file))
                VORN_RAISE("Vorn", "Unable to read file");
            untitled = true;
        }
        std::string title = options.files[0];
        if (options.dcdGiven) {
            doc.ReadTrajectory(options.dcdFile, kTrajectoryDcd, mode,
                               "Trajectory read has been canceled", frame.TrajectoryRunner());
            title += "+" + options.dcdFile;
        }
        frame.SetDocumentTitle(title);
        frame.DocumentChanged();
        if (options.help)
            frame.ShowCommandLineHelp();
        untitled = false;
    });
    // A structure read before something failed (its trajectory, a later file) is shown: the title
    // names it rather than saying that nothing was loaded.
    if (untitled && doc.primary)
        frame.SetDocumentTitle(doc.primary->fileName);
    if (options.multi) {
        // What -multi chose holds for this run's reads only; the stored options are saved.
        doc.multiModelTraj = storedMulti;
        doc.multiModelTrajProcess = storedProcess;
    }
    frame.DocumentChanged();
}

} // namespace vorn
