// The "Download from PDB Database" window over Qt Network.
#include "app/dialogs/DownloadDialog.h"

#include "app/dialogs/DialogParts.h"
#include "document/StructureDownload.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPushButton>
#include <QTemporaryFile>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace vorn {

namespace {

const char kDownloadFailed[] = "Unable to download pdb entry -- please check server and pdb id";

int g_stallTimeout = 30000; // ms

// An editable drop-down list of the entries sorted (case ignored), the first entry chosen.
QComboBox* SortedBox(const std::vector<std::string>& entries, QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    QStringList items;
    for (const std::string& e : entries)
        items << QString::fromStdString(e);
    QStringList sorted = items;
    std::sort(sorted.begin(), sorted.end(), [](const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    box->addItems(sorted);
    box->setCurrentIndex(items.isEmpty() ? -1 : int(sorted.indexOf(items.front())));
    return box;
}

bool IsWebScheme(const QUrl& url) {
    const QString scheme = url.scheme().toLower();
    return scheme == "http" || scheme == "https";
}

} // namespace

void DownloadDialog::SetStallTimeout(int milliseconds) {
    g_stallTimeout = milliseconds;
}

DownloadDialog::DownloadDialog(const std::vector<std::string>& servers,
                               const std::vector<std::string>& codes, QWidget* parent)
    : QDialog(parent), m_servers(SortedBox(servers, this)), m_codes(SortedBox(codes, this)),
      m_template(new QComboBox(this)), m_status(new QLabel(this)),
      m_network(new QNetworkAccessManager(this)) {
    setWindowTitle("Download from PDB Database");
    m_servers->setObjectName("Server");
    m_codes->setObjectName("Code");
    m_template->setObjectName("Template");
    m_template->setEditable(true);
    m_template->setInsertPolicy(QComboBox::NoInsert);
    for (int i = 0; i < kRequestTemplateCount; ++i)
        m_template->addItem(kRequestTemplates[i]);
    m_template->setCurrentIndex(0);
    m_template->setMinimumContentsLength(44);
    m_status->setObjectName("Status");

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel("Server:", this), 0, 0);
    grid->addWidget(m_servers, 0, 1);
    grid->addWidget(new QLabel("PDB id:", this), 1, 0);
    grid->addWidget(m_codes, 1, 1);
    auto* buttons = OkCancel(this); // OK and Cancel run this window's own
    m_ok = buttons->button(QDialogButtonBox::Ok);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(new QLabel("Format for database request:", this));
    layout->addWidget(m_template);
    layout->addWidget(m_status);
    layout->addWidget(buttons);
}

DownloadDialog::~DownloadDialog() {
    m_cancelled = true;
    if (m_reply)
        m_reply->abort();
}

QString DownloadDialog::FileName() const {
    return m_file ? m_file->fileName() : QString();
}

void DownloadDialog::accept() {
    if (m_reply)
        return; // one download at a time
    const std::string server = m_servers->currentText().toStdString();
    const std::string code = m_codes->currentText().toStdString();
    std::string url;
    if (!RequestUrl(m_template->currentText().toStdString(), server, code, url)) {
        QMessageBox::warning(this, "Vorn", "Invalid query format!");
        return;
    }
    // Only the web: a template of another scheme would read local files or other services.
    const QUrl target(QString::fromStdString(url), QUrl::StrictMode);
    if (!target.isValid() || !IsWebScheme(target) || target.host().isEmpty()) {
        QMessageBox::warning(this, "Vorn", kDownloadFailed);
        return;
    }
    m_file = std::make_unique<QTemporaryFile>(QDir::tempPath() + "/vorn-XXXXXX" +
                                              QString::fromStdString(DownloadSuffix(url)));
    if (!m_file->open()) {
        m_file.reset();
        QMessageBox::warning(this, "Vorn", "Can't make a temporary file to store pdb data!");
        return;
    }
    m_server = QString::fromStdString(server);
    m_code = QString::fromStdString(code);
    Start(target);
}

void DownloadDialog::Start(const QUrl& url) {
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::UserVerifiedRedirectPolicy);
    request.setMaximumRedirectsAllowed(10);
    request.setTransferTimeout(g_stallTimeout);
    m_written = 0;
    m_failed = m_cancelled = false;
    m_reply = m_network->get(request);
    connect(m_reply, &QNetworkReply::redirected, this, &DownloadDialog::Redirected);
    connect(m_reply, &QIODevice::readyRead, this, &DownloadDialog::Take);
    connect(m_reply, &QNetworkReply::downloadProgress, this,
            [this](qint64 received, qint64) { Progress(received); });
    connect(m_reply, &QNetworkReply::finished, this, &DownloadDialog::Finished);
    Progress(0);
    SetBusy(true);
}

void DownloadDialog::Redirected(const QUrl& url) {
    if (!m_reply)
        return;
    if (IsWebScheme(url) && !url.host().isEmpty()) {
        emit m_reply->redirectAllowed();
        return;
    }
    m_failed = true;
    m_reply->abort();
}

// Writes what has arrived; a full disk or a download past the limit stops it.
void DownloadDialog::Take() {
    if (!m_reply || !m_file || m_failed || !m_reply->isOpen())
        return;
    const QByteArray data = m_reply->readAll();
    m_written += data.size();
    if (m_written > kMaxBytes || m_file->write(data) != data.size()) {
        m_failed = true;
        m_reply->abort();
    }
}

void DownloadDialog::Progress(qint64 bytes) {
    m_status->setText(QString::asprintf("%.2fkb read", double(bytes) / 1024.0));
}

void DownloadDialog::Finished() {
    QNetworkReply* reply = m_reply;
    if (!reply)
        return;
    Take();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const bool ok = !m_failed && !m_cancelled && reply->error() == QNetworkReply::NoError &&
                    status >= 200 && status < 300 && m_file && m_file->flush();
    m_reply = nullptr;
    reply->deleteLater();
    SetBusy(false);
    if (m_cancelled) {
        m_file.reset();
        return;
    }
    if (!ok) {
        Fail();
        return;
    }
    m_file->close();
    QDialog::accept();
}

// The partial file goes; the window stays open so that server or code can be corrected.
void DownloadDialog::Fail() {
    m_file.reset();
    m_status->clear();
    QMessageBox::warning(this, "Vorn", kDownloadFailed);
}

void DownloadDialog::SetBusy(bool busy) {
    m_ok->setEnabled(!busy);
    for (QWidget* field : {static_cast<QWidget*>(m_servers), static_cast<QWidget*>(m_codes),
                           static_cast<QWidget*>(m_template)})
        field->setEnabled(!busy);
    if (busy)
        setCursor(Qt::BusyCursor);
    else
        unsetCursor();
}

void DownloadDialog::reject() {
    m_cancelled = true;
    if (m_reply)
        m_reply->abort();
    m_file.reset();
    QDialog::reject();
}

} // namespace vorn
