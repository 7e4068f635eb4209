#pragma once

#include <QDialog>
#include <QTimer>
#include <QUrl>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

class QIODevice;
namespace Ui {
class CDownloadDlg;
}

namespace kelvara {
struct WebAccess;
// Result codes of failed transfers, shown as " [0x%08X]" after the error text: the internet facility
// 0x800C0000 combined with the network layer's error number (QNetworkReply::NetworkError).
std::int32_t NetworkResultCode(int networkError);
// Failures of the temporary file (writing, closing) carry the system's code instead, 0x80070000 with
// the errno, and the system's text for it.
// Our own reasons, in the same facility.
inline constexpr auto kTransferTimedOut = static_cast<std::int32_t>(0x800C0004u); // TimeoutError
inline constexpr auto kReplyTooLarge = static_cast<std::int32_t>(0x800C7001u);
inline constexpr auto kReplyIncomplete = static_cast<std::int32_t>(0x800C7002u);
} // namespace kelvara

// Fetches one http or https address into a new temporary file behind a small modal dialog with
// progress and a Cancel button. exec() gives 1 only when the whole resource is in the file; 2
// otherwise, after the failure has been reported to the user (string 46 with the network layer's
// text and code) or because the user cancelled (Cancel, the close box or Escape; nothing shown).
// The file lives in the program's private temporary folder until the dialog object is destroyed.
//
// Redirects are followed only within the same scheme or from http to https; the system's proxy
// settings apply; a transfer that receives nothing for the idle timeout (30 s) fails, so does one
// not finished by the deadline (two minutes, redirects included: a server may trickle a byte at a
// time) and a reply larger than the size limit (4 MB): the services answer small documents.
class CDownloadDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr qint64 kDefaultSizeLimit = 4 * 1024 * 1024;
    static constexpr std::chrono::milliseconds kDefaultIdleTimeout{30000};
    static constexpr std::chrono::milliseconds kDefaultDeadline{120000};
    static constexpr int kMaxRedirects = 10;

    explicit CDownloadDlg(QWidget* parent = nullptr);
    ~CDownloadDlg() override;
    Q_DISABLE_COPY_MOVE(CDownloadDlg)

    // The line at the top of the dialog.
    void SetOperation(const std::string& text);
    void SetUrl(const std::string& url);
    void SetSizeLimit(qint64 bytes) { m_sizeLimit = bytes; }
    void SetIdleTimeout(std::chrono::milliseconds timeout) { m_idleTimeout = timeout; }
    void SetDeadline(std::chrono::milliseconds deadline) { m_deadline = deadline; }

    // The temporary file's path; empty before the transfer started.
    const std::string& GetFileName() const { return m_fileName; }
    // The file's contents with every "\r\n" folded into "\n"; empty when it cannot be read (or is
    // larger than the size limit).
    std::string ReadFileText() const;

public slots:
    // Cancel, the close box and Escape all end here.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Start();
    void Progress(qint64 progress, qint64 maximum);
    void OnReadyRead();
    void OnMetaData();
    // The Content-Length of the current reply; -1 when it has none.
    qint64 AnnouncedLength() const;
    void FailTooLarge();
    void Request(const QUrl& url);
    // Where a finished or arriving redirect points, resolved; empty for any other reply.
    QUrl RedirectTarget() const;
    void FollowRedirect(const QUrl& target);
    void OnFinished();
    void OnIdle();
    void OnDeadline();
    bool WriteAvailable();
    // Fail with a system error: its code and the system's text.
    void FailSystem(int error);
    // Ends the dialog with 2: aborts the transfer and closes the file (which stays until destruction).
    void Cancel();
    // Cancel, then tell the user why with string 46, `text` and `code`.
    void Fail(std::int32_t code, const std::string& text);
    void StopTransfer();
    bool CloseFile();

    std::unique_ptr<Ui::CDownloadDlg> m_ui;
    const kelvara::WebAccess* m_web = nullptr;
    QObject* m_network = nullptr;
    QIODevice* m_reply = nullptr;
    QTimer m_idleTimer;
    QTimer m_deadlineTimer;
    QUrl m_currentUrl;
    std::string m_url;
    std::string m_fileName;
    int m_fd = -1;
    qint64 m_written = 0;
    qint64 m_drained = 0; // bytes of redirect bodies thrown away
    int m_redirects = 0;
    qint64 m_sizeLimit = kDefaultSizeLimit;
    std::chrono::milliseconds m_idleTimeout = kDefaultIdleTimeout;
    std::chrono::milliseconds m_deadline = kDefaultDeadline;
    bool m_started = false;
    bool m_cancelled = false;
};
