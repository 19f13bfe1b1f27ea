#include "link/outcometext.h"

#include "text/textnames.h"

namespace t880::link {

int outcomeTextNumber(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Success:
        return text::ProgramText::Success;
    case Outcome::CommunicationFalse:
        return text::ProgramText::CommunicationFalse;
    case Outcome::PasswordError:
        return text::ProgramText::PasswordError;
    case Outcome::OldVersion:
        return text::ProgramText::OldVersion;
    case Outcome::VerifyFailed:
        return text::ProgramText::VerifyFailed;
    case Outcome::BackupFailed:
        return text::ProgramText::BackupFailed;
    case Outcome::WrongRadio:
        return text::ProgramText::WrongRadio;
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
    QStringList lines{lang.text(text::TextTable::Program, text::ProgramText::BackupNote),
                      backupPath};
    if (passwordAtStake)
        lines << lang.text(text::TextTable::Program, text::ProgramText::OldPasswordInBackup);
    return lines;
}

} // namespace t880::link
