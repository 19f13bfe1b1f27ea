// The safety steps of a write, on the scripted clock: the backup read before
// it and the read-back after it, in the same session; what the backup holds;
// a radio that does not keep what it was sent; a silence in the middle; a
// restore of raw blocks. Expected frames are worked out from the block
// lists, not taken from the engine.
#include "enginesim.h"

#include <QtTest>

using namespace enginesim;
using t880::RadioKind;
using t880::link::RestorePlan;

namespace {

QByteArray bytesOf(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out.append(char(v & 0xFF));
    return out;
}

const QByteArray kProgram = QByteArrayLiteral("PROGRAM");
const QByteArray kIdentify = bytesOf({0x02});
const QByteArray kAck = bytesOf({0x06});
const QByteArray kEnd = bytesOf({0x45});

QByteArray rd(int address)
{
    return bytesOf({0x52, address >> 8, address & 0xFF, 0x10});
}

/// A frame expected on the line: whole, or only its first bytes (a write
/// whose data are built from the model and checked elsewhere).
struct Expected
{
    QByteArray bytes;
    bool prefixOnly = false;
};
using Frames = std::vector<Expected>;

/// Read requests for \a first..\a last; \a times readings of each (the
/// reads before a write are read until two readings agree).
void reads(Frames &f, int first, int last, int times = 1, bool legacy = false)
{
    for (int a = first; a <= last; a += 16) {
        for (int k = 0; k < times; ++k) {
            f.push_back({rd(a)});
            if (legacy)
                f.push_back({kAck});
        }
    }
}
void writes(Frames &f, int first, int last)
{
    for (int a = first; a <= last; a += 16)
        f.push_back({bytesOf({0x57, a >> 8, a & 0xFF, 0x10}), true});
}

QString framesDiff(const std::vector<QByteArray> &actual, const Frames &expected)
{
    const std::size_t n = std::min(actual.size(), expected.size());
    for (std::size_t i = 0; i < n; ++i) {
        const Expected &e = expected[i];
        const bool same = e.prefixOnly ? actual[i].size() == 20 && actual[i].startsWith(e.bytes)
                                       : actual[i] == e.bytes;
        if (!same)
            return QStringLiteral("frame %1: sent %2, expected %3")
                .arg(i)
                .arg(QString::fromLatin1(hex(actual[i].left(8))),
                     QString::fromLatin1(hex(e.bytes.left(8))));
    }
    if (actual.size() != expected.size())
        return QStringLiteral("%1 frames sent, %2 expected")
            .arg(actual.size())
            .arg(expected.size());
    return {};
}

/// Every byte of the radio's memory its own: a block read back from the
/// wrong place, or not written, cannot pass for the right one.
std::uint8_t memoryByte(int address)
{
    const int channel = address - 0x4000;
    if (channel >= 0 && channel < 16 * 19 && channel % 19 == 0)
        return 0x00; // no channel in use
    if (address == 0x41D0)
        return 0x00; // no password
    return std::uint8_t((address * 29 + (address >> 8) * 3 + 1) & 0xFF);
}

void fill(Radio &r)
{
    for (int a = 0; a < 0x10000; ++a)
        r.memory[std::size_t(a)] = memoryByte(a);
}

QByteArray memoryBytes(int address, int length)
{
    QByteArray out;
    for (int i = 0; i < length; ++i)
        out.append(char(memoryByte(address + i)));
    return out;
}

struct Safety
{
    bool backup = false;
    bool verify = false;
};

void make(Sim &sim, OpCode op, std::uint8_t connect, Safety s)
{
    fill(sim.radio());
    sim.radio().connectReply = connect;
    sim.make(op, ReadMode::Write);
    sim.engine->setBackupBeforeWrite(s.backup);
    sim.engine->setVerifyWrites(s.verify);
}

} // namespace

Q_DECLARE_METATYPE(OpCode)
Q_DECLARE_METATYPE(Frames)

class TestWriteSafety : public QObject
{
    Q_OBJECT

private slots:
    void sequence_data();
    void sequence();
    void bothOffIsTodaysWrite_data();
    void bothOffIsTodaysWrite();
    void backupHoldsWhatTheRadioSent();
    void backupThatCannotBeKept();
    void mismatchEndsVerifyFailed_data();
    void mismatchEndsVerifyFailed();
    void damagedReadBackIsReadAgain_data();
    void damagedReadBackIsReadAgain();
    void silenceInTheMiddle_data();
    void silenceInTheMiddle();
    void restoreWritesRawBlocks_data();
    void restoreWritesRawBlocks();
};

void TestWriteSafety::sequence_data()
{
    QTest::addColumn<OpCode>("op");
    QTest::addColumn<int>("connect");
    QTest::addColumn<bool>("backup");
    QTest::addColumn<bool>("verify");
    QTest::addColumn<QVariant>("frames");

    // Every read before the first write is made twice (two readings that
    // agree), the password area's too.
    const auto handshake = [](Frames &f) {
        f.push_back({kProgram});
        reads(f, 0x41D0, 0x41E0, 2);
    };
    // Codeplug write, current radio: 23 backup reads of the codeplug area,
    // the 8 calibration reads of the write itself, 23 writes; the read-back
    // covers the written blocks, then the password and calibration areas
    // read before the write, in address order.
    const auto codeplug = [&](bool backup, bool verify) {
        Frames f;
        handshake(f);
        if (backup)
            reads(f, 0x4000, 0x4160, 2);
        reads(f, 0x41F0, 0x4260, 2);
        writes(f, 0x4000, 0x4160);
        if (verify) {
            reads(f, 0x4000, 0x4160);
            reads(f, 0x41D0, 0x41E0);
            reads(f, 0x41F0, 0x4260);
        }
        f.push_back({kEnd});
        return QVariant::fromValue(f);
    };
    QTest::newRow("codeplug S, backup and verify")
        << OpCode::Codeplug << int('S') << true << true << codeplug(true, true);
    QTest::newRow("codeplug Y, backup only")
        << OpCode::Codeplug << int('Y') << true << false << codeplug(true, false);
    QTest::newRow("codeplug S, verify only")
        << OpCode::Codeplug << int('S') << false << true << codeplug(false, true);

    // Older radio: every read is acknowledged; no password area.
    Frames legacy{{kProgram}, {kIdentify}, {kAck}};
    reads(legacy, 0x0010, 0x01F0, 2, true);
    writes(legacy, 0x0010, 0x01F0);
    reads(legacy, 0x0010, 0x01F0, 1, true);
    legacy.push_back({kEnd});
    QTest::newRow("codeplug legacy, backup and verify")
        << OpCode::Codeplug << 0x06 << true << true << QVariant::fromValue(legacy);

    // Calibration write: its area backed up, then the write's own course
    // (8 writes, 21 reads and 21 writes of the channel area; the channel
    // records written back are built on two readings that agree); the
    // read-back takes the channel area, the password area and the
    // calibration area.
    Frames cal;
    handshake(cal);
    reads(cal, 0x41F0, 0x4260, 2);
    writes(cal, 0x41F0, 0x4260);
    reads(cal, 0x4000, 0x4140, 2);
    writes(cal, 0x4000, 0x4140);
    reads(cal, 0x4000, 0x4140);
    reads(cal, 0x41D0, 0x41E0);
    reads(cal, 0x41F0, 0x4260);
    cal.push_back({kEnd});
    QTest::newRow("calibration S, backup and verify")
        << OpCode::Calibration << int('S') << true << true << QVariant::fromValue(cal);

    // New password: the backup takes the codeplug area (with the password
    // area of the handshake it is a codeplug backup), the block is written
    // once and read back with everything read before it.
    Frames pw;
    handshake(pw);
    reads(pw, 0x4000, 0x4160, 2);
    writes(pw, 0x41D0, 0x41D0);
    reads(pw, 0x4000, 0x4160);
    reads(pw, 0x41D0, 0x41E0);
    pw.push_back({kEnd});
    QTest::newRow("password S, backup and verify")
        << OpCode::Password << int('S') << true << true << QVariant::fromValue(pw);
    Frames pwVerify;
    handshake(pwVerify);
    writes(pwVerify, 0x41D0, 0x41D0);
    reads(pwVerify, 0x41D0, 0x41E0);
    pwVerify.push_back({kEnd});
    QTest::newRow("password Y, verify only")
        << OpCode::Password << int('Y') << false << true << QVariant::fromValue(pwVerify);
}

void TestWriteSafety::sequence()
{
    QFETCH(OpCode, op);
    QFETCH(int, connect);
    QFETCH(bool, backup);
    QFETCH(bool, verify);
    QFETCH(QVariant, frames);
    Sim sim;
    make(sim, op, std::uint8_t(connect), {backup, verify});
    sim.start();
    QVERIFY2(sim.violations.isEmpty(), qPrintable(sim.violations.join(u';')));
    QCOMPARE(int(sim.outcome), int(Outcome::Success));
    const QString diff = framesDiff(sim.frames(), frames.value<Frames>());
    QVERIFY2(diff.isEmpty(), qPrintable(diff));
    // One session: one connect request, one end byte.
    const std::vector<QByteArray> sent = sim.frames();
    QCOMPARE(std::count(sent.begin(), sent.end(), kProgram), 1);
    QCOMPARE(sim.progressValues().back(), 0);
}

void TestWriteSafety::bothOffIsTodaysWrite_data()
{
    QTest::addColumn<OpCode>("op");
    QTest::addColumn<int>("connect");
    QTest::addColumn<bool>("newPassword");
    QTest::newRow("codeplug S") << OpCode::Codeplug << int('S') << false;
    QTest::newRow("codeplug Y with new password") << OpCode::Codeplug << int('Y') << true;
    QTest::newRow("codeplug legacy") << OpCode::Codeplug << 0x06 << false;
    QTest::newRow("calibration S") << OpCode::Calibration << int('S') << false;
    QTest::newRow("password S") << OpCode::Password << int('S') << false;
}

// With both steps off the line carries exactly what an engine that was
// never told of them sends, byte for byte and at the same moments.
void TestWriteSafety::bothOffIsTodaysWrite()
{
    QFETCH(OpCode, op);
    QFETCH(int, connect);
    QFETCH(bool, newPassword);
    std::vector<std::pair<qint64, QByteArray>> wires[2];
    std::vector<int> progress[2];
    for (int run = 0; run < 2; ++run) {
        Sim sim;
        fill(sim.radio());
        sim.radio().connectReply = std::uint8_t(connect);
        sim.state.codeplug.enterChannelFrequency(3, 446006250);
        sim.state.codeplug.setSetting(t880::Setting::writeNewPassword, newPassword ? 1 : 0);
        sim.make(op, ReadMode::Write);
        if (run == 1) {
            sim.engine->setBackupBeforeWrite(false);
            sim.engine->setVerifyWrites(false);
            sim.engine->setBackupSink([] { return false; });
        }
        sim.start();
        QCOMPARE(int(sim.outcome), int(Outcome::Success));
        for (const Sim::Event &e : sim.sends())
            wires[run].emplace_back(e.at, e.bytes);
        progress[run] = sim.progressValues();
    }
    QVERIFY(wires[0].size() > (op == OpCode::Password ? 4 : 20));
    QVERIFY(wires[0] == wires[1]);
    QVERIFY(progress[0] == progress[1]);
}

// The sink is asked once, after the last read and before the first write,
// and what it can see then is what the radio sent: the password area, the
// codeplug area and the calibration area, byte for byte.
void TestWriteSafety::backupHoldsWhatTheRadioSent()
{
    Sim sim;
    make(sim, OpCode::Codeplug, 'S', {true, true});
    int calls = 0;
    std::size_t framesAtCall = 0;
    t880::link::CapturedBlocks seen;
    sim.engine->setBackupSink([&] {
        ++calls;
        framesAtCall = sim.frames().size();
        seen = sim.engine->capturedBlocks();
        return true;
    });
    sim.start();
    QCOMPARE(int(sim.outcome), int(Outcome::Success));
    QCOMPARE(calls, 1);
    // PROGRAM, then two readings each: 2 password blocks, 23 backup blocks,
    // 8 calibration blocks.
    QCOMPARE(framesAtCall, std::size_t(1 + 2 * (2 + 23 + 8)));
    QVERIFY(sim.frames()[framesAtCall].startsWith(bytesOf({0x57, 0x40, 0x00})));
    std::vector<int> expected{0x41D0, 0x41E0};
    for (int a = 0x4000; a <= 0x4160; a += 16)
        expected.push_back(a);
    for (int a = 0x41F0; a <= 0x4260; a += 16)
        expected.push_back(a);
    std::sort(expected.begin(), expected.end());
    std::vector<int> addresses;
    for (const auto &[address, data] : seen) {
        addresses.push_back(address);
        QCOMPARE(hex(data), hex(memoryBytes(address, 16)));
    }
    QVERIFY(addresses == expected);
    // The read-back's reads are not part of it.
    QVERIFY(sim.engine->capturedBlocks() == seen);
}

void TestWriteSafety::backupThatCannotBeKept()
{
    Sim sim;
    make(sim, OpCode::Codeplug, 'S', {true, true});
    sim.engine->setBackupSink([] { return false; });
    sim.start();
    QCOMPARE(int(sim.outcome), int(Outcome::BackupFailed));
    for (const QByteArray &f : sim.frames())
        QVERIFY2(!(f.size() == 20 && f[0] == 'W'), "a block was written without a backup");
    QCOMPARE(hex(sim.frames().back()), hex(kEnd));
    QVERIFY(sim.portClosedAtFinish);
    QCOMPARE(sim.radio().peek(0x4000, 0x170), memoryBytes(0x4000, 0x170));
}

void TestWriteSafety::mismatchEndsVerifyFailed_data()
{
    QTest::addColumn<int>("damagedWrite");   // the write that goes wrong
    QTest::addColumn<int>("damagedAddress"); // the byte of the radio's memory it spoils
    QTest::addColumn<bool>("shortReply");
    QTest::addColumn<int>("failedAddress");
    QTest::addColumn<OpCode>("op");
    // A block the radio stored wrongly.
    QTest::newRow("block stored wrongly")
        << 0x4050 << 0x4057 << false << 0x4050 << OpCode::Codeplug;
    // A new password block the radio does not keep as sent, each time: its
    // owner would be locked out with a password nobody knows.
    QTest::newRow("password block stored wrongly")
        << 0x41D0 << 0x41D3 << false << 0x41D0 << OpCode::Password;
    // A write that also landed in the calibration area (noise taken for a
    // request): the blocks written read back well, but the calibration area
    // no longer holds what was read before the write.
    QTest::newRow("write landed elsewhere")
        << 0x4100 << 0x4205 << false << 0x4200 << OpCode::Codeplug;
    // The read-back's reply carries 8 bytes only.
    QTest::newRow("short read-back reply") << -1 << -1 << true << 0x4000 << OpCode::Codeplug;
}

void TestWriteSafety::mismatchEndsVerifyFailed()
{
    QFETCH(int, damagedWrite);
    QFETCH(int, damagedAddress);
    QFETCH(bool, shortReply);
    QFETCH(int, failedAddress);
    QFETCH(OpCode, op);
    Sim sim;
    make(sim, op, 'S', {true, true});
    Radio &radio = sim.radio();
    auto writesDone = std::make_shared<bool>(false);
    radio.tamper = [&radio, damagedWrite, damagedAddress, shortReply,
                    writesDone](int, const QByteArray &frame, Reply &reply) {
        const int address =
            frame.size() >= 3 ? (std::uint8_t(frame[1]) << 8) | std::uint8_t(frame[2]) : -1;
        if (frame.size() == 20 && frame[0] == 'W') {
            if (address == 0x4160)
                *writesDone = true;
            if (address == damagedWrite)
                radio.memory[std::size_t(damagedAddress)] ^= 0x5A;
        }
        if (shortReply && *writesDone && frame == rd(0x4000) && !reply.empty())
            reply.front().bytes = bytesOf({0x57, 0x40, 0x00, 0x08}) +
                                  reply.front().bytes.mid(4, 8) + QByteArray(8, '\0');
    };
    sim.start();
    QCOMPARE(int(sim.outcome), int(Outcome::VerifyFailed));
    QCOMPARE(sim.engine->verifyFailedAddress(), failedAddress);
    // Three readings, the block sent again between them when this write
    // sent it; then the session is closed properly.
    const std::vector<QByteArray> frames = sim.frames();
    QCOMPARE(hex(frames.back()), hex(kEnd));
    const QByteArray header = bytesOf({0x57, failedAddress >> 8, failedAddress & 0xFF, 0x10});
    const bool written = failedAddress < 0x4170 || failedAddress == 0x41D0;
    QCOMPARE(sim.engine->passwordBlockSent(), op == OpCode::Password);
    Frames tail;
    for (int k = 0; k < 3; ++k) {
        tail.push_back({rd(failedAddress)});
        if (written && k < 2)
            tail.push_back({header, true});
    }
    tail.push_back({kEnd});
    const std::vector<QByteArray> last(frames.end() - std::ptrdiff_t(tail.size()), frames.end());
    const QString diff = framesDiff(last, tail);
    QVERIFY2(diff.isEmpty(), qPrintable(diff));
    QVERIFY(sim.portClosedAtFinish);
}

void TestWriteSafety::damagedReadBackIsReadAgain_data()
{
    QTest::addColumn<int>("damagedReadings");
    QTest::addColumn<int>("outcome");
    // One or two replies damaged on the way back: the block is sent and read
    // again and the write stands. Three: the radio's word is taken.
    QTest::newRow("one") << 1 << int(Outcome::Success);
    QTest::newRow("two") << 2 << int(Outcome::Success);
    QTest::newRow("three") << 3 << int(Outcome::VerifyFailed);
}

void TestWriteSafety::damagedReadBackIsReadAgain()
{
    QFETCH(int, damagedReadings);
    QFETCH(int, outcome);
    Sim sim;
    make(sim, OpCode::Codeplug, 'S', {false, true});
    auto writesDone = std::make_shared<bool>(false);
    auto damaged = std::make_shared<int>(0);
    sim.radio().tamper = [=](int, const QByteArray &frame, Reply &reply) {
        if (frame.size() == 20 && frame.startsWith(bytesOf({0x57, 0x41, 0x60})))
            *writesDone = true;
        if (*writesDone && frame == rd(0x4120) && *damaged < damagedReadings && !reply.empty()) {
            ++*damaged;
            reply.front().bytes[9] = char(reply.front().bytes[9] ^ 0x40);
        }
    };
    sim.start();
    QCOMPARE(int(sim.outcome), outcome);
    const std::vector<QByteArray> frames = sim.frames();
    const auto lastWrite = std::find_if(frames.rbegin(), frames.rend(), [](const QByteArray &f) {
        return f.size() == 20 && f[0] == 'W';
    });
    Q_UNUSED(lastWrite);
    // After the last regular write: each damaged reading is followed by the
    // block written again, at most twice, and another reading.
    const auto regularEnd = std::find_if(frames.begin(), frames.end(), [](const QByteArray &f) {
        return f.size() == 20 && f.startsWith(bytesOf({0x57, 0x41, 0x60}));
    });
    const int readings = int(std::count(regularEnd, frames.end(), rd(0x4120)));
    const int rewrites = int(std::count_if(regularEnd, frames.end(), [](const QByteArray &f) {
        return f.size() == 20 && f.startsWith(bytesOf({0x57, 0x41, 0x20}));
    }));
    QCOMPARE(readings, std::min(damagedReadings + 1, 3));
    QCOMPARE(rewrites, std::min(damagedReadings, 2));
}

void TestWriteSafety::silenceInTheMiddle_data()
{
    QTest::addColumn<QByteArray>("lastAnswered");
    QTest::addColumn<int>("writesExpected");
    // The radio falls silent during the backup: nothing has been written.
    QTest::newRow("during the backup") << rd(0x4080) << 0;
    // ... or during the read-back: the write is not reported a success.
    QTest::newRow("during the read-back") << rd(0x4080) << 23;
}

void TestWriteSafety::silenceInTheMiddle()
{
    QFETCH(QByteArray, lastAnswered);
    QFETCH(int, writesExpected);
    Sim sim;
    make(sim, OpCode::Codeplug, 'S', {true, true});
    // The nth time the frame is sent: 1 and 2 during the backup, 3 in the
    // read-back.
    const int occurrence = writesExpected == 0 ? 1 : 3;
    auto seen = std::make_shared<int>(0);
    auto silent = std::make_shared<bool>(false);
    sim.radio().lost = [=](int, const QByteArray &frame) {
        if (*silent)
            return true;
        if (frame == lastAnswered && ++*seen == occurrence)
            *silent = true;
        return false;
    };
    sim.start();
    QCOMPARE(int(sim.outcome), int(Outcome::CommunicationFalse));
    int written = 0;
    for (const QByteArray &f : sim.frames())
        written += f.size() == 20 && f[0] == 'W';
    QCOMPARE(written, writesExpected);
    // Five seconds of silence after the last reply, as everywhere else.
    const qint64 lastSent = sim.sends().back().at;
    QVERIFY(sim.finishedAt > lastSent);
    QVERIFY(sim.frames().back() != kEnd);
}

void TestWriteSafety::restoreWritesRawBlocks_data()
{
    QTest::addColumn<int>("connect");
    QTest::addColumn<int>("planKind");
    QTest::addColumn<bool>("passwordChanged");
    QTest::newRow("S into S") << int('S') << int(RadioKind::S) << false;
    QTest::newRow("S into S, password area changed") << int('S') << int(RadioKind::S) << true;
    QTest::newRow("Y backup into S radio") << int('S') << int(RadioKind::Y) << false;
    QTest::newRow("legacy into legacy") << 0x06 << int(RadioKind::Legacy) << false;
}

void TestWriteSafety::restoreWritesRawBlocks()
{
    QFETCH(int, connect);
    QFETCH(int, planKind);
    QFETCH(bool, passwordChanged);
    const bool legacy = connect == 0x06;
    Sim sim;
    make(sim, OpCode::Codeplug, std::uint8_t(connect), {true, true});
    RestorePlan plan;
    plan.kind = RadioKind(planKind);
    const int first = legacy ? 0x0010 : 0x4000;
    const int last = legacy ? 0x01F0 : 0x4160;
    for (int a = first; a <= last; a += 16) {
        QByteArray data;
        for (int i = 0; i < 16; ++i)
            data.append(char((a + i) * 7 + 3));
        plan.blocks.emplace_back(a, data);
    }
    QByteArray password = memoryBytes(0x41D0, 16);
    if (passwordChanged)
        password[5] = char(password[5] ^ 0x11);
    if (!legacy) {
        plan.blocks.emplace_back(0x41D0, password);
        plan.blocks.emplace_back(0x41E0, memoryBytes(0x41E0, 16));
    }
    sim.engine->setRestorePlan(plan);
    int backups = 0;
    sim.engine->setBackupSink([&] { return ++backups > 0; });
    sim.start();
    if (plan.kind != (legacy ? RadioKind::Legacy : RadioKind::S)) {
        QCOMPARE(int(sim.outcome), int(Outcome::WrongRadio));
        QCOMPARE(backups, 0);
        QCOMPARE(hex(sim.frames().back()), hex(kEnd));
        QCOMPARE(sim.radio().peek(0x4000, 0x170), memoryBytes(0x4000, 0x170));
        return;
    }
    QCOMPARE(int(sim.outcome), int(Outcome::Success));
    QCOMPARE(backups, 1);
    for (const auto &[address, data] : plan.blocks)
        QCOMPARE(hex(sim.radio().peek(address, 16)), hex(data));
    // Only the password block that changed is written; the second block of
    // the area, unchanged, is not.
    int passwordWrites = 0, areaWrites = 0;
    for (const QByteArray &f : sim.frames()) {
        if (f.size() != 20 || f[0] != 'W')
            continue;
        const int address = (std::uint8_t(f[1]) << 8) | std::uint8_t(f[2]);
        (address >= 0x41D0 && address < 0x41F0 ? passwordWrites : areaWrites)++;
    }
    QCOMPARE(areaWrites, legacy ? 31 : 23);
    QCOMPARE(passwordWrites, passwordChanged ? 1 : 0);
}

QTEST_GUILESS_MAIN(TestWriteSafety)
#include "tst_writesafety.moc"
