#pragma once

#include <QTcpServer>
#include <QTcpSocket>

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace kelvara::test {

// What the test server answers to one request.
struct HttpReply {
    int status = 200;
    std::string reason = "OK";
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers;
    // Content-Length from the body; without it the end of the body is the end of the connection.
    bool sendLength = true;
    // A Content-Length other than the body's (>= 0).
    long long announcedLength = -1;
    // After the body, keep the connection open and send nothing more.
    bool hold = false;
    // After the body, stream this many more bytes (without a length: the reply just grows).
    long long filler = 0;
    // Accept the connection and never answer.
    bool silent = false;
    // Answer only after this many milliseconds (a slow server); the connection closes after it.
    int delayMs = 0;
    // After the body, send one more byte every this many milliseconds, for ever (a server that
    // never lets an idle time-out pass).
    int trickleMs = 0;
};

// A small HTTP/1.1 server on 127.0.0.1 that plays the web services. It runs in the test's thread
// and serves from the event loop the code under test runs (the modal dialog's).
class TestHttpServer {
public:
    TestHttpServer();
    ~TestHttpServer();
    TestHttpServer(const TestHttpServer&) = delete;
    TestHttpServer& operator=(const TestHttpServer&) = delete;

    // Answers requests for `target` (path and query exactly as sent) with `reply`; other targets
    // get 404.
    void Serve(const std::string& target, HttpReply reply);
    // "http://127.0.0.1:<port>"
    std::string Address() const;
    // The request targets received, in order.
    const std::vector<std::string>& Requests() const { return m_requests; }

    // A port on 127.0.0.1 where nothing listens.
    static quint16 UnusedPort();

    struct Connection {
        QByteArray request;
        bool answered = false; // the connection's last reply has been sent
        long long fillerLeft = 0;
    };

private:
    void OnConnection();
    void Answer(QTcpSocket* socket, Connection& connection, const QByteArray& request);
    void Send(QTcpSocket* socket, Connection& connection, const HttpReply& reply, bool last);

    QTcpServer m_server;
    std::map<std::string, HttpReply> m_replies;
    std::vector<std::string> m_requests;
};

} // namespace kelvara::test
