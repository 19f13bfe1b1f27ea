// The channel grid on the main window, headless, through the real widgets:
// clicks and keys on the grid, the in-cell controls found by their object
// names, the nonstandard-tone note and hint, the commit before a transfer
// and the grid sizes that outlive a run.
//
// This file: typing and picking in the cells, tones and their note; paste,
// the keyboard alone, commits, headers and sizes are in
// tst_channelgrid_keys.cpp.
#include "tst_channelgrid.h"

namespace {

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

QTEST_MAIN(TestChannelGrid)
#include "moc_tst_channelgrid.cpp"
