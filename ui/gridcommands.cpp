#include "ui/gridcommands.h"

#include "codeplug/channeledit.h"
#include "codeplug/tonecodec.h"
#include "text/textnames.h"
#include "ui/channelgrid.h"
#include "ui/channelmodel.h"
#include "ui/document.h"
#include "ui/messagedialogs.h"
#include "ui/tbatchsetdlg.h"
#include "ui/tpastereportdlg.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHash>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenu>
#include <QPushButton>

#include <algorithm>
#include <set>

namespace t880 {

using namespace channeledit;
using channelcsv::Outcome;
using channelcsv::Preview;
using channelcsv::RowPreview;

namespace {

constexpr int Channels = CodeplugData::Channels;

QAction *newAction(QObject *parent, const char *name, const QKeySequence &keys = {})
{
    auto *a = new QAction(parent);
    a->setObjectName(QLatin1String(name));
    if (!keys.isEmpty()) {
        a->setShortcut(keys);
        // Only while the grid has the focus: Ctrl+V on the options page is
        // no paste into the channels.
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    }
    return a;
}

// \a text (whole rows) cut down to the columns of the cells selected.
QByteArray keepColumns(const QByteArray &text, const std::set<int> &gridColumns)
{
    const csv::Table table = csv::readTable(text, u'\t');
    QList<int> kept;
    for (int k = 0; k < table.header.size(); ++k) {
        int column = ChannelTableModel::gridColumnOfList(table.header[k]);
        // Location goes with every copy; the tone columns go together, as
        // one tone mode describes both tones.
        if (column == TxToneColumn || column == ChannelTableModel::BothTonesColumn)
            column = RxToneColumn;
        const bool tones = gridColumns.count(RxToneColumn) || gridColumns.count(TxToneColumn);
        if (column == 0 || (column == RxToneColumn && tones) ||
            (column > 0 && gridColumns.count(column)))
            kept << k;
    }
    QStringList header;
    for (int k : kept)
        header << table.header[k];
    QList<QStringList> rows;
    for (const csv::Record &record : table.records) {
        QStringList row;
        for (int k : kept)
            row << record.fields.value(k);
        rows << row;
    }
    return csv::writeTable(header, rows, u'\t');
}

} // namespace

GridCommands::GridCommands(Document &document, ChannelGrid *grid, QWidget *dialogParent)
    : QObject(grid), m_doc(document), m_grid(grid), m_dialogParent(dialogParent)
{
    m_cut = newAction(this, "MenuEdit_Cut", QKeySequence::Cut);
    m_copy = newAction(this, "MenuEdit_Copy", QKeySequence::Copy);
    m_paste = newAction(this, "MenuEdit_Paste", QKeySequence::Paste);
    m_clear = newAction(this, "MenuEdit_ClearChannels", QKeySequence(Qt::CTRL | Qt::Key_Delete));
    m_insert = newAction(this, "MenuEdit_InsertChannel");
    m_delete = newAction(this, "MenuEdit_DeleteChannel");
    m_moveUp = newAction(this, "MenuEdit_MoveUp");
    m_moveDown = newAction(this, "MenuEdit_MoveDown");
    m_sort = newAction(this, "MenuEdit_Sort");
    m_batchSet = newAction(this, "MenuEdit_BatchSet");
    for (QAction *a : actions())
        m_grid->addAction(a);

    connect(m_cut, &QAction::triggered, this, &GridCommands::cut);
    connect(m_copy, &QAction::triggered, this, &GridCommands::copy);
    connect(m_paste, &QAction::triggered, this, &GridCommands::paste);
    connect(m_clear, &QAction::triggered, this, &GridCommands::clearChannels);
    connect(m_insert, &QAction::triggered, this, &GridCommands::insertEmpty);
    connect(m_delete, &QAction::triggered, this, &GridCommands::deleteAndShiftUp);
    connect(m_moveUp, &QAction::triggered, this, &GridCommands::moveUp);
    connect(m_moveDown, &QAction::triggered, this, &GridCommands::moveDown);
    connect(m_sort, &QAction::triggered, this, &GridCommands::sortByRxFrequency);
    connect(m_batchSet, &QAction::triggered, this, &GridCommands::batchSet);
    connect(m_grid, &ChannelGrid::bulkEdited, this, &GridCommands::bulkEdit);

    m_menu = new QMenu(m_grid);
    m_menu->setObjectName(QStringLiteral("GridMenu"));
    m_menu->addActions({m_cut, m_copy, m_paste});
    m_menu->addSeparator();
    m_menu->addActions({m_clear, m_insert, m_delete, m_moveUp, m_moveDown, m_sort});
    m_menu->addSeparator();
    m_menu->addAction(m_batchSet);
    m_grid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_grid, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        m_grid->commitEditor();
        m_menu->popup(m_grid->viewport()->mapToGlobal(pos));
    });
}

QList<QAction *> GridCommands::actions() const
{
    return {m_cut,    m_copy,   m_paste,    m_clear, m_insert,
            m_delete, m_moveUp, m_moveDown, m_sort,  m_batchSet};
}

void GridCommands::applyLanguage()
{
    const std::pair<QAction *, int> texts[] = {{m_cut, text::MainText::Cut},
                                               {m_copy, text::MainText::Copy},
                                               {m_paste, text::MainText::Paste},
                                               {m_clear, text::MainText::ClearChannels},
                                               {m_insert, text::MainText::InsertChannel},
                                               {m_delete, text::MainText::DeleteChannel},
                                               {m_moveUp, text::MainText::MoveUp},
                                               {m_moveDown, text::MainText::MoveDown},
                                               {m_sort, text::MainText::SortChannels},
                                               {m_batchSet, text::MainText::BatchSet}};
    for (const auto &[a, n] : texts)
        a->setText(m_doc.langText(n));
    m_batchSet->setText(m_doc.langText(text::MainText::BatchSet) + QStringLiteral("..."));
}

QList<int> GridCommands::selectedChannels() const
{
    std::set<int> rows;
    for (const QModelIndex &index : m_grid->selectionModel()->selectedIndexes())
        rows.insert(ChannelTableModel::channelOf(index));
    if (rows.empty() && m_grid->currentIndex().isValid())
        rows.insert(ChannelTableModel::channelOf(m_grid->currentIndex()));
    return QList<int>(rows.begin(), rows.end());
}

GridCommands::Slot GridCommands::slot(const CodeplugData &codeplug, int n)
{
    return {codeplug.channel(n), codeplug.isChannelUsed(n)};
}

void GridCommands::store(CodeplugData &codeplug, int n, const Slot &s)
{
    codeplug.setChannel(n, s.record);
    codeplug.setChannelUsed(n, s.used);
}

void GridCommands::finish(const StepName &name, const std::function<void(CodeplugData &)> &change)
{
    m_doc.edit(name, [&change](ProgramState &program) { change(program.codeplug); });
}

void GridCommands::selectChannels(int first, int last)
{
    ChannelTableModel *model = m_grid->channelModel();
    const int column = m_grid->currentIndex().isValid()
                           ? ChannelTableModel::gridColumnOf(m_grid->currentIndex())
                           : RxFreqColumn;
    m_grid->selectionModel()->setCurrentIndex(model->cell(first, column),
                                              QItemSelectionModel::NoUpdate);
    m_grid->selectionModel()->select(
        QItemSelection(model->cell(first, RxFreqColumn), model->cell(last, ColumnCount - 1)),
        QItemSelectionModel::ClearAndSelect);
}

void GridCommands::showReport(int title, const Preview &preview)
{
    if (preview.count(Outcome::Adjusted) == 0 && preview.count(Outcome::Refused) == 0)
        return;
    TPasteReportDlg dialog(m_doc, m_doc.langText(title), reportLines(m_doc, preview),
                           m_dialogParent);
    dialog.exec();
}

// --- clipboard ---------------------------------------------------------------

void GridCommands::copy()
{
    m_grid->commitEditor();
    const QList<int> channels = selectedChannels();
    if (channels.isEmpty())
        return;
    QByteArray text = channelcsv::clipboardText(m_doc.codeplug(), channels);
    // Some cells of a row, not all: only their columns, so a paste changes
    // just those fields of the channels it meets.
    std::set<int> columns;
    for (const QModelIndex &index : m_grid->selectionModel()->selectedIndexes())
        columns.insert(ChannelTableModel::gridColumnOf(index));
    if (!columns.empty() && int(columns.size()) < ColumnCount - 1)
        text = keepColumns(text, columns);
    QApplication::clipboard()->setText(QString::fromUtf8(text));
}

void GridCommands::cut()
{
    copy();
    // A channel is its receive frequency: cutting that clears the channel.
    // Cells of other columns have no empty value (a power is high or low),
    // so they are only copied.
    bool wholeChannels = false;
    for (const QModelIndex &index : m_grid->selectionModel()->selectedIndexes())
        wholeChannels = wholeChannels || ChannelTableModel::gridColumnOf(index) == RxFreqColumn;
    if (!wholeChannels)
        return;
    const QList<int> cut = selectedChannels();
    finish(StepName(text::MainText::Cut), [&cut](CodeplugData &codeplug) {
        for (int n : cut)
            StringGridCleanRow(codeplug, n);
    });
}

void GridCommands::paste()
{
    pasteText(QApplication::clipboard()->text().toUtf8());
}

void GridCommands::pasteText(const QByteArray &text)
{
    m_grid->commitEditor();
    QList<int> targets = selectedChannels();
    if (targets.isEmpty())
        return;
    // One channel chosen: the rows go from there down, as in a spreadsheet.
    if (targets.size() == 1) {
        for (int n = targets.front() + 1; n <= Channels; ++n)
            targets << n;
    }
    const Preview preview = channelcsv::previewClipboard(m_doc.program(), text, {targets, false});
    // A header naming none of the channel list's columns is some other text
    // (a word, a sentence): nothing to paste, and saying so.
    bool known = false;
    for (const QString &name : preview.table.header)
        known = known || channelcsv::columns().contains(name, Qt::CaseInsensitive) ||
                name.compare(channelcsv::BusyLockHeader, Qt::CaseInsensitive) == 0;
    if (!preview.readable() || !known || preview.rows.isEmpty()) {
        TUserWarnDlg warning(m_doc.lang(), m_dialogParent);
        warning.setMessage(m_doc.langText(text::MainText::NoChannelListOnClipboard));
        warning.exec();
        return;
    }
    QList<int> changed;
    finish(StepName(text::MainText::Paste),
           [&](CodeplugData &codeplug) { changed = channelcsv::applyPreview(codeplug, preview); });
    if (!changed.isEmpty())
        selectChannels(*std::min_element(changed.begin(), changed.end()),
                       *std::max_element(changed.begin(), changed.end()));
    showReport(text::MainText::PasteReport, preview);
}

// --- row commands ------------------------------------------------------------

void GridCommands::clearChannels()
{
    m_grid->commitEditor();
    const QList<int> cleared = selectedChannels();
    finish(StepName(text::MainText::ClearChannels), [&cleared](CodeplugData &codeplug) {
        for (int n : cleared)
            StringGridCleanRow(codeplug, n);
    });
}

void GridCommands::insertEmpty()
{
    m_grid->commitEditor();
    const QList<int> channels = selectedChannels();
    if (channels.isEmpty())
        return;
    const int at = channels.front();
    if (m_doc.codeplug().isChannelUsed(Channels)) {
        TMyWarnDlg_2 question(m_doc.lang(), m_dialogParent);
        question.Label1->setText(m_doc.langText(text::MainText::FallsOff));
        question.OKBtn->setText(m_doc.langText(text::MainText::Ok));
        question.CancelBtn->setText(m_doc.langText(text::MainText::Cancel));
        if (question.exec() != QDialog::Accepted)
            return;
    }
    finish(StepName(text::MainText::InsertChannel), [at](CodeplugData &codeplug) {
        for (int n = Channels; n > at; --n)
            store(codeplug, n, slot(codeplug, n - 1));
        StringGridCleanRow(codeplug, at);
    });
    selectChannels(at, at);
}

void GridCommands::deleteAndShiftUp()
{
    m_grid->commitEditor();
    const QList<int> gone = selectedChannels();
    if (gone.isEmpty())
        return;
    finish(StepName(text::MainText::DeleteChannel), [&gone](CodeplugData &codeplug) {
        QList<Slot> kept;
        for (int n = gone.front(); n <= Channels; ++n) {
            if (!gone.contains(n))
                kept << slot(codeplug, n);
        }
        int n = gone.front();
        for (const Slot &s : kept)
            store(codeplug, n++, s);
        // The freed channels at the end keep their bytes but are no longer
        // in use.
        for (; n <= Channels; ++n)
            StringGridCleanRow(codeplug, n);
    });
    selectChannels(gone.front(), gone.front());
}

void GridCommands::moveBy(int delta)
{
    m_grid->commitEditor();
    const QList<int> channels = selectedChannels();
    if (channels.isEmpty())
        return;
    const int first = channels.front();
    const int last = channels.back();
    if (first + delta < 1 || last + delta > Channels)
        return; // already at the edge: nothing moves
    // The neighbour passes to the other side of the block.
    const int neighbour = delta < 0 ? first - 1 : last + 1;
    finish(StepName(delta < 0 ? text::MainText::MoveUp : text::MainText::MoveDown),
           [=](CodeplugData &codeplug) {
               const Slot passing = slot(codeplug, neighbour);
               if (delta < 0) {
                   for (int n = first; n <= last; ++n)
                       store(codeplug, n - 1, slot(codeplug, n));
                   store(codeplug, last, passing);
               } else {
                   for (int n = last; n >= first; --n)
                       store(codeplug, n + 1, slot(codeplug, n));
                   store(codeplug, first, passing);
               }
           });
    selectChannels(first + delta, last + delta);
}

void GridCommands::sortByRxFrequency()
{
    m_grid->commitEditor();
    finish(StepName(text::MainText::SortChannels), [](CodeplugData &codeplug) {
        QList<Slot> all;
        for (int n = 1; n <= Channels; ++n)
            all << slot(codeplug, n);
        // Channels in use first, by receive frequency; equal ones keep their
        // order.
        std::stable_sort(all.begin(), all.end(), [](const Slot &a, const Slot &b) {
            if (a.used != b.used)
                return a.used;
            return a.used && a.record.rxFreq() < b.record.rxFreq();
        });
        for (int n = 1; n <= Channels; ++n)
            store(codeplug, n, all[n - 1]);
    });
}

// --- several channels at once ------------------------------------------------

void GridCommands::bulkEdit(int column, const QList<int> &channels, const QVariant &value)
{
    // Named after the column's header, as the grid shows it.
    finish(StepName(text::MainText::EditStep, ChannelTableModel::headerText(column)),
           [&](CodeplugData &codeplug) {
               for (int n : channels) {
                   if (!codeplug.isChannelUsed(n))
                       continue;
                   if (column == RxToneColumn || column == TxToneColumn)
                       commitTone(codeplug, n, column, value.toString());
                   else if (column >= PowerColumn && column < ColumnCount)
                       commitPicker(codeplug, n, column, value.toInt());
               }
           });
}

Preview GridCommands::batchFill(int first, int last, qint64 startHz, qint64 stepHz)
{
    m_grid->commitEditor();
    // The report names the column as a pasted list would.
    const QString column = QStringLiteral("Frequency");
    Preview report;
    m_doc.edit(StepName(text::MainText::BatchSet), [&](ProgramState &program) {
        for (int n = first; n <= last; ++n) {
            RowPreview row;
            row.channel = n;
            row.line = n - first + 1;
            const qint64 hz = startHz + (n - first) * stepHz;
            const QString wanted = hz >= 0 && hz <= 0xFFFFFFFFLL
                                       ? codec::formatFrequency(std::uint32_t(hz))
                                       : QString::number(double(hz) / 1e6, 'f', 5);
            // Beyond the band the rules would pull every further channel onto
            // the band's edge: many channels on one frequency, none of them the
            // one asked for. Such a channel is left alone and reported.
            if (hz < qint64(program.activeBandLow) || hz > qint64(program.activeBandHigh)) {
                row.outcome = Outcome::Refused;
                row.refusal = channelcsv::Refusal::OutsideBand;
                row.refusalColumn = column;
                row.refusalValue = wanted;
                report.rows << row;
                continue;
            }
            commitRxFrequency(program, n, wanted);
            const QString stored = codec::formatFrequency(program.codeplug.channel(n).rxFreq());
            commitTxFrequency(program, n, stored);
            if (stored != wanted) {
                row.outcome = Outcome::Adjusted;
                row.adjustments << channelcsv::AdjustmentNote{
                    channelcsv::Adjustment::MovedOntoRaster, column, wanted, stored};
            }
            report.rows << row;
        }
    });
    return report;
}

void GridCommands::batchSet()
{
    m_grid->commitEditor();
    const QList<int> channels = selectedChannels();
    TBatchSetDlg dialog(m_doc, m_dialogParent);
    if (channels.size() > 1)
        dialog.setChannels(channels.front(), channels.back());
    else if (!channels.isEmpty())
        dialog.setChannels(channels.front(), Channels);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const Preview report =
        batchFill(dialog.startChannel(), dialog.endChannel(), dialog.startHz(), dialog.stepHz());
    selectChannels(dialog.startChannel(), dialog.endChannel());
    showReport(text::MainText::BatchReport, report);
}

} // namespace t880
