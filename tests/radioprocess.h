// Runs the virtual radio as a separate process, the way a user does: the
// radio on a real pseudo-terminal; the t880 verbs (runCli from testsupport.h)
// are the host on its link.
#pragma once

#include "testsupport.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTest>

namespace t880::testing {

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
                        QStringList{QStringLiteral("emulate"), QStringLiteral("--link"), link} +
                            args);
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

    /// Ends the radio at once, as pulling the cable does: the terminal goes
    /// away in the middle of whatever the host was doing.
    void unplug()
    {
        m_process.kill();
        m_process.waitForFinished(5000);
    }

    QByteArray errorOutput() { return m_process.readAllStandardError(); }

private:
    QProcess m_process;
};

} // namespace t880::testing
