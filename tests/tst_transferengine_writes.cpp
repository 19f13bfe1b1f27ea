// The transfer engine suite: what the writes send to the radio (the built image,
// the channels recomputed after a calibration write, the password block).
#include "tst_transferengine.h"

#include "codeplug/passwordblock.h"

using namespace enginesim;
using namespace enginetest;
using t880::ChannelRecord;
using t880::Setting;
using t880::TextField;
using t880::Tone;

// --- data to the radio ---------------------------------------------------------------

void TestTransferEngine::writeSendsBuiltImage_data()
{
    QTest::addColumn<int>("connect");
    QTest::addColumn<bool>("highPower");
    QTest::addColumn<QByteArray>("record");

    // 438.5 MHz both ways, CTCSS 88.5 Hz to receive, wide; power, tuning and
    // squelch offset from the radio's points at 400 and 440 MHz (438 MHz is
    // 38/40 of the way) and its squelch entry 3 (430..440 MHz).
    QTest::newRow("S radio, high power")
        << int('S') << true
        << bytesOf({0x6B, 0x0E, 0x40, 0x6B, 0x0E, 0x40, 0x03, 0x75, 0x22, 0x92, 0, 0, 0, 0, 0x01,
                    0x30, 78, 29, 0xF3});
    QTest::newRow("Y radio, low power")
        << int('Y') << false
        << bytesOf({0x35, 0x87, 0x20, 0x35, 0x87, 0x20, 0x03, 0x75, 0x16, 0xA7, 0, 0, 0, 0, 0x01,
                    0x10, 48, 29, 0xF3});
}

void TestTransferEngine::writeSendsBuiltImage()
{
    QFETCH(int, connect);
    QFETCH(bool, highPower);
    QFETCH(QByteArray, record);

    Sim sim;
    Radio &radio = sim.radio();
    radio.connectReply = std::uint8_t(connect);
    fillStandard(radio);
    radio.put(0x41F0, handCalibrationPoints());
    radio.put(0x424F, handSquelchOffsets());
    const QByteArray calibrationArea = radio.peek(0x41F0, 128);
    const QByteArray passwordArea = radio.peek(0x41D0, 32);

    ChannelRecord ch;
    ch.setRxFreq(438500000);
    ch.setTxFreq(438500000);
    ch.setRxTone(Tone{1, 885});
    ch.setTxTone(Tone{0, 0});
    ch.setWide(true);
    ch.setHighPower(highPower);
    ch.setScanAdd(true);
    sim.state.codeplug.setChannel(1, ch);
    sim.state.codeplug.setChannelUsed(1, true);

    sim.make(OpCode::Codeplug, ReadMode::Write);
    sim.start();
    VERIFY_ENDING(sim);
    QCOMPARE(outcomeName(sim.outcome), "Success");

    QCOMPARE(hex(radio.peek(0x4000, 19)), hex(record));
    QCOMPARE(hex(radio.peek(0x4013, 0x150 - 19)), hex(QByteArray(0x150 - 19, '\0')));
    QCOMPARE(hex(radio.peek(0x4150, 6)), hex(bytesOf({0x07, 0xE8, 0x03, 0x0F, 0x0A, 0x2A})));
    QCOMPARE(hex(radio.peek(0x415F, 2)), hex(bytesOf({0x00, 0x01})));
    QCOMPARE(hex(radio.peek(0x41F0, 128)), hex(calibrationArea));
    QCOMPARE(hex(radio.peek(0x41D0, 32)), hex(passwordArea));
}

void TestTransferEngine::calibrationWriteRecomputesChannels_data()
{
    QTest::addColumn<int>("connect");
    QTest::addColumn<QByteArray>("words");

    QTest::newRow("S radio") << int('S') << bytesOf({0x6B, 0x0E, 0x40, 0x6B, 0x0E, 0x40});
    QTest::newRow("Y radio") << int('Y') << bytesOf({0x35, 0x87, 0x20, 0x35, 0x87, 0x20});
}

void TestTransferEngine::calibrationWriteRecomputesChannels()
{
    QFETCH(int, connect);
    QFETCH(QByteArray, words);

    Sim sim;
    Radio &radio = sim.radio();
    radio.connectReply = std::uint8_t(connect);
    fillStandard(radio);
    // Channel 1 in use, high power, with stale calibration bytes; channel 2
    // not in use, its bytes must stay.
    radio.put(0x4000, words + bytesOf({0, 0, 0, 0, 0, 0, 0, 0, 0x00, 0x20, 0x11, 0x22, 0x33}));
    radio.put(0x4013, QByteArray(16, '\0') + bytesOf({0x44, 0x55, 0x66}));

    auto &rec = sim.state.calibration;
    const int mhz[5] = {400, 440, 460, 480, 500};
    const int high[5] = {40, 80, 90, 100, 110};
    const int low[5] = {20, 50, 60, 70, 80};
    const int tune[5] = {10, 30, 40, 50, 60};
    for (int i = 0; i < 5; ++i) {
        rec.setU16(7 * i, std::uint16_t(mhz[i]));
        rec.raw[std::size_t(0x02 + 7 * i)] = std::uint8_t(high[i]);
        rec.raw[std::size_t(0x04 + 7 * i)] = std::uint8_t(low[i]);
        rec.raw[std::size_t(0x05 + 7 * i)] = std::uint8_t(tune[i]);
    }
    for (int k = 0; k < 9; ++k)
        rec.raw[std::size_t(0x64 + k)] = std::uint8_t(0xF0 + k);

    QByteArray block = defaultCalibrationBlock(connect == 'Y');
    block.replace(0, 25, handCalibrationPoints());
    block.replace(0x5F, 9, handSquelchOffsets());

    sim.make(OpCode::Calibration, ReadMode::Write);
    sim.start();
    VERIFY_ENDING(sim);
    QCOMPARE(outcomeName(sim.outcome), "Success");

    QCOMPARE(hex(radio.peek(0x41F0, 128)), hex(block));
    QCOMPARE(hex(radio.peek(0x4000, 19)),
             hex(words + bytesOf({0, 0, 0, 0, 0, 0, 0, 0, 0x00, 0x20, 78, 29, 0xF3})));
    QCOMPARE(hex(radio.peek(0x4013, 19)), hex(QByteArray(16, '\0') + bytesOf({0x44, 0x55, 0x66})));
    QCOMPARE(hex(radio.peek(0x4026, 0x150 - 0x26)), hex(standardBytes(0x4026, 0x150 - 0x26)));
    QCOMPARE(hex(radio.peek(0x4150, 0x20)), hex(standardBytes(0x4150, 0x20)));
}

void TestTransferEngine::passwordBlockWritten_data()
{
    QTest::addColumn<OpCode>("op");
    QTest::addColumn<QByteArray>("password");

    QTest::newRow("password write") << OpCode::Password << QByteArray("4321");
    QTest::newRow("password write, empty") << OpCode::Password << QByteArray();
    QTest::newRow("password write, 12 characters")
        << OpCode::Password << QByteArray("abcdefghijkl");
    QTest::newRow("codeplug write with new password") << OpCode::Codeplug << QByteArray("4321");
    QTest::newRow("codeplug write, new password empty") << OpCode::Codeplug << QByteArray();
}

void TestTransferEngine::passwordBlockWritten()
{
    QFETCH(OpCode, op);
    QFETCH(QByteArray, password);

    Sim sim;
    Radio &radio = sim.radio();
    fillStandard(radio);
    // The radio has a password; the current one is right, the new one differs.
    const auto key = [] {
        return std::uint8_t(0x5C);
    };
    const t880::PasswordBlock old = t880::encodePasswordBlock("77", key);
    radio.put(0x41D0, QByteArray(reinterpret_cast<const char *>(old.data()), 16));
    sim.state.codeplug.setText(TextField::radioPassword, "77");
    sim.state.codeplug.setText(TextField::newRadioPassword, password);
    sim.state.codeplug.setSetting(Setting::writeNewPassword, 1);
    sim.make(op, ReadMode::Write);
    sim.start();
    VERIFY_ENDING(sim);
    QCOMPARE(outcomeName(sim.outcome), "Success");

    const int i = frameIndex(sim, wrHeader(0x41D0));
    QVERIFY(i >= 0);
    QCOMPARE(frameIndex(sim, wrHeader(0x41D0), 2), -1);
    const QByteArray frame = sim.sends()[std::size_t(i)].bytes;
    QCOMPARE(frame.size(), 20);
    const QByteArray block = frame.mid(4);
    QCOMPARE(int(std::uint8_t(block[0])), int(password.size()));
    unsigned sum = 0;
    for (int k = 0; k < 15; ++k)
        sum += std::uint8_t(block[k]);
    QCOMPARE(int(std::uint8_t(block[15])), int(sum & 0xFF));
    const auto *b = reinterpret_cast<const std::uint8_t *>(block.constData());
    QVERIFY(t880::checkPasswordBlock(b, password));
    if (!password.isEmpty()) {
        QByteArray other = password;
        other[0] = char(other[0] ^ 0x01);
        QVERIFY(!t880::checkPasswordBlock(b, other));
    }
    QCOMPARE(hex(radio.peek(0x41D0, 16)), hex(block));
    // The block is the last thing before the end byte.
    QCOMPARE(hex(sim.frames().back()), hex(kEnd));
    QCOMPARE(i, int(sim.frames().size()) - 2);
}
