#include "ui/tprogramdialog.h"

#include "codeplug/productionrecord.h"

#include <QCryptographicHash>

#include "link/outcometext.h"
#include "link/serial/doctor.h"
#include "link/serial/serialtransfer.h"
#include "text/menucaption.h"
#include "text/textnames.h"
#include "ui/document.h"
#include "ui/messagedialogs.h"
#include "ui/tdoctordlg.h"

#include <QCloseEvent>
#include <QDir>
#include <QFrame>
#include <QHBoxLayout>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace t880 {

int portProblemTextNumber(link::PortProblem problem)
{
    switch (problem) {
    case link::PortProblem::NoSuchDevice:
        return text::MainText::OpenPortMissing;
    case link::PortProblem::InUse:
        return text::MainText::OpenPortInUse;
    case link::PortProblem::NoPermission:
        return text::MainText::OpenPortNoPermission;
    case link::PortProblem::NotSerial:
    case link::PortProblem::Other:
        break;
    }
    return text::MainText::OpenPortFailed;
}

TProgramDialog::TProgramDialog(Document &state, link::OpCode op, link::ReadMode mode,
                               QWidget *parent)
    : TProgramDialog(state, op, mode, link::PortMap::withBindings(state.config().portPaths), parent)
{}

TProgramDialog::TProgramDialog(Document &state, link::OpCode op, link::ReadMode mode,
                               const link::PortMap &map, QWidget *parent)
    : QDialog(parent), m_state(state), m_op(op), m_mode(mode), m_map(map), m_work(state.program())
{
    setObjectName(QStringLiteral("ProgramDialog"));
    using text::TextTable;
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setMinimumWidth(337);

    Bevel1 = new QFrame(this);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameShape(QFrame::StyledPanel);
    Bevel1->setFrameShadow(QFrame::Sunken);
    ProgramStart =
        new QPushButton(state.tableText(TextTable::Program, text::ProgramText::Start), Bevel1);
    ProgramStart->setObjectName(QStringLiteral("ProgramStart"));
    ProgramStart->setDefault(true);
    ProgramStart->setAutoDefault(true);
    CancelBtn =
        new QPushButton(state.tableText(TextTable::Program, text::ProgramText::Cancel), Bevel1);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    OKBtn = new QPushButton(this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->hide();
    for (QPushButton *b : {ProgramStart, CancelBtn})
        b->setMinimumWidth(88);

    auto *buttons = new QHBoxLayout(Bevel1);
    buttons->setContentsMargins(12, 10, 12, 10);
    buttons->addStretch();
    buttons->addWidget(ProgramStart);
    buttons->addStretch();
    buttons->addWidget(CancelBtn);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 20, 16, 16);
    layout->setSpacing(14);
    layout->addWidget(ProgressBar1);
    layout->addWidget(Bevel1);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(ProgramStart, &QPushButton::clicked, this, &TProgramDialog::ProgramStartClick);
    connect(CancelBtn, &QPushButton::clicked, this, &TProgramDialog::reject);
}

TProgramDialog::~TProgramDialog()
{
    if (!m_transfer)
        return;
    m_transfer->cancel();
    // Also a transfer that was closed: what a bug report needs.
    m_state.lastTrace() = m_transfer->trace();
}

const link::SerialTrace *TProgramDialog::trace() const
{
    return m_transfer ? &m_transfer->trace() : nullptr;
}

void TProgramDialog::ProgramStartClick()
{
    if (m_transfer)
        return; // each dialog runs one transfer
    ProgramStart->setEnabled(false);
    CancelBtn->setEnabled(false);
    startTransfer(m_state.config().autoSearchPort);
}

void TProgramDialog::startTransfer(bool autoSearch)
{
    link::PortSettings ports;
    ports.port = m_state.config().port;
    ports.autoSearch = autoSearch;
    m_transfer = std::make_unique<link::SerialTransfer>(m_work, m_op, m_mode, ports, m_map);
    m_transfer->setVerifyReads(m_state.config().verifyReads);
    link::TransferSafety safety = transferSafetyFrom(m_state.config());
    safety.readOperation = m_readOperation;
    if (m_restorePlan) {
        safety.writeOperation = backup::Operation::Restore;
        m_transfer->setRestorePlan(*m_restorePlan);
    }
    m_transfer->setSafety(safety);
    // What the production record says was written: the backup of a
    // restore, the window's codeplug as its file holds it.
    link::WriteSubject subject;
    if (!m_writtenFile.isEmpty()) {
        subject.file = m_writtenFile;
        subject.sha256 = production::fileSha256(m_writtenFile);
    } else if (m_op == link::OpCode::Codeplug && m_mode == link::ReadMode::Write) {
        subject.file = m_state.currentFile();
        subject.sha256 = QString::fromLatin1(
            QCryptographicHash::hash(m_work.codeplug.toByteArray(), QCryptographicHash::Sha256)
                .toHex());
    }
    m_transfer->setWriteSubject(subject);
    connect(m_transfer.get(), &link::SerialTransfer::progressUpdated, ProgressBar1,
            &QProgressBar::setValue);
    // Queued: the message box runs after the engine has left its call, with
    // the port closed and the timers stopped.
    connect(m_transfer.get(), &link::SerialTransfer::transferEnded, this,
            &TProgramDialog::transferEnded, Qt::QueuedConnection);
    m_transfer->start();
}

QString TProgramDialog::resultMessage(link::Outcome outcome) const
{
    QStringList lines = resultLines(outcome);
    // Neither stops a write, but the user hears of it, after the rest.
    if (const FileResult &r = m_transfer->journalResult(); !r.ok())
        lines << m_state.langText(text::MainText::JournalNotKept) + u' ' +
                     fileErrorReason(m_state.lang(), r, MainFileErrorTexts);
    if (const FileResult &r = m_transfer->recordResult(); !r.ok())
        lines << m_state.langText(text::MainText::RecordNotWritten) + u' ' +
                     QDir::toNativeSeparators(production::defaultPath()) + u' ' +
                     fileErrorReason(m_state.lang(), r, MainFileErrorTexts);
    return lines.join(u'\n');
}

QStringList TProgramDialog::resultLines(link::Outcome outcome) const
{
    using text::TextTable;
    QStringList lines{link::outcomeText(outcome, m_state.lang())};
    // What went wrong with this transfer, in a line; Details tells the rest.
    if (outcome == link::Outcome::CommunicationFalse && m_diagnosis) {
        const QString first = m_diagnosis->headline(m_state.lang());
        if (!first.isEmpty())
            lines << first;
    }
    if (m_mode != link::ReadMode::Write)
        return lines;
    if (outcome == link::Outcome::BackupFailed) {
        // Where the backup was to go, why it could not, and how to go on.
        lines << m_state.langText(text::MainText::BackupNotKept)
                     .arg(QDir::toNativeSeparators(m_transfer->backupFolder()))
              << fileErrorReason(m_state.lang(), m_transfer->backupResult(), MainFileErrorTexts)
              << m_state.langText(text::MainText::WithoutBackup)
                     .arg(text::menuCaption(m_state.langText(text::MainText::EditMenu)),
                          m_state.langText(text::MainText::BackupBeforeWrite));
        return lines;
    }
    const bool success = outcome == link::Outcome::Success;
    const bool passwordAtStake = !success && m_transfer->engine().passwordBlockSent();
    if (passwordAtStake)
        lines << m_state.tableText(TextTable::Program, text::ProgramText::PasswordAtStake);
    // A write names the backup it kept: the way back, when it did not end well.
    lines << link::backupNoteLines(m_transfer->backupPath(), passwordAtStake, m_state.lang());
    return lines;
}

void TProgramDialog::transferEnded(link::Outcome outcome)
{
    m_outcome = outcome;
    m_state.lastTrace() = m_transfer->trace();
    if (outcome == link::Outcome::Closed)
        return; // the user closed the window: no message
    m_diagnosis.reset();
    if (outcome == link::Outcome::CommunicationFalse) {
        m_diagnosis = link::diagnoseTransfer(*m_transfer);
        // The user knows the port by its number in this window.
        const QString device = m_transfer->portName();
        if (m_transfer->portNumber() > 0 && !device.isEmpty()) {
            for (link::Finding &f : m_diagnosis->findings) {
                if (f.path == device)
                    f.path =
                        m_state.langText(text::MainText::PortWithDevice)
                            .arg(QStringLiteral("COM%1").arg(m_transfer->portNumber()), device);
            }
        }
    }
    ProgressBar1->setValue(0);
    TUserWarnDlg message(m_state.lang(), this);
    message.setMessage(resultMessage(outcome));
    if (outcome == link::Outcome::CommunicationFalse) {
        QPushButton *details =
            message.addButton(m_state.langText(text::MainText::Details), "DetailsBtn");
        connect(details, &QPushButton::clicked, &message,
                [this, &message] { showDiagnosis(&message); });
    }
    m_searchAgain = false;
    message.exec();
    if (m_searchAgain) {
        // The same operation once more, over every port; the window's own
        // port choice stays as the user set it. The failed transfer may have
        // filled part of the copy, so the next one starts from the window's.
        m_transfer.release()->deleteLater();
        m_work = m_state.program();
        m_outcome = link::Outcome::Running;
        startTransfer(true);
        return;
    }
    done(outcome == link::Outcome::Success ? Accepted : Rejected);
}

int TProgramDialog::usedPort() const
{
    if (m_transfer && m_transfer->portNumber() > 0)
        return m_transfer->portNumber();
    return m_state.config().port;
}

void TProgramDialog::showDiagnosis(QDialog *message)
{
    const link::DoctorReport report =
        m_diagnosis ? *m_diagnosis : link::diagnoseTransfer(*m_transfer);
    // With the automatic search on, every port was tried already.
    TDoctorDlg doctor(m_state, report, !m_state.config().autoSearchPort, message);
    if (doctor.exec() == TDoctorDlg::SearchAgain) {
        m_searchAgain = true;
        message->accept();
    }
}

const ProgramState *TProgramDialog::completedResult()
{
    if (m_outcome != link::Outcome::Success || !m_transfer)
        return nullptr;
    if (!m_completed) {
        m_transfer->runCompletion();
        m_completed = true;
    }
    return &m_work;
}

bool TProgramDialog::takeResult()
{
    const ProgramState *result = completedResult();
    if (!result)
        return false;
    m_state.adopt(*result);
    return true;
}

void TProgramDialog::reject()
{
    // Escape is a reflex, often meant for some other window: stopping a
    // write half-way would leave the radio half written. Only the close box
    // ends a running transfer (closeEvent()), also one whose end is still
    // on its way to transferEnded().
    if (m_transfer && m_outcome == link::Outcome::Running)
        return;
    QDialog::reject();
}

void TProgramDialog::closeEvent(QCloseEvent *event)
{
    // The close box ends the transfer at once: the port is closed and
    // nothing more is sent. A transfer that has just ended is not undone:
    // its result, on its way to transferEnded(), closes the dialog.
    if (m_transfer && m_outcome == link::Outcome::Running) {
        if (!m_transfer->isRunning()) {
            event->ignore();
            return;
        }
        m_transfer->cancel();
        m_outcome = link::Outcome::Closed;
    }
    QDialog::closeEvent(event);
}

} // namespace t880
