// The modal "Reading Trajectory" window: frames read on a worker thread behind a progress bar with
// a Cancel button.
#pragma once

#include "document/VornDoc.h"

#include <QDialog>

#include <atomic>
#include <exception>
#include <functional>
#include <string>
#include <thread>

class QProgressBar;

namespace vorn {

struct Molecule;

// Reads frames [first, end) of the file into the molecule while it is shown: the worker starts
// when the window opens, steps the bar after every frame and closes the window when it is done,
// failed or was cancelled. The molecule is touched by the worker alone until the window closed.
class ReadingTrajectoryDialog : public QDialog {
    Q_OBJECT
public:
    ReadingTrajectoryDialog(Molecule& mol, std::string fileName, int type, int first, int end,
                            QWidget* parent = nullptr);
    ~ReadingTrajectoryDialog() override;

    // Shows the window until the read ends; false when it was cancelled. An error of the read is
    // raised again here, on the calling thread.
    bool Run();

    // Called on the worker after each frame, for tests that need a read to take its time.
    static std::function<void(int)>& FrameHookForTests();

    // Cancel, Escape or closing the window: the worker stops before its next frame.
    void reject() override;

signals:
    void frameRead(int position);
    void readEnded();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Join();

    Molecule& m_mol;
    std::string m_fileName;
    int m_type, m_first, m_end;
    std::atomic<bool> m_keepGoing{true};
    bool m_completed = false;
    std::exception_ptr m_error;
    std::thread m_worker;
    QProgressBar* m_bar;
};

} // namespace vorn
