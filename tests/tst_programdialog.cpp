// The programming dialog end to end: the window's Read and Write against the
// virtual radio on a real pseudo-terminal, bound to COM1 through the
// configuration file, with the result message answered as a user does.
#include "guitest.h"
#include "windowradio.h"

#include "codeplug/backupstore.h"
#include "codeplug/codeplugfile.h"
#include "ui/document.h"
#include "ui/tform1.h"
#include "ui/tprogramdialog.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

using namespace t880;
using namespace t880::testing;

class TestProgramDialog : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }

    // A configuration that binds COM1 to \a device, search off, English.
    void configure(Document &state, const QString &device, const QString &more = QString())
    {
        configureWindow(state, m_dir.path(), device, more);
    }
    bool startRadio(VirtualRadioProcess &radio, const QByteArray &memory,
                    const QStringList &extra = {})
    {
        return testing::startRadio(radio, m_dir.path(), memory, extra);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        qputenv("XDG_DATA_HOME", QFile::encodeName(path(QStringLiteral("data"))));
    }
    void cleanup() { disarmModalWaits(); }
    void readFillsTheWindow();
    void windowKeepsBackups_data();
    void windowKeepsBackups();
    void failedWriteNamesItsBackup();
    void writePutsTheModelIntoTheRadio();
    void closingMidTransfer();
    void escapeKey_data();
    void escapeKey();
    void portThatDoesNotExist();
    void backupThatCannotBeKept();
    void searchNamesWhereTheRadioAnswered();
};

void TestProgramDialog::readFillsTheWindow()
{
    const QByteArray mem = radioMemory(m_dir.path());
    VirtualRadioProcess radio;
    QVERIFY(startRadio(radio, mem));
    // What a read gives, by the command line, for comparison.
    const QString reference = path(QStringLiteral("reference.Kzx"));
    QCOMPARE(runCli({QStringLiteral("read"), QStringLiteral("--port"),
                     path(QStringLiteral("radio")), QStringLiteral("-o"), reference})
                 .exitCode,
             0);

    Document state;
    configure(state, path(QStringLiteral("radio")));
    TForm1 window(state);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    auto *grid = window.findChild<QWidget *>(QStringLiteral("StringGrid1"));
    grid->setFocus();
    QString message;
    auto dialog = pressWhenShown(QStringLiteral("ProgramDialog"), "ProgramStart");
    auto result = pressWhenShown(QStringLiteral("UserWarnDlg"), "OKBtn", &message);
    window.MenuEdit_ReadClick();
    QVERIFY(dialog->seen);
    QVERIFY(result->seen);
    QCOMPARE(message, programText(0, 3));
    // The keyboard is back where it was: Ctrl+R works without a click.
    QTRY_COMPARE(QApplication::focusWidget(), grid);
    QVERIFY(state.program().codeplug.toByteArray() == readFile(reference));
    QCOMPARE(state.program().codeplug.setting(Setting::tot), 60u);
    QCOMPARE(state.program().lastProgramDate.year, 2026);
    window.closeWithoutPrompt();
}

void TestProgramDialog::writePutsTheModelIntoTheRadio()
{
    const QByteArray mem = radioMemory(m_dir.path());
    // The same codeplug written by the command line, for comparison.
    CodeplugData cp;
    cp.applyNewDefaults();
    cp.enterChannelFrequency(2, 145500000);
    cp.setSetting(Setting::sql, 3);
    const QString file = path(QStringLiteral("towrite.Kzx"));
    QVERIFY(codeplugfile::save(file, cp).ok());
    QByteArray expected;
    {
        VirtualRadioProcess radio;
        QVERIFY(startRadio(radio, mem));
        QCOMPARE(runCli({QStringLiteral("write"), QStringLiteral("--port"),
                         path(QStringLiteral("radio")), file})
                     .exitCode,
                 0);
        radio.stop();
        expected = readFile(path(QStringLiteral("memory.bin")));
    }

    VirtualRadioProcess radio;
    QVERIFY(startRadio(radio, mem));
    Document state;
    configure(state, path(QStringLiteral("radio")));
    TForm1 window(state);
    state.program().codeplug = cp;
    QString message;
    auto dialog = pressWhenShown(QStringLiteral("ProgramDialog"), "ProgramStart");
    auto result = pressWhenShown(QStringLiteral("UserWarnDlg"), "OKBtn", &message);
    window.MenuEdit_WriteClick();
    QVERIFY(dialog->seen && result->seen);
    QCOMPARE(message.section(u'\n', 0, 0), programText(0, 3));
    radio.stop();
    QByteArray after = readFile(path(QStringLiteral("memory.bin")));
    // The minute of writing may differ between the two writes.
    after.replace(kCodeplugArea + kDateOffset, 6, QByteArray(6, '\0'));
    expected.replace(kCodeplugArea + kDateOffset, 6, QByteArray(6, '\0'));
    QCOMPARE(describeDiff(after, expected), QString());
    window.closeWithoutPrompt();
}

void TestProgramDialog::windowKeepsBackups_data()
{
    QTest::addColumn<QString>("config");
    QTest::addColumn<QStringList>("operations"); // of the backups kept, newest first
    QTest::newRow("by default") << QString() << QStringList{"write", "read"};
    QTest::newRow("no backup before writing")
        << QStringLiteral("[t880]\nBackupBeforeWrite=0\n") << QStringList{"read"};
    QTest::newRow("neither switch")
        << QStringLiteral("[t880]\nBackupBeforeWrite=0\nVerifyAfterWrite=0\n")
        << QStringList{"read"};
}

// The window's Read keeps the radio's bytes; its Write keeps them first
// when the configuration says so, and the written radio is right either way.
void TestProgramDialog::windowKeepsBackups()
{
    QFETCH(QString, config);
    QFETCH(QStringList, operations);
    const QString folder = backup::defaultFolder();
    QVERIFY(folder.startsWith(path(QStringLiteral("data"))));
    QDir(folder).removeRecursively();
    const QByteArray mem = radioMemory(m_dir.path());
    VirtualRadioProcess radio;
    QVERIFY(startRadio(radio, mem));
    Document state;
    configure(state, path(QStringLiteral("radio")), config);
    TForm1 window(state);
    for (const bool write : {false, true}) {
        QString message;
        auto dialog = pressWhenShown(QStringLiteral("ProgramDialog"), "ProgramStart");
        auto result = pressWhenShown(QStringLiteral("UserWarnDlg"), "OKBtn", &message);
        if (write) {
            state.program().codeplug.enterChannelFrequency(7, 145500000);
            window.MenuEdit_WriteClick();
        } else {
            window.MenuEdit_ReadClick();
        }
        QVERIFY(dialog->seen && result->seen);
        // A successful write names the backup it kept, on lines of their own.
        QStringList expected{programText(0, 3)};
        if (write && operations.contains(QStringLiteral("write")))
            expected << programText(0, 9) << backup::list(folder).front().path;
        QCOMPARE(message.split(u'\n'), expected);
    }
    radio.stop();
    QStringList kept;
    for (const backup::Entry &e : backup::list(folder)) {
        kept << backup::operationName(e.backup.operation);
        QCOMPARE(e.backup.port, path(QStringLiteral("radio")));
        // Both were taken before the write: the radio as it was.
        for (const auto &[address, data] : e.backup.blocks)
            QCOMPARE(data.toHex(), mem.mid(address, 16).toHex());
    }
    QCOMPARE(kept, operations);
    // Channel 7 at 145.5 MHz: 2328000 steps of 62.5 Hz for an S radio.
    QCOMPARE(readFile(path(QStringLiteral("memory.bin"))).mid(kCodeplugArea + 6 * 19, 3).toHex(' '),
             QByteArray("23 85 c0"));
    window.closeWithoutPrompt();
}

// A write that stops in the middle says so and names the backup taken
// before it, from which the radio can be put back.
void TestProgramDialog::failedWriteNamesItsBackup()
{
    const QByteArray mem = radioMemory(m_dir.path());
    VirtualRadioProcess radio;
    // Silent after the connect request, 4 password readings, 46 backup
    // readings, 16 calibration readings and 5 writes.
    QVERIFY(startRadio(radio, mem, {QStringLiteral("--silent-after"), QStringLiteral("72")}));
    Document state;
    configure(state, path(QStringLiteral("radio")));
    TForm1 window(state);
    QString message;
    auto dialog = pressWhenShown(QStringLiteral("ProgramDialog"), "ProgramStart");
    auto result = pressWhenShown(QStringLiteral("UserWarnDlg"), "OKBtn", &message);
    window.MenuEdit_WriteClick();
    QVERIFY(dialog->seen && result->seen);
    const QStringList lines = message.split(u'\n');
    QCOMPARE(lines.value(0), programText(0, 2));
    // What went wrong, in a line: the radio answered, then fell silent.
    QCOMPARE(lines.value(1),
             mainText(0, 424).arg(QStringLiteral("COM1 (%1)").arg(path(QStringLiteral("radio")))));
    QCOMPARE(lines.value(2), programText(0, 9));
    backup::Backup b;
    QVERIFY2(backup::load(lines.value(3), b).ok(), qPrintable(message));
    QCOMPARE(b.operation, backup::Operation::Write);
    for (const auto &[address, data] : b.blocks)
        QCOMPARE(data.toHex(), mem.mid(address, 16).toHex());
    window.closeWithoutPrompt();
}

// Closing the dialog during a transfer ends it at once, shows nothing and
// leaves the model as it was.
void TestProgramDialog::closingMidTransfer()
{
    const QByteArray mem = radioMemory(m_dir.path());
    VirtualRadioProcess radio;
    QVERIFY(startRadio(radio, mem, {QStringLiteral("--reply-delay"), QStringLiteral("150")}));
    Document state;
    configure(state, path(QStringLiteral("radio")));
    TForm1 window(state);
    const QByteArray before = state.program().codeplug.toByteArray();
    QPointer<TProgramDialog> shown;
    auto dialog = whenModal(QStringLiteral("ProgramDialog"), [&shown](QWidget *w) {
        shown = qobject_cast<TProgramDialog *>(w);
        shown->ProgramStart->click();
    });
    auto message = pressWhenShown(QStringLiteral("UserWarnDlg"), "OKBtn");
    // Close as soon as the transfer has made progress.
    QTimer poll;
    connect(&poll, &QTimer::timeout, this, [&shown] {
        if (shown && shown->ProgressBar1->value() >= 11)
            shown->close();
    });
    poll.start(5);
    window.MenuEdit_ReadClick();
    poll.stop();
    QVERIFY(dialog->seen);
    QVERIFY(!message->seen);
    QVERIFY(state.program().codeplug.toByteArray() == before);
    window.closeWithoutPrompt();
}

void TestProgramDialog::escapeKey_data()
{
    QTest::addColumn<bool>("started");
    QTest::newRow("before Start: the dialog closes") << false;
    QTest::newRow("during a read: the read goes on") << true;
}

// Escape closes the dialog before Start; during a transfer it does nothing,
// and the transfer ends as it would have.
void TestProgramDialog::escapeKey()
{
    QFETCH(bool, started);
    VirtualRadioProcess radio;
    QVERIFY(startRadio(radio, radioMemory(m_dir.path()),
                       {QStringLiteral("--reply-delay"), QStringLiteral("40")}));
    Document state;
    configure(state, path(QStringLiteral("radio")));
    TForm1 window(state);
    const QByteArray before = state.program().codeplug.toByteArray();
    QPointer<TProgramDialog> shown;
    auto dialog = whenModal(QStringLiteral("ProgramDialog"), [&shown, started](QWidget *w) {
        shown = qobject_cast<TProgramDialog *>(w);
        if (started)
            shown->ProgramStart->click();
    });
    QString message;
    auto result = pressWhenShown(QStringLiteral("UserWarnDlg"), "OKBtn", &message);
    bool pressedMidway = false;
    QTimer poll;
    connect(&poll, &QTimer::timeout, this, [&] {
        if (!shown || (started && shown->ProgressBar1->value() < 11))
            return;
        poll.stop();
        pressedMidway = shown->outcome() == link::Outcome::Running;
        QWidget *focus = shown->focusWidget();
        QTest::keyClick(focus ? focus : shown.data(), Qt::Key_Escape);
    });
    poll.start(5);
    window.MenuEdit_ReadClick();
    poll.stop();
    QVERIFY(dialog->seen);
    QCOMPARE(result->seen, started);
    if (started) {
        QVERIFY(pressedMidway);
        QCOMPARE(message, programText(0, 3));
        QCOMPARE(state.program().codeplug.setting(Setting::tot), 60u);
    } else {
        QVERIFY(state.program().codeplug.toByteArray() == before);
    }
    window.closeWithoutPrompt();
}

// A port that cannot be opened: "Communication False" and why. Enter answers
// it with OK, also when the Details button has the focus.
void TestProgramDialog::portThatDoesNotExist()
{
    Document state;
    configure(state, path(QStringLiteral("no-radio-here")));
    TForm1 window(state);
    QString message;
    auto dialog = pressWhenShown(QStringLiteral("ProgramDialog"), "ProgramStart");
    auto result = whenModal(QStringLiteral("UserWarnDlg"), [&message](QWidget *w) {
        message = w->findChild<QLabel *>(QStringLiteral("WarnDlgText"))->text();
        QWidget *details = w->findChild<QWidget *>(QStringLiteral("DetailsBtn"));
        details->setFocus(Qt::TabFocusReason);
        QTimer::singleShot(0, details, [details] { QTest::keyClick(details, Qt::Key_Return); });
    });
    auto details = pressWhenShown(QStringLiteral("DoctorDlg"), "CloseBtn");
    window.MenuEdit_ReadClick();
    QVERIFY(dialog->seen && result->seen);
    QVERIFY(!details->seen);
    QVERIFY2(message.startsWith(programText(0, 2)), qPrintable(message));
    QVERIFY2(message.contains(path(QStringLiteral("no-radio-here"))), qPrintable(message));
    QCOMPARE(message.section(u'\n', 1, 1),
             mainText(0, 404).arg(
                 QStringLiteral("COM1 (%1)").arg(path(QStringLiteral("no-radio-here")))));
    window.closeWithoutPrompt();
}

// A write whose backup cannot be kept writes nothing and says where the
// backup was to go, why it could not, and how to write without one.
void TestProgramDialog::backupThatCannotBeKept()
{
    const QString blocked = path(QStringLiteral("not-a-folder"));
    QVERIFY(writeFile(blocked, "x"));
    const QByteArray mem = radioMemory(m_dir.path());
    VirtualRadioProcess radio;
    QVERIFY(startRadio(radio, mem));
    Document state;
    configure(state, path(QStringLiteral("radio")));
    TForm1 window(state);
    QString message;
    auto dialog = pressWhenShown(QStringLiteral("ProgramDialog"), "ProgramStart");
    auto result = pressWhenShown(QStringLiteral("UserWarnDlg"), "OKBtn", &message);
    const QByteArray data = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(blocked));
    const QString folder = backup::defaultFolder();
    window.MenuEdit_WriteClick();
    qputenv("XDG_DATA_HOME", data);
    QVERIFY(dialog->seen && result->seen);
    const QStringList lines = message.split(u'\n');
    QCOMPARE(lines.value(0), programText(0, 10));
    QVERIFY(folder.startsWith(blocked));
    QCOMPARE(lines.value(1), mainText(0, 471).arg(folder));
    QVERIFY(!lines.value(2).isEmpty());
    QCOMPARE(lines.value(3), mainText(0, 472).arg(QStringLiteral("Edit"), mainText(0, 287)));
    radio.stop();
    QCOMPARE(readFile(path(QStringLiteral("memory.bin"))).toHex(), mem.toHex());
    window.closeWithoutPrompt();
}

// With the automatic search on, the title names the port where the radio
// answered, not the one configured.
void TestProgramDialog::searchNamesWhereTheRadioAnswered()
{
    const QByteArray mem = radioMemory(m_dir.path());
    VirtualRadioProcess silent;
    QVERIFY(silent.start(path(QStringLiteral("silent")),
                         {QStringLiteral("--silent-after"), QStringLiteral("0")}));
    VirtualRadioProcess radio;
    QVERIFY(startRadio(radio, mem));
    Document state;
    state.setConfigPath(path(QStringLiteral("_config.ini")));
    writeFile(state.configPath(),
              QStringLiteral("[config]\nPort=1\nLanguage=0\nAutoSeachPort=1\n"
                             "[ports]\nCOM1=%1\nCOM2=%2\n")
                  .arg(path(QStringLiteral("silent")), path(QStringLiteral("radio")))
                  .toUtf8());
    TForm1 window(state);
    auto dialog = pressWhenShown(QStringLiteral("ProgramDialog"), "ProgramStart");
    auto result = pressWhenShown(QStringLiteral("UserWarnDlg"), "OKBtn");
    window.MenuEdit_ReadClick();
    QVERIFY(dialog->seen && result->seen);
    const QString title = window.windowTitle();
    QVERIFY2(title.contains(QStringLiteral("COM2")) && !title.contains(QStringLiteral("COM1")),
             qPrintable(title));
    QCOMPARE(state.config().port, 1); // the setting stays as the user made it
    window.closeWithoutPrompt();
}

QTEST_MAIN(TestProgramDialog)
#include "tst_programdialog.moc"
