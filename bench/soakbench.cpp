// Soak benchmark: many programming transfers of every kind, each against a
// virtual radio of its own whose line loses, damages, delays or withholds
// bytes at random, each with a hard time limit. Every success is checked
// against what the radio really held or now holds; the result is one table of
// endings per kind of transfer, and the options that repeat any transfer that
// hung, crashed, or claimed a success that is not so.
//
//   soakbench T880 [--transfers N] [--jobs J] [--seed S] [--time-limit SEC]
//                  [--only I] [--keep DIR] [--no-faults] [--csv FILE]
#include "bench/soakplan.h"
#include "bench/soakprocess.h"
#include "bench/soakverify.h"

#include "codeplug/codeplugfile.h"
#include "factory/calibrationfile.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>

#include <cstdio>
#include <memory>
#include <mutex>
#include <vector>

using namespace t880;
using namespace t880::soak;

namespace {

const QString kMemoryDate = QStringLiteral("2024-05-17T09:30");
constexpr int kToolMs = 60000;

struct Config
{
    QString cli;
    std::uint64_t seed = 0;
    int limitMs = 300000;
    QString root;    ///< temporary folder of the run
    QString keepDir; ///< where the files of a bad transfer are kept; empty: nowhere
    bool noFaults = false;
    QString csvPath; ///< one line per transfer; empty: none
};

enum class Tally {
    Success,
    CommunicationFalse,
    PasswordError,
    OldVersion,
    VerifyFailed,
    Other,
    Hang,
    Crash,
    Error,
    Aborted
};

struct Outcome
{
    int index = 0;
    Kind kind = Kind::Read;
    QString variant;
    Tally tally = Tally::Aborted;
    Verdict verdict = Verdict::Ok; ///< for a success
    bool unexpected = false;       ///< a failure the line cannot explain
    double seconds = 0;
    QString detail;
    Faults faults;
    bool verified = false; ///< the verb read with --verify
    QStringList radioArgs; ///< for a reproduction, with DIR for the folder
    QStringList verbArgs;

    bool notable() const
    {
        return tally == Tally::Hang || tally == Tally::Crash || tally == Tally::Error ||
               unexpected || (tally == Tally::Success && verdict != Verdict::Ok);
    }
};

QStringList radioArguments(const Plan &p, const QString &dir)
{
    return QStringList{
               QStringLiteral("emulate"),   QStringLiteral("--link"), dir + u'/' + file::Link,
               QStringLiteral("--variant"), variantName(p.variant),   QStringLiteral("--memory"),
               dir + u'/' + file::Memory,   QStringLiteral("--log"),  dir + u'/' + file::Log} +
           p.faults.arguments();
}

QStringList verbCommand(const Plan &p, const QString &dir)
{
    const QString port = dir + u'/' + file::Link;
    QStringList password;
    if (p.passwordOnCommandLine)
        password << QStringLiteral("--password") << QString::fromLatin1(p.hostPassword);
    const QStringList verify =
        p.verifies() ? QStringList{QStringLiteral("--verify")} : QStringList{};
    switch (p.kind) {
    case Kind::Read:
    case Kind::ReadVerify: {
        QStringList args =
            QStringList{QStringLiteral("read"), QStringLiteral("--port"), port} + verify + password;
        if (p.useBase)
            args << QStringLiteral("--base") << dir + u'/' + file::Base;
        return args << QStringLiteral("-o") << dir + u'/' + file::ReadCodeplug;
    }
    case Kind::Write:
        // The codeplugs are random: values the radio does not know, and a new
        // password now and then, are what the soak wants written.
        return QStringList{QStringLiteral("write"), QStringLiteral("--force"),
                           QStringLiteral("--port"), port} +
               password + QStringList{dir + u'/' + file::WriteCodeplug};
    case Kind::CalibrationRead:
    case Kind::CalibrationReadVerify:
        return QStringList{QStringLiteral("calibration"), QStringLiteral("read"),
                           QStringLiteral("--port"), port} +
               verify + password + QStringList{dir + u'/' + file::ReadCalibration};
    case Kind::CalibrationWrite:
        return QStringList{QStringLiteral("calibration"), QStringLiteral("write"),
                           QStringLiteral("--port"), port} +
               password + QStringList{dir + u'/' + file::WriteCalibration};
    case Kind::Status:
        return {QStringLiteral("status"), QStringLiteral("--port"), port};
    case Kind::SetPassword:
        break;
    }
    return QStringList{QStringLiteral("set-password"), QStringLiteral("--port"), port} + password +
           QStringList{QString::fromLatin1(p.newPassword)};
}

// Every byte each way, for a transfer that turns out notable.
QStringList verbArguments(const Plan &p, const QString &dir)
{
    return verbCommand(p, dir) << QStringLiteral("--trace") << dir + u'/' + file::Trace;
}

bool runTool(const Config &config, const QStringList &args, QString *error)
{
    const ProcessRun run = runProcess(config.cli, args, kToolMs);
    if (run.end == ProcessRun::End::Exited && run.exitCode == 0)
        return true;
    *error = QStringLiteral("t880 %1 failed: %2")
                 .arg(args.join(u' '), QString::fromLocal8Bit(run.err).trimmed());
    return false;
}

bool writeBytes(const QString &path, const QByteArray &bytes, QString *error)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size())
        return true;
    *error = QStringLiteral("cannot write %1").arg(path);
    return false;
}

QByteArray readBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The radio's memory: its image built by `t880 encode` from a random
// codeplug and calibration record, and random bytes everywhere no transfer
// may touch, so that a stray read or write shows.
bool prepareRadio(const Config &config, const Plan &p, const QDir &dir, QByteArray *memory,
                  QString *error)
{
    const QString variant = variantName(p.variant);
    if (!codeplugfile::save(dir.filePath(file::MemoryCodeplug), p.memoryCodeplug).ok()) {
        *error = QStringLiteral("cannot write %1").arg(dir.filePath(file::MemoryCodeplug));
        return false;
    }
    QStringList encode{QStringLiteral("encode"),    dir.filePath(file::MemoryCodeplug),
                       QStringLiteral("--variant"), variant,
                       QStringLiteral("--date"),    kMemoryDate,
                       QStringLiteral("-o"),        dir.filePath(QStringLiteral("memory.img"))};
    if (!p.legacy()) {
        if (!calibrationfile::save(dir.filePath(file::MemoryCalibration), p.radioCalibration)
                 .ok() ||
            !runTool(config,
                     {QStringLiteral("encode"), dir.filePath(file::MemoryCalibration),
                      QStringLiteral("--variant"), variant, QStringLiteral("-o"),
                      dir.filePath(QStringLiteral("memory-area.bin"))},
                     error))
            return false;
        encode << QStringLiteral("--calibration") << dir.filePath(file::MemoryCalibration);
    }
    if (!runTool(config, encode, error))
        return false;
    const QByteArray image = readBytes(dir.filePath(QStringLiteral("memory.img")));
    const QByteArray area = readBytes(dir.filePath(QStringLiteral("memory-area.bin")));
    if (image.size() != address::ImageSize ||
        (!p.legacy() && area.size() != address::CalibrationSize)) {
        *error = QStringLiteral("encode gave an image of %1 bytes").arg(image.size());
        return false;
    }
    Rng noise(p.noiseSeed);
    memory->resize(address::MemorySize);
    for (char &b : *memory)
        b = char(noise.between(0, 255));
    if (p.legacy()) {
        memory->replace(0, image.size(), image);
    } else {
        memory->replace(address::Image, image.size(), image);
        memory->replace(address::Calibration, area.size(), area);
    }
    if (!writeBytes(dir.filePath(file::Memory), *memory, error) ||
        !writeBytes(dir.filePath(file::InitialMemory), *memory, error))
        return false;

    bool saved = true;
    if (p.kind == Kind::Write || p.useBase)
        saved = codeplugfile::save(dir.filePath(p.useBase ? file::Base : file::WriteCodeplug),
                                   p.fileCodeplug)
                    .ok();
    else if (p.kind == Kind::CalibrationWrite)
        saved = calibrationfile::save(dir.filePath(file::WriteCalibration), p.fileCalibration).ok();
    if (!saved)
        *error = QStringLiteral("cannot write the transfer's file in %1").arg(dir.path());
    return saved;
}

// A failure that the faults of the line cannot account for.
bool unexpectedFailure(const Plan &p, int exitCode)
{
    const Ending expected = expectedEnding(p);
    switch (exitCode) {
    case int(Ending::CommunicationFalse):
        return p.faults.lossless() && expected != Ending::CommunicationFalse;
    case int(Ending::PasswordError):
        return expected != Ending::PasswordError;
    case int(Ending::OldVersion):
        // A connect reply damaged into the older radio's answer would do it.
        return expected != Ending::OldVersion && p.faults.corruptRate == 0;
    case int(Ending::VerifyFailed):
        // A write request damaged on its way can leave a block the write
        // cannot put right (one it read before and did not write).
        return p.faults.corruptRequestRate == 0 || expected != Ending::Success;
    default:
        return true;
    }
}

// Whether a transfer that ran out of time was stuck or still moving, slowly:
// its last progress report, and how long before the kill the radio logged
// its last frame (the engine gives up after 5 s without an answer).
QString describeMotion(const QByteArray &verbErr, const QString &logPath, const QDateTime &killedAt)
{
    const QRegularExpression progress(QStringLiteral("Progress (\\d+)%"));
    QString last = QStringLiteral("0");
    for (auto it = progress.globalMatch(QString::fromLocal8Bit(verbErr)); it.hasNext();)
        last = it.next().captured(1);
    const QFileInfo log(logPath);
    const QByteArray frames = readBytes(logPath);
    const double quiet = log.lastModified().toUTC().msecsTo(killedAt) / 1000.0;
    return QStringLiteral("at %1%, %2 frames, the last %3 s before the kill (%4)")
        .arg(last)
        .arg(frames.count("\nH ") + (frames.startsWith("H ") ? 1 : 0))
        .arg(quiet, 0, 'f', 1)
        .arg(quiet < 10 ? QStringLiteral("still moving") : QStringLiteral("stuck"));
}

void keepFiles(const Config &config, const QDir &dir)
{
    const QDir keep(config.keepDir);
    if (config.keepDir.isEmpty() || !keep.mkpath(dir.dirName()))
        return;
    for (const QString &name : dir.entryList(QDir::Files))
        QFile::copy(dir.filePath(name), keep.filePath(dir.dirName() + u'/' + name));
}

Outcome runTransfer(const Config &config, const Plan &p)
{
    Outcome o;
    o.index = p.index;
    o.kind = p.kind;
    o.variant = variantName(p.variant);
    o.faults = p.faults;
    o.verified = p.verifies();
    o.radioArgs = radioArguments(p, QStringLiteral("DIR"));
    o.verbArgs = verbArguments(p, QStringLiteral("DIR"));
    const QDir dir(
        QDir(config.root).filePath(QStringLiteral("t%1").arg(p.index, 5, 10, QChar(u'0'))));
    QDir().mkpath(dir.path());
    const auto cleanup = qScopeGuard([&] {
        if (o.notable())
            keepFiles(config, dir);
        QDir(dir.path()).removeRecursively();
    });

    QByteArray initial;
    QString error;
    RadioProcess radio;
    if (!prepareRadio(config, p, dir, &initial, &error) ||
        !radio.start(config.cli, radioArguments(p, dir.path()), &error)) {
        o.tally = stopRequested().load() ? Tally::Aborted : Tally::Error;
        o.detail = error;
        return o;
    }
    const ProcessRun verb = runProcess(config.cli, verbArguments(p, dir.path()), config.limitMs);
    const QDateTime killedAt = QDateTime::currentDateTimeUtc();
    const bool radioLived = radio.isRunning();
    const ProcessRun radioEnd = radio.stop();
    o.seconds = verb.seconds;
    if (verb.end == ProcessRun::End::Stopped || stopRequested().load()) {
        o.tally = Tally::Aborted;
        return o;
    }
    if (verb.end == ProcessRun::End::TimedOut) {
        o.tally = Tally::Hang;
        o.detail = QStringLiteral("killed after %1 s; %2")
                       .arg(config.limitMs / 1000)
                       .arg(describeMotion(verb.err, dir.filePath(file::Log), killedAt));
        return o;
    }
    if (verb.end != ProcessRun::End::Exited || verb.exitCode < 0 || verb.exitCode > LastEnding) {
        o.tally = Tally::Crash;
        o.detail = verb.end == ProcessRun::End::Exited
                       ? QStringLiteral("exit %1").arg(verb.exitCode)
                       : QStringLiteral("died by a signal or did not start: %1")
                             .arg(QString::fromLocal8Bit(verb.err.right(300)));
        return o;
    }
    if (radioEnd.end == ProcessRun::End::TimedOut) {
        o.tally = Tally::Hang;
        o.detail = QStringLiteral("the virtual radio did not stop on SIGTERM");
        return o;
    }
    if (!radioLived || radioEnd.end != ProcessRun::End::Exited || radioEnd.exitCode != 0) {
        o.tally = Tally::Crash;
        o.detail = QStringLiteral("the virtual radio ended on its own or badly (exit %1): %2")
                       .arg(radioEnd.exitCode)
                       .arg(QString::fromLocal8Bit(radioEnd.err.right(300)));
        return o;
    }

    switch (verb.exitCode) {
    case 0: {
        o.tally = Tally::Success;
        const Evidence evidence{config.cli, dir.path(), initial,
                                readBytes(dir.filePath(file::Memory)), verb.out};
        const Verification v = verifySuccess(p, evidence);
        o.verdict = v.verdict;
        o.detail = v.detail;
        if (v.verdict == Verdict::Error)
            o.tally = Tally::Error;
        return o;
    }
    case int(Ending::CommunicationFalse):
        o.tally = Tally::CommunicationFalse;
        break;
    case int(Ending::PasswordError):
        o.tally = Tally::PasswordError;
        break;
    case int(Ending::OldVersion):
        o.tally = Tally::OldVersion;
        break;
    case int(Ending::VerifyFailed):
        o.tally = Tally::VerifyFailed;
        break;
    default:
        o.tally = Tally::Other;
        break;
    }
    o.unexpected = unexpectedFailure(p, verb.exitCode);
    if (o.unexpected)
        o.detail = QStringLiteral("exit %1 where exit %2 was due: %3")
                       .arg(verb.exitCode)
                       .arg(int(expectedEnding(p)))
                       .arg(QString::fromLocal8Bit(verb.err.right(200)).simplified());
    return o;
}

QString tallyName(const Outcome &o)
{
    switch (o.tally) {
    case Tally::Success:
        return o.verdict == Verdict::WrongA   ? QStringLiteral("WRONG SUCCESS (a)")
               : o.verdict == Verdict::WrongB ? QStringLiteral("WRONG SUCCESS (b)")
                                              : QStringLiteral("success");
    case Tally::Hang:
        return QStringLiteral("HANG");
    case Tally::Crash:
        return QStringLiteral("CRASH");
    case Tally::Error:
        return QStringLiteral("BENCH ERROR");
    case Tally::Aborted:
        return QStringLiteral("aborted");
    case Tally::CommunicationFalse:
        return o.unexpected ? QStringLiteral("UNEXPECTED Communication False")
                            : QStringLiteral("Communication False");
    case Tally::PasswordError:
        return o.unexpected ? QStringLiteral("UNEXPECTED Password Error")
                            : QStringLiteral("Password Error");
    case Tally::OldVersion:
        return o.unexpected ? QStringLiteral("UNEXPECTED old version")
                            : QStringLiteral("old version");
    case Tally::VerifyFailed:
        return o.unexpected ? QStringLiteral("UNEXPECTED Verify failed")
                            : QStringLiteral("Verify failed");
    case Tally::Other:
        break;
    }
    return QStringLiteral("UNEXPECTED other exit");
}

QString quoted(const QStringList &args)
{
    QStringList out;
    for (const QString &a : args)
        out << (a.isEmpty() || a.contains(u' ') ? u'\'' + a + u'\'' : a);
    return out.join(u' ');
}

struct Row
{
    int runs = 0, success = 0, commFalse = 0, password = 0, old = 0, verifyFailed = 0, other = 0;
    int hang = 0, crash = 0, wrongA = 0, wrongB = 0, unexpected = 0;
    double total = 0, max = 0;

    void add(const Outcome &o)
    {
        ++runs;
        total += o.seconds;
        max = std::max(max, o.seconds);
        unexpected += o.unexpected ? 1 : 0;
        switch (o.tally) {
        case Tally::Success:
            ++success;
            wrongA += o.verdict == Verdict::WrongA ? 1 : 0;
            wrongB += o.verdict == Verdict::WrongB ? 1 : 0;
            break;
        case Tally::CommunicationFalse:
            ++commFalse;
            break;
        case Tally::PasswordError:
            ++password;
            break;
        case Tally::OldVersion:
            ++old;
            break;
        case Tally::VerifyFailed:
            ++verifyFailed;
            break;
        case Tally::Hang:
            ++hang;
            break;
        case Tally::Crash:
            ++crash;
            break;
        default:
            ++other;
            break;
        }
    }
    void print(const QString &name) const
    {
        std::printf("%-18s %5d %5d %6d %5d %5d %5d %5d %5d %5d %6d %6d %5d %7.2f %7.2f\n",
                    qPrintable(name), runs, success, commFalse, password, old, verifyFailed, other,
                    hang, crash, wrongA, wrongB, unexpected, runs ? total / runs : 0.0, max);
    }
};

void printTable(const std::vector<Outcome> &outcomes)
{
    std::printf("%-18s %5s %5s %6s %5s %5s %5s %5s %5s %5s %6s %6s %5s %7s %7s\n", "kind", "runs",
                "succ", "CommF", "PwErr", "OldV", "VerF", "other", "hang", "crash", "wrongA",
                "wrongB", "unexp", "mean s", "max s");
    Row total;
    for (int k = 0; k < KindCount; ++k) {
        Row row;
        for (const Outcome &o : outcomes) {
            if (o.kind == Kind(k) && o.tally != Tally::Aborted)
                row.add(o);
        }
        row.print(kindName(Kind(k)));
        for (const Outcome &o : outcomes) {
            if (o.kind == Kind(k) && o.tally != Tally::Aborted)
                total.add(o);
        }
    }
    total.print(QStringLiteral("total"));
    std::printf(
        "\nsucc: exit 0, wrong successes included. CommF, PwErr, OldV, VerF: exit 3, 4, 5, 8;\n"
        "other: any other documented exit, and benchmark errors. wrongA: a success that is not so, "
        "as far\n"
        "as line damage the protocol cannot see explains it: in a read, a read reply, status\n"
        "reply or password block damaged without --verify; in a write (which reads what it\n"
        "builds on until two readings agree and reads back what it wrote), only a request\n"
        "whose address was damaged on the way and landed outside every area the write reads\n"
        "back, as the radio's log shows. wrongB: any other success that is not so: a bug.\n"
        "unexp: a failure the line's faults cannot explain. Times are the verb's wall time.\n");
}

void printReproducer(const Config &config, const Outcome &o)
{
    std::printf("#%d %s, %s radio: %s: %s\n", o.index, qPrintable(kindName(o.kind)),
                qPrintable(o.variant), qPrintable(tallyName(o)), qPrintable(o.detail));
    std::printf("  radio: t880 %s\n  host:  t880 %s\n  again: soakbench %s --seed %llu "
                "--only %d --keep DIR%s\n",
                qPrintable(quoted(o.radioArgs)), qPrintable(quoted(o.verbArgs)),
                qPrintable(config.cli), (unsigned long long)config.seed, o.index,
                config.noFaults ? " --no-faults" : "");
}

// The findings first; the wrong successes that line damage explains, which
// can be many, after them.
void printReproducers(const Config &config, const std::vector<Outcome> &outcomes)
{
    const auto explained = [](const Outcome &o) {
        return o.tally == Tally::Success && o.verdict == Verdict::WrongA;
    };
    for (const bool section : {false, true}) {
        bool header = false;
        for (const Outcome &o : outcomes) {
            if (!o.notable() || explained(o) != section)
                continue;
            if (!header)
                std::printf(section ? "\nWrong successes (a), to repeat:\n"
                                    : "\nHangs, crashes, wrong successes (b), unexpected "
                                      "failures, to repeat:\n");
            header = true;
            printReproducer(config, o);
        }
    }
    std::printf("(DIR: any folder; --only rebuilds the memory dump of the transfer.)\n");
}

// For analyses beyond the table: every transfer with its faults and ending.
bool writeCsv(const QString &path, const std::vector<Outcome> &outcomes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        return false;
    QTextStream out(&f);
    out << "index,kind,variant,drop,corrupt,corruptRequest,split,delayMs,jitterMs,silentAfter,"
           "ending,unexpected,seconds\n";
    for (const Outcome &o : outcomes) {
        if (o.tally == Tally::Aborted)
            continue;
        const Faults &x = o.faults;
        out << o.index << ',' << kindName(o.kind) << ',' << o.variant << ',' << x.dropRate << ','
            << x.corruptRate << ',' << x.corruptRequestRate << ',' << int(x.split) << ','
            << x.replyDelayMs << ',' << x.replyJitterMs << ',' << x.silentAfter << ','
            << tallyName(o) << ',' << int(o.unexpected) << ',' << QString::number(o.seconds, 'f', 3)
            << '\n';
    }
    return out.status() == QTextStream::Ok;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Runs programming transfers of every kind against virtual radios with random line "
        "faults and checks every success against the radio's memory."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("T880"), QStringLiteral("The t880 program."));
    const QCommandLineOption transfers(QStringLiteral("transfers"),
                                       QStringLiteral("Transfers in all (1000)."),
                                       QStringLiteral("N"), QStringLiteral("1000"));
    const QCommandLineOption jobs(QStringLiteral("jobs"), QStringLiteral("Transfers at once (8)."),
                                  QStringLiteral("J"), QStringLiteral("8"));
    const QCommandLineOption seed(QStringLiteral("seed"),
                                  QStringLiteral("Seed of the run (default: a random one)."),
                                  QStringLiteral("S"));
    const QCommandLineOption limit(
        QStringLiteral("time-limit"),
        QStringLiteral("Seconds before a transfer counts as hung (300)."), QStringLiteral("SEC"),
        QStringLiteral("300"));
    const QCommandLineOption only(QStringLiteral("only"),
                                  QStringLiteral("Run transfer I of the run alone."),
                                  QStringLiteral("I"));
    const QCommandLineOption keep(QStringLiteral("keep"),
                                  QStringLiteral("Keep the files of every notable transfer here."),
                                  QStringLiteral("DIR"));
    const QCommandLineOption noFaults(
        QStringLiteral("no-faults"),
        QStringLiteral("A perfect line for every transfer: every ending must be the due one."));
    const QCommandLineOption csv(QStringLiteral("csv"),
                                 QStringLiteral("Write one line per transfer into FILE."),
                                 QStringLiteral("FILE"));
    parser.addOptions({transfers, jobs, seed, limit, only, keep, noFaults, csv});
    parser.process(app);
    if (parser.positionalArguments().size() != 1) {
        std::fprintf(stderr, "usage: soakbench T880 [--transfers N] [--jobs J] [--seed S]\n");
        return 2;
    }

    Config config;
    config.cli = QFileInfo(parser.positionalArguments().first()).absoluteFilePath();
    config.seed = parser.isSet(seed) ? parser.value(seed).toULongLong()
                                     : QRandomGenerator::system()->generate();
    config.limitMs = std::max(1, parser.value(limit).toInt()) * 1000;
    config.keepDir = parser.value(keep);
    config.noFaults = parser.isSet(noFaults);
    config.csvPath = parser.value(csv);
    const int count = std::max(1, parser.value(transfers).toInt());
    std::vector<int> indices;
    if (parser.isSet(only))
        indices.push_back(parser.value(only).toInt());
    else
        for (int i = 0; i < count; ++i)
            indices.push_back(i);
    const int workers = std::clamp(parser.value(jobs).toInt(), 1, int(indices.size()));

    QTemporaryDir root(QDir::temp().filePath(QStringLiteral("soakbench-XXXXXX")));
    if (!root.isValid() || !QFileInfo(config.cli).isExecutable()) {
        std::fprintf(stderr, "soakbench: no temporary folder, or %s is no program\n",
                     qPrintable(config.cli));
        return 2;
    }
    config.root = root.path();
    // The backups every write keeps go into the run's folder, not the user's.
    qputenv("XDG_DATA_HOME", QFile::encodeName(QDir(config.root).filePath(QStringLiteral("data"))));
    installStopHandlers();
    std::printf("soakbench: %zu transfers, %d at once, seed %llu, time limit %d s\n",
                indices.size(), workers, (unsigned long long)config.seed, config.limitMs / 1000);
    std::fflush(stdout);

    QElapsedTimer clock;
    clock.start();
    std::vector<Outcome> outcomes(indices.size());
    std::mutex lock;
    std::size_t next = 0, done = 0;
    const std::size_t step = std::max<std::size_t>(1, indices.size() / 20);
    const auto work = [&] {
        for (;;) {
            std::size_t slot;
            {
                const std::lock_guard<std::mutex> guard(lock);
                if (next >= indices.size() || stopRequested().load())
                    return;
                slot = next++;
            }
            Plan plan = drawPlan(config.seed, indices[slot]);
            if (config.noFaults)
                plan.faults = Faults{0, 0, 0, false, 0, 0, -1, plan.faults.seed};
            Outcome o = runTransfer(config, plan);
            const std::lock_guard<std::mutex> guard(lock);
            ++done;
            if (o.notable())
                std::fprintf(stderr, "#%d %s, %s radio: %s: %s\n", o.index,
                             qPrintable(kindName(o.kind)), qPrintable(o.variant),
                             qPrintable(tallyName(o)), qPrintable(o.detail));
            if (done % step == 0 || done == indices.size())
                std::fprintf(stderr, "[%zu/%zu done, %.0f s]\n", done, indices.size(),
                             clock.elapsed() / 1000.0);
            outcomes[slot] = std::move(o);
        }
    };
    std::vector<std::unique_ptr<QThread>> threads;
    for (int i = 0; i < workers; ++i) {
        threads.emplace_back(QThread::create(work));
        threads.back()->start();
    }
    for (auto &t : threads)
        t->wait();

    std::printf("\n");
    printTable(outcomes);
    printReproducers(config, outcomes);
    if (!config.csvPath.isEmpty() && !writeCsv(config.csvPath, outcomes))
        std::fprintf(stderr, "soakbench: cannot write %s\n", qPrintable(config.csvPath));
    if (stopRequested().load())
        std::printf("\nInterrupted: %zu of %zu transfers done.\n", done, indices.size());
    std::printf("\nWall time %.1f s\n", clock.elapsed() / 1000.0);
    bool bad = false;
    for (const Outcome &o : outcomes)
        bad = bad || (o.notable() && !(o.tally == Tally::Success && o.verdict == Verdict::WrongA));
    return bad ? 1 : 0;
}
