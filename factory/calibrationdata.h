// The transceiver calibration record (120 bytes, the calibration file
// verbatim) and its conversions to and from the radio's 128-byte calibration
// area.
//
// Record layout (16-bit fields low byte first):
//   00+7i  point i: MHz[2] high mid low tune rssi   (i = 0..4)
//   23..36 deviations and amplitudes, wide then narrow
//   37..4C squelch, VOX, battery, mic gain and detector thresholds
//   4D..59 transceiver status    5A..63 battery table
//   64..70 squelch offsets (signed) for 400, 410, ... 520 MHz   71..77 reserved
//
// Calibration area layout (16-bit fields high byte first):
//   00+5i  point i: MHz[2] high low tune   19 squelch open[10]  23 close[10]
//   2D VOX[10]  37 standby battery  38 battery table[10]  42 transmit battery
//   44 46 48 deviations  4A CTCSS  4B DCS  4C crystal  4D mic fine  4F mic gain
//   51 55 57 59 threshold words  5B 5D detector switches  5F squelch offsets[9]
#pragma once

#include "codeplug/calibrationtables.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>
#include <vector>

namespace t880 {

/// One field of the record, named after the control that edits or shows it.
struct CalibrationField
{
    QString name;
    std::uint8_t offset;
    std::uint8_t width; ///< 1 or 2 bytes
    bool isSigned;      ///< the squelch offsets
    bool hidden;        ///< never shown by the dialog, but kept and saved
    std::uint16_t defaultValue;
};

/// Every field in record order.
const std::vector<CalibrationField> &calibrationFields();
/// The field with the given control name, or nullptr.
const CalibrationField *findCalibrationField(const QString &name);

class CalibrationData
{
public:
    static constexpr int Size = 120;
    static constexpr int Points = 5;
    static constexpr int SquelchOffsets = 13;

    std::array<std::uint8_t, Size> raw{};

    /// Zeroes the record, then sets every field to its factory default.
    void applyCalibrationDefaults();

    /// The field's value; signed fields come back negative where they are.
    int value(const CalibrationField &f) const;
    void setValue(const CalibrationField &f, int value);

    std::uint16_t pointMHz(int i) const { return u16(0x00 + 7 * i); }
    std::uint8_t pointHigh(int i) const { return raw[0x02 + 7 * i]; }
    std::uint8_t pointLow(int i) const { return raw[0x04 + 7 * i]; }
    std::uint8_t pointTune(int i) const { return raw[0x05 + 7 * i]; }

    std::uint16_t u16(int offset) const
    {
        return std::uint16_t(raw[offset] | (raw[offset + 1] << 8));
    }
    void setU16(int offset, std::uint16_t v)
    {
        raw[offset] = std::uint8_t(v);
        raw[offset + 1] = std::uint8_t(v >> 8);
    }

    bool operator==(const CalibrationData &o) const { return raw == o.raw; }
    bool operator!=(const CalibrationData &o) const { return raw != o.raw; }
};

/// The radio's calibration area as sent by a calibration write.
using CalibrationBlock = std::array<std::uint8_t, 128>;

/// Builds the calibration area from the record into \a block (bytes the area
/// does not use keep what they held) and fills \a tables from the record.
/// A 'Y' radio (\a variant) keeps the three deviations in single bytes.
void GetAdjustmentData(const CalibrationData &record, bool variant, CalibrationBlock &block,
                       CalibrationTables &tables);
/// Takes back every field that has a place in the calibration area; the
/// others keep their values.
void SetAdjustmentData(const std::uint8_t *block, bool variant, CalibrationData &record);
/// Fills the tables from the calibration area as read into the image at
/// offsets 0x1F0..0x26F before a codeplug write.
void AnalyseTmpAdjustmentData(const std::uint8_t *image, CalibrationTables &tables);
/// Takes the transceiver status from the six reply bytes; the fields the
/// reply does not carry keep their values.
void Set1846StatucData(const std::uint8_t *reply, CalibrationData &record);

/// Derived tables of the calibration area, exposed for the dialog and tests.
std::array<std::uint8_t, 10> squelchOpenTable(const CalibrationData &record);
std::array<std::uint8_t, 10> voxTable(const CalibrationData &record);
/// A threshold t and t - k packed as bits 7..13 and 0..6.
std::uint16_t thresholdWord(std::uint8_t threshold, int k);

} // namespace t880
