// t880 doctor [--port PORT] [--lang en|chs|cht]: tries the port (or, without
// one, every serial port in turn) and says what stands between the program
// and the radio.
#include "cli/command.h"
#include "cli/doctortext.h"
#include "cli/transferrun.h"
#include "link/serial/doctor.h"
#include "link/serial/portmap.h"
#include "text/textnames.h"

namespace t880::cli {

namespace {

// PORT as the transfer verbs take it: a number counts the devices present.
std::optional<QString> portPath(const QString &text)
{
    if (text.trimmed().isEmpty())
        return std::nullopt;
    bool isNumber = false;
    const int number = text.toInt(&isNumber);
    if (!isNumber)
        return link::resolvePortPath(text).path;
    if (number < 1 || number > link::PortMap::MaxPorts)
        return std::nullopt;
    const QString path = numberedPorts().path(number);
    // No device has that number: the finding names the number as given.
    return path.isEmpty() ? QStringLiteral("COM%1").arg(number) : path;
}

} // namespace

int runDoctor(const QStringList &args, Context &ctx)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Finds out why the radio does not answer: tries the port (without --port, every serial "
        "port in turn) and says what it found and how to fix it. Exit code 0: the radio "
        "answered; 3: it did not, or broke off; 6: the port could not be opened."));
    const QCommandLineOption port(
        QStringLiteral("port"),
        QStringLiteral("Serial port: a number 1..9 (a port bound in the window's "
                       "configuration, or the serial devices in order) or a device path."),
        QStringLiteral("PORT"));
    const QCommandLineOption lang(
        QStringLiteral("lang"),
        QStringLiteral("Language: en, chs (Simplified Chinese) or cht (Traditional Chinese). "
                       "Default: the one the system language selects."),
        QStringLiteral("LANG"));
    parser.addOptions({port, lang});
    if (int rc = parseVerb(parser, args, ctx, 0, 0); rc >= 0)
        return rc;
    text::TAppLang appLang;
    if (parser.isSet(lang)) {
        const std::optional<text::Language> type = languageNamed(parser.value(lang));
        if (!type)
            return fail(
                ctx,
                QStringLiteral("unknown language '%1' (en, chs or cht)").arg(parser.value(lang)),
                ExitUsage);
        appLang.fSetLangType(*type);
    }
    QString path;
    if (parser.isSet(port)) {
        const std::optional<QString> chosen = portPath(parser.value(port));
        if (!chosen)
            return fail(ctx,
                        QStringLiteral("--port takes a number 1..9 or a device path, not '%1'")
                            .arg(parser.value(port)),
                        ExitUsage);
        path = *chosen;
        warnUnfinished({ChosenPort{parser.value(port), path, QString()}}, ctx);
        ctx.err << appLang.text(text::TextTable::Main, text::MainText::CheckingPort).arg(path)
                << Qt::endl;
    } else {
        ctx.err << appLang.text(text::TextTable::Main, text::MainText::SearchingPorts) << Qt::endl;
    }
    const link::DoctorReport report = link::probePort(path);
    printReport(report, appLang, ctx.out);
    // A radio that answered and then broke off is no working connection.
    if (report.answered && !report.has(link::FindingKind::AnswerLost))
        return ExitOk;
    return report.portFailed ? ExitPortFailure : ExitNoAnswer;
}

} // namespace t880::cli
