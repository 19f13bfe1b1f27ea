// The transfer engine against any line: a radio that answers late, in pieces,
// wrongly or never, noise on the line, ports that will not open, a user who
// closes the window at any moment, even from inside one of the engine's calls.
// The host below is a fake without event loop or port: time is simulated and
// every call the engine makes is checked against the host contract. Whatever
// happens, the engine must end exactly once, send nothing and start no timer
// after its end, send only on an open port, keep its progress in 0..100, and
// end in bounded time once the line falls silent.
//
// Input, one byte each:
//   0  operation: codeplug read, codeplug write, calibration read, calibration
//      write, password write, status, serial number (no operation), password
//      read (no operation)
//   1  bit 0 automatic port search, bit 1 the user gives the right password,
//      bit 2 the user gives a wrong one, bit 3 the radio has a password,
//      bits 4..5 the radio: S, Y, legacy, or a port where nothing answers,
//      bit 6 bytes are handed over as they arrive (else only on the poll),
//      bit 7 the codeplug asks for its new password to be written
//   2  bits 0..1 ports listed (1..4), bits 2..3 the port asked for, bits 4..7
//      listed ports that will not open
//   3  bits 0..1 the listed port the radio is behind, bits 2..7 how many bytes
//      of memory byte 4 patches (up to 63)
//   4  where the patch goes: a region of either layout; the patch bytes follow
// then commands until the input ends (see run()); after them the radio falls
// silent and the host fires every timer in deadline order until the end.
#include "fuzzsupport.h"
#include "link/programstate.h"
#include "link/transferengine.h"
#include "sim/virtualradio.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <memory>
#include <optional>
#include <vector>

using namespace t880;
using namespace t880::link;

namespace {

// Once the radio falls silent, every port gets at most this long before the
// engine must give up.
constexpr qint64 kSilenceLimitPerPortMs = 60000;
// A guard against a loop of timers that never advances the clock.
constexpr int kMaxEvents = 200000;

// A known fault, left out so that the fuzzer can look past it; the inputs
// corpus/engine/late-* show it. The engine does not look again whether it
// still runs after each call to its host. A host that ends the transfer from
// inside purgePort(), startTimer(), progressChanged() or a successful
// openPort() gets further calls after finished(): the end byte or the
// connect request sent, a port purged, or the next port of the search opened
// (and left open), progress 0. Set this to true once the engine is fixed.
constexpr bool kCloseInsideHostCalls = true;

const QByteArray kPassword = QByteArrayLiteral("T880pass");

enum class Hook { None, Send, Progress, StartTimer, Purge, OpenPort, Count };

class FakeHost : public TransferHost
{
public:
    struct TimerState
    {
        bool running = false;
        qint64 due = 0;
        int period = 0;
        quint64 seq = 0;
    };

    // The world, set before the engine starts.
    std::vector<int> ports;
    std::vector<int> unopenable;
    int radioPort = 0;
    std::optional<VirtualRadio> radio;
    int sends = 0;
    bool handOverAtOnce = false;
    TransferEngine *engine = nullptr;

    // What the engine did.
    qint64 now = 0;
    std::array<TimerState, 4> timers{};
    int openedPort = 0;
    QByteArray queue;   ///< bytes that arrived on the open port, not yet taken
    QByteArray pending; ///< the radio's answers, not yet on the line
    int finishedCount = 0;
    Outcome reported = Outcome::Running;
    int lastProgress = 0;
    Hook closeInside = Hook::None;

    bool anyTimerRunning() const
    {
        return std::any_of(timers.begin(), timers.end(),
                           [](const TimerState &t) { return t.running; });
    }

    // --- TransferHost ------------------------------------------------------

    std::vector<int> listPorts() override
    {
        notAfterEnd("listPorts");
        return ports;
    }

    bool openPort(int port) override
    {
        notAfterEnd("openPort");
        fuzz::require(openedPort == 0, "no port is opened while another is open");
        if (std::find(ports.begin(), ports.end(), port) == ports.end() ||
            std::find(unopenable.begin(), unopenable.end(), port) != unopenable.end())
            return false;
        openedPort = port;
        queue.clear();
        pending.clear();
        hook(Hook::OpenPort);
        return true;
    }

    void closePort() override
    {
        fuzz::require(openedPort != 0, "only an open port is closed");
        openedPort = 0;
        queue.clear();
        pending.clear(); // the answers of a device nobody listens to are lost
    }

    void purgePort() override
    {
        notAfterEnd("purgePort");
        hook(Hook::Purge);
        queue.clear();
    }

    void discardInput() override
    {
        notAfterEnd("discardInput");
        queue.clear();
    }

    bool send(const QByteArray &bytes) override
    {
        notAfterEnd("send");
        fuzz::require(openedPort != 0, "nothing is sent while no port is open", bytes.toHex());
        fuzz::require(!bytes.isEmpty(), "a send carries bytes");
        ++sends;
        if (radio && openedPort == radioPort) {
            for (const VirtualRadio::Exchange &e : radio->feed(bytes))
                pending += e.reply;
        }
        hook(Hook::Send);
        return true;
    }

    void startTimer(Timer timer, int ms) override
    {
        notAfterEnd("startTimer");
        fuzz::require(ms > 0, "a timer runs for some time");
        TimerState &t = timers[std::size_t(timer)];
        t = {true, now + ms, ms, m_seq++};
        hook(Hook::StartTimer);
    }

    void stopTimer(Timer timer) override { timers[std::size_t(timer)].running = false; }

    void progressChanged(int percent) override
    {
        notAfterEnd("progressChanged");
        fuzz::require(percent >= 0 && percent <= 100, "progress stays within 0..100",
                      QByteArray::number(percent));
        // It only grows while the transfer runs; 0 starts or ends it.
        fuzz::require(percent == 0 || percent >= lastProgress, "progress never goes back",
                      QByteArray::number(lastProgress) + " -> " + QByteArray::number(percent));
        lastProgress = percent;
        hook(Hook::Progress);
    }

    void finished(Outcome outcome) override
    {
        fuzz::require(finishedCount == 0, "the end is reported once");
        fuzz::require(outcome != Outcome::Running, "the end has an outcome");
        fuzz::require(!anyTimerRunning(), "every timer is stopped at the end");
        fuzz::require(openedPort == 0, "the port is closed at the end");
        ++finishedCount;
        reported = outcome;
    }

    // --- the line and the clock --------------------------------------------

    /// Bytes reach the open port; a host that listens for them hands them
    /// over at once.
    void arrive(const QByteArray &bytes)
    {
        if (openedPort == 0 || bytes.isEmpty())
            return;
        queue += bytes;
        if (handOverAtOnce)
            poll();
    }

    /// The radio's next \a n answer bytes go on the line.
    void deliver(int n)
    {
        const QByteArray part = pending.left(n);
        pending.remove(0, part.size());
        arrive(part);
    }

    void poll()
    {
        if (!engine->isPolling())
            return;
        const QByteArray waiting = queue;
        queue.clear();
        engine->receive(waiting);
    }

    /// Fires the timer due first; false when none runs.
    bool fireNext(qint64 limit = -1)
    {
        int next = -1;
        for (int i = 0; i < int(timers.size()); ++i) {
            const TimerState &t = timers[std::size_t(i)];
            const TimerState *best = next < 0 ? nullptr : &timers[std::size_t(next)];
            if (t.running &&
                (!best || t.due < best->due || (t.due == best->due && t.seq < best->seq)))
                next = i;
        }
        if (next < 0)
            return false;
        TimerState &t = timers[std::size_t(next)];
        if (limit >= 0 && t.due > limit)
            return false;
        now = std::max(now, t.due);
        const auto timer = Timer(next);
        if (timer == Timer::Pause) {
            t.running = false; // single shot
        } else {
            t.due = now + t.period;
            t.seq = m_seq++;
        }
        if (timer == Timer::Rx)
            poll(); // as the serial adapter does: the tick is a poll
        else
            engine->timerFired(timer);
        return true;
    }

    /// Moves the clock on by \a ms, firing every timer that falls due.
    void advance(qint64 ms)
    {
        const qint64 until = now + ms;
        while (fireNext(until)) {
        }
        now = std::max(now, until);
    }

private:
    void notAfterEnd(const char *call)
    {
        fuzz::require(finishedCount == 0, "the engine calls its host no more after the end", call);
    }

    // A host that closes the transfer from inside one of the engine's calls,
    // as a window does when its user clicks at the wrong moment.
    void hook(Hook h)
    {
        if (closeInside != h || h == Hook::None)
            return;
        if (h != Hook::Send && !kCloseInsideHostCalls)
            return;
        closeInside = Hook::None;
        engine->close();
    }

    quint64 m_seq = 1;
};

struct Operation
{
    OpCode op;
    ReadMode mode;
};

constexpr Operation kOperations[] = {
    {OpCode::Codeplug, ReadMode::Read},     {OpCode::Codeplug, ReadMode::Write},
    {OpCode::Calibration, ReadMode::Read},  {OpCode::Calibration, ReadMode::Write},
    {OpCode::Password, ReadMode::Write},    {OpCode::Status, ReadMode::Read},
    {OpCode::SerialNumber, ReadMode::Read}, {OpCode::Password, ReadMode::Read},
};

// Regions of the radio's memory a patch may go to: the channels, settings,
// password block and calibration area of the current layout, and the
// channels and settings of the legacy one.
constexpr int kPatchRegions[] = {0x4000, 0x4140, 0x41D0, 0x41F0, 0x0010, 0x0110};

QByteArray radioMemory(VirtualRadio::Kind kind, fuzz::Input &in, int patchLength)
{
    QByteArray memory = VirtualRadio::factoryMemory(kind);
    const int region = kPatchRegions[in.byte() % std::size(kPatchRegions)];
    const QByteArray patch = in.take(std::size_t(patchLength));
    memory.replace(region, patch.size(), patch);
    return memory;
}

RandomByteSource countingBytes()
{
    auto next = std::make_shared<std::uint8_t>(0x11);
    return [next] {
        return (*next)++;
    };
}

void checkBetweenCalls(const FakeHost &host, const TransferEngine &engine)
{
    if (engine.isRunning()) {
        fuzz::require(host.finishedCount == 0, "a running transfer has not ended");
        fuzz::require(host.openedPort != 0, "a running transfer holds a port");
        fuzz::require(host.anyTimerRunning(), "a running transfer waits for a timer");
    } else {
        fuzz::require(host.finishedCount == 1, "an ended transfer has reported its end");
        fuzz::require(engine.outcome() == host.reported, "the outcome is the one reported");
        fuzz::require(!engine.isPolling(), "an ended transfer takes no bytes");
    }
    fuzz::require(engine.progress() >= 0 && engine.progress() <= 100,
                  "progress stays within 0..100");
}

// Commands, one byte each plus their arguments:
//   0..2  fire the timer due first         3  let (byte x 20) ms pass
//   4     the radio's answers go on the line  5  the first (byte) of them do
//   6     the radio's answers are lost     7  one answer byte is damaged (2 bytes)
//   8     (byte) bytes of noise follow (255: more than the buffer holds)
//   9     the host polls                  10  the user closes
//  11     the next call of kind (byte) closes from inside
//  12     a timer event for a stopped timer (byte)
//  13     the radio forgets a partial frame
//  14     answers on the line, then the next timer
//  15     for (byte x 50) ms the radio's answers go on the line as they come
void run(fuzz::Input &in, FakeHost &host, TransferEngine &engine)
{
    while (!in.atEnd()) {
        const std::uint8_t command = in.byte() % 16;
        switch (command) {
        case 0:
        case 1:
        case 2:
            host.fireNext();
            break;
        case 3:
            host.advance(qint64(in.byte()) * 20);
            break;
        case 4:
            host.deliver(int(host.pending.size()));
            break;
        case 5:
            host.deliver(in.byte());
            break;
        case 6:
            host.pending.clear();
            break;
        case 7: {
            const int at = in.byte();
            const std::uint8_t flip = in.byte() | 1;
            if (!host.pending.isEmpty())
                host.pending[at % host.pending.size()] ^= char(flip);
            break;
        }
        case 8: {
            const int n = in.byte();
            QByteArray noise = in.take(std::size_t(n));
            if (n == 255)
                noise += QByteArray(RxBufSize, char(0x57));
            host.arrive(noise);
            break;
        }
        case 9:
            host.poll();
            break;
        case 10:
            engine.close();
            break;
        case 11:
            host.closeInside = Hook(1 + in.byte() % (int(Hook::Count) - 1));
            break;
        case 12: {
            const auto timer = Timer(in.byte() % 4);
            if (!host.timers[std::size_t(timer)].running)
                engine.timerFired(timer);
            break;
        }
        case 13:
            if (host.radio)
                host.radio->discardPartialFrame();
            break;
        case 14:
            host.deliver(int(host.pending.size()));
            host.fireNext();
            break;
        case 15: {
            const qint64 until = host.now + qint64(in.byte()) * 50;
            for (int events = 0; events < kMaxEvents && engine.isRunning(); ++events) {
                host.deliver(int(host.pending.size()));
                if (!host.fireNext(until))
                    break;
            }
            host.now = std::max(host.now, until);
            break;
        }
        }
        checkBetweenCalls(host, engine);
    }
}

// The radio falls silent; every timer fires in deadline order until the end.
void drain(FakeHost &host, TransferEngine &engine)
{
    host.closeInside = Hook::None;
    const qint64 silentSince = host.now;
    const qint64 limit =
        kSilenceLimitPerPortMs * qint64(std::max<std::size_t>(1, host.ports.size()));
    for (int events = 0; engine.isRunning(); ++events) {
        fuzz::require(host.fireNext(), "a running transfer waits for a timer");
        fuzz::require(host.now - silentSince <= limit,
                      "the transfer ends in bounded time when the radio falls silent",
                      QByteArray::number(host.now - silentSince) + " ms");
        fuzz::require(events < kMaxEvents, "the timers move the clock on");
        host.pending.clear();
        checkBetweenCalls(host, engine);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzz::Input in(data, size);
    // The operation byte's upper bits switch the safety steps of a write:
    // 0x08 backup, 0x10 read-back, 0x20 a restore of raw blocks, 0x40 a
    // backup that cannot be kept, 0x80 the restore's blocks from a 'Y' radio.
    const std::uint8_t operationBits = in.byte();
    const Operation operation = kOperations[operationBits % std::size(kOperations)];
    const std::uint8_t flags = in.byte();
    const std::uint8_t portBits = in.byte();
    const std::uint8_t radioBits = in.byte();

    auto state = std::make_unique<ProgramState>();
    if (flags & 0x02)
        state->codeplug.setText(TextField::radioPassword, kPassword);
    else if (flags & 0x04)
        state->codeplug.setText(TextField::radioPassword, QByteArrayLiteral("wrong"));
    state->codeplug.setText(TextField::newRadioPassword, QByteArrayLiteral("new1"));
    state->codeplug.setSetting(Setting::writeNewPassword, (flags & 0x80) ? 1 : 0);
    state->codeplug.enterChannelFrequency(1, 438500000);

    FakeHost host;
    const int listed = 1 + (portBits & 0x03);
    for (int p = 1; p <= listed; ++p) {
        host.ports.push_back(p);
        if (portBits & (0x10 << (p - 1)))
            host.unopenable.push_back(p);
    }
    host.radioPort = 1 + (radioBits & 0x03) % listed;
    host.handOverAtOnce = flags & 0x40;
    const int kindBits = (flags >> 4) & 0x03;
    if (kindBits < 3) {
        const auto kind = VirtualRadio::Kind(kindBits);
        host.radio.emplace(kind, radioMemory(kind, in, radioBits >> 2));
        if (flags & 0x08)
            host.radio->setPassword(kPassword, countingBytes());
    }

    PortSettings settings;
    settings.autoSearch = flags & 0x01;
    settings.port = 1 + ((portBits >> 2) & 0x03);
    TransferEngine engine(*state, host, operation.op, operation.mode, settings);
    engine.setClock([] { return ProgramDate{2025, 1, 2, 3, 4}; });
    engine.setRandomSource(countingBytes());
    engine.setBackupBeforeWrite(operationBits & 0x08);
    engine.setVerifyWrites(operationBits & 0x10);
    int backupsTaken = 0;
    engine.setBackupSink([&backupsTaken, operationBits] {
        ++backupsTaken;
        return !(operationBits & 0x40);
    });
    std::optional<RestorePlan> restore;
    if (operationBits & 0x20) {
        restore.emplace();
        restore->kind = (operationBits & 0x80) ? RadioKind::Y : RadioKind::S;
        for (int a = 0x4000; a < 0x4170; a += 16)
            restore->blocks.emplace_back(a, QByteArray(16, char(a >> 4)));
        engine.setRestorePlan(*restore);
    }
    host.engine = &engine;

    engine.start();
    checkBetweenCalls(host, engine);
    run(in, host, engine);
    drain(host, engine);

    // For whoever writes seeds: how each input ended.
    static const bool verbose = std::getenv("T880_FUZZ_VERBOSE") != nullptr;
    if (verbose)
        std::fprintf(stderr, "outcome %d after %lld ms, %d frames sent, progress %d\n",
                     int(engine.outcome()), static_cast<long long>(host.now), host.sends,
                     host.lastProgress);

    fuzz::require(backupsTaken <= 1, "one backup per transfer at most");
    const bool writesArea =
        operation.mode == ReadMode::Write &&
        (operation.op == OpCode::Codeplug || operation.op == OpCode::Calibration);
    // A restore read back and reported a success left exactly its blocks.
    if (engine.outcome() == Outcome::Success && restore && (operationBits & 0x10) &&
        operation.op == OpCode::Codeplug && operation.mode == ReadMode::Write && host.radio &&
        engine.radioKind() != RadioKind::Legacy) {
        for (const auto &[address, data] : restore->blocks)
            fuzz::require(host.radio->memory().mid(address, 16) == data,
                          "a verified restore left its blocks in the radio");
    }
    if (engine.outcome() == Outcome::Success && writesArea && (operationBits & 0x08))
        fuzz::require(backupsTaken == 1 && !(operationBits & 0x40),
                      "a write that succeeded with a backup took it");
    if (engine.outcome() == Outcome::Success) {
        engine.runCompletion();
        engine.runCompletion(); // a second call must change nothing, nor crash
    }
    // Whatever comes after the end is ignored.
    const int reported = host.finishedCount;
    engine.timerFired(Timer::Tx);
    engine.receive(QByteArrayLiteral("S"));
    engine.close();
    engine.start();
    fuzz::require(host.finishedCount == reported, "the end is reported once");
    return 0;
}
