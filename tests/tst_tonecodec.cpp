// The tone and frequency codec: every conversion against the worked examples
// and its edge cases; the DCS codewords against a second, independent
// construction of the Golay (23,12) code.
//
// This file: frequencies and tones as the window shows them;
// tst_tonecodec_words.cpp the words the radio holds.
#include "tst_tonecodec.h"

using namespace t880;
using namespace t880::codec;
using namespace tonecodectest;

void TestToneCodec::formatFrequency_data()
{
    QTest::addColumn<quint32>("hz");
    QTest::addColumn<QString>("text");
    QTest::newRow("0 Hz is 0") << 0u << "0";
    QTest::newRow("438.5 MHz") << 438500000u << "438.50000";
    QTest::newRow("136.0125 MHz") << 136012500u << "136.01250";
    QTest::newRow("MHz zero-padded") << 50000000u << "050.00000";
    QTest::newRow("only three MHz digits") << 1234567890u << "234.56789";
    QTest::newRow("1 Hz digit dropped") << 438500009u << "438.50000";
    QTest::newRow("10 Hz digit kept") << 438500010u << "438.50001";
    QTest::newRow("1 Hz") << 1u << "000.00000";
    QTest::newRow("fraction zero-padded") << 145000120u << "145.00012";
    QTest::newRow("largest value") << 4294967295u << "294.96729";
}

void TestToneCodec::formatFrequency()
{
    QFETCH(quint32, hz);
    QFETCH(QString, text);
    QCOMPARE(codec::formatFrequency(hz), text);
}

void TestToneCodec::parseFrequency_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<codec::FrequencyParse>("how");
    QTest::addColumn<quint32>("hz");
    constexpr auto Ok = codec::FrequencyParse::Ok;
    constexpr auto Overflow = codec::FrequencyParse::Overflow;
    constexpr auto NotANumber = codec::FrequencyParse::NotANumber;

    // Exact decimal reading, truncated below 1 Hz.
    QTest::newRow("empty is 0") << "" << Ok << 0u;
    QTest::newRow("438.5") << "438.5" << Ok << 438500000u;
    QTest::newRow("438.5125 exactly") << "438.5125" << Ok << 438512500u;
    QTest::newRow("438.51250") << "438.51250" << Ok << 438512500u;
    QTest::newRow("145.6125 exactly") << "145.6125" << Ok << 145612500u;
    QTest::newRow("146.52 exactly") << "146.52" << Ok << 146520000u;
    QTest::newRow("0.1 exactly") << "0.1" << Ok << 100000u;
    QTest::newRow("integer MHz") << "438" << Ok << 438000000u;
    QTest::newRow("trailing point") << "438." << Ok << 438000000u;
    QTest::newRow("leading point") << ".5" << Ok << 500000u;
    QTest::newRow("zero") << "0" << Ok << 0u;
    QTest::newRow("formatted zero") << "000.00000" << Ok << 0u;
    QTest::newRow("1 Hz") << "0.000001" << Ok << 1u;
    QTest::newRow("sub-Hz digits truncated") << "438.1234567" << Ok << 438123456u;
    QTest::newRow("sub-Hz 9 truncated") << "145.0000009" << Ok << 145000000u;
    QTest::newRow("leading zeros") << "0000438.5" << Ok << 438500000u;
    QTest::newRow("largest 32-bit value") << "4294.967295" << Ok << 4294967295u;
    // Rejected texts.
    QTest::newRow("letters") << "abc" << NotANumber << 0u;
    QTest::newRow("two points") << "438.5.1" << NotANumber << 0u;
    QTest::newRow("lone point") << "." << NotANumber << 0u;
    QTest::newRow("minus sign") << "-438.5" << NotANumber << 0u;
    QTest::newRow("plus sign") << "+438" << NotANumber << 0u;
    QTest::newRow("leading blank") << " 438" << NotANumber << 0u;
    QTest::newRow("trailing blank") << "438 " << NotANumber << 0u;
    QTest::newRow("decimal comma") << "438,5" << NotANumber << 0u;
    QTest::newRow("exponent") << "1e3" << NotANumber << 0u;
    QTest::newRow("beyond 32 bits in the MHz") << "5000" << Overflow << 0u;
    QTest::newRow("beyond 32 bits by 1 Hz") << "4294.967296" << Overflow << 0u;
    QTest::newRow("beyond 32 bits in the fraction") << "4294.9673" << Overflow << 0u;
    QTest::newRow("beyond 64 bits") << "123456789012345678901234" << Overflow << 0u;
    QTest::newRow("beyond 32 bits, then a letter") << "5000x" << NotANumber << 0u;
}

void TestToneCodec::parseFrequency()
{
    QFETCH(QString, text);
    QFETCH(codec::FrequencyParse, how);
    QFETCH(quint32, hz);
    codec::FrequencyParse said = codec::FrequencyParse::Ok;
    const std::optional<quint32> result = codec::parseFrequency(text, &said);
    QCOMPARE(said, how);
    QCOMPARE(result.has_value(), how == codec::FrequencyParse::Ok);
    if (result)
        QCOMPARE(*result, hz);
}

void TestToneCodec::snapFrequency_data()
{
    QTest::addColumn<quint32>("hz");
    QTest::addColumn<quint32>("low");
    QTest::addColumn<quint32>("high");
    QTest::addColumn<quint32>("snapped");

    const quint32 lo = 400000000, hi = 480000000;
    QTest::newRow("6.25 kHz raster stays") << 438512500u << lo << hi << 438512500u;
    QTest::newRow("off-raster down to 6.25 kHz") << 438503000u << lo << hi << 438500000u;
    QTest::newRow("1 kHz off down") << 438501000u << lo << hi << 438500000u;
    QTest::newRow("5 kHz raster stays") << 438510000u << lo << hi << 438510000u;
    QTest::newRow("438506250 stays") << 438506250u << lo << hi << 438506250u;
    QTest::newRow("438507000 down") << 438507000u << lo << hi << 438506250u;
    QTest::newRow("just below the next step") << 438512499u << lo << hi << 438506250u;
    QTest::newRow("below the band clamps") << 300000000u << lo << hi << 400000000u;
    QTest::newRow("above the band clamps") << 500000000u << lo << hi << 480000000u;
    QTest::newRow("band edges stay") << 480000000u << lo << hi << 480000000u;
    QTest::newRow("VHF band") << 145001000u << 136000000u << 174000000u << 145000000u;
    QTest::newRow("0 Hz clamps to band") << 0u << lo << hi << 400000000u;
    QTest::newRow("clamp to an off-raster limit then raster")
        << 0u << 400001000u << hi << 400000000u;
    QTest::newRow("largest value, unsigned") << 4294967295u << 0u << 4294967295u << 4294962500u;
}

void TestToneCodec::snapFrequency()
{
    QFETCH(quint32, hz);
    QFETCH(quint32, low);
    QFETCH(quint32, high);
    QFETCH(quint32, snapped);
    QCOMPARE(codec::snapFrequency(hz, low, high), snapped);
}

void TestToneCodec::snapStep_data()
{
    QTest::addColumn<quint32>("step");
    QTest::addColumn<quint32>("snapped");
    QTest::newRow("12.5 kHz stays") << 12500u << 12500u;
    QTest::newRow("10 MHz gives 0") << 10000000u << 0u;
    QTest::newRow("above 10 MHz gives 0") << 4294967295u << 0u;
    QTest::newRow("7 kHz to 6.25 kHz") << 7000u << 6250u;
    QTest::newRow("5 kHz stays") << 5000u << 5000u;
    QTest::newRow("6.25 kHz stays") << 6250u << 6250u;
    QTest::newRow("25 kHz stays") << 25000u << 25000u;
    QTest::newRow("below 6.25 kHz gives 0") << 3000u << 0u;
    QTest::newRow("0 stays") << 0u << 0u;
    QTest::newRow("just below 10 MHz") << 9999999u << 9993750u;
    QTest::newRow("9.995 MHz stays") << 9995000u << 9995000u;
}

void TestToneCodec::snapStep()
{
    QFETCH(quint32, step);
    QFETCH(quint32, snapped);
    QCOMPARE(codec::snapStep(step), snapped);
}

void TestToneCodec::standardTables()
{
    QCOMPARE(int(ctcssTones().size()), 50);
    QCOMPARE(int(dcsCodes().size()), 105);
    for (int i = 0; i < 50; ++i)
        QCOMPARE(int(ctcssTones()[std::size_t(i)]), kCtcssChart[i]);
    for (int i = 0; i < 105; ++i)
        QCOMPARE(int(dcsCodes()[std::size_t(i)]), dcsChartCode(i));
}

void TestToneCodec::formatTone_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("text");

    QTest::newRow("CTCSS 88.5") << 885 << 1 << "88.5";
    QTest::newRow("CTCSS 100.0") << 1000 << 1 << "100.0";
    QTest::newRow("CTCSS 67.0") << 670 << 1 << "67.0";
    QTest::newRow("CTCSS 254.1") << 2541 << 1 << "254.1";
    QTest::newRow("CTCSS nonstandard 88.6") << 886 << 1 << "88.6";
    QTest::newRow("CTCSS below 1 Hz") << 5 << 1 << "0.5";
    QTest::newRow("DCS 023 normal") << 0x2813 << 2 << "D023N";
    QTest::newRow("DCS 023 inverted") << 0x2813 << 3 << "D023I";
    QTest::newRow("DCS 754 normal") << 0x29EC << 2 << "D754N";
    QTest::newRow("DCS 754 inverted") << 0x29EC << 3 << "D754I";
    QTest::newRow("DCS 245 normal") << 0x28A5 << 2 << "D245N";
    QTest::newRow("DCS code 000") << 0x2800 << 2 << "D000N";
    QTest::newRow("DCS nonstandard 777") << 0x29FF << 2 << "D777N";
    QTest::newRow("DCS inverted with bit 15 set") << 0xA813 << 3 << "D023I";
    QTest::newRow("0xFFFF with CTCSS is Off") << 0xFFFF << 1 << "Off";
    QTest::newRow("0xFFFF with DCS inverted is Off") << 0xFFFF << 3 << "Off";
    QTest::newRow("0 with DCS is Off") << 0 << 2 << "Off";
    QTest::newRow("0 with CTCSS is Off") << 0 << 1 << "Off";
    QTest::newRow("none, 0xFFFF is Off") << 0xFFFF << 0 << "Off";
    QTest::newRow("none, 0 is Off") << 0 << 0 << "Off";
}

void TestToneCodec::formatTone()
{
    QFETCH(int, value);
    QFETCH(int, type);
    QFETCH(QString, text);
    QCOMPARE(codec::formatTone(quint16(value), quint8(type)), text);
}

void TestToneCodec::parseTone_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("value");

    const auto ok = [](const char *name, const char *text, int type, int value) {
        QTest::newRow(name) << QString::fromUtf8(text) << true << type << value;
    };
    const auto rejected = [](const char *name, const char *text) {
        QTest::newRow(name) << QString::fromUtf8(text) << false << 0 << 0;
    };
    // Off.
    ok("Off", "Off", 0, 0xFFFF);
    ok("empty is off", "", 0, 0xFFFF);
    rejected("lower-case off", "off");
    rejected("upper-case OFF", "OFF");
    rejected("Off with a blank", "Off ");
    // DCS.
    ok("D023N", "D023N", 2, 0x2813);
    ok("D023I", "D023I", 3, 0x2813);
    ok("D754I", "D754I", 3, 0x29EC);
    ok("D245N", "D245N", 2, 0x28A5);
    ok("D000N", "D000N", 2, 0x2800);
    ok("nonstandard D777N", "D777N", 2, 0x29FF);
    ok("characters after the fifth ignored", "D023NXYZ", 2, 0x2813);
    rejected("8 is no octal digit", "D823N");
    rejected("blank instead of a digit", "D08 N");
    rejected("letter instead of a digit", "D02AN");
    rejected("lower-case d", "d023N");
    rejected("other first letter", "X023I");
    rejected("D023X taken as CTCSS", "D023X");
    rejected("lower-case n taken as CTCSS", "D023n");
    // CTCSS.
    ok("88.5", "88.5", 1, 885);
    ok("254.1", "254.1", 1, 2541);
    ok("67", "67", 1, 670);
    ok("67.", "67.", 1, 670);
    ok("67.5", "67.5", 1, 675);
    ok("100", "100", 1, 1000);
    ok("100.", "100.", 1, 1000);
    ok("100.5", "100.5", 1, 1005);
    ok("088.", "088.", 1, 880);
    ok("two digits", "99", 1, 990);
    ok("50", "50", 1, 500);
    ok("lowest 030", "030", 1, 300);
    ok("lowest 030.0", "030.0", 1, 300);
    ok("highest 260.0", "260.0", 1, 2600);
    ok("leading blank skipped", " 88", 1, 880);
    ok("nonstandard 88.6", "88.6", 1, 886);
    rejected("260.1 above range", "260.1");
    rejected("029.9 below range", "029.9");
    rejected("25 below range", "25");
    rejected("33.0 starts with 3", "33.0");
    rejected("4.5 starts with 4", "4.5");
    rejected("45 starts with 4", "45");
    rejected("500.0 starts with 5", "500.0");
    rejected("1000 has no point", "1000");
    rejected("one character", "8");
    rejected("six characters", "123.45");
    rejected("second not a digit", "9.5");
    rejected("second not a digit in four", "1.23");
    rejected("two points", "12..");
    rejected("fifth not a digit", "12.3.");
    rejected("five without a point", "1234.");
    rejected("decimal comma", "88,5");
    rejected("minus sign", "-88");
}

void TestToneCodec::parseTone()
{
    QFETCH(QString, text);
    QFETCH(bool, accepted);
    QFETCH(int, type);
    QFETCH(int, value);

    const std::optional<Tone> tone = codec::parseTone(text);
    QCOMPARE(tone.has_value(), accepted);
    if (accepted) {
        QCOMPARE(int(tone->type), type);
        QCOMPARE(hex16(tone->value), hex16(value));
    }
}

void TestToneCodec::isStandardTone_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("standard");

    QTest::newRow("none is always standard") << 0xFFFF << 0 << true;
    QTest::newRow("none with a value") << 1234 << 0 << true;
    QTest::newRow("CTCSS 67.0") << 670 << 1 << true;
    QTest::newRow("CTCSS 254.1") << 2541 << 1 << true;
    QTest::newRow("CTCSS 88.5") << 885 << 1 << true;
    QTest::newRow("CTCSS 88.6") << 886 << 1 << false;
    QTest::newRow("CTCSS 260.0") << 2600 << 1 << false;
    QTest::newRow("CTCSS given a DCS value") << 0x2813 << 1 << false;
    QTest::newRow("DCS 245 normal") << 0x28A5 << 2 << true;
    QTest::newRow("DCS 245 inverted") << 0x28A5 << 3 << true;
    QTest::newRow("DCS 023") << 0x2813 << 2 << true;
    QTest::newRow("DCS 754") << 0x29EC << 3 << true;
    QTest::newRow("DCS 024 is not standard") << 0x2814 << 2 << false;
    QTest::newRow("DCS code without the base") << 0x0013 << 2 << false;
    QTest::newRow("DCS given a CTCSS value") << 885 << 2 << false;
    QTest::newRow("DCS inverted with bit 15 set") << 0xA813 << 3 << false;
    QTest::newRow("unknown type checks the DCS list") << 0x2813 << 9 << true;
    QTest::newRow("unknown type, other value") << 885 << 9 << false;
}

void TestToneCodec::isStandardTone()
{
    QFETCH(int, value);
    QFETCH(int, type);
    QFETCH(bool, standard);
    QCOMPARE(codec::isStandardTone(quint16(value), quint8(type)), standard);
}

// Over all 65536 values, exactly the chart's tones are standard.
void TestToneCodec::isStandardToneExactlyTheCharts()
{
    QSet<int> ctcss(std::begin(kCtcssChart), std::end(kCtcssChart));
    QSet<int> dcs;
    for (int i = 0; i < 105; ++i)
        dcs.insert(0x2800 + dcsChartCode(i));
    for (int v = 0; v <= 0xFFFF; ++v) {
        if (codec::isStandardTone(quint16(v), 1) != ctcss.contains(v))
            QFAIL(qPrintable(QStringLiteral("CTCSS value %1").arg(v)));
        if (codec::isStandardTone(quint16(v), 2) != dcs.contains(v))
            QFAIL(qPrintable(QStringLiteral("DCS normal value %1").arg(hex16(v))));
        if (codec::isStandardTone(quint16(v), 3) != dcs.contains(v))
            QFAIL(qPrintable(QStringLiteral("DCS inverted value %1").arg(hex16(v))));
    }
}

void TestToneCodec::toneChoiceListEntries_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("text");
    QTest::newRow("first is Off") << 0 << "Off";
    QTest::newRow("first CTCSS") << 1 << "67.0";
    QTest::newRow("ninth CTCSS") << 9 << "88.5";
    QTest::newRow("last CTCSS") << 50 << "254.1";
    QTest::newRow("first DCS normal") << 51 << "D023N";
    QTest::newRow("DCS 245 normal") << 51 + 40 << "D245N";
    QTest::newRow("last DCS normal") << 155 << "D754N";
    QTest::newRow("first DCS inverted") << 156 << "D023I";
    QTest::newRow("last entry") << 260 << "D754I";
}

void TestToneCodec::toneChoiceListEntries()
{
    QFETCH(int, index);
    QFETCH(QString, text);
    const QStringList list = toneChoiceList();
    QCOMPARE(list.size(), 261);
    QCOMPARE(list.at(index), text);
}

// The whole list, rebuilt from the charts; every entry reads back as itself.
void TestToneCodec::toneChoiceListWhole()
{
    QStringList expected{QStringLiteral("Off")};
    for (int v : kCtcssChart)
        expected << QStringLiteral("%1.%2").arg(v / 10).arg(v % 10);
    for (const char *suffix : {"N", "I"}) {
        for (const char *code : kDcsChart)
            expected << QStringLiteral("D%1%2").arg(QLatin1String(code), QLatin1String(suffix));
    }
    const QStringList list = toneChoiceList();
    QCOMPARE(list, expected);
    QCOMPARE(QSet<QString>(list.begin(), list.end()).size(), 261);

    for (const QString &text : list) {
        const std::optional<Tone> tone = codec::parseTone(text);
        QVERIFY2(tone.has_value(), qPrintable(text));
        QCOMPARE(codec::formatTone(tone->value, tone->type), text);
        QVERIFY2(codec::isStandardTone(tone->value, tone->type), qPrintable(text));
    }
}

QTEST_APPLESS_MAIN(TestToneCodec)
#include "moc_tst_tonecodec.cpp"
