#include "cli/transferrun.h"

#include "codeplug/productionrecord.h"
#include "factory/passwordentry.h"
#include "link/outcometext.h"
#include "link/serial/doctor.h"
#include "link/serial/serialtransfer.h"
#include "text/applang.h"
#include "text/textnames.h"
#include "ui/config/appconfig.h"

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
    choice.map = numberedPorts();
    choice.settings.port = number;
    return choice;
}

bool optionGiven(const QCommandLineParser &parser, const QCommandLineOption &option)
{
    // Options a verb does not offer are never set, and asking the parser
    // about them would only make it complain.
    return parser.optionNames().contains(option.names().first());
}

// Neither a note nor a record line that could not be kept stops a write;
// the user hears of it.
void recordWarnings(const link::SerialTransfer &transfer, QStringList &errLines)
{
    if (const FileResult &r = transfer.journalResult(); !r.ok())
        errLines << QStringLiteral("t880: warning: the write journal could not be kept: ") +
                        describeFileResult(r, journal::defaultFolder(), 0);
    if (const FileResult &r = transfer.recordResult(); !r.ok())
        errLines << QStringLiteral("t880: warning: the production record could not be written: ") +
                        describeFileResult(r, production::defaultPath(), 0);
}

} // namespace

QString unfinishedWriteText(const journal::Entry &entry)
{
    text::TAppLang english;
    english.fSetLangType(text::Language::English);
    QString text = journal::unfinishedText(entry, english);
    if (!entry.backup.isEmpty())
        text += u' ' + QStringLiteral("To put it back: t880 restore %1 --port %2%3")
                           .arg(entry.backup, entry.port,
                                entry.calibration ? QStringLiteral(" --yes") : QString());
    return text;
}

void warnUnfinished(const std::vector<ChosenPort> &ports, Context &ctx, const QString &restoring)
{
    const std::vector<journal::Entry> notes = journal::unfinished(journal::defaultFolder());
    for (const journal::Entry &e : notes) {
        if (!restoring.isEmpty() && e.backup == restoring)
            continue;
        for (const ChosenPort &port : ports) {
            if (journal::samePort(e, port.given, port.device)) {
                ctx.err << "t880: " << unfinishedWriteText(e) << '\n';
                break;
            }
        }
    }
    ctx.err.flush();
}

// The result texts of the programming dialog; the command line speaks English.
QString outcomeText(link::Outcome outcome)
{
    return link::outcomeEnglish(outcome);
}

InterruptWatch::InterruptWatch(std::function<void()> stop)
{
    g_interrupted = 0;
    m_previousInt = std::signal(SIGINT, onInterrupt);
    m_previousTerm = std::signal(SIGTERM, onInterrupt);
    QObject::connect(&m_timer, &QTimer::timeout, [this, stop = std::move(stop)] {
        if (!g_interrupted)
            return;
        m_timer.stop();
        stop();
    });
    m_timer.start(50);
}

InterruptWatch::~InterruptWatch()
{
    m_timer.stop();
    std::signal(SIGINT, m_previousInt);
    std::signal(SIGTERM, m_previousTerm);
}

QString backupFolder()
{
    return backup::defaultFolder();
}

AppConfig commandLineConfig()
{
    // The very file the window uses, found the same way, so that both keep
    // to the same backup limits and port bindings. The command line reads
    // it, once, but never makes one.
    static const AppConfig config = [] {
        const QString path =
            configLocation(QString(), QCoreApplication::applicationDirPath(), MakeFolder::No);
        return QFileInfo(path).isFile() ? loadConfig(path).config : AppConfig::defaults();
    }();
    return config;
}

link::PortMap numberedPorts()
{
    return link::PortMap::withBindings(commandLineConfig().portPaths);
}

std::optional<QByteArray> passwordBytes(const QString &text)
{
    // The same conversion as the window's password fields, so that a
    // password given here matches one typed there.
    return t880::passwordBytes(text);
}

int takeTransferOptions(const QCommandLineParser &parser, const TransferOptions &options,
                        ProgramState &state, Context &ctx, bool usesPassword, bool several)
{
    if (!parser.isSet(options.port))
        return fail(ctx, QStringLiteral("missing --port PORT"), ExitUsage);
    const QStringList given = parser.values(options.port);
    if (given.size() > 1 && !several)
        return fail(ctx, QStringLiteral("this works on one radio: give one --port"), ExitUsage);
    for (const QString &port : given) {
        if (!choosePort(port))
            return fail(
                ctx,
                QStringLiteral("--port takes a number 1..9 or a device path, not '%1'").arg(port),
                ExitUsage);
    }
    const std::vector<ChosenPort> ports = chosenPorts(parser, options);
    // A link and the device it points at are one port: two transfers on it
    // would write one radio twice at once.
    auto same = [](const QString &a, const QString &b) {
        const QString ca = QFileInfo(a).canonicalFilePath();
        return a == b || (!ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath());
    };
    for (std::size_t i = 0; i < ports.size(); ++i) {
        for (std::size_t j = 0; j < i; ++j) {
            if (!ports[i].device.isEmpty() && same(ports[i].device, ports[j].device))
                return fail(ctx,
                            QStringLiteral("--port %1 and --port %2 are the same port")
                                .arg(ports[j].given, ports[i].given),
                            ExitUsage);
        }
    }
    if (optionGiven(parser, options.trace) && parser.isSet(options.trace)) {
        const QString trace = parser.value(options.trace);
        if (!checkPortPattern(trace, ports, QStringLiteral("--trace"), ctx))
            return ExitUsage;
        for (const ChosenPort &port : ports) {
            const QString path = expandPortPattern(trace, port);
            if (const FileResult t = checkWritableTarget(path); !t.ok())
                return fail(ctx, describeFileResult(t, path, 0));
        }
    }
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

std::vector<ChosenPort> chosenPorts(const QCommandLineParser &parser,
                                    const TransferOptions &options)
{
    std::vector<ChosenPort> ports;
    std::optional<link::PortMap> system;
    for (const QString &given : parser.values(options.port)) {
        const auto choice = choosePort(given);
        if (!choice)
            continue;
        ChosenPort port;
        port.given = given;
        port.device = choice->map.path(choice->settings.port);
        if (port.device.isEmpty()) {
            port.name = QStringLiteral("port%1").arg(choice->settings.port);
        } else {
            port.name = QFileInfo(port.device).fileName();
        }
        ports.push_back(port);
    }
    return ports;
}

QString expandPortPattern(const QString &pattern, const ChosenPort &port)
{
    QString out = pattern;
    return out.replace(QLatin1String("%p"), port.name);
}

bool checkPortPattern(const QString &pattern, const std::vector<ChosenPort> &ports,
                      const QString &what, Context &ctx)
{
    if (ports.size() < 2)
        return true;
    if (!pattern.contains(QLatin1String("%p"))) {
        fail(ctx, QStringLiteral("%1 %2: with several ports the name holds %p, which becomes "
                                 "each port's name")
                      .arg(what, pattern));
        return false;
    }
    for (std::size_t i = 0; i < ports.size(); ++i) {
        for (std::size_t j = 0; j < i; ++j) {
            if (ports[i].name == ports[j].name) {
                fail(ctx, QStringLiteral("%1 %2: --port %3 and --port %4 give the same file")
                              .arg(what, pattern, ports[j].given, ports[i].given));
                return false;
            }
        }
    }
    return true;
}

void configureTransfer(link::SerialTransfer &transfer, const QCommandLineParser &parser,
                       const TransferOptions &options, const TransferSetup &setup,
                       const QString &port)
{
    const QString file =
        setup.file.isEmpty() ? QString() : QFileInfo(setup.file).absoluteFilePath();
    transfer.setWriteSubject(
        {port, file, file.isEmpty() ? QString() : production::fileSha256(file)});
    transfer.setVerifyReads(optionGiven(parser, options.verify));
    // The command line's own options decide the safety steps, whatever the
    // window's configuration says.
    link::TransferSafety safety = transferSafetyFrom(commandLineConfig());
    safety.backupBeforeWrite = !optionGiven(parser, options.noBackup);
    safety.verifyAfterWrite = !optionGiven(parser, options.noVerify);
    safety.readOperation = setup.readOperation;
    safety.writeOperation = setup.writeOperation;
    transfer.setSafety(safety);
    if (setup.restore)
        transfer.setRestorePlan(*setup.restore);
}

void judgeTransfer(link::SerialTransfer &transfer, link::OpCode op, link::ReadMode mode,
                   const QStringList &tried, RadioResult &result, QStringList &outLines,
                   QStringList &errLines)
{
    const link::Outcome outcome = transfer.outcome();
    result.outcome = outcome;
    result.ms = transfer.elapsedMs();
    result.backup = transfer.backupPath();
    result.radio = transfer.engine().radioAnswered()
                       ? backup::kindName(transfer.engine().radioKind())
                       : QString();
    const bool keepsReads = mode == link::ReadMode::Read &&
                            (op == link::OpCode::Codeplug || op == link::OpCode::Calibration);
    if (outcome == link::Outcome::Success) {
        transfer.runCompletion();
        outLines << outcomeText(outcome);
        if (!transfer.backupPath().isEmpty())
            outLines << QStringLiteral("Backup: ") + transfer.backupPath();
        else if (keepsReads)
            errLines << QStringLiteral("t880: warning: the read was not kept as a backup: ") +
                            describeFileResult(transfer.backupResult(), backupFolder(), 0);
        recordWarnings(transfer, errLines);
        result.exit = ExitOk;
        return;
    }
    errLines << outcomeText(outcome);
    if (outcome == link::Outcome::BackupFailed) {
        errLines << QStringLiteral("The backup could not be kept: ") +
                        describeFileResult(transfer.backupResult(), transfer.backupFolder(), 0)
                 << QStringLiteral("Make that folder writable (XDG_DATA_HOME moves it), or give "
                                   "--no-backup to write without keeping the radio's contents.");
        result.exit = link::outcomeExitCode(outcome, false);
        return;
    }
    text::TAppLang english;
    english.fSetLangType(text::Language::English);
    const auto programText = [&english](int n) {
        return english.text(text::TextTable::Program, n);
    };
    const bool passwordAtStake = transfer.engine().passwordBlockSent();
    if (passwordAtStake)
        errLines << programText(text::ProgramText::PasswordAtStake);
    // A write that did not end well may have left the radio half written;
    // the way back is the backup taken before it.
    if (mode == link::ReadMode::Write && !transfer.backupPath().isEmpty()) {
        errLines << link::backupNoteLines(transfer.backupPath(), passwordAtStake, english);
        if (passwordAtStake)
            errLines << QStringLiteral("  t880 restore %1 --port PORT --password PASSWORD "
                                       "(the new password, or else the old one)")
                            .arg(transfer.backupPath());
    }
    recordWarnings(transfer, errLines);
    const bool portFailed = !transfer.portFailure().path.isEmpty();
    if (portFailed)
        errLines << portAdvice(transfer.portFailure(), tried);
    result.exit = link::outcomeExitCode(outcome, portFailed);
}

QStringList diagnosisLines(const link::SerialTransfer &transfer, const QCommandLineParser &parser,
                           const TransferOptions &options)
{
    if (!optionGiven(parser, options.diagnose) ||
        transfer.outcome() != link::Outcome::CommunicationFalse)
        return {};
    // The doctor speaks the user's language, as `t880 doctor` does.
    const link::DoctorReport report = link::diagnoseTransfer(transfer);
    QStringList lines = report.lines(text::TAppLang());
    if (report.offerSearch)
        lines << QString()
              << QStringLiteral("'t880 doctor' without --port tries every serial port in turn.");
    return lines;
}

bool saveTrace(const link::SerialTransfer &transfer, const QCommandLineParser &parser,
               const TransferOptions &options, const ChosenPort &port, QStringList &lines)
{
    if (!optionGiven(parser, options.trace))
        return true;
    const QString path = expandPortPattern(parser.value(options.trace), port);
    const FileResult r = transfer.trace().save(path);
    if (!r.ok()) {
        lines << QStringLiteral("t880: the trace was not written: ") +
                     describeFileResult(r, path, 0);
        return false;
    }
    lines << QStringLiteral("Trace: ") + path;
    return true;
}

int worstExit(int a, int b)
{
    // Worst first; a code not listed counts as worse than success only.
    static const int order[] = {ExitVerifyFailed, ExitNoAnswer,    ExitInterrupted,
                                ExitBackupFailed, ExitWrongRadio,  ExitPassword,
                                ExitOldVersion,   ExitPortFailure, ExitFailure};
    auto rank = [](int code) {
        if (code == ExitOk)
            return 1000;
        int i = 0;
        for (int c : order) {
            if (c == code)
                return i;
            ++i;
        }
        return i;
    };
    return rank(a) <= rank(b) ? a : b;
}

int runTransfer(const QCommandLineParser &parser, const TransferOptions &options,
                ProgramState &state, link::OpCode op, link::ReadMode mode, Context &ctx,
                const TransferSetup &setup)
{
    const auto port = choosePort(parser.value(options.port));
    if (!port)
        return fail(ctx, QStringLiteral("bad --port"), ExitUsage); // checked by takeTransferOptions
    link::SerialTransfer transfer(state, op, mode, port->settings, port->map);
    configureTransfer(transfer, parser, options, setup, parser.value(options.port));
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
    {
        const InterruptWatch watch([&] { transfer.cancel(); });
        transfer.start();
        if (transfer.isRunning())
            loop.exec();
    }
    if (interactive && shown > 0)
        ctx.err << '\n';

    RadioResult result;
    QStringList outLines;
    QStringList errLines;
    judgeTransfer(transfer, op, mode, port->tried, result, outLines, errLines);
    errLines += diagnosisLines(transfer, parser, options);
    const std::vector<ChosenPort> ports = chosenPorts(parser, options);
    const bool traced =
        ports.empty() || saveTrace(transfer, parser, options, ports.front(), errLines);
    for (const QString &line : outLines)
        ctx.out << line << '\n';
    ctx.out.flush();
    for (const QString &line : errLines)
        ctx.err << line << '\n';
    ctx.err.flush();
    return !traced && result.exit == ExitOk ? int(ExitFailure) : result.exit;
}

} // namespace t880::cli
