// t880 show FILE [--json]: prints a codeplug file.
#include "cli/command.h"

#include "cli/showcalibration.h"
#include "cli/showcodeplug.h"
#include "codeplug/backupfile.h"
#include "codeplug/codeplugfile.h"
#include "factory/calibrationfile.h"

#include <QJsonDocument>

namespace t880::cli {

int runShow(const QStringList &args, Context &ctx)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Prints every field of a codeplug file (.Kzx) or codeplug backup: channels, settings, "
        "codes, address book, "
        "side keys and device fields; or of a calibration file (.kzxa), hidden and status fields "
        "included, or of a calibration backup."));
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The file to show."));
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Print one JSON object."));
    parser.addOption(json);
    if (int rc = parseVerb(parser, args, ctx, 1, 1); rc >= 0)
        return rc;

    const QString path = parser.positionalArguments().first();
    if (fileKind(path) == FileKind::Calibration) {
        CalibrationData cal;
        const FileResult r = calibrationfile::load(path, cal);
        if (!r.ok())
            return fail(ctx, describeFileResult(r, path, CalibrationData::Size));
        if (parser.isSet(json))
            ctx.out << QJsonDocument(calibrationJson(cal)).toJson(QJsonDocument::Indented);
        else
            ctx.out << calibrationText(cal);
        return ExitOk;
    }
    // A calibration backup shows as the calibration it holds.
    backup::Backup b;
    if (backup::load(path, b).ok() && b.content() == backup::Content::Calibration) {
        const std::optional<QByteArray> area = backup::calibrationArea(b);
        if (!area)
            return fail(ctx,
                        QStringLiteral("%1 does not hold the whole calibration area").arg(path));
        CalibrationData cal;
        cal.applyCalibrationDefaults();
        SetAdjustmentData(reinterpret_cast<const std::uint8_t *>(area->constData()),
                          b.kind == t880::RadioKind::Y, cal);
        if (parser.isSet(json))
            ctx.out << QJsonDocument(calibrationJson(cal)).toJson(QJsonDocument::Indented);
        else
            ctx.out << calibrationText(cal);
        return ExitOk;
    }
    // What a backup does not hold reads as after New, as in a read.
    CodeplugData data;
    data.applyNewDefaults();
    const FileResult result = loadCodeplugOrBackup(path, data);
    if (!result.ok())
        return fail(ctx, describeFileResult(result, path, CodeplugData::Size));
    if (parser.isSet(json))
        ctx.out << QJsonDocument(codeplugJson(data)).toJson(QJsonDocument::Indented);
    else
        ctx.out << codeplugText(data);
    return ExitOk;
}

} // namespace t880::cli
