// The write journal: a note for every transfer that writes into a radio,
// made before its first block and removed at its end. A note whose program
// no longer runs is a write that did not finish (the power went, the program
// was killed): the radio may hold part of it, and the backup the note names
// puts it back.
#pragma once

#include "codeplug/backupfile.h"
#include "codeplug/safefile.h"
#include "text/applang.h"

#include <QDateTime>
#include <QString>

#include <vector>

namespace t880::journal {

struct Entry
{
    QString port;   ///< the port as the user named it (a number, COMn, a link)
    QString device; ///< the device it led to
    backup::Operation operation = backup::Operation::Write;
    QString file;   ///< the file written; empty when there is none
    QString backup; ///< the backup taken before the write; empty when none was
    QDateTime time; ///< when the write began (UTC)
    qint64 pid = 0;
    /// When the process began, as the system counts it: a later process
    /// that got the same number is not taken for this one.
    QString processStart;
    /// The write replaces the calibration area; the others, the codeplug area.
    bool calibration = false;
    QString path; ///< the note's own file
};

/// "journal" in the program's data folder.
QString defaultFolder();

/// Writes the note for \a entry, with this process's identity, into
/// \a folder; sets entry.path.
FileResult open(const QString &folder, Entry &entry);
/// Removes a note (a note already gone is fine).
void close(const Entry &entry);

/// The notes in \a folder, oldest first; files that are no note are passed over.
std::vector<Entry> list(const QString &folder);
/// Whether the process that wrote the note still runs.
bool processRuns(const Entry &entry);
/// The notes of writes that did not finish, oldest first.
std::vector<Entry> unfinished(const QString &folder);
/// Whether a note is about the port named \a given or the device \a device
/// (a link and the device it points at are one port).
bool samePort(const Entry &entry, const QString &given, const QString &device);
/// After a successful write of the same area to the same port: the notes of
/// unfinished writes it replaced are closed. Returns how many.
int closeReplaced(const QString &folder, const QString &given, const QString &device,
                  bool calibration);

/// What the user reads of a write that did not finish, in the language of
/// \a lang: where, when (local time; with the date when not today), and the
/// backup taken before it.
QString unfinishedText(const Entry &entry, const text::TAppLang &lang);

/// When the process \a pid began, as the system counts it; empty when no
/// such process runs.
QString processStartOf(qint64 pid);

} // namespace t880::journal
