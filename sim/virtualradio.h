// The radio's side of the programming protocol, as a state machine without
// time or I/O: it is fed the bytes the host sends, in any split, and tells
// what a radio of its kind answers to each frame. The emulator, the engine
// tests and the benchmark put it behind a line of their own.
//
// Host frames it knows:
//   "PROGRAM"             connect: 'S', 'Y' or 0x06 (older radio); opens a session
//   "YR"                  status (current radios): the six status bytes
//   'R' hi lo len         read: 'W' hi lo len and len bytes of memory
//   'W' hi lo len data    write: the data are stored, 0x06
//   0x02                  identify (older radio): "P32073" F8 FF
//   0x06                  confirm or block acknowledge (older radio): 0x06
//   'E'                   end of the session: no answer
// Reads, writes, 'E' and the older radio's single bytes count only inside a
// session; anything that starts no frame is skipped one byte at a time, so
// the radio falls back into step after noise.
#pragma once

#include "codeplug/passwordblock.h"

#include <QByteArray>
#include <QList>

#include <array>
#include <cstdint>

namespace t880::link {

class VirtualRadio
{
public:
    enum class Kind { S, Y, Legacy };

    static constexpr int MemorySize = 0x10000;
    static constexpr int PasswordAddress = 0x41D0;
    static constexpr int CalibrationAddress = 0x41F0;
    static constexpr int CalibrationSize = 128;

    using StatusReply = std::array<std::uint8_t, 6>;

    /// One frame taken from the host and what the radio does about it.
    struct Exchange
    {
        QByteArray request;        ///< the frame's bytes as they came
        QByteArray reply;          ///< the answer; empty when there is none
        quint64 number = 0;        ///< 1 for the first frame since construction
        bool sessionEnded = false; ///< the frame was the end byte
        bool wrote = false;        ///< with sessionEnded: memory changed since the last end byte
    };

    /// A radio of \a kind with the memory it leaves the factory with.
    explicit VirtualRadio(Kind kind);
    /// A radio of \a kind whose memory starts with \a dump; the rest (if the
    /// dump is shorter) is the factory memory. A longer dump is cut.
    VirtualRadio(Kind kind, const QByteArray &dump);

    /// The memory a radio of \a kind leaves the factory with: a current radio
    /// holds zeros except for the default calibration at 0x41F0, an older
    /// radio holds 0xFF everywhere.
    static QByteArray factoryMemory(Kind kind);

    /// Which radio this is.
    Kind kind() const { return m_kind; }
    /// The whole 64 KiB memory, address 0 first.
    const QByteArray &memory() const { return m_memory; }
    /// Puts a password block for \a password (at most 12 characters are
    /// kept; empty gives a radio without password) at 0x41D0.
    void setPassword(const QByteArray &password,
                     const RandomByteSource &random = systemRandomBytes());
    /// Sets what the radio sends for "YR": battery, signal, noise, flags and
    /// two further flag bytes.
    void setStatusReply(const StatusReply &reply) { m_status = reply; }
    /// What the radio sends for "YR".
    const StatusReply &statusReply() const { return m_status; }

    /// Consumes host bytes and returns one exchange for each frame they
    /// complete, in order. Bytes of a frame still incomplete are kept.
    QList<Exchange> feed(const QByteArray &bytes);
    /// Forgets the bytes of a frame still incomplete, as a radio does when
    /// the line falls quiet in the middle of a frame.
    void discardPartialFrame();
    /// True while bytes wait for the rest of their frame.
    bool hasPartialFrame() const { return !m_pending.isEmpty(); }
    /// True between a connect request and the end byte.
    bool inSession() const { return m_inSession; }
    /// Frames taken from the host so far.
    quint64 requestCount() const { return m_requests; }
    /// True when memory changed since the last end byte (or since
    /// markWritesSaved()).
    bool hasUnsavedWrites() const { return m_unsavedWrites; }
    /// The owner has saved the memory; writes so far count as saved.
    void markWritesSaved() { m_unsavedWrites = false; }

private:
    enum class Scan { Complete, NeedMore, NoFrame };

    Scan scanFrame(int &length) const;
    Exchange answer(const QByteArray &frame);
    QByteArray connectReply() const;

    Kind m_kind;
    QByteArray m_memory;
    StatusReply m_status{0x8C, 0x5A, 0x12, 0xA8, 0x00, 0x80};
    QByteArray m_pending;
    bool m_inSession = false;
    bool m_unsavedWrites = false;
    quint64 m_requests = 0;
};

} // namespace t880::link
