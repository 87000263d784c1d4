#include "tds/tdsencoder.h"
#include "tds/tdsserver_p.h"

#include "support/rules/tdsvalues.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QHash>
#include <QRegularExpression>
#include <QUuid>

#include <cerrno>
#include <poll.h>
#include <sys/socket.h>

using namespace tdsrules;

namespace tds {
namespace {

constexpr quint32 Tds74 = 0x74000004;
constexpr quint32 Tds72 = 0x72090002;
const QString ServerName = QStringLiteral("ZKTDS");

// Reads little-endian fields of a request; reading past the end only clears ok.
class Reader
{
public:
    explicit Reader(const QByteArray &data, qsizetype pos = 0)
        : m_data(data)
        , m_pos(pos)
    {
    }

    bool ok() const { return m_ok; }
    bool atEnd() const { return m_pos >= m_data.size(); }
    qsizetype pos() const { return m_pos; }
    quint8 peek() const { return atEnd() ? 0 : quint8(m_data[m_pos]); }

    const char *take(qsizetype n)
    {
        if (n < 0 || m_pos + n > m_data.size()) {
            m_ok = false;
            m_pos = m_data.size();
            return nullptr;
        }
        const char *p = m_data.constData() + m_pos;
        m_pos += n;
        return p;
    }
    template<typename T>
    T get()
    {
        T v{};
        if (const char *p = take(sizeof v))
            std::memcpy(&v, p, sizeof v);
        return v;
    }
    quint8 u8() { return get<quint8>(); }
    quint16 u16() { return get<quint16>(); }
    quint32 u32() { return get<quint32>(); }
    quint64 u64() { return get<quint64>(); }
    QByteArray bytes(qsizetype n)
    {
        const char *p = take(n);
        return p ? QByteArray(p, n) : QByteArray();
    }
    QString utf16(qsizetype chars)
    {
        const char *p = take(chars * 2);
        return p ? QString(reinterpret_cast<const QChar *>(p), chars) : QString();
    }
    // Partially length-prefixed data: chunks until a zero-length one.
    QByteArray plp(bool *isNull)
    {
        const quint64 total = u64();
        *isNull = total == ~quint64(0);
        QByteArray out;
        if (*isNull)
            return out;
        for (;;) {
            const quint32 n = u32();
            if (!m_ok || n == 0)
                break;
            out += bytes(qsizetype(n));
        }
        return out;
    }
    void skipAllHeaders()
    {
        const quint32 total = u32();
        if (total >= 4)
            take(qsizetype(total) - 4);
    }

private:
    const QByteArray &m_data;
    qsizetype m_pos;
    bool m_ok = true;
};

QString typeWithLength(const char *name, int length, bool wide)
{
    if (length == 0xFFFF)
        return QStringLiteral("%1(max)").arg(QLatin1String(name));
    return QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(wide ? length / 2 : length);
}

qint64 readIntLe(const QByteArray &b)
{
    qint64 v = 0;
    std::memcpy(&v, b.constData(), size_t(qMin<qsizetype>(b.size(), 8)));
    // Sign-extend shorter integers (all but tinyint are signed).
    const int bits = int(b.size()) * 8;
    if (b.size() > 1 && bits < 64 && (v >> (bits - 1)) & 1)
        v |= ~((qint64(1) << bits) - 1);
    return v;
}

QVariant timeValue(Type type, const QByteArray &b, int scale)
{
    const int tb = scale <= 2 ? 3 : scale <= 4 ? 4 : 5;
    qint64 unit = 1;
    for (int i = scale; i < 7; ++i)
        unit *= 10;
    quint64 units = 0;
    qint64 days = 0;
    int offset = 0;
    const uchar *p = reinterpret_cast<const uchar *>(b.constData());
    if (type != Type::Date) {
        for (int i = 0; i < tb && i < b.size(); ++i)
            units |= quint64(p[i]) << (8 * i);
        p += tb;
    }
    if (type != Type::Time) {
        days = p[0] | (p[1] << 8) | (p[2] << 16);
        p += 3;
    }
    qint64 ticks = qint64(units) * unit;
    if (type == Type::DateTimeOffset) {
        offset = qint16(p[0] | (p[1] << 8));
        qint64 local = days * TicksPerDay + ticks + qint64(offset) * 60 * TicksPerSecond;
        days = local / TicksPerDay;
        ticks = local % TicksPerDay;
    }
    return dateTimeValue(type, days, ticks, offset);
}

// Decodes a parameter's TYPE_INFO and value into its SQL type name and value.
bool readTypedValue(Reader &r, Param *p)
{
    const quint8 t = r.u8();
    auto fixed = [&](const char *name, int n) -> QByteArray {
        p->typeName = QLatin1String(name);
        return r.bytes(n);
    };
    QByteArray v;
    bool isNull = false;
    switch (t) {
    case 0x1F:
        p->typeName = QStringLiteral("int");
        p->value = QVariant();
        return r.ok();
    case 0x30: p->value = qint64(quint8(fixed("tinyint", 1)[0])); return r.ok();
    case 0x32: p->value = fixed("bit", 1)[0] != 0; return r.ok();
    case 0x34: p->value = readIntLe(fixed("smallint", 2)); return r.ok();
    case 0x38: p->value = readIntLe(fixed("int", 4)); return r.ok();
    case 0x7F: p->value = readIntLe(fixed("bigint", 8)); return r.ok();
    case 0x3B: {
        const QByteArray b = fixed("real", 4);
        float f;
        std::memcpy(&f, b.constData(), 4);
        p->value = double(f);
        return r.ok();
    }
    case 0x3E: {
        const QByteArray b = fixed("float", 8);
        double d;
        std::memcpy(&d, b.constData(), 8);
        p->value = d;
        return r.ok();
    }
    case 0x26:
    case 0x68:
    case 0x6D:
    case 0x6E:
    case 0x6F:
    case 0x24: {
        const int maxLen = r.u8();
        const int len = r.u8();
        v = r.bytes(len);
        if (!r.ok())
            return false;
        if (t == 0x26)
            p->typeName = maxLen == 1   ? QStringLiteral("tinyint")
                          : maxLen == 2 ? QStringLiteral("smallint")
                          : maxLen == 4 ? QStringLiteral("int")
                                        : QStringLiteral("bigint");
        else if (t == 0x68)
            p->typeName = QStringLiteral("bit");
        else if (t == 0x6D)
            p->typeName = maxLen == 4 ? QStringLiteral("real") : QStringLiteral("float");
        else if (t == 0x6E)
            p->typeName = maxLen == 4 ? QStringLiteral("smallmoney") : QStringLiteral("money");
        else if (t == 0x6F)
            p->typeName = maxLen == 4 ? QStringLiteral("smalldatetime") : QStringLiteral("datetime");
        else
            p->typeName = QStringLiteral("uniqueidentifier");
        if (len == 0) {
            p->value = QVariant();
            return true;
        }
        switch (t) {
        case 0x26: p->value = len == 1 ? qint64(quint8(v[0])) : readIntLe(v); break;
        case 0x68: p->value = v[0] != 0; break;
        case 0x6D:
            if (len == 4) {
                float f;
                std::memcpy(&f, v.constData(), 4);
                p->value = double(f);
            } else {
                double d;
                std::memcpy(&d, v.constData(), 8);
                p->value = d;
            }
            break;
        case 0x6E: {
            qint64 m = 0;
            if (len == 4) {
                m = readIntLe(v);
            } else {
                quint32 hi, lo;
                std::memcpy(&hi, v.constData(), 4);
                std::memcpy(&lo, v.constData() + 4, 4);
                m = qint64((quint64(hi) << 32) | lo);
            }
            p->value = formatScaled(m, 4);
            break;
        }
        case 0x6F: {
            const uchar *b = reinterpret_cast<const uchar *>(v.constData());
            if (len == 4) {
                const int days = b[0] | (b[1] << 8), minutes = b[2] | (b[3] << 8);
                p->value =
                    dateTimeValue(Type::SmallDateTime, Days1900 + days, qint64(minutes) * 60 * TicksPerSecond, 0);
            } else {
                qint32 days;
                quint32 t300;
                std::memcpy(&days, b, 4);
                std::memcpy(&t300, b + 4, 4);
                const qint64 ms = qint64(t300 / 300) * 1000 + datetimeMsFromTicks(int(t300 % 300));
                p->value = dateTimeValue(Type::DateTime, Days1900 + days, ms * 10000, 0);
            }
            break;
        }
        default: {
            QByteArray rfc(16, '\0');
            const char *s = v.constData();
            const int order[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
            for (int i = 0; i < 16; ++i)
                rfc[i] = s[order[i]];
            p->value = QUuid::fromRfc4122(rfc);
            break;
        }
        }
        return true;
    }
    case 0x6A:
    case 0x6C: {
        r.u8();
        const int precision = r.u8(), scale = r.u8();
        const int len = r.u8();
        v = r.bytes(len);
        p->typeName = QStringLiteral("%1(%2,%3)")
                          .arg(t == 0x6A ? QLatin1String("decimal") : QLatin1String("numeric"))
                          .arg(precision)
                          .arg(scale);
        if (!r.ok())
            return false;
        if (len == 0) {
            p->value = QVariant();
            return true;
        }
        unsigned __int128 m = 0;
        for (int i = len - 1; i >= 1; --i)
            m = (m << 8) | quint8(v[i]);
        const Int128 s = v[0] ? Int128(m) : -Int128(m);
        p->value = formatScaled(s, scale);
        return true;
    }
    case 0x28:
    case 0x29:
    case 0x2A:
    case 0x2B: {
        const int scale = t == 0x28 ? 0 : r.u8();
        const int len = r.u8();
        v = r.bytes(len);
        const Type type = t == 0x28   ? Type::Date
                          : t == 0x29 ? Type::Time
                          : t == 0x2A ? Type::DateTime2
                                      : Type::DateTimeOffset;
        p->typeName = t == 0x28 ? QStringLiteral("date")
                                : QStringLiteral("%1(%2)")
                                      .arg(t == 0x29   ? QLatin1String("time")
                                           : t == 0x2A ? QLatin1String("datetime2")
                                                       : QLatin1String("datetimeoffset"))
                                      .arg(scale);
        if (!r.ok())
            return false;
        p->value = len == 0 ? QVariant() : timeValue(type, v, scale);
        return true;
    }
    case 0xA5:
    case 0xA7:
    case 0xAD:
    case 0xAF:
    case 0xE7:
    case 0xEF: {
        const int maxLen = r.u16();
        const bool text = t == 0xA7 || t == 0xAF || t == 0xE7 || t == 0xEF;
        const bool wide = t == 0xE7 || t == 0xEF;
        int codePage = 1252;
        if (text) {
            const QByteArray collation = r.bytes(5);
            if (collation.size() == 5)
                codePage = codePageOfCollation(reinterpret_cast<const uchar *>(collation.constData()));
        }
        const char *name = t == 0xA5   ? "varbinary"
                           : t == 0xA7 ? "varchar"
                           : t == 0xAD ? "binary"
                           : t == 0xAF ? "char"
                           : t == 0xE7 ? "nvarchar"
                                       : "nchar";
        p->typeName = typeWithLength(name, maxLen, wide);
        if (maxLen == 0xFFFF) {
            v = r.plp(&isNull);
        } else {
            const int len = r.u16();
            isNull = len == 0xFFFF;
            if (!isNull)
                v = r.bytes(len);
        }
        if (!r.ok())
            return false;
        if (isNull)
            p->value = QVariant();
        else if (wide)
            p->value = QString(reinterpret_cast<const QChar *>(v.constData()), v.size() / 2);
        else if (text)
            p->value = decodeText(v, codePage);
        else
            p->value = v;
        return true;
    }
    case 0x22:
    case 0x23:
    case 0x63: {
        r.u32();
        int codePage = 1252;
        if (t != 0x22) {
            const QByteArray collation = r.bytes(5);
            if (collation.size() == 5)
                codePage = codePageOfCollation(reinterpret_cast<const uchar *>(collation.constData()));
        }
        const quint32 len = r.u32();
        isNull = len == 0xFFFFFFFF;
        if (!isNull)
            v = r.bytes(qsizetype(len));
        p->typeName = t == 0x22   ? QStringLiteral("image")
                      : t == 0x23 ? QStringLiteral("text")
                                  : QStringLiteral("ntext");
        if (!r.ok())
            return false;
        if (isNull)
            p->value = QVariant();
        else if (t == 0x63)
            p->value = QString(reinterpret_cast<const QChar *>(v.constData()), v.size() / 2);
        else if (t == 0x23)
            p->value = decodeText(v, codePage);
        else
            p->value = v;
        return true;
    }
    case 0xF1: {
        if (r.u8()) {
            r.bytes(r.u8() * 2);
            r.bytes(r.u8() * 2);
            r.bytes(r.u16() * 2);
        }
        v = r.plp(&isNull);
        p->typeName = QStringLiteral("xml");
        if (!r.ok())
            return false;
        p->value =
            isNull ? QVariant() : QVariant(QString(reinterpret_cast<const QChar *>(v.constData()), v.size() / 2));
        return true;
    }
    case 0x62: {
        r.u32();
        const quint32 len = r.u32();
        p->typeName = QStringLiteral("sql_variant");
        if (len == 0) {
            p->value = QVariant();
            return r.ok();
        }
        v = r.bytes(qsizetype(len));
        if (!r.ok() || v.size() < 2)
            return false;
        // Keep the text of character bases; anything else as its bytes.
        const quint8 base = quint8(v[0]);
        const int props = quint8(v[1]);
        const QByteArray data = v.mid(2 + props);
        if (base == 0xE7 || base == 0xEF)
            p->value = QString(reinterpret_cast<const QChar *>(data.constData()), data.size() / 2);
        else if (base == 0xA7 || base == 0xAF)
            p->value = decodeText(data, 1252);
        else if (base == 0x38 || base == 0x7F || base == 0x34)
            p->value = readIntLe(data);
        else
            p->value = data;
        return true;
    }
    default: return false;
    }
}

struct RpcParam
{
    Param param;
    int ordinal = 0;
};

struct RpcRequest
{
    QString name;
    int procId = 0;
    QList<RpcParam> params;
};

// What ends an RPC's answer: its output parameters, the database to return to.
struct ProcTail
{
    bool last = true;
    QList<RpcParam> outputs;
    QString databaseBefore;
    int returnStatus = 0;
};

enum class Outcome { Done, Cancelled, Dropped };

class Connection
{
public:
    Connection(TdsServer::Private *server, TdsServer::Private::Connection *conn)
        : m_server(server)
        , m_conn(conn)
        , m_fd(conn->fd)
        , m_out(conn->fd)
    {
        m_session.spid = 50 + conn->id;
        m_out.setSpid(quint16(m_session.spid));
    }

    // Serves requests until the link closes; returns how it closed.
    QString run();

private:
    enum class Fill { Data, Timeout, Closed };
    Fill fill(int timeoutMs);
    bool readMessage(quint8 *type, QByteArray *payload);
    bool takeAttention();
    bool pollCancelled();
    bool waitCancelled(int ms);

    void handlePreLogin(const QByteArray &payload);
    bool handleLogin(const QByteArray &payload);
    void handleBatch(const QByteArray &payload);
    void handleRpc(const QByteArray &payload);
    void handleTransactionManager(const QByteArray &payload);
    void refuse(int number, int severity, const QString &text);

    Outcome emitAnswers(const QList<Answer> &answers, const QString &startDatabase, ProcTail *tail);
    void done(quint8 token, quint16 status, quint64 count);
    void info(quint8 token, int number, int state, int severity, const QString &text, int line);
    void envChange(quint8 type, const QString &newValue, const QString &oldValue);
    void envTransaction(quint8 type, bool begin);
    void log(TdsLogEntry::Kind kind, const QString &text, const QString &procedure = {}, const QString &params = {});

    TdsServer::Private *m_server;
    TdsServer::Private::Connection *m_conn;
    int m_fd;
    PacketStream m_out;
    Buffer m_tok;
    QByteArray m_in;
    Session m_session;
    bool m_loggedIn = false;
    bool m_cancelled = false;
    bool m_closed = false;
    bool m_dropped = false; // by a rule
    quint64 m_transaction = 0;
    int m_nextHandle = 0;
    struct Prepared
    {
        QString statement;
        QString declaration; // "@P1 int,@P2 nvarchar(10)"
    };
    QHash<int, Prepared> m_prepared;
};

Connection::Fill Connection::fill(int timeoutMs)
{
    pollfd p{m_fd, POLLIN, 0};
    int r;
    do {
        r = ::poll(&p, 1, timeoutMs);
    } while (r < 0 && errno == EINTR);
    if (r == 0)
        return Fill::Timeout;
    char buf[65536];
    ssize_t n;
    do {
        n = ::recv(m_fd, buf, sizeof buf, 0);
    } while (n < 0 && errno == EINTR);
    if (n <= 0) {
        m_closed = true;
        return Fill::Closed;
    }
    m_in.append(buf, n);
    return Fill::Data;
}

bool Connection::readMessage(quint8 *type, QByteArray *payload)
{
    payload->clear();
    for (;;) {
        if (m_in.size() >= 8) {
            const int len = (quint8(m_in[2]) << 8) | quint8(m_in[3]);
            if (len < 8) {
                m_closed = true;
                return false;
            }
            if (m_in.size() >= len) {
                *type = quint8(m_in[0]);
                const bool last = m_in[1] & 0x01;
                payload->append(m_in.constData() + 8, len - 8);
                m_in.remove(0, len);
                if (last)
                    return true;
                continue;
            }
        }
        if (fill(-1) == Fill::Closed)
            return false;
    }
}

bool Connection::takeAttention()
{
    if (m_in.size() >= 8 && quint8(m_in[0]) == AttentionPacket) {
        const int len = (quint8(m_in[2]) << 8) | quint8(m_in[3]);
        if (m_in.size() >= len) {
            m_in.remove(0, len);
            log(TdsLogEntry::Attention, {});
            return true;
        }
    }
    return false;
}

bool Connection::pollCancelled()
{
    if (m_cancelled || m_closed)
        return true;
    while (fill(0) == Fill::Data) {
    }
    m_cancelled = takeAttention() || m_closed;
    return m_cancelled;
}

bool Connection::waitCancelled(int ms)
{
    QElapsedTimer timer;
    timer.start();
    for (;;) {
        if (takeAttention()) {
            m_cancelled = true;
            return true;
        }
        const qint64 left = ms - timer.elapsed();
        if (left <= 0)
            return false;
        if (fill(int(left)) == Fill::Closed) {
            m_cancelled = true;
            return true;
        }
    }
}

void Connection::log(TdsLogEntry::Kind kind, const QString &text, const QString &procedure, const QString &params)
{
    TdsLogEntry e;
    e.kind = kind;
    e.connection = m_conn->id;
    e.text = text;
    e.procedure = procedure;
    e.params = params;
    m_server->addLog(e);
}

void Connection::done(quint8 token, quint16 status, quint64 count)
{
    if (m_session.tranCount > 0)
        status |= DoneInXact;
    m_tok.u8(token);
    m_tok.u16(status);
    m_tok.u16(0xC1); // the current command: a SELECT, for clients that look
    m_tok.u64(count);
}

void Connection::info(quint8 token, int number, int state, int severity, const QString &text, int line)
{
    const size_t start = m_tok.size();
    m_tok.u8(token);
    m_tok.u16(0);
    m_tok.u32(quint32(number));
    m_tok.u8(quint8(state));
    m_tok.u8(quint8(severity));
    m_tok.usVarchar(text);
    m_tok.bVarchar(ServerName);
    m_tok.bVarchar(u"");
    m_tok.u32(quint32(line));
    m_tok.patch16(start + 1, quint16(m_tok.size() - start - 3));
}

void Connection::envChange(quint8 type, const QString &newValue, const QString &oldValue)
{
    const size_t start = m_tok.size();
    m_tok.u8(EnvChangeToken);
    m_tok.u16(0);
    m_tok.u8(type);
    m_tok.bVarchar(newValue);
    m_tok.bVarchar(oldValue);
    m_tok.patch16(start + 1, quint16(m_tok.size() - start - 3));
}

void Connection::envTransaction(quint8 type, bool begin)
{
    const size_t start = m_tok.size();
    m_tok.u8(EnvChangeToken);
    m_tok.u16(0);
    m_tok.u8(type);
    if (begin) {
        m_tok.u8(8);
        m_tok.u64(++m_transaction);
        m_tok.u8(0);
    } else {
        m_tok.u8(0);
        m_tok.u8(8);
        m_tok.u64(m_transaction);
    }
    m_tok.patch16(start + 1, quint16(m_tok.size() - start - 3));
}

void Connection::refuse(int number, int severity, const QString &text)
{
    m_out.begin();
    info(ErrorToken, number, 1, severity, text, 1);
    done(DoneToken, DoneError, 0);
    m_out.write(m_tok);
    m_out.end();
}

void Connection::handlePreLogin(const QByteArray &payload)
{
    // The client's options are read only for its encryption wish; the answer
    // is always "encryption not supported", which a client that requires it
    // must refuse.
    Reader r(payload);
    quint8 encryption = 2;
    while (!r.atEnd() && r.peek() != 0xFF) {
        const quint8 option = r.u8();
        const quint16 offset = qFromBigEndian(r.u16());
        const quint16 length = qFromBigEndian(r.u16());
        if (option == 1 && length >= 1 && offset < payload.size())
            encryption = quint8(payload[offset]);
    }
    if (encryption == 1 || encryption == 3)
        log(TdsLogEntry::Login, QStringLiteral("client asks for encryption, which this server does not support"));

    struct Option
    {
        quint8 id;
        QByteArray data;
    };
    const Option options[] = {
        {0, QByteArray("\x0F\x00\x07\xD0\x00\x00", 6)}, // version 15.0.2000
        {1, QByteArray(1, '\x02')},                     // encryption not supported
        {2, QByteArray(1, '\x00')},                     // instance: none
        {3, QByteArray()},                              // thread id
        {4, QByteArray(1, '\x00')},                     // no MARS
    };
    Buffer b;
    quint16 offset = quint16(std::size(options) * 5 + 1);
    for (const Option &o : options) {
        b.u8(o.id);
        b.u16be(offset);
        b.u16be(quint16(o.data.size()));
        offset += quint16(o.data.size());
    }
    b.u8(0xFF);
    for (const Option &o : options)
        b.bytes(o.data);
    m_out.begin();
    m_out.write(b);
    m_out.end();
}

bool Connection::handleLogin(const QByteArray &payload)
{
    if (payload.size() < 94) {
        refuse(18456, 14, QStringLiteral("Login failed: a malformed login packet."));
        return false;
    }
    auto field = [&](int at) -> QString {
        const quint16 offset = quint16(quint8(payload[at]) | (quint8(payload[at + 1]) << 8));
        const quint16 chars = quint16(quint8(payload[at + 2]) | (quint8(payload[at + 3]) << 8));
        if (offset + chars * 2 > payload.size())
            return {};
        return QString(reinterpret_cast<const QChar *>(payload.constData() + offset), chars);
    };
    TdsLoginRecord rec;
    rec.connection = m_conn->id;
    std::memcpy(&rec.tdsVersion, payload.constData() + 4, 4);
    quint32 packetSize = 0;
    std::memcpy(&packetSize, payload.constData() + 8, 4);
    rec.hostName = field(36);
    rec.user = field(40);
    {
        // The password travels with nibbles swapped and XOR 0xA5.
        const quint16 offset = quint16(quint8(payload[44]) | (quint8(payload[45]) << 8));
        const quint16 chars = quint16(quint8(payload[46]) | (quint8(payload[47]) << 8));
        if (offset + chars * 2 <= payload.size()) {
            QByteArray pw = payload.mid(offset, chars * 2);
            for (char &c : pw) {
                const quint8 x = quint8(c) ^ 0xA5;
                c = char(quint8((x >> 4) | (x << 4)));
            }
            rec.password = QString(reinterpret_cast<const QChar *>(pw.constData()), chars);
        }
    }
    rec.appName = field(48);
    rec.language = field(64);
    rec.database = field(68);
    rec.packetSize = packetSize == 0 ? 4096 : int(qBound<quint32>(512, packetSize, 32767));
    const bool integrated = quint8(payload[25]) & 0x80;

    m_session.user = rec.user;
    m_session.appName = rec.appName;
    m_session.hostName = rec.hostName;
    m_session.database = rec.database.isEmpty() ? QStringLiteral("master") : rec.database;
    m_out.setPacketSize(rec.packetSize);

    QList<Answer> answers;
    if (integrated) {
        answers << errorAnswer(18452, 1, 14, 1,
                               QStringLiteral("Login failed. The login is from an untrusted domain and cannot be "
                                              "used with Integrated authentication."));
    } else if (rec.tdsVersion < Tds72) {
        answers << errorAnswer(18456, 1, 14, 1,
                               QStringLiteral("Login failed: this server speaks TDS 7.2 and later only."));
    } else {
        answers = m_server->loginAnswers(rec.user);
    }
    rec.refused = RuleSet::refusesLogin(answers);
    m_server->addLogin(rec);
    log(TdsLogEntry::Login,
        QStringLiteral("%1 database=%2 app=%3%4")
            .arg(rec.user, m_session.database, rec.appName, rec.refused ? QStringLiteral(" (refused)") : QString()));

    m_out.begin();
    for (const Answer &a : std::as_const(answers)) {
        if (a.kind == Answer::Message || a.kind == Answer::Error)
            info(a.kind == Answer::Error ? ErrorToken : InfoToken, a.number, a.state, a.severity, a.text, a.line);
        else if (a.kind == Answer::Delay && waitCancelled(a.delayMs))
            return false;
        else if (a.kind == Answer::Drop)
            return false;
    }
    if (rec.refused) {
        done(DoneToken, DoneError, 0);
        m_out.write(m_tok);
        m_out.end();
        return false;
    }
    envChange(1, m_session.database, QStringLiteral("master"));
    info(InfoToken, 5701, 2, 0, QStringLiteral("Changed database context to '%1'.").arg(m_session.database), 1);
    {
        const size_t start = m_tok.size();
        m_tok.u8(EnvChangeToken);
        m_tok.u16(0);
        m_tok.u8(7);
        m_tok.u8(5);
        writeCollation(m_tok);
        m_tok.u8(0);
        m_tok.patch16(start + 1, quint16(m_tok.size() - start - 3));
    }
    envChange(2, QStringLiteral("us_english"), QString());
    info(InfoToken, 5703, 1, 0, QStringLiteral("Changed language setting to us_english."), 1);
    {
        const size_t start = m_tok.size();
        m_tok.u8(LoginAckToken);
        m_tok.u16(0);
        m_tok.u8(1); // T-SQL
        const quint32 version = qMin(rec.tdsVersion, Tds74);
        m_tok.u32(qToBigEndian(version));
        m_tok.bVarchar(u"Microsoft SQL Server");
        m_tok.u8(15);
        m_tok.u8(0);
        m_tok.u8(2000 >> 8);
        m_tok.u8(2000 & 0xFF);
        m_tok.patch16(start + 1, quint16(m_tok.size() - start - 3));
    }
    envChange(4, QString::number(rec.packetSize), QString::number(rec.packetSize));
    done(DoneToken, DoneFinal, 0);
    m_out.write(m_tok);
    m_loggedIn = m_out.end();
    return m_loggedIn;
}

Outcome Connection::emitAnswers(const QList<Answer> &answers, const QString &startDatabase, ProcTail *tail)
{
    QString database = startDatabase;
    const bool inProc = tail != nullptr;
    const quint8 doneToken = inProc ? DoneInProcToken : DoneToken;
    bool error = false;
    bool finalDone = false;
    auto moreAfter = [&](qsizetype i) {
        if (inProc)
            return true;
        for (qsizetype j = i + 1; j < answers.size(); ++j) {
            if (answers[j].kind != Answer::Drop)
                return true;
        }
        return false;
    };
    auto statementDone = [&](quint16 status, quint64 count, qsizetype i) {
        const bool more = moreAfter(i);
        done(doneToken, status | (more ? DoneMore : 0), count);
        finalDone = !more;
    };
    auto cancel = [&] {
        done(DoneToken, DoneAttention, 0);
        m_out.write(m_tok);
        return Outcome::Cancelled;
    };
    for (qsizetype i = 0; i < answers.size(); ++i) {
        const Answer &a = answers[i];
        finalDone = false;
        switch (a.kind) {
        case Answer::Result: {
            const qint64 rows = writeResultRows(a.result, m_tok, m_out, [this] { return pollCancelled(); });
            if (m_cancelled || m_out.broken())
                return cancel();
            statementDone(DoneCount, quint64(a.rowCount >= 0 ? a.rowCount : rows), i);
            break;
        }
        case Answer::RowCount: statementDone(DoneCount, quint64(a.rowCount), i); break;
        case Answer::Message: info(InfoToken, a.number, a.state, a.severity, a.text, a.line); break;
        case Answer::Error:
            info(ErrorToken, a.number, a.state, a.severity, a.text, a.line);
            error = true;
            statementDone(DoneError, 0, i);
            break;
        case Answer::UseDatabase: {
            envChange(1, a.text, database);
            database = a.text;
            info(InfoToken, 5701, 1, 0, QStringLiteral("Changed database context to '%1'.").arg(a.text), 1);
            statementDone(0, 0, i);
            break;
        }
        case Answer::Transaction:
            if (a.text == QLatin1String("begin"))
                envTransaction(8, true);
            else
                envTransaction(a.text == QLatin1String("commit") ? 9 : 10, false);
            statementDone(0, 0, i);
            break;
        case Answer::Delay:
            m_out.write(m_tok);
            m_out.sendAll();
            if (waitCancelled(a.delayMs))
                return cancel();
            break;
        case Answer::Drop:
            m_out.write(m_tok);
            m_out.sendAll();
            m_dropped = true;
            return Outcome::Dropped;
        case Answer::Output:
        case Answer::Return: break; // they shape the call's tail
        }
        if (m_tok.size() >= 64 * 1024) {
            m_out.write(m_tok);
            m_out.sendFull();
        }
    }
    if (inProc) {
        // A "use" inside a procedure call lasts until the call ends.
        if (m_session.database != tail->databaseBefore) {
            envChange(1, tail->databaseBefore, m_session.database);
            m_session.database = tail->databaseBefore;
        }
        m_tok.u8(ReturnStatusToken);
        m_tok.u32(quint32(tail->returnStatus));
        for (const RpcParam &o : std::as_const(tail->outputs)) {
            Column c;
            parseType(o.param.typeName, &c, nullptr);
            m_tok.u8(ReturnValueToken);
            m_tok.u16(quint16(o.ordinal));
            m_tok.bVarchar(o.param.name);
            m_tok.u8(1);
            m_tok.u32(0);
            m_tok.u16(0x0001);
            writeTypeInfo(m_tok, c);
            if (o.param.value.isNull())
                writeNull(m_tok, c);
            else
                writeValue(m_tok, c, o.param.value, 0);
        }
        done(DoneProcToken, quint16((error ? DoneError : 0) | (tail->last ? 0 : DoneMore)), 0);
    } else if (!finalDone) {
        done(DoneToken, DoneFinal, 0);
    }
    m_out.write(m_tok);
    return Outcome::Done;
}

void Connection::handleBatch(const QByteArray &payload)
{
    Reader r(payload);
    r.skipAllHeaders();
    const QString sql = r.utf16((payload.size() - r.pos()) / 2);
    log(TdsLogEntry::Batch, sql);
    const QString database = m_session.database;
    const QList<Answer> answers = m_server->answer(sql, {}, &m_session);
    m_cancelled = false;
    m_out.begin();
    if (emitAnswers(answers, database, nullptr) == Outcome::Dropped) {
        m_closed = true;
        return;
    }
    m_out.end();
}

void Connection::handleRpc(const QByteArray &payload)
{
    Reader r(payload);
    r.skipAllHeaders();
    QList<RpcRequest> requests;
    bool bad = false;
    while (!r.atEnd() && !bad) {
        RpcRequest req;
        const quint16 nameLen = r.u16();
        if (nameLen == 0xFFFF)
            req.procId = r.u16();
        else
            req.name = r.utf16(nameLen);
        r.u16(); // option flags
        while (!r.atEnd()) {
            const quint8 next = r.peek();
            if (next == 0x80 || next == 0xFF || next == 0xFE) {
                r.u8(); // the next request of the batch follows
                break;
            }
            RpcParam p;
            p.ordinal = int(req.params.size());
            p.param.name = r.utf16(r.u8());
            const quint8 status = r.u8();
            p.param.output = status & 0x01;
            if (!readTypedValue(r, &p.param)) {
                bad = true;
                break;
            }
            req.params << p;
        }
        requests << req;
    }

    m_cancelled = false;
    m_out.begin();
    if (bad || !r.ok()) {
        log(TdsLogEntry::Rpc, QStringLiteral("(undecodable request)"), QStringLiteral("?"));
        info(ErrorToken, 8009, 1, 16, QStringLiteral("The test server could not decode this RPC request."), 1);
        done(DoneToken, DoneError, 0);
        m_out.write(m_tok);
        m_out.end();
        return;
    }
    for (qsizetype i = 0; i < requests.size(); ++i) {
        const RpcRequest &req = requests[i];
        static const char *const names[] = {nullptr,
                                            "sp_cursor",
                                            "sp_cursoropen",
                                            "sp_cursorprepare",
                                            "sp_cursorexecute",
                                            "sp_cursorprepexec",
                                            "sp_cursorunprepare",
                                            "sp_cursorfetch",
                                            "sp_cursoroption",
                                            "sp_cursorclose",
                                            "sp_executesql",
                                            "sp_prepare",
                                            "sp_execute",
                                            "sp_prepexec",
                                            "sp_prepexecrpc",
                                            "sp_unprepare"};
        QString proc = req.name;
        if (req.procId > 0 && req.procId < int(std::size(names)))
            proc = QLatin1String(names[req.procId]);
        const QString lower = proc.toLower();
        ProcTail tail;
        tail.last = i == requests.size() - 1;
        tail.databaseBefore = m_session.database;
        QString statement;
        QList<RpcParam> values;
        QList<Answer> answers;
        bool run = true;
        auto paramText = [&](int k) {
            return k < req.params.size() ? req.params[k].param.value.toString() : QString();
        };
        if (lower == QLatin1String("sp_executesql")) {
            statement = paramText(0);
            values = req.params.mid(2);
        } else if (lower == QLatin1String("sp_prepexec") || lower == QLatin1String("sp_prepare")) {
            statement = paramText(2);
            values = req.params.mid(3);
            const int handle = ++m_nextHandle;
            m_prepared.insert(handle, {statement, paramText(1)});
            if (!req.params.isEmpty()) {
                RpcParam h = req.params[0];
                h.param.typeName = QStringLiteral("int");
                h.param.value = qint64(handle);
                tail.outputs << h;
            }
            run = lower == QLatin1String("sp_prepexec");
            if (!run)
                values.clear();
        } else if (lower == QLatin1String("sp_execute")) {
            const int handle = int(req.params.value(0).param.value.toLongLong());
            values = req.params.mid(1);
            if (!m_prepared.contains(handle)) {
                answers << errorAnswer(8179, 4, 16, 1,
                                       QStringLiteral("Could not find prepared statement with handle %1.").arg(handle));
                run = false;
            }
            statement = m_prepared.value(handle).statement;
        } else if (lower == QLatin1String("sp_unprepare")) {
            m_prepared.remove(int(req.params.value(0).param.value.toLongLong()));
            run = false;
            values = req.params;
        } else if (req.procId > 0) {
            answers << errorAnswer(50000, 1, 16, 1, QStringLiteral("The test server does not support %1.").arg(proc));
            run = false;
            values = req.params;
        } else {
            statement = QStringLiteral("exec ") + proc;
            values = req.params;
        }
        // Values travel without names; the declaration names them in order.
        if (lower == QLatin1String("sp_executesql") || lower == QLatin1String("sp_prepexec")
            || lower == QLatin1String("sp_execute")) {
            const QRegularExpression declared(QStringLiteral("(?:^|,)\\s*(@[\\w@#$]+)"));
            const int handle = int(req.params.value(0).param.value.toLongLong());
            const QString decl =
                lower == QLatin1String("sp_execute") ? m_prepared.value(handle).declaration : paramText(1);
            qsizetype k = 0;
            for (auto m = declared.globalMatch(decl); m.hasNext() && k < values.size(); ++k) {
                if (values[k].param.name.isEmpty())
                    values[k].param.name = m.next().captured(1);
                else
                    m.next();
            }
        }
        for (qsizetype k = 0; k < values.size(); ++k) {
            if (values[k].param.name.isEmpty())
                values[k].param.name = QStringLiteral("@P%1").arg(k + 1);
        }
        QList<Param> plain;
        for (const RpcParam &v : std::as_const(values)) {
            plain << v.param;
            if (v.param.output && lower != QLatin1String("sp_prepexec") && lower != QLatin1String("sp_prepare"))
                tail.outputs << v;
        }
        log(TdsLogEntry::Rpc, statement, proc, renderParams(plain, true));
        if (run) {
            for (Param &p : plain)
                p.output = false;
            answers = m_server->answer(statement, renderParams(plain, false), &m_session);
            QList<Param> outputs;
            for (const RpcParam &o : std::as_const(tail.outputs))
                outputs << o.param;
            QString why;
            if (applyOutputs(answers, statement, &outputs, &why)) {
                for (qsizetype k = 0; k < outputs.size(); ++k)
                    tail.outputs[k].param.value = outputs[k].value;
            } else {
                answers << errorAnswer(50000, 1, 16, 1, why);
            }
            tail.returnStatus = returnStatus(answers);
        }
        const Outcome o = emitAnswers(answers, tail.databaseBefore, &tail);
        if (o == Outcome::Dropped) {
            m_closed = true;
            return;
        }
        if (o == Outcome::Cancelled)
            break;
    }
    m_out.end();
}

void Connection::handleTransactionManager(const QByteArray &payload)
{
    Reader r(payload);
    r.skipAllHeaders();
    const quint16 request = r.u16();
    m_out.begin();
    auto end = [&] {
        done(DoneToken, DoneFinal, 0);
        m_out.write(m_tok);
        m_out.end();
    };
    auto begin = [&] {
        if (m_session.tranCount++ == 0)
            envTransaction(8, true);
    };
    switch (request) {
    case 5: // begin
        log(TdsLogEntry::Transaction, QStringLiteral("begin"));
        begin();
        break;
    case 7:   // commit
    case 8: { // rollback
        r.bytes(r.u8() * 2);
        const quint8 flags = r.u8();
        const bool commit = request == 7;
        log(TdsLogEntry::Transaction, QString(commit ? QStringLiteral("commit") : QStringLiteral("rollback"))
                                          + (flags & 0x01 ? QStringLiteral(", begin") : QString()));
        // Without a transaction there is nothing to end; a client with
        // implicit transactions may still ask.
        if (m_session.tranCount > 0) {
            m_session.tranCount = 0;
            envTransaction(commit ? 9 : 10, false);
        }
        if (flags & 0x01)
            begin();
        break;
    }
    case 0: // DTC address: none
        log(TdsLogEntry::Transaction, QStringLiteral("dtc"));
        break;
    default:
        log(TdsLogEntry::Transaction, QStringLiteral("request %1").arg(request));
        info(ErrorToken, 50000, 1, 16, QStringLiteral("The test server does not support this transaction request."), 1);
        done(DoneToken, DoneError | DoneMore, 0);
        break;
    }
    end();
}

QString Connection::run()
{
    quint8 type = 0;
    QByteArray payload;
    while (!m_closed && readMessage(&type, &payload)) {
        switch (type) {
        case PreLoginPacket: handlePreLogin(payload); break;
        case Login7Packet:
            if (!handleLogin(payload))
                m_closed = true;
            break;
        case AttentionPacket:
            // The request it meant to cancel has already been answered.
            log(TdsLogEntry::Attention, {});
            m_out.begin();
            done(DoneToken, DoneAttention, 0);
            m_out.write(m_tok);
            m_out.end();
            break;
        case SspiPacket:
            refuse(18452, 14,
                   QStringLiteral("Login failed. Windows authentication is not supported by the test server."));
            m_closed = true;
            break;
        default:
            if (!m_loggedIn) {
                refuse(18456, 14, QStringLiteral("Login failed: no login before the first request."));
                m_closed = true;
            } else if (type == SqlBatchPacket) {
                handleBatch(payload);
            } else if (type == RpcPacket) {
                handleRpc(payload);
            } else if (type == TransactionManagerPacket) {
                handleTransactionManager(payload);
            } else {
                refuse(50000, 16, QStringLiteral("The test server does not support packets of type %1.").arg(type));
            }
            break;
        }
        if (m_out.broken())
            break;
    }
    return m_conn->dropped || m_dropped ? QStringLiteral("dropped") : QString();
}

} // namespace
} // namespace tds

void serveConnection(TdsServer::Private *server, TdsServer::Private::Connection *connection)
{
    TdsLogEntry closed;
    closed.kind = TdsLogEntry::Disconnect;
    closed.connection = connection->id;
    closed.text = tds::Connection(server, connection).run();
    // Logged once closed, so that a test that sees the entry sees the link gone.
    server->connectionClosed(connection, closed);
}
