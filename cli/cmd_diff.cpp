// t880 diff A B: what differs between two codeplugs, each a codeplug file, a
// backup or a radio (--port PORT, read without changing anything).
#include "cli/transferrun.h"

#include "codeplug/backupfile.h"
#include "codeplug/codeplugdiff.h"
#include "text/applang.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace t880::cli {

namespace {

struct Operand
{
    bool isPort = false;
    QString text; ///< the path, or the port as given
};

// The operands in the order given: "--port PORT" (or --port=PORT) and plain
// paths may stand in either order. The parser has checked the options.
std::vector<Operand> operandsInOrder(const QStringList &args)
{
    std::vector<Operand> out;
    for (int i = 1; i < args.size(); ++i) {
        const QString &a = args[i];
        if (a == QLatin1String("--port") || a == QLatin1String("-port")) {
            out.push_back({true, args.value(i + 1)});
            ++i;
        } else if (a.startsWith(QLatin1String("--port="))) {
            out.push_back({true, a.mid(7)});
        } else if (a == QLatin1String("--password") || a == QLatin1String("-password")) {
            ++i; // its value
        } else if (a == QLatin1String("--")) {
            for (++i; i < args.size(); ++i)
                out.push_back({false, args[i]});
        } else if (!a.startsWith(u'-')) {
            out.push_back({false, a});
        }
    }
    return out;
}

} // namespace

int runDiff(const QStringList &args, Context &ctx)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Prints what differs from A to B, channel by channel and setting by setting, in the "
        "words of the window (\"CH05 TX Freq. 446.00625 -> 446.01875\"; AB03 for an entry of the "
        "address book). A and B are codeplug "
        "files (.Kzx), backups, or --port PORT: a read of the radio that changes nothing in it. "
        "Against a radio, the fields a radio does not keep (names and the like) are taken from "
        "the other side. Exit codes: 0 equal, 1 different, 2 usage or file errors, 3 to 7 as "
        "for read."));
    parser.addPositionalArgument(QStringLiteral("A"), QStringLiteral("The first codeplug."));
    parser.addPositionalArgument(QStringLiteral("B"), QStringLiteral("The second codeplug."));
    TransferOptions options;
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Print one JSON object."));
    parser.addOptions(
        {options.port, options.password, options.verify, options.trace, options.diagnose, json});
    if (int rc = parseVerb(parser, args, ctx, 0, 2); rc >= 0)
        return rc;
    const std::vector<Operand> operands = operandsInOrder(args);
    if (operands.size() != 2)
        return fail(ctx,
                    QStringLiteral("give two codeplugs: files, backups or --port PORT\n"
                                   "Try 't880 diff --help'."),
                    ExitUsage);
    if (operands[0].isPort && operands[1].isPort)
        return fail(ctx, QStringLiteral("only one of A and B can be a radio"), ExitUsage);

    std::array<CodeplugData, 2> codeplugs;
    int portIndex = -1;
    for (int k = 0; k < 2; ++k) {
        if (operands[std::size_t(k)].isPort) {
            portIndex = k;
            continue;
        }
        const QString &path = operands[std::size_t(k)].text;
        const FileResult r = loadCodeplugOrBackup(path, codeplugs[std::size_t(k)]);
        if (!r.ok())
            return fail(ctx, describeFileResult(r, path, CodeplugData::Size), ExitUsage);
    }
    if (portIndex >= 0) {
        ProgramState state;
        // The radio keeps only part of a codeplug; the rest comes from the
        // file it is compared with, so that only what the radio holds counts.
        // Its password, as with write, unless --password says otherwise.
        state.codeplug = codeplugs[std::size_t(1 - portIndex)];
        if (int rc = takeTransferOptions(parser, options, state, ctx); rc >= 0)
            return rc;
        // The transfer's own lines go to stderr: stdout is the comparison.
        Context quiet{ctx.err, ctx.err};
        TransferSetup setup;
        setup.readOperation = backup::Operation::Compare;
        warnUnfinished(chosenPorts(parser, options), ctx);
        const int rc = runTransfer(parser, options, state, link::OpCode::Codeplug,
                                   link::ReadMode::Read, quiet, setup);
        if (rc != ExitOk)
            return rc;
        state.codeplug.setText(TextField::radioPassword, codeplugs[std::size_t(1 - portIndex)].text(
                                                             TextField::radioPassword));
        codeplugs[std::size_t(portIndex)] = state.codeplug;
    }

    const std::vector<DiffEntry> diff = diffCodeplugs(codeplugs[0], codeplugs[1]);
    text::TAppLang lang;
    lang.fSetLangType(text::Language::English);
    const auto name = [&](int k) {
        const Operand &o = operands[std::size_t(k)];
        return o.isPort ? QStringLiteral("port:") + o.text : o.text;
    };
    if (parser.isSet(json)) {
        QJsonArray list;
        for (const DiffEntry &e : diff) {
            QJsonObject o;
            if (e.channel > 0)
                o.insert(QStringLiteral("channel"), e.channel);
            if (e.addressEntry > 0)
                o.insert(QStringLiteral("addressBookEntry"), e.addressEntry);
            o.insert(QStringLiteral("field"), diffLabel(e, lang));
            o.insert(QStringLiteral("name"), e.label);
            o.insert(QStringLiteral("labelNumber"), e.labelNumber);
            o.insert(QStringLiteral("old"), diffValue(e.oldText, e.oldTextNumber, lang));
            o.insert(QStringLiteral("new"), diffValue(e.newText, e.newTextNumber, lang));
            o.insert(QStringLiteral("line"), diffLine(e, lang));
            list.append(o);
        }
        QJsonObject top;
        top.insert(QStringLiteral("a"), name(0));
        top.insert(QStringLiteral("b"), name(1));
        top.insert(QStringLiteral("equal"), diff.empty());
        top.insert(QStringLiteral("differences"), list);
        ctx.out << QJsonDocument(top).toJson(QJsonDocument::Indented);
    } else {
        for (const DiffEntry &e : diff)
            ctx.out << diffLine(e, lang) << '\n';
    }
    ctx.out.flush();
    return diff.empty() ? ExitOk : ExitFailure;
}

} // namespace t880::cli
