// The "Reading Trajectory" window and its worker.
#include "app/dialogs/ReadingTrajectoryDialog.h"

#include "document/Trajectory.h"

#include <QDialogButtonBox>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace vorn {

ReadingTrajectoryDialog::ReadingTrajectoryDialog(Molecule& mol, std::string fileName, int type,
                                                 int first, int end, QWidget* parent)
    : QDialog(parent), m_mol(mol), m_fileName(std::move(fileName)), m_type(type), m_first(first),
      m_end(end), m_bar(new QProgressBar(this)) {
    setWindowTitle("Reading Trajectory");
    setModal(true);
    m_bar->setRange(first, end);
    m_bar->setValue(first);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &ReadingTrajectoryDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_bar);
    layout->addWidget(buttons);
    setMinimumWidth(320);
    // Messages of the worker arrive on this thread, in order.
    connect(this, &ReadingTrajectoryDialog::frameRead, m_bar, &QProgressBar::setValue,
            Qt::QueuedConnection);
    connect(this, &ReadingTrajectoryDialog::readEnded, this, &QDialog::accept,
            Qt::QueuedConnection);
}

ReadingTrajectoryDialog::~ReadingTrajectoryDialog() {
    m_keepGoing = false;
    Join();
}

std::function<void(int)>& ReadingTrajectoryDialog::FrameHookForTests() {
    static std::function<void(int)> hook;
    return hook;
}

void ReadingTrajectoryDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_worker.joinable())
        return;
    const std::function<void(int)> hook = FrameHookForTests();
    m_worker = std::thread([this, hook] {
        try {
            m_completed = ReadTrajectoryFrames(m_mol, m_fileName, m_type, m_first, m_end,
                                               m_keepGoing, [this, &hook](int position) {
                                                   if (hook)
                                                       hook(position);
                                                   emit frameRead(position);
                                               });
        } catch (...) {
            m_error = std::current_exception();
        }
        emit readEnded();
    });
}

// Cancel only asks the worker to stop before its next frame; the window closes when it has.
void ReadingTrajectoryDialog::reject() {
    m_keepGoing = false;
    if (auto* cancel = findChild<QPushButton*>())
        cancel->setEnabled(false);
}

void ReadingTrajectoryDialog::Join() {
    if (m_worker.joinable())
        m_worker.join();
}

bool ReadingTrajectoryDialog::Run() {
    exec();
    Join();
    if (m_error)
        std::rethrow_exception(m_error);
    return m_completed && m_keepGoing;
}

} // namespace vorn
