// The folder of backups: one file per transfer, written atomically, listed
// newest first, pruned by age and count.
#pragma once

#include "codeplug/backupfile.h"

#include <QDateTime>
#include <QString>

#include <vector>

namespace t880::backup {

struct Limits
{
    int maxAgeDays = 365; ///< older backups are removed
    int maxCount = 1000;  ///< only the newest this many are kept
};

/// The user's backup folder: "backups" in the program's data folder
/// (QStandardPaths::AppLocalDataLocation: XDG_DATA_HOME on Linux,
/// %LOCALAPPDATA% on Windows).
QString defaultFolder();

struct Stored
{
    FileResult result;
    QString path; ///< the file written; empty on failure
};

/// Writes \a backup into \a folder (made when missing) under a name of its
/// own, atomically, then prunes the folder by \a limits, never removing the
/// file just written.
Stored store(const QString &folder, const Backup &backup, const Limits &limits);

struct Entry
{
    QString path;
    Backup backup;
};

/// The backups in \a folder, newest first; files that are not backups are
/// passed over.
std::vector<Entry> list(const QString &folder);

/// Removes the backups older than the age limit at \a now, then all but the
/// newest maxCount; \a keep is never removed. Returns how many went.
int prune(const QString &folder, const Limits &limits, const QDateTime &now,
          const QString &keep = QString());

} // namespace t880::backup
