// Write to several radios: the window's codeplug into every chosen port at
// once, one transfer per port, each with its own progress and result. For a
// production line the Repeat mode keeps the ports and counts the radios done
// and failed across rounds; the next round starts on Start (Enter or Space).
// The ports offered are the system's, the configuration's bindings (shown
// with their port number; one whose device is missing greyed) and any given
// by path. The transfers run on the window's thread, driven by their ports'
// signals and timers, so the dialog never blocks.
#pragma once

#include "link/transferengine.h"

#include <QDialog>
#include <QStringList>

#include <memory>

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableWidget;

namespace t880 {

namespace link {
class GangTransfer;
}
class Document;

class TGangWriteDlg : public QDialog
{
    Q_OBJECT
public:
    /// Columns of the port table.
    enum Column { PortColumn, AdapterColumn, ProgressColumn, ResultColumn, Columns };

    TGangWriteDlg(Document &state, QWidget *parent);
    ~TGangWriteDlg() override;

    /// Whether a round is being written.
    bool isRunning() const;
    /// Whether any radio took the codeplug while the dialog was open.
    bool wroteAny() const { return m_wroteAny; }
    /// The ports whose check box is on, in the table's order.
    QStringList checkedPorts() const;
    /// The listed device that \a path names (itself, or a link to it);
    /// empty when none.
    QString listedAs(const QString &path) const;

    QTableWidget *tPorts;
    QLineEdit *eAddPort;
    QPushButton *AddPortBtn;
    QPushButton *RefreshBtn;
    QCheckBox *cbRepeat;
    QLabel *sCount;
    QLabel *sStatus;
    QPushButton *StartBtn;
    QPushButton *SaveTraceBtn;
    QPushButton *CloseBtn;

public slots:
    void reject() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void refreshPorts();
    void AddPortBtnClick();
    void StartBtnClick();
    void SaveTraceBtnClick();
    void portEnded(int index, link::Outcome outcome);
    void roundEnded();
    void setRunning(bool running);
    void updateCount();
    void updateSaveTrace();
    void fillResult(int row);
    int gangIndexOfRow(int row) const;
    int rowOfGangIndex(int index) const;
    QProgressBar *progressBar(int row) const;
    QString resultText(int index) const;

    Document &m_state;
    QAction *m_saveTraceAction = nullptr;
    std::unique_ptr<link::GangTransfer> m_gang;
    QStringList m_addedPorts; ///< ports given by path; kept across Refresh
    QStringList m_checked;
    bool m_filling = false;
    bool m_wroteAny = false;
    // Radios written well and radios that failed, in this round or, with
    // Repeat on, since Repeat was switched on.
    int m_done = 0;
    int m_failed = 0;
};

} // namespace t880
