// A record of everything that went over the line during a transfer, for bug
// reports: one line per chunk, each way, with the milliseconds since the
// transfer began, in the virtual radio's log form ("H 52 41 D0 10" for the
// host, "R ..." for the radio). The password area's bytes never appear: they
// are written as "**", so a trace can be sent to anyone.
//
// The radio's bytes are told apart by their replies' own headers ('W', and
// the address and length of a read the host asked for), so a reply that comes
// late, split or repeated is masked by its own address. Bytes that belong to
// no reply recognised so are masked while the password area may be on its
// way: from a request for it until a reply to some other read is complete.
#pragma once

#include "codeplug/memorymap.h"
#include "codeplug/safefile.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace t880::link {

class SerialTrace
{
public:
    /// The bytes that are masked: the radio's password blocks.
    static constexpr int MaskedFrom = memorymap::Password.first;
    static constexpr int MaskedTo = memorymap::Password.end; ///< one past the last
    /// A trace stops growing here; a transfer ends long before (its waits
    /// are bounded), but a line that floods the port must not eat memory.
    static constexpr qint64 MaxSize = 8 * 1024 * 1024;

    /// A line of its own that starts with "# ": what happened besides bytes.
    void note(qint64 ms, const QString &text);
    /// Bytes the host put on the line (one request frame per call).
    void hostSent(qint64 ms, const QByteArray &bytes);
    /// Bytes that came from the radio, as they were taken from the port.
    void radioSent(qint64 ms, const QByteArray &bytes);

    bool isEmpty() const { return m_text.isEmpty(); }
    /// The whole trace, UTF-8, one line per entry.
    const QByteArray &text() const { return m_text; }
    /// Writes the trace to \a path atomically.
    FileResult save(const QString &path) const;

private:
    void append(qint64 ms, char direction, const QByteArray &bytes, const QByteArray &masked);
    static bool touchesMask(int address, int length);

    QByteArray m_text;
    bool m_full = false;
    /// Address and length bytes of every read the host sent.
    QList<QByteArray> m_requested;
    /// The password area may be on its way.
    bool m_secretWindow = false;
    // Where the radio's stream stands: between replies, in a reply's header
    // (the bytes so far), or in its data.
    enum class Stream { Between, Header, Data } m_stream = Stream::Between;
    QByteArray m_header;
    int m_dataAddress = 0;
    int m_dataLength = 0;
    int m_dataSeen = 0;
};

} // namespace t880::link
