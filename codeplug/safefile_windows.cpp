// Reading and saving files on Windows, through the Win32 API so that no
// byte is translated: attributes looked at before anything is opened; a save
// written to a temporary file, flushed to the disk, and moved over the
// target with the call that replaces an existing file.
#include "codeplug/safefile.h"

#include "codeplug/safefileparts.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <windows.h>

namespace t880 {

namespace {

const wchar_t *wide(const QString &path)
{
    return reinterpret_cast<const wchar_t *>(path.utf16());
}

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

QString systemReason(DWORD error)
{
    wchar_t *buffer = nullptr;
    const DWORD n = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t *>(&buffer), 0, nullptr);
    QString text = n ? QString::fromWCharArray(buffer, int(n)).trimmed()
                     : QStringLiteral("error %1").arg(error);
    if (buffer)
        LocalFree(buffer);
    return text;
}

// A device such as \\.\COM1 or COM1 is never opened as a file: that would
// raise the port's modem lines.
bool namesDevice(const QString &path)
{
    return path.startsWith(QLatin1String("\\\\.\\")) || path.startsWith(QLatin1String("//./"));
}

struct Handle
{
    HANDLE h = INVALID_HANDLE_VALUE;
    Handle() = default;
    explicit Handle(HANDLE handle) : h(handle) {}
    Handle(const Handle &) = delete;
    Handle &operator=(const Handle &) = delete;
    ~Handle() { close(); }
    bool valid() const { return h != INVALID_HANDLE_VALUE; }
    BOOL close()
    {
        BOOL ok = TRUE;
        if (valid())
            ok = CloseHandle(h);
        h = INVALID_HANDLE_VALUE;
        return ok;
    }
};

void removeStaleTemporaries(const QString &target)
{
    const QString prefix = safefile::temporaryPrefix(target);
    const QDir dir = QFileInfo(target).absoluteDir();
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const QFileInfoList entries =
        dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo &entry : entries) {
        if (safefile::isOurTemporary(entry.fileName(), prefix) &&
            entry.lastModified().toUTC().secsTo(now) > safefile::StaleTemporarySeconds)
            DeleteFileW(wide(native(entry.absoluteFilePath())));
    }
}

} // namespace

FileResult readSmallFile(const QString &path, qint64 maxSize, QByteArray &out)
{
    if (namesDevice(path))
        return {FileError::NotRegular, {}};
    WIN32_FILE_ATTRIBUTE_DATA attributes = {};
    if (!GetFileAttributesExW(wide(native(path)), GetFileExInfoStandard, &attributes))
        return {FileError::CannotOpen, systemReason(GetLastError())};
    if (attributes.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return {FileError::IsFolder, {}};
    Handle file(CreateFileW(wide(native(path)), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid())
        return {FileError::CannotOpen, systemReason(GetLastError())};
    if (GetFileType(file.h) != FILE_TYPE_DISK)
        return {FileError::NotRegular, {}};
    LARGE_INTEGER size = {};
    if (GetFileSizeEx(file.h, &size) && size.QuadPart > maxSize)
        return {FileError::TooLarge, QString::number(size.QuadPart)};
    QByteArray data(maxSize + 1, Qt::Uninitialized);
    qint64 got = 0;
    while (got < data.size()) {
        DWORD n = 0;
        if (!ReadFile(file.h, data.data() + got, DWORD(data.size() - got), &n, nullptr))
            return {FileError::CannotRead, systemReason(GetLastError())};
        if (n == 0)
            break;
        got += n;
    }
    if (got > maxSize)
        return {FileError::TooLarge, QString::number(got)};
    data.truncate(got);
    out = data;
    return {};
}

FileResult checkWritableTarget(const QString &path)
{
    if (path.isEmpty())
        return {FileError::CannotOpen, QStringLiteral("no file name")};
    if (namesDevice(path))
        return {FileError::NotRegular, {}};
    const QString target = safefile::resolveTarget(path);
    const DWORD attributes = GetFileAttributesW(wide(native(target)));
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (attributes & FILE_ATTRIBUTE_DIRECTORY)
            return {FileError::IsFolder, {}};
        // A file the user made read-only is not replaced behind their back.
        if (attributes & FILE_ATTRIBUTE_READONLY)
            return {FileError::CannotWrite, systemReason(ERROR_ACCESS_DENIED)};
    } else if (const DWORD error = GetLastError();
               error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) {
        return {FileError::CannotOpen, systemReason(error)};
    }
    const QString folder = QFileInfo(target).absolutePath();
    const DWORD folderAttributes = GetFileAttributesW(wide(native(folder)));
    if (folderAttributes == INVALID_FILE_ATTRIBUTES ||
        !(folderAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return {FileError::NoFolder, folder};
    return {};
}

FileResult writeFileAtomically(const QString &path, const QByteArray &data)
{
    const FileResult check = checkWritableTarget(path);
    if (!check.ok())
        return check;
    const QString target = safefile::resolveTarget(path);
    removeStaleTemporaries(target);

    QString temporary;
    Handle file;
    for (int attempt = 0; attempt < 100 && !file.valid(); ++attempt) {
        temporary = safefile::temporaryName(target);
        file.h = CreateFileW(wide(native(temporary)), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
        if (!file.valid() && GetLastError() != ERROR_FILE_EXISTS)
            return {FileError::CannotWrite, systemReason(GetLastError())};
    }
    if (!file.valid())
        return {FileError::CannotWrite, QStringLiteral("no free temporary name")};
    const auto abandon = [&](DWORD error) {
        file.close();
        DeleteFileW(wide(native(temporary)));
        return FileResult{FileError::CannotWrite, systemReason(error)};
    };
    const char *p = data.constData();
    qint64 left = data.size();
    while (left > 0) {
        DWORD n = 0;
        if (!WriteFile(file.h, p, DWORD(left), &n, nullptr))
            return abandon(GetLastError());
        p += n;
        left -= n;
    }
    // On the disk before the move: after a power cut the name then holds
    // either the old contents or the new ones, never an empty file.
    if (!FlushFileBuffers(file.h))
        return abandon(GetLastError());
    if (!file.close())
        return abandon(GetLastError());
    if (!MoveFileExW(wide(native(temporary)), wide(native(target)),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return abandon(GetLastError());
    return {};
}

FileResult makeFolders(const QString &folder)
{
    const QString clean = QDir::cleanPath(QDir(folder).absolutePath());
    if (QFileInfo(clean).isDir())
        return {};
    if (!QDir().mkpath(clean)) {
        const QFileInfo blocking(clean);
        return {FileError::CannotWrite,
                blocking.exists() ? systemReason(ERROR_DIRECTORY) : systemReason(GetLastError())};
    }
    return {};
}

} // namespace t880
