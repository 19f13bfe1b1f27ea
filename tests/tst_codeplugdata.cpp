// The codeplug block: where every field lives, the New defaults, the used
// masks and the editing rules. Expected bytes are worked out by hand from the
// layout (offsets written out, values little-endian).
//
// This file: where every field lives; tst_codeplugdata_rules.cpp the
// defaults, the used masks and the editing rules.
#include "tst_codeplugdata.h"

using namespace t880;
using namespace t880::testing;
using blocktest::applyPatch;
using namespace codeplugdatatest;

namespace {

enum class ChannelOp {
    RxFreq,
    TxFreq,
    RxTone,
    TxTone,
    SquelchMode,
    BusyLock,
    DtmfFlag,
    Wide,
    HighPower,
    ScanAdd,
    Name
};

void applyChannelOp(ChannelRecord &r, ChannelOp op, qint64 arg, const QByteArray &text)
{
    switch (op) {
    case ChannelOp::RxFreq:
        r.setRxFreq(quint32(arg));
        break;
    case ChannelOp::TxFreq:
        r.setTxFreq(quint32(arg));
        break;
    case ChannelOp::RxTone:
        r.setRxTone(Tone{quint8(arg >> 16), quint16(arg)});
        break;
    case ChannelOp::TxTone:
        r.setTxTone(Tone{quint8(arg >> 16), quint16(arg)});
        break;
    case ChannelOp::SquelchMode:
        r.setSquelchMode(int(arg));
        break;
    case ChannelOp::BusyLock:
        r.setBusyLock(int(arg));
        break;
    case ChannelOp::DtmfFlag:
        r.setDtmfFlag(arg != 0);
        break;
    case ChannelOp::Wide:
        r.setWide(arg != 0);
        break;
    case ChannelOp::HighPower:
        r.setHighPower(arg != 0);
        break;
    case ChannelOp::ScanAdd:
        r.setScanAdd(arg != 0);
        break;
    case ChannelOp::Name:
        r.setName(text);
        break;
    }
}

qint64 toneArg(int type, int value)
{
    return (qint64(type) << 16) | value;
}

// The numeric settings with their offsets and widths, read off the layout.
struct SettingRow
{
    const char *name;
    Setting id;
    int offset;
    int width;
};

const SettingRow kSettingRows[] = {
    {"voice", Setting::voice, 0xAB6, 1},
    {"sql", Setting::sql, 0xABF, 1},
    {"squelchMode", Setting::squelchMode, 0xAC0, 1},
    {"subaudioTail", Setting::subaudioTail, 0xAC8, 1},
    {"voxCtrl", Setting::voxCtrl, 0xACE, 1},
    {"voxGain", Setting::voxGain, 0xACF, 1},
    {"voxDelay", Setting::voxDelay, 0xAD0, 2},
    {"tot", Setting::tot, 0xAD2, 2},
    {"toa", Setting::toa, 0xAD5, 1},
    {"scanResume", Setting::scanResume, 0xAD9, 1},
    {"priorityScan", Setting::priorityScan, 0xADA, 2},
    {"keyPressBeep", Setting::keyPressBeep, 0xADF, 1},
    {"batterySave", Setting::batterySave, 0xAE1, 1},
    {"batterySaveRate", Setting::batterySaveRate, 0xAE2, 1},
    {"autoPowerOff", Setting::autoPowerOff, 0xAE3, 2},
    {"channelReport", Setting::channelReport, 0xAE6, 1},
    {"tone1750Ctrl", Setting::tone1750Ctrl, 0xAEB, 1},
    {"tone1750Hold", Setting::tone1750Hold, 0xAEC, 1},
    {"dtmfId", Setting::dtmfId, 0xAF0, 2},
    {"dtmfGroup", Setting::dtmfGroup, 0xAF2, 1},
    {"dtmfEncodeMode", Setting::dtmfEncodeMode, 0xAF3, 1},
    {"dtmfSideTone", Setting::dtmfSideTone, 0xAF4, 1},
    {"dtmfControl", Setting::dtmfControl, 0xAF5, 1},
    {"dtmfDigitSpeed", Setting::dtmfDigitSpeed, 0xAF6, 1},
    {"dtmfPauseDuration", Setting::dtmfPauseDuration, 0xAF7, 1},
    {"dtmfFirstDelay", Setting::dtmfFirstDelay, 0xAF8, 2},
    {"dtmfPretime", Setting::dtmfPretime, 0xAFA, 2},
    {"dtmfStarHashDelay", Setting::dtmfStarHashDelay, 0xAFC, 2},
    {"groupCode", Setting::groupCode, 0xAFE, 1},
    {"autoResetTime", Setting::autoResetTime, 0xAFF, 1},
    {"sendAni", Setting::sendAni, 0xB00, 1},
    {"limited", Setting::limited, 0xB23, 1},
    {"dizzyState", Setting::dizzyState, 0xB24, 1},
    {"whisper", Setting::whisper, 0xB40, 1},
    {"alarmMode", Setting::alarmMode, 0xB49, 1},
    {"refuseAlarm", Setting::refuseAlarm, 0xB4A, 1},
    {"autoConnect", Setting::autoConnect, 0xB4B, 1},
    {"autoConnectPos", Setting::autoConnectPos, 0xB4C, 1},
    {"masterTxPeriod", Setting::masterTxPeriod, 0xB4D, 1},
    {"slaveTimeout", Setting::slaveTimeout, 0xB4E, 1},
    {"slaveAlarmPeriod", Setting::slaveAlarmPeriod, 0xB4F, 1},
    {"powerOnBeep", Setting::powerOnBeep, 0xB50, 1},
    {"key1Short", Setting::key1Short, 0xB51, 1},
    {"key1Long", Setting::key1Long, 0xB52, 1},
    {"key2Short", Setting::key2Short, 0xB53, 1},
    {"key2Long", Setting::key2Long, 0xB54, 1},
    {"writeNewPassword", Setting::writeNewPassword, 0xB5E, 1},
};

} // namespace

// Every setting on a block of zeros and on a block of 0xFF: exactly its own
// bytes change, little-endian, and it reads back.
void TestCodeplugData::settingOffsets_data()
{
    QTest::addColumn<int>("setting");
    QTest::addColumn<QString>("name");
    QTest::addColumn<quint32>("value");
    QTest::addColumn<QString>("patch");
    for (const SettingRow &row : kSettingRows) {
        const quint32 value = row.width == 2 ? 0xA53Cu : 0x5Au;
        const QString bytes = row.width == 2 ? QStringLiteral("3C A5") : QStringLiteral("5A");
        QTest::newRow(row.name) << int(row.id) << QString::fromLatin1(row.name) << value
                                << QStringLiteral("%1: %2").arg(row.offset, 0, 16).arg(bytes);
    }
}

void TestCodeplugData::settingOffsets()
{
    QFETCH(int, setting);
    QFETCH(QString, name);
    QFETCH(quint32, value);
    QFETCH(QString, patch);
    const auto id = Setting(setting);

    for (char fill : {'\x00', '\xFF'}) {
        CodeplugData d = fromBytes(filled(fill));
        d.setSetting(id, value);
        QCOMPARE(describeDiff(d.toByteArray(), withPatch(filled(fill), patch)), QString());
        QCOMPARE(d.setting(id), value);
    }
    // Reading: bytes placed by hand come back as the little-endian value.
    QCOMPARE(fromBytes(withPatch(filled(0), patch)).setting(id), value);
    // The name is the field name of the layout (the key of the JSON output).
    QCOMPARE(QString::fromLatin1(settingInfo(id).name), name);
}

void TestCodeplugData::everySettingIsCovered()
{
    QCOMPARE(int(std::size(kSettingRows)), int(Setting::Count));
    QCOMPARE(int(settingTable().size()), int(Setting::Count));
}

void TestCodeplugData::textFieldOffsets_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<char>("fill");
    QTest::addColumn<QString>("patch");
    QTest::addColumn<QByteArray>("readBack");

    QTest::newRow("deviceSerial 8 digits, no terminator")
        << int(TextField::deviceSerial) << QByteArray("12345678") << '\xFF'
        << "04A: 31 32 33 34 35 36 37 38" << QByteArray("12345678");
    QTest::newRow("deviceSerial short, rest zero")
        << int(TextField::deviceSerial) << QByteArray("4711") << '\xFF'
        << "04A: 34 37 31 31 00 00 00 00" << QByteArray("4711");
    QTest::newRow("radioPassword 12 characters and NUL")
        << int(TextField::radioPassword) << QByteArray("abcdefghijkl") << '\xFF'
        << "053: 61 62 63 64 65 66 67 68 69 6A 6B 6C 00" << QByteArray("abcdefghijkl");
    QTest::newRow("radioPassword cut at 12")
        << int(TextField::radioPassword) << QByteArray("abcdefghijklmn") << '\xFF'
        << "053: 61 62 63 64 65 66 67 68 69 6A 6B 6C 00" << QByteArray("abcdefghijkl");
    QTest::newRow("radioPassword short on zeros")
        << int(TextField::radioPassword) << QByteArray("1234") << '\x00' << "053: 31 32 33 34"
        << QByteArray("1234");
    QTest::newRow("newRadioPassword 12 characters and NUL")
        << int(TextField::newRadioPassword) << QByteArray("ZYXWVUTSRQPO") << '\xFF'
        << "060: 5A 59 58 57 56 55 54 53 52 51 50 4F 00" << QByteArray("ZYXWVUTSRQPO");
    QTest::newRow("newRadioPassword short on zeros")
        << int(TextField::newRadioPassword) << QByteArray("9") << '\x00' << "060: 39"
        << QByteArray("9");
    QTest::newRow("firmwareVersion 8 characters and NUL")
        << int(TextField::firmwareVersion) << QByteArray("V1.02.03") << '\xFF'
        << "B55: 56 31 2E 30 32 2E 30 33 00" << QByteArray("V1.02.03");
}

void TestCodeplugData::textFieldOffsets()
{
    QFETCH(int, field);
    QFETCH(QByteArray, text);
    QFETCH(char, fill);
    QFETCH(QString, patch);
    QFETCH(QByteArray, readBack);

    CodeplugData d = fromBytes(filled(fill));
    d.setText(TextField(field), text);
    QCOMPARE(describeDiff(d.toByteArray(), withPatch(filled(fill), patch)), QString());
    QCOMPARE(d.text(TextField(field)), readBack);
}

void TestCodeplugData::codeFieldOffsets_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("patch");

    QTest::newRow("dizzyCode 123*#") << int(CodeField::dizzyCode) << QByteArray("123*#")
                                     << "B02: 01 02 03 0E 0F 00 00 00 00 00 05";
    QTest::newRow("stunCode ABCD") << int(CodeField::stunCode) << QByteArray("ABCD")
                                   << "B0D: 0A 0B 0C 0D 00 00 00 00 00 00 04";
    QTest::newRow("activationCode ten digits")
        << int(CodeField::activationCode) << QByteArray("0987654321")
        << "B18: 00 09 08 07 06 05 04 03 02 01 0A";
    QTest::newRow("pttIdCode #") << int(CodeField::pttIdCode) << QByteArray("#")
                                 << "B25: 0F 00 00 00 00 00 00 00 00 00 01";
    QTest::newRow("aniCode empty")
        << int(CodeField::aniCode) << QByteArray() << "B30: 00 00 00 00 00 00 00 00 00 00 00";
}

void TestCodeplugData::codeFieldOffsets()
{
    QFETCH(int, field);
    QFETCH(QByteArray, text);
    QFETCH(QString, patch);

    DtmfCode code;
    QVERIFY(code.setText(text));
    CodeplugData d = fromBytes(filled('\xFF'));
    d.setCode(CodeField(field), code);
    QCOMPARE(describeDiff(d.toByteArray(), withPatch(filled('\xFF'), patch)), QString());
    QCOMPARE(d.code(CodeField(field)).text(), text);
    QCOMPARE(d.code(CodeField(field)).count(), int(text.size()));
}

// Channel n starts at 0x554 + 72 n: 1 = 0x59C, 2 = 0x5E4, 3 = 0x62C,
// 4 = 0x674, 5 = 0x6BC, 8 = 0x794, 16 = 0x9D4.
void TestCodeplugData::channelFieldOffsets_data()
{
    QTest::addColumn<int>("channel");
    QTest::addColumn<int>("op");
    QTest::addColumn<qint64>("arg");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<char>("fill");
    QTest::addColumn<QString>("patch");

    const auto row = [](const char *name, int ch, ChannelOp op, qint64 arg, char fill,
                        const char *patch, const QByteArray &text = QByteArray()) {
        QTest::newRow(name) << ch << int(op) << arg << text << fill << QString::fromLatin1(patch);
    };
    // Frequencies, 32 bits little-endian.
    row("ch1 rxFreq 438500000", 1, ChannelOp::RxFreq, 438500000, '\0', "59C: A0 FA 22 1A");
    row("ch1 rxFreq over 0xFF", 1, ChannelOp::RxFreq, 438500000, '\xFF', "59C: A0 FA 22 1A");
    row("ch16 txFreq 438506250", 16, ChannelOp::TxFreq, 438506250, '\0', "9E2: 0A 13 23 1A");
    row("ch7 txFreq 0 over 0xFF", 7, ChannelOp::TxFreq, 0, '\xFF', "75A: 00 00 00 00");
    // Tones: value little-endian at +28 / +41, type at +30 / +43.
    row("ch2 rxTone CTCSS 88.5", 2, ChannelOp::RxTone, toneArg(1, 885), '\0', "600: 75 03 01");
    row("ch2 txTone DCS 023N", 2, ChannelOp::TxTone, toneArg(2, 0x2813), '\0', "60D: 13 28 02");
    row("ch9 rxTone DCS 754I over 0xFF", 9, ChannelOp::RxTone, toneArg(3, 0x29EC), '\xFF',
        "7F8: EC 29 03");
    row("ch10 txTone off", 10, ChannelOp::TxTone, toneArg(0, 0xFFFF), '\0', "84D: FF FF 00");
    // Option byte A (+57): squelch mode bits 0-2, busy lock bits 3-4.
    row("ch3 squelchMode 4", 3, ChannelOp::SquelchMode, 4, '\0', "665: 04");
    row("ch3 squelchMode 0 over 0xFF", 3, ChannelOp::SquelchMode, 0, '\xFF', "665: F8");
    row("ch3 busyLock CAT", 3, ChannelOp::BusyLock, 2, '\0', "665: 10");
    row("ch3 busyLock off over 0xFF", 3, ChannelOp::BusyLock, 0, '\xFF', "665: E7");
    // Option byte B (+58): dtmfFlag bit 3, wide bit 4, highPower bit 5, scanAdd bit 7.
    row("ch4 dtmfFlag on", 4, ChannelOp::DtmfFlag, 1, '\0', "6AE: 08");
    row("ch4 dtmfFlag off over 0xFF", 4, ChannelOp::DtmfFlag, 0, '\xFF', "6AE: F7");
    row("ch4 wide on", 4, ChannelOp::Wide, 1, '\0', "6AE: 10");
    row("ch4 wide off over 0xFF", 4, ChannelOp::Wide, 0, '\xFF', "6AE: EF");
    row("ch4 highPower on", 4, ChannelOp::HighPower, 1, '\0', "6AE: 20");
    row("ch4 highPower off over 0xFF", 4, ChannelOp::HighPower, 0, '\xFF', "6AE: DF");
    row("ch4 scanAdd on", 4, ChannelOp::ScanAdd, 1, '\0', "6AE: 80");
    row("ch4 scanAdd off over 0xFF", 4, ChannelOp::ScanAdd, 0, '\xFF', "6AE: 7F");
    // Name at +61, six bytes, zero-padded; +67 onwards is reserved.
    row("ch16 name six bytes", 16, ChannelOp::Name, 0, '\xFF', "A11: 41 42 43 44 45 46", "ABCDEF");
    row("ch16 name zero-padded", 16, ChannelOp::Name, 0, '\xFF', "A11: 41 42 00 00 00 00", "AB");
    row("ch8 name", 8, ChannelOp::Name, 0, '\0', "7D1: 43 48 38", "CH8");
}

void TestCodeplugData::channelFieldOffsets()
{
    QFETCH(int, channel);
    QFETCH(int, op);
    QFETCH(qint64, arg);
    QFETCH(QByteArray, text);
    QFETCH(char, fill);
    QFETCH(QString, patch);

    CodeplugData d = fromBytes(filled(fill));
    ChannelRecord r = d.channel(channel);
    applyChannelOp(r, ChannelOp(op), arg, text);
    d.setChannel(channel, r);
    QCOMPARE(describeDiff(d.toByteArray(), withPatch(filled(fill), patch)), QString());

    // Reading back through the getters.
    const ChannelRecord back = d.channel(channel);
    switch (ChannelOp(op)) {
    case ChannelOp::RxFreq:
        QCOMPARE(back.rxFreq(), quint32(arg));
        break;
    case ChannelOp::TxFreq:
        QCOMPARE(back.txFreq(), quint32(arg));
        break;
    case ChannelOp::RxTone:
        QCOMPARE(back.rxTone(), (Tone{quint8(arg >> 16), quint16(arg)}));
        break;
    case ChannelOp::TxTone:
        QCOMPARE(back.txTone(), (Tone{quint8(arg >> 16), quint16(arg)}));
        break;
    case ChannelOp::SquelchMode:
        QCOMPARE(back.squelchMode(), int(arg));
        break;
    case ChannelOp::BusyLock:
        QCOMPARE(back.busyLock(), int(arg));
        break;
    case ChannelOp::DtmfFlag:
        QCOMPARE(back.dtmfFlag(), arg != 0);
        break;
    case ChannelOp::Wide:
        QCOMPARE(back.wide(), arg != 0);
        break;
    case ChannelOp::HighPower:
        QCOMPARE(back.highPower(), arg != 0);
        break;
    case ChannelOp::ScanAdd:
        QCOMPARE(back.scanAdd(), arg != 0);
        break;
    case ChannelOp::Name:
        QCOMPARE(back.name(), text);
        break;
    }
}

// The worked example: 438500000 Hz in channel n is A0 FA 22 1A at 0x554 + 72 n.
void TestCodeplugData::rxFreqExample_data()
{
    QTest::addColumn<int>("channel");
    QTest::addColumn<int>("offset");
    for (int n = 1; n <= 16; ++n)
        QTest::addRow("channel %d", n) << n << 0x554 + 72 * n;
}

void TestCodeplugData::rxFreqExample()
{
    QFETCH(int, channel);
    QFETCH(int, offset);
    CodeplugData d;
    ChannelRecord r = d.channel(channel);
    r.setRxFreq(438500000);
    d.setChannel(channel, r);
    QByteArray expected = filled(0);
    blocktest::put(expected, offset, {0xA0, 0xFA, 0x22, 0x1A});
    QCOMPARE(describeDiff(d.toByteArray(), expected), QString());
}

// Entry n starts at 0x335 + 19 n: 1 = 0x348, 3 = 0x36E, 16 = 0x465.
void TestCodeplugData::addressBookOffsets_data()
{
    QTest::addColumn<int>("entry");
    QTest::addColumn<QByteArray>("number");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<char>("fill");
    QTest::addColumn<QString>("patch");

    QTest::newRow("entry 1 number and name on zeros")
        << 1 << QByteArray("123") << QByteArray("BOB") << '\0' << "348: 01 02 03; 353: 03 42 4F 42";
    QTest::newRow("entry 16 over 0xFF, reserved byte kept")
        << 16 << QByteArray("0A#") << QByteArray("ABCDEF") << '\xFF'
        << "465: 00 0A 0F 00 00 00 00 00 00 00 00 03 41 42 43 44 45 46";
    QTest::newRow("entry 3 ten digits") << 3 << QByteArray("9876543210") << QByteArray("Z") << '\0'
                                        << "36E: 09 08 07 06 05 04 03 02 01 00 00 0A 5A";
}

void TestCodeplugData::addressBookOffsets()
{
    QFETCH(int, entry);
    QFETCH(QByteArray, number);
    QFETCH(QByteArray, name);
    QFETCH(char, fill);
    QFETCH(QString, patch);

    CodeplugData d = fromBytes(filled(fill));
    AddressBookEntry e = d.addressBookEntry(entry);
    QVERIFY(e.setNumber(number));
    e.setName(name);
    d.setAddressBookEntry(entry, e);
    QCOMPARE(describeDiff(d.toByteArray(), withPatch(filled(fill), patch)), QString());
    QCOMPARE(d.addressBookEntry(entry).number(), number);
    QCOMPARE(d.addressBookEntry(entry).digitCount(), int(number.size()));
    QCOMPARE(d.addressBookEntry(entry).name(), name);
}

QTEST_APPLESS_MAIN(TestCodeplugData)
#include "moc_tst_codeplugdata.cpp"
