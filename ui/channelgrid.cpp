#include "ui/channelgrid.h"

#include "codeplug/channeledit.h"
#include "text/textnames.h"
#include "ui/channeldelegate.h"
#include "ui/channelmodel.h"
#include "ui/document.h"
#include "ui/messagedialogs.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QStyleOptionHeader>
#include <QStylePainter>
#include <QToolTip>

#include <algorithm>
#include <utility>

namespace t880 {

using namespace channeledit;

namespace {

// Where the note sits from the tone editor's top left.
constexpr QPoint kNoteOffset(50, 20);
// Small enough for any size the configuration file may hold.
constexpr int kMinimumSection = 4;

bool isEnter(const QKeyEvent *e)
{
    return e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
}

} // namespace

ChannelGrid::ChannelGrid(Document &document, QWidget *parent) : QTableView(parent), m_doc(document)
{
    setObjectName(QStringLiteral("StringGrid1"));
    m_model = new ChannelTableModel(document, this);
    setModel(m_model);
    m_delegate = new ChannelDelegate(document, viewport(), this);
    setItemDelegate(m_delegate);

    // The grid opens its controls itself, by the rules of openCell().
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setTabKeyNavigation(true);
    setWordWrap(false);
    setShowGrid(true);
    setCornerButtonEnabled(false);
    viewport()->setMouseTracking(true);
    for (QHeaderView *h : {horizontalHeader(), verticalHeader()}) {
        h->setMinimumSectionSize(kMinimumSection);
        h->setSectionResizeMode(QHeaderView::Interactive);
        h->setDefaultAlignment(Qt::AlignCenter);
        h->setHighlightSections(false);
    }
    verticalHeader()->setSectionsClickable(false);
    horizontalHeader()->setSectionsClickable(false);

    // Sizes the user drags are the sizes of the next run.
    connect(horizontalHeader(), &QHeaderView::sectionResized, this,
            [this](int section, int, int size) {
                if (m_fitting)
                    return;
                if (section + 1 == ChannelTableModel::NameColumn)
                    m_doc.config().nameColumnWidth = size;
                else
                    m_doc.config().channelColumnWidths[std::size_t(section + 1)] = size;
            });
    connect(verticalHeader(), &QHeaderView::sectionResized, this,
            [this](int section, int, int size) {
                if (!m_fitting)
                    m_doc.config().channelRowHeights[std::size_t(section + 1)] = size;
            });

    // The corner plays the number column's header, "NO.".
    m_corner = findChild<QAbstractButton *>(QString(), Qt::FindDirectChildrenOnly);
    if (m_corner)
        m_corner->installEventFilter(this);
    // A click on a header hides the nonstandard-tone note, as one on a cell does.
    horizontalHeader()->viewport()->installEventFilter(this);
    verticalHeader()->viewport()->installEventFilter(this);
    m_refusal.setSingleShot(true);
    m_refusal.setInterval(0);
    connect(&m_refusal, &QTimer::timeout, this, &ChannelGrid::showFrequencyRefusal);

    sTiShi_0 = new QLabel(parent ? parent : this);
    sTiShi_0->setObjectName(QStringLiteral("sTiShi_0"));
    QFont noteFont = sTiShi_0->font();
    noteFont.setPixelSize(12);
    sTiShi_0->setFont(noteFont);
    QPalette notePalette = sTiShi_0->palette();
    notePalette.setColor(QPalette::WindowText, QColor(0, 128, 128));
    sTiShi_0->setPalette(notePalette);
    // A click on the note is a click on the grid below it.
    sTiShi_0->setAttribute(Qt::WA_TransparentForMouseEvents);
    sTiShi_0->hide();

    connect(m_model, &ChannelTableModel::toneCommitted, this, &ChannelGrid::onToneCommitted);
    applySizes();
}

ChannelGrid::~ChannelGrid()
{
    // The controls go while the view can still forget them.
    for (int column = RxFreqColumn; column < ChannelTableModel::GridColumns; column += 1) {
        if (column == TxFreqColumn || column == TxToneColumn)
            continue;
        delete m_delegate->editorFor(column);
    }
}

void ChannelGrid::applyLanguage()
{
    m_delegate->applyLanguage();
    m_model->updateAll();
    sTiShi_0->setText(m_doc.langText(text::MainText::NonstandardValue));
    sTiShi_0->adjustSize();
    if (m_corner) {
        m_corner->setAccessibleName(m_doc.langText(text::MainText::NumberColumn));
        m_corner->setToolTip(m_model->headerData(0, Qt::Vertical, Qt::ToolTipRole).toString());
        m_corner->update();
    }
    setAccessibleName(m_doc.langText(text::MainText::ChannelsPage));
    fitTexts();
}

void ChannelGrid::fitTexts()
{
    // The configured sizes were made for a smaller font than many desktops
    // use; a cell that would cut its text is widened (never narrowed). The
    // configuration keeps the sizes the user chose, so this stays a matter
    // of the font.
    m_fitting = true;
    const QFontMetrics cellMetrics(font());
    const QFontMetrics headerMetrics(horizontalHeader()->font());
    const auto widest = [](const QFontMetrics &metrics, const QStringList &texts) {
        int width = 0;
        for (const QString &text : texts)
            width = std::max(width, metrics.horizontalAdvance(text));
        return width;
    };
    constexpr int kCellMargin = 10;
    constexpr int kHeaderMargin = 14;
    for (int column = RxFreqColumn; column < ChannelTableModel::GridColumns; ++column) {
        QStringList samples;
        if (column == ChannelTableModel::NameColumn)
            samples = {QStringLiteral("MMMMMM"), QStringLiteral("中文名")};
        else if (column <= TxFreqColumn)
            samples = {QStringLiteral("888.88888")};
        else if (column <= TxToneColumn)
            samples = {QStringLiteral("D888N"), QStringLiteral("888.8")};
        else if (auto *picker = qobject_cast<QComboBox *>(m_delegate->editorFor(column)))
            samples = {picker->itemText(0), picker->itemText(1)};
        const int section = column - ChannelTableModel::FirstColumn;
        const QString header = m_model->headerData(section, Qt::Horizontal).toString();
        const int needed = std::max(widest(cellMetrics, samples) + kCellMargin,
                                    widest(headerMetrics, {header}) + kHeaderMargin);
        if (horizontalHeader()->sectionSize(section) < needed)
            horizontalHeader()->resizeSection(section, needed);
    }
    const int numberWidth = widest(headerMetrics, {QStringLiteral("88"),
                                                   m_doc.langText(text::MainText::NumberColumn)}) +
                            kHeaderMargin;
    if (verticalHeader()->width() < numberWidth)
        verticalHeader()->setFixedWidth(numberWidth);
    m_fitting = false;
}

void ChannelGrid::applySizes()
{
    const AppConfig &c = m_doc.config();
    // Copies: resizing writes back into the configuration as it goes.
    const auto widths = c.channelColumnWidths;
    const auto heights = c.channelRowHeights;
    verticalHeader()->setFixedWidth(widths[0]);
    horizontalHeader()->setFixedHeight(heights[0]);
    for (int column = 1; column < AppConfig::ChannelColumns; ++column)
        horizontalHeader()->resizeSection(column - 1, widths[std::size_t(column)]);
    horizontalHeader()->resizeSection(ChannelTableModel::NameColumn - 1, c.nameColumnWidth);
    for (int row = 1; row < AppConfig::ChannelRows; ++row)
        verticalHeader()->resizeSection(row - 1, heights[std::size_t(row)]);
}

void ChannelGrid::commitEditor()
{
    QWidget *editor = m_delegate->openEditor();
    if (!editor)
        return;
    if (editor == m_delegate->Edit_ChFreq && m_delegate->frequencyIsNoNumber()) {
        // A command is waiting for the model: the text is dropped, and the
        // user is told before the command goes on.
        m_refusal.stop();
        m_refusedText = m_delegate->Edit_ChFreq->text();
        QTableView::closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
        showFrequencyRefusal();
        return;
    }
    commitData(editor);
    closeEditor(editor, QAbstractItemDelegate::NoHint);
}

void ChannelGrid::setCurrentCell(int column, int channel)
{
    setCurrentIndex(m_model->cell(channel, column));
}

// --- opening the controls ----------------------------------------------------

void ChannelGrid::openCell(const QModelIndex &index, const QString &startText)
{
    // The model refuses cells of a channel not in use, except its receive
    // frequency: nothing opens there.
    if (!index.isValid() || !(m_model->flags(index) & Qt::ItemIsEditable))
        return;
    m_editCol = ChannelTableModel::gridColumnOf(index);
    m_editRow = ChannelTableModel::channelOf(index);
    m_bulkChannels = bulkChannels(index);
    m_delegate->startWith(startText);
    // Making the current cell current again would drop a selection of
    // several rows, which a value chosen now is meant for.
    if (index != currentIndex())
        setCurrentIndex(index);
    edit(index);
    QWidget *editor = m_delegate->openEditor();
    if (!editor)
        return;
    QLineEdit *line = qobject_cast<QLineEdit *>(editor);
    if (auto *combo = qobject_cast<QComboBox *>(editor))
        line = combo->lineEdit();
    if (line) {
        // A typed key starts the text, as in a spreadsheet; otherwise the
        // cell's text is selected, so typing replaces it.
        if (startText.isEmpty())
            line->selectAll();
        else
            line->end(false);
    }
    if (editor == m_delegate->ComboBox1)
        m_toneEditorPos = editor->mapTo(sTiShi_0->parentWidget(), QPoint(0, 0));
}

QList<int> ChannelGrid::bulkChannels(const QModelIndex &index) const
{
    // Frequencies stay one channel's: the same frequency on many channels is
    // Batch Set's work, with its steps.
    if (ChannelTableModel::gridColumnOf(index) < RxToneColumn)
        return {};
    QList<int> channels;
    for (const QModelIndex &selected : selectionModel()->selectedIndexes()) {
        const int channel = ChannelTableModel::channelOf(selected);
        if (!channels.contains(channel))
            channels << channel;
    }
    if (channels.size() < 2 || !channels.contains(ChannelTableModel::channelOf(index)))
        return {};
    std::sort(channels.begin(), channels.end());
    return channels;
}

void ChannelGrid::commitData(QWidget *editor)
{
    if (editor == m_delegate->Edit_ChFreq && m_delegate->frequencyIsNoNumber()) {
        refuseFrequency();
        return;
    }
    if (m_bulkChannels.isEmpty() || editor != m_delegate->openEditor()) {
        QTableView::commitData(editor);
        return;
    }
    QVariant value;
    if (editor == m_delegate->ComboBox1)
        value = m_delegate->ComboBox1->currentText();
    else if (auto *picker = qobject_cast<QComboBox *>(editor))
        value = picker->currentIndex();
    const QList<int> channels = m_bulkChannels;
    const int column = m_editCol;
    m_bulkChannels.clear();
    emit bulkEdited(column, channels, value);
}

void ChannelGrid::keyPressEvent(QKeyEvent *event)
{
    const QModelIndex current = currentIndex();
    if (state() == EditingState || !current.isValid()) {
        QTableView::keyPressEvent(event);
        return;
    }
    const int column = ChannelTableModel::gridColumnOf(current);
    const bool used = m_model->isChannelUsed(ChannelTableModel::channelOf(current));
    const QString text = event->text();
    const bool printable = !text.isEmpty() && text.at(0).isPrint();
    const bool opens = isEnter(event) || event->key() == Qt::Key_F2;

    if (column == RxFreqColumn || column == TxFreqColumn) {
        const bool digit = printable && text.at(0).isDigit() && text.at(0).unicode() < 0x80;
        if (opens || digit) {
            openCell(current, digit ? text.left(1) : QString());
            return;
        }
    } else if (used && (opens || printable)) {
        const bool toneColumn = column == RxToneColumn || column == TxToneColumn;
        QString start;
        if (printable && toneColumn) {
            if (const std::optional<QChar> c = toneKey(text.at(0)))
                start = QString(*c);
        } else if (printable && column == ChannelTableModel::NameColumn) {
            start = text; // a name takes any character its code page has
        }
        openCell(current, start);
        return;
    }
    if (printable) {
        event->accept(); // no jumping to a cell by its first letter
        return;
    }
    QTableView::keyPressEvent(event);
}

void ChannelGrid::mousePressEvent(QMouseEvent *event)
{
    sTiShi_0->hide();
    if (m_refusal.isActive() || m_refusalShowing) {
        // The click took the focus from a refused frequency; the editor
        // stays, so the click moves nothing.
        event->accept();
        return;
    }
    QTableView::mousePressEvent(event);
    m_pressed = indexAt(event->position().toPoint());
}

void ChannelGrid::mouseReleaseEvent(QMouseEvent *event)
{
    QTableView::mouseReleaseEvent(event);
    const QModelIndex index = indexAt(event->position().toPoint());
    // A click opens the cell; a drag selects a range, and Shift or Ctrl
    // extend the selection, without opening anything.
    if (event->button() == Qt::LeftButton && index.isValid() && index == m_pressed &&
        index == currentIndex() &&
        !(event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier)))
        openCell(index);
    m_pressed = QPersistentModelIndex();
}

void ChannelGrid::mouseMoveEvent(QMouseEvent *event)
{
    QTableView::mouseMoveEvent(event);
    const QModelIndex index = indexAt(event->position().toPoint());
    if (!index.isValid())
        return;
    const int column = ChannelTableModel::gridColumnOf(index);
    const int channel = ChannelTableModel::channelOf(index);
    if (column == m_hintCol && channel == m_hintRow)
        return;
    m_hintCol = column;
    m_hintRow = channel;
    if (isNonstandardTone(m_doc.program().codeplug, channel, column)) {
        // At once, not after the usual tool-tip delay.
        QToolTip::showText(event->globalPosition().toPoint(),
                           m_doc.langText(text::MainText::NonstandardValue), viewport(),
                           visualRect(index));
    } else {
        QToolTip::hideText();
    }
}

void ChannelGrid::closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint)
{
    if (std::exchange(m_keepEditor, false))
        return;
    // A tone left as it was is checked again too: the note belongs to the
    // cell just left, not to an earlier one.
    const bool tone = editor == m_delegate->ComboBox1;
    // Tab out of a control stores it and moves on, without opening the next
    // cell's control: Tab is for moving, typing for editing.
    if (hint == QAbstractItemDelegate::EditNextItem ||
        hint == QAbstractItemDelegate::EditPreviousItem) {
        QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
        const QModelIndex next = moveCursor(
            hint == QAbstractItemDelegate::EditNextItem ? MoveNext : MovePrevious, Qt::NoModifier);
        if (next.isValid())
            setCurrentIndex(next);
    } else {
        QTableView::closeEditor(editor, hint);
    }
    if (tone)
        onToneCommitted(m_editRow, m_editCol);
}

void ChannelGrid::refuseFrequency()
{
    // The editor keeps the text, to be put right or dropped with Escape.
    m_keepEditor = true;
    m_refusedText = m_delegate->Edit_ChFreq->text();
    if (!m_refusalShowing)
        m_refusal.start();
}

void ChannelGrid::showFrequencyRefusal()
{
    m_refusalShowing = true;
    TUserWarnDlg message(m_doc.lang(), this);
    message.setMessage(m_doc.langText(text::MainText::NotAFrequency).arg(m_refusedText));
    message.exec();
    m_refusalShowing = false;
    if (m_delegate->openEditor() == m_delegate->Edit_ChFreq) {
        m_delegate->Edit_ChFreq->setFocus(Qt::OtherFocusReason);
        m_delegate->Edit_ChFreq->selectAll();
    }
}

void ChannelGrid::onToneCommitted(int channel, int column)
{
    if (!isNonstandardTone(m_doc.program().codeplug, channel, column)) {
        sTiShi_0->hide();
        return;
    }
    sTiShi_0->setText(m_doc.langText(text::MainText::NonstandardValue));
    sTiShi_0->adjustSize();
    sTiShi_0->move(m_toneEditorPos + kNoteOffset);
    sTiShi_0->raise();
    sTiShi_0->show();
}

bool ChannelGrid::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_corner && event->type() == QEvent::Paint) {
        paintCorner();
        return true;
    }
    if (event->type() == QEvent::MouseButtonPress &&
        (watched == m_corner || watched == horizontalHeader()->viewport() ||
         watched == verticalHeader()->viewport()))
        sTiShi_0->hide();
    return QTableView::eventFilter(watched, event);
}

void ChannelGrid::paintCorner()
{
    QStylePainter painter(m_corner);
    QStyleOptionHeader option;
    option.initFrom(m_corner);
    // A caption, not a button that is off.
    option.state |= QStyle::State_Enabled;
    option.palette.setCurrentColorGroup(QPalette::Active);
    option.rect = m_corner->rect();
    option.text = m_doc.langText(text::MainText::NumberColumn);
    option.textAlignment = Qt::AlignCenter;
    option.position = QStyleOptionHeader::OnlyOneSection;
    option.orientation = Qt::Horizontal;
    painter.drawControl(QStyle::CE_Header, option);
}

} // namespace t880
