// The window's recovery copies: while a run has changes that are neither
// saved nor written, a copy of the working codeplug waits in the user's data
// folder; a run that ends normally removes it. Each run holds a lock beside
// its copy, so that several windows may run at once and a copy is offered
// again only when the run that left it is gone (its lock stale).
// QtCore only: it lives in the core and is tested without widgets.
#pragma once

#include "codeplug/safefile.h"

#include <QByteArray>
#include <QDateTime>
#include <QLockFile>
#include <QString>

#include <memory>
#include <vector>

namespace t880 {

class RecoveryStore
{
public:
    /// A copy left by a run that did not end normally.
    struct Orphan
    {
        QString id;
        QString path;
        QDateTime modified;
    };

    /// The store in \a folder; the default is "recovery" in the user's data
    /// folder (XDG_DATA_HOME honoured).
    explicit RecoveryStore(const QString &folder = QString());
    ~RecoveryStore();

    RecoveryStore(const RecoveryStore &) = delete;
    RecoveryStore &operator=(const RecoveryStore &) = delete;

    static QString defaultFolder();
    QString folder() const { return m_folder; }

    /// Makes the folder and takes this run's lock. Returns false when that
    /// cannot be done (the window then simply keeps no copies).
    bool begin();
    /// Copies left by runs whose process is gone, newest first.
    std::vector<Orphan> orphans() const;
    /// Reads an orphan's codeplug and removes it; an orphan that cannot be
    /// read is removed all the same and gives an empty array.
    QByteArray adopt(const Orphan &orphan);
    /// Removes an orphan without reading it.
    void discard(const Orphan &orphan);

    /// Writes this run's copy atomically.
    FileResult save(const QByteArray &codeplug);
    /// Removes this run's copy (the changes were saved or written).
    void clear();
    /// Ends the run normally: the copy goes.
    void end();

    QString copyPath() const;

private:
    QString pathFor(const QString &id, const char *suffix) const;

    QString m_folder;
    QString m_id; ///< process and start time: unique even when process numbers repeat
    std::unique_ptr<QLockFile> m_lock;
};

} // namespace t880
