// The connection doctor's words on the command line: for `t880 doctor` and
// for a transfer verb asked to diagnose its own failure.
#pragma once

#include "cli/command.h"
#include "text/applang.h"

#include <optional>

namespace t880::link {
struct DoctorReport;
} // namespace t880::link

namespace t880::cli {

/// Prints \a report's findings, one a line, on \a stream.
void printReport(const link::DoctorReport &report, const text::TAppLang &lang, QTextStream &stream);

} // namespace t880::cli
