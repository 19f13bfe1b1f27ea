// Loading and saving codeplug files: the 2943-byte block, nothing else.
#pragma once

#include "codeplug/codeplugdata.h"
#include "codeplug/safefile.h"

#include <QString>

namespace t880 {

namespace codeplugfile {

inline const QString Suffix = QStringLiteral("Kzx");

/// Loads the codeplug block; on any failure \a data is left unchanged.
FileResult load(const QString &path, CodeplugData &data);
/// Saves the block exactly as it is, reserved bytes included.
FileResult save(const QString &path, const CodeplugData &data);

} // namespace codeplugfile

} // namespace t880
