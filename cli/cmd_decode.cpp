// t880 decode: takes back what a read brings from the radio, a memory image
// into a codeplug or a calibration area into a calibration file.
#include "cli/command.h"
#include "cli/imageoptions.h"

#include "codeplug/codeplugfile.h"
#include "factory/calibrationfile.h"
#include "link/programstate.h"

#include <algorithm>

namespace t880::cli {

int runDecode(const QStringList &args, Context &ctx)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Converts what a read brings from the radio into a file, as a completed read does.\n"
        "An 8192-byte memory image becomes a codeplug (.Kzx), built on the New defaults or on "
        "--base, whose fields that the image does not carry are kept.\n"
        "With --kind calibration, a 128-byte calibration area becomes a calibration file "
        "(.kzxa), built on the factory defaults or on --base."));
    parser.addPositionalArgument(QStringLiteral("INPUT"),
                                 QStringLiteral("The memory image or calibration area."));
    const QCommandLineOption variant(QStringLiteral("variant"),
                                     QStringLiteral("The radio: S, Y or legacy."),
                                     QStringLiteral("KIND"));
    const QCommandLineOption kindOption(QStringLiteral("kind"),
                                        QStringLiteral("image (default) or calibration."),
                                        QStringLiteral("KIND"), QStringLiteral("image"));
    const QCommandLineOption base(QStringLiteral("base"),
                                  QStringLiteral("The file whose other fields are kept."),
                                  QStringLiteral("FILE"));
    const QCommandLineOption output(QStringList{QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("The file to write."), QStringLiteral("OUT"));
    parser.addOptions({variant, kindOption, base, output});
    if (int rc = parseVerb(parser, args, ctx, 1, 1); rc >= 0)
        return rc;

    const QString kind = parser.value(kindOption);
    if (kind != QLatin1String("image") && kind != QLatin1String("calibration"))
        return fail(ctx, QStringLiteral("--kind must be image or calibration, not '%1'").arg(kind),
                    ExitUsage);
    const bool isImage = kind == QLatin1String("image");
    if (!parser.isSet(output))
        return fail(ctx, QStringLiteral("missing -o OUT"), ExitUsage);
    const auto radio = takeRadioKind(parser, variant, isImage, isImage, ctx);
    if (!radio)
        return ExitUsage;

    const QString input = parser.positionalArguments().first();
    const QString outPath = withDefaultSuffix(
        parser.value(output), isImage ? codeplugfile::Suffix : calibrationfile::Suffix);
    // The kind of a file follows its extension, so a codeplug never lands in
    // a file that every tool would take for a calibration, or the reverse.
    const FileKind wanted = isImage ? FileKind::Codeplug : FileKind::Calibration;
    if (!requireKind(outPath, wanted, QStringLiteral("-o"), ctx) ||
        (parser.isSet(base) &&
         !requireKind(parser.value(base), wanted, QStringLiteral("--base"), ctx)))
        return ExitUsage;
    ProgramState state;
    state.radioVariant = *radio == RadioKind::Y;

    if (isImage) {
        QByteArray bytes;
        const FileResult r = readFixedFile(input, RadioImage::Size, bytes);
        if (!r.ok())
            return fail(ctx, describeFileResult(r, input, RadioImage::Size));
        std::copy_n(reinterpret_cast<const std::uint8_t *>(bytes.constData()), RadioImage::Size,
                    state.image.raw.begin());
        if (parser.isSet(base)) {
            const FileResult b = codeplugfile::load(parser.value(base), state.codeplug);
            if (!b.ok())
                return fail(ctx, describeFileResult(b, parser.value(base), CodeplugData::Size));
        }
        if (*radio == RadioKind::Legacy)
            SetDataToSoftware_old(state);
        else
            SetDataToSoftware(state);
        const FileResult w = codeplugfile::save(outPath, state.codeplug);
        if (!w.ok())
            return fail(ctx, describeFileResult(w, outPath, 0));
    } else {
        QByteArray bytes;
        const int size = int(CalibrationBlock().size());
        const FileResult r = readFixedFile(input, size, bytes);
        if (!r.ok())
            return fail(ctx, describeFileResult(r, input, size));
        if (parser.isSet(base)) {
            const FileResult b = calibrationfile::load(parser.value(base), state.calibration);
            if (!b.ok())
                return fail(ctx, describeFileResult(b, parser.value(base), CalibrationData::Size));
        }
        SetAdjustmentData(reinterpret_cast<const std::uint8_t *>(bytes.constData()),
                          state.radioVariant, state.calibration);
        const FileResult w = calibrationfile::save(outPath, state.calibration);
        if (!w.ok())
            return fail(ctx, describeFileResult(w, outPath, 0));
    }
    ctx.out << "Wrote " << outPath << Qt::endl;
    return ExitOk;
}

} // namespace t880::cli
