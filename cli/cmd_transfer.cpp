// The verbs that talk to a radio: read, write, calibration, status and
// set-password. Each runs one programming transfer.
#include "cli/showcalibration.h"
#include "cli/transferrun.h"

#include "codeplug/codeplugcheck.h"
#include "codeplug/codeplugfile.h"
#include "factory/calibrationfile.h"

namespace t880::cli {

using link::OpCode;
using link::ReadMode;

namespace {

// A file that sets a new radio password, or holds values the radio does not
// know, is what a wrong file looks like (a memory image or random bytes
// under a .Kzx name): writing it would lock the user out or program
// nonsense. Said on stderr; written only with --force.
bool checkBeforeWrite(const QString &path, const CodeplugData &codeplug, bool force, Context &ctx)
{
    QStringList warnings;
    if (codeplug.setting(Setting::writeNewPassword) != 0)
        warnings << QStringLiteral("it sets a new radio password; the radio will ask for it "
                                   "from then on");
    const std::vector<RangeProblem> problems = rangeProblems(codeplug);
    if (!problems.empty()) {
        QStringList fields;
        for (const RangeProblem &p : problems)
            fields << QStringLiteral("%1 = %2").arg(p.field).arg(p.value);
        const int shown = 8;
        QString list = fields.mid(0, shown).join(QStringLiteral(", "));
        if (fields.size() > shown)
            list += QStringLiteral(" and %1 more").arg(fields.size() - shown);
        warnings << QStringLiteral("it holds values the radio does not know: %1").arg(list);
    }
    for (const QString &w : warnings)
        ctx.err << "t880: warning: " << path << ": " << w << Qt::endl;
    if (warnings.isEmpty() || force)
        return true;
    fail(ctx, QStringLiteral("not writing %1; give --force to write it all the same").arg(path));
    return false;
}

// The file of every port, checked before any radio is read.
int checkOutputs(const QString &pattern, const QCommandLineParser &parser,
                 const TransferOptions &options, Context &ctx)
{
    const std::vector<ChosenPort> ports = chosenPorts(parser, options);
    if (!checkPortPattern(pattern, ports, QStringLiteral("the output"), ctx))
        return ExitUsage;
    for (const ChosenPort &port : ports) {
        const QString path = expandPortPattern(pattern, port);
        if (const FileResult t = checkWritableTarget(path); !t.ok())
            return fail(ctx, describeFileResult(t, path, 0));
    }
    return -1;
}

int saveOutput(const QString &path, const FileResult &saved, RadioResult &result, Context &ctx)
{
    if (!saved.ok())
        return fail(ctx, describeFileResult(saved, path, 0));
    result.output = path;
    result.lines << QStringLiteral("Wrote ") + path;
    return ExitOk;
}

} // namespace

int runRead(const QStringList &args, Context &ctx)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Reads the codeplug from the radio into FILE.Kzx. The fields the radio does not keep "
        "(names, squelch modes, DTMF settings and the rest) come from --base, or are the New "
        "defaults. FILE is written only when the read succeeds. The bytes the radio sent are "
        "also kept as a backup (see 't880 backups').\n"
        "Several --port options read several radios at once; FILE then holds %p, which becomes "
        "each port's name (-o radio-%p.Kzx). The exit code is 0 when every radio was read, "
        "otherwise the worst radio's code."));
    TransferOptions options;
    const QCommandLineOption output(QStringList{QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("The codeplug file to write."),
                                    QStringLiteral("FILE.Kzx"));
    const QCommandLineOption base(QStringLiteral("base"),
                                  QStringLiteral("Codeplug whose other fields are kept."),
                                  QStringLiteral("FILE.Kzx"));
    parser.addOptions({options.ports, options.password, options.verify, output, base, options.trace,
                       options.diagnose, options.json});
    if (int rc = parseVerb(parser, args, ctx, 0, 0); rc >= 0)
        return rc;
    if (!parser.isSet(output))
        return fail(ctx, QStringLiteral("missing -o FILE.Kzx"), ExitUsage);
    const QString outPath = withDefaultSuffix(parser.value(output), codeplugfile::Suffix);
    if (!requireKind(outPath, FileKind::Codeplug, QStringLiteral("-o"), ctx) ||
        (parser.isSet(base) &&
         !requireKind(parser.value(base), FileKind::Codeplug, QStringLiteral("--base"), ctx)))
        return ExitUsage;

    ProgramState state;
    if (parser.isSet(base)) {
        const FileResult r = codeplugfile::load(parser.value(base), state.codeplug);
        if (!r.ok())
            return fail(ctx, describeFileResult(r, parser.value(base), CodeplugData::Size));
    }
    if (int rc = takeTransferOptions(parser, options, state, ctx, true, true); rc >= 0)
        return rc;
    // Found out now, not after the whole radio has been read.
    if (int rc = checkOutputs(outPath, parser, options, ctx); rc >= 0)
        return rc;
    return runTransfers(parser, options, state, OpCode::Codeplug, ReadMode::Read, ctx,
                        [&](ProgramState &radio, RadioResult &result) {
                            const QString path = expandPortPattern(outPath, result.port);
                            return saveOutput(path, codeplugfile::save(path, radio.codeplug),
                                              result, ctx);
                        });
}

int runWrite(const QStringList &args, Context &ctx)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Writes FILE.Kzx into the radio. The password defaults to the one kept in the file.\n"
        "In the same session the radio's codeplug area is first read and kept as a backup (see "
        "'t880 backups'), and after the write every block is read back and compared. Exit codes: "
        "0 success, 3 no or wrong answer, 4 password error, 5 older radio, 6 port, 7 "
        "interrupted, 8 verify failed (the radio holds something else than was written; the "
        "backup is named), 9 the backup could not be kept (nothing was written).\n"
        "Several --port options write the file into several radios at once, each with its own "
        "backup and read-back; a table (or --json) tells each radio's result, and the exit code "
        "is 0 only when every radio succeeded, otherwise the worst radio's code (8, 3, 7, 9, 10, "
        "4, 5, 6, 1 from worst to least)."));
    TransferOptions options;
    parser.addPositionalArgument(QStringLiteral("FILE.Kzx"),
                                 QStringLiteral("The codeplug to write."));
    const QCommandLineOption force(
        QStringLiteral("force"),
        QStringLiteral("Write a file that sets a new radio password or holds values the radio "
                       "does not know."));
    parser.addOptions({options.ports, options.password, force, options.noBackup, options.noVerify,
                       options.trace, options.diagnose, options.json});
    if (int rc = parseVerb(parser, args, ctx, 1, 1); rc >= 0)
        return rc;
    const QString path = parser.positionalArguments().first();
    if (!requireKind(path, FileKind::Codeplug, QStringLiteral("FILE"), ctx))
        return ExitUsage;
    ProgramState state;
    const FileResult r = codeplugfile::load(path, state.codeplug);
    if (!r.ok())
        return fail(ctx, describeFileResult(r, path, CodeplugData::Size));
    if (int rc = takeTransferOptions(parser, options, state, ctx, true, true); rc >= 0)
        return rc;
    if (!checkBeforeWrite(path, state.codeplug, parser.isSet(force), ctx))
        return ExitFailure;
    TransferSetup setup;
    setup.file = path;
    return runTransfers(parser, options, state, OpCode::Codeplug, ReadMode::Write, ctx, {}, setup);
}

int runCalibration(const QStringList &args, Context &ctx)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Reads the radio's calibration into FILE.kzxa (written only on success), or writes "
        "FILE.kzxa into the radio. Every read is kept as a backup; a write first reads and keeps "
        "the calibration area and afterwards reads back what it wrote (exit code 8 when the "
        "radio holds something else, 9 when the backup could not be kept).\n"
        "A read takes several --port options and then a FILE that holds %p (the port's name); "
        "a write goes to one radio, whose calibration it is."));
    TransferOptions options;
    parser.addPositionalArgument(QStringLiteral("read|write"), QStringLiteral("The direction."));
    parser.addPositionalArgument(QStringLiteral("FILE.kzxa"),
                                 QStringLiteral("The calibration file."));
    parser.addOptions({options.ports, options.password, options.verify, options.noBackup,
                       options.noVerify, options.trace, options.diagnose, options.json});
    if (int rc = parseVerb(parser, args, ctx, 2, 2); rc >= 0)
        return rc;
    const QString direction = parser.positionalArguments().at(0);
    if (direction != QLatin1String("read") && direction != QLatin1String("write"))
        return fail(ctx, QStringLiteral("say read or write, not '%1'").arg(direction), ExitUsage);
    const bool read = direction == QLatin1String("read");
    QString path = parser.positionalArguments().at(1);
    ProgramState state;
    if (read)
        path = withDefaultSuffix(path, calibrationfile::Suffix);
    if (!requireKind(path, FileKind::Calibration, QStringLiteral("FILE"), ctx))
        return ExitUsage;
    if (!read) {
        const FileResult r = calibrationfile::load(path, state.calibration);
        if (!r.ok())
            return fail(ctx, describeFileResult(r, path, CalibrationData::Size));
    }
    if (!read && parser.values(options.ports).size() > 1)
        return fail(ctx,
                    QStringLiteral("a calibration belongs to one radio: give one --port to "
                                   "write it"),
                    ExitUsage);
    if (int rc = takeTransferOptions(parser, options, state, ctx, true, read); rc >= 0)
        return rc;
    if (!read) {
        TransferSetup setup;
        setup.file = path;
        return runTransfers(parser, options, state, OpCode::Calibration, ReadMode::Write, ctx, {},
                            setup);
    }
    if (int rc = checkOutputs(path, parser, options, ctx); rc >= 0)
        return rc;
    return runTransfers(parser, options, state, OpCode::Calibration, ReadMode::Read, ctx,
                        [&](ProgramState &radio, RadioResult &result) {
                            const QString file = expandPortPattern(path, result.port);
                            return saveOutput(file, calibrationfile::save(file, radio.calibration),
                                              result, ctx);
                        });
}

int runStatus(const QStringList &args, Context &ctx)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Reads the transceiver's status: battery, signal and noise levels. "
                       "Several --port options read several radios at once."));
    TransferOptions options;
    parser.addOptions({options.ports, options.trace, options.diagnose, options.json});
    if (int rc = parseVerb(parser, args, ctx, 0, 0); rc >= 0)
        return rc;
    ProgramState state;
    if (int rc = takeTransferOptions(parser, options, state, ctx, false, true); rc >= 0)
        return rc;
    return runTransfers(parser, options, state, OpCode::Status, ReadMode::Read, ctx,
                        [](ProgramState &radio, RadioResult &result) {
                            QJsonObject status;
                            for (const CalibrationField &f : calibrationFields()) {
                                if (!f.name.startsWith(u's') || f.hidden)
                                    continue;
                                const int value = radio.calibration.value(f);
                                result.lines
                                    << QStringLiteral("%1 %2").arg(f.name + u':', -13).arg(value);
                                status.insert(f.name, value);
                            }
                            result.extra.insert(QStringLiteral("status"), status);
                            return int(ExitOk);
                        });
}

int runSetPassword(const QStringList &args, Context &ctx)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Writes a new programming password into the radio. --password gives the radio's current "
        "one; an empty NEW removes the password."));
    TransferOptions options;
    parser.addPositionalArgument(QStringLiteral("NEW"),
                                 QStringLiteral("The new password (up to 12 characters)."));
    parser.addOptions(
        {options.ports, options.password, options.trace, options.diagnose, options.json});
    if (int rc = parseVerb(parser, args, ctx, 1, 1); rc >= 0)
        return rc;
    const auto newPassword = passwordBytes(parser.positionalArguments().first());
    if (!newPassword)
        return fail(
            ctx,
            QStringLiteral(
                "a password holds at most 12 bytes: 12 letters or digits, or 6 Chinese characters"),
            ExitUsage);
    ProgramState state;
    if (int rc = takeTransferOptions(parser, options, state, ctx, true, true); rc >= 0)
        return rc;
    state.codeplug.setText(TextField::newRadioPassword, *newPassword);
    return runTransfers(parser, options, state, OpCode::Password, ReadMode::Write, ctx, {});
}

} // namespace t880::cli
