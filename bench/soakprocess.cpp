#include "bench/soakprocess.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>

#include <csignal>
#include <unistd.h>

namespace t880::soak {

namespace {

constexpr int kStartMs = 10000;
constexpr int kReadyMs = 15000;
constexpr int kStopMs = 10000;
constexpr int kPollMs = 100;

std::atomic<bool> g_stop{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

extern "C" void onStopSignal(int)
{
    g_stop.store(true);
}

void ownProcessGroup(QProcess &process)
{
    process.setChildProcessModifier([] { ::setpgid(0, 0); });
}

void finishRun(QProcess &process, ProcessRun &run)
{
    if (run.end == ProcessRun::End::NotStarted) {
        run.end = process.exitStatus() == QProcess::CrashExit ? ProcessRun::End::Signalled
                                                              : ProcessRun::End::Exited;
        run.exitCode = process.exitCode();
    }
    run.out += process.readAllStandardOutput();
    run.err += process.readAllStandardError();
}

void killAndReap(QProcess &process)
{
    process.kill();
    process.waitForFinished(kStopMs);
}

} // namespace

std::atomic<bool> &stopRequested()
{
    return g_stop;
}

void installStopHandlers()
{
    struct sigaction action = {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

ProcessRun runProcess(const QString &program, const QStringList &args, int limitMs)
{
    ProcessRun run;
    QProcess process;
    ownProcessGroup(process);
    QElapsedTimer clock;
    clock.start();
    process.start(program, args);
    if (!process.waitForStarted(kStartMs)) {
        run.err = process.errorString().toLocal8Bit();
        return run;
    }
    const QDeadlineTimer deadline(limitMs);
    // Short waits, so that the output pipes never fill and a stop request
    // or the deadline is seen at once.
    while (process.state() != QProcess::NotRunning && !process.waitForFinished(kPollMs)) {
        if (process.state() == QProcess::NotRunning)
            break;
        if (g_stop.load() || deadline.hasExpired()) {
            run.end = g_stop.load() ? ProcessRun::End::Stopped : ProcessRun::End::TimedOut;
            run.seconds = clock.nsecsElapsed() / 1e9;
            killAndReap(process);
            finishRun(process, run);
            return run;
        }
    }
    run.seconds = clock.nsecsElapsed() / 1e9;
    finishRun(process, run);
    return run;
}

RadioProcess::~RadioProcess()
{
    if (m_process && m_process->state() != QProcess::NotRunning)
        killAndReap(*m_process);
}

bool RadioProcess::start(const QString &program, const QStringList &args, QString *error)
{
    m_process = std::make_unique<QProcess>();
    ownProcessGroup(*m_process);
    m_process->start(program, args);
    if (!m_process->waitForStarted(kStartMs)) {
        *error =
            QStringLiteral("the virtual radio did not start: %1").arg(m_process->errorString());
        return false;
    }
    const QDeadlineTimer deadline(kReadyMs);
    while (!m_process->canReadLine()) {
        if (g_stop.load() || deadline.hasExpired() || m_process->state() == QProcess::NotRunning) {
            *error = QStringLiteral("the virtual radio is not ready: %1")
                         .arg(QString::fromLocal8Bit(m_process->readAllStandardError()));
            killAndReap(*m_process);
            return false;
        }
        m_process->waitForReadyRead(kPollMs);
    }
    return true;
}

bool RadioProcess::isRunning() const
{
    if (!m_process)
        return false;
    // The state follows the child only when its end has been taken in: a
    // radio that something else ended during the transfer must show here.
    if (m_process->state() != QProcess::NotRunning)
        m_process->waitForFinished(0);
    return m_process->state() != QProcess::NotRunning;
}

ProcessRun RadioProcess::stop()
{
    ProcessRun run;
    if (!m_process)
        return run;
    if (m_process->state() != QProcess::NotRunning) {
        m_process->terminate();
        if (!m_process->waitForFinished(kStopMs)) {
            run.end = ProcessRun::End::TimedOut;
            killAndReap(*m_process);
        }
    }
    finishRun(*m_process, run);
    return run;
}

} // namespace t880::soak
