// The grid's commands on whole channels, driven through the window's real
// widgets: paste with adjusted and refused values and its report, the row
// commands at the edges, a value chosen once for several channels, and
// Batch Set across the band's edge. Every command is exactly one undo step.
//
// This file: paste, copy and cut, and the row commands; bulk edit and Batch
// Set are in tst_gridcommands_bulk.cpp.
#include "tst_gridcommands.h"

namespace {

constexpr std::uint32_t kBandLow = 400000000;
constexpr std::uint32_t kBandHigh = 480000000;

} // namespace

void TestGridCommands::init()
{
    const QString config = m_dir.filePath(QStringLiteral("_config.ini"));
    QVERIFY(writeFile(config, "[config]\nPort=1\nLanguage=0\nAutoSeachPort=1\n"));
    m_state = new Document;
    m_state->setConfigPath(config);
    m_window = new TForm1(*m_state);
    m_state->program().activeBandLow = kBandLow;
    m_state->program().activeBandHigh = kBandHigh;
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window));
    m_grid = m_window->findChild<QTableView *>(QStringLiteral("StringGrid1"));
    QVERIFY(m_grid);
}

void TestGridCommands::cleanup()
{
    disarmModalWaits();
    if (m_window)
        m_window->closeWithoutPrompt();
    delete m_window;
    delete m_state;
    m_window = nullptr;
    m_state = nullptr;
}

void TestGridCommands::paste_data()
{
    QTest::addColumn<Layout>("start");
    QTest::addColumn<int>("at");
    QTest::addColumn<QString>("text");
    QTest::addColumn<Layout>("after");
    QTest::addColumn<QString>("report"); // empty: no report shown

    QTest::newRow("taken from the selected channel down")
        << "1:431000" << 3 << "Frequency\n446.00625\n446.1\n"
        << "1:431000 3:446006 4:446100"
        << "";
    // 446.0062 is neither on 5 kHz nor on 6.25 kHz: down to 446.000 (71360 x 6.25 kHz).
    QTest::newRow("moved onto the raster")
        << "" << 1 << "Frequency\n446.0062\n"
        << "1:446000"
        << "0 taken, 1 adjusted, 0 refused.\n"
           "CH01: RX Freq. 446.006200 moved onto the raster: 446.000000";
    QTest::newRow("outside the band and unreadable")
        << "" << 2 << "Frequency\n500\nabc\n446.5\n"
        << "4:446500"
        << "1 taken, 0 adjusted, 2 refused.\n"
           "CH02: refused: RX Freq. 500 is outside the band 400.00000-480.00000 MHz\n"
           "CH03: refused: RX Freq. \"abc\" does not read";
    QTest::newRow("more rows than channels below") << "" << 16 << "Frequency\n440\n441\n"
                                                   << "16:440000"
                                                   << "1 taken, 0 adjusted, 1 refused.\n"
                                                      "Line 3: refused: more rows than channels";
    // Only the columns the text has change a channel in use.
    QTest::newRow("power column alone") << "5:431000 6:432000" << 5 << "Power\nLow\nLow\n"
                                        << "5:431000 6:432000"
                                        << "";
    // 2 W and more is the high power.
    QTest::newRow("power in watts") << "5:431000 6:432000" << 5 << "Power\n5W\n0.5\n"
                                    << "5:431000 6:432000"
                                    << "0 taken, 2 adjusted, 0 refused.\n"
                                       "CH05: power 5W taken as High\n"
                                       "CH06: power 0.5 taken as Low";
}

void TestGridCommands::paste()
{
    QFETCH(Layout, start);
    QFETCH(int, at);
    QFETCH(QString, text);
    QFETCH(Layout, after);
    QFETCH(QString, report);
    setUp(start);
    const QByteArray before = bytes();
    const QString undoBefore = undoText();
    select(at, at);
    QApplication::clipboard()->setText(QString(text).replace(QLatin1Char(','), QLatin1Char('\t')));
    const Report shown = catchReport();
    action("MenuEdit_Paste")->trigger();
    QCOMPARE(layout(), after);
    QCOMPARE(shown.seen->seen, !report.isEmpty());
    QCOMPARE(*shown.text, report);
    if (QTest::currentDataTag() == QByteArray("power column alone")) {
        QVERIFY(!codeplug().channel(5).highPower());
        QVERIFY(!codeplug().channel(6).highPower());
    }
    // A new channel's transmit frequency is its receive frequency.
    for (int n = 1; n <= CodeplugData::Channels; ++n) {
        if (codeplug().isChannelUsed(n))
            QCOMPARE(codeplug().channel(n).txFreq(), codeplug().channel(n).rxFreq());
    }
    checkOneStep(QStringLiteral("Paste"), before, undoBefore);
}

// Ctrl+C on one channel and Ctrl+V on another make the same channel, tones
// and options included; Ctrl+X clears what it copied.
void TestGridCommands::copyPasteByKeyboard()
{
    setUp("2:438500");
    ChannelRecord r = codeplug().channel(2);
    r.setTxFreq(430500000);
    r.setRxTone({1, 885});
    r.setTxTone({2, 0x2800 + 023});
    r.setSquelchMode(2);
    r.setHighPower(false);
    r.setWide(false);
    r.setScanAdd(false);
    r.setBusyLock(2);
    codeplug().setChannel(2, r);
    m_window->recordStep(SetupStep);

    select(2, 2, 1, 8);
    QTest::keyClick(m_grid, Qt::Key_C, Qt::ControlModifier);
    select(7, 7);
    const QByteArray before = bytes();
    QTest::keyClick(m_grid, Qt::Key_V, Qt::ControlModifier);
    const ChannelRecord copy = codeplug().channel(7);
    QVERIFY(codeplug().isChannelUsed(7));
    QCOMPARE(copy.rxFreq(), 438500000u);
    QCOMPARE(copy.txFreq(), 430500000u);
    QVERIFY(copy.rxTone() == (Tone{1, 885}));
    QVERIFY(copy.txTone() == (Tone{2, 0x2800 + 023}));
    QCOMPARE(copy.squelchMode(), 2);
    QCOMPARE(copy.optionB() & 0xB0, 0);
    QCOMPARE(copy.busyLock(), 2);
    checkOneStep(QStringLiteral("Paste"), before, UndoSetup);

    select(2, 2);
    QTest::keyClick(m_grid, Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(layout(), QString());
    QVERIFY(QApplication::clipboard()->text().contains(QStringLiteral("438.5")));
    checkOneStep(QStringLiteral("Cut"), before, UndoSetup);
}

// Cells of one column carry that column only: pasting them changes that
// field and nothing else, and cutting them does not clear the channel.
void TestGridCommands::copyPasteCells()
{
    setUp("2:438500 5:431000 6:432000");
    ChannelRecord r = codeplug().channel(2);
    r.setHighPower(false);
    codeplug().setChannel(2, r);
    m_window->recordStep(SetupStep);
    const QByteArray before = bytes();

    select(2, 2, 5);
    QTest::keyClick(m_grid, Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(bytes(), before);
    const QString copied = QApplication::clipboard()->text();
    QCOMPARE(copied.section(QStringLiteral("\r\n"), 0, 0), QStringLiteral("Location\tPower"));

    select(5, 6, 5);
    QTest::keyClick(m_grid, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(layout(), QStringLiteral("2:438500 5:431000 6:432000"));
    QVERIFY(!codeplug().channel(5).highPower());
    // One row for two channels: the second is left as it was.
    QVERIFY(codeplug().channel(6).highPower());
    checkOneStep(QStringLiteral("Paste"), before, UndoSetup);
}

// Text that is no channel list is said to be so, and nothing changes.
void TestGridCommands::pasteWithoutChannelList()
{
    setUp("1:431000");
    const QByteArray before = bytes();
    select(1, 1);
    QApplication::clipboard()->setText(QStringLiteral("hello"));
    QString message;
    const auto seen =
        pressWhenShown(QStringLiteral("UserWarnDlg"), QStringLiteral("OKBtn"), &message);
    action("MenuEdit_Paste")->trigger();
    QVERIFY(seen->seen);
    QCOMPARE(message, QStringLiteral("The clipboard holds no channel list."));
    QCOMPARE(bytes(), before);
    QCOMPARE(undoText(), UndoSetup);
}

void TestGridCommands::rowCommands_data()
{
    QTest::addColumn<Layout>("start");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("answer"); // the falls-off question's button, or ""
    QTest::addColumn<Layout>("after");
    QTest::addColumn<QString>("step"); // "" when nothing may change

    const Layout four = "1:431000 2:432000 3:433000 16:446000";
    const Layout three = "1:431000 2:432000 3:433000";
    QTest::newRow("clear two") << four << 2 << 3 << "MenuEdit_ClearChannels"
                               << ""
                               << "1:431000 16:446000"
                               << "Clear channels";
    QTest::newRow("clear empty ones") << four << 5 << 6 << "MenuEdit_ClearChannels"
                                      << "" << four << "";
    QTest::newRow("insert at 1, 16 falls off") << four << 1 << 1 << "MenuEdit_InsertChannel"
                                               << "OKBtn"
                                               << "2:431000 3:432000 4:433000"
                                               << "Insert empty channel";
    QTest::newRow("insert at 1, declined") << four << 1 << 1 << "MenuEdit_InsertChannel"
                                           << "CancelBtn" << four << "";
    QTest::newRow("insert at 16") << four << 16 << 16 << "MenuEdit_InsertChannel"
                                  << "OKBtn" << three << "Insert empty channel";
    QTest::newRow("insert with 16 free") << three << 2 << 2 << "MenuEdit_InsertChannel"
                                         << ""
                                         << "1:431000 3:432000 4:433000"
                                         << "Insert empty channel";
    QTest::newRow("delete 1") << four << 1 << 1 << "MenuEdit_DeleteChannel"
                              << ""
                              << "1:432000 2:433000 15:446000"
                              << "Delete channel and shift up";
    QTest::newRow("delete 16") << four << 16 << 16 << "MenuEdit_DeleteChannel"
                               << "" << three << "Delete channel and shift up";
    QTest::newRow("delete two") << four << 2 << 3 << "MenuEdit_DeleteChannel"
                                << ""
                                << "1:431000 14:446000"
                                << "Delete channel and shift up";
    QTest::newRow("delete an empty one") << four << 5 << 5 << "MenuEdit_DeleteChannel"
                                         << ""
                                         << "1:431000 2:432000 3:433000 15:446000"
                                         << "Delete channel and shift up";
    QTest::newRow("up at 1") << four << 1 << 2 << "MenuEdit_MoveUp"
                             << "" << four << "";
    QTest::newRow("down at 16") << four << 16 << 16 << "MenuEdit_MoveDown"
                                << "" << four << "";
    QTest::newRow("two up") << four << 2 << 3 << "MenuEdit_MoveUp"
                            << ""
                            << "1:432000 2:433000 3:431000 16:446000"
                            << "Move up";
    QTest::newRow("down into 16") << four << 15 << 15 << "MenuEdit_MoveDown"
                                  << ""
                                  << "1:431000 2:432000 3:433000 15:446000"
                                  << "Move down";
    QTest::newRow("down past an empty one") << four << 3 << 3 << "MenuEdit_MoveDown"
                                            << ""
                                            << "1:431000 2:432000 4:433000 16:446000"
                                            << "Move down";
    QTest::newRow("sort") << "1:446000 3:431000 5:440000 16:420000" << 1 << 1 << "MenuEdit_Sort"
                          << ""
                          << "1:420000 2:431000 3:440000 4:446000"
                          << "Sort by RX frequency";
    QTest::newRow("sort sorted") << three << 1 << 1 << "MenuEdit_Sort"
                                 << "" << three << "";
}

void TestGridCommands::rowCommands()
{
    QFETCH(Layout, start);
    QFETCH(int, first);
    QFETCH(int, last);
    QFETCH(QString, command);
    QFETCH(QString, answer);
    QFETCH(Layout, after);
    QFETCH(QString, step);
    setUp(start);
    const QByteArray before = bytes();
    const ChannelRecord moved = codeplug().channel(1);
    select(first, last);
    std::shared_ptr<ModalSeen> asked;
    if (!answer.isEmpty())
        asked = pressWhenShown(QStringLiteral("MyWarnDlg_2"), answer);
    action(command.toLatin1().constData())->trigger();
    if (asked)
        QVERIFY(asked->seen);
    QCOMPARE(layout(), after);
    if (step.isEmpty()) {
        QCOMPARE(bytes(), before);
        QCOMPARE(undoText(), UndoSetup);
        return;
    }
    // A channel moves whole, not just its frequency.
    if (command == QLatin1String("MenuEdit_MoveUp") && first == 2)
        QVERIFY(codeplug().channel(3).raw == moved.raw);
    checkOneStep(step, before, UndoSetup);
}

void TestGridCommands::contextMenuHasTheCommands()
{
    auto *menu = m_window->findChild<QMenu *>(QStringLiteral("GridMenu"));
    QVERIFY(menu);
    QStringList names;
    for (QAction *a : menu->actions()) {
        if (!a->isSeparator())
            names << a->objectName();
    }
    QCOMPARE(names, (QStringList{"MenuEdit_Cut", "MenuEdit_Copy", "MenuEdit_Paste",
                                 "MenuEdit_ClearChannels", "MenuEdit_InsertChannel",
                                 "MenuEdit_DeleteChannel", "MenuEdit_MoveUp", "MenuEdit_MoveDown",
                                 "MenuEdit_Sort", "MenuEdit_BatchSet"}));
    // Shown as the right button shows it, in each language.
    setUp("1:431000 2:432000");
    for (int language : {0, 1, 2}) {
        m_window->setLanguage(text::Language(language));
        menu->popup(m_grid->viewport()->mapToGlobal(QPoint(20, 20)));
        QTRY_VERIFY(menu->isVisible());
        saveShot(menu, QStringLiteral("GridMenu_%1").arg(language));
        menu->hide();
    }
    m_window->setLanguage(text::Language::English);
    // Ctrl+Delete clears; Delete alone does not.
    select(1, 1);
    QTest::keyClick(m_grid, Qt::Key_Delete);
    QCOMPARE(layout(), QStringLiteral("1:431000 2:432000"));
    QTest::keyClick(m_grid, Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(layout(), QStringLiteral("2:432000"));
}

QTEST_MAIN(TestGridCommands)
#include "moc_tst_gridcommands.cpp"
