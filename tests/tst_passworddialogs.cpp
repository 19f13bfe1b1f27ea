// The password dialogs and the factory access prompt, reached from the main
// window's menus and answered through their real widgets; and end to end, a
// password written into the virtual radio on a pseudo-terminal, then reads
// with the old and the new password.
#include "guitest.h"
#include "radioprocess.h"
#include "testsupport.h"

#include "ui/document.h"
#include "ui/tform1.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
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

QString programText(int n)
{
    text::TAppLang lang(0x0409);
    lang.applyLanguageSetting(0);
    return lang.text(text::TextTable::Program, n);
}

void typeInto(QWidget *dialog, const char *field, const QString &keys)
{
    auto *e = dialog->findChild<QLineEdit *>(QLatin1String(field));
    e->setFocus();
    // One key event per character, as a keyboard (or an input method for
    // Chinese) delivers it.
    for (QChar c : keys) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(e, &press);
        QApplication::sendEvent(e, &release);
    }
}

void clickLater(QWidget *dialog, const char *button)
{
    if (auto *b = dialog->findChild<QPushButton *>(QLatin1String(button)))
        QMetaObject::invokeMethod(b, "click", Qt::QueuedConnection);
}

QByteArray passwordOf(const Document &state, TextField f)
{
    return state.program().codeplug.text(f);
}

} // namespace

class TestPasswordDialogs : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }

    void configure(Document &state)
    {
        state.setConfigPath(path(QStringLiteral("_config.ini")));
        writeFile(state.configPath(),
                  QStringLiteral("[config]\nPort=1\nLanguage=0\nAutoSeachPort=0\n"
                                 "[ports]\nCOM1=%1\n")
                      .arg(path(QStringLiteral("radio")))
                      .toUtf8());
    }

    QAction *menu(TForm1 &window, const char *name)
    {
        return window.findChild<QAction *>(QLatin1String(name));
    }

    // Reads from the radio with the window's current password; the message.
    QString readMessage(TForm1 &window)
    {
        QString message;
        auto start = pressWhenShown(QStringLiteral("ProgramDialog"), "ProgramStart");
        auto result = pressWhenShown(QStringLiteral("UserWarnDlg"), "OKBtn", &message);
        window.MenuEdit_ReadClick();
        return start->seen && result->seen ? message : QStringLiteral("(no message)");
    }

    // Sets the password the user claims through the Password dialog.
    void claimPassword(TForm1 &window, const QString &password)
    {
        auto seen = whenModal(QStringLiteral("SetPasswordDlg"), [password](QWidget *w) {
            typeInto(w, "eInput", password);
            clickLater(w, "OKBtn");
        });
        menu(window, "MenuEdit_Password")->trigger();
    }

    // Writes \a password into the radio with the new-password dialog's Write;
    // the transfer's message, and whether the dialog stayed open.
    QString writePassword(TForm1 &window, const QString &password, bool *stayedOpen)
    {
        QString message;
        auto start = pressWhenShown(QStringLiteral("ProgramDialog"), "ProgramStart");
        auto result = pressWhenShown(QStringLiteral("UserWarnDlg"), "OKBtn", &message);
        auto seen = whenModal(QStringLiteral("NewPasswordDlg"), [=](QWidget *w) {
            typeInto(w, "eInput", password);
            typeInto(w, "eSureInput", password);
            QTimer::singleShot(0, w, [w, stayedOpen] {
                w->findChild<QPushButton *>(QStringLiteral("bWrite"))->click();
                *stayedOpen = w->isVisible();
                w->findChild<QPushButton *>(QStringLiteral("CancelBtn"))->click();
            });
        });
        menu(window, "MenuEdit_SetRadioNewPD")->trigger();
        return seen->seen && start->seen && result->seen ? message : QStringLiteral("(none)");
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void cleanup() { disarmModalWaits(); }
    void claimedPassword_data();
    void claimedPassword();
    void newPasswordOk_data();
    void newPasswordOk();
    void writeMismatchKeepsDialogOpen();
    void checkBoxStored_data();
    void checkBoxStored();
    void accessPrompt_data();
    void accessPrompt();
    void calibrationFileGiven_data();
    void calibrationFileGiven();
    void passwordWriteThenReads();
    void passwordWriteCutShort();
    void calibrationDialogWritesCodeplug();
    void codeplugWriteCarriesNewPassword();
};

void TestPasswordDialogs::claimedPassword_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QByteArray>("stored");
    QTest::newRow("ok") << "Secret7"
                        << "OKBtn" << QByteArray("Secret7");
    QTest::newRow("ok empty") << ""
                              << "OKBtn" << QByteArray();
    QTest::newRow("cancel") << "Secret7"
                            << "CancelBtn" << QByteArray("old");
    // The field keeps twelve characters, or six Chinese ones (GBK 密 C3 DC,
    // 码 C2 EB): what the radio's block holds, never a password cut short.
    QTest::newRow("thirteen typed") << "abcdefghijklm"
                                    << "OKBtn" << QByteArray("abcdefghijkl");
    QTest::newRow("seven chinese typed") << QString::fromUtf8("密码密码密码密") << "OKBtn"
                                         << QByteArray("\xC3\xDC\xC2\xEB\xC3\xDC\xC2\xEB"
                                                       "\xC3\xDC\xC2\xEB");
}

void TestPasswordDialogs::claimedPassword()
{
    QFETCH(QString, typed);
    QFETCH(QString, button);
    Document state;
    configure(state);
    TForm1 window(state);
    state.program().codeplug.setText(TextField::radioPassword, "old");
    QString title;
    auto seen = whenModal(QStringLiteral("SetPasswordDlg"), [&](QWidget *w) {
        title = w->windowTitle();
        auto *e = w->findChild<QLineEdit *>(QStringLiteral("eInput"));
        QVERIFY(e->text().isEmpty());
        QCOMPARE(e->echoMode(), QLineEdit::Password);
        QCOMPARE(e->font().pointSize(), 16);
        typeInto(w, "eInput", typed);
        clickLater(w, qPrintable(button));
    });
    menu(window, "MenuEdit_Password")->trigger();
    QVERIFY(seen->seen);
    QCOMPARE(title, mainText(232));
    QTEST(passwordOf(state, TextField::radioPassword), "stored");
    window.closeWithoutPrompt();
}

void TestPasswordDialogs::newPasswordOk_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("confirmation");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QByteArray>("stored");
    QTest::newRow("both empty") << ""
                                << ""
                                << "OK" << QByteArray();
    QTest::newRow("same") << "abc"
                          << "abc"
                          << "OK" << QByteArray("abc");
    QTest::newRow("letter case") << "abc"
                                 << "ABC" << mainText(237) << QByteArray("before");
    QTest::newRow("longer") << "abc"
                            << "abcd" << mainText(237) << QByteArray("before");
}

void TestPasswordDialogs::newPasswordOk()
{
    QFETCH(QString, entry);
    QFETCH(QString, confirmation);
    Document state;
    configure(state);
    TForm1 window(state);
    state.program().codeplug.setText(TextField::newRadioPassword, "before");
    QString message;
    QPointer<QWidget> dialog;
    auto warned = pressWhenShown(QStringLiteral("UserWarnDlg"), "OKBtn", &message);
    auto seen = whenModal(QStringLiteral("NewPasswordDlg"), [&](QWidget *w) {
        dialog = w;
        typeInto(w, "eInput", entry);
        typeInto(w, "eSureInput", confirmation);
        clickLater(w, "OKBtn");
    });
    menu(window, "MenuEdit_SetRadioNewPD")->trigger();
    QVERIFY(seen->seen);
    QVERIFY(warned->seen);
    QTEST(message, "message");
    QTEST(passwordOf(state, TextField::newRadioPassword), "stored");
    QVERIFY(!dialog || !dialog->isVisible()); // OK closes it either way
    window.closeWithoutPrompt();
}

void TestPasswordDialogs::writeMismatchKeepsDialogOpen()
{
    Document state;
    configure(state);
    TForm1 window(state);
    state.program().codeplug.setText(TextField::newRadioPassword, "before");
    QString message;
    bool openAfterWrite = false;
    auto warned = pressWhenShown(QStringLiteral("UserWarnDlg"), "OKBtn", &message);
    auto program = pressWhenShown(QStringLiteral("ProgramDialog"), "CancelBtn");
    auto seen = whenModal(QStringLiteral("NewPasswordDlg"), [&](QWidget *w) {
        typeInto(w, "eInput", QStringLiteral("abc"));
        typeInto(w, "eSureInput", QStringLiteral("ABC"));
        QTimer::singleShot(0, w, [w, &openAfterWrite] {
            w->findChild<QPushButton *>(QStringLiteral("bWrite"))->click();
            openAfterWrite = w->isVisible();
            w->findChild<QPushButton *>(QStringLiteral("CancelBtn"))->click();
        });
    });
    menu(window, "MenuEdit_SetRadioNewPD")->trigger();
    QVERIFY(seen->seen && warned->seen);
    QCOMPARE(message, mainText(237));
    QVERIFY(openAfterWrite);
    QVERIFY(!program->seen); // no transfer for a mismatch
    QCOMPARE(passwordOf(state, TextField::newRadioPassword), QByteArray("before"));
    window.closeWithoutPrompt();
}

void TestPasswordDialogs::checkBoxStored_data()
{
    QTest::addColumn<Qt::Key>("leaveBy");
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("stored");
    // Tab moves the focus on: stored, even if the dialog is then cancelled.
    QTest::newRow("tab, then cancel") << Qt::Key_Tab << "CancelBtn" << true;
    // Enter confirms from the check box itself, which never loses the focus.
    QTest::newRow("enter") << Qt::Key_Return << "" << true;
    // Escape cancels from the check box: nothing stored.
    QTest::newRow("escape") << Qt::Key_Escape << "" << false;
}

void TestPasswordDialogs::checkBoxStored()
{
    QFETCH(Qt::Key, leaveBy);
    QFETCH(QString, button);
    Document state;
    configure(state);
    TForm1 window(state);
    QVERIFY(state.program().codeplug.setting(Setting::writeNewPassword) == 0);
    auto warned = pressWhenShown(QStringLiteral("UserWarnDlg"), "OKBtn");
    auto seen = whenModal(QStringLiteral("NewPasswordDlg"), [&](QWidget *w) {
        auto *box = w->findChild<QCheckBox *>(QStringLiteral("cbWriteWithNewPD"));
        QVERIFY(!box->isChecked());
        // The focus moves only inside an active window; on a busy machine
        // the dialog may be shown before it is.
        QVERIFY(QTest::qWaitForWindowActive(w));
        box->setFocus();
        QTRY_VERIFY(box->hasFocus());
        QTest::keyClick(box, Qt::Key_Space);
        QTest::keyClick(box, leaveBy);
        if (!button.isEmpty())
            clickLater(w, qPrintable(button));
    });
    menu(window, "MenuEdit_SetRadioNewPD")->trigger();
    QVERIFY(seen->seen);
    QTEST(state.program().codeplug.setting(Setting::writeNewPassword) != 0, "stored");
    window.closeWithoutPrompt();
}

void TestPasswordDialogs::accessPrompt_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<bool>("opens");
    QTest::newRow("access code") << "qhvm47" << true;
    QTest::newRow("other letter case") << "QHVM47" << false;
    QTest::newRow("one letter off") << "qhvm48" << false;
    QTest::newRow("empty") << "" << false;
}

void TestPasswordDialogs::accessPrompt()
{
    QFETCH(QString, entry);
    QFETCH(bool, opens);
    Document state;
    configure(state);
    TForm1 window(state);
    QVERIFY(menu(window, "MenuAdjustment")->isEnabled());
    QStringList buttons;
    auto prompt = whenModal(QStringLiteral("PasswordDlg"), [&](QWidget *w) {
        for (const char *b : {"OKBtn", "CancelBtn"})
            buttons << w->findChild<QPushButton *>(QLatin1String(b))->text();
        typeInto(w, "eInput", entry);
        QTest::keyClick(w->findChild<QLineEdit *>(QStringLiteral("eInput")), Qt::Key_Return);
    });
    int calibrationShown = 0;
    auto calibration = whenModal(QStringLiteral("AdjustmentDlg"), [&](QWidget *w) {
        ++calibrationShown;
        QMetaObject::invokeMethod(w, "reject", Qt::QueuedConnection);
    });
    auto warned = pressWhenShown(QStringLiteral("UserWarnDlg"), "OKBtn");
    menu(window, "MenuAdjustment")->trigger();
    QVERIFY(prompt->seen);
    QCOMPARE(buttons, QStringList({mainText(153), mainText(154)}));
    QCOMPARE(calibration->seen, opens);
    QCOMPARE(calibrationShown, opens ? 1 : 0);
    QVERIFY(!warned->seen); // a wrong code says nothing
    QVERIFY(!QApplication::activeModalWidget());
    window.closeWithoutPrompt();
}

void TestPasswordDialogs::calibrationFileGiven_data()
{
    // A calibration file is the bare 120-byte record, so what is loaded is
    // the file's bytes as they stand.
    QByteArray record(120, '\0');
    for (int i = 0; i < record.size(); ++i)
        record[i] = char((i * 37 + 5) & 0xFF);
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("opens");
    QTest::addColumn<bool>("loaded");
    QTest::newRow("access code: the dialog shows the file") << "qhvm47" << record << true << true;
    QTest::newRow("wrong code: nothing is read") << "qhvm48" << record << false << false;
    QTest::newRow("short file: refused, the dialog shows what was there")
        << "qhvm47" << record.left(119) << true << false;
}

// What the desktop's "open with" does with a .kzxa: the factory access
// prompt first, then the calibration dialog holding the file.
void TestPasswordDialogs::calibrationFileGiven()
{
    QFETCH(QString, entry);
    QFETCH(QByteArray, content);
    QFETCH(bool, opens);
    QFETCH(bool, loaded);
    const QString file = path(QStringLiteral("given.kzxa"));
    QVERIFY(writeFile(file, content));
    Document state;
    configure(state);
    TForm1 window(state);
    const CalibrationData before = state.program().calibration;
    auto prompt = whenModal(QStringLiteral("PasswordDlg"), [&](QWidget *w) {
        typeInto(w, "eInput", entry);
        QTest::keyClick(w->findChild<QLineEdit *>(QStringLiteral("eInput")), Qt::Key_Return);
    });
    QByteArray shown;
    auto calibration = whenModal(QStringLiteral("AdjustmentDlg"), [&](QWidget *w) {
        shown = QByteArray(reinterpret_cast<const char *>(state.program().calibration.raw.data()),
                           int(state.program().calibration.raw.size()));
        QMetaObject::invokeMethod(w, "reject", Qt::QueuedConnection);
    });
    auto warned = pressWhenShown(QStringLiteral("UserWarnDlg"), "OKBtn");
    window.openAdjustment(file);
    QVERIFY(prompt->seen);
    QCOMPARE(calibration->seen, opens);
    QCOMPARE(warned->seen, opens && !loaded);
    if (loaded)
        QCOMPARE(describeDiff(shown, content), QString());
    else
        QVERIFY(state.program().calibration == before);
    QVERIFY(!QApplication::activeModalWidget());
    window.closeWithoutPrompt();
}

// The radio starts with password old1. A write of new2 passes with old1;
// afterwards a read with old1 fails and one with new2 passes; an empty
// password written leaves the radio open to any claimed password.
void TestPasswordDialogs::passwordWriteThenReads()
{
    VirtualRadioProcess radio;
    writeFile(path(QStringLiteral("memory.bin")), QByteArray(0x10000, '\0'));
    QVERIFY(radio.start(path(QStringLiteral("radio")),
                        {QStringLiteral("--variant"), QStringLiteral("S"),
                         QStringLiteral("--memory"), path(QStringLiteral("memory.bin")),
                         QStringLiteral("--password"), QStringLiteral("old1")}));
    Document state;
    configure(state);
    TForm1 window(state);

    QCOMPARE(readMessage(window), programText(4)); // no password claimed yet
    claimPassword(window, QStringLiteral("old1"));
    bool stayedOpen = false;
    // The write names the backup that holds the old password block.
    const QStringList lines =
        writePassword(window, QStringLiteral("new2"), &stayedOpen).split(u'\n');
    QCOMPARE(lines.mid(0, 2), QStringList({programText(3), programText(9)}));
    QVERIFY2(lines.value(2).endsWith(QStringLiteral("-password-write-S.t880bak")),
             qPrintable(lines.value(2)));
    QVERIFY(stayedOpen);
    QCOMPARE(passwordOf(state, TextField::newRadioPassword), QByteArray("new2"));
    QCOMPARE(passwordOf(state, TextField::radioPassword), QByteArray("old1"));
    QCOMPARE(readMessage(window), programText(4));
    claimPassword(window, QStringLiteral("new2"));
    QCOMPARE(readMessage(window), programText(3));

    QCOMPARE(writePassword(window, QString(), &stayedOpen).section(u'\n', 0, 0), programText(3));
    claimPassword(window, QStringLiteral("anything"));
    QCOMPARE(readMessage(window), programText(3));
    window.closeWithoutPrompt();
}

// With "write data to radio with new password" on, a codeplug write changes
// the radio's password too.
void TestPasswordDialogs::codeplugWriteCarriesNewPassword()
{
    VirtualRadioProcess radio;
    writeFile(path(QStringLiteral("memory.bin")), QByteArray(0x10000, '\0'));
    QVERIFY(radio.start(path(QStringLiteral("radio")),
                        {QStringLiteral("--variant"), QStringLiteral("S"),
                         QStringLiteral("--memory"), path(QStringLiteral("memory.bin"))}));
    Document state;
    configure(state);
    TForm1 window(state);
    auto warned = pressWhenShown(QStringLiteral("UserWarnDlg"), "OKBtn");
    auto seen = whenModal(QStringLiteral("NewPasswordDlg"), [](QWidget *w) {
        typeInto(w, "eInput", QStringLiteral("cw9"));
        typeInto(w, "eSureInput", QStringLiteral("cw9"));
        w->findChild<QCheckBox *>(QStringLiteral("cbWriteWithNewPD"))->setChecked(true);
        clickLater(w, "OKBtn");
    });
    menu(window, "MenuEdit_SetRadioNewPD")->trigger();
    QVERIFY(seen->seen && warned->seen);
    QCOMPARE(state.program().codeplug.setting(Setting::writeNewPassword), 1u);

    QString message;
    auto start = pressWhenShown(QStringLiteral("ProgramDialog"), "ProgramStart");
    auto result = pressWhenShown(QStringLiteral("UserWarnDlg"), "OKBtn", &message);
    window.MenuEdit_WriteClick();
    QVERIFY(start->seen && result->seen);
    QCOMPARE(message.section(u'\n', 0, 0), programText(3));
    QCOMPARE(readMessage(window), programText(4)); // still claiming no password
    claimPassword(window, QStringLiteral("cw9"));
    QCOMPARE(readMessage(window), programText(3));
    window.closeWithoutPrompt();
}

// The radio falls silent right after it took the new block: the message says
// the radio may hold neither password and names the backup of the old one.
void TestPasswordDialogs::passwordWriteCutShort()
{
    VirtualRadioProcess radio;
    writeFile(path(QStringLiteral("memory.bin")), QByteArray(0x10000, '\0'));
    // Connect, 4 readings of the password area, 46 of the codeplug area and
    // the new block are answered; the read-back is not.
    QVERIFY(radio.start(path(QStringLiteral("radio")),
                        {QStringLiteral("--variant"), QStringLiteral("S"),
                         QStringLiteral("--memory"), path(QStringLiteral("memory.bin")),
                         QStringLiteral("--silent-after"), QStringLiteral("52")}));
    Document state;
    configure(state);
    TForm1 window(state);
    bool stayedOpen = false;
    const QStringList lines =
        writePassword(window, QStringLiteral("n3w"), &stayedOpen).split(u'\n');
    QCOMPARE(lines.value(0), programText(2));
    QCOMPARE(lines.value(2), programText(12));
    QCOMPARE(lines.value(3), programText(9));
    QVERIFY2(lines.value(4).endsWith(QStringLiteral("-password-write-S.t880bak")),
             qPrintable(lines.join(u'|')));
    QCOMPARE(lines.value(5), programText(13));
    window.closeWithoutPrompt();
}

// "..." in the calibration dialog writes the codeplug exactly as Write to
// radio does: the radio's memory ends up the same either way.
void TestPasswordDialogs::calibrationDialogWritesCodeplug()
{
    constexpr int kDate = 0x4000 + 0x150; // the minute of writing may differ
    QByteArray written[2];
    for (int way = 0; way < 2; ++way) {
        VirtualRadioProcess radio;
        writeFile(path(QStringLiteral("memory.bin")), QByteArray(0x10000, '\0'));
        QVERIFY(radio.start(path(QStringLiteral("radio")),
                            {QStringLiteral("--variant"), QStringLiteral("S"),
                             QStringLiteral("--memory"), path(QStringLiteral("memory.bin"))}));
        Document state;
        configure(state);
        TForm1 window(state);
        state.program().codeplug.enterChannelFrequency(3, 438500000);
        QString message;
        auto start = pressWhenShown(QStringLiteral("ProgramDialog"), "ProgramStart");
        auto result = pressWhenShown(QStringLiteral("UserWarnDlg"), "OKBtn", &message);
        if (way == 0) {
            window.MenuEdit_WriteClick();
        } else {
            auto prompt = whenModal(QStringLiteral("PasswordDlg"), [](QWidget *w) {
                typeInto(w, "eInput", QStringLiteral("qhvm47"));
                clickLater(w, "OKBtn");
            });
            auto calibration = whenModal(QStringLiteral("AdjustmentDlg"), [](QWidget *w) {
                QTimer::singleShot(0, w, [w] {
                    w->findChild<QPushButton *>(QStringLiteral("Button1"))->click();
                    QMetaObject::invokeMethod(w, "reject", Qt::QueuedConnection);
                });
            });
            menu(window, "MenuAdjustment")->trigger();
            QVERIFY(prompt->seen && calibration->seen);
        }
        QVERIFY(start->seen && result->seen);
        QCOMPARE(message.section(u'\n', 0, 0), programText(3));
        radio.stop();
        written[way] = readFile(path(QStringLiteral("memory.bin")));
        written[way].replace(kDate, 6, QByteArray(6, '\0'));
        window.closeWithoutPrompt();
    }
    QVERIFY(written[0] != QByteArray(0x10000, '\0'));
    QCOMPARE(describeDiff(written[1], written[0]), QString());
}

QTEST_MAIN(TestPasswordDialogs)
#include "tst_passworddialogs.moc"
