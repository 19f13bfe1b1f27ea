// How a transfer's ending is told to the user: by the programming dialog's
// own texts, the same for the window and the command line.
#pragma once

#include "link/transferengine.h"
#include "text/applang.h"

#include <QString>
#include <QStringList>

namespace t880::link {

/// The command line's exit codes of transfers, one per kind of failure; the
/// production record keeps them for the window's transfers as well.
enum TransferExit : int {
    ExitNoAnswer = 3,     ///< "Communication False": no or wrong answer
    ExitPassword = 4,     ///< "Password Error"
    ExitOldVersion = 5,   ///< "Device is old version"
    ExitPortFailure = 6,  ///< the port could not be opened
    ExitInterrupted = 7,  ///< stopped by the user
    ExitVerifyFailed = 8, ///< "Verify failed": the radio does not hold what was written
    ExitBackupFailed = 9, ///< the backup before a write could not be kept; nothing written
    ExitWrongRadio = 10,  ///< a restore into another kind of radio; nothing written
};

/// The exit code of a transfer that ended with \a outcome; \a portFailed
/// when no port could be opened. 0 for a success.
int outcomeExitCode(Outcome outcome, bool portFailed);

/// The result as the command line and the production record say it, in
/// English ("Interrupted" for a transfer the user stopped).
QString outcomeEnglish(Outcome outcome);

/// Number, in the programming dialog's table, of the text that reports
/// \a outcome (ProgramText::Success, CommunicationFalse, PasswordError,
/// OldVersion, VerifyFailed, BackupFailed, WrongRadio); -1 for a transfer the
/// user closed (nothing is reported) or one still running.
int outcomeTextNumber(Outcome outcome);

/// That text in the language of \a lang; empty where the number is -1.
QString outcomeText(Outcome outcome, const text::TAppLang &lang);

/// The lines that point a write to the backup taken before it, in the
/// language of \a lang: the note and the backup's path, then, when a new
/// password block went out (\a passwordAtStake), that the backup puts the old
/// password back. Empty when no backup was kept.
QStringList backupNoteLines(const QString &backupPath, bool passwordAtStake,
                            const text::TAppLang &lang);

} // namespace t880::link
