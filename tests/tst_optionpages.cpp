// The option and key pages of the main window, headless, through the real
// widgets: what each control shows for the model, what keyboard edits leave
// in the saved file (worked out from the block's layout), and the controls'
// labels, order and fit.
//
// This file: what the controls show and what edits leave in the file; the
// labels, order, fit, tips and marks are in tst_optionpages_layout.cpp.
#include "tst_optionpages.h"

namespace {

// Layout offsets of the fields the pages edit.
constexpr int VoiceAt = 0xAB6;
constexpr int SqlAt = 0xABF;
constexpr int TotAt = 0xAD2; // 2 bytes, little-endian
constexpr int ToaAt = 0xAD5;
constexpr int KeyBeepAt = 0xADF;
constexpr int BatterySaveAt = 0xAE1;
constexpr int RateAt = 0xAE2;
constexpr int SideToneAt = 0xAF4;
constexpr int SendAniAt = 0xB00;
constexpr int KillCodeAt = 0xB02; // 11 bytes each: ten digits, then the count
constexpr int StunCodeAt = 0xB0D;
constexpr int ReviveCodeAt = 0xB18;
constexpr int StateAt = 0xB24;
constexpr int AniCodeAt = 0xB30;
constexpr int SideKeyAt = 0xB51;
constexpr int FuncKeyAt = 0xB53;

// A block whose every byte differs from its neighbours, so that a byte
// written where it should not be shows.
QByteArray noisyBlock()
{
    QByteArray b(CodeplugData::Size, '\0');
    for (int i = 0; i < b.size(); ++i)
        b[i] = char((i * 37 + 11) & 0xFF);
    return b;
}

void put(QByteArray &block, int at, const QByteArray &bytes)
{
    block.replace(at, bytes.size(), bytes);
}

} // namespace

void TestOptionPages::init()
{
    const QString config = path(QStringLiteral("_config.ini"));
    QVERIFY(writeFile(config, "[config]\nPort=1\nLanguage=0\nAutoSeachPort=1\n"));
    m_state = new Document;
    m_state->setConfigPath(config);
    m_window = new TForm1(*m_state);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window));
}

void TestOptionPages::cleanup()
{
    if (m_window)
        m_window->closeWithoutPrompt();
    delete m_window;
    delete m_state;
    m_window = nullptr;
    m_state = nullptr;
}

void TestOptionPages::showPage(const char *page)
{
    child<QTabWidget>("PageControl1")->setCurrentWidget(child<QWidget>(page));
}

bool TestOptionPages::openBlock(const QByteArray &block)
{
    const QString file = path(QStringLiteral("in.Kzx"));
    return writeFile(file, block) && m_window->openCodeplug(file);
}

QByteArray TestOptionPages::saveBlock()
{
    const QString file = path(QStringLiteral("out.Kzx"));
    QFile::remove(file);
    // File/Save As, its dialog answered as a user does: what the controls
    // hold is stored first.
    auto seen = whenModal(QStringLiteral("SaveDialog"), [file](QWidget *w) {
        if (auto *dialog = qobject_cast<QFileDialog *>(w))
            dialog->selectFile(file);
        QMetaObject::invokeMethod(w, "accept", Qt::QueuedConnection);
    });
    if (!m_window->MenuFile_SaveAsClick() || !seen->seen)
        return QByteArray();
    return readFile(file);
}

// File/New: what every control shows.
void TestOptionPages::newDefaults_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("shown"); // the selection's text, or "checked"/"unchecked"
    QTest::newRow("squelch") << "cbSQL"
                             << "5";
    QTest::newRow("time-out") << "cbTOT"
                              << "180";
    QTest::newRow("alert") << "cbTOA"
                           << "5";
    QTest::newRow("voice") << "cbVoice"
                           << "Chinese";
    QTest::newRow("rate") << "cbSaving_Rate"
                          << "1:3";
    QTest::newRow("key beep") << "cBeep"
                              << "checked";
    QTest::newRow("battery save") << "cSaving"
                                  << "checked";
    QTest::newRow("side key") << "cbKey_1_Short"
                              << "Radio";
    QTest::newRow("function key") << "cbKey_2_Short"
                                  << "Monitor Momentary";
    QTest::newRow("remote state") << "cbDizzyState"
                                  << "Revive";
    QTest::newRow("kill code") << "eDizzy"
                               << "";
    QTest::newRow("stun code") << "eStun"
                               << "";
    QTest::newRow("revive code") << "eActivation"
                                 << "";
    QTest::newRow("ANI") << "eANI"
                         << "";
    QTest::newRow("side tone") << "cD_SideTone"
                               << "unchecked";
    QTest::newRow("send ANI") << "cSendANI"
                              << "unchecked";
}

void TestOptionPages::newDefaults()
{
    QFETCH(QString, control);
    QFETCH(QString, shown);
    // Something else first, so that New has something to undo.
    m_state->program().codeplug.replaceLeading(noisyBlock());
    m_window->ApplyLanguage();
    auto seen = pressWhenShown(QStringLiteral("MyWarnDlg_2"), "OKBtn");
    m_window->MenuFile_NewClick();
    QVERIFY(seen->seen);

    QWidget *w = m_window->findChild<QWidget *>(control);
    QVERIFY2(w, qPrintable(control));
    if (auto *b = qobject_cast<QComboBox *>(w)) {
        QCOMPARE(b->currentText(), shown);
        QVERIFY(b->isEnabled());
    } else if (auto *c = qobject_cast<QCheckBox *>(w)) {
        QCOMPARE(c->isChecked(), shown == QLatin1String("checked"));
    } else {
        QCOMPARE(qobject_cast<QLineEdit *>(w)->text(), shown);
    }
}

// Values no item stands for show no selection; leaving the list and saving
// keeps them byte for byte.
void TestOptionPages::valuesWithoutItem_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("tot 7") << "cbTOT" << TotAt << QByteArray("\x07\x00", 2);
    QTest::newRow("tot 700") << "cbTOT" << TotAt << QByteArray("\xBC\x02", 2);
    QTest::newRow("tot 185") << "cbTOT" << TotAt << QByteArray("\xB9\x00", 2);
    QTest::newRow("sql 12") << "cbSQL" << SqlAt << QByteArray("\x0C", 1);
    QTest::newRow("toa 11") << "cbTOA" << ToaAt << QByteArray("\x0B", 1);
    QTest::newRow("voice 3") << "cbVoice" << VoiceAt << QByteArray("\x03", 1);
    QTest::newRow("rate 0") << "cbSaving_Rate" << RateAt << QByteArray("\x00", 1);
    QTest::newRow("state 4") << "cbDizzyState" << StateAt << QByteArray("\x04", 1);
    QTest::newRow("side key 99") << "cbKey_1_Short" << SideKeyAt << QByteArray("\x63", 1);
    QTest::newRow("function key radio") << "cbKey_2_Short" << FuncKeyAt << QByteArray("\x18", 1);
}

void TestOptionPages::valuesWithoutItem()
{
    QFETCH(QString, control);
    QFETCH(int, offset);
    QFETCH(QByteArray, bytes);
    QByteArray block = noisyBlock();
    put(block, BatterySaveAt, QByteArray("\x01", 1)); // the rate list can take the focus
    put(block, offset, bytes);
    QVERIFY(openBlock(block));
    QComboBox *b = m_window->findChild<QComboBox *>(control);
    QCOMPARE(b->currentIndex(), -1);
    // Into the list and out again without choosing.
    showPage(control.startsWith(QLatin1String("cbKey")) ? "TabSheet_Key" : "TabSheet_Option");
    b->setFocus();
    QTRY_VERIFY(b->hasFocus());
    child<QWidget>("bHide")->setFocus();
    QTRY_VERIFY(!b->hasFocus());
    const QByteArray saved = saveBlock();
    QVERIFY2(saved == block, qPrintable(describeDiff(saved, block)));
}

// Every list is rebuilt in the new language and keeps its selection.
void TestOptionPages::languageSwitchKeepsSelections()
{
    CodeplugData &c = m_state->program().codeplug;
    c.setSetting(Setting::sql, 2);
    c.setSetting(Setting::tot, 45);
    c.setSetting(Setting::toa, 0);
    c.setSetting(Setting::voice, 2);
    c.setSetting(Setting::batterySaveRate, 10);
    c.setSetting(Setting::dizzyState, 2);
    c.setSetting(Setting::key1Short, 25);
    c.setSetting(Setting::key2Short, 8);
    m_window->ApplyLanguage();
    const QList<std::pair<const char *, int>> expected = {
        {"cbSQL", 2},         {"cbTOT", 3},        {"cbTOA", 0},         {"cbVoice", 2},
        {"cbSaving_Rate", 9}, {"cbDizzyState", 2}, {"cbKey_1_Short", 4}, {"cbKey_2_Short", 4}};
    const char *languageItems[] = {"MenuLanguage_En", "MenuLanguage_Chs", "MenuLanguage_Cht",
                                   "MenuLanguage_En"};
    const int languages[] = {0, 1, 2, 0};
    for (int k = 0; k < 4; ++k) {
        m_window->findChild<QAction *>(QLatin1String(languageItems[k]))->trigger();
        for (const auto &[name, index] : expected)
            QVERIFY2(box(name)->currentIndex() == index, name);
        const int lang = languages[k];
        QCOMPARE(box("cbTOA")->currentText(), mainText(lang, 75));
        QCOMPARE(box("cbVoice")->currentText(), mainText(lang, 215));
        QCOMPARE(box("cbDizzyState")->currentText(), mainText(lang, 157));
        QCOMPARE(box("cbKey_1_Short")->currentText(), mainText(lang, 249));
        QCOMPARE(box("cbKey_2_Short")->currentText(), mainText(lang, 185));
        QCOMPARE(child<QLabel>("sDizzy")->text(), mainText(lang, 156));
        QCOMPARE(child<QLabel>("sStun")->text(), mainText(lang, 157));
        QCOMPARE(child<QCheckBox>("cSendANI")->text(), mainText(lang, 242));
        QCOMPARE(child<QLabel>("sDtmf")->text(), mainText(lang, 77));
    }
    // Nothing was changed by the switches.
    QCOMPARE(c.setting(Setting::tot), 45u);
    QCOMPARE(c.setting(Setting::key1Short), 25u);
}

// A click on "Battery Save" greys the rate at once; the field is written on
// leaving the box, and the rate keeps its value.
void TestOptionPages::batterySaveGreysRate()
{
    showPage("TabSheet_Option");
    auto *saving = child<QCheckBox>("cSaving");
    QComboBox *rate = box("cbSaving_Rate");
    QVERIFY(rate->isEnabled());
    saving->setFocus();
    QTest::keyClick(saving, Qt::Key_Space);
    QVERIFY(!saving->isChecked());
    QVERIFY(!rate->isEnabled());
    QCOMPARE(rate->currentText(), QStringLiteral("1:3"));
    QTest::keyClick(m_window, Qt::Key_Tab);
    QTRY_COMPARE(m_state->program().codeplug.setting(Setting::batterySave), 0u);
    QCOMPARE(m_state->program().codeplug.setting(Setting::batterySaveRate), 3u);
    // Reshown from the model, the list stays grey; a click brings it back.
    m_window->ApplyLanguage();
    QVERIFY(!rate->isEnabled());
    QTest::mouseClick(saving, Qt::LeftButton, {}, QPoint(8, saving->height() / 2));
    QVERIFY(rate->isEnabled());
}

// 1, 2, a, b, *, # show as 1 2 A B * # and store 1, 2, 10, 11, 14, 15, count 6.
void TestOptionPages::typedCode()
{
    showPage("TabSheet_Option");
    auto *ani = child<QLineEdit>("eANI");
    ani->setFocus();
    QTRY_VERIFY(ani->hasFocus());
    QTest::keyClicks(ani, QStringLiteral("12ab*#"));
    QCOMPARE(ani->text(), QStringLiteral("12AB*#"));
    QTest::keyClick(ani, Qt::Key_Tab);
    QTRY_VERIFY(!ani->hasFocus());
    const QByteArray saved = saveBlock();
    QCOMPARE(saved.mid(AniCodeAt, 11),
             QByteArray("\x01\x02\x0A\x0B\x0E\x0F\x00\x00\x00\x00\x06", 11));
}

void TestOptionPages::eleventhCharacterRemoved()
{
    showPage("TabSheet_Option");
    auto *kill = child<QLineEdit>("eDizzy");
    kill->setFocus();
    QTest::keyClicks(kill, QStringLiteral("1234567890"));
    QCOMPARE(kill->text(), QStringLiteral("1234567890"));
    QTest::keyClick(kill, Qt::Key_5);
    QCOMPARE(kill->text(), QStringLiteral("1234567890"));
    QCOMPARE(kill->cursorPosition(), 10);
    // Typed in the middle, the last character goes.
    kill->setCursorPosition(0);
    QTest::keyClick(kill, Qt::Key_Asterisk);
    QCOMPARE(kill->text(), QStringLiteral("*123456789"));
    QCOMPARE(kill->cursorPosition(), 10);
    m_window->findChild<QAction *>(QStringLiteral("MenuLanguage_En"))->trigger(); // commits
    QCOMPARE(m_state->program().codeplug.code(CodeField::dizzyCode).count(), 10);
}

void TestOptionPages::refusedCharacters_data()
{
    QTest::addColumn<QString>("typed");
    for (const char *p : {"E", "F", "Z", "e", "z", " ", "+", "-", ".", ",", "/", "(", "@", "_"})
        QTest::newRow(p) << QString(QLatin1String(p));
    QTest::newRow("o umlaut") << QString(QChar(0xF6));
}

void TestOptionPages::refusedCharacters()
{
    QFETCH(QString, typed);
    showPage("TabSheet_Option");
    auto *stun = child<QLineEdit>("eStun");
    stun->setFocus();
    QTest::keyClicks(stun, QStringLiteral("1"));
    QTest::sendKeyEvent(QTest::Click, stun, Qt::Key_unknown, typed, Qt::NoModifier);
    QTest::keyClicks(stun, QStringLiteral("2"));
    QCOMPARE(stun->text(), QStringLiteral("12"));
}

// A pasted text goes through the same filter; the caret stays after it.
void TestOptionPages::pastedCodeFiltered()
{
    showPage("TabSheet_Option");
    auto *revive = child<QLineEdit>("eActivation");
    revive->setFocus();
    QTest::keyClicks(revive, QStringLiteral("9"));
    revive->setCursorPosition(0);
    QGuiApplication::clipboard()->setText(QStringLiteral("12-ab x#"));
    QTest::keyClick(revive, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(revive->text(), QStringLiteral("12AB#9"));
    QCOMPARE(revive->cursorPosition(), 5);
}

// Edits by keyboard on both pages, saved: exactly the edited fields differ
// from the file that was opened, with the bytes the layout gives.
void TestOptionPages::keyboardEditsSaved()
{
    QByteArray block = noisyBlock();
    put(block, TotAt, QByteArray("\xB4\x00", 2)); // 180 s
    put(block, SqlAt, QByteArray("\x05", 1));
    put(block, KeyBeepAt, QByteArray("\x01", 1));
    put(block, SideKeyAt, QByteArray("\x18", 1)); // Radio
    put(block, FuncKeyAt, QByteArray("\x03", 1)); // Monitor Momentary
    put(block, KillCodeAt, QByteArray("\x01\x02\x03\x00\x00\x00\x00\x00\x00\x00\x03", 11));
    QVERIFY(openBlock(block));

    showPage("TabSheet_Option");
    box("cbTOT")->setFocus();
    QTest::keyClick(box("cbTOT"), Qt::Key_Down); // 195
    box("cbSQL")->setFocus();
    QTest::keyClick(box("cbSQL"), Qt::Key_Up); // 4
    auto *beep = child<QCheckBox>("cBeep");
    beep->setFocus();
    QTest::keyClick(beep, Qt::Key_Space); // off
    auto *kill = child<QLineEdit>("eDizzy");
    kill->setFocus();
    QTest::keyClick(kill, Qt::Key_Backspace);
    QTest::keyClicks(kill, QStringLiteral("d#"));
    showPage("TabSheet_Key");
    box("cbKey_1_Short")->setFocus();
    QTest::keyClick(box("cbKey_1_Short"), Qt::Key_Down); // Monitor
    box("cbKey_2_Short")->setFocus();
    QTest::keyClick(box("cbKey_2_Short"), Qt::Key_Down); // Alarm

    QByteArray expected = block;
    put(expected, TotAt, QByteArray("\xC3\x00", 2));
    put(expected, SqlAt, QByteArray("\x04", 1));
    put(expected, KeyBeepAt, QByteArray("\x00", 1));
    // "12D#": the digits past the count are zeroed by a rewritten code.
    put(expected, KillCodeAt, QByteArray("\x01\x02\x0D\x0F\x00\x00\x00\x00\x00\x00\x04", 11));
    put(expected, SideKeyAt, QByteArray("\x02", 1));
    put(expected, FuncKeyAt, QByteArray("\x19", 1));
    const QByteArray saved = saveBlock();
    QVERIFY2(saved == expected, qPrintable(describeDiff(saved, expected)));
}

// A code with a foreign count above ten shows ten digits and is kept, digits
// and count, unless it is edited.
void TestOptionPages::foreignCountKept()
{
    QByteArray block = noisyBlock();
    const QByteArray ani("\x01\x02\x03\x04\x05\x06\x07\x08\x09\x00\x0C", 11);
    put(block, AniCodeAt, ani);
    put(block, StunCodeAt, QByteArray("\x04\x04\x1F\x00\x00\x00\x00\x00\x00\x00\x02", 11));
    QVERIFY(openBlock(block));
    showPage("TabSheet_Option");
    QCOMPARE(child<QLineEdit>("eANI")->text(), QStringLiteral("1234567890"));
    QCOMPARE(child<QLineEdit>("eStun")->text(), QStringLiteral("44"));
    for (const char *name : {"eANI", "eStun", "eDizzy", "eActivation"}) {
        child<QLineEdit>(name)->setFocus();
        QTRY_VERIFY(child<QLineEdit>(name)->hasFocus());
    }
    const QByteArray saved = saveBlock();
    QVERIFY2(saved == block, qPrintable(describeDiff(saved, block)));

    auto *edit = child<QLineEdit>("eANI");
    edit->setFocus();
    edit->end(false);
    QTest::keyClick(edit, Qt::Key_Backspace);
    const QByteArray edited = saveBlock();
    QCOMPARE(edited.mid(AniCodeAt, 11),
             QByteArray("\x01\x02\x03\x04\x05\x06\x07\x08\x09\x00\x09", 11));
}

QTEST_MAIN(TestOptionPages)
#include "moc_tst_optionpages.cpp"
