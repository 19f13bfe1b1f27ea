// Options shared by the verbs that build or read radio images.
#pragma once

#include "cli/command.h"
#include "codeplug/codeplugdata.h"

#include <optional>

namespace t880::cli {

enum class RadioKind { S, Y, Legacy };

/// Reads a --variant value: S, Y or (when \a allowLegacy) legacy.
std::optional<RadioKind> parseRadioKind(const QString &text, bool allowLegacy);
/// Reads --date YYYY-MM-DDTHH:MM.
std::optional<ProgramDate> parseProgramDate(const QString &text);

} // namespace t880::cli
