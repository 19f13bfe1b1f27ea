// Measures what writing several radios at once costs against writing one:
// 1, 2, 4 and 8 virtual radios on paced 9600 baud lines, each written with
// its backup and read-back, all from one thread. Prints the wall time of
// each round and its ratio to one radio alone.
#include "link/programstate.h"
#include "link/serial/gangtransfer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <memory>
#include <vector>

using namespace t880;

namespace {

struct Round
{
    double wall = 0;
    int ok = 0;
};

Round writeAll(const ProgramState &state, const QStringList &links,
               const link::TransferSafety &safety)
{
    link::GangTransfer gang(state, link::OpCode::Codeplug, link::ReadMode::Write, links);
    gang.setSafety(safety);
    QEventLoop loop;
    QObject::connect(&gang, &link::GangTransfer::allEnded, &loop, &QEventLoop::quit);
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &loop, &QEventLoop::quit);
    guard.start(120000);
    QElapsedTimer clock;
    clock.start();
    gang.start();
    if (gang.isRunning())
        loop.exec();
    return {clock.nsecsElapsed() / 1e9, gang.successCount()};
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QString cli =
        argc > 1 ? QString::fromLocal8Bit(argv[1])
                 : QCoreApplication::applicationDirPath() + QStringLiteral("/../cli/t880");
    const int rounds = argc > 2 ? std::max(1, atoi(argv[2])) : 3;
    constexpr int kRadios = 8;
    QTemporaryDir dir;
    std::vector<std::unique_ptr<QProcess>> radios;
    QStringList links;
    for (int i = 1; i <= kRadios; ++i) {
        const QString link = dir.filePath(QStringLiteral("radio%1").arg(i));
        auto radio = std::make_unique<QProcess>();
        radio->start(cli, {QStringLiteral("emulate"), QStringLiteral("--link"), link,
                           QStringLiteral("--pace")});
        if (!radio->waitForStarted(10000) || !radio->waitForReadyRead(15000)) {
            std::fprintf(stderr, "gangbench: virtual radio %d did not start (%s)\n", i,
                         qPrintable(cli));
            return 1;
        }
        radios.push_back(std::move(radio));
        links << link;
    }

    ProgramState state;
    for (int n = 1; n <= 16; ++n)
        state.codeplug.enterChannelFrequency(n, 430000000 + 1250000u * n);
    link::TransferSafety safety;
    safety.folder = dir.filePath(QStringLiteral("backups"));
    safety.backupBeforeWrite = true;
    safety.verifyAfterWrite = true;

    std::printf("%6s %8s %8s %8s\n", "radios", "wall s", "ratio", "ok");
    bool allGood = true;
    double one = 0;
    for (int round = 0; round < rounds; ++round) {
        for (int n : {1, 2, 4, 8}) {
            const Round r = writeAll(state, links.mid(0, n), safety);
            if (n == 1)
                one = r.wall;
            std::printf("%6d %8.3f %8.3f %5d/%d%s\n", n, r.wall, r.wall / one, r.ok, n,
                        r.ok == n ? "" : "  FAILED");
            allGood = allGood && r.ok == n;
        }
    }
    for (auto &radio : radios) {
        radio->terminate();
        radio->waitForFinished(5000);
    }
    return allGood ? 0 : 1;
}
