// Puts a VirtualRadio behind a pseudo-terminal, so that the programming
// software, a serial terminal or a test can talk to it as to a radio on a
// serial port. The line can be made to behave like a real one at 9600 baud
// and to lose, damage, split or withhold replies, reproducibly.
//
// POSIX only. One thread: a poll loop with bounded waits that runs until
// SIGINT or SIGTERM.
#pragma once

#include "sim/virtualradio.h"

#include <QFile>
#include <QString>

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <random>

namespace t880::link {

class PtyRunner
{
public:
    struct Options
    {
        QString linkPath;   ///< symbolic link to the terminal's device
        QString memoryPath; ///< where memory is saved after a session that wrote; empty: nowhere
        QString logPath;    ///< one line per frame; empty: no log
        bool pace = false;  ///< bytes take 11 bits at 9600 baud each way
        int replyDelayMs = 0;
        int replyJitterMs = 0;              ///< each reply waits up to this much longer
        double dropRate = 0.0;              ///< chance that a reply byte is lost
        double corruptRate = 0.0;           ///< chance that a reply byte is changed
        double corruptRequestRate = 0.0;    ///< chance that a byte from the host is changed
        bool split = false;                 ///< replies leave in two or three pieces
        std::optional<quint64> silentAfter; ///< answer only this many requests
        std::uint32_t seed = 0;             ///< drives every fault and split
    };
    /// Receives one line for the user about what happened (a session ended,
    /// memory saved, the radio fell silent).
    using Reporter = std::function<void(const QString &line)>;

    /// A runner for \a radio, which must outlive it.
    PtyRunner(VirtualRadio &radio, const Options &options);
    /// Closes everything open() opened, link included.
    ~PtyRunner();
    PtyRunner(const PtyRunner &) = delete;
    PtyRunner &operator=(const PtyRunner &) = delete;

    /// Makes SIGINT and SIGTERM end run() instead of the process.
    static void installStopHandlers();
    /// Opens the terminal and the log and points the link at the terminal.
    /// An existing symbolic link is replaced, anything else at the path is
    /// refused. On failure returns false with the reason in \a error.
    bool open(QString *error);
    /// The terminal's device path (such as /dev/pts/5) after open().
    QString deviceName() const { return m_deviceName; }
    /// Serves the radio until a stop signal. Returns false with \a error when
    /// the terminal fails. Writes not yet saved (a session cut short before
    /// its end byte) are saved on the way out.
    bool run(const Reporter &report, QString *error);
    /// Removes the link (if it still points at this terminal) and closes the
    /// terminal and the log. Safe to call twice.
    void close();

private:
    using Clock = std::chrono::steady_clock;

    /// A host byte and the moment it counts as received.
    struct Arrival
    {
        char byte;
        Clock::time_point at;
    };
    /// Bytes of a reply that go out together, no earlier than \a due.
    struct Piece
    {
        QByteArray bytes;
        Clock::time_point due;
        QByteArray logLine; ///< the reply's log line, on its first piece only
    };

    bool serve(const Reporter &report, QString *error);
    bool readHost(Clock::time_point now, QString *error);
    void deliverArrived(Clock::time_point now, const Reporter &report);
    void handleExchange(const VirtualRadio::Exchange &e, Clock::time_point now,
                        const Reporter &report);
    void scheduleReply(const QByteArray &reply, Clock::time_point ready);
    bool writeDue(Clock::time_point now, QString *error);
    Clock::time_point nextWake(Clock::time_point now) const;
    void writeLog(char direction, const QByteArray &bytes);
    void saveMemory(const Reporter &report);

    VirtualRadio &m_radio;
    Options m_options;
    std::mt19937 m_random;
    QFile m_log;
    QString m_deviceName;
    int m_master = -1;
    int m_slave = -1;
    bool m_linkMade = false;
    bool m_writeBlocked = false;
    bool m_reportedSilence = false;
    std::deque<Arrival> m_arrivals;
    std::deque<Piece> m_outbound;
    Clock::time_point m_lastArrival;
    Clock::time_point m_lastFed;
    Clock::time_point m_lineFreeAt;
};

} // namespace t880::link
