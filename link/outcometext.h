// How a transfer's ending is told to the user: by the programming dialog's
// own texts, the same for the window and the command line.
#pragma once

#include "link/transferengine.h"
#include "text/applang.h"

#include <QString>
#include <QStringList>

namespace t880::link {

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
