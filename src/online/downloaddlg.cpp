#include "online/downloaddlg.h"

#include "online/bytesize.h"
#include "online/quietfetch.h"
#include "online/webaccess.h"
#include "platform/messages.h"
#include "platform/privatetemp.h"
#include "text/formattext.h"
#include "text/formatting.h"
#include "text/outsidetext.h"
#include "text/strings.h"
#include "ui_downloaddlg.h"

#include <kelvara/version.h>

#include <QIODevice>
#include <QPushButton>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The text of the last failure, by code, for the message box's error line: the network layer's
// texts are specific to one reply (they name the address and the server's answer), so they are
// remembered when the failure happens rather than looked up by number.
std::int32_t g_lastCode = 0;
std::string g_lastText;

std::string NetworkErrorText(std::int32_t code)
{
    if (code == g_lastCode && !g_lastText.empty())
        return g_lastText;
    const auto ucode = static_cast<std::uint32_t>(code);
    if ((ucode & 0xFFFF0000u) == 0x800C0000u)
        return kelvara::FormatText(kelvara::LoadString(kelvara::IDS_NETWORK_ERROR), {ucode & 0xFFFFu});
    return {};
}

bool IsWebScheme(const QString& scheme)
{
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}
} // namespace

namespace kelvara {
std::int32_t NetworkResultCode(int networkError)
{
    return static_cast<std::int32_t>(0x800C0000u | (static_cast<std::uint32_t>(networkError) & 0xFFFFu));
}
} // namespace kelvara

CDownloadDlg::CDownloadDlg(QWidget* parent) : QDialog(parent), m_ui(std::make_unique<Ui::CDownloadDlg>())
{
    m_ui->setupUi(this);
    setWindowTitle(QString::fromStdString(kelvara::LoadString(kelvara::IDS_APP_TITLE)));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    m_ui->progressBar->setRange(0, 100);
    m_ui->progressBar->setValue(0);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &CDownloadDlg::reject);
    m_idleTimer.setSingleShot(true);
    connect(&m_idleTimer, &QTimer::timeout, this, &CDownloadDlg::OnIdle);
    m_deadlineTimer.setSingleShot(true);
    connect(&m_deadlineTimer, &QTimer::timeout, this, &CDownloadDlg::OnDeadline);
    kelvara::SetErrorTextProvider(&NetworkErrorText);
}

CDownloadDlg::~CDownloadDlg()
{
    StopTransfer();
    CloseFile();
    if (!m_fileName.empty()) {
        ::unlink(m_fileName.c_str());
        m_fileName.clear();
    }
}

void CDownloadDlg::SetOperation(const std::string& text)
{
    m_ui->operationLabel->setText(QString::fromStdString(text));
}

void CDownloadDlg::SetUrl(const std::string& url)
{
    m_url = url;
}

void CDownloadDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Start once the dialog is on screen, from the event loop of the modal run.
    if (!m_started) {
        m_started = true;
        QMetaObject::invokeMethod(this, &CDownloadDlg::Start, Qt::QueuedConnection);
    }
}

void CDownloadDlg::Start()
{
    if (m_cancelled)
        return;
    m_ui->progressBar->setValue(0);
    repaint();

    const int fd = kelvara::CreatePrivateTempFile("Tav", m_fileName);
    if (fd < 0) {
        const std::int32_t code = kelvara::ResultFromErrno(errno);
        Cancel();
        ShowErrorMessage(kelvara::IDS_TEMPFILE_FAILED, kelvara::MB_OK | kelvara::MB_ICONERROR, code);
        return;
    }
    m_fd = fd;

    m_currentUrl = QUrl(QString::fromStdString(m_url));
    if (!m_currentUrl.isValid() || !IsWebScheme(m_currentUrl.scheme()) || m_currentUrl.host().isEmpty()) {
        Fail(kelvara::NetworkResultCode(kelvara::neterror::kProtocolUnknown),
             kelvara::FormatText(kelvara::LoadString(kelvara::IDS_NOT_WEB_ADDRESS), {m_url}));
        return;
    }

    std::string why;
    if (!m_web && !(m_web = kelvara::GetWebAccess(&why))) {
        Fail(kelvara::NetworkResultCode(kelvara::neterror::kUnknownNetwork), why);
        return;
    }
    if (!m_network)
        m_network = m_web->createManager(this);
    m_deadlineTimer.start(m_deadline);
    Request(m_currentUrl);
}

void CDownloadDlg::Request(const QUrl& url)
{
    m_currentUrl = url;
    m_drained = 0;
    // The network layer keeps no more than this of a reply that we have not taken yet.
    m_reply = m_web->get(m_network, url, QStringLiteral("Kelvara/" KELVARA_VERSION_STRING),
                         kelvara::QuietFetch::kReadBufferSize, this,
                         {[this] { OnReadyRead(); }, [this] { OnMetaData(); }, [this] { OnFinished(); }});
    m_idleTimer.start(m_idleTimeout);
}

void CDownloadDlg::Progress(qint64 progress, qint64 maximum)
{
    const std::string done =
        kelvara::FormatByteSize(static_cast<std::uint64_t>(std::max<qint64>(progress, 0)));
    std::string text;
    if (maximum > 0) {
        text = kelvara::FormatText(kelvara::LoadString(kelvara::IDS_DOWNLOADED_OF),
                                   {done, kelvara::FormatByteSize(static_cast<std::uint64_t>(maximum))});
        const double position = static_cast<double>(progress) * 100.0 / static_cast<double>(maximum);
        m_ui->progressBar->setValue(static_cast<int>(std::clamp(position, 0.0, 100.0)));
    } else {
        // Without a length the bar cannot tell anything; it stays where it is.
        text = kelvara::FormatText(kelvara::LoadString(kelvara::IDS_DOWNLOADED), {done});
    }
    m_ui->statusLabel->setText(QString::fromStdString(text));
}

qint64 CDownloadDlg::AnnouncedLength() const
{
    return m_web->contentLength(m_reply);
}

void CDownloadDlg::OnMetaData()
{
    if (!m_reply || !RedirectTarget().isEmpty())
        return;
    m_idleTimer.start(m_idleTimeout);
    // Refused before anything is stored.
    if (AnnouncedLength() > m_sizeLimit) {
        FailTooLarge();
        return;
    }
    // The server has answered: "Connecting" gives way to the count.
    Progress(m_written, std::max<qint64>(AnnouncedLength(), 0));
}

void CDownloadDlg::FailTooLarge()
{
    Fail(kelvara::kReplyTooLarge,
         kelvara::FormatText(kelvara::LoadString(kelvara::IDS_REPLY_LARGER_THAN),
                             {kelvara::FormatByteSize(static_cast<std::uint64_t>(m_sizeLimit))}));
}

void CDownloadDlg::OnReadyRead()
{
    if (!m_reply)
        return;
    m_idleTimer.start(m_idleTimeout);
    // The body of a redirect is not the resource; it is thrown away, up to the size limit.
    if (!RedirectTarget().isEmpty()) {
        char buffer[16 * 1024];
        qint64 n = 0;
        while ((n = m_reply->read(buffer, sizeof buffer)) > 0) {
            m_drained += n;
            if (m_drained > m_sizeLimit) {
                FailTooLarge();
                return;
            }
        }
        return;
    }
    if (AnnouncedLength() > m_sizeLimit) {
        FailTooLarge();
        return;
    }
    if (WriteAvailable())
        Progress(m_written, std::max<qint64>(AnnouncedLength(), 0));
}

bool CDownloadDlg::WriteAvailable()
{
    // In pieces of a bounded size, whatever the network layer holds.
    char buffer[16 * 1024];
    for (;;) {
        const qint64 got = m_reply->read(buffer, sizeof buffer);
        if (got <= 0)
            return true;
        if (m_written + got > m_sizeLimit) {
            FailTooLarge();
            return false;
        }
        const char* next = buffer;
        qint64 left = got;
        while (left > 0) {
            const ssize_t n = ::write(m_fd, next, static_cast<std::size_t>(left));
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                FailSystem(errno);
                return false;
            }
            next += n;
            left -= n;
            m_written += n;
        }
    }
}

void CDownloadDlg::FailSystem(int error)
{
    // The code and the system's text for it, taken before anything else can change errno.
    const std::int32_t code = kelvara::ResultFromErrno(error);
    Fail(code, kelvara::GetErrorText(code));
}

void CDownloadDlg::OnFinished()
{
    if (!m_reply)
        return;
    m_idleTimer.stop();
    if (const int error = m_web->error(m_reply); error != 0) {
        // The network layer's text carries the server's reason phrase.
        Fail(kelvara::NetworkResultCode(error),
             kelvara::OutsideText(m_reply->errorString().toStdString(), kelvara::kMaxErrorText));
        return;
    }
    if (const QUrl target = RedirectTarget(); !target.isEmpty()) {
        FollowRedirect(target);
        return;
    }
    if (!WriteAvailable())
        return;
    // The network layer reports a connection closed early; this also catches a server that says
    // it is done before the length it announced.
    const qint64 length = AnnouncedLength();
    if (length >= 0 && length != m_written) {
        Fail(kelvara::kReplyIncomplete,
             kelvara::FormatText(kelvara::LoadString(kelvara::IDS_REPLY_INCOMPLETE), {m_written, length}));
        return;
    }
    Progress(m_written, std::max<qint64>(length, 0));
    StopTransfer();
    if (!CloseFile()) {
        FailSystem(errno);
        return;
    }
    done(1);
}

QUrl CDownloadDlg::RedirectTarget() const
{
    return kelvara::RedirectTarget(*m_web, m_reply, m_currentUrl);
}

void CDownloadDlg::FollowRedirect(const QUrl& target)
{
    // Never to a weaker scheme, and never off the web.
    if (!kelvara::IsAllowedRedirect(m_currentUrl, target)) {
        Fail(kelvara::NetworkResultCode(kelvara::neterror::kInsecureRedirect),
             kelvara::FormatText(
                 kelvara::LoadString(kelvara::IDS_REDIRECT_NOT_ALLOWED),
                 {kelvara::OutsideText(target.toString().toStdString(), kelvara::kMaxErrorText)}));
        return;
    }
    if (++m_redirects > kMaxRedirects) {
        Fail(kelvara::NetworkResultCode(kelvara::neterror::kTooManyRedirects),
             kelvara::LoadString(kelvara::IDS_TOO_MANY_REDIRECTS));
        return;
    }
    StopTransfer();
    Request(target);
}

void CDownloadDlg::OnIdle()
{
    if (!m_reply)
        return;
    Fail(kelvara::kTransferTimedOut,
         kelvara::FormatText(kelvara::LoadString(kelvara::IDS_SERVER_SILENT),
                             {FormatDouble(static_cast<double>(m_idleTimeout.count()) / 1000.0)}));
}

void CDownloadDlg::OnDeadline()
{
    if (!m_reply)
        return;
    Fail(kelvara::kTransferTimedOut,
         kelvara::FormatText(kelvara::LoadString(kelvara::IDS_TRANSFER_TOO_LONG),
                             {FormatDouble(static_cast<double>(m_deadline.count()) / 1000.0)}));
}

void CDownloadDlg::reject()
{
    Cancel();
}

void CDownloadDlg::Cancel()
{
    m_cancelled = true;
    m_ui->cancelButton->setEnabled(false);
    m_idleTimer.stop();
    m_deadlineTimer.stop();
    StopTransfer();
    CloseFile();
    done(2);
}

void CDownloadDlg::Fail(std::int32_t code, const std::string& text)
{
    Cancel();
    g_lastCode = code;
    g_lastText = text;
    ShowErrorMessage(kelvara::IDS_RETRIEVE_FAILED, kelvara::MB_OK | kelvara::MB_ICONERROR, code);
}

void CDownloadDlg::StopTransfer()
{
    if (!m_reply)
        return;
    QIODevice* reply = m_reply;
    m_reply = nullptr;
    reply->disconnect(this);
    m_web->abort(reply);
}

bool CDownloadDlg::CloseFile()
{
    if (m_fd < 0)
        return true;
    const int fd = m_fd;
    m_fd = -1;
    return ::close(fd) == 0;
}

std::string CDownloadDlg::ReadFileText() const
{
    if (m_fileName.empty())
        return {};
    const int fd = ::open(m_fileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {};
    std::string content;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && info.st_size >= 0 && info.st_size <= m_sizeLimit) {
        content.resize(static_cast<std::size_t>(info.st_size));
        std::size_t got = 0;
        while (got < content.size()) {
            const ssize_t n = ::read(fd, content.data() + got, content.size() - got);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            got += static_cast<std::size_t>(n);
        }
        if (got != content.size())
            content.clear();
    }
    ::close(fd);
    std::string text;
    text.reserve(content.size());
    for (std::size_t i = 0; i < content.size(); ++i) {
        if (content[i] == '\r' && i + 1 < content.size() && content[i + 1] == '\n')
            continue;
        text += content[i];
    }
    return text;
}
