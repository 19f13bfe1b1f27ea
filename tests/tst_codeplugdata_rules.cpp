// The codeplug block suite: the New defaults, the used masks and the editing
// rules.
#include "tst_codeplugdata.h"

using namespace t880;
using namespace t880::testing;
using blocktest::applyPatch;
using namespace codeplugdatatest;

namespace {

// The block with \a setup applied on top of \a fill.
QByteArray prepared(char fill, const QString &setup)
{
    QByteArray b = filled(fill);
    applyPatch(b, setup);
    return b;
}

} // namespace

void TestCodeplugData::newDefaults_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::newRow("from zeros") << filled(0);
    QTest::newRow("from 0xFF") << filled('\xFF');
    QTest::newRow("from a ramp pattern") << blocktest::rampBlock();
}

void TestCodeplugData::newDefaults()
{
    QFETCH(QByteArray, before);
    const QByteArray expected = blocktest::expectedNewBlock();

    CodeplugData d = fromBytes(before);
    d.applyNewDefaults();
    QCOMPARE(describeDiff(d.toByteArray(), expected), QString());
    for (int n = 0; n <= 17; ++n) {
        QVERIFY2(!d.isChannelUsed(n), qPrintable(QStringLiteral("channel %1").arg(n)));
        QVERIFY2(!d.isAddressBookEntryUsed(n), qPrintable(QStringLiteral("entry %1").arg(n)));
    }

    ProgramState state;
    state.codeplug = fromBytes(before);
    state.lastProgramDate = ProgramDate{2024, 5, 6, 7, 8};
    state.applyNewDefaults();
    QCOMPARE(describeDiff(state.codeplug.toByteArray(), expected), QString());
    QVERIFY(state.lastProgramDate == ProgramDate{});
}

void TestCodeplugData::programStateStartsNew()
{
    const ProgramState state;
    QCOMPARE(describeDiff(state.codeplug.toByteArray(), blocktest::expectedNewBlock()), QString());
    QCOMPARE(state.radioVariant, false);
    QCOMPARE(state.activeBandLow, 400000000u);
    QCOMPARE(state.activeBandHigh, 480000000u);
    QVERIFY(state.lastProgramDate == ProgramDate{});
}

// applyDtmfDefaults touches 0x06D..0x07E (reserved, address-book mask,
// reserved) and the DTMF settings 0xAF0..0xB00, nothing else: not the
// address-book entries, not the codes, not limited/dizzyState.
void TestCodeplugData::dtmfDefaults_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::newRow("from 0xFF") << filled('\xFF');
    QTest::newRow("from a ramp pattern") << blocktest::rampBlock();
}

void TestCodeplugData::dtmfDefaults()
{
    QFETCH(QByteArray, before);
    CodeplugData d = fromBytes(before);
    d.applyDtmfDefaults();
    QByteArray expected = before;
    applyPatch(expected, QStringLiteral("06D: 00 00 00 00 00 00 00 00 00 00 00 00 00"
                                        " 00 00 00 00 00;"
                                        "AF0: 01 00 01 01 00 00 64 64 64 00 F4 01 32 00 00 00 00"));
    QCOMPARE(describeDiff(d.toByteArray(), expected), QString());
}

void TestCodeplugData::setUsedBit_data()
{
    QTest::addColumn<bool>("addressBook");
    QTest::addColumn<int>("n");
    QTest::addColumn<QString>("maskWhenSet"); // the three mask bytes after setting n on zeros

    for (bool book : {false, true}) {
        const char *kind = book ? "entry" : "channel";
        const auto row = [&](int n, const char *mask) {
            QTest::addRow("%s %d", kind, n) << book << n << QString::fromLatin1(mask);
        };
        row(-1, "00 00 00");
        row(0, "00 00 00");
        row(1, "02 00 00");
        row(5, "20 00 00");
        row(7, "80 00 00");
        row(8, "00 01 00");
        row(9, "00 02 00");
        row(15, "00 80 00");
        row(16, "00 00 01");
        row(17, "00 00 00");
        row(24, "00 00 00");
    }
}

void TestCodeplugData::setUsedBit()
{
    QFETCH(bool, addressBook);
    QFETCH(int, n);
    QFETCH(QString, maskWhenSet);
    const QString maskOffset = addressBook ? QStringLiteral("07A") : QStringLiteral("B5F");
    const bool valid = n >= 1 && n <= 16;

    // Setting on an empty block touches exactly one bit of the mask.
    CodeplugData d;
    if (addressBook)
        d.setAddressBookEntryUsed(n, true);
    else
        d.setChannelUsed(n, true);
    QCOMPARE(describeDiff(d.toByteArray(), withPatch(filled(0), maskOffset + u':' + maskWhenSet)),
             QString());
    QCOMPARE(addressBook ? d.isAddressBookEntryUsed(n) : d.isChannelUsed(n), valid);

    // Clearing on a block of 0xFF clears exactly that bit.
    QByteArray cleared = QByteArray::fromHex(maskWhenSet.toLatin1());
    for (char &c : cleared)
        c = char(~c);
    CodeplugData e = fromBytes(filled('\xFF'));
    if (addressBook)
        e.setAddressBookEntryUsed(n, false);
    else
        e.setChannelUsed(n, false);
    QCOMPARE(describeDiff(e.toByteArray(),
                          withPatch(filled('\xFF'),
                                    maskOffset + u':' + QString::fromLatin1(cleared.toHex(' ')))),
             QString());
    if (valid)
        QVERIFY(addressBook ? !e.isAddressBookEntryUsed(n) : !e.isChannelUsed(n));
}

void TestCodeplugData::isUsedReadsMask_data()
{
    QTest::addColumn<bool>("addressBook");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QList<int>>("used"); // of 0..17

    QList<int> oneToSixteen;
    for (int n = 1; n <= 16; ++n)
        oneToSixteen << n;
    for (bool book : {false, true}) {
        const char *kind = book ? "address book" : "channels";
        const auto row = [&](const char *what, const char *mask, const QList<int> &used) {
            QTest::addRow("%s: %s", kind, what) << book << QString::fromLatin1(mask) << used;
        };
        row("empty", "00 00 00", {});
        row("bit 1 of byte 0 is 1", "02 00 00", {1});
        row("bit 0 of byte 1 is 8", "00 01 00", {8});
        row("bit 0 of byte 2 is 16", "00 00 01", {16});
        row("bit 7 of byte 1 is 15", "00 80 00", {15});
        row("bits above 16 mean nothing", "00 00 FE", {});
        row("1 to 16", "FE FF 01", oneToSixteen);
        row("all bits, 17 still unused", "FF FF FF", QList<int>{0} + oneToSixteen);
    }
}

void TestCodeplugData::isUsedReadsMask()
{
    QFETCH(bool, addressBook);
    QFETCH(QString, mask);
    QFETCH(QList<int>, used);

    const CodeplugData d = fromBytes(withPatch(
        filled(0), (addressBook ? QStringLiteral("07A:") : QStringLiteral("B5F:")) + mask));
    QList<int> actual;
    for (int n = 0; n <= 17; ++n) {
        if (addressBook ? d.isAddressBookEntryUsed(n) : d.isChannelUsed(n))
            actual << n;
    }
    QCOMPARE(actual, used);
}

// Deleting a channel only clears its bit; the record stays for the next save.
void TestCodeplugData::deletingChannelKeepsRecord()
{
    const QByteArray before = blocktest::rampBlock();
    CodeplugData d = fromBytes(before);
    // Channel 5 is bit 5 of byte 0 of the mask at 0xB5F.
    const bool wasUsed = (quint8(before[0xB5F]) >> 5) & 1;
    QVERIFY(wasUsed == d.isChannelUsed(5));
    d.setChannelUsed(5, true);
    d.setChannelUsed(5, false);
    QByteArray expected = before;
    expected[0xB5F] = char(quint8(before[0xB5F]) & ~0x20);
    QCOMPARE(describeDiff(d.toByteArray(), expected), QString());
    QCOMPARE(d.channel(5).raw[0], quint8(before[0x6BC]));
}

// Entering a frequency into an unused channel: used bit set, txFreq = rxFreq,
// tones zeroed, bytes 57..60 zeroed, then option byte B = 0xB0, squelch 0.
// Reserved bytes and the name stay.
void TestCodeplugData::newChannelRule_data()
{
    QTest::addColumn<int>("channel");
    QTest::addColumn<quint32>("freq");
    QTest::addColumn<char>("fill");
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("patch");

    // 0xEE has bits 1, 2, 3, 5, 6, 7: channel 5 is in use on a plain 0xEE
    // block, channel 8 (bit 0 of byte 1) and 16 (bit 0 of byte 2) are not.
    QTest::newRow("ch5 unused over an old record")
        << 5 << 438500000u << '\xEE' << "B5F: CE"
        << "6BC: A0 FA 22 1A; 6CA: A0 FA 22 1A; 6D8: 00 00 00; 6E5: 00 00 00;"
           "6F5: 00 B0 00 00; B5F: EE";
    QTest::newRow("ch5 in use keeps its record") << 5 << 438500000u << '\xEE' << ""
                                                 << "6BC: A0 FA 22 1A";
    QTest::newRow("ch8 unused, bit 0 of byte 1")
        << 8 << 145612500u << '\xEE' << ""
        << "794: D4 DE AD 08; 7A2: D4 DE AD 08; 7B0: 00 00 00; 7BD: 00 00 00;"
           "7CD: 00 B0 00 00; B60: EF";
    QTest::newRow("ch16 unused on zeros, bit 0 of byte 2")
        << 16 << 438506250u << '\0' << ""
        << "9D4: 0A 13 23 1A; 9E2: 0A 13 23 1A; A0E: B0; B61: 01";
}

void TestCodeplugData::newChannelRule()
{
    QFETCH(int, channel);
    QFETCH(quint32, freq);
    QFETCH(char, fill);
    QFETCH(QString, setup);
    QFETCH(QString, patch);

    const QByteArray before = prepared(fill, setup);
    CodeplugData d = fromBytes(before);
    d.enterChannelFrequency(channel, freq);
    QCOMPARE(describeDiff(d.toByteArray(), withPatch(before, patch)), QString());
    QVERIFY(d.isChannelUsed(channel));
}

void TestCodeplugData::squelchModeRule_data()
{
    QTest::addColumn<int>("oldType");
    QTest::addColumn<int>("oldMode");
    QTest::addColumn<bool>("dtmf");
    QTest::addColumn<int>("newType");
    QTest::addColumn<int>("newValue");
    QTest::addColumn<int>("mode");

    // Entering a decode tone.
    QTest::newRow("first CTCSS on carrier squelch -> CTC/DCS") << 0 << 0 << false << 1 << 885 << 2;
    QTest::newRow("first DCS on carrier squelch -> CTC/DCS") << 0 << 0 << true << 2 << 0x2813 << 2;
    QTest::newRow("first inverted DCS on carrier -> CTC/DCS")
        << 0 << 0 << false << 3 << 0x2813 << 2;
    QTest::newRow("first tone, DTMF squelch stays") << 0 << 1 << true << 1 << 885 << 1;
    QTest::newRow("first tone, mode 3 stays") << 0 << 3 << true << 1 << 885 << 3;
    QTest::newRow("first tone, mode 4 stays") << 0 << 4 << false << 2 << 0x2813 << 4;
    QTest::newRow("replacing a tone, carrier stays") << 1 << 0 << false << 2 << 0x2813 << 0;
    QTest::newRow("replacing a tone, CTC/DCS stays") << 2 << 2 << false << 1 << 670 << 2;
    // Removing it.
    QTest::newRow("removed, DTMF on, mode 3 -> DTMF") << 1 << 3 << true << 0 << 0xFFFF << 1;
    QTest::newRow("removed, DTMF on, mode 4 -> DTMF") << 2 << 4 << true << 0 << 0xFFFF << 1;
    QTest::newRow("removed, DTMF off, mode 3 -> carrier") << 1 << 3 << false << 0 << 0xFFFF << 0;
    QTest::newRow("removed, DTMF off, mode 4 -> carrier") << 3 << 4 << false << 0 << 0xFFFF << 0;
    QTest::newRow("removed, DTMF on, mode 2 -> carrier") << 1 << 2 << true << 0 << 0xFFFF << 0;
    QTest::newRow("removed, DTMF off, mode 2 -> carrier") << 1 << 2 << false << 0 << 0xFFFF << 0;
    QTest::newRow("removed, DTMF on, mode 1 -> carrier") << 1 << 1 << true << 0 << 0xFFFF << 0;
    QTest::newRow("removed with no tone before") << 0 << 0 << false << 0 << 0xFFFF << 0;
}

void TestCodeplugData::squelchModeRule()
{
    QFETCH(int, oldType);
    QFETCH(int, oldMode);
    QFETCH(bool, dtmf);
    QFETCH(int, newType);
    QFETCH(int, newValue);
    QFETCH(int, mode);

    ChannelRecord r;
    r.raw.fill(0x55);
    r.raw[30] = quint8(oldType);
    r.raw[57] = quint8(0xF8 | oldMode); // busy lock and unused bits set
    r.raw[58] = dtmf ? 0xB8 : 0xB0;
    ChannelRecord expected = r;

    r.setRxToneWithSquelchRule(Tone{quint8(newType), quint16(newValue)});

    expected.raw[28] = quint8(newValue);
    expected.raw[29] = quint8(newValue >> 8);
    expected.raw[30] = quint8(newType);
    expected.raw[57] = quint8(0xF8 | mode);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(r.raw.data()), 72).toHex(' '),
             QByteArray(reinterpret_cast<const char *>(expected.raw.data()), 72).toHex(' '));
}

// Naming an unused entry fills it fresh (11 digit bytes zero, count 1) and
// sets its bit; renaming a used one keeps its number; an empty name clears
// the bit. Entry 3 = 0x36E (name at 0x37A), 8 = 0x3CD, 16 = 0x465.
void TestCodeplugData::addressBookEntryRule_data()
{
    QTest::addColumn<int>("entry");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("patch");
    QTest::addColumn<bool>("used");

    // On 0xEE, entry 3 (bit 3 of byte 0) is in use; 8 and 16 are not.
    QTest::newRow("first name fills a fresh entry")
        << 3 << QByteArray("BOB") << "07A: E6"
        << "36E: 00 00 00 00 00 00 00 00 00 00 00 01 42 4F 42 00 00 00; 07A: EE" << true;
    QTest::newRow("renaming a used entry keeps its number") << 3 << QByteArray("AL") << ""
                                                            << "37A: 41 4C 00 00 00 00" << true;
    QTest::newRow("emptying the name clears the bit") << 3 << QByteArray() << ""
                                                      << "37A: 00 00 00 00 00 00; 07A: E6" << false;
    QTest::newRow("entry 8 is bit 0 of byte 1")
        << 8 << QByteArray("X") << ""
        << "3CD: 00 00 00 00 00 00 00 00 00 00 00 01 58 00 00 00 00 00; 07B: EF" << true;
    QTest::newRow("entry 16 is bit 0 of byte 2")
        << 16 << QByteArray("ABCDEFG") << ""
        << "465: 00 00 00 00 00 00 00 00 00 00 00 01 41 42 43 44 45 46; 07C: EF" << true;
}

void TestCodeplugData::addressBookEntryRule()
{
    QFETCH(int, entry);
    QFETCH(QByteArray, name);
    QFETCH(QString, setup);
    QFETCH(QString, patch);
    QFETCH(bool, used);

    const QByteArray before = prepared('\xEE', setup);
    CodeplugData d = fromBytes(before);
    d.setAddressBookName(entry, name);
    QCOMPARE(describeDiff(d.toByteArray(), withPatch(before, patch)), QString());
    QCOMPARE(d.isAddressBookEntryUsed(entry), used);
}

void TestCodeplugData::dtmfCodeFromText_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("raw");

    QTest::newRow("digits 0-9") << QByteArray("0123456789")
                                << QByteArray::fromHex("00010203040506070809 0A");
    QTest::newRow("letters and signs")
        << QByteArray("ABCD*#") << QByteArray::fromHex("0A0B0C0D0E0F00000000 06");
    QTest::newRow("one digit, rest zeroed")
        << QByteArray("7") << QByteArray::fromHex("07000000000000000000 01");
    QTest::newRow("empty") << QByteArray() << QByteArray::fromHex("00000000000000000000 00");
}

void TestCodeplugData::dtmfCodeFromText()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, raw);

    DtmfCode code;
    code.raw.fill(0x0E); // an old code of eleven '*'
    QVERIFY(code.setText(text));
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(code.raw.data()), 11).toHex(' '),
             raw.toHex(' '));
    QCOMPARE(code.text(), text);
    QCOMPARE(code.count(), int(text.size()));
}

void TestCodeplugData::dtmfCodeRejectsText_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("letter E") << QByteArray("12E4");
    QTest::newRow("eleven digits") << QByteArray("01234567890");
    QTest::newRow("blank") << QByteArray("12 3");
    QTest::newRow("minus") << QByteArray("-1");
    QTest::newRow("embedded NUL") << QByteArray("1\0002", 3);
}

void TestCodeplugData::dtmfCodeRejectsText()
{
    QFETCH(QByteArray, text);
    DtmfCode code;
    QVERIFY(code.setText("555"));
    const DtmfCode before = code;
    QVERIFY(!code.setText(text));
    QVERIFY(code.raw == before.raw);
}

void TestCodeplugData::dtmfCodeText_data()
{
    QTest::addColumn<QByteArray>("raw");
    QTest::addColumn<QByteArray>("text");

    QTest::newRow("all sixteen symbols")
        << QByteArray::fromHex("0A0B0C0D0E0F00010203 0A") << QByteArray("ABCD*#0123");
    QTest::newRow("only the counted digits")
        << QByteArray::fromHex("01020309090909090909 03") << QByteArray("123");
    QTest::newRow("count 0") << QByteArray::fromHex("01020309090909090909 00") << QByteArray();
}

void TestCodeplugData::dtmfCodeText()
{
    QFETCH(QByteArray, raw);
    QFETCH(QByteArray, text);
    DtmfCode code;
    std::copy(raw.begin(), raw.end(), code.raw.begin());
    QCOMPARE(code.text(), text);
}

// Names are six bytes of GBK text; a double-byte character is never split.
// GBK: 中 D6D0, 文 CEC4, 频 C6B5, 道 B5C0, 丂 8140.
void TestCodeplugData::nameCut_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("stored");

    const auto hex = [](const char *h) {
        return QByteArray::fromHex(h);
    };
    QTest::newRow("ascii fits") << QByteArray("ABCDEF") << hex("414243444546");
    QTest::newRow("ascii cut at six") << QByteArray("ABCDEFGH") << hex("414243444546");
    QTest::newRow("two chinese") << hex("D6D0CEC4") << hex("D6D0CEC40000");
    QTest::newRow("two ascii and two chinese fill six")
        << hex("6162D6D0CEC4") << hex("6162D6D0CEC4");
    QTest::newRow("character straddling the limit dropped")
        << hex("616263D6D0CEC4") << hex("616263D6D000");
    QTest::newRow("five ascii then chinese") << hex("6162636465D6D0") << hex("616263646500");
    QTest::newRow("last kept byte looks like a lead byte")
        << hex("6162D6D0CEC478") << hex("6162D6D0CEC4");
    QTest::newRow("three chinese cut to two") << hex("D6D0CEC4C6B5B5C0") << hex("D6D0CEC4C6B5");
    QTest::newRow("trail byte below 0x80 kept") << hex("6162636481407878") << hex("616263648140");
    QTest::newRow("trail byte below 0x80 straddling")
        << hex("61626364658140") << hex("616263646500");
    QTest::newRow("empty") << QByteArray() << hex("000000000000");
}

void TestCodeplugData::nameCut()
{
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, stored);
    const QByteArray shown = stored.left(stored.indexOf('\0') < 0 ? 6 : stored.indexOf('\0'));

    // Channel 1's name is at 0x59C + 61 = 0x5D9.
    CodeplugData d = fromBytes(filled('\xFF'));
    ChannelRecord r = d.channel(1);
    r.setName(input);
    d.setChannel(1, r);
    QCOMPARE(describeDiff(d.toByteArray(),
                          withPatch(filled('\xFF'),
                                    QStringLiteral("5D9:") + QString::fromLatin1(stored.toHex()))),
             QString());
    QCOMPARE(d.channel(1).name(), shown);

    // Address-book entry 2's name is at 0x35B + 12 = 0x367.
    AddressBookEntry e = d.addressBookEntry(2);
    e.setName(input);
    d.setAddressBookEntry(2, e);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(d.bytes().data()) + 0x367, 6).toHex(),
             stored.toHex());
    QCOMPARE(d.addressBookEntry(2).name(), shown);
}
