#include "online/downloaddlg.h"

#include "online/bytesize.h"
#include "platform/messages.h"
#include "platform/privatetemp.h"
#include "platform/smallfile.h"
#include "text/formattext.h"
#include "text/strings.h"
#include "ui_downloaddlg.h"

#include <QPushButton>

#include <algorithm>
#include <cerrno>
#include <unistd.h>

CDownloadDlg::CDownloadDlg(QWidget* parent) : QDialog(parent), m_ui(std::make_unique<Ui::CDownloadDlg>())
{
    m_ui->setupUi(this);
    setWindowTitle(QString::fromStdString(kelvara::LoadString(kelvara::IDS_APP_TITLE)));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    m_ui->progressBar->setRange(0, 100);
    m_ui->progressBar->setValue(0);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &CDownloadDlg::reject);
    connect(&m_fetch, &kelvara::QuietFetch::Progress, this, &CDownloadDlg::Progress);
    connect(&m_fetch, &kelvara::QuietFetch::Finished, this, &CDownloadDlg::OnFinished);
    m_fetch.SetSink([this](const char* bytes, qint64 size) {
        return kelvara::WriteAll(m_fd, bytes, static_cast<std::size_t>(size));
    });
}

CDownloadDlg::~CDownloadDlg()
{
    m_fetch.disconnect(this);
    m_fetch.Abort();
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
    m_fetch.Start(QUrl(QString::fromStdString(m_url)));
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

void CDownloadDlg::OnFinished(bool ok)
{
    // A cancel has ended the dialog already, silently.
    if (m_cancelled)
        return;
    if (!ok) {
        Fail(m_fetch.Code(), m_fetch.Error().toStdString());
        return;
    }
    Progress(m_fetch.Received(), m_fetch.Announced());
    if (!CloseFile()) {
        const std::int32_t code = kelvara::ResultFromErrno(errno);
        Fail(code, kelvara::GetErrorText(code));
        return;
    }
    done(1);
}

void CDownloadDlg::reject()
{
    Cancel();
}

void CDownloadDlg::Cancel()
{
    m_cancelled = true;
    m_ui->cancelButton->setEnabled(false);
    m_fetch.Abort();
    CloseFile();
    done(2);
}

void CDownloadDlg::Fail(std::int32_t code, const std::string& text)
{
    Cancel();
    kelvara::ShowFailureMessage(kelvara::IDS_RETRIEVE_FAILED, kelvara::MB_OK | kelvara::MB_ICONERROR, code,
                                text);
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
    std::string content;
    if (m_fileName.empty() ||
        !kelvara::ReadSmallFile(m_fileName, content, static_cast<std::size_t>(m_fetch.SizeLimit())))
        return {};
    std::string text;
    text.reserve(content.size());
    for (std::size_t i = 0; i < content.size(); ++i) {
        if (content[i] == '\r' && i + 1 < content.size() && content[i + 1] == '\n')
            continue;
        text += content[i];
    }
    return text;
}
