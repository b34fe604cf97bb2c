// The movie window and its codec choice.
#include "app/dialogs/MovieDialog.h"

#include "app/WaitCursor.h"
#include "app/dialogs/DialogParts.h"
#include "app/dialogs/PictureDialogs.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>

namespace vorn {

namespace {

constexpr int kMaxFrameRate = 120; // frames per second
constexpr int kMaxFrameSide = 32767;

bool IsLossy(MovieCodec codec) {
    return codec == MovieCodec::mjpeg || codec == MovieCodec::mpeg4 || codec == MovieCodec::h264;
}

bool Offers(const std::vector<MovieCodecInfo>& available, MovieCodec codec) {
    return std::any_of(available.begin(), available.end(),
                       [codec](const MovieCodecInfo& info) { return info.codec == codec; });
}

} // namespace

SpinField::SpinField(int minimum, int maximum, int value, QWidget* parent)
    : QAbstractSpinBox(parent), m_minimum(minimum), m_maximum(maximum) {
    lineEdit()->setText(QString::number(value));
    setMinimumWidth(fontMetrics().horizontalAdvance(QString::number(maximum)) + 40);
}

QString SpinField::Text() const {
    return lineEdit()->text();
}

void SpinField::SetText(const QString& text) {
    lineEdit()->setText(text);
}

void SpinField::stepBy(int steps) {
    const long long value = static_cast<long long>(LeadingInteger(Text())) + steps;
    lineEdit()->setText(QString::number(std::clamp<long long>(value, m_minimum, m_maximum)));
}

QValidator::State SpinField::validate(QString&, int&) const {
    return QValidator::Acceptable;
}

void SpinField::fixup(QString&) const {}

QAbstractSpinBox::StepEnabled SpinField::stepEnabled() const {
    const int value = LeadingInteger(Text());
    StepEnabled enabled = StepNone;
    if (value < m_maximum)
        enabled |= StepUpEnabled;
    if (value > m_minimum)
        enabled |= StepDownEnabled;
    return enabled;
}

CompressionOptionsDialog::CompressionOptionsDialog(MovieContainer container, MovieCodec codec,
                                                   int quality, QWidget* parent)
    : QDialog(parent), m_available(AvailableMovieCodecs(container)), m_codecs(new QComboBox(this)),
      m_quality(new QSlider(Qt::Horizontal, this)), m_qualityText(new QLabel(this)) {
    setWindowTitle("Compression Options");
    for (const MovieCodecInfo& info : m_available) {
        m_codecs->addItem(info.label);
        if (info.codec == codec)
            m_codecs->setCurrentIndex(m_codecs->count() - 1);
    }
    m_quality->setRange(1, 100);
    m_quality->setValue(std::clamp(quality, 1, 100));
    m_quality->setMinimumWidth(160);
    m_qualityText->setMinimumWidth(30);
    connect(m_quality, &QSlider::valueChanged, this, &CompressionOptionsDialog::ShowQuality);
    connect(m_codecs, &QComboBox::currentIndexChanged, this,
            &CompressionOptionsDialog::ShowQuality);

    auto* qualityRow = new QHBoxLayout;
    qualityRow->addWidget(m_quality);
    qualityRow->addWidget(m_qualityText);
    auto* form = new QFormLayout;
    form->addRow("Compressor:", m_codecs);
    form->addRow("Compression Quality:", qualityRow);
    auto* buttons = OkCancel(this);
    buttons->button(QDialogButtonBox::Ok)->setEnabled(!m_available.empty());
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    ShowQuality();
}

MovieCodec CompressionOptionsDialog::Codec() const {
    const int index = m_codecs->currentIndex();
    return index >= 0 ? m_available[static_cast<size_t>(index)].codec : MovieCodec::raw;
}

int CompressionOptionsDialog::Quality() const {
    return m_quality->value();
}

// Uncompressed and FFV1 frames are lossless: there is no quality to choose.
void CompressionOptionsDialog::ShowQuality() {
    const bool lossy = m_codecs->currentIndex() >= 0 && IsLossy(Codec());
    m_quality->setEnabled(lossy);
    m_qualityText->setText(lossy ? QString::number(m_quality->value()) : QString());
}

MovieDialog::MovieDialog(int frames, int width, int height, Recorder recorder, QWidget* parent)
    : QDialog(parent), m_recorder(std::move(recorder)),
      m_entire(new QRadioButton("Render entire trajectory", this)),
      m_selection(new QRadioButton("Render selection", this)), m_start(new QLineEdit("1", this)),
      m_stop(new QLineEdit(QString::number(frames), this)),
      m_width(new SpinField(1, kMaxFrameSide, width, this)),
      m_height(new SpinField(1, kMaxFrameSide, height, this)),
      m_rate(new SpinField(1, kMaxFrameRate, 15, this)), m_depth(new QComboBox(this)),
      m_name(new QLineEdit(this)),
      m_surfaces(new QCheckBox("Update Molecular Surface Every Step", this)),
      m_progress(new QProgressBar(this)), m_record(new QPushButton("Record", this)),
      m_cancel(new QPushButton("Cancel", this)), m_frames(frames) {
    setWindowTitle("Render Trajectory As AVI Movie");
    auto* modes = new QButtonGroup(this);
    modes->addButton(m_entire);
    modes->addButton(m_selection);
    m_entire->setChecked(true);
    for (QLineEdit* field : {m_start, m_stop}) {
        field->setEnabled(false);
        field->setMaximumWidth(80);
        connect(m_selection, &QRadioButton::toggled, field, &QLineEdit::setEnabled);
    }
    m_depth->addItems({"16 bpp", "24 bpp"});
    m_name->setMinimumWidth(260);
    m_progress->setTextVisible(false);
    m_progress->setValue(0);

    auto* range = new QGroupBox("Frames", this);
    auto* rangeGrid = new QGridLayout(range);
    rangeGrid->addWidget(m_entire, 0, 0, 1, 4);
    rangeGrid->addWidget(m_selection, 1, 0, 1, 4);
    rangeGrid->addWidget(new QLabel("Start frame:", this), 2, 0);
    rangeGrid->addWidget(m_start, 2, 1);
    rangeGrid->addWidget(new QLabel("Stop frame:", this), 2, 2);
    rangeGrid->addWidget(m_stop, 2, 3);

    auto* picture = new QGroupBox("Movie", this);
    auto* pictureForm = new QFormLayout(picture);
    pictureForm->addRow("Width:", m_width);
    pictureForm->addRow("Height:", m_height);
    pictureForm->addRow("Frame rate (fps):", m_rate);
    pictureForm->addRow("Color depth:", m_depth);

    auto* browse = new QPushButton("Browse ...", this);
    connect(browse, &QPushButton::clicked, this, &MovieDialog::Browse);
    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(new QLabel("File name:", this));
    nameRow->addWidget(m_name, 1);
    nameRow->addWidget(browse);

    for (QPushButton* b : {browse, m_cancel})
        b->setAutoDefault(false);
    m_record->setDefault(true);
    connect(m_record, &QPushButton::clicked, this, &MovieDialog::Record);
    connect(m_cancel, &QPushButton::clicked, this, &MovieDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_record);
    buttons->addWidget(m_cancel);

    auto* top = new QHBoxLayout;
    top->addWidget(range);
    top->addWidget(picture);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(nameRow);
    layout->addWidget(m_surfaces);
    layout->addWidget(m_progress);
    layout->addLayout(buttons);
}

void MovieDialog::reject() {
    // Closing the window while it records stops the recording; the window stays.
    if (m_recording) {
        m_cancelRequested = true;
        return;
    }
    QDialog::reject();
}

void MovieDialog::Browse() {
    QFileDialog dialog(this, "Specify AVI file to create", QDir::currentPath(),
                       "AVI files (*.avi);;MP4 files (*.mp4)");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    const bool mp4 = ContainerOfName(m_name->text().toStdString()) == MovieContainer::mp4;
    dialog.setDefaultSuffix(mp4 ? "mp4" : "avi");
    if (mp4)
        dialog.selectNameFilter("MP4 files (*.mp4)");
    if (!m_name->text().isEmpty())
        dialog.selectFile(m_name->text());
    connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
        dialog.setDefaultSuffix(filter.contains("mp4") ? "mp4" : "avi");
    });
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        m_name->setText(QDir::toNativeSeparators(dialog.selectedFiles().front()));
}

void MovieDialog::Complain(const QString& text) {
    QMessageBox::warning(this, "Vorn", text);
}

bool MovieDialog::CheckedRequest(MovieRequest& request) {
    int start = 1, stop = m_frames;
    if (m_selection->isChecked()) {
        start = LeadingInteger(m_start->text());
        stop = LeadingInteger(m_stop->text());
    }
    if (start < 0 || stop < start) {
        Complain("Please enter a valid step range!");
        return false;
    }
    const long long frames = static_cast<long long>(stop) - start + 1;
    m_progress->setRange(0, static_cast<int>(std::min<long long>(frames, INT_MAX)));
    m_progress->setValue(0);
    const int rate = LeadingInteger(m_rate->Text());
    const int width = LeadingInteger(m_width->Text());
    const int height = LeadingInteger(m_height->Text());
    if (rate < 1 || rate > kMaxFrameRate) {
        Complain(QString("Please enter a frame rate between 1 and %1").arg(kMaxFrameRate));
        return false;
    }
    // Beyond the arrows' range a frame would take gigabytes.
    if (width < 1 || width > kMaxFrameSide) {
        Complain("Please enter a valid width");
        return false;
    }
    if (height < 1 || height > kMaxFrameSide) {
        Complain("Please enter a valid height");
        return false;
    }
    if (m_name->text().trimmed().isEmpty()) {
        Complain("Please enter a file name");
        return false;
    }
    request.fileName = QFile::encodeName(m_name->text()).toStdString();
    request.width = width;
    request.height = height;
    request.frameRate = rate;
    request.depth = m_depth->currentIndex() == 1 ? 24 : 16;
    request.start = start;
    request.stop = stop;
    request.updateSurfaces = m_surfaces->isChecked();
    return true;
}

// The codec, from those the container takes; the last one chosen is offered again.
bool MovieDialog::ChooseCompression(MovieRequest& request) {
    const MovieContainer container = ContainerOfName(request.fileName);
    const MovieCodec offered =
        Offers(AvailableMovieCodecs(container), m_codec) ? m_codec : DefaultMovieCodec(container);
    CompressionOptionsDialog dialog(container, offered, m_quality, this);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    m_codec = request.codec = dialog.Codec();
    m_quality = request.quality = dialog.Quality();
    return true;
}

void MovieDialog::Record() {
    if (m_recording)
        return;
    MovieRequest request;
    if (!CheckedRequest(request) || !ChooseCompression(request))
        return;
    m_recording = true;
    m_cancelRequested = false;
    m_record->setEnabled(false);
    RecordingResult result;
    std::string error;
    {
        const WaitCursor wait;
        // The window's Cancel is the one way out while frames are drawn; the rest of the program
        // waits behind this modal window.
        const auto progress = [this](int written, int) {
            m_progress->setValue(written);
            QApplication::processEvents();
            return !m_cancelRequested;
        };
        result = m_recorder(request, progress, error);
    }
    m_recording = false;
    m_record->setEnabled(true);
    if (result != RecordingResult::kWritten) {
        m_progress->setValue(0);
        if (result == RecordingResult::kFailed)
            Complain(QString::fromStdString(error));
        return;
    }
    QMessageBox::information(this, "Vorn", "Movie creation successfull!");
    accept();
}

} // namespace vorn
