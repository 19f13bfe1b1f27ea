#include "link/serialtrace.h"

namespace t880::link {

namespace {

// A read request: 'R' hi lo len. A write: 'W' hi lo len, then the data.
constexpr int kHeader = 4;

int frameAddress(const QByteArray &frame)
{
    return (quint8(frame[1]) << 8) | quint8(frame[2]);
}

} // namespace

bool SerialTrace::touchesMask(int address, int length)
{
    return address < MaskedTo && address + length > MaskedFrom;
}

void SerialTrace::note(qint64 ms, const QString &text)
{
    append(ms, '#', text.toUtf8(), {});
}

void SerialTrace::hostSent(qint64 ms, const QByteArray &bytes)
{
    QByteArray masked(bytes.size(), '\0');
    if (bytes.size() > kHeader && bytes[0] == 'W') {
        const int address = frameAddress(bytes);
        for (int i = kHeader; i < bytes.size(); ++i) {
            const int at = address + i - kHeader;
            masked[i] = at >= MaskedFrom && at < MaskedTo;
        }
    }
    if (bytes.size() == kHeader && bytes[0] == 'R') {
        // A request sent again while its reply is still coming keeps the
        // count, so a reply split around the repetition stays masked.
        const bool replyPending = m_replySeen > 0 && m_replySeen < kHeader + m_replyLength;
        if (bytes != m_request || !replyPending) {
            m_request = bytes;
            m_replyAddress = frameAddress(bytes);
            m_replyLength = quint8(bytes[3]);
            m_replySeen = 0;
            m_maskReply = touchesMask(m_replyAddress, m_replyLength);
        }
    } else {
        m_request.clear();
        m_maskReply = false;
    }
    append(ms, 'H', bytes, masked);
}

void SerialTrace::radioSent(qint64 ms, const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return;
    QByteArray masked(bytes.size(), '\0');
    if (m_maskReply) {
        for (int i = 0; i < bytes.size(); ++i, ++m_replySeen) {
            const int data = m_replySeen - kHeader;
            const int at = m_replyAddress + data;
            // Whatever follows the reply (a late copy of it) is masked
            // whole: it may be the same secret again.
            masked[i] = data >= m_replyLength || (data >= 0 && at >= MaskedFrom && at < MaskedTo);
        }
    }
    append(ms, 'R', bytes, masked);
}

void SerialTrace::append(qint64 ms, char direction, const QByteArray &bytes,
                         const QByteArray &masked)
{
    if (m_full)
        return;
    QByteArray line = QByteArray::number(ms).rightJustified(7) + ' ' + direction;
    if (direction == '#') {
        line += ' ' + bytes;
    } else {
        for (int i = 0; i < bytes.size(); ++i)
            line += masked[i] ? QByteArrayLiteral(" **")
                              : ' ' + QByteArray(1, bytes[i]).toHex().toUpper();
    }
    line += '\n';
    if (m_text.size() + line.size() > MaxSize) {
        m_text += QByteArray::number(ms).rightJustified(7) + " # trace full, the rest left out\n";
        m_full = true;
        return;
    }
    m_text += line;
}

FileResult SerialTrace::save(const QString &path) const
{
    return writeFileAtomically(path, m_text);
}

} // namespace t880::link
