// A scripted world for the transfer engine: a virtual clock, the four timers
// as deadlines, a list of serial ports with a radio behind each, and a log of
// everything the engine does. Nothing sleeps; a transfer of many seconds runs
// in microseconds.
//
// The radio answers each frame the engine sends after a delay; a test can
// rewrite any answer (wrong bytes, pieces at different times, silence). Its
// bytes land in the input queue of its port; like the serial adapter, the
// host hands the engine everything waiting on every receive-timer tick and,
// when readyRead is on, as soon as bytes arrive.
#pragma once

#include "link/programstate.h"
#include "link/transferengine.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <vector>

namespace enginesim {

using t880::ProgramDate;
using t880::ProgramState;
using t880::link::OpCode;
using t880::link::Outcome;
using t880::link::PortSettings;
using t880::link::ReadMode;
using t880::link::Timer;
using t880::link::TransferEngine;
using t880::link::TransferHost;

/// Bytes a radio puts on the line \a delayMs after the request left.
struct Piece
{
    qint64 delayMs = 0;
    QByteArray bytes;
};
using Reply = std::vector<Piece>;

inline QByteArray hex(const QByteArray &b)
{
    return b.toHex(' ').toUpper();
}

/// The radio behind one port: a 64 KiB memory and the answers of the
/// programming protocol. One frame per send() call.
class Radio
{
public:
    /// 'S' or 'Y' for a current radio, 0x06 for an older one; any other
    /// value is sent as it is (a device that is not the radio).
    std::uint8_t connectReply = 'S';
    /// False: the radio never answers anything.
    bool answers = true;
    qint64 delayMs = 20;
    std::vector<std::uint8_t> memory = std::vector<std::uint8_t>(0x10000, 0);
    std::array<std::uint8_t, 6> status{};
    /// May rewrite the answer to frame number \a n (0-based, every frame
    /// this radio was sent counts).
    std::function<void(int n, const QByteArray &frame, Reply &reply)> tamper;
    /// True for frame number \a n when it never reaches the radio: it is
    /// neither stored nor answered (a request damaged on the line).
    std::function<bool(int n, const QByteArray &frame)> lost;

    std::vector<QByteArray> frames;

    bool legacy() const { return connectReply == 0x06; }

    void put(int address, const QByteArray &bytes)
    {
        for (int i = 0; i < bytes.size(); ++i)
            memory[std::size_t(address + i)] = std::uint8_t(bytes[i]);
    }
    QByteArray peek(int address, int length) const
    {
        return QByteArray(reinterpret_cast<const char *>(memory.data()) + address, length);
    }

    Reply answer(const QByteArray &frame)
    {
        const int n = int(frames.size());
        frames.push_back(frame);
        if (lost && lost(n, frame))
            return {};
        QByteArray out;
        const auto u = [&frame](int i) {
            return std::uint8_t(frame[i]);
        };
        if (frame == QByteArray("PROGRAM")) {
            out = QByteArray(1, char(connectReply));
        } else if (frame == QByteArray("YR")) {
            out = QByteArray(reinterpret_cast<const char *>(status.data()), 6);
        } else if (frame.size() == 4 && u(0) == 'R') {
            const int address = (u(1) << 8) | u(2);
            out = frame.left(4);
            out[0] = 'W';
            out += peek(address, u(3));
        } else if (frame.size() >= 4 && u(0) == 'W' && frame.size() == 4 + u(3)) {
            put((u(1) << 8) | u(2), frame.mid(4));
            out = QByteArray(1, '\x06');
        } else if (frame.size() == 1 && u(0) == 0x02 && legacy()) {
            out = QByteArray("\x50\x33\x32\x30\x37\x33\xF8\xFF", 8);
        } else if (frame.size() == 1 && u(0) == 0x06 && legacy()) {
            out = QByteArray(1, '\x06');
        }
        Reply reply;
        if (answers && !out.isEmpty())
            reply.push_back({delayMs, out});
        if (tamper)
            tamper(n, frame, reply);
        return reply;
    }
};

class Sim : public TransferHost
{
public:
    enum class Kind {
        Send,
        Progress,
        Finished,
        Open,
        OpenFailed,
        Close,
        Purge,
        DiscardInput,
        Note
    };
    struct Event
    {
        qint64 at;
        Kind kind;
        int port;
        QByteArray bytes;
        int value;
    };
    struct TimerState
    {
        bool running = false;
        qint64 due = 0;
        int period = 0;
        quint64 seq = 0;
    };

    // The world before start().
    std::vector<int> ports{1};
    std::set<int> unopenable;
    std::map<int, Radio> radios;
    /// Deliver bytes at once, as readyRead does, besides the polling.
    bool readyRead = true;

    ProgramState state;
    std::unique_ptr<TransferEngine> engine;

    qint64 now = 0;
    std::vector<Event> log;
    std::array<TimerState, 4> timers{};
    int openPortNo = 0;
    QByteArray queue;
    /// Host contract broken by the engine (kept, not asserted here).
    QStringList violations;
    /// Called after every event is logged, from inside the engine's call,
    /// as a host that reacts at once would (for example by closing).
    std::function<void(const Event &)> onEvent;
    /// The port takes no bytes (a cable pulled out mid-transfer).
    bool sendFails = false;

    // Filled by finished().
    int finishedCount = 0;
    Outcome outcome = Outcome::Running;
    qint64 finishedAt = -1;
    bool timersStoppedAtFinish = false;
    bool portClosedAtFinish = false;

    Sim() { radios[1]; }

    static ProgramDate fixedDate() { return ProgramDate{2024, 3, 15, 10, 42}; }

    Radio &radio(int port = 1) { return radios[port]; }

    void make(OpCode op, ReadMode mode, PortSettings settings = {})
    {
        engine = std::make_unique<TransferEngine>(state, *this, op, mode, settings);
        engine->setClock(&Sim::fixedDate);
        auto counter = std::make_shared<std::uint8_t>(0x30);
        engine->setRandomSource([counter] { return (*counter)++; });
    }

    /// Runs \a action at virtual time \a at.
    void at(qint64 at, std::function<void()> action) { schedule(at, std::move(action)); }

    void start()
    {
        engine->start();
        run();
    }

    /// Bytes that reach port \a port now, whatever was asked.
    void inject(int port, const QByteArray &bytes) { arrive(port, bytes); }

    /// Advances virtual time until nothing is left to happen or \a limit.
    void run(qint64 limit = 600000)
    {
        for (int guard = 0; guard < 2000000; ++guard) {
            int timer = -1;
            qint64 due = 0;
            quint64 seq = 0;
            for (int t = 0; t < 4; ++t) {
                const TimerState &ts = timers[std::size_t(t)];
                if (ts.running && (timer < 0 || ts.due < due || (ts.due == due && ts.seq < seq))) {
                    timer = t;
                    due = ts.due;
                    seq = ts.seq;
                }
            }
            auto next = std::min_element(
                m_actions.begin(), m_actions.end(), [](const Action &a, const Action &b) {
                    return a.due < b.due || (a.due == b.due && a.seq < b.seq);
                });
            const bool takeAction =
                next != m_actions.end() &&
                (timer < 0 || next->due < due || (next->due == due && next->seq < seq));
            if (takeAction) {
                if (next->due > limit)
                    return;
                now = std::max(now, next->due);
                auto fn = std::move(next->fn);
                m_actions.erase(next);
                fn();
                continue;
            }
            if (timer < 0 || due > limit)
                return;
            now = std::max(now, due);
            fire(Timer(timer));
        }
        violations << QStringLiteral("event loop did not settle");
    }

    // --- what the log says ---------------------------------------------------

    std::vector<Event> sends() const { return filtered(Kind::Send); }
    std::vector<QByteArray> frames() const
    {
        std::vector<QByteArray> out;
        for (const Event &e : sends())
            out.push_back(e.bytes);
        return out;
    }
    std::vector<Event> filtered(Kind kind) const
    {
        std::vector<Event> out;
        for (const Event &e : log)
            if (e.kind == kind)
                out.push_back(e);
        return out;
    }
    /// Index in the log of the first event of \a kind carrying \a bytes, or -1.
    int indexOf(Kind kind, const QByteArray &bytes, int from = 0) const
    {
        for (int i = from; i < int(log.size()); ++i)
            if (log[std::size_t(i)].kind == kind && log[std::size_t(i)].bytes == bytes)
                return i;
        return -1;
    }
    std::vector<int> progressValues() const
    {
        std::vector<int> out;
        for (const Event &e : filtered(Kind::Progress))
            out.push_back(e.value);
        return out;
    }

    // --- TransferHost ----------------------------------------------------------

    std::vector<int> listPorts() override
    {
        note(QStringLiteral("listPorts"));
        return ports;
    }

    bool openPort(int port) override
    {
        if (finishedCount)
            violations << QStringLiteral("openPort after the end");
        if (openPortNo != 0)
            violations
                << QStringLiteral("port %1 opened while %2 is open").arg(port).arg(openPortNo);
        if (unopenable.count(port) || std::find(ports.begin(), ports.end(), port) == ports.end()) {
            record(Kind::OpenFailed, port);
            return false;
        }
        openPortNo = port;
        queue.clear();
        record(Kind::Open, port);
        return true;
    }

    void closePort() override
    {
        record(Kind::Close, openPortNo);
        openPortNo = 0;
        queue.clear();
    }

    void purgePort() override
    {
        record(Kind::Purge, openPortNo);
        queue.clear();
    }

    void discardInput() override
    {
        record(Kind::DiscardInput, openPortNo);
        queue.clear();
    }

    bool send(const QByteArray &bytes) override
    {
        if (finishedCount)
            violations
                << QStringLiteral("sent %1 after the end").arg(QString::fromLatin1(hex(bytes)));
        if (openPortNo == 0)
            violations
                << QStringLiteral("sent %1 with no port open").arg(QString::fromLatin1(hex(bytes)));
        record(Kind::Send, openPortNo, bytes);
        if (sendFails)
            return false;
        if (openPortNo == 0 || !radios.count(openPortNo))
            return true;
        const int port = openPortNo;
        for (const Piece &p : radios[port].answer(bytes))
            schedule(now + p.delayMs, [this, port, b = p.bytes] { arrive(port, b); });
        return true;
    }

    void startTimer(Timer timer, int ms) override
    {
        if (finishedCount)
            violations << QStringLiteral("timer %1 started after the end").arg(int(timer));
        TimerState &t = timers[std::size_t(timer)];
        t.running = true;
        t.due = now + ms;
        t.period = ms;
        t.seq = m_seq++;
    }

    void stopTimer(Timer timer) override { timers[std::size_t(timer)].running = false; }

    void progressChanged(int percent) override { record(Kind::Progress, 0, {}, percent); }

    void finished(Outcome o) override
    {
        ++finishedCount;
        outcome = o;
        finishedAt = now;
        timersStoppedAtFinish = std::none_of(timers.begin(), timers.end(),
                                             [](const TimerState &t) { return t.running; });
        portClosedAtFinish = openPortNo == 0;
        record(Kind::Finished, 0, {}, int(o));
    }

private:
    struct Action
    {
        qint64 due;
        quint64 seq;
        std::function<void()> fn;
    };

    void schedule(qint64 due, std::function<void()> fn)
    {
        m_actions.push_back({due, m_seq++, std::move(fn)});
    }

    void record(Kind kind, int port, const QByteArray &bytes = {}, int value = 0)
    {
        log.push_back({now, kind, port, bytes, value});
        if (onEvent)
            onEvent(log.back());
    }
    void note(const QString &text) { record(Kind::Note, 0, text.toLatin1()); }

    void arrive(int port, const QByteArray &bytes)
    {
        if (port != openPortNo)
            return; // nobody listens on a closed port
        queue += bytes;
        if (readyRead)
            poll();
    }

    void poll()
    {
        if (!engine->isPolling())
            return;
        const QByteArray waiting = queue;
        queue.clear();
        engine->receive(waiting);
    }

    void fire(Timer timer)
    {
        TimerState &t = timers[std::size_t(timer)];
        if (timer == Timer::Pause) {
            t.running = false;
        } else {
            t.due = now + t.period;
            t.seq = m_seq++;
        }
        if (timer == Timer::Rx)
            poll();
        else
            engine->timerFired(timer);
    }

    std::vector<Action> m_actions;
    quint64 m_seq = 1;
};

} // namespace enginesim
