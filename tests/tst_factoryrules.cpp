// The rules behind the calibration fields and the password dialogs, without
// widgets: the field table against the calibration sheet written out by
// hand, the key filter, the cut while typing, the commit, and the password
// and access-code checks.
#include "factory/calibrationfields.h"
#include "factory/passwordentry.h"

#include <QtTest>

using namespace t880;

class TestFactoryRules : public QObject
{
    Q_OBJECT

private slots:
    void fieldTable_data();
    void fieldTable();
    void everyValueHasOneField();
    void keyFilter_data();
    void keyFilter();
    void cutWhileTyping_data();
    void cutWhileTyping();
    void commit_data();
    void commit();
    void commitIntoRecord_data();
    void commitIntoRecord();
    void pairCheck_data();
    void pairCheck();
    void accessCode_data();
    void accessCode();
    void storedPassword_data();
    void storedPassword();
};

// The calibration sheet: digits and accepted range of every kind of field,
// and whether the dialog shows it.
void TestFactoryRules::fieldTable_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("digits");
    QTest::addColumn<int>("minimum");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<bool>("hidden");
    const auto row = [](const char *c, int d, int lo, int hi, bool h) {
        QTest::newRow(c) << QString::fromLatin1(c) << d << lo << hi << h;
    };
    row("eFreq_0", 3, 130, 520, false);
    row("eFreq_4", 3, 130, 520, false);
    row("eFreq_2_H", 3, 0, 255, false);
    row("eFreq_3_L", 3, 0, 255, false);
    row("eFreq_1_M", 3, 0, 255, true);
    row("eFreq_4_Tune", 3, 0, 255, true);
    row("eFreq_0_RSSI", 3, 2, 127, true);
    row("ePinPian_W", 4, 0, 1023, false);
    row("ePinPian_W_Spe_1", 4, 0, 1023, false);
    row("ePinPian_W_Spe_2", 4, 0, 1023, false);
    row("eCtcPinPian_W", 2, 0, 63, false);
    row("eDcsPinPian_W", 2, 0, 63, false);
    row("eMicGain", 2, 0, 15, false);
    row("eMicGainFine", 3, 0, 127, false);
    row("eDtmfFuDu_W", 3, 0, 255, true);
    row("e1750FuDu_W", 3, 0, 255, true);
    row("ePinPian_N", 4, 0, 1023, true);
    row("ePinPian_N_Spe_2", 4, 0, 1023, true);
    row("eDtmfFuDu_N", 3, 0, 255, true);
    row("eCtcPinPian_N", 2, 0, 63, true);
    row("eDcsPinPian_N", 2, 0, 63, true);
    row("eSQL_L1", 3, 0, 255, false);
    row("eSQL_L4", 3, 0, 255, false);
    row("eSQL_L9", 3, 0, 255, false);
    row("eVOX_L1", 3, 0, 255, false);
    row("eVOX_L9", 3, 0, 255, false);
    row("eBatt_L0_Wait", 3, 0, 255, false);
    row("eBatt_L2_Wait", 3, 0, 255, true);
    row("eBatt_L0_Tx", 3, 0, 255, false);
    row("eBatt_L1_Tx", 3, 0, 255, true);
    row("eBatt_High", 3, 0, 255, true);
    row("eBatt_Tbl_L0", 3, 0, 255, true);
    row("eBatt_Tbl_L9", 3, 0, 255, true);
    row("eXtal_PP", 3, 0, 255, true);
    row("eNoise_th", 3, 0, 255, false);
    row("eModu_th", 3, 0, 255, false);
    row("ePkdet_th", 3, 0, 255, false);
    row("eRssi3_th", 3, 0, 255, false);
    row("eNoise2_th", 3, 0, 255, false);
}

void TestFactoryRules::fieldTable()
{
    QFETCH(QString, control);
    const CalibrationEdit *e = findCalibrationEdit(control);
    QVERIFY(e);
    QTEST(e->digits, "digits");
    QTEST(e->minimum, "minimum");
    QTEST(e->maximum, "maximum");
    QTEST(e->hidden, "hidden");
    // Every field edits a value of the record.
    QVERIFY(findCalibrationField(control));
}

// Every value of the record is edited by exactly one field, except the check
// boxes, the status panel and the squelch offsets (13 + 12 + 2 of them): 74
// fields, counted off the sheet.
void TestFactoryRules::everyValueHasOneField()
{
    QCOMPARE(int(calibrationEdits().size()), 74);
    QSet<QString> names;
    for (const CalibrationEdit &e : calibrationEdits())
        names.insert(e.control);
    QCOMPARE(names.size(), 74);
    int others = 0;
    for (const CalibrationField &f : calibrationFields()) {
        if (!names.contains(f.name))
            ++others;
    }
    QCOMPARE(others, 13 + 12 + 2);
}

void TestFactoryRules::keyFilter_data()
{
    QTest::addColumn<QChar>("key");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("0") << QChar(u'0') << true;
    QTest::newRow("9") << QChar(u'9') << true;
    QTest::newRow("backspace") << QChar(0x08) << true;
    QTest::newRow("tab") << QChar(0x09) << true;
    QTest::newRow("delete") << QChar(0x7F) << true;
    QTest::newRow("space") << QChar(u' ') << false;
    QTest::newRow("point") << QChar(u'.') << false;
    QTest::newRow("minus") << QChar(u'-') << false;
    QTest::newRow("plus") << QChar(u'+') << false;
    QTest::newRow("letter") << QChar(u'a') << false;
    QTest::newRow("tilde") << QChar(u'~') << false;
    QTest::newRow("full-width five") << QChar(0xFF15) << false;
    QTest::newRow("chinese") << QChar(0x4E2D) << false;
}

void TestFactoryRules::keyFilter()
{
    QFETCH(QChar, key);
    QTEST(calibrationKeyAccepted(key), "accepted");
}

void TestFactoryRules::cutWhileTyping_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("digits");
    QTest::addColumn<QString>("kept");
    QTest::newRow("fits") << "102" << 4 << "102";
    QTest::newRow("exactly") << "1023" << 4 << "1023";
    QTest::newRow("fifth digit") << "10234" << 4 << "1023";
    QTest::newRow("digit typed in front") << "51023" << 4 << "5102";
    QTest::newRow("pasted long") << "123456789" << 3 << "123";
    QTest::newRow("empty") << "" << 2 << "";
}

void TestFactoryRules::cutWhileTyping()
{
    QFETCH(QString, text);
    QFETCH(int, digits);
    QTEST(cutToDigits(text, digits), "kept");
}

void TestFactoryRules::commit_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("previous");
    QTest::addColumn<int>("minimum");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<int>("stored");
    QTest::newRow("deviation 1024 refused") << "1024" << 50 << 0 << 1023 << 50;
    QTest::newRow("deviation 1023") << "1023" << 50 << 0 << 1023 << 1023;
    QTest::newRow("empty stores 0 below the range") << "" << 480 << 130 << 520 << 0;
    QTest::newRow("frequency 130") << "130" << 400 << 130 << 520 << 130;
    QTest::newRow("frequency 520") << "520" << 400 << 130 << 520 << 520;
    QTest::newRow("frequency 129") << "129" << 400 << 130 << 520 << 400;
    QTest::newRow("frequency 521") << "521" << 400 << 130 << 520 << 400;
    QTest::newRow("noise threshold 200") << "200" << 58 << 0 << 255 << 200;
    QTest::newRow("leading zeros") << "007" << 9 << 0 << 15 << 7;
    QTest::newRow("zero typed") << "0" << 9 << 0 << 15 << 0;
    QTest::newRow("pasted letters") << "12a" << 9 << 0 << 255 << 9;
    QTest::newRow("pasted sign") << "-5" << 9 << 0 << 255 << 9;
    QTest::newRow("pasted plus") << "+5" << 9 << 0 << 255 << 9;
    QTest::newRow("pasted space") << " 5" << 9 << 0 << 255 << 9;
    QTest::newRow("pasted hex") << "0x10" << 9 << 0 << 255 << 9;
    QTest::newRow("pasted huge") << "99999999999" << 9 << 0 << 255 << 9;
    QTest::newRow("rssi 1 refused") << "1" << 20 << 2 << 127 << 20;
}

void TestFactoryRules::commit()
{
    QFETCH(QString, text);
    QFETCH(int, previous);
    QFETCH(int, minimum);
    QFETCH(int, maximum);
    QTEST(committedValue(text, previous, minimum, maximum), "stored");
}

// The bytes a commit leaves in the record, worked out from the record's
// layout (16-bit values low byte first) and its defaults.
void TestFactoryRules::commitIntoRecord_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("deviation 1023") << "ePinPian_W"
                                    << "1023"
                                    << "1023" << 0x23 << QByteArray("\xFF\x03", 2);
    QTest::newRow("deviation 1024 keeps 50") << "ePinPian_W"
                                             << "1024"
                                             << "50" << 0x23 << QByteArray("\x32\x00", 2);
    QTest::newRow("point 2 cleared") << "eFreq_2"
                                     << ""
                                     << "0" << 0x0E << QByteArray("\x00\x00", 2);
    QTest::newRow("point 1 at 445") << "eFreq_1"
                                    << "445"
                                    << "445" << 0x07 << QByteArray("\xBD\x01", 2);
    QTest::newRow("leading zeros rewritten") << "eMicGain"
                                             << "05"
                                             << "5" << 0x45 << QByteArray("\x05", 1);
    QTest::newRow("mic gain 16 keeps 9") << "eMicGain"
                                         << "16"
                                         << "9" << 0x45 << QByteArray("\x09", 1);
    QTest::newRow("hidden rssi 2") << "eFreq_4_RSSI"
                                   << "2"
                                   << "2" << 0x22 << QByteArray("\x02", 1);
    QTest::newRow("noise threshold 200") << "eNoise_th"
                                         << "200"
                                         << "200" << 0x46 << QByteArray("\xC8", 1);
}

void TestFactoryRules::commitIntoRecord()
{
    QFETCH(QString, control);
    QFETCH(QString, typed);
    QFETCH(int, offset);
    QFETCH(QByteArray, bytes);
    CalibrationData record;
    record.applyCalibrationDefaults();
    const CalibrationData before = record;
    const CalibrationEdit *e = findCalibrationEdit(control);
    QVERIFY(e);
    QTEST(commitCalibrationEdit(*e, typed, record), "shown");
    for (int i = 0; i < bytes.size(); ++i)
        QCOMPARE(int(record.raw[std::size_t(offset + i)]), int(quint8(bytes[i])));
    // Nothing else moved.
    for (int i = 0; i < CalibrationData::Size; ++i) {
        if (i < offset || i >= offset + bytes.size())
            QCOMPARE(record.raw[std::size_t(i)], before.raw[std::size_t(i)]);
    }
}

void TestFactoryRules::pairCheck_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("confirmation");
    QTest::addColumn<bool>("match");
    QTest::newRow("both empty") << ""
                                << "" << true;
    QTest::newRow("same") << "abc"
                          << "abc" << true;
    QTest::newRow("letter case") << "abc"
                                 << "ABC" << false;
    QTest::newRow("longer") << "abc"
                            << "abcd" << false;
    QTest::newRow("one empty") << "abc"
                               << "" << false;
    QTest::newRow("chinese") << QString::fromUtf8("密码") << QString::fromUtf8("密码") << true;
}

void TestFactoryRules::pairCheck()
{
    QFETCH(QString, entry);
    QFETCH(QString, confirmation);
    QTEST(passwordsMatch(entry, confirmation), "match");
}

void TestFactoryRules::accessCode_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<bool>("opens");
    QTest::newRow("exact") << "qhvm47" << true;
    QTest::newRow("upper case") << "QHVM47" << false;
    QTest::newRow("one capital") << "qhVm47" << false;
    QTest::newRow("short") << "qhvm4" << false;
    QTest::newRow("trailing space") << "qhvm47 " << false;
    QTest::newRow("empty") << "" << false;
}

void TestFactoryRules::accessCode()
{
    QFETCH(QString, entry);
    QTEST(accessCodeMatches(entry), "opens");
}

// A typed password is kept as the radio will hold it, or refused whole: a
// password cut short would lock the user out.
void TestFactoryRules::storedPassword_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("fits");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty") << "" << true << QByteArray();
    QTest::newRow("letters") << "abc" << true << QByteArray("abc");
    QTest::newRow("twelve") << "abcdefghijkl" << true << QByteArray("abcdefghijkl");
    QTest::newRow("thirteen") << "abcdefghijklm" << false << QByteArray();
    // GBK: 密 C3 DC, 码 C2 EB.
    QTest::newRow("chinese") << QString::fromUtf8("密码") << true << QByteArray("\xC3\xDC\xC2\xEB");
    QTest::newRow("six chinese") << QString::fromUtf8("密码密码密码") << true
                                 << QByteArray("\xC3\xDC\xC2\xEB\xC3\xDC\xC2\xEB\xC3\xDC\xC2\xEB");
    QTest::newRow("seven chinese") << QString::fromUtf8("密码密码密码密") << false << QByteArray();
    QTest::newRow("no code") << QString::fromUtf8("a\u2603") << false << QByteArray();
}

void TestFactoryRules::storedPassword()
{
    QFETCH(QString, typed);
    QFETCH(bool, fits);
    QFETCH(QByteArray, bytes);
    const std::optional<QByteArray> stored = passwordBytes(typed);
    QCOMPARE(bool(stored), fits);
    if (stored)
        QCOMPARE(*stored, bytes);
}

QTEST_MAIN(TestFactoryRules)
#include "tst_factoryrules.moc"
