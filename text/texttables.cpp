#include "text/texttables.h"

#include "text/textdata.h"

#include <iterator>

namespace t880::text {

namespace {

const char *const kTableNames[] = {"main", "program", "port", "warn", "adjust"};

static_assert(std::size(kTableNames) == std::size(kAllTextTables));
static_assert(std::size(detail::kTableData) == std::size(kAllTextTables));

const detail::TableData &data(TextTable table)
{
    return detail::kTableData[int(table)];
}

} // namespace

int tableSize(TextTable table)
{
    return data(table).size;
}

QByteArray storedText(TextTable table, TableLanguage language, int n)
{
    const detail::TableData &d = data(table);
    if (n < 0 || n >= d.size)
        return {};
    switch (language) {
    case TableLanguage::Simplified:
        return QByteArray(d.simplified[n]);
    case TableLanguage::Traditional:
        return QByteArray(d.traditional[n]);
    case TableLanguage::English:
        break;
    }
    return QByteArray(d.english[n]);
}

QString tableName(TextTable table)
{
    return QString::fromLatin1(kTableNames[int(table)]);
}

std::optional<TextTable> tableFromName(const QString &name)
{
    for (TextTable table : kAllTextTables) {
        if (name == QLatin1String(kTableNames[int(table)]))
            return table;
    }
    return std::nullopt;
}

} // namespace t880::text
