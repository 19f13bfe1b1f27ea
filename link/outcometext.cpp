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

} // namespace t880::link
