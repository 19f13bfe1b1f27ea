// The radio image suite: the current layout read back into the model, and the
// bytes that depend on the calibration.
#include "tst_radioimage.h"

using namespace t880;
using namespace imagetest;
using namespace t880::testing;
using namespace radioimagetest;

// --- Current layout, image to model ------------------------------------------

void TestRadioImage::setDataToSoftware_data()
{
    QTest::addColumn<bool>("y");
    QTest::addColumn<QString>("records");

    // Words of 438.5 / 455 / 409.5 / 438.50625 / 490 MHz and 88.5 / 254.1 Hz
    // for the radio; bytes 14 carry spur flags that are not read back; the
    // calibration bytes 16..18 are junk that is not read back either.
    QTest::newRow("S") << false
                       << QStringLiteral(
                              "0x000: 6B 0E 40 6B 0E 40 03 75 22 92 00 64 0E 37 09 38 8A 58 0A;"
                              "0x013: 6F 15 80 63 F9 C0 00 1B F1 C8 00 00 00 00 63 10 11 22 33;"
                              "0x098: 6B 0E A4 6B 0E A4 09 ED 63 42 09 ED 63 42 05 20 44 55 66;"
                              "0x11D: 77 A1 00 00 00 00 00 00 00 00 00 00 00 00 F0 C3 77 88 99");
    QTest::newRow("Y") << true
                       << QStringLiteral(
                              "0x000: 35 87 20 35 87 20 03 75 16 A7 00 64 0E 37 09 38 8A 58 0A;"
                              "0x013: 37 8A C0 31 FC E0 00 1B F1 C8 00 00 00 00 93 10 11 22 33;"
                              "0x098: 35 87 52 35 87 52 09 ED 41 0C 09 ED 41 0C 05 20 44 55 66;"
                              "0x11D: 3B D0 80 00 00 00 00 00 00 00 00 00 00 00 F0 C3 77 88 99");
}

void TestRadioImage::setDataToSoftware()
{
    QFETCH(bool, y);
    QFETCH(QString, records);

    // The model the read lands on: names, squelch modes, DTMF flags, spare
    // bytes, unused option bits and a reserved byte that the image does not
    // carry; channel 5 in use in the model but not in the image; junk in the
    // unused bytes of the channel mask; settings the image does not carry.
    QByteArray base = newBlock();
    putChannel(base, 1, {145000000, 145000000, 0, 0, 0, 0, 0xE3, 0x4F, 0x5A, 0xC3, "ALPHA"});
    base[cp::slot(1) + 4] = char(0x77);
    putChannel(base, 2, {430000000, 430000000, 1, 670, 1, 670, 0x01, 0xF8, 0, 0, "BRAVO"});
    putChannel(base, 5, {430000000, 430000000, 1, 670, 1, 670, 0x02, 0x30, 0x11, 0x22, "ECHO"});
    for (int n : {1, 2, 5})
        setUsed(base, n);
    base[cp::channelUsedMask + 3] = char(0x5A);
    base[cp::channelUsedMask + 15] = char(0x01);
    applyPatch(base, QStringLiteral("0xAC0: 04; 0xAF0: 23 01; 0x053: 70 77 00"));

    QByteArray img(ImageSize, '\0');
    applyPatch(img, records);
    // Channel 3: byte 0 is 0x00; channel 5: byte 0 is 0xFF; both not in use.
    applyPatch(img, QStringLiteral("0x026: 00 12 34 56 78 9A; 0x04C: FF 0E 40 6B 0E 40 03 75"));
    applyPatch(img,
               QStringLiteral("0x150: 07 EA 0C 08 0E 1E;"
                              // tot 600, toa 10, beep 0, saving 0, rate 1001/200, sql 9, voice 2,
                              // mask 1 5 9 16, junk at 0x161, VOX gain 7, delay 3000, junk, junk.
                              "0x156: 02 58 0A 00 00 03 E9 09 02 81 11 EE 07 0B B8 EE EE 19 02"));

    QByteArray expected = base;
    // 1: both frequencies, 88.5 Hz / D023N, busy lock 2 into option A (squelch
    // mode 3 and bits 5-7 kept), high power, wide, scan into option B.
    putChannel(expected, 1,
               {438500000, 438500000, 1, 885, 2, 0x2813, 0xF3, 0xFF, 0x5A, 0xC3, "ALPHA"});
    // 2: D023I / no tone (value 0), busy lock 0, wide, low power, not scanned.
    putChannel(expected, 2, {455000000, 409500000, 3, 0x2813, 0, 0, 0x01, 0x58, 0, 0, "BRAVO"});
    putChannel(expected, 9, {438506250, 438506250, 1, 2541, 1, 2541, 0x00, 0xA0, 0, 0, ""});
    // 16: byte 15 is C3: bits 0-1 and 6-7 are not read.
    putChannel(expected, 16, {490000000, 0, 0, 0, 0, 0, 0x00, 0x80, 0, 0, ""});
    applyPatch(expected, QStringLiteral("0xB5F: 06 02 01 00 00 00 00 00 00 00 00 00 00 00 00 00"));
    applyPatch(expected, QStringLiteral("0xAD2: 58 02; 0xAD5: 0A; 0xADF: 00; 0xAE1: 00;"
                                        "0xAE2: 05; 0xABF: 09; 0xAB6: 02; 0xACF: 07;"
                                        "0xAD0: B8 0B; 0xB51: 19; 0xB53: 02"));

    ProgramDate date;
    const QByteArray back = decode(img, y, base, &date);
    QCOMPARE(describeDiff(back, expected), QString());
    QVERIFY(date == kDate);
}

void TestRadioImage::settingsReadBack_data()
{
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<QString>("expected");

    QTest::newRow("New values")
        << hex("00 B4 05 01 01 02 58 05 01 00 00 00 06 07 D0 00 0A 18 03")
        << QStringLiteral("0xAD2: B4 00; 0xAD5: 05; 0xADF: 01; 0xAE1: 01; 0xAE2: 03;"
                          "0xABF: 05; 0xAB6: 01; 0xACF: 06; 0xAD0: D0 07; 0xB51: 18; 0xB53: 03");
    // The rate is read as the word div 200: 0x0257 = 599 -> 2.
    QTest::newRow("rate truncated, VOX gain from 0x162")
        << hex("00 0F 01 00 01 02 57 00 00 00 00 00 09 01 F4 00 0A 02 19")
        << QStringLiteral("0xAD2: 0F 00; 0xAD5: 01; 0xADF: 00; 0xAE1: 01; 0xAE2: 02;"
                          "0xABF: 00; 0xAB6: 00; 0xACF: 09; 0xAD0: F4 01; 0xB51: 02; 0xB53: 19");
}

void TestRadioImage::settingsReadBack()
{
    QFETCH(QByteArray, settings);
    QFETCH(QString, expected);

    // Start from a block whose settings all differ from what is read.
    const QByteArray base =
        patched(newBlock(), QStringLiteral("0xAD2: 11 11; 0xAD5: 11; 0xADF: 11; 0xAE1: 11;"
                                           "0xAE2: 11; 0xABF: 11; 0xAB6: 11; 0xACF: 11;"
                                           "0xAD0: 11 11; 0xB51: 11; 0xB53: 11"));
    QByteArray img(ImageSize, '\0');
    put(img, 0x156, settings);
    QCOMPARE(describeDiff(decode(img, false, base), patched(base, expected)), QString());
}

void TestRadioImage::roundTripCurrent_data()
{
    QTest::addColumn<bool>("y");
    QTest::addColumn<bool>("calibrated");
    QTest::newRow("S, calibrated") << false << true;
    QTest::newRow("Y, calibrated") << true << true;
    QTest::newRow("S, no calibration") << false << false;
    QTest::newRow("Y, no calibration") << true << false;
}

void TestRadioImage::roundTripCurrent()
{
    QFETCH(bool, y);
    QFETCH(bool, calibrated);

    const CalibrationTables tables = calibrated ? threePointTables() : CalibrationTables{};
    const QByteArray block = fixtureBlock();
    const QByteArray img = encode(block, y, tables);

    // Read back onto the same codeplug: only the VOX gain (written as 0) and
    // the removed tone of channel 2 (read as value 0) differ.
    ProgramDate date;
    const QByteArray back = decode(img, y, block, &date);
    QCOMPARE(describeDiff(back, patched(block, QStringLiteral("0xACF: 00; 0x60D: 00 00"))),
             QString());
    QVERIFY(date == kDate);

    // Writing what was read gives the same image.
    QCOMPARE(describeDiff(encode(back, y, tables), img), QString());
}

// --- Calibration-dependent bytes ---------------------------------------------

void TestRadioImage::reAnalyseChInfor_data()
{
    QTest::addColumn<bool>("y");
    QTest::addColumn<QString>("records");

    // Used: 1 (438.5 both, high), 2 (rx 455 tx 409.5, byte 15 DF: bit 5
    // clear, low), 7 (rx 490, no tx), 16 (400 MHz both, byte 15 FF: high).
    QTest::newRow("S") << false
                       << QStringLiteral("0x000: 6B 0E 40 6B 0E 40; 0x00F: 20;"
                                         "0x013: 6F 15 80 63 F9 C0; 0x022: DF;"
                                         "0x072: 77 A1 00 00 00 00; 0x081: 00;"
                                         "0x11D: 61 A8 00 61 A8 00; 0x12C: FF");
    QTest::newRow("Y") << true
                       << QStringLiteral("0x000: 35 87 20 35 87 20; 0x00F: 20;"
                                         "0x013: 37 8A C0 31 FC E0; 0x022: DF;"
                                         "0x072: 3B D0 80 00 00 00; 0x081: 00;"
                                         "0x11D: 30 D4 00 30 D4 00; 0x12C: FF");
}

void TestRadioImage::reAnalyseChInfor()
{
    QFETCH(bool, y);
    QFETCH(QString, records);

    // Every byte distinct from its neighbours; the other records are not in
    // use (byte 0 alternately 0x00 and 0xFF).
    QByteArray img(ImageSize, '\0');
    for (int i = 0; i < ImageSize; ++i)
        img[i] = char((7 * i + 3) & 0xFF);
    for (int n = 1; n <= 16; ++n)
        img[(n - 1) * 19] = char(n % 2 ? 0x00 : 0xFF);
    applyPatch(img, records);

    ProgramState s;
    s.radioVariant = y;
    s.calibrationTables = threePointTables();
    setImage(s, img);
    ReAnalyseChInfor(s);

    const QByteArray expected = patched(
        img, QStringLiteral("0x010: 8A 58 0A; 0x023: 1D 52 0E; 0x082: 14 46 14; 0x12D: 64 32 F6"));
    QCOMPARE(describeDiff(imageBytes(s), expected), QString());
}

void TestRadioImage::interpolateCalibration_data()
{
    QTest::addColumn<QString>("points"); // "MHz:high:low:tune", five of them
    QTest::addColumn<quint32>("hz");
    QTest::addColumn<int>("column"); // 0 high, 1 low, 2 tune
    QTest::addColumn<int>("expected");

    const QString p2 = QStringLiteral("400:40:10:200 417:57:27:217 0:0:0:0 0:0:0:0 0:0:0:0");
    // m = 405, i = 1, d = 5: 40 + 5*17/17 = 45.
    QTest::newRow("405.5 MHz between 400 and 417, high") << p2 << 405500000u << 0 << 45;
    QTest::newRow("405.5 MHz between 400 and 417, low") << p2 << 405500000u << 1 << 15;
    QTest::newRow("405.5 MHz between 400 and 417, tune") << p2 << 405500000u << 2 << 205;
    QTest::newRow("only whole MHz count") << p2 << 405999999u << 0 << 45;
    QTest::newRow("416.999999 MHz") << p2 << 416999999u << 0 << 56;
    QTest::newRow("below the first point") << p2 << 300000000u << 0 << 40;
    QTest::newRow("0 Hz") << p2 << 0u << 2 << 200;
    QTest::newRow("equal to the first point") << p2 << 400000000u << 1 << 10;
    QTest::newRow("equal to the second point") << p2 << 417000000u << 0 << 57;
    QTest::newRow("417.999999 MHz counts as 417") << p2 << 417999999u << 2 << 217;
    QTest::newRow("above the last point in use clamps") << p2 << 450000000u << 0 << 57;

    const QString falling = QStringLiteral("400:80:0:0 420:40:0:0 0:0:0:0 0:0:0:0 0:0:0:0");
    // base 40, span 40, d = 420 - 405 = 15: 40 + 15*40/20 = 70.
    QTest::newRow("falling values") << falling << 405000000u << 0 << 70;
    QTest::newRow("falling values near the upper point") << falling << 419000000u << 0 << 42;
    QTest::newRow("falling values above the last point clamp") << falling << 450000000u << 0 << 40;
    // 10 + 1*10/3 = 13 rising; 10 + 2*10/3 = 16 falling.
    QTest::newRow("rising, truncated")
        << QStringLiteral("400:10:0:0 403:20:0:0 0:0:0:0 0:0:0:0 0:0:0:0") << 401000000u << 0 << 13;
    QTest::newRow("falling, truncated")
        << QStringLiteral("400:20:0:0 403:10:0:0 0:0:0:0 0:0:0:0 0:0:0:0") << 401000000u << 0 << 16;

    const QString five = QStringLiteral("400:10:0:0 420:30:0:0 440:70:0:0 460:50:0:0 480:50:0:0");
    QTest::newRow("five points, between the second and third") << five << 430000000u << 0 << 50;
    QTest::newRow("five points, falling segment") << five << 450000000u << 0 << 60;
    QTest::newRow("five points, flat segment") << five << 470000000u << 0 << 50;
    QTest::newRow("five points, on the last") << five << 480000000u << 0 << 50;
    QTest::newRow("five rising points, above the last clamps")
        << QStringLiteral("400:10:0:0 410:20:0:0 420:30:0:0 430:40:0:0 440:50:0:0") << 470000000u
        << 0 << 50;

    // Points with frequency 0 are not in use, wherever they are.
    const QString gaps = QStringLiteral("0:99:99:99 400:40:0:0 0:200:0:0 440:80:0:0 0:0:0:0");
    QTest::newRow("unused points ignored, between") << gaps << 420000000u << 0 << 60;
    QTest::newRow("unused points ignored, below") << gaps << 390000000u << 0 << 40;
    QTest::newRow("unused points ignored, on the last") << gaps << 440000000u << 0 << 80;
    QTest::newRow("unused points ignored, above") << gaps << 460000000u << 0 << 80;
}

void TestRadioImage::interpolateCalibration()
{
    QFETCH(QString, points);
    QFETCH(quint32, hz);
    QFETCH(int, column);
    QFETCH(int, expected);

    CalibrationTables t;
    const QStringList list = points.split(u' ');
    QCOMPARE(list.size(), 5);
    for (int i = 0; i < 5; ++i) {
        const QStringList f = list[i].split(u':');
        t.points[std::size_t(i)] = {quint16(f[0].toUInt()), quint8(f[1].toUInt()),
                                    quint8(f[2].toUInt()), quint8(f[3].toUInt())};
    }
    const CalibrationColumn c = column == 0   ? CalibrationColumn::HighPower
                                : column == 1 ? CalibrationColumn::LowPower
                                              : CalibrationColumn::Tuning;
    QCOMPARE(int(t880::interpolateCalibration(hz, c, t)), expected);
}

void TestRadioImage::lookupSquelchOffset_data()
{
    QTest::addColumn<quint32>("hz");
    QTest::addColumn<int>("slot");

    QTest::newRow("0 Hz") << 0u << 0;
    QTest::newRow("400 MHz") << 400000000u << 0;
    QTest::newRow("410 MHz") << 410000000u << 0;
    QTest::newRow("410 MHz + 1 Hz") << 410000001u << 1;
    QTest::newRow("420 MHz") << 420000000u << 1;
    QTest::newRow("420 MHz + 1 Hz") << 420000001u << 2;
    QTest::newRow("455 MHz") << 455000000u << 5;
    QTest::newRow("470 MHz") << 470000000u << 6;
    QTest::newRow("480 MHz") << 480000000u << 7;
    QTest::newRow("480 MHz + 1 Hz") << 480000001u << 8;
    QTest::newRow("490 MHz") << 490000000u << 8;
    QTest::newRow("500 MHz") << 500000000u << 8;
    QTest::newRow("4 GHz") << 4000000000u << 8;
}

void TestRadioImage::lookupSquelchOffset()
{
    QFETCH(quint32, hz);
    QFETCH(int, slot);

    CalibrationTables t;
    for (int k = 0; k < 9; ++k)
        t.squelchOffsets[std::size_t(k)] = std::int8_t(10 * k - 40); // -40 .. 40
    QCOMPARE(int(t880::lookupSquelchOffset(hz, t)), 10 * slot - 40);
}
