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

int outcomeExitCode(Outcome outcome, bool portFailed)
{
    switch (outcome) {
    case Outcome::Success:
        return 0;
    case Outcome::BackupFailed:
        return ExitBackupFailed;
    default:
        break;
    }
    if (portFailed)
        return ExitPortFailure;
    switch (outcome) {
    case Outcome::PasswordError:
        return ExitPassword;
    case Outcome::OldVersion:
        return ExitOldVersion;
    case Outcome::Closed:
        return ExitInterrupted;
    case Outcome::VerifyFailed:
        return ExitVerifyFailed;
    case Outcome::WrongRadio:
        return ExitWrongRadio;
    default:
        return ExitNoAnswer;
    }
}

QString outcomeEnglish(Outcome outcome)
{
    if (outcome == Outcome::Closed)
        return QStringLiteral("Interrupted");
    if (outcome == Outcome::Running)
        return QStringLiteral("Running");
    text::TAppLang lang;
    lang.fSetLangType(text::Language::English);
    return outcomeText(outcome, lang);
}

} // namespace t880::link
