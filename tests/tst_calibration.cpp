// The calibration record: its fields and defaults, the radio's calibration
// area built from it and read back into it (with the single-byte deviations
// of a 'Y' radio), the tables a codeplug write takes from the radio's area,
// the transceiver status and the calibration file. Expected bytes are worked
// out by hand from the record and area tables.
//
// This file: the fields and defaults and the area built from the record;
// tst_calibration_readback.cpp the area read back, the status and the file.
#include "tst_calibration.h"

using namespace t880;
using namespace caltest;
using namespace t880::testing;
using imagetest::applyPatch;
using imagetest::hex;
using imagetest::patched;
using imagetest::threePointTables;
using namespace calibrationtest;

// --- Fields and defaults -----------------------------------------------------

namespace {
struct FieldRow
{
    const char *name;
    int offset;
    int width;
    int def;
    bool hidden;
};

// The record table, field by field.
const FieldRow kFieldRows[] = {
    {"ePinPian_W", 0x23, 2, 50, false},       {"ePinPian_W_Spe_1", 0x25, 2, 65, false},
    {"ePinPian_W_Spe_2", 0x27, 2, 53, false}, {"eDtmfFuDu_W", 0x29, 1, 127, true},
    {"e1750FuDu_W", 0x2A, 1, 127, true},      {"eCtcPinPian_W", 0x2B, 1, 14, false},
    {"eDcsPinPian_W", 0x2C, 1, 13, false},    {"ePinPian_N", 0x2D, 2, 50, true},
    {"ePinPian_N_Spe_1", 0x2F, 2, 65, true},  {"ePinPian_N_Spe_2", 0x31, 2, 53, true},
    {"eDtmfFuDu_N", 0x33, 1, 127, true},      {"e1750FuDu_N", 0x34, 1, 127, true},
    {"eCtcPinPian_N", 0x35, 1, 14, true},     {"eDcsPinPian_N", 0x36, 1, 13, true},
    {"eSQL_L1", 0x37, 1, 126, false},         {"eSQL_L4", 0x38, 1, 112, false},
    {"eSQL_L9", 0x39, 1, 107, false},         {"eVOX_L1", 0x3A, 1, 0, false},
    {"eVOX_L9", 0x3B, 1, 0, false},           {"eBatt_L0_Wait", 0x3C, 1, 146, false},
    {"eBatt_L1_Wait", 0x3D, 1, 0, true},      {"eBatt_L2_Wait", 0x3E, 1, 0, true},
    {"eBatt_L0_Tx", 0x3F, 1, 141, false},     {"eBatt_L1_Tx", 0x40, 1, 0, true},
    {"eBatt_L2_Tx", 0x41, 1, 0, true},        {"eBatt_High", 0x42, 1, 0, true},
    {"eXtal_PP", 0x43, 1, 0, true},           {"eMicGainFine", 0x44, 1, 20, false},
    {"eMicGain", 0x45, 1, 9, false},          {"eNoise_th", 0x46, 1, 58, false},
    {"eModu_th", 0x47, 1, 110, false},        {"ePkdet_th", 0x48, 1, 46, false},
    {"eRssi3_th", 0x49, 1, 25, false},        {"eNoise2_th", 0x4A, 1, 32, false},
    {"cModu_dten", 0x4B, 1, 1, false},        {"cPkdet_dten", 0x4C, 1, 1, false},
    {"sCurBatt", 0x4D, 1, 0, false},          {"sRssi_db", 0x4E, 1, 0, false},
    {"sRssi_cmp1", 0x4F, 1, 0, false},        {"sNoise_db", 0x50, 1, 0, false},
    {"sNoise_cmp1", 0x51, 1, 0, false},       {"sModu_cmp", 0x52, 1, 0, false},
    {"sPkdet_cmp", 0x53, 1, 0, false},        {"sRssi_cmp3", 0x54, 1, 0, false},
    {"sNoise_cmp2", 0x55, 1, 0, false},       {"sModu_db", 0x56, 1, 0, false},
    {"sPkdet_rssi", 0x57, 1, 0, true},        {"sOffset", 0x58, 2, 0, false},
};
} // namespace

void TestCalibration::fieldDefaults_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("offset");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("def");
    QTest::addColumn<bool>("hidden");
    QTest::addColumn<bool>("isSigned");

    const int pointMHz[5] = {400, 440, 480, 0, 0};
    const int pointHigh[5] = {63, 63, 63, 0, 0};
    for (int i = 0; i < 5; ++i) {
        const QString p = QStringLiteral("eFreq_%1").arg(i);
        const int b = 7 * i;
        QTest::newRow(qPrintable(p)) << p << b << 2 << pointMHz[i] << false << false;
        QTest::newRow(qPrintable(p + "_H"))
            << p + "_H" << b + 2 << 1 << pointHigh[i] << false << false;
        QTest::newRow(qPrintable(p + "_M")) << p + "_M" << b + 3 << 1 << 0 << true << false;
        QTest::newRow(qPrintable(p + "_L")) << p + "_L" << b + 4 << 1 << 0 << false << false;
        QTest::newRow(qPrintable(p + "_Tune")) << p + "_Tune" << b + 5 << 1 << 0 << true << false;
        QTest::newRow(qPrintable(p + "_RSSI")) << p + "_RSSI" << b + 6 << 1 << 0 << true << false;
    }
    for (const FieldRow &f : kFieldRows) {
        QTest::newRow(f.name) << QString::fromLatin1(f.name) << f.offset << f.width << f.def
                              << f.hidden << false;
    }
    for (int k = 0; k < 10; ++k) {
        const QString n = QStringLiteral("eBatt_Tbl_L%1").arg(k);
        QTest::newRow(qPrintable(n)) << n << 0x5A + k << 1 << 0 << true << false;
    }
    for (int k = 0; k < 13; ++k) {
        const QString n = QStringLiteral("udSQ_offset_%1").arg(k);
        QTest::newRow(qPrintable(n)) << n << 0x64 + k << 1 << 0 << false << true;
    }
}

void TestCalibration::fieldDefaults()
{
    QFETCH(QString, name);
    QFETCH(int, offset);
    QFETCH(int, width);
    QFETCH(int, def);
    QFETCH(bool, hidden);
    QFETCH(bool, isSigned);

    const CalibrationField *f = findCalibrationField(name);
    QVERIFY(f);
    QCOMPARE(int(f->offset), offset);
    QCOMPARE(int(f->width), width);
    QCOMPARE(f->hidden, hidden);
    QCOMPARE(f->isSigned, isSigned);
    QCOMPARE(int(f->defaultValue), def);

    CalibrationData r;
    r.raw.fill(0xA5);
    r.applyCalibrationDefaults();
    QCOMPARE(r.value(*f), def);
    // Low byte first.
    QCOMPARE(int(r.raw[std::size_t(offset)]), def & 0xFF);
    if (width == 2)
        QCOMPARE(int(r.raw[std::size_t(offset + 1)]), def >> 8);
}

void TestCalibration::everyFieldListed()
{
    // 5 x 6 point fields, the table rows, 10 battery levels, 13 offsets.
    const int expected = 30 + int(std::size(kFieldRows)) + 10 + 13;
    QCOMPARE(int(calibrationFields().size()), expected);
    QVERIFY(!findCalibrationField(QStringLiteral("eFreq_5")));
    QVERIFY(!findCalibrationField(QStringLiteral("udSQ_offset_13")));

    // Signed values come back signed; 16-bit values low byte first.
    CalibrationData r = recordFrom(m_custom);
    QCOMPARE(r.value(*findCalibrationField(QStringLiteral("udSQ_offset_0"))), -10);
    QCOMPARE(r.value(*findCalibrationField(QStringLiteral("udSQ_offset_10"))), -30);
    QCOMPARE(r.value(*findCalibrationField(QStringLiteral("udSQ_offset_12"))), -1);
    QCOMPARE(r.value(*findCalibrationField(QStringLiteral("ePinPian_W"))), 300);
    QCOMPARE(r.value(*findCalibrationField(QStringLiteral("sOffset"))), 0x1234);
    QCOMPARE(r.value(*findCalibrationField(QStringLiteral("sCurBatt"))), 200);
}

void TestCalibration::defaultsWholeRecord()
{
    CalibrationData r;
    r.raw.fill(0xA5);
    r.applyCalibrationDefaults();
    QCOMPARE(describeDiff(bytesOf(r), m_defaults), QString());
}

// --- Record to area ------------------------------------------------------------

void TestCalibration::blockFromRecord_data()
{
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<bool>("y");
    QTest::addColumn<char>("fill");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<bool>("custom");

    // The bytes the area does not use keep what the buffer held.
    QByteArray defaultsY = defaultBlockS(char(0xA5));
    applyPatch(defaultsY, QStringLiteral("0x44: 32 A5 41 A5 35 A5"));

    QTest::newRow("defaults, S, zero buffer")
        << m_defaults << false << '\0' << defaultBlockS('\0') << false;
    QTest::newRow("defaults, S, buffer A5")
        << m_defaults << false << char(0xA5) << defaultBlockS(char(0xA5)) << false;
    QTest::newRow("defaults, Y, buffer A5")
        << m_defaults << true << char(0xA5) << defaultsY << false;
    QTest::newRow("custom, S, buffer A5")
        << m_custom << false << char(0xA5) << customBlockS(char(0xA5)) << true;
    QTest::newRow("custom, S, buffer 00")
        << m_custom << false << '\0' << customBlockS('\0') << true;
    QTest::newRow("custom, Y, buffer 5C")
        << m_custom << true << kPattern << customBlockY(kPattern) << true;
}

void TestCalibration::blockFromRecord()
{
    QFETCH(QByteArray, record);
    QFETCH(bool, y);
    QFETCH(char, fill);
    QFETCH(QByteArray, expected);
    QFETCH(bool, custom);

    CalibrationTables tables;
    QCOMPARE(describeDiff(buildBlock(record, y, fill, &tables), expected), QString());
    QCOMPARE(describeTables(tables), describeTables(custom ? threePointTables() : defaultTables()));
}

void TestCalibration::squelchTables_data()
{
    QTest::addColumn<QByteArray>("levels"); // record 0x37..0x39: levels 1, 5, 9
    QTest::addColumn<QByteArray>("open");
    QTest::addColumn<QByteArray>("close");

    QTest::newRow("defaults 126 112 107") << hex("7E 70 6B") << hex("00 0B 0E 12 15 19 1A 1B 1C 1E")
                                          << hex("00 09 0C 10 13 17 18 19 1A 1C");
    // 37 27 17: falling from level 1 to 5 and from 5 to 9, truncated toward 0.
    QTest::newRow("100 110 120") << hex("64 6E 78") << hex("00 25 23 20 1E 1B 19 16 14 11")
                                 << hex("00 23 21 1E 1C 19 17 14 12 0F");
    // 7 17 27: 7 + 10/4, 7 + 20/4, 7 + 30/4, ...
    QTest::newRow("130 120 110") << hex("82 78 6E") << hex("00 07 09 0C 0E 11 13 16 18 1B")
                                 << hex("00 05 07 0A 0C 0F 11 14 16 19");
    // All at the ceiling: open 0, close 0 - 2 in 8 bits.
    QTest::newRow("137 137 137") << hex("89 89 89") << hex("00 00 00 00 00 00 00 00 00 00")
                                 << hex("00 FE FE FE FE FE FE FE FE FE");
    QTest::newRow("equal levels 100") << hex("64 64 64") << hex("00 25 25 25 25 25 25 25 25 25")
                                      << hex("00 23 23 23 23 23 23 23 23 23");
}

void TestCalibration::squelchTables()
{
    QFETCH(QByteArray, levels);
    QFETCH(QByteArray, open);
    QFETCH(QByteArray, close);

    const QByteArray block = buildBlock(
        patched(m_defaults, QStringLiteral("0x37: ") + QString::fromLatin1(levels.toHex(' '))),
        false, char(0xA5));
    QCOMPARE(block.mid(0x19, 10).toHex(' '), open.toHex(' '));
    QCOMPARE(block.mid(0x23, 10).toHex(' '), close.toHex(' '));

    // Read back from levels 1, 5 and 9 of the open table.
    const QByteArray back = readBlock(block, false, m_defaults);
    QCOMPARE(back.mid(0x37, 3).toHex(' '), levels.toHex(' '));
}

void TestCalibration::voxTable_data()
{
    QTest::addColumn<int>("v1");
    QTest::addColumn<int>("v9");
    QTest::addColumn<QByteArray>("table");

    QTest::newRow("10 to 50") << 10 << 50 << hex("00 0A 0F 14 19 1E 23 28 2D 32");
    QTest::newRow("50 to 10") << 50 << 10 << hex("00 32 2D 28 23 1E 19 14 0F 0A");
    QTest::newRow("defaults 0 and 0") << 0 << 0 << hex("00 00 00 00 00 00 00 00 00 00");
    // step 255/8 = 31: the last step is what is left.
    QTest::newRow("0 to 255") << 0 << 255 << hex("00 00 1F 3E 5D 7C 9B BA D9 FF");
    QTest::newRow("255 to 0") << 255 << 0 << hex("00 FF E0 C1 A2 83 64 45 26 00");
    // step 7/8 = 0.
    QTest::newRow("3 to 10") << 3 << 10 << hex("00 03 03 03 03 03 03 03 03 0A");
    QTest::newRow("equal 7") << 7 << 7 << hex("00 07 07 07 07 07 07 07 07 07");
}

void TestCalibration::voxTable()
{
    QFETCH(int, v1);
    QFETCH(int, v9);
    QFETCH(QByteArray, table);

    QByteArray record = m_defaults;
    record[0x3A] = char(v1);
    record[0x3B] = char(v9);
    const QByteArray block = buildBlock(record, false, char(0xA5));
    QCOMPARE(block.mid(0x2D, 10).toHex(' '), table.toHex(' '));

    const QByteArray back = readBlock(block, false, m_defaults);
    QCOMPARE(int(std::uint8_t(back[0x3A])), v1);
    QCOMPARE(int(std::uint8_t(back[0x3B])), v9);
}

void TestCalibration::thresholdWords_data()
{
    QTest::addColumn<int>("recordOffset");
    QTest::addColumn<int>("blockOffset");
    QTest::addColumn<int>("threshold");
    QTest::addColumn<QByteArray>("word");

    // t x 128 OR (t - k): k = 1 noise, 2 adjacent, 1 field strength, 2 noise 2.
    QTest::newRow("noise 58") << 0x46 << 0x51 << 58 << hex("1D 39");
    QTest::newRow("noise 1") << 0x46 << 0x51 << 1 << hex("00 80");
    QTest::newRow("noise 127") << 0x46 << 0x51 << 127 << hex("3F FE");
    QTest::newRow("adjacent channel 46") << 0x48 << 0x55 << 46 << hex("17 2C");
    QTest::newRow("adjacent channel 2") << 0x48 << 0x55 << 2 << hex("01 00");
    QTest::newRow("field strength 25") << 0x49 << 0x57 << 25 << hex("0C 98");
    QTest::newRow("field strength 100") << 0x49 << 0x57 << 100 << hex("32 63");
    QTest::newRow("noise 2 32") << 0x4A << 0x59 << 32 << hex("10 1E");
    QTest::newRow("noise 2 127") << 0x4A << 0x59 << 127 << hex("3F FD");
}

void TestCalibration::thresholdWords()
{
    QFETCH(int, recordOffset);
    QFETCH(int, blockOffset);
    QFETCH(int, threshold);
    QFETCH(QByteArray, word);

    QByteArray record = m_defaults;
    record[recordOffset] = char(threshold);
    const QByteArray block = buildBlock(record, false, char(0xA5));
    QCOMPARE(block.mid(blockOffset, 2).toHex(' '), word.toHex(' '));

    // Read as (word >> 7) AND 0x7F.
    QByteArray other = m_defaults;
    other[recordOffset] = char(0xEE);
    const QByteArray back = readBlock(block, false, other);
    QCOMPARE(int(std::uint8_t(back[recordOffset])), threshold);
}

void TestCalibration::micGainWrite_data()
{
    QTest::addColumn<int>("fine");
    QTest::addColumn<int>("gain");
    QTest::addColumn<QByteArray>("bytes"); // area 0x4D..0x50

    QTest::newRow("defaults fine 20, gain 9") << 20 << 9 << hex("00 14 09 00");
    QTest::newRow("fine 255, gain 15") << 255 << 15 << hex("00 FF 0F 00");
    QTest::newRow("fine 0, gain 0") << 0 << 0 << hex("00 00 00 00");
    QTest::newRow("fine 1, gain 1") << 1 << 1 << hex("00 01 01 00");
}

void TestCalibration::micGainWrite()
{
    QFETCH(int, fine);
    QFETCH(int, gain);
    QFETCH(QByteArray, bytes);

    QByteArray record = m_defaults;
    record[0x44] = char(fine);
    record[0x45] = char(gain);
    QCOMPARE(buildBlock(record, false, char(0xA5)).mid(0x4D, 4).toHex(' '), bytes.toHex(' '));
    QCOMPARE(buildBlock(record, true, char(0xA5)).mid(0x4D, 4).toHex(' '), bytes.toHex(' '));
}

void TestCalibration::micGainRead_data()
{
    QTest::addColumn<QByteArray>("bytes"); // area 0x4D..0x50
    QTest::addColumn<int>("fine");
    QTest::addColumn<int>("gain");

    QTest::newRow("00 14 09 00") << hex("00 14 09 00") << 20 << 9;
    QTest::newRow("fine from the low byte only") << hex("12 34 09 00") << 0x34 << 9;
    QTest::newRow("gain from bits 8..11 only") << hex("00 14 F9 FF") << 20 << 9;
    QTest::newRow("gain 10") << hex("00 14 0A 55") << 20 << 10;
}

void TestCalibration::micGainRead()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, fine);
    QFETCH(int, gain);

    QByteArray block = defaultBlockS('\0');
    imagetest::put(block, 0x4D, bytes);
    const QByteArray back = readBlock(block, false, customRecord());
    QCOMPARE(int(std::uint8_t(back[0x44])), fine);
    QCOMPARE(int(std::uint8_t(back[0x45])), gain);
}

void TestCalibration::switches_data()
{
    QTest::addColumn<int>("modulation");
    QTest::addColumn<int>("weakSignal");
    QTest::addColumn<QByteArray>("bytes"); // area 0x5B..0x5E

    QTest::newRow("both on") << 1 << 1 << hex("04 00 00 20");
    QTest::newRow("modulation only") << 1 << 0 << hex("04 00 00 00");
    QTest::newRow("weak signal only") << 0 << 1 << hex("00 00 00 20");
    QTest::newRow("both off") << 0 << 0 << hex("00 00 00 00");
}

void TestCalibration::switches()
{
    QFETCH(int, modulation);
    QFETCH(int, weakSignal);
    QFETCH(QByteArray, bytes);

    QByteArray record = m_defaults;
    record[0x4B] = char(modulation);
    record[0x4C] = char(weakSignal);
    const QByteArray block = buildBlock(record, false, char(0xA5));
    QCOMPARE(block.mid(0x5B, 4).toHex(' '), bytes.toHex(' '));

    // Read back from bit 10 and bit 5, whatever the other bits hold.
    QByteArray noisy = block;
    noisy[0x5B] = char(modulation ? 0xFF : 0xFB);
    noisy[0x5C] = char(0xFF);
    noisy[0x5D] = char(0xFF);
    noisy[0x5E] = char(weakSignal ? 0xFF : 0xDF);
    for (const QByteArray &b : {block, noisy}) {
        const QByteArray back =
            readBlock(b, false, patched(m_defaults, QStringLiteral("0x4B: 07 07")));
        QCOMPARE(int(back[0x4B]), modulation);
        QCOMPARE(int(back[0x4C]), weakSignal);
    }
}

void TestCalibration::deviations_data()
{
    QTest::addColumn<bool>("y");
    QTest::addColumn<int>("value");
    QTest::addColumn<QByteArray>("bytes"); // area 0x44..0x49, buffer A5
    QTest::addColumn<int>("readBack");

    QTest::newRow("S, 300") << false << 300 << hex("01 2C 01 2C 01 2C") << 300;
    QTest::newRow("Y, 300 as the single byte 2C")
        << true << 300 << hex("2C A5 2C A5 2C A5") << 0x2C;
    QTest::newRow("S, 50") << false << 50 << hex("00 32 00 32 00 32") << 50;
    QTest::newRow("Y, 50") << true << 50 << hex("32 A5 32 A5 32 A5") << 50;
    QTest::newRow("S, 0x1234") << false << 0x1234 << hex("12 34 12 34 12 34") << 0x1234;
    QTest::newRow("Y, 0x1234") << true << 0x1234 << hex("34 A5 34 A5 34 A5") << 0x34;
}

void TestCalibration::deviations()
{
    QFETCH(bool, y);
    QFETCH(int, value);
    QFETCH(QByteArray, bytes);
    QFETCH(int, readBack);

    QByteArray record = m_defaults;
    for (int o : {0x23, 0x25, 0x27})
        imagetest::putLe16(record, o, quint32(value));
    const QByteArray block = buildBlock(record, y, char(0xA5));
    QCOMPARE(block.mid(0x44, 6).toHex(' '), bytes.toHex(' '));
    // The neighbours are untouched.
    QCOMPARE(int(std::uint8_t(block[0x43])), 0xA5);
    QCOMPARE(int(std::uint8_t(block[0x4A])), 14);

    // Reading takes the single byte on a 'Y' radio, the word on an 'S' radio.
    const QByteArray back = readBlock(block, y, m_custom);
    for (int o : {0x23, 0x25, 0x27})
        QCOMPARE(int(std::uint8_t(back[o]) | (std::uint8_t(back[o + 1]) << 8)), readBack);
}

QTEST_GUILESS_MAIN(TestCalibration)
#include "moc_tst_calibration.cpp"
