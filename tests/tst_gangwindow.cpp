// Edit > Write to several radios and File > Save serial trace, through the
// real widgets, against virtual radios on pseudo-terminals: several radios
// written at once, some of them faulty; the production line's rounds; and
// the trace of a transfer with a password-protected radio.
//
// This file: the rounds; the ports added by hand or listed and the saved
// trace are in tst_gangwindow_ports.cpp.
#include "tst_gangwindow.h"

// Five radios at once: a good one, a silent one, one whose replies are all
// damaged, a slow one and one that falls silent in the middle of the write.
// Each row ends with its own result; the two good radios hold the window's
// codeplug, the ones that failed before writing are untouched, and the one
// that failed while writing names the backup that holds what it had.
void TestGangWindow::radiosAtOnce()
{
    const QByteArray mem = radioMemory(m_dir.path());
    enum Expect { Written, Untouched, BackupNamed };
    struct Radio
    {
        const char *name;
        QStringList faults;
        Expect expect;
    };
    const std::array<Radio, 5> radios{{
        {"good", {}, Written},
        {"silent", {QStringLiteral("--silent-after"), QStringLiteral("0")}, Untouched},
        {"corrupting",
         {QStringLiteral("--corrupt-rate"), QStringLiteral("1"), QStringLiteral("--seed"),
          QStringLiteral("3")},
         Untouched},
        {"slow", {QStringLiteral("--reply-delay"), QStringLiteral("15")}, Written},
        // Silent after the connect request, 4 password readings, 46 backup
        // readings, 16 calibration readings and 5 writes.
        {"stopping", {QStringLiteral("--silent-after"), QStringLiteral("72")}, BackupNamed},
    }};
    std::array<VirtualRadioProcess, 5> processes;
    for (std::size_t i = 0; i < radios.size(); ++i)
        QVERIFY(startRadioIn(processes[i], QLatin1String(radios[i].name), mem, radios[i].faults));

    Document state;
    configureWindow(state, m_dir.path(), path(QStringLiteral("none")));
    TForm1 window(state);
    const CodeplugData cp = codeplugToWrite();
    state.program().codeplug = cp;

    window.show();
    std::map<QString, RowSeen> rows;
    QString count;
    bool ended = false;
    QPoint offCentre;
    auto seen = whenModal(QStringLiteral("GangWriteDlg"), [&](QWidget *w) {
        offCentre = w->frameGeometry().center() - window.frameGeometry().center();
        for (const Radio &r : radios)
            addPort(w, linkOf(QLatin1String(r.name)));
        ended = runRound(w, [](QPushButton *start) { start->click(); });
        saveShot(w, QStringLiteral("GangWriteDlg-ended"));
        for (const Radio &r : radios)
            rows[QLatin1String(r.name)] = rowSeen(w, linkOf(QLatin1String(r.name)));
        count = child<QLabel>(w, "sCount")->text();
        child<QPushButton>(w, "CloseBtn")->click();
    });
    menu(window, "MenuEdit_WriteSeveral")->trigger();
    QVERIFY(seen->seen);
    QVERIFY(ended);
    for (VirtualRadioProcess &p : processes)
        p.stop();

    const QString success = programText(0, 3);
    const QString noConnection = programText(0, 2);
    const QByteArray intended = writtenByCommandLine(cp, mem);
    QCOMPARE(intended.size(), kCodeplugAreaSize);
    for (const Radio &r : radios) {
        const RowSeen &row = rows[QLatin1String(r.name)];
        const QString said = QLatin1String(r.name) + QStringLiteral(": ") + row.result;
        QVERIFY2(row.checked, r.name);
        QVERIFY2(saysOutcome(row.result, 0, r.expect == Written ? success : noConnection),
                 qPrintable(said));
        QCOMPARE(row.progress == 100, r.expect == Written);
        const QStringList lines = row.result.split(u'\n');
        const QByteArray after = memoryOf(QLatin1String(r.name));
        switch (r.expect) {
        case Written:
            QCOMPARE(lines.size(), 1);
            QCOMPARE(
                describeDiff(withoutDate(after.mid(kCodeplugArea, kCodeplugAreaSize)), intended),
                QString());
            // Channel 7 at 145.5 MHz: 2328000 steps of 62.5 Hz.
            QCOMPARE(after.mid(kCodeplugArea + 6 * 19, 3).toHex(' '), QByteArray("23 85 c0"));
            break;
        case Untouched:
            QVERIFY2(lines.size() == 1, qPrintable(said));
            QCOMPARE(describeDiff(after, mem), QString());
            break;
        case BackupNamed: {
            QVERIFY2(lines.size() == 3, qPrintable(said));
            QCOMPARE(lines.value(1), programText(0, 9));
            backup::Backup kept;
            QVERIFY2(backup::load(lines.value(2), kept).ok(), qPrintable(said));
            QCOMPARE(kept.operation, backup::Operation::Write);
            QCOMPARE(kept.port, linkOf(QLatin1String(r.name)));
            for (const auto &[address, data] : kept.blocks)
                QCOMPARE(data.toHex(), mem.mid(address, 16).toHex());
            break;
        }
        }
    }
    QCOMPARE(count, mainText(0, 458).arg(2).arg(3));
    // Opened over the middle of the window (higher by the title bar Qt
    // allows for where no window manager tells its height).
    QVERIFY2(qAbs(offCentre.x()) <= 4 && offCentre.y() <= 4 && offCentre.y() >= -44,
             qPrintable(QStringLiteral("%1, %2").arg(offCentre.x()).arg(offCentre.y())));
    window.closeWithoutPrompt();
}

void TestGangWindow::repeatRounds_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<bool>("byKey"); // the second round started with Enter
    QTest::newRow("English, Start clicked") << 0 << false;
    QTest::newRow("Traditional Chinese, Enter") << 2 << true;
}

// The production line: Repeat on, two rounds. The ports stay chosen; the
// counter adds up both rounds; a radio unplugged before the second round
// fails alone, with the reason.
void TestGangWindow::repeatRounds()
{
    QFETCH(int, language);
    QFETCH(bool, byKey);
    const QByteArray mem = radioMemory(m_dir.path());
    VirtualRadioProcess first;
    VirtualRadioProcess second;
    QVERIFY(startRadioIn(first, QStringLiteral("line1"), mem));
    QVERIFY(startRadioIn(second, QStringLiteral("line2"), mem));
    const QString one = linkOf(QStringLiteral("line1"));
    const QString two = linkOf(QStringLiteral("line2"));

    Document state;
    configureWindow(state, m_dir.path(), path(QStringLiteral("none")));
    TForm1 window(state);
    window.setLanguage(text::Language(language));
    state.program().codeplug = codeplugToWrite();

    QStringList counts;
    QString prompt;
    RowSeen kept;
    RowSeen unplugged;
    bool rounds = false;
    auto seen = whenModal(QStringLiteral("GangWriteDlg"), [&](QWidget *w) {
        addPort(w, one);
        addPort(w, two);
        child<QCheckBox>(w, "cbRepeat")->setChecked(true);
        const bool firstRound = runRound(w, [](QPushButton *start) { start->click(); });
        counts << child<QLabel>(w, "sCount")->text();
        prompt = child<QLabel>(w, "sStatus")->text();
        // The next set of radios: the second one is missing.
        second.stop();
        const bool secondRound = runRound(w, [&](QPushButton *start) {
            if (!byKey) {
                start->click();
                return;
            }
            QWidget *focus = w->focusWidget();
            QVERIFY(focus == start);
            QTest::keyClick(focus, Qt::Key_Return);
        });
        rounds = firstRound && secondRound;
        counts << child<QLabel>(w, "sCount")->text();
        kept = rowSeen(w, one);
        unplugged = rowSeen(w, two);
        saveShot(w, QStringLiteral("GangWriteDlg-repeat-%1").arg(language));
        child<QPushButton>(w, "CloseBtn")->click();
    });
    menu(window, "MenuEdit_WriteSeveral")->trigger();
    QVERIFY(seen->seen);
    QVERIFY(rounds);
    QCOMPARE(counts, (QStringList{mainText(language, 458).arg(2).arg(0),
                                  mainText(language, 458).arg(3).arg(1)}));
    QCOMPARE(prompt, mainText(language, 460));
    QVERIFY(kept.checked && unplugged.checked);
    QVERIFY2(saysOutcome(kept.result, language, programText(language, 3)), qPrintable(kept.result));
    QVERIFY2(saysOutcome(unplugged.result, language, programText(language, 2)),
             qPrintable(unplugged.result));
    QCOMPARE(unplugged.result.section(QLatin1Char('\n'), 1), mainText(language, 275));
    // The choice is kept for the next time: the port still there comes
    // back ticked, the unplugged one is no longer offered.
    QCOMPARE(state.config().gangPorts, (QStringList{one, two}));
    window.closeWithoutPrompt();
    const QByteArray config = readFile(state.configPath());
    QVERIFY2(config.contains("\nGangPorts=" + QFile::encodeName(one + u';' + two) + '\n'),
             config.constData());
    Document again;
    again.setConfigPath(state.configPath());
    TForm1 next(again);
    RowSeen offered;
    int unpluggedRow = 0;
    auto reopened = whenModal(QStringLiteral("GangWriteDlg"), [&](QWidget *w) {
        offered = rowSeen(w, one);
        unpluggedRow = rowOf(child<QTableWidget>(w, "tPorts"), two);
        child<QPushButton>(w, "CloseBtn")->click();
    });
    menu(next, "MenuEdit_WriteSeveral")->trigger();
    QVERIFY(reopened->seen);
    QVERIFY(offered.checked);
    QCOMPARE(unpluggedRow, -1);
    next.closeWithoutPrompt();
}

// Closing the dialog during a round asks first; once confirmed, every port
// is closed at once and the radio serves the next transfer as usual.
void TestGangWindow::closingMidRound()
{
    VirtualRadioProcess radio;
    QVERIFY(startRadioIn(radio, QStringLiteral("closing"), radioMemory(m_dir.path()),
                         {QStringLiteral("--reply-delay"), QStringLiteral("10")}));
    const QString link = linkOf(QStringLiteral("closing"));
    const QString device = QFileInfo(link).symLinkTarget();
    QVERIFY(device.startsWith(QStringLiteral("/dev/")));
    const auto portsOpen = [&device] {
        int n = 0;
        for (const QFileInfo &fd :
             QDir(QStringLiteral("/proc/self/fd")).entryInfoList(QDir::System))
            n += fd.symLinkTarget() == device;
        return n;
    };
    Document state;
    configureWindow(state, m_dir.path(), link);
    TForm1 window(state);
    bool wasRunning = false;
    int openWhileRunning = 0;
    int openAfterClose = -1;
    bool closed = false;
    auto asked = pressWhenShown(QStringLiteral("StopGangPrompt"), "OKBtn");
    auto seen = whenModal(QStringLiteral("GangWriteDlg"), [&](QWidget *w) {
        addPort(w, link);
        child<QPushButton>(w, "StartBtn")->click();
        wasRunning = !child<QPushButton>(w, "StartBtn")->isEnabled();
        openWhileRunning = portsOpen();
        child<QPushButton>(w, "CloseBtn")->click();
        // Closed as the dialog closes, not only once it is destroyed.
        openAfterClose = portsOpen();
        closed = !w->isVisible();
    });
    menu(window, "MenuEdit_WriteSeveral")->trigger();
    QVERIFY(seen->seen && asked->seen);
    QVERIFY(wasRunning && closed);
    QCOMPARE(openWhileRunning, 1);
    QCOMPARE(openAfterClose, 0);

    QString message;
    auto dialog = pressWhenShown(QStringLiteral("ProgramDialog"), "ProgramStart");
    auto result = pressWhenShown(QStringLiteral("UserWarnDlg"), "OKBtn", &message);
    menu(window, "MenuEdit_Write")->trigger();
    QVERIFY(dialog->seen && result->seen);
    QCOMPARE(message.section(u'\n', 0, 0), programText(0, 3));
    window.closeWithoutPrompt();
}

QTEST_MAIN(TestGangWindow)
#include "moc_tst_gangwindow.cpp"
