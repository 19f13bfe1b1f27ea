#include "ui/tbackupsdlg.h"

#include "codeplug/backupfile.h"
#include "codeplug/writejournal.h"
#include "text/menucaption.h"
#include "text/textnames.h"
#include "ui/document.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QSet>
#include <QTableWidget>
#include <QVBoxLayout>

namespace t880 {

namespace {

QString kindText(const Document &state, RadioKind kind);

} // namespace

int TBackupsDlg::operationTextNumber(backup::Operation operation)
{
    switch (operation) {
    case backup::Operation::Read:
        return text::MainText::ReadOperation;
    case backup::Operation::Write:
        return text::MainText::WriteOperation;
    case backup::Operation::CalibrationRead:
        return text::MainText::CalibrationRead;
    case backup::Operation::CalibrationWrite:
        return text::MainText::CalibrationWrite;
    case backup::Operation::Restore:
        return text::MainText::RestoreOperation;
    case backup::Operation::Compare:
        return text::MainText::CompareButton;
    case backup::Operation::PasswordWrite:
        break;
    }
    return text::MainText::PasswordWrite;
}

namespace {

QString kindText(const Document &state, RadioKind kind)
{
    const QString name = backup::kindName(kind);
    return name == QLatin1String("legacy") ? state.langText(text::MainText::OlderKind) : name;
}

} // namespace

TBackupsDlg::TBackupsDlg(const Document &state, const QString &folder, QWidget *parent)
    : QDialog(parent), m_state(state),
      m_entries(backup::list(folder.isEmpty() ? backup::defaultFolder() : folder))
{
    setObjectName(QStringLiteral("BackupsDlg"));
    setWindowTitle(text::menuCaption(state.langText(text::MainText::Backups)));

    tBackups = new QTableWidget(int(m_entries.size()), 5, this);
    tBackups->setObjectName(QStringLiteral("tBackups"));
    tBackups->setAccessibleName(windowTitle());
    tBackups->setHorizontalHeaderLabels({state.langText(text::MainText::TimeColumn),
                                         state.langText(text::MainText::KindColumn),
                                         state.langText(text::MainText::PortColumn),
                                         state.langText(text::MainText::OperationColumn),
                                         state.langText(text::MainText::ChannelsColumn)});
    tBackups->verticalHeader()->hide();
    tBackups->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    tBackups->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tBackups->setSelectionBehavior(QAbstractItemView::SelectRows);
    tBackups->setSelectionMode(QAbstractItemView::SingleSelection);
    // The same form in every language the window speaks: the system's
    // locale may be another language than the window's.
    const QString timeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");
    // The backup that puts back a radio a write left half written.
    QSet<QString> beforeUnfinished;
    for (const journal::Entry &note : journal::unfinished(journal::defaultFolder()))
        beforeUnfinished.insert(QFileInfo(note.backup).absoluteFilePath());
    for (int row = 0; row < int(m_entries.size()); ++row) {
        const backup::Backup &b = m_entries[std::size_t(row)].backup;
        QString operation = state.langText(operationTextNumber(b.operation));
        if (beforeUnfinished.contains(
                QFileInfo(m_entries[std::size_t(row)].path).absoluteFilePath()))
            operation = state.langText(text::MainText::BeforeUnfinishedWrite).arg(operation);
        const QStringList cells = {
            b.time.toLocalTime().toString(timeFormat), kindText(state, b.kind), b.port, operation,
            b.content() == backup::Content::Codeplug ? channelList(backup::channelsInUse(b))
                                                     : QString()};
        for (int column = 0; column < cells.size(); ++column)
            tBackups->setItem(row, column, new QTableWidgetItem(cells[column]));
    }
    tBackups->resizeColumnsToContents();
    tBackups->horizontalHeader()->setStretchLastSection(true);

    OpenBtn = new QPushButton(state.langText(text::MainText::OpenButton), this);
    OpenBtn->setObjectName(QStringLiteral("OpenBtn"));
    RestoreBtn = new QPushButton(state.langText(text::MainText::RestoreButton), this);
    RestoreBtn->setObjectName(QStringLiteral("RestoreBtn"));
    CloseBtn = new QPushButton(state.langText(text::MainText::Close), this);
    CloseBtn->setObjectName(QStringLiteral("CloseBtn"));
    connect(OpenBtn, &QPushButton::clicked, this, [this] { finish(Choice::Open); });
    connect(RestoreBtn, &QPushButton::clicked, this, [this] { finish(Choice::Restore); });
    connect(CloseBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(tBackups, &QTableWidget::itemSelectionChanged, this, &TBackupsDlg::selectionChanged);
    connect(tBackups, &QTableWidget::cellDoubleClicked, this, [this] {
        if (OpenBtn->isEnabled())
            finish(Choice::Open);
    });

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(OpenBtn);
    buttons->addWidget(RestoreBtn);
    buttons->addStretch();
    buttons->addWidget(CloseBtn);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(tBackups, 1);
    layout->addLayout(buttons);
    resize(720, 420);
    if (!m_entries.empty())
        tBackups->selectRow(0);
    selectionChanged();
}

const backup::Entry *TBackupsDlg::chosen() const
{
    const int row = tBackups->currentRow();
    if (row < 0 || row >= int(m_entries.size()) || tBackups->selectedItems().isEmpty())
        return nullptr;
    return &m_entries[std::size_t(row)];
}

void TBackupsDlg::selectionChanged()
{
    const backup::Entry *entry = chosen();
    const backup::Content content = entry ? entry->backup.content() : backup::Content::Nothing;
    // Only a codeplug opens in the window; either kind goes back to a radio.
    OpenBtn->setEnabled(content == backup::Content::Codeplug);
    RestoreBtn->setEnabled(content != backup::Content::Nothing);
}

void TBackupsDlg::finish(Choice choice)
{
    if (!chosen())
        return;
    m_choice = choice;
    accept();
}

QString TBackupsDlg::channelList(const std::vector<int> &channels)
{
    QStringList parts;
    for (std::size_t k = 0; k < channels.size();) {
        std::size_t end = k;
        while (end + 1 < channels.size() && channels[end + 1] == channels[end] + 1)
            ++end;
        parts << (end > k ? QStringLiteral("%1-%2").arg(channels[k]).arg(channels[end])
                          : QString::number(channels[k]));
        k = end + 1;
    }
    return parts.join(QStringLiteral(", "));
}

} // namespace t880
