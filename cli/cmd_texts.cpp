// t880 texts [--lang en|chs|cht] [--table NAME] [--raw]: prints a text table
// for review, one "number<TAB>text" line per entry.
#include "cli/command.h"

#include "text/applang.h"

namespace t880::cli {

using text::TAppLang;

int runTexts(const QStringList &args, Context &ctx)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Prints every entry of a text table as number, tab, text (UTF-8). Reserved entries "
        "print with an empty text."));
    const QCommandLineOption lang(
        QStringLiteral("lang"),
        QStringLiteral("Language: en, chs (Simplified Chinese) or cht (Traditional Chinese). "
                       "Default: the one the system language selects."),
        QStringLiteral("LANG"));
    const QCommandLineOption table(
        QStringLiteral("table"),
        QStringLiteral("Table: main (default), program, port, warn or adjust."),
        QStringLiteral("TABLE"), QStringLiteral("main"));
    const QCommandLineOption raw(
        QStringLiteral("raw"),
        QStringLiteral("Print the bytes a control receives in hexadecimal instead of the text: "
                       "ASCII for en, GBK for chs, Big5 for cht."));
    parser.addOption(lang);
    parser.addOption(table);
    parser.addOption(raw);
    if (int rc = parseVerb(parser, args, ctx, 0, 0); rc >= 0)
        return rc;

    const std::optional<text::TextTable> which = text::tableFromName(parser.value(table));
    if (!which) {
        return fail(ctx,
                    QStringLiteral("unknown table '%1' (main, program, port, warn or adjust)")
                        .arg(parser.value(table)),
                    ExitUsage);
    }

    TAppLang appLang;
    if (parser.isSet(lang)) {
        const QString name = parser.value(lang);
        const std::optional<text::Language> found = languageNamed(name);
        if (!found)
            return fail(ctx, QStringLiteral("unknown language '%1' (en, chs or cht)").arg(name),
                        ExitUsage);
        appLang.fSetLangType(*found);
    }

    const bool hex = parser.isSet(raw);
    for (int n = 0; n < text::tableSize(*which); ++n) {
        const QByteArray bytes = appLang.textBytes(*which, n);
        ctx.out << n << '\t';
        if (hex)
            ctx.out << QString::fromLatin1(bytes.toHex(' '));
        else
            ctx.out << appLang.decode(bytes);
        ctx.out << '\n';
    }
    return ExitOk;
}

} // namespace t880::cli
