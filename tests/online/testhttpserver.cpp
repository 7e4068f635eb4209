#include "testhttpserver.h"

#include <QTcpSocket>

namespace kelvara::test {

namespace {
struct Connection {
    QByteArray request;
    bool answered = false;
    long long fillerLeft = 0;
};

void SendFiller(QTcpSocket* socket, Connection& connection)
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

void TestHttpServer::OnConnection()
{
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        auto connection = std::make_shared<Connection>();
        QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        QObject::connect(socket, &QTcpSocket::bytesWritten, socket, [socket, connection] {
            if (!connection->answered)
                return;
            SendFiller(socket, *connection);
        });
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, connection] {
            connection->request += socket->readAll();
            if (connection->answered || !connection->request.contains("\r\n\r\n"))
                return;
            connection->answered = true;
            const QList<QByteArray> words = connection->request.left(connection->request.indexOf("\r\n")).split(' ');
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
            if (reply.silent)
                return;
            std::string head = "HTTP/1.1 " + std::to_string(reply.status) + " " + reply.reason + "\r\n";
            for (const auto& [name, value] : reply.headers)
                head += name + ": " + value + "\r\n";
            if (reply.announcedLength >= 0)
                head += "Content-Length: " + std::to_string(reply.announcedLength) + "\r\n";
            else if (reply.sendLength)
                head += "Content-Length: " + std::to_string(reply.body.size() + static_cast<std::size_t>(reply.filler)) + "\r\n";
            head += "Connection: close\r\n\r\n";
            socket->write(head.data(), static_cast<qint64>(head.size()));
            socket->write(reply.body.data(), static_cast<qint64>(reply.body.size()));
            if (reply.hold)
                return;
            if (reply.filler > 0) {
                connection->fillerLeft = reply.filler;
                SendFiller(socket, *connection);
                QObject::connect(socket, &QTcpSocket::bytesWritten, socket, [socket, connection] {
                    if (connection->fillerLeft == 0 && socket->bytesToWrite() == 0)
                        socket->disconnectFromHost();
                });
                return;
            }
            socket->disconnectFromHost();
        });
    }
}

} // namespace kelvara::test
