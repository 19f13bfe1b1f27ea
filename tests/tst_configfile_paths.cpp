// The configuration file suite: paths that are no configuration file (left
// alone), garbage read as far as it makes sense, and where the file is.
#include "tst_configfile.h"

using namespace t880;
using namespace t880::testing;
using namespace configfiletest;

namespace {

bool isFifo(const QString &path)
{
    struct stat st = {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISFIFO(st.st_mode);
}

} // namespace

// ------------------------------------------------- what is no config file

void TestConfigFile::hostilePaths_data()
{
    QTest::addColumn<QString>("what");
    QTest::addColumn<int>("error");

    QTest::newRow("FIFO") << "fifo" << int(FileError::NotRegular);
    QTest::newRow("folder") << "folder" << int(FileError::IsFolder);
    QTest::newRow("file one byte above 1 MiB") << "large" << int(FileError::TooLarge);
    QTest::newRow("folder of the file missing") << "nofolder" << int(FileError::NoFolder);
    QTest::newRow("read-only folder") << "readonly" << int(FileError::CannotWrite);
}

void TestConfigFile::hostilePaths()
{
    QFETCH(QString, what);
    QFETCH(int, error);
    if (what == QLatin1String("readonly") && runningAsRoot())
        QSKIP("root may write into any folder; \"folder of the file missing\" fails the same way");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QString path = dir.filePath(QStringLiteral("_config.ini"));
    // Port 3 in it: reading any of it would show.
    QByteArray large("[config]\nPort=3\n");
    large += QByteArray(MaxConfigFileSize + 1 - large.size(), ';');
    if (what == QLatin1String("fifo"))
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    else if (what == QLatin1String("folder"))
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("_config.ini")));
    else if (what == QLatin1String("large"))
        QVERIFY(writeFile(path, large));
    else if (what == QLatin1String("nofolder"))
        path = dir.filePath(QStringLiteral("gone/_config.ini"));
    const QByteArray folder = QFile::encodeName(dir.path());
    if (what == QLatin1String("readonly"))
        QCOMPARE(::chmod(folder.constData(), 0555), 0);
    const auto restore = qScopeGuard([&] { ::chmod(folder.constData(), 0700); });
    const QStringList before = listing(dir.path());

    const ConfigLoad load = loadConfig(path);
    QCOMPARE(int(load.result.error), error);
    QVERIFY(!load.existed);
    QCOMPARE(newConfigText(load.config), kNewFile);

    AppConfig session = load.config;
    session.port = 6;
    QCOMPARE(int(saveConfig(path, session).error), error);

    QCOMPARE(listing(dir.path()), before);
    if (what == QLatin1String("fifo"))
        QVERIFY(isFifo(path));
    else if (what == QLatin1String("folder"))
        QVERIFY(QFileInfo(path).isDir() && QDir(path).isEmpty());
    else if (what == QLatin1String("large"))
        QVERIFY(readFile(path) == large);
}

void TestConfigFile::garbageKeepsWhatIsSensible_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("port");

    QByteArray noise;
    for (int i = 0; i < 4096; ++i)
        noise += char((i * 7919 + 13) % 256);
    QTest::newRow("binary noise around a sensible key")
        << noise + "\n[config]\nPort=4\n" + noise << 4;
    QTest::newRow("NUL bytes") << bytes("[config]\0\nPort=4\n\0\0\0") << 4;
    QByteArray largest("[config]\r\nPort=8\r\n");
    while (largest.size() < MaxConfigFileSize)
        largest += "; padding\r\n";
    QTest::newRow("exactly 1 MiB") << largest.left(MaxConfigFileSize) << 8;
    QTest::newRow("1 MiB of empty lines") << QByteArray(MaxConfigFileSize, '\n') << 1;
    QTest::newRow("only a BOM") << kBom << 1;
}

// Read as far as it makes sense; nothing the user wrote is lost on saving.
void TestConfigFile::garbageKeepsWhatIsSensible()
{
    QFETCH(QByteArray, text);
    QFETCH(int, port);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("_config.ini"));
    QVERIFY(writeFile(path, text));
    const ConfigLoad load = loadConfig(path);
    QVERIFY(load.result.ok());
    QVERIFY(load.existed);
    QCOMPARE(load.config.port, port);
    QCOMPARE(readFile(path), text);

    QVERIFY(saveConfig(path, configdata::afterSession(load.config)).ok());
    const QByteArray saved = readFile(path);
    const qsizetype at = text.indexOf("Port=");
    if (at >= 0) {
        QCOMPARE(describeDiff(saved.left(at), text.left(at)), QString());
        QCOMPARE(saved.mid(at, 6), QByteArray("Port=5"));
    } else {
        QVERIFY(saved.startsWith(text));
    }
}

// --------------------------------------------------------------- location

void TestConfigFile::location_data()
{
    QTest::addColumn<QString>("explicitPath");
    QTest::addColumn<QString>("executableDir");
    QTest::addColumn<bool>("writable");
    QTest::addColumn<QString>("installedBinDir");
    QTest::addColumn<QString>("expected");

    const auto row = [](const char *name, const char *explicitPath, const char *executableDir,
                        bool writable, const char *installedBinDir, const char *expected) {
        QTest::newRow(name) << QString::fromUtf8(explicitPath) << QString::fromUtf8(executableDir)
                            << writable << QString::fromUtf8(installedBinDir)
                            << QString::fromUtf8(expected);
    };
    row("explicit path first, program folder writable", "@/mine.ini", "@/bin", true, "",
        "@/mine.ini");
    row("explicit path first, program folder read-only", "other.ini", "@/bin", false, "",
        "other.ini");
    row("explicit path first, installed program", "@/mine.ini", "@/bin", true, "@/bin",
        "@/mine.ini");
    row("beside the program when its folder may be written", "", "@/bin", true, "",
        "@/bin/_config.ini");
    row("beside a program outside the installed programs' folder", "", "@/bin", true, "@/usr/bin",
        "@/bin/_config.ini");
    row("the user's configuration folder otherwise", "", "@/bin", false, "",
        "@/xdg/t880/_config.ini");
    row("the user's configuration folder when the program's is unknown", "", "", true, "@/bin",
        "@/xdg/t880/_config.ini");
    // Root may write anywhere; the installed programs' folder is still not
    // the place for a file of its own.
    row("installed program, its folder writable", "", "@/bin", true, "@/bin",
        "@/xdg/t880/_config.ini");
    row("installed program, folder given with a trailing separator", "", "@/bin", true, "@/bin/",
        "@/xdg/t880/_config.ini");
    row("installed program, folder given through a link", "", "@/bin", true, "@/linked-bin",
        "@/xdg/t880/_config.ini");
}

void TestConfigFile::location()
{
    QFETCH(QString, explicitPath);
    QFETCH(QString, executableDir);
    QFETCH(bool, writable);
    QFETCH(QString, installedBinDir);
    QFETCH(QString, expected);
    const auto expand = [this](QString s) {
        return s.replace(u'@', m_home.path());
    };
    QVERIFY(QDir(m_home.filePath(QStringLiteral("xdg"))).removeRecursively());
    QVERIFY(QDir().mkpath(m_home.filePath(QStringLiteral("bin"))));
    const QString link = m_home.filePath(QStringLiteral("linked-bin"));
    QVERIFY(QFileInfo(link).isSymLink() ||
            QFile::link(m_home.filePath(QStringLiteral("bin")), link));

    QStringList asked;
    const QString where = configLocation(
        expand(explicitPath), expand(executableDir),
        [&](const QString &folder) {
            asked << folder;
            return writable;
        },
        expand(installedBinDir));
    QCOMPARE(where, expand(expected));
    if (explicitPath.isEmpty() && !executableDir.isEmpty() && installedBinDir.isEmpty())
        QCOMPARE(asked, QStringList{expand(executableDir)});
    // The folder is there for the first run to write the file into.
    if (explicitPath.isEmpty())
        QVERIFY(QFileInfo(QFileInfo(where).absolutePath()).isDir());
}

void TestConfigFile::locationByPermissions_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("expected");
    QTest::newRow("writable program folder") << 0755 << "@/bin/_config.ini";
    QTest::newRow("read-only program folder") << 0555 << "@/xdg/t880/_config.ini";
}

void TestConfigFile::locationByPermissions()
{
    QFETCH(int, mode);
    QFETCH(QString, expected);
    if (!(mode & 0200) && runningAsRoot())
        QSKIP("root may write into any folder; the rows of location() cover this");
    QVERIFY(QDir(m_home.filePath(QStringLiteral("xdg"))).removeRecursively());
    const QString bin = m_home.filePath(QStringLiteral("bin"));
    QVERIFY(QDir().mkpath(bin));
    QCOMPARE(::chmod(QFile::encodeName(bin).constData(), mode_t(mode)), 0);
    const QString where = configLocation(QString(), bin);
    ::chmod(QFile::encodeName(bin).constData(), 0755);
    QCOMPARE(where, QString(expected).replace(u'@', m_home.path()));
}
