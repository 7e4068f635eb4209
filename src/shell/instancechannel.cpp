#include "shell/instancechannel.h"

#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QRandomGenerator>
#include <QTimer>

#include <cerrno>
#include <chrono>
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

// A folder we own and nobody else can enter; created when missing.
bool EnsurePrivateFolder(const std::string& path)
{
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid())
        return false;
    if ((st.st_mode & 077) != 0 && ::chmod(path.c_str(), 0700) != 0)
        return false;
    return true;
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

private:
    int m_fd;
};

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
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof(address.sun_path))
        return Outcome::Unreachable;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);

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

std::string InstanceFolder()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (IsUsableBase(runtime)) {
        const std::string folder = std::string(runtime) + "/kelvara";
        return EnsurePrivateFolder(folder) ? folder : std::string();
    }
    const char* tmp = std::getenv("TMPDIR");
    const std::string base = IsUsableBase(tmp) ? tmp : "/tmp";
    const std::string folder = base + "/kelvara-" + std::to_string(::geteuid());
    return EnsurePrivateFolder(folder) ? folder : std::string();
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

InstanceServer::InstanceServer(std::function<std::uint32_t()> answer, QObject* parent)
    : QObject(parent), m_answer(std::move(answer))
{
}

InstanceServer::~InstanceServer()
{
    if (m_server)
        m_server->close(); // removes the socket file
}

bool InstanceServer::Listen(const std::string& folder)
{
    if (folder.empty())
        return false;
    if (!m_server) {
        m_server = new QLocalServer(this);
        m_server->setSocketOptions(QLocalServer::UserAccessOption);
        connect(m_server, &QLocalServer::newConnection, this, &InstanceServer::OnNewConnection);
    }
    // The process id keeps names apart on this machine, the random part across process-id
    // namespaces that share the folder.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const QString name = QString::fromStdString(folder) +
                             QStringLiteral("/%1-%2.sock")
                                 .arg(::getpid())
                                 .arg(QRandomGenerator::system()->generate(), 8, 16, QLatin1Char('0'));
        if (QFileInfo::exists(name))
            continue;
        if (m_server->listen(name))
            return true;
    }
    return false;
}

QString InstanceServer::SocketPath() const
{
    return m_server && m_server->isListening() ? m_server->fullServerName() : QString();
}

void InstanceServer::OnNewConnection()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        if (m_clients >= kMaxClients) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        ++m_clients;
        connect(socket, &QObject::destroyed, this, [this] { --m_clients; });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { OnReadyRead(socket); });
        QTimer::singleShot(kClientTimeoutMs, socket, [socket] {
            socket->abort();
            socket->deleteLater();
        });
        if (socket->bytesAvailable() > 0)
            OnReadyRead(socket);
    }
}

void InstanceServer::OnReadyRead(QLocalSocket* socket)
{
    const QByteArray question(kInstanceQuestion);
    const qsizetype have = socket->property("kelvaraReceived").toByteArray().size();
    QByteArray received =
        socket->property("kelvaraReceived").toByteArray() + socket->read(question.size() + 1 - have);
    socket->setProperty("kelvaraReceived", received);
    if (received.size() < question.size() && question.startsWith(received))
        return; // more to come
    if (received != question || socket->bytesAvailable() > 0) {
        socket->abort();
        socket->deleteLater();
        return;
    }
    disconnect(socket, &QLocalSocket::readyRead, this, nullptr);
    const std::uint32_t value = m_answer ? m_answer() : 0;
    const char reply[4] = {static_cast<char>(value & 0xFF), static_cast<char>((value >> 8) & 0xFF),
                           static_cast<char>((value >> 16) & 0xFF), static_cast<char>((value >> 24) & 0xFF)};
    socket->write(reply, sizeof(reply));
    socket->disconnectFromServer(); // after the reply is written
}

} // namespace kelvara
