// When a process began, from /proc: the 22nd field of /proc/PID/stat, in
// clock ticks since the system started. Together with the number it names
// one process for as long as the system runs.
#include "codeplug/writejournal.h"

#include <QFile>

#include <cerrno>
#include <signal.h>

namespace t880::journal {

QString processStartOf(qint64 pid)
{
    if (pid <= 0)
        return QString();
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (stat.open(QIODevice::ReadOnly)) {
        const QByteArray line = stat.read(4096);
        // The command's name, in parentheses, may hold spaces: count from its end.
        const int close = line.lastIndexOf(')');
        const QList<QByteArray> fields = line.mid(close + 2).split(' ');
        // After the name: state is field 3, the start time field 22.
        if (close > 0 && fields.size() > 19) {
            const QByteArray state = fields[0];
            if (state == "Z" || state == "X")
                return QString(); // ended, not yet collected
            return QString::fromLatin1(fields[19]);
        }
        return QString();
    }
    // A system without /proc: the number alone.
    if (::kill(pid_t(pid), 0) == 0 || errno == EPERM)
        return QStringLiteral("running");
    return QString();
}

} // namespace t880::journal
