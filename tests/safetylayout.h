// A radio's memory and a codeplug write laid out by hand from the memory
// layout, and what the radio must hold after that write: shared by the
// end-to-end tests of writes.
#pragma once

#include "codeplug/codeplugdata.h"

#include <QByteArray>

#include <initializer_list>

namespace t880::testing {

inline QByteArray bytesOf(std::initializer_list<int> list)
{
    QByteArray out;
    for (int b : list)
        out.append(char(b));
    return out;
}

inline void put(QByteArray &mem, int address, const QByteArray &bytes)
{
    mem.replace(address, bytes.size(), bytes);
}

// An S radio: calibration points 420 MHz (80/20/5) and 460 MHz (100/40/9),
// squelch offsets 1..9; channel 1 at 438.5 MHz (6B 0E 40) high power and
// wide, channel 3 at 145 MHz (23 66 80) receive only; TOT 60 s; a password
// area of its own.
inline QByteArray radioMemory()
{
    QByteArray mem(0x10000, '\0');
    put(mem, 0x41F0, bytesOf({0x01, 0xA4, 80, 20, 5, 0x01, 0xCC, 100, 40, 9}));
    put(mem, 0x41F0 + 0x5F, bytesOf({1, 2, 3, 4, 5, 6, 7, 8, 9}));
    const QByteArray f438 = bytesOf({0x6B, 0x0E, 0x40});
    put(mem, 0x4000, f438 + f438 + QByteArray(8, '\0') + bytesOf({0x00, 0x30, 0, 0, 0}));
    put(mem, 0x4000 + 2 * 19, bytesOf({0x23, 0x66, 0x80}) + QByteArray(12, '\0') + bytesOf({0x08}));
    put(mem, 0x4156, bytesOf({0x00, 0x3C}));
    put(mem, 0x41E0, QByteArray(16, '\x5A'));
    return mem;
}

// The codeplug the writes send: channel 2 at 446.00625 MHz with D754N
// encode, channel 5 at 470 MHz low power.
inline CodeplugData codeplugForWrite()
{
    CodeplugData cp;
    cp.applyNewDefaults();
    cp.enterChannelFrequency(2, 446006250);
    ChannelRecord ch2 = cp.channel(2);
    ch2.setTxTone({2, 0x2800 + 0754});
    cp.setChannel(2, ch2);
    cp.enterChannelFrequency(5, 470000000);
    ChannelRecord ch5 = cp.channel(5);
    ch5.setHighPower(false);
    cp.setChannel(5, ch5);
    return cp;
}

// What an S radio with radioMemory()'s calibration must hold at 0x4000 after
// that write, but for the programming date at 0x150..0x155. Channel 2:
// calibration 80 + 26*20/40 = 93, tune 5 + 26*4/40 = 7, squelch slot 4 -> 5;
// channel 5 above the last point: 40, tune 9, slot 6 -> 7. Settings of a new
// codeplug, scan mask channels 2 and 5.
inline QByteArray intendedArea()
{
    QByteArray area(0x170, '\0');
    put(area, 19,
        bytesOf({0x6C, 0xE3, 0x64, 0x6C, 0xE3, 0x64, 0, 0, 0, 0, 0x00, 0x1B, 0xCF, 0x82, 0x08, 0x30,
                 93, 7, 5}));
    put(area, 4 * 19,
        bytesOf(
            {0x72, 0xBF, 0x00, 0x72, 0xBF, 0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0x00, 0x10, 40, 9, 7}));
    put(area, 0x156,
        bytesOf({0x00, 0xB4, 0x05, 0x01, 0x01, 0x02, 0x58, 0x05, 0x01, 0x00, 0x12, 0x00, 0x00, 0x07,
                 0xD0, 0x00, 0x0A, 0x18, 0x03}));
    return area;
}

inline QByteArray withoutDate(QByteArray area)
{
    return area.replace(0x150, 6, QByteArray(6, '\0'));
}

} // namespace t880::testing
