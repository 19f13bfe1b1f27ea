// Undo and redo through the window: every kind of change is one step with
// its name in the user's language, undone and redone to the exact bytes;
// the menu items follow the history; cells changed since the last open,
// read or save carry a mark.
#include "guitest.h"
#include "testsupport.h"

#include "ui/channelmodel.h"
#include "ui/tform1.h"
#include "ui/windowstate.h"

#include <QAction>
#include <QComboBox>
#include <QFileDialog>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

using namespace t880;
using namespace t880::testing;

namespace {

QString stripped(QString menuText)
{
    static const QRegularExpression bracketed(QStringLiteral("\\(&.\\)"));
    return menuText.remove(bracketed).remove(QLatin1Char('&'));
}

} // namespace

class TestUndo : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    WindowState *m_state = nullptr;
    TForm1 *m_window = nullptr;

    QString path(const QString &name) const { return m_dir.filePath(name); }
    QAction *action(const char *name) const
    {
        return m_window->findChild<QAction *>(QLatin1String(name));
    }
    ChannelTableModel *grid() const
    {
        return qobject_cast<ChannelTableModel *>(
            m_window->findChild<QTableView *>(QStringLiteral("StringGrid1"))->model());
    }
    // Chooses item \a index of the list \a name on the options page and
    // leaves it, as a user does.
    void chooseOption(const char *name, int index);
    QByteArray bytes() const { return m_state->program.codeplug.toByteArray(); }

private slots:
    void init();
    void cleanup();

    void stepsUndoneAndRedone_data();
    void stepsUndoneAndRedone();
    void keyboardUndoRedo();
    void undoBackToSavedClearsTheMark();
    void changedCellsMarked();
    void namesFollowTheLanguage();
};

void TestUndo::init()
{
    const QString config = path(QStringLiteral("_config.ini"));
    QVERIFY(writeFile(config, "[config]\nPort=1\nLanguage=0\nAutoSeachPort=1\n"));
    m_state = new WindowState;
    m_state->configPath = config;
    m_window = new TForm1(*m_state);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window));
}

void TestUndo::cleanup()
{
    if (m_window)
        m_window->closeWithoutPrompt();
    delete m_window;
    delete m_state;
    m_window = nullptr;
    m_state = nullptr;
}

void TestUndo::chooseOption(const char *name, int index)
{
    m_window->findChild<QTabWidget *>(QStringLiteral("PageControl1"))
        ->setCurrentWidget(m_window->findChild<QWidget *>(QStringLiteral("TabSheet_Option")));
    auto *box = m_window->findChild<QComboBox *>(QLatin1String(name));
    box->setFocus();
    QTRY_VERIFY(box->hasFocus());
    box->setCurrentIndex(index);
    m_window->findChild<QWidget *>(QStringLiteral("bHide"))->setFocus();
    QTRY_VERIFY(!box->hasFocus());
}

void TestUndo::stepsUndoneAndRedone_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("name");
    QTest::newRow("receive frequency") << "rx"
                                       << "Edit CH05 RX Freq.";
    QTest::newRow("power picker") << "power"
                                  << "Edit CH03 TX Power";
    QTest::newRow("option list") << "tot"
                                 << "Edit TOT(S)";
    QTest::newRow("new") << "new"
                         << "New";
    QTest::newRow("open") << "open"
                          << "Open old.Kzx";
}

// One step each, named; undo gives back the bytes before it, redo the bytes
// after it, and the items are greyed when there is nothing to do.
void TestUndo::stepsUndoneAndRedone()
{
    QFETCH(QString, kind);
    // A first channel to edit, not part of the step.
    QVERIFY(grid()->setData(grid()->cell(3, 1), QStringLiteral("438.5")));
    m_window->modelTouched();
    QVERIFY(action("MenuEdit_Undo")->isEnabled());
    const QByteArray before = bytes();
    const int stepsBefore = 1;

    if (kind == QLatin1String("rx")) {
        QVERIFY(grid()->setData(grid()->cell(5, 1), QStringLiteral("446.00625")));
    } else if (kind == QLatin1String("power")) {
        const QModelIndex power = grid()->cell(3, 5);
        QVERIFY(grid()->setData(power, 1 - power.data(Qt::EditRole).toInt()));
    } else if (kind == QLatin1String("tot")) {
        chooseOption("cbTOT", 4);
    } else if (kind == QLatin1String("new")) {
        auto seen = pressWhenShown(QStringLiteral("MyWarnDlg_2"), "OKBtn");
        m_window->MenuFile_NewClick();
        QVERIFY(seen->seen);
    } else {
        CodeplugData other;
        other.applyNewDefaults();
        other.setSetting(Setting::sql, 9);
        QVERIFY(writeFile(path(QStringLiteral("old.Kzx")), other.toByteArray()));
        QVERIFY(m_window->openCodeplug(path(QStringLiteral("old.Kzx"))));
    }
    const QByteArray after = bytes();
    QVERIFY(after != before);
    QFETCH(QString, name);
    QCOMPARE(action("MenuEdit_Undo")->text(), mainText(0, 283).arg(name));
    QVERIFY(!action("MenuEdit_Redo")->isEnabled());

    action("MenuEdit_Undo")->trigger();
    QVERIFY2(bytes() == before, qPrintable(describeDiff(bytes(), before)));
    QVERIFY(action("MenuEdit_Redo")->isEnabled());
    QCOMPARE(action("MenuEdit_Redo")->text(), mainText(0, 284).arg(name));
    action("MenuEdit_Redo")->trigger();
    QVERIFY2(bytes() == after, qPrintable(describeDiff(bytes(), after)));

    // Back to the start: both steps undone, the items greyed.
    for (int k = 0; k <= stepsBefore; ++k)
        action("MenuEdit_Undo")->trigger();
    QVERIFY(!action("MenuEdit_Undo")->isEnabled());
    CodeplugData fresh;
    fresh.applyNewDefaults();
    QVERIFY(bytes() == fresh.toByteArray());
}

// Ctrl+Z, Ctrl+Shift+Z and Ctrl+Y on the window.
void TestUndo::keyboardUndoRedo()
{
    const QByteArray start = bytes();
    chooseOption("cbSQL", 2);
    const QByteArray changed = bytes();
    QVERIFY(changed != start);
    QTest::keyClick(m_window, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(bytes(), start);
    QCOMPARE(m_window->findChild<QComboBox *>(QStringLiteral("cbSQL"))->currentText(),
             QStringLiteral("5"));
    QTest::keyClick(m_window, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(bytes(), changed);
    QTest::keyClick(m_window, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(m_window, Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(bytes(), changed);
}

// Saved, changed, undone: the window is clean again.
void TestUndo::undoBackToSavedClearsTheMark()
{
    chooseOption("cbTOA", 3);
    QVERIFY(m_window->saveCodeplug(path(QStringLiteral("saved.Kzx"))));
    QVERIFY(!m_window->isModelModified());
    chooseOption("cbTOA", 7);
    QVERIFY(m_window->isModelModified());
    QVERIFY(shownTitle(m_window).contains(QStringLiteral("saved.Kzx*")));
    action("MenuEdit_Undo")->trigger();
    QVERIFY(!m_window->isModelModified());
    QVERIFY(!shownTitle(m_window).contains(QLatin1Char('*')));
    // Undoing past the save marks it changed again.
    action("MenuEdit_Undo")->trigger();
    QVERIFY(m_window->isModelModified());
}

// Only the cells that differ from the codeplug as last saved carry the mark.
void TestUndo::changedCellsMarked()
{
    QVERIFY(grid()->setData(grid()->cell(2, 1), QStringLiteral("145.5")));
    const auto marked = [this](int channel, int column) {
        return grid()->cell(channel, column).data(ChannelTableModel::ChangedRole).toBool();
    };
    QVERIFY(marked(2, 1));
    QVERIFY(marked(2, 2)); // the transmit frequency came with it
    QVERIFY(!marked(1, 1));
    QVERIFY(!marked(3, 1));
    QVERIFY(m_window->saveCodeplug(path(QStringLiteral("marks.Kzx"))));
    QVERIFY(!marked(2, 1));
    const QModelIndex bandwidth = grid()->cell(2, 6);
    QVERIFY(grid()->setData(bandwidth, 1 - bandwidth.data(Qt::EditRole).toInt()));
    QVERIFY(marked(2, 6));
    QVERIFY(!marked(2, 1));
    saveShot(m_window, QStringLiteral("changed-cells"));
}

// Step names are in the language of the moment they were made.
void TestUndo::namesFollowTheLanguage()
{
    action("MenuLanguage_Chs")->trigger();
    QVERIFY(grid()->setData(grid()->cell(7, 1), QStringLiteral("439")));
    const QString expected =
        mainText(1, 283).arg(mainText(1, 285).arg(QStringLiteral("CH07 ") + mainText(1, 16)));
    QCOMPARE(action("MenuEdit_Undo")->text(), expected);
    auto seen = pressWhenShown(QStringLiteral("MyWarnDlg_2"), "OKBtn");
    m_window->MenuFile_NewClick();
    QVERIFY(seen->seen);
    QCOMPARE(action("MenuEdit_Undo")->text(), mainText(1, 283).arg(stripped(mainText(1, 2))));
}

QTEST_MAIN(TestUndo)
#include "tst_undo.moc"
