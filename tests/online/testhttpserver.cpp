#include "testhttpserver.h"

#include <QTcpSocket>
#include <QTimer>

namespace kelvara::test {

namespace {
void SendFiller(QTcpSocket* socket, TestHttpServer::Connection& connection)
{
    // Keep a modest amount queued; the rest follows as the client reads.
    while (connection.fillerLeft > 0 && socket->bytesToWrite() < 256 * 1024 &&
           socket->state() == QAbstractSocket::ConnectedState) {
        const long long n = std::min<long long>(connection.fillerLeft, 64 * 1024);
        socket->write(QByteArray(static_cast<int>(n), 'x'));
        connection.fillerLeft -= n;
    }
}
} // namespace

TestHttpServer::TestHttpServer()
{
    m_server.listen(QHostAddress::LocalHost, 0);
    QObject::connect(&m_server, &QTcpServer::newConnection, [this] { OnConnection(); });
}

TestHttpServer::~TestHttpServer()
{
    m_server.close();
}

void TestHttpServer::Serve(const std::string& target, HttpReply reply)
{
    m_replies[target] = std::move(reply);
}

std::string TestHttpServer::Address() const
{
    return "http://127.0.0.1:" + std::to_string(m_server.serverPort());
}

quint16 TestHttpServer::UnusedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}

void TestHttpServer::Answer(QTcpSocket* socket, Connection& connection, const QByteArray& request)
{
    const QList<QByteArray> words = request.left(request.indexOf("\r\n")).split(' ');
    const std::string target = words.size() >= 2 ? words[1].toStdString() : std::string();
    m_requests.push_back(target);

    HttpReply reply;
    if (const auto it = m_replies.find(target); it != m_replies.end()) {
        reply = it->second;
    } else {
        reply.status = 404;
        reply.reason = "Not Found";
        reply.body = "<html><body>Not Found</body></html>";
    }
    if (reply.silent) {
        connection.answered = true;
        return;
    }
    if (reply.delayMs > 0) {
        connection.answered = true;
        QTimer::singleShot(reply.delayMs, socket,
                           [this, socket, &connection, reply] { Send(socket, connection, reply, true); });
        return;
    }
    // Without a length the end of the body is the end of the connection; a reply that holds or
    // streams is the last one on its connection too.
    Send(socket, connection, reply,
         !reply.sendLength || reply.hold || reply.filler > 0 || reply.trickleMs > 0 ||
             reply.announcedLength >= 0);
}

void TestHttpServer::Send(QTcpSocket* socket, Connection& connection, const HttpReply& reply, bool last)
{
    std::string head = "HTTP/1.1 " + std::to_string(reply.status) + " " + reply.reason + "\r\n";
    for (const auto& [name, value] : reply.headers)
        head += name + ": " + value + "\r\n";
    if (reply.announcedLength >= 0)
        head += "Content-Length: " + std::to_string(reply.announcedLength) + "\r\n";
    else if (reply.sendLength)
        head +=
            "Content-Length: " + std::to_string(reply.body.size() + static_cast<std::size_t>(reply.filler)) +
            "\r\n";
    if (last)
        head += "Connection: close\r\n";
    head += "\r\n";
    socket->write(head.data(), static_cast<qint64>(head.size()));
    socket->write(reply.body.data(), static_cast<qint64>(reply.body.size()));
    if (!last)
        return;
    connection.answered = true;
    if (reply.hold)
        return;
    if (reply.trickleMs > 0) {
        auto* trickle = new QTimer(socket);
        QObject::connect(trickle, &QTimer::timeout, socket, [socket] { socket->write("x", 1); });
        trickle->start(reply.trickleMs);
        return;
    }
    if (reply.filler > 0) {
        connection.fillerLeft = reply.filler;
        SendFiller(socket, connection);
        return;
    }
    socket->disconnectFromHost();
}

void TestHttpServer::OnConnection()
{
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        auto connection = std::make_shared<Connection>();
        QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        QObject::connect(socket, &QTcpSocket::bytesWritten, socket, [socket, connection] {
            if (!connection->answered || connection->fillerLeft == 0)
                return;
            SendFiller(socket, *connection);
            if (connection->fillerLeft == 0)
                socket->disconnectFromHost();
        });
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, connection] {
            connection->request += socket->readAll();
            // Requests on one connection are answered in turn, as long as the connection is kept.
            while (!connection->answered) {
                const auto end = connection->request.indexOf("\r\n\r\n");
                if (end < 0)
                    return;
                const QByteArray head = connection->request.left(end);
                connection->request.remove(0, end + 4);
                Answer(socket, *connection, head);
            }
        });
    }
}

} // namespace kelvara::test
