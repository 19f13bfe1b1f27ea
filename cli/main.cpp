// t880: the command line of the programming software.
#include "cli/command.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <cstdio>
#include <memory>

using namespace t880::cli;

namespace {

const Command kCommands[] = {
    {"new", "Write a new codeplug (.Kzx) or calibration file (.kzxa)", runNew},
    {"plans", "List the built-in channel plans (PMR446, FRS, ...)", runPlans},
    {"show", "Print a codeplug or calibration file readably or as JSON", runShow},
    {"encode", "Build the memory image or calibration area a write sends", runEncode},
    {"decode", "Turn a memory image or calibration area into a file", runDecode},
    {"read", "Read the codeplug from a radio", runRead},
    {"write", "Write a codeplug into a radio", runWrite},
    {"calibration", "Read or write a radio's calibration", runCalibration},
    {"status", "Read the transceiver status of a radio", runStatus},
    {"set-password", "Write a new programming password into a radio", runSetPassword},
    {"diff", "Show what differs between two codeplugs, backups or a radio", runDiff},
    {"backups", "List the backups kept of every read and before every write", runBackups},
    {"restore", "Write a backup back into a radio exactly as it was taken", runRestore},
    {"log", "Print the production record: every write into a radio", runLog},
    {"doctor", "Find out why a radio does not answer, and what to do about it", runDoctor},
    {"texts", "Print a text table in one language, as text or raw bytes", runTexts},
    {"emulate", "Run a virtual radio on a pseudo-terminal", runEmulate},
    {"export", "Write a codeplug's channels as CSV or a PDF channel sheet, or all of it as YAML",
     runExport},
    {"import", "Read channels from a CSV channel list, or a whole codeplug from YAML", runImport},
};

void printUsage(QTextStream &s)
{
    s << "Usage: t880 <command> [options]\n\n"
         "Programming software for the Talvern T-880 handheld radio.\n\nCommands:\n";
    for (const Command &c : kCommands)
        s << "  " << QString::fromLatin1(c.name).leftJustified(14) << c.summary << '\n';
    s << "\nRun 't880 <command> --help' for the options of a command,\n"
         "'t880 --version' for the version.\n";
}

} // namespace

int main(int argc, char *argv[])
{
    QStringList raw;
    for (int i = 1; i < argc; ++i)
        raw.append(QString::fromLocal8Bit(argv[i]));
    std::unique_ptr<QCoreApplication> app;
    if (exportNeedsGui(raw)) {
        // A PDF is drawn with the GUI module's fonts; no display is needed.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication::setApplicationName(QStringLiteral("t880"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    Context ctx{out, err};

    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty()) {
        printUsage(err);
        return ExitUsage;
    }
    const QString verb = args.first();
    if (verb == QLatin1String("--help") || verb == QLatin1String("-h") ||
        verb == QLatin1String("help")) {
        printUsage(out);
        return ExitOk;
    }
    if (verb == QLatin1String("--version") || verb == QLatin1String("-v")) {
        out << "t880 " << T880_VERSION << '\n';
        return ExitOk;
    }
    for (const Command &c : kCommands) {
        if (verb == QLatin1String(c.name))
            return c.run(args, ctx);
    }
    err << "t880: unknown command '" << verb << "'\n";
    printUsage(err);
    return ExitUsage;
}
