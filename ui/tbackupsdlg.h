// File > Backups: the radio contents kept by earlier transfers, newest
// first, with the time, the kind of radio, the port, the operation and the
// channels in use. The user opens a codeplug backup into the window or has
// a backup written back into the radio as it was taken; the window carries
// out the choice.
#pragma once

#include "codeplug/backupstore.h"

#include <QDialog>

#include <vector>

class QPushButton;
class QTableWidget;

namespace t880 {

class Document;

class TBackupsDlg : public QDialog
{
    Q_OBJECT
public:
    enum class Choice { None, Open, Restore };

    /// The backups in \a folder (empty: the user's backup folder).
    TBackupsDlg(const Document &state, const QString &folder, QWidget *parent);

    Choice choice() const { return m_choice; }
    /// The backup chosen; null when none.
    const backup::Entry *chosen() const;

    /// The main table's text that names \a operation.
    static int operationTextNumber(backup::Operation operation);

    /// "1-5, 8, 10": channel numbers with runs joined.
    static QString channelList(const std::vector<int> &channels);

    QTableWidget *tBackups;
    QPushButton *OpenBtn;
    QPushButton *RestoreBtn;
    QPushButton *CloseBtn;

private:
    void selectionChanged();
    void finish(Choice choice);

    const Document &m_state;
    std::vector<backup::Entry> m_entries;
    Choice m_choice = Choice::None;
};

} // namespace t880
