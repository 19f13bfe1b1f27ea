// Shared by the codeplug suites: the New block built by hand from the layout,
// and small helpers to patch 2943-byte blocks (describeDiff, to compare them,
// is in testsupport.h).
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <initializer_list>

namespace blocktest {

constexpr int BlockSize = 2943;

/// Writes \a bytes into \a block from \a offset on.
inline void put(QByteArray &block, int offset, std::initializer_list<int> bytes)
{
    for (int b : bytes)
        block[offset++] = char(b);
}

/// The codeplug after New, worked out field by field from the layout table:
/// every byte 0 except the settings whose New value is not 0. Multi-byte
/// values are little-endian.
inline QByteArray expectedNewBlock()
{
    QByteArray b(BlockSize, '\0');
    put(b, 0xAB6, {0x01});       // voice: Chinese
    put(b, 0xABF, {0x05});       // sql 5
    put(b, 0xAC0, {0x03});       // squelchMode 3
    put(b, 0xAC8, {0x03});       // subaudioTail 3 (55 Hz)
    put(b, 0xACF, {0x06});       // voxGain 6
    put(b, 0xAD0, {0xD0, 0x07}); // voxDelay 2000 = 0x07D0
    put(b, 0xAD2, {0xB4, 0x00}); // tot 180 = 0x00B4
    put(b, 0xAD5, {0x05});       // toa 5
    put(b, 0xAD9, {0x01});       // scanResume: Carrier
    put(b, 0xADF, {0x01});       // keyPressBeep
    put(b, 0xAE1, {0x01});       // batterySave
    put(b, 0xAE2, {0x03});       // batterySaveRate 1:3
    put(b, 0xAE6, {0x01});       // channelReport
    put(b, 0xAEC, {0x03});       // tone1750Hold 3 s
    put(b, 0xAF0, {0x01, 0x00}); // dtmfId 1
    put(b, 0xAF2, {0x01});       // dtmfGroup 1
    put(b, 0xAF3, {0x01});       // dtmfEncodeMode: Begin
    put(b, 0xAF6, {0x64});       // dtmfDigitSpeed 100
    put(b, 0xAF7, {0x64});       // dtmfPauseDuration 100
    put(b, 0xAF8, {0x64, 0x00}); // dtmfFirstDelay 100
    put(b, 0xAFA, {0xF4, 0x01}); // dtmfPretime 500 = 0x01F4
    put(b, 0xAFC, {0x32, 0x00}); // dtmfStarHashDelay 50
    put(b, 0xB49, {0x01});       // alarmMode: Local Alarm
    put(b, 0xB4D, {0x05});       // masterTxPeriod 5
    put(b, 0xB4E, {0x0A});       // slaveTimeout 10
    put(b, 0xB4F, {0x02});       // slaveAlarmPeriod 2
    put(b, 0xB50, {0x01});       // powerOnBeep
    put(b, 0xB51, {0x18});       // key1Short 24: Radio
    put(b, 0xB53, {0x03});       // key2Short 3: Monitor Momentary
    return b;
}

/// Applies a patch written as "0x600: 75 03 01; 0xB5F: 02" to \a block.
inline void applyPatch(QByteArray &block, const QString &patch)
{
    const QStringList spans = patch.split(u';', Qt::SkipEmptyParts);
    for (const QString &span : spans) {
        const int colon = span.indexOf(u':');
        bool ok = false;
        int offset = span.left(colon).trimmed().toInt(&ok, 16);
        Q_ASSERT(ok);
        const QByteArray bytes = QByteArray::fromHex(span.mid(colon + 1).toLatin1());
        for (char c : bytes)
            block[offset++] = c;
    }
}

/// A block whose every byte differs from its neighbours: byte i = (7i + 3) mod 256.
inline QByteArray rampBlock(int size = BlockSize)
{
    QByteArray b(size, '\0');
    for (int i = 0; i < size; ++i)
        b[i] = char((7 * i + 3) & 0xFF);
    return b;
}

} // namespace blocktest
