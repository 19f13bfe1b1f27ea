#include "codeplug/safefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <ctime>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace t880 {

namespace {

// Leftovers of an interrupted save are removed once they are this old, so
// that a save running at the same moment in another process keeps its own.
constexpr int kStaleTemporarySeconds = 60;
constexpr int kTemporaryRandomLength = 6;
const QString kTemporaryMark = QStringLiteral(".t880~");

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QByteArray nativePath(const QString &path)
{
    return QFile::encodeName(path);
}

// Where a save really goes: a symbolic link is replaced by nothing, its
// target is (as editors do), so the link the user made stays.
QString resolveTarget(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isSymLink())
        return path;
    const QString target = info.exists() ? info.canonicalFilePath() : info.symLinkTarget();
    return target.isEmpty() ? path : target;
}

// ".NAME.t880~XXXXXX" beside NAME: hidden from a file listing while the save
// runs, and a name no user file has, so leftovers can be tidied safely.
QString temporaryPrefix(const QString &target)
{
    return QLatin1Char('.') + QFileInfo(target).fileName() + kTemporaryMark;
}

bool isOurTemporary(const QString &name, const QString &prefix)
{
    if (name.size() != prefix.size() + kTemporaryRandomLength || !name.startsWith(prefix))
        return false;
    for (qsizetype i = prefix.size(); i < name.size(); ++i) {
        const char16_t c = name[i].unicode();
        if (!((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z')))
            return false;
    }
    return true;
}

void removeStaleTemporaries(const QString &target)
{
    const QFileInfo info(target);
    const QString prefix = temporaryPrefix(target);
    const QDir dir = info.absoluteDir();
    const std::time_t now = std::time(nullptr);
    const QStringList names =
        dir.entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        if (!isOurTemporary(name, prefix))
            continue;
        const QByteArray native = nativePath(dir.filePath(name));
        struct stat st = {};
        if (::lstat(native.constData(), &st) == 0 && S_ISREG(st.st_mode) &&
            now - st.st_mtime > kStaleTemporarySeconds)
            ::unlink(native.constData());
    }
}

QString randomLetters()
{
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
    QString out;
    for (int i = 0; i < kTemporaryRandomLength; ++i)
        out += QLatin1Char(kLetters[QRandomGenerator::system()->bounded(52)]);
    return out;
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

QString withDefaultSuffix(const QString &path, const QString &suffix)
{
    if (QFileInfo(path).suffix().isEmpty())
        return path.endsWith(u'.') ? path + suffix : path + u'.' + suffix;
    return path;
}

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

FileResult readFixedFile(const QString &path, int size, QByteArray &out)
{
    QByteArray data;
    const FileResult r = readSmallFile(path, MaxInputFileSize, data);
    if (!r.ok())
        return r;
    if (data.size() < size)
        return {FileError::TooShort, QString::number(data.size())};
    out = data.left(size);
    return {};
}

FileResult checkWritableTarget(const QString &path)
{
    if (path.isEmpty())
        return {FileError::CannotOpen, QStringLiteral("no file name")};
    const QString target = resolveTarget(path);
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
    const QString target = resolveTarget(path);
    removeStaleTemporaries(target);

    struct stat existing = {};
    const bool exists = ::stat(nativePath(target).constData(), &existing) == 0;
    const QString dir = QFileInfo(target).absolutePath();
    const QString prefix = temporaryPrefix(target);
    QString temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = dir + QLatin1Char('/') + prefix + randomLetters();
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

QString describeFileResult(const FileResult &result, const QString &path, int expectedSize)
{
    switch (result.error) {
    case FileError::None:
        return QString();
    case FileError::CannotOpen:
        return QStringLiteral("cannot open %1: %2").arg(path, result.detail);
    case FileError::CannotRead:
        return QStringLiteral("cannot read %1: %2").arg(path, result.detail);
    case FileError::TooShort:
        return QStringLiteral("%1 is not a valid file: it holds %2 bytes, %3 are needed")
            .arg(path, result.detail)
            .arg(expectedSize);
    case FileError::CannotWrite:
        return QStringLiteral("cannot write %1: %2").arg(path, result.detail);
    case FileError::NotRegular:
        return QStringLiteral("%1 is not a regular file (a device, pipe or socket); it is neither "
                              "read nor replaced")
            .arg(path);
    case FileError::TooLarge:
        return QStringLiteral("%1 is not a file of this program: it holds %2 bytes, far more than "
                              "any codeplug or calibration file")
            .arg(path, result.detail);
    case FileError::IsFolder:
        return QStringLiteral("%1 is a folder, not a file").arg(path);
    case FileError::NoFolder:
        return QStringLiteral("cannot write %1: the folder %2 does not exist")
            .arg(path, result.detail);
    }
    return QString();
}

} // namespace t880
