#include "ui/config/configplace.h"

#include <QDir>
#include <QStandardPaths>

#include <windows.h>

namespace t880::configplace {

// Windows' access() looks at the read-only mark only, not at who may write
// (Program Files is not marked, yet closed to users): a file is made and
// gone again.
bool mayWrite(const QString &folder)
{
    const QString probe = QDir::toNativeSeparators(
        QDir(folder).filePath(QStringLiteral(".t880-probe-%1").arg(GetCurrentProcessId())));
    const HANDLE h =
        CreateFileW(reinterpret_cast<const wchar_t *>(probe.utf16()), GENERIC_WRITE, 0, nullptr,
                    CREATE_NEW, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(h);
    return true;
}

// The roaming folder, which follows the user from machine to machine; the
// backups and recovery copies stay on this machine's local one.
QString userFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

} // namespace t880::configplace
