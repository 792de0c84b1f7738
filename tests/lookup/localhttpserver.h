// A small HTTP server for the lookup tests: it listens on 127.0.0.1 on a port of the system's
// choosing, answers each request from the test's routes and notes what it was asked and when.
#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

#include <deque>
#include <functional>

namespace melodex::test {

struct HttpAnswer
{
    int status = 200;
    QByteArray body;
    QByteArray contentType = "application/xml; charset=utf-8";
    QList<QPair<QByteArray, QByteArray>> headers;
    bool silent = false; ///< never answer (a server that hangs)
};

struct HttpRequest
{
    QByteArray method;
    QByteArray target;                     ///< path and query as sent
    QHash<QByteArray, QByteArray> headers; ///< names in lower case
    qint64 atMs = 0;                       ///< since the server started
};

class LocalHttpServer : public QObject
{
public:
    LocalHttpServer()
    {
        m_clock.start();
        m_server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection()) {
                socket->setParent(this);
                QObject::connect(socket, &QTcpSocket::readyRead, this,
                                 [this, socket] { readFrom(socket); });
            }
        });
    }

    bool listening() const { return m_server.isListening(); }
    QUrl url() const
    {
        return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(m_server.serverPort()));
    }

    /// Answers requests whose path is `path` (query ignored): each answer once, in order, the
    /// last one for every request after.
    void route(const QByteArray &path, std::deque<HttpAnswer> answers)
    {
        m_routes[path] = std::move(answers);
    }
    void route(const QByteArray &path, const HttpAnswer &answer)
    {
        route(path, std::deque<HttpAnswer>{answer});
    }

    const QList<HttpRequest> &requests() const { return m_requests; }
    int count(const QByteArray &path) const
    {
        int n = 0;
        for (const HttpRequest &r : m_requests)
            if (r.target.split('?').front() == path)
                ++n;
        return n;
    }

private:
    void readFrom(QTcpSocket *socket)
    {
        QByteArray &buffer = m_buffers[socket];
        buffer += socket->readAll();
        const qsizetype end = buffer.indexOf("\r\n\r\n");
        if (end < 0)
            return;
        HttpRequest request;
        request.atMs = m_clock.elapsed();
        const QList<QByteArray> lines = buffer.left(end).split('\n');
        const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
        request.method = first.value(0);
        request.target = first.value(1);
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const qsizetype colon = lines[i].indexOf(':');
            if (colon > 0)
                request.headers.insert(lines[i].left(colon).trimmed().toLower(),
                                       lines[i].mid(colon + 1).trimmed());
        }
        m_buffers.remove(socket);
        m_requests << request;

        HttpAnswer answer;
        const QByteArray path = request.target.split('?').front();
        auto route = m_routes.find(path);
        if (route == m_routes.end() || route->empty()) {
            answer.status = 404;
            answer.body = "<?xml version=\"1.0\"?><error><text>Not Found</text></error>";
        } else {
            answer = route->front();
            if (route->size() > 1)
                route->pop_front();
        }
        if (answer.silent)
            return;
        QByteArray head =
            "HTTP/1.1 " + QByteArray::number(answer.status) + " " + reason(answer.status) + "\r\n";
        head += "Content-Type: " + answer.contentType + "\r\n";
        head += "Content-Length: " + QByteArray::number(answer.body.size()) + "\r\n";
        for (const auto &[name, value] : answer.headers)
            head += name + ": " + value + "\r\n";
        head += "Connection: close\r\n\r\n";
        socket->write(head + answer.body);
        socket->disconnectFromHost();
    }

    static QByteArray reason(int status)
    {
        switch (status) {
        case 200:
            return "OK";
        case 302:
            return "Found";
        case 404:
            return "Not Found";
        case 503:
            return "Service Unavailable";
        default:
            return "Status";
        }
    }

    QTcpServer m_server;
    QElapsedTimer m_clock;
    QHash<QByteArray, std::deque<HttpAnswer>> m_routes;
    QHash<QTcpSocket *, QByteArray> m_buffers;
    QList<HttpRequest> m_requests;
};

} // namespace melodex::test
