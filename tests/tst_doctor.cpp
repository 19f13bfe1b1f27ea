// The connection doctor: its findings for each kind of trouble, as `t880
// doctor` prints them to a user (an unprivileged one where rights matter),
// over real pseudo-terminals and the virtual radio; the process table and the
// udev rule through a made-up tree; and the window's Details button.
#include "guitest.h"
#include "radioprocess.h"
#include "windowradio.h"

#include "link/serial/doctor.h"
#include "ui/document.h"
#include "ui/tdoctordlg.h"
#include "ui/tprogramdialog.h"

#include <QDir>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace t880;
using namespace t880::testing;
using link::FindingKind;

namespace {

text::TAppLang english()
{
    text::TAppLang lang(0x0409);
    lang.fSetLangType(text::Language::English);
    return lang;
}

QString joined(const link::DoctorReport &report)
{
    return report.lines(english()).join(u'\n');
}

// An environment that sees only what the test puts there.
link::DoctorEnvironment fakeEnvironment(const QString &root)
{
    link::DoctorEnvironment env;
    env.procRoot = root + QStringLiteral("/proc");
    env.udevRulePath = root + QStringLiteral("/rules.d/70-t880-serial.rules");
    env.listPorts = [] {
        return QList<link::PortInfo>();
    };
    env.probeTimeoutMs = 12000;
    return env;
}

void addProcess(const QString &procRoot, int pid, const QByteArray &comm,
                const QStringList &openFiles = {})
{
    const QString dir = procRoot + QLatin1Char('/') + QString::number(pid);
    QDir().mkpath(dir + QStringLiteral("/fd"));
    writeFile(dir + QStringLiteral("/comm"), comm + '\n');
    int fd = 3;
    for (const QString &f : openFiles)
        QFile::link(f, dir + QStringLiteral("/fd/") + QString::number(fd++));
}

// Clicks \a button of the first modal dialog named \a name that is not
// \a earlier, which may still be on its way out when the next one is awaited.
std::shared_ptr<ModalSeen> pressInNextModal(const QString &name, QPointer<QWidget> earlier,
                                            const QString &button, QString *message)
{
    auto record = std::make_shared<ModalSeen>();
    auto *timer = new QTimer(qApp);
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    QObject::connect(timer, &QTimer::timeout, timer, [=] {
        QWidget *w = QApplication::activeModalWidget();
        if (w && w != earlier.data() && w->isVisible() && w->objectName() == name) {
            timer->stop();
            timer->deleteLater();
            record->seen = true;
            *message =
                w->findChild<QWidget *>(QStringLiteral("WarnDlgText"))->property("text").toString();
            QMetaObject::invokeMethod(w->findChild<QWidget *>(button), "click",
                                      Qt::QueuedConnection);
        } else if (clock->elapsed() > 30000) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start(5);
    return record;
}

} // namespace

Q_DECLARE_METATYPE(t880::link::FindingKind)
Q_DECLARE_METATYPE(t880::link::PortInfo)

class TestDoctor : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        qputenv("XDG_DATA_HOME", QFile::encodeName(path(QStringLiteral("data"))));
    }
    void permissionReasoning_data();
    void permissionReasoning();
    void missingDevice_data();
    void missingDevice();
    void withoutPermission_data();
    void withoutPermission();
    void heldByAnotherProcess();
    void heldAccordingToTheProcessTable();
    void grabbersAndUdevRule_data();
    void grabbersAndUdevRule();
    void lineFindings_data();
    void lineFindings();
    void searchFindsTheRadio();
    void badArguments_data();
    void badArguments();
    void windowDetails_data();
    void windowDetails();
    void windowSearchesAfterSilence();
};

void TestDoctor::permissionReasoning_data()
{
    QTest::addColumn<QList<unsigned>>("login");
    QTest::addColumn<QList<unsigned>>("account");
    QTest::addColumn<FindingKind>("kind");
    QTest::newRow("in neither") << QList<unsigned>{100} << QList<unsigned>{100}
                                << FindingKind::NotMember;
    QTest::newRow("added, not logged in again")
        << QList<unsigned>{100} << QList<unsigned>{100, 20} << FindingKind::NotInThisLogin;
    QTest::newRow("has the group, mode keeps out")
        << QList<unsigned>{100, 20} << QList<unsigned>{100, 20} << FindingKind::NoPermission;
}

void TestDoctor::permissionReasoning()
{
    QFETCH(QList<unsigned>, login);
    QFETCH(QList<unsigned>, account);
    QFETCH(FindingKind, kind);
    link::DeviceAccess access{QStringLiteral("/dev/ttyUSB0"),
                              QStringLiteral("dialout"),
                              20,
                              QStringLiteral("ann"),
                              login,
                              account};
    const link::Finding f = link::permissionFinding(access);
    QCOMPARE(f.kind, kind);
    QCOMPARE(f.group, QStringLiteral("dialout"));
    QCOMPARE(f.user, QStringLiteral("ann"));
}

void TestDoctor::missingDevice_data()
{
    QTest::addColumn<QList<link::PortInfo>>("ports");
    QTest::addColumn<QStringList>("words");
    QTest::newRow("none plugged in")
        << QList<link::PortInfo>()
        << QStringList{"does not exist", "No serial adapter is plugged in"};
    QTest::newRow("two adapters")
        << QList<link::PortInfo>{{"/dev/ttyUSB0", "USB Serial", "QinHeng", "1a86:7523"},
                                 {"/dev/ttyS0", "", "", ""}}
        << QStringList{"does not exist", "Serial ports present now:",
                       "  /dev/ttyUSB0 (USB Serial, QinHeng, USB ID 1a86:7523)", "  /dev/ttyS0"};
}

void TestDoctor::missingDevice()
{
    QFETCH(QList<link::PortInfo>, ports);
    QFETCH(QStringList, words);
    link::DoctorEnvironment env = fakeEnvironment(path(QStringLiteral("missing")));
    env.listPorts = [ports] {
        return ports;
    };
    const QString device = path(QStringLiteral("ttyUSB7"));
    const link::DoctorReport report = link::probePort(device, env);
    QVERIFY(report.portFailed);
    QVERIFY(!report.answered);
    const QStringList lines = report.lines(english());
    QCOMPARE(lines.value(0), QStringLiteral("The port %1 does not exist.").arg(device));
    for (const QString &w : words)
        QVERIFY2(lines.join(u'\n').contains(w), qPrintable(lines.join(u'\n')));
    QVERIFY2(report.has(FindingKind::NoPortsPresent) == ports.isEmpty(),
             qPrintable(lines.join(u'\n')));
    // The rule's state closes every report.
    QVERIFY(lines.last().startsWith(QStringLiteral("The udev rule is not installed")));
}

void TestDoctor::withoutPermission_data()
{
    QTest::addColumn<QString>("lang");
    QTest::addColumn<QStringList>("words");
    QTest::newRow("en") << "en"
                        << QStringList{"belongs to the group dialout",
                                       "the user nobody is not a member",
                                       "sudo usermod -aG dialout nobody", "the next login"};
    QTest::newRow("chs") << "chs"
                         << QStringList{"属于 dialout 组", "用户 nobody 不是该组成员",
                                        "sudo usermod -aG dialout nobody", "下次登录后生效"};
    QTest::newRow("cht") << "cht"
                         << QStringList{"屬於 dialout 群組", "使用者 nobody 不是該群組成員",
                                        "sudo usermod -aG dialout nobody", "下次登入後生效"};
}

void TestDoctor::withoutPermission()
{
    QFETCH(QString, lang);
    QFETCH(QStringList, words);
    if (::geteuid() != 0)
        QSKIP("needs root to hand a device to the dialout group and run as nobody");
    const group *dialout = ::getgrnam("dialout");
    if (!dialout)
        QSKIP("this system has no dialout group");
    // A present device, as a freshly plugged adapter is: root:dialout, 0660.
    PresentPort port;
    QVERIFY(!port.path().isEmpty());
    const QByteArray dev = QFile::encodeName(port.path());
    QCOMPARE(::chown(dev.constData(), 0, dialout->gr_gid), 0);
    QCOMPARE(::chmod(dev.constData(), 0660), 0);

    QProcess p;
    p.start(QStringLiteral("setpriv"),
            {QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
             QStringLiteral("--clear-groups"), QStringLiteral(T880_CLI_PATH),
             QStringLiteral("doctor"), QStringLiteral("--port"), port.path(),
             QStringLiteral("--lang"), lang});
    QVERIFY(p.waitForFinished(30000));
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    QVERIFY2(p.exitStatus() == QProcess::NormalExit && p.exitCode() == 6,
             qPrintable(out + QString::fromUtf8(p.readAllStandardError())));
    QVERIFY2(out.contains(port.path()), qPrintable(out));
    for (const QString &w : words)
        QVERIFY2(out.contains(w), qPrintable(out));
}

void TestDoctor::heldByAnotherProcess()
{
    // Another t880 that waits on the port for a radio that never answers.
    PresentPort port;
    QVERIFY(!port.path().isEmpty());
    QProcess holder;
    holder.start(QStringLiteral(T880_CLI_PATH),
                 {QStringLiteral("status"), QStringLiteral("--port"), port.path()});
    QVERIFY(holder.waitForStarted(10000));
    const link::DoctorEnvironment env;
    QTRY_VERIFY_WITH_TIMEOUT(!link::holderFindings(port.path(), env).isEmpty(), 10000);

    const CliResult run = runCli({QStringLiteral("doctor"), QStringLiteral("--port"), port.path(),
                                  QStringLiteral("--lang"), QStringLiteral("en")});
    const qint64 holderPid = holder.processId();
    holder.kill();
    holder.waitForFinished(5000);
    QVERIFY2(run.exitCode == 6, run.out + run.err);
    const QString out = QString::fromUtf8(run.out);
    QVERIFY2(out.contains(QStringLiteral("The port %1 is held by t880 (process %2).")
                              .arg(port.path())
                              .arg(holderPid)),
             qPrintable(out));
}

void TestDoctor::heldAccordingToTheProcessTable()
{
    // Through a made-up process table: the link of an open descriptor names
    // the device, or a link to it.
    const QString root = path(QStringLiteral("held"));
    PresentPort port;
    QVERIFY(!port.path().isEmpty());
    const QString alias = root + QStringLiteral("/cable");
    QDir().mkpath(root);
    QVERIFY(QFile::link(port.path(), alias));
    link::DoctorEnvironment env = fakeEnvironment(root);
    addProcess(env.procRoot, 4711, "minicom", {port.path()});
    addProcess(env.procRoot, 4712, "picocom", {alias});
    addProcess(env.procRoot, 4713, "bash", {QStringLiteral("/dev/null")});
    addProcess(env.procRoot, 4714, "self", {port.path()});
    env.ownPid = 4714;
    const QList<link::Finding> found = link::holderFindings(port.path(), env);
    QStringList seen;
    for (const link::Finding &f : found)
        seen << QStringLiteral("%1 %2").arg(f.program).arg(f.pid);
    seen.sort();
    QCOMPARE(seen, (QStringList{"minicom 4711", "picocom 4712"}));
}

void TestDoctor::grabbersAndUdevRule_data()
{
    QTest::addColumn<QList<QByteArray>>("programs");
    QTest::addColumn<bool>("ruleInstalled");
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<QStringList>("absent");
    QTest::newRow("ModemManager, rule missing")
        << QList<QByteArray>{"bash", "ModemManager"} << false
        << QStringList{"ModemManager is running (process 101)",
                       "  sudo systemctl stop ModemManager"}
        << QStringList{"brltty"};
    QTest::newRow("brltty, rule installed")
        << QList<QByteArray>{"brltty", "sshd"} << true
        << QStringList{"brltty is running (process 100)", "  sudo apt remove brltty"}
        << QStringList{"ModemManager"};
    QTest::newRow("neither") << QList<QByteArray>{"bash", "Xorg"} << true << QStringList()
                             << QStringList{"ModemManager", "brltty"};
}

void TestDoctor::grabbersAndUdevRule()
{
    QFETCH(QList<QByteArray>, programs);
    QFETCH(bool, ruleInstalled);
    QFETCH(QStringList, words);
    QFETCH(QStringList, absent);
    const QString root = path(QStringLiteral("grab-%1").arg(QTest::currentDataTag()));
    link::DoctorEnvironment env = fakeEnvironment(root);
    for (int i = 0; i < programs.size(); ++i)
        addProcess(env.procRoot, 100 + i, programs[i]);
    if (ruleInstalled) {
        QDir().mkpath(QFileInfo(env.udevRulePath).path());
        QVERIFY(writeFile(env.udevRulePath, "# rule\n"));
    }
    const link::DoctorReport report = link::probePort(root + QStringLiteral("/ttyUSB0"), env);
    const QStringList lines = report.lines(english());
    const QString all = lines.join(u'\n');
    for (const QString &w : words)
        QVERIFY2(all.contains(w), qPrintable(all));
    for (const QString &w : absent)
        QVERIFY2(!all.contains(w), qPrintable(all));
    QCOMPARE(lines.last(),
             ruleInstalled ? QStringLiteral("The udev rule is installed: %1").arg(env.udevRulePath)
                           : QStringLiteral("The udev rule is not installed (%1). It gives the "
                                            "logged-in user the programming cable and keeps "
                                            "ModemManager off it.")
                                 .arg(env.udevRulePath));
}

void TestDoctor::lineFindings_data()
{
    QTest::addColumn<QStringList>("radioArgs");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("words");
    QTest::newRow("answers") << QStringList() << 0 << QStringList{"The radio answered on"};
    QTest::newRow("silent") << QStringList{"--silent-after", "0"} << 3
                            << QStringList{"opened, but nothing answered", "programming mode",
                                           "automatic search can try every serial port"};
    QTest::newRow("answers, then falls silent")
        << QStringList{"--silent-after", "1"} << 3
        << QStringList{"answered, but the connection broke off"};
    QTest::newRow("garbage") << QStringList{"--corrupt-rate", "1", "--seed", "7"} << 3
                             << QStringList{"but not as this radio does", "line setting problem"};
}

void TestDoctor::lineFindings()
{
    QFETCH(QStringList, radioArgs);
    QFETCH(int, exitCode);
    QFETCH(QStringList, words);
    const QString dir = path(QStringLiteral("line-%1").arg(QTest::currentDataTag()));
    QDir().mkpath(dir);
    VirtualRadioProcess radio;
    QVERIFY(startRadio(radio, dir, QByteArray(0x10000, '\0'), radioArgs));
    const QString link = dir + QStringLiteral("/radio");
    const CliResult run = runCli({QStringLiteral("doctor"), QStringLiteral("--port"), link,
                                  QStringLiteral("--lang"), QStringLiteral("en")});
    QVERIFY2(run.exitCode == exitCode, run.out + run.err);
    const QString out = QString::fromUtf8(run.out);
    QVERIFY2(out.contains(link), qPrintable(out));
    for (const QString &w : words)
        QVERIFY2(out.contains(w), qPrintable(out));
    // The virtual radio serves its pseudo-terminal; it is no rival reader.
    QVERIFY2(!out.contains(QStringLiteral("also open in")), qPrintable(out));
}

void TestDoctor::searchFindsTheRadio()
{
    const QString dir = path(QStringLiteral("search"));
    QDir().mkpath(dir);
    VirtualRadioProcess radio;
    QVERIFY(startRadio(radio, dir, QByteArray(0x10000, '\0')));
    link::DoctorEnvironment env = fakeEnvironment(dir);
    const QString gone = dir + QStringLiteral("/unplugged");
    const QString link = dir + QStringLiteral("/radio");
    env.listPorts = [gone, link] {
        return QList<link::PortInfo>{{gone, "USB Serial", "", "1a86:7523"}, {link, "", "", ""}};
    };
    const link::DoctorReport report = link::probePort(QString(), env);
    QVERIFY2(report.answered, qPrintable(joined(report)));
    QCOMPARE(report.lines(english()).value(0),
             QStringLiteral("Automatic search: the radio answered on %1.").arg(link));
}

void TestDoctor::badArguments_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");
    QTest::newRow("language") << QStringList{"--lang", "de"} << "unknown language 'de'";
    QTest::newRow("port number") << QStringList{"--port", "12"}
                                 << "--port takes a number 1..9 or a device path";
    QTest::newRow("positional") << QStringList{"ttyUSB0"} << "ttyUSB0";
}

void TestDoctor::badArguments()
{
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    const CliResult run = runCli(QStringList{QStringLiteral("doctor")} + args);
    QCOMPARE(run.exitCode, 2);
    QVERIFY2(QString::fromUtf8(run.err).contains(message), run.err);
    QVERIFY(run.out.isEmpty());
}

void TestDoctor::windowDetails_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("words");
    QTest::newRow("en") << 0 << "does not exist";
    QTest::newRow("chs") << 1 << "不存在";
    QTest::newRow("cht") << 2 << "不存在";
}

void TestDoctor::windowDetails()
{
    QFETCH(int, language);
    QFETCH(QString, words);
    Document state;
    state.lang().applyLanguageSetting(language);
    state.config().port = 1;
    state.config().autoSearchPort = false;
    link::PortMap map;
    const QString device = path(QStringLiteral("no-cable-here"));
    map.bind(1, device);
    TProgramDialog dialog(state, link::OpCode::Codeplug, link::ReadMode::Read, map, nullptr);
    QString findings;
    bool searchOffered = true;
    const QString tag = QString::fromLatin1(QTest::currentDataTag());
    auto message = whenModal(QStringLiteral("UserWarnDlg"), [&](QWidget *w) {
        saveShot(w, QStringLiteral("doctor-message-") + tag);
        auto *details = w->findChild<QPushButton *>(QStringLiteral("DetailsBtn"));
        QVERIFY(details);
        QMetaObject::invokeMethod(details, "click", Qt::QueuedConnection);
    });
    auto doctor = whenModal(QStringLiteral("DoctorDlg"), [&](QWidget *w) {
        saveShot(w, QStringLiteral("doctor-") + tag);
        findings = w->findChild<QPlainTextEdit *>(QStringLiteral("FindingsText"))->toPlainText();
        searchOffered = w->findChild<QPushButton *>(QStringLiteral("SearchBtn"))->isVisible();
        // Closing the findings leaves the message; its OK ends the dialog.
        pressWhenShown(QStringLiteral("UserWarnDlg"), "OKBtn");
        QMetaObject::invokeMethod(w->findChild<QPushButton *>(QStringLiteral("CloseBtn")), "click",
                                  Qt::QueuedConnection);
    });
    QTimer::singleShot(0, dialog.ProgramStart, &QPushButton::click);
    dialog.exec();
    QVERIFY(message->seen);
    QVERIFY(doctor->seen);
    QVERIFY2(findings.contains(device) && findings.contains(words), qPrintable(findings));
    QVERIFY(!searchOffered); // a missing device is no case for the search
    QCOMPARE(dialog.outcome(), link::Outcome::CommunicationFalse);
}

void TestDoctor::windowSearchesAfterSilence()
{
    // COM2 is the port chosen, and silent; the radio is on COM1.
    const QString dir = path(QStringLiteral("window-search"));
    QDir().mkpath(dir);
    VirtualRadioProcess radio;
    QVERIFY(startRadio(radio, dir, radioMemory(dir)));
    PresentPort silent;
    QVERIFY(!silent.path().isEmpty());
    Document state;
    state.config().port = 2;
    state.config().autoSearchPort = false;
    link::PortMap map;
    map.bind(1, dir + QStringLiteral("/radio"));
    map.bind(2, silent.path());
    TProgramDialog dialog(state, link::OpCode::Codeplug, link::ReadMode::Read, map, nullptr);
    QString findings;
    QString result;
    QPointer<QWidget> first;
    std::shared_ptr<ModalSeen> outcome;
    auto message = whenModal(QStringLiteral("UserWarnDlg"), [&](QWidget *w) {
        first = w;
        QMetaObject::invokeMethod(w->findChild<QPushButton *>(QStringLiteral("DetailsBtn")),
                                  "click", Qt::QueuedConnection);
    });
    auto doctor = whenModal(QStringLiteral("DoctorDlg"), [&](QWidget *w) {
        findings = w->findChild<QPlainTextEdit *>(QStringLiteral("FindingsText"))->toPlainText();
        outcome = pressInNextModal(QStringLiteral("UserWarnDlg"), first, QStringLiteral("OKBtn"),
                                   &result);
        QMetaObject::invokeMethod(w->findChild<QPushButton *>(QStringLiteral("SearchBtn")), "click",
                                  Qt::QueuedConnection);
    });
    QTimer::singleShot(0, dialog.ProgramStart, &QPushButton::click);
    dialog.exec();
    QVERIFY(message->seen && doctor->seen && outcome && outcome->seen);
    // The window names the port by its number, with its device.
    QVERIFY2(findings.contains(
                 QStringLiteral("COM2 (%1) opened, but nothing answered").arg(silent.path())),
             qPrintable(findings));
    QCOMPARE(dialog.outcome(), link::Outcome::Success);
    QCOMPARE(result, QStringLiteral("SUCCESS"));
    // The user's own choice of port stays as it was.
    QVERIFY(!state.config().autoSearchPort);
    QVERIFY(dialog.takeResult());
    QCOMPARE(state.program().codeplug.setting(Setting::tot), 60u);
}

QTEST_MAIN(TestDoctor)
#include "tst_doctor.moc"
