// t880 encode / decode / new / show on images and calibration files, run as
// the built program. Codeplugs, images and calibration records are written
// byte by byte in the test; expected bytes are worked out by hand from the
// layouts.
#include "testsupport.h"
#include "tst_calibration_helpers.h"
#include "tst_radioimage_helpers.h"

#include <QtTest>

using namespace imagetest;
using namespace t880::testing;

namespace {

QString describeRun(const CliResult &r)
{
    return QStringLiteral("exit %1, stderr: %2").arg(r.exitCode).arg(QString::fromUtf8(r.err));
}

/// The channel records of the fixture as a read onto New gives them: only
/// what the current layout carries.
QByteArray fixtureReadOntoNew()
{
    QByteArray b = newBlock();
    putChannel(b, 1, {438500000, 438500000, 1, 885, 2, 0x2813, 0x10, 0xB0});
    putChannel(b, 2, {455000000, 409500000, 3, 0x2813, 0, 0, 0x00, 0x10});
    putChannel(b, 9, {438506250, 438506250, 1, 2541, 1, 2541, 0x00, 0xA0});
    putChannel(b, 16, {490000000, 0, 0, 0, 0, 0, 0x00, 0x80});
    for (int n : {1, 2, 9, 16})
        setUsed(b, n);
    applyPatch(b, QStringLiteral("0xAD2: 58 02; 0xAD5: 0A; 0xADF: 00; 0xAE1: 01; 0xAE2: 05;"
                                 "0xABF: 09; 0xAB6: 02; 0xACF: 00; 0xAD0: B8 0B; 0xB51: 19;"
                                 "0xB53: 02"));
    return b;
}

/// The same for a read of the legacy image onto New.
QByteArray fixtureLegacyReadOntoNew()
{
    QByteArray b = newBlock();
    putChannel(b, 1, {438500000, 438500000, 1, 885, 2, 0x2813, 0x12, 0xB0, 0x5A, 0xC3});
    putChannel(b, 2, {455000000, 409500000, 3, 0x2813, 0, 0, 0x00, 0x10});
    putChannel(b, 9, {438506250, 438506250, 1, 2541, 1, 2541, 0x04, 0xA8});
    putChannel(b, 16, {490000000, 0, 0, 0, 0, 0, 0x00, 0x80, 0x01, 0xFE});
    for (int n : {1, 2, 9, 16})
        setUsed(b, n);
    applyPatch(b, QStringLiteral("0xAD2: 58 02; 0xAD5: 0A; 0xADF: 00; 0xAE1: 01; 0xAE2: 03;"
                                 "0xABF: 09; 0xAB6: 02; 0xB51: 19; 0xB53: 02"));
    return b;
}

/// The current-layout image of the fixture with the date 2026-12-08 14:30;
/// bytes 16..18 from \a calibrationBytes.
QByteArray fixtureImage(bool y, const QString &calibrationBytes,
                        const QString &date = QStringLiteral("07 EA 0C 08 0E 1E"))
{
    QByteArray img(ImageSize, '\0');
    applyPatch(img, fixtureRecords(y));
    applyPatch(img, calibrationBytes);
    applyPatch(img, QString::fromLatin1(fixtureSettings()));
    applyPatch(img, QStringLiteral("0x150: ") + date);
    return img;
}

// Bytes 16..18 with the factory defaults: points 400/440/480 MHz with high
// 63 and everything else 0, squelch offsets 0.
const char *const kDefaultCalibrationBytes =
    "0x010: 3F 00 00; 0x023: 00 00 00; 0x0A8: 3F 00 00; 0x12D: 00 00 00";

} // namespace

class TestCliImage : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void encodeImage_data();
    void encodeImage();
    void encodeDateDefaultsToNow();
    void decodeImage_data();
    void decodeImage();
    void encodeCalibration_data();
    void encodeCalibration();
    void decodeCalibration_data();
    void decodeCalibration();
    void newCalibration();
    void showCalibration_data();
    void showCalibration();
    void encodeDateInDaylightSavingGap();
    void badInput_data();
    void badInput();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString path(const QString &name) const { return m_dir->filePath(name); }
};

void TestCliImage::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(writeFile(path(QStringLiteral("cp.Kzx")), fixtureBlock()));
    QVERIFY(writeFile(path(QStringLiteral("cal.kzxa")), caltest::customRecord()));
}

// --- encode: codeplug to memory image -----------------------------------------

void TestCliImage::encodeImage_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<bool>("password");

    const QString cal = QString::fromLatin1(fixtureCalibrationBytes());
    const QString def = QString::fromLatin1(kDefaultCalibrationBytes);
    QTest::newRow("S with calibration")
        << QStringList{"--variant", "S", "--calibration", "cal.kzxa", "--date", "2026-12-08T14:30"}
        << fixtureImage(false, cal) << true;
    QTest::newRow("Y with calibration")
        << QStringList{"--variant", "Y", "--calibration", "cal.kzxa", "--date", "2026-12-08T14:30"}
        << fixtureImage(true, cal) << true;
    QTest::newRow("S, factory calibration")
        << QStringList{"--variant", "S", "--date", "2026-12-08T14:30"} << fixtureImage(false, def)
        << true;
    QTest::newRow("Y, another date")
        << QStringList{"--variant", "Y", "--calibration", "cal.kzxa", "--date", "1999-01-31T23:59"}
        << fixtureImage(true, cal, QStringLiteral("07 CF 01 1F 17 3B")) << true;
    QTest::newRow("legacy") << QStringList{"--variant", "legacy", "--calibration",
                                           "cal.kzxa",  "--date", "2026-12-08T14:30"}
                            << fixtureLegacyImage() << false;
    QTest::newRow("legacy without options")
        << QStringList{"--variant", "legacy"} << fixtureLegacyImage() << false;
}

void TestCliImage::encodeImage()
{
    QFETCH(QStringList, options);
    QFETCH(QByteArray, expected);
    QFETCH(bool, password);

    const CliResult r = runCli(
        QStringList{"encode", "cp.Kzx"} + options + QStringList{"-o", "image.bin"}, m_dir->path());
    QVERIFY2(r.exitCode == 0, qPrintable(describeRun(r)));
    QByteArray img = readFile(path(QStringLiteral("image.bin")));
    QCOMPARE(img.size(), ImageSize);
    if (password) {
        // 0x1D0 the length of "abc123", 0x1DF the sum; the bytes between are
        // random.
        QCOMPARE(int(at(img, 0x1D0)), 6);
        QCOMPARE(at(img, 0x1DF), sum8(img, 0x1D0, 15));
        for (int i = 0x1D0; i < 0x1E0; ++i)
            img[i] = '\0';
    }
    QCOMPARE(describeDiff(img, expected), QString());
}

// The radio keeps plain calendar fields: a wall-clock time that a time
// zone skips when summer time begins is still a date to store.
void TestCliImage::encodeDateInDaylightSavingGap()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TZ"), QStringLiteral("Europe/Berlin"));
    const CliResult r = runCli(
        {"encode", "cp.Kzx", "--variant", "S", "--date", "2026-03-29T02:30", "-o", "image.bin"},
        m_dir->path(), 60000, env);
    QVERIFY2(r.exitCode == 0, qPrintable(describeRun(r)));
    const QByteArray img = readFile(path(QStringLiteral("image.bin")));
    QCOMPARE(img.mid(0x150, 6).toHex(' '), QByteArray("07 ea 03 1d 02 1e"));
}

void TestCliImage::encodeDateDefaultsToNow()
{
    const QDateTime before = QDateTime::currentDateTime();
    const CliResult r =
        runCli({"encode", "cp.Kzx", "--variant", "S", "-o", "now.bin"}, m_dir->path());
    const QDateTime after = QDateTime::currentDateTime();
    QVERIFY2(r.exitCode == 0, qPrintable(describeRun(r)));
    const QByteArray img = readFile(path(QStringLiteral("now.bin")));
    QCOMPARE(img.size(), ImageSize);

    const auto dateBytes = [](const QDateTime &t) {
        QByteArray b(6, '\0');
        b[0] = char(t.date().year() >> 8);
        b[1] = char(t.date().year() & 0xFF);
        b[2] = char(t.date().month());
        b[3] = char(t.date().day());
        b[4] = char(t.time().hour());
        b[5] = char(t.time().minute());
        return b;
    };
    const QByteArray got = img.mid(0x150, 6);
    QVERIFY2(got == dateBytes(before) || got == dateBytes(after), got.toHex(' ').constData());
}

// --- decode: memory image to codeplug -----------------------------------------

void TestCliImage::decodeImage_data()
{
    QTest::addColumn<QByteArray>("image");
    QTest::addColumn<QString>("variant");
    QTest::addColumn<bool>("withBase");
    QTest::addColumn<QString>("output");
    QTest::addColumn<QByteArray>("expected");

    const QString cal = QString::fromLatin1(fixtureCalibrationBytes());
    // Read onto the fixture itself: what the image does not carry (names,
    // squelch modes, DTMF flags, spare bytes, passwords, serial, the unused
    // channel 5) is kept; the VOX gain comes from 0x162 (0) and the removed
    // tone of channel 2 comes back as value 0.
    const QByteArray ontoBase = patched(fixtureBlock(), QStringLiteral("0xACF: 00; 0x60D: 00 00"));
    const QByteArray legacyOntoBase = patched(
        fixtureBlock(), QStringLiteral("0xAE2: 03; 0x04A: 00 00 00 00 00 00 00 00; 0x60D: 00 00"));

    QTest::newRow("S onto New") << fixtureImage(false, cal) << "S" << false << "out.Kzx"
                                << fixtureReadOntoNew();
    QTest::newRow("Y onto New") << fixtureImage(true, cal) << "Y" << false << "out.Kzx"
                                << fixtureReadOntoNew();
    QTest::newRow("legacy onto New")
        << fixtureLegacyImage() << "legacy" << false << "out.Kzx" << fixtureLegacyReadOntoNew();
    QTest::newRow("S onto a base")
        << fixtureImage(false, cal) << "S" << true << "out.Kzx" << ontoBase;
    QTest::newRow("Y onto a base")
        << fixtureImage(true, cal) << "Y" << true << "out.Kzx" << ontoBase;
    QTest::newRow("legacy onto a base")
        << fixtureLegacyImage() << "legacy" << true << "out.Kzx" << legacyOntoBase;
    QTest::newRow("output without extension gets .Kzx")
        << fixtureImage(false, cal) << "S" << false << "out" << fixtureReadOntoNew();
}

void TestCliImage::decodeImage()
{
    QFETCH(QByteArray, image);
    QFETCH(QString, variant);
    QFETCH(bool, withBase);
    QFETCH(QString, output);
    QFETCH(QByteArray, expected);

    QVERIFY(writeFile(path(QStringLiteral("image.bin")), image));
    QStringList args{"decode", "image.bin", "--variant", variant, "-o", output};
    if (withBase)
        args << "--base"
             << "cp.Kzx";
    const CliResult r = runCli(args, m_dir->path());
    QVERIFY2(r.exitCode == 0, qPrintable(describeRun(r)));
    QCOMPARE(describeDiff(readFile(path(QStringLiteral("out.Kzx"))), expected), QString());
    // The base itself is not touched.
    QCOMPARE(describeDiff(readFile(path(QStringLiteral("cp.Kzx"))), fixtureBlock()), QString());
}

// --- calibration area ----------------------------------------------------------

void TestCliImage::encodeCalibration_data()
{
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("custom, S by default")
        << caltest::customRecord() << QStringList() << caltest::customBlockS('\0');
    QTest::newRow("custom, S") << caltest::customRecord() << QStringList{"--variant", "S"}
                               << caltest::customBlockS('\0');
    QTest::newRow("custom, Y") << caltest::customRecord() << QStringList{"--variant", "Y"}
                               << caltest::customBlockY('\0');
    QTest::newRow("defaults, S") << caltest::defaultRecord() << QStringList()
                                 << caltest::defaultBlockS('\0');
}

void TestCliImage::encodeCalibration()
{
    QFETCH(QByteArray, record);
    QFETCH(QStringList, options);
    QFETCH(QByteArray, expected);

    QVERIFY(writeFile(path(QStringLiteral("in.kzxa")), record));
    const CliResult r = runCli(
        QStringList{"encode", "in.kzxa"} + options + QStringList{"-o", "block.bin"}, m_dir->path());
    QVERIFY2(r.exitCode == 0, qPrintable(describeRun(r)));
    QCOMPARE(describeDiff(readFile(path(QStringLiteral("block.bin"))), expected), QString());
}

void TestCliImage::decodeCalibration_data()
{
    QTest::addColumn<QByteArray>("block");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QByteArray>("base"); // empty: no --base
    QTest::addColumn<QString>("output");
    QTest::addColumn<QByteArray>("expected");

    using caltest::mergeCarried;
    const QByteArray pattern(caltest::RecordSize, char(0x5C));
    const QByteArray custom = caltest::customRecord();
    QTest::newRow("S onto the factory defaults")
        << caltest::customBlockS(char(0xA5)) << QStringList() << QByteArray() << "out.kzxa"
        << mergeCarried(custom, caltest::defaultRecord());
    QTest::newRow("output without extension gets .kzxa")
        << caltest::customBlockS(char(0xA5)) << QStringList() << QByteArray() << "out"
        << mergeCarried(custom, caltest::defaultRecord());
    QTest::newRow("S onto a base")
        << caltest::customBlockS(char(0xA5)) << QStringList{"--variant", "S"} << pattern
        << "out.kzxa" << mergeCarried(custom, pattern);
    QTest::newRow("Y onto a base: deviations in one byte")
        << caltest::customBlockY(char(0xA5)) << QStringList{"--variant", "Y"} << pattern
        << "out.kzxa"
        << patched(mergeCarried(custom, pattern), QStringLiteral("0x23: 2C 00 50 00 C8 00"));
}

void TestCliImage::decodeCalibration()
{
    QFETCH(QByteArray, block);
    QFETCH(QStringList, options);
    QFETCH(QByteArray, base);
    QFETCH(QString, output);
    QFETCH(QByteArray, expected);

    QVERIFY(writeFile(path(QStringLiteral("block.bin")), block));
    QStringList args = QStringList{"decode", "block.bin", "--kind", "calibration"} + options;
    if (!base.isEmpty()) {
        QVERIFY(writeFile(path(QStringLiteral("base.kzxa")), base));
        args << "--base"
             << "base.kzxa";
    }
    args << "-o" << output;
    const CliResult r = runCli(args, m_dir->path());
    QVERIFY2(r.exitCode == 0, qPrintable(describeRun(r)));
    QCOMPARE(describeDiff(readFile(path(QStringLiteral("out.kzxa"))), expected), QString());
}

void TestCliImage::newCalibration()
{
    const CliResult r = runCli({"new", "x.kzxa"}, m_dir->path());
    QVERIFY2(r.exitCode == 0, qPrintable(describeRun(r)));
    QCOMPARE(describeDiff(readFile(path(QStringLiteral("x.kzxa"))), caltest::defaultRecord()),
             QString());
}

void TestCliImage::showCalibration_data()
{
    QTest::addColumn<bool>("custom");
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("value");

    QTest::newRow("new: eFreq_0") << false << "eFreq_0" << 400;
    QTest::newRow("new: eFreq_2") << false << "eFreq_2" << 480;
    QTest::newRow("new: eFreq_0_H") << false << "eFreq_0_H" << 63;
    QTest::newRow("new: eFreq_3_H") << false << "eFreq_3_H" << 0;
    QTest::newRow("new: ePinPian_W") << false << "ePinPian_W" << 50;
    QTest::newRow("new: eDtmfFuDu_N (hidden)") << false << "eDtmfFuDu_N" << 127;
    QTest::newRow("new: eSQL_L4") << false << "eSQL_L4" << 112;
    QTest::newRow("new: eModu_th") << false << "eModu_th" << 110;
    QTest::newRow("new: udSQ_offset_0") << false << "udSQ_offset_0" << 0;
    QTest::newRow("new: sCurBatt") << false << "sCurBatt" << 0;

    QTest::newRow("custom: eFreq_1") << true << "eFreq_1" << 440;
    QTest::newRow("custom: eFreq_0_M (hidden)") << true << "eFreq_0_M" << 0x11;
    QTest::newRow("custom: eFreq_0_Tune (hidden)") << true << "eFreq_0_Tune" << 50;
    QTest::newRow("custom: eFreq_2_RSSI (hidden)") << true << "eFreq_2_RSSI" << 0x23;
    QTest::newRow("custom: eFreq_3_H") << true << "eFreq_3_H" << 0x99;
    QTest::newRow("custom: ePinPian_W") << true << "ePinPian_W" << 300;
    QTest::newRow("custom: ePinPian_W_Spe_1") << true << "ePinPian_W_Spe_1" << 336;
    QTest::newRow("custom: udSQ_offset_0 from F6") << true << "udSQ_offset_0" << -10;
    QTest::newRow("custom: udSQ_offset_1") << true << "udSQ_offset_1" << 5;
    QTest::newRow("custom: udSQ_offset_10 from E2") << true << "udSQ_offset_10" << -30;
    QTest::newRow("custom: udSQ_offset_12 from FF") << true << "udSQ_offset_12" << -1;
    QTest::newRow("custom: sCurBatt") << true << "sCurBatt" << 200;
    QTest::newRow("custom: sModu_db") << true << "sModu_db" << 0x43;
    QTest::newRow("custom: sPkdet_rssi (hidden)") << true << "sPkdet_rssi" << 0x44;
    QTest::newRow("custom: sOffset") << true << "sOffset" << 0x1234;
    QTest::newRow("custom: eBatt_Tbl_L9 (hidden)") << true << "eBatt_Tbl_L9" << 0xB9;
    QTest::newRow("custom: eBatt_High (hidden)") << true << "eBatt_High" << 0x75;
    QTest::newRow("custom: cPkdet_dten") << true << "cPkdet_dten" << 0;
}

void TestCliImage::showCalibration()
{
    QFETCH(bool, custom);
    QFETCH(QString, key);
    QFETCH(int, value);

    if (!custom) {
        const CliResult made = runCli({"new", "x.kzxa"}, m_dir->path());
        QVERIFY2(made.exitCode == 0, qPrintable(describeRun(made)));
    }
    const QString file = custom ? QStringLiteral("cal.kzxa") : QStringLiteral("x.kzxa");
    const CliResult r = runCli({"show", file, "--json"}, m_dir->path());
    QVERIFY2(r.exitCode == 0, qPrintable(describeRun(r)));
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(r.out, &error);
    QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(error.errorString()));
    const QJsonObject o = doc.object();
    // Every field, hidden and status ones included: 30 point fields, 48
    // others, 10 battery levels, 13 squelch offsets.
    QCOMPARE(o.size(), 101);
    QVERIFY2(o.contains(key), qPrintable(key));
    QVERIFY(o.value(key).isDouble());
    QCOMPARE(o.value(key).toInt(), value);
}

// --- bad input -------------------------------------------------------------------

void TestCliImage::badInput_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("code");

    QTest::newRow("decode: short image")
        << QStringList{"decode", "short.bin", "--variant", "S", "-o", "out.Kzx"} << 1;
    QTest::newRow("decode: image one byte short")
        << QStringList{"decode", "image8191.bin", "--variant", "legacy", "-o", "out.Kzx"} << 1;
    QTest::newRow("decode: no such image")
        << QStringList{"decode", "none.bin", "--variant", "S", "-o", "out.Kzx"} << 1;
    QTest::newRow("decode: short base")
        << QStringList{"decode", "image.bin", "--variant", "S",
                       "--base", "short.Kzx", "-o",        "out.Kzx"}
        << 1;
    QTest::newRow("decode: short calibration area")
        << QStringList{"decode", "block127.bin", "--kind", "calibration", "-o", "out.kzxa"} << 1;
    QTest::newRow("decode: short calibration base")
        << QStringList{"decode", "block.bin",  "--kind", "calibration",
                       "--base", "short.kzxa", "-o",     "out.kzxa"}
        << 1;
    QTest::newRow("encode: short calibration file")
        << QStringList{"encode",        "cp.Kzx",     "--variant", "S",
                       "--calibration", "short.kzxa", "-o",        "image.out"}
        << 1;
    QTest::newRow("encode: empty calibration file")
        << QStringList{"encode",        "cp.Kzx",     "--variant", "Y",
                       "--calibration", "empty.kzxa", "-o",        "image.out"}
        << 1;
    QTest::newRow("encode: no such calibration file")
        << QStringList{"encode",        "cp.Kzx",    "--variant", "S",
                       "--calibration", "none.kzxa", "-o",        "image.out"}
        << 1;
    QTest::newRow("encode: short calibration file to send")
        << QStringList{"encode", "short.kzxa", "-o", "block.out"} << 1;
    QTest::newRow("encode: short codeplug")
        << QStringList{"encode", "short.Kzx", "--variant", "S", "-o", "image.out"} << 1;
    QTest::newRow("encode: output directory missing")
        << QStringList{"encode", "cp.Kzx", "--variant", "S", "-o", "nowhere/image.out"} << 1;
    QTest::newRow("show: short calibration file")
        << QStringList{"show", "short.kzxa", "--json"} << 1;

    QTest::newRow("encode: bad variant")
        << QStringList{"encode", "cp.Kzx", "--variant", "Z", "-o", "image.out"} << 2;
    QTest::newRow("encode: legacy is no calibration variant")
        << QStringList{"encode", "cal.kzxa", "--variant", "legacy", "-o", "block.out"} << 2;
    QTest::newRow("encode: missing -o") << QStringList{"encode", "cp.Kzx", "--variant", "S"} << 2;
    QTest::newRow("encode: missing variant")
        << QStringList{"encode", "cp.Kzx", "-o", "image.out"} << 2;
    QTest::newRow("encode: month 13")
        << QStringList{"encode", "cp.Kzx",           "--variant", "S",
                       "--date", "2026-13-01T10:00", "-o",        "image.out"}
        << 2;
    QTest::newRow("encode: 30 February")
        << QStringList{"encode", "cp.Kzx",           "--variant", "S",
                       "--date", "2026-02-30T10:00", "-o",        "image.out"}
        << 2;
    QTest::newRow("encode: date without time")
        << QStringList{"encode", "cp.Kzx",     "--variant", "S",
                       "--date", "2026-12-08", "-o",        "image.out"}
        << 2;
    QTest::newRow("encode: date as words")
        << QStringList{"encode", "cp.Kzx",    "--variant", "S",
                       "--date", "yesterday", "-o",        "image.out"}
        << 2;
    QTest::newRow("encode: unknown file kind")
        << QStringList{"encode", "short.bin", "--variant", "S", "-o", "image.out"} << 2;
    QTest::newRow("decode: bad variant")
        << QStringList{"decode", "image.bin", "--variant", "X", "-o", "out.Kzx"} << 2;
    QTest::newRow("decode: missing -o")
        << QStringList{"decode", "image.bin", "--variant", "S"} << 2;
    QTest::newRow("decode: missing variant")
        << QStringList{"decode", "image.bin", "-o", "out.Kzx"} << 2;
    QTest::newRow("decode: bad kind")
        << QStringList{"decode", "block.bin", "--kind", "codeplug", "-o", "out.kzxa"} << 2;
    QTest::newRow("decode: image into a calibration file")
        << QStringList{"decode", "image.bin", "--variant", "S", "-o", "out.kzxa"} << 2;
    QTest::newRow("decode: calibration area into a codeplug file")
        << QStringList{"decode", "block.bin", "--kind", "calibration", "-o", "out.Kzx"} << 2;
    QTest::newRow("decode: calibration base for an image")
        << QStringList{"decode", "image.bin",  "--variant", "S",
                       "--base", "short.kzxa", "-o",        "out.Kzx"}
        << 2;
    QTest::newRow("encode: image over a codeplug file")
        << QStringList{"encode", "cp.Kzx", "--variant", "S", "-o", "cp.Kzx"} << 2;
    QTest::newRow("encode: calibration area into a calibration file")
        << QStringList{"encode", "cal.kzxa", "-o", "other.kzxa"} << 2;
    QTest::newRow("write: calibration file given as codeplug")
        << QStringList{"write", "--port", "/nonexistent-port", "cal.kzxa"} << 2;
    QTest::newRow("calibration write: codeplug given as calibration")
        << QStringList{"calibration", "write", "--port", "/nonexistent-port", "cp.Kzx"} << 2;
    QTest::newRow("calibration read into a codeplug file")
        << QStringList{"calibration", "read", "--port", "/nonexistent-port", "cp.Kzx"} << 2;
    QTest::newRow("read into a calibration file")
        << QStringList{"read", "--port", "/nonexistent-port", "-o", "out.kzxa"} << 2;
    QTest::newRow("read onto a calibration base")
        << QStringList{"read", "--port", "/nonexistent-port", "--base", "cal.kzxa", "-o", "out.Kzx"}
        << 2;
    QTest::newRow("password of 13 letters")
        << QStringList{"read", "--port", "/nonexistent-port", "--password", "abcdefghijklm",
                       "-o",   "out.Kzx"}
        << 2;
    QTest::newRow("new password of 7 Chinese characters (14 bytes)")
        << QStringList{"set-password", "--port", "/nonexistent-port",
                       QStringLiteral("一二三四五六七")}
        << 2;
    QTest::newRow("port number 10") << QStringList{"read", "--port", "10", "-o", "out.Kzx"} << 2;
    QTest::newRow("encode: codeplug given as calibration")
        << QStringList{"encode",        "cp.Kzx", "--variant", "S",
                       "--calibration", "cp.Kzx", "-o",        "image.out"}
        << 2;
}

void TestCliImage::badInput()
{
    QFETCH(QStringList, args);
    QFETCH(int, code);

    QVERIFY(writeFile(path(QStringLiteral("short.bin")), QByteArray(100, '\x11')));
    QVERIFY(writeFile(path(QStringLiteral("image8191.bin")), QByteArray(ImageSize - 1, '\x11')));
    QVERIFY(writeFile(path(QStringLiteral("image.bin")), fixtureLegacyImage()));
    QVERIFY(writeFile(path(QStringLiteral("block127.bin")), QByteArray(127, '\x11')));
    QVERIFY(writeFile(path(QStringLiteral("block.bin")), caltest::customBlockS('\0')));
    QVERIFY(writeFile(path(QStringLiteral("short.kzxa")), caltest::customRecord().left(119)));
    QVERIFY(writeFile(path(QStringLiteral("empty.kzxa")), QByteArray()));
    QVERIFY(writeFile(path(QStringLiteral("short.Kzx")), fixtureBlock().left(BlockSize - 1)));
    const QStringList before = listing(m_dir->path());

    const CliResult r = runCli(args, m_dir->path());
    QCOMPARE(r.exitCode, code);
    QVERIFY2(r.err.startsWith("t880: "), r.err.constData());
    // No output file, no temporary left behind, the inputs unchanged.
    QCOMPARE(listing(m_dir->path()), before);
    QCOMPARE(readFile(path(QStringLiteral("short.kzxa"))), caltest::customRecord().left(119));
    QCOMPARE(readFile(path(QStringLiteral("cp.Kzx"))), fixtureBlock());
}

QTEST_GUILESS_MAIN(TestCliImage)
#include "tst_cli_image.moc"
