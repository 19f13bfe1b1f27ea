// Everything one programming session works on: the codeplug, the values of
// the current run that stay outside it, the radio memory image and the
// calibration. The window, the command line and every test create their own,
// so several radios can be handled at once without shared state.
#pragma once

#include "codeplug/calibrationtables.h"
#include "codeplug/codeplugdata.h"
#include "codeplug/radioimage.h"
#include "factory/calibrationdata.h"

#include <cstdint>

namespace t880 {

constexpr std::uint32_t DefaultBandLow = 400000000;
constexpr std::uint32_t DefaultBandHigh = 480000000;

class ProgramState
{
public:
    /// A fresh state, as at program start: New defaults everywhere.
    ProgramState()
    {
        applyNewDefaults();
        calibration.applyCalibrationDefaults();
    }

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
    CalibrationData calibration;
    /// What a calibration write sends; bytes it does not fill keep their value.
    CalibrationBlock calibrationBuffer{};
    /// The calibration the image builder uses for the channel records.
    CalibrationTables calibrationTables;
};

} // namespace t880
