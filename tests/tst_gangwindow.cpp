// Edit > Write to several radios and File > Save serial trace, through the
// real widgets, against virtual radios on pseudo-terminals: several radios
// written at once, some of them faulty; the production line's rounds; and
// the trace of a transfer with a password-protected radio.
#include "guitest.h"
#include "windowradio.h"

#include "codeplug/backupstore.h"
#include "ui/tform1.h"
#include "ui/tgangwritedlg.h"

#include <QAction>
#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <array>

using namespace t880;
using namespace t880::testing;

namespace {

QAction *menu(TForm1 &window, const char *name)
{
    return window.findChild<QAction *>(QLatin1String(name));
}

template <typename T> T *child(QWidget *w, const char *name)
{
    T *found = w->findChild<T *>(QLatin1String(name));
    if (!found)
        qWarning("no widget %s", name);
    return found;
}

// What one row of the port table showed when its round had ended.
struct RowSeen
{
    bool checked = false;
    int progress = -1;
    QString result;
};

// The row that writes to \a device, whatever its caption.
int rowOf(QTableWidget *table, const QString &device)
{
    for (int row = 0; row < table->rowCount(); ++row) {
        if (table->item(row, TGangWriteDlg::PortColumn)->data(Qt::UserRole).toString() == device)
            return row;
    }
    return -1;
}

RowSeen rowSeen(QWidget *dialog, const QString &device)
{
    auto *table = child<QTableWidget>(dialog, "tPorts");
    RowSeen seen;
    const int row = rowOf(table, device);
    if (row < 0)
        return seen;
    seen.checked = table->item(row, TGangWriteDlg::PortColumn)->checkState() == Qt::Checked;
    seen.progress = table->cellWidget(row, TGangWriteDlg::ProgressColumn)
                        ->findChild<QProgressBar *>(QStringLiteral("ProgressBar"))
                        ->value();
    seen.result = table->item(row, TGangWriteDlg::ResultColumn)->text();
    return seen;
}

// Types \a device into the path field and presses Enter, as a user adds a
// port the system does not list.
void addPort(QWidget *dialog, const QString &device)
{
    auto *field = child<QLineEdit>(dialog, "eAddPort");
    field->setText(device);
    QTest::keyClick(field, Qt::Key_Return);
}

// Presses Start and waits (bounded) until the round has ended.
bool runRound(QWidget *dialog, const std::function<void(QPushButton *)> &press)
{
    auto *start = child<QPushButton>(dialog, "StartBtn");
    press(start);
    if (start->isEnabled())
        return false; // the round did not begin
    QDeadlineTimer deadline(30000);
    while (!start->isEnabled() && !deadline.hasExpired())
        QTest::qWait(20);
    return start->isEnabled();
}

// The result cell says \a outcome, then the time taken in seconds.
bool saysOutcome(const QString &cell, int language, const QString &outcome)
{
    const QString first = cell.section(QLatin1Char('\n'), 0, 0);
    const QString marker = QStringLiteral("SECONDS");
    const QString pattern = QRegularExpression::escape(mainText(language, 459).arg(outcome, marker))
                                .replace(marker, QStringLiteral("\\d+\\.\\d"));
    return QRegularExpression(QLatin1Char('^') + pattern + QLatin1Char('$'))
        .match(first)
        .hasMatch();
}

} // namespace

class TestGangWindow : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }

    // A radio of its own in the folder \a name, over \a memory.
    bool startRadioIn(VirtualRadioProcess &radio, const QString &name, const QByteArray &memory,
                      const QStringList &faults = {})
    {
        QDir(m_dir.path()).mkpath(name);
        return startRadio(radio, path(name), memory, faults);
    }
    QString linkOf(const QString &name) const { return path(name + QStringLiteral("/radio")); }
    QByteArray memoryOf(const QString &name) const
    {
        return readFile(path(name + QStringLiteral("/memory.bin")));
    }

    // The codeplug the window writes.
    CodeplugData codeplugToWrite() const
    {
        CodeplugData cp;
        cp.applyNewDefaults();
        cp.enterChannelFrequency(7, 145500000);
        cp.setSetting(Setting::sql, 3);
        return cp;
    }
    // The codeplug area of a radio over \a memory after the command line
    // wrote \a cp into it: the transmit power and tuning bytes of each
    // channel come from that radio's calibration.
    QByteArray writtenByCommandLine(const CodeplugData &cp, const QByteArray &memory)
    {
        const QString file = path(QStringLiteral("towrite.Kzx"));
        if (!codeplugfile::save(file, cp).ok())
            return {};
        VirtualRadioProcess radio;
        if (!startRadioIn(radio, QStringLiteral("reference"), memory))
            return {};
        if (runCli({QStringLiteral("write"), QStringLiteral("--port"),
                    linkOf(QStringLiteral("reference")), file})
                .exitCode != 0)
            return {};
        radio.stop();
        return withoutDate(
            memoryOf(QStringLiteral("reference")).mid(kCodeplugArea, kCodeplugAreaSize));
    }
    static QByteArray withoutDate(QByteArray area)
    {
        // The minute of writing is the radio's own.
        return area.replace(kDateOffset, 6, QByteArray(6, '\0'));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        qputenv("XDG_DATA_HOME", QFile::encodeName(path(QStringLiteral("data"))));
    }

    void radiosAtOnce();
    void repeatRounds_data();
    void repeatRounds();
    void closingMidRound();
    void addPortRefusesWhatIsNoPort_data();
    void addPortRefusesWhatIsNoPort();
    void addPortKnowsALinkFromItsDevice();
    void portBindingsListed();
    void traceMasksPassword_data();
    void traceMasksPassword();
};

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

QTEST_MAIN(TestGangWindow)
#include "tst_gangwindow.moc"
