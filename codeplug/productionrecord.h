// The production record: one line for every transfer that writes into a
// radio (which radio got which file, when, with what result), appended to a
// CSV file in the data folder. Appends are whole lines under a lock file, so
// several radios and several programs can record at once.
#pragma once

#include "codeplug/safefile.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <vector>

namespace t880::production {

struct Line
{
    QDateTime time;    ///< when the transfer ended (UTC)
    QString computer;  ///< the computer's name
    QString operation; ///< as the backups name it: write, restore, calibration-write, ...
    QString port;      ///< the port as the user named it
    QString device;    ///< the device it led to
    QString radio;     ///< the radio's kind; empty when it never answered
    QString file;      ///< the file written; empty for a password
    QString sha256;    ///< of the file's bytes, lower-case hex
    QString result;    ///< the result text, in English
    int exitCode = 0;  ///< what the command line returns for this result
    double seconds = 0;
    QString backup; ///< the backup taken before the write
};

/// production.csv in the program's data folder.
QString defaultPath();
/// The header line's names, in the order of the fields.
const QStringList &header();

/// Appends \a line to the record at \a path (made with its header when
/// missing), under a lock that several programs respect. Lines older than
/// \a maxAgeDays before \a line's time go, but never one of its year.
FileResult append(const QString &path, const Line &line, int maxAgeDays);

struct Loaded
{
    FileResult result;
    std::vector<Line> lines; ///< in the file's order: oldest first
    int skipped = 0;         ///< lines that are no record line
};
/// Reads the record; a missing file is an empty record.
Loaded load(const QString &path);

/// Whether \a line passes a filter: on or after \a since (when valid), with
/// a result that holds \a result (when not empty), in any letter case.
bool matches(const Line &line, const QDate &since, const QString &result);

/// The SHA-256 of the file at \a path, lower-case hex; empty when it cannot
/// be read.
QString fileSha256(const QString &path);
/// The name of this computer.
QString computerName();

} // namespace t880::production
