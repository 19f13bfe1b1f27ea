#include "codeplug/writejournal.h"

#include "text/textnames.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QStandardPaths>

#include <algorithm>

namespace t880::journal {

namespace {

const QString NoteSuffix = QStringLiteral(".json");

QByteArray noteOf(const Entry &e)
{
    QJsonObject o;
    o.insert(QStringLiteral("port"), e.port);
    o.insert(QStringLiteral("device"), e.device);
    o.insert(QStringLiteral("operation"), backup::operationName(e.operation));
    o.insert(QStringLiteral("area"),
             e.calibration ? QStringLiteral("calibration") : QStringLiteral("codeplug"));
    o.insert(QStringLiteral("file"), e.file);
    o.insert(QStringLiteral("backup"), e.backup);
    o.insert(QStringLiteral("time"), e.time.toUTC().toString(Qt::ISODateWithMs));
    o.insert(QStringLiteral("pid"), e.pid);
    o.insert(QStringLiteral("processStart"), e.processStart);
    return QJsonDocument(o).toJson(QJsonDocument::Indented);
}

bool entryOf(const QByteArray &bytes, Entry &e)
{
    const QJsonDocument doc = QJsonDocument::fromJson(bytes);
    if (!doc.isObject())
        return false;
    const QJsonObject o = doc.object();
    const auto operation =
        backup::operationFromName(o.value(QStringLiteral("operation")).toString());
    e.time = QDateTime::fromString(o.value(QStringLiteral("time")).toString(), Qt::ISODateWithMs);
    e.pid = qint64(o.value(QStringLiteral("pid")).toDouble());
    if (!operation || !e.time.isValid() || e.pid <= 0)
        return false;
    e.operation = *operation;
    e.time = e.time.toUTC();
    e.port = o.value(QStringLiteral("port")).toString();
    e.device = o.value(QStringLiteral("device")).toString();
    e.calibration = o.value(QStringLiteral("area")).toString() == QLatin1String("calibration");
    e.file = o.value(QStringLiteral("file")).toString();
    e.backup = o.value(QStringLiteral("backup")).toString();
    e.processStart = o.value(QStringLiteral("processStart")).toString();
    return true;
}

QString canonical(const QString &path)
{
    return path.isEmpty() ? QString() : QFileInfo(path).canonicalFilePath();
}

} // namespace

QString defaultFolder()
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    return data.isEmpty() ? QString() : QDir(data).filePath(QStringLiteral("journal"));
}

FileResult open(const QString &folder, Entry &entry)
{
    if (folder.isEmpty())
        return {FileError::NoFolder, QStringLiteral("no data folder")};
    if (const FileResult made = makeFolders(folder); !made.ok())
        return made;
    entry.pid = QCoreApplication::applicationPid();
    entry.processStart = processStartOf(entry.pid);
    if (!entry.time.isValid())
        entry.time = QDateTime::currentDateTimeUtc();
    // A name of its own for every write, also for several radios at once.
    const QString name =
        QStringLiteral("%1-%2-%3")
            .arg(entry.time.toUTC().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz")))
            .arg(entry.pid)
            .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
    entry.path = QDir(folder).filePath(name + NoteSuffix);
    const FileResult written = writeFileAtomically(entry.path, noteOf(entry));
    if (!written.ok())
        entry.path.clear();
    return written;
}

void close(const Entry &entry)
{
    if (!entry.path.isEmpty())
        QFile::remove(entry.path);
}

std::vector<Entry> list(const QString &folder)
{
    std::vector<Entry> out;
    if (folder.isEmpty())
        return out;
    const QDir dir(folder);
    for (const QString &name :
         dir.entryList({QStringLiteral("*") + NoteSuffix}, QDir::Files, QDir::Name)) {
        Entry e;
        QByteArray bytes;
        const QString path = dir.filePath(name);
        if (!readSmallFile(path, MaxInputFileSize, bytes).ok() || !entryOf(bytes, e))
            continue;
        e.path = path;
        out.push_back(e);
    }
    std::stable_sort(out.begin(), out.end(),
                     [](const Entry &a, const Entry &b) { return a.time < b.time; });
    return out;
}

bool processRuns(const Entry &entry)
{
    const QString start = processStartOf(entry.pid);
    return !start.isEmpty() && start == entry.processStart;
}

std::vector<Entry> unfinished(const QString &folder)
{
    std::vector<Entry> out = list(folder);
    out.erase(std::remove_if(out.begin(), out.end(), processRuns), out.end());
    return out;
}

bool samePort(const Entry &entry, const QString &given, const QString &device)
{
    if (!given.isEmpty() && entry.port == given)
        return true;
    if (device.isEmpty() || entry.device.isEmpty())
        return false;
    if (entry.device == device)
        return true;
    const QString a = canonical(entry.device);
    return !a.isEmpty() && a == canonical(device);
}

int closeReplaced(const QString &folder, const QString &given, const QString &device,
                  bool calibration)
{
    int closed = 0;
    for (const Entry &e : unfinished(folder)) {
        if (e.calibration == calibration && samePort(e, given, device)) {
            close(e);
            ++closed;
        }
    }
    return closed;
}

QString unfinishedText(const Entry &entry, const text::TAppLang &lang)
{
    const QDateTime local = entry.time.toLocalTime();
    const QString when =
        local.toString(local.date() == QDate::currentDate() ? QStringLiteral("HH:mm")
                                                            : QStringLiteral("yyyy-MM-dd HH:mm"));
    // The port as the user named it, unless that was a number.
    bool number = false;
    entry.port.toInt(&number);
    const QString where = entry.device.isEmpty() || !number ? entry.port : entry.device;
    if (entry.backup.isEmpty())
        return lang.text(text::TextTable::Main, text::MainText::UnfinishedWriteNoBackup)
            .arg(where, when);
    return lang.text(text::TextTable::Main, text::MainText::UnfinishedWrite)
        .arg(where, when, entry.backup);
}

} // namespace t880::journal
