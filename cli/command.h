// Shared plumbing of the t880 verbs: one function per verb, each parsing its
// own options with QCommandLineParser.
#pragma once

#include "text/applang.h"

#include <QCommandLineParser>
#include <QStringList>
#include <QTextStream>

#include <optional>

namespace t880::cli {

/// Exit codes; the transfer verbs add one code per kind of radio failure.
enum Exit : int {
    ExitOk = 0,
    ExitFailure = 1, ///< a file could not be read or written, or was refused
    ExitUsage = 2,   ///< the command line itself was wrong
};

struct Context
{
    QTextStream &out;
    QTextStream &err;
};

struct Command
{
    const char *name;
    const char *summary;
    int (*run)(const QStringList &args, Context &ctx);
};

/// Parses \a args (the verb first) with \a parser. Returns -1 when the verb
/// should go on, otherwise the exit code: 0 after printing --help, ExitUsage
/// after reporting a parse error or a wrong number of positional arguments.
int parseVerb(QCommandLineParser &parser, const QStringList &args, Context &ctx, int minPositional,
              int maxPositional);

/// The language a --lang value names: en, chs or cht.
std::optional<text::Language> languageNamed(const QString &name);

/// Prints "t880: <message>" on stderr and returns \a code.
int fail(Context &ctx, const QString &message, int code = ExitFailure);

/// The kind of file a path names, by its extension.
enum class FileKind { Codeplug, Calibration, Other };
FileKind fileKind(const QString &path);
/// Checks that \a path names a file of \a kind; otherwise reports it (naming
/// \a what, such as "-o") and returns false.
bool requireKind(const QString &path, FileKind kind, const QString &what, Context &ctx);

int runNew(const QStringList &args, Context &ctx);
int runShow(const QStringList &args, Context &ctx);
int runTexts(const QStringList &args, Context &ctx);
int runEncode(const QStringList &args, Context &ctx);
int runDecode(const QStringList &args, Context &ctx);
int runRead(const QStringList &args, Context &ctx);
int runWrite(const QStringList &args, Context &ctx);
int runCalibration(const QStringList &args, Context &ctx);
int runStatus(const QStringList &args, Context &ctx);
int runSetPassword(const QStringList &args, Context &ctx);
int runEmulate(const QStringList &args, Context &ctx);
int runDiff(const QStringList &args, Context &ctx);
int runBackups(const QStringList &args, Context &ctx);
int runRestore(const QStringList &args, Context &ctx);
int runLog(const QStringList &args, Context &ctx);
int runPlans(const QStringList &args, Context &ctx);
int runExport(const QStringList &args, Context &ctx);
int runImport(const QStringList &args, Context &ctx);
int runDoctor(const QStringList &args, Context &ctx);

/// Whether \a args (the verb first) ask for a PDF, which needs the GUI
/// module's fonts and painting; main() then starts a QGuiApplication
/// (offscreen unless a platform was chosen).
bool exportNeedsGui(const QStringList &args);

} // namespace t880::cli
