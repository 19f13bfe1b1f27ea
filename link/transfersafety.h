// What a transfer keeps and checks beyond the protocol itself: the backups
// it takes and the read-back after a write. Plain data, set by the window,
// the several-radios dialog and the command line from the configuration.
#pragma once

#include "codeplug/backupstore.h"

#include <QString>

namespace t880::link {

/// What a transfer keeps and checks beyond the protocol itself.
struct TransferSafety
{
    /// Where backups go; empty: none are kept (and a write cannot back up).
    QString folder;
    backup::Limits limits;
    /// A successful codeplug or calibration read is kept as a backup.
    bool keepReads = true;
    /// A codeplug or calibration write (or a restore) first reads the area
    /// it replaces and keeps it; the write does not begin unless it was kept.
    bool backupBeforeWrite = false;
    /// A write reads back and compares every block it wrote.
    bool verifyAfterWrite = false;
    /// What the backup of a write calls its operation (a restore says so).
    backup::Operation writeOperation = backup::Operation::Write;
    /// What the backup of a read calls its operation (a compare says so).
    backup::Operation readOperation = backup::Operation::Read;
    /// Where a write keeps its note while it runs (see writejournal.h);
    /// empty: no notes.
    QString journalFolder;
    /// The production record every write appends a line to; empty: none.
    QString recordPath;
};

/// What a write puts into the radio, for its note and its record line.
struct WriteSubject
{
    QString port;   ///< the port as the user named it
    QString file;   ///< the file written; empty when there is none
    QString sha256; ///< of that file's bytes
};

} // namespace t880::link
