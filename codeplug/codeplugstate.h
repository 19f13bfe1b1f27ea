// What the image conversions work on: the codeplug, the values of the
// current run that stay outside it, the radio memory image and the
// calibration tables the channel records are built from.
#pragma once

#include "codeplug/calibrationtables.h"
#include "codeplug/codeplugdata.h"
#include "codeplug/radioimage.h"

#include <cstdint>

namespace t880 {

constexpr std::uint32_t DefaultBandLow = 400000000;
constexpr std::uint32_t DefaultBandHigh = 480000000;

class CodeplugState
{
public:
    CodeplugState() { applyNewDefaults(); }

    /// File/New: clears the codeplug and the last programming date.
    void applyNewDefaults()
    {
        lastProgramDate = ProgramDate{};
        codeplug.applyNewDefaults();
    }

    CodeplugData codeplug;
    /// Set by the connect reply: false for an 'S' radio, true for a 'Y' radio.
    bool radioVariant = false;
    ProgramDate lastProgramDate;
    std::uint32_t activeBandLow = DefaultBandLow;
    std::uint32_t activeBandHigh = DefaultBandHigh;

    RadioImage image;
    /// The calibration the image builder uses for the channel records.
    CalibrationTables calibrationTables;
};

} // namespace t880
