// The calibration suite: the area read back into the record (and the tables a
// codeplug write takes from it), the transceiver status and the calibration
// file.
#include "tst_calibration.h"

using namespace t880;
using namespace caltest;
using namespace t880::testing;
using imagetest::applyPatch;
using imagetest::hex;
using imagetest::patched;
using imagetest::threePointTables;
using namespace calibrationtest;

namespace {

/// A second record with values at the ends of their ranges, for round trips.
QByteArray extremeRecord()
{
    QByteArray r(RecordSize, '\0');
    applyPatch(r,
               QStringLiteral("0x00: 88 13 FF 01 00 FF 02;" // 5000 MHz, high 255, low 0, tune 255
                              "0x07: 01 00 00 03 FF 00 04;" // 1 MHz, high 0, low 255, tune 0
                              "0x0E: FF FF 80 05 7F 80 06;" // 65535 MHz
                              "0x15: 00 02 01 07 02 03 08;"
                              "0x1C: 34 12 11 09 22 33 0A;"
                              "0x23: FF FF 00 00 34 12;" // deviations 65535, 0, 0x1234
                              "0x2B: FF 00;"
                              "0x37: 00 FF 89;" // squelch 0, 255, 137
                              "0x3A: FF 00; 0x3C: 00; 0x3F: FF;"
                              "0x43: FF 00 0F 7F; 0x48: 7F 02 02; 0x4B: 00 01;"
                              "0x5A: 00 FF 01 FE 02 FD 03 FC 04 FB;"
                              "0x64: CE 32 00 FF 01 CE 32 E7 19"));
    return r;
}

} // namespace

// --- Area to record ------------------------------------------------------------

void TestCalibration::setAdjustmentData_data()
{
    QTest::addColumn<QByteArray>("block");
    QTest::addColumn<bool>("y");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray pattern(RecordSize, kPattern);
    const QByteArray fromCustom = mergeCarried(m_custom, pattern);
    QTest::newRow("S area onto a patterned record")
        << customBlockS(char(0xA5)) << false << fromCustom;
    QTest::newRow("Y area onto a patterned record")
        << customBlockY(char(0xA5)) << true
        << patched(fromCustom, QStringLiteral("0x23: 2C 00 50 00 C8 00"));
    QTest::newRow("S default area")
        << defaultBlockS(char(0xA5)) << false << mergeCarried(m_defaults, pattern);
}

void TestCalibration::setAdjustmentData()
{
    QFETCH(QByteArray, block);
    QFETCH(bool, y);
    QFETCH(QByteArray, expected);

    // Middle power, RSSI, narrow values, amplitudes, further battery levels,
    // highest voltage, modulation threshold, status, offsets 9..12 and the
    // reserved bytes keep the pattern.
    const QByteArray pattern(RecordSize, kPattern);
    QCOMPARE(describeDiff(readBlock(block, y, pattern), expected), QString());
}

void TestCalibration::squelchReadBack_data()
{
    QTest::addColumn<QByteArray>("open"); // area 0x19..0x22
    QTest::addColumn<QByteArray>("levels");

    QTest::newRow("defaults") << hex("00 0B 0E 12 15 19 1A 1B 1C 1E") << hex("7E 70 6B");
    QTest::newRow("only levels 1, 5, 9 count")
        << hex("FF 0B 00 00 00 19 FF FF FF 1E") << hex("7E 70 6B");
    // 137 - 144 = -7 -> F9 in 8 bits; 137 - 0 = 137.
    QTest::newRow("8-bit arithmetic") << hex("00 90 00 00 00 00 00 00 00 89") << hex("F9 89 00");
}

void TestCalibration::squelchReadBack()
{
    QFETCH(QByteArray, open);
    QFETCH(QByteArray, levels);

    QByteArray block = defaultBlockS('\0');
    imagetest::put(block, 0x19, open);
    imagetest::put(block, 0x23, hex("AA BB CC DD EE FF 11 22 33 44")); // close: not read
    const QByteArray back = readBlock(block, false, m_custom);
    QCOMPARE(back.mid(0x37, 3).toHex(' '), levels.toHex(' '));
}

void TestCalibration::roundTrip_data()
{
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<bool>("y");

    // A 'Y' radio keeps deviations in one byte: only values up to 255 survive.
    const QByteArray byteDeviations = patched(m_custom, QStringLiteral("0x23: C8 00 00 00 FF 00"));
    QTest::newRow("defaults, S") << m_defaults << false;
    QTest::newRow("defaults, Y") << m_defaults << true;
    QTest::newRow("custom, S") << m_custom << false;
    QTest::newRow("custom with byte deviations, Y") << byteDeviations << true;
    QTest::newRow("extreme values, S") << extremeRecord() << false;
}

void TestCalibration::roundTrip()
{
    QFETCH(QByteArray, record);
    QFETCH(bool, y);

    const QByteArray pattern(RecordSize, kPattern);
    const QByteArray block = buildBlock(record, y, char(0xA5));
    QCOMPARE(describeDiff(readBlock(block, y, pattern), mergeCarried(record, pattern)), QString());
}

void TestCalibration::analyseTmpAdjustmentData_data()
{
    QTest::addColumn<QByteArray>("area"); // at image offset 0x1F0
    QTest::addColumn<QString>("tables");

    QTest::newRow("custom area") << customBlockS(char(0xA5)) << describeTables(threePointTables());
    QTest::newRow("default area") << defaultBlockS('\0') << describeTables(defaultTables());

    QByteArray extreme(BlockSize, char(0x77));
    applyPatch(extreme, QStringLiteral("0x00: 02 08 01 02 03 00 00 04 05 06 FF FF 07 08 09"
                                       "       01 00 0A 0B 0C 00 01 0D 0E 0F;"
                                       "0x5F: CE 32 00 FF 80 7F 01 02 03"));
    QTest::newRow("extreme values")
        << extreme
        << QStringLiteral("520/1/2/3 0/4/5/6 65535/7/8/9 256/10/11/12 1/13/14/15 | "
                          "-50 50 0 -1 -128 127 1 2 3");
}

void TestCalibration::analyseTmpAdjustmentData()
{
    QFETCH(QByteArray, area);
    QFETCH(QString, tables);

    // The radio's calibration area lands at 0x1F0 of the memory image; the
    // bytes around it must not be taken.
    QByteArray image(imagetest::ImageSize, char(0x3C));
    imagetest::put(image, 0x1F0, area);
    CalibrationTables t = threePointTables();
    t.points[4] = {9, 9, 9, 9};
    AnalyseTmpAdjustmentData(data(image), t);
    QCOMPARE(describeTables(t), tables);
}

void TestCalibration::statusReply_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("expected"); // patch onto the patterned record

    // 0x4D battery, 0x4E signal, 0x4F signal cmp 1, 0x50 noise, 0x51 noise cmp 1,
    // 0x52 modulation cmp, 0x54 signal cmp 3, 0x55 noise cmp 2. 0x53, 0x56 and
    // 0x58..0x59 come from reply bytes the radio does not send: kept.
    QTest::newRow("levels") << hex("C8 41 42 00 00 00")
                            << QStringLiteral("0x4D: C8 41 00 42 00 00; 0x54: 00 00");
    QTest::newRow("byte 3 bit 7: modulation comparison")
        << hex("00 00 00 80 00 00") << QStringLiteral("0x4D: 00 00 00 00 00 01; 0x54: 00 00");
    QTest::newRow("byte 3 bit 5: signal comparison 1")
        << hex("00 00 00 20 00 00") << QStringLiteral("0x4D: 00 00 01 00 00 00; 0x54: 00 00");
    QTest::newRow("byte 3 bit 3: noise comparison 1")
        << hex("00 00 00 08 00 00") << QStringLiteral("0x4D: 00 00 00 00 01 00; 0x54: 00 00");
    QTest::newRow("byte 3 bit 2: noise comparison 2")
        << hex("00 00 00 04 00 00") << QStringLiteral("0x4D: 00 00 00 00 00 00; 0x54: 00 01");
    QTest::newRow("byte 3 other bits")
        << hex("00 00 00 53 00 00") << QStringLiteral("0x4D: 00 00 00 00 00 00; 0x54: 00 00");
    QTest::newRow("byte 5 bit 7: signal comparison 3")
        << hex("00 00 00 00 00 80") << QStringLiteral("0x4D: 00 00 00 00 00 00; 0x54: 01 00");
    QTest::newRow("byte 4 and byte 5's other bits")
        << hex("00 00 00 00 FF 7F") << QStringLiteral("0x4D: 00 00 00 00 00 00; 0x54: 00 00");
    QTest::newRow("every bit set")
        << hex("FF FF FF FF FF FF") << QStringLiteral("0x4D: FF FF 01 FF 01 01; 0x54: 01 01");
}

void TestCalibration::statusReply()
{
    QFETCH(QByteArray, reply);
    QFETCH(QString, expected);

    // Exactly the six bytes the radio sends, on the heap: a read past them is
    // caught by the address sanitizer.
    std::vector<std::uint8_t> six(reply.begin(), reply.end());
    QCOMPARE(int(six.size()), 6);
    const QByteArray pattern(RecordSize, kPattern);
    CalibrationData r = recordFrom(pattern);
    Set1846StatucData(six.data(), r);
    QCOMPARE(describeDiff(bytesOf(r), patched(pattern, expected)), QString());
}

// --- Calibration file ----------------------------------------------------------

void TestCalibration::fileRoundTrip()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("ramp.kzxa"));

    // Every byte distinct: points, hidden, status and reserved bytes alike.
    QByteArray ramp(RecordSize, '\0');
    for (int i = 0; i < RecordSize; ++i)
        ramp[i] = char((37 * i + 11) & 0xFF);
    QVERIFY(calibrationfile::save(path, recordFrom(ramp)).ok());

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(describeDiff(file.readAll(), ramp), QString());
    file.close();

    CalibrationData loaded;
    loaded.applyCalibrationDefaults();
    QVERIFY(calibrationfile::load(path, loaded).ok());
    QCOMPARE(describeDiff(bytesOf(loaded), ramp), QString());

    // The defaults and the custom record too.
    for (const QByteArray &record : {m_defaults, m_custom}) {
        QVERIFY(calibrationfile::save(path, recordFrom(record)).ok());
        CalibrationData back = recordFrom(ramp);
        QVERIFY(calibrationfile::load(path, back).ok());
        QCOMPARE(describeDiff(bytesOf(back), record), QString());
    }
}

void TestCalibration::fileLoad_data()
{
    QTest::addColumn<int>("size"); // -1: no file
    QTest::addColumn<int>("error");

    QTest::newRow("empty file is refused") << 0 << int(FileError::TooShort);
    QTest::newRow("one byte") << 1 << int(FileError::TooShort);
    QTest::newRow("119 bytes are refused") << 119 << int(FileError::TooShort);
    QTest::newRow("120 bytes load") << 120 << int(FileError::None);
    QTest::newRow("200 bytes load their first 120") << 200 << int(FileError::None);
    QTest::newRow("no file") << -1 << int(FileError::CannotOpen);
}

void TestCalibration::fileLoad()
{
    QFETCH(int, size);
    QFETCH(int, error);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("cal.kzxa"));
    QByteArray content(qMax(size, 0), '\0');
    for (int i = 0; i < content.size(); ++i)
        content[i] = char((i * 13 + 1) & 0xFF);
    if (size >= 0) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(content), qint64(content.size()));
    }

    CalibrationData r = recordFrom(m_custom);
    const FileResult result = calibrationfile::load(path, r);
    QCOMPARE(int(result.error), error);
    if (error == int(FileError::None))
        QCOMPARE(describeDiff(bytesOf(r), content.left(RecordSize)), QString());
    else
        QCOMPARE(describeDiff(bytesOf(r), m_custom), QString()); // nothing changed
}

void TestCalibration::fileSaveReplacesWhole()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("cal.kzxa"));
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(200, char(0xEE)));
    }
    QVERIFY(calibrationfile::save(path, recordFrom(m_custom)).ok());
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(describeDiff(file.readAll(), m_custom), QString());
    // Nothing else is left beside it.
    QCOMPARE(listing(dir.path()), QStringList{QStringLiteral("cal.kzxa")});
}

void TestCalibration::fileSaveFailureCreatesNothing()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("missing/cal.kzxa"));
    QVERIFY(!calibrationfile::save(path, recordFrom(m_custom)).ok());
    QVERIFY(!QFile::exists(path));
    QVERIFY(listing(dir.path()).isEmpty());
}
