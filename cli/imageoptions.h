// Options shared by the verbs that build or read radio images.
#pragma once

#include "cli/command.h"
#include "codeplug/codeplugdata.h"
#include "codeplug/radiokind.h"

#include <optional>

namespace t880::cli {

/// Reads --variant: S, Y or (when \a allowLegacy) legacy. A missing option is
/// an error when \a required, else it means S. A problem is reported on
/// \a ctx and gives nothing.
std::optional<RadioKind> takeRadioKind(const QCommandLineParser &parser,
                                       const QCommandLineOption &option, bool allowLegacy,
                                       bool required, Context &ctx);
/// Reads --date YYYY-MM-DDTHH:MM.
std::optional<ProgramDate> parseProgramDate(const QString &text);

} // namespace t880::cli
