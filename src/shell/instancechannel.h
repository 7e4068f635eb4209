#pragma once

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QSocketNotifier;

namespace kelvara {

// The single-instance protocol. Every running copy listens on a local socket of its own in a
// per-user folder (mode 0700) under the runtime directory. A starting copy connects to each socket
// there and sends the question; a copy answers with four bytes: the tag "XRVT" (the 32-bit value
// with 'X' in its lowest byte, little-endian on the wire) when it took over, else zero.

inline constexpr std::uint32_t kInstanceTag =
    'X' | ('R' << 8) | ('V' << 16) | (static_cast<std::uint32_t>('T') << 24);
inline constexpr char kInstanceQuestion[] = "TavrixIdentification\n";

// The folder of sockets, created when missing: $XDG_RUNTIME_DIR/kelvara, else $TMPDIR/kelvara-<uid>
// (or under /tmp). Empty when the folder is not safe to use: not a folder (a link), not ours, or,
// in the shared temporary folder, open to others; `problem` then says which, naming the folder, and
// the program runs without the protocol.
std::string InstanceFolder(std::string* problem = nullptr);

struct AskResult {
    bool found = false; // a copy answered with the tag
    int asked = 0;      // sockets that took the question
    int removed = 0;    // sockets of crashed copies removed
};

// Asks every copy listening in `folder`, one after another, each within `timeoutMs`. Stops at the
// first that answers with the tag. A socket nobody listens on any more (connection refused) is
// removed; a live one never is. Plain sockets, no event loop: runs before the application exists.
AskResult AskRunningInstances(const std::string& folder, int timeoutMs);

// The desktop's activation token (Wayland's XDG_ACTIVATION_TOKEN) of a starting copy, handed to the
// copy that takes over beside the question: a file in the private folder, so the question and its
// answer stay as every version speaks them. Without the token a compositor that prevents focus
// stealing leaves the running copy's window where it is. An empty token removes the file.
void PassActivationToken(const std::string& folder, const std::string& token);
// The token passed, once; empty when none was (or it is not a token).
std::string TakeActivationToken(const std::string& folder);

// Answers the question for this copy. `answer` decides the reply (the tag or 0) and is called on
// the user-interface thread once per well-formed question. Clients that send more than the
// question, or take longer than a few seconds, are dropped; beyond kMaxClients the one connected
// longest makes room for the newcomer.
class InstanceServer : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(InstanceServer)
public:
    explicit InstanceServer(std::function<std::uint32_t()> answer, QObject* parent = nullptr);
    ~InstanceServer() override;

    // Listens on a new socket in `folder`; false when it cannot.
    bool Listen(const std::string& folder);
    QString SocketPath() const;
    // Connections accepted and waiting for their question.
    int ClientCount() const { return static_cast<int>(m_clients.size()); }

    static constexpr int kMaxClients = 8;
    static constexpr int kClientTimeoutMs = 3000;
    static constexpr int kRetryAcceptMs = 1000;

private:
    struct Client;
    void OnNewConnection();
    void OnReadable(Client* client);
    void Drop(Client* client);

    std::function<std::uint32_t()> m_answer;
    // Plain sockets under a notifier: the program's start does not load the network library.
    int m_listener = -1;
    std::string m_path;
    QSocketNotifier* m_notifier = nullptr;
    std::vector<std::unique_ptr<Client>> m_clients;
};

} // namespace kelvara
