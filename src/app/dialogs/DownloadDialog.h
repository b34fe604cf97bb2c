// The "Download from PDB Database" window: fetches an entry by server and code through a request
// template into a temporary file, showing the amount read.
#pragma once

#include <QDialog>
#include <QString>

#include <memory>
#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QNetworkAccessManager;
class QNetworkReply;
class QPushButton;
class QTemporaryFile;
class QUrl;

namespace vorn {

// OK builds the URL and downloads it over HTTP or HTTPS (redirects are followed only to HTTP or
// HTTPS); the window closes when the file is complete, and stays open with a message when the
// template lacks a marker, no temporary file can be made or the download fails. Cancel stops a
// download. The file is removed with the window unless it was removed before.
class DownloadDialog : public QDialog {
    Q_OBJECT
public:
    // Shows the servers and codes sorted, the first of each list chosen.
    DownloadDialog(const std::vector<std::string>& servers, const std::vector<std::string>& codes,
                   QWidget* parent = nullptr);
    ~DownloadDialog() override;

    // After OK: the downloaded file (its name ends as the URL's path does: .pdb, .pdb.gz, .cif or
    // .cif.gz), and the server and code it came from.
    QString FileName() const;
    QString Server() const { return m_server; }
    QString Code() const { return m_code; }
    bool Downloading() const { return m_reply != nullptr; }

    // A server that sends nothing for this long fails the download (ms); tests shorten it.
    static void SetStallTimeout(int milliseconds);
    // Larger downloads are stopped: no entry comes near it, and a server that sends without end
    // cannot fill the disk.
    static constexpr qint64 kMaxBytes = qint64(1) << 30;

    QComboBox* ServerBox() { return m_servers; }
    QComboBox* CodeBox() { return m_codes; }
    QComboBox* TemplateBox() { return m_template; }
    QLabel* StatusLine() { return m_status; }

    void accept() override;
    void reject() override;

private:
    void Start(const QUrl& url);
    void Redirected(const QUrl& url);
    void Take();
    void Progress(qint64 bytes);
    void Finished();
    void Fail();
    void SetBusy(bool busy);

    QComboBox* m_servers;
    QComboBox* m_codes;
    QComboBox* m_template;
    QLabel* m_status;
    QPushButton* m_ok;
    QNetworkAccessManager* m_network;
    QNetworkReply* m_reply = nullptr; // the download under way
    std::unique_ptr<QTemporaryFile> m_file;
    qint64 m_written = 0;
    bool m_failed = false;    // the reply was stopped: a refused redirect, a write, too large
    bool m_cancelled = false; // stopped by Cancel: no message
    QString m_server;
    QString m_code;
};

} // namespace vorn
