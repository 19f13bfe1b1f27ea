// Replies that come late, twice, damaged or not at all, against the transfer
// engine on a scripted clock. Whatever the line does, a transfer ends either
// with exactly the radio's data (or exactly the intended bytes in the radio)
// or with a failure: never with "SUCCESS" and wrong data.
#include "enginesim.h"

#include "codeplug/codeplugdata.h"

#include <QtTest>

using namespace enginesim;
using t880::TextField;

namespace {

constexpr int kCodeplug = 0x4000;
constexpr int kPassword = 0x41D0;
constexpr int kCalibration = 0x41F0;

// A byte for every address that differs from its neighbours and from the
// same offset in other areas, so a block stored one place off shows.
std::uint8_t patternByte(int address)
{
    return std::uint8_t((address * 7 + (address >> 8) * 13 + 1) & 0xFF);
}

void fillPattern(Radio &r)
{
    for (int a = 0x0010; a < 0x0200; ++a)
        r.memory[std::size_t(a)] = patternByte(a);
    for (int a = kCodeplug; a < 0x4270; ++a)
        r.memory[std::size_t(a)] = patternByte(a);
    // A radio without password: its block begins with 0xFF.
    for (int a = kPassword; a < kPassword + 16; ++a)
        r.memory[std::size_t(a)] = 0xFF;
    r.status = {0x81, 0x42, 0x13, 0xA5, 0x01, 0x7F};
}

QByteArray pattern(int address, int length)
{
    QByteArray out;
    for (int i = 0; i < length; ++i)
        out.append(char(patternByte(address + i)));
    return out;
}

QByteArray statusBytes(const Radio &r)
{
    return QByteArray(reinterpret_cast<const char *>(r.status.data()), 6);
}

QByteArray imageBytes(const Sim &sim, int offset, int length)
{
    return QByteArray(reinterpret_cast<const char *>(sim.state.image.raw.data()) + offset, length);
}

QByteArray readRequest(int address)
{
    QByteArray f("R");
    f.append(char(address >> 8)).append(char(address & 0xFF)).append(char(16));
    return f;
}

QByteArray writeHeader(int address)
{
    QByteArray f("W");
    f.append(char(address >> 8)).append(char(address & 0xFF)).append(char(16));
    return f;
}

enum class Kind { ReadS, ReadY, ReadOld, WriteS, WriteOld, CalRead, CalWrite, Password, Status };

struct Case
{
    OpCode op;
    ReadMode mode;
    std::uint8_t connect;
};

Case caseOf(Kind k)
{
    switch (k) {
    case Kind::ReadS:
        return {OpCode::Codeplug, ReadMode::Read, 'S'};
    case Kind::ReadY:
        return {OpCode::Codeplug, ReadMode::Read, 'Y'};
    case Kind::ReadOld:
        return {OpCode::Codeplug, ReadMode::Read, 0x06};
    case Kind::WriteS:
        return {OpCode::Codeplug, ReadMode::Write, 'S'};
    case Kind::WriteOld:
        return {OpCode::Codeplug, ReadMode::Write, 0x06};
    case Kind::CalRead:
        return {OpCode::Calibration, ReadMode::Read, 'Y'};
    case Kind::CalWrite:
        return {OpCode::Calibration, ReadMode::Write, 'S'};
    case Kind::Password:
        return {OpCode::Password, ReadMode::Write, 'S'};
    case Kind::Status:
        break;
    }
    return {OpCode::Status, ReadMode::Read, 'S'};
}

// What a successful transfer of \a kind must have left behind, checked
// against the radio's memory as the test set it up (\a before).
void verifyData(Kind kind, const Sim &sim, const Radio &radio,
                const std::vector<std::uint8_t> &before)
{
    const auto was = [&before](int address, int length) {
        return QByteArray(reinterpret_cast<const char *>(before.data()) + address, length);
    };
    switch (kind) {
    case Kind::ReadS:
    case Kind::ReadY:
        QCOMPARE(hex(imageBytes(sim, 0, 0x170)), hex(pattern(kCodeplug, 0x170)));
        break;
    case Kind::ReadOld:
        QCOMPARE(hex(imageBytes(sim, 0x10, 0x1F0)), hex(pattern(0x10, 0x1F0)));
        break;
    case Kind::WriteS:
        // Every block the engine built reached the radio, in its place.
        QCOMPARE(hex(radio.peek(kCodeplug, 0x170)), hex(imageBytes(sim, 0, 0x170)));
        QCOMPARE(hex(radio.peek(kCalibration, 0x80)), hex(was(kCalibration, 0x80)));
        QCOMPARE(hex(radio.peek(kPassword, 0x20)), hex(was(kPassword, 0x20)));
        break;
    case Kind::WriteOld:
        QCOMPARE(hex(radio.peek(0x10, 0x1F0)), hex(imageBytes(sim, 0x10, 0x1F0)));
        break;
    case Kind::CalRead:
        QCOMPARE(hex(imageBytes(sim, 0, 0x80)), hex(pattern(kCalibration, 0x80)));
        break;
    case Kind::CalWrite:
        QCOMPARE(hex(radio.peek(kCalibration, 0x80)),
                 hex(QByteArray(reinterpret_cast<const char *>(sim.state.calibrationBuffer.data()),
                                0x80)));
        QCOMPARE(hex(radio.peek(kCodeplug, 0x150)), hex(imageBytes(sim, 0, 0x150)));
        break;
    case Kind::Password:
        QCOMPARE(hex(radio.peek(kPassword, 16)), hex(imageBytes(sim, 0, 16)));
        break;
    case Kind::Status:
        QCOMPARE(hex(imageBytes(sim, 0, 6)), hex(statusBytes(radio)));
        break;
    }
}

} // namespace

Q_DECLARE_METATYPE(Kind)

class TestLateReplies : public QObject
{
    Q_OBJECT

private slots:
    void lateRadio_data();
    void lateRadio();
    void copyCutByRepetition_data();
    void copyCutByRepetition();
    void lostRequestWhileLate_data();
    void lostRequestWhileLate();
    void copiesThatNeverCome();
    void verifiedReads_data();
    void verifiedReads();
    void verifiedReadsCleanLine();
    void passwordReadTwice_data();
    void passwordReadTwice();
    void portStopsTakingBytes_data();
    void portStopsTakingBytes();
};

namespace {

// Runs \a kind against a radio filled with the pattern until the engine ends
// (virtual time; a slow transfer takes minutes of it and microseconds here).
struct Run
{
    Sim sim;
    std::vector<std::uint8_t> before;

    Run(Kind kind, qint64 delayMs, bool verify = false)
    {
        const Case c = caseOf(kind);
        Radio &radio = sim.radio();
        radio.connectReply = c.connect;
        radio.delayMs = delayMs;
        fillPattern(radio);
        before = radio.memory;
        sim.state.codeplug.setText(TextField::newRadioPassword, QByteArray("4711"));
        sim.make(c.op, c.mode);
        sim.engine->setVerifyReads(verify);
    }
    void go()
    {
        sim.engine->start();
        sim.run(3'000'000);
    }
    int count(const QByteArray &frameStart) const
    {
        int n = 0;
        for (const QByteArray &f : sim.frames())
            n += f.startsWith(frameStart) ? 1 : 0;
        return n;
    }
};

#define VERIFY_CLEAN_END(sim)                                                                      \
    do {                                                                                           \
        QVERIFY2((sim).violations.isEmpty(), qPrintable((sim).violations.join(u"; ")));            \
        QCOMPARE((sim).finishedCount, 1);                                                          \
        QVERIFY(!(sim).engine->isRunning());                                                       \
    } while (false)

// Changes data byte \a index of the reply to the \a occurrence-th frame that
// starts with \a trigger (1 = the first).
std::function<void(int, const QByteArray &, Reply &)>
damageReply(const QByteArray &trigger, QList<int> occurrences, int index, char mask)
{
    auto seen = std::make_shared<int>(0);
    return [=](int, const QByteArray &frame, Reply &reply) {
        if (!frame.startsWith(trigger) || reply.empty())
            return;
        ++*seen;
        if (occurrences.contains(*seen))
            reply[0].bytes[index] = char(reply[0].bytes[index] ^ mask);
    };
}

} // namespace

void TestLateReplies::lateRadio_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<int>("delayMs");
    const std::pair<Kind, const char *> kinds[] = {{Kind::ReadS, "read S"},
                                                   {Kind::ReadY, "read Y"},
                                                   {Kind::ReadOld, "read older"},
                                                   {Kind::WriteS, "write S"},
                                                   {Kind::WriteOld, "write older"},
                                                   {Kind::CalRead, "calibration read"},
                                                   {Kind::CalWrite, "calibration write"},
                                                   {Kind::Password, "password write"},
                                                   {Kind::Status, "status"}};
    for (int delay : {1100, 1900, 4900})
        for (const auto &[kind, name] : kinds)
            QTest::addRow("%s, replies %d ms late", name, delay) << kind << delay;
}

// Every reply comes after the one-second repetition of its request, so every
// reply comes twice or more. The copies must not be taken for the answers to
// the requests that follow.
void TestLateReplies::lateRadio()
{
    QFETCH(Kind, kind);
    QFETCH(int, delayMs);
    Run run(kind, delayMs);
    run.go();
    VERIFY_CLEAN_END(run.sim);
    QCOMPARE(int(run.sim.outcome), int(Outcome::Success));
    verifyData(kind, run.sim, run.sim.radio(), run.before);
}

void TestLateReplies::copyCutByRepetition_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<int>("headBytes"); // bytes of each reply that come first
    for (const auto &[kind, name] :
         {std::pair{Kind::ReadS, "read S"}, std::pair{Kind::ReadOld, "read older"},
          std::pair{Kind::Password, "password write"},
          std::pair{Kind::CalRead, "calibration read"}}) {
        for (int head : {1, 4, 19})
            QTest::addRow("%s, %d bytes then the rest", name, head) << kind << head;
    }
}

// A radio 1.5 s late whose replies come in two pieces: the copy of a reply
// is cut in two by the repetition of the next request, which starts the
// gathering afresh; the copy's tail must not be taken for the start of the
// reply that follows it.
void TestLateReplies::copyCutByRepetition()
{
    QFETCH(Kind, kind);
    QFETCH(int, headBytes);
    Run run(kind, 1500);
    // The answer to a repetition takes a little longer over its tail, so
    // the next repetition falls between the copy's head and its tail.
    auto seen = std::make_shared<std::map<QByteArray, int>>();
    run.sim.radio().tamper = [headBytes, seen](int, const QByteArray &frame, Reply &reply) {
        const int copy = (*seen)[frame]++;
        if (reply.empty() || reply[0].bytes.size() <= headBytes)
            return;
        const Piece whole = reply[0];
        reply = {{whole.delayMs, whole.bytes.left(headBytes)},
                 {whole.delayMs + (copy == 0 ? 20 : 40), whole.bytes.mid(headBytes)}};
    };
    run.go();
    VERIFY_CLEAN_END(run.sim);
    QCOMPARE(int(run.sim.outcome), int(Outcome::Success));
    verifyData(kind, run.sim, run.sim.radio(), run.before);
}

void TestLateReplies::lostRequestWhileLate_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QByteArray>("lostFrame");
    QTest::newRow("write S, block 0x4010") << Kind::WriteS << writeHeader(0x4010);
    QTest::newRow("write S, block 0x4160") << Kind::WriteS << writeHeader(0x4160);
    QTest::newRow("write older, block 0x0020") << Kind::WriteOld << writeHeader(0x0020);
    QTest::newRow("calibration write, block 0x4200") << Kind::CalWrite << writeHeader(0x4200);
    QTest::newRow("calibration write, channel block 0x4010")
        << Kind::CalWrite << writeHeader(0x4010);
    QTest::newRow("read S, block 0x4010") << Kind::ReadS << readRequest(0x4010);
    QTest::newRow("read older, block 0x0020") << Kind::ReadOld << readRequest(0x0020);
}

// A slow radio, and one request lost on the line: the acknowledge of the
// previous block's repetition comes when this block is awaited. Taking it for
// this block's acknowledge would skip the block and still end in "SUCCESS".
void TestLateReplies::lostRequestWhileLate()
{
    QFETCH(Kind, kind);
    QFETCH(QByteArray, lostFrame);
    Run run(kind, 1200);
    auto seen = std::make_shared<int>(0);
    run.sim.radio().lost = [lostFrame, seen](int, const QByteArray &frame) {
        return frame.startsWith(lostFrame) && ++*seen == 1;
    };
    run.go();
    VERIFY_CLEAN_END(run.sim);
    QCOMPARE(int(run.sim.outcome), int(Outcome::Success));
    QVERIFY(run.count(lostFrame) >= 2);
    verifyData(kind, run.sim, run.sim.radio(), run.before);
}

// The radio hears only the first copy of each write, so the copies of the
// acknowledges that the engine waits for never come: the wait is bounded and
// the write still completes, exactly.
void TestLateReplies::copiesThatNeverCome()
{
    Run run(Kind::WriteS, 1200);
    auto seen = std::make_shared<std::map<QByteArray, int>>();
    run.sim.radio().lost = [seen](int, const QByteArray &frame) {
        return frame.startsWith("W") && ++(*seen)[frame.left(4)] > 1;
    };
    run.go();
    VERIFY_CLEAN_END(run.sim);
    QCOMPARE(int(run.sim.outcome), int(Outcome::Success));
    verifyData(Kind::WriteS, run.sim, run.sim.radio(), run.before);
    // No request waited as long as the no-answer time-out.
    const auto sends = run.sim.sends();
    for (std::size_t i = 1; i < sends.size(); ++i)
        QVERIFY2(sends[i].at - sends[i - 1].at < t880::link::TimeOutMs,
                 qPrintable(QStringLiteral("%1 ms before %2")
                                .arg(sends[i].at - sends[i - 1].at)
                                .arg(QString::fromLatin1(hex(sends[i].bytes.left(4))))));
}

void TestLateReplies::verifiedReads_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QByteArray>("block");
    QTest::addColumn<QList<int>>("damaged"); // readings of the block with a damaged byte
    QTest::addColumn<int>("readings");       // readings the block takes
    QTest::addColumn<bool>("succeeds");
    QTest::newRow("first reading damaged")
        << Kind::ReadS << readRequest(0x4020) << QList<int>{1} << 3 << true;
    QTest::newRow("second reading damaged")
        << Kind::ReadS << readRequest(0x40A0) << QList<int>{2} << 3 << true;
    QTest::newRow("first two damaged alike")
        << Kind::ReadY << readRequest(0x4160) << QList<int>{1, 2} << 2 << false;
    QTest::newRow("older radio, first reading damaged")
        << Kind::ReadOld << readRequest(0x0100) << QList<int>{1} << 3 << true;
    QTest::newRow("calibration, second reading damaged")
        << Kind::CalRead << readRequest(0x4250) << QList<int>{2} << 3 << true;
}

// A damaged data byte of a read reply passes every check of the protocol;
// reading each block until two readings agree catches it.
void TestLateReplies::verifiedReads()
{
    QFETCH(Kind, kind);
    QFETCH(QByteArray, block);
    QFETCH(QList<int>, damaged);
    QFETCH(int, readings);
    QFETCH(bool, succeeds);
    Run run(kind, 20, true);
    run.sim.radio().tamper = damageReply(block, damaged, 9, 0x10);
    run.go();
    VERIFY_CLEAN_END(run.sim);
    if (!succeeds) {
        // Two equal damaged readings agree: the damage is stored, and that is
        // the limit of reading twice. It must still show as the damage it is.
        QCOMPARE(int(run.sim.outcome), int(Outcome::Success));
        QCOMPARE(run.count(block), readings);
        const int offset = (kind == Kind::ReadOld ? 0 : kCodeplug);
        const int at = ((std::uint8_t(block[1]) << 8) | std::uint8_t(block[2])) - offset + 5;
        QCOMPARE(std::uint8_t(run.sim.state.image.raw[std::size_t(at)]),
                 std::uint8_t(patternByte(at + offset) ^ 0x10));
        return;
    }
    QCOMPARE(int(run.sim.outcome), int(Outcome::Success));
    QCOMPARE(run.count(block), readings);
    verifyData(kind, run.sim, run.sim.radio(), run.before);
}

// Without damage every block is read exactly twice, in order, and progress
// still runs to 100.
void TestLateReplies::verifiedReadsCleanLine()
{
    Run run(Kind::ReadS, 20, true);
    run.go();
    VERIFY_CLEAN_END(run.sim);
    QCOMPARE(int(run.sim.outcome), int(Outcome::Success));
    std::vector<QByteArray> expected{QByteArray("PROGRAM"), readRequest(kPassword),
                                     readRequest(kPassword + 16)};
    for (int a = kCodeplug; a < kCodeplug + 0x170; a += 16) {
        expected.push_back(readRequest(a));
        expected.push_back(readRequest(a));
    }
    expected.push_back(QByteArray("E"));
    QCOMPARE(run.sim.frames(), expected);
    verifyData(Kind::ReadS, run.sim, run.sim.radio(), run.before);
    const std::vector<int> progress = run.sim.progressValues();
    QCOMPARE(progress.back(), 0); // back to 0 at the end
    QCOMPARE(std::count(progress.begin(), progress.end(), 100), 1);
}

void TestLateReplies::passwordReadTwice_data()
{
    QTest::addColumn<QList<int>>("damaged"); // readings of 0x41D0 whose length byte is damaged
    QTest::addColumn<QList<int>>("masks");
    QTest::addColumn<int>("outcome");
    // 0xFF ^ 0xFC = 3: the block then claims a 3-character password.
    QTest::newRow("first reading damaged")
        << QList<int>{1} << QList<int>{0xFC} << int(Outcome::Success);
    QTest::newRow("both damaged, differently")
        << QList<int>{1, 2} << QList<int>{0xFC, 0xFB} << int(Outcome::CommunicationFalse);
    QTest::newRow("both damaged alike")
        << QList<int>{1, 2} << QList<int>{0xFC, 0xFC} << int(Outcome::PasswordError);
}

// Line noise in the password block looks like a password the user does not
// know; it counts as "Password Error" only when a second reading agrees.
void TestLateReplies::passwordReadTwice()
{
    QFETCH(QList<int>, damaged);
    QFETCH(QList<int>, masks);
    QFETCH(int, outcome);
    Run run(Kind::ReadS, 20);
    auto seen = std::make_shared<int>(0);
    run.sim.radio().tamper = [=](int, const QByteArray &frame, Reply &reply) {
        if (!frame.startsWith(readRequest(kPassword)))
            return;
        const int i = int(damaged.indexOf(++*seen));
        if (i >= 0)
            reply[0].bytes[4] = char(std::uint8_t(reply[0].bytes[4]) ^ masks[i]);
    };
    run.go();
    VERIFY_CLEAN_END(run.sim);
    QCOMPARE(int(run.sim.outcome), outcome);
    QCOMPARE(run.count(readRequest(kPassword)), 2);
    QCOMPARE(run.count(readRequest(kPassword + 16)), 2);
    if (outcome == int(Outcome::Success))
        verifyData(Kind::ReadS, run.sim, run.sim.radio(), run.before);
    else
        QCOMPARE(run.count(readRequest(kCodeplug)), 0);
}

void TestLateReplies::portStopsTakingBytes_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QByteArray>("frame"); // the first frame the port refuses
    QTest::newRow("read, at the connect request") << Kind::ReadS << QByteArray("PROGRAM");
    QTest::newRow("read, mid-way") << Kind::ReadS << readRequest(0x4090);
    QTest::newRow("write, mid-way") << Kind::WriteS << writeHeader(0x4050);
    QTest::newRow("write, the end byte") << Kind::WriteS << QByteArray("E");
    QTest::newRow("status") << Kind::Status << QByteArray("YR");
}

// A cable pulled out: the port refuses bytes. The transfer ends at once as
// "Communication False" (the end byte included: a radio that never heard it
// is not told the session is over), and never as a success.
void TestLateReplies::portStopsTakingBytes()
{
    QFETCH(Kind, kind);
    QFETCH(QByteArray, frame);
    Run run(kind, 20);
    // The host sees the frame, then refuses it and everything after it.
    Sim &sim = run.sim;
    sim.onEvent = [&sim, frame](const Sim::Event &e) {
        if (e.kind == Sim::Kind::Send && e.bytes.startsWith(frame))
            sim.sendFails = true;
    };
    const qint64 refusedAt = [&] {
        run.go();
        for (const Sim::Event &e : sim.sends())
            if (e.bytes.startsWith(frame))
                return e.at;
        return qint64(-1);
    }();
    VERIFY_CLEAN_END(sim);
    QCOMPARE(int(sim.outcome), int(Outcome::CommunicationFalse));
    QVERIFY(refusedAt >= 0);
    QCOMPARE(sim.finishedAt, refusedAt);
    QVERIFY(sim.sends().back().bytes.startsWith(frame)); // nothing after it
}

QTEST_GUILESS_MAIN(TestLateReplies)
#include "tst_latereplies.moc"
