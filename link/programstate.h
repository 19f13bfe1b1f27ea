// Everything one programming session works on: the codeplug state and the
// calibration. The window, the command line and every test create their own,
// so several radios can be handled at once without shared state.
#pragma once

#include "codeplug/codeplugstate.h"
#include "factory/calibrationdata.h"

namespace t880 {

class ProgramState : public CodeplugState
{
public:
    /// A fresh state, as at program start: New defaults everywhere.
    ProgramState() { calibration.applyCalibrationDefaults(); }

    CalibrationData calibration;
    /// What a calibration write sends; bytes it does not fill keep their value.
    CalibrationBlock calibrationBuffer{};
};

} // namespace t880
