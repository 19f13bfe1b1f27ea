#include "ui/config/recoverystore.h"

#include "codeplug/codeplugdata.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>

namespace t880 {

namespace {

constexpr char CopySuffix[] = ".Kzx";
constexpr char LockSuffix[] = ".lock";

} // namespace

RecoveryStore::RecoveryStore(const QString &folder)
    : m_folder(folder.isEmpty() ? defaultFolder() : folder),
      m_id(QStringLiteral("%1-%2")
               .arg(QCoreApplication::applicationPid())
               .arg(QDateTime::currentMSecsSinceEpoch()))
{}

RecoveryStore::~RecoveryStore() = default;

QString RecoveryStore::defaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) +
           QStringLiteral("/recovery");
}

QString RecoveryStore::pathFor(const QString &id, const char *suffix) const
{
    return m_folder + QLatin1Char('/') + id + QLatin1String(suffix);
}

QString RecoveryStore::copyPath() const
{
    return pathFor(m_id, CopySuffix);
}

bool RecoveryStore::begin()
{
    if (!QDir().mkpath(m_folder))
        return false;
    auto lock = std::make_unique<QLockFile>(pathFor(m_id, LockSuffix));
    lock->setStaleLockTime(0); // only a gone process makes a lock stale
    if (!lock->tryLock(0))
        return false;
    m_lock = std::move(lock);
    return true;
}

std::vector<RecoveryStore::Orphan> RecoveryStore::orphans() const
{
    std::vector<Orphan> found;
    const QDir dir(m_folder);
    const QStringList copies =
        dir.entryList({QStringLiteral("*") + QLatin1String(CopySuffix)}, QDir::Files);
    for (const QString &name : copies) {
        const QString id = QFileInfo(name).completeBaseName();
        if (id == m_id)
            continue;
        // A lock we can take is one nobody holds: the run that kept this
        // copy is gone (a stale lock is removed by taking it).
        QLockFile lock(pathFor(id, LockSuffix));
        lock.setStaleLockTime(0);
        if (!lock.tryLock(0))
            continue;
        lock.unlock();
        const QFileInfo info(dir.filePath(name));
        found.push_back({id, info.absoluteFilePath(), info.lastModified()});
    }
    std::sort(found.begin(), found.end(),
              [](const Orphan &a, const Orphan &b) { return a.modified > b.modified; });
    return found;
}

QByteArray RecoveryStore::adopt(const Orphan &orphan)
{
    QByteArray bytes;
    const FileResult read = readFixedFile(orphan.path, CodeplugData::Size, bytes);
    discard(orphan);
    return read.ok() ? bytes : QByteArray();
}

void RecoveryStore::discard(const Orphan &orphan)
{
    QFile::remove(orphan.path);
}

FileResult RecoveryStore::save(const QByteArray &codeplug)
{
    if (!m_lock) {
        FileResult result;
        result.error = FileError::NoFolder;
        return result;
    }
    return writeFileAtomically(copyPath(), codeplug);
}

void RecoveryStore::clear()
{
    QFile::remove(copyPath());
}

void RecoveryStore::end()
{
    if (!m_lock)
        return;
    QFile::remove(copyPath());
    m_lock.reset(); // unlocks and removes the lock file
}

} // namespace t880
