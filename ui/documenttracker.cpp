#include "ui/documenttracker.h"

#include "codeplug/codeplugdata.h"

#include <QFileInfo>

namespace t880 {

DocumentTracker::DocumentTracker(const CodeplugData &codeplug, QObject *parent)
    : QObject(parent), m_codeplug(codeplug), m_clean(codeplug.toByteArray())
{
    m_recoveryTimer.setSingleShot(true);
    m_recoveryTimer.setInterval(RecoveryDelayMs);
    connect(&m_recoveryTimer, &QTimer::timeout, this, &DocumentTracker::saveRecoveryCopy);
}

DocumentTracker::~DocumentTracker() = default;

bool DocumentTracker::enableRecovery(const QString &folder)
{
    auto store = std::make_unique<RecoveryStore>(folder);
    if (!store->begin())
        return false;
    m_recovery = std::move(store);
    return true;
}

std::vector<RecoveryStore::Orphan> DocumentTracker::orphans() const
{
    return m_recovery ? m_recovery->orphans() : std::vector<RecoveryStore::Orphan>();
}

QByteArray DocumentTracker::adopt(const RecoveryStore::Orphan &orphan)
{
    return m_recovery ? m_recovery->adopt(orphan) : QByteArray();
}

void DocumentTracker::discard(const RecoveryStore::Orphan &orphan)
{
    if (m_recovery)
        m_recovery->discard(orphan);
}

void DocumentTracker::end()
{
    m_recoveryTimer.stop();
    if (m_recovery)
        m_recovery->end();
}

void DocumentTracker::setFile(const QString &path)
{
    m_file = QFileInfo(path).absoluteFilePath();
    m_radioPort.clear();
    markClean();
}

void DocumentTracker::setReadFromRadio(const QString &port, const QDateTime &when)
{
    m_file.clear();
    m_radioPort = port;
    m_readAt = when;
    markClean();
}

void DocumentTracker::setWritten()
{
    markClean();
}

void DocumentTracker::setNew()
{
    m_file.clear();
    m_radioPort.clear();
    markClean();
}

void DocumentTracker::setRecovered()
{
    m_file.clear();
    m_radioPort.clear();
    // Nothing of it is saved anywhere but in the copy just taken.
    m_clean.clear();
    touch();
}

void DocumentTracker::markClean()
{
    m_clean = m_codeplug.toByteArray();
    touch();
}

void DocumentTracker::touch()
{
    const bool modified = m_codeplug.toByteArray() != m_clean;
    if (modified) {
        m_recoveryTimer.start();
    } else {
        m_recoveryTimer.stop();
        if (m_recovery)
            m_recovery->clear();
    }
    if (modified != m_modified) {
        m_modified = modified;
        emit modifiedChanged(modified);
    }
}

void DocumentTracker::saveRecoveryCopy()
{
    // A copy that cannot be written is no reason to trouble the user: the
    // model itself is intact, and the next change tries again.
    if (m_recovery && m_modified)
        m_recovery->save(m_codeplug.toByteArray());
}

QString DocumentTracker::documentName(const QString &radioText) const
{
    if (!m_file.isEmpty())
        return QFileInfo(m_file).fileName();
    if (!m_radioPort.isEmpty())
        return radioText.arg(m_radioPort, m_readAt.time().toString(QStringLiteral("HH:mm")));
    return QString();
}

} // namespace t880
