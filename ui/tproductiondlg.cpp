#include "ui/tproductiondlg.h"

#include "codeplug/backupfile.h"
#include "text/menucaption.h"
#include "text/textnames.h"
#include "ui/document.h"
#include "ui/messagedialogs.h"
#include "ui/tbackupsdlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace t880 {

namespace {

enum Column { Time, Operation, Port, Radio, File, Result, Seconds, Backup, Columns };
enum ResultFilter { AllResults, Successes, Failures };

} // namespace

TProductionDlg::TProductionDlg(const Document &state, const QString &path, QWidget *parent)
    : QDialog(parent), m_state(state),
      m_record(production::load(path.isEmpty() ? production::defaultPath() : path))
{
    setObjectName(QStringLiteral("ProductionDlg"));
    setWindowTitle(text::menuCaption(state.langText(text::MainText::ProductionItem)));
    const auto t = [&state](int n) {
        return state.langText(n);
    };

    cSince = new QCheckBox(t(text::MainText::SinceLabel), this);
    cSince->setObjectName(QStringLiteral("cSince"));
    eSince = new QDateEdit(QDate::currentDate().addDays(-30), this);
    eSince->setObjectName(QStringLiteral("eSince"));
    eSince->setCalendarPopup(true);
    eSince->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    eSince->setEnabled(false);
    cbResult = new QComboBox(this);
    cbResult->setObjectName(QStringLiteral("cbResult"));
    cbResult->addItems(
        {t(text::MainText::AllResults), t(text::MainText::Successes), t(text::MainText::Failures)});

    tProduction = new QTableWidget(0, Columns, this);
    tProduction->setObjectName(QStringLiteral("tProduction"));
    tProduction->setAccessibleName(windowTitle());
    tProduction->setHorizontalHeaderLabels(
        {t(text::MainText::TimeColumn), t(text::MainText::OperationColumn),
         t(text::MainText::PortColumn), t(text::MainText::KindColumn),
         t(text::MainText::WrittenFileColumn), t(text::MainText::RecordResultColumn),
         t(text::MainText::SecondsColumn), t(text::MainText::BackupColumn)});
    tProduction->verticalHeader()->hide();
    tProduction->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    tProduction->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tProduction->setSelectionBehavior(QAbstractItemView::SelectRows);
    tProduction->setSelectionMode(QAbstractItemView::SingleSelection);
    sStatus = new QLabel(this);
    sStatus->setObjectName(QStringLiteral("sStatus"));
    sStatus->setWordWrap(true);

    OpenBtn = new QPushButton(t(text::MainText::OpenBackup), this);
    OpenBtn->setObjectName(QStringLiteral("OpenBtn"));
    CloseBtn = new QPushButton(t(text::MainText::Close), this);
    CloseBtn->setObjectName(QStringLiteral("CloseBtn"));
    connect(OpenBtn, &QPushButton::clicked, this, [this] {
        if (const production::Line *line = selected(); line && QFileInfo::exists(line->backup)) {
            m_chosen = line->backup;
            accept();
        }
    });
    connect(CloseBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(tProduction, &QTableWidget::itemSelectionChanged, this,
            &TProductionDlg::selectionChanged);
    connect(tProduction, &QTableWidget::cellDoubleClicked, OpenBtn, &QPushButton::click);
    connect(cSince, &QCheckBox::toggled, eSince, &QWidget::setEnabled);
    connect(cSince, &QCheckBox::toggled, this, &TProductionDlg::fill);
    connect(eSince, &QDateEdit::dateChanged, this, &TProductionDlg::fill);
    connect(cbResult, &QComboBox::currentIndexChanged, this, &TProductionDlg::fill);

    auto *filters = new QHBoxLayout;
    filters->addWidget(cSince);
    filters->addWidget(eSince);
    filters->addSpacing(16);
    filters->addWidget(cbResult);
    filters->addStretch();
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(OpenBtn);
    buttons->addStretch();
    buttons->addWidget(CloseBtn);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(filters);
    layout->addWidget(tProduction, 1);
    layout->addWidget(sStatus);
    layout->addLayout(buttons);
    resize(1000, 460);
    fill();
}

void TProductionDlg::fill()
{
    const QDate since = cSince->isChecked() ? eSince->date() : QDate();
    m_shown.clear();
    // Newest first: the record keeps them oldest first.
    for (auto it = m_record.lines.rbegin(); it != m_record.lines.rend(); ++it) {
        const bool success = it->exitCode == 0;
        if (!production::matches(*it, since, QString()) ||
            (cbResult->currentIndex() == Successes && !success) ||
            (cbResult->currentIndex() == Failures && success))
            continue;
        m_shown.push_back(&*it);
    }
    tProduction->setRowCount(int(m_shown.size()));
    for (int row = 0; row < int(m_shown.size()); ++row) {
        const production::Line &l = *m_shown[std::size_t(row)];
        const auto operation = backup::operationFromName(l.operation);
        QString radio = l.radio;
        if (radio == QLatin1String("legacy"))
            radio = m_state.langText(text::MainText::OlderKind);
        const QStringList cells = {
            l.time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
            operation ? m_state.langText(TBackupsDlg::operationTextNumber(*operation))
                      : l.operation,
            l.port,
            radio,
            QFileInfo(l.file).fileName(),
            l.result,
            QString::number(l.seconds, 'f', 1),
            QFileInfo(l.backup).fileName()};
        for (int column = 0; column < cells.size(); ++column) {
            auto *item = new QTableWidgetItem(cells[column]);
            if (column == File)
                item->setToolTip(QDir::toNativeSeparators(l.file));
            if (column == Backup)
                item->setToolTip(QDir::toNativeSeparators(l.backup));
            if (column == Port && l.device != l.port)
                item->setToolTip(l.device);
            if (column == Result && l.exitCode != 0)
                item->setForeground(QColor(0xb0, 0x00, 0x20));
            tProduction->setItem(row, column, item);
        }
    }
    tProduction->resizeColumnsToContents();
    tProduction->horizontalHeader()->setStretchLastSection(true);

    if (!m_record.result.ok())
        sStatus->setText(m_state.langText(text::MainText::RecordUnreadable) + u' ' +
                         QDir::toNativeSeparators(production::defaultPath()) + u' ' +
                         fileErrorReason(m_state.lang(), m_record.result, MainFileErrorTexts));
    else if (m_record.lines.empty())
        sStatus->setText(m_state.langText(text::MainText::NoRecord));
    else
        sStatus->setText(m_state.langText(text::MainText::RecordShown)
                             .arg(m_shown.size())
                             .arg(m_record.lines.size()));
    if (!m_shown.empty())
        tProduction->selectRow(0);
    selectionChanged();
}

const production::Line *TProductionDlg::selected() const
{
    const int row = tProduction->currentRow();
    if (row < 0 || row >= int(m_shown.size()) || tProduction->selectedItems().isEmpty())
        return nullptr;
    return m_shown[std::size_t(row)];
}

void TProductionDlg::selectionChanged()
{
    const production::Line *line = selected();
    OpenBtn->setEnabled(line && !line->backup.isEmpty() && QFileInfo::exists(line->backup));
}

} // namespace t880
