// Running one programming transfer from the command line.
#pragma once

#include "cli/command.h"
#include "codeplug/backupstore.h"
#include "codeplug/writejournal.h"
#include "link/outcometext.h"
#include "link/programstate.h"
#include "link/serial/portmap.h"
#include "link/transferengine.h"
#include "ui/config/appconfig.h"

#include <QJsonObject>
#include <QTimer>

#include <functional>
#include <optional>

namespace t880::link {
class SerialTransfer;
}

namespace t880::cli {

using link::ExitBackupFailed;
using link::ExitInterrupted;
using link::ExitNoAnswer;
using link::ExitOldVersion;
using link::ExitPassword;
using link::ExitPortFailure;
using link::ExitVerifyFailed;
using link::ExitWrongRadio;

struct TransferOptions
{
    QCommandLineOption port{
        QStringLiteral("port"),
        QStringLiteral("Serial port: a number 1..9 (a port bound in the window's "
                       "configuration, or the serial devices in order) or a device path."),
        QStringLiteral("PORT")};
    /// The same, for verbs that program several radios at once.
    QCommandLineOption ports{
        QStringLiteral("port"),
        QStringLiteral("Serial port: a number 1..9 (a port bound in the window's configuration, or "
                       "the serial devices in order) or a device path. Give it several times to "
                       "work on several radios at once."),
        QStringLiteral("PORT")};
    QCommandLineOption trace{
        QStringLiteral("trace"),
        QStringLiteral("Write every byte each way, with a millisecond time stamp, to FILE (for "
                       "bug reports; the password is masked). With several ports FILE holds %p, "
                       "the port's name."),
        QStringLiteral("FILE")};
    QCommandLineOption diagnose{
        QStringLiteral("diagnose"),
        QStringLiteral("When the radio does not answer (Communication False), say why as 't880 "
                       "doctor' does: the port, its rights, programs that hold it, the line.")};
    QCommandLineOption json{QStringLiteral("json"),
                            QStringLiteral("Print the result of every radio as one JSON object.")};
    QCommandLineOption password{QStringLiteral("password"),
                                QStringLiteral("The radio's programming password."),
                                QStringLiteral("TEXT")};
    QCommandLineOption verify{QStringLiteral("verify"),
                              QStringLiteral("Read every block until two readings agree (at most "
                                             "three readings), for doubtful cables.")};
    QCommandLineOption noBackup{
        QStringLiteral("no-backup"),
        QStringLiteral("Do not read and keep the radio's contents before writing.")};
    QCommandLineOption noVerify{
        QStringLiteral("no-verify"),
        QStringLiteral("Do not read back and compare what was written (exit code 8 reports a "
                       "difference).")};
};

/// What a verb asks of a transfer beyond its operation.
struct TransferSetup
{
    std::optional<link::RestorePlan> restore;
    backup::Operation readOperation = backup::Operation::Read;
    backup::Operation writeOperation = backup::Operation::Write;
    /// The file a write puts into the radio, for the production record.
    QString file;
};

/// Checks --port and, when given, --password (at most 12 bytes; stored as the
/// codeplug's current password) and --trace. Returns -1 to go on, else the
/// exit code. Only \a several allows more than one --port.
int takeTransferOptions(const QCommandLineParser &parser, const TransferOptions &options,
                        ProgramState &state, Context &ctx, bool usesPassword = true,
                        bool several = false);

/// One --port as given, with what it names.
struct ChosenPort
{
    QString given;  ///< as on the command line
    QString device; ///< the device path; empty for a number without a device
    QString name;   ///< what %p stands for: the device's file name
};
/// The ports of the command line, in their order.
std::vector<ChosenPort> chosenPorts(const QCommandLineParser &parser,
                                    const TransferOptions &options);
/// \a pattern with every %p replaced by \a port's name.
QString expandPortPattern(const QString &pattern, const ChosenPort &port);
/// Checks a per-port file pattern: with several ports it must hold %p and
/// give a file of its own for each. Reports and returns false otherwise.
bool checkPortPattern(const QString &pattern, const std::vector<ChosenPort> &ports,
                      const QString &what, Context &ctx);

/// What became of one radio.
struct RadioResult
{
    ChosenPort port;
    link::Outcome outcome = link::Outcome::Running;
    int exit = 0;
    QString radio; ///< "S", "Y", "legacy"; empty when the radio never answered
    qint64 ms = 0;
    QString backup;
    QString output;    ///< the file written for it, if any
    QStringList lines; ///< what the verb says of a success (stdout)
    QJsonObject extra; ///< the same for --json
};

/// What a verb does with a radio's state after a successful transfer (save
/// the read, show the status). Returns ExitOk, or the code of what failed.
using AfterSuccess = std::function<int(ProgramState &state, RadioResult &result)>;

/// What a finished transfer says: the exit code, the result text and the
/// lines for stdout (a success, its backup) and stderr (the failure and what
/// to do about it). Filled into \a result; runs the completion actions of a
/// success.
void judgeTransfer(link::SerialTransfer &transfer, link::OpCode op, link::ReadMode mode,
                   const QStringList &tried, RadioResult &result, QStringList &outLines,
                   QStringList &errLines);
/// Sets the transfer up as the command line asks (--verify, --no-backup,
/// --no-verify, the backup folder) and as the verb needs (\a setup), on the
/// port the user named \a port.
void configureTransfer(link::SerialTransfer &transfer, const QCommandLineParser &parser,
                       const TransferOptions &options, const TransferSetup &setup,
                       const QString &port);
/// Says on stderr which writes to these ports did not finish, and how to
/// put their radios back; notes naming \a restoring (the backup a restore
/// is about to write) are left out.
void warnUnfinished(const std::vector<ChosenPort> &ports, Context &ctx,
                    const QString &restoring = QString());
/// What the user reads of a write that did not finish (English).
QString unfinishedWriteText(const journal::Entry &entry);
/// With --diagnose, after a Communication False: the connection doctor's
/// findings about the transfer, in the user's language.
QStringList diagnosisLines(const link::SerialTransfer &transfer, const QCommandLineParser &parser,
                           const TransferOptions &options);
/// Writes the transfer's trace when --trace was given, and adds a line to
/// \a lines that says where, or why not; false when it could not be written.
bool saveTrace(const link::SerialTransfer &transfer, const QCommandLineParser &parser,
               const TransferOptions &options, const ChosenPort &port, QStringList &lines);
/// The text of an outcome as the command line says it (English).
QString outcomeText(link::Outcome outcome);

/// Runs the transfer on every --port at once. With one port and no --json
/// it says exactly what runTransfer() says, followed by the verb's lines;
/// otherwise each radio's progress and end on stderr and a table (or the
/// JSON object) on stdout. Returns 0 when every radio succeeded, otherwise
/// the worst radio's code (see worstExit()).
int runTransfers(const QCommandLineParser &parser, const TransferOptions &options,
                 ProgramState &state, link::OpCode op, link::ReadMode mode, Context &ctx,
                 const AfterSuccess &afterSuccess, const TransferSetup &setup = {});

/// The worse of two exit codes: a radio that may hold something else than
/// intended (8 verify failed, 3 no answer, 7 interrupted) before failures
/// that wrote nothing (9, 10, 4, 5, 6), before a file not written (1).
int worstExit(int a, int b);

/// Runs the transfer to its end, with progress on stderr. Prints the result
/// text and returns the exit code; on success the completion actions have run.
int runTransfer(const QCommandLineParser &parser, const TransferOptions &options,
                ProgramState &state, link::OpCode op, link::ReadMode mode, Context &ctx,
                const TransferSetup &setup = {});

/// While it lives, Ctrl+C and SIGTERM call \a stop (once) instead of ending
/// the process; the handlers before it come back when it goes.
class InterruptWatch
{
public:
    explicit InterruptWatch(std::function<void()> stop);
    ~InterruptWatch();
    InterruptWatch(const InterruptWatch &) = delete;
    InterruptWatch &operator=(const InterruptWatch &) = delete;

private:
    QTimer m_timer;
    void (*m_previousInt)(int);
    void (*m_previousTerm)(int);
};

/// The window's configuration file, found as the window finds it; the
/// defaults when there is none (the command line never makes one).
AppConfig commandLineConfig();
/// Where the command line keeps backups.
QString backupFolder();
/// Port numbers 1..9: the serial devices present, and the configuration's
/// [ports] bindings over them, as in the window.
link::PortMap numberedPorts();

/// Text bytes of a password as typed, or nothing when it is too long.
std::optional<QByteArray> passwordBytes(const QString &text);

} // namespace t880::cli
