#include "codeplug/tonecodec.h"

#include <algorithm>

namespace t880::codec {

namespace {

constexpr std::array<std::uint16_t, 50> kCtcss = {
    670,  693,  719,  744,  770,  797,  825,  854,  885,  915,  948,  974,  1000,
    1035, 1072, 1109, 1148, 1188, 1230, 1273, 1318, 1365, 1413, 1462, 1514, 1567,
    1598, 1622, 1655, 1679, 1713, 1738, 1773, 1799, 1835, 1862, 1899, 1928, 1966,
    1995, 2035, 2065, 2107, 2181, 2257, 2291, 2336, 2418, 2503, 2541};

// Octal codes written as octal literals, so the table reads like the list
// printed on the radio's tone chart.
constexpr std::array<std::uint16_t, 105> kDcs = {
    0023, 0025, 0026, 0031, 0032, 0036, 0043, 0047, 0051, 0053, 0054, 0065, 0071, 0072, 0073,
    0074, 0114, 0115, 0116, 0122, 0125, 0131, 0132, 0134, 0143, 0145, 0152, 0155, 0156, 0162,
    0165, 0172, 0174, 0205, 0212, 0223, 0225, 0226, 0243, 0244, 0245, 0246, 0251, 0252, 0255,
    0261, 0263, 0265, 0266, 0271, 0274, 0306, 0311, 0315, 0325, 0331, 0332, 0343, 0346, 0351,
    0356, 0364, 0365, 0371, 0411, 0412, 0413, 0423, 0431, 0432, 0445, 0446, 0452, 0454, 0455,
    0462, 0464, 0465, 0466, 0503, 0506, 0516, 0523, 0526, 0532, 0546, 0565, 0606, 0612, 0624,
    0627, 0631, 0632, 0645, 0654, 0662, 0664, 0703, 0712, 0723, 0731, 0732, 0734, 0743, 0754};

constexpr std::uint32_t kBandStepLimit = 10000000;

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool isOctal(QChar c)
{
    return c >= u'0' && c <= u'7';
}

std::optional<Tone> parseDcs(const QString &t, std::uint8_t type)
{
    if (t[0] != u'D' || !isOctal(t[1]) || !isOctal(t[2]) || !isOctal(t[3]))
        return std::nullopt;
    const int code =
        (t[1].unicode() - '0') * 64 + (t[2].unicode() - '0') * 8 + (t[3].unicode() - '0');
    return Tone{type, std::uint16_t(DcsBase + code)};
}

// The shape rules of an entered CTCSS tone, by length.
bool ctcssShapeOk(const QString &t)
{
    const auto digitOrPoint = [](QChar c) {
        return isDigit(c) || c == u'.';
    };
    const auto onePointIn = [&](int a, int b) {
        return digitOrPoint(t[a]) && digitOrPoint(t[b]) && ((t[a] == u'.') != (t[b] == u'.'));
    };
    const bool firstOk = t[0] != u'3' && t[0] != u'4';
    switch (t.size()) {
    case 2:
        return firstOk && isDigit(t[1]);
    case 3:
        return firstOk && isDigit(t[1]) && digitOrPoint(t[2]);
    case 4:
        return firstOk && isDigit(t[1]) && onePointIn(2, 3);
    case 5:
        return firstOk && t[0] != u'5' && isDigit(t[1]) && onePointIn(2, 3) && isDigit(t[4]);
    default:
        return false;
    }
}

} // namespace

const std::array<std::uint16_t, 50> &ctcssTones()
{
    return kCtcss;
}

const std::array<std::uint16_t, 105> &dcsCodes()
{
    return kDcs;
}

QStringList toneChoiceList()
{
    QStringList list{QStringLiteral("Off")};
    for (std::uint16_t v : kCtcss)
        list << formatTone(v, 1);
    for (std::uint8_t type : {std::uint8_t(2), std::uint8_t(3)}) {
        for (std::uint16_t code : kDcs)
            list << formatTone(std::uint16_t(DcsBase + code), type);
    }
    return list;
}

QString formatFrequency(std::uint32_t hz)
{
    if (hz == 0)
        return QStringLiteral("0");
    return QStringLiteral("%1.%2")
        .arg((hz / 1000000) % 1000, 3, 10, QLatin1Char('0'))
        .arg((hz / 10) % 100000, 5, 10, QLatin1Char('0'));
}

std::optional<std::uint32_t> parseFrequency(const QString &text, FrequencyParse *how)
{
    FrequencyParse unasked;
    FrequencyParse &said = how ? *how : unasked;
    said = FrequencyParse::NotANumber;
    const int point = text.indexOf(u'.');
    if (point >= 0 && text.indexOf(u'.', point + 1) >= 0)
        return std::nullopt;
    if (point == 0 && text.size() == 1)
        return std::nullopt; // a lone point is no number
    std::uint64_t hz = 0;
    std::uint64_t fractionScale = 0; // place value of the next fraction digit
    bool overflow = false;
    for (int i = 0; i < text.size(); ++i) {
        if (i == point) {
            fractionScale = 100000;
            continue;
        }
        if (!isDigit(text[i]))
            return std::nullopt;
        if (overflow)
            continue; // what follows need only be digits
        const int digit = text[i].unicode() - '0';
        if (point < 0 || i < point) {
            hz = hz * 10 + std::uint64_t(digit) * 1000000;
        } else {
            hz += std::uint64_t(digit) * fractionScale; // digits below 1 Hz add 0
            fractionScale /= 10;
        }
        overflow = hz > 0xFFFFFFFFull;
    }
    said = overflow ? FrequencyParse::Overflow : FrequencyParse::Ok;
    if (overflow)
        return std::nullopt;
    return std::uint32_t(hz);
}

std::uint32_t snapFrequency(std::uint32_t hz, std::uint32_t bandLow, std::uint32_t bandHigh)
{
    if (hz < bandLow)
        hz = bandLow;
    else if (hz > bandHigh)
        hz = bandHigh;
    if (hz % 5000 == 0)
        return hz;
    return hz / 6250 * 6250;
}

std::uint32_t snapStep(std::uint32_t hz)
{
    if (hz >= kBandStepLimit)
        return 0;
    return hz % 5000 == 0 ? hz : hz / 6250 * 6250;
}

QString formatTone(std::uint16_t value, std::uint8_t type)
{
    if (value == 0 || value == ToneOff || type == 0)
        return QStringLiteral("Off");
    switch (type) {
    case 1:
        return QStringLiteral("%1.%2").arg(value / 10).arg(value % 10);
    case 2:
    case 3:
        return QStringLiteral("D%1%2")
            .arg(value & 0x1FF, 3, 8, QLatin1Char('0'))
            .arg(QChar(type == 2 ? u'N' : u'I'));
    default:
        return QString();
    }
}

std::optional<Tone> parseTone(const QString &t)
{
    if (t == QLatin1String("Off") || t.isEmpty())
        return Tone{0, ToneOff};
    if (t.size() >= 5 && t[4] == u'N')
        return parseDcs(t, 2);
    if (t.size() >= 5 && t[4] == u'I')
        return parseDcs(t, 3);
    if (!ctcssShapeOk(t))
        return std::nullopt;

    // Integer digits after any leading blanks, then at most one fraction digit.
    int i = 0;
    while (i < t.size() && t[i] == u' ')
        ++i;
    int whole = 0;
    for (; i < t.size() && isDigit(t[i]); ++i)
        whole = whole * 10 + (t[i].unicode() - '0');
    int tenths = 0;
    if (i < t.size()) {
        if (t[i] != u'.')
            return std::nullopt; // a stray character the shape rules let through
        if (i + 1 < t.size())
            tenths = t[i + 1].unicode() - '0';
    }
    const int v = whole * 10 + tenths;
    if (v < 300 || v > 2600)
        return std::nullopt;
    return Tone{1, std::uint16_t(v)};
}

bool isStandardTone(std::uint16_t value, std::uint8_t type)
{
    if (type == 0)
        return true;
    if (type == 1)
        return std::find(kCtcss.begin(), kCtcss.end(), value) != kCtcss.end();
    return value >= DcsBase &&
           std::find(kDcs.begin(), kDcs.end(), std::uint16_t(value - DcsBase)) != kDcs.end();
}

std::uint32_t toFrequencyWord(std::uint32_t hz, bool variant)
{
    return variant ? hz / 125 : std::uint32_t(2ull * hz / 125);
}

std::uint32_t fromFrequencyWord(std::uint32_t word, bool variant)
{
    const std::uint64_t hz = std::uint64_t(word) * 125;
    return std::uint32_t(variant ? hz : hz >> 1);
}

std::uint16_t ctcssChipWord(std::uint16_t value, bool variant)
{
    if (!variant)
        return std::uint16_t(value * 10u);
    return std::uint16_t(std::uint32_t(value) * 65536u / 10000u);
}

DcsWords encodeDcsWords(std::uint16_t value, std::uint8_t type)
{
    const std::uint32_t data = (value & 0x0FFFu) | 0x800u;
    // Polynomial division over GF(2): remainder of data * x^11 by g(x).
    constexpr std::uint32_t g = 0xC75;
    std::uint32_t rem = data << 11;
    for (int bit = 22; bit >= 11; --bit) {
        if (rem & (1u << bit))
            rem ^= g << (bit - 11);
    }
    const std::uint32_t parity = rem & 0x7FF;
    const std::uint32_t w = data | (parity << 12);
    std::uint32_t r = 0;
    for (int i = 0; i < 23; ++i) {
        if (w & (1u << i))
            r |= 1u << (22 - i);
    }
    DcsWords out{std::uint8_t(r >> 16), std::uint16_t(r & 0xFFFF)};
    if (type == 3) {
        out.word7 = std::uint8_t(~out.word7 & 0x7F);
        out.word16 = std::uint16_t(~out.word16 & 0xFFFF);
    }
    return out;
}

std::uint16_t decodeDcsWords(std::uint8_t type, std::uint8_t low7, std::uint8_t high16)
{
    std::uint8_t a = low7;
    std::uint8_t b = high16;
    if (type == 3) {
        a = std::uint8_t(~a);
        b = std::uint8_t(~b);
    }
    a &= 0x7F;
    b = std::uint8_t((b & 0xC0) >> 6);
    std::uint16_t code = 0;
    for (int i = 0; i < 7; ++i) {
        if (a & (1u << (6 - i)))
            code |= std::uint16_t(1u << i);
    }
    if (b & 0x02)
        code |= 1u << 7;
    if (b & 0x01)
        code |= 1u << 8;
    return std::uint16_t(DcsBase | code);
}

std::array<std::uint8_t, 4> toBcdFrequency(std::uint32_t hz)
{
    std::uint32_t v = hz / 10;
    std::array<std::uint8_t, 4> out{};
    for (auto &byte : out) {
        const std::uint32_t pair = v % 100;
        byte = std::uint8_t(((pair / 10) << 4) | (pair % 10));
        v /= 100;
    }
    return out;
}

std::uint32_t fromBcdFrequency(const std::uint8_t *bcd)
{
    std::uint64_t v = 0;
    for (int k = 3; k >= 0; --k)
        v = v * 100 + (bcd[k] >> 4) * 10 + (bcd[k] & 0x0F);
    return std::uint32_t(v * 10);
}

std::array<std::uint8_t, 2> encodeLegacyTone(Tone tone)
{
    std::array<std::uint8_t, 2> out{std::uint8_t(tone.value & 0xFF), std::uint8_t(tone.value >> 8)};
    if (tone.type == 2 || tone.type == 3) {
        out[1] |= 0x28;
        if (tone.type == 3)
            out[1] |= 0x80;
        else
            out[1] &= 0x7F;
    }
    return out;
}

Tone decodeLegacyTone(std::uint8_t b0, std::uint8_t b1)
{
    if (b1 == 0x00 || b1 == 0xFF)
        return Tone{0, 0};
    std::uint8_t type = 1;
    if ((b1 & 0x28) == 0x28) {
        type = (b1 & 0x80) ? 3 : 2;
        b1 &= 0x7F;
    }
    return Tone{type, std::uint16_t(b0 + 256 * b1)};
}

} // namespace t880::codec
