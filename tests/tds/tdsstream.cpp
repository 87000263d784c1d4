#include "tds/tdsstream.h"

#include <algorithm>
#include <cerrno>
#include <sys/socket.h>

namespace tds {

void PacketStream::begin(quint8 type)
{
    m_type = type;
    m_packetId = 1;
    m_out.clear();
    startPacket();
    m_open = true;
}

void PacketStream::startPacket()
{
    m_packetStart = m_out.size();
    m_out.grow(8);
}

void PacketStream::finishPacket(bool last)
{
    char *h = m_out.data() + m_packetStart;
    const quint16 length = quint16(m_out.size() - m_packetStart);
    h[0] = char(m_type);
    h[1] = last ? 0x01 : 0x00;
    qToBigEndian(length, h + 2);
    qToBigEndian(m_spid, h + 4);
    h[6] = char(m_packetId++);
    h[7] = 0;
}

void PacketStream::write(const char *data, size_t n)
{
    while (n > 0) {
        const size_t room = m_packetStart + size_t(m_packetSize) - m_out.size();
        if (room == 0) {
            finishPacket(false);
            startPacket();
            continue;
        }
        const size_t k = std::min(room, n);
        std::memcpy(m_out.grow(k), data, k);
        data += k;
        n -= k;
    }
}

bool PacketStream::sendBytes(size_t n)
{
    size_t sent = 0;
    while (!m_broken && sent < n) {
        const ssize_t r = ::send(m_fd, m_out.data() + sent, n - sent, MSG_NOSIGNAL);
        if (r < 0) {
            if (errno == EINTR)
                continue;
            m_broken = true;
            break;
        }
        sent += size_t(r);
    }
    m_out.consume(n);
    m_packetStart -= std::min(m_packetStart, n);
    return !m_broken;
}

bool PacketStream::sendFull(size_t threshold)
{
    if (m_packetStart < threshold)
        return !m_broken;
    return sendBytes(m_packetStart);
}

bool PacketStream::sendAll()
{
    if (m_out.size() - m_packetStart <= 8)
        return sendBytes(m_packetStart);
    finishPacket(false);
    const size_t n = m_out.size();
    startPacket();
    const bool ok = sendBytes(n);
    return ok;
}

bool PacketStream::end()
{
    if (!m_open)
        return !m_broken;
    finishPacket(true);
    m_open = false;
    return sendBytes(m_out.size());
}

} // namespace tds
