// Measures how close a codeplug read and write come to the serial line's own
// limit: against the virtual radio with a paced 9600 baud line, it prints the
// wall time of each transfer beside the wire time of the bytes it moved (11
// bits a byte, plus the pause at Start) and their ratio. The write is run
// plain and safe (backup before, read-back after), each against its own bound.
#include "codeplug/codeplugfile.h"
#include "link/programstate.h"
#include "link/serial/serialtransfer.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

using namespace t880;

namespace {

constexpr double kSecondsPerByte = 11.0 / 9600.0;

struct Figures
{
    link::Outcome outcome;
    double wall;
    qint64 bytes;
};

Figures runOnce(ProgramState &state, link::OpCode op, link::ReadMode mode, const QString &port,
                const link::TransferSafety &safety)
{
    link::PortMap map;
    map.bind(1, port);
    link::SerialTransfer transfer(state, op, mode, {1, false}, map);
    transfer.setSafety(safety);
    QEventLoop loop;
    QObject::connect(&transfer, &link::SerialTransfer::transferEnded, &loop, &QEventLoop::quit);
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &loop, &QEventLoop::quit);
    guard.start(120000);
    QElapsedTimer clock;
    clock.start();
    transfer.start();
    if (transfer.isRunning())
        loop.exec();
    const double wall = clock.nsecsElapsed() / 1e9;
    transfer.runCompletion();
    return {transfer.outcome(), wall, transfer.bytesSent() + transfer.bytesReceived()};
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QString cli =
        argc > 1 ? QString::fromLocal8Bit(argv[1])
                 : QCoreApplication::applicationDirPath() + QStringLiteral("/../cli/t880");
    const int rounds = argc > 2 ? std::max(1, atoi(argv[2])) : 3;
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("radio"));
    QProcess radio;
    radio.start(cli, {QStringLiteral("emulate"), QStringLiteral("--link"), link,
                      QStringLiteral("--variant"), QStringLiteral("S"), QStringLiteral("--pace")});
    if (!radio.waitForStarted(10000) || !radio.waitForReadyRead(15000)) {
        std::fprintf(stderr, "transferbench: the virtual radio did not start (%s)\n",
                     qPrintable(cli));
        return 1;
    }

    ProgramState state;
    for (int n = 1; n <= 16; ++n)
        state.codeplug.enterChannelFrequency(n, 430000000 + 1250000u * n);

    link::TransferSafety plain;
    plain.folder = dir.filePath(QStringLiteral("backups"));
    link::TransferSafety safe = plain;
    safe.backupBeforeWrite = true;
    safe.verifyAfterWrite = true;
    struct Run
    {
        const char *name;
        link::ReadMode mode;
        const link::TransferSafety *safety;
    };
    const Run runs[] = {{"write", link::ReadMode::Write, &plain},
                        {"safe-w", link::ReadMode::Write, &safe},
                        {"read", link::ReadMode::Read, &plain}};
    std::printf("%-6s %5s %10s %10s %7s\n", "op", "bytes", "wall s", "wire s", "ratio");
    bool allGood = true;
    for (int i = 0; i < rounds; ++i) {
        for (const Run &run : runs) {
            const Figures f = runOnce(state, link::OpCode::Codeplug, run.mode, link, *run.safety);
            const double wire = f.bytes * kSecondsPerByte + link::StartPauseMs / 1000.0;
            std::printf("%-6s %5lld %10.3f %10.3f %7.3f%s\n", run.name, (long long)f.bytes, f.wall,
                        wire, f.wall / wire, f.outcome == link::Outcome::Success ? "" : "  FAILED");
            allGood = allGood && f.outcome == link::Outcome::Success;
        }
    }
    radio.terminate();
    radio.waitForFinished(5000);
    return allGood ? 0 : 1;
}
