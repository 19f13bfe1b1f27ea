#include "codeplug/productionrecord.h"

#include "codeplug/csvtable.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>
#include <QSysInfo>

#include <algorithm>

namespace t880::production {

namespace {

constexpr QChar Separator = u',';
/// A year of a busy line is far below this; a larger file is not read.
constexpr qint64 MaxRecordBytes = 32 * 1024 * 1024;
/// How long an append waits for another program's append.
constexpr int LockWaitMs = 10000;

QStringList fieldsOf(const Line &line)
{
    return {line.time.toUTC().toString(Qt::ISODate),
            line.computer,
            line.operation,
            line.port,
            line.device,
            line.radio,
            line.file,
            line.sha256,
            line.result,
            QString::number(line.exitCode),
            QString::number(line.seconds, 'f', 1),
            line.backup};
}

bool lineOf(const QStringList &fields, Line &line)
{
    if (fields.size() < header().size())
        return false;
    line.time = QDateTime::fromString(fields[0], Qt::ISODate);
    if (!line.time.isValid())
        return false;
    line.time = line.time.toUTC();
    line.computer = fields[1];
    line.operation = fields[2];
    line.port = fields[3];
    line.device = fields[4];
    line.radio = fields[5];
    line.file = fields[6];
    line.sha256 = fields[7];
    line.result = fields[8];
    bool ok = false;
    line.exitCode = fields[9].toInt(&ok);
    if (!ok)
        return false;
    line.seconds = fields[10].toDouble(&ok);
    if (!ok)
        return false;
    line.backup = fields[11];
    return true;
}

QDateTime oldestKept(const QDateTime &now, int maxAgeDays)
{
    // A year's record stays whole, whatever the age limit says.
    const QDateTime yearStart(QDate(now.toUTC().date().year(), 1, 1), QTime(0, 0), Qt::UTC);
    return std::min(now.addDays(-qint64(std::max(0, maxAgeDays))), yearStart);
}

// Called with the lock held. Rewrites the record without its old lines when
// its first line is older than the limit; reads the whole file only then.
FileResult prune(const QString &path, const QDateTime &now, int maxAgeDays)
{
    const QDateTime oldest = oldestKept(now, maxAgeDays);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    file.readLine(); // the header
    Line first;
    const bool old =
        lineOf(csv::readTable("h\r\n" + file.readLine(), Separator).records.value(0).fields,
               first) &&
        first.time < oldest;
    file.close();
    if (!old)
        return {};
    const Loaded loaded = load(path);
    if (!loaded.result.ok())
        return loaded.result;
    QByteArray kept = csv::writeLine(header(), Separator);
    for (const Line &line : loaded.lines) {
        if (line.time >= oldest)
            kept += csv::writeLine(fieldsOf(line), Separator);
    }
    return writeFileAtomically(path, kept);
}

} // namespace

QString defaultPath()
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    return data.isEmpty() ? QString() : QDir(data).filePath(QStringLiteral("production.csv"));
}

const QStringList &header()
{
    static const QStringList names{
        QStringLiteral("time"), QStringLiteral("computer"), QStringLiteral("operation"),
        QStringLiteral("port"), QStringLiteral("device"),   QStringLiteral("radio"),
        QStringLiteral("file"), QStringLiteral("sha256"),   QStringLiteral("result"),
        QStringLiteral("exit"), QStringLiteral("seconds"),  QStringLiteral("backup")};
    return names;
}

FileResult append(const QString &path, const Line &line, int maxAgeDays)
{
    if (path.isEmpty())
        return {FileError::NoFolder, QStringLiteral("no data folder")};
    const QFileInfo info(path);
    if (info.isDir())
        return {FileError::IsFolder, {}};
    if (info.exists() && !info.isFile())
        return {FileError::NotRegular, {}};
    if (const FileResult made = makeFolders(info.absolutePath()); !made.ok())
        return made;
    QLockFile lock(path + QStringLiteral(".lock"));
    if (!lock.tryLock(LockWaitMs))
        return {FileError::CannotWrite, QStringLiteral("another program keeps the record locked")};
    // Pruning is housekeeping: a failure leaves the old lines, not the new one out.
    prune(path, line.time, maxAgeDays);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return {FileError::CannotOpen, file.errorString()};
    QByteArray bytes;
    if (file.size() == 0)
        bytes = csv::writeLine(header(), Separator);
    bytes += csv::writeLine(fieldsOf(line), Separator);
    // One write of whole lines: a reader never sees half of one.
    if (file.write(bytes) != bytes.size() || !file.flush())
        return {FileError::CannotWrite, file.errorString()};
    return {};
}

Loaded load(const QString &path)
{
    Loaded loaded;
    if (!QFileInfo::exists(path))
        return loaded;
    QByteArray data;
    loaded.result = readSmallFile(path, MaxRecordBytes, data);
    if (!loaded.result.ok())
        return loaded;
    const csv::Table table = csv::readTable(data, Separator, MaxRecordBytes);
    if (table.error == csv::TableError::NoHeader)
        return loaded;
    if (!table.ok() || table.header.mid(0, header().size()) != header()) {
        loaded.result = {FileError::CannotRead, QStringLiteral("not a production record")};
        return loaded;
    }
    for (const csv::Record &record : table.records) {
        Line line;
        if (lineOf(record.fields, line))
            loaded.lines.push_back(line);
        else
            ++loaded.skipped;
    }
    return loaded;
}

bool matches(const Line &line, const QDate &since, const QString &result)
{
    if (since.isValid() && line.time.toLocalTime().date() < since)
        return false;
    return result.isEmpty() || line.result.contains(result, Qt::CaseInsensitive);
}

QString fileSha256(const QString &path)
{
    QByteArray data;
    if (!readSmallFile(path, MaxInputFileSize, data).ok())
        return QString();
    return QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex());
}

QString computerName()
{
    return QSysInfo::machineHostName();
}

} // namespace t880::production
