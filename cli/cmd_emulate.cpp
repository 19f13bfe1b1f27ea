// t880 emulate: a virtual radio on a pseudo-terminal, for trying the program
// and testing the transfers without a radio on the desk.
#include "cli/command.h"
#include "cli/imageoptions.h"

#include "sim/ptyrunner.h"
#include "sim/virtualradio.h"

#include "codeplug/backupfile.h"
#include "codeplug/safefile.h"

#include <random>

namespace t880::cli {

namespace {

using link::PtyRunner;
using link::VirtualRadio;

constexpr int kMaxReplyDelayMs = 60000;

VirtualRadio::Kind toRadioKind(RadioKind kind)
{
    switch (kind) {
    case RadioKind::S:
        return VirtualRadio::Kind::S;
    case RadioKind::Y:
        return VirtualRadio::Kind::Y;
    case RadioKind::Legacy:
        break;
    }
    return VirtualRadio::Kind::Legacy;
}

std::optional<double> parseRate(const QString &text)
{
    bool ok = false;
    const double r = text.toDouble(&ok);
    if (!ok || !(r >= 0.0 && r <= 1.0))
        return std::nullopt;
    return r;
}

bool isPrintableAscii(const QString &text)
{
    for (QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() > 0x7E)
            return false;
    }
    return true;
}

} // namespace

int runEmulate(const QStringList &args, Context &ctx)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Runs a virtual radio on a pseudo-terminal until Ctrl+C (or SIGTERM). PATH becomes a "
        "symbolic link to the terminal; give it to the transfer verbs as --port PATH.\n"
        "Without --memory the radio holds the factory memory: zeros and the default calibration "
        "for S and Y radios, 0xFF for older (legacy) ones."));
    const QCommandLineOption link(QStringLiteral("link"),
                                  QStringLiteral("The symbolic link to create (an existing link "
                                                 "is replaced, any other file is not)."),
                                  QStringLiteral("PATH"));
    const QCommandLineOption variant(QStringLiteral("variant"),
                                     QStringLiteral("The radio: S (default), Y or legacy."),
                                     QStringLiteral("KIND"));
    const QCommandLineOption memory(
        QStringLiteral("memory"),
        QStringLiteral("Raw memory dump to start from (address 0 "
                       "first, at most 65536 bytes); the whole memory "
                       "is saved back after every transfer that wrote."),
        QStringLiteral("FILE"));
    const QCommandLineOption password(QStringLiteral("password"),
                                      QStringLiteral("Give the radio this password (at most 12 "
                                                     "printable ASCII characters)."),
                                      QStringLiteral("TEXT"));
    const QCommandLineOption pace(QStringLiteral("pace"),
                                  QStringLiteral("Move bytes no faster than a 9600-baud line."));
    const QCommandLineOption replyDelay(QStringLiteral("reply-delay"),
                                        QStringLiteral("Wait this long before every reply."),
                                        QStringLiteral("MS"));
    const QCommandLineOption dropRate(
        QStringLiteral("drop-rate"),
        QStringLiteral("Lose each reply byte with this chance (0..1)."), QStringLiteral("R"));
    const QCommandLineOption corruptRate(QStringLiteral("corrupt-rate"),
                                         QStringLiteral("Change each reply byte with this chance "
                                                        "(0..1)."),
                                         QStringLiteral("R"));
    const QCommandLineOption replyJitter(
        QStringLiteral("reply-jitter"),
        QStringLiteral("Wait up to this much longer, at random, before each reply."),
        QStringLiteral("MS"));
    const QCommandLineOption corruptRequestRate(
        QStringLiteral("corrupt-request-rate"),
        QStringLiteral("Change each byte the radio receives with this chance (0..1), as a noisy "
                       "cable does to a write."),
        QStringLiteral("R"));
    const QCommandLineOption split(QStringLiteral("split"),
                                   QStringLiteral("Send every reply in two or three pieces."));
    const QCommandLineOption silentAfter(QStringLiteral("silent-after"),
                                         QStringLiteral("Stop answering after N requests."),
                                         QStringLiteral("N"));
    const QCommandLineOption seed(QStringLiteral("seed"),
                                  QStringLiteral("Seed of the faults and splits, to repeat a run."),
                                  QStringLiteral("N"));
    const QCommandLineOption log(QStringLiteral("log"),
                                 QStringLiteral("Write one line per frame: 'H' and the bytes of "
                                                "each request, 'R' and the bytes of each reply."),
                                 QStringLiteral("FILE"));
    parser.addOptions({link, variant, memory, password, pace, replyDelay, replyJitter, dropRate,
                       corruptRate, corruptRequestRate, split, silentAfter, seed, log});
    if (int rc = parseVerb(parser, args, ctx, 0, 0); rc >= 0)
        return rc;

    if (!parser.isSet(link) || parser.value(link).isEmpty())
        return fail(ctx, QStringLiteral("missing --link PATH"), ExitUsage);
    const auto radioKind = takeRadioKind(parser, variant, true, false, ctx);
    if (!radioKind)
        return ExitUsage;

    PtyRunner::Options options;
    options.linkPath = parser.value(link);
    options.logPath = parser.value(log);
    options.pace = parser.isSet(pace);
    options.split = parser.isSet(split);
    for (const auto &[option, target] : {std::pair{&replyDelay, &options.replyDelayMs},
                                         std::pair{&replyJitter, &options.replyJitterMs}}) {
        if (!parser.isSet(*option))
            continue;
        bool ok = false;
        *target = parser.value(*option).toInt(&ok);
        if (!ok || *target < 0 || *target > kMaxReplyDelayMs)
            return fail(ctx,
                        QStringLiteral("--%1 must be a number of milliseconds from 0 to %2, "
                                       "not '%3'")
                            .arg(option->names().first())
                            .arg(kMaxReplyDelayMs)
                            .arg(parser.value(*option)),
                        ExitUsage);
    }
    for (const auto &[option, target] :
         {std::pair{&dropRate, &options.dropRate}, std::pair{&corruptRate, &options.corruptRate},
          std::pair{&corruptRequestRate, &options.corruptRequestRate}}) {
        if (!parser.isSet(*option))
            continue;
        const auto rate = parseRate(parser.value(*option));
        if (!rate)
            return fail(ctx,
                        QStringLiteral("--%1 must be a number from 0 to 1, not '%2'")
                            .arg(option->names().first(), parser.value(*option)),
                        ExitUsage);
        *target = *rate;
    }
    if (parser.isSet(silentAfter)) {
        bool ok = false;
        const qulonglong n = parser.value(silentAfter).toULongLong(&ok);
        if (!ok)
            return fail(
                ctx,
                QStringLiteral("--silent-after must be a whole number of requests, not '%1'")
                    .arg(parser.value(silentAfter)),
                ExitUsage);
        options.silentAfter = n;
    }
    if (parser.isSet(seed)) {
        bool ok = false;
        options.seed = parser.value(seed).toUInt(&ok);
        if (!ok)
            return fail(
                ctx,
                QStringLiteral("--seed must be a whole number from 0 to 4294967295, not '%1'")
                    .arg(parser.value(seed)),
                ExitUsage);
    } else {
        options.seed = std::random_device()();
    }
    if (parser.isSet(password)) {
        if (*radioKind == RadioKind::Legacy)
            return fail(ctx,
                        QStringLiteral("--password goes with S and Y radios; older radios "
                                       "have no password"),
                        ExitUsage);
        const QString text = parser.value(password);
        if (text.size() > 12 || !isPrintableAscii(text))
            return fail(ctx,
                        QStringLiteral("--password must be at most 12 printable ASCII characters"),
                        ExitUsage);
    }

    QByteArray dump;
    if (parser.isSet(memory)) {
        options.memoryPath = parser.value(memory);
        const FileResult r = readSmallFile(options.memoryPath, VirtualRadio::MemorySize, dump);
        if (r.error == FileError::TooLarge)
            return fail(ctx, QStringLiteral("%1: a memory dump holds at most %2 bytes")
                                 .arg(options.memoryPath)
                                 .arg(VirtualRadio::MemorySize));
        if (!r.ok())
            return fail(ctx, describeFileResult(r, options.memoryPath, 0));
        // Saved back after every session that wrote; a device or pipe there
        // would be replaced by a regular file.
        const FileResult w = checkWritableTarget(options.memoryPath);
        if (!w.ok())
            return fail(ctx, describeFileResult(w, options.memoryPath, 0));
    }
    if (parser.isSet(log)) {
        const FileResult w = checkWritableTarget(parser.value(log));
        if (!w.ok())
            return fail(ctx, describeFileResult(w, parser.value(log), 0));
    }
    VirtualRadio radio(toRadioKind(*radioKind), dump);
    if (parser.isSet(password))
        radio.setPassword(parser.value(password).toLatin1());

    PtyRunner runner(radio, options);
    PtyRunner::installStopHandlers();
    QString error;
    if (!runner.open(&error))
        return fail(ctx, error);
    ctx.out << "Virtual " << backup::kindName(*radioKind) << " radio on " << options.linkPath
            << " (" << runner.deviceName() << ")" << Qt::endl;
    const bool ok =
        runner.run([&ctx](const QString &line) { ctx.out << line << Qt::endl; }, &error);
    runner.close();
    if (!ok)
        return fail(ctx, error);
    return ExitOk;
}

} // namespace t880::cli
