// The channel grid's commands on whole channels: copy, cut and paste through
// the clipboard's tab-separated text, clear, insert, delete, move and sort,
// a value chosen once for several channels, and Batch Set. Each command is
// one named edit of the document.
#pragma once

#include "codeplug/channelcsv.h"
#include "ui/undohistory.h"

#include <QList>
#include <QObject>
#include <QVariant>

#include <functional>

class QAction;
class QMenu;
class QWidget;

namespace t880 {

class Document;
class ChannelGrid;
class CodeplugData;

class GridCommands : public QObject
{
    Q_OBJECT
public:
    /// Commands on \a grid, each one edit of \a document; dialogs open
    /// over \a dialogParent.
    GridCommands(Document &document, ChannelGrid *grid, QWidget *dialogParent);

    /// Cut, Copy, Paste, then the row commands (for the Edit menu).
    QList<QAction *> actions() const;
    void applyLanguage();

    /// The channels of the grid's selection (or its current cell), 1..16, in order.
    QList<int> selectedChannels() const;

    void copy();
    void cut();
    /// Pastes \a text (tab-separated, with a header) into the selected
    /// channels: one selected channel takes the rows from there down.
    void pasteText(const QByteArray &text);
    void paste();
    void clearChannels();
    void insertEmpty();
    void deleteAndShiftUp();
    void moveUp() { moveBy(-1); }
    void moveDown() { moveBy(1); }
    void sortByRxFrequency();
    /// Stores \a value (a tone text, or a picker's index) in grid column
    /// \a column of every channel of \a channels that is in use.
    void bulkEdit(int column, const QList<int> &channels, const QVariant &value);
    /// Fills channels \a first..\a last with receive (and equal transmit)
    /// frequencies from \a startHz in steps of \a stepHz; a frequency
    /// outside the active band leaves its channel as it was. The report
    /// lists what was moved onto the raster or refused.
    channelcsv::Preview batchFill(int first, int last, qint64 startHz, qint64 stepHz);
    void batchSet();

private:
    struct Slot
    {
        ChannelRecord record;
        bool used = false;
    };
    static Slot slot(const CodeplugData &codeplug, int n);
    static void store(CodeplugData &codeplug, int n, const Slot &s);
    void moveBy(int delta);
    /// Applies \a change to the codeplug as the one step \a name.
    void finish(const StepName &name, const std::function<void(CodeplugData &)> &change);
    void selectChannels(int first, int last);
    void showReport(int title, const channelcsv::Preview &preview);

    Document &m_doc;
    ChannelGrid *m_grid;
    QWidget *m_dialogParent;
    QMenu *m_menu = nullptr;
    QAction *m_cut = nullptr;
    QAction *m_copy = nullptr;
    QAction *m_paste = nullptr;
    QAction *m_clear = nullptr;
    QAction *m_insert = nullptr;
    QAction *m_delete = nullptr;
    QAction *m_moveUp = nullptr;
    QAction *m_moveDown = nullptr;
    QAction *m_sort = nullptr;
    QAction *m_batchSet = nullptr;
};

} // namespace t880
