// The programming dialog: one transfer with the radio, started by the user's
// Start, shown as a progress bar, ended by a result message. It works on a
// copy of the program state; only a transfer that succeeded hands its result
// back (takeResult()), so a failed read cannot touch the model. The window
// stays responsive throughout: the transfer is driven by timers and the
// port's signals on the window's own thread.
#pragma once

#include "codeplug/backupfile.h"
#include "link/programstate.h"
#include "link/serial/doctor.h"
#include "link/serial/portmap.h"
#include "link/transferengine.h"

#include <QDialog>

#include <memory>
#include <optional>

class QFrame;
class QProgressBar;
class QPushButton;

namespace t880 {

namespace link {
class SerialTrace;
class SerialTransfer;
enum class PortProblem;
} // namespace link
class Document;

/// The main table's text that says why a port could not be opened.
int portProblemTextNumber(link::PortProblem problem);

class TProgramDialog : public QDialog
{
    Q_OBJECT
public:
    /// A transfer of \a op in direction \a mode over the ports of the
    /// window's configuration.
    TProgramDialog(Document &state, link::OpCode op, link::ReadMode mode, QWidget *parent);
    /// The same over the ports of \a map (tests bind a virtual radio here).
    TProgramDialog(Document &state, link::OpCode op, link::ReadMode mode, const link::PortMap &map,
                   QWidget *parent);
    ~TProgramDialog() override;

    /// How the transfer ended; Running until it has.
    link::Outcome outcome() const { return m_outcome; }
    /// After a success: runs the operation's completion actions on the copy
    /// and makes it the window's program state. Returns false (and changes
    /// nothing) for any other ending.
    bool takeResult();
    /// After a success: the transferred state with the operation's
    /// completion run, for a caller that looks at a read without taking it
    /// (a compare). Null for any other ending.
    const ProgramState *completedResult();

    /// The number of the port the transfer ran on: with the automatic
    /// search, the one where it came to; the configured one before Start.
    int usedPort() const;

    /// Every byte of the transfer each way (password blocks masked); null
    /// before Start. The window keeps a copy once the dialog ends.
    const link::SerialTrace *trace() const;

    /// Writes \a plan's raw blocks instead of the model (a restore); set
    /// before Start.
    void setRestorePlan(link::RestorePlan plan) { m_restorePlan = std::move(plan); }
    /// The file a restore writes back (the backup), for the production
    /// record; a codeplug write names the window's file itself.
    void setWrittenFile(const QString &path) { m_writtenFile = path; }
    /// What the backup of a read calls its operation (a compare says so).
    void setReadOperation(backup::Operation operation) { m_readOperation = operation; }

    QProgressBar *ProgressBar1;
    QFrame *Bevel1;
    QPushButton *ProgramStart;
    QPushButton *CancelBtn;
    QPushButton *OKBtn; ///< kept hidden; the dialog has no use for it

public slots:
    void reject() override;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void ProgramStartClick();
    void startTransfer(bool autoSearch);
    void transferEnded(link::Outcome outcome);
    void showDiagnosis(QDialog *message);
    QString resultMessage(link::Outcome outcome) const;
    QStringList resultLines(link::Outcome outcome) const;

    Document &m_state;
    const link::OpCode m_op;
    const link::ReadMode m_mode;
    link::PortMap m_map;
    ProgramState m_work;
    std::unique_ptr<link::SerialTransfer> m_transfer;
    link::Outcome m_outcome = link::Outcome::Running;
    bool m_completed = false;
    std::optional<link::RestorePlan> m_restorePlan;
    QString m_writtenFile;
    backup::Operation m_readOperation = backup::Operation::Read;
    /// The doctor's findings after "Communication False".
    std::optional<link::DoctorReport> m_diagnosis;
    /// The user asked, from the doctor's findings, to search every port.
    bool m_searchAgain = false;
};

} // namespace t880
