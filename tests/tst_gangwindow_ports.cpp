// The several-radios window suite: ports added by hand, the bindings of the
// configuration listed, and the saved trace with the password masked.
#include "tst_gangwindow.h"

void TestGangWindow::addPortRefusesWhatIsNoPort_data()
{
    QTest::addColumn<QString>("given");
    QTest::newRow("nothing there") << QStringLiteral("missing/radio");
    QTest::newRow("a regular file") << QStringLiteral("plain.txt");
    QTest::newRow("a folder") << QStringLiteral("data");
}

// A path that names no serial device is refused with a message, and the
// list stays as it was.
void TestGangWindow::addPortRefusesWhatIsNoPort()
{
    QFETCH(QString, given);
    writeFile(path(QStringLiteral("plain.txt")), "x");
    QDir(m_dir.path()).mkpath(QStringLiteral("data"));
    const QString device = path(given);
    Document state;
    configureWindow(state, m_dir.path(), path(QStringLiteral("none")));
    TForm1 window(state);
    QString message;
    int rowsBefore = -1;
    int rowsAfter = -1;
    auto seen = whenModal(QStringLiteral("GangWriteDlg"), [&](QWidget *w) {
        auto *table = child<QTableWidget>(w, "tPorts");
        rowsBefore = table->rowCount();
        auto warned = pressWhenShown(QStringLiteral("UserWarnDlg"), "OKBtn", &message);
        addPort(w, device);
        QVERIFY(warned->seen);
        rowsAfter = table->rowCount();
        QCOMPARE(rowOf(table, device), -1);
        child<QPushButton>(w, "CloseBtn")->click();
    });
    menu(window, "MenuEdit_WriteSeveral")->trigger();
    QVERIFY(seen->seen);
    QCOMPARE(message, mainText(0, 466).arg(device));
    QCOMPARE(rowsAfter, rowsBefore);
    window.closeWithoutPrompt();
}

// The virtual radio's link, then the terminal it points at, given as the
// system names it ("pts/N", looked up under /dev): one port, one row, so one
// radio is never written twice at once.
void TestGangWindow::addPortKnowsALinkFromItsDevice()
{
    VirtualRadioProcess radio;
    QVERIFY(startRadioIn(radio, QStringLiteral("twice"), radioMemory(m_dir.path())));
    const QString link = path(QStringLiteral("twice/radio"));
    const QString device = QFileInfo(link).canonicalFilePath();
    QVERIFY2(device.startsWith(QStringLiteral("/dev/pts/")), qPrintable(device));
    Document state;
    configureWindow(state, m_dir.path(), path(QStringLiteral("none")));
    TForm1 window(state);
    int rowsBefore = -1;
    int rowsWithLink = -1;
    int rowsAfter = -1;
    auto seen = whenModal(QStringLiteral("GangWriteDlg"), [&](QWidget *w) {
        auto *table = child<QTableWidget>(w, "tPorts");
        rowsBefore = table->rowCount();
        addPort(w, link);
        rowsWithLink = table->rowCount();
        addPort(w, device.mid(int(qstrlen("/dev/"))));
        rowsAfter = table->rowCount();
        QVERIFY(rowOf(table, link) >= 0);
        QCOMPARE(table->item(rowOf(table, link), TGangWriteDlg::PortColumn)->checkState(),
                 Qt::Checked);
        child<QPushButton>(w, "CloseBtn")->click();
    });
    menu(window, "MenuEdit_WriteSeveral")->trigger();
    QVERIFY(seen->seen);
    QCOMPARE(rowsWithLink, rowsBefore + 1);
    QCOMPARE(rowsAfter, rowsWithLink);
    window.closeWithoutPrompt();
}

// The configuration's [ports]: a binding is listed with its port number, one
// whose device is missing greyed and saying so; a binding and the device it
// points at are one row.
void TestGangWindow::portBindingsListed()
{
    PresentPort present;
    const QString link = path(QStringLiteral("bound-radio"));
    QVERIFY(QFile::link(present.path(), link));
    const QString missing = path(QStringLiteral("none"));
    Document state;
    configureWindow(state, m_dir.path(), missing, QStringLiteral("COM2=%1\n").arg(link));
    TForm1 window(state);
    auto seen = whenModal(QStringLiteral("GangWriteDlg"), [&](QWidget *w) {
        auto *table = child<QTableWidget>(w, "tPorts");
        const int gone = rowOf(table, missing);
        const int bound = rowOf(table, link);
        QVERIFY(gone >= 0 && bound >= 0);
        QCOMPARE(table->item(gone, TGangWriteDlg::PortColumn)->text(),
                 QStringLiteral("COM1  ") + missing);
        QCOMPARE(table->item(bound, TGangWriteDlg::PortColumn)->text(),
                 QStringLiteral("COM2  ") + link);
        QVERIFY(!(table->item(gone, TGangWriteDlg::PortColumn)->flags() & Qt::ItemIsEnabled));
        QCOMPARE(table->item(gone, TGangWriteDlg::AdapterColumn)->text(),
                 mainText(0, 404).arg(missing));
        QVERIFY(table->item(bound, TGangWriteDlg::PortColumn)->flags() & Qt::ItemIsUserCheckable);
        const int rows = table->rowCount();
        addPort(w, present.path());
        QCOMPARE(table->rowCount(), rows);
        QCOMPARE(table->item(rowOf(table, link), TGangWriteDlg::PortColumn)->checkState(),
                 Qt::Checked);
        child<QPushButton>(w, "CloseBtn")->click();
    });
    menu(window, "MenuEdit_WriteSeveral")->trigger();
    QVERIFY(seen->seen);
    window.closeWithoutPrompt();
}

void TestGangWindow::traceMasksPassword_data()
{
    QTest::addColumn<bool>("fromGang");
    QTest::newRow("File > Save serial trace") << false;
    QTest::newRow("the gang dialog's port") << true;
}

// A write into a radio with a password, then its trace saved: every line a
// host or radio line of hexadecimal bytes or a note, the password block's
// bytes written as "**" and found nowhere.
void TestGangWindow::traceMasksPassword()
{
    QFETCH(bool, fromGang);
    const QString name = fromGang ? QStringLiteral("pwgang") : QStringLiteral("pwwindow");
    VirtualRadioProcess radio;
    QVERIFY(startRadioIn(radio, name, radioMemory(m_dir.path()),
                         {QStringLiteral("--password"), QStringLiteral("Secret7")}));
    Document state;
    configureWindow(state, m_dir.path(), linkOf(name));
    TForm1 window(state);
    state.program().codeplug = codeplugToWrite();
    state.program().codeplug.setText(TextField::radioPassword, "Secret7");

    const QString traceFile = path(name + QStringLiteral("-trace.txt"));
    QString offered;
    const auto answerSave = [&] {
        return whenModal(QStringLiteral("SaveTraceDialog"), [&](QWidget *w) {
            auto *files = qobject_cast<QFileDialog *>(w);
            offered = QFileInfo(files->selectedFiles().value(0)).fileName();
            files->selectFile(traceFile);
            QMetaObject::invokeMethod(w, "accept", Qt::QueuedConnection);
        });
    };
    QString result;
    if (fromGang) {
        auto seen = whenModal(QStringLiteral("GangWriteDlg"), [&](QWidget *w) {
            addPort(w, linkOf(name));
            QVERIFY(runRound(w, [](QPushButton *start) { start->click(); }));
            auto *table = child<QTableWidget>(w, "tPorts");
            result = rowSeen(w, linkOf(name)).result.section(QLatin1Char('\n'), 0, 0);
            table->setCurrentCell(rowOf(table, linkOf(name)), TGangWriteDlg::PortColumn);
            auto saved = answerSave();
            child<QPushButton>(w, "SaveTraceBtn")->click();
            QVERIFY(saved->seen);
            child<QPushButton>(w, "CloseBtn")->click();
        });
        menu(window, "MenuEdit_WriteSeveral")->trigger();
        QVERIFY(seen->seen);
        QVERIFY2(saysOutcome(result, 0, programText(0, 3)), qPrintable(result));
    } else {
        QAction *save = menu(window, "MenuFile_SaveTrace");
        QVERIFY(!save->isEnabled());
        auto dialog = pressWhenShown(QStringLiteral("ProgramDialog"), "ProgramStart");
        auto message = pressWhenShown(QStringLiteral("UserWarnDlg"), "OKBtn", &result);
        menu(window, "MenuEdit_Write")->trigger();
        QVERIFY(dialog->seen && message->seen);
        QCOMPARE(result.section(u'\n', 0, 0), programText(0, 3));
        QVERIFY(save->isEnabled());
        auto saved = answerSave();
        save->trigger();
        QVERIFY(saved->seen);
    }
    radio.stop();

    QVERIFY2(QRegularExpression(QStringLiteral("^t880-trace-\\d{8}-\\d{6}\\.txt$"))
                 .match(offered)
                 .hasMatch(),
             qPrintable(offered));
    const QByteArray trace = readFile(traceFile);
    QVERIFY(!trace.isEmpty());
    const QRegularExpression form(QStringLiteral("^ *\\d+ ((H|R)( ([0-9A-F]{2}|\\*\\*))+|# .+)$"));
    int maskedLines = 0;
    for (const QByteArray &line : trace.split('\n')) {
        if (line.isEmpty())
            continue;
        QVERIFY2(form.match(QString::fromUtf8(line)).hasMatch(), line.constData());
        maskedLines += line.contains(" R ") && line.contains(" **");
    }
    // The password block was read (before the write and to check the
    // password); its bytes never show.
    QVERIFY(trace.contains(" H 52 41 D0 10\n"));
    QVERIFY(maskedLines > 0);
    const QByteArray block = memoryOf(name).mid(0x41D0, 16);
    QVERIFY(block != QByteArray(16, '\0'));
    QVERIFY2(!trace.contains(block.mid(1).toHex(' ').toUpper()), trace.constData());
    QVERIFY(!trace.contains(QByteArray("Secret7").toHex(' ').toUpper()));
    window.closeWithoutPrompt();
}
