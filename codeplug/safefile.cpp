#include "codeplug/safefile.h"

#include "codeplug/safefileparts.h"

#include <QFileInfo>
#include <QRandomGenerator>

namespace t880 {

namespace safefile {

namespace {

constexpr int kTemporaryRandomLength = 6;
const QString kTemporaryMark = QStringLiteral(".t880~");

} // namespace

QString resolveTarget(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isSymLink())
        return path;
    const QString target = info.exists() ? info.canonicalFilePath() : info.symLinkTarget();
    return target.isEmpty() ? path : target;
}

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

QString temporaryName(const QString &target)
{
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
    QString name = QFileInfo(target).absolutePath() + QLatin1Char('/') + temporaryPrefix(target);
    for (int i = 0; i < kTemporaryRandomLength; ++i)
        name += QLatin1Char(kLetters[QRandomGenerator::system()->bounded(52)]);
    return name;
}

} // namespace safefile

QString withDefaultSuffix(const QString &path, const QString &suffix)
{
    if (QFileInfo(path).suffix().isEmpty())
        return path.endsWith(u'.') ? path + suffix : path + u'.' + suffix;
    return path;
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
