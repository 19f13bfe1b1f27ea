// t880 import FILE.csv [--base FILE.Kzx] [--band N] -o OUT.Kzx: channels from
// a CSV channel list, through the grid's editing rules; the report of every
// row goes to stderr. t880 import FILE.yaml [--base FILE.Kzx] [--lenient]
// -o OUT.Kzx: a whole codeplug from its text form, all or nothing.
#include "cli/command.h"

#include "codeplug/channelcsv.h"
#include "codeplug/codeplugfile.h"
#include "codeplug/codeplugyaml.h"
#include "text/applang.h"
#include "ui/config/appconfig.h"

#include <QFileInfo>

namespace t880::cli {

namespace {

int importYaml(const QString &path, const QByteArray &data, const QString &outPath,
               const CodeplugData &start, bool lenient, Context &ctx)
{
    codeplugyaml::ImportOptions options;
    options.lenient = lenient;
    const codeplugyaml::ImportResult result = codeplugyaml::importYaml(data, start, options);
    text::TAppLang english;
    english.fSetLangType(text::Language::English);
    for (const codeplugyaml::ImportError &e : result.skippedKeys)
        ctx.err << path << ": " << codeplugyaml::describeError(e, english) << " (skipped)\n";
    for (const codeplugyaml::ImportError &e : result.errors)
        ctx.err << path << ": " << codeplugyaml::describeError(e, english) << '\n';
    ctx.err.flush();
    if (!result.ok())
        return fail(ctx, QStringLiteral("%1: %2 %3; nothing written")
                             .arg(path)
                             .arg(result.errors.size())
                             .arg(result.errors.size() == 1 ? QStringLiteral("error")
                                                            : QStringLiteral("errors")));
    if (const FileResult w = codeplugfile::save(outPath, result.codeplug); !w.ok())
        return fail(ctx, describeFileResult(w, outPath, 0));
    ctx.out << "Wrote " << outPath << Qt::endl;
    return ExitOk;
}

} // namespace

int runImport(const QStringList &args, Context &ctx)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Reads a CSV channel list in the columns of the common multi-radio tool into a codeplug. "
        "Each row goes to its Location (1..16; in order without that column) as if typed into "
        "the channel grid: onto the raster, with a new channel's defaults. Rows outside the band, "
        "in a mode other than FM/NFM, beyond channel 16 or with values that do not read are "
        "refused; every row is reported on stderr. Exit 1 when a row was refused (the other rows "
        "are still written).\n\nA .yaml or .yml file written by 't880 export' is read as a whole "
        "codeplug: each value is checked, every error is named with its line and key, and "
        "nothing is written unless the whole file reads. Keys the file leaves out keep the "
        "base's values."));
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("The CSV file, or the codeplug as YAML."));
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
    const QCommandLineOption lenient(
        QStringLiteral("lenient"),
        QStringLiteral("YAML only: skip keys this version does not know instead of refusing "
                       "the file (each is still named on stderr)."));
    parser.addOptions({output, base, band, lenient});
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

    const bool yaml = codeplugyaml::isYamlPath(path);
    if (parser.isSet(lenient) && !yaml)
        return fail(ctx, QStringLiteral("--lenient goes with a .yaml file"), ExitUsage);
    if (yaml && parser.isSet(band))
        return fail(ctx, QStringLiteral("--band goes with a CSV file"), ExitUsage);

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
    const qint64 limit = yaml ? codeplugyaml::MaxFileBytes : csv::MaxTableBytes;
    if (const FileResult r = readSmallFile(path, limit, data); !r.ok()) {
        if (r.error == FileError::TooLarge)
            return fail(
                ctx, QStringLiteral("%1 is larger than %2 bytes; it is no %3")
                         .arg(path)
                         .arg(limit)
                         .arg(yaml ? QStringLiteral("codeplug") : QStringLiteral("channel list")));
        return fail(ctx, describeFileResult(r, path, 0));
    }
    if (yaml)
        return importYaml(path, data, outPath, state.codeplug, parser.isSet(lenient), ctx);

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
