// Reading and saving files on a POSIX system: stat before open, so that a
// pipe or a device is never opened; a save written to a temporary file,
// synced, and renamed over the target, then the folder synced.
#include "codeplug/safefile.h"

#include "codeplug/safefileparts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <ctime>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace t880 {

namespace {

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QByteArray nativePath(const QString &path)
{
    return QFile::encodeName(path);
}

void removeStaleTemporaries(const QString &target)
{
    const QFileInfo info(target);
    const QString prefix = safefile::temporaryPrefix(target);
    const QDir dir = info.absoluteDir();
    const std::time_t now = std::time(nullptr);
    const QStringList names =
        dir.entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        if (!safefile::isOurTemporary(name, prefix))
            continue;
        const QByteArray native = nativePath(dir.filePath(name));
        struct stat st = {};
        if (::lstat(native.constData(), &st) == 0 && S_ISREG(st.st_mode) &&
            now - st.st_mtime > safefile::StaleTemporarySeconds)
            ::unlink(native.constData());
    }
}

bool writeAll(int fd, const QByteArray &data)
{
    const char *p = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, std::size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        left -= n;
    }
    return true;
}

} // namespace

FileResult readSmallFile(const QString &path, qint64 maxSize, QByteArray &out)
{
    const QByteArray native = nativePath(path);
    // Looked at before it is opened: opening a serial device raises its
    // modem lines, and a pipe would block until someone writes to it.
    struct stat st = {};
    if (::stat(native.constData(), &st) != 0)
        return {FileError::CannotOpen, systemReason(errno)};
    if (S_ISDIR(st.st_mode))
        return {FileError::IsFolder, {}};
    if (!S_ISREG(st.st_mode))
        return {FileError::NotRegular, {}};
    if (st.st_size > maxSize)
        return {FileError::TooLarge, QString::number(qint64(st.st_size))};

    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return {FileError::CannotOpen, systemReason(errno)};
    // The path may have been swapped for something else in the meantime.
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return {FileError::NotRegular, {}};
    }
    QByteArray data(maxSize + 1, Qt::Uninitialized);
    qint64 got = 0;
    while (got < data.size()) {
        const ssize_t n = ::read(fd, data.data() + got, std::size_t(data.size() - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int error = errno;
            ::close(fd);
            return {FileError::CannotRead, systemReason(error)};
        }
        if (n == 0)
            break;
        got += n;
    }
    ::close(fd);
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
    const QString target = safefile::resolveTarget(path);
    const QByteArray native = nativePath(target);
    struct stat st = {};
    if (::stat(native.constData(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            return {FileError::IsFolder, {}};
        if (!S_ISREG(st.st_mode))
            return {FileError::NotRegular, {}};
        // A file the user made read-only is not replaced behind their back,
        // although the folder would allow it.
        if (::access(native.constData(), W_OK) != 0)
            return {FileError::CannotWrite, systemReason(errno)};
    } else if (errno != ENOENT) {
        return {FileError::CannotOpen, systemReason(errno)};
    }
    const QString folder = QFileInfo(target).absolutePath();
    const QByteArray nativeFolder = nativePath(folder);
    if (::stat(nativeFolder.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return {FileError::NoFolder, folder};
    if (::access(nativeFolder.constData(), W_OK | X_OK) != 0)
        return {FileError::CannotWrite, systemReason(errno)};
    return {};
}

FileResult writeFileAtomically(const QString &path, const QByteArray &data)
{
    const FileResult check = checkWritableTarget(path);
    if (!check.ok())
        return check;
    const QString target = safefile::resolveTarget(path);
    removeStaleTemporaries(target);

    struct stat existing = {};
    const bool exists = ::stat(nativePath(target).constData(), &existing) == 0;
    const QString dir = QFileInfo(target).absolutePath();
    QString temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = safefile::temporaryName(target);
        // 0666 less the user's umask, as for any new file of theirs.
        fd = ::open(nativePath(temporary).constData(),
                    O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return {FileError::CannotWrite, systemReason(errno)};
    }
    if (fd < 0)
        return {FileError::CannotWrite, QStringLiteral("no free temporary name")};
    const QByteArray nativeTemporary = nativePath(temporary);
    const auto abandon = [&](int error) {
        if (fd >= 0)
            ::close(fd);
        ::unlink(nativeTemporary.constData());
        return FileResult{FileError::CannotWrite, systemReason(error)};
    };
    if (exists && ::fchmod(fd, existing.st_mode & 07777) != 0)
        return abandon(errno);
    // Synced before the rename: after a power cut the name then holds either
    // the old contents or the new ones, never an empty file.
    if (!writeAll(fd, data) || ::fsync(fd) != 0)
        return abandon(errno);
    const int closed = ::close(fd);
    fd = -1;
    if (closed != 0)
        return abandon(errno);
    if (::rename(nativeTemporary.constData(), nativePath(target).constData()) != 0)
        return abandon(errno);
    const int dirFd = ::open(nativePath(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd); // the rename itself; some file systems refuse, which is no failure
        ::close(dirFd);
    }
    return {};
}

FileResult makeFolders(const QString &folder)
{
    const QString clean = QDir::cleanPath(QDir(folder).absolutePath());
    QString path;
    for (const QString &part : clean.split(u'/', Qt::SkipEmptyParts)) {
        path += u'/' + part;
        const QByteArray native = QFile::encodeName(path);
        if (::mkdir(native.constData(), 0777) == 0)
            continue;
        const int error = errno;
        struct stat st;
        if (error == EEXIST && ::stat(native.constData(), &st) == 0 && S_ISDIR(st.st_mode))
            continue;
        return {FileError::CannotWrite, systemReason(error == EEXIST ? ENOTDIR : error)};
    }
    return {};
}

} // namespace t880
