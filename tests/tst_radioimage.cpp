// The radio memory image: channel records, settings, scan masks and dates of
// the current layout, the legacy layout, the calibration-dependent bytes and
// the conversions back into the codeplug. Every expected byte is worked out
// by hand from the layouts (frequency words as Hz / 125 or 2 Hz / 125, BCD
// digits, DCS codewords checked against the worked examples of the codec).
#include "codeplug/radioimage.h"
#include "link/programstate.h"

#include "testsupport.h"
#include "tst_radioimage_helpers.h"

#include <QtTest>

#include <memory>
#include <random>

using namespace t880;
using namespace imagetest;
using namespace t880::testing;

namespace {

RandomByteSource seededBytes(unsigned seed)
{
    auto gen = std::make_shared<std::mt19937>(seed);
    return [gen] {
        return std::uint8_t((*gen)() & 0xFF);
    };
}

const ProgramDate kDate{2026, 12, 8, 14, 30};

QByteArray imageBytes(const ProgramState &s)
{
    return QByteArray(reinterpret_cast<const char *>(s.image.raw.data()), RadioImage::Size);
}

void setImage(ProgramState &s, const QByteArray &img)
{
    Q_ASSERT(img.size() >= RadioImage::Size);
    std::copy_n(reinterpret_cast<const std::uint8_t *>(img.constData()), RadioImage::Size,
                s.image.raw.begin());
}

QByteArray blockOf(const ProgramState &s)
{
    return s.codeplug.toByteArray();
}

/// Builds the current-layout image of \a block.
QByteArray encode(const QByteArray &block, bool y, const CalibrationTables &tables,
                  const ProgramDate &date = kDate)
{
    ProgramState s;
    s.codeplug.replaceLeading(block);
    s.radioVariant = y;
    s.calibrationTables = tables;
    s.image.raw.fill(0xEE); // the builder must clear what was there
    GetDataForWrite(s, date, seededBytes(7));
    return imageBytes(s);
}

/// Reads \a img back onto \a base (current layout).
QByteArray decode(const QByteArray &img, bool y, const QByteArray &base = newBlock(),
                  ProgramDate *date = nullptr)
{
    ProgramState s;
    s.codeplug.replaceLeading(base);
    s.radioVariant = y;
    setImage(s, img);
    SetDataToSoftware(s);
    if (date)
        *date = s.lastProgramDate;
    return blockOf(s);
}

QByteArray encodeLegacy(const QByteArray &block)
{
    ProgramState s;
    s.codeplug.replaceLeading(block);
    s.image.raw.fill(0x00);
    GetDataForWrite_old(s);
    return imageBytes(s);
}

/// A block whose channel 1 (and 2 when given) are in use with the given fields.
QByteArray oneChannel(const Channel &c1)
{
    QByteArray b = newBlock();
    putChannel(b, 1, c1);
    setUsed(b, 1);
    return b;
}

QByteArray recordOf(const QByteArray &img, int n)
{
    return img.mid((n - 1) * 19, 19);
}

QList<int> channelList(const QString &text)
{
    QList<int> out;
    for (const QString &part : text.split(u',', Qt::SkipEmptyParts))
        out << part.trimmed().toInt();
    return out;
}

} // namespace

class TestRadioImage : public QObject
{
    Q_OBJECT

private slots:
    // Current layout, model to image
    void frequencyWords_data();
    void frequencyWords();
    void toneWords_data();
    void toneWords();
    void spurFlags_data();
    void spurFlags();
    void controlByte_data();
    void controlByte();
    void calibrationBytes_data();
    void calibrationBytes();
    void newModelImage_data();
    void newModelImage();
    void settingsBytes_data();
    void settingsBytes();
    void scanMask_data();
    void scanMask();
    void dateBytes_data();
    void dateBytes();
    void unusedChannelsAreZero_data();
    void unusedChannelsAreZero();
    void rxZeroComesBackUnused_data();
    void rxZeroComesBackUnused();
    void fixtureImage_data();
    void fixtureImage();
    void passwordBlock_data();
    void passwordBlock();

    // Current layout, image to model
    void setDataToSoftware_data();
    void setDataToSoftware();
    void settingsReadBack_data();
    void settingsReadBack();
    void roundTripCurrent_data();
    void roundTripCurrent();

    // Calibration-dependent bytes
    void reAnalyseChInfor_data();
    void reAnalyseChInfor();
    void interpolateCalibration_data();
    void interpolateCalibration();
    void lookupSquelchOffset_data();
    void lookupSquelchOffset();

    // Legacy layout
    void legacyImage_data();
    void legacyImage();
    void legacyFrequencies_data();
    void legacyFrequencies();
    void legacyTones_data();
    void legacyTones();
    void legacyToneRead_data();
    void legacyToneRead();
    void legacyKeysWrite_data();
    void legacyKeysWrite();
    void legacyKeysRead_data();
    void legacyKeysRead();
    void legacyTot_data();
    void legacyTot();
    void legacyRead_data();
    void legacyRead();
    void roundTripLegacy_data();
    void roundTripLegacy();
};

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

// --- Current layout, image to model ------------------------------------------

void TestRadioImage::setDataToSoftware_data()
{
    QTest::addColumn<bool>("y");
    QTest::addColumn<QString>("records");

    // Words of 438.5 / 455 / 409.5 / 438.50625 / 490 MHz and 88.5 / 254.1 Hz
    // for the radio; bytes 14 carry spur flags that are not read back; the
    // calibration bytes 16..18 are junk that is not read back either.
    QTest::newRow("S") << false
                       << QStringLiteral(
                              "0x000: 6B 0E 40 6B 0E 40 03 75 22 92 00 64 0E 37 09 38 8A 58 0A;"
                              "0x013: 6F 15 80 63 F9 C0 00 1B F1 C8 00 00 00 00 63 10 11 22 33;"
                              "0x098: 6B 0E A4 6B 0E A4 09 ED 63 42 09 ED 63 42 05 20 44 55 66;"
                              "0x11D: 77 A1 00 00 00 00 00 00 00 00 00 00 00 00 F0 C3 77 88 99");
    QTest::newRow("Y") << true
                       << QStringLiteral(
                              "0x000: 35 87 20 35 87 20 03 75 16 A7 00 64 0E 37 09 38 8A 58 0A;"
                              "0x013: 37 8A C0 31 FC E0 00 1B F1 C8 00 00 00 00 93 10 11 22 33;"
                              "0x098: 35 87 52 35 87 52 09 ED 41 0C 09 ED 41 0C 05 20 44 55 66;"
                              "0x11D: 3B D0 80 00 00 00 00 00 00 00 00 00 00 00 F0 C3 77 88 99");
}

void TestRadioImage::setDataToSoftware()
{
    QFETCH(bool, y);
    QFETCH(QString, records);

    // The model the read lands on: names, squelch modes, DTMF flags, spare
    // bytes, unused option bits and a reserved byte that the image does not
    // carry; channel 5 in use in the model but not in the image; junk in the
    // unused bytes of the channel mask; settings the image does not carry.
    QByteArray base = newBlock();
    putChannel(base, 1, {145000000, 145000000, 0, 0, 0, 0, 0xE3, 0x4F, 0x5A, 0xC3, "ALPHA"});
    base[cp::slot(1) + 4] = char(0x77);
    putChannel(base, 2, {430000000, 430000000, 1, 670, 1, 670, 0x01, 0xF8, 0, 0, "BRAVO"});
    putChannel(base, 5, {430000000, 430000000, 1, 670, 1, 670, 0x02, 0x30, 0x11, 0x22, "ECHO"});
    for (int n : {1, 2, 5})
        setUsed(base, n);
    base[cp::channelUsedMask + 3] = char(0x5A);
    base[cp::channelUsedMask + 15] = char(0x01);
    applyPatch(base, QStringLiteral("0xAC0: 04; 0xAF0: 23 01; 0x053: 70 77 00"));

    QByteArray img(ImageSize, '\0');
    applyPatch(img, records);
    // Channel 3: byte 0 is 0x00; channel 5: byte 0 is 0xFF; both not in use.
    applyPatch(img, QStringLiteral("0x026: 00 12 34 56 78 9A; 0x04C: FF 0E 40 6B 0E 40 03 75"));
    applyPatch(img,
               QStringLiteral("0x150: 07 EA 0C 08 0E 1E;"
                              // tot 600, toa 10, beep 0, saving 0, rate 1001/200, sql 9, voice 2,
                              // mask 1 5 9 16, junk at 0x161, VOX gain 7, delay 3000, junk, junk.
                              "0x156: 02 58 0A 00 00 03 E9 09 02 81 11 EE 07 0B B8 EE EE 19 02"));

    QByteArray expected = base;
    // 1: both frequencies, 88.5 Hz / D023N, busy lock 2 into option A (squelch
    // mode 3 and bits 5-7 kept), high power, wide, scan into option B.
    putChannel(expected, 1,
               {438500000, 438500000, 1, 885, 2, 0x2813, 0xF3, 0xFF, 0x5A, 0xC3, "ALPHA"});
    // 2: D023I / no tone (value 0), busy lock 0, wide, low power, not scanned.
    putChannel(expected, 2, {455000000, 409500000, 3, 0x2813, 0, 0, 0x01, 0x58, 0, 0, "BRAVO"});
    putChannel(expected, 9, {438506250, 438506250, 1, 2541, 1, 2541, 0x00, 0xA0, 0, 0, ""});
    // 16: byte 15 is C3: bits 0-1 and 6-7 are not read.
    putChannel(expected, 16, {490000000, 0, 0, 0, 0, 0, 0x00, 0x80, 0, 0, ""});
    applyPatch(expected, QStringLiteral("0xB5F: 06 02 01 00 00 00 00 00 00 00 00 00 00 00 00 00"));
    applyPatch(expected, QStringLiteral("0xAD2: 58 02; 0xAD5: 0A; 0xADF: 00; 0xAE1: 00;"
                                        "0xAE2: 05; 0xABF: 09; 0xAB6: 02; 0xACF: 07;"
                                        "0xAD0: B8 0B; 0xB51: 19; 0xB53: 02"));

    ProgramDate date;
    const QByteArray back = decode(img, y, base, &date);
    QCOMPARE(describeDiff(back, expected), QString());
    QVERIFY(date == kDate);
}

void TestRadioImage::settingsReadBack_data()
{
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<QString>("expected");

    QTest::newRow("New values")
        << hex("00 B4 05 01 01 02 58 05 01 00 00 00 06 07 D0 00 0A 18 03")
        << QStringLiteral("0xAD2: B4 00; 0xAD5: 05; 0xADF: 01; 0xAE1: 01; 0xAE2: 03;"
                          "0xABF: 05; 0xAB6: 01; 0xACF: 06; 0xAD0: D0 07; 0xB51: 18; 0xB53: 03");
    // The rate is read as the word div 200: 0x0257 = 599 -> 2.
    QTest::newRow("rate truncated, VOX gain from 0x162")
        << hex("00 0F 01 00 01 02 57 00 00 00 00 00 09 01 F4 00 0A 02 19")
        << QStringLiteral("0xAD2: 0F 00; 0xAD5: 01; 0xADF: 00; 0xAE1: 01; 0xAE2: 02;"
                          "0xABF: 00; 0xAB6: 00; 0xACF: 09; 0xAD0: F4 01; 0xB51: 02; 0xB53: 19");
}

void TestRadioImage::settingsReadBack()
{
    QFETCH(QByteArray, settings);
    QFETCH(QString, expected);

    // Start from a block whose settings all differ from what is read.
    const QByteArray base =
        patched(newBlock(), QStringLiteral("0xAD2: 11 11; 0xAD5: 11; 0xADF: 11; 0xAE1: 11;"
                                           "0xAE2: 11; 0xABF: 11; 0xAB6: 11; 0xACF: 11;"
                                           "0xAD0: 11 11; 0xB51: 11; 0xB53: 11"));
    QByteArray img(ImageSize, '\0');
    put(img, 0x156, settings);
    QCOMPARE(describeDiff(decode(img, false, base), patched(base, expected)), QString());
}

void TestRadioImage::roundTripCurrent_data()
{
    QTest::addColumn<bool>("y");
    QTest::addColumn<bool>("calibrated");
    QTest::newRow("S, calibrated") << false << true;
    QTest::newRow("Y, calibrated") << true << true;
    QTest::newRow("S, no calibration") << false << false;
    QTest::newRow("Y, no calibration") << true << false;
}

void TestRadioImage::roundTripCurrent()
{
    QFETCH(bool, y);
    QFETCH(bool, calibrated);

    const CalibrationTables tables = calibrated ? threePointTables() : CalibrationTables{};
    const QByteArray block = fixtureBlock();
    const QByteArray img = encode(block, y, tables);

    // Read back onto the same codeplug: only the VOX gain (written as 0) and
    // the removed tone of channel 2 (read as value 0) differ.
    ProgramDate date;
    const QByteArray back = decode(img, y, block, &date);
    QCOMPARE(describeDiff(back, patched(block, QStringLiteral("0xACF: 00; 0x60D: 00 00"))),
             QString());
    QVERIFY(date == kDate);

    // Writing what was read gives the same image.
    QCOMPARE(describeDiff(encode(back, y, tables), img), QString());
}

// --- Calibration-dependent bytes ---------------------------------------------

void TestRadioImage::reAnalyseChInfor_data()
{
    QTest::addColumn<bool>("y");
    QTest::addColumn<QString>("records");

    // Used: 1 (438.5 both, high), 2 (rx 455 tx 409.5, byte 15 DF: bit 5
    // clear, low), 7 (rx 490, no tx), 16 (400 MHz both, byte 15 FF: high).
    QTest::newRow("S") << false
                       << QStringLiteral("0x000: 6B 0E 40 6B 0E 40; 0x00F: 20;"
                                         "0x013: 6F 15 80 63 F9 C0; 0x022: DF;"
                                         "0x072: 77 A1 00 00 00 00; 0x081: 00;"
                                         "0x11D: 61 A8 00 61 A8 00; 0x12C: FF");
    QTest::newRow("Y") << true
                       << QStringLiteral("0x000: 35 87 20 35 87 20; 0x00F: 20;"
                                         "0x013: 37 8A C0 31 FC E0; 0x022: DF;"
                                         "0x072: 3B D0 80 00 00 00; 0x081: 00;"
                                         "0x11D: 30 D4 00 30 D4 00; 0x12C: FF");
}

void TestRadioImage::reAnalyseChInfor()
{
    QFETCH(bool, y);
    QFETCH(QString, records);

    // Every byte distinct from its neighbours; the other records are not in
    // use (byte 0 alternately 0x00 and 0xFF).
    QByteArray img(ImageSize, '\0');
    for (int i = 0; i < ImageSize; ++i)
        img[i] = char((7 * i + 3) & 0xFF);
    for (int n = 1; n <= 16; ++n)
        img[(n - 1) * 19] = char(n % 2 ? 0x00 : 0xFF);
    applyPatch(img, records);

    ProgramState s;
    s.radioVariant = y;
    s.calibrationTables = threePointTables();
    setImage(s, img);
    ReAnalyseChInfor(s);

    const QByteArray expected = patched(
        img, QStringLiteral("0x010: 8A 58 0A; 0x023: 1D 52 0E; 0x082: 14 46 14; 0x12D: 64 32 F6"));
    QCOMPARE(describeDiff(imageBytes(s), expected), QString());
}

void TestRadioImage::interpolateCalibration_data()
{
    QTest::addColumn<QString>("points"); // "MHz:high:low:tune", five of them
    QTest::addColumn<quint32>("hz");
    QTest::addColumn<int>("column"); // 0 high, 1 low, 2 tune
    QTest::addColumn<int>("expected");

    const QString p2 = QStringLiteral("400:40:10:200 417:57:27:217 0:0:0:0 0:0:0:0 0:0:0:0");
    // m = 405, i = 1, d = 5: 40 + 5*17/17 = 45.
    QTest::newRow("405.5 MHz between 400 and 417, high") << p2 << 405500000u << 0 << 45;
    QTest::newRow("405.5 MHz between 400 and 417, low") << p2 << 405500000u << 1 << 15;
    QTest::newRow("405.5 MHz between 400 and 417, tune") << p2 << 405500000u << 2 << 205;
    QTest::newRow("only whole MHz count") << p2 << 405999999u << 0 << 45;
    QTest::newRow("416.999999 MHz") << p2 << 416999999u << 0 << 56;
    QTest::newRow("below the first point") << p2 << 300000000u << 0 << 40;
    QTest::newRow("0 Hz") << p2 << 0u << 2 << 200;
    QTest::newRow("equal to the first point") << p2 << 400000000u << 1 << 10;
    QTest::newRow("equal to the second point") << p2 << 417000000u << 0 << 57;
    QTest::newRow("417.999999 MHz counts as 417") << p2 << 417999999u << 2 << 217;
    QTest::newRow("above the last point in use clamps") << p2 << 450000000u << 0 << 57;

    const QString falling = QStringLiteral("400:80:0:0 420:40:0:0 0:0:0:0 0:0:0:0 0:0:0:0");
    // base 40, span 40, d = 420 - 405 = 15: 40 + 15*40/20 = 70.
    QTest::newRow("falling values") << falling << 405000000u << 0 << 70;
    QTest::newRow("falling values near the upper point") << falling << 419000000u << 0 << 42;
    QTest::newRow("falling values above the last point clamp") << falling << 450000000u << 0 << 40;
    // 10 + 1*10/3 = 13 rising; 10 + 2*10/3 = 16 falling.
    QTest::newRow("rising, truncated")
        << QStringLiteral("400:10:0:0 403:20:0:0 0:0:0:0 0:0:0:0 0:0:0:0") << 401000000u << 0 << 13;
    QTest::newRow("falling, truncated")
        << QStringLiteral("400:20:0:0 403:10:0:0 0:0:0:0 0:0:0:0 0:0:0:0") << 401000000u << 0 << 16;

    const QString five = QStringLiteral("400:10:0:0 420:30:0:0 440:70:0:0 460:50:0:0 480:50:0:0");
    QTest::newRow("five points, between the second and third") << five << 430000000u << 0 << 50;
    QTest::newRow("five points, falling segment") << five << 450000000u << 0 << 60;
    QTest::newRow("five points, flat segment") << five << 470000000u << 0 << 50;
    QTest::newRow("five points, on the last") << five << 480000000u << 0 << 50;
    QTest::newRow("five rising points, above the last clamps")
        << QStringLiteral("400:10:0:0 410:20:0:0 420:30:0:0 430:40:0:0 440:50:0:0") << 470000000u
        << 0 << 50;

    // Points with frequency 0 are not in use, wherever they are.
    const QString gaps = QStringLiteral("0:99:99:99 400:40:0:0 0:200:0:0 440:80:0:0 0:0:0:0");
    QTest::newRow("unused points ignored, between") << gaps << 420000000u << 0 << 60;
    QTest::newRow("unused points ignored, below") << gaps << 390000000u << 0 << 40;
    QTest::newRow("unused points ignored, on the last") << gaps << 440000000u << 0 << 80;
    QTest::newRow("unused points ignored, above") << gaps << 460000000u << 0 << 80;
}

void TestRadioImage::interpolateCalibration()
{
    QFETCH(QString, points);
    QFETCH(quint32, hz);
    QFETCH(int, column);
    QFETCH(int, expected);

    CalibrationTables t;
    const QStringList list = points.split(u' ');
    QCOMPARE(list.size(), 5);
    for (int i = 0; i < 5; ++i) {
        const QStringList f = list[i].split(u':');
        t.points[std::size_t(i)] = {quint16(f[0].toUInt()), quint8(f[1].toUInt()),
                                    quint8(f[2].toUInt()), quint8(f[3].toUInt())};
    }
    const CalibrationColumn c = column == 0   ? CalibrationColumn::HighPower
                                : column == 1 ? CalibrationColumn::LowPower
                                              : CalibrationColumn::Tuning;
    QCOMPARE(int(t880::interpolateCalibration(hz, c, t)), expected);
}

void TestRadioImage::lookupSquelchOffset_data()
{
    QTest::addColumn<quint32>("hz");
    QTest::addColumn<int>("slot");

    QTest::newRow("0 Hz") << 0u << 0;
    QTest::newRow("400 MHz") << 400000000u << 0;
    QTest::newRow("410 MHz") << 410000000u << 0;
    QTest::newRow("410 MHz + 1 Hz") << 410000001u << 1;
    QTest::newRow("420 MHz") << 420000000u << 1;
    QTest::newRow("420 MHz + 1 Hz") << 420000001u << 2;
    QTest::newRow("455 MHz") << 455000000u << 5;
    QTest::newRow("470 MHz") << 470000000u << 6;
    QTest::newRow("480 MHz") << 480000000u << 7;
    QTest::newRow("480 MHz + 1 Hz") << 480000001u << 8;
    QTest::newRow("490 MHz") << 490000000u << 8;
    QTest::newRow("500 MHz") << 500000000u << 8;
    QTest::newRow("4 GHz") << 4000000000u << 8;
}

void TestRadioImage::lookupSquelchOffset()
{
    QFETCH(quint32, hz);
    QFETCH(int, slot);

    CalibrationTables t;
    for (int k = 0; k < 9; ++k)
        t.squelchOffsets[std::size_t(k)] = std::int8_t(10 * k - 40); // -40 .. 40
    QCOMPARE(int(t880::lookupSquelchOffset(hz, t)), 10 * slot - 40);
}

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

QTEST_GUILESS_MAIN(TestRadioImage)
#include "tst_radioimage.moc"
