// What the window says it holds, and the recovery copy: the title's name and
// change mark through opens, edits, saves and New; the copy that a change
// leaves, that a save removes, and that a run killed mid-edit leaves for the
// next one, which offers it.
#include "guitest.h"
#include "testsupport.h"

#include "ui/config/recoverystore.h"
#include "ui/document.h"
#include "ui/documenttracker.h"
#include "ui/tform1.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QProcess>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

using namespace t880;
using namespace t880::testing;

namespace {

constexpr int SqlAt = 0xABF;

QByteArray codeplugWithSql(int sql)
{
    CodeplugData c;
    c.applyNewDefaults();
    QByteArray bytes = c.toByteArray();
    bytes[SqlAt] = char(sql);
    return bytes;
}

// Picks squelch level \a level on the options page and leaves the list, as a
// user does.
void pickSquelch(TForm1 &window, int level)
{
    if (!window.isVisible())
        window.show();
    if (!window.isActiveWindow()) {
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
    }
    window.findChild<QTabWidget *>(QStringLiteral("PageControl1"))
        ->setCurrentWidget(window.findChild<QWidget *>(QStringLiteral("TabSheet_Option")));
    auto *box = window.findChild<QComboBox *>(QStringLiteral("cbSQL"));
    box->setFocus();
    QTRY_VERIFY(box->hasFocus());
    box->setCurrentIndex(level);
    window.findChild<QWidget *>(QStringLiteral("bHide"))->setFocus();
    QTRY_VERIFY(!box->hasFocus());
}

QStringList copiesIn(const QString &folder)
{
    return QDir(folder).entryList({QStringLiteral("*.Kzx")}, QDir::Files);
}

// The child's part of killedRunIsOffered: a window that opens \a file,
// changes the squelch level to 7 and is killed once its recovery copy is in
// \a folder.
int runAndGetKilled(const QString &folder, const QString &file, const QString &config)
{
    Document state;
    state.setConfigPath(config);
    TForm1 window(state);
    window.enableRecovery(folder);
    window.show();
    if (!window.openCodeplug(file))
        return 3;
    pickSquelch(window, 7);
    QElapsedTimer clock;
    clock.start();
    while (copiesIn(folder).isEmpty() && clock.elapsed() < 20000)
        QTest::qWait(50);
    std::raise(SIGKILL);
    return 4; // not reached
}

} // namespace

class TestDocument : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QString configPath() const { return path(QStringLiteral("_config.ini")); }
    QString recoveryFolder() const { return path(QStringLiteral("recovery")); }

private slots:
    void init();

    void titleFollowsTheModel();
    void titleAfterRadioRead();
    void copyKeptWhileChanged();
    void killedRunIsOffered_data();
    void killedRunIsOffered();
    void runningWindowsCopyIsNotOffered();
};

void TestDocument::init()
{
    QVERIFY(writeFile(configPath(), "[config]\nPort=1\nLanguage=0\nAutoSeachPort=1\n"));
    QDir(recoveryFolder()).removeRecursively();
}

// The file's name and the mark: an edit marks, undoing it by hand unmarks,
// Save As, Save and New clear it. Save As asks and takes the new file as the
// window's; Save then keeps to it without asking.
void TestDocument::titleFollowsTheModel()
{
    Document state;
    state.setConfigPath(configPath());
    TForm1 window(state);
    const QString program = mainText(0, 0);
    QCOMPARE(shownTitle(&window), program);

    const QString file = path(QStringLiteral("hills.Kzx"));
    QVERIFY(writeFile(file, codeplugWithSql(2)));
    QVERIFY(window.openCodeplug(file));
    QCOMPARE(shownTitle(&window), QStringLiteral("hills.Kzx - ") + program);
    QVERIFY(!window.isModelModified());

    pickSquelch(window, 8);
    QCOMPARE(shownTitle(&window), QStringLiteral("hills.Kzx* - ") + program);
    QVERIFY(window.isModelModified());
    pickSquelch(window, 2);
    QCOMPARE(shownTitle(&window), QStringLiteral("hills.Kzx - ") + program);

    pickSquelch(window, 9);
    const QString saved = path(QStringLiteral("valley.Kzx"));
    auto dialog = whenModal(QStringLiteral("SaveDialog"), [saved](QWidget *w) {
        // Save As offers the current file's name.
        QVERIFY(qobject_cast<QFileDialog *>(w)->selectedFiles().value(0).endsWith(
            QStringLiteral("hills.Kzx")));
        qobject_cast<QFileDialog *>(w)->selectFile(saved);
        QMetaObject::invokeMethod(w, "accept", Qt::QueuedConnection);
    });
    QTest::keyClick(&window, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(dialog->seen);
    QCOMPARE(shownTitle(&window), QStringLiteral("valley.Kzx - ") + program);
    QCOMPARE(readFile(saved).at(SqlAt), char(9));

    pickSquelch(window, 4);
    auto asked = whenModal(
        QStringLiteral("SaveDialog"), [](QWidget *w) { w->close(); }, 500);
    QTest::keyClick(&window, Qt::Key_S, Qt::ControlModifier);
    QVERIFY(!asked->seen);
    QCOMPARE(readFile(saved).at(SqlAt), char(4));
    QCOMPARE(readFile(file).at(SqlAt), char(2));
    QCOMPARE(shownTitle(&window), QStringLiteral("valley.Kzx - ") + program);

    pickSquelch(window, 1);
    auto prompt = pressWhenShown(QStringLiteral("MyWarnDlg_2"), "OKBtn");
    window.MenuFile_NewClick();
    QVERIFY(prompt->seen);
    QCOMPARE(shownTitle(&window), program);
    QVERIFY(!window.isModelModified());
    window.closeWithoutPrompt();
}

// After a read the title names the radio's port and the time of the read,
// in the user's language.
void TestDocument::titleAfterRadioRead()
{
    CodeplugData codeplug;
    DocumentTracker tracker(codeplug);
    const QDateTime when(QDate(2026, 12, 8), QTime(14, 5));
    tracker.setReadFromRadio(QStringLiteral("COM3"), when);
    const QString name = tracker.documentName(mainText(2, 281));
    QVERIFY2(name.startsWith(QStringLiteral("無線電（COM3）")), qPrintable(name));
    // The time as the window writes it in every language, whatever the
    // system's locale.
    QVERIFY2(name.contains(QStringLiteral("14:05")), qPrintable(name));
    QVERIFY(!tracker.isModified());
    QVERIFY(tracker.currentFile().isEmpty());
}

// A change is copied aside a few seconds later; a save removes the copy, and
// so does the normal end of the run.
void TestDocument::copyKeptWhileChanged()
{
    Document state;
    state.setConfigPath(configPath());
    auto *window = new TForm1(state);
    window->enableRecovery(recoveryFolder());
    pickSquelch(*window, 3);
    QTRY_COMPARE_WITH_TIMEOUT(copiesIn(recoveryFolder()).size(), 1,
                              DocumentTracker::RecoveryDelayMs + 5000);
    const QString copy = QDir(recoveryFolder()).filePath(copiesIn(recoveryFolder()).first());
    QCOMPARE(readFile(copy), state.program().codeplug.toByteArray());
    QCOMPARE(readFile(copy).at(SqlAt), char(3));

    QVERIFY(window->saveCodeplug(path(QStringLiteral("kept.Kzx"))));
    QVERIFY(copiesIn(recoveryFolder()).isEmpty());

    pickSquelch(*window, 4);
    QTRY_COMPARE_WITH_TIMEOUT(copiesIn(recoveryFolder()).size(), 1,
                              DocumentTracker::RecoveryDelayMs + 5000);
    window->closeWithoutPrompt();
    delete window;
    QVERIFY(copiesIn(recoveryFolder()).isEmpty());
    QVERIFY(QDir(recoveryFolder()).entryList(QDir::Files).isEmpty()); // the lock went too
}

void TestDocument::killedRunIsOffered_data()
{
    QTest::addColumn<bool>("accept");
    QTest::newRow("restored") << true;
    QTest::newRow("declined") << false;
}

// A window killed after an edit leaves its copy; the next window offers it,
// and takes it as a model with changes, or throws it away.
void TestDocument::killedRunIsOffered()
{
    QFETCH(bool, accept);
    const QString file = path(QStringLiteral("before.Kzx"));
    QVERIFY(writeFile(file, codeplugWithSql(2)));
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--killed-run"), recoveryFolder(), file, configPath()});
    QVERIFY(child.waitForFinished(60000));
    QCOMPARE(child.exitStatus(), QProcess::CrashExit);
    QCOMPARE(copiesIn(recoveryFolder()).size(), 1);

    Document state;
    state.setConfigPath(configPath());
    TForm1 window(state);
    window.enableRecovery(recoveryFolder());
    QString question;
    auto prompt =
        pressWhenShown(QStringLiteral("RecoveryPrompt"),
                       accept ? QStringLiteral("OKBtn") : QStringLiteral("CancelBtn"), &question);
    window.offerRecovery();
    QVERIFY(prompt->seen);
    QVERIFY(question.startsWith(mainText(0, 282).left(30)));
    QVERIFY(copiesIn(recoveryFolder()).isEmpty());
    if (accept) {
        QCOMPARE(state.program().codeplug.toByteArray(), codeplugWithSql(7));
        QVERIFY(window.isModelModified());
        QCOMPARE(window.findChild<QComboBox *>(QStringLiteral("cbSQL"))->currentText(),
                 QStringLiteral("7"));
    } else {
        QCOMPARE(state.program().codeplug.setting(Setting::sql), 5u); // still New
        QVERIFY(!window.isModelModified());
    }
    // Offered once only.
    QVERIFY(RecoveryStore(recoveryFolder()).orphans().empty());
    window.closeWithoutPrompt();
}

// Two windows at once: the copy of one that still runs is not the other's.
void TestDocument::runningWindowsCopyIsNotOffered()
{
    Document first;
    first.setConfigPath(configPath());
    TForm1 one(first);
    one.enableRecovery(recoveryFolder());
    pickSquelch(one, 6);
    QTRY_COMPARE_WITH_TIMEOUT(copiesIn(recoveryFolder()).size(), 1,
                              DocumentTracker::RecoveryDelayMs + 5000);

    RecoveryStore other(recoveryFolder());
    QVERIFY(other.begin());
    QVERIFY(other.orphans().empty());
    one.closeWithoutPrompt();
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc == 5 && qstrcmp(argv[1], "--killed-run") == 0)
        return runAndGetKilled(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]),
                               QString::fromLocal8Bit(argv[4]));
    TestDocument test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_document.moc"
