// The "About Vorn" box and the "Command Line Options" help window.
#include "app/dialogs/AboutDialog.h"

#include "io/CommandLine.h"

#include <QApplication>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QStyle>
#include <QTextEdit>
#include <QVBoxLayout>

namespace vorn {

namespace {

const char kAcknowledgement[] =
    "Vorn shows molecular structures and trajectories in three dimensions.\n\n"
    "It reads coordinates in the Protein Data Bank format and trajectories in the DCD format, "
    "uses zlib for compressed files, libpng for pictures, Qt for its windows and OpenGL for "
    "drawing.\n\n"
    "The structures of the Protein Data Bank are made freely available by the wwPDB.";

// The build's date and time as weekday, month, day, time and year.
QString BuildDate() {
    const QString text = QString("%1 %2").arg(__DATE__, __TIME__).simplified();
    QDateTime when = QLocale::c().toDateTime(text, "MMM d yyyy HH:mm:ss");
    if (!when.isValid())
        return text;
    return QLocale::c().toString(when, "ddd MMM d HH:mm:ss yyyy");
}

QLabel* Field(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

} // namespace

double VornVersion() {
    return 0.2;
}

AboutDialog::AboutDialog(int depthBits, int colorBits, const QString& renderer, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle("About Vorn");
    auto* icon = new QLabel(this);
    icon->setPixmap(QApplication::windowIcon().pixmap(48, 48));
    auto* fields = new QVBoxLayout;
    fields->addWidget(Field(QString::asprintf("Vorn (linux) version %.2f", VornVersion()), this));
    fields->addWidget(Field(QString("Build date: %1").arg(BuildDate()), this));
    fields->addWidget(Field(
        QString::asprintf("Using a %d bit Z buffer with %d bpp display", depthBits, colorBits),
        this));
    fields->addWidget(Field(renderer, this));
    auto* thanks = new QPlainTextEdit(kAcknowledgement, this);
    thanks->setReadOnly(true);
    thanks->setMinimumHeight(110);
    fields->addWidget(thanks);
    auto* top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addLayout(fields, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
    resize(460, 320);
}

CommandLineHelpDialog::CommandLineHelpDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(kCommandLineHelpTitle);
    auto* text = new QTextEdit(this);
    text->setReadOnly(true);
    text->setPlainText(QString(kCommandLineHelpText).replace("\r\n", "\n"));
    text->setTabStopDistance(8 * text->fontMetrics().horizontalAdvance(' ') * 2);
    text->setLineWrapMode(QTextEdit::NoWrap);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(buttons);
    resize(620, 300);
}

} // namespace vorn
