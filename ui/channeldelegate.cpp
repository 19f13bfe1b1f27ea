#include "ui/channeldelegate.h"

#include "codeplug/channeledit.h"
#include "codeplug/channelname.h"
#include "codeplug/tonecodec.h"
#include "text/textnames.h"
#include "ui/changemark.h"
#include "ui/channelmodel.h"
#include "ui/document.h"
#include "ui/focusreturn.h"

#include <QFocusEvent>
#include <QKeyEvent>

#include <algorithm>
#include <utility>

namespace t880 {

using namespace channeledit;

namespace {

// Picker items by text number: index 0 is the bit cleared, 1 the bit set.
struct PickerTexts
{
    int column;
    int cleared;
    int set;
};
constexpr PickerTexts kPickers[] = {
    {PowerColumn, text::MainText::Low, text::MainText::High},
    {BandwidthColumn, text::MainText::Narrow, text::MainText::Wide},
    {ScanColumn, text::MainText::ScanDel, text::MainText::ScanAdd},
    {BusyLockColumn, text::MainText::BusyOff, text::MainText::BusyCarrier},
};

QComboBox *newPicker(QWidget *parent, const char *name)
{
    auto *c = new QComboBox(parent);
    c->setObjectName(QLatin1String(name));
    c->setFrame(false);
    c->hide();
    return c;
}

} // namespace

// --- the editors -------------------------------------------------------------

FrequencyEdit::FrequencyEdit(QWidget *parent) : QLineEdit(parent)
{
    setFrame(false);
    connect(this, &QLineEdit::textChanged, this, [this](const QString &text) {
        const QString tidy = tidyFrequencyText(text);
        if (tidy != text) {
            setText(tidy);
            end(false);
        }
    });
}

namespace {

// The character a key types, or nothing for shortcuts (Ctrl+V pastes) and
// keys without one.
QString typedText(const QKeyEvent *event)
{
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return QString();
    return event->text();
}

} // namespace

void FrequencyEdit::keyPressEvent(QKeyEvent *event)
{
    const QString text = typedText(event);
    if (!text.isEmpty() && !frequencyKeyAccepted(text.at(0))) {
        event->accept(); // discarded, as a key the field does not know
        return;
    }
    QLineEdit::keyPressEvent(event);
}

ToneCombo::ToneCombo(QWidget *parent) : QComboBox(parent)
{
    setEditable(true);
    setFrame(false);
    setInsertPolicy(QComboBox::NoInsert);
    // Completion would write characters the user did not type into a field
    // that cuts at five; the list is there to pick from instead.
    setCompleter(nullptr);
    addItems(codec::toneChoiceList());
    setMaxVisibleItems(16);
    connect(lineEdit(), &QLineEdit::textChanged, this, [this](const QString &text) {
        const QString tidy = tidyToneText(text);
        if (tidy != text) {
            lineEdit()->setText(tidy);
            lineEdit()->end(false);
        }
    });
}

void ToneCombo::keyPressEvent(QKeyEvent *event)
{
    const QString text = typedText(event);
    if (text.isEmpty()) {
        QComboBox::keyPressEvent(event);
        return;
    }
    const std::optional<QChar> c = toneKey(text.at(0));
    if (!c) {
        event->accept();
        return;
    }
    if (*c == text.at(0)) {
        QComboBox::keyPressEvent(event);
        return;
    }
    QKeyEvent capital(event->type(), event->key(), event->modifiers() & ~Qt::ShiftModifier,
                      QString(*c), event->isAutoRepeat(), ushort(event->count()));
    QComboBox::keyPressEvent(&capital);
    event->setAccepted(capital.isAccepted());
}

// --- the delegate ------------------------------------------------------------

ChannelDelegate::ChannelDelegate(Document &state, QWidget *editorParent, QObject *parent)
    : QStyledItemDelegate(parent), m_state(state)
{
    Edit_ChFreq = new FrequencyEdit(editorParent);
    Edit_ChFreq->setObjectName(QStringLiteral("Edit_ChFreq"));
    Edit_ChFreq->hide();
    ComboBox1 = new ToneCombo(editorParent);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->hide();
    cbChInfor_Pow = newPicker(editorParent, "cbChInfor_Pow");
    cbChInfor_Bandwidth = newPicker(editorParent, "cbChInfor_Bandwidth");
    cbChInfor_SCN = newPicker(editorParent, "cbChInfor_SCN");
    cbChInfor_BusyFit = newPicker(editorParent, "cbChInfor_BusyFit");
    Edit_ChName = new QLineEdit(editorParent);
    Edit_ChName->setObjectName(QStringLiteral("Edit_ChName"));
    Edit_ChName->setFrame(false);
    Edit_ChName->hide();
    // A character that would not fit the six bytes is not taken; a pasted
    // text keeps what fits.
    connect(Edit_ChName, &QLineEdit::textEdited, Edit_ChName, [this](const QString &text) {
        const QString fitted = fitNameText(text);
        if (fitted != text) {
            const int caret = std::min(Edit_ChName->cursorPosition(), int(fitted.size()));
            Edit_ChName->setText(fitted);
            Edit_ChName->setCursorPosition(caret);
        }
    });
}

QWidget *ChannelDelegate::editorFor(int column) const
{
    switch (column) {
    case RxFreqColumn:
    case TxFreqColumn:
        return Edit_ChFreq;
    case RxToneColumn:
    case TxToneColumn:
        return ComboBox1;
    case PowerColumn:
        return cbChInfor_Pow;
    case BandwidthColumn:
        return cbChInfor_Bandwidth;
    case ScanColumn:
        return cbChInfor_SCN;
    case BusyLockColumn:
        return cbChInfor_BusyFit;
    case ChannelTableModel::NameColumn:
        return Edit_ChName;
    default:
        return nullptr;
    }
}

void ChannelDelegate::applyLanguage()
{
    for (const PickerTexts &p : kPickers) {
        auto *combo = static_cast<QComboBox *>(editorFor(p.column));
        const int selected = combo->currentIndex();
        combo->clear();
        combo->addItems({m_state.langText(p.cleared), m_state.langText(p.set)});
        combo->setCurrentIndex(selected < 0 ? 0 : selected);
    }
}

void ChannelDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                            const QModelIndex &index) const
{
    QStyledItemDelegate::paint(painter, option, index);
    if (index.data(ChannelTableModel::ChangedRole).toBool())
        paintChangeMark(*painter, option.rect);
}

bool ChannelDelegate::frequencyIsNoNumber() const
{
    return readFrequencyText(Edit_ChFreq->text(), m_state.program().activeBandLow,
                             m_state.program().activeBandHigh)
               .kind == FrequencyKind::NotANumber;
}

bool ChannelDelegate::eventFilter(QObject *object, QEvent *event)
{
    // Switching to another application is not leaving the cell: a text that
    // is no frequency stays in its control, without a message popping up
    // over the other application.
    if (object == Edit_ChFreq && event->type() == QEvent::FocusOut &&
        !focusMovedWithinWindow(Edit_ChFreq, static_cast<QFocusEvent *>(event)) &&
        frequencyIsNoNumber())
        return false;
    return QStyledItemDelegate::eventFilter(object, event);
}

QWidget *ChannelDelegate::createEditor(QWidget *, const QStyleOptionViewItem &,
                                       const QModelIndex &index) const
{
    m_open = editorFor(ChannelTableModel::gridColumnOf(index));
    return m_open;
}

void ChannelDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    const int column = ChannelTableModel::gridColumnOf(index);
    const QString cellText = index.data(Qt::DisplayRole).toString();
    const QString start = std::exchange(m_startText, QString());
    // A screen reader names the control after its column and channel.
    editor->setAccessibleName(index.model()->headerData(index.column(), Qt::Horizontal).toString() +
                              QLatin1Char(' ') +
                              index.model()->headerData(index.row(), Qt::Vertical).toString());
    if (editor == Edit_ChFreq) {
        m_openedText = cellText;
        Edit_ChFreq->setText(start.isEmpty() ? cellText : start);
    } else if (editor == Edit_ChName) {
        m_openedText = cellText;
        Edit_ChName->setText(start.isEmpty() ? cellText : fitNameText(start));
    } else if (editor == ComboBox1) {
        m_openedText = cellText;
        const int item = ComboBox1->findText(cellText);
        if (item >= 0 && start.isEmpty())
            ComboBox1->setCurrentIndex(item);
        ComboBox1->setEditText(start.isEmpty() ? cellText : start);
    } else if (auto *picker = qobject_cast<QComboBox *>(editor)) {
        const ChannelRecord r =
            m_state.program().codeplug.channel(ChannelTableModel::channelOf(index));
        m_openedIndex = pickerIndex(r, column, picker->currentIndex());
        picker->setCurrentIndex(m_openedIndex);
    }
}

void ChannelDelegate::setModelData(QWidget *editor, QAbstractItemModel *model,
                                   const QModelIndex &index) const
{
    if (editor == Edit_ChFreq) {
        if (Edit_ChFreq->text() != m_openedText)
            model->setData(index, Edit_ChFreq->text());
    } else if (editor == Edit_ChName) {
        if (Edit_ChName->text() != m_openedText)
            model->setData(index, Edit_ChName->text());
    } else if (editor == ComboBox1) {
        if (ComboBox1->currentText() != m_openedText)
            model->setData(index, ComboBox1->currentText());
    } else if (auto *picker = qobject_cast<QComboBox *>(editor)) {
        if (picker->currentIndex() != m_openedIndex)
            model->setData(index, picker->currentIndex());
    }
}

void ChannelDelegate::updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                                           const QModelIndex &) const
{
    // Over the cell and its grid lines, so no part of the old text shows.
    editor->setGeometry(option.rect.adjusted(0, 0, 1, 1));
}

void ChannelDelegate::destroyEditor(QWidget *editor, const QModelIndex &) const
{
    // The controls are kept for the next cell, only hidden.
    editor->hide();
    if (editor == m_open)
        m_open = nullptr;
}

} // namespace t880
