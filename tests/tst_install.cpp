// What `cmake --install` puts into a prefix, and whether the desktop's own
// tools accept it: the file list, the desktop entry, the catalogue entry,
// the file types, the manual pages, the udev rule and the installed programs.
#include "packaging/installpaths.h"

#include "testsupport.h"

#include <QDirIterator>
#include <QMimeDatabase>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace t880::testing;

namespace {

const QString kCodeplugType = QStringLiteral("application/x-t880-codeplug");
const QString kCalibrationType = QStringLiteral("application/x-t880-calibration");

const QString kDesktop = QStringLiteral("share/applications/t880-gui.desktop");
const QString kMime = QStringLiteral("share/mime/packages/t880.xml");
const QString kIcon = QStringLiteral("share/icons/hicolor/scalable/apps/t880-gui.svg");
const QString kMetainfo = QStringLiteral("share/metainfo/com.talvern.t880.metainfo.xml");
const QString kUdevRule = QStringLiteral("lib/udev/rules.d/70-t880-serial.rules");

struct Run
{
    bool started = false;
    bool finished = false;
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Run run(const QString &program, const QStringList &args,
        const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment(),
        int timeoutMs = 30000)
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, args);
    Run r;
    r.started = p.waitForStarted(10000);
    if (!r.started) {
        r.err = p.errorString().toUtf8();
        return r;
    }
    r.finished = p.waitForFinished(timeoutMs);
    if (!r.finished) {
        p.kill();
        p.waitForFinished(5000);
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

QString describe(const Run &r)
{
    return QStringLiteral("exit %1\nstdout: %2\nstderr: %3")
        .arg(r.finished ? QString::number(r.exitCode) : QStringLiteral("(did not end)"),
             QString::fromUtf8(r.out), QString::fromUtf8(r.err));
}

// The values of one key of a desktop entry's main group, split at ';'.
QStringList desktopList(const QByteArray &entry, const char *key)
{
    const QRegularExpression re(QStringLiteral("^%1=(.*)$").arg(QLatin1String(key)),
                                QRegularExpression::MultilineOption);
    const QRegularExpressionMatch m = re.match(QString::fromUtf8(entry));
    return m.hasMatch() ? m.captured(1).split(u';', Qt::SkipEmptyParts) : QStringList();
}

} // namespace

class TestInstall : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void installedFiles_data();
    void installedFiles();
    void nothingElseInstalled();
    void udevRuleWhereTheProgramsLookForIt();

    void programsRun_data();
    void programsRun();

    void validators_data();
    void validators();
    void manPages_data();
    void manPages();

    void desktopEntryNamesWhatIsInstalled();
    void fileTypes_data();
    void fileTypes();
    void udevRule_data();
    void udevRule();

private:
    QString installed(const QString &relative) const { return m_prefix.filePath(relative); }

    QTemporaryDir m_prefix;
};

void TestInstall::initTestCase()
{
    QVERIFY(m_prefix.isValid());
    // Before anything asks QMimeDatabase: it reads the folders once.
    qputenv("XDG_DATA_DIRS",
            QFile::encodeName(installed(QStringLiteral("share"))) + ":/usr/local/share:/usr/share");
    const Run r = run(QStringLiteral(T880_CMAKE_COMMAND),
                      {QStringLiteral("--install"), QStringLiteral(T880_BUILD_DIR),
                       QStringLiteral("--prefix"), m_prefix.path()},
                      QProcessEnvironment::systemEnvironment(), 120000);
    QVERIFY2(r.finished && r.exitCode == 0, qPrintable(describe(r)));
}

// --------------------------------------------------------------- the list

void TestInstall::installedFiles_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("executable");
    QTest::newRow("command line") << "bin/t880" << true;
    QTest::newRow("window") << "bin/t880-gui" << true;
    QTest::newRow("desktop entry") << kDesktop << false;
    QTest::newRow("file types") << kMime << false;
    QTest::newRow("icon") << kIcon << false;
    QTest::newRow("catalogue entry") << kMetainfo << false;
    QTest::newRow("manual page of t880") << "share/man/man1/t880.1.gz" << false;
    QTest::newRow("manual page of t880-gui") << "share/man/man1/t880-gui.1.gz" << false;
    QTest::newRow("udev rule") << kUdevRule << false;
    QTest::newRow("copyright") << "share/doc/t880/copyright" << false;
    QTest::newRow("changelog") << "share/doc/t880/changelog.gz" << false;
    QTest::newRow("manual, English") << "share/doc/t880/manual/en/manual.html" << false;
    QTest::newRow("manual, Simplified Chinese") << "share/doc/t880/manual/chs/manual.html" << false;
    QTest::newRow("manual, Traditional Chinese")
        << "share/doc/t880/manual/cht/manual.html" << false;
}

void TestInstall::installedFiles()
{
    QFETCH(QString, path);
    QFETCH(bool, executable);
    const QFileInfo info(installed(path));
    QVERIFY2(info.isFile(), qPrintable(path + QStringLiteral(" is not installed")));
    QVERIFY(info.size() > 0);
    const QFile::Permissions anyExec = QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther;
    if (executable)
        QCOMPARE(info.permissions() & anyExec, anyExec);
    else
        QCOMPARE(info.permissions() & anyExec, QFile::Permissions());
    QVERIFY(info.permissions() & QFile::ReadOther);
}

void TestInstall::nothingElseInstalled()
{
    const QSet<QString> expected = {QStringLiteral("bin/t880"),
                                    QStringLiteral("bin/t880-gui"),
                                    kDesktop,
                                    kMime,
                                    kIcon,
                                    kMetainfo,
                                    QStringLiteral("share/man/man1/t880.1.gz"),
                                    QStringLiteral("share/man/man1/t880-gui.1.gz"),
                                    kUdevRule,
                                    QStringLiteral("share/doc/t880/copyright"),
                                    QStringLiteral("share/doc/t880/changelog.gz")};
    QSet<QString> found;
    QDirIterator it(m_prefix.path(), QDir::Files | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        found.insert(QDir(m_prefix.path()).relativeFilePath(it.next()));
    QStringList extra = QStringList(found.cbegin(), found.cend());
    // The manual: its text and pictures in each language.
    extra.removeIf([&](const QString &f) {
        return expected.contains(f) ||
               QRegularExpression(QStringLiteral("^share/doc/t880/manual/(en|chs|cht)/"
                                                 "(manual\\.html|images/[a-z-]+\\.png)$"))
                   .match(f)
                   .hasMatch();
    });
    QVERIFY2(extra.isEmpty(), qPrintable(QStringLiteral("also installed: ") + extra.join(u' ')));
}

void TestInstall::udevRuleWhereTheProgramsLookForIt()
{
    // The programs know the rule's place from the build; the install rule
    // must put it exactly there, relative to the prefix the build names.
    const QString compiled = QString::fromUtf8(t880::install::UdevRulePath);
    const QString prefix = QStringLiteral(T880_INSTALL_PREFIX);
    QVERIFY2(compiled.startsWith(prefix + u'/'), qPrintable(compiled));
    QCOMPARE(compiled.mid(prefix.size() + 1), kUdevRule);
    QCOMPARE(QString::fromUtf8(t880::install::UdevRuleFileName), QFileInfo(kUdevRule).fileName());
    QCOMPARE(QString::fromUtf8(t880::install::BinDir), prefix + QStringLiteral("/bin"));
}

// ------------------------------------------------------------ the programs

void TestInstall::programsRun_data()
{
    QTest::addColumn<QString>("program");
    QTest::newRow("t880") << "bin/t880";
    QTest::newRow("t880-gui") << "bin/t880-gui";
}

void TestInstall::programsRun()
{
    QFETCH(QString, program);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    // In the sanitizer build: --help ends the window's process from inside
    // the option parser, with the application still alive; not a leak.
    env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
    const Run version = run(installed(program), {QStringLiteral("--version")}, env);
    QVERIFY2(version.finished && version.exitCode == 0, qPrintable(describe(version)));
    QCOMPARE(version.out.trimmed(), QByteArray("t880 " T880_VERSION));
    const Run help = run(installed(program), {QStringLiteral("--help")}, env);
    QVERIFY2(help.finished && help.exitCode == 0, qPrintable(describe(help)));
    QVERIFY2(help.out.contains("Usage:"), help.out.constData());
}

// ------------------------------------------------------------ the checkers

void TestInstall::validators_data()
{
    QTest::addColumn<QString>("tool");
    QTest::addColumn<QString>("package");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("file");
    QTest::newRow("desktop entry") << "desktop-file-validate"
                                   << "desktop-file-utils" << QStringList() << kDesktop;
    QTest::newRow("catalogue entry")
        << "appstreamcli"
        << "appstream"
        << QStringList{QStringLiteral("validate"), QStringLiteral("--no-net"),
                       QStringLiteral("--pedantic")}
        << kMetainfo;
    QTest::newRow("file types") << "xmllint"
                                << "libxml2-utils" << QStringList{QStringLiteral("--noout")}
                                << kMime;
    QTest::newRow("icon") << "xmllint"
                          << "libxml2-utils" << QStringList{QStringLiteral("--noout")} << kIcon;
}

void TestInstall::validators()
{
    QFETCH(QString, tool);
    QFETCH(QString, package);
    QFETCH(QStringList, args);
    QFETCH(QString, file);
    const QString path = QStandardPaths::findExecutable(tool);
    if (path.isEmpty())
        QSKIP(
            qPrintable(tool + QStringLiteral(" is missing: scripts/setup.sh installs ") + package));
    const Run r = run(path, args << installed(file));
    QVERIFY2(r.finished && r.exitCode == 0, qPrintable(describe(r)));
    // Hints and warnings count too: they are how these tools say "wrong".
    if (tool == QLatin1String("desktop-file-validate"))
        QVERIFY2(r.out.isEmpty() && r.err.isEmpty(), qPrintable(describe(r)));
}

void TestInstall::manPages_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QStringList>("mustHold");
    QTest::newRow("t880") << "share/man/man1/t880.1.gz"
                          << QStringList{QStringLiteral("t880 - program a T-880 handheld radio "
                                                        "from the command line"),
                                         QStringLiteral("t880 read"),
                                         QStringLiteral("t880 emulate"), QStringLiteral("--port"),
                                         QStringLiteral("--version")};
    QTest::newRow("t880-gui") << "share/man/man1/t880-gui.1.gz"
                              << QStringList{QStringLiteral("t880-gui - program a T-880 handheld "
                                                            "radio"),
                                             QStringLiteral("--config"),
                                             QStringLiteral("--screenshot")};
}

void TestInstall::manPages()
{
    QFETCH(QString, page);
    QFETCH(QStringList, mustHold);
    const QString man = QStandardPaths::findExecutable(QStringLiteral("man"));
    if (man.isEmpty())
        QSKIP("man is missing: scripts/setup.sh installs man-db");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("MANWIDTH"), QStringLiteral("200"));
    env.insert(QStringLiteral("MAN_KEEP_FORMATTING"), QString());
    env.remove(QStringLiteral("MANPAGER"));
    env.insert(QStringLiteral("PAGER"), QStringLiteral("cat"));
    const Run r = run(man,
                      {QStringLiteral("--warnings"), QStringLiteral("-E"), QStringLiteral("UTF-8"),
                       QStringLiteral("-l"), installed(page)},
                      env);
    QVERIFY2(r.finished && r.exitCode == 0, qPrintable(describe(r)));
    // groff's warnings go to stderr: a page it had to guess at is a fault.
    QVERIFY2(r.err.isEmpty(), r.err.constData());
    // man marks bold and underline with backspaces even into a pipe.
    const QString text = QString::fromUtf8(r.out).remove(QRegularExpression(QStringLiteral(".\b")));
    for (const QString &s : mustHold)
        QVERIFY2(text.contains(s), qPrintable(s + QStringLiteral(" missing from:\n") + text));
}

// -------------------------------------------------------- how they fit

void TestInstall::desktopEntryNamesWhatIsInstalled()
{
    const QByteArray entry = readFile(installed(kDesktop));
    const QStringList exec = desktopList(entry, "Exec").value(0).split(u' ');
    QVERIFY(QFileInfo(installed(QStringLiteral("bin/") + exec.value(0))).isExecutable());
    QCOMPARE(desktopList(entry, "TryExec"), QStringList{exec.value(0)});
    const QString icon = desktopList(entry, "Icon").value(0);
    QCOMPARE(QStringLiteral("share/icons/hicolor/scalable/apps/") + icon + QStringLiteral(".svg"),
             kIcon);
    // The window tells the desktop this name, which must be the entry's file name.
    QCOMPARE(QFileInfo(kDesktop).completeBaseName(), QStringLiteral("t880-gui"));

    QStringList types = desktopList(entry, "MimeType");
    types.sort();
    QCOMPARE(types, (QStringList{kCalibrationType, kCodeplugType}));
    const QByteArray mime = readFile(installed(kMime));
    const QByteArray metainfo = readFile(installed(kMetainfo));
    for (const QString &t : std::as_const(types)) {
        QVERIFY2(mime.contains("<mime-type type=\"" + t.toUtf8() + "\">"), qPrintable(t));
        QVERIFY2(metainfo.contains("<mediatype>" + t.toUtf8() + "</mediatype>"), qPrintable(t));
    }
    QVERIFY(metainfo.contains("<launchable type=\"desktop-id\">t880-gui.desktop</launchable>"));
    QVERIFY(metainfo.contains("<icon type=\"stock\">" + icon.toUtf8() + "</icon>"));
    QVERIFY(metainfo.contains("<release version=\"" T880_VERSION "\""));
}

void TestInstall::fileTypes_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("type");
    QTest::newRow("codeplug as the window saves it") << "radio.Kzx" << kCodeplugType;
    QTest::newRow("codeplug in lower case") << "radio.kzx" << kCodeplugType;
    QTest::newRow("codeplug in capitals") << "RADIO.KZX" << kCodeplugType;
    QTest::newRow("calibration as the dialog saves it") << "cal.kzxa" << kCalibrationType;
    QTest::newRow("calibration in capitals") << "CAL.KZXA" << kCalibrationType;
    QTest::newRow("calibration in mixed case") << "cal.Kzxa" << kCalibrationType;
    QTest::newRow("a copy aside is neither") << "radio.Kzx.bak" << QString();
    QTest::newRow("a shorter suffix is neither") << "radio.kz" << QString();
    QTest::newRow("a longer suffix is neither") << "radio.kzxab" << QString();
}

void TestInstall::fileTypes()
{
    QFETCH(QString, name);
    QFETCH(QString, type);
    // Qt reads the installed definition itself (no mime.cache in the prefix),
    // following the same matching rules as the desktop's tools.
    const QMimeType found = QMimeDatabase().mimeTypeForFile(name, QMimeDatabase::MatchExtension);
    if (type.isEmpty())
        QVERIFY2(!found.name().startsWith(QLatin1String("application/x-t880")),
                 qPrintable(found.name()));
    else
        QCOMPARE(found.name(), type);
}

void TestInstall::udevRule_data()
{
    QTest::addColumn<QString>("vendor");
    QTest::addColumn<QString>("product");
    QTest::newRow("CH340") << "1a86"
                           << "7523";
    QTest::newRow("CP210x") << "10c4"
                            << "ea60";
    QTest::newRow("FTDI FT232R") << "0403"
                                 << "6001";
    QTest::newRow("FTDI FT230X") << "0403"
                                 << "6015";
    QTest::newRow("PL2303") << "067b"
                            << "2303";
}

void TestInstall::udevRule()
{
    QFETCH(QString, vendor);
    QFETCH(QString, product);
    // The seat's access rules act on the tag in 73-seat-late.rules; a rule
    // sorted after it would tag the port too late.
    QVERIFY(QFileInfo(kUdevRule).fileName() < QStringLiteral("73-seat-late.rules"));
    const QStringList lines = QString::fromUtf8(readFile(installed(kUdevRule))).split(u'\n');
    QStringList matching;
    for (const QString &line : lines) {
        if (line.startsWith(u'#'))
            continue;
        if (line.contains(QStringLiteral("ATTRS{idVendor}==\"%1\"").arg(vendor)) &&
            line.contains(QStringLiteral("ATTRS{idProduct}==\"%1\"").arg(product)))
            matching << line;
    }
    QCOMPARE(matching.size(), 1);
    const QString &rule = matching.first();
    QVERIFY2(rule.startsWith(QLatin1String("SUBSYSTEM==\"tty\", ")), qPrintable(rule));
    QVERIFY2(rule.contains(QLatin1String("TAG+=\"uaccess\"")), qPrintable(rule));
    QVERIFY2(rule.contains(QLatin1String("ENV{ID_MM_DEVICE_IGNORE}=\"1\"")), qPrintable(rule));
}

QTEST_GUILESS_MAIN(TestInstall)
#include "tst_install.moc"
