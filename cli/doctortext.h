// The connection doctor's words on the command line: for `t880 doctor` and
// for a transfer verb asked to diagnose its own failure.
#pragma once

#include "cli/command.h"
#include "text/applang.h"

#include <optional>

namespace t880::link {
class SerialTransfer;
struct DoctorReport;
} // namespace t880::link

namespace t880::cli {

/// The language a --lang value names: en, chs or cht.
std::optional<quint8> languageNamed(const QString &name);

/// Prints \a report's findings, one a line, on \a stream.
void printReport(const link::DoctorReport &report, const text::TAppLang &lang, QTextStream &stream);

/// Prints what the doctor finds about \a t, a transfer that did not succeed,
/// on stderr in \a lang.
void printDiagnosis(const link::SerialTransfer &t, Context &ctx, const text::TAppLang &lang);
/// The same in the system's language, as the window would choose it.
void printDiagnosis(const link::SerialTransfer &t, Context &ctx);

} // namespace t880::cli
