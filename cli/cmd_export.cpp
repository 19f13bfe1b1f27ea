// t880 export FILE.Kzx -o OUT.csv|OUT.pdf|OUT.yaml: the channel list for
// spreadsheets and other tools, the printed channel sheet, or the whole
// codeplug as text.
#include "cli/command.h"

#include "codeplug/channelcsv.h"
#include "codeplug/codeplugfile.h"
#include "codeplug/codeplugyaml.h"
#include "print/channelsheet.h"

#include <QFileInfo>
#include <QGuiApplication>

namespace t880::cli {

namespace {

bool isPdf(const QString &path)
{
    return QFileInfo(path).suffix().compare(QLatin1String("pdf"), Qt::CaseInsensitive) == 0;
}

bool isCsv(const QString &path)
{
    return QFileInfo(path).suffix().compare(QLatin1String("csv"), Qt::CaseInsensitive) == 0;
}

} // namespace

bool exportNeedsGui(const QStringList &args)
{
    if (args.value(0) != QLatin1String("export"))
        return false;
    for (int i = 1; i < args.size(); ++i) {
        const QString &a = args[i];
        if ((a == QLatin1String("-o") || a == QLatin1String("--output")) &&
            isPdf(args.value(i + 1)))
            return true;
        if ((a.startsWith(QLatin1String("-o=")) || a.startsWith(QLatin1String("--output="))) &&
            isPdf(a.mid(a.indexOf(u'=') + 1)))
            return true;
    }
    return false;
}

int runExport(const QStringList &args, Context &ctx)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Writes the channels of a codeplug (.Kzx) as a CSV channel list in the columns of the "
        "common multi-radio tool (OUT.csv), or as a one-page channel sheet with the main "
        "settings (OUT.pdf), or the whole codeplug as text for version control and scripts "
        "(OUT.yaml or OUT.yml; 't880 import' reads it back byte for byte)."));
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The codeplug (.Kzx)."));
    const QCommandLineOption output(QStringList{QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("The file to write: .csv, .pdf or .yaml."),
                                    QStringLiteral("OUT"));
    const QCommandLineOption lang(
        QStringLiteral("lang"),
        QStringLiteral("Language of the PDF: en, chs or cht. Default: the one the system "
                       "language selects."),
        QStringLiteral("LANG"));
    parser.addOptions({output, lang});
    if (int rc = parseVerb(parser, args, ctx, 1, 1); rc >= 0)
        return rc;

    const QString path = parser.positionalArguments().first();
    if (!requireKind(path, FileKind::Codeplug, QStringLiteral("FILE"), ctx))
        return ExitUsage;
    if (!parser.isSet(output))
        return fail(ctx, QStringLiteral("missing -o OUT.csv, -o OUT.pdf or -o OUT.yaml"),
                    ExitUsage);
    const QString outPath = parser.value(output);
    const bool pdf = isPdf(outPath);
    const bool yaml = codeplugyaml::isYamlPath(outPath);
    if (!pdf && !yaml && !isCsv(outPath))
        return fail(ctx,
                    QStringLiteral("-o must name a .csv, .pdf or .yaml file, not %1").arg(outPath),
                    ExitUsage);
    text::TAppLang appLang;
    if (parser.isSet(lang)) {
        if (!pdf)
            return fail(ctx, QStringLiteral("--lang goes with a PDF"), ExitUsage);
        const std::optional<text::Language> found = languageNamed(parser.value(lang));
        if (!found)
            return fail(
                ctx,
                QStringLiteral("unknown language '%1' (en, chs or cht)").arg(parser.value(lang)),
                ExitUsage);
        appLang.fSetLangType(*found);
    }
    if (const FileResult target = checkWritableTarget(outPath); !target.ok())
        return fail(ctx, describeFileResult(target, outPath, 0));

    // main() starts the GUI module for a PDF; without it there are no fonts.
    if (pdf && !qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return fail(ctx, QStringLiteral("cannot draw a PDF here: no GUI module was started"));

    CodeplugData data;
    if (const FileResult r = codeplugfile::load(path, data); !r.ok())
        return fail(ctx, describeFileResult(r, path, CodeplugData::Size));

    const FileResult w = pdf    ? print::writeChannelSheetPdf(outPath, data, appLang)
                         : yaml ? writeFileAtomically(outPath, codeplugyaml::exportYaml(data))
                                : writeFileAtomically(outPath, channelcsv::exportCsv(data));
    if (!w.ok())
        return fail(ctx, describeFileResult(w, outPath, 0));
    int used = 0;
    for (int n = 1; n <= CodeplugData::Channels; ++n)
        used += data.isChannelUsed(n) ? 1 : 0;
    ctx.out << "Wrote " << outPath << " (" << used << " channels)" << Qt::endl;
    return ExitOk;
}

} // namespace t880::cli
