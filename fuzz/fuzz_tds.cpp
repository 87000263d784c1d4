// The TDS test server's packet reader: framing, pre-login, LOGIN7, batches,
// RPC and transaction requests. Each input is sent to a running server on a
// connection of its own; the server must neither crash nor hang.
//
// The first byte chooses the form: 0 sends the rest as raw bytes; 1 reads it
// as messages (type, 16-bit length, payload) and frames them into packets;
// 2 does the same after a well-formed pre-login and logon, so that the
// requests behind the logon are reached.
#include "fuzzinput.h"
#include "tds/tdsserver.h"

#include <QByteArray>
#include <QtEndian>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace {

TdsServer *server()
{
    static TdsServer *s = [] {
        auto *t = new TdsServer;
        QString error;
        if (!t->loadRules(QStringLiteral(ZK_FIXTURES_DIR "/demo.rules"), &error) || !t->start(0, &error)) {
            std::fprintf(stderr, "fuzz_tds: %s\n", qPrintable(error));
            std::abort();
        }
        return t;
    }();
    return s;
}

void packets(QByteArray &out, quint8 type, const QByteArray &payload)
{
    const int chunk = 4096 - 8;
    qsizetype at = 0;
    quint8 id = 1;
    do {
        const qsizetype n = std::min<qsizetype>(chunk, payload.size() - at);
        const bool last = at + n >= payload.size();
        const quint16 len = quint16(n + 8);
        out.append(char(type));
        out.append(char(last ? 1 : 0));
        out.append(char(len >> 8));
        out.append(char(len & 0xFF));
        out.append("\0\0", 2);
        out.append(char(id++));
        out.append('\0');
        out.append(payload.constData() + at, n);
        at += n;
    } while (at < payload.size());
}

QByteArray login7()
{
    const QString user = QStringLiteral("sa");
    QByteArray p(94, '\0');
    auto put32 = [&](int at, quint32 v) { qToLittleEndian(v, p.data() + at); };
    auto put16 = [&](int at, quint16 v) { qToLittleEndian(v, p.data() + at); };
    put32(4, 0x74000004); // TDS 7.4
    put32(8, 4096);
    for (int at = 36; at <= 84; at += 4)
        put16(at, 94);
    put16(40, 94);
    put16(42, quint16(user.size()));
    p.append(reinterpret_cast<const char *>(user.utf16()), user.size() * 2);
    put32(0, quint32(p.size()));
    return p;
}

QByteArray stream(const uint8_t *data, size_t size)
{
    if (size == 0)
        return {};
    const quint8 form = data[0] % 3;
    const QByteArray rest(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    if (form == 0)
        return rest;
    QByteArray out;
    if (form == 2) {
        packets(out, 0x12, QByteArray("\x00\x00\x06\x00\x01\xFF\x00\x00\x00\x00\x00\x00\x00", 12));
        packets(out, 0x10, login7());
    }
    qsizetype at = 0;
    while (at + 3 <= rest.size()) {
        const quint8 type = quint8(rest[at]);
        const int len = std::min<int>(quint8(rest[at + 1]) | (quint8(rest[at + 2]) << 8), int(rest.size() - at - 3));
        packets(out, type, rest.mid(at + 3, len));
        at += 3 + len;
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    TdsServer *s = server();
    s->clearLog();
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(s->port());
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0)
        std::abort();
    const QByteArray bytes = stream(data, size);
    for (qsizetype sent = 0; sent < bytes.size();) {
        const ssize_t n = ::send(fd, bytes.constData() + sent, size_t(bytes.size() - sent), MSG_NOSIGNAL);
        if (n <= 0)
            break;
        sent += n;
    }
    ::shutdown(fd, SHUT_WR);
    // The server answers and closes once it reads the end; a server that
    // does not within thirty seconds hangs.
    char buf[65536];
    for (;;) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 30000) <= 0) {
            std::fprintf(stderr, "fuzz_tds: the server did not close the connection\n");
            std::abort();
        }
        if (::recv(fd, buf, sizeof buf, 0) <= 0)
            break;
    }
    ::close(fd);
    return 0;
}
