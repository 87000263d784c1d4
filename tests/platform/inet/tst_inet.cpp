#include "platform/inet/inet.h"

#include <QTcpServer>
#include <QTcpSocket>

#include <gtest/gtest.h>

namespace {

// Answers every request on a loopback port with the given header lines.
class HeaderServer
{
public:
    explicit HeaderServer(QByteArray headers)
        : m_headers(std::move(headers))
    {
        m_server.listen(QHostAddress::LocalHost);
        QObject::connect(&m_server, &QTcpServer::newConnection, [this] {
            QTcpSocket *socket = m_server.nextPendingConnection();
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                m_request += socket->readAll();
                if (!m_request.contains("\r\n\r\n"))
                    return;
                socket->write("HTTP/1.1 200 OK\r\n" + m_headers + "Connection: close\r\n\r\n");
                socket->disconnectFromHost();
            });
        });
    }
    QUrl url() const { return QUrl(QStringLiteral("http://127.0.0.1:%1/news.txt").arg(m_server.serverPort())); }
    const QByteArray &request() const { return m_request; }

private:
    QTcpServer m_server;
    QByteArray m_headers;
    QByteArray m_request;
};

TEST(UrlInfo, ReadsLastModifiedAndLengthWithAHeadRequest)
{
    HeaderServer server("Last-Modified: Tue, 15 Nov 2022 08:12:31 GMT\r\nContent-Length: 1234\r\n");
    const UrlInfo info = QueryUrlInfo(server.url(), 5000);
    EXPECT_TRUE(server.request().startsWith("HEAD /news.txt "));
    EXPECT_EQ(info.lastModified, QDateTime(QDate(2022, 11, 15), QTime(8, 12, 31), Qt::UTC));
    EXPECT_EQ(info.length, 1234);
}

TEST(UrlInfo, MissingHeadersAndUnreachableServersGiveNothing)
{
    HeaderServer bare("Content-Length: 0\r\n");
    const UrlInfo partial = QueryUrlInfo(bare.url(), 5000);
    EXPECT_FALSE(partial.lastModified.isValid());

    QTcpServer closed;
    closed.listen(QHostAddress::LocalHost);
    const quint16 port = closed.serverPort();
    closed.close();
    const UrlInfo none = QueryUrlInfo(QUrl(QStringLiteral("http://127.0.0.1:%1/x").arg(port)), 5000);
    EXPECT_FALSE(none.lastModified.isValid());
    EXPECT_EQ(none.length, -1);
    EXPECT_FALSE(QueryUrlInfo(QUrl(), 1000).lastModified.isValid());
}

} // namespace
