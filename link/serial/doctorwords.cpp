// The doctor's findings in the user's language. Commands stay as they must be
// typed, on lines of their own; the rest comes from the main text table.
#include "link/serial/doctor.h"

#include "text/textnames.h"

namespace t880::link {

namespace {

QString portLine(const PortInfo &p, const text::TAppLang &lang)
{
    QString about = p.description;
    if (!p.manufacturer.isEmpty() && !about.contains(p.manufacturer))
        about = about.isEmpty() ? p.manufacturer : about + QStringLiteral(", ") + p.manufacturer;
    QString line;
    if (!p.usbId.isEmpty())
        line = lang.text(text::TextTable::Main, text::MainText::PortWithUsbId)
                   .arg(p.path, about.isEmpty() ? QStringLiteral("-") : about, p.usbId);
    else if (!about.isEmpty())
        line = lang.text(text::TextTable::Main, text::MainText::PortWithDevice).arg(p.path, about);
    else
        line = p.path;
    return QStringLiteral("  ") + line;
}

QString command(const QString &c)
{
    return QStringLiteral("  ") + c;
}

} // namespace

QString DoctorReport::headline(const text::TAppLang &lang) const
{
    const QStringList all = lines(lang);
    return all.isEmpty() ? QString() : all.first();
}

QStringList DoctorReport::lines(const text::TAppLang &lang) const
{
    const auto t = [&lang](int n) {
        return lang.text(text::TextTable::Main, n);
    };
    QStringList out;
    for (const Finding &f : findings) {
        // A blank line between findings keeps each one's advice with it.
        if (!out.isEmpty())
            out << QString();
        switch (f.kind) {
        case FindingKind::NoSuchPort:
            out << t(text::MainText::PortMissing).arg(f.path);
            if (!f.ports.isEmpty()) {
                out << t(text::MainText::PortsPresent);
                for (const PortInfo &p : f.ports)
                    out << portLine(p, lang);
            }
            break;
        case FindingKind::NoPortsPresent:
            out << t(text::MainText::NoAdapter);
            break;
        case FindingKind::NotMember:
            out << t(text::MainText::NotInGroup).arg(f.path, f.group, f.user)
                << t(text::MainText::AddToGroup)
                << command(QStringLiteral("sudo usermod -aG %1 %2").arg(f.group, f.user));
            break;
        case FindingKind::NotInThisLogin:
            out << t(text::MainText::GroupNotActive).arg(f.path, f.group, f.user);
            break;
        case FindingKind::NoPermission:
            out << t(text::MainText::PermissionsKeepOut).arg(f.path, f.group, f.user);
            break;
        case FindingKind::HeldBy:
            // On a port that opened, a holder shares it rather than blocks it.
            out << (has(FindingKind::Silence) || has(FindingKind::Garbage)
                        ? t(text::MainText::PortAlsoOpen)
                        : t(text::MainText::PortHeld))
                       .arg(f.path, f.program, QString::number(f.pid));
            break;
        case FindingKind::HeldByUnknown:
            out << t(text::MainText::PortInUse).arg(f.path);
            break;
        case FindingKind::NotSerial:
            out << t(text::MainText::NotSerialDevice).arg(f.path);
            break;
        case FindingKind::OpenFailed:
            out << t(text::MainText::CannotOpenPort).arg(f.path, f.detail);
            break;
        case FindingKind::ModemManager:
            out << t(text::MainText::ModemManagerRunning).arg(f.pid)
                << command(QStringLiteral("sudo systemctl stop ModemManager"));
            break;
        case FindingKind::Brltty:
            out << t(text::MainText::BrlttyRunning).arg(f.pid)
                << command(QStringLiteral("sudo apt remove brltty"));
            break;
        case FindingKind::Silence:
            out << t(text::MainText::NothingAnswered).arg(f.path) << t(text::MainText::CheckCable);
            if (offerSearch)
                out << t(text::MainText::SearchCanTry);
            break;
        case FindingKind::Garbage:
            out << t(text::MainText::ForeignAnswer).arg(f.path, QString::number(f.bytes))
                << t(text::MainText::ForeignAnswerHint);
            break;
        case FindingKind::AnswerLost:
            out << t(text::MainText::ConnectionBroke).arg(f.path);
            break;
        case FindingKind::Answered:
            out << t(text::MainText::RadioAnswered).arg(f.path);
            break;
        case FindingKind::SearchFound:
            out << t(text::MainText::SearchFound).arg(f.path);
            break;
        case FindingKind::SearchNothing:
            out << t(text::MainText::SearchFoundNothing);
            for (const PortInfo &p : f.ports)
                out << portLine(p, lang);
            break;
        case FindingKind::UdevRuleInstalled:
            out << t(text::MainText::UdevRuleInstalled).arg(f.path);
            break;
        case FindingKind::UdevRuleMissing:
            out << t(text::MainText::UdevRuleMissing).arg(f.path);
            break;
        }
    }
    return out;
}

} // namespace t880::link
