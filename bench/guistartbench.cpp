// How fast the window comes up and how much memory it then holds: starts
// t880-gui --startup-report several times, offscreen and (when xvfb-run is
// there) under a virtual X server, and prints the time from launching the
// process to the window's first paint and the resident memory at that point.
//
// Usage: guistartbench PATH/TO/t880-gui [RUNS]
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

struct Run
{
    double launchToPaintMs = -1; ///< measured here: process start to the report
    double insideMs = -1;        ///< measured by the program from main()
    double rssMiB = -1;
};

Run once(const QString &program, const QStringList &args, const QProcessEnvironment &env)
{
    QProcess p;
    p.setProcessEnvironment(env);
    QElapsedTimer clock;
    clock.start();
    p.start(program, args);
    Run r;
    if (!p.waitForStarted(10000))
        return r;
    QByteArray out;
    while (p.state() != QProcess::NotRunning && clock.elapsed() < 30000) {
        if (p.waitForReadyRead(50))
            out += p.readAllStandardOutput();
        if (out.contains('\n') && r.launchToPaintMs < 0)
            r.launchToPaintMs = double(clock.nsecsElapsed()) / 1e6;
    }
    p.waitForFinished(5000);
    out += p.readAllStandardOutput();
    const QList<QByteArray> words = out.simplified().split(' ');
    for (int i = 0; i + 1 < words.size(); ++i) {
        if (words[i] == "first-paint-ms")
            r.insideMs = words[i + 1].toDouble();
        if (words[i] == "rss-kib")
            r.rssMiB = words[i + 1].toDouble() / 1024.0;
    }
    return r;
}

double median(std::vector<double> v)
{
    if (v.empty())
        return -1;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void report(const char *name, const QString &program, const QStringList &args,
            const QProcessEnvironment &env, int runs)
{
    std::vector<double> launch, inside, rss;
    for (int i = 0; i < runs + 1; ++i) {
        const Run r = once(program, args, env);
        if (i == 0)
            continue; // the first run warms the disk cache
        if (r.launchToPaintMs >= 0)
            launch.push_back(r.launchToPaintMs);
        if (r.insideMs >= 0)
            inside.push_back(r.insideMs);
        if (r.rssMiB >= 0)
            rss.push_back(r.rssMiB);
    }
    std::printf("%-10s runs %2zu  launch to first paint %7.1f ms (median; from main() %6.1f ms)  "
                "resident %6.1f MiB\n",
                name, launch.size(), median(launch), median(inside), median(rss));
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: guistartbench PATH/TO/t880-gui [RUNS]\n");
        return 2;
    }
    const QString gui = args.at(1);
    const int runs = args.size() > 2 ? std::max(1, args.at(2).toInt()) : 10;
    QTemporaryDir dir;
    const QString config = dir.filePath(QStringLiteral("_config.ini"));
    const QStringList guiArgs{QStringLiteral("--config"), config,
                              QStringLiteral("--startup-report")};

    QProcessEnvironment offscreen = QProcessEnvironment::systemEnvironment();
    offscreen.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    report("offscreen", gui, guiArgs, offscreen, runs);

    const QString xvfbRun = QStandardPaths::findExecutable(QStringLiteral("xvfb-run"));
    if (xvfbRun.isEmpty()) {
        std::printf("xvfb       not installed; skipped\n");
        return 0;
    }
    // One X server for all runs, so its own start-up is not counted.
    QProcess xvfb;
    xvfb.start(QStringLiteral("Xvfb"), {QStringLiteral(":97"), QStringLiteral("-screen"),
                                        QStringLiteral("0"), QStringLiteral("1280x800x24")});
    if (!xvfb.waitForStarted(5000)) {
        std::printf("xvfb       did not start; skipped\n");
        return 0;
    }
    // Ready once its socket is there (bounded: a server that never comes up
    // just gives no figures).
    for (int i = 0; i < 100 && !QFile::exists(QStringLiteral("/tmp/.X11-unix/X97")); ++i)
        QThread::msleep(50);
    QProcessEnvironment x11 = QProcessEnvironment::systemEnvironment();
    x11.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    x11.insert(QStringLiteral("DISPLAY"), QStringLiteral(":97"));
    report("xvfb", gui, guiArgs, x11, runs);
    xvfb.terminate();
    xvfb.waitForFinished(5000);
    return 0;
}
