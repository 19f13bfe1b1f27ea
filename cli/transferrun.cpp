#include "cli/transferrun.h"

#include "factory/passwordentry.h"
#include "link/outcometext.h"
#include "link/serialtransfer.h"
#include "text/applang.h"
#include "ui/appconfig.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTimer>

#include <csignal>
#include <unistd.h>

namespace t880::cli {

namespace {

volatile std::sig_atomic_t g_interrupted = 0;

extern "C" void onInterrupt(int)
{
    g_interrupted = 1;
}

// The result texts of the programming dialog; the command line speaks English.
QString outcomeText(link::Outcome outcome)
{
    if (outcome == link::Outcome::Closed)
        return QStringLiteral("Interrupted");
    text::TAppLang lang;
    lang.fSetLangType(text::TAppLang::English);
    return link::outcomeText(outcome, lang);
}

QString portAdvice(const link::PortFailure &f, const QStringList &tried)
{
    switch (link::classifyPortFailure(f)) {
    case link::PortProblem::InUse:
        return QStringLiteral("%1: the port is in use by another program").arg(f.path);
    case link::PortProblem::NoPermission:
        return QStringLiteral("%1: permission denied. Add your user to the 'dialout' group "
                              "(sudo usermod -aG dialout $USER), then log in again.")
            .arg(f.path);
    case link::PortProblem::NoSuchDevice:
        if (tried.size() > 1)
            return QStringLiteral("%1: no such serial device (tried %2)")
                .arg(f.path, tried.join(QStringLiteral(" and ")));
        return QStringLiteral("%1: no such serial device (%2)").arg(f.path, f.detail);
    case link::PortProblem::NotSerial:
        return QStringLiteral("%1 is not a serial device (serial ports are character devices "
                              "such as /dev/ttyUSB0)")
            .arg(f.path);
    case link::PortProblem::Other:
        break;
    }
    return QStringLiteral("%1: cannot open the port (%2)").arg(f.path, f.detail);
}

// PORT as the user gave it: a number 1..9 counts the serial devices present,
// anything else names a device, taken as the only port.
struct PortChoice
{
    link::PortMap map;
    link::PortSettings settings;
    QStringList tried; ///< where a named device was looked for
};

std::optional<PortChoice> choosePort(const QString &text)
{
    if (text.trimmed().isEmpty())
        return std::nullopt;
    bool isNumber = false;
    const int number = text.toInt(&isNumber);
    PortChoice choice;
    if (!isNumber) {
        const link::PortPath where = link::resolvePortPath(text);
        choice.map.bind(1, where.path);
        choice.settings.port = 1;
        choice.tried = where.tried;
        return choice;
    }
    if (number < 1 || number > link::PortMap::MaxPorts)
        return std::nullopt;
    choice.map = link::PortMap::systemPorts();
    choice.settings.port = number;
    return choice;
}

} // namespace

QString backupFolder()
{
    return backup::defaultFolder();
}

backup::Limits backupLimits()
{
    // The window's configuration file, when there is one; the command line
    // never makes one.
    const QStringList candidates = {
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("_config.ini")),
        QDir(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation))
            .filePath(QStringLiteral("_config.ini"))};
    backup::Limits limits;
    for (const QString &path : candidates) {
        if (!QFileInfo(path).isFile())
            continue;
        const ConfigLoad load = loadConfig(path);
        limits.maxAgeDays = load.config.backupMaxAgeDays;
        limits.maxCount = load.config.backupMaxCount;
        break;
    }
    return limits;
}

std::optional<QByteArray> passwordBytes(const QString &text)
{
    // The same conversion as the window's password fields, so that a
    // password given here matches one typed there.
    return t880::passwordBytes(text);
}

int takeTransferOptions(const QCommandLineParser &parser, const TransferOptions &options,
                        ProgramState &state, Context &ctx, bool usesPassword)
{
    if (!parser.isSet(options.port))
        return fail(ctx, QStringLiteral("missing --port PORT"), ExitUsage);
    const QString port = parser.value(options.port);
    if (!choosePort(port))
        return fail(
            ctx, QStringLiteral("--port takes a number 1..9 or a device path, not '%1'").arg(port),
            ExitUsage);
    if (usesPassword && parser.isSet(options.password)) {
        const auto bytes = passwordBytes(parser.value(options.password));
        if (!bytes)
            return fail(ctx,
                        QStringLiteral("a password holds at most 12 bytes: 12 letters or digits, "
                                       "or 6 Chinese characters"),
                        ExitUsage);
        state.codeplug.setText(TextField::radioPassword, *bytes);
    }
    return -1;
}

int runTransfer(const QCommandLineParser &parser, const TransferOptions &options,
                ProgramState &state, link::OpCode op, link::ReadMode mode, Context &ctx,
                const TransferSetup &setup)
{
    const auto port = choosePort(parser.value(options.port));
    if (!port)
        return fail(ctx, QStringLiteral("bad --port"), ExitUsage); // checked by takeTransferOptions
    link::SerialTransfer transfer(state, op, mode, port->settings, port->map);
    // Options a verb does not offer are never set.
    transfer.setVerifyReads(parser.optionNames().contains(options.verify.names().first()));
    link::TransferSafety safety;
    safety.folder = backupFolder();
    safety.limits = backupLimits();
    safety.backupBeforeWrite = !parser.optionNames().contains(options.noBackup.names().first());
    safety.verifyAfterWrite = !parser.optionNames().contains(options.noVerify.names().first());
    safety.readOperation = setup.readOperation;
    safety.writeOperation = setup.writeOperation;
    transfer.setSafety(safety);
    if (setup.restore)
        transfer.setRestorePlan(*setup.restore);
    const bool interactive = isatty(STDERR_FILENO);
    int shown = -1;
    QObject::connect(&transfer, &link::SerialTransfer::progressUpdated, [&](int percent) {
        if (percent == shown || percent == 0)
            return;
        shown = percent;
        ctx.err << (interactive ? "\r" : "") << "Progress " << percent << '%'
                << (interactive ? "" : "\n");
        ctx.err.flush();
    });

    QEventLoop loop;
    QObject::connect(&transfer, &link::SerialTransfer::transferEnded, &loop, &QEventLoop::quit);
    g_interrupted = 0;
    auto previousInt = std::signal(SIGINT, onInterrupt);
    auto previousTerm = std::signal(SIGTERM, onInterrupt);
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (g_interrupted)
            transfer.cancel();
    });
    watch.start(50);
    transfer.start();
    if (transfer.isRunning())
        loop.exec();
    watch.stop();
    std::signal(SIGINT, previousInt);
    std::signal(SIGTERM, previousTerm);
    if (interactive && shown > 0)
        ctx.err << '\n';

    const link::Outcome outcome = transfer.outcome();
    const bool keepsReads = mode == link::ReadMode::Read &&
                            (op == link::OpCode::Codeplug || op == link::OpCode::Calibration);
    if (outcome == link::Outcome::Success) {
        transfer.runCompletion();
        ctx.out << outcomeText(outcome) << Qt::endl;
        if (!transfer.backupPath().isEmpty())
            ctx.out << "Backup: " << transfer.backupPath() << Qt::endl;
        else if (keepsReads)
            ctx.err << "t880: warning: the read was not kept as a backup: "
                    << describeFileResult(transfer.backupResult(), backupFolder(), 0) << Qt::endl;
        return ExitOk;
    }
    ctx.err << outcomeText(outcome) << Qt::endl;
    if (outcome == link::Outcome::BackupFailed) {
        ctx.err << describeFileResult(transfer.backupResult(), backupFolder(), 0) << Qt::endl;
        return ExitBackupFailed;
    }
    // A write that did not end well may have left the radio half written;
    // the way back is the backup taken before it.
    if (mode == link::ReadMode::Write && !transfer.backupPath().isEmpty()) {
        text::TAppLang lang;
        lang.fSetLangType(text::TAppLang::English);
        ctx.err << lang.text(text::TextTable::Program, link::BackupNoteTextNumber) << '\n'
                << transfer.backupPath() << Qt::endl;
    }
    if (!transfer.portFailure().path.isEmpty()) {
        ctx.err << portAdvice(transfer.portFailure(), port->tried) << Qt::endl;
        return ExitPortFailure;
    }
    switch (outcome) {
    case link::Outcome::PasswordError:
        return ExitPassword;
    case link::Outcome::OldVersion:
        return ExitOldVersion;
    case link::Outcome::Closed:
        return ExitInterrupted;
    case link::Outcome::VerifyFailed:
        return ExitVerifyFailed;
    case link::Outcome::WrongRadio:
        return ExitWrongRadio;
    default:
        return ExitNoAnswer;
    }
}

} // namespace t880::cli
