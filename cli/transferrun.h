// Running one programming transfer from the command line.
#pragma once

#include "cli/command.h"
#include "codeplug/backupstore.h"
#include "link/programstate.h"
#include "link/transferengine.h"

#include <optional>

namespace t880::cli {

/// Exit codes of the transfer verbs, one per kind of failure.
enum TransferExit : int {
    ExitNoAnswer = 3,     ///< "Communication False": no or wrong answer
    ExitPassword = 4,     ///< "Password Error"
    ExitOldVersion = 5,   ///< "Device is old version"
    ExitPortFailure = 6,  ///< the port could not be opened
    ExitInterrupted = 7,  ///< stopped by the user
    ExitVerifyFailed = 8, ///< "Verify failed": the radio does not hold what was written
    ExitBackupFailed = 9, ///< the backup before a write could not be kept; nothing written
    ExitWrongRadio = 10,  ///< a restore into another kind of radio; nothing written
};

struct TransferOptions
{
    QCommandLineOption port{QStringLiteral("port"),
                            QStringLiteral("Serial port: a number 1..9 or a device path."),
                            QStringLiteral("PORT")};
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
};

/// Checks --port and, when given, --password (at most 12 bytes; stored as the
/// codeplug's current password). Returns -1 to go on, else the exit code.
int takeTransferOptions(const QCommandLineParser &parser, const TransferOptions &options,
                        ProgramState &state, Context &ctx, bool usesPassword = true);

/// Runs the transfer to its end, with progress on stderr. Prints the result
/// text and returns the exit code; on success the completion actions have run.
int runTransfer(const QCommandLineParser &parser, const TransferOptions &options,
                ProgramState &state, link::OpCode op, link::ReadMode mode, Context &ctx,
                const TransferSetup &setup = {});

/// Where the command line keeps backups, with the limits of the
/// configuration file when there is one.
QString backupFolder();
backup::Limits backupLimits();

/// Text bytes of a password as typed, or nothing when it is too long.
std::optional<QByteArray> passwordBytes(const QString &text);

} // namespace t880::cli
