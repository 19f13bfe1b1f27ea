#include "sim/virtualradio.h"

#include "factory/calibrationdata.h"

#include <algorithm>
#include <cstring>

namespace t880::link {

namespace {

constexpr char kConnect[] = "PROGRAM";
constexpr int kConnectSize = sizeof(kConnect) - 1;
constexpr char kIdentification[] = {0x50, 0x33, 0x32, 0x30, 0x37, 0x33, char(0xF8), char(0xFF)};
constexpr char kAck = 0x06;
constexpr char kIdentify = 0x02;
constexpr int kHeaderSize = 4; // 'R' or 'W', address high, address low, length

std::uint8_t byteAt(const QByteArray &b, int i)
{
    return std::uint8_t(b[i]);
}

int addressOf(const QByteArray &frame)
{
    return (byteAt(frame, 1) << 8) | byteAt(frame, 2);
}

// Callers keep address + length within the memory.
void store(QByteArray &memory, int address, const void *data, int length)
{
    std::memcpy(memory.data() + address, data, size_t(length));
}

} // namespace

VirtualRadio::VirtualRadio(Kind kind) : m_kind(kind), m_memory(factoryMemory(kind)) {}

VirtualRadio::VirtualRadio(Kind kind, const QByteArray &dump) : VirtualRadio(kind)
{
    const int n = int(std::min<qsizetype>(dump.size(), MemorySize));
    store(m_memory, 0, dump.constData(), n);
}

QByteArray VirtualRadio::factoryMemory(Kind kind)
{
    if (kind == Kind::Legacy)
        return QByteArray(MemorySize, char(0xFF));
    QByteArray memory(MemorySize, '\0');
    CalibrationData record;
    record.applyCalibrationDefaults();
    CalibrationBlock block{};
    CalibrationTables unused;
    GetAdjustmentData(record, kind == Kind::Y, block, unused);
    store(memory, CalibrationAddress, block.data(), CalibrationSize);
    return memory;
}

void VirtualRadio::setPassword(const QByteArray &password, const RandomByteSource &random)
{
    const PasswordBlock block = encodePasswordBlock(password, random);
    store(m_memory, PasswordAddress, block.data(), int(block.size()));
}

QList<VirtualRadio::Exchange> VirtualRadio::feed(const QByteArray &bytes)
{
    QList<Exchange> exchanges;
    m_pending += bytes;
    while (!m_pending.isEmpty()) {
        int length = 0;
        const Scan scan = scanFrame(length);
        if (scan == Scan::NeedMore)
            break;
        if (scan == Scan::NoFrame) {
            m_pending.remove(0, 1);
            continue;
        }
        exchanges.append(answer(m_pending.left(length)));
        m_pending.remove(0, length);
    }
    return exchanges;
}

void VirtualRadio::discardPartialFrame()
{
    m_pending.clear();
}

VirtualRadio::Scan VirtualRadio::scanFrame(int &length) const
{
    const QByteArray &p = m_pending;
    const int n = int(p.size());
    const std::uint8_t first = byteAt(p, 0);

    if (first == std::uint8_t(kConnect[0])) {
        const int have = std::min(n, kConnectSize);
        if (p.left(have) != QByteArray(kConnect, have))
            return Scan::NoFrame;
        if (have < kConnectSize)
            return Scan::NeedMore;
        length = kConnectSize;
        return Scan::Complete;
    }
    // The status request stands alone: it comes without a connect request.
    if (first == 'Y' && m_kind != Kind::Legacy) {
        if (n < 2)
            return Scan::NeedMore;
        if (p[1] != 'R')
            return Scan::NoFrame;
        length = 2;
        return Scan::Complete;
    }
    if (!m_inSession)
        return Scan::NoFrame;

    switch (first) {
    case 'R':
    case 'W': {
        if (n < kHeaderSize)
            return Scan::NeedMore;
        const int dataLength = byteAt(p, 3);
        // A block that would run past the top of memory is no request the
        // radio understands.
        if (addressOf(p) + dataLength > MemorySize)
            return Scan::NoFrame;
        length = kHeaderSize + (first == 'W' ? dataLength : 0);
        return n < length ? Scan::NeedMore : Scan::Complete;
    }
    case 'E':
        length = 1;
        return Scan::Complete;
    case kIdentify:
    case kAck:
        if (m_kind != Kind::Legacy)
            return Scan::NoFrame;
        length = 1;
        return Scan::Complete;
    default:
        return Scan::NoFrame;
    }
}

VirtualRadio::Exchange VirtualRadio::answer(const QByteArray &frame)
{
    Exchange e;
    e.request = frame;
    e.number = ++m_requests;
    switch (byteAt(frame, 0)) {
    case 'P':
        // A connect request opens a new session whatever came before, so a
        // host that gave up half-way can start over.
        m_inSession = true;
        e.reply = connectReply();
        break;
    case 'Y':
        e.reply = QByteArray(reinterpret_cast<const char *>(m_status.data()), int(m_status.size()));
        break;
    case 'R': {
        const int length = byteAt(frame, 3);
        e.reply = frame.left(kHeaderSize);
        e.reply[0] = 'W';
        e.reply += m_memory.mid(addressOf(frame), length);
        break;
    }
    case 'W': {
        const int length = byteAt(frame, 3);
        store(m_memory, addressOf(frame), frame.constData() + kHeaderSize, length);
        m_unsavedWrites = true;
        e.reply = QByteArray(1, kAck);
        break;
    }
    case 'E':
        // Writes of a session that was cut short count too: the memory
        // holds them, so the next end byte must have them saved.
        m_inSession = false;
        e.sessionEnded = true;
        e.wrote = m_unsavedWrites;
        m_unsavedWrites = false;
        break;
    case kIdentify:
        e.reply = QByteArray(kIdentification, int(sizeof(kIdentification)));
        break;
    case kAck:
        e.reply = QByteArray(1, kAck);
        break;
    }
    return e;
}

QByteArray VirtualRadio::connectReply() const
{
    switch (m_kind) {
    case Kind::S:
        return QByteArray(1, 'S');
    case Kind::Y:
        return QByteArray(1, 'Y');
    case Kind::Legacy:
        break;
    }
    return QByteArray(1, kAck);
}

} // namespace t880::link
