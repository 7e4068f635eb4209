#pragma once

#include "online/downloaddlg.h"
#include "platform/privatetemp.h"
#include "platform/profilestore.h"
#include "support/recordingpresenter.h"
#include "testhttpserver.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace kelvara::test {

// A fixture for the online services: a test server, recorded messages, a memory settings store
// that points the services at the server, and a check that no temporary file outlives a test.
class OnlineGuiTest : public ::testing::Test {
protected:
    explicit OnlineGuiTest(int answer = IDOK) : m_presenter(answer) {}

    void SetUp() override
    {
        // Talk to 127.0.0.1 directly, whatever the machine's proxy settings.
        for (const char* name :
             {"http_proxy", "https_proxy", "HTTP_PROXY", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
            ::unsetenv(name);
        m_store.WriteProfileString("Options", "ServiceUrl", m_server.Address());
        m_store.WriteProfileString("Options", "UpdateServiceUrl", m_server.Address());
        SetProfile(&m_store);
        // Whatever goes wrong, no dialog may stay open for ever.
        m_watchdog.setSingleShot(true);
        QObject::connect(&m_watchdog, &QTimer::timeout, [] {
            ADD_FAILURE() << "a download dialog was still open after 20 s";
            for (CDownloadDlg* dialog : OpenDialogs())
                dialog->done(99);
        });
        m_watchdog.start(20000);
    }

    void TearDown() override
    {
        m_watchdog.stop();
        m_poll.stop();
        SetProfile(nullptr);
        EXPECT_TRUE(TempFiles().empty()) << TempFiles().front();
    }

    static std::vector<std::string> TempFiles()
    {
        std::vector<std::string> files;
        for (const auto& entry : std::filesystem::directory_iterator(PrivateTempFolder()))
            files.push_back(entry.path().string());
        return files;
    }

    static std::vector<CDownloadDlg*> OpenDialogs()
    {
        std::vector<CDownloadDlg*> dialogs;
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* dialog = qobject_cast<CDownloadDlg*>(widget); dialog && dialog->isVisible())
                dialogs.push_back(dialog);
        return dialogs;
    }

    // Once an open download dialog satisfies `ready`, runs `action` on it (once).
    void WhenDialog(std::function<bool(CDownloadDlg&)> ready, std::function<void(CDownloadDlg&)> action)
    {
        m_poll.disconnect();
        m_poll.setInterval(5);
        QObject::connect(&m_poll, &QTimer::timeout, [this, ready, action] {
            for (CDownloadDlg* dialog : OpenDialogs()) {
                if (ready(*dialog)) {
                    m_poll.stop();
                    action(*dialog);
                    return;
                }
            }
        });
        m_poll.start();
    }

    static QString StatusText(CDownloadDlg& dialog)
    {
        return dialog.findChild<QLabel*>("statusLabel")->text();
    }
    static int Position(CDownloadDlg& dialog)
    {
        return dialog.findChild<QProgressBar*>("progressBar")->value();
    }
    static QPushButton* CancelButton(CDownloadDlg& dialog)
    {
        return dialog.findChild<QPushButton*>("cancelButton");
    }

    // The one message shown, which must be string 46 with `detail` and `code`.
    void ExpectRetrievalFailure(const std::string& detail, std::int32_t code)
    {
        ASSERT_EQ(m_presenter.messages.size(), 1u);
        char hex[16];
        std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(code));
        EXPECT_EQ(m_presenter.messages[0].text,
                  "The data could not be retrieved. Please check your connection to the Internet.\n\n" +
                      detail + " [" + hex + "]");
        EXPECT_EQ(m_presenter.messages[0].type, MB_OK | MB_ICONERROR);
    }

    TestHttpServer m_server;
    MemoryProfileStore m_store;
    RecordingPresenter m_presenter;
    QTimer m_watchdog;
    QTimer m_poll;
};

} // namespace kelvara::test
