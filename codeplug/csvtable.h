// Reading and writing delimited tables as spreadsheets exchange them: comma-
// or tab-separated fields, fields in double quotes when they hold the
// separator, a quote or a line break (a quote inside doubled), CRLF or LF
// line ends, UTF-8 with or without a byte-order mark.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace t880::csv {

/// Far more than 16 channels in any spreadsheet's layout; a larger input is
/// not a channel list and is refused before it is looked at.
constexpr qsizetype MaxTableBytes = 1024 * 1024;

/// One line of the table (a quoted field may span several lines of text).
struct Record
{
    int line = 0; ///< the text line the record starts on, from 1
    QStringList fields;
};

enum class TableError {
    None,
    TooLarge,         ///< above MaxTableBytes
    NoHeader,         ///< no line at all, or only blank ones
    UnterminatedQuote ///< a quoted field runs to the end of the text
};

struct Table
{
    TableError error = TableError::None;
    int errorLine = 0; ///< where the unterminated quote opened
    QStringList header;
    /// The records after the header; records whose fields are all blank
    /// (trailing empty lines of a spreadsheet) are left out.
    QList<Record> records;
    bool ok() const { return error == TableError::None; }
};

/// Reads UTF-8 \a data separated by \a separator. The first record that is
/// not blank is the header; its names are trimmed. Data above \a maxBytes is
/// refused (TooLarge).
Table readTable(const QByteArray &data, QChar separator, qsizetype maxBytes = MaxTableBytes);

/// The table as UTF-8 text with CRLF line ends (what spreadsheets write), no
/// byte-order mark; fields are quoted only where they must be.
QByteArray writeTable(const QStringList &header, const QList<QStringList> &rows, QChar separator);

/// One line of such a table, CRLF included.
QByteArray writeLine(const QStringList &fields, QChar separator);

/// An English description of a table error, for the command line.
QString describeTableError(const Table &table);

} // namespace t880::csv
