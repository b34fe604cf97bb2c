// The application: start-up in its order (settings, command line, document, window, the files and
// trajectory named on the command line, titles), and what is kept until the program ends.
#pragma once

#include <functional>
#include <memory>

namespace vorn {

class CMainFrame;
class CVornDoc;
class QtSettingsStore;

class CVornApp {
public:
    CVornApp();
    ~CVornApp();

    // Runs the start-up sequence for the command line: the main window is shown and the named
    // files are read. Errors are shown in message boxes; start-up goes on without the files.
    void Start(int argc, char** argv);

    CMainFrame& Frame() { return *m_frame; }
    CVornDoc& Document() { return *m_doc; }

private:
    void ReadCommandLineFiles(int argc, char** argv);

    std::unique_ptr<QtSettingsStore> m_store;
    std::unique_ptr<CVornDoc> m_doc;
    std::unique_ptr<CMainFrame> m_frame;
};

// Sets the GL format every window asks for, before the QApplication exists: a double-buffered
// compatibility-profile context (the view draws with OpenGL 1.1 calls) with the colour and depth
// bits the command line asks for with -bpp and -zbuf (16 each when it does not).
void SetDefaultSurfaceFormat(int argc, char** argv);

// The whole run of the viewer for a command line: the GL format, the QApplication and its names,
// start-up, then the event loop until the last window closes; returns the exit status. started,
// when set, is called once start-up is over and before the event loop runs (the benchmarks watch
// the window from there).
int RunViewer(int argc, char** argv, const std::function<void(CVornApp&)>& started = {});

} // namespace vorn
