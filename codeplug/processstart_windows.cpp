// When a process began, as Windows counts it: the creation time of a
// process that has not ended.
#include "codeplug/writejournal.h"

#include <windows.h>

namespace t880::journal {

QString processStartOf(qint64 pid)
{
    if (pid <= 0)
        return QString();
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, DWORD(pid));
    if (!process)
        return QString();
    FILETIME created{}, exited{}, kernel{}, user{};
    DWORD code = 0;
    const bool ok = GetProcessTimes(process, &created, &exited, &kernel, &user) &&
                    GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
    CloseHandle(process);
    if (!ok)
        return QString();
    const quint64 ticks = (quint64(created.dwHighDateTime) << 32) | created.dwLowDateTime;
    return QString::number(ticks);
}

} // namespace t880::journal
