// Reads the UTF-8 source of the text tables for the text tests, so that the
// stored tables and the command line's output can be checked against what
// the translators wrote, independently of the build's generator.
#pragma once

#include "text/texttables.h"

#include <QFile>
#include <QString>
#include <QStringList>
#include <QVector>

struct SourceEntry
{
    int number = -1;
    QString text[3]; // English, Simplified, Traditional
};

inline QString sourceTablePath(t880::text::TextTable table)
{
    return QStringLiteral(T880_SOURCE_DIR "/text/tables/%1.tsv").arg(t880::text::tableName(table));
}

/// The entries of \a table's source file in file order; empty when unreadable.
inline QVector<SourceEntry> readSourceTable(t880::text::TextTable table)
{
    QVector<SourceEntry> entries;
    QFile file(sourceTablePath(table));
    if (!file.open(QIODevice::ReadOnly))
        return entries;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
    for (const QString &line : lines) {
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const QStringList fields = line.split(u'\t');
        SourceEntry entry;
        entry.number = fields[0].toInt();
        for (int i = 1; i < fields.size() && i <= 3; ++i)
            entry.text[i - 1] = fields[i];
        entries.append(entry);
    }
    return entries;
}

inline const char *languageName(int language)
{
    static const char *const kNames[] = {"en", "chs", "cht"};
    return kNames[language];
}
