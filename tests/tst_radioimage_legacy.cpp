// The radio image suite: the legacy layout, both ways.
#include "tst_radioimage.h"

using namespace t880;
using namespace imagetest;
using namespace t880::testing;
using namespace radioimagetest;

// --- Legacy layout -----------------------------------------------------------

void TestRadioImage::legacyImage_data()
{
    QTest::addColumn<QByteArray>("block");
    QTest::addColumn<QByteArray>("expected");

    QByteArray newImage(ImageSize, char(0xFF));
    // key 1 Radio -> 2, key 2 Monitor Momentary -> 5, voice 1, tot 180/15,
    // toa 5, sql 5, saving 1, beep 1, empty scan mask.
    applyPatch(newImage, QStringLiteral("0x11D: 02 05; 0x12F: 01 0C 05; 0x134: 05 01 01;"
                                        "0x17E: 00 00"));
    QTest::newRow("New") << newBlock() << newImage;
    QTest::newRow("four channels and changed settings") << fixtureBlock() << fixtureLegacyImage();
}

void TestRadioImage::legacyImage()
{
    QFETCH(QByteArray, block);
    QFETCH(QByteArray, expected);
    QCOMPARE(describeDiff(encodeLegacy(block), expected), QString());
}

void TestRadioImage::legacyFrequencies_data()
{
    QTest::addColumn<quint32>("rx");
    QTest::addColumn<quint32>("tx");
    QTest::addColumn<QByteArray>("bcd");

    QTest::newRow("438.5 MHz") << 438500000u << 438500000u << hex("00 00 85 43 00 00 85 43");
    QTest::newRow("438.50625 MHz") << 438506250u << 438506250u << hex("25 06 85 43 25 06 85 43");
    QTest::newRow("rx 455 tx 409.5") << 455000000u << 409500000u << hex("00 00 50 45 00 00 95 40");
    QTest::newRow("145.0125 MHz, no tx") << 145012500u << 0u << hex("50 12 50 14 00 00 00 00");
    QTest::newRow("99.99999 MHz") << 99999990u << 99999990u << hex("99 99 99 09 99 99 99 09");
}

void TestRadioImage::legacyFrequencies()
{
    QFETCH(quint32, rx);
    QFETCH(quint32, tx);
    QFETCH(QByteArray, bcd);

    const QByteArray img = encodeLegacy(oneChannel({rx, tx, 0, 0, 0, 0, 0, 0x30}));
    QCOMPARE(img.mid(0x10, 8).toHex(' '), bcd.toHex(' '));

    ProgramState s;
    setImage(s, img);
    SetDataToSoftware_old(s);
    QVERIFY(s.codeplug.isChannelUsed(1));
    QCOMPARE(s.codeplug.channel(1).rxFreq(), rx);
    QCOMPARE(s.codeplug.channel(1).txFreq(), tx);
}

void TestRadioImage::legacyTones_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("value");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("backType");
    QTest::addColumn<int>("backValue");

    QTest::newRow("none, removed in the editor") << 0 << 0xFFFF << hex("FF FF") << 0 << 0;
    QTest::newRow("none, zero") << 0 << 0 << hex("FF FF") << 0 << 0;
    QTest::newRow("88.5 Hz") << 1 << 885 << hex("75 03") << 1 << 885;
    QTest::newRow("254.1 Hz") << 1 << 2541 << hex("ED 09") << 1 << 2541;
    QTest::newRow("D023N") << 2 << 0x2813 << hex("13 28") << 2 << 0x2813;
    QTest::newRow("D023I") << 3 << 0x2813 << hex("13 A8") << 3 << 0x2813;
    QTest::newRow("D754N") << 2 << 0x29EC << hex("EC 29") << 2 << 0x29EC;
    QTest::newRow("D754I") << 3 << 0x29EC << hex("EC A9") << 3 << 0x29EC;
}

void TestRadioImage::legacyTones()
{
    QFETCH(int, type);
    QFETCH(int, value);
    QFETCH(QByteArray, bytes);
    QFETCH(int, backType);
    QFETCH(int, backValue);

    const QByteArray img =
        encodeLegacy(oneChannel({438500000, 438500000, quint8(type), quint16(value), quint8(type),
                                 quint16(value), 0, 0x30}));
    QCOMPARE(img.mid(0x18, 2).toHex(' '), bytes.toHex(' '));
    QCOMPARE(img.mid(0x1A, 2).toHex(' '), bytes.toHex(' '));

    ProgramState s;
    setImage(s, img);
    SetDataToSoftware_old(s);
    const ChannelRecord r = s.codeplug.channel(1);
    QCOMPARE(int(r.rxTone().type), backType);
    QCOMPARE(int(r.rxTone().value), backValue);
    QCOMPARE(int(r.txTone().type), backType);
    QCOMPARE(int(r.txTone().value), backValue);
}

void TestRadioImage::legacyToneRead_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("value");
    QTest::addColumn<QByteArray>("imageAfter");

    QTest::newRow("FF FF is no tone, rewritten as 00 00") << hex("FF FF") << 0 << 0 << hex("00 00");
    QTest::newRow("00 00 is no tone") << hex("00 00") << 0 << 0 << hex("00 00");
    QTest::newRow("high byte FF is no tone") << hex("12 FF") << 0 << 0 << hex("12 FF");
    QTest::newRow("high byte 00 is no tone") << hex("75 00") << 0 << 0 << hex("75 00");
    QTest::newRow("CTCSS 88.5 Hz") << hex("75 03") << 1 << 885 << hex("75 03");
    QTest::newRow("DCS normal") << hex("13 28") << 2 << 0x2813 << hex("13 28");
    QTest::newRow("DCS inverted, bit 7 cleared") << hex("13 A8") << 3 << 0x2813 << hex("13 A8");
    QTest::newRow("0x28 bits without bit 7") << hex("00 6A") << 2 << 0x6A00 << hex("00 6A");
}

void TestRadioImage::legacyToneRead()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, type);
    QFETCH(int, value);
    QFETCH(QByteArray, imageAfter);

    QByteArray img = fixtureLegacyImage();
    put(img, 0x18, bytes); // channel 1, receive tone
    ProgramState s;
    setImage(s, img);
    SetDataToSoftware_old(s);
    QCOMPARE(int(s.codeplug.channel(1).rxTone().type), type);
    QCOMPARE(int(s.codeplug.channel(1).rxTone().value), value);
    QCOMPARE(imageBytes(s).mid(0x18, 2).toHex(' '), imageAfter.toHex(' '));
}

void TestRadioImage::legacyKeysWrite_data()
{
    QTest::addColumn<int>("key1");
    QTest::addColumn<int>("key2");
    QTest::addColumn<QByteArray>("codes");

    QTest::newRow("Monitor") << 2 << 2 << hex("04 04");
    QTest::newRow("Monitor Momentary") << 3 << 3 << hex("05 05");
    QTest::newRow("Radio: 2 on key 1, 0 on key 2") << 24 << 24 << hex("02 00");
    QTest::newRow("Alarm") << 25 << 25 << hex("08 08");
    QTest::newRow("Scan has no legacy code") << 8 << 8 << hex("00 00");
    QTest::newRow("Unassigned") << 0 << 0 << hex("00 00");
    QTest::newRow("unknown code") << 99 << 4 << hex("00 00");
}

void TestRadioImage::legacyKeysWrite()
{
    QFETCH(int, key1);
    QFETCH(int, key2);
    QFETCH(QByteArray, codes);

    QByteArray b = newBlock();
    b[cp::key1Short] = char(key1);
    b[cp::key2Short] = char(key2);
    QCOMPARE(encodeLegacy(b).mid(0x11D, 2).toHex(' '), codes.toHex(' '));
}

void TestRadioImage::legacyKeysRead_data()
{
    QTest::addColumn<QByteArray>("codes");
    QTest::addColumn<int>("key1");
    QTest::addColumn<int>("key2");

    QTest::newRow("2: Radio on key 1, Unassigned on key 2") << hex("02 02") << 24 << 0;
    QTest::newRow("4: Monitor") << hex("04 04") << 2 << 2;
    QTest::newRow("5: Monitor Momentary") << hex("05 05") << 3 << 3;
    QTest::newRow("8: Alarm") << hex("08 08") << 25 << 25;
    QTest::newRow("0") << hex("00 00") << 0 << 0;
    QTest::newRow("FF") << hex("FF FF") << 0 << 0;
    QTest::newRow("other codes") << hex("01 03") << 0 << 0;
    QTest::newRow("a model code is not a legacy code") << hex("18 19") << 0 << 0;
}

void TestRadioImage::legacyKeysRead()
{
    QFETCH(QByteArray, codes);
    QFETCH(int, key1);
    QFETCH(int, key2);

    QByteArray img = fixtureLegacyImage();
    put(img, 0x11D, codes);
    ProgramState s;
    setImage(s, img);
    SetDataToSoftware_old(s);
    QCOMPARE(int(s.codeplug.setting(Setting::key1Short)), key1);
    QCOMPARE(int(s.codeplug.setting(Setting::key2Short)), key2);
}

void TestRadioImage::legacyTot_data()
{
    QTest::addColumn<int>("tot");
    QTest::addColumn<int>("byte");
    QTest::addColumn<int>("back");

    QTest::newRow("600 s") << 600 << 0x28 << 600;
    QTest::newRow("180 s") << 180 << 0x0C << 180;
    QTest::newRow("15 s") << 15 << 0x01 << 15;
    QTest::newRow("off") << 0 << 0x00 << 0;
    QTest::newRow("20 s is cut to 15") << 20 << 0x01 << 15;
}

void TestRadioImage::legacyTot()
{
    QFETCH(int, tot);
    QFETCH(int, byte);
    QFETCH(int, back);

    QByteArray b = newBlock();
    putLe16(b, cp::tot, quint32(tot));
    const QByteArray img = encodeLegacy(b);
    QCOMPARE(int(at(img, 0x130)), byte);

    ProgramState s;
    setImage(s, img);
    SetDataToSoftware_old(s);
    QCOMPARE(int(s.codeplug.setting(Setting::tot)), back);
}

void TestRadioImage::legacyRead_data()
{
    QTest::addColumn<QString>("imagePatch");
    QTest::addColumn<QString>("expectedPatch");

    // Onto a base with channel 5 in use, a name on channel 1, a serial, rate 7.
    QTest::newRow("fixture image") << QString() << QStringLiteral("0xB5F: 06 02 01");
    // Scan mask 1, 2 and 16: channel 2 gains its scan flag, channel 9 loses it.
    QTest::newRow("scan mask overrides option byte B")
        << QStringLiteral("0x17E: 03 80")
        << QStringLiteral("0xB5F: 06 02 01; 0x61E: 90; 0x816: 28");
    // Byte 3 of channel 3 is FF, of channel 4 is 00: not in use although
    // other bytes are filled; byte 0 of a used record may well be 00.
    QTest::newRow("byte 3 decides use")
        << QStringLiteral("0x030: 00 00 85 FF 00 00 85 43; 0x040: 11 22 33 00 11 22 33 44")
        << QStringLiteral("0xB5F: 06 02 01");
}

void TestRadioImage::legacyRead()
{
    QFETCH(QString, imagePatch);
    QFETCH(QString, expectedPatch);

    QByteArray base = newBlock();
    putChannel(base, 1, {145000000, 145000000, 0, 0, 0, 0, 0, 0, 0, 0, "ALPHA"});
    putChannel(base, 5, {430000000, 430000000, 1, 670, 1, 670, 0x02, 0x30, 0x11, 0x22, "ECHO"});
    setUsed(base, 1);
    setUsed(base, 5);
    put(base, cp::deviceSerial, "12345678");
    base[cp::batterySaveRate] = 7;

    QByteArray expected = base;
    putChannel(expected, 1,
               {438500000, 438500000, 1, 885, 2, 0x2813, 0x12, 0xB0, 0x5A, 0xC3, "ALPHA"});
    putChannel(expected, 2, {455000000, 409500000, 3, 0x2813, 0, 0, 0x00, 0x10, 0, 0, ""});
    putChannel(expected, 9, {438506250, 438506250, 1, 2541, 1, 2541, 0x04, 0xA8, 0, 0, ""});
    putChannel(expected, 16, {490000000, 0, 0, 0, 0, 0, 0x00, 0x80, 0x01, 0xFE, ""});
    setUsed(expected, 5, false);
    put(expected, cp::deviceSerial, QByteArray(8, '\0'));
    applyPatch(expected, QStringLiteral("0xAD2: 58 02; 0xAD5: 0A; 0xADF: 00; 0xAE1: 01;"
                                        "0xAE2: 03; 0xABF: 09; 0xAB6: 02; 0xB51: 19; 0xB53: 02"));
    applyPatch(expected, expectedPatch);

    ProgramState s;
    s.codeplug.replaceLeading(base);
    s.lastProgramDate = kDate;
    QByteArray img = fixtureLegacyImage();
    applyPatch(img, imagePatch);
    setImage(s, img);
    SetDataToSoftware_old(s);
    QCOMPARE(describeDiff(blockOf(s), expected), QString());
    QVERIFY(s.lastProgramDate == ProgramDate{});

    // The FF FF tone fields of the used records now read 00 00 in the image.
    QCOMPARE(describeDiff(imageBytes(s),
                          patched(img, QStringLiteral("0x02A: 00 00; 0x108: 00 00 00 00"))),
             QString());
}

void TestRadioImage::roundTripLegacy_data()
{
    QTest::addColumn<QByteArray>("block");
    QTest::addColumn<QString>("changes");

    // What the legacy layout does not carry stays; the rate becomes 3, the
    // serial is cleared, a removed tone comes back as value 0.
    QTest::newRow("fixture") << fixtureBlock()
                             << QStringLiteral("0xAE2: 03; 0x04A: 00 00 00 00 00 00 00 00;"
                                               "0x60D: 00 00");
    QTest::newRow("New") << newBlock() << QString();
}

void TestRadioImage::roundTripLegacy()
{
    QFETCH(QByteArray, block);
    QFETCH(QString, changes);

    ProgramState s;
    s.codeplug.replaceLeading(block);
    GetDataForWrite_old(s);
    const QByteArray img = imageBytes(s);
    SetDataToSoftware_old(s);
    QCOMPARE(describeDiff(blockOf(s), patched(block, changes)), QString());

    // Writing again gives the same image.
    GetDataForWrite_old(s);
    QCOMPARE(describeDiff(imageBytes(s), img), QString());
}
