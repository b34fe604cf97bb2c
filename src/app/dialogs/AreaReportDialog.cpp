// The surface-area report window.
#include "app/dialogs/AreaReportDialog.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace vorn {

AreaReportDialog::AreaReportDialog(const QString& title, const std::string& report, QWidget* parent)
    : QDialog(parent), m_text(new QPlainTextEdit(this)) {
    setWindowTitle(title);
    // Qt takes the report's "\r\n" for one line end: the text shows and copies with "\n".
    m_text->setPlainText(QString::fromStdString(report));
    m_text->setReadOnly(true);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    layout->addWidget(buttons);
    resize(360, 420);
}

} // namespace vorn
