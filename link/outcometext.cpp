#include "link/outcometext.h"

namespace t880::link {

int outcomeTextNumber(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Success:
        return 3;
    case Outcome::CommunicationFalse:
        return 2;
    case Outcome::PasswordError:
        return 4;
    case Outcome::OldVersion:
        return 7;
    case Outcome::VerifyFailed:
        return 8;
    case Outcome::BackupFailed:
        return 10;
    case Outcome::WrongRadio:
        return 11;
    case Outcome::Closed:
    case Outcome::Running:
        break;
    }
    return -1;
}

QString outcomeText(Outcome outcome, const text::TAppLang &lang)
{
    const int n = outcomeTextNumber(outcome);
    return n < 0 ? QString() : lang.text(text::TextTable::Program, n);
}

QStringList backupNoteLines(const QString &backupPath, bool passwordAtStake,
                            const text::TAppLang &lang)
{
    if (backupPath.isEmpty())
        return {};
    QStringList lines{lang.text(text::TextTable::Program, BackupNoteTextNumber), backupPath};
    if (passwordAtStake)
        lines << lang.text(text::TextTable::Program, OldPasswordInBackupTextNumber);
    return lines;
}

} // namespace t880::link
