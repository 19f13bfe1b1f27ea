// File > Production record: every write into a radio as the record keeps
// it, newest first, filtered by date and result; the backup taken before a
// write opens into the window.
#pragma once

#include "codeplug/productionrecord.h"

#include <QDialog>

#include <vector>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QPushButton;
class QTableWidget;

namespace t880 {

class Document;

class TProductionDlg : public QDialog
{
    Q_OBJECT
public:
    /// The record at \a path (empty: the user's record).
    TProductionDlg(const Document &state, const QString &path, QWidget *parent);

    /// The backup chosen with Open backup; empty when none.
    const QString &chosenBackup() const { return m_chosen; }

    QCheckBox *cSince;
    QDateEdit *eSince;
    QComboBox *cbResult;
    QTableWidget *tProduction;
    QLabel *sStatus;
    QPushButton *OpenBtn;
    QPushButton *CloseBtn;

private:
    void fill();
    void selectionChanged();
    /// The line of the selected row; null when none.
    const production::Line *selected() const;

    const Document &m_state;
    production::Loaded m_record;
    std::vector<const production::Line *> m_shown;
    QString m_chosen;
};

} // namespace t880
