// The main window and its dialogs, headless, through the real widgets found
// by their object names: the configuration file over a run, the close
// prompt, New, Open and Save, the port dialog, languages, About.
#include "guitest.h"
#include "testsupport.h"

#include "codeplug/codeplugfile.h"
#include "ui/document.h"
#include "ui/manualwindow.h"
#include "ui/messagedialogs.h"
#include "ui/tcommunicationport.h"
#include "ui/tform1.h"

#include <QAction>
#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

#include <sys/stat.h>

using namespace t880;
using namespace t880::testing;

namespace {

QAction *findAction(QWidget *window, const char *name)
{
    return window->findChild<QAction *>(QLatin1String(name));
}

// Answers the file dialog named \a dialog by typing \a name into its
// file-name field and accepting, as a user does.
std::shared_ptr<ModalSeen> typeIntoFileDialog(const QString &dialog, const QString &name)
{
    return whenModal(dialog, [name](QWidget *w) {
        auto *edit = w->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        if (edit)
            edit->setText(name);
        QMetaObject::invokeMethod(w, "accept", Qt::QueuedConnection);
    });
}

// Sets an environment variable for the life of the object.
class ScopedEnv
{
public:
    ScopedEnv(const char *name, const QString &value)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name))
    {
        qputenv(name, QFile::encodeName(value));
    }
    ~ScopedEnv()
    {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

private:
    const char *m_name;
    bool m_had;
    QByteArray m_old;
};

// Notes the folder the file dialog \a dialog shows first, then chooses
// \a file in it (or cancels, for none).
std::shared_ptr<QString> folderOf(const QString &dialog, const QString &file = QString())
{
    auto folder = std::make_shared<QString>();
    whenModal(dialog, [folder, file](QWidget *w) {
        auto *files = qobject_cast<QFileDialog *>(w);
        *folder = files->directory().canonicalPath();
        if (!file.isEmpty())
            files->selectFile(file);
        QMetaObject::invokeMethod(w, file.isEmpty() ? "reject" : "accept", Qt::QueuedConnection);
    });
    return folder;
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QString configPath() const { return path(QStringLiteral("_config.ini")); }

private slots:
    void init() { QFile::remove(configPath()); }
    void cleanup() { disarmModalWaits(); }

    void firstRunCreatesConfiguration();
    void editedConfigurationSurvivesRun();
    void bandSelection_data();
    void bandSelection();
    void closePrompt_data();
    void closePrompt();
    void newCommand();
    void newFromPlan();
    void keyboardAnswers();
    void openCommand_data();
    void openCommand();
    void saveCommand();
    void fileDialogsRememberTheirFolder();
    void portDialog();
    void portDialogSearchSwitch();
    void languageSwitch_data();
    void languageSwitch();
    void aboutBox();
    void manualTexts_data();
    void manualTexts();
    void manualFromEveryDialog_data();
    void manualFromEveryDialog();
};

// The first run creates the file with the values of a new file; Simplified
// Chinese and band 2 (400-490 MHz) are the defaults.
void TestMainWindow::firstRunCreatesConfiguration()
{
    Document state;
    state.setConfigPath(configPath());
    {
        TForm1 window(state);
        QVERIFY(QFile::exists(configPath()));
        QCOMPARE(state.program().activeBandLow, 400000000u);
        QCOMPARE(state.program().activeBandHigh, 490000000u);
        QCOMPARE(shownTitle(&window), mainText(1, 0));
        QVERIFY(findAction(&window, "MenuLanguage_Chs")->isChecked());
        window.closeWithoutPrompt();
    }
    const QByteArray text = readFile(configPath());
    QVERIFY2(text.startsWith("[config]\nPort=1\nLanguage=1\nAutoSeachPort=1\n"), text.constData());
    QVERIFY(text.contains("\nChSG_Col0=30\nChSG_Col1=64\n"));
    QVERIFY(text.contains("\nband-2 min=400000000\nband-2 max=490000000\n"));
    QVERIFY(text.contains("\nband Selete=1\n"));
}

// Band limits edited by hand are used and survive the run; comments and
// unknown lines stay; what the run changed is written.
void TestMainWindow::editedConfigurationSurvivesRun()
{
    const QByteArray edited = "; my radios\n"
                              "[config]\nPort=1\nLanguage=1\nAutoSeachPort=1\n"
                              "[Band]\nband-2 min=144000000\nband-2 max=148000000\n"
                              "band Selete=1\nmy note=keep me\n";
    QVERIFY(writeFile(configPath(), edited));
    Document state;
    state.setConfigPath(configPath());
    {
        TForm1 window(state);
        QCOMPARE(state.program().activeBandLow, 144000000u);
        QCOMPARE(state.program().activeBandHigh, 148000000u);
        findAction(&window, "MenuLanguage_En")->trigger();
        QVERIFY(!findAction(&window, "MenuEdit_VerifyReads")->isChecked());
        findAction(&window, "MenuEdit_VerifyReads")->trigger();
        window.closeWithoutPrompt();
    }
    const QByteArray text = readFile(configPath());
    QVERIFY(text.startsWith("; my radios\n[config]\nPort=1\nLanguage=0\n"));
    QVERIFY(text.endsWith("\n[t880]\nVerifyReads=1\n"));
    // The check mark comes back with the next run.
    Document next;
    next.setConfigPath(configPath());
    TForm1 again(next);
    QVERIFY(findAction(&again, "MenuEdit_VerifyReads")->isChecked());
    again.closeWithoutPrompt();
    // ... and the second run's file still holds what the user wrote.
    const QByteArray second = readFile(configPath());
    QVERIFY(second.startsWith("; my radios\n[config]\nPort=1\nLanguage=0\n"));
    QVERIFY(second.contains("band-2 min=144000000\nband-2 max=148000000\n"));
    QVERIFY(second.contains("my note=keep me\n"));
    QVERIFY(second.endsWith("\n[t880]\nVerifyReads=1\n"));
}

void TestMainWindow::bandSelection_data()
{
    QTest::addColumn<QByteArray>("band");
    QTest::addColumn<quint32>("low");
    QTest::addColumn<quint32>("high");
    QTest::addColumn<QByteArray>("written");
    QTest::newRow("band 5 selected") << QByteArray("band Selete=4\n") << 450000000u << 520000000u
                                     << QByteArray("band Selete=4\n");
    QTest::newRow("outside 0..5 takes band 1") << QByteArray("band Selete=9\n") << 136000000u
                                               << 174000000u << QByteArray("band Selete=0\n");
    // Band 2 equal to band 1: the lower-numbered band is the one found.
    QTest::newRow("two equal bands")
        << QByteArray("band-2 min=136000000\nband-2 max=174000000\nband Selete=1\n") << 136000000u
        << 174000000u << QByteArray("band Selete=0\n");
}

void TestMainWindow::bandSelection()
{
    QFETCH(QByteArray, band);
    QFETCH(quint32, low);
    QFETCH(quint32, high);
    QFETCH(QByteArray, written);
    QVERIFY(writeFile(configPath(), "[config]\nLanguage=0\n[Band]\n" + band));
    Document state;
    state.setConfigPath(configPath());
    {
        TForm1 window(state);
        QCOMPARE(state.program().activeBandLow, low);
        QCOMPARE(state.program().activeBandHigh, high);
        window.closeWithoutPrompt();
    }
    QVERIFY2(readFile(configPath()).contains(written), readFile(configPath()).constData());
}

void TestMainWindow::closePrompt_data()
{
    QTest::addColumn<QString>("answer"); // button of the prompt
    QTest::addColumn<QString>("saveAs"); // typed into the save dialog; empty: cancelled
    QTest::addColumn<bool>("closes");
    QTest::addColumn<bool>("saved");
    QTest::newRow("Cancel keeps the window") << "CancelBtn" << QString() << false << false;
    QTest::newRow("No closes without saving") << "NoBtn" << QString() << true << false;
    QTest::newRow("Yes and a save") << "OKBtn"
                                    << "closing" << true << true;
    // "Yes" and a cancelled save dialog: the edits are not lost.
    QTest::newRow("Yes, save cancelled, window stays") << "OKBtn" << QString() << false << false;
}

void TestMainWindow::closePrompt()
{
    QFETCH(QString, answer);
    QFETCH(QString, saveAs);
    QFETCH(bool, closes);
    QFETCH(bool, saved);
    Document state;
    state.setConfigPath(configPath());
    TForm1 window(state);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QString prompt;
    auto seen = pressWhenShown(QStringLiteral("MyWarnDlg_3"), answer, &prompt);
    std::shared_ptr<ModalSeen> dialog;
    if (answer == QLatin1String("OKBtn")) {
        dialog = saveAs.isEmpty()
                     ? whenModal(QStringLiteral("SaveDialog"),
                                 [](QWidget *w) {
                                     QMetaObject::invokeMethod(w, "reject", Qt::QueuedConnection);
                                 })
                     : typeIntoFileDialog(QStringLiteral("SaveDialog"), path(saveAs));
    }
    window.close();
    QVERIFY(seen->seen);
    QCOMPARE(prompt, mainText(1, 197));
    if (dialog)
        QVERIFY(dialog->seen);
    QCOMPARE(window.isVisible(), !closes);
    QCOMPARE(QFile::exists(path(QStringLiteral("closing.Kzx"))), saved);
    if (saved)
        QVERIFY(readFile(path(QStringLiteral("closing.Kzx"))) ==
                state.program().codeplug.toByteArray());
    QFile::remove(path(QStringLiteral("closing.Kzx")));
    window.closeWithoutPrompt();
}

void TestMainWindow::newCommand()
{
    Document state;
    state.setConfigPath(configPath());
    TForm1 window(state);
    state.program().codeplug.setSetting(Setting::sql, 9);
    state.program().lastProgramDate = ProgramDate{2024, 3, 5, 14, 7};
    window.ApplyLanguage();
    auto *dateBox = window.findChild<QLabel *>(QStringLiteral("sLastWriteTime"));
    QCOMPARE(dateBox->text(), QStringLiteral("2024-3-5  14:7"));

    QString message;
    auto seen = pressWhenShown(QStringLiteral("MyWarnDlg_2"), "CancelBtn", &message);
    window.MenuFile_NewClick();
    QVERIFY(seen->seen);
    QCOMPARE(message, mainText(1, 155));
    QCOMPARE(state.program().codeplug.setting(Setting::sql), 9u);

    seen = pressWhenShown(QStringLiteral("MyWarnDlg_2"), "OKBtn");
    window.MenuFile_NewClick();
    QVERIFY(seen->seen);
    QCOMPARE(state.program().codeplug.setting(Setting::sql), 5u);
    QCOMPARE(dateBox->text(), QString());
    window.closeWithoutPrompt();
}

// A plan chosen in its dialog becomes the codeplug after the New prompt, as
// one step that Undo takes back; a plan outside the band in use is shown
// with the band that holds it, and cannot be chosen.
void TestMainWindow::newFromPlan()
{
    Document state;
    state.setConfigPath(configPath());
    TForm1 window(state);
    const CodeplugData before = state.program().codeplug;
    auto chooseFrs = whenModal(QStringLiteral("PlanDlg"), [](QWidget *w) {
        auto *list = w->findChild<QListWidget *>(QStringLiteral("lPlans"));
        QCOMPARE(list->count(), 4);
        list->setCurrentRow(1);
        QCOMPARE(w->findChild<QTableWidget *>(QStringLiteral("tPreview"))->item(14, 1)->text(),
                 QStringLiteral("462.55000"));
        QVERIFY(!w->findChild<QLabel *>(QStringLiteral("sBand"))->isVisibleTo(w));
        QMetaObject::invokeMethod(w->findChild<QWidget *>(QStringLiteral("OKBtn")), "click",
                                  Qt::QueuedConnection);
    });
    auto confirm = pressWhenShown(QStringLiteral("MyWarnDlg_2"), "OKBtn");
    window.findChild<QAction *>(QStringLiteral("MenuFile_NewPlan"))->trigger();
    QVERIFY(chooseFrs->seen && confirm->seen);
    QCOMPARE(state.program().codeplug.channel(8).rxFreq(), 467562500u);
    QCOMPARE(state.program().codeplug.channel(8).name(), QByteArray("FRS8"));
    window.findChild<QAction *>(QStringLiteral("MenuEdit_Undo"))->trigger();
    QVERIFY(state.program().codeplug == before);

    // Band 5 (450-520 MHz) does not hold PMR446; band 2 does.
    state.program().activeBandLow = 450000000;
    state.program().activeBandHigh = 520000000;
    QString note;
    auto outside = whenModal(QStringLiteral("PlanDlg"), [&note](QWidget *w) {
        w->findChild<QListWidget *>(QStringLiteral("lPlans"))->setCurrentRow(0);
        note = w->findChild<QLabel *>(QStringLiteral("sBand"))->text();
        QVERIFY(!w->findChild<QWidget *>(QStringLiteral("OKBtn"))->isEnabled());
        QMetaObject::invokeMethod(w, "reject", Qt::QueuedConnection);
    });
    window.MenuFile_NewPlanClick();
    QVERIFY(outside->seen);
    QCOMPARE(note, mainText(1, 608)
                       .arg(QStringLiteral("446.00625-446.19375 MHz"),
                            QStringLiteral("450.00000-520.00000 MHz"))
                       .arg(2)
                       .arg(QStringLiteral("400.00000-490.00000 MHz"))
                       .arg(1));
    QVERIFY(state.program().codeplug == before);
    window.closeWithoutPrompt();
}

// Enter presses the default button, Escape cancels: Ok in the New prompt,
// Cancel in the close prompt.
void TestMainWindow::keyboardAnswers()
{
    Document state;
    state.setConfigPath(configPath());
    TForm1 window(state);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    state.program().codeplug.setSetting(Setting::sql, 9);
    auto seen = keyWhenShown(QStringLiteral("MyWarnDlg_2"), Qt::Key_Escape);
    window.MenuFile_NewClick();
    QVERIFY(seen->seen);
    QCOMPARE(state.program().codeplug.setting(Setting::sql), 9u);
    seen = keyWhenShown(QStringLiteral("MyWarnDlg_2"), Qt::Key_Return);
    window.MenuFile_NewClick();
    QVERIFY(seen->seen);
    QCOMPARE(state.program().codeplug.setting(Setting::sql), 5u);

    seen = keyWhenShown(QStringLiteral("MyWarnDlg_3"), Qt::Key_Escape);
    window.close();
    QVERIFY(seen->seen);
    QVERIFY(window.isVisible());
    seen = keyWhenShown(QStringLiteral("AboutDlg"), Qt::Key_Return);
    window.MenuAboutClick();
    QVERIFY(seen->seen);
    window.closeWithoutPrompt();
}

void TestMainWindow::openCommand_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("fifo");
    QTest::addColumn<int>("reasonText"); // -1: opens
    CodeplugData other;
    other.applyNewDefaults();
    other.setSetting(Setting::tot, 60);
    QTest::newRow("a good file") << other.toByteArray() << false << -1;
    QTest::newRow("a file of 3000 bytes")
        << other.toByteArray() + QByteArray(3000 - CodeplugData::Size, '\x7F') << false << -1;
    QTest::newRow("an empty file") << QByteArray() << false << 271;
    QTest::newRow("a short file") << QByteArray(100, '\x11') << false << 271;
    QTest::newRow("a pipe") << QByteArray() << true << 272;
}

// A file that cannot be loaded is reported with its name and the reason; the
// model stays as it was.
void TestMainWindow::openCommand()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, fifo);
    QFETCH(int, reasonText);
    const QString file =
        path(QStringLiteral("open-%1.Kzx").arg(QTest::currentDataTag()).replace(u' ', u'-'));
    QFile::remove(file);
    if (fifo)
        QCOMPARE(::mkfifo(QFile::encodeName(file).constData(), 0600), 0);
    else
        QVERIFY(writeFile(file, content));

    Document state;
    state.setConfigPath(configPath());
    TForm1 window(state);
    const QByteArray before = state.program().codeplug.toByteArray();
    auto dialog = typeIntoFileDialog(QStringLiteral("OpenDialog"), file);
    QString message;
    auto warned = pressWhenShown(QStringLiteral("UserWarnDlg"), "OKBtn", &message);
    window.MenuFile_OpenClick();
    QVERIFY(dialog->seen);
    if (reasonText < 0) {
        QVERIFY(!warned->seen);
        QVERIFY(state.program().codeplug.toByteArray() == content.left(CodeplugData::Size));
    } else {
        QVERIFY(warned->seen);
        QVERIFY2(message.contains(file), qPrintable(message));
        QVERIFY2(message.contains(mainText(1, 269)), qPrintable(message));
        QVERIFY2(message.contains(mainText(1, reasonText)), qPrintable(message));
        QVERIFY(state.program().codeplug.toByteArray() == before);
    }
    window.closeWithoutPrompt();
}

// A name typed without extension gets .Kzx; the file holds the model.
void TestMainWindow::saveCommand()
{
    Document state;
    state.setConfigPath(configPath());
    TForm1 window(state);
    state.program().codeplug.setSetting(Setting::toa, 7);
    auto dialog = typeIntoFileDialog(QStringLiteral("SaveDialog"), path(QStringLiteral("saved")));
    QVERIFY(window.MenuFile_SaveClick());
    QVERIFY(dialog->seen);
    const QByteArray written = readFile(path(QStringLiteral("saved.Kzx")));
    QCOMPARE(written.size(), CodeplugData::Size);
    QVERIFY(written == state.program().codeplug.toByteArray());
    QCOMPARE(std::uint8_t(written[0xAD5]), std::uint8_t(7));
    window.closeWithoutPrompt();
}

// A file dialog starts in the user's documents folder the first time, then
// where a file of its kind was last chosen, after a restart too; each kind of
// file keeps a folder of its own. Save As starts beside the window's file.
void TestMainWindow::fileDialogsRememberTheirFolder()
{
    const QString home = path(QStringLiteral("home"));
    const QString radios = path(QStringLiteral("radios"));
    QVERIFY(QDir().mkpath(home + QStringLiteral("/Papers")) &&
            QDir().mkpath(home + QStringLiteral("/.config")) && QDir().mkpath(radios));
    QVERIFY(writeFile(home + QStringLiteral("/.config/user-dirs.dirs"),
                      "XDG_DOCUMENTS_DIR=\"$HOME/Papers\"\n"));
    const ScopedEnv homeEnv("HOME", home);
    const ScopedEnv configEnv("XDG_CONFIG_HOME", home + QStringLiteral("/.config"));
    const QString papers = QDir(home + QStringLiteral("/Papers")).canonicalPath();
    CodeplugData codeplug;
    codeplug.applyNewDefaults();
    QVERIFY(writeFile(radios + QStringLiteral("/hills.Kzx"), codeplug.toByteArray()));

    {
        Document state;
        state.setConfigPath(configPath());
        TForm1 window(state);
        const auto opened =
            folderOf(QStringLiteral("OpenDialog"), radios + QStringLiteral("/hills.Kzx"));
        window.MenuFile_OpenClick();
        QCOMPARE(*opened, papers);
        const auto exported = folderOf(QStringLiteral("ExportCsvDialog"));
        window.MenuFile_ExportCsvClick();
        QCOMPARE(*exported, papers);
        window.closeWithoutPrompt();
    }
    Document state;
    state.setConfigPath(configPath());
    TForm1 window(state);
    const auto opened = folderOf(QStringLiteral("OpenDialog"));
    window.MenuFile_OpenClick();
    QCOMPARE(*opened, QDir(radios).canonicalPath());
    const QString valley = home + QStringLiteral("/Papers/valley.Kzx");
    QVERIFY(writeFile(valley, codeplug.toByteArray()) && window.openCodeplug(valley));
    state.config().folders[std::size_t(FileKind::Codeplug)] = radios;
    const auto savedAs = folderOf(QStringLiteral("SaveDialog"));
    window.MenuFile_SaveAsClick();
    QCOMPARE(*savedAs, papers);
    window.closeWithoutPrompt();
}

// Ports 1 and 3 present, port 5 stored, search off: port 1 is taken and only
// the present ports can be chosen.
void TestMainWindow::portDialog()
{
    PresentPort one;
    PresentPort three;
    QVERIFY(!one.path().isEmpty() && !three.path().isEmpty());
    link::PortMap map;
    map.bind(1, one.path());
    map.bind(3, three.path());
    map.bind(5, path(QStringLiteral("gone")));
    Document state;
    state.config().port = 5;
    state.config().autoSearchPort = false;
    TCommunicationPort dialog(state, map, nullptr);
    QCOMPARE(state.config().port, 1);
    for (int n = 1; n <= 9; ++n) {
        auto *rb = dialog.findChild<QRadioButton *>(QStringLiteral("rbCOM%1").arg(n));
        QVERIFY(rb);
        QCOMPARE(rb->isEnabled(), n == 1 || n == 3);
        QCOMPARE(rb->isChecked(), n == 1);
    }
    QVERIFY(dialog.findChild<QRadioButton *>(QStringLiteral("rbCOM1"))
                ->text()
                .contains(QFileInfo(one.path()).fileName()));
    dialog.show();
    saveShot(&dialog, QStringLiteral("CommunicationPort"));
    dialog.findChild<QRadioButton *>(QStringLiteral("rbCOM3"))->click();
    dialog.findChild<QPushButton *>(QStringLiteral("OKBtn"))->click();
    QCOMPARE(state.config().port, 3);
}

// The search switch takes effect at once, also when the dialog is cancelled.
void TestMainWindow::portDialogSearchSwitch()
{
    PresentPort two;
    link::PortMap map;
    map.bind(2, two.path());
    Document state;
    state.config().port = 2;
    state.config().autoSearchPort = true;
    TCommunicationPort dialog(state, map, nullptr);
    const auto button = [&dialog](int n) {
        return dialog.findChild<QRadioButton *>(QStringLiteral("rbCOM%1").arg(n));
    };
    for (int n = 1; n <= 9; ++n)
        QVERIFY(!button(n)->isEnabled());
    QVERIFY(button(2)->isChecked());
    dialog.findChild<QCheckBox *>(QStringLiteral("cAutoSeachPort"))->click();
    QVERIFY(!state.config().autoSearchPort);
    for (int n = 1; n <= 9; ++n)
        QCOMPARE(button(n)->isEnabled(), n == 2);
    dialog.findChild<QPushButton *>(QStringLiteral("CancelBtn"))->click();
    QVERIFY(!state.config().autoSearchPort);
    QCOMPARE(state.config().port, 2);
}

void TestMainWindow::languageSwitch_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("portTitle"); // the menu item's words, no accelerator
    QTest::newRow("English") << "MenuLanguage_En" << 0 << "Communication Port";
    QTest::newRow("Traditional") << "MenuLanguage_Cht" << 2 << QString::fromUtf8("通訊埠");
    QTest::newRow("Simplified") << "MenuLanguage_Chs" << 1 << QString::fromUtf8("通讯口");
}

// Every menu, item and page caption takes the new language's text.
void TestMainWindow::languageSwitch()
{
    QFETCH(QString, item);
    QFETCH(int, language);
    Document state;
    state.setConfigPath(configPath());
    TForm1 window(state);
    findAction(&window, item.toLatin1().constData())->trigger();
    QCOMPARE(state.config().language, language);
    const std::pair<const char *, int> actions[] = {{"MenuFile_New", 2},
                                                    {"MenuFile_Open", 3},
                                                    {"MenuFile_Save", 4},
                                                    {"MenuFile_SaveAs", 605},
                                                    {"MenuFile_Exit", 5},
                                                    {"MenuEdit_Read", 7},
                                                    {"MenuEdit_Write", 8},
                                                    {"MenuPort", 9},
                                                    {"MenuLanguage_Chs", 11},
                                                    {"MenuLanguage_Cht", 12},
                                                    {"MenuLanguage_En", 13},
                                                    {"MenuAbout", 166},
                                                    {"MenuAdjustment", 167},
                                                    {"MenuEdit_Password", 231},
                                                    {"MenuEdit_SetRadioNewPD", 257},
                                                    {"MenuEdit_VerifyReads", 268}};
    for (const auto &[name, n] : actions)
        QCOMPARE(findAction(&window, name)->text(), mainText(language, n));
    const std::pair<const char *, int> menus[] = {
        {"MenuFile", 1}, {"MenuEdit", 6}, {"MenuLanguage", 10}, {"MenuHelp", 14}};
    for (const auto &[name, n] : menus)
        QCOMPARE(window.findChild<QMenu *>(QLatin1String(name))->title(), mainText(language, n));
    auto *pages = window.findChild<QTabWidget *>(QStringLiteral("PageControl1"));
    QCOMPARE(pages->tabText(0), mainText(language, 25));
    QCOMPARE(pages->tabText(1), mainText(language, 35));
    QCOMPARE(pages->tabText(2), mainText(language, 174));
    QCOMPARE(window.findChild<QLabel *>(QStringLiteral("sLastWrite"))->text(),
             mainText(language, 212));
    QCOMPARE(findAction(&window, "MenuFile_New")->toolTip(), mainText(language, 244));
    QCOMPARE(shownTitle(&window), mainText(language, 0));
    for (const char *name : {"MenuLanguage_En", "MenuLanguage_Chs", "MenuLanguage_Cht"})
        QCOMPARE(findAction(&window, name)->isChecked(), QLatin1String(name) == item);
    QFETCH(QString, portTitle);
    QCOMPARE(TCommunicationPort(state, link::PortMap(), &window).windowTitle(), portTitle);
    window.closeWithoutPrompt();
}

void TestMainWindow::aboutBox()
{
    Document state;
    state.setConfigPath(configPath());
    TForm1 window(state);
    window.setLanguage(text::Language::English);
    QStringList texts;
    auto seen = whenModal(QStringLiteral("AboutDlg"), [&texts](QWidget *w) {
        for (const char *name : {"sName", "sVersion", "sMakerCaption", "sMaker"})
            texts << w->findChild<QLabel *>(QLatin1String(name))->text();
        texts << w->windowTitle();
        w->findChild<QPushButton *>(QStringLiteral("OKBtn"))->click();
    });
    window.MenuAboutClick();
    QVERIFY(seen->seen);
    QCOMPARE(texts, (QStringList{"Talvern T-880 Radio Programming Software", "Version: V1.0.0",
                                 "Manufacturer:", "Talvern Communications", "About"}));
    window.closeWithoutPrompt();
}

void TestMainWindow::manualTexts_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("folder");
    QTest::newRow("English") << 0 << "en";
    QTest::newRow("Simplified Chinese") << 1 << "chs";
    QTest::newRow("Traditional Chinese") << 2 << "cht";
}

// Every language has every section the dialogs open, every picture it
// shows, and a contents list that reaches every heading.
void TestMainWindow::manualTexts()
{
    QFETCH(int, language);
    QFETCH(QString, folder);
    QFile file(QStringLiteral(":/manual/%1/manual.html").arg(folder));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(file.readAll());
    QStringList ids;
    static const QRegularExpression heading(QStringLiteral("<h[23] id=\"([^\"]+)\">"));
    for (auto it = heading.globalMatch(html); it.hasNext();)
        ids << it.next().captured(1);
    for (const char *section : {"getting-started", "window",         "menus",     "channels",
                                "settings",        "keys",           "transfers", "program-dialog",
                                "port-dialog",     "password",       "backups",   "compare",
                                "journal",         "several-radios", "doctor",    "csv",
                                "import-report",   "batch-set",      "plans",     "calibration",
                                "shortcuts"})
        QVERIFY2(ids.contains(QLatin1String(section)), section);
    static const QRegularExpression image(QStringLiteral("<img src=\"([^\"]+)\""));
    for (auto it = image.globalMatch(html); it.hasNext();) {
        const QString src = it.next().captured(1);
        QVERIFY2(QFile::exists(QStringLiteral(":/manual/%1/%2").arg(folder, src)), qPrintable(src));
    }

    Document state;
    state.setConfigPath(configPath());
    TForm1 window(state);
    window.setLanguage(text::Language(language));
    window.findChild<QAction *>(QStringLiteral("MenuHelp_Manual"))->trigger();
    auto *manual = window.findChild<ManualWindow *>(QStringLiteral("ManualWindow"));
    QVERIFY(manual && manual->isVisible());
    QCOMPARE(manual->windowTitle(),
             mainText(language, 611).remove(u'&').remove(QStringLiteral("(M)")));
    QStringList listed;
    for (QTreeWidgetItemIterator it(manual->tContents); *it; ++it)
        listed << (*it)->data(0, Qt::UserRole).toString();
    QCOMPARE(listed, ids);
    // The grid's page is shown: F1 opens its section.
    QCOMPARE(manual->tContents->currentItem()->data(0, Qt::UserRole).toString(),
             QStringLiteral("channels"));
    saveShot(manual, QStringLiteral("ManualWindow-") + folder);
    // Back goes to the section shown before.
    manual->showSection(QStringLiteral("backups"));
    manual->tContents->itemClicked(manual->tContents->topLevelItem(0), 0);
    QVERIFY(manual->bBack->isEnabled());
    manual->bBack->click();
    QCOMPARE(manual->tManual->source().fragment(), QStringLiteral("backups"));
    manual->eSearch->setText(QStringLiteral("446"));
    QTest::keyClick(manual->eSearch, Qt::Key_Return);
    QVERIFY(manual->tManual->textCursor().hasSelection());
    manual->close();
    window.closeWithoutPrompt();
}

void TestMainWindow::manualFromEveryDialog_data()
{
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("section");
    QTest::newRow("port") << "CommunicationPort"
                          << "MenuPort"
                          << "port-dialog";
    QTest::newRow("backups") << "BackupsDlg"
                             << "MenuFile_Backups"
                             << "backups";
    QTest::newRow("channel plans") << "PlanDlg"
                                   << "MenuFile_NewPlan"
                                   << "plans";
    QTest::newRow("several radios") << "GangWriteDlg"
                                    << "MenuEdit_WriteSeveral"
                                    << "several-radios";
    QTest::newRow("programming") << "ProgramDialog"
                                 << "MenuEdit_Read"
                                 << "program-dialog";
    QTest::newRow("password") << "SetPasswordDlg"
                              << "MenuEdit_Password"
                              << "password";
    QTest::newRow("production record") << "ProductionDlg"
                                       << "MenuFile_Production"
                                       << "journal";
}

// F1 in a dialog opens the manual at that dialog's section, over the
// dialog; the dialog itself stays open until it is answered.
void TestMainWindow::manualFromEveryDialog()
{
    QFETCH(QString, dialog);
    QFETCH(QString, action);
    QFETCH(QString, section);
    Document state;
    state.setConfigPath(configPath());
    TForm1 window(state);
    window.setLanguage(text::Language::English);
    QString shown;
    bool stillOpen = false;
    auto seen = whenModal(dialog, [&](QWidget *w) {
        QTest::keyClick(w->focusWidget() ? w->focusWidget() : w, Qt::Key_F1);
        auto *manual = w->findChild<ManualWindow *>(QStringLiteral("ManualWindow"));
        if (manual && manual->tContents->currentItem())
            shown = manual->tContents->currentItem()->data(0, Qt::UserRole).toString();
        stillOpen = w->isVisible();
        QMetaObject::invokeMethod(w, "reject", Qt::QueuedConnection);
    });
    window.findChild<QAction *>(action)->trigger();
    QVERIFY(seen->seen);
    QVERIFY(stillOpen);
    QCOMPARE(shown, section);
    QCOMPARE(ManualWindow::sectionFor(dialog), section);
    window.closeWithoutPrompt();
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
