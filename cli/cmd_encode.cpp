// t880 encode: builds the bytes a write sends to the radio, from a codeplug
// (the 8192-byte memory image) or a calibration file (the 128-byte area).
#include "cli/command.h"
#include "cli/imageoptions.h"

#include "codeplug/codeplugfile.h"
#include "factory/calibrationfile.h"
#include "link/programstate.h"

#include <QFile>

namespace t880::cli {

namespace {

QByteArray toBytes(const std::uint8_t *p, int n)
{
    return QByteArray(reinterpret_cast<const char *>(p), n);
}

} // namespace

int runEncode(const QStringList &args, Context &ctx)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Writes the bytes that a write sends to the radio.\n"
        "FILE.Kzx gives the 8192-byte memory image of a codeplug write (current layout for S and "
        "Y radios, legacy layout for older ones), with the calibration tables taken from "
        "--calibration (the factory defaults without it).\n"
        "FILE.kzxa gives the 128-byte calibration area of a calibration write."));
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("A codeplug (.Kzx) or calibration file (.kzxa)."));
    const QCommandLineOption variant(QStringLiteral("variant"),
                                     QStringLiteral("The radio: S, Y or legacy."),
                                     QStringLiteral("KIND"));
    const QCommandLineOption calibration(QStringLiteral("calibration"),
                                         QStringLiteral("Calibration file for the channel data."),
                                         QStringLiteral("FILE.kzxa"));
    const QCommandLineOption date(QStringLiteral("date"),
                                  QStringLiteral("Programming date to store (default: now)."),
                                  QStringLiteral("YYYY-MM-DDTHH:MM"));
    const QCommandLineOption output(
        QStringList{QStringLiteral("o"), QStringLiteral("output")},
        QStringLiteral("The file to write; - writes the bytes to standard output."),
        QStringLiteral("OUT"));
    parser.addOptions({variant, calibration, date, output});
    if (int rc = parseVerb(parser, args, ctx, 1, 1); rc >= 0)
        return rc;

    const QString path = parser.positionalArguments().first();
    const FileKind kind = fileKind(path);
    if (kind == FileKind::Other)
        return fail(ctx, QStringLiteral("%1: the file must end in .Kzx or .kzxa").arg(path),
                    ExitUsage);
    if (!parser.isSet(output))
        return fail(ctx, QStringLiteral("missing -o OUT"), ExitUsage);
    const QString outPath = parser.value(output);
    const bool toStdout = outPath == QLatin1String("-");
    if (!toStdout) {
        const FileResult target = checkWritableTarget(outPath);
        if (target.error == FileError::NotRegular)
            return fail(ctx,
                        describeFileResult(target, outPath, 0) +
                            QStringLiteral("; give -o - to write to standard output"),
                        ExitUsage);
        if (!target.ok())
            return fail(ctx, describeFileResult(target, outPath, 0));
    }

    const bool isCodeplug = kind == FileKind::Codeplug;
    const auto radio = takeRadioKind(parser, variant, isCodeplug, isCodeplug, ctx);
    if (!radio)
        return ExitUsage;
    if (!isCodeplug && (parser.isSet(calibration) || parser.isSet(date)))
        return fail(ctx, QStringLiteral("--calibration and --date go with a codeplug file"),
                    ExitUsage);
    if (parser.isSet(calibration) && !requireKind(parser.value(calibration), FileKind::Calibration,
                                                  QStringLiteral("--calibration"), ctx))
        return ExitUsage;
    // An image or area is no codeplug or calibration file: writing one under
    // such a name would destroy a user's file on a slip of the keyboard.
    if (fileKind(outPath) != FileKind::Other)
        return fail(ctx,
                    QStringLiteral("-o names a codeplug or calibration file (%1); the output is a "
                                   "raw image, give it another name")
                        .arg(outPath),
                    ExitUsage);

    ProgramDate when = currentProgramDate();
    if (parser.isSet(date)) {
        const auto parsed = parseProgramDate(parser.value(date));
        if (!parsed)
            return fail(ctx,
                        QStringLiteral("--date must look like 2026-12-08T14:30, not '%1'")
                            .arg(parser.value(date)),
                        ExitUsage);
        when = *parsed;
    }

    ProgramState state;
    state.radioVariant = *radio == RadioKind::Y;
    const QString calPath = isCodeplug ? parser.value(calibration) : path;
    if (!calPath.isEmpty()) {
        const FileResult r = calibrationfile::load(calPath, state.calibration);
        if (!r.ok())
            return fail(ctx, describeFileResult(r, calPath, CalibrationData::Size));
    }
    GetAdjustmentData(state.calibration, state.radioVariant, state.calibrationBuffer,
                      state.calibrationTables);

    QByteArray out;
    if (isCodeplug) {
        const FileResult r = codeplugfile::load(path, state.codeplug);
        if (!r.ok())
            return fail(ctx, describeFileResult(r, path, CodeplugData::Size));
        if (*radio == RadioKind::Legacy)
            GetDataForWrite_old(state);
        else
            GetDataForWrite(state, when, systemRandomBytes());
        out = toBytes(state.image.raw.data(), RadioImage::Size);
    } else {
        out = toBytes(state.calibrationBuffer.data(), int(state.calibrationBuffer.size()));
    }
    if (toStdout) {
        // The bytes go out as they are; the report would spoil them.
        QFile stdoutFile;
        if (!stdoutFile.open(stdout, QIODevice::WriteOnly) || stdoutFile.write(out) != out.size() ||
            !stdoutFile.flush())
            return fail(ctx, QStringLiteral("cannot write to standard output"));
        return ExitOk;
    }
    const FileResult w = writeFileAtomically(outPath, out);
    if (!w.ok())
        return fail(ctx, describeFileResult(w, outPath, 0));
    ctx.out << "Wrote " << outPath << " (" << out.size() << " bytes)" << Qt::endl;
    return ExitOk;
}

} // namespace t880::cli
