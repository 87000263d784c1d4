#pragma once

// Byte buffers and TDS packet framing of the test server.

#include <QByteArray>
#include <QString>
#include <QtEndian>

#include <cstdlib>
#include <cstring>

static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "the test server writes host-order UTF-16 and integers");

namespace tds {

enum PacketType : quint8 {
    SqlBatchPacket = 1,
    RpcPacket = 3,
    ReplyPacket = 4,
    AttentionPacket = 6,
    TransactionManagerPacket = 14,
    Login7Packet = 16,
    SspiPacket = 17,
    PreLoginPacket = 18,
};

enum Token : quint8 {
    ReturnStatusToken = 0x79,
    ColMetadataToken = 0x81,
    ErrorToken = 0xAA,
    InfoToken = 0xAB,
    ReturnValueToken = 0xAC,
    LoginAckToken = 0xAD,
    RowToken = 0xD1,
    NbcRowToken = 0xD2,
    EnvChangeToken = 0xE3,
    DoneToken = 0xFD,
    DoneProcToken = 0xFE,
    DoneInProcToken = 0xFF,
};

enum DoneStatus : quint16 {
    DoneFinal = 0x00,
    DoneMore = 0x01,
    DoneError = 0x02,
    DoneInXact = 0x04,
    DoneCount = 0x10,
    DoneAttention = 0x20,
};

// A growable byte buffer with little-endian writers; no per-write allocation
// once it has grown to its working size.
class Buffer
{
public:
    Buffer() = default;
    Buffer(const Buffer &) = delete;
    Buffer &operator=(const Buffer &) = delete;
    ~Buffer() { std::free(m_data); }

    void clear() { m_size = 0; }
    size_t size() const { return m_size; }
    char *data() { return m_data; }
    const char *data() const { return m_data; }

    char *grow(size_t n)
    {
        if (m_size + n > m_capacity)
            reserve(m_size + n);
        char *p = m_data + m_size;
        m_size += n;
        return p;
    }
    void reserve(size_t n)
    {
        if (n <= m_capacity)
            return;
        size_t cap = m_capacity ? m_capacity : 4096;
        while (cap < n)
            cap *= 2;
        char *p = static_cast<char *>(std::realloc(m_data, cap));
        if (!p)
            std::abort();
        m_data = p;
        m_capacity = cap;
    }
    // Drops the first n bytes.
    void consume(size_t n)
    {
        std::memmove(m_data, m_data + n, m_size - n);
        m_size -= n;
    }

    void u8(quint8 v) { *grow(1) = char(v); }
    void u16(quint16 v) { put(v); }
    void u32(quint32 v) { put(v); }
    void u64(quint64 v) { put(v); }
    void u16be(quint16 v) { put(qToBigEndian(v)); }
    void bytes(const void *p, size_t n)
    {
        if (n)
            std::memcpy(grow(n), p, n);
    }
    void bytes(const QByteArray &b) { bytes(b.constData(), size_t(b.size())); }
    void utf16(QStringView s) { bytes(s.utf16(), size_t(s.size()) * 2); }
    // B_VARCHAR and US_VARCHAR: a character count, then UTF-16.
    void bVarchar(QStringView s)
    {
        const QStringView t = s.left(255);
        u8(quint8(t.size()));
        utf16(t);
    }
    void usVarchar(QStringView s)
    {
        const QStringView t = s.left(65535);
        u16(quint16(t.size()));
        utf16(t);
    }
    // Patches a little-endian 16-bit length written earlier.
    void patch16(size_t at, quint16 v) { std::memcpy(m_data + at, &v, 2); }

private:
    template<typename T>
    void put(T v)
    {
        std::memcpy(grow(sizeof v), &v, sizeof v);
    }

    char *m_data = nullptr;
    size_t m_size = 0;
    size_t m_capacity = 0;
};

// Cuts a message into packets of the session's size and sends them in large
// writes. Short non-final packets are sent only before a wait.
class PacketStream
{
public:
    explicit PacketStream(int fd)
        : m_fd(fd)
    {
    }

    void setPacketSize(int size) { m_packetSize = size; }
    int packetSize() const { return m_packetSize; }
    void setSpid(quint16 spid) { m_spid = spid; }
    bool broken() const { return m_broken; }

    void begin(quint8 type = ReplyPacket);
    void write(const char *data, size_t n);
    void write(Buffer &tokens)
    {
        write(tokens.data(), tokens.size());
        tokens.clear();
    }
    // Sends every complete packet once enough have gathered.
    bool sendFull(size_t threshold = 256 * 1024);
    // Sends everything written so far, ending the current packet early.
    bool sendAll();
    // Ends the message (the last packet carries end-of-message) and sends it.
    bool end();

private:
    void startPacket();
    void finishPacket(bool last);
    bool sendBytes(size_t n);

    int m_fd;
    int m_packetSize = 4096;
    quint16 m_spid = 0;
    quint8 m_type = ReplyPacket;
    quint8 m_packetId = 1;
    Buffer m_out;
    size_t m_packetStart = 0;
    bool m_open = false;
    bool m_broken = false;
};

} // namespace tds
