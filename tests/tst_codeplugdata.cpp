// The codeplug block: where every field lives, the New defaults, the used
// masks and the editing rules. Expected bytes are worked out by hand from the
// layout (offsets written out, values little-endian).
#include "codeplug/codeplugdata.h"
#include "link/programstate.h"

#include "testsupport.h"
#include "tst_blockhelpers.h"

#include <QtTest>

using namespace t880;
using namespace t880::testing;
using blocktest::applyPatch;

namespace {

QByteArray filled(char fill)
{
    return QByteArray(blocktest::BlockSize, fill);
}

CodeplugData fromBytes(const QByteArray &bytes)
{
    CodeplugData d;
    d.replaceLeading(bytes);
    return d;
}

// The block with \a setup applied on top of \a fill.
QByteArray prepared(char fill, const QString &setup)
{
    QByteArray b = filled(fill);
    applyPatch(b, setup);
    return b;
}

QByteArray withPatch(QByteArray b, const QString &patch)
{
    applyPatch(b, patch);
    return b;
}

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

class TestCodeplugData : public QObject
{
    Q_OBJECT

private slots:
    // --- where every field lives ------------------------------------------
    void settingOffsets_data();
    void settingOffsets();
    void everySettingIsCovered();
    void textFieldOffsets_data();
    void textFieldOffsets();
    void codeFieldOffsets_data();
    void codeFieldOffsets();
    void channelFieldOffsets_data();
    void channelFieldOffsets();
    void rxFreqExample_data();
    void rxFreqExample();
    void addressBookOffsets_data();
    void addressBookOffsets();

    // --- defaults -----------------------------------------------------------
    void newDefaults_data();
    void newDefaults();
    void programStateStartsNew();
    void dtmfDefaults_data();
    void dtmfDefaults();

    // --- used masks ---------------------------------------------------------
    void setUsedBit_data();
    void setUsedBit();
    void isUsedReadsMask_data();
    void isUsedReadsMask();
    void deletingChannelKeepsRecord();

    // --- editing rules ------------------------------------------------------
    void newChannelRule_data();
    void newChannelRule();
    void squelchModeRule_data();
    void squelchModeRule();
    void addressBookEntryRule_data();
    void addressBookEntryRule();
    void dtmfCodeFromText_data();
    void dtmfCodeFromText();
    void dtmfCodeRejectsText_data();
    void dtmfCodeRejectsText();
    void dtmfCodeText_data();
    void dtmfCodeText();
    void nameCut_data();
    void nameCut();
};

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

QTEST_APPLESS_MAIN(TestCodeplugData)
#include "tst_codeplugdata.moc"
