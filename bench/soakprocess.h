// The processes of a soak run: tools and transfer verbs that run to their end
// within a time limit, and virtual radios that serve until they are stopped.
// Every child gets a process group of its own, so that Ctrl-C reaches the
// benchmark alone and the benchmark decides what to stop and when.
#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <atomic>
#include <memory>

namespace t880::soak {

/// Set by SIGINT and SIGTERM; every wait gives up once it is set.
std::atomic<bool> &stopRequested();
/// Routes SIGINT and SIGTERM to stopRequested().
void installStopHandlers();

struct ProcessRun
{
    enum class End { NotStarted, Exited, Signalled, TimedOut, Stopped };
    End end = End::NotStarted;
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
    double seconds = 0;
};

/// Runs \a program to its end; after \a limitMs, or once a stop is
/// requested, it is killed.
ProcessRun runProcess(const QString &program, const QStringList &args, int limitMs);

/// A `t880 emulate` process.
class RadioProcess
{
public:
    RadioProcess() = default;
    RadioProcess(const RadioProcess &) = delete;
    RadioProcess &operator=(const RadioProcess &) = delete;
    /// Kills a radio that was not stopped.
    ~RadioProcess();

    /// Starts it and waits (bounded) for its ready line.
    bool start(const QString &program, const QStringList &args, QString *error);
    bool isRunning() const;
    /// Stops it as Ctrl-C does, so that it saves its memory; a radio that
    /// does not end within seconds is killed and reported as timed out.
    ProcessRun stop();

private:
    std::unique_ptr<QProcess> m_process;
};

} // namespace t880::soak
