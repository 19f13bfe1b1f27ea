// The doctor's findings in the user's language. Commands stay as they must be
// typed, on lines of their own; the rest comes from the main text table.
#include "link/serial/doctor.h"

namespace t880::link {

namespace {

QString portLine(const PortInfo &p, const text::TAppLang &lang)
{
    QString about = p.description;
    if (!p.manufacturer.isEmpty() && !about.contains(p.manufacturer))
        about = about.isEmpty() ? p.manufacturer : about + QStringLiteral(", ") + p.manufacturer;
    QString line;
    if (!p.usbId.isEmpty())
        line = lang.text(text::TextTable::Main, 407)
                   .arg(p.path, about.isEmpty() ? QStringLiteral("-") : about, p.usbId);
    else if (!about.isEmpty())
        line = lang.text(text::TextTable::Main, 408).arg(p.path, about);
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
            out << t(404).arg(f.path);
            if (!f.ports.isEmpty()) {
                out << t(405);
                for (const PortInfo &p : f.ports)
                    out << portLine(p, lang);
            }
            break;
        case FindingKind::NoPortsPresent:
            out << t(406);
            break;
        case FindingKind::NotMember:
            out << t(409).arg(f.path, f.group, f.user) << t(410)
                << command(QStringLiteral("sudo usermod -aG %1 %2").arg(f.group, f.user));
            break;
        case FindingKind::NotInThisLogin:
            out << t(411).arg(f.path, f.group, f.user);
            break;
        case FindingKind::NoPermission:
            out << t(412).arg(f.path, f.group, f.user);
            break;
        case FindingKind::HeldBy:
            // On a port that opened, a holder shares it rather than blocks it.
            out << (has(FindingKind::Silence) || has(FindingKind::Garbage) ? t(430) : t(413))
                       .arg(f.path, f.program, QString::number(f.pid));
            break;
        case FindingKind::HeldByUnknown:
            out << t(414).arg(f.path);
            break;
        case FindingKind::NotSerial:
            out << t(415).arg(f.path);
            break;
        case FindingKind::OpenFailed:
            out << t(416).arg(f.path, f.detail);
            break;
        case FindingKind::ModemManager:
            out << t(417).arg(f.pid) << command(QStringLiteral("sudo systemctl stop ModemManager"));
            break;
        case FindingKind::Brltty:
            out << t(418).arg(f.pid) << command(QStringLiteral("sudo apt remove brltty"));
            break;
        case FindingKind::Silence:
            out << t(419).arg(f.path) << t(420);
            if (offerSearch)
                out << t(421);
            break;
        case FindingKind::Garbage:
            out << t(422).arg(f.path, QString::number(f.bytes)) << t(423);
            break;
        case FindingKind::AnswerLost:
            out << t(424).arg(f.path);
            break;
        case FindingKind::Answered:
            out << t(425).arg(f.path);
            break;
        case FindingKind::SearchFound:
            out << t(426).arg(f.path);
            break;
        case FindingKind::SearchNothing:
            out << t(427);
            for (const PortInfo &p : f.ports)
                out << portLine(p, lang);
            break;
        case FindingKind::UdevRuleInstalled:
            out << t(428).arg(f.path);
            break;
        case FindingKind::UdevRuleMissing:
            out << t(429).arg(f.path);
            break;
        }
    }
    return out;
}

} // namespace t880::link
