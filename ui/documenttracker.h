// What the window holds and whether it is safe: where the working codeplug
// came from (a file, a radio, New), whether it has changes that were neither
// saved nor written, and a recovery copy of those changes that a run which
// does not end normally leaves for the next.
#pragma once

#include "ui/config/recoverystore.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

namespace t880 {

class CodeplugData;

class DocumentTracker : public QObject
{
    Q_OBJECT
public:
    /// How long after the last change the recovery copy is written.
    static constexpr int RecoveryDelayMs = 3000;

    /// Tracks \a codeplug, which must outlive the tracker; it starts clean.
    explicit DocumentTracker(const CodeplugData &codeplug, QObject *parent = nullptr);
    ~DocumentTracker() override;

    /// Keeps recovery copies in \a folder (empty: the user's data folder).
    /// Returns false when the folder cannot be used.
    bool enableRecovery(const QString &folder = QString());
    /// Copies left by runs that did not end normally, newest first.
    std::vector<RecoveryStore::Orphan> orphans() const;
    /// Reads an orphan's codeplug and removes the copy (empty when unreadable).
    QByteArray adopt(const RecoveryStore::Orphan &orphan);
    /// Removes an orphan's copy unread.
    void discard(const RecoveryStore::Orphan &orphan);
    /// Removes this run's copy and lock: the run ends normally.
    void end();

    /// The model was just opened from or saved to \a path.
    void setFile(const QString &path);
    /// The model was just read from the radio on \a port.
    void setReadFromRadio(const QString &port, const QDateTime &when);
    /// The model was just written into a radio: nothing is left unsaved in it.
    void setWritten();
    /// The model was just reset by New.
    void setNew();
    /// The model was restored from a recovery copy: it holds changes.
    void setRecovered();

    /// The model may have changed: updates the mark and, while there are
    /// changes, writes the recovery copy a little later.
    void touch();

    bool isModified() const { return m_modified; }
    /// The file the model was last opened from or saved to; empty when it
    /// came from a radio or New.
    QString currentFile() const { return m_file; }
    /// The name the title shows: the file's name, or the radio and the time
    /// of the read (\a radioText is the text with %1 for the port and %2 for
    /// the time); empty after New.
    QString documentName(const QString &radioText) const;

signals:
    void modifiedChanged(bool modified);

private:
    void markClean();
    void saveRecoveryCopy();

    const CodeplugData &m_codeplug;
    QByteArray m_clean;
    bool m_modified = false;
    QString m_file;
    QString m_radioPort;
    QDateTime m_readAt;
    std::unique_ptr<RecoveryStore> m_recovery;
    QTimer m_recoveryTimer;
};

} // namespace t880
