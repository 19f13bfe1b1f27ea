#include "codeplug/csvtable.h"

namespace t880::csv {

namespace {

bool isBlank(const QStringList &fields)
{
    for (const QString &f : fields) {
        if (!f.trimmed().isEmpty())
            return false;
    }
    return true;
}

QString quoted(const QString &field, QChar separator)
{
    const bool needsQuotes = field.contains(separator) || field.contains(u'"') ||
                             field.contains(u'\n') || field.contains(u'\r');
    if (!needsQuotes)
        return field;
    QString f = field;
    f.replace(QLatin1String("\""), QLatin1String("\"\""));
    return u'"' + f + u'"';
}

} // namespace

Table readTable(const QByteArray &data, QChar separator, qsizetype maxBytes)
{
    Table table;
    if (data.size() > maxBytes) {
        table.error = TableError::TooLarge;
        return table;
    }
    QString text = QString::fromUtf8(data);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);

    QList<Record> records;
    Record current;
    QString field;
    int line = 1;
    current.line = 1;
    bool inQuotes = false;
    bool fieldWasQuoted = false;
    int quoteLine = 0;
    const qsizetype n = text.size();
    auto endRecord = [&] {
        current.fields.append(field);
        field.clear();
        fieldWasQuoted = false;
        if (!isBlank(current.fields))
            records.append(current);
        current = Record{};
    };
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (inQuotes) {
            if (c == u'"') {
                if (i + 1 < n && text[i + 1] == u'"') {
                    field += u'"';
                    ++i;
                } else {
                    inQuotes = false;
                }
            } else {
                // A line break inside quotes is a line of the file as much
                // as one outside them: CRLF, LF or a lone CR.
                if (c == u'\n' || (c == u'\r' && (i + 1 >= n || text[i + 1] != u'\n')))
                    ++line;
                field += c;
            }
            continue;
        }
        if (c == u'"' && field.trimmed().isEmpty() && !fieldWasQuoted) {
            // A quote opens a quoted field only at its start; blanks before it
            // are what some writers put after the separator.
            field.clear();
            inQuotes = true;
            fieldWasQuoted = true;
            quoteLine = line;
        } else if (c == separator) {
            current.fields.append(field);
            field.clear();
            fieldWasQuoted = false;
        } else if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n')
                ++i;
            endRecord();
            ++line;
            current.line = line;
        } else {
            field += c;
        }
    }
    if (inQuotes) {
        table.error = TableError::UnterminatedQuote;
        table.errorLine = quoteLine;
        return table;
    }
    if (!field.isEmpty() || !current.fields.isEmpty())
        endRecord();

    if (records.isEmpty()) {
        table.error = TableError::NoHeader;
        return table;
    }
    for (const QString &name : records.first().fields)
        table.header.append(name.trimmed());
    records.removeFirst();
    table.records = records;
    return table;
}

QByteArray writeLine(const QStringList &fields, QChar separator)
{
    QStringList q;
    q.reserve(fields.size());
    for (const QString &f : fields)
        q.append(quoted(f, separator));
    return (q.join(separator) + QLatin1String("\r\n")).toUtf8();
}

QByteArray writeTable(const QStringList &header, const QList<QStringList> &rows, QChar separator)
{
    QByteArray out = writeLine(header, separator);
    for (const QStringList &row : rows)
        out += writeLine(row, separator);
    return out;
}

QString describeTableError(const Table &table)
{
    switch (table.error) {
    case TableError::None:
        return QString();
    case TableError::TooLarge:
        return QStringLiteral("the file is larger than %1 bytes; it is no channel list")
            .arg(MaxTableBytes);
    case TableError::NoHeader:
        return QStringLiteral("the file has no header line");
    case TableError::UnterminatedQuote:
        return QStringLiteral("the quoted field that opens on line %1 is never closed")
            .arg(table.errorLine);
    }
    return QString();
}

} // namespace t880::csv
