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
        const QByteArray key = bytes.mid(1);
        if (!m_requested.contains(key))
            m_requested << key;
        const bool secret = touchesMask(frameAddress(bytes), quint8(bytes[3]));
        if (secret)
            m_secretWindow = true;
        // A reply cut short must not swallow the next one's header; the
        // password area's reply is always looked for afresh.
        if (m_stream != Stream::Between && (secret || m_header.mid(1) != key))
            m_stream = Stream::Between;
    }
    append(ms, 'H', bytes, masked);
}

void SerialTrace::radioSent(qint64 ms, const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return;
    QByteArray masked(bytes.size(), '\0');
    for (int i = 0; i < bytes.size(); ++i) {
        const char byte = bytes[i];
        switch (m_stream) {
        case Stream::Between:
            masked[i] = m_secretWindow;
            if (byte == 'W') {
                m_stream = Stream::Header;
                m_header = QByteArray(1, byte);
            }
            break;
        case Stream::Header: {
            masked[i] = m_secretWindow;
            m_header += byte;
            if (m_header.size() < kHeader)
                break;
            const QByteArray key = m_header.mid(1);
            if (!m_requested.contains(key)) {
                // Not a reply after all; a 'W' among these bytes may begin
                // the real one.
                const int next = m_header.indexOf('W', 1);
                m_header = next < 0 ? QByteArray() : m_header.mid(next);
                m_stream = m_header.isEmpty() ? Stream::Between : Stream::Header;
                break;
            }
            m_dataAddress = frameAddress(m_header);
            m_dataLength = quint8(m_header[3]);
            m_dataSeen = 0;
            m_stream = m_dataLength > 0 ? Stream::Data : Stream::Between;
            // A recognised header is no secret: shown, as far as it came in
            // this piece.
            for (int back = 0; back < kHeader && i - back >= 0; ++back)
                masked[i - back] = false;
            break;
        }
        case Stream::Data: {
            const int at = m_dataAddress + m_dataSeen;
            masked[i] = at >= MaskedFrom && at < MaskedTo;
            if (++m_dataSeen == m_dataLength) {
                m_stream = Stream::Between;
                if (!touchesMask(m_dataAddress, m_dataLength))
                    m_secretWindow = false;
            }
            break;
        }
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
