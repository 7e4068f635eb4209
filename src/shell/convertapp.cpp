#include "shell/convertapp.h"

#include "page/qtmessagepresenter.h"
#include "platform/profilestore.h"
#include "platform/settingsprofilestore.h"
#include "platform/translations.h"
#include "shell/appicon.h"
#include "shell/convertsheet.h"
#include "shell/instancechannel.h"
#include "shell/mycommandlineinfo.h"
#include "shell/optionspage.h"
#include "shell/pagefactory.h"
#include "shell/stylepixmaps.h"
#include "shell/translators.h"
#include "text/formattext.h"
#include "text/strings.h"

#include "kelvara/version.h"

#include <QApplication>
#include <QSocketNotifier>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// SIGTERM, SIGINT and SIGHUP end the modal run like "&Exit", so the program cleans up (its socket,
// the tray icon) when the session ends or someone asks it to stop.
int g_signalPipe[2] = {-1, -1};

void OnTerminationSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &byte, 1);
}

class TerminationWatch {
public:
    explicit TerminationWatch(std::function<void()> stop)
    {
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_signalPipe) != 0)
            return;
        m_notifier = std::make_unique<QSocketNotifier>(g_signalPipe[0], QSocketNotifier::Read);
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [stop = std::move(stop)] {
            char buffer[16];
            while (::read(g_signalPipe[0], buffer, sizeof(buffer)) > 0) {
            }
            stop();
        });
        struct sigaction action {};
        action.sa_handler = OnTerminationSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        for (int signal : {SIGTERM, SIGINT, SIGHUP})
            ::sigaction(signal, &action, nullptr);
    }
    ~TerminationWatch()
    {
        for (int signal : {SIGTERM, SIGINT, SIGHUP})
            std::signal(signal, SIG_DFL);
        m_notifier.reset();
        for (int& fd : g_signalPipe) {
            if (fd >= 0)
                ::close(fd);
            fd = -1;
        }
    }
    TerminationWatch(const TerminationWatch&) = delete;
    TerminationWatch& operator=(const TerminationWatch&) = delete;

private:
    std::unique_ptr<QSocketNotifier> m_notifier;
};

// Serialises the starts of copies. An advisory lock on a file in the instance folder: the system
// lets go of it when its holder ends, however it ends, and taking it writes nothing to disk.
class StartLock {
public:
    StartLock() = default;
    ~StartLock() { Unlock(); }
    StartLock(const StartLock&) = delete;
    StartLock& operator=(const StartLock&) = delete;

    // Waits at most `timeoutMs`: a copy hanging in its start must not block us for good; without
    // the lock this copy goes on as it would have.
    void Lock(const std::string& path, int timeoutMs)
    {
        m_fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (m_fd < 0)
            return;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
            if ((errno != EWOULDBLOCK && errno != EINTR) || std::chrono::steady_clock::now() >= deadline) {
                Unlock();
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    void Unlock()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

private:
    int m_fd = -1;
};

std::string ProgramName(const char* argv0)
{
    return argv0 && *argv0 ? std::filesystem::path(argv0).filename().string() : std::string("kelvara");
}

} // namespace

CConvertApp::CConvertApp() = default;
CConvertApp::~CConvertApp() = default;

bool CConvertApp::FindRunningInstance()
{
    if (m_instanceFolder.empty())
        return true;
    // The running copy needs this start's activation token to bring its window forward on Wayland.
    const char* token = std::getenv("XDG_ACTIVATION_TOKEN");
    kelvara::PassActivationToken(m_instanceFolder, token ? token : "");
    const bool found = kelvara::AskRunningInstances(m_instanceFolder, kAskTimeoutMs).found;
    kelvara::PassActivationToken(m_instanceFolder, {}); // whatever nobody took
    return !found;
}

int CConvertApp::Run(int argc, char** argv)
{
    // The user's language before any text, --help's included.
    kelvara::InitTranslations();
    // The command line first: --help and --version need no display and no other copy.
    CMyCommandLineInfo commandLine;
    commandLine.ParseCommandLine(std::vector<std::string>(argv + std::min(argc, 1), argv + argc));
    switch (commandLine.m_action) {
    case CMyCommandLineInfo::Action::ShowHelp:
        std::fputs(kelvara::CommandLineUsage(ProgramName(argv[0])).c_str(), stdout);
        return 0;
    case CMyCommandLineInfo::Action::ShowVersion:
        std::fputs(kelvara::VersionText().c_str(), stdout);
        return 0;
    case CMyCommandLineInfo::Action::Error:
        std::fprintf(stderr, "%s\n",
                     kelvara::FormatText(kelvara::LoadString(kelvara::IDS_UNKNOWN_OPTION),
                                         {ProgramName(argv[0]), commandLine.m_error, ProgramName(argv[0])})
                         .c_str());
        return 2;
    case CMyCommandLineInfo::Action::Run:
        break;
    }

    // Asking and then listening happens under one lock, so that two copies started together
    // behave as if one had started first.
    std::string folderProblem;
    m_instanceFolder = kelvara::InstanceFolder(&folderProblem);
    if (m_instanceFolder.empty())
        std::fprintf(stderr, "%s\n",
                     kelvara::FormatText(kelvara::LoadString(kelvara::IDS_NO_INSTANCE_FOLDER),
                                         {ProgramName(argv[0]), folderProblem})
                         .c_str());
    StartLock startLock;
    if (!m_instanceFolder.empty())
        startLock.Lock(m_instanceFolder + "/start.lock", kStartLockTimeoutMs);
    if (!FindRunningInstance())
        return 0; // the running copy took over; nothing to say

    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Brask"));
    QApplication::setApplicationName(QStringLiteral("Kelvara"));
    QApplication::setDesktopFileName(QStringLiteral(KELVARA_DESKTOP_ID));
    QApplication::setWindowIcon(
        kelvara::LoadIconResource(kelvara::IDR_MAINFRAME, CConvertSheet::kWindowIconMax));
    // The modal run alone decides when the program ends, not the last window closing.
    QApplication::setQuitOnLastWindowClosed(false);
    kelvara::InstallTranslators(application);
    kelvara::PreloadStylePixmaps();

    kelvara::SettingsProfileStore settings;
    kelvara::SetProfile(&settings);

    int result = 0;
    {
        // Before the sheet: its conversion page reports a failed start while it is built.
        kelvara::QtMessagePresenter presenter;
        kelvara::SetMessagePresenter(&presenter);

        // This copy listens, and lets go of the start lock, before the sheet is built: building it
        // may show a message, and another copy must not wait for the user to answer it. Until the
        // sheet exists, what is asked of this copy is remembered and done once it does.
        CConvertSheet* sheet = nullptr;
        bool stopRequested = false;
        bool showRequested = false;
        // Before the socket appears: whoever sees it may already ask this copy to stop.
        TerminationWatch termination([&] {
            if (sheet) {
                sheet->EndModal(CConvertSheet::ResultExit);
                return;
            }
            stopRequested = true;
            if (QWidget* message = QApplication::activeModalWidget())
                message->close();
        });
        kelvara::InstanceServer server([&]() -> std::uint32_t {
            if (sheet)
                return sheet->OnIdentification(kelvara::TakeActivationToken(m_instanceFolder));
            // The option decides as the sheet will; the window then shows as soon as it is built.
            if (kelvara::Profile().GetProfileInt(kelvara::kOptionsSection, kelvara::kCloseToSystray, 0) == 0)
                return 0;
            showRequested = true;
            return kelvara::kInstanceTag;
        });
        server.Listen(m_instanceFolder); // without it this copy simply runs on its own
        startLock.Unlock();

        // Building the window reads the settings a dozen times; one look at the store serves them.
        auto startReads = std::make_optional<kelvara::ProfileReads>(kelvara::Profile());
        CConvertSheet window;
        startReads.reset();
        sheet = &window;
        window.SetStartVisible(!commandLine.m_hidden || showRequested);
        // Only the running program keeps the rates current, not every sheet a test builds.
        kelvara::StartRatesAutoUpdate(window);
        if (!stopRequested)
            result = window.DoModal();
        sheet = nullptr;
        kelvara::SetMessagePresenter(nullptr);
    }
    kelvara::SetProfile(nullptr);
    (void)result; // the way the run ended does not change the exit status
    return 0;
}
