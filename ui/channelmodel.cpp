#include "ui/channelmodel.h"

#include "codeplug/channelcsv.h"
#include "codeplug/channeledit.h"
#include "codeplug/channelname.h"
#include "ui/document.h"

#include <QColor>
#include <QHash>

namespace t880 {

using namespace channeledit;

const QColor ChannelTableModel::OddRowColor = QColor(192, 220, 192);

int ChannelTableModel::gridColumnOfList(const QString &header)
{
    // rToneFreq is only ever sent and RxDtcsCode only ever decoded; the
    // other tone columns can describe either tone, as the Tone mode says.
    static const QHash<QString, int> columns = {
        {QStringLiteral("location"), NumberColumn},
        {QStringLiteral("frequency"), RxFreqColumn},
        {QStringLiteral("duplex"), TxFreqColumn},
        {QStringLiteral("offset"), TxFreqColumn},
        {QStringLiteral("rtonefreq"), TxToneColumn},
        {QStringLiteral("rxdtcscode"), RxToneColumn},
        {QStringLiteral("tone"), BothTonesColumn},
        {QStringLiteral("ctonefreq"), BothTonesColumn},
        {QStringLiteral("dtcscode"), BothTonesColumn},
        {QStringLiteral("dtcspolarity"), BothTonesColumn},
        {QStringLiteral("crossmode"), BothTonesColumn},
        {QStringLiteral("power"), PowerColumn},
        {QStringLiteral("mode"), BandwidthColumn},
        {QStringLiteral("skip"), ScanColumn},
        {channelcsv::BusyLockHeader.toLower(), BusyLockColumn},
        {QStringLiteral("name"), NameColumn},
    };
    return columns.value(header.toLower(), -1);
}

ChannelTableModel::ChannelTableModel(Document &document, QObject *parent)
    : QAbstractTableModel(parent), m_doc(document)
{
    connect(&m_doc, &Document::channelsChanged, this, [this](int first, int last) {
        emit headerDataChanged(Qt::Vertical, first - 1, last - 1);
        for (int channel = first; channel <= last; ++channel)
            StringGridUpdataRow(channel);
    });
    // The changed-cell marks compare with the baseline.
    connect(&m_doc, &Document::baselineChanged, this, &ChannelTableModel::updateAll);
}

int ChannelTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : CodeplugData::Channels;
}

int ChannelTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : GridColumns - FirstColumn;
}

QString ChannelTableModel::cellText(const CodeplugData &codeplug, int channel, int column) const
{
    if (column == NameColumn)
        return codeplug.isChannelUsed(channel) ? nameText(codeplug.channel(channel)) : QString();
    const CellText cell = rowTexts(codeplug, channel)[std::size_t(column)];
    return cell.textNumber >= 0 ? m_doc.langText(cell.textNumber) : cell.text;
}

QVariant ChannelTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const int channel = channelOf(index);
    const int column = gridColumnOf(index);
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole: {
        if (role == Qt::EditRole && column >= PowerColumn && column != NameColumn) {
            return pickerIndex(m_doc.codeplug().channel(channel), column);
        }
        return cellText(m_doc.codeplug(), channel, column);
    }
    case Qt::TextAlignmentRole:
        return int(Qt::AlignCenter);
    case Qt::BackgroundRole:
        if (channel % 2 == 1)
            return OddRowColor;
        return {};
    case ChangedRole:
        return cellText(m_doc.codeplug(), channel, column) !=
               cellText(m_doc.baseline(), channel, column);
    case Qt::ToolTipRole:
        if (column != NameColumn && isNonstandardTone(m_doc.codeplug(), channel, column))
            return m_doc.langText(text::MainText::NonstandardValue);
        return {};
    default:
        return {};
    }
}

QVariant ChannelTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignCenter);
    if (orientation == Qt::Vertical) {
        if (role == Qt::DisplayRole)
            return rowTexts(m_doc.codeplug(), section + 1)[NumberColumn].text;
        if (role == Qt::ToolTipRole)
            return m_doc.langText(text::MainText::NumberTip);
        if (role == Qt::BackgroundRole && (section + 1) % 2 == 1)
            return OddRowColor;
        return {};
    }
    if (role == Qt::DisplayRole)
        return m_doc.langText(headerText(section + FirstColumn));
    if (role == Qt::ToolTipRole)
        return m_doc.langText(text::MainText::NumberTip + section + FirstColumn);
    return {};
}

Qt::ItemFlags ChannelTableModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    // A channel not in use is started from its receive frequency only.
    if (gridColumnOf(index) == RxFreqColumn || isChannelUsed(channelOf(index)))
        f |= Qt::ItemIsEditable;
    return f;
}

bool ChannelTableModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    const int channel = channelOf(index);
    const int column = gridColumnOf(index);
    EditResult result = EditResult::Refused;
    m_doc.edit(StepName(), [&](ProgramState &program) {
        switch (column) {
        case RxFreqColumn:
            result = commitRxFrequency(program, channel, value.toString());
            break;
        case TxFreqColumn:
            result = commitTxFrequency(program, channel, value.toString());
            break;
        case RxToneColumn:
        case TxToneColumn:
            result = commitTone(program.codeplug, channel, column, value.toString());
            break;
        case NameColumn:
            result = commitName(program.codeplug, channel, value.toString());
            break;
        default:
            result = commitPicker(program.codeplug, channel, column, value.toInt());
            break;
        }
    });
    // Also when nothing changed: the cell shows the stored value again, not
    // the text as it was typed.
    StringGridUpdataRow(channel);
    if (column == RxToneColumn || column == TxToneColumn)
        emit toneCommitted(channel, column);
    return result != EditResult::Refused;
}

QModelIndex ChannelTableModel::cell(int channel, int column) const
{
    return index(channel - 1, column - FirstColumn);
}

bool ChannelTableModel::isChannelUsed(int channel) const
{
    return m_doc.codeplug().isChannelUsed(channel);
}

void ChannelTableModel::StringGridUpdataRow(int channel)
{
    emit dataChanged(cell(channel, FirstColumn), cell(channel, NameColumn));
}

void ChannelTableModel::updateAll()
{
    emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
    emit headerDataChanged(Qt::Vertical, 0, rowCount() - 1);
    for (int channel = 1; channel <= CodeplugData::Channels; ++channel)
        StringGridUpdataRow(channel);
}

} // namespace t880
