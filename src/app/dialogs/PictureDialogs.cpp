// The size window of Export Image and the print and copy options window.
#include "app/dialogs/PictureDialogs.h"

#include "app/dialogs/DialogParts.h"
#include "output/ImageFiles.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>

namespace vorn {

namespace {

// The amount the options window offers when there is no limit yet.
constexpr int kSuggestedLimit = 8192; // kilobytes

// A whole number of pixels from 1 to kMaxSide, or 0.
int PixelCount(const QString& text) {
    bool ok = false;
    const uint value = text.trimmed().toUInt(&ok);
    return ok && value >= 1 && value <= ImageSizeDialog::kMaxSide ? static_cast<int>(value) : 0;
}

} // namespace

int LeadingInteger(const QString& text) {
    const QString t = text.trimmed();
    int i = 0;
    const bool negative = i < t.size() && t[i] == '-';
    if (i < t.size() && (t[i] == '-' || t[i] == '+'))
        ++i;
    long long value = 0;
    for (; i < t.size() && t[i].isDigit() && t[i].unicode() < 128; ++i)
        value = std::min<long long>(value * 10 + (t[i].unicode() - '0'), 1LL + INT_MAX);
    value = negative ? -value : value;
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

ImageSizeDialog::ImageSizeDialog(int width, int height, QWidget* parent)
    : QDialog(parent), m_width(new QLineEdit(QString::number(width), this)),
      m_height(new QLineEdit(QString::number(height), this)) {
    setWindowTitle("Export Image");
    auto* group = new QGroupBox("Output dimensions (in pixels)", this);
    auto* form = new QFormLayout(group);
    form->addRow("Width", m_width);
    form->addRow("Height", m_height);
    // The capture keeps the window's proportions and its cap: say so before the user finds out.
    auto* note = new QLabel(QString("The picture keeps the window's proportions within this size, "
                                    "at most %1 pixels a side.")
                                .arg(kMaxCaptureSide),
                            this);
    note->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(note);
    layout->addWidget(OkCancel(this));
}

int ImageSizeDialog::ImageWidth() const {
    return PixelCount(m_width->text());
}

int ImageSizeDialog::ImageHeight() const {
    return PixelCount(m_height->text());
}

void ImageSizeDialog::accept() {
    for (QLineEdit* field : {m_width, m_height}) {
        if (PixelCount(field->text()) > 0)
            continue;
        QMessageBox::warning(
            this, "Vorn",
            QString("Please enter an integer between %1 and %2.").arg(1).arg(kMaxSide));
        field->setFocus();
        field->selectAll();
        return;
    }
    QDialog::accept();
}

PrintOptionsDialog::PrintOptionsDialog(int memoryLimit, int colorDepth, QWidget* parent)
    : QDialog(parent), m_unlimited(new QRadioButton("Use system memory as needed", this)),
      m_limited(new QRadioButton("Limit system memory to", this)), m_amount(new QLineEdit(this)),
      m_depth(new QComboBox(this)) {
    setWindowTitle("Printing/Clip board Options");
    auto* modes = new QButtonGroup(this);
    modes->addButton(m_unlimited);
    modes->addButton(m_limited);
    connect(m_limited, &QRadioButton::toggled, m_amount, &QLineEdit::setEnabled);
    m_amount->setMaximumWidth(90);
    m_depth->addItems({"16 bit", "24 bit"});

    auto* group = new QGroupBox("Print Job/Copy Memory Usage", this);
    auto* amount = new QHBoxLayout;
    amount->addWidget(m_limited);
    amount->addWidget(m_amount);
    amount->addWidget(new QLabel("Kb", this));
    amount->addStretch();
    auto* inGroup = new QVBoxLayout(group);
    inGroup->addWidget(m_unlimited);
    inGroup->addLayout(amount);
    auto* depth = new QHBoxLayout;
    depth->addWidget(new QLabel("Image color depth:", this));
    depth->addWidget(m_depth);
    depth->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(depth);
    layout->addWidget(OkCancel(this));
    ShowOptions(memoryLimit, colorDepth);
}

void PrintOptionsDialog::ShowOptions(int memoryLimit, int colorDepth) {
    const bool unlimited = memoryLimit < 0;
    (unlimited ? m_unlimited : m_limited)->setChecked(true);
    m_amount->setEnabled(!unlimited);
    m_amount->setText(QString::number(unlimited ? kSuggestedLimit : memoryLimit));
    m_depth->setCurrentIndex(colorDepth == 24 ? 1 : 0);
}

void PrintOptionsDialog::accept() {
    // Any number is taken: 0 or less limits nothing.
    const int limit = m_unlimited->isChecked() ? -1 : LeadingInteger(m_amount->text());
    emit optionsChosen(limit, m_depth->currentIndex() == 1 ? 24 : 16);
    QDialog::accept();
}

} // namespace vorn
