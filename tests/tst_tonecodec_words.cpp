// The tone codec suite: the words the radio holds (frequency words, CTCSS chip
// words, DCS codewords against the reference code, BCD and legacy tones).
#include "tst_tonecodec.h"

#include <map>

using namespace t880;
using namespace t880::codec;
using namespace tonecodectest;

namespace {

// Carry-less (GF(2)) multiplication.
quint32 clmul(quint32 a, quint32 b)
{
    quint32 r = 0;
    for (; b; b >>= 1, a <<= 1) {
        if (b & 1)
            r ^= a;
    }
    return r;
}

// The systematic Golay (23,12) code built by multiplication instead of
// division: every multiple q(x) g(x) with deg q <= 11 is a codeword; its top
// twelve coefficients are the data, its low eleven the parity.
const std::map<quint32, quint32> &golayParityByData()
{
    static const std::map<quint32, quint32> table = [] {
        std::map<quint32, quint32> t;
        for (quint32 q = 0; q < 4096; ++q) {
            const quint32 c = clmul(q, 0xC75); // x^11+x^10+x^6+x^5+x^4+x^2+1
            t[c >> 11] = c & 0x7FF;
        }
        return t;
    }();
    return table;
}

struct Words
{
    int word7;
    int word16;
};

// The image words of a DCS code: data in the low 12 bits, parity above,
// then the 23 bits read backwards (done here by writing them out as text).
Words expectedDcsWords(int code, bool inverted)
{
    const quint32 data = quint32(code) | 0x800;
    const quint32 w = data | (golayParityByData().at(data) << 12);
    QString lsbFirst;
    for (int i = 0; i < 23; ++i)
        lsbFirst += (w >> i) & 1 ? u'1' : u'0';
    const quint32 r = lsbFirst.toUInt(nullptr, 2);
    Words out{int(r >> 16), int(r & 0xFFFF)};
    if (inverted)
        out = Words{out.word7 ^ 0x7F, out.word16 ^ 0xFFFF};
    return out;
}

} // namespace

void TestToneCodec::toFrequencyWord_data()
{
    QTest::addColumn<quint32>("hz");
    QTest::addColumn<bool>("variant");
    QTest::addColumn<quint32>("word");

    QTest::newRow("438.5 MHz, Y radio: 125 Hz units") << 438500000u << true << 0x358720u;
    QTest::newRow("438.5 MHz, S radio: 62.5 Hz units") << 438500000u << false << 0x6B0E40u;
    QTest::newRow("438.50625 MHz, Y radio") << 438506250u << true << 3508050u;
    QTest::newRow("438.50625 MHz, S radio") << 438506250u << false << 7016100u;
    QTest::newRow("truncates, Y radio") << 438500100u << true << 3508000u;
    QTest::newRow("truncates, S radio") << 438500100u << false << 7016001u;
    QTest::newRow("0 Hz") << 0u << false << 0u;
    QTest::newRow("above 2^31 Hz, S radio, no overflow") << 3000000000u << false << 48000000u;
}

void TestToneCodec::toFrequencyWord()
{
    QFETCH(quint32, hz);
    QFETCH(bool, variant);
    QFETCH(quint32, word);
    QCOMPARE(codec::toFrequencyWord(hz, variant), word);
}

void TestToneCodec::fromFrequencyWord_data()
{
    QTest::addColumn<quint32>("word");
    QTest::addColumn<bool>("variant");
    QTest::addColumn<quint32>("hz");

    QTest::newRow("0x358720, Y radio") << 0x358720u << true << 438500000u;
    QTest::newRow("0x6B0E40, S radio") << 0x6B0E40u << false << 438500000u;
    QTest::newRow("3508050, Y radio") << 3508050u << true << 438506250u;
    QTest::newRow("7016100, S radio") << 7016100u << false << 438506250u;
    QTest::newRow("odd S word halves down") << 7016001u << false << 438500062u;
    QTest::newRow("largest 24-bit word, Y radio") << 0xFFFFFFu << true << 2097151875u;
    QTest::newRow("largest 24-bit word, S radio") << 0xFFFFFFu << false << 1048575937u;
}

void TestToneCodec::fromFrequencyWord()
{
    QFETCH(quint32, word);
    QFETCH(bool, variant);
    QFETCH(quint32, hz);
    QCOMPARE(codec::fromFrequencyWord(word, variant), hz);
}

void TestToneCodec::ctcssChipWord_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<bool>("variant");
    QTest::addColumn<int>("word");

    QTest::newRow("88.5, S radio: hundredths") << 885 << false << 8850;
    QTest::newRow("88.5, Y radio: 65536/10000") << 885 << true << 5799;
    QTest::newRow("67.0, S radio") << 670 << false << 6700;
    QTest::newRow("67.0, Y radio") << 670 << true << 4390;
    QTest::newRow("100.0, Y radio") << 1000 << true << 6553;
    QTest::newRow("254.1, S radio") << 2541 << false << 25410;
    QTest::newRow("254.1, Y radio") << 2541 << true << 16652;
    QTest::newRow("260.0, Y radio") << 2600 << true << 17039;
    QTest::newRow("0") << 0 << true << 0;
}

void TestToneCodec::ctcssChipWord()
{
    QFETCH(int, value);
    QFETCH(bool, variant);
    QFETCH(int, word);
    QCOMPARE(int(codec::ctcssChipWord(quint16(value), variant)), word);
}

// The reference construction must itself reproduce the worked examples.
void TestToneCodec::golayReferenceMatchesWorkedExamples()
{
    QCOMPARE(int(golayParityByData().size()), 4096);
    const Words n023 = expectedDcsWords(023, false);
    QCOMPARE(n023.word7, 0x64);
    QCOMPARE(n023.word16, 0x0E37);
    const Words i023 = expectedDcsWords(023, true);
    QCOMPARE(i023.word7, 0x1B);
    QCOMPARE(i023.word16, 0xF1C8);
    const Words n754 = expectedDcsWords(0754, false);
    QCOMPARE(n754.word7, 0x1B);
    QCOMPARE(n754.word16, 0xCF82);
}

void TestToneCodec::encodeDcsWords_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("word7");
    QTest::addColumn<int>("word16");

    QTest::newRow("D023N") << 0x2813 << 2 << 0x64 << 0x0E37;
    QTest::newRow("D023I") << 0x2813 << 3 << 0x1B << 0xF1C8;
    QTest::newRow("D754N") << 0x29EC << 2 << 0x1B << 0xCF82;
    QTest::newRow("D754I") << 0x29EC << 3 << 0x64 << 0x307D;
}

void TestToneCodec::encodeDcsWords()
{
    QFETCH(int, value);
    QFETCH(int, type);
    QFETCH(int, word7);
    QFETCH(int, word16);
    const DcsWords w = codec::encodeDcsWords(quint16(value), quint8(type));
    QCOMPARE(hex16(w.word7), hex16(word7));
    QCOMPARE(hex16(w.word16), hex16(word16));
}

void TestToneCodec::decodeDcsWords_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("low7");
    QTest::addColumn<int>("high16");
    QTest::addColumn<int>("value");

    QTest::newRow("D023N") << 2 << 0x64 << 0x0E << 0x2813;
    QTest::newRow("D023I") << 3 << 0x1B << 0xF1 << 0x2813;
    QTest::newRow("D754N") << 2 << 0x1B << 0xCF << 0x29EC;
    QTest::newRow("bit 7 of the low byte ignored") << 2 << 0xE4 << 0x0E << 0x2813;
    QTest::newRow("parity bits of the high byte ignored") << 2 << 0x64 << 0x3F << 0x2813;
    QTest::newRow("code bit 7 is bit 7 of the high byte") << 2 << 0x00 << 0x80 << 0x2880;
    QTest::newRow("code bit 8 is bit 6 of the high byte") << 2 << 0x00 << 0x40 << 0x2900;
    QTest::newRow("code bit 0 is bit 6 of the low byte") << 2 << 0x40 << 0x00 << 0x2801;
    QTest::newRow("code bit 6 is bit 0 of the low byte") << 2 << 0x01 << 0x00 << 0x2840;
    QTest::newRow("all ones inverted is code 000") << 3 << 0xFF << 0xFF << 0x2800;
}

void TestToneCodec::decodeDcsWords()
{
    QFETCH(int, type);
    QFETCH(int, low7);
    QFETCH(int, high16);
    QFETCH(int, value);
    QCOMPARE(hex16(codec::decodeDcsWords(quint8(type), quint8(low7), quint8(high16))),
             hex16(value));
}

// All 105 standard codes, normal and inverted, against the independent code.
void TestToneCodec::dcsRoundTrip_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("word7");
    QTest::addColumn<int>("word16");
    for (int type : {2, 3}) {
        for (int i = 0; i < 105; ++i) {
            const int code = dcsChartCode(i);
            const Words w = expectedDcsWords(code, type == 3);
            QTest::addRow("D%s%c", kDcsChart[i], type == 2 ? 'N' : 'I')
                << 0x2800 + code << type << w.word7 << w.word16;
        }
    }
}

void TestToneCodec::dcsRoundTrip()
{
    QFETCH(int, value);
    QFETCH(int, type);
    QFETCH(int, word7);
    QFETCH(int, word16);
    const DcsWords w = codec::encodeDcsWords(quint16(value), quint8(type));
    QCOMPARE(hex16(w.word7), hex16(word7));
    QCOMPARE(hex16(w.word16), hex16(word16));
    QCOMPARE(hex16(codec::decodeDcsWords(quint8(type), w.word7, quint8(w.word16 >> 8))),
             hex16(value));
}

void TestToneCodec::toBcdFrequency_data()
{
    QTest::addColumn<quint32>("hz");
    QTest::addColumn<QByteArray>("bcd");
    QTest::newRow("438.5 MHz") << 438500000u << QByteArray::fromHex("00008543");
    QTest::newRow("145.6125 MHz") << 145612500u << QByteArray::fromHex("50125614");
    QTest::newRow("every digit different") << 136012345u << QByteArray::fromHex("34126013");
    QTest::newRow("1 Hz digit dropped") << 9u << QByteArray::fromHex("00000000");
    QTest::newRow("0") << 0u << QByteArray::fromHex("00000000");
    QTest::newRow("all nines") << 999999999u << QByteArray::fromHex("99999999");
}

void TestToneCodec::toBcdFrequency()
{
    QFETCH(quint32, hz);
    QFETCH(QByteArray, bcd);
    const std::array<std::uint8_t, 4> out = codec::toBcdFrequency(hz);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(out.data()), 4).toHex(' '), bcd.toHex(' '));
}

void TestToneCodec::fromBcdFrequency_data()
{
    QTest::addColumn<QByteArray>("bcd");
    QTest::addColumn<quint32>("hz");
    QTest::newRow("438.5 MHz") << QByteArray::fromHex("00008543") << 438500000u;
    QTest::newRow("every digit different") << QByteArray::fromHex("34126013") << 136012340u;
    QTest::newRow("0") << QByteArray::fromHex("00000000") << 0u;
    QTest::newRow("low nibble above 9 counts with its value")
        << QByteArray::fromHex("0A000000") << 100u;
    QTest::newRow("both nibbles above 9") << QByteArray::fromHex("FF000000") << 1650u;
    QTest::newRow("top byte A0") << QByteArray::fromHex("000000A0") << 1000000000u;
}

void TestToneCodec::fromBcdFrequency()
{
    QFETCH(QByteArray, bcd);
    QFETCH(quint32, hz);
    QCOMPARE(codec::fromBcdFrequency(reinterpret_cast<const std::uint8_t *>(bcd.constData())), hz);
}

void TestToneCodec::encodeLegacyTone_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("value");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("DCS 023 normal") << 2 << 0x2813 << QByteArray::fromHex("1328");
    QTest::newRow("DCS 023 inverted sets bit 7") << 3 << 0x2813 << QByteArray::fromHex("13A8");
    QTest::newRow("DCS 754 normal") << 2 << 0x29EC << QByteArray::fromHex("EC29");
    QTest::newRow("DCS 754 inverted") << 3 << 0x29EC << QByteArray::fromHex("ECA9");
    QTest::newRow("DCS without the base gets 0x28") << 2 << 0x0013 << QByteArray::fromHex("1328");
    QTest::newRow("DCS normal clears bit 7") << 2 << 0xA813 << QByteArray::fromHex("1328");
    QTest::newRow("CTCSS 88.5") << 1 << 885 << QByteArray::fromHex("7503");
    QTest::newRow("CTCSS 254.1") << 1 << 2541 << QByteArray::fromHex("ED09");
    QTest::newRow("CTCSS keeps byte 1 as it is") << 1 << 0xA813 << QByteArray::fromHex("13A8");
    QTest::newRow("none, off") << 0 << 0xFFFF << QByteArray::fromHex("FFFF");
    QTest::newRow("none, 0") << 0 << 0 << QByteArray::fromHex("0000");
}

void TestToneCodec::encodeLegacyTone()
{
    QFETCH(int, type);
    QFETCH(int, value);
    QFETCH(QByteArray, bytes);
    const std::array<std::uint8_t, 2> out =
        codec::encodeLegacyTone(Tone{quint8(type), quint16(value)});
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(out.data()), 2).toHex(' '),
             bytes.toHex(' '));
}

void TestToneCodec::decodeLegacyTone_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("value");

    QTest::newRow("13 28 is DCS 023 normal") << QByteArray::fromHex("1328") << 2 << 0x2813;
    QTest::newRow("13 A8 is DCS 023 inverted") << QByteArray::fromHex("13A8") << 3 << 0x2813;
    QTest::newRow("EC 29 is DCS 754 normal") << QByteArray::fromHex("EC29") << 2 << 0x29EC;
    QTest::newRow("EC A9 is DCS 754 inverted") << QByteArray::fromHex("ECA9") << 3 << 0x29EC;
    QTest::newRow("75 03 is CTCSS 88.5") << QByteArray::fromHex("7503") << 1 << 885;
    QTest::newRow("byte 1 zero is none") << QByteArray::fromHex("1200") << 0 << 0;
    QTest::newRow("byte 1 FF is none") << QByteArray::fromHex("12FF") << 0 << 0;
    QTest::newRow("FF FF is none") << QByteArray::fromHex("FFFF") << 0 << 0;
    QTest::newRow("only bit 3 of 0x28 is CTCSS") << QByteArray::fromHex("3408") << 1 << 0x0834;
    QTest::newRow("only bit 5 of 0x28 is CTCSS") << QByteArray::fromHex("3420") << 1 << 0x2034;
    QTest::newRow("CTCSS keeps bit 7") << QByteArray::fromHex("34A0") << 1 << 0xA034;
    QTest::newRow("DCS code 000") << QByteArray::fromHex("0028") << 2 << 0x2800;
}

void TestToneCodec::decodeLegacyTone()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, type);
    QFETCH(int, value);
    const Tone t = codec::decodeLegacyTone(quint8(bytes[0]), quint8(bytes[1]));
    QCOMPARE(int(t.type), type);
    QCOMPARE(hex16(t.value), hex16(value));
}
