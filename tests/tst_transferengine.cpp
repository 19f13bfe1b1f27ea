// The programming transfer engine against a scripted radio on a virtual
// clock: the exact bytes of every operation, the data that reach the model
// and the radio, and the failures and recoveries of the line protocol.
//
// This file: the bytes of every operation, the data that reach the model,
// the port search and the progress steps; tst_transferengine_*.cpp hold the
// writes' data, the line's failures and the refused and closed transfers.
//
// Expected frames are written out from the frame table of the protocol
// (read request 52 hi lo 10, write request 57 hi lo 10 + 16 bytes, end 45);
// expected memory contents are worked out by hand from the layouts.
#include "tst_transferengine.h"

using namespace enginesim;
using namespace enginetest;
using t880::ChannelRecord;
using t880::Setting;
using t880::Tone;

// --- the bytes of every operation ---------------------------------------------------

void TestTransferEngine::requestSequence_data()
{
    QTest::addColumn<OpCode>("op");
    QTest::addColumn<ReadMode>("mode");
    QTest::addColumn<int>("connect");
    QTest::addColumn<bool>("newPassword");
    QTest::addColumn<bool>("readyRead");
    QTest::addColumn<Outcome>("outcome");

    const auto R = ReadMode::Read, W = ReadMode::Write;
    struct Row
    {
        const char *name;
        OpCode op;
        ReadMode mode;
        int connect;
        bool pw;
        bool rr;
        Outcome o;
    };
    const Row rows[] = {
        {"read, S radio", OpCode::Codeplug, R, 'S', false, true, Outcome::Success},
        {"read, Y radio", OpCode::Codeplug, R, 'Y', false, true, Outcome::Success},
        {"read, polling only", OpCode::Codeplug, R, 'S', false, false, Outcome::Success},
        {"write", OpCode::Codeplug, W, 'S', false, true, Outcome::Success},
        {"write with new password", OpCode::Codeplug, W, 'S', true, true, Outcome::Success},
        {"write, Y radio, polling only", OpCode::Codeplug, W, 'Y', false, false, Outcome::Success},
        {"read, older radio", OpCode::Codeplug, R, 0x06, false, true, Outcome::Success},
        {"read, older radio, polling only", OpCode::Codeplug, R, 0x06, false, false,
         Outcome::Success},
        {"write, older radio", OpCode::Codeplug, W, 0x06, false, true, Outcome::Success},
        {"write, older radio, new password set", OpCode::Codeplug, W, 0x06, true, true,
         Outcome::Success},
        {"calibration read", OpCode::Calibration, R, 'S', false, true, Outcome::Success},
        {"calibration read, Y radio", OpCode::Calibration, R, 'Y', false, true, Outcome::Success},
        {"calibration write", OpCode::Calibration, W, 'S', false, true, Outcome::Success},
        {"calibration write, Y radio", OpCode::Calibration, W, 'Y', false, false, Outcome::Success},
        {"transceiver status", OpCode::Status, R, 'S', false, true, Outcome::Success},
        {"transceiver status, polling only", OpCode::Status, R, 'S', false, false,
         Outcome::Success},
        {"password write", OpCode::Password, W, 'S', false, true, Outcome::Success},
        {"code 5 read: no operation", OpCode::Password, R, 'S', false, true,
         Outcome::CommunicationFalse},
        {"code 4 read: no operation", OpCode::SerialNumber, R, 'S', false, true,
         Outcome::CommunicationFalse},
        {"code 4 write: no operation", OpCode::SerialNumber, W, 'Y', false, true,
         Outcome::CommunicationFalse},
    };
    for (const Row &r : rows)
        QTest::newRow(r.name) << r.op << r.mode << r.connect << r.pw << r.rr << r.o;
}

void TestTransferEngine::requestSequence()
{
    QFETCH(OpCode, op);
    QFETCH(ReadMode, mode);
    QFETCH(int, connect);
    QFETCH(bool, newPassword);
    QFETCH(bool, readyRead);
    QFETCH(Outcome, outcome);

    Sim sim;
    sim.readyRead = readyRead;
    Radio &radio = sim.radio();
    radio.connectReply = std::uint8_t(connect);
    fillStandard(radio);
    sim.state.codeplug.setSetting(Setting::writeNewPassword, newPassword ? 1 : 0);
    sim.state.radioVariant = true; // from an earlier transfer: Start resets it
    sim.make(op, mode);
    sim.start();

    VERIFY_ENDING(sim);
    COMPARE_FRAMES(sim.frames(), standardFrames(op, mode, connect, newPassword));
    QCOMPARE(outcomeName(sim.outcome), outcomeName(outcome));
    for (const Sim::Event &e : sim.sends())
        QCOMPARE(e.port, 1);

    // What was read sits in the image at the block's offset.
    const bool legacy = connect == 0x06;
    if (op == OpCode::Codeplug && mode == ReadMode::Read && legacy)
        QCOMPARE(hex(imageBytes(sim, 0x010, 0x1F0)), hex(standardBytes(0x0010, 0x1F0)));
    else if (op == OpCode::Codeplug && mode == ReadMode::Read)
        QCOMPARE(hex(imageBytes(sim, 0, 0x170)), hex(standardBytes(0x4000, 0x170)));
    else if (op == OpCode::Calibration && mode == ReadMode::Read)
        QCOMPARE(hex(imageBytes(sim, 0, 0x80)), hex(standardBytes(0x41F0, 0x80)));
    else if (op == OpCode::Status)
        QCOMPARE(hex(imageBytes(sim, 0, 6)), hex(bytesOf({0x7B, 0x40, 0x22, 0xA4, 0x00, 0x80})));
    QCOMPARE(sim.state.radioVariant, op != OpCode::Status && connect == 'Y');

    if (outcome != Outcome::Success)
        return;
    // The progress only grows, reaches 100 before the end byte and falls to
    // 0 with the end.
    const std::vector<int> progress = sim.progressValues();
    QVERIFY(progress.size() >= 2);
    QCOMPARE(progress[progress.size() - 2], 100);
    QCOMPARE(progress.back(), 0);
    for (std::size_t i = 1; i + 1 < progress.size(); ++i)
        QVERIFY2(progress[i] >= progress[i - 1],
                 qPrintable(QStringLiteral("progress fell at %1").arg(i)));
    if (op != OpCode::Status) {
        int hundred = -1;
        for (int i = 0; i < int(sim.log.size()); ++i)
            if (sim.log[std::size_t(i)].kind == Sim::Kind::Progress &&
                sim.log[std::size_t(i)].value == 100)
                hundred = i;
        QVERIFY(hundred >= 0);
        QVERIFY2(sim.indexOf(Sim::Kind::Send, kEnd) > hundred, "end byte before progress 100");
    }
}

// --- data into the model -------------------------------------------------------------

struct ModelCase
{
    std::function<void(Radio &)> prepare;
    std::function<void(const ProgramState &)> check;
};
Q_DECLARE_METATYPE(ModelCase)

void TestTransferEngine::readReachesModelOnlyOnCompletion_data()
{
    QTest::addColumn<OpCode>("op");
    QTest::addColumn<int>("connect");
    QTest::addColumn<int>("silentFrom"); // frame number from which the radio is silent; -1 never
    QTest::addColumn<ModelCase>("model");

    const auto channelS = bytesOf({0x6B, 0x0E, 0x40, 0x6B, 0x0E, 0x40, 0x03, 0x75, 0x22, 0x92, 0, 0,
                                   0, 0, 0x01, 0x30, 0, 0, 0});
    const auto channelY = bytesOf({0x35, 0x87, 0x20, 0x35, 0x87, 0x20, 0x03, 0x75, 0x16, 0xA7, 0, 0,
                                   0, 0, 0x01, 0x30, 0, 0, 0});
    const auto current = [](QByteArray channel) {
        return [channel](Radio &r) {
            r.put(0x4000, channel);
            r.put(0x4156, bytesOf({0x02, 0x58}));
            r.put(0x415F, bytesOf({0x00, 0x01}));
        };
    };
    const auto checkChannel = [](const ProgramState &s) {
        const ChannelRecord ch = s.codeplug.channel(1);
        QVERIFY(s.codeplug.isChannelUsed(1));
        QVERIFY(!s.codeplug.isChannelUsed(2));
        QCOMPARE(ch.rxFreq(), 438500000u);
        QCOMPARE(ch.txFreq(), 438500000u);
        QCOMPARE(ch.rxTone().type, std::uint8_t(1));
        QCOMPARE(ch.rxTone().value, std::uint16_t(885));
        QCOMPARE(ch.txTone().type, std::uint8_t(0));
        QVERIFY(ch.wide());
        QVERIFY(ch.highPower());
        QVERIFY(ch.scanAdd());
        QCOMPARE(s.codeplug.setting(Setting::tot), 600u);
    };
    const ModelCase readS{current(channelS), checkChannel};
    const ModelCase readY{current(channelY), checkChannel};
    const ModelCase readOld{[](Radio &r) {
                                std::fill(r.memory.begin(), r.memory.begin() + 0x200, 0xFF);
                                r.put(0x0010,
                                      bytesOf({0x00, 0x00, 0x85, 0x43, 0x00, 0x00, 0x85, 0x43, 0x75,
                                               0x03, 0xFF, 0xFF, 0x00, 0x30, 0, 0}));
                                r.put(0x0130, bytesOf({0x28}));
                                r.put(0x017E, bytesOf({0x01, 0x00}));
                            },
                            checkChannel};
    const ModelCase calibration{[](Radio &r) {
                                    r.put(0x41F0, bytesOf({0x01, 0x9A, 42, 7, 11}));
                                },
                                [](const ProgramState &s) {
                                    QCOMPARE(int(s.calibration.pointMHz(0)), 410);
                                    QCOMPARE(int(s.calibration.pointHigh(0)), 42);
                                    QCOMPARE(int(s.calibration.pointLow(0)), 7);
                                    QCOMPARE(int(s.calibration.pointTune(0)), 11);
                                }};
    const ModelCase status{[](Radio &r) { r.status = {0x7B, 0x40, 0x22, 0xA4, 0x00, 0x80}; },
                           [](const ProgramState &s) {
                               const auto &raw = s.calibration.raw;
                               QCOMPARE(int(raw[0x4D]), 0x7B); // battery
                               QCOMPARE(int(raw[0x4E]), 0x40); // signal
                               QCOMPARE(int(raw[0x50]), 0x22); // noise
                               QCOMPARE(int(raw[0x52]), 1);    // 0xA4 bit 7
                               QCOMPARE(int(raw[0x4F]), 1);    // bit 5
                               QCOMPARE(int(raw[0x51]), 0);    // bit 3
                               QCOMPARE(int(raw[0x55]), 1);    // bit 2
                               QCOMPARE(int(raw[0x54]), 1);    // byte 5 bit 7
                           }};

    QTest::newRow("read, S radio") << OpCode::Codeplug << int('S') << -1 << readS;
    QTest::newRow("read, Y radio") << OpCode::Codeplug << int('Y') << -1 << readY;
    QTest::newRow("read, older radio") << OpCode::Codeplug << 0x06 << -1 << readOld;
    QTest::newRow("calibration read") << OpCode::Calibration << int('S') << -1 << calibration;
    QTest::newRow("transceiver status") << OpCode::Status << int('S') << -1 << status;
    QTest::newRow("read fails after 10 blocks") << OpCode::Codeplug << int('S') << 13 << readS;
    QTest::newRow("read fails at the last block") << OpCode::Codeplug << int('S') << 25 << readS;
    QTest::newRow("older read fails midway") << OpCode::Codeplug << 0x06 << 20 << readOld;
    QTest::newRow("calibration read fails") << OpCode::Calibration << int('S') << 8 << calibration;
    QTest::newRow("status never answered") << OpCode::Status << int('S') << 0 << status;
}

void TestTransferEngine::readReachesModelOnlyOnCompletion()
{
    QFETCH(OpCode, op);
    QFETCH(int, connect);
    QFETCH(int, silentFrom);
    QFETCH(ModelCase, model);

    Sim sim;
    Radio &radio = sim.radio();
    radio.connectReply = std::uint8_t(connect);
    model.prepare(radio);
    if (silentFrom >= 0)
        radio.tamper = [silentFrom](int n, const QByteArray &, Reply &reply) {
            if (n >= silentFrom)
                reply.clear();
        };
    const auto codeplugBefore = sim.state.codeplug;
    const auto calibrationBefore = sim.state.calibration;
    sim.make(op, ReadMode::Read);
    sim.start();
    VERIFY_ENDING(sim);

    QVERIFY(sim.state.codeplug == codeplugBefore);
    QVERIFY(sim.state.calibration == calibrationBefore);
    sim.engine->runCompletion();
    if (silentFrom >= 0) {
        QCOMPARE(outcomeName(sim.outcome), "CommunicationFalse");
        QVERIFY2(sim.state.codeplug == codeplugBefore, "a failed read changed the codeplug");
        QVERIFY2(sim.state.calibration == calibrationBefore,
                 "a failed read changed the calibration");
        return;
    }
    QCOMPARE(outcomeName(sim.outcome), "Success");
    model.check(sim.state);
}

// --- connecting, with and without the port search --------------------------------------

void TestTransferEngine::portSearch_data()
{
    QTest::addColumn<OpCode>("op");
    QTest::addColumn<bool>("autoSearch");
    QTest::addColumn<int>("port");
    QTest::addColumn<QList<int>>("ports");
    QTest::addColumn<QList<int>>("unopenable");
    // Per port, the answers to its 1st, 2nd, ... connect request (the last
    // one repeats): '-' nothing, 'X' a byte that is no connect reply, 'S' a
    // radio that goes on to answer everything.
    QTest::addColumn<QString>("radios");
    QTest::addColumn<QList<qint64>>("connectTimes");
    QTest::addColumn<QList<int>>("connectPorts");
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<qint64>("endsAt"); // -1: not checked

    const auto R = OpCode::Codeplug;
    const auto CF = Outcome::CommunicationFalse;
    using L = QList<qint64>;
    using P = QList<int>;

    QTest::newRow("no search, silent radio")
        << R << false << 1 << P{1} << P{} << "1=-" << L{500, 1500, 2500, 3500, 4500}
        << P{1, 1, 1, 1, 1} << CF << qint64(5500);
    QTest::newRow("no search, chosen port 3")
        << R << false << 3 << P{1, 3} << P{} << "1=S,3=-" << L{500, 1500, 2500, 3500, 4500}
        << P{3, 3, 3, 3, 3} << CF << qint64(5500);
    QTest::newRow("no search, status never answered")
        << OpCode::Status << false << 1 << P{1} << P{} << "1=-" << L{500, 1500, 2500, 3500, 4500}
        << P{1, 1, 1, 1, 1} << CF << qint64(5500);
    QTest::newRow("no search, port does not open")
        << R << false << 1 << P{1} << P{1} << "1=S" << L{} << P{} << CF << qint64(0);
    QTest::newRow("no search, port not present")
        << R << false << 5 << P{1, 3} << P{} << "1=S,3=S" << L{} << P{} << CF << qint64(0);
    QTest::newRow("no search, invalid connect reply")
        << R << false << 1 << P{1} << P{} << "1=X" << L{500} << P{1} << CF << qint64(520);
    QTest::newRow("no search, radio answers") << R << false << 1 << P{1} << P{} << "1=S" << L{500}
                                              << P{1} << Outcome::Success << qint64(-1);

    QTest::newRow("search, all silent") << R << true << 1 << P{1, 3, 4} << P{} << "1=-,3=-,4=-"
                                        << L{550, 1550, 2600, 3600, 4600, 5650, 6650, 7650}
                                        << P{1, 1, 3, 3, 3, 4, 4, 4} << CF << qint64(8650);
    QTest::newRow("search, single silent port")
        << R << true << 1 << P{2} << P{} << "2=-" << L{550, 1550} << P{2, 2} << CF << qint64(2550);
    QTest::newRow("search, status never answered")
        << OpCode::Status << true << 1 << P{1, 3} << P{} << "1=-,3=-"
        << L{550, 1550, 2600, 3600, 4600} << P{1, 1, 3, 3, 3} << CF << qint64(5600);
    QTest::newRow("search, first port does not open")
        << R << true << 1 << P{1, 3, 4} << P{1} << "3=-,4=-" << L{550, 1550, 2600, 3600, 4600}
        << P{3, 3, 4, 4, 4} << CF << qint64(5600);
    QTest::newRow("search, middle port does not open")
        << R << true << 1 << P{1, 3, 4} << P{3} << "1=-,4=-" << L{550, 1550, 2600, 3600, 4600}
        << P{1, 1, 4, 4, 4} << CF << qint64(5600);
    QTest::newRow("search, last port does not open")
        << R << true << 1 << P{1, 3} << P{3} << "1=-" << L{550, 1550} << P{1, 1} << CF
        << qint64(2550);
    QTest::newRow("search, empty port list")
        << R << true << 1 << P{} << P{} << "" << L{} << P{} << CF << qint64(0);
    QTest::newRow("search, no port opens")
        << R << true << 1 << P{1, 3} << P{1, 3} << "1=S,3=S" << L{} << P{} << CF << qint64(0);
    QTest::newRow("search, radio on the second port")
        << R << true << 1 << P{1, 3} << P{} << "1=-,3=S" << L{550, 1550, 2600} << P{1, 1, 3}
        << Outcome::Success << qint64(-1);
    QTest::newRow("search, radio on the first port")
        << R << true << 1 << P{1, 3} << P{} << "1=S,3=S" << L{550} << P{1} << Outcome::Success
        << qint64(-1);
    QTest::newRow("search, radio answers the second request")
        << R << true << 1 << P{1, 3} << P{} << "1=-S,3=S" << L{550, 1550} << P{1, 1}
        << Outcome::Success << qint64(-1);
    QTest::newRow("search, invalid reply, radio on next port")
        << R << true << 1 << P{1, 3} << P{} << "1=X,3=S" << L{550, 620} << P{1, 3}
        << Outcome::Success << qint64(-1);
    QTest::newRow("search, invalid reply, next port does not open")
        << R << true << 1 << P{1, 3, 4} << P{3} << "1=X,4=S" << L{550, 620} << P{1, 4}
        << Outcome::Success << qint64(-1);
    QTest::newRow("search, invalid reply, later ports silent")
        << R << true << 1 << P{1, 3, 4} << P{} << "1=X,3=-,4=-"
        << L{550, 620, 1620, 2670, 3670, 4670} << P{1, 3, 3, 4, 4, 4} << CF << qint64(5670);
    QTest::newRow("search, invalid reply to the second request")
        << R << true << 1 << P{1, 3, 4} << P{} << "1=-X,3=-,4=-"
        << L{550, 1550, 1620, 2620, 3670, 4670, 5670} << P{1, 1, 3, 3, 4, 4, 4} << CF
        << qint64(6670);
    QTest::newRow("search, every port answers invalid")
        << R << true << 1 << P{1, 3} << P{} << "1=X,3=X" << L{550, 620} << P{1, 3} << CF
        << qint64(640);
    QTest::newRow("search, invalid reply on the last port")
        << R << true << 1 << P{1, 3} << P{} << "1=-,3=X" << L{550, 1550, 2600} << P{1, 1, 3} << CF
        << qint64(2620);
}

void TestTransferEngine::portSearch()
{
    QFETCH(OpCode, op);
    QFETCH(bool, autoSearch);
    QFETCH(int, port);
    QFETCH(QList<int>, ports);
    QFETCH(QList<int>, unopenable);
    QFETCH(QString, radios);
    QFETCH(QList<qint64>, connectTimes);
    QFETCH(QList<int>, connectPorts);
    QFETCH(Outcome, outcome);
    QFETCH(qint64, endsAt);

    Sim sim;
    sim.radios.clear();
    sim.ports.assign(ports.begin(), ports.end());
    sim.unopenable = std::set<int>(unopenable.begin(), unopenable.end());
    for (const QString &entry : radios.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const int p = entry.section(QLatin1Char('='), 0, 0).toInt();
        const QByteArray answers = entry.section(QLatin1Char('='), 1).toLatin1();
        Radio &r = sim.radio(p);
        fillStandard(r);
        auto connects = std::make_shared<int>(0);
        r.tamper = [answers, connects](int, const QByteArray &frame, Reply &reply) {
            if (frame != kProgram && frame != kStatus)
                return;
            const char a = answers[std::min(int(answers.size()) - 1, (*connects)++)];
            if (a == '-')
                reply.clear();
            else if (a == 'X')
                reply = {{20, bytesOf({0x58})}};
        };
    }
    sim.make(op, ReadMode::Read, PortSettings{port, autoSearch});
    sim.start();
    VERIFY_ENDING(sim);

    QList<qint64> times;
    QList<int> onPorts;
    const QByteArray connectFrame = op == OpCode::Status ? kStatus : kProgram;
    for (const Sim::Event &e : sim.sends())
        if (e.bytes == connectFrame) {
            times << e.at;
            onPorts << e.port;
        }
    QCOMPARE(times, connectTimes);
    QCOMPARE(onPorts, connectPorts);
    QCOMPARE(outcomeName(sim.outcome), outcomeName(outcome));
    if (endsAt >= 0)
        QCOMPARE(sim.finishedAt, endsAt);
    if (outcome == Outcome::Success) {
        // The transfer stays on the port that answered.
        const int found = connectPorts.last();
        bool afterConnect = false;
        for (const Sim::Event &e : sim.sends()) {
            afterConnect = afterConnect || (e.bytes == kProgram && e.at == connectTimes.last());
            if (afterConnect)
                QCOMPARE(e.port, found);
        }
        std::vector<QByteArray> fromConnect;
        for (const Sim::Event &e : sim.sends())
            if (e.at >= connectTimes.last())
                fromConnect.push_back(e.bytes);
        COMPARE_FRAMES(fromConnect, standardFrames(op, ReadMode::Read, 'S'));
    }
}

// --- progress ----------------------------------------------------------------------------

void TestTransferEngine::progressSteps_data()
{
    QTest::addColumn<OpCode>("op");
    QTest::addColumn<ReadMode>("mode");
    QTest::addColumn<int>("connect");
    QTest::addColumn<QList<int>>("steps");
    QTest::addColumn<QList<int>>(
        "framesBefore"); // frames sent when each step showed; empty: not checked

    // +1 for the connect reply (2 after an older radio's confirm), +10 each
    // time the acknowledged bytes pass the operation's step (checked when a
    // request leaves), 100 at completion, 0 at the end. Worked out block by
    // block: a read of 23 blocks with step 36 advances after blocks 3, 5, 7,
    // 10, 12, 14, 16, 19 and 21.
    using L = QList<int>;
    QTest::newRow("read") << OpCode::Codeplug << ReadMode::Read << int('S')
                          << L{0, 1, 11, 21, 31, 41, 51, 61, 71, 81, 91, 100, 0}
                          << L{0, 1, 7, 9, 11, 14, 16, 18, 20, 23, 25, 26, 27};
    QTest::newRow("write") << OpCode::Codeplug << ReadMode::Write << int('S')
                           << L{0, 1, 11, 21, 31, 41, 51, 61, 71, 81, 91, 100, 0} << L{};
    QTest::newRow("older radio read")
        << OpCode::Codeplug << ReadMode::Read << 0x06
        << L{0, 1, 2, 12, 22, 32, 42, 52, 62, 72, 82, 92, 100, 0} << L{};
    QTest::newRow("older radio write")
        << OpCode::Codeplug << ReadMode::Write << 0x06
        << L{0, 1, 2, 12, 22, 32, 42, 52, 62, 72, 82, 92, 100, 0} << L{};
    QTest::newRow("calibration read") << OpCode::Calibration << ReadMode::Read << int('S')
                                      << L{0, 1, 11, 21, 31, 41, 51, 61, 71, 81, 91, 100, 0} << L{};
    QTest::newRow("calibration write")
        << OpCode::Calibration << ReadMode::Write << int('S')
        << L{0, 1, 11, 21, 31, 41, 51, 61, 71, 81, 91, 100, 0} << L{};
    QTest::newRow("password write")
        << OpCode::Password << ReadMode::Write << int('S') << L{0, 1, 100, 0} << L{};
    QTest::newRow("transceiver status")
        << OpCode::Status << ReadMode::Read << int('S') << L{0, 100, 0} << L{};
    QTest::newRow("no operation") << OpCode::SerialNumber << ReadMode::Read << int('S')
                                  << L{0, 1, 0} << L{};
}

void TestTransferEngine::progressSteps()
{
    QFETCH(OpCode, op);
    QFETCH(ReadMode, mode);
    QFETCH(int, connect);
    QFETCH(QList<int>, steps);
    QFETCH(QList<int>, framesBefore);

    Sim sim;
    Radio &radio = sim.radio();
    radio.connectReply = std::uint8_t(connect);
    fillStandard(radio);
    sim.make(op, mode);
    sim.start();
    VERIFY_ENDING(sim);

    // Repeated reports of the same value are not steps.
    QList<int> shown;
    QList<int> sentBefore;
    int sent = 0;
    for (const Sim::Event &e : sim.log) {
        if (e.kind == Sim::Kind::Send)
            ++sent;
        if (e.kind == Sim::Kind::Progress && (shown.isEmpty() || shown.last() != e.value)) {
            shown << e.value;
            sentBefore << sent;
        }
    }
    QCOMPARE(shown, steps);
    if (!framesBefore.isEmpty())
        QCOMPARE(sentBefore, framesBefore);
}

QTEST_APPLESS_MAIN(TestTransferEngine)
#include "moc_tst_transferengine.cpp"
