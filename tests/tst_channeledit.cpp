// The channel editing rules without any window: frequencies typed into the
// receive and transmit cells, tones with their automatic squelch mode, the
// pickers, the cell texts and the editors' character filters. Expected
// values are worked out by hand from the band, the raster and the record
// layout.
#include "codeplug/channeledit.h"

#include <QtTest>

using namespace t880;
using namespace t880::channeledit;

Q_DECLARE_METATYPE(t880::channeledit::EditResult)

namespace {

constexpr quint32 kBand2Low = 400000000;
constexpr quint32 kBand2High = 490000000;

// A state with band 2 active and channel 3 in use at 446.00625 MHz.
CodeplugState band2State()
{
    CodeplugState s;
    s.activeBandLow = kBand2Low;
    s.activeBandHigh = kBand2High;
    ChannelRecord r;
    r.setRxFreq(446006250);
    r.setTxFreq(446006250);
    r.raw[ChannelRecord::Offset::optionB] = 0xB0;
    s.codeplug.setChannel(3, r);
    s.codeplug.setChannelUsed(3, true);
    return s;
}

} // namespace

class TestChannelEdit : public QObject
{
    Q_OBJECT

private slots:
    void rxFrequency_data();
    void rxFrequency();
    void firstUseFillsChannel();
    void clearedChannelKeepsBytesAndRefills();
    void txFrequency_data();
    void txFrequency();
    void toneAndSquelchMode_data();
    void toneAndSquelchMode();
    void nonstandardTone_data();
    void nonstandardTone();
    void pickers_data();
    void pickers();
    void busyLockPickerIndex_data();
    void busyLockPickerIndex();
    void rowTexts_data();
    void rowTexts();
    void frequencyKeys_data();
    void frequencyKeys();
    void frequencyTidy_data();
    void frequencyTidy();
    void toneKeys_data();
    void toneKeys();
    void toneTidy_data();
    void toneTidy();
};

void TestChannelEdit::rxFrequency_data()
{
    QTest::addColumn<int>("channel");
    QTest::addColumn<QString>("text");
    QTest::addColumn<EditResult>("result");
    QTest::addColumn<quint32>("rx");
    QTest::addColumn<bool>("used");

    // Channel 3 is in use at 446.00625 MHz; channel 5 is not in use.
    QTest::newRow("500 above band 2 clamps to 490 MHz")
        << 5 << "500" << EditResult::Stored << 490000000u << true;
    QTest::newRow("300 below band 2 clamps to 400 MHz")
        << 3 << "300" << EditResult::Stored << 400000000u << true;
    QTest::newRow("438.5125 on the 6.25 kHz raster is kept")
        << 3 << "438.5125" << EditResult::Stored << 438512500u << true;
    QTest::newRow("438.5100 on the 5 kHz raster is kept")
        << 3 << "438.5100" << EditResult::Stored << 438510000u << true;
    QTest::newRow("438.5110 moves down to 438.50625")
        << 3 << "438.5110" << EditResult::Stored << 438506250u << true;
    QTest::newRow("digits below 1 Hz are dropped, not rounded")
        << 3 << "446.0062509" << EditResult::Stored << 446006250u << true;
    QTest::newRow("a point at the end") << 5 << "446." << EditResult::Stored << 446000000u << true;
    QTest::newRow("empty text takes the channel out of use")
        << 3 << "" << EditResult::TakenOutOfUse << 446006250u << false;
    QTest::newRow("pasted words are refused, old frequency kept")
        << 3 << "hello" << EditResult::Refused << 446006250u << true;
    QTest::newRow("pasted number with a unit is refused")
        << 3 << "438.5MHz" << EditResult::Refused << 446006250u << true;
    QTest::newRow("a decimal comma is refused")
        << 3 << "446,5" << EditResult::Refused << 446006250u << true;
    QTest::newRow("beyond the 32-bit field clamps to 490 MHz like any value above the band")
        << 3 << "4294.967296" << EditResult::Stored << 490000000u << true;
    QTest::newRow("too large, then a letter, is refused")
        << 3 << "5000x" << EditResult::Refused << 446006250u << true;
    QTest::newRow("refused text leaves an unused channel unused")
        << 5 << "4x" << EditResult::Refused << 0u << false;
}

void TestChannelEdit::rxFrequency()
{
    QFETCH(int, channel);
    QFETCH(QString, text);
    QFETCH(EditResult, result);
    QFETCH(quint32, rx);
    QFETCH(bool, used);

    CodeplugState s = band2State();
    QCOMPARE(commitRxFrequency(s, channel, text), result);
    QCOMPARE(s.codeplug.channel(channel).rxFreq(), rx);
    QCOMPARE(s.codeplug.isChannelUsed(channel), used);
}

// The first receive frequency of a channel fills the record as a new channel:
// every option and spare byte is rewritten, tones are cleared, the name stays.
void TestChannelEdit::firstUseFillsChannel()
{
    CodeplugState s = band2State();
    ChannelRecord junk;
    junk.raw.fill(0x55);
    s.codeplug.setChannel(5, junk);

    QCOMPARE(commitRxFrequency(s, 5, QStringLiteral("500")), EditResult::Stored);

    ChannelRecord expected = junk;
    // 490 000 000 = 0x1D34CE80, little-endian, for receive and transmit.
    for (int base : {0, 14}) {
        expected.raw[base + 0] = 0x80;
        expected.raw[base + 1] = 0xCE;
        expected.raw[base + 2] = 0x34;
        expected.raw[base + 3] = 0x1D;
    }
    expected.raw[28] = expected.raw[29] = expected.raw[30] = 0; // no receive tone
    expected.raw[41] = expected.raw[42] = expected.raw[43] = 0; // no transmit tone
    expected.raw[57] = 0x00;                                    // carrier squelch, busy lock off
    expected.raw[58] = 0xB0; // scan add, high power, wide; no DTMF
    expected.raw[59] = expected.raw[60] = 0;
    const ChannelRecord r = s.codeplug.channel(5);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(r.raw.data()), 72).toHex(' '),
             QByteArray(reinterpret_cast<const char *>(expected.raw.data()), 72).toHex(' '));
    QVERIFY(s.codeplug.isChannelUsed(5));
    QVERIFY(r.wide() && r.highPower() && r.scanAdd() && !r.dtmfFlag());
    QCOMPARE(r.busyLock(), 0);
    QCOMPARE(r.squelchMode(), 0);
}

// Emptying the receive cell only clears the used bit; typing a frequency
// again starts the channel afresh with the defaults.
void TestChannelEdit::clearedChannelKeepsBytesAndRefills()
{
    CodeplugState s = band2State();
    ChannelRecord r = s.codeplug.channel(3);
    r.setTxFreq(450000000);
    r.setRxTone({1, 885});
    r.setHighPower(false);
    s.codeplug.setChannel(3, r);

    QCOMPARE(commitRxFrequency(s, 3, QString()), EditResult::TakenOutOfUse);
    QVERIFY(!s.codeplug.isChannelUsed(3));
    QCOMPARE(s.codeplug.channel(3).raw, r.raw);
    const auto blank = channeledit::rowTexts(s.codeplug, 3);
    for (int c = RxFreqColumn; c < ColumnCount; ++c)
        QVERIFY(blank[std::size_t(c)].text.isEmpty() && blank[std::size_t(c)].textNumber < 0);

    QCOMPARE(commitRxFrequency(s, 3, QStringLiteral("446.1")), EditResult::Stored);
    const ChannelRecord again = s.codeplug.channel(3);
    QVERIFY(s.codeplug.isChannelUsed(3));
    QCOMPARE(again.rxFreq(), 446100000u);
    QCOMPARE(again.txFreq(), 446100000u);
    QCOMPARE(again.rxTone().type, quint8(0));
    QVERIFY(again.highPower());
}

void TestChannelEdit::txFrequency_data()
{
    QTest::addColumn<int>("channel");
    QTest::addColumn<QString>("text");
    QTest::addColumn<EditResult>("result");
    QTest::addColumn<quint32>("tx");
    QTest::addColumn<QString>("cell");

    QTest::newRow("empty stores 0, shown as 0") << 3 << "" << EditResult::Stored << 0u << "0";
    QTest::newRow("0 stores 0") << 3 << "0" << EditResult::Stored << 0u << "0";
    QTest::newRow("0.000 stores 0") << 3 << "0.000" << EditResult::Stored << 0u << "0";
    QTest::newRow("500 clamps to 490")
        << 3 << "500" << EditResult::Stored << 490000000u << "490.00000";
    QTest::newRow("1 clamps up to 400")
        << 3 << "1" << EditResult::Stored << 400000000u << "400.00000";
    QTest::newRow("438.5110 moves down to 438.50625")
        << 3 << "438.5110" << EditResult::Stored << 438506250u << "438.50625";
    QTest::newRow("non-number refused")
        << 3 << "4.3.8" << EditResult::Refused << 446006250u << "446.00625";
    QTest::newRow("channel not in use is refused") << 5 << "446" << EditResult::Refused << 0u << "";
}

void TestChannelEdit::txFrequency()
{
    QFETCH(int, channel);
    QFETCH(QString, text);
    QFETCH(EditResult, result);
    QFETCH(quint32, tx);
    QFETCH(QString, cell);

    CodeplugState s = band2State();
    QCOMPARE(commitTxFrequency(s, channel, text), result);
    QCOMPARE(s.codeplug.channel(channel).txFreq(), tx);
    QCOMPARE(channeledit::rowTexts(s.codeplug, channel)[TxFreqColumn].text, cell);
    QCOMPARE(s.codeplug.isChannelUsed(channel), channel == 3);
}

void TestChannelEdit::toneAndSquelchMode_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("oldRxType");
    QTest::addColumn<int>("oldMode");
    QTest::addColumn<bool>("dtmf");
    QTest::addColumn<QString>("text");
    QTest::addColumn<EditResult>("result");
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("mode");

    const auto ok = EditResult::Stored;
    // Receive tone appears: only carrier squelch turns into CTC/DCS (2).
    QTest::newRow("rx 88.5 on carrier -> CTC/DCS")
        << 3 << 0 << 0 << false << "88.5" << ok << 1 << 885 << 2;
    QTest::newRow("rx D023N on carrier -> CTC/DCS")
        << 3 << 0 << 0 << false << "D023N" << ok << 2 << 0x2813 << 2;
    QTest::newRow("rx D754I on carrier with DTMF -> CTC/DCS")
        << 3 << 0 << 0 << true << "D754I" << ok << 3 << 0x29EC << 2;
    QTest::newRow("rx tone on DTMF squelch stays DTMF")
        << 3 << 0 << 1 << true << "88.5" << ok << 1 << 885 << 1;
    QTest::newRow("rx tone on combined mode 3 stays")
        << 3 << 0 << 3 << true << "88.5" << ok << 1 << 885 << 3;
    QTest::newRow("rx tone replaced, carrier stays")
        << 3 << 1 << 0 << false << "67.0" << ok << 1 << 670 << 0;
    // Receive tone removed.
    QTest::newRow("rx off, DTMF flag, mode 3 -> DTMF")
        << 3 << 1 << 3 << true << "Off" << ok << 0 << 0xFFFF << 1;
    QTest::newRow("rx off, DTMF flag, mode 4 -> DTMF")
        << 3 << 2 << 4 << true << "Off" << ok << 0 << 0xFFFF << 1;
    QTest::newRow("rx off, no DTMF flag, mode 3 -> carrier")
        << 3 << 1 << 3 << false << "Off" << ok << 0 << 0xFFFF << 0;
    QTest::newRow("rx off, no DTMF flag, mode 4 -> carrier")
        << 3 << 3 << 4 << false << "" << ok << 0 << 0xFFFF << 0;
    QTest::newRow("rx off, DTMF flag, mode 2 -> carrier")
        << 3 << 1 << 2 << true << "Off" << ok << 0 << 0xFFFF << 0;
    QTest::newRow("rx off again with no tone before keeps DTMF mode")
        << 3 << 0 << 1 << true << "Off" << ok << 0 << 0xFFFF << 1;
    // The transmit tone never moves the squelch mode.
    QTest::newRow("tx tone on carrier stays carrier")
        << 4 << 0 << 0 << false << "88.5" << ok << 1 << 885 << 0;
    QTest::newRow("tx off with rx tone keeps CTC/DCS")
        << 4 << 1 << 2 << false << "Off" << ok << 0 << 0xFFFF << 2;
    // A text the tone reader rejects changes nothing (the receive tone was 88.5).
    QTest::newRow("rx 25.0 below the CTCSS range refused")
        << 3 << 1 << 2 << false << "25.0" << EditResult::Refused << 1 << 885 << 2;
    QTest::newRow("rx D09 refused")
        << 3 << 1 << 2 << false << "D09" << EditResult::Refused << 1 << 885 << 2;
    QTest::newRow("rx D089N (8 is no octal digit) refused")
        << 3 << 1 << 2 << false << "D089N" << EditResult::Refused << 1 << 885 << 2;
}

void TestChannelEdit::toneAndSquelchMode()
{
    QFETCH(int, column);
    QFETCH(int, oldRxType);
    QFETCH(int, oldMode);
    QFETCH(bool, dtmf);
    QFETCH(QString, text);
    QFETCH(EditResult, result);
    QFETCH(int, type);
    QFETCH(int, value);
    QFETCH(int, mode);

    CodeplugState s = band2State();
    ChannelRecord r = s.codeplug.channel(3);
    r.setRxTone(oldRxType == 0 ? Tone{} : Tone{quint8(oldRxType), 885});
    r.setTxTone(column == 4 ? Tone{1, 1000} : Tone{});
    r.raw[57] = quint8(0x10 | oldMode); // busy lock 2 stays through every edit
    r.setDtmfFlag(dtmf);
    s.codeplug.setChannel(3, r);

    QCOMPARE(commitTone(s.codeplug, 3, column, text), result);
    const ChannelRecord after = s.codeplug.channel(3);
    const Tone tone = column == 3 ? after.rxTone() : after.txTone();
    QCOMPARE(int(tone.type), type);
    QCOMPARE(int(tone.value), value);
    QCOMPARE(after.squelchMode(), mode);
    QCOMPARE(after.busyLock(), 2);
    QCOMPARE(after.dtmfFlag(), dtmf);
}

void TestChannelEdit::nonstandardTone_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");
    QTest::addColumn<bool>("nonstandard");

    QTest::newRow("rx 69.4 stored and nonstandard") << 3 << "69.4" << 694 << true;
    QTest::newRow("tx 69.4 stored and nonstandard") << 4 << "69.4" << 694 << true;
    QTest::newRow("rx 69.3 is standard") << 3 << "69.3" << 693 << false;
    QTest::newRow("rx D024N is nonstandard") << 3 << "D024N" << 0x2814 << true;
    QTest::newRow("tx D025I is standard") << 4 << "D025I" << 0x2815 << false;
    QTest::newRow("rx Off is standard") << 3 << "Off" << 0xFFFF << false;
}

void TestChannelEdit::nonstandardTone()
{
    QFETCH(int, column);
    QFETCH(QString, text);
    QFETCH(int, value);
    QFETCH(bool, nonstandard);

    CodeplugState s = band2State();
    QCOMPARE(commitTone(s.codeplug, 3, column, text), EditResult::Stored);
    const ChannelRecord r = s.codeplug.channel(3);
    QCOMPARE(int((column == 3 ? r.rxTone() : r.txTone()).value), value);
    QCOMPARE(isNonstandardTone(s.codeplug, 3, column), nonstandard);
    QCOMPARE(channeledit::rowTexts(s.codeplug, 3)[std::size_t(column)].text, text);
    // The mark belongs to the tone cells of channels in use only.
    s.codeplug.setChannelUsed(3, false);
    QVERIFY(!isNonstandardTone(s.codeplug, 3, column));
}

void TestChannelEdit::pickers_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("optionA");
    QTest::addColumn<int>("optionB");

    // Starting from option A 0x02 (DTMF squelch) and B 0xB8 (new channel, DTMF flag).
    QTest::newRow("power low clears bit 5") << 5 << 0 << 0x02 << 0x98;
    QTest::newRow("power high keeps bit 5") << 5 << 1 << 0x02 << 0xB8;
    QTest::newRow("narrow clears bit 4") << 6 << 0 << 0x02 << 0xA8;
    QTest::newRow("wide keeps bit 4") << 6 << 1 << 0x02 << 0xB8;
    QTest::newRow("scan DEL clears bit 7") << 7 << 0 << 0x02 << 0x38;
    QTest::newRow("scan ADD keeps bit 7") << 7 << 1 << 0x02 << 0xB8;
    QTest::newRow("busy lock OFF stores 0") << 8 << 0 << 0x02 << 0xB8;
    QTest::newRow("busy lock CAT stores 2") << 8 << 1 << 0x12 << 0xB8;
}

void TestChannelEdit::pickers()
{
    QFETCH(int, column);
    QFETCH(int, index);
    QFETCH(int, optionA);
    QFETCH(int, optionB);

    CodeplugState s = band2State();
    ChannelRecord r = s.codeplug.channel(3);
    r.raw[57] = 0x02;
    r.raw[58] = 0xB8;
    s.codeplug.setChannel(3, r);
    QCOMPARE(commitPicker(s.codeplug, 3, column, index), EditResult::Stored);
    QCOMPARE(int(s.codeplug.channel(3).optionA()), optionA);
    QCOMPARE(int(s.codeplug.channel(3).optionB()), optionB);
    QCOMPARE(pickerIndex(s.codeplug.channel(3), column, 1 - index), index);
    QCOMPARE(commitPicker(s.codeplug, 5, column, index), EditResult::Refused);
}

void TestChannelEdit::busyLockPickerIndex_data()
{
    QTest::addColumn<int>("busyLock");
    QTest::addColumn<int>("previous");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("cellText");

    QTest::newRow("0 selects OFF") << 0 << 1 << 0 << 32;
    QTest::newRow("2 selects CAT") << 2 << 0 << 1 << 33;
    QTest::newRow("1 keeps a previous OFF") << 1 << 0 << 0 << 33;
    QTest::newRow("1 keeps a previous CAT") << 1 << 1 << 1 << 33;
    QTest::newRow("3 keeps a previous OFF") << 3 << 0 << 0 << 33;
    QTest::newRow("3 keeps a previous CAT") << 3 << 1 << 1 << 33;
}

void TestChannelEdit::busyLockPickerIndex()
{
    QFETCH(int, busyLock);
    QFETCH(int, previous);
    QFETCH(int, index);
    QFETCH(int, cellText);

    CodeplugState s = band2State();
    ChannelRecord r = s.codeplug.channel(3);
    r.setBusyLock(busyLock);
    s.codeplug.setChannel(3, r);
    QCOMPARE(pickerIndex(r, BusyLockColumn, previous), index);
    QCOMPARE(channeledit::rowTexts(s.codeplug, 3)[BusyLockColumn].textNumber, cellText);
    QCOMPARE(s.codeplug.channel(3).busyLock(), busyLock); // opening changes nothing
}

void TestChannelEdit::rowTexts_data()
{
    QTest::addColumn<int>("channel");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QList<int>>("numbers");

    QTest::newRow("channel 3 in use")
        << 3 << QStringList{"03", "446.00625", "145.50000", "88.5", "D023I", "", "", "", ""}
        << QList<int>{-1, -1, -1, -1, -1, 27, 29, 31, 33};
    QTest::newRow("channel 12 not in use")
        << 12 << QStringList{"12", "", "", "", "", "", "", "", ""}
        << QList<int>{-1, -1, -1, -1, -1, -1, -1, -1, -1};
}

void TestChannelEdit::rowTexts()
{
    QFETCH(int, channel);
    QFETCH(QStringList, texts);
    QFETCH(QList<int>, numbers);

    CodeplugState s = band2State();
    ChannelRecord r = s.codeplug.channel(3);
    r.setTxFreq(145500000);
    r.setRxTone({1, 885});
    r.setTxTone({3, 0x2813});
    r.raw[57] = 0x08; // busy lock 1, from a foreign file
    r.raw[58] = 0x00; // low, narrow, DEL
    s.codeplug.setChannel(3, r);
    s.codeplug.setChannel(12, r); // bytes there, but the channel is not in use

    const auto cells = channeledit::rowTexts(s.codeplug, channel);
    for (int c = 0; c < ColumnCount; ++c) {
        QCOMPARE(cells[std::size_t(c)].text, texts[c]);
        QCOMPARE(cells[std::size_t(c)].textNumber, numbers[c]);
    }
}

void TestChannelEdit::frequencyKeys_data()
{
    QTest::addColumn<QChar>("key");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("digit 0") << QChar(u'0') << true;
    QTest::newRow("digit 9") << QChar(u'9') << true;
    QTest::newRow("point") << QChar(u'.') << true;
    QTest::newRow("backspace") << QChar(0x08) << true;
    QTest::newRow("delete character") << QChar(0x7F) << true;
    // Dropped, a decimal comma would turn 446,5 into 4465.
    QTest::newRow("comma passes to be refused by name") << QChar(u',') << true;
    QTest::newRow("letter a") << QChar(u'a') << false;
    QTest::newRow("space") << QChar(u' ') << false;
    QTest::newRow("minus") << QChar(u'-') << false;
    QTest::newRow("beyond 7-bit ASCII passes") << QChar(0x00E9) << true;
}

void TestChannelEdit::frequencyKeys()
{
    QFETCH(QChar, key);
    QFETCH(bool, accepted);
    QCOMPARE(frequencyKeyAccepted(key), accepted);
}

void TestChannelEdit::frequencyTidy_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("tidy");

    QTest::newRow("plain text stays") << "438.51250"
                                      << "438.51250";
    QTest::newRow("a tenth character is cut") << "438.512501"
                                              << "438.51250";
    QTest::newRow("a lone point is emptied") << "."
                                             << "";
    QTest::newRow("a second point is removed") << "438..5"
                                               << "438.5";
    QTest::newRow("points after the first all go") << "4.3.8.5"
                                                   << "4.385";
    QTest::newRow("a leading point with digits stays") << ".5"
                                                       << ".5";
    QTest::newRow("empty stays empty") << ""
                                       << "";
}

void TestChannelEdit::frequencyTidy()
{
    QFETCH(QString, text);
    QFETCH(QString, tidy);
    QCOMPARE(tidyFrequencyText(text), tidy);
}

void TestChannelEdit::toneKeys_data()
{
    QTest::addColumn<QChar>("key");
    QTest::addColumn<QString>("taken");

    QTest::newRow("digit") << QChar(u'7') << "7";
    QTest::newRow("point") << QChar(u'.') << ".";
    QTest::newRow("capital D") << QChar(u'D') << "D";
    QTest::newRow("small d becomes D") << QChar(u'd') << "D";
    QTest::newRow("small n becomes N") << QChar(u'n') << "N";
    QTest::newRow("small i becomes I") << QChar(u'i') << "I";
    QTest::newRow("capital O discarded") << QChar(u'O') << "";
    QTest::newRow("small x discarded") << QChar(u'x') << "";
    QTest::newRow("space discarded") << QChar(u' ') << "";
    QTest::newRow("backspace passes") << QChar(0x08) << QString(QChar(0x08));
    QTest::newRow("beyond 7-bit ASCII passes") << QChar(0x00E9) << QString(QChar(0x00E9));
}

void TestChannelEdit::toneKeys()
{
    QFETCH(QChar, key);
    QFETCH(QString, taken);
    const std::optional<QChar> c = toneKey(key);
    QCOMPARE(c ? QString(*c) : QString(), taken);
}

void TestChannelEdit::toneTidy_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("tidy");

    QTest::newRow("five characters stay") << "D023N"
                                          << "D023N";
    QTest::newRow("a sixth is cut") << "D023NN"
                                    << "D023N";
    QTest::newRow("short text stays") << "69.4"
                                      << "69.4";
}

void TestChannelEdit::toneTidy()
{
    QFETCH(QString, text);
    QFETCH(QString, tidy);
    QCOMPARE(tidyToneText(text), tidy);
}

QTEST_APPLESS_MAIN(TestChannelEdit)
#include "tst_channeledit.moc"
