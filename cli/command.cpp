#include "cli/command.h"

#include "text/applang.h"

#include <QFileInfo>

namespace t880::cli {

std::optional<text::Language> languageNamed(const QString &name)
{
    if (name == QLatin1String("en"))
        return text::Language::English;
    if (name == QLatin1String("chs"))
        return text::Language::Simplified;
    if (name == QLatin1String("cht"))
        return text::Language::Traditional;
    return std::nullopt;
}

int parseVerb(QCommandLineParser &parser, const QStringList &args, Context &ctx, int minPositional,
              int maxPositional)
{
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Shows this help."));
    parser.addOption(help);
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    // QCommandLineParser expects the program name first; the verb stands in.
    if (!parser.parse(args))
        return fail(
            ctx, parser.errorText() + QStringLiteral("\nTry 't880 %1 --help'.").arg(args.value(0)),
            ExitUsage);
    if (parser.isSet(help)) {
        // The parser names the executable's path; a verb's help names the verb.
        QString text = parser.helpText();
        const int end = text.indexOf(u'\n');
        QString usage = text.left(end);
        usage.replace(0, usage.indexOf(QLatin1String(" [options]")),
                      QStringLiteral("Usage: t880 ") + args.value(0));
        ctx.out << usage << text.mid(end);
        return ExitOk;
    }
    const int n = int(parser.positionalArguments().size());
    if (n < minPositional || n > maxPositional) {
        return fail(ctx,
                    (n < minPositional
                         ? QStringLiteral("missing argument")
                         : QStringLiteral("unexpected argument '%1'")
                               .arg(parser.positionalArguments().value(maxPositional))) +
                        QStringLiteral("\nTry 't880 %1 --help'.").arg(args.value(0)),
                    ExitUsage);
    }
    return -1;
}

int fail(Context &ctx, const QString &message, int code)
{
    ctx.err << "t880: " << message << Qt::endl;
    return code;
}

bool requireKind(const QString &path, FileKind kind, const QString &what, Context &ctx)
{
    if (fileKind(path) == kind)
        return true;
    fail(ctx,
         QStringLiteral("%1 must name a %2 file, not %3")
             .arg(what,
                  kind == FileKind::Codeplug ? QStringLiteral(".Kzx") : QStringLiteral(".kzxa"),
                  path),
         ExitUsage);
    return false;
}

FileKind fileKind(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("kzx"))
        return FileKind::Codeplug;
    if (suffix == QLatin1String("kzxa"))
        return FileKind::Calibration;
    return FileKind::Other;
}

} // namespace t880::cli
