// The window's side of keeping a radio's contents safe: the two switches in
// the Edit menu, comparing with a file and with a radio, and the backups
// dialog opening a backup and writing one back, the offer of a write left
// unfinished, against the virtual radio on
// a pseudo-terminal.
#include "guitest.h"
#include "windowradio.h"

#include "codeplug/backupstore.h"
#include "codeplug/productionrecord.h"
#include "codeplug/writejournal.h"
#include "ui/tbackupsdlg.h"
#include "ui/tform1.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFileDialog>
#include <QLabel>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

using namespace t880;
using namespace t880::testing;

namespace {

QStringList rowOf(const QTableWidget *table, int row)
{
    QStringList cells;
    for (int c = 0; c < table->columnCount(); ++c)
        cells << (table->item(row, c) ? table->item(row, c)->text() : QString());
    return cells;
}

// The rows of the compare dialog, captured when it is shown, then closed.
struct CompareSeen
{
    bool noDifferencesShown = false;
    QList<QStringList> rows;
    QString title;
};

std::shared_ptr<CompareSeen> captureCompare(std::shared_ptr<ModalSeen> &seen)
{
    auto captured = std::make_shared<CompareSeen>();
    seen = whenModal(QStringLiteral("CompareDlg"), [captured](QWidget *w) {
        captured->title = w->windowTitle();
        captured->noDifferencesShown =
            w->findChild<QLabel *>(QStringLiteral("sNoDifferences"))->isVisibleTo(w);
        auto *table = w->findChild<QTableWidget *>(QStringLiteral("tDifferences"));
        for (int r = 0; r < table->rowCount(); ++r)
            captured->rows << rowOf(table, r);
        QMetaObject::invokeMethod(w, "accept", Qt::QueuedConnection);
    });
    return captured;
}

} // namespace

class TestSafetyWindow : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }
    // Answers the program dialog with Start and its result with OK.
    void runAnswered(const std::function<void()> &command, QString *message = nullptr)
    {
        auto dialog = pressWhenShown(QStringLiteral("ProgramDialog"), "ProgramStart");
        auto result = pressWhenShown(QStringLiteral("UserWarnDlg"), "OKBtn", message);
        command();
        QVERIFY(dialog->seen);
        QVERIFY(result->seen);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        qputenv("XDG_DATA_HOME", QFile::encodeName(path(QStringLiteral("data"))));
    }
    void init() { QDir(backup::defaultFolder()).removeRecursively(); }

    void switchesKeptInConfiguration();
    void compareWithFile_data();
    void compareWithFile();
    void compareWithRadio();
    void backupsOpenAndRestore();
    void unfinishedWriteOffered();
    void productionRecordShown();
    void channelList_data();
    void channelList();
};

// Both on by default; switched off, they stay off in the configuration.
void TestSafetyWindow::switchesKeptInConfiguration()
{
    Document state;
    configureWindow(state, m_dir.path(), path(QStringLiteral("none")));
    {
        TForm1 window(state);
        auto *backupFirst =
            window.findChild<QAction *>(QStringLiteral("MenuEdit_BackupBeforeWrite"));
        auto *verify = window.findChild<QAction *>(QStringLiteral("MenuEdit_VerifyAfterWrite"));
        QVERIFY(backupFirst->isChecked() && verify->isChecked());
        QCOMPARE(backupFirst->text(), mainText(0, 287));
        QCOMPARE(verify->text(), mainText(0, 288));
        backupFirst->trigger();
        verify->trigger();
        QVERIFY(!state.config().backupBeforeWrite && !state.config().verifyAfterWrite);
        window.closeWithoutPrompt();
    }
    const QByteArray text = readFile(state.configPath());
    QVERIFY2(text.contains("BackupBeforeWrite=0") && text.contains("VerifyAfterWrite=0"),
             text.constData());
    Document again;
    again.setConfigPath(state.configPath());
    TForm1 next(again);
    QVERIFY(!next.findChild<QAction *>(QStringLiteral("MenuEdit_VerifyAfterWrite"))->isChecked());
    next.closeWithoutPrompt();
}

void TestSafetyWindow::compareWithFile_data()
{
    QTest::addColumn<bool>("same");
    QTest::newRow("two differences") << false;
    QTest::newRow("no difference") << true;
}

// The differences, in the window's words; the window's codeplug unchanged.
void TestSafetyWindow::compareWithFile()
{
    QFETCH(bool, same);
    Document state;
    configureWindow(state, m_dir.path(), path(QStringLiteral("none")));
    TForm1 window(state);
    CodeplugData mine;
    mine.applyNewDefaults();
    mine.enterChannelFrequency(2, 446006250);
    state.program().codeplug = mine;
    CodeplugData theirs = mine;
    if (!same) {
        ChannelRecord ch = theirs.channel(2);
        ch.setRxFreq(446018750);
        theirs.setChannel(2, ch);
        theirs.setSetting(Setting::tot, 60);
    }
    const QString file = path(QStringLiteral("theirs.Kzx"));
    QVERIFY(codeplugfile::save(file, theirs).ok());

    auto chosen = whenModal(QStringLiteral("CompareFileDialog"), [file](QWidget *w) {
        qobject_cast<QFileDialog *>(w)->selectFile(file);
        QMetaObject::invokeMethod(w, "accept", Qt::QueuedConnection);
    });
    std::shared_ptr<ModalSeen> shown;
    auto seen = captureCompare(shown);
    window.findChild<QAction *>(QStringLiteral("MenuFile_CompareFile"))->trigger();
    QVERIFY(chosen->seen && shown->seen);
    QCOMPARE(seen->title, mainText(0, 293).arg(QStringLiteral("theirs.Kzx")));
    QVERIFY(state.program().codeplug == mine);
    if (same) {
        QVERIFY(seen->noDifferencesShown);
        QVERIFY(seen->rows.isEmpty());
    } else {
        QVERIFY(!seen->noDifferencesShown);
        QCOMPARE(seen->rows.size(), 2);
        QCOMPARE(seen->rows.at(0), (QStringList{"CH02 RX Freq.", "446.00625", "446.01875"}));
        QCOMPARE(seen->rows.at(1), (QStringList{"TOT(S)", "180", "60"}));
    }
    window.closeWithoutPrompt();
}

// A radio is read for the comparison only: the differences show, the window
// keeps its codeplug, and the read is kept as a backup of a compare.
void TestSafetyWindow::compareWithRadio()
{
    VirtualRadioProcess radio;
    QVERIFY(startRadio(radio, m_dir.path(), radioMemory(m_dir.path())));
    Document state;
    configureWindow(state, m_dir.path(), path(QStringLiteral("radio")));
    TForm1 window(state);
    const CodeplugData before = state.program().codeplug;
    std::shared_ptr<ModalSeen> shown;
    auto seen = captureCompare(shown);
    runAnswered([&] { window.MenuEdit_CompareRadioClick(); });
    QVERIFY(shown->seen);
    QVERIFY(state.program().codeplug == before);
    QVERIFY(seen->rows.contains(QStringList{"TOT(S)", "180", "60"}));
    QVERIFY(seen->rows.contains(QStringList{"CH04 RX Freq.", "-", "446.00625"}));
    const std::vector<backup::Entry> kept = backup::list(backup::defaultFolder());
    QCOMPARE(int(kept.size()), 1);
    QCOMPARE(kept.front().backup.operation, backup::Operation::Compare);

    // That backup chosen in Compare with file leaves the codeplug folder.
    QString &codeplugs = state.config().folders[std::size_t(FileKind::Codeplug)];
    codeplugs = m_dir.path();
    auto chosen = whenModal(QStringLiteral("CompareFileDialog"), [&kept](QWidget *w) {
        qobject_cast<QFileDialog *>(w)->selectFile(kept.front().path);
        QMetaObject::invokeMethod(w, "accept", Qt::QueuedConnection);
    });
    seen = captureCompare(shown);
    window.findChild<QAction *>(QStringLiteral("MenuFile_CompareFile"))->trigger();
    QVERIFY(chosen->seen && shown->seen);
    QCOMPARE(codeplugs, m_dir.path());
    window.closeWithoutPrompt();
}

// A read kept as a backup opens into the window as that read, and goes back
// into a radio that has since been changed, byte for byte.
void TestSafetyWindow::backupsOpenAndRestore()
{
    const QByteArray first = radioMemory(m_dir.path(), 2);
    Document state;
    configureWindow(state, m_dir.path(), path(QStringLiteral("radio")));
    TForm1 window(state);
    CodeplugData asRead;
    {
        VirtualRadioProcess radio;
        QVERIFY(startRadio(radio, m_dir.path(), first));
        runAnswered([&] { window.MenuEdit_ReadClick(); });
        asRead = state.program().codeplug;
    }
    QCOMPARE(asRead.setting(Setting::sql), 2u);

    // The backup is listed; opening it gives the read again.
    auto seeOpen = whenModal(QStringLiteral("BackupsDlg"), [](QWidget *w) {
        auto *table = w->findChild<QTableWidget *>(QStringLiteral("tBackups"));
        QCOMPARE(table->rowCount(), 1);
        QCOMPARE(table->item(0, 1)->text(), QStringLiteral("S"));
        QCOMPARE(table->item(0, 3)->text(), mainText(0, 303));
        QCOMPARE(table->item(0, 4)->text(), QStringLiteral("1, 4"));
        QMetaObject::invokeMethod(w->findChild<QWidget *>(QStringLiteral("OpenBtn")), "click",
                                  Qt::QueuedConnection);
    });
    auto seeNew = pressWhenShown(QStringLiteral("MyWarnDlg_2"), "OKBtn");
    window.MenuFile_NewClick();
    QVERIFY(seeNew->seen);
    window.MenuFile_BackupsClick();
    QVERIFY(seeOpen->seen);
    QVERIFY(state.program().codeplug == asRead);
    QVERIFY(shownTitle(&window).startsWith(mainText(0, 281).section(QLatin1Char('%'), 0, 0)));

    // Another codeplug goes into the radio; the backup puts the first back.
    const QByteArray second = radioMemory(m_dir.path(), 8);
    VirtualRadioProcess radio;
    QVERIFY(startRadio(radio, m_dir.path(), second));
    auto seeRestore = whenModal(QStringLiteral("BackupsDlg"), [](QWidget *w) {
        auto *table = w->findChild<QTableWidget *>(QStringLiteral("tBackups"));
        table->selectRow(0);
        QMetaObject::invokeMethod(w->findChild<QWidget *>(QStringLiteral("RestoreBtn")), "click",
                                  Qt::QueuedConnection);
    });
    QString message;
    runAnswered([&] { window.MenuFile_BackupsClick(); }, &message);
    QVERIFY(seeRestore->seen);
    radio.stop();
    const QByteArray after = readFile(path(QStringLiteral("memory.bin")));
    QCOMPARE(describeDiff(after.mid(kCodeplugArea, kCodeplugAreaSize),
                          first.mid(kCodeplugArea, kCodeplugAreaSize)),
             QString());
    window.closeWithoutPrompt();
}

// A write that a killed program left unfinished is offered at the start:
// Escape asks again later, Restore puts the backup back into that radio and
// ends the offer, Dismiss forgets a note.
void TestSafetyWindow::unfinishedWriteOffered()
{
    const QByteArray first = radioMemory(m_dir.path(), 2);
    Document state;
    configureWindow(state, m_dir.path(), path(QStringLiteral("radio")));
    TForm1 window(state);
    {
        VirtualRadioProcess radio;
        QVERIFY(startRadio(radio, m_dir.path(), first));
        runAnswered([&] { window.MenuEdit_ReadClick(); });
    }
    const QString kept = backup::list(backup::defaultFolder()).front().path;
    // The note of a program that no longer runs (no process has this number).
    const QString folder = journal::defaultFolder();
    const auto leaveNote = [&](const QString &name, const QString &backupFile) {
        QDir().mkpath(folder);
        writeFile(folder + u'/' + name,
                  QStringLiteral("{\"port\": \"%1\", \"device\": \"%1\", \"operation\": "
                                 "\"write\", \"area\": \"codeplug\", \"file\": \"\", "
                                 "\"backup\": \"%2\", \"time\": \"2026-03-04T05:06:07.000Z\", "
                                 "\"pid\": 999999999, \"processStart\": \"1\"}")
                      .arg(path(QStringLiteral("radio")), backupFile)
                      .toUtf8());
    };
    leaveNote(QStringLiteral("a.json"), kept);
    // The backups name the one that puts that radio back.
    QString operation;
    auto listed = whenModal(QStringLiteral("BackupsDlg"), [&operation](QWidget *w) {
        operation = w->findChild<QTableWidget *>(QStringLiteral("tBackups"))->item(0, 3)->text();
        QMetaObject::invokeMethod(w, "reject", Qt::QueuedConnection);
    });
    window.MenuFile_BackupsClick();
    QVERIFY(listed->seen);
    QCOMPARE(operation, mainText(0, 377).arg(mainText(0, 303)));

    QString message;
    auto later = keyWhenShown(QStringLiteral("UnfinishedWritePrompt"), Qt::Key_Escape);
    window.offerUnfinishedWrites();
    QVERIFY(later->seen);
    QCOMPARE(journal::unfinished(folder).size(), std::size_t(1));

    VirtualRadioProcess radio;
    QVERIFY(startRadio(radio, m_dir.path(), radioMemory(m_dir.path(), 8)));
    auto restore = pressWhenShown(QStringLiteral("UnfinishedWritePrompt"), "OKBtn", &message);
    runAnswered([&] { window.offerUnfinishedWrites(); });
    QVERIFY(restore->seen);
    QVERIFY2(
        message.startsWith(
            QStringLiteral("The write to the radio on %1 at ").arg(path(QStringLiteral("radio")))),
        qPrintable(message));
    QVERIFY(message.contains(kept));
    radio.stop();
    QCOMPARE(describeDiff(
                 readFile(path(QStringLiteral("memory.bin"))).mid(kCodeplugArea, kCodeplugAreaSize),
                 first.mid(kCodeplugArea, kCodeplugAreaSize)),
             QString());
    QVERIFY(journal::list(folder).empty());

    leaveNote(QStringLiteral("b.json"), QString());
    auto dismiss = pressWhenShown(QStringLiteral("UnfinishedWritePrompt"), "NoBtn");
    window.offerUnfinishedWrites();
    QVERIFY(dismiss->seen);
    QVERIFY(journal::list(folder).empty());
    window.closeWithoutPrompt();
}

// The record's lines newest first; the result filter; a line's backup opens
// into the window as a read.
void TestSafetyWindow::productionRecordShown()
{
    Document state;
    configureWindow(state, m_dir.path(), path(QStringLiteral("radio")));
    TForm1 window(state);
    {
        VirtualRadioProcess radio;
        QVERIFY(startRadio(radio, m_dir.path(), radioMemory(m_dir.path(), 3)));
        runAnswered([&] { window.MenuEdit_ReadClick(); });
    }
    const CodeplugData asRead = state.program().codeplug;
    const QString kept = backup::list(backup::defaultFolder()).front().path;
    const QString record = production::defaultPath();
    QDir().mkpath(QFileInfo(record).path());
    QVERIFY(writeFile(
        record,
        "time,computer,operation,port,device,radio,file,sha256,result,exit,seconds,backup\r\n"
        "2026-05-01T08:00:00Z,pc,write,COM1,/dev/ttyUSB0,S,/a.Kzx,ab,SUCCESS,0,12.5,\r\n"
        "2026-05-02T08:00:00Z,pc,write,COM2,/dev/ttyUSB1,,/a.Kzx,ab,Communication "
        "False,3,3.0,\r\n" +
            QStringLiteral("2026-05-03T08:00:00Z,pc,restore,COM1,/dev/ttyUSB0,S,%1,cd,SUCCESS,0,"
                           "14.0,%1\r\n")
                .arg(kept)
                .toUtf8()));
    QStringList ports;
    QString failuresOnly;
    int since = 0;
    auto shown = whenModal(QStringLiteral("ProductionDlg"), [&](QWidget *w) {
        auto *table = w->findChild<QTableWidget *>(QStringLiteral("tProduction"));
        saveShot(w, QStringLiteral("ProductionDlg"));
        for (int r = 0; r < table->rowCount(); ++r)
            ports << table->item(r, 2)->text() + u' ' + table->item(r, 5)->text();
        w->findChild<QComboBox *>(QStringLiteral("cbResult"))->setCurrentIndex(2);
        failuresOnly = table->item(0, 0)->text() + QString::number(table->rowCount());
        w->findChild<QComboBox *>(QStringLiteral("cbResult"))->setCurrentIndex(0);
        w->findChild<QDateEdit *>(QStringLiteral("eSince"))->setDate(QDate(2026, 5, 2));
        w->findChild<QCheckBox *>(QStringLiteral("cSince"))->setChecked(true);
        since = table->rowCount();
        w->findChild<QCheckBox *>(QStringLiteral("cSince"))->setChecked(false);
        table->selectRow(0);
        QMetaObject::invokeMethod(w->findChild<QWidget *>(QStringLiteral("OpenBtn")), "click",
                                  Qt::QueuedConnection);
    });
    auto clear = pressWhenShown(QStringLiteral("MyWarnDlg_2"), "OKBtn");
    window.MenuFile_NewClick();
    QVERIFY(clear->seen);
    window.findChild<QAction *>(QStringLiteral("MenuFile_Production"))->trigger();
    QVERIFY(shown->seen);
    QCOMPARE(ports, (QStringList{"COM1 SUCCESS", "COM2 Communication False", "COM1 SUCCESS"}));
    QCOMPARE(failuresOnly, QDateTime(QDate(2026, 5, 2), QTime(8, 0), Qt::UTC)
                                   .toLocalTime()
                                   .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) +
                               u'1');
    QVERIFY(state.program().codeplug == asRead);
    QCOMPARE(since, 2);

    // A file that is no record: said so, nothing shown, nothing opened.
    QVERIFY(writeFile(record, "CH,RX Freq.\r\n"));
    QString status;
    auto refused = whenModal(QStringLiteral("ProductionDlg"), [&status](QWidget *w) {
        status = w->findChild<QLabel *>(QStringLiteral("sStatus"))->text();
        QCOMPARE(w->findChild<QTableWidget *>(QStringLiteral("tProduction"))->rowCount(), 0);
        QVERIFY(!w->findChild<QWidget *>(QStringLiteral("OpenBtn"))->isEnabled());
        QMetaObject::invokeMethod(w, "reject", Qt::QueuedConnection);
    });
    window.MenuFile_ProductionClick();
    QVERIFY(refused->seen);
    QVERIFY2(status.startsWith(mainText(0, 391)), qPrintable(status));
    QFile::remove(record);
    window.closeWithoutPrompt();
}

void TestSafetyWindow::channelList_data()
{
    QTest::addColumn<QList<int>>("channels");
    QTest::addColumn<QString>("text");
    QTest::newRow("none") << QList<int>{} << "";
    QTest::newRow("one") << QList<int>{7} << "7";
    QTest::newRow("runs") << QList<int>{1, 2, 3, 5, 8, 9} << "1-3, 5, 8-9";
    QTest::newRow("all") << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}
                         << "1-16";
}

void TestSafetyWindow::channelList()
{
    QFETCH(QList<int>, channels);
    QTEST(TBackupsDlg::channelList(std::vector<int>(channels.begin(), channels.end())), "text");
}

QTEST_MAIN(TestSafetyWindow)
#include "tst_safetywindow.moc"
