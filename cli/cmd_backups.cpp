// t880 backups and t880 restore: the backups every transfer keeps, listed
// and written back into a radio exactly as they were taken.
#include "cli/transferrun.h"

#include "codeplug/backupstore.h"
#include "codeplug/writejournal.h"

#include <QFileInfo>
#include <QSet>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace t880::cli {

namespace {

QString channelList(const backup::Backup &b)
{
    switch (b.content()) {
    case backup::Content::Calibration:
        return QStringLiteral("calibration");
    case backup::Content::Nothing:
        return QStringLiteral("-");
    case backup::Content::Codeplug:
        break;
    }
    QStringList used;
    for (int n : backup::channelsInUse(b))
        used << QString::number(n);
    return used.isEmpty() ? QStringLiteral("none") : used.join(u',');
}

} // namespace

int runBackups(const QStringList &args, Context &ctx)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Lists the backups kept of every read and before every write, newest first: "
                       "time (UTC), radio kind, port, operation, the channels in use (or "
                       "'calibration') and the file. They live in %1. The backup taken before a "
                       "write that did not finish is marked: it puts that radio back.")
            .arg(backupFolder()));
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Print one JSON object."));
    parser.addOption(json);
    if (int rc = parseVerb(parser, args, ctx, 0, 0); rc >= 0)
        return rc;
    const std::vector<backup::Entry> entries = backup::list(backupFolder());
    QSet<QString> beforeUnfinished;
    for (const journal::Entry &note : journal::unfinished(journal::defaultFolder()))
        beforeUnfinished.insert(QFileInfo(note.backup).absoluteFilePath());
    const auto marked = [&beforeUnfinished](const backup::Entry &e) {
        return beforeUnfinished.contains(QFileInfo(e.path).absoluteFilePath());
    };
    if (parser.isSet(json)) {
        QJsonArray list;
        for (const backup::Entry &e : entries) {
            QJsonObject o;
            o.insert(QStringLiteral("file"), e.path);
            o.insert(QStringLiteral("time"), e.backup.time.toString(Qt::ISODate));
            o.insert(QStringLiteral("kind"), backup::kindName(e.backup.kind));
            o.insert(QStringLiteral("port"), e.backup.port);
            o.insert(QStringLiteral("operation"), backup::operationName(e.backup.operation));
            const bool calibration = e.backup.content() == backup::Content::Calibration;
            o.insert(QStringLiteral("content"),
                     calibration ? QStringLiteral("calibration") : QStringLiteral("codeplug"));
            QJsonArray used;
            for (int n : backup::channelsInUse(e.backup))
                used.append(n);
            o.insert(QStringLiteral("channels"), used);
            o.insert(QStringLiteral("beforeUnfinishedWrite"), marked(e));
            list.append(o);
        }
        QJsonObject top;
        top.insert(QStringLiteral("folder"), backupFolder());
        top.insert(QStringLiteral("backups"), list);
        ctx.out << QJsonDocument(top).toJson(QJsonDocument::Indented);
        return ExitOk;
    }
    for (const backup::Entry &e : entries) {
        ctx.out << QStringLiteral("%1  %2  %3  %4  %5  %6%7\n")
                       .arg(e.backup.time.toString(Qt::ISODate),
                            backup::kindName(e.backup.kind).leftJustified(6),
                            backup::operationName(e.backup.operation).leftJustified(17),
                            e.backup.port, channelList(e.backup), e.path,
                            marked(e) ? QStringLiteral("  (before a write that did not finish)")
                                      : QString());
    }
    ctx.out.flush();
    return ExitOk;
}

int runRestore(const QStringList &args, Context &ctx)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Writes a backup back into the radio exactly as it was taken: the raw bytes of its "
        "codeplug area (and of the password area where that changed), not a conversion. The "
        "radio must be of the kind the backup came from (exit code 10 otherwise). As with "
        "write, the radio's present contents are kept as a backup first and every block is read "
        "back afterwards (exit code 8 on a difference). A calibration backup is restored through "
        "the calibration write, which also rewrites the channel records, and only with --yes."));
    parser.addPositionalArgument(QStringLiteral("BACKUP"),
                                 QStringLiteral("The backup file (see 't880 backups')."));
    TransferOptions options;
    const QCommandLineOption yes(QStringLiteral("yes"),
                                 QStringLiteral("Confirm the restore of a calibration backup."));
    parser.addOptions({options.port, options.password, options.noBackup, options.noVerify,
                       options.trace, options.diagnose, yes});
    if (int rc = parseVerb(parser, args, ctx, 1, 1); rc >= 0)
        return rc;
    const QString path = parser.positionalArguments().first();
    backup::Backup b;
    if (const FileResult r = backup::load(path, b); !r.ok())
        return fail(ctx, describeFileResult(r, path, 0));
    const backup::Content content = b.content();
    if (content == backup::Content::Nothing)
        return fail(ctx, QStringLiteral("%1 holds neither a codeplug nor a calibration").arg(path));
    link::RestorePlan plan;
    plan.kind = b.kind;
    plan.blocks = backup::restoreBlocks(b);
    const bool calibration = content == backup::Content::Calibration;
    if (calibration && !backup::calibrationArea(b))
        return fail(ctx, QStringLiteral("%1 does not hold the whole calibration area").arg(path));
    if (calibration && !parser.isSet(yes))
        return fail(ctx,
                    QStringLiteral("%1 is a calibration backup: restoring it replaces the radio's "
                                   "calibration and rewrites its channel records. Give --yes to "
                                   "do so.")
                        .arg(path),
                    ExitUsage);
    ProgramState state;
    if (int rc = takeTransferOptions(parser, options, state, ctx); rc >= 0)
        return rc;
    TransferSetup setup;
    setup.restore = plan;
    setup.writeOperation = backup::Operation::Restore;
    setup.file = path;
    warnUnfinished(chosenPorts(parser, options), ctx, path);
    return runTransfer(parser, options, state,
                       calibration ? link::OpCode::Calibration : link::OpCode::Codeplug,
                       link::ReadMode::Write, ctx, setup);
}

} // namespace t880::cli
