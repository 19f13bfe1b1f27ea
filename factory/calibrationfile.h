// Loading and saving calibration files: the 120-byte record, nothing else.
#pragma once

#include "codeplug/safefile.h"
#include "factory/calibrationdata.h"

namespace t880::calibrationfile {

inline const QString Suffix = QStringLiteral("kzxa");

/// Loads the record; a file shorter than the record, or unreadable, is
/// refused and \a data is left unchanged.
FileResult load(const QString &path, CalibrationData &data);
/// Saves the record through a temporary file renamed over \a path.
FileResult save(const QString &path, const CalibrationData &data);

} // namespace t880::calibrationfile
