// The 16 channels of the window's codeplug as a table: one row a channel,
// one column a field (the grid's columns 1..8; the channel number is the
// row header). Every edit goes through the core's channel rules, so the
// grid stores exactly what the command line would.
#pragma once

#include "text/textnames.h"

#include <QAbstractTableModel>
#include <QColor>

namespace t880 {

class CodeplugData;
class Document;

class ChannelTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    /// Grid column of model column 0; the grid's column 0 is the row header.
    static constexpr int FirstColumn = 1;
    /// Grid column of the channel's name, after the eight field columns;
    /// only the file carries the name, the radio does not.
    static constexpr int NameColumn = 9;
    /// Grid columns in all, the number column included.
    static constexpr int GridColumns = NameColumn + 1;
    /// What gridColumnOfList() gives for the tone columns of a channel list
    /// that can stand for either tone (Tone, cToneFreq, DtcsCode, ...).
    static constexpr int BothTonesColumn = GridColumns;
    /// Light green of the odd channel rows.
    static const QColor OddRowColor;
    /// Data role: whether the cell differs from the window's baseline (the
    /// codeplug as last opened, read or saved).
    static constexpr int ChangedRole = Qt::UserRole + 1;

    /// The channels of \a document, which every edit goes through; the
    /// rows follow its changes.
    ChannelTableModel(Document &document, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    /// Commits an editor's value: a text for the frequency and tone columns,
    /// an item index for the pickers. False when the value was refused (the
    /// channel is unchanged); the row is redrawn either way.
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

    /// The cell of \a channel (1..16) and grid column \a column (1..8).
    QModelIndex cell(int channel, int column) const;
    static int channelOf(const QModelIndex &index) { return index.row() + 1; }
    static int gridColumnOf(const QModelIndex &index) { return index.column() + FirstColumn; }
    /// The grid column that column \a header of a channel list (a file or
    /// the clipboard's text) fills, in any case: 0 for Location,
    /// BothTonesColumn for a tone column shared by both tones, -1 for a
    /// column the grid does not show.
    static int gridColumnOfList(const QString &header);
    /// Text number of the header of grid column \a column (0: the number; the
    /// column headers follow it in the main table).
    static int headerText(int column) { return text::MainText::NumberColumn + column; }

    bool isChannelUsed(int channel) const;
    /// Redraws the row of \a channel from the model (an empty row when the
    /// channel is not in use).
    void StringGridUpdataRow(int channel);
    /// Redraws every header and, one by one, every row (a new model, a new
    /// language).
    void updateAll();

signals:
    /// A tone text was committed into \a channel's tone column \a column.
    void toneCommitted(int channel, int column);

private:
    /// The text of a cell (grid columns 1..9) of \a codeplug.
    QString cellText(const CodeplugData &codeplug, int channel, int column) const;

    Document &m_doc;
};

} // namespace t880
