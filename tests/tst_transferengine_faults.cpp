// The transfer engine suite: the line's failures and the recoveries (wrong
// replies, retransmissions, silence, replies in pieces or longer than asked,
// noise before the connect request).
#include "tst_transferengine.h"

using namespace enginesim;
using namespace enginetest;

// --- failures and recoveries --------------------------------------------------------------

void TestTransferEngine::protocolErrorEndsAtOnce_data()
{
    QTest::addColumn<OpCode>("op");
    QTest::addColumn<ReadMode>("mode");
    QTest::addColumn<int>("connect");
    QTest::addColumn<QByteArray>("trigger");
    QTest::addColumn<int>("occurrence");
    QTest::addColumn<QByteArray>("reply");

    const auto R = ReadMode::Read, W = ReadMode::Write;
    const QByteArray junk16(16, char(0x11));
    QTest::newRow("identification, last byte differs")
        << OpCode::Codeplug << R << 0x06 << kIdentify << 1
        << bytesOf({0x50, 0x33, 0x32, 0x30, 0x37, 0x33, 0xF8, 0xFE});
    QTest::newRow("identification of another model")
        << OpCode::Codeplug << W << 0x06 << kIdentify << 1
        << bytesOf({0x50, 0x33, 0x32, 0x30, 0x37, 0x34, 0xF8, 0xFF});
    QTest::newRow("confirm reply not 06")
        << OpCode::Codeplug << R << 0x06 << kAck << 1 << bytesOf({0x15});
    QTest::newRow("first password reply not W")
        << OpCode::Codeplug << R << int('S') << rd(0x41D0) << 1
        << readReply(0x41D0, 16, junk16).replace(0, 1, "R");
    QTest::newRow("second password reply not W")
        << OpCode::Codeplug << W << int('Y') << rd(0x41E0) << 1
        << readReply(0x41E0, 16, junk16).replace(0, 1, QByteArray(1, '\0'));
    QTest::newRow("read reply not W") << OpCode::Codeplug << R << int('S') << rd(0x4050) << 1
                                      << readReply(0x4050, 16, junk16).replace(0, 1, "X");
    QTest::newRow("calibration area reply not W")
        << OpCode::Codeplug << W << int('S') << rd(0x4200) << 1
        << readReply(0x4200, 16, junk16).replace(0, 1, "R");
    QTest::newRow("calibration read reply not W")
        << OpCode::Calibration << R << int('S') << rd(0x41F0) << 1
        << readReply(0x41F0, 16, junk16).replace(0, 1, "w");
    QTest::newRow("write acknowledge not 06")
        << OpCode::Codeplug << W << int('S') << wrHeader(0x4080) << 1 << bytesOf({0x15});
    QTest::newRow("calibration write acknowledge not 06")
        << OpCode::Calibration << W << int('S') << wrHeader(0x4200) << 1 << bytesOf({0x15});
    QTest::newRow("channel rewrite acknowledge not 06")
        << OpCode::Calibration << W << int('S') << wrHeader(0x4000) << 1 << bytesOf({0x57});
    QTest::newRow("password write acknowledge not 06")
        << OpCode::Password << W << int('S') << wrHeader(0x41D0) << 1 << bytesOf({0x00});
    QTest::newRow("older radio, block reply not W")
        << OpCode::Codeplug << R << 0x06 << rd(0x0030) << 1
        << readReply(0x0030, 16, junk16).replace(0, 1, "R");
    QTest::newRow("older radio, block acknowledge not 06")
        << OpCode::Codeplug << R << 0x06 << kAck << 3 << bytesOf({0x15});
    QTest::newRow("older radio, write acknowledge not 06")
        << OpCode::Codeplug << W << 0x06 << wrHeader(0x0010) << 1 << bytesOf({0xFF});
}

void TestTransferEngine::protocolErrorEndsAtOnce()
{
    QFETCH(OpCode, op);
    QFETCH(ReadMode, mode);
    QFETCH(int, connect);
    QFETCH(QByteArray, trigger);
    QFETCH(int, occurrence);
    QFETCH(QByteArray, reply);

    Sim sim;
    Radio &radio = sim.radio();
    radio.connectReply = std::uint8_t(connect);
    fillStandard(radio);
    tamperWith(radio, trigger, occurrence, {{20, reply}});
    sim.make(op, mode);
    sim.start();
    VERIFY_ENDING(sim);

    QCOMPARE(outcomeName(sim.outcome), "CommunicationFalse");
    const qint64 sent = sentAt(sim, trigger, occurrence);
    QVERIFY(sent >= 0);
    QCOMPARE(sim.finishedAt, sent + 20);
    QCOMPARE(sim.sends().back().at, sent);
    QCOMPARE(frameIndex(sim, trigger, occurrence), int(sim.sends().size()) - 1);
    QCOMPARE(sim.indexOf(Sim::Kind::Send, kEnd), -1);
}

void TestTransferEngine::retransmissionRecovers_data()
{
    QTest::addColumn<OpCode>("op");
    QTest::addColumn<ReadMode>("mode");
    QTest::addColumn<int>("connect");
    QTest::addColumn<QByteArray>("trigger");
    QTest::addColumn<int>("occurrence");
    QTest::addColumn<Reply>("reply");
    QTest::addColumn<bool>("purges");

    const auto R = ReadMode::Read, W = ReadMode::Write;
    const auto C = OpCode::Codeplug;
    const QByteArray block4050 = readReply(0x4050, 16, standardBytes(0x4050, 16));
    const QByteArray many(300, 'W');

    QTest::newRow("write acknowledge 06 06") << C << W << int('S') << wrHeader(0x4000) << 1
                                             << Reply{{20, bytesOf({0x06, 0x06})}} << false;
    QTest::newRow("password write acknowledge 06 06")
        << OpCode::Password << W << int('S') << wrHeader(0x41D0) << 1
        << Reply{{20, bytesOf({0x06, 0x06})}} << false;
    QTest::newRow("read reply with one byte too many")
        << C << R << int('S') << rd(0x4050) << 1 << Reply{{20, block4050 + bytesOf({0x00})}}
        << false;
    QTest::newRow("read reply one byte short")
        << C << R << int('S') << rd(0x4050) << 1 << Reply{{20, block4050.left(19)}} << false;
    QTest::newRow("300 bytes waiting")
        << C << R << int('S') << rd(0x4050) << 1 << Reply{{20, many}} << true;
    QTest::newRow("256 bytes waiting")
        << C << R << int('S') << rd(0x4050) << 1 << Reply{{20, many.left(256)}} << true;
    QTest::newRow("200 + 100 bytes overflow the buffer")
        << C << R << int('S') << rd(0x4050) << 1
        << Reply{{20, QByteArray(200, char(0x06))}, {40, QByteArray(100, char(0x06))}} << true;
    QTest::newRow("300 bytes for a write acknowledge")
        << C << W << int('S') << wrHeader(0x4100) << 1 << Reply{{20, QByteArray(300, char(0x06))}}
        << true;
    QTest::newRow("read request unanswered once")
        << C << R << int('S') << rd(0x4050) << 1 << Reply{} << false;
    QTest::newRow("write request unanswered once")
        << C << W << int('Y') << wrHeader(0x4100) << 1 << Reply{} << false;
    QTest::newRow("password read unanswered once")
        << C << R << int('S') << rd(0x41E0) << 1 << Reply{} << false;
    QTest::newRow("connect request unanswered once")
        << C << R << int('S') << kProgram << 1 << Reply{} << false;
    QTest::newRow("older radio, block acknowledge 06 06")
        << C << R << 0x06 << kAck << 3 << Reply{{20, bytesOf({0x06, 0x06})}} << false;
    QTest::newRow("older radio, read reply with one byte too many")
        << C << R << 0x06 << rd(0x0030) << 1
        << Reply{{20, readReply(0x0030, 16, standardBytes(0x0030, 16)) + bytesOf({0x06})}} << false;
    QTest::newRow("older radio, identification short")
        << C << R << 0x06 << kIdentify << 1 << Reply{{20, kIdentification.left(7)}} << false;
    QTest::newRow("older radio, write acknowledge 06 06")
        << C << W << 0x06 << wrHeader(0x0100) << 1 << Reply{{20, bytesOf({0x06, 0x06})}} << false;
    QTest::newRow("status reply short") << OpCode::Status << R << int('S') << kStatus << 1
                                        << Reply{{20, bytesOf({1, 2, 3, 4, 5})}} << false;
    QTest::newRow("calibration read reply too long")
        << OpCode::Calibration << R << int('S') << rd(0x4200) << 1
        << Reply{{20, readReply(0x4200, 16, standardBytes(0x4200, 16)) + bytesOf({0x57})}} << false;
}

void TestTransferEngine::retransmissionRecovers()
{
    QFETCH(OpCode, op);
    QFETCH(ReadMode, mode);
    QFETCH(int, connect);
    QFETCH(QByteArray, trigger);
    QFETCH(int, occurrence);
    QFETCH(Reply, reply);
    QFETCH(bool, purges);

    Sim sim;
    Radio &radio = sim.radio();
    radio.connectReply = std::uint8_t(connect);
    fillStandard(radio);
    tamperWith(radio, trigger, occurrence, reply);
    sim.make(op, mode);
    sim.start();
    VERIFY_ENDING(sim);

    QCOMPARE(outcomeName(sim.outcome), "Success");
    COMPARE_FRAMES(sim.frames(),
                   withDuplicate(standardFrames(op, mode, connect), trigger, occurrence));
    const int i = frameIndex(sim, trigger, occurrence);
    const auto sends = sim.sends();
    QVERIFY(i >= 0 && i + 1 < int(sends.size()));
    QCOMPARE(sends[std::size_t(i + 1)].at - sends[std::size_t(i)].at, qint64(1000));

    bool purged = false;
    for (const Sim::Event &e : sim.log)
        purged = purged || (e.kind == Sim::Kind::DiscardInput && e.at > sends[std::size_t(i)].at &&
                            e.at < sends[std::size_t(i + 1)].at);
    QCOMPARE(purged, purges);

    // The good answer was stored, not the bad one.
    if (op == OpCode::Codeplug && mode == ReadMode::Read && connect != 0x06)
        QCOMPARE(hex(imageBytes(sim, 0, 0x170)), hex(standardBytes(0x4000, 0x170)));
    if (op == OpCode::Codeplug && mode == ReadMode::Read && connect == 0x06)
        QCOMPARE(hex(imageBytes(sim, 0x10, 0x1F0)), hex(standardBytes(0x0010, 0x1F0)));
    if (op == OpCode::Status)
        QCOMPARE(hex(imageBytes(sim, 0, 6)), hex(bytesOf({0x7B, 0x40, 0x22, 0xA4, 0x00, 0x80})));
}

void TestTransferEngine::silenceEndsAfterFiveSeconds_data()
{
    QTest::addColumn<OpCode>("op");
    QTest::addColumn<ReadMode>("mode");
    QTest::addColumn<int>("connect");
    QTest::addColumn<QByteArray>("trigger");
    QTest::addColumn<int>("occurrence");

    const auto R = ReadMode::Read, W = ReadMode::Write;
    QTest::newRow("read, radio falls silent")
        << OpCode::Codeplug << R << int('S') << rd(0x4080) << 1;
    QTest::newRow("write, acknowledge never comes")
        << OpCode::Codeplug << W << int('S') << wrHeader(0x4080) << 1;
    QTest::newRow("write, calibration area unanswered")
        << OpCode::Codeplug << W << int('S') << rd(0x41F0) << 1;
    QTest::newRow("password stage unanswered")
        << OpCode::Codeplug << R << int('Y') << rd(0x41E0) << 1;
    QTest::newRow("calibration write, reread unanswered")
        << OpCode::Calibration << W << int('S') << rd(0x4100) << 1;
    QTest::newRow("older radio, identify unanswered")
        << OpCode::Codeplug << R << 0x06 << kIdentify << 1;
    QTest::newRow("older radio, block acknowledge unanswered")
        << OpCode::Codeplug << R << 0x06 << kAck << 3;
    QTest::newRow("older radio, write unanswered")
        << OpCode::Codeplug << W << 0x06 << wrHeader(0x0100) << 1;
}

void TestTransferEngine::silenceEndsAfterFiveSeconds()
{
    QFETCH(OpCode, op);
    QFETCH(ReadMode, mode);
    QFETCH(int, connect);
    QFETCH(QByteArray, trigger);
    QFETCH(int, occurrence);

    Sim sim;
    Radio &radio = sim.radio();
    radio.connectReply = std::uint8_t(connect);
    fillStandard(radio);
    tamperWith(radio, trigger, occurrence, Reply{}, true);
    sim.make(op, mode);
    sim.start();
    VERIFY_ENDING(sim);

    QCOMPARE(outcomeName(sim.outcome), "CommunicationFalse");
    // The request leaves right when the previous reply is accepted, so the
    // five seconds count from its first sending.
    const qint64 first = sentAt(sim, trigger, occurrence);
    QVERIFY(first >= 0);
    const auto sends = sim.sends();
    const int i = frameIndex(sim, trigger, occurrence);
    QList<qint64> again;
    for (std::size_t k = std::size_t(i); k < sends.size(); ++k) {
        QCOMPARE(hex(sends[k].bytes), hex(sends[std::size_t(i)].bytes));
        again << sends[k].at - first;
    }
    QCOMPARE(again, (QList<qint64>{0, 1000, 2000, 3000, 4000}));
    QCOMPARE(sim.finishedAt, first + 5000);
    QCOMPARE(sim.indexOf(Sim::Kind::Send, kEnd), -1);
}

void TestTransferEngine::repliesInPieces_data()
{
    QTest::addColumn<OpCode>("op");
    QTest::addColumn<int>("connect");
    QTest::addColumn<QByteArray>("trigger");
    QTest::addColumn<QList<int>>("sizes");
    QTest::addColumn<QList<int>>("delays");
    QTest::addColumn<bool>("readyRead");

    using L = QList<int>;
    const auto C = OpCode::Codeplug;
    QTest::newRow("read reply 3 + 17")
        << C << int('S') << rd(0x4050) << L{3, 17} << L{20, 60} << true;
    QTest::newRow("read reply 3 + 17, polling only")
        << C << int('S') << rd(0x4050) << L{3, 17} << L{20, 60} << false;
    QTest::newRow("read reply 1 + 1 + 18")
        << C << int('S') << rd(0x4160) << L{1, 1, 18} << L{5, 300, 900} << true;
    QTest::newRow("read reply 19 + 1, polling only")
        << C << int('S') << rd(0x4000) << L{19, 1} << L{20, 900} << false;
    QTest::newRow("password reply 5 + 15")
        << C << int('S') << rd(0x41D0) << L{5, 15} << L{20, 400} << true;
    QTest::newRow("second password reply 4 + 16, polling only")
        << C << int('Y') << rd(0x41E0) << L{4, 16} << L{15, 35} << false;
    QTest::newRow("identification 3 + 5") << C << 0x06 << kIdentify << L{3, 5} << L{20, 70} << true;
    QTest::newRow("older radio block 10 + 10, polling only")
        << C << 0x06 << rd(0x01F0) << L{10, 10} << L{20, 500} << false;
    QTest::newRow("status reply 2 + 4")
        << OpCode::Status << int('S') << kStatus << L{2, 4} << L{20, 120} << true;
    QTest::newRow("calibration reply 10 + 10")
        << OpCode::Calibration << int('S') << rd(0x4200) << L{10, 10} << L{20, 40} << true;
}

void TestTransferEngine::repliesInPieces()
{
    QFETCH(OpCode, op);
    QFETCH(int, connect);
    QFETCH(QByteArray, trigger);
    QFETCH(QList<int>, sizes);
    QFETCH(QList<int>, delays);
    QFETCH(bool, readyRead);

    Sim sim;
    sim.readyRead = readyRead;
    Radio &radio = sim.radio();
    radio.connectReply = std::uint8_t(connect);
    fillStandard(radio);
    auto done = std::make_shared<bool>(false);
    radio.tamper = [=](int, const QByteArray &frame, Reply &reply) {
        if (*done || frame != trigger || reply.empty())
            return;
        *done = true;
        const QByteArray whole = reply.front().bytes;
        reply.clear();
        int at = 0;
        for (int k = 0; k < sizes.size(); ++k) {
            reply.push_back({delays[k], whole.mid(at, sizes[k])});
            at += sizes[k];
        }
        QCOMPARE(at, int(whole.size()));
    };
    sim.make(op, ReadMode::Read);
    sim.start();
    VERIFY_ENDING(sim);

    QCOMPARE(outcomeName(sim.outcome), "Success");
    COMPARE_FRAMES(sim.frames(), standardFrames(op, ReadMode::Read, connect));
    // Accepted when the last piece is there, not before and not by a resend.
    const int i = frameIndex(sim, trigger);
    const qint64 complete = sentAt(sim, trigger) + delays.last();
    const auto sends = sim.sends();
    const qint64 next = i + 1 < int(sends.size()) ? sends[std::size_t(i + 1)].at : sim.finishedAt;
    if (readyRead)
        QCOMPARE(next, complete);
    else
        QVERIFY2(
            next >= complete && next <= complete + 10,
            qPrintable(QStringLiteral("accepted at %1, complete at %2").arg(next).arg(complete)));
}

void TestTransferEngine::replyLengthByte_data()
{
    QTest::addColumn<OpCode>("op");
    QTest::addColumn<int>("address");
    QTest::addColumn<int>("lengthByte");
    QTest::addColumn<int>("offset"); // where the image takes the block
    QTest::addColumn<int>("stored"); // data bytes that land there
    QTest::addColumn<QByteArray>("next");

    const auto C = OpCode::Codeplug;
    QTest::newRow("length 8 stores 8") << C << 0x4020 << 8 << 0x020 << 8 << rd(0x4030);
    QTest::newRow("length 0 stores nothing") << C << 0x4020 << 0 << 0x020 << 0 << rd(0x4030);
    QTest::newRow("length 15 on the last block") << C << 0x4160 << 15 << 0x160 << 15 << kEnd;
    QTest::newRow("length 0x20 stores only what came")
        << C << 0x4160 << 0x20 << 0x160 << 16 << kEnd;
    QTest::newRow("length 0xFF stores only what came")
        << C << 0x4160 << 0xFF << 0x160 << 16 << kEnd;
    QTest::newRow("password area, length 8")
        << OpCode::SerialNumber << 0x41E0 << 8 << 0x010 << 8 << QByteArray();
    QTest::newRow("password area, length 0xFF")
        << OpCode::SerialNumber << 0x41E0 << 0xFF << 0x010 << 16 << QByteArray();
}

void TestTransferEngine::replyLengthByte()
{
    QFETCH(OpCode, op);
    QFETCH(int, address);
    QFETCH(int, lengthByte);
    QFETCH(int, offset);
    QFETCH(int, stored);
    QFETCH(QByteArray, next);

    Sim sim;
    Radio &radio = sim.radio();
    fillStandard(radio);
    QByteArray data;
    for (int k = 0; k < 16; ++k)
        data.append(char(0xC0 + k));
    tamperWith(radio, rd(address), 1, {{20, readReply(address, lengthByte, data)}});
    sim.state.image.raw.fill(0xA5);
    sim.make(op, ReadMode::Read);
    sim.start();
    VERIFY_ENDING(sim);

    // Stored bytes, the rest of the block untouched, nothing beyond it.
    QCOMPARE(hex(imageBytes(sim, offset, stored)), hex(data.left(stored)));
    QCOMPARE(hex(imageBytes(sim, offset + stored, 16 - stored)),
             hex(QByteArray(16 - stored, char(0xA5))));
    if (next != rd(address + 16)) // otherwise the next block lands there
        QCOMPARE(hex(imageBytes(sim, offset + 16, 0x100)), hex(QByteArray(0x100, char(0xA5))));
    const int i = frameIndex(sim, rd(address));
    const auto sends = sim.sends();
    if (next.isEmpty()) {
        QCOMPARE(i, int(sends.size()) - 1);
    } else {
        QVERIFY(i + 1 < int(sends.size()));
        QCOMPARE(hex(sends[std::size_t(i + 1)].bytes), hex(next));
        QCOMPARE(outcomeName(sim.outcome), "Success");
    }
}

void TestTransferEngine::longRepliesBeforeTheBlocks_data()
{
    QTest::addColumn<OpCode>("op");
    QTest::addColumn<int>("connect");
    QTest::addColumn<QByteArray>("trigger");
    QTest::addColumn<int>("occurrence");
    QTest::addColumn<QByteArray>("extra");

    // The handshake stages want "at least" their bytes; only the blocks and
    // their acknowledges want exactly as many.
    const auto C = OpCode::Codeplug;
    QTest::newRow("connect reply S + 1 byte") << C << int('S') << kProgram << 1 << bytesOf({0x00});
    QTest::newRow("connect reply Y + 2 bytes")
        << C << int('Y') << kProgram << 1 << bytesOf({0x59, 0x59});
    QTest::newRow("first password reply + 1 byte")
        << C << int('S') << rd(0x41D0) << 1 << bytesOf({0x06});
    QTest::newRow("second password reply + 4 bytes")
        << C << int('S') << rd(0x41E0) << 1 << bytesOf({1, 2, 3, 4});
    QTest::newRow("identification + 1 byte") << C << 0x06 << kIdentify << 1 << bytesOf({0x00});
    QTest::newRow("confirm reply 06 06") << C << 0x06 << kAck << 1 << bytesOf({0x06});
    QTest::newRow("status reply + 5 bytes")
        << OpCode::Status << int('S') << kStatus << 1 << bytesOf({0, 0, 0, 0, 0});
}

void TestTransferEngine::longRepliesBeforeTheBlocks()
{
    QFETCH(OpCode, op);
    QFETCH(int, connect);
    QFETCH(QByteArray, trigger);
    QFETCH(int, occurrence);
    QFETCH(QByteArray, extra);

    Sim sim;
    Radio &radio = sim.radio();
    radio.connectReply = std::uint8_t(connect);
    fillStandard(radio);
    auto seen = std::make_shared<int>(0);
    radio.tamper = [=](int, const QByteArray &frame, Reply &reply) {
        if (frame.startsWith(trigger) && ++*seen == occurrence && !reply.empty())
            reply.front().bytes += extra;
    };
    sim.make(op, ReadMode::Read);
    sim.start();
    VERIFY_ENDING(sim);

    QCOMPARE(outcomeName(sim.outcome), "Success");
    COMPARE_FRAMES(sim.frames(), standardFrames(op, ReadMode::Read, connect));
    const int i = frameIndex(sim, trigger, occurrence);
    const auto sends = sim.sends();
    const qint64 next = i + 1 < int(sends.size()) ? sends[std::size_t(i + 1)].at : sim.finishedAt;
    QCOMPARE(next, sends[std::size_t(i)].at + 20);
}

void TestTransferEngine::staleBytesBeforeConnectAreDiscarded_data()
{
    QTest::addColumn<OpCode>("op");
    QTest::addColumn<bool>("autoSearch");
    QTest::addColumn<QString>("radios"); // ports 1 and 3, as in closeMidTransfer
    QTest::addColumn<int>("port");       // where the noise arrives
    QTest::addColumn<QList<qint64>>("noiseAt");
    QTest::addColumn<int>("foundOn");

    using L = QList<qint64>;
    const auto C = OpCode::Codeplug, Y = OpCode::Status;
    QTest::newRow("during the pause after Start") << C << false << "1=S" << 1 << L{100, 499} << 1;
    QTest::newRow("during the pause after Start, search")
        << C << true << "1=S" << 1 << L{100, 549} << 1;
    QTest::newRow("during the search's pause on the next port")
        << C << true << "1=-,3=S" << 3 << L{2560, 2599} << 3;
    QTest::newRow("during the pause after an invalid reply")
        << C << true << "1=X,3=S" << 3 << L{580, 619} << 3;
    QTest::newRow("status, during the pause after Start")
        << Y << false << "1=S" << 1 << L{100, 499} << 1;
    QTest::newRow("status, during the search's pause")
        << Y << true << "1=-,3=S" << 3 << L{2560, 2599} << 3;
}

void TestTransferEngine::staleBytesBeforeConnectAreDiscarded()
{
    // Noise on the line before a connect request (a radio still chattering
    // from an earlier session) must not count as its reply.
    QFETCH(OpCode, op);
    QFETCH(bool, autoSearch);
    QFETCH(QString, radios);
    QFETCH(int, port);
    QFETCH(QList<qint64>, noiseAt);
    QFETCH(int, foundOn);

    Sim sim;
    sim.ports = {1, 3};
    for (const QString &entry : radios.split(QLatin1Char(','))) {
        const int p = entry.section(QLatin1Char('='), 0, 0).toInt();
        const char a = entry.section(QLatin1Char('='), 1).toLatin1().at(0);
        Radio &r = sim.radio(p);
        fillStandard(r);
        r.connectReply = std::uint8_t(a == 'X' ? 'X' : 'S');
        r.answers = a != '-';
    }
    sim.make(op, ReadMode::Read, PortSettings{1, autoSearch});
    for (qint64 t : noiseAt)
        sim.at(t, [&sim, port] { sim.inject(port, bytesOf({0x58, 0x06, 0x57})); });
    sim.start();
    VERIFY_ENDING(sim);
    QCOMPARE(outcomeName(sim.outcome), "Success");
    std::vector<QByteArray> fromConnect = sim.radio(foundOn).frames;
    if (op == OpCode::Status)
        fromConnect.erase(fromConnect.begin(), fromConnect.end() - 1); // the one answered
    COMPARE_FRAMES(fromConnect, standardFrames(op, ReadMode::Read, 'S'));
    if (op == OpCode::Status)
        QCOMPARE(hex(imageBytes(sim, 0, 6)), hex(bytesOf({0x7B, 0x40, 0x22, 0xA4, 0x00, 0x80})));
}
