// How a transfer's ending is told to the user: by the programming dialog's
// own texts, the same for the window and the command line.
#pragma once

#include "link/transferengine.h"
#include "text/applang.h"

#include <QString>
#include <QStringList>

namespace t880::link {

/// Number, in the programming dialog's table, of the text that reports
/// \a outcome: 3 "SUCCESS", 2 "Communication False", 4 "Password Error",
/// 7 "Device is old version", 8 "Verify failed", 10 the backup before a
/// write failed, 11 a restore into another kind of radio; -1 for a transfer the user closed
/// (nothing is reported) or one still running.
int outcomeTextNumber(Outcome outcome);

/// That text in the language of \a lang; empty where the number is -1.
QString outcomeText(Outcome outcome, const text::TAppLang &lang);

/// Number of the text that introduces the name of the backup taken before a
/// write, for the message of a write that did not succeed.
constexpr int BackupNoteTextNumber = 9;
/// Numbers of the texts that tell, after a write of a new password that did
/// not end well, that the radio may hold neither password, and that the
/// backup taken before it puts the old one back.
constexpr int PasswordAtStakeTextNumber = 12;
constexpr int OldPasswordInBackupTextNumber = 13;

/// The lines that point a write to the backup taken before it, in the
/// language of \a lang: the note and the backup's path, then, when a new
/// password block went out (\a passwordAtStake), that the backup puts the old
/// password back. Empty when no backup was kept.
QStringList backupNoteLines(const QString &backupPath, bool passwordAtStake,
                            const text::TAppLang &lang);

} // namespace t880::link
