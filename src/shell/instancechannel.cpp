#include "shell/instancechannel.h"

#include "text/formattext.h"
#include "text/strings.h"

#include <QRandomGenerator>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace kelvara {

namespace {

// A folder we own and nobody else can enter, created when missing; else why `path` cannot be one.
// `privateBase`: the folder above is the user's alone, so nobody else can have put anything in ours
// and a loose mode is merely tightened. In a shared base a folder that is not ours, not a folder, or
// open to others may hold what someone else planted (a lock they keep, a link where our lock goes):
// it is never used.
std::string PreparePrivateFolder(const std::string& path, bool privateBase)
{
    const auto why = [&path](unsigned id, const FormatArg& detail) {
        return FormatText(LoadString(id), {path, detail});
    };
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
        return why(IDS_FOLDER_CANNOT_CREATE, std::strerror(errno));
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return why(IDS_FOLDER_CANNOT_EXAMINE, std::strerror(errno));
    if (!S_ISDIR(st.st_mode))
        return FormatText(LoadString(IDS_FOLDER_NOT_FOLDER), {path});
    if (st.st_uid != ::geteuid())
        return why(IDS_FOLDER_OTHER_OWNER, static_cast<unsigned>(st.st_uid));
    if ((st.st_mode & 077) != 0) {
        if (!privateBase)
            return why(IDS_FOLDER_OPEN_TO_OTHERS, static_cast<unsigned>(st.st_mode & 07777));
        if (::chmod(path.c_str(), 0700) != 0)
            return why(IDS_FOLDER_CANNOT_LIMIT, std::strerror(errno));
    }
    return {};
}

bool IsUsableBase(const char* base)
{
    struct stat st {};
    return base && base[0] == '/' && ::stat(base, &st) == 0 && S_ISDIR(st.st_mode);
}

class Fd {
public:
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }
    int release()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }

private:
    int m_fd;
};

// The address of the socket file at `path`; false when the path is too long for one.
bool ToAddress(const std::string& path, sockaddr_un& address)
{
    if (path.size() >= sizeof(address.sun_path))
        return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

enum class Outcome { Tag, NoTag, Refused, Unreachable };

using Clock = std::chrono::steady_clock;

int RemainingMs(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

bool WaitFor(int fd, short events, Clock::time_point deadline)
{
    for (;;) {
        pollfd p{fd, events, 0};
        const int n = ::poll(&p, 1, RemainingMs(deadline));
        if (n > 0)
            return true;
        if (n == 0 || errno != EINTR)
            return false;
    }
}

Outcome AskOne(const std::string& path, int timeoutMs)
{
    sockaddr_un address{};
    if (!ToAddress(path, address))
        return Outcome::Unreachable;
    Fd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (fd.get() < 0)
        return Outcome::Unreachable;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    if (::connect(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
        if (errno == ECONNREFUSED)
            return Outcome::Refused;
        // EAGAIN: a live copy whose queue is full. Anything else: gone or not ours to judge.
        if (errno != EINPROGRESS || !WaitFor(fd.get(), POLLOUT, deadline))
            return Outcome::Unreachable;
        int error = 0;
        socklen_t length = sizeof(error);
        if (::getsockopt(fd.get(), SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0)
            return error == ECONNREFUSED ? Outcome::Refused : Outcome::Unreachable;
    }

    const std::string_view question = kInstanceQuestion;
    std::size_t sent = 0;
    while (sent < question.size()) {
        const ssize_t n = ::send(fd.get(), question.data() + sent, question.size() - sent, MSG_NOSIGNAL);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            if (!WaitFor(fd.get(), POLLOUT, deadline))
                return Outcome::Unreachable;
        } else {
            return Outcome::Unreachable;
        }
    }

    unsigned char answer[4];
    std::size_t got = 0;
    while (got < sizeof(answer)) {
        if (!WaitFor(fd.get(), POLLIN, deadline))
            return Outcome::NoTag;
        const ssize_t n = ::recv(fd.get(), answer + got, sizeof(answer) - got, 0);
        if (n > 0)
            got += static_cast<std::size_t>(n);
        else if (n == 0 || (errno != EAGAIN && errno != EINTR))
            return Outcome::NoTag;
    }
    const std::uint32_t value =
        answer[0] | (answer[1] << 8) | (answer[2] << 16) | (static_cast<std::uint32_t>(answer[3]) << 24);
    return value == kInstanceTag ? Outcome::Tag : Outcome::NoTag;
}

} // namespace

std::string InstanceFolder(std::string* problem)
{
    std::string folder;
    std::string why;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); IsUsableBase(runtime)) {
        folder = std::string(runtime) + "/kelvara";
        struct stat st {};
        const bool privateBase =
            ::stat(runtime, &st) == 0 && st.st_uid == ::geteuid() && (st.st_mode & 077) == 0;
        why = PreparePrivateFolder(folder, privateBase);
    } else {
        const char* tmp = std::getenv("TMPDIR");
        const std::string base = IsUsableBase(tmp) ? tmp : "/tmp";
        folder = base + "/kelvara-" + std::to_string(::geteuid());
        why = PreparePrivateFolder(folder, false);
    }
    if (problem)
        *problem = why;
    return why.empty() ? folder : std::string();
}

AskResult AskRunningInstances(const std::string& folder, int timeoutMs)
{
    AskResult result;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return result;
    std::vector<std::string> sockets;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string path = folder + "/" + entry->d_name;
        struct stat st {};
        if (::lstat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode) && st.st_uid == ::geteuid())
            sockets.push_back(path);
    }
    ::closedir(dir);

    for (const std::string& path : sockets) {
        switch (AskOne(path, timeoutMs)) {
        case Outcome::Tag:
            ++result.asked;
            result.found = true;
            return result;
        case Outcome::NoTag:
            ++result.asked;
            break;
        case Outcome::Refused:
            // Nobody listens: a copy that ended without cleaning up. Names are never reused and new
            // sockets appear only under the start-up lock, so this cannot be a copy starting now.
            if (::unlink(path.c_str()) == 0)
                ++result.removed;
            break;
        case Outcome::Unreachable:
            break;
        }
    }
    return result;
}

// One connected copy that is asking: what it has sent so far, and how long it may take. The
// notifier and the timer are children of the server, so that dropping a client from within their
// own signals only schedules their deletion.
struct InstanceServer::Client {
    int fd = -1;
    std::string received;
    QSocketNotifier* readable = nullptr;
    QTimer* deadline = nullptr;
};

InstanceServer::InstanceServer(std::function<std::uint32_t()> answer, QObject* parent)
    : QObject(parent), m_answer(std::move(answer))
{
}

InstanceServer::~InstanceServer()
{
    while (!m_clients.empty())
        Drop(m_clients.back().get());
    if (m_listener >= 0) {
        ::close(m_listener);
        ::unlink(m_path.c_str());
    }
}

bool InstanceServer::Listen(const std::string& folder)
{
    if (folder.empty() || m_listener >= 0)
        return false;
    // The process id keeps names apart on this machine, the random part across process-id
    // namespaces that share the folder.
    for (int attempt = 0; attempt < 3; ++attempt) {
        char name[32];
        std::snprintf(name, sizeof name, "/%d-%08x.sock", static_cast<int>(::getpid()),
                      QRandomGenerator::system()->generate());
        const std::string path = folder + name;
        sockaddr_un address{};
        if (!ToAddress(path, address))
            return false;
        Fd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
        if (fd.get() < 0)
            return false;
        // bind() never replaces an existing file: a name in use is simply tried again.
        if (::bind(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
            if (errno == EADDRINUSE)
                continue;
            return false;
        }
        if (::chmod(path.c_str(), 0700) != 0 || ::listen(fd.get(), kMaxClients) != 0) {
            ::unlink(path.c_str());
            return false;
        }
        m_listener = fd.release();
        m_path = path;
        m_notifier = new QSocketNotifier(m_listener, QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &InstanceServer::OnNewConnection);
        return true;
    }
    return false;
}

QString InstanceServer::SocketPath() const
{
    return m_listener >= 0 ? QString::fromStdString(m_path) : QString();
}

void InstanceServer::OnNewConnection()
{
    for (;;) {
        const int fd = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK) {
                // Out of descriptors or memory: the waiting connection would wake us again at
                // once, so listen again a little later rather than spin.
                m_notifier->setEnabled(false);
                QTimer::singleShot(kRetryAcceptMs, this, [this] { m_notifier->setEnabled(true); });
            }
            return;
        }
        // Full: the client waiting longest goes, not the newcomer. A copy asks at once and waits
        // only a moment, so turning newcomers away would let a few idle connections hide this copy
        // from every new start.
        if (m_clients.size() >= static_cast<std::size_t>(kMaxClients))
            Drop(m_clients.front().get());
        auto client = std::make_unique<Client>();
        Client* raw = client.get();
        raw->fd = fd;
        raw->readable = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        connect(raw->readable, &QSocketNotifier::activated, this, [this, raw] { OnReadable(raw); });
        raw->deadline = new QTimer(this);
        raw->deadline->setSingleShot(true);
        connect(raw->deadline, &QTimer::timeout, this, [this, raw] { Drop(raw); });
        raw->deadline->start(kClientTimeoutMs);
        m_clients.push_back(std::move(client));
    }
}

void InstanceServer::OnReadable(Client* client)
{
    const std::string_view question = kInstanceQuestion;
    // One byte more than the question may take: a client that sends more is not one of ours.
    char buffer[sizeof(kInstanceQuestion) + 1];
    const std::size_t want = question.size() + 1 - client->received.size();
    const ssize_t n = ::recv(client->fd, buffer, want, 0);
    if (n < 0 && (errno == EAGAIN || errno == EINTR))
        return;
    if (n <= 0) {
        Drop(client); // gone, or failed
        return;
    }
    client->received.append(buffer, static_cast<std::size_t>(n));
    if (client->received.size() < question.size() &&
        question.substr(0, client->received.size()) == client->received)
        return; // more to come
    char extra = 0;
    if (client->received != question || ::recv(client->fd, &extra, 1, MSG_PEEK | MSG_DONTWAIT) > 0) {
        Drop(client);
        return;
    }
    client->readable->setEnabled(false);
    const std::uint32_t value = m_answer ? m_answer() : 0;
    const unsigned char reply[4] = {
        static_cast<unsigned char>(value & 0xFF), static_cast<unsigned char>((value >> 8) & 0xFF),
        static_cast<unsigned char>((value >> 16) & 0xFF), static_cast<unsigned char>((value >> 24) & 0xFF)};
    // Four bytes into an empty socket buffer: they go at once or the client is gone.
    (void)::send(client->fd, reply, sizeof(reply), MSG_NOSIGNAL);
    Drop(client);
}

void InstanceServer::Drop(Client* client)
{
    const auto found = std::find_if(m_clients.begin(), m_clients.end(),
                                    [client](const std::unique_ptr<Client>& c) { return c.get() == client; });
    if (found == m_clients.end())
        return;
    client->readable->setEnabled(false);
    client->readable->disconnect(this);
    client->readable->deleteLater();
    client->deadline->stop();
    client->deadline->disconnect(this);
    client->deadline->deleteLater();
    ::close(client->fd);
    m_clients.erase(found);
}

namespace {

constexpr const char* kTokenFile = "/activation-token";
constexpr std::size_t kMaxTokenSize = 512;

} // namespace

void PassActivationToken(const std::string& folder, const std::string& token)
{
    const std::string path = folder + kTokenFile;
    if (token.empty() || token.size() > kMaxTokenSize) {
        ::unlink(path.c_str());
        return;
    }
    const std::string temporary = path + "." + std::to_string(::getpid());
    Fd fd(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (fd.get() < 0)
        return;
    const bool written = ::write(fd.get(), token.data(), token.size()) == static_cast<ssize_t>(token.size());
    // Whole or not at all: the running copy may read it at any moment.
    if (!written || ::rename(temporary.c_str(), path.c_str()) != 0)
        ::unlink(temporary.c_str());
}

std::string TakeActivationToken(const std::string& folder)
{
    const std::string path = folder + kTokenFile;
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
    if (fd.get() < 0)
        return {};
    ::unlink(path.c_str());
    char buffer[kMaxTokenSize + 1];
    const ssize_t n = ::read(fd.get(), buffer, sizeof(buffer));
    if (n <= 0 || static_cast<std::size_t>(n) > kMaxTokenSize)
        return {};
    std::string token(buffer, static_cast<std::size_t>(n));
    // Printable ASCII only: it goes into the environment and onto the compositor's wire.
    if (!std::all_of(token.begin(), token.end(), [](char c) { return c > ' ' && c < 0x7F; }))
        return {};
    return token;
}

} // namespace kelvara
