// Runs the virtual radio and the t880 verbs as separate processes, the way a
// user does: the radio on a real pseudo-terminal, the host on its link.
#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTest>

namespace t880::testing {

struct CliResult
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
    bool finished = false;
};

/// Runs t880 with \a args; gives up (and kills it) after \a timeoutMs.
inline CliResult runCli(const QStringList &args, int timeoutMs = 60000)
{
    QProcess p;
    p.start(QStringLiteral(T880_CLI_PATH), args);
    CliResult r;
    if (!p.waitForStarted(10000))
        return r;
    r.finished = p.waitForFinished(timeoutMs);
    if (!r.finished) {
        p.kill();
        p.waitForFinished(5000);
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

/// A virtual radio process serving a link; stopped when destroyed.
class VirtualRadioProcess
{
public:
    VirtualRadioProcess() = default;
    VirtualRadioProcess(const VirtualRadioProcess &) = delete;
    VirtualRadioProcess &operator=(const VirtualRadioProcess &) = delete;
    ~VirtualRadioProcess() { stop(); }

    /// Starts `t880 emulate --link LINK ARGS` and waits (bounded) for its
    /// ready line.
    bool start(const QString &link, const QStringList &args)
    {
        m_process.setProcessChannelMode(QProcess::SeparateChannels);
        m_process.start(QStringLiteral(T880_CLI_PATH),
                        QStringList{QStringLiteral("emulate"), QStringLiteral("--link"), link} + args);
        if (!m_process.waitForStarted(10000))
            return false;
        QDeadlineTimer deadline(15000);
        while (!deadline.hasExpired()) {
            if (m_process.canReadLine() || m_process.waitForReadyRead(200))
                return true;
            if (m_process.state() != QProcess::Running)
                return false;
        }
        return false;
    }

    /// Stops the radio (as Ctrl-C does) and waits for it to tidy up.
    void stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.terminate();
        if (!m_process.waitForFinished(10000)) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }

    QByteArray errorOutput() { return m_process.readAllStandardError(); }

private:
    QProcess m_process;
};

} // namespace t880::testing
