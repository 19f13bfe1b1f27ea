// t880 new FILE: writes a file with the defaults of File/New.
#include "cli/command.h"

#include "codeplug/codeplugfile.h"
#include "factory/calibrationfile.h"
#include "link/programstate.h"

#include <QFileInfo>

namespace t880::cli {

int runNew(const QStringList &args, Context &ctx)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Writes a new codeplug with the defaults of File/New, or, for a FILE "
                       "ending in .kzxa, a calibration file with the factory defaults. A FILE "
                       "without extension gets .Kzx."));
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The file to write."));
    const QCommandLineOption force(QStringLiteral("force"),
                                   QStringLiteral("Replace FILE if it exists."));
    parser.addOption(force);
    if (int rc = parseVerb(parser, args, ctx, 1, 1); rc >= 0)
        return rc;

    QString path = parser.positionalArguments().first();
    path = withDefaultSuffix(path, codeplugfile::Suffix);
    // --force replaces a file, never a folder or a device: say so at once.
    const FileResult target = checkWritableTarget(path);
    if (target.error == FileError::IsFolder || target.error == FileError::NotRegular)
        return fail(ctx, describeFileResult(target, path, 0));
    if (QFileInfo::exists(path) && !parser.isSet(force))
        return fail(ctx, QStringLiteral("%1 exists; use --force to replace it").arg(path));

    const ProgramState state;
    const FileResult result = fileKind(path) == FileKind::Calibration
                                  ? calibrationfile::save(path, state.calibration)
                                  : codeplugfile::save(path, state.codeplug);
    if (!result.ok())
        return fail(ctx, describeFileResult(result, path, 0));
    ctx.out << "Wrote " << path << Qt::endl;
    return ExitOk;
}

} // namespace t880::cli
