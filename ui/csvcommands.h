// File > Import CSV and Export CSV: channel lists exchanged with spreadsheets
// and other programming tools. An import that would replace channels in use
// asks first whether to replace them or keep them and fill the empty
// channels; it then shows its preview, one line per row with the row's line
// in the file, and changes nothing unless the preview is accepted.
#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace t880 {

class Document;

namespace csvcommands {

/// Asks for a CSV file and imports it into the window's codeplug after the
/// preview, as one step; \a changed runs once the channels are in (the
/// caller shows the model). Returns true when something was taken.
bool importCsv(Document &state, QWidget *parent, const std::function<void()> &changed);
/// The same for a given file, without the file dialog.
bool importCsvFile(Document &state, QWidget *parent, const QString &path,
                   const std::function<void()> &changed);

/// Asks for a file name and writes every channel in use as CSV.
bool exportCsv(Document &state, QWidget *parent, const QString &suggestedBase);
/// The same for a given path.
bool exportCsvFile(const Document &state, QWidget *parent, const QString &path);

} // namespace csvcommands
} // namespace t880
