#pragma once

#include "online/quietfetch.h"

#include <QDialog>

#include <cstdint>
#include <memory>
#include <string>

namespace Ui {
class CDownloadDlg;
}

// Fetches one http or https address (QuietFetch, under its limits) into a new temporary file behind
// a small modal dialog with progress and a Cancel button. exec() gives 1 only when the whole resource is in
// the file; 2 otherwise, after the failure has been reported to the user (string 46 with the network layer's
// text and code) or because the user cancelled (Cancel, the close box or Escape; nothing shown).
// The file lives in the program's private temporary folder until the dialog object is destroyed.
class CDownloadDlg : public QDialog {
    Q_OBJECT
public:
    explicit CDownloadDlg(QWidget* parent = nullptr);
    ~CDownloadDlg() override;
    Q_DISABLE_COPY_MOVE(CDownloadDlg)

    // The line at the top of the dialog.
    void SetOperation(const std::string& text);
    void SetUrl(const std::string& url);
    // The transfer, for its limits.
    kelvara::QuietFetch& Fetch() { return m_fetch; }

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
    void OnFinished(bool ok);
    // Ends the dialog with 2: stops the transfer and closes the file (which stays until destruction).
    void Cancel();
    // Cancel, then tell the user why with string 46, `text` and `code`.
    void Fail(std::int32_t code, const std::string& text);
    bool CloseFile();

    std::unique_ptr<Ui::CDownloadDlg> m_ui;
    kelvara::QuietFetch m_fetch;
    std::string m_url;
    std::string m_fileName;
    int m_fd = -1;
    bool m_started = false;
    bool m_cancelled = false;
};
