// The transfer engine suite: refused transfers (a wrong password, an older radio,
// an unknown operation) and transfers closed before, during and after their end.
#include "tst_transferengine.h"

#include "codeplug/passwordblock.h"

using namespace enginesim;
using namespace enginetest;
using t880::Setting;
using t880::TextField;

void TestTransferEngine::passwordCheck_data()
{
    QTest::addColumn<OpCode>("op");
    QTest::addColumn<ReadMode>("mode");
    QTest::addColumn<int>("connect");
    QTest::addColumn<QByteArray>("radioBlock");
    QTest::addColumn<QByteArray>("current");
    QTest::addColumn<QByteArray>("newPassword");
    QTest::addColumn<Outcome>("outcome");

    const auto key = [] {
        return std::uint8_t(0x3C);
    };
    const auto block = [&](const char *pw) {
        const t880::PasswordBlock b = t880::encodePasswordBlock(QByteArray(pw), key);
        return QByteArray(reinterpret_cast<const char *>(b.data()), 16);
    };
    const QByteArray none00 =
        bytesOf({0x00, 0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 1, 2, 3, 4, 5, 6, 7, 8});
    const QByteArray noneFF =
        bytesOf({0xFF, 0x04, 0x31, 0x32, 0x33, 0x34, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x3F});
    QByteArray damaged = block("1234");
    damaged[15] = char(damaged[15] ^ 0x01);

    const auto C = OpCode::Codeplug;
    const auto R = ReadMode::Read, W = ReadMode::Write;
    const auto OK = Outcome::Success, PE = Outcome::PasswordError;
    QTest::newRow("00 block, empty password")
        << C << R << int('S') << none00 << QByteArray() << QByteArray() << OK;
    QTest::newRow("00 block, any password")
        << C << W << int('S') << none00 << QByteArray("1234") << QByteArray() << OK;
    QTest::newRow("FF block, empty password")
        << C << W << int('Y') << noneFF << QByteArray() << QByteArray() << OK;
    QTest::newRow("FF block, any password")
        << C << R << int('S') << noneFF << QByteArray("abc") << QByteArray() << OK;
    QTest::newRow("4 characters in radio, 3 entered")
        << C << R << int('S') << block("1234") << QByteArray("123") << QByteArray() << PE;
    QTest::newRow("4 characters in radio, 3 entered, write")
        << C << W << int('S') << block("1234") << QByteArray("123") << QByteArray() << PE;
    QTest::newRow("4 characters in radio, none entered")
        << C << R << int('S') << block("1234") << QByteArray() << QByteArray() << PE;
    QTest::newRow("correct password")
        << C << R << int('S') << block("1234") << QByteArray("1234") << QByteArray() << OK;
    QTest::newRow("correct password, write")
        << C << W << int('Y') << block("1234") << QByteArray("1234") << QByteArray("99") << OK;
    QTest::newRow("wrong password of the same length")
        << C << R << int('S') << block("1234") << QByteArray("1235") << QByteArray() << PE;
    QTest::newRow("case differs") << C << R << int('S') << block("abcd") << QByteArray("ABCD")
                                  << QByteArray() << PE;
    QTest::newRow("only the new password matches")
        << C << W << int('S') << block("1234") << QByteArray("0000") << QByteArray("1234") << PE;
    QTest::newRow("damaged block of the right length")
        << C << R << int('S') << damaged << QByteArray("9999") << QByteArray() << OK;
    QTest::newRow("calibration read, wrong password")
        << OpCode::Calibration << R << int('S') << block("12") << QByteArray("21") << QByteArray()
        << PE;
    QTest::newRow("calibration write, wrong password")
        << OpCode::Calibration << W << int('S') << block("12") << QByteArray("21") << QByteArray()
        << PE;
    QTest::newRow("password write, wrong password")
        << OpCode::Password << W << int('S') << block("12") << QByteArray("1") << QByteArray("5")
        << PE;
    QTest::newRow("password write, correct password")
        << OpCode::Password << W << int('S') << block("12") << QByteArray("12") << QByteArray("5")
        << OK;
    QTest::newRow("status has no password stage")
        << OpCode::Status << R << int('S') << block("12") << QByteArray("99") << QByteArray() << OK;
    QTest::newRow("older radio has no password stage")
        << C << R << 0x06 << block("12") << QByteArray("99") << QByteArray() << OK;
}

void TestTransferEngine::passwordCheck()
{
    QFETCH(OpCode, op);
    QFETCH(ReadMode, mode);
    QFETCH(int, connect);
    QFETCH(QByteArray, radioBlock);
    QFETCH(QByteArray, current);
    QFETCH(QByteArray, newPassword);
    QFETCH(Outcome, outcome);

    Sim sim;
    Radio &radio = sim.radio();
    radio.connectReply = std::uint8_t(connect);
    fillStandard(radio);
    radio.put(0x41D0, radioBlock);
    sim.state.codeplug.setText(TextField::radioPassword, current);
    sim.state.codeplug.setText(TextField::newRadioPassword, newPassword);
    sim.make(op, mode);
    sim.start();
    VERIFY_ENDING(sim);

    QCOMPARE(outcomeName(sim.outcome), outcomeName(outcome));
    if (outcome == Outcome::PasswordError) {
        // The refusal counts only when a second reading of the area agrees.
        COMPARE_FRAMES(sim.frames(), currentHandshake() << rd(0x41D0) << rd(0x41E0));
        QCOMPARE(sim.finishedAt, sentAt(sim, rd(0x41E0), 2) + 20);
        QCOMPARE(hex(radio.peek(0x4000, 0x270)),
                 hex(standardBytes(0x4000, 0x1D0) + radioBlock + standardBytes(0x41E0, 0x90)));
    } else if (connect != 0x06 && op != OpCode::Status) {
        QCOMPARE(sim.frames().back(), kEnd);
    }
}

void TestTransferEngine::olderRadioRefusesOtherOperations_data()
{
    QTest::addColumn<OpCode>("op");
    QTest::addColumn<ReadMode>("mode");

    QTest::newRow("calibration read") << OpCode::Calibration << ReadMode::Read;
    QTest::newRow("calibration write") << OpCode::Calibration << ReadMode::Write;
    QTest::newRow("password write") << OpCode::Password << ReadMode::Write;
    QTest::newRow("code 5 read") << OpCode::Password << ReadMode::Read;
    QTest::newRow("code 4 read") << OpCode::SerialNumber << ReadMode::Read;
}

void TestTransferEngine::olderRadioRefusesOtherOperations()
{
    QFETCH(OpCode, op);
    QFETCH(ReadMode, mode);

    Sim sim;
    Radio &radio = sim.radio();
    radio.connectReply = 0x06;
    fillStandard(radio);
    sim.make(op, mode);
    sim.start();
    VERIFY_ENDING(sim);

    QCOMPARE(outcomeName(sim.outcome), "OldVersion");
    COMPARE_FRAMES(sim.frames(), Frames() << kProgram);
    QCOMPARE(sim.finishedAt, qint64(520));
}

void TestTransferEngine::unknownOperationSendsNothing_data()
{
    QTest::addColumn<OpCode>("op");
    QTest::addColumn<ReadMode>("mode");

    QTest::newRow("code 5 read") << OpCode::Password << ReadMode::Read;
    QTest::newRow("code 4 read") << OpCode::SerialNumber << ReadMode::Read;
    QTest::newRow("code 4 write") << OpCode::SerialNumber << ReadMode::Write;
}

void TestTransferEngine::unknownOperationSendsNothing()
{
    QFETCH(OpCode, op);
    QFETCH(ReadMode, mode);

    Sim sim;
    fillStandard(sim.radio());
    sim.make(op, mode);
    sim.start();
    VERIFY_ENDING(sim);

    QCOMPARE(outcomeName(sim.outcome), "CommunicationFalse");
    COMPARE_FRAMES(sim.frames(), currentHandshake());
    const qint64 lastAccepted = sentAt(sim, rd(0x41E0)) + 20;
    QCOMPARE(sim.finishedAt, lastAccepted + 5000);
}

void TestTransferEngine::closeMidTransfer_data()
{
    QTest::addColumn<OpCode>("op");
    QTest::addColumn<ReadMode>("mode");
    QTest::addColumn<int>("connect");
    QTest::addColumn<bool>("autoSearch");
    // Ports 1 and 3: 'S' a radio, '-' silent, 'X' an invalid connect reply.
    QTest::addColumn<QString>("radios");
    QTest::addColumn<QByteArray>("trigger");
    QTest::addColumn<int>("occurrence");
    QTest::addColumn<bool>("dropReply"); // the trigger goes unanswered
    QTest::addColumn<qint64>("at");      // after the trigger's sending, or absolute without one

    const auto C = OpCode::Codeplug;
    const auto R = ReadMode::Read, W = ReadMode::Write;
    const QByteArray none;
    QTest::newRow("during the pause after Start")
        << C << R << int('S') << false << "1=S" << none << 1 << false << qint64(200);
    QTest::newRow("during the pause after Start, search")
        << C << R << int('S') << true << "1=S" << none << 1 << false << qint64(520);
    QTest::newRow("waiting for the connect reply")
        << C << R << int('S') << false << "1=S" << kProgram << 1 << false << qint64(5);
    QTest::newRow("between the password reads")
        << C << W << int('S') << false << "1=S" << rd(0x41E0) << 1 << false << qint64(10);
    QTest::newRow("in the middle of a read")
        << C << R << int('S') << false << "1=S" << rd(0x4080) << 1 << false << qint64(10);
    QTest::newRow("in the middle of a write")
        << C << W << int('S') << false << "1=S" << wrHeader(0x4080) << 1 << false << qint64(10);
    QTest::newRow("waiting after a resent request")
        << C << W << int('S') << false << "1=S" << wrHeader(0x4080) << 1 << true << qint64(1010);
    QTest::newRow("older radio, block acknowledge")
        << C << R << 0x06 << false << "1=S" << kAck << 3 << false << qint64(10);
    QTest::newRow("calibration write, reread") << OpCode::Calibration << W << int('S') << false
                                               << "1=S" << rd(0x4100) << 1 << false << qint64(10);
    QTest::newRow("waiting for the status")
        << OpCode::Status << R << int('S') << false << "1=S" << kStatus << 1 << false << qint64(5);
    QTest::newRow("search moving to the next port")
        << C << R << int('S') << true << "1=-,3=-" << none << 1 << false << qint64(2570);
    QTest::newRow("search after an invalid reply")
        << C << R << int('S') << true << "1=X,3=S" << none << 1 << false << qint64(580);
}

void TestTransferEngine::closeMidTransfer()
{
    QFETCH(OpCode, op);
    QFETCH(ReadMode, mode);
    QFETCH(int, connect);
    QFETCH(bool, autoSearch);
    QFETCH(QString, radios);
    QFETCH(QByteArray, trigger);
    QFETCH(int, occurrence);
    QFETCH(bool, dropReply);
    QFETCH(qint64, at);

    Sim sim;
    sim.ports = {1, 3};
    for (const QString &entry : radios.split(QLatin1Char(','))) {
        const int p = entry.section(QLatin1Char('='), 0, 0).toInt();
        const char a = entry.section(QLatin1Char('='), 1).toLatin1().at(0);
        Radio &r = sim.radio(p);
        fillStandard(r);
        r.connectReply = std::uint8_t(a == 'X' ? 'X' : connect);
        r.answers = a != '-';
    }
    sim.make(op, mode, PortSettings{1, autoSearch});
    qint64 closeAt = at;
    if (trigger.isEmpty()) {
        sim.at(at, [&sim] { sim.engine->close(); });
    } else {
        auto seen = std::make_shared<int>(0);
        sim.radio(1).tamper = [&sim, &closeAt, trigger, occurrence, dropReply, at,
                               seen](int, const QByteArray &frame, Reply &reply) {
            if (!frame.startsWith(trigger) || ++*seen != occurrence)
                return;
            if (dropReply)
                reply.clear();
            closeAt = sim.now + at;
            sim.at(closeAt, [&sim] { sim.engine->close(); });
        };
    }
    sim.start();
    VERIFY_ENDING(sim);

    QCOMPARE(outcomeName(sim.outcome), "Closed");
    QCOMPARE(sim.finishedAt, closeAt);
    QCOMPARE(sim.indexOf(Sim::Kind::Send, kEnd), -1);
    QVERIFY(!sim.sends().empty() || trigger.isEmpty());
    if (!sim.sends().empty())
        QVERIFY(sim.sends().back().at < closeAt);
    if (dropReply)
        QCOMPARE(sentAt(sim, trigger, 2), sentAt(sim, trigger) + 1000);
    // The port goes at once.
    const auto closes = sim.filtered(Sim::Kind::Close);
    QVERIFY(!closes.empty());
    QCOMPARE(closes.back().at, closeAt);
    QCOMPARE(sim.engine->progress(), 0);
}

void TestTransferEngine::closeBeforeStart()
{
    Sim sim;
    fillStandard(sim.radio());
    sim.make(OpCode::Codeplug, ReadMode::Read);
    sim.engine->close();
    sim.start();
    QVERIFY(!sim.engine->isRunning());
    QCOMPARE(outcomeName(sim.engine->outcome()), "Closed");
    QVERIFY(sim.log.empty() || sim.filtered(Sim::Kind::Open).empty());
    QVERIFY(sim.sends().empty());
    QVERIFY(sim.finishedCount <= 1);
    QVERIFY(sim.violations.isEmpty());
}

void TestTransferEngine::closeAfterEnd()
{
    Sim sim;
    fillStandard(sim.radio());
    sim.make(OpCode::Codeplug, ReadMode::Read);
    sim.start();
    VERIFY_ENDING(sim);
    QCOMPARE(outcomeName(sim.outcome), "Success");
    const auto logged = sim.log.size();
    sim.engine->close();
    sim.run();
    QCOMPARE(outcomeName(sim.engine->outcome()), "Success");
    QCOMPARE(sim.finishedCount, 1);
    QCOMPARE(sim.log.size(), logged);
    sim.engine->runCompletion();
    QVERIFY(sim.state.codeplug.setting(Setting::tot) != 0);
}

void TestTransferEngine::closeFromWithinHostCall_data()
{
    QTest::addColumn<OpCode>("op");
    QTest::addColumn<ReadMode>("mode");
    QTest::addColumn<int>("connect");
    QTest::addColumn<int>("kind"); // Sim::Kind of the host call that closes
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("value");

    const auto C = OpCode::Codeplug;
    const auto R = ReadMode::Read, W = ReadMode::Write;
    const int send = int(Sim::Kind::Send), progress = int(Sim::Kind::Progress),
              purge = int(Sim::Kind::Purge);
    QTest::newRow("sending the connect request") << C << R << int('S') << send << kProgram << 0;
    QTest::newRow("sending a read request") << C << R << int('S') << send << rd(0x4050) << 0;
    QTest::newRow("sending a write request") << C << W << int('S') << send << wrHeader(0x4050) << 0;
    QTest::newRow("sending a block acknowledge") << C << R << 0x06 << send << kAck << 0;
    QTest::newRow("purging before the connect request")
        << C << R << int('S') << purge << QByteArray() << 0;
    QTest::newRow("progress after the connect reply")
        << C << R << int('S') << progress << QByteArray() << 1;
    QTest::newRow("progress after the confirm reply")
        << C << R << 0x06 << progress << QByteArray() << 2;
    QTest::newRow("progress step during a read")
        << C << R << int('S') << progress << QByteArray() << 41;
    QTest::newRow("progress step during a write")
        << C << W << int('S') << progress << QByteArray() << 51;
}

void TestTransferEngine::closeFromWithinHostCall()
{
    // A host may end the transfer from inside any of its own calls (a write
    // that fails, a window closed while the progress is drawn): the engine
    // then sends nothing more and leaves no timer running.
    QFETCH(OpCode, op);
    QFETCH(ReadMode, mode);
    QFETCH(int, connect);
    QFETCH(int, kind);
    QFETCH(QByteArray, bytes);
    QFETCH(int, value);

    Sim sim;
    Radio &radio = sim.radio();
    radio.connectReply = std::uint8_t(connect);
    fillStandard(radio);
    sim.make(op, mode);
    qint64 closedAt = -1;
    sim.onEvent = [&](const Sim::Event &e) {
        if (closedAt >= 0 || e.kind != Sim::Kind(kind) || !sim.engine->isRunning())
            return;
        if (e.kind == Sim::Kind::Send && !e.bytes.startsWith(bytes))
            return;
        if (e.kind == Sim::Kind::Progress && e.value != value)
            return;
        if (e.kind == Sim::Kind::Purge && sim.sends().empty() && e.at < 500)
            return; // the purges at opening come before the first request
        closedAt = sim.now;
        sim.engine->close();
    };
    sim.start();
    QVERIFY(closedAt >= 0);
    VERIFY_ENDING(sim);
    QCOMPARE(outcomeName(sim.outcome), "Closed");
    QCOMPARE(sim.finishedAt, closedAt);
    QCOMPARE(sim.indexOf(Sim::Kind::Send, kEnd), -1);
}

void TestTransferEngine::closeWhileEnding_data()
{
    QTest::addColumn<int>("silentFrom"); // -1: the radio answers everything
    QTest::addColumn<QByteArray>("radioPassword");
    QTest::addColumn<int>("kind"); // the host call during the ending that closes
    QTest::addColumn<Outcome>("outcome");

    const int closePort = int(Sim::Kind::Close), progress = int(Sim::Kind::Progress);
    QTest::newRow("success, closing in closePort")
        << -1 << QByteArray() << closePort << Outcome::Success;
    QTest::newRow("success, closing at progress 0")
        << -1 << QByteArray() << progress << Outcome::Success;
    QTest::newRow("time-out, closing in closePort")
        << 5 << QByteArray() << closePort << Outcome::CommunicationFalse;
    QTest::newRow("password error, closing at progress 0")
        << -1 << QByteArray("1234") << progress << Outcome::PasswordError;
}

void TestTransferEngine::closeWhileEnding()
{
    // The window closed while the transfer is already ending: the first
    // ending stands and is reported once.
    QFETCH(int, silentFrom);
    QFETCH(QByteArray, radioPassword);
    QFETCH(int, kind);
    QFETCH(Outcome, outcome);

    Sim sim;
    Radio &radio = sim.radio();
    fillStandard(radio);
    if (!radioPassword.isEmpty()) {
        const t880::PasswordBlock b =
            t880::encodePasswordBlock(radioPassword, [] { return std::uint8_t(7); });
        radio.put(0x41D0, QByteArray(reinterpret_cast<const char *>(b.data()), 16));
    }
    if (silentFrom >= 0)
        radio.tamper = [silentFrom](int n, const QByteArray &, Reply &reply) {
            if (n >= silentFrom)
                reply.clear();
        };
    sim.make(OpCode::Codeplug, ReadMode::Read);
    int closes = 0;
    sim.onEvent = [&](const Sim::Event &e) {
        if (e.kind != Sim::Kind(kind) || closes > 3)
            return;
        if (e.kind == Sim::Kind::Progress && e.value != 0)
            return;
        if (e.kind == Sim::Kind::Progress && sim.sends().empty())
            return; // the 0 at the beginning
        ++closes;
        sim.engine->close();
    };
    sim.start();
    QVERIFY(closes >= 1);
    VERIFY_ENDING(sim);
    QCOMPARE(outcomeName(sim.outcome), outcomeName(outcome));
}
