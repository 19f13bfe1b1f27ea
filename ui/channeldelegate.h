// The six in-cell controls of the channel grid and the delegate that lays
// them over a cell. The controls live as long as the grid (hidden while not
// in use), so every one keeps its object name and the busy-lock picker
// keeps its last selection between openings.
#pragma once

#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QStyledItemDelegate>

#include <array>

namespace t880 {

class Document;

/// The frequency editor: digits and one point, at most nine characters.
class FrequencyEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit FrequencyEdit(QWidget *parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent *event) override;
};

/// The tone editor: an editable list of the 261 tones that also takes a
/// tone of its own (digits, D, N, I and the point; at most five characters).
class ToneCombo : public QComboBox
{
    Q_OBJECT
public:
    explicit ToneCombo(QWidget *parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent *event) override;
};

class ChannelDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    /// Creates the six controls, hidden, as children of \a editorParent (the
    /// grid's viewport).
    ChannelDelegate(Document &state, QWidget *editorParent, QObject *parent = nullptr);

    /// The cell as the style draws it, and a small corner mark on a cell
    /// changed since the codeplug was last opened, read or saved.
    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model,
                      const QModelIndex &index) const override;
    void updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const override;
    void destroyEditor(QWidget *editor, const QModelIndex &index) const override;

    /// Refills the picker lists in the current language.
    void applyLanguage();
    /// The next editor to open starts with \a text instead of the cell's
    /// text (a key typed on the grid).
    void startWith(const QString &text) { m_startText = text; }
    /// The control open over a cell, or null.
    QWidget *openEditor() const { return m_open; }
    /// Whether the frequency control holds a text that is no number at all.
    bool frequencyIsNoNumber() const;
    /// The control that edits grid column \a column (1..8).
    QWidget *editorFor(int column) const;

    bool eventFilter(QObject *object, QEvent *event) override;

    FrequencyEdit *Edit_ChFreq = nullptr;
    ToneCombo *ComboBox1 = nullptr;
    QComboBox *cbChInfor_Pow = nullptr;
    QComboBox *cbChInfor_Bandwidth = nullptr;
    QComboBox *cbChInfor_SCN = nullptr;
    QComboBox *cbChInfor_BusyFit = nullptr;
    /// The name editor: six bytes of the code page, a Chinese character two.
    QLineEdit *Edit_ChName = nullptr;

private:
    Document &m_state;
    mutable QPointer<QWidget> m_open;
    mutable QString m_startText;
    // What the control showed when it opened: leaving it unchanged stores
    // nothing, so passing through a cell never rewrites the channel.
    mutable QString m_openedText;
    mutable int m_openedIndex = -1;
};

} // namespace t880
