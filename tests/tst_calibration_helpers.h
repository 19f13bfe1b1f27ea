// Shared by the calibration suites: calibration records and calibration areas
// written byte by byte from the layouts (record fields low byte first, area
// fields high byte first).
#pragma once

#include "tst_radioimage_helpers.h"

#include <QByteArray>

#include <set>

namespace caltest {

using imagetest::putHex;

constexpr int RecordSize = 120;
constexpr int BlockSize = 128;

/// The factory defaults, field by field from the record table.
inline QByteArray defaultRecord()
{
    QByteArray r(RecordSize, '\0');
    putHex(r, 0x00, "90 01 3F");          // point 0: 400 MHz, high 63
    putHex(r, 0x07, "B8 01 3F");          // point 1: 440 MHz, high 63
    putHex(r, 0x0E, "E0 01 3F");          // point 2: 480 MHz, high 63
    putHex(r, 0x23, "32 00 41 00 35 00"); // deviations wide 50, 65, 53
    putHex(r, 0x29, "7F 7F 0E 0D");       // DTMF, 1750 amplitude, CTCSS 14, DCS 13
    putHex(r, 0x2D, "32 00 41 00 35 00"); // narrow 50, 65, 53
    putHex(r, 0x33, "7F 7F 0E 0D");
    putHex(r, 0x37, "7E 70 6B");             // squelch 126, 112, 107
    putHex(r, 0x3C, "92");                   // standby battery 146
    putHex(r, 0x3F, "8D");                   // transmit battery 141
    putHex(r, 0x44, "14 09 3A 6E 2E 19 20"); // mic fine 20, mic 9, thresholds 58 110 46 25 32
    putHex(r, 0x4B, "01 01");                // both detections on
    return r;
}

/// A record with a distinct value in (nearly) every field: three points in
/// use and one unused point that still carries values, squelch 100/110/120,
/// VOX 10/50, deviation 300, signed squelch offsets, status and reserved bytes.
inline QByteArray customRecord()
{
    QByteArray r(RecordSize, '\0');
    putHex(r, 0x00, "90 01 64 11 14 32 21"); // 400 MHz high 100 mid 0x11 low 20 tune 50 rssi 0x21
    putHex(r, 0x07, "B8 01 8C 12 3C 5A 22"); // 440 MHz high 140 low 60 tune 90
    putHex(r, 0x0E, "E0 01 78 13 28 46 23"); // 480 MHz high 120 low 40 tune 70
    putHex(r, 0x15, "00 00 99 14 98 97 24"); // not in use (0 MHz) but not empty
    putHex(r, 0x1C, "00 00 00 00 00 00 00");
    putHex(r, 0x23, "2C 01 50 01 C8 00");             // deviations 300, 336, 200
    putHex(r, 0x29, "61 62 0F 0C");                   // amplitudes, CTCSS 15, DCS 12
    putHex(r, 0x2D, "33 00 44 00 55 00 66 67 68 69"); // narrow values
    putHex(r, 0x37, "64 6E 78");                      // squelch 100, 110, 120
    putHex(r, 0x3A, "0A 32");                         // VOX 10, 50
    putHex(r, 0x3C, "96 71 72 8C 73 74 75");          // standby 150, .., transmit 140, .., highest
    putHex(r, 0x43, "05 1E 0C");                      // crystal 5, mic fine 30, mic 12
    putHex(r, 0x46, "3A 76 2E 19 20");                // thresholds 58, (110+8), 46, 25, 32
    putHex(r, 0x4B, "01 00");                         // modulation detection on, weak-signal off
    putHex(r, 0x4D, "C8 41 01 42 01 01 01 01 01 43 44 34 12"); // status
    putHex(r, 0x5A, "B0 B1 B2 B3 B4 B5 B6 B7 B8 B9");          // battery table
    putHex(r, 0x64, "F6 05 FB 0A 0C 0E 10 12 14 1E E2 01 FF"); // squelch offsets
    putHex(r, 0x71, "D1 D2 D3 D4 D5 D6 D7");                   // reserved
    return r;
}

/// The calibration area of customRecord() for an 'S' radio; bytes the area
/// does not use hold \a fill.
inline QByteArray customBlockS(char fill)
{
    QByteArray b(BlockSize, fill);
    putHex(b, 0x00,
           "01 90 64 14 32  01 B8 8C 3C 5A  01 E0 78 28 46  00 00 99 98 97  00 00 00 00 00");
    putHex(b, 0x19, "00 25 23 20 1E 1B 19 16 14 11"); // open 0 37 35 32 30 27 25 22 20 17
    putHex(b, 0x23, "00 23 21 1E 1C 19 17 14 12 0F"); // close: open - 2
    putHex(b, 0x2D, "00 0A 0F 14 19 1E 23 28 2D 32"); // VOX 10..50 in steps of 5
    putHex(b, 0x37, "96 B0 B1 B2 B3 B4 B5 B6 B7 B8 B9 8C");
    putHex(b, 0x44, "01 2C 01 50 00 C8 0F 0C 05");
    putHex(b, 0x4D, "00 1E 0C 00 1D 39");             // mic fine 30, mic 12 << 8, noise 58
    putHex(b, 0x55, "17 2C 0C 98 10 1E 04 00 00 00"); // 46, 25, 32, switches
    putHex(b, 0x5F, "F6 05 FB 0A 0C 0E 10 12 14");
    return b;
}

/// The same for a 'Y' radio: each deviation in its first byte only.
inline QByteArray customBlockY(char fill)
{
    QByteArray b = customBlockS(fill);
    b[0x44] = char(0x2C);
    b[0x45] = fill;
    b[0x46] = char(0x50);
    b[0x47] = fill;
    b[0x48] = char(0xC8);
    b[0x49] = fill;
    return b;
}

/// The calibration area of the defaults for an 'S' radio.
inline QByteArray defaultBlockS(char fill)
{
    QByteArray b(BlockSize, fill);
    putHex(b, 0x00,
           "01 90 3F 00 00  01 B8 3F 00 00  01 E0 3F 00 00  00 00 00 00 00  00 00 00 00 00");
    putHex(b, 0x19, "00 0B 0E 12 15 19 1A 1B 1C 1E"); // 0 11 14 18 21 25 26 27 28 30
    putHex(b, 0x23, "00 09 0C 10 13 17 18 19 1A 1C"); // 0 9 12 16 19 23 24 25 26 28
    putHex(b, 0x2D, "00 00 00 00 00 00 00 00 00 00");
    putHex(b, 0x37, "92 00 00 00 00 00 00 00 00 00 00 8D");
    putHex(b, 0x44, "00 32 00 41 00 35 0E 0D 00");
    putHex(b, 0x4D, "00 14 09 00 1D 39");
    putHex(b, 0x55, "17 2C 0C 98 10 1E 04 00 00 20");
    putHex(b, 0x5F, "00 00 00 00 00 00 00 00 00");
    return b;
}

/// The record offsets that have a place in the calibration area.
inline std::set<int> carriedOffsets()
{
    std::set<int> s;
    for (int i = 0; i < 5; ++i) {
        for (int k : {0, 1, 2, 4, 5}) // MHz (2 bytes), high, low, tune
            s.insert(7 * i + k);
    }
    for (int o = 0x23; o <= 0x28; ++o) // three deviations
        s.insert(o);
    for (int o : {0x2B, 0x2C, 0x37, 0x38, 0x39, 0x3A, 0x3B, 0x3C, 0x3F, 0x43, 0x44, 0x45, 0x46,
                  0x48, 0x49, 0x4A, 0x4B, 0x4C})
        s.insert(o);
    for (int o = 0x5A; o <= 0x6C; ++o) // battery table, squelch offsets 0..8
        s.insert(o);
    return s;
}

/// \a carried where the area has a place for the byte, else \a kept.
inline QByteArray mergeCarried(const QByteArray &carried, const QByteArray &kept)
{
    QByteArray out = kept;
    for (int o : carriedOffsets())
        out[o] = carried[o];
    return out;
}

} // namespace caltest
