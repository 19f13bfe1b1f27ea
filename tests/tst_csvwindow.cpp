// File > Import CSV and Export CSV through the window: the preview lists
// every row with its line in the file before anything changes, Cancel
// changes nothing, OK takes the rows that were not refused as one undo step;
// channels in use are replaced or kept as the user says; an export writes
// the list. File > Export YAML and Import YAML: the file comes back as one
// undo step after a preview of what changes; a file with errors lists them
// and changes nothing.
#include "guitest.h"
#include "testsupport.h"

#include "ui/document.h"
#include "ui/tform1.h"
#include "ui/yamlcommands.h"

#include <QAction>
#include <QFileDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QtTest>

using namespace t880;
using namespace t880::testing;

namespace {

QString mainText(int n)
{
    text::TAppLang lang(0x0409);
    lang.applyLanguageSetting(0);
    return lang.text(text::TextTable::Main, n);
}

// Three rows against the default band (400-490 MHz): one as it stands, one
// off the raster, one on 2 m.
const QByteArray kList = "Location,Name,Frequency,Mode,Power\r\n"
                         "1,HILL,438.500000,FM,High\r\n"
                         "2,TOWN,438.501000,NFM,Low\r\n"
                         "3,FAR,145.500000,FM,High\r\n";

// Channels in use, each as "channel:kHz".
QString layout(const CodeplugData &c)
{
    QStringList used;
    for (int n = 1; n <= CodeplugData::Channels; ++n) {
        if (c.isChannelUsed(n))
            used << QStringLiteral("%1:%2").arg(n).arg(c.channel(n).rxFreq() / 1000);
    }
    return used.join(QLatin1Char(' '));
}

std::shared_ptr<ModalSeen> chooseFile(const QString &dialogName, const QString &file)
{
    return whenModal(dialogName, [file](QWidget *w) {
        qobject_cast<QFileDialog *>(w)->selectFile(file);
        QMetaObject::invokeMethod(w, "accept", Qt::QueuedConnection);
    });
}

} // namespace

class TestCsvWindow : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }
    void configure(Document &state)
    {
        state.setConfigPath(path(QStringLiteral("_config.ini")));
        writeFile(state.configPath(), "[config]\nPort=1\nLanguage=0\nAutoSeachPort=1\n");
    }

private slots:
    void cleanup() { disarmModalWaits(); }
    void importPreview_data();
    void importPreview();
    void channelsInUse_data();
    void channelsInUse();
    void notAChannelList();
    void exportWritesTheList();
    void yamlThroughTheWindow_data();
    void yamlThroughTheWindow();
    void yamlExportRefused();
};

void TestCsvWindow::importPreview_data()
{
    QTest::addColumn<bool>("accept");
    QTest::newRow("cancelled") << false;
    QTest::newRow("taken") << true;
}

void TestCsvWindow::importPreview()
{
    QFETCH(bool, accept);
    Document state;
    configure(state);
    TForm1 window(state);
    const QString file = path(QStringLiteral("list.csv"));
    QVERIFY(writeFile(file, kList));
    const QByteArray before = state.program().codeplug.toByteArray();

    auto chosen = chooseFile(QStringLiteral("ImportCsvDialog"), file);
    QString lines;
    auto preview = whenModal(QStringLiteral("ImportPreviewDlg"), [&](QWidget *w) {
        lines = w->findChild<QPlainTextEdit *>(QStringLiteral("ReportLines"))->toPlainText();
        QMetaObject::invokeMethod(
            w->findChild<QWidget *>(accept ? QStringLiteral("OKBtn") : QStringLiteral("CancelBtn")),
            "click", Qt::QueuedConnection);
    });
    window.findChild<QAction *>(QStringLiteral("MenuFile_ImportCsv"))->trigger();
    QVERIFY(chosen->seen && preview->seen);
    const QStringList rows = lines.split(QLatin1Char('\n'));
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows.at(0), QStringLiteral("Line 2, CH01: ") + mainText(361));
    QVERIFY2(rows.at(1).startsWith(QStringLiteral("Line 3, CH02: ")) &&
                 rows.at(1).contains(QStringLiteral("438.500000")),
             qPrintable(rows.at(1)));
    QVERIFY2(rows.at(2).contains(QStringLiteral("145.5")), qPrintable(rows.at(2)));

    const CodeplugData &c = state.program().codeplug;
    if (!accept) {
        QVERIFY(c.toByteArray() == before);
        return;
    }
    QVERIFY(c.isChannelUsed(1) && c.isChannelUsed(2) && !c.isChannelUsed(3));
    QCOMPARE(c.channel(1).rxFreq(), 438500000u);
    // 438.501 MHz: 1 kHz above the nearest 6.25 kHz step, 5.25 kHz below the next.
    QCOMPARE(c.channel(2).rxFreq(), 438500000u);
    QCOMPARE(c.channel(2).txFreq(), 438500000u);
    auto *undo = window.findChild<QAction *>(QStringLiteral("MenuEdit_Undo"));
    QCOMPARE(undo->text(), mainText(283).arg(QStringLiteral("Import CSV")));
    undo->trigger();
    QVERIFY(c.toByteArray() == before);
    window.closeWithoutPrompt();
}

void TestCsvWindow::channelsInUse_data()
{
    QTest::addColumn<QString>("answer"); // to the question about channels in use
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("after");
    // The file's lines: 1 header, 2-3 a row whose comment holds a line
    // break, 4 a row above the band (400-490 MHz), 5 blank, 6 a row.
    const QString outside =
        "refused: RX Freq. 500.000000 is outside the band 400.00000-490.00000 MHz";
    QTest::newRow("Yes replaces them")
        << "OKBtn"
        << QStringList{"Line 2, CH01: taken as it stands", "Line 4, CH02: " + outside,
                       "Line 6, CH05: taken as it stands"}
        << "1:438500 2:432000 5:439000";
    // Channels 3 and 4 are the empty ones no row names; the refused row
    // leaves channel 4 empty.
    QTest::newRow("No keeps them and fills the empty channels")
        << "NoBtn"
        << QStringList{"Line 2, CH03: put here because CH01 is in use", "Line 4, CH02: " + outside,
                       "Line 6, CH05: taken as it stands"}
        << "1:431000 2:432000 3:438500 5:439000";
    QTest::newRow("Cancel changes nothing") << "CancelBtn" << QStringList{} << "1:431000 2:432000";
}

void TestCsvWindow::channelsInUse()
{
    QFETCH(QString, answer);
    QFETCH(QStringList, lines);
    QFETCH(QString, after);
    Document state;
    configure(state);
    TForm1 window(state);
    state.program().codeplug.enterChannelFrequency(1, 431000000);
    state.program().codeplug.enterChannelFrequency(2, 432000000);
    const QString file = path(QStringLiteral("inuse.csv"));
    QVERIFY(writeFile(file, "Location,Frequency,Comment\r\n"
                            "1,438.500000,\"hill\r\ntop\"\r\n"
                            "2,500.000000,\r\n"
                            "\r\n"
                            "5,439.000000,\r\n"));

    auto chosen = chooseFile(QStringLiteral("ImportCsvDialog"), file);
    QString question;
    auto asked = pressWhenShown(QStringLiteral("ReplaceChannelsPrompt"), answer, &question);
    auto shown = std::make_shared<QString>();
    auto preview = whenModal(QStringLiteral("ImportPreviewDlg"), [shown](QWidget *w) {
        *shown = w->findChild<QPlainTextEdit *>(QStringLiteral("ReportLines"))->toPlainText();
        QMetaObject::invokeMethod(w->findChild<QWidget *>(QStringLiteral("OKBtn")), "click",
                                  Qt::QueuedConnection);
    });
    window.findChild<QAction *>(QStringLiteral("MenuFile_ImportCsv"))->trigger();
    QVERIFY(chosen->seen && asked->seen);
    // Only channel 1 would be replaced: the row for channel 2 is refused.
    QCOMPARE(question,
             mainText(603).arg(QStringLiteral("CH01")) + QLatin1Char('\n') + mainText(604));
    // After Cancel no preview follows.
    QCOMPARE(preview->seen, !lines.isEmpty());
    if (preview->seen)
        QCOMPARE(shown->split(QLatin1Char('\n')), lines);
    QCOMPARE(layout(state.program().codeplug), after);
    window.closeWithoutPrompt();
}

void TestCsvWindow::notAChannelList()
{
    Document state;
    configure(state);
    TForm1 window(state);
    const QString file = path(QStringLiteral("notes.csv"));
    QVERIFY(writeFile(file, "just,some\r\nwords,here\r\n"));
    const QByteArray before = state.program().codeplug.toByteArray();
    auto chosen = chooseFile(QStringLiteral("ImportCsvDialog"), file);
    QString message;
    auto told = pressWhenShown(QStringLiteral("UserWarnDlg"), "OKBtn", &message);
    window.findChild<QAction *>(QStringLiteral("MenuFile_ImportCsv"))->trigger();
    QVERIFY(chosen->seen && told->seen);
    QVERIFY(message.startsWith(mainText(366)));
    QVERIFY(state.program().codeplug.toByteArray() == before);
    window.closeWithoutPrompt();
}

// The header line of the exchange format, then one row per channel in use.
void TestCsvWindow::exportWritesTheList()
{
    Document state;
    configure(state);
    TForm1 window(state);
    state.program().codeplug.enterChannelFrequency(4, 446006250);
    const QString file = path(QStringLiteral("out.csv"));
    auto chosen = chooseFile(QStringLiteral("ExportCsvDialog"), file);
    window.findChild<QAction *>(QStringLiteral("MenuFile_ExportCsv"))->trigger();
    QVERIFY(chosen->seen);
    const QList<QByteArray> lines = readFile(file).split('\n');
    QVERIFY2(lines.value(0).startsWith("Location,Name,Frequency,Duplex,Offset,Tone,rToneFreq,"
                                       "cToneFreq,DtcsCode,DtcsPolarity,RxDtcsCode,CrossMode,Mode,"
                                       "TStep,Skip,Power,Comment,URCALL,RPT1CALL,RPT2CALL,DVCODE"),
             lines.value(0).constData());
    QVERIFY2(lines.value(1).startsWith("4,,446.006250,"), lines.value(1).constData());
    window.closeWithoutPrompt();
}

void TestCsvWindow::yamlThroughTheWindow_data()
{
    QTest::addColumn<QByteArray>("from");   // an exported line
    QTest::addColumn<QByteArray>("edited"); // what it becomes
    QTest::addColumn<bool>("accept");
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<QString>("report"); // a line of the dialog shown
    const QByteArray sql = "  SQL: 5  # 5";
    const QString preview = QStringLiteral("ImportPreviewDlg");
    QTest::newRow("taken, one undo step")
        << sql << QByteArray("  SQL: 9") << true << preview << "SQL 5 -> 9";
    QTest::newRow("preview cancelled")
        << sql << QByteArray("  SQL: 9") << false << preview << "SQL 5 -> 9";
    QTest::newRow("an error: nothing changes")
        << sql << QByteArray("  SQL: nine") << true << "YamlErrorsDlg"
        << QStringLiteral("line %1, settings.SQL: not a whole number: nine");
    QTest::newRow("outside the band: kept, and said")
        << QByteArray("    receive: 446.00625") << QByteArray("    receive: 520") << true << preview
        << "CH04 RX Freq. 520.00000 is outside the band 400.00000-490.00000 MHz; kept as the file "
           "has it.";
    QTest::newRow("the window's own codeplug: nothing to take")
        << sql << sql << true << "YamlSameDlg"
        << "The file holds the codeplug the window shows; nothing changes.";
}

void TestCsvWindow::yamlThroughTheWindow()
{
    QFETCH(QByteArray, from);
    QFETCH(QByteArray, edited);
    QFETCH(bool, accept);
    QFETCH(QString, dialog);
    QFETCH(QString, report);
    Document state;
    configure(state);
    TForm1 window(state);
    state.program().codeplug.enterChannelFrequency(4, 446006250);
    const QString file =
        path(QString::fromLatin1(QTest::currentDataTag()) + QStringLiteral(".yaml"));
    auto saved = chooseFile(QStringLiteral("ExportYamlDialog"), file);
    window.findChild<QAction *>(QStringLiteral("MenuFile_ExportYaml"))->trigger();
    QVERIFY(saved->seen);
    QList<QByteArray> lines = readFile(file).split('\n');
    const int line = int(lines.indexOf(from));
    QVERIFY(line > 0);
    lines[line] = edited;
    QVERIFY(writeFile(file, lines.join('\n')));
    if (report.contains(QLatin1String("%1")))
        report = report.arg(line + 1);

    const QByteArray before = state.program().codeplug.toByteArray();
    auto chosen = chooseFile(QStringLiteral("ImportYamlDialog"), file);
    QString shown;
    auto answered = whenModal(dialog, [&](QWidget *w) {
        const auto *lines = w->findChild<QPlainTextEdit *>(QStringLiteral("ReportLines"));
        shown = lines ? lines->toPlainText()
                      : w->findChild<QLabel *>(QStringLiteral("WarnDlgText"))->text();
        QMetaObject::invokeMethod(
            w->findChild<QWidget *>(accept ? QStringLiteral("OKBtn") : QStringLiteral("CancelBtn")),
            "click", Qt::QueuedConnection);
    });
    window.findChild<QAction *>(QStringLiteral("MenuFile_ImportYaml"))->trigger();
    QVERIFY(chosen->seen && answered->seen);
    QVERIFY2(shown.split(QLatin1Char('\n')).contains(report), qPrintable(shown));
    if (!accept || dialog != QLatin1String("ImportPreviewDlg")) {
        QVERIFY(state.program().codeplug.toByteArray() == before);
        return;
    }
    QVERIFY(state.program().codeplug.setting(Setting::sql) == 9 ||
            state.program().codeplug.channel(4).rxFreq() == 520000000);
    window.findChild<QAction *>(QStringLiteral("MenuEdit_Undo"))->trigger();
    QVERIFY(state.program().codeplug.toByteArray() == before);
    window.closeWithoutPrompt();
}

// A YAML file that cannot be written is said so, with its path; nothing
// is left behind.
void TestCsvWindow::yamlExportRefused()
{
    Document state;
    configure(state);
    TForm1 window(state);
    const QString file = path(QStringLiteral("no folder/plug.yaml"));
    QString message;
    auto told = pressWhenShown(QStringLiteral("UserWarnDlg"), "OKBtn", &message);
    QVERIFY(!yamlcommands::exportYamlFile(state, &window, file));
    QVERIFY(told->seen);
    QVERIFY2(message.startsWith(mainText(620)) && message.contains(file), qPrintable(message));
    QVERIFY(!QFile::exists(file));
    window.closeWithoutPrompt();
}

QTEST_MAIN(TestCsvWindow)
#include "tst_csvwindow.moc"
