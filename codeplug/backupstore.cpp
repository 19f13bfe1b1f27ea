#include "codeplug/backupstore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>

namespace t880::backup {

namespace {

bool newerFirst(const Entry &a, const Entry &b)
{
    if (a.backup.time != b.backup.time)
        return a.backup.time > b.backup.time;
    return a.path > b.path;
}

} // namespace

QString defaultFolder()
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    return data.isEmpty() ? QString() : QDir(data).filePath(QStringLiteral("backups"));
}

Stored store(const QString &folder, const Backup &backup, const Limits &limits)
{
    if (folder.isEmpty())
        return {{FileError::NoFolder, QStringLiteral("no data folder")}, QString()};
    if (const FileResult made = makeFolders(folder); !made.ok())
        return {made, QString()};
    const QString stem = backup.time.toUTC().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz")) +
                         u'-' + operationName(backup.operation) + u'-' + kindName(backup.kind);
    QDir dir(folder);
    QString path = dir.filePath(stem + u'.' + Suffix);
    // Two transfers in the same millisecond keep a file each.
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = dir.filePath(QStringLiteral("%1-%2.%3").arg(stem).arg(n).arg(Suffix));
    const FileResult r = writeFileAtomically(path, serialize(backup));
    if (!r.ok())
        return {r, QString()};
    prune(folder, limits, QDateTime::currentDateTimeUtc(), path);
    return {r, path};
}

std::vector<Entry> list(const QString &folder)
{
    std::vector<Entry> out;
    if (folder.isEmpty())
        return out;
    const QStringList names = QDir(folder).entryList({QStringLiteral("*.") + Suffix},
                                                     QDir::Files | QDir::Hidden, QDir::Name);
    for (const QString &name : names) {
        Entry e;
        e.path = QDir(folder).filePath(name);
        if (load(e.path, e.backup).ok())
            out.push_back(std::move(e));
    }
    std::sort(out.begin(), out.end(), newerFirst);
    return out;
}

int prune(const QString &folder, const Limits &limits, const QDateTime &now, const QString &keep)
{
    const std::vector<Entry> entries = list(folder);
    const QDateTime oldest = now.addDays(-qint64(std::max(0, limits.maxAgeDays)));
    const QString kept = keep.isEmpty() ? QString() : QFileInfo(keep).absoluteFilePath();
    int removed = 0;
    int counted = 0;
    for (const Entry &e : entries) {
        const bool isKept = !kept.isEmpty() && QFileInfo(e.path).absoluteFilePath() == kept;
        if (!isKept && (e.backup.time < oldest || counted >= limits.maxCount)) {
            if (QFile::remove(e.path))
                ++removed;
            continue;
        }
        ++counted;
    }
    return removed;
}

} // namespace t880::backup
