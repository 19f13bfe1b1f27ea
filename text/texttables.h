// The program's text tables: one main table shared by the window and the
// small dialogs, and the small tables that some dialogs keep of their own.
// Each table exists in English, Simplified and Traditional Chinese with the
// same numbering; the Chinese versions are stored in GBK (the Traditional one
// holds traditional characters), the English one in ASCII. The human-readable
// source is text/tables/*.tsv in UTF-8; the build turns it into these bytes.
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace t880::text {

enum class TextTable {
    Main,    ///< window, password, about and warning dialog texts
    Program, ///< the programming (transfer) dialog
    Port,    ///< the port selection dialog
    Warn,    ///< the message dialog's button
    Adjust,  ///< the calibration dialog's messages and file dialogs
};

enum class TableLanguage { English, Simplified, Traditional };

constexpr TextTable kAllTextTables[] = {TextTable::Main, TextTable::Program, TextTable::Port,
                                        TextTable::Warn, TextTable::Adjust};

/// Number of entries of \a table (the same in every language).
int tableSize(TextTable table);

/// Entry \a n of \a table in \a language as stored: ASCII or GBK bytes
/// without the terminating NUL. Reserved entries and numbers outside the
/// table give an empty array.
QByteArray storedText(TextTable table, TableLanguage language, int n);

/// The table's name as the command line spells it: main, program, port, warn, adjust.
QString tableName(TextTable table);

/// The table that \a name (as tableName() gives it) denotes, if any.
std::optional<TextTable> tableFromName(const QString &name);

} // namespace t880::text
