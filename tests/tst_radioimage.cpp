// The radio memory image: channel records, settings, scan masks and dates of
// the current layout, the legacy layout, the calibration-dependent bytes and
// the conversions back into the codeplug. Every expected byte is worked out
// by hand from the layouts (frequency words as Hz / 125 or 2 Hz / 125, BCD
// digits, DCS codewords checked against the worked examples of the codec).
//
// This file: the current layout from the model to the image. The image back
// to the model and the calibration-dependent bytes are in
// tst_radioimage_read.cpp, the legacy layout in tst_radioimage_legacy.cpp.
#include "tst_radioimage.h"

using namespace t880;
using namespace imagetest;
using namespace t880::testing;
using namespace radioimagetest;

// --- Current layout, model to image ------------------------------------------

void TestRadioImage::frequencyWords_data()
{
    QTest::addColumn<quint32>("rx");
    QTest::addColumn<quint32>("tx");
    QTest::addColumn<bool>("y");
    QTest::addColumn<QByteArray>("words");
    QTest::addColumn<quint32>("rxBack");
    QTest::addColumn<quint32>("txBack");

    // S: 2 f / 125 (62.5 Hz units); Y: f / 125.
    QTest::newRow("438.5 MHz on S")
        << 438500000u << 438500000u << false << hex("6B0E40 6B0E40") << 438500000u << 438500000u;
    QTest::newRow("438.5 MHz on Y")
        << 438500000u << 438500000u << true << hex("358720 358720") << 438500000u << 438500000u;
    QTest::newRow("438.50625 MHz on S")
        << 438506250u << 438506250u << false << hex("6B0EA4 6B0EA4") << 438506250u << 438506250u;
    QTest::newRow("438.50625 MHz on Y")
        << 438506250u << 438506250u << true << hex("358752 358752") << 438506250u << 438506250u;
    QTest::newRow("rx 455 tx 409.5 on S")
        << 455000000u << 409500000u << false << hex("6F1580 63F9C0") << 455000000u << 409500000u;
    QTest::newRow("rx 455 tx 409.5 on Y")
        << 455000000u << 409500000u << true << hex("378AC0 31FCE0") << 455000000u << 409500000u;
    QTest::newRow("145.0125 MHz on S")
        << 145012500u << 145012500u << false << hex("236748 236748") << 145012500u << 145012500u;
    QTest::newRow("145.0125 MHz on Y")
        << 145012500u << 145012500u << true << hex("11B3A4 11B3A4") << 145012500u << 145012500u;
    QTest::newRow("no transmit frequency")
        << 470000000u << 0u << false << hex("72BF00 000000") << 470000000u << 0u;
    // 2 x 1.1 GHz / 125 = 0x10C8E00: only the low 24 bits are stored.
    QTest::newRow("word beyond 24 bits on S")
        << 1100000000u << 438500000u << false << hex("0C8E00 6B0E40") << 51424000u << 438500000u;
    QTest::newRow("1.1 GHz fits on Y")
        << 1100000000u << 438500000u << true << hex("864700 358720") << 1100000000u << 438500000u;
}

void TestRadioImage::frequencyWords()
{
    QFETCH(quint32, rx);
    QFETCH(quint32, tx);
    QFETCH(bool, y);
    QFETCH(QByteArray, words);
    QFETCH(quint32, rxBack);
    QFETCH(quint32, txBack);

    const QByteArray img = encode(oneChannel({rx, tx, 0, 0, 0, 0, 0, 0x30}), y, {});
    QCOMPARE(img.mid(0, 6).toHex(' '), words.toHex(' '));

    ProgramState s;
    s.radioVariant = y;
    setImage(s, img);
    SetDataToSoftware(s);
    QVERIFY(s.codeplug.isChannelUsed(1));
    QCOMPARE(s.codeplug.channel(1).rxFreq(), rxBack);
    QCOMPARE(s.codeplug.channel(1).txFreq(), txBack);
}

void TestRadioImage::toneWords_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("value");
    QTest::addColumn<bool>("y");
    QTest::addColumn<QByteArray>("words");
    QTest::addColumn<int>("typeBits");
    QTest::addColumn<int>("backType");
    QTest::addColumn<int>("backValue");

    QTest::newRow("off as removed in the editor")
        << 0 << 0xFFFF << false << hex("00000000") << 0 << 0 << 0;
    QTest::newRow("off as zero") << 0 << 0 << true << hex("00000000") << 0 << 0 << 0;
    // CTCSS: the value, then 10 x value (S) or value x 65536 / 10000 (Y).
    QTest::newRow("88.5 Hz on S") << 1 << 885 << false << hex("03752292") << 1 << 1 << 885;
    QTest::newRow("88.5 Hz on Y") << 1 << 885 << true << hex("037516A7") << 1 << 1 << 885;
    QTest::newRow("254.1 Hz on S") << 1 << 2541 << false << hex("09ED6342") << 1 << 1 << 2541;
    QTest::newRow("254.1 Hz on Y") << 1 << 2541 << true << hex("09ED410C") << 1 << 1 << 2541;
    QTest::newRow("67.0 Hz on S") << 1 << 670 << false << hex("029E1A2C") << 1 << 1 << 670;
    QTest::newRow("67.0 Hz on Y") << 1 << 670 << true << hex("029E1126") << 1 << 1 << 670;
    // DCS: 00, the 7-bit word, the 16-bit word of the reversed Golay codeword.
    QTest::newRow("D023N on S") << 2 << 0x2813 << false << hex("00640E37") << 2 << 2 << 0x2813;
    QTest::newRow("D023N on Y") << 2 << 0x2813 << true << hex("00640E37") << 2 << 2 << 0x2813;
    QTest::newRow("D023I") << 3 << 0x2813 << false << hex("001BF1C8") << 3 << 3 << 0x2813;
    QTest::newRow("D754N") << 2 << 0x29EC << false << hex("001BCF82") << 2 << 2 << 0x29EC;
    QTest::newRow("D754I") << 3 << 0x29EC << true << hex("0064307D") << 3 << 3 << 0x29EC;
    QTest::newRow("D245N") << 2 << 0x28A5 << false << hex("00528F8D") << 2 << 2 << 0x28A5;
    QTest::newRow("D631I") << 3 << 0x2999 << true << hex("00333758") << 3 << 3 << 0x2999;
    // A foreign type above 3: words as for DCS normal, type bits its low two
    // bits; read back as D023N's words taken inverted, which is D754I.
    QTest::newRow("foreign type 7") << 7 << 0x2813 << false << hex("00640E37") << 3 << 3 << 0x29EC;
    QTest::newRow("foreign type 4") << 4 << 0x2813 << false << hex("00640E37") << 0 << 0 << 0;
}

void TestRadioImage::toneWords()
{
    QFETCH(int, type);
    QFETCH(int, value);
    QFETCH(bool, y);
    QFETCH(QByteArray, words);
    QFETCH(int, typeBits);
    QFETCH(int, backType);
    QFETCH(int, backValue);

    const Channel c{438500000,      438500000, quint8(type), quint16(value), quint8(type),
                    quint16(value), 0,         0x30};
    const QByteArray img = encode(oneChannel(c), y, {});
    QCOMPARE(img.mid(6, 4).toHex(' '), words.toHex(' '));
    QCOMPARE(img.mid(10, 4).toHex(' '), words.toHex(' '));
    QCOMPARE(int(at(img, 14)), typeBits | (typeBits << 2));

    ProgramState s;
    s.radioVariant = y;
    setImage(s, img);
    SetDataToSoftware(s);
    const ChannelRecord r = s.codeplug.channel(1);
    QCOMPARE(int(r.rxTone().type), backType);
    QCOMPARE(int(r.rxTone().value), backValue);
    QCOMPARE(int(r.txTone().type), backType);
    QCOMPARE(int(r.txTone().value), backValue);
}

void TestRadioImage::spurFlags_data()
{
    QTest::addColumn<quint32>("hz");
    QTest::addColumn<int>("flagY");
    QTest::addColumn<int>("flagS");

    QTest::newRow("136.5 MHz") << 136500000u << 1 << 1;
    QTest::newRow("147.875 MHz") << 147875000u << 0 << 1;
    QTest::newRow("159.25 MHz") << 159250000u << 0 << 1;
    QTest::newRow("170.625 MHz") << 170625000u << 0 << 2;
    QTest::newRow("409.5 MHz") << 409500000u << 2 << 1;
    QTest::newRow("420.875 MHz") << 420875000u << 1 << 1;
    QTest::newRow("432.25 MHz") << 432250000u << 1 << 1;
    QTest::newRow("443.625 MHz") << 443625000u << 1 << 1;
    QTest::newRow("455 MHz") << 455000000u << 1 << 2;
    QTest::newRow("466.375 MHz") << 466375000u << 1 << 1;
    QTest::newRow("477.75 MHz") << 477750000u << 0 << 1;
    QTest::newRow("489.125 MHz") << 489125000u << 0 << 1;
    QTest::newRow("500.5 MHz") << 500500000u << 0 << 1;
    QTest::newRow("511.875 MHz") << 511875000u << 0 << 2;
    QTest::newRow("455 MHz + 1 Hz") << 455000001u << 0 << 0;
    QTest::newRow("455 MHz - 6.25 kHz") << 454993750u << 0 << 0;
    QTest::newRow("438.5 MHz") << 438500000u << 0 << 0;
    QTest::newRow("22.75 MHz (a multiple not listed)") << 22750000u << 0 << 0;
    QTest::newRow("523.25 MHz (a multiple not listed)") << 523250000u << 0 << 0;
}

void TestRadioImage::spurFlags()
{
    QFETCH(quint32, hz);
    QFETCH(int, flagY);
    QFETCH(int, flagS);

    QCOMPARE(spurFlag(hz, true), flagY);
    QCOMPARE(spurFlag(hz, false), flagS);

    // In the image: receive flag in bits 4-5, transmit flag in bits 6-7.
    QByteArray b = newBlock();
    putChannel(b, 1, {hz, 438500000, 0, 0, 0, 0, 0, 0x30});
    putChannel(b, 2, {438500000, hz, 0, 0, 0, 0, 0, 0x30});
    setUsed(b, 1);
    setUsed(b, 2);
    for (bool y : {false, true}) {
        const int flag = y ? flagY : flagS;
        const QByteArray img = encode(b, y, {});
        QCOMPARE(int(at(img, 14)), flag << 4);
        QCOMPARE(int(at(img, 19 + 14)), flag << 6);
    }
}

void TestRadioImage::controlByte_data()
{
    QTest::addColumn<int>("optionA");
    QTest::addColumn<int>("optionB");
    QTest::addColumn<int>("byte15");

    QTest::newRow("narrow, low power, no busy lock") << 0x00 << 0x00 << 0x00;
    QTest::newRow("high power") << 0x00 << 0x20 << 0x20;
    QTest::newRow("wide") << 0x00 << 0x10 << 0x10;
    QTest::newRow("busy lock on carrier") << 0x10 << 0x00 << 0x08;
    QTest::newRow("busy lock 1 from a foreign file") << 0x08 << 0x00 << 0x04;
    QTest::newRow("busy lock 3 from a foreign file") << 0x18 << 0x00 << 0x0C;
    QTest::newRow("busy lock, wide, high power") << 0x10 << 0x30 << 0x38;
    QTest::newRow("squelch mode, DTMF flag and scan leave no trace") << 0x04 << 0x88 << 0x00;
    QTest::newRow("every option bit set") << 0xFF << 0xFF << 0x3C;
}

void TestRadioImage::controlByte()
{
    QFETCH(int, optionA);
    QFETCH(int, optionB);
    QFETCH(int, byte15);

    for (bool y : {false, true}) {
        const QByteArray img =
            encode(oneChannel({438500000, 438500000, 0, 0, 0, 0, quint8(optionA), quint8(optionB)}),
                   y, {});
        QCOMPARE(int(at(img, 15)), byte15);
    }
}

void TestRadioImage::calibrationBytes_data()
{
    QTest::addColumn<quint32>("rx");
    QTest::addColumn<quint32>("tx");
    QTest::addColumn<bool>("high");
    QTest::addColumn<bool>("y");
    QTest::addColumn<bool>("calibrated");
    QTest::addColumn<QByteArray>("expected");

    // Points 400/440/480 MHz: high 100/140/120, low 20/60/40, tune 50/90/70;
    // squelch offsets -10 5 -5 10 12 14 16 18 20 for <=410, <=420, ... >480.
    // 438 MHz: 100 + 38*40/40 = 138, tune 50 + 38 = 88, slot 3 -> 10.
    QTest::newRow("438.5 MHz, high, S")
        << 438500000u << 438500000u << true << false << true << hex("8A 58 0A");
    QTest::newRow("438.5 MHz, high, Y")
        << 438500000u << 438500000u << true << true << true << hex("8A 58 0A");
    // tx 409: low 20 + 9*40/40 = 29; rx 455 falls 90 -> 70: 70 + 25*20/40 = 82;
    // slot 5 -> 14.
    QTest::newRow("rx 455 tx 409.5, low")
        << 455000000u << 409500000u << false << false << true << hex("1D 52 0E");
    // no tx: 0 MHz is below the first point -> its low value 20; rx 490 is
    // above the last point in use -> its tune 70 (not the unused point's);
    // slot 8 -> 20.
    QTest::newRow("rx 490 above the last point, no tx")
        << 490000000u << 0u << false << true << true << hex("14 46 14");
    QTest::newRow("on the first point")
        << 400000000u << 400000000u << true << false << true << hex("64 32 F6");
    // tx 480 is the third point: falling 140 -> 120 with d = 0 -> 120;
    // rx 440 is the second point -> tune 90; slot 3 -> 10.
    QTest::newRow("rx 440 tx 480, high")
        << 440000000u << 480000000u << true << false << true << hex("78 5A 0A");
    QTest::newRow("420 MHz, low") << 420000000u << 420000000u << false << true << true
                                  << hex("28 46 05");
    QTest::newRow("410 MHz + 1 Hz, high")
        << 410000001u << 410000001u << true << false << true << hex("6E 3C 05");
    QTest::newRow("410 MHz, high")
        << 410000000u << 410000000u << true << false << true << hex("6E 3C F6");
    QTest::newRow("136 MHz below the first point")
        << 136000000u << 136000000u << true << false << true << hex("64 32 F6");
    QTest::newRow("500 MHz above the last point, high")
        << 500000000u << 500000000u << true << false << true << hex("78 46 14");
    QTest::newRow("500 MHz above the last point, low")
        << 500000000u << 500000000u << false << true << true << hex("28 46 14");
    QTest::newRow("no calibration points in use")
        << 438500000u << 438500000u << true << false << false << hex("00 00 00");
}

void TestRadioImage::calibrationBytes()
{
    QFETCH(quint32, rx);
    QFETCH(quint32, tx);
    QFETCH(bool, high);
    QFETCH(bool, y);
    QFETCH(bool, calibrated);
    QFETCH(QByteArray, expected);

    const QByteArray img = encode(oneChannel({rx, tx, 0, 0, 0, 0, 0, quint8(high ? 0x30 : 0x10)}),
                                  y, calibrated ? threePointTables() : CalibrationTables{});
    QCOMPARE(img.mid(16, 3).toHex(' '), expected.toHex(' '));
}

void TestRadioImage::newModelImage_data()
{
    QTest::addColumn<bool>("y");
    QTest::newRow("S") << false;
    QTest::newRow("Y") << true;
}

void TestRadioImage::newModelImage()
{
    QFETCH(bool, y);

    const QByteArray img = encode(newBlock(), y, threePointTables());
    QByteArray expected(ImageSize, '\0');
    applyPatch(expected, QStringLiteral("0x150: 07 EA 0C 08 0E 1E;"
                                        "0x156: 00 B4 05 01 01 02 58 05 01 00 00 00 00 07 D0 00 "
                                        "0A 18 03"));
    // The password block: length 0, random bytes, then the sum.
    put(expected, 0x1D1, img.mid(0x1D1, 14));
    expected[0x1DF] = char(sum8(expected, 0x1D0, 15));
    QCOMPARE(describeDiff(img, expected), QString());
}

void TestRadioImage::settingsBytes_data()
{
    QTest::addColumn<QString>("settings");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("New") << QString()
                         << hex("00 B4 05 01 01 02 58 05 01 00 00 00 00 07 D0 00 0A 18 03");
    // tot 600, toa 10, beep off, saving off, rate 10, sql 9, voice English,
    // VOX gain 9 (written as 0), VOX delay 3000, keys Alarm / Monitor.
    QTest::newRow("changed") << QStringLiteral("0xAD2: 58 02; 0xAD5: 0A; 0xADF: 00; 0xAE1: 00;"
                                               "0xAE2: 0A; 0xABF: 09; 0xAB6: 02; 0xACF: 09;"
                                               "0xAD0: B8 0B; 0xB51: 19; 0xB53: 02")
                             << hex("02 58 0A 00 00 07 D0 09 02 00 00 00 00 0B B8 00 0A 19 02");
    QTest::newRow("tot off, voice off, keys Unassigned / Scan")
        << QStringLiteral("0xAD2: 00 00; 0xAB6: 00; 0xB51: 00; 0xB53: 08")
        << hex("00 00 05 01 01 02 58 05 00 00 00 00 00 07 D0 00 0A 00 08");
    QTest::newRow("other settings leave no trace")
        << QStringLiteral("0xAC0: 04; 0xAD9: 02; 0xAF0: E7 03; 0xB52: 19; 0xB54: 08")
        << hex("00 B4 05 01 01 02 58 05 01 00 00 00 00 07 D0 00 0A 18 03");
}

void TestRadioImage::settingsBytes()
{
    QFETCH(QString, settings);
    QFETCH(QByteArray, expected);

    const QByteArray img = encode(patched(newBlock(), settings), false, {});
    QCOMPARE(img.mid(0x156, 19).toHex(' '), expected.toHex(' '));
    QCOMPARE(img.mid(0x169, 7).toHex(' '), QByteArray(7, '\0').toHex(' '));
}

void TestRadioImage::scanMask_data()
{
    QTest::addColumn<QString>("used");
    QTest::addColumn<QString>("scan");
    QTest::addColumn<QByteArray>("mask");

    QTest::newRow("channel 1") << "1"
                               << "1" << hex("00 01");
    QTest::newRow("channel 8") << "8"
                               << "8" << hex("00 80");
    QTest::newRow("channel 9") << "9"
                               << "9" << hex("01 00");
    QTest::newRow("channel 16") << "16"
                                << "16" << hex("80 00");
    QTest::newRow("channels 1, 9 and 16") << "1,9,16"
                                          << "1,9,16" << hex("81 01");
    QTest::newRow("all sixteen") << "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16"
                                 << "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16" << hex("FF FF");
    QTest::newRow("in use but not scanned") << "1,2"
                                            << "" << hex("00 00");
    QTest::newRow("scan flag on a channel not in use") << "1"
                                                       << "1,2,16" << hex("00 01");
}

void TestRadioImage::scanMask()
{
    QFETCH(QString, used);
    QFETCH(QString, scan);
    QFETCH(QByteArray, mask);

    const QList<int> usedList = channelList(used);
    const QList<int> scanList = channelList(scan);
    QByteArray b = newBlock();
    for (int n = 1; n <= 16; ++n) {
        putChannel(
            b, n,
            {438500000, 438500000, 0, 0, 0, 0, 0, quint8(scanList.contains(n) ? 0xB0 : 0x30)});
        setUsed(b, n, usedList.contains(n));
    }
    const QByteArray img = encode(b, false, {});
    QCOMPARE(img.mid(0x15F, 2).toHex(' '), mask.toHex(' '));

    const QByteArray back = decode(img, false);
    for (int n = 1; n <= 16; ++n) {
        const bool inUse = usedList.contains(n);
        QCOMPARE(bool(at(back, cp::slot(n) + 58) & 0x80), inUse && scanList.contains(n));
    }
}

void TestRadioImage::dateBytes_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::addColumn<int>("hour");
    QTest::addColumn<int>("minute");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("2026-12-08 14:30") << 2026 << 12 << 8 << 14 << 30 << hex("07 EA 0C 08 0E 1E");
    QTest::newRow("1999-01-31 23:59") << 1999 << 1 << 31 << 23 << 59 << hex("07 CF 01 1F 17 3B");
    QTest::newRow("2000-02-29 00:00") << 2000 << 2 << 29 << 0 << 0 << hex("07 D0 02 1D 00 00");
}

void TestRadioImage::dateBytes()
{
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(int, day);
    QFETCH(int, hour);
    QFETCH(int, minute);
    QFETCH(QByteArray, expected);

    const ProgramDate date{quint16(year), quint8(month), quint8(day), quint8(hour), quint8(minute)};
    const QByteArray img = encode(newBlock(), false, {}, date);
    QCOMPARE(img.mid(0x150, 6).toHex(' '), expected.toHex(' '));

    ProgramDate back;
    decode(img, false, newBlock(), &back);
    QVERIFY(back == date);
}

void TestRadioImage::unusedChannelsAreZero_data()
{
    QTest::addColumn<QString>("used");
    QTest::newRow("no channel in use") << "";
    QTest::newRow("only channel 1") << "1";
    QTest::newRow("only channel 16") << "16";
    QTest::newRow("odd channels") << "1,3,5,7,9,11,13,15";
}

void TestRadioImage::unusedChannelsAreZero()
{
    QFETCH(QString, used);

    const QList<int> usedList = channelList(used);
    QByteArray b = newBlock();
    for (int n = 1; n <= 16; ++n) {
        putChannel(b, n, {438500000, 145000000, 1, 885, 2, 0x2813, 0x12, 0xB0, 1, 2, "NAME"});
        setUsed(b, n, usedList.contains(n));
    }
    const QByteArray img = encode(b, false, threePointTables());
    for (int n = 1; n <= 16; ++n) {
        if (usedList.contains(n))
            QCOMPARE(recordOf(img, n).left(3).toHex(' '), QByteArray("6b 0e 40"));
        else
            QCOMPARE(recordOf(img, n).toHex(' '), QByteArray(19, '\0').toHex(' '));
    }
    QCOMPARE(img.mid(0x130, 0x20).toHex(' '), QByteArray(0x20, '\0').toHex(' '));
}

void TestRadioImage::rxZeroComesBackUnused_data()
{
    QTest::addColumn<bool>("y");
    QTest::newRow("S") << false;
    QTest::newRow("Y") << true;
}

void TestRadioImage::rxZeroComesBackUnused()
{
    QFETCH(bool, y);

    QByteArray b = newBlock();
    putChannel(b, 2, {0, 438500000, 1, 885, 0, 0, 0, 0x30, 0, 0, "ZERO"});
    setUsed(b, 2);
    const QByteArray img = encode(b, y, {});
    QCOMPARE(recordOf(img, 2).left(6).toHex(' '),
             (y ? hex("000000 358720") : hex("000000 6B0E40")).toHex(' '));

    QByteArray expected = b;
    setUsed(expected, 2, false);
    expected[cp::voxGain] = 0; // 0x162 is written as 0 and read into the VOX gain
    QCOMPARE(describeDiff(decode(img, y, b), expected), QString());
}

void TestRadioImage::fixtureImage_data()
{
    QTest::addColumn<bool>("y");
    QTest::newRow("S") << false;
    QTest::newRow("Y") << true;
}

void TestRadioImage::fixtureImage()
{
    QFETCH(bool, y);

    const QByteArray img = encode(fixtureBlock(), y, threePointTables());
    QByteArray expected(ImageSize, '\0');
    applyPatch(expected, fixtureRecords(y));
    applyPatch(expected, QString::fromLatin1(fixtureCalibrationBytes()));
    applyPatch(expected, QString::fromLatin1(fixtureSettings()));
    applyPatch(expected, QStringLiteral("0x150: 07 EA 0C 08 0E 1E; 0x1D0: 06"));
    put(expected, 0x1D1, img.mid(0x1D1, 14));
    expected[0x1DF] = char(sum8(expected, 0x1D0, 15));
    QCOMPARE(describeDiff(img, expected), QString());
}

void TestRadioImage::passwordBlock_data()
{
    QTest::addColumn<QByteArray>("password");
    QTest::addColumn<bool>("writeFlag");

    QTest::newRow("abc123, to be written") << QByteArray("abc123") << true;
    QTest::newRow("abc123, not to be written") << QByteArray("abc123") << false;
    QTest::newRow("twelve characters") << QByteArray("Twelve-Chars") << true;
    QTest::newRow("no password") << QByteArray() << true;
}

void TestRadioImage::passwordBlock()
{
    QFETCH(QByteArray, password);
    QFETCH(bool, writeFlag);

    QByteArray b = newBlock();
    put(b, cp::newRadioPassword, password);
    b[cp::writeNewPassword] = char(writeFlag ? 1 : 0);
    const QByteArray img = encode(b, false, {});

    // The block is always built: length, scrambled text, sum.
    QCOMPARE(int(at(img, 0x1D0)), password.size());
    QCOMPARE(at(img, 0x1DF), sum8(img, 0x1D0, 15));
    const auto *block = reinterpret_cast<const std::uint8_t *>(img.constData()) + 0x1D0;
    QVERIFY(checkPasswordBlock(block, password));
    if (!password.isEmpty()) {
        QByteArray other = password;
        other[0] = char(other[0] ^ 0x01);
        QVERIFY(!checkPasswordBlock(block, other));
    }
}

QTEST_GUILESS_MAIN(TestRadioImage)
#include "moc_tst_radioimage.cpp"
