// Shared by the image suites: codeplug blocks and memory images written byte
// by byte from the layouts, so that expected values never come from the code
// under test.
#pragma once

#include "codeplug/calibrationtables.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>

namespace imagetest {

constexpr int BlockSize = 2943;
constexpr int ImageSize = 8192;

// Offsets of the codeplug block (little-endian fields).
namespace cp {
constexpr int deviceSerial = 0x04A;
constexpr int radioPassword = 0x053;
constexpr int newRadioPassword = 0x060;
constexpr int channels = 0x554;
constexpr int channelSize = 72;
constexpr int voice = 0xAB6;
constexpr int sql = 0xABF;
constexpr int squelchMode = 0xAC0;
constexpr int voxGain = 0xACF;
constexpr int voxDelay = 0xAD0;
constexpr int tot = 0xAD2;
constexpr int toa = 0xAD5;
constexpr int keyPressBeep = 0xADF;
constexpr int batterySave = 0xAE1;
constexpr int batterySaveRate = 0xAE2;
constexpr int dtmfId = 0xAF0;
constexpr int key1Short = 0xB51;
constexpr int key2Short = 0xB53;
constexpr int writeNewPassword = 0xB5E;
constexpr int channelUsedMask = 0xB5F;

constexpr int slot(int n)
{
    return channels + channelSize * n;
}
} // namespace cp

/// Hex text such as "6B 0E 40" as bytes (blanks are skipped).
inline QByteArray hex(const QString &text)
{
    return QByteArray::fromHex(text.toLatin1());
}

inline void put(QByteArray &b, int offset, const QByteArray &bytes)
{
    for (char c : bytes)
        b[offset++] = c;
}

inline void putHex(QByteArray &b, int offset, const QString &text)
{
    put(b, offset, hex(text));
}

inline void putLe16(QByteArray &b, int offset, std::uint32_t v)
{
    b[offset] = char(v & 0xFF);
    b[offset + 1] = char((v >> 8) & 0xFF);
}

inline void putLe32(QByteArray &b, int offset, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[offset + i] = char((v >> (8 * i)) & 0xFF);
}

inline std::uint8_t at(const QByteArray &b, int offset)
{
    return std::uint8_t(b[offset]);
}

/// One channel record, field by field as the layout lists it.
struct Channel
{
    Channel(std::uint32_t rx_, std::uint32_t tx_, std::uint8_t rxType_, std::uint16_t rxTone_,
            std::uint8_t txType_, std::uint16_t txTone_, std::uint8_t optionA_,
            std::uint8_t optionB_, std::uint8_t spare1_ = 0, std::uint8_t spare2_ = 0,
            const QByteArray &name_ = QByteArray())
        : rx(rx_), tx(tx_), rxType(rxType_), rxTone(rxTone_), txType(txType_), txTone(txTone_),
          optionA(optionA_), optionB(optionB_), spare1(spare1_), spare2(spare2_), name(name_)
    {}
    std::uint32_t rx = 0;
    std::uint32_t tx = 0;
    std::uint8_t rxType = 0;
    std::uint16_t rxTone = 0;
    std::uint8_t txType = 0;
    std::uint16_t txTone = 0;
    std::uint8_t optionA = 0;
    std::uint8_t optionB = 0;
    std::uint8_t spare1 = 0;
    std::uint8_t spare2 = 0;
    QByteArray name;
};

/// Writes the fields of \a c into slot \a n of the block; the reserved bytes
/// of the record are left as they are.
inline void putChannel(QByteArray &b, int n, const Channel &c)
{
    const int s = cp::slot(n);
    putLe32(b, s + 0, c.rx);
    putLe32(b, s + 14, c.tx);
    putLe16(b, s + 28, c.rxTone);
    b[s + 30] = char(c.rxType);
    putLe16(b, s + 41, c.txTone);
    b[s + 43] = char(c.txType);
    b[s + 57] = char(c.optionA);
    b[s + 58] = char(c.optionB);
    b[s + 59] = char(c.spare1);
    b[s + 60] = char(c.spare2);
    for (int i = 0; i < 6; ++i)
        b[s + 61 + i] = i < c.name.size() ? c.name[i] : '\0';
}

/// Sets (or clears) bit n of the channel mask: bit n mod 8 of byte n div 8.
inline void setUsed(QByteArray &b, int n, bool used = true)
{
    const int offset = cp::channelUsedMask + n / 8;
    const char bit = char(1 << (n % 8));
    b[offset] = used ? char(b[offset] | bit) : char(b[offset] & ~bit);
}

/// The codeplug after New, field by field from the layout table.
inline QByteArray newBlock()
{
    QByteArray b(BlockSize, '\0');
    b[0xAB6] = 1;            // voice
    b[0xABF] = 5;            // sql
    b[0xAC0] = 3;            // squelchMode
    b[0xAC8] = 3;            // subaudioTail
    b[0xACF] = 6;            // voxGain
    putLe16(b, 0xAD0, 2000); // voxDelay
    putLe16(b, 0xAD2, 180);  // tot
    b[0xAD5] = 5;            // toa
    b[0xAD9] = 1;            // scanResume
    b[0xADF] = 1;            // keyPressBeep
    b[0xAE1] = 1;            // batterySave
    b[0xAE2] = 3;            // batterySaveRate
    b[0xAE6] = 1;            // channelReport
    b[0xAEC] = 3;            // tone1750Hold
    putLe16(b, 0xAF0, 1);    // dtmfId
    b[0xAF2] = 1;            // dtmfGroup
    b[0xAF3] = 1;            // dtmfEncodeMode
    b[0xAF6] = 100;          // dtmfDigitSpeed
    b[0xAF7] = 100;          // dtmfPauseDuration
    putLe16(b, 0xAF8, 100);  // dtmfFirstDelay
    putLe16(b, 0xAFA, 500);  // dtmfPretime
    putLe16(b, 0xAFC, 50);   // dtmfStarHashDelay
    b[0xB49] = 1;            // alarmMode
    b[0xB4D] = 5;            // masterTxPeriod
    b[0xB4E] = 10;           // slaveTimeout
    b[0xB4F] = 2;            // slaveAlarmPeriod
    b[0xB50] = 1;            // powerOnBeep
    b[0xB51] = 24;           // key1Short
    b[0xB53] = 3;            // key2Short
    return b;
}

/// Applies a patch written as "0x600: 75 03 01; 0xB5F: 02" to \a b.
inline void applyPatch(QByteArray &b, const QString &patch)
{
    const QStringList spans = patch.split(u';', Qt::SkipEmptyParts);
    for (const QString &span : spans) {
        const int colon = span.indexOf(u':');
        const int offset = span.left(colon).trimmed().toInt(nullptr, 16);
        put(b, offset, hex(span.mid(colon + 1)));
    }
}

inline QByteArray patched(QByteArray b, const QString &patch)
{
    applyPatch(b, patch);
    return b;
}

/// The codeplug that the image suites encode: four channels in use (1, 2, 9
/// and 16), a filled record on channel 5 that is not in use, and settings
/// that differ from New.
///   1  438.5 MHz both ways, rx 88.5 Hz, tx D023N, squelch CTC/DCS, busy lock,
///      wide, high power, scan, spare bytes 5A C3
///   2  rx 455 MHz, tx 409.5 MHz (spur frequencies), rx D023I, tx removed,
///      wide, low power, not in the scan list
///   9  438.50625 MHz, 254.1 Hz both ways, high power, narrow, DTMF flag, scan
///   16 rx 490 MHz (above the calibration points), no tx, scan, spare 01 FE
inline QByteArray fixtureBlock()
{
    QByteArray b = newBlock();
    putChannel(b, 1, {438500000, 438500000, 1, 885, 2, 0x2813, 0x12, 0xB0, 0x5A, 0xC3, "CH1"});
    putChannel(b, 2, {455000000, 409500000, 3, 0x2813, 0, 0xFFFF, 0x00, 0x10, 0, 0, "CH2"});
    putChannel(b, 5, {430000000, 430000000, 1, 670, 1, 670, 0x02, 0xB0, 0, 0, "OFF5"});
    putChannel(b, 9, {438506250, 438506250, 1, 2541, 1, 2541, 0x04, 0xA8, 0, 0, "CH9"});
    putChannel(b, 16, {490000000, 0, 0, 0, 0, 0, 0x00, 0x80, 0x01, 0xFE, "CH16"});
    for (int n : {1, 2, 9, 16})
        setUsed(b, n);
    putLe16(b, cp::tot, 600);
    b[cp::toa] = 10;
    b[cp::keyPressBeep] = 0;
    b[cp::batterySave] = 1;
    b[cp::batterySaveRate] = 5;
    b[cp::sql] = 9;
    b[cp::voice] = 2;
    b[cp::voxGain] = 7;
    putLe16(b, cp::voxDelay, 3000);
    b[cp::key1Short] = 25;
    b[cp::key2Short] = 2;
    put(b, cp::deviceSerial, "12345678");
    put(b, cp::radioPassword, "old");
    put(b, cp::newRadioPassword, "abc123");
    b[cp::writeNewPassword] = 1;
    return b;
}

/// The image records of the fixture channels (1, 2, 9, 16) for an 'S' or a
/// 'Y' radio, bytes 16..18 left out (they depend on the calibration).
inline QString fixtureRecords(bool y)
{
    return y ? QStringLiteral("0x000: 35 87 20 35 87 20 03 75 16 A7 00 64 0E 37 09 38;"
                              "0x013: 37 8A C0 31 FC E0 00 1B F1 C8 00 00 00 00 93 10;"
                              "0x098: 35 87 52 35 87 52 09 ED 41 0C 09 ED 41 0C 05 20;"
                              "0x11D: 3B D0 80 00 00 00 00 00 00 00 00 00 00 00 00 00")
             : QStringLiteral("0x000: 6B 0E 40 6B 0E 40 03 75 22 92 00 64 0E 37 09 38;"
                              "0x013: 6F 15 80 63 F9 C0 00 1B F1 C8 00 00 00 00 63 10;"
                              "0x098: 6B 0E A4 6B 0E A4 09 ED 63 42 09 ED 63 42 05 20;"
                              "0x11D: 77 A1 00 00 00 00 00 00 00 00 00 00 00 00 00 00");
}

/// Three points in use and one unused point that still carries values:
/// 400/440/480 MHz with high 100/140/120, low 20/60/40, tune 50/90/70;
/// squelch offsets -10 5 -5 10 12 14 16 18 20.
inline t880::CalibrationTables threePointTables()
{
    t880::CalibrationTables t;
    t.points = {{{400, 100, 20, 50},
                 {440, 140, 60, 90},
                 {480, 120, 40, 70},
                 {0, 0x99, 0x98, 0x97},
                 {0, 0, 0, 0}}};
    t.squelchOffsets = {{-10, 5, -5, 10, 12, 14, 16, 18, 20}};
    return t;
}

/// Bytes 16..18 of the fixture records with threePointTables().
inline const char *fixtureCalibrationBytes()
{
    return "0x010: 8A 58 0A; 0x023: 1D 52 0E; 0x0A8: 8A 58 0A; 0x12D: 14 46 14";
}

/// The settings bytes 0x156..0x168 of the fixture (scan mask: 1, 9, 16).
inline const char *fixtureSettings()
{
    return "0x156: 02 58 0A 00 01 03 E8 09 02 81 01 00 00 0B B8 00 0A 19 02";
}

/// The whole legacy image of the fixture, worked out from the legacy layout.
inline QByteArray fixtureLegacyImage()
{
    QByteArray img(ImageSize, char(0xFF));
    applyPatch(img, QStringLiteral("0x010: 00 00 85 43 00 00 85 43 75 03 13 28 12 B0 5A C3;"
                                   "0x020: 00 00 50 45 00 00 95 40 13 A8 FF FF 00 10 00 00;"
                                   "0x090: 25 06 85 43 25 06 85 43 ED 09 ED 09 04 A8 00 00;"
                                   "0x100: 00 00 00 49 00 00 00 00 FF FF FF FF 00 80 01 FE;"
                                   "0x11D: 08 04; 0x12F: 02 28 0A; 0x134: 09 01 00; 0x17E: 01 81"));
    return img;
}

/// Sum modulo 256 of \a n bytes from \a offset.
inline std::uint8_t sum8(const QByteArray &b, int offset, int n)
{
    unsigned s = 0;
    for (int i = 0; i < n; ++i)
        s += std::uint8_t(b[offset + i]);
    return std::uint8_t(s);
}

} // namespace imagetest
