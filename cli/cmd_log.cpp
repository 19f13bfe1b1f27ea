// t880 log: the production record, one line for every write into a radio.
#include "cli/command.h"

#include "codeplug/productionrecord.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace t880::cli {

namespace {

QJsonObject lineObject(const production::Line &l)
{
    QJsonObject o;
    o.insert(QStringLiteral("time"), l.time.toString(Qt::ISODate));
    o.insert(QStringLiteral("computer"), l.computer);
    o.insert(QStringLiteral("operation"), l.operation);
    o.insert(QStringLiteral("port"), l.port);
    o.insert(QStringLiteral("device"), l.device);
    o.insert(QStringLiteral("radio"), l.radio);
    o.insert(QStringLiteral("file"), l.file);
    o.insert(QStringLiteral("sha256"), l.sha256);
    o.insert(QStringLiteral("result"), l.result);
    o.insert(QStringLiteral("exit"), l.exitCode);
    o.insert(QStringLiteral("seconds"), l.seconds);
    o.insert(QStringLiteral("backup"), l.backup);
    return o;
}

QString orDash(const QString &text)
{
    return text.isEmpty() ? QStringLiteral("-") : text;
}

} // namespace

int runLog(const QStringList &args, Context &ctx)
{
    const QString path = production::defaultPath();
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Prints the production record, oldest first: one line for every transfer "
                       "that wrote into a radio, with its time (UTC), operation, port, radio "
                       "kind, result, exit code, seconds, the file written with the start of its "
                       "SHA-256, and the backup taken before it. The record is %1 (a CSV file "
                       "for spreadsheets); it is pruned like the backups, never below the "
                       "current year.")
            .arg(path));
    const QCommandLineOption since(QStringLiteral("since"),
                                   QStringLiteral("Only the writes on or after DATE (YYYY-MM-DD, "
                                                  "local time)."),
                                   QStringLiteral("DATE"));
    const QCommandLineOption json(QStringLiteral("json"),
                                  QStringLiteral("Print one JSON object, with every field."));
    parser.addOptions({since, json});
    if (int rc = parseVerb(parser, args, ctx, 0, 0); rc >= 0)
        return rc;
    QDate from;
    if (parser.isSet(since)) {
        from = QDate::fromString(parser.value(since), Qt::ISODate);
        if (!from.isValid())
            return fail(ctx,
                        QStringLiteral("--since takes a date as YYYY-MM-DD, not '%1'")
                            .arg(parser.value(since)),
                        ExitUsage);
    }
    const production::Loaded loaded = production::load(path);
    if (!loaded.result.ok())
        return fail(ctx, describeFileResult(loaded.result, path, 0));
    std::vector<production::Line> lines;
    for (const production::Line &l : loaded.lines) {
        if (production::matches(l, from, QString()))
            lines.push_back(l);
    }
    if (parser.isSet(json)) {
        QJsonArray list;
        for (const production::Line &l : lines)
            list.append(lineObject(l));
        QJsonObject top;
        top.insert(QStringLiteral("record"), path);
        top.insert(QStringLiteral("lines"), list);
        ctx.out << QJsonDocument(top).toJson(QJsonDocument::Indented);
        ctx.out.flush();
        return ExitOk;
    }
    for (const production::Line &l : lines) {
        ctx.out << QStringLiteral("%1  %2  %3  %4  %5  %6  %7s  %8  %9  %10\n")
                       .arg(l.time.toString(Qt::ISODate), l.operation.leftJustified(17), l.port,
                            orDash(l.radio).leftJustified(6), l.result, QString::number(l.exitCode),
                            QString::number(l.seconds, 'f', 1), orDash(l.file),
                            orDash(l.sha256.left(12)), orDash(l.backup));
    }
    ctx.out.flush();
    if (loaded.skipped > 0)
        ctx.err << "t880: " << loaded.skipped << " line(s) of " << path
                << " are no record lines and were passed over\n";
    return ExitOk;
}

} // namespace t880::cli
