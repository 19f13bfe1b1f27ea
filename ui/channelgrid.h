// The channel grid of the first page: 16 channels, one a row, edited in
// place. The grid never edits text itself; one of six controls is laid
// over the current cell and writes through the model when it loses the
// focus or on Enter (Escape drops the edit). A channel not in use is
// started from its receive-frequency cell only.
#pragma once

#include <QPoint>
#include <QTableView>
#include <QTimer>

class QLabel;

namespace t880 {

class Document;
class ChannelDelegate;
class ChannelTableModel;

class ChannelGrid : public QTableView
{
    Q_OBJECT
public:
    /// The grid over the channels of \a document; the nonstandard-tone note is
    /// placed on \a parent (the page) so it may reach past the grid.
    ChannelGrid(Document &document, QWidget *parent = nullptr);
    ~ChannelGrid() override;

    /// Headers, cell texts, picker lists and the note in the current language.
    void applyLanguage();
    /// Row heights and column widths from the configuration; resizing them
    /// later writes them back there.
    void applySizes();
    /// Stores and closes an open in-cell control (before Read, Write, Open,
    /// Save and a language change).
    void commitEditor();
    /// Makes cell (\a column, \a channel) current, as grid coordinates.
    void setCurrentCell(int column, int channel);

    ChannelTableModel *channelModel() const { return m_model; }
    /// Top left of the tone editor when last placed, in the page.
    QPoint toneEditorPos() const { return m_toneEditorPos; }
    /// The cell the mouse last moved onto (grid coordinates; -1 before).
    int hintCol() const { return m_hintCol; }
    int hintRow() const { return m_hintRow; }
    QLabel *sTiShi_0 = nullptr;

signals:
    /// A value was confirmed in a tone or picker control opened while
    /// several channels were selected: it is meant for all of them
    /// (\a value: the tone text, or the picker's index). Nothing is stored.
    void bulkEdited(int column, const QList<int> &channels, const QVariant &value);

protected:
    void commitData(QWidget *editor) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void openCell(const QModelIndex &index, const QString &startText = QString());
    QList<int> bulkChannels(const QModelIndex &index) const;
    void onToneCommitted(int channel, int column);
    void refuseFrequency();
    void showFrequencyRefusal();
    void paintCorner();
    void fitTexts();

    Document &m_doc;
    ChannelTableModel *m_model = nullptr;
    ChannelDelegate *m_delegate = nullptr;
    QWidget *m_corner = nullptr;
    QPersistentModelIndex m_pressed;
    bool m_fitting = false;    ///< widening for the font, not the user's sizing
    QList<int> m_bulkChannels; ///< the selected channels when a control opened for several
    // The cell whose control was opened last, in grid coordinates.
    int m_editCol = 0;
    int m_editRow = 0;
    int m_hintCol = -1;
    int m_hintRow = -1;
    QPoint m_toneEditorPos;
    // A frequency text that is no number keeps its editor open and is named
    // in a message once the focus has settled.
    bool m_keepEditor = false;
    bool m_refusalShowing = false;
    QString m_refusedText;
    QTimer m_refusal;
};

} // namespace t880
