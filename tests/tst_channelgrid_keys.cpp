// The channel grid suite: pasted text, the keyboard alone, the commit before a
// transfer and on focus loss, the language, the header tips and the sizes that
// outlive a run.
#include "tst_channelgrid.h"

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
