// t880 import FILE.csv [--base FILE.Kzx] [--band N] -o OUT.Kzx: channels from
// a CSV channel list, through the grid's editing rules; the report of every
// row goes to stderr.
#include "cli/command.h"

#include "codeplug/channelcsv.h"
#include "codeplug/codeplugfile.h"
#include "ui/config/appconfig.h"

#include <QFileInfo>

namespace t880::cli {

int runImport(const QStringList &args, Context &ctx)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Reads a CSV channel list in the columns of the common multi-radio tool into a codeplug. "
        "Each row goes to its Location (1..16; in order without that column) as if typed into "
        "the channel grid: onto the raster, with a new channel's defaults. Rows outside the band, "
        "in a mode other than FM/NFM, beyond channel 16 or with values that do not read are "
        "refused; every row is reported on stderr. Exit 1 when a row was refused (the other rows "
        "are still written)."));
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The CSV file."));
    const QCommandLineOption output(QStringList{QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("The codeplug to write (.Kzx)."),
                                    QStringLiteral("OUT"));
    const QCommandLineOption base(
        QStringLiteral("base"),
        QStringLiteral("The codeplug the rows go into (default: a new codeplug)."),
        QStringLiteral("FILE.Kzx"));
    const QCommandLineOption band(
        QStringLiteral("band"),
        QStringLiteral("Band 1..6 of the window's default band table (default: the window's "
                       "default, 2)."),
        QStringLiteral("N"), QString::number(AppConfig::defaults().selectedBand + 1));
    parser.addOptions({output, base, band});
    if (int rc = parseVerb(parser, args, ctx, 1, 1); rc >= 0)
        return rc;

    const QString path = parser.positionalArguments().first();
    if (!parser.isSet(output))
        return fail(ctx, QStringLiteral("missing -o OUT.Kzx"), ExitUsage);
    const QString outPath = parser.value(output);
    if (!requireKind(outPath, FileKind::Codeplug, QStringLiteral("-o"), ctx))
        return ExitUsage;
    if (parser.isSet(base) &&
        !requireKind(parser.value(base), FileKind::Codeplug, QStringLiteral("--base"), ctx))
        return ExitUsage;
    bool ok = false;
    const int bandNumber = parser.value(band).toInt(&ok);
    if (!ok || bandNumber < 1 || bandNumber > AppConfig::Bands)
        return fail(ctx,
                    QStringLiteral("--band must be 1..%1, not '%2'")
                        .arg(AppConfig::Bands)
                        .arg(parser.value(band)),
                    ExitUsage);
    if (const FileResult target = checkWritableTarget(outPath); !target.ok())
        return fail(ctx, describeFileResult(target, outPath, 0));

    CodeplugState state;
    const BandLimits limits = AppConfig::defaultBands()[std::size_t(bandNumber - 1)];
    state.activeBandLow = limits.min;
    state.activeBandHigh = limits.max;
    if (parser.isSet(base)) {
        const FileResult r = codeplugfile::load(parser.value(base), state.codeplug);
        if (!r.ok())
            return fail(ctx, describeFileResult(r, parser.value(base), CodeplugData::Size));
    }
    QByteArray data;
    if (const FileResult r = readSmallFile(path, csv::MaxTableBytes, data); !r.ok()) {
        if (r.error == FileError::TooLarge)
            return fail(ctx, QStringLiteral("%1 is larger than %2 bytes; it is no channel list")
                                 .arg(path)
                                 .arg(csv::MaxTableBytes));
        return fail(ctx, describeFileResult(r, path, 0));
    }

    const channelcsv::Preview preview = channelcsv::previewCsv(state, data);
    if (!preview.readable())
        return fail(
            ctx, QStringLiteral("%1: %2").arg(path, channelcsv::describePreview(preview).value(0)));
    for (const QString &line : channelcsv::describePreview(preview))
        ctx.err << path << ": " << line << '\n';
    ctx.err.flush();
    channelcsv::applyPreview(state.codeplug, preview);
    if (const FileResult w = codeplugfile::save(outPath, state.codeplug); !w.ok())
        return fail(ctx, describeFileResult(w, outPath, 0));
    const int taken = int(preview.rows.size()) - preview.count(channelcsv::Outcome::Refused);
    ctx.out << "Wrote " << outPath << " (" << taken << " of " << preview.rows.size()
            << " rows taken)" << Qt::endl;
    return preview.count(channelcsv::Outcome::Refused) > 0 ? ExitFailure : ExitOk;
}

} // namespace t880::cli
