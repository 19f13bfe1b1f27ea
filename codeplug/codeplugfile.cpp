#include "codeplug/codeplugfile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace t880 {

QString withDefaultSuffix(const QString &path, const QString &suffix)
{
    if (QFileInfo(path).suffix().isEmpty())
        return path.endsWith(u'.') ? path + suffix : path + u'.' + suffix;
    return path;
}

FileResult readFixedFile(const QString &path, int size, QByteArray &out)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {FileError::CannotOpen, file.errorString()};
    QByteArray data = file.read(size);
    if (file.error() != QFileDevice::NoError)
        return {FileError::CannotRead, file.errorString()};
    if (data.size() < size)
        return {FileError::TooShort, QString::number(data.size())};
    out = data;
    return {};
}

FileResult writeFileAtomically(const QString &path, const QByteArray &data)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {FileError::CannotOpen, file.errorString()};
    if (file.write(data) != data.size() || !file.flush()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return {FileError::CannotWrite, reason};
    }
    if (!file.commit())
        return {FileError::CannotWrite, file.errorString()};
    return {};
}

namespace codeplugfile {

FileResult load(const QString &path, CodeplugData &data)
{
    QByteArray bytes;
    FileResult result = readFixedFile(path, CodeplugData::Size, bytes);
    if (result.ok())
        data.replaceLeading(bytes);
    return result;
}

FileResult save(const QString &path, const CodeplugData &data)
{
    return writeFileAtomically(path, data.toByteArray());
}

} // namespace codeplugfile

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
    }
    return QString();
}

} // namespace t880
