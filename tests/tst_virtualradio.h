// The virtual radio suite's shared part: bytes and memory written as text, the
// factory calibration as the radio holds it, and the test class whose functions
// the suite's files define.
#pragma once

#include "codeplug/memorymap.h"
#include "codeplug/passwordblock.h"
#include "sim/virtualradio.h"

#include "testsupport.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace virtualradiotest {

using namespace t880::testing;
using t880::link::VirtualRadio;

using Kind = VirtualRadio::Kind;

inline Kind kindFrom(const QString &name)
{
    if (name == QLatin1String("Y"))
        return Kind::Y;
    if (name == QLatin1String("legacy"))
        return Kind::Legacy;
    return Kind::S;
}

// Bytes written as hex pairs, 'ASCII' words and XX*n runs:
// "'PROGRAM' 52 41 F0 10 00*4".
inline QByteArray bytes(const QString &text)
{
    QByteArray out;
    const QStringList tokens = text.split(u' ', Qt::SkipEmptyParts);
    for (const QString &t : tokens) {
        if (t.startsWith(u'\'') && t.endsWith(u'\'') && t.size() >= 2) {
            out += t.mid(1, t.size() - 2).toLatin1();
        } else if (t.contains(u'*')) {
            const QStringList parts = t.split(u'*');
            out += QByteArray(parts[1].toInt(), char(parts[0].toInt(nullptr, 16)));
        } else {
            bool ok = false;
            const int b = t.toInt(&ok, 16);
            if (!ok || b < 0 || b > 0xFF)
                qFatal("bad byte token '%s'", qPrintable(t));
            out += char(b);
        }
    }
    return out;
}

inline QString hex(const QByteArray &b)
{
    return QString::fromLatin1(b.toHex(' ').toUpper());
}

// Memory contents written as "4010: AA BB CC DD; 41F0: 01 90".
inline QList<QPair<int, QByteArray>> regions(const QString &text)
{
    QList<QPair<int, QByteArray>> out;
    const QStringList parts = text.split(u';', Qt::SkipEmptyParts);
    for (const QString &part : parts) {
        const int colon = part.indexOf(u':');
        out.append({part.left(colon).trimmed().toInt(nullptr, 16), bytes(part.mid(colon + 1))});
    }
    return out;
}

// The factory calibration of a current radio, block by block (block offset
// in the comment), as the radio holds it at 0x41F0..0x426F.
inline const char kCal41F0[] =
    "01 90 3F 00 00 01 B8 3F 00 00 01 E0 3F 00 00 00";    // points 0..2, 3 MHz high
inline const char kCal4200[] = "00*10 0B 0E 12 15 19 1A"; // point 3 rest, point 4, open S[0..6]
inline const char kCal4210[] =
    "1B 1C 1E 00 09 0C 10 13 17 18 19 1A 1C 00 00 00"; // open S[7..9], close, VOX
inline const char kCal4220[] = "00*7 92 00*8";         // VOX, standby battery 146, battery table
// 0x40: battery table, transmit 141, -, deviations 50 65 53 as 16 bits,
// CTCSS, DCS, crystal, microphone fine 20 (16 bits), gain 9 (high byte)
inline const char kCal4230S[] = "00 00 8D 00 00 32 00 41 00 35 0E 0D 00 00 14 09";
// A 'Y' radio keeps each deviation in its first byte only.
inline const char kCal4230Y[] = "00 00 8D 00 32 00 41 00 35 00 0E 0D 00 00 14 09";
// 0x50: gain low byte, 58*128|57, -, 46*128|44, 25*128|24, 32*128|30,
// 0x0400, 0x0020, squelch offset 0
inline const char kCal4240[] = "00 1D 39 00 00 17 2C 0C 98 10 1E 04 00 00 20 00";

} // namespace virtualradiotest

class TestVirtualRadio : public QObject
{
    Q_OBJECT

private slots:
    void protocol_data();
    void protocol();
    void endByteReportsUnsavedWrites_data();
    void endByteReportsUnsavedWrites();
    void quietLineForgetsPartialFrame_data();
    void quietLineForgetsPartialFrame();
    void memoryDump_data();
    void memoryDump();
    void password_data();
    void password();
    void emulator_data();
    void emulator();
    void emulatorRejects_data();
    void emulatorRejects();
    void areasMatchTheMemoryMap();
};
