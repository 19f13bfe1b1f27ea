#include "ui/tgangwritedlg.h"

#include "codeplug/productionrecord.h"

#include <QCryptographicHash>
#include <QDir>

#include "link/outcometext.h"
#include "link/serial/doctor.h"
#include "link/serial/gangtransfer.h"
#include "link/serial/portmap.h"
#include "text/textnames.h"
#include "ui/document.h"
#include "ui/messagedialogs.h"
#include "ui/tprogramdialog.h"
#include "ui/tracecommands.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace t880 {

namespace {

struct PortRow
{
    QString device;
    QString adapter;
    int number = 0; ///< the configuration's port number bound to the device; 0 for none
    bool present = true;
};

QString adapterText(const link::PortInfo &info)
{
    QString text = info.description;
    if (!info.usbId.isEmpty())
        text += QStringLiteral(" (%1)").arg(info.usbId);
    return text.trimmed();
}

} // namespace

TGangWriteDlg::TGangWriteDlg(Document &state, QWidget *parent)
    : QDialog(parent), m_state(state), m_checked(state.config().gangPorts)
{
    setObjectName(QStringLiteral("GangWriteDlg"));
    const auto t = [this](int n) {
        return m_state.langText(n);
    };
    setWindowTitle(t(text::MainText::WriteSeveralTitle));

    tPorts = new QTableWidget(0, Columns, this);
    tPorts->setObjectName(QStringLiteral("tPorts"));
    tPorts->setAccessibleName(t(text::MainText::WriteSeveralTitle));
    tPorts->setHorizontalHeaderLabels(
        {t(text::MainText::PortColumn), t(text::MainText::AdapterColumn),
         t(text::MainText::ProgressColumn), t(text::MainText::ResultColumn)});
    tPorts->verticalHeader()->hide();
    tPorts->setSelectionBehavior(QAbstractItemView::SelectRows);
    tPorts->setSelectionMode(QAbstractItemView::SingleSelection);
    tPorts->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tPorts->setWordWrap(true);
    QHeaderView *header = tPorts->horizontalHeader();
    header->setSectionResizeMode(PortColumn, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(AdapterColumn, QHeaderView::Interactive);
    header->setSectionResizeMode(ProgressColumn, QHeaderView::Fixed);
    header->setSectionResizeMode(ResultColumn, QHeaderView::Stretch);
    tPorts->setColumnWidth(AdapterColumn, 140);
    tPorts->setColumnWidth(ProgressColumn, 100);

    eAddPort = new QLineEdit(this);
    eAddPort->setObjectName(QStringLiteral("eAddPort"));
    eAddPort->setPlaceholderText(t(text::MainText::PathHint));
    // The hint is the field's only caption; a screen reader says it too.
    eAddPort->setAccessibleName(t(text::MainText::AddPort));
    eAddPort->setAccessibleDescription(t(text::MainText::PathHint));
    eAddPort->setMinimumWidth(240);
    eAddPort->installEventFilter(this);
    AddPortBtn = new QPushButton(t(text::MainText::AddPort), this);
    AddPortBtn->setObjectName(QStringLiteral("AddPortBtn"));
    AddPortBtn->setAutoDefault(false);
    RefreshBtn = new QPushButton(t(text::MainText::Refresh), this);
    RefreshBtn->setObjectName(QStringLiteral("RefreshBtn"));
    RefreshBtn->setAutoDefault(false);
    cbRepeat = new QCheckBox(t(text::MainText::RepeatRounds), this);
    cbRepeat->setObjectName(QStringLiteral("cbRepeat"));
    sCount = new QLabel(this);
    sCount->setObjectName(QStringLiteral("sCount"));
    sStatus = new QLabel(this);
    sStatus->setObjectName(QStringLiteral("sStatus"));
    sStatus->setWordWrap(true);
    StartBtn = new QPushButton(
        m_state.tableText(text::TextTable::Program, text::ProgramText::Start), this);
    StartBtn->setObjectName(QStringLiteral("StartBtn"));
    StartBtn->setDefault(true);
    SaveTraceBtn = new QPushButton(t(text::MainText::SaveTraceItem), this);
    SaveTraceBtn->setObjectName(QStringLiteral("SaveTraceBtn"));
    SaveTraceBtn->setAutoDefault(false);
    CloseBtn = new QPushButton(t(text::MainText::Close), this);
    CloseBtn->setObjectName(QStringLiteral("CloseBtn"));
    CloseBtn->setAutoDefault(false);
    for (QPushButton *b : {StartBtn, CloseBtn})
        b->setMinimumWidth(88);

    auto *addRow = new QHBoxLayout;
    addRow->addWidget(eAddPort, 1);
    addRow->addWidget(AddPortBtn);
    addRow->addSpacing(16);
    addRow->addWidget(RefreshBtn);
    auto *statusRow = new QHBoxLayout;
    statusRow->addWidget(sCount);
    statusRow->addSpacing(16);
    statusRow->addWidget(sStatus, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(StartBtn);
    buttons->addWidget(SaveTraceBtn);
    buttons->addStretch();
    buttons->addWidget(CloseBtn);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(tPorts, 1);
    layout->addLayout(addRow);
    layout->addWidget(cbRepeat);
    layout->addLayout(statusRow);
    layout->addLayout(buttons);

    connect(RefreshBtn, &QPushButton::clicked, this, &TGangWriteDlg::refreshPorts);
    connect(AddPortBtn, &QPushButton::clicked, this, &TGangWriteDlg::AddPortBtnClick);
    connect(StartBtn, &QPushButton::clicked, this, &TGangWriteDlg::StartBtnClick);
    connect(SaveTraceBtn, &QPushButton::clicked, this, &TGangWriteDlg::SaveTraceBtnClick);
    connect(CloseBtn, &QPushButton::clicked, this, &TGangWriteDlg::reject);
    // The same command on a port's row, by the right button.
    m_saveTraceAction = new QAction(t(text::MainText::SaveTraceItem), tPorts);
    m_saveTraceAction->setObjectName(QStringLiteral("SaveTraceAction"));
    tPorts->addAction(m_saveTraceAction);
    tPorts->setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(m_saveTraceAction, &QAction::triggered, this, &TGangWriteDlg::SaveTraceBtnClick);
    connect(tPorts, &QTableWidget::currentCellChanged, this, [this] { updateSaveTrace(); });
    connect(tPorts, &QTableWidget::itemChanged, this, [this](QTableWidgetItem *item) {
        if (m_filling || item->column() != PortColumn)
            return;
        const QString device = item->data(Qt::UserRole).toString();
        m_checked.removeAll(device);
        if (item->checkState() == Qt::Checked)
            m_checked << device;
    });
    // A new production run counts from nothing.
    connect(cbRepeat, &QCheckBox::toggled, this, [this] {
        if (isRunning())
            return;
        m_done = m_failed = 0;
        updateCount();
    });

    // Ports chosen before that are not listed (given by path) stay offered.
    for (const QString &device : std::as_const(m_checked)) {
        if (link::isSerialDevice(device))
            m_addedPorts << device;
    }
    refreshPorts();
    updateCount();
    resize(780, 420);
}

TGangWriteDlg::~TGangWriteDlg()
{
    if (m_gang)
        m_gang->cancel();
}

bool TGangWriteDlg::isRunning() const
{
    return m_gang && m_gang->isRunning();
}

QStringList TGangWriteDlg::checkedPorts() const
{
    QStringList ports;
    for (int row = 0; row < tPorts->rowCount(); ++row) {
        const QTableWidgetItem *item = tPorts->item(row, PortColumn);
        if (item->checkState() == Qt::Checked)
            ports << item->data(Qt::UserRole).toString();
    }
    return ports;
}

void TGangWriteDlg::refreshPorts()
{
    std::vector<PortRow> rows;
    for (const link::PortInfo &info : link::systemPortInfos())
        rows.push_back({info.path, adapterText(info)});
    for (const QString &device : std::as_const(m_addedPorts)) {
        if (std::none_of(rows.begin(), rows.end(),
                         [&](const PortRow &r) { return r.device == device; }))
            rows.push_back({device, QString()});
    }
    // The configuration's bindings (a virtual radio's link, say): a binding
    // and the device it names are one row, and one whose device is missing
    // is listed greyed rather than left out.
    for (const auto &[number, bound] : m_state.config().portPaths) {
        const QString canonical = QFileInfo(bound).canonicalFilePath();
        const auto same = std::find_if(rows.begin(), rows.end(), [&](const PortRow &r) {
            return r.device == bound ||
                   (!canonical.isEmpty() && QFileInfo(r.device).canonicalFilePath() == canonical);
        });
        if (same == rows.end())
            rows.push_back({bound, QString(), number, link::isSerialDevice(bound)});
        else if (same->number == 0)
            same->number = number;
    }
    // The bound ports first, by number, as the port dialog lists them.
    std::sort(rows.begin(), rows.end(), [](const PortRow &a, const PortRow &b) {
        if ((a.number > 0) != (b.number > 0))
            return a.number > 0;
        return a.number != b.number ? a.number < b.number : a.device < b.device;
    });

    m_filling = true;
    tPorts->setRowCount(0);
    tPorts->setRowCount(int(rows.size()));
    for (int row = 0; row < int(rows.size()); ++row) {
        const PortRow &r = rows[std::size_t(row)];
        auto *port = new QTableWidgetItem(
            r.number > 0 ? QStringLiteral("COM%1  %2").arg(r.number).arg(r.device) : r.device);
        port->setData(Qt::UserRole, r.device);
        port->setFlags(r.present
                           ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable
                           : Qt::ItemIsSelectable);
        port->setCheckState(r.present && m_checked.contains(r.device) ? Qt::Checked
                                                                      : Qt::Unchecked);
        tPorts->setItem(row, PortColumn, port);
        const QString about =
            r.present ? r.adapter : m_state.langText(text::MainText::PortMissing).arg(r.device);
        auto *adapter = new QTableWidgetItem(about);
        adapter->setToolTip(about);
        if (!r.present)
            adapter->setFlags(Qt::ItemIsSelectable);
        tPorts->setItem(row, AdapterColumn, adapter);
        // A bar of its usual height in the middle of a row that a result
        // of several lines makes taller.
        auto *cell = new QWidget;
        auto *bar = new QProgressBar(cell);
        bar->setObjectName(QStringLiteral("ProgressBar"));
        bar->setAccessibleName(m_state.langText(text::MainText::ProgressColumn) + QLatin1Char(' ') +
                               r.device);
        bar->setRange(0, 100);
        bar->setValue(0);
        bar->setEnabled(r.present);
        auto *centred = new QVBoxLayout(cell);
        centred->setContentsMargins(2, 1, 2, 1);
        centred->addWidget(bar, 0, Qt::AlignVCenter);
        tPorts->setCellWidget(row, ProgressColumn, cell);
        tPorts->setItem(row, ResultColumn, new QTableWidgetItem);
        fillResult(row);
    }
    m_filling = false;
    tPorts->resizeRowsToContents();
    updateSaveTrace();
}

bool TGangWriteDlg::eventFilter(QObject *watched, QEvent *event)
{
    // Enter in the path field adds the port; it must not press Start.
    if (watched == eAddPort && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            AddPortBtnClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TGangWriteDlg::AddPortBtnClick()
{
    if (isRunning())
        return;
    const QString typed = eAddPort->text().trimmed();
    if (typed.isEmpty())
        return;
    // "ttyUSB0" and "pts/3" as the system names them, as on the command line.
    const QString path = QDir::cleanPath(link::resolvePortPath(typed).path);
    if (!link::isSerialDevice(path)) {
        TUserWarnDlg message(m_state.lang(), this);
        message.setMessage(m_state.langText(text::MainText::NotAPort).arg(path));
        message.exec();
        return;
    }
    // A link to a port already listed is that port: its row is ticked.
    const QString listed = listedAs(path);
    if (listed.isEmpty() && !m_addedPorts.contains(path))
        m_addedPorts << path;
    const QString device = listed.isEmpty() ? path : listed;
    if (!m_checked.contains(device))
        m_checked << device;
    eAddPort->clear();
    refreshPorts();
}

QString TGangWriteDlg::listedAs(const QString &path) const
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    for (int row = 0; row < tPorts->rowCount(); ++row) {
        const QString device = tPorts->item(row, PortColumn)->data(Qt::UserRole).toString();
        if (device == path ||
            (!canonical.isEmpty() && QFileInfo(device).canonicalFilePath() == canonical))
            return device;
    }
    return QString();
}

void TGangWriteDlg::StartBtnClick()
{
    if (isRunning())
        return;
    // Two names of one port (a link and its device) are written once.
    QStringList devices;
    QStringList canonical;
    for (const QString &device : checkedPorts()) {
        const QString c = QFileInfo(device).canonicalFilePath();
        if (!c.isEmpty() && canonical.contains(c))
            continue;
        devices << device;
        canonical << c;
    }
    if (devices.isEmpty()) {
        TUserWarnDlg message(m_state.lang(), this);
        message.setMessage(m_state.langText(text::MainText::NoPortChosen));
        message.exec();
        return;
    }
    m_state.config().gangPorts = devices;
    if (!cbRepeat->isChecked())
        m_done = m_failed = 0;

    // The last round's transfers (and their traces) give way to this one's.
    m_gang = std::make_unique<link::GangTransfer>(m_state.program(), link::OpCode::Codeplug,
                                                  link::ReadMode::Write, devices);
    m_gang->setVerifyReads(m_state.config().verifyReads);
    // The same safety as the window's own Write.
    m_gang->setSafety(transferSafetyFrom(m_state.config()));
    // Every radio gets the window's codeplug, as its file holds it.
    const QString sha = QString::fromLatin1(
        QCryptographicHash::hash(m_state.codeplug().toByteArray(), QCryptographicHash::Sha256)
            .toHex());
    for (int i = 0; i < m_gang->size(); ++i)
        m_gang->transfer(i).setWriteSubject({devices.value(i), m_state.currentFile(), sha});

    link::GangTransfer *gang = m_gang.get();
    connect(gang, &link::GangTransfer::progressUpdated, this, [this](int index, int percent) {
        const int row = rowOfGangIndex(index);
        if (auto *bar = row < 0 ? nullptr : progressBar(row))
            bar->setValue(percent);
    });
    // Queued: each row is told after its engine has left its call, with
    // that port closed.
    connect(gang, &link::GangTransfer::transferEnded, this, &TGangWriteDlg::portEnded,
            Qt::QueuedConnection);
    connect(gang, &link::GangTransfer::allEnded, this, &TGangWriteDlg::roundEnded,
            Qt::QueuedConnection);
    for (int row = 0; row < tPorts->rowCount(); ++row) {
        progressBar(row)->setValue(0);
        fillResult(row);
    }
    tPorts->resizeRowsToContents();
    setRunning(true);
    sStatus->setText(m_state.langText(text::MainText::Writing));
    updateCount();
    m_gang->start();
}

void TGangWriteDlg::portEnded(int index, link::Outcome outcome)
{
    if (outcome == link::Outcome::Success) {
        ++m_done;
        m_wroteAny = true;
    } else if (outcome != link::Outcome::Closed) {
        ++m_failed;
    }
    updateCount();
    const int row = rowOfGangIndex(index);
    if (row >= 0) {
        fillResult(row);
        tPorts->resizeRowToContents(row);
    }
}

void TGangWriteDlg::roundEnded()
{
    setRunning(false);
    QString status =
        cbRepeat->isChecked() ? m_state.langText(text::MainText::NextRadios) : QString();
    // A record line that could not be written stops no radio, but is told.
    for (int i = 0; m_gang && i < m_gang->size(); ++i) {
        if (const FileResult &r = m_gang->transfer(i).recordResult(); !r.ok()) {
            status = m_state.langText(text::MainText::RecordNotWritten) + u' ' +
                     QDir::toNativeSeparators(production::defaultPath()) + u' ' +
                     fileErrorReason(m_state.lang(), r, MainFileErrorTexts);
            break;
        }
    }
    sStatus->setText(status);
    // Enter or Space starts the next round.
    StartBtn->setFocus(Qt::OtherFocusReason);
    updateSaveTrace();
}

void TGangWriteDlg::setRunning(bool running)
{
    for (QWidget *w : {static_cast<QWidget *>(StartBtn), static_cast<QWidget *>(RefreshBtn),
                       static_cast<QWidget *>(AddPortBtn), static_cast<QWidget *>(eAddPort)})
        w->setEnabled(!running);
    // The choice of ports stays as it is while its round runs.
    m_filling = true;
    for (int row = 0; row < tPorts->rowCount(); ++row) {
        QTableWidgetItem *item = tPorts->item(row, PortColumn);
        Qt::ItemFlags flags = item->flags();
        flags.setFlag(Qt::ItemIsUserCheckable, !running && flags.testFlag(Qt::ItemIsEnabled));
        item->setFlags(flags);
    }
    m_filling = false;
    updateSaveTrace();
}

void TGangWriteDlg::updateCount()
{
    sCount->setText(m_state.langText(text::MainText::DoneFailedCount).arg(m_done).arg(m_failed));
}

void TGangWriteDlg::updateSaveTrace()
{
    const int index = gangIndexOfRow(tPorts->currentRow());
    const bool traced = index >= 0 && !isRunning() && !m_gang->transfer(index).trace().isEmpty();
    SaveTraceBtn->setEnabled(traced);
    m_saveTraceAction->setEnabled(traced);
}

int TGangWriteDlg::gangIndexOfRow(int row) const
{
    if (!m_gang || row < 0 || row >= tPorts->rowCount())
        return -1;
    const QString device = tPorts->item(row, PortColumn)->data(Qt::UserRole).toString();
    for (int i = 0; i < m_gang->size(); ++i) {
        if (m_gang->device(i) == device)
            return i;
    }
    return -1;
}

int TGangWriteDlg::rowOfGangIndex(int index) const
{
    for (int row = 0; row < tPorts->rowCount(); ++row) {
        if (gangIndexOfRow(row) == index)
            return row;
    }
    return -1;
}

QProgressBar *TGangWriteDlg::progressBar(int row) const
{
    QWidget *cell = tPorts->cellWidget(row, ProgressColumn);
    return cell ? cell->findChild<QProgressBar *>() : nullptr;
}

QString TGangWriteDlg::resultText(int index) const
{
    const link::SerialTransfer &transfer = m_gang->transfer(index);
    const link::Outcome outcome = transfer.outcome();
    if (outcome == link::Outcome::Running)
        return QString();
    const QString seconds = QString::number(double(transfer.elapsedMs()) / 1000.0, 'f', 1);
    const QString said = outcome == link::Outcome::Closed
                             ? m_state.langText(text::MainText::Stopped)
                             : link::outcomeText(outcome, m_state.lang());
    QString text = m_state.langText(text::MainText::TimedResult).arg(said, seconds);
    const link::PortFailure &failure = transfer.portFailure();
    if (outcome == link::Outcome::CommunicationFalse && !failure.path.isEmpty())
        text += QLatin1Char('\n') +
                m_state.langText(portProblemTextNumber(link::classifyPortFailure(failure)));
    // A write that did not end well names the way back.
    const QStringList notes = link::backupNoteLines(transfer.backupPath(), false, m_state.lang());
    if (outcome != link::Outcome::Success && !notes.isEmpty())
        text += QLatin1Char('\n') + notes.join(QLatin1Char('\n'));
    return text;
}

void TGangWriteDlg::fillResult(int row)
{
    QTableWidgetItem *item = tPorts->item(row, ResultColumn);
    const int index = gangIndexOfRow(row);
    const QString text = index < 0 ? QString() : resultText(index);
    item->setText(text);
    item->setToolTip(text);
    // The engine sets its progress back to nothing as it closes the port.
    if (index >= 0 && m_gang->outcome(index) == link::Outcome::Success)
        progressBar(row)->setValue(100);
}

void TGangWriteDlg::SaveTraceBtnClick()
{
    const int index = gangIndexOfRow(tPorts->currentRow());
    if (index < 0 || isRunning())
        return;
    tracecommands::saveTrace(m_state, this, m_gang->transfer(index).trace());
}

void TGangWriteDlg::reject()
{
    if (isRunning()) {
        TMyWarnDlg_2 prompt(m_state.lang(), this);
        prompt.setObjectName(QStringLiteral("StopGangPrompt"));
        prompt.Label1->setText(m_state.langText(text::MainText::StopQuestion));
        prompt.Label1->setWordWrap(true);
        prompt.OKBtn->setText(m_state.langText(text::MainText::Yes));
        prompt.CancelBtn->setText(m_state.langText(text::MainText::No));
        if (prompt.exec() != QDialog::Accepted)
            return; // the round goes on
        // Every port still open is closed now; nothing more is sent.
        if (m_gang)
            m_gang->cancel();
    }
    QDialog::reject();
}

} // namespace t880
