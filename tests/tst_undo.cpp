// Undo and redo through the window: every kind of change is one step with
// its name in the user's language, undone and redone to the exact bytes;
// the menu items follow the history; cells changed since the last open,
// read or save carry a mark. The names of steps, compare lines and import
// reports use the window's own words in every language.
#include "guitest.h"
#include "testsupport.h"

#include "codeplug/channeledit.h"
#include "codeplug/codeplugdiff.h"
#include "codeplug/optionedit.h"
#include "ui/channelgrid.h"
#include "ui/channelmodel.h"
#include "ui/document.h"
#include "ui/tform1.h"
#include "ui/tpastereportdlg.h"

#include <QAction>
#include <QClipboard>
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

// The first word of \a text that a user of \a language should not meet: a
// name from the code (aniCode, tot), or inside a Chinese text any English
// word but the program's own abbreviations, units and the tone "Off".
QString foreignWord(const QString &text, int language)
{
    static const QStringList allowed = {"Off", "CTCSS", "DCS", "DTMF", "CSV", "MHz", "Hz"};
    QStringList code;
    for (const SettingInfo &s : settingTable())
        code << QLatin1String(s.name);
    for (const TextFieldInfo &f : textFieldTable())
        code << QLatin1String(f.name);
    for (const CodeFieldInfo &f : codeFieldTable())
        code << QLatin1String(f.name);
    static const QRegularExpression word(QStringLiteral("[A-Za-z]+"));
    static const QRegularExpression camel(QStringLiteral("^[a-z]+[A-Z]"));
    for (const QRegularExpressionMatch &m : word.globalMatch(text)) {
        const QString w = m.captured();
        if (code.contains(w) || camel.match(w).hasMatch() ||
            (language > 0 && w.size() > 1 && !allowed.contains(w)))
            return w;
    }
    return QString();
}

// A file for Import CSV: one channel, in a channel not in use.
std::shared_ptr<ModalSeen> chooseFile(const QString &dialogName, const QString &file)
{
    return whenModal(dialogName, [file](QWidget *w) {
        qobject_cast<QFileDialog *>(w)->selectFile(file);
        QMetaObject::invokeMethod(w, "accept", Qt::QueuedConnection);
    });
}

} // namespace

class TestUndo : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    Document *m_state = nullptr;
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
    QByteArray bytes() const { return m_state->program().codeplug.toByteArray(); }

private slots:
    void init();
    void cleanup();

    void stepsUndoneAndRedone_data();
    void stepsUndoneAndRedone();
    void keyboardUndoRedo();
    void undoBackToSavedClearsTheMark();
    void changedCellsMarked();
    void namesFollowTheLanguage();
    void everyNameInTheUsersWords_data();
    void everyNameInTheUsersWords();
};

void TestUndo::init()
{
    const QString config = path(QStringLiteral("_config.ini"));
    QVERIFY(writeFile(config, "[config]\nPort=1\nLanguage=0\nAutoSeachPort=1\n"));
    m_state = new Document;
    m_state->setConfigPath(config);
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

// Step names are in the language the menu is shown in, whichever it was
// when the step was made.
void TestUndo::namesFollowTheLanguage()
{
    QVERIFY(grid()->setData(grid()->cell(7, 1), QStringLiteral("439")));
    action("MenuLanguage_Chs")->trigger();
    const QString expected =
        mainText(1, 283).arg(mainText(1, 285).arg(QString::fromUtf8("信道07 ") + mainText(1, 16)));
    QCOMPARE(action("MenuEdit_Undo")->text(), expected);
    auto seen = pressWhenShown(QStringLiteral("MyWarnDlg_2"), "OKBtn");
    m_window->MenuFile_NewClick();
    QVERIFY(seen->seen);
    QCOMPARE(action("MenuEdit_Undo")->text(), mainText(1, 283).arg(stripped(mainText(1, 2))));
}

void TestUndo::everyNameInTheUsersWords_data()
{
    QTest::addColumn<int>("language");
    QTest::newRow("English") << 0;
    QTest::newRow("Simplified Chinese") << 1;
    QTest::newRow("Traditional Chinese") << 2;
}

// Every command's step, made in English and shown in the row's language,
// every field of a compare or step name, and every kind of import report
// line: no word of the code, no English inside Chinese.
void TestUndo::everyNameInTheUsersWords()
{
    QFETCH(int, language);
    auto *table = m_window->findChild<ChannelGrid *>(QStringLiteral("StringGrid1"));
    const auto current = [&](int channel) {
        table->setCurrentIndex(grid()->cell(channel, 1));
    };
    const auto run = [this](const char *name) {
        action(name)->trigger();
    };

    QVERIFY(grid()->setData(grid()->cell(1, 1), QStringLiteral("438.5")));
    chooseOption("cbTOT", 4);
    m_state->program().codeplug.setCode(CodeField::aniCode, optionedit::codeFromText("123"));
    m_window->modelTouched();
    auto cleared = pressWhenShown(QStringLiteral("MyWarnDlg_2"), "OKBtn");
    m_window->MenuFile_NewClick();
    QVERIFY(cleared->seen);
    CodeplugData file;
    file.applyNewDefaults();
    file.enterChannelFrequency(1, 438500000);
    file.enterChannelFrequency(2, 439500000);
    QVERIFY(writeFile(path(QStringLiteral("12.Kzx")), file.toByteArray()));
    QVERIFY(m_window->openCodeplug(path(QStringLiteral("12.Kzx"))));
    QVERIFY(writeFile(path(QStringLiteral("3.csv")), "Location,Frequency\n3,440.5\n"));
    auto chosen = chooseFile(QStringLiteral("ImportCsvDialog"), path(QStringLiteral("3.csv")));
    auto previewed = pressWhenShown(QStringLiteral("ImportPreviewDlg"), "OKBtn");
    run("MenuFile_ImportCsv");
    QVERIFY(chosen->seen && previewed->seen);
    QApplication::clipboard()->setText(QStringLiteral("Frequency\n441.5\n"));
    current(4);
    run("MenuEdit_Paste");
    run("MenuEdit_Cut");
    current(1);
    run("MenuEdit_MoveDown");
    run("MenuEdit_Sort");
    current(2);
    run("MenuEdit_MoveUp");
    current(1);
    run("MenuEdit_InsertChannel");
    run("MenuEdit_DeleteChannel");
    run("MenuEdit_ClearChannels");
    emit table->bulkEdited(channeledit::PowerColumn, {2, 3}, 0);
    current(10);
    auto filled = pressWhenShown(QStringLiteral("TBatchSetDlg"), "OKBtn");
    run("MenuEdit_BatchSet");
    QVERIFY(filled->seen);
    const int steps = 16;

    m_window->setLanguage(text::Language(language));
    const auto check = [language](QString name) {
        name = stripped(name).remove(QStringLiteral("12.Kzx"));
        QVERIFY2(foreignWord(name, language).isEmpty(), qPrintable(name));
    };
    QStringList names;
    while (action("MenuEdit_Undo")->isEnabled()) {
        names << action("MenuEdit_Undo")->text();
        check(names.back());
        run("MenuEdit_Undo");
    }
    QCOMPARE(names.size(), steps);
    QCOMPARE(names.first(), mainText(language, 283).arg(stripped(mainText(language, 169))));
    while (action("MenuEdit_Redo")->isEnabled()) {
        check(action("MenuEdit_Redo")->text());
        run("MenuEdit_Redo");
    }

    // Each field changed alone: the step's name and the compare line.
    CodeplugData before;
    before.applyNewDefaults();
    const auto fieldNames = [&](const CodeplugData &after) {
        check(UndoHistory::describe(before, after, m_state->lang()));
        for (const DiffEntry &e : diffCodeplugs(before, after))
            check(diffLine(e, m_state->lang()));
    };
    for (const SettingInfo &s : settingTable()) {
        CodeplugData after = before;
        after.setSetting(s.id, before.setting(s.id) ^ 1);
        fieldNames(after);
    }
    for (const TextFieldInfo &f : textFieldTable()) {
        CodeplugData after = before;
        after.setText(f.id, "12");
        fieldNames(after);
    }
    for (const CodeFieldInfo &f : codeFieldTable()) {
        CodeplugData after = before;
        after.setCode(f.id, optionedit::codeFromText("12"));
        fieldNames(after);
    }
    CodeplugData channelAndEntry = before;
    channelAndEntry.enterChannelFrequency(5, 446006250);
    AddressBookEntry entry;
    QVERIFY(entry.setNumber("12345"));
    channelAndEntry.setAddressBookEntry(3, entry);
    channelAndEntry.setAddressBookEntryUsed(3, true);
    fieldNames(channelAndEntry);

    // Every kind of report line, each column of the list named.
    using namespace channelcsv;
    QList<RowPreview> rows;
    for (Adjustment kind :
         {Adjustment::MovedOntoRaster, Adjustment::NameCut, Adjustment::NameReplaced,
          Adjustment::NonstandardTone, Adjustment::ToneCut, Adjustment::PowerFromWatts,
          Adjustment::MovedToEmptyChannel}) {
        RowPreview row;
        row.channel = 5;
        row.outcome = Outcome::Adjusted;
        // The values are numbers; the power level becomes one of the grid's words.
        row.adjustments << AdjustmentNote{kind, QStringLiteral("Frequency"), QStringLiteral("2"),
                                          QStringLiteral("3"), true};
        rows << row;
    }
    for (Refusal why : {Refusal::OutsideBand, Refusal::UnsupportedMode, Refusal::LocationOutOfRange,
                        Refusal::TooManyRows, Refusal::DuplicateChannel, Refusal::NoFrequency,
                        Refusal::ToneNotTaken, Refusal::NoEmptyChannel}) {
        RowPreview row;
        row.outcome = Outcome::Refused;
        row.refusal = why;
        row.refusalColumn = QStringLiteral("Frequency");
        row.refusalValue = QStringLiteral("7");
        rows << row;
    }
    for (const QString &column : columns() + QStringList{BusyLockHeader}) {
        RowPreview row;
        row.channel = 2;
        row.outcome = Outcome::Refused;
        row.refusal = Refusal::Unreadable;
        row.refusalColumn = column;
        row.refusalValue = QStringLiteral("7");
        rows << row;
    }
    rows << RowPreview{};
    for (const RowPreview &row : std::as_const(rows)) {
        check(reportLine(*m_state, row, true));
        check(reportLine(*m_state, row, false));
    }
}

QTEST_MAIN(TestUndo)
#include "tst_undo.moc"
