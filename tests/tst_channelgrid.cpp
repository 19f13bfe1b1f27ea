// The channel grid on the main window, headless, through the real widgets:
// clicks and keys on the grid, the in-cell controls found by their object
// names, the nonstandard-tone note and hint, the commit before a transfer
// and the grid sizes that outlive a run.
#include "guitest.h"
#include "testsupport.h"

#include "ui/channelgrid.h"
#include "ui/document.h"
#include "ui/tform1.h"

#include <QAbstractButton>
#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolTip>
#include <QtTest>

using namespace t880;
using namespace t880::testing;

namespace {

const char *const kEditors[] = {"Edit_ChFreq",         "ComboBox1",     "cbChInfor_Pow",
                                "cbChInfor_Bandwidth", "cbChInfor_SCN", "cbChInfor_BusyFit"};

// Channel 3 in use at 446.00625 MHz with the defaults of a new channel.
void putChannel3(Document &state)
{
    ChannelRecord r;
    r.setRxFreq(446006250);
    r.setTxFreq(446006250);
    r.raw[ChannelRecord::Offset::optionB] = 0xB0;
    state.program().codeplug.setChannel(3, r);
    state.program().codeplug.setChannelUsed(3, true);
}

} // namespace

class TestChannelGrid : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    Document *m_state = nullptr;
    TForm1 *m_window = nullptr;
    ChannelGrid *m_grid = nullptr;

    QString configPath() const { return m_dir.filePath(QStringLiteral("_config.ini")); }
    ChannelRecord channel(int n) const { return m_state->program().codeplug.channel(n); }
    QString t(int n) const { return m_state->langText(n); }

    QModelIndex cell(int channel, int column) const
    {
        return m_grid->model()->index(channel - 1, column - 1);
    }
    QString cellText(int channel, int column) const
    {
        return cell(channel, column).data().toString();
    }
    QStringList rowText(int channel) const
    {
        QStringList texts;
        for (int column = 1; column <= 8; ++column)
            texts << cellText(channel, column);
        return texts;
    }
    void click(int channel, int column)
    {
        QTest::mouseClick(m_grid->viewport(), Qt::LeftButton, {},
                          m_grid->visualRect(cell(channel, column)).center());
    }
    // The in-cell control named \a name when it is shown.
    template <class T> T *shown(const char *name) const
    {
        auto *w = m_grid->findChild<T *>(QLatin1String(name));
        return w && w->isVisible() ? w : nullptr;
    }
    QStringList shownEditors() const
    {
        QStringList names;
        for (const char *name : kEditors) {
            if (shown<QWidget>(name))
                names << QLatin1String(name);
        }
        return names;
    }
    // Enter in a control: the control sees the key first, then stores (the
    // store is posted, so it is delivered before going on).
    static void enter(QWidget *editor)
    {
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents();
    }
    // Types \a keys into the open control and presses Enter.
    static void typeAndEnter(QWidget *editor, const QString &keys)
    {
        QTest::keyClicks(editor, keys);
        enter(editor);
    }
    // Makes a cell current without opening anything, as the arrow keys do.
    void goTo(int channel, int column)
    {
        m_grid->setFocus();
        QTest::keyClick(m_grid, Qt::Key_Home, Qt::ControlModifier);
        for (int k = 1; k < channel; ++k)
            QTest::keyClick(m_grid, Qt::Key_Down);
        for (int k = 1; k < column; ++k)
            QTest::keyClick(m_grid, Qt::Key_Right);
        QCOMPARE(m_grid->currentIndex(), cell(channel, column));
    }
    void refresh() { m_window->ApplyLanguage(); }

private slots:
    void init();
    void cleanup();

    void receiveFrequency_data();
    void receiveFrequency();
    void clearAndRetypeReceive();
    void clearTransmit();
    void typedPoints_data();
    void typedPoints();
    void toneSetsSquelchMode_data();
    void toneSetsSquelchMode();
    void nonstandardToneNote();
    void nonstandardToneHint();
    void busyLockPicker_data();
    void busyLockPicker();
    void pastedFrequency_data();
    void pastedFrequency();
    void emptyRowOpensNothing_data();
    void emptyRowOpensNothing();
    void keyboardOnly();
    void commitBeforeTransfer_data();
    void commitBeforeTransfer();
    void commitOnFocusLoss();
    void languageRebuildsTexts();
    void headerTooltips_data();
    void headerTooltips();
    void sizesSurviveRun();
};

void TestChannelGrid::init()
{
    QFile::remove(configPath());
    QVERIFY(writeFile(configPath(), "[config]\nPort=1\nLanguage=0\nAutoSeachPort=1\n"));
    m_state = new Document;
    m_state->setConfigPath(configPath());
    m_window = new TForm1(*m_state);
    putChannel3(*m_state);
    refresh();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window));
    m_grid = m_window->findChild<ChannelGrid *>(QStringLiteral("StringGrid1"));
    QVERIFY(m_grid);
}

void TestChannelGrid::cleanup()
{
    disarmModalWaits();
    if (m_window)
        m_window->closeWithoutPrompt();
    delete m_window;
    delete m_state;
    m_window = nullptr;
    m_state = nullptr;
}

void TestChannelGrid::receiveFrequency_data()
{
    QTest::addColumn<int>("channelNo");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<quint32>("rx");
    QTest::addColumn<QString>("rxText");

    QTest::newRow("500 on a new channel clamps to 490 MHz")
        << 5 << "500" << 490000000u << "490.00000";
    QTest::newRow("438.5125 (6.25 kHz raster) kept")
        << 3 << "438.5125" << 438512500u << "438.51250";
    QTest::newRow("438.5100 (5 kHz raster) kept") << 3 << "438.5100" << 438510000u << "438.51000";
    QTest::newRow("438.5110 moves down to 438.50625")
        << 3 << "438.5110" << 438506250u << "438.50625";
}

void TestChannelGrid::receiveFrequency()
{
    QFETCH(int, channelNo);
    QFETCH(QString, typed);
    QFETCH(quint32, rx);
    QFETCH(QString, rxText);

    const quint32 txBefore = channel(channelNo).txFreq();
    click(channelNo, 1);
    auto *editor = shown<QLineEdit>("Edit_ChFreq");
    QVERIFY(editor);
    QVERIFY(editor->hasFocus());
    saveShot(m_window, QStringLiteral("grid-frequency-editor"));
    typeAndEnter(editor, typed); // the cell's text is selected: typing replaces it
    QVERIFY(shownEditors().isEmpty());
    QVERIFY(m_grid->hasFocus());
    QCOMPARE(channel(channelNo).rxFreq(), rx);
    QVERIFY(m_state->program().codeplug.isChannelUsed(channelNo));
    if (channelNo == 5) {
        // A first frequency fills the row with the defaults of a new channel.
        QCOMPARE(rowText(5),
                 (QStringList{rxText, rxText, "Off", "Off", t(26), t(28), t(30), t(32)}));
        QCOMPARE(channel(5).txFreq(), rx);
    } else {
        QCOMPARE(cellText(channelNo, 1), rxText);
        QCOMPARE(channel(channelNo).txFreq(), txBefore);
    }
}

void TestChannelGrid::clearAndRetypeReceive()
{
    click(3, 1);
    auto *editor = shown<QLineEdit>("Edit_ChFreq");
    QVERIFY(editor);
    QTest::keyClick(editor, Qt::Key_Backspace);
    QCOMPARE(editor->text(), QString());
    enter(editor);
    QVERIFY(!m_state->program().codeplug.isChannelUsed(3));
    QCOMPARE(rowText(3), QStringList(8, QString()));
    QCOMPARE(channel(3).rxFreq(), 446006250u); // the record's bytes stay

    click(3, 1);
    editor = shown<QLineEdit>("Edit_ChFreq");
    QVERIFY(editor);
    typeAndEnter(editor, QStringLiteral("446.1"));
    QVERIFY(m_state->program().codeplug.isChannelUsed(3));
    QCOMPARE(rowText(3),
             (QStringList{"446.10000", "446.10000", "Off", "Off", t(26), t(28), t(30), t(32)}));
}

void TestChannelGrid::clearTransmit()
{
    click(3, 2);
    auto *editor = shown<QLineEdit>("Edit_ChFreq");
    QVERIFY(editor);
    QCOMPARE(editor->text(), QStringLiteral("446.00625"));
    QTest::keyClick(editor, Qt::Key_Backspace);
    enter(editor);
    QCOMPARE(channel(3).txFreq(), 0u);
    QCOMPARE(cellText(3, 2), QStringLiteral("0"));
    QVERIFY(m_state->program().codeplug.isChannelUsed(3));
}

void TestChannelGrid::typedPoints_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");

    QTest::newRow("a second point is removed at once") << "438..5"
                                                       << "438.5";
    QTest::newRow("a point after the fraction is removed") << "438.5.1"
                                                           << "438.51";
    QTest::newRow("a lone point is emptied") << "."
                                             << "";
    QTest::newRow("letters are not taken") << "4a38"
                                           << "438";
    // A decimal comma stays, for the commit to name.
    QTest::newRow("a comma stays") << "438,5"
                                   << "438,5";
    QTest::newRow("a tenth character is cut") << "438.512501"
                                              << "438.51250";
}

void TestChannelGrid::typedPoints()
{
    QFETCH(QString, typed);
    QFETCH(QString, shown);

    click(3, 1);
    auto *editor = this->shown<QLineEdit>("Edit_ChFreq");
    QVERIFY(editor);
    QTest::keyClick(editor, Qt::Key_Backspace);
    QTest::keyClicks(editor, typed);
    QCOMPARE(editor->text(), shown);
    QTest::keyClick(editor, Qt::Key_Escape); // dropped: nothing stored
    QVERIFY(shownEditors().isEmpty());
    QCOMPARE(channel(3).rxFreq(), 446006250u);
}

void TestChannelGrid::toneSetsSquelchMode_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("oldRxType");
    QTest::addColumn<int>("oldMode");
    QTest::addColumn<bool>("dtmf");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("cell");
    QTest::addColumn<int>("mode");

    QTest::newRow("rx tone on carrier -> CTC/DCS") << 3 << 0 << 0 << false << "88.5"
                                                   << "88.5" << 2;
    QTest::newRow("rx DCS typed in small letters -> CTC/DCS") << 3 << 0 << 0 << true << "d023n"
                                                              << "D023N" << 2;
    QTest::newRow("rx tone removed, DTMF flag, mode 3 -> DTMF") << 3 << 1 << 3 << true << ""
                                                                << "Off" << 1;
    QTest::newRow("rx tone removed, DTMF flag, mode 4 -> DTMF") << 3 << 1 << 4 << true << ""
                                                                << "Off" << 1;
    QTest::newRow("rx tone removed, no DTMF flag, mode 3 -> carrier") << 3 << 1 << 3 << false << ""
                                                                      << "Off" << 0;
    QTest::newRow("rx tone removed, mode 2 -> carrier") << 3 << 2 << 2 << true << ""
                                                        << "Off" << 0;
    QTest::newRow("tx tone leaves carrier alone") << 4 << 0 << 0 << false << "100"
                                                  << "100.0" << 0;
    QTest::newRow("rejected tone text keeps the old tone") << 3 << 1 << 2 << false << "25.0"
                                                           << "88.5" << 2;
}

void TestChannelGrid::toneSetsSquelchMode()
{
    QFETCH(int, column);
    QFETCH(int, oldRxType);
    QFETCH(int, oldMode);
    QFETCH(bool, dtmf);
    QFETCH(QString, typed);
    QFETCH(QString, cell);
    QFETCH(int, mode);

    ChannelRecord r = channel(3);
    r.setRxTone(oldRxType == 0 ? Tone{}
                               : Tone{quint8(oldRxType), quint16(oldRxType == 1 ? 885 : 0x2813)});
    r.setSquelchMode(oldMode);
    r.setDtmfFlag(dtmf);
    m_state->program().codeplug.setChannel(3, r);
    refresh();

    click(3, column);
    auto *editor = shown<QComboBox>("ComboBox1");
    QVERIFY(editor);
    QCOMPARE(editor->count(), 261);
    saveShot(m_window, QStringLiteral("grid-tone-editor"));
    QTest::keyClick(editor, Qt::Key_Backspace); // the cell's text is selected
    typeAndEnter(editor, typed);
    QVERIFY(shownEditors().isEmpty());
    QCOMPARE(cellText(3, column), cell);
    QCOMPARE(channel(3).squelchMode(), mode);
}

// 69.4 Hz is kept as typed and marked; a standard tone or a click on the
// grid takes the mark away.
void TestChannelGrid::nonstandardToneNote()
{
    click(3, 3);
    auto *editor = shown<QComboBox>("ComboBox1");
    QVERIFY(editor);
    auto *page = m_window->findChild<QWidget *>(QStringLiteral("TabSheet_ChInfo"));
    const QPoint cellTopLeft =
        m_grid->viewport()->mapTo(page, m_grid->visualRect(cell(3, 3)).topLeft());
    QCOMPARE(m_grid->toneEditorPos(), cellTopLeft);
    QTest::keyClick(editor, Qt::Key_Backspace);
    typeAndEnter(editor, QStringLiteral("69.4"));
    QCOMPARE(channel(3).rxTone(), (Tone{1, 694}));
    QCOMPARE(cellText(3, 3), QStringLiteral("69.4"));

    auto *note = m_window->findChild<QLabel *>(QStringLiteral("sTiShi_0"));
    QVERIFY(note);
    QVERIFY(note->isVisible());
    QCOMPARE(note->text(), t(251));
    QCOMPARE(note->pos(), cellTopLeft + QPoint(50, 20));
    QCOMPARE(note->font().pixelSize(), 12);
    saveShot(m_window, QStringLiteral("grid-nonstandard-note"));

    // A standard tone hides it.
    click(3, 4);
    editor = shown<QComboBox>("ComboBox1");
    QVERIFY(editor);
    QTest::keyClick(editor, Qt::Key_Backspace);
    typeAndEnter(editor, QStringLiteral("67.0"));
    QVERIFY(!note->isVisible());

    // So does any click on the grid, even on a row not in use.
    click(3, 4);
    editor = shown<QComboBox>("ComboBox1");
    QTest::keyClick(editor, Qt::Key_Backspace);
    typeAndEnter(editor, QStringLiteral("69.4"));
    QVERIFY(note->isVisible());
    click(9, 6);
    QVERIFY(!note->isVisible());

    // Leaving the nonstandard tone unchanged shows it again; a click on a
    // header hides it.
    click(3, 4);
    editor = shown<QComboBox>("ComboBox1");
    QVERIFY(editor);
    enter(editor);
    QVERIFY(note->isVisible());
    QTest::mouseClick(m_grid->horizontalHeader()->viewport(), Qt::LeftButton, {}, QPoint(4, 4));
    QVERIFY(!note->isVisible());
}

void TestChannelGrid::nonstandardToneHint()
{
    ChannelRecord r = channel(3);
    r.setRxTone({1, 694});
    r.setTxTone({1, 670});
    m_state->program().codeplug.setChannel(3, r);
    refresh();

    QTest::mouseMove(m_grid->viewport(), m_grid->visualRect(cell(3, 3)).center());
    QTRY_VERIFY(QToolTip::isVisible());
    QCOMPARE(QToolTip::text(), t(251));
    QCOMPARE(m_grid->hintCol(), 3);
    QCOMPARE(m_grid->hintRow(), 3);

    QTest::mouseMove(m_grid->viewport(), m_grid->visualRect(cell(3, 4)).center());
    QTRY_VERIFY(!QToolTip::isVisible());
    QCOMPARE(m_grid->hintCol(), 4);
}

void TestChannelGrid::busyLockPicker_data()
{
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("opensWith");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("after");

    // The picker was last left on CAT (by a channel with busy lock 2).
    QTest::newRow("1 opens on the last selection, Escape keeps 1")
        << 1 << 1 << int(Qt::Key_Escape) << 1;
    QTest::newRow("3 opens on the last selection, Enter unchanged keeps 3")
        << 3 << 1 << int(Qt::Key_Return) << 3;
    QTest::newRow("3 changed to OFF stores 0") << 3 << 1 << int(Qt::Key_Up) << 0;
    QTest::newRow("0 opens on OFF, changed to CAT stores 2") << 0 << 0 << int(Qt::Key_Down) << 2;
}

void TestChannelGrid::busyLockPicker()
{
    QFETCH(int, stored);
    QFETCH(int, opensWith);
    QFETCH(int, key);
    QFETCH(int, after);

    // Channel 4 with busy lock 2 leaves the picker on CAT.
    m_state->program().codeplug.enterChannelFrequency(4, 446100000);
    ChannelRecord r4 = channel(4);
    r4.setBusyLock(2);
    m_state->program().codeplug.setChannel(4, r4);
    ChannelRecord r3 = channel(3);
    r3.setBusyLock(stored);
    m_state->program().codeplug.setChannel(3, r3);
    refresh();
    QCOMPARE(cellText(3, 8), t(stored == 0 ? 32 : 33));

    click(4, 8);
    auto *picker = shown<QComboBox>("cbChInfor_BusyFit");
    QVERIFY(picker);
    QCOMPARE(picker->currentIndex(), 1);
    QTest::keyClick(picker, Qt::Key_Escape);

    click(3, 8);
    picker = shown<QComboBox>("cbChInfor_BusyFit");
    QVERIFY(picker);
    QCOMPARE(picker->currentIndex(), opensWith);
    QCOMPARE(picker->itemText(0), t(32));
    QCOMPARE(picker->itemText(1), t(33));
    QCOMPARE(channel(3).busyLock(), stored); // opening changes nothing
    if (key == Qt::Key_Return) {
        enter(picker);
    } else {
        QTest::keyClick(picker, Qt::Key(key));
        if (key != Qt::Key_Escape)
            enter(picker);
    }
    QVERIFY(shownEditors().isEmpty());
    QCOMPARE(channel(3).busyLock(), after);
    QCOMPARE(channel(4).busyLock(), 2);
}

void TestChannelGrid::pastedFrequency_data()
{
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<bool>("refused");
    QTest::addColumn<quint32>("rx");
    QTest::addColumn<bool>("away");

    QTest::newRow("letters are named, the old frequency kept")
        << "abc" << true << 446006250u << false;
    QTest::newRow("a decimal comma is named, the old frequency kept")
        << "446,5" << true << 446006250u << false;
    QTest::newRow("4294.967296 clamps to the band's top, 490 MHz")
        << "4294.967296" << false << 490000000u << false;
    QTest::newRow("letters, another application first: named only back in the window")
        << "abc" << true << 446006250u << true;
}

// A pasted text that is no number is named in a message; its editor stays
// open with it, to be put right or dropped with Escape. Switching to another
// application keeps it there without a word.
void TestChannelGrid::pastedFrequency()
{
    QFETCH(QString, pasted);
    QFETCH(bool, refused);
    QFETCH(quint32, rx);
    QFETCH(bool, away);

    QApplication::clipboard()->setText(pasted);
    click(3, 1);
    auto *editor = shown<QLineEdit>("Edit_ChFreq");
    QVERIFY(editor);
    QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
    if (!refused) {
        enter(editor);
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY(shownEditors().isEmpty());
        QCOMPARE(channel(3).rxFreq(), rx);
        return;
    }
    QString message;
    auto seen = pressWhenShown(QStringLiteral("UserWarnDlg"), "OKBtn", &message);
    if (away) {
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        QCoreApplication::processEvents();
        QVERIFY(!seen->seen);
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window));
        QVERIFY(editor->hasFocus());
        QCOMPARE(editor->text(), pasted);
    }
    enter(editor);
    QTRY_VERIFY(seen->seen);
    QCOMPARE(message, t(510).arg(pasted));
    m_window->activateWindow(); // as a window manager does once the message is gone
    QVERIFY(QTest::qWaitForWindowActive(m_window));
    QVERIFY(editor->hasFocus());
    QCOMPARE(shownEditors(), QStringList{"Edit_ChFreq"});
    QCOMPARE(editor->text(), pasted);
    QCOMPARE(channel(3).rxFreq(), rx);
    QCOMPARE(cellText(3, 1), QStringLiteral("446.00625"));

    QTest::keyClick(editor, Qt::Key_Escape);
    QVERIFY(shownEditors().isEmpty());
    QCOMPARE(channel(3).rxFreq(), rx);
}

void TestChannelGrid::emptyRowOpensNothing_data()
{
    QTest::addColumn<int>("column");
    for (int column = 2; column <= 8; ++column)
        QTest::newRow(qPrintable(QStringLiteral("column %1").arg(column))) << column;
}

void TestChannelGrid::emptyRowOpensNothing()
{
    QFETCH(int, column);

    click(5, column);
    QCOMPARE(m_grid->currentIndex(), cell(5, column));
    QCOMPARE(shownEditors(), QStringList());
    for (int key : {int(Qt::Key_Return), int(Qt::Key_F2), int(Qt::Key_4), int(Qt::Key_D)}) {
        QTest::keyClick(m_grid, Qt::Key(key));
        QCOMPARE(shownEditors(), QStringList());
    }
    QVERIFY(!m_state->program().codeplug.isChannelUsed(5));
}

// Arrows, a typed digit that starts the text, F2 and Enter to open and to
// store, Escape to drop, Tab to move on.
void TestChannelGrid::keyboardOnly()
{
    goTo(5, 1);
    QTest::keyClick(m_grid, Qt::Key_4);
    auto *editor = shown<QLineEdit>("Edit_ChFreq");
    QVERIFY(editor);
    QCOMPARE(editor->text(), QStringLiteral("4"));
    typeAndEnter(editor, QStringLiteral("46.5"));
    QCOMPARE(channel(5).rxFreq(), 446500000u);

    // F2 on the power cell, Up to Low, Enter.
    goTo(5, 5);
    QTest::keyClick(m_grid, Qt::Key_F2);
    auto *power = shown<QComboBox>("cbChInfor_Pow");
    QVERIFY(power);
    QCOMPARE(power->currentText(), t(26));
    saveShot(m_window, QStringLiteral("grid-power-picker"));
    QTest::keyClick(power, Qt::Key_Up);
    enter(power);
    QVERIFY(!channel(5).highPower());
    QCOMPARE(cellText(5, 5), t(27));

    // Escape drops a typed frequency.
    goTo(5, 2);
    QTest::keyClick(m_grid, Qt::Key_Return);
    editor = shown<QLineEdit>("Edit_ChFreq");
    QVERIFY(editor);
    QTest::keyClicks(editor, QStringLiteral("450"));
    QTest::keyClick(editor, Qt::Key_Escape);
    QCOMPARE(channel(5).txFreq(), 446500000u);

    // Tab stores and moves on without opening the next cell.
    QTest::keyClick(m_grid, Qt::Key_4);
    editor = shown<QLineEdit>("Edit_ChFreq");
    QVERIFY(editor);
    QTest::keyClicks(editor, QStringLiteral("50"));
    QTest::keyClick(editor, Qt::Key_Tab);
    QCOMPARE(channel(5).txFreq(), 450000000u);
    QCOMPARE(m_grid->currentIndex(), cell(5, 3));
    QCOMPARE(shownEditors(), QStringList());
}

void TestChannelGrid::commitBeforeTransfer_data()
{
    QTest::addColumn<QString>("action");
    QTest::newRow("Read") << "MenuEdit_Read";
    QTest::newRow("Write") << "MenuEdit_Write";
}

void TestChannelGrid::commitBeforeTransfer()
{
    QFETCH(QString, action);

    click(3, 1);
    auto *editor = shown<QLineEdit>("Edit_ChFreq");
    QVERIFY(editor);
    QTest::keyClicks(editor, QStringLiteral("450"));
    quint32 rxWhenShown = 0;
    auto seen = whenModal(QStringLiteral("ProgramDialog"), [&](QWidget *dialog) {
        rxWhenShown = channel(3).rxFreq();
        if (auto *cancel = dialog->findChild<QWidget *>(QStringLiteral("CancelBtn")))
            QMetaObject::invokeMethod(cancel, "click", Qt::QueuedConnection);
    });
    m_window->findChild<QAction *>(action)->trigger();
    QVERIFY(seen->seen);
    QCOMPARE(rxWhenShown, 450000000u);
    QVERIFY(shownEditors().isEmpty());
    QCOMPARE(m_grid->currentIndex(), cell(1, 1));
}

void TestChannelGrid::commitOnFocusLoss()
{
    click(3, 2);
    auto *editor = shown<QLineEdit>("Edit_ChFreq");
    QVERIFY(editor);
    QTest::keyClicks(editor, QStringLiteral("445"));
    click(6, 4); // elsewhere; channel 6 is not in use, so nothing opens there
    QCOMPARE(channel(3).txFreq(), 445000000u);
    QCOMPARE(shownEditors(), QStringList());

    // A language change stores an open edit too.
    click(3, 2);
    editor = shown<QLineEdit>("Edit_ChFreq");
    QVERIFY(editor);
    QTest::keyClicks(editor, QStringLiteral("447"));
    m_window->findChild<QAction *>(QStringLiteral("MenuLanguage_Chs"))->trigger();
    QCOMPARE(channel(3).txFreq(), 447000000u);
}

void TestChannelGrid::languageRebuildsTexts()
{
    m_window->findChild<QAction *>(QStringLiteral("MenuLanguage_Cht"))->trigger();
    QCOMPARE(m_grid->model()->headerData(0, Qt::Horizontal).toString(), t(16));
    QCOMPARE(m_grid->model()->headerData(7, Qt::Horizontal).toString(), t(23));
    QCOMPARE(m_grid->model()->headerData(15, Qt::Vertical).toString(), QStringLiteral("16"));
    QCOMPARE(rowText(3),
             (QStringList{"446.00625", "446.00625", "Off", "Off", t(26), t(28), t(30), t(32)}));
    QVERIFY(t(26) != QStringLiteral("High"));
    click(3, 6);
    auto *picker = shown<QComboBox>("cbChInfor_Bandwidth");
    QVERIFY(picker);
    QCOMPARE(picker->itemText(0), t(29));
    QCOMPARE(picker->itemText(1), t(28));
    saveShot(m_window, QStringLiteral("grid-bandwidth-picker-cht"));
    QTest::keyClick(picker, Qt::Key_Escape);
}

void TestChannelGrid::headerTooltips_data()
{
    QTest::addColumn<QString>("language");
    QTest::newRow("English") << "MenuLanguage_En";
    QTest::newRow("Simplified") << "MenuLanguage_Chs";
    QTest::newRow("Traditional") << "MenuLanguage_Cht";
}

// Every column header says what its cells hold, in the chosen language.
void TestChannelGrid::headerTooltips()
{
    QFETCH(QString, language);
    m_window->findChild<QAction *>(language)->trigger();
    auto *corner = m_grid->findChild<QAbstractButton *>(QString(), Qt::FindDirectChildrenOnly);
    QVERIFY(corner);
    QStringList tips{corner->toolTip()};
    for (int section = 0; section < m_grid->model()->columnCount(); ++section)
        tips << m_grid->model()->headerData(section, Qt::Horizontal, Qt::ToolTipRole).toString();
    for (const QString &tip : tips) {
        QVERIFY(!tip.isEmpty());
        if (language != QLatin1String("MenuLanguage_En"))
            QVERIFY2(strayLatin(tip).isEmpty(), qPrintable(tip));
    }
}

// Sizes dragged with the mouse are the next run's sizes.
void TestChannelGrid::sizesSurviveRun()
{
    QHeaderView *top = m_grid->horizontalHeader();
    const int before = top->sectionSize(2); // column 3
    QVERIFY(before >= 74);                  // the default, or wider for the font
    const int edge = top->sectionViewportPosition(2) + top->sectionSize(2) - 1;
    const int y = top->height() / 2;
    QTest::mousePress(top->viewport(), Qt::LeftButton, {}, QPoint(edge, y));
    QTest::mouseMove(top->viewport(), QPoint(edge + 40, y));
    QTest::mouseRelease(top->viewport(), Qt::LeftButton, {}, QPoint(edge + 40, y));
    QCOMPARE(top->sectionSize(2), before + 40);
    m_grid->verticalHeader()->resizeSection(4, 30); // channel 5's row
    QCOMPARE(m_state->config().channelColumnWidths[3], before + 40);
    QCOMPARE(m_state->config().channelRowHeights[5], 30);

    m_window->closeWithoutPrompt();
    const QByteArray text = readFile(configPath());
    QVERIFY2(text.contains(QStringLiteral("\nChSG_Col3=%1\n").arg(before + 40).toLatin1()),
             text.constData());
    QVERIFY(text.contains("\nChSG_Row5=30\n"));
    QVERIFY(text.contains("\nChSG_Row4=20\n"));
    QVERIFY(text.contains("\nChSG_Col0=30\nChSG_Col1=64\n")); // widened for the font only

    Document again;
    again.setConfigPath(configPath());
    TForm1 next(again);
    auto *grid = next.findChild<QTableView *>(QStringLiteral("StringGrid1"));
    QCOMPARE(grid->horizontalHeader()->sectionSize(2), before + 40);
    QCOMPARE(grid->verticalHeader()->sectionSize(4), 30);
    next.closeWithoutPrompt();
}

QTEST_MAIN(TestChannelGrid)
#include "tst_channelgrid.moc"
