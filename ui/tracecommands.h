// Save serial trace...: what went over the line in a transfer, written to a
// text file the user picks, for a bug report. Shared by the window (its last
// transfer) and the gang dialog (one port's transfer).
#pragma once

#include <QString>

class QWidget;

namespace t880 {

namespace link {
class SerialTrace;
}
class Document;

namespace tracecommands {

/// The name the file dialog offers: t880-trace-YYYYMMDD-HHMMSS.txt, now.
QString defaultTraceName();

/// Asks where to save \a trace and saves it there; a failure is reported.
/// Returns true when the file was written.
bool saveTrace(Document &state, QWidget *parent, const link::SerialTrace &trace);

/// Writes \a trace to \a path atomically; a failure is reported.
bool saveTraceFile(const Document &state, QWidget *parent, const link::SerialTrace &trace,
                   const QString &path);

} // namespace tracecommands
} // namespace t880
