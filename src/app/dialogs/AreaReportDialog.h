// The modal window that shows a surface-area report (per residue or per atom) as text the user
// can select and copy.
#pragma once

#include <QDialog>

#include <string>

class QPlainTextEdit;

namespace vorn {

class AreaReportDialog : public QDialog {
    Q_OBJECT
public:
    // The report as SurfaceAreaReport gives it (lines end in "\r\n"); shown with plain line ends.
    AreaReportDialog(const QString& title, const std::string& report, QWidget* parent = nullptr);

    QPlainTextEdit* Text() { return m_text; }

private:
    QPlainTextEdit* m_text;
};

} // namespace vorn
