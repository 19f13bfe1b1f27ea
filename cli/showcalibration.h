// The readable and JSON forms of a calibration record.
#pragma once

#include "factory/calibrationdata.h"

#include <QJsonObject>

namespace t880::cli {

QString calibrationText(const CalibrationData &data);
/// One key per field, named after its control; signed fields as signed numbers.
QJsonObject calibrationJson(const CalibrationData &data);

} // namespace t880::cli
