// Every verb given what a careless or hostile user gives it: pipes, devices,
// folders, huge files, paths that cannot be written, random bytes under a
// codeplug's name. Each ends at once with a clear message and exit code, and
// leaves what it was given exactly as it was.
#include "radioprocess.h"
#include "testsupport.h"

#include "codeplug/codeplugcheck.h"
#include "codeplug/codeplugdata.h"
#include "codeplug/codeplugfile.h"

#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

using namespace t880;
using namespace t880::testing;

namespace {

// Long enough for any verb to refuse a file; a verb still running then has
// blocked on what it was given.
constexpr int kQuickMs = 15000;

bool isFifo(const QString &path)
{
    struct stat st = {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISFIFO(st.st_mode);
}

bool setAge(const QString &path, int seconds)
{
    const timeval now = {time(nullptr) - seconds, 0};
    const timeval times[2] = {now, now};
    return ::utimes(QFile::encodeName(path).constData(), times) == 0;
}

} // namespace

class TestHostileFiles : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }

    QStringList expand(QStringList args) const
    {
        for (QString &a : args) {
            if (a.startsWith(u'@'))
                a = path(a.mid(1));
        }
        return args;
    }

private slots:
    void initTestCase();
    void refused_data();
    void refused();
    void portNames_data();
    void portNames();
    void wrongFileBeforeWrite_data();
    void wrongFileBeforeWrite();
    void rangeCheck_data();
    void rangeCheck();
    void encodeToStandardOutput();
    void staleTemporaries();
    void saveKeepsPermissionsAndLinks();
};

void TestHostileFiles::initTestCase()
{
    QVERIFY(m_dir.isValid());
    for (const char *name : {"fifo.Kzx", "fifo.kzxa", "fifo.bin"})
        QCOMPARE(::mkfifo(QFile::encodeName(path(QLatin1String(name))).constData(), 0600), 0);
    QVERIFY(QFile::link(QStringLiteral("/dev/null"), path(QStringLiteral("null.Kzx"))));
    QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path(QStringLiteral("zero.Kzx"))));
    QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("dir.Kzx")));
    QFile huge(path(QStringLiteral("huge.Kzx")));
    QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(100 * 1024 * 1024)); // sparse
    huge.close();
    QCOMPARE(runCli({QStringLiteral("new"), path(QStringLiteral("good.Kzx"))}).exitCode, 0);
    QCOMPARE(runCli({QStringLiteral("new"), path(QStringLiteral("good.kzxa"))}).exitCode, 0);
    QVERIFY(writeFile(path(QStringLiteral("image.bin")), QByteArray(8192, '\0')));
}

void TestHostileFiles::refused_data()
{
    QTest::addColumn<QStringList>("args"); // @NAME stands for a file of the test folder
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    const QString notRegular = QStringLiteral("not a regular file");
    const auto row = [](const char *name, const QStringList &args, int code, const QString &msg) {
        QTest::newRow(name) << args << code << msg;
    };
    // Reading.
    row("show a pipe", {"show", "@fifo.Kzx"}, 1, notRegular);
    row("show a device", {"show", "@null.Kzx"}, 1, notRegular);
    row("show an endless device", {"show", "@zero.Kzx"}, 1, notRegular);
    row("show a folder", {"show", "@dir.Kzx"}, 1, "is a folder");
    row("show 100 MB", {"show", "@huge.Kzx"}, 1, "far more than any");
    row("show a calibration pipe", {"show", "@fifo.kzxa"}, 1, notRegular);
    row("encode a pipe", {"encode", "@fifo.Kzx", "--variant", "S", "-o", "@out.bin"}, 1,
        notRegular);
    row("encode with a calibration pipe",
        {"encode", "@good.Kzx", "--variant", "S", "--calibration", "@fifo.kzxa", "-o", "@out.bin"},
        1, notRegular);
    row("decode a pipe", {"decode", "@fifo.bin", "--variant", "S", "-o", "@d.Kzx"}, 1, notRegular);
    row("decode onto a pipe base",
        {"decode", "@image.bin", "--variant", "S", "--base", "@fifo.Kzx", "-o", "@d.Kzx"}, 1,
        notRegular);
    row("write a pipe", {"write", "--port", "@no-port", "@fifo.Kzx"}, 1, notRegular);
    row("write 100 MB", {"write", "--port", "@no-port", "@huge.Kzx"}, 1, "far more than any");
    row("calibration write a pipe", {"calibration", "write", "--port", "@no-port", "@fifo.kzxa"}, 1,
        notRegular);
    row("read onto a pipe base",
        {"read", "--port", "@no-port", "--base", "@fifo.Kzx", "-o", "@r.Kzx"}, 1, notRegular);
    row("emulate from a pipe", {"emulate", "--link", "@link1", "--memory", "@fifo.bin"}, 1,
        notRegular);
    row("emulate from the null device", {"emulate", "--link", "@link2", "--memory", "/dev/null"}, 1,
        notRegular);
    row("emulate from 100 MB", {"emulate", "--link", "@link3", "--memory", "@huge.Kzx"}, 1,
        "at most 65536 bytes");
    // Writing.
    row("new over a pipe", {"new", "--force", "@fifo.Kzx"}, 1, notRegular);
    row("new over a device", {"new", "--force", "@null.Kzx"}, 1, notRegular);
    row("new over a folder", {"new", "@dir.Kzx"}, 1, "is a folder");
    row("new over a folder, forced", {"new", "--force", "@dir.Kzx"}, 1, "is a folder");
    row("encode into a pipe", {"encode", "@good.Kzx", "--variant", "S", "-o", "@fifo.bin"}, 2,
        "-o -");
    row("encode into /dev/stdout", {"encode", "@good.Kzx", "--variant", "S", "-o", "/dev/stdout"},
        2, "-o -");
    row("decode into a pipe", {"decode", "@image.bin", "--variant", "S", "-o", "@fifo.Kzx"}, 1,
        notRegular);
    row("read into a pipe", {"read", "--port", "@no-port", "-o", "@fifo.Kzx"}, 1, notRegular);
    row("read into a folder", {"read", "--port", "@no-port", "-o", "@dir.Kzx"}, 1, "is a folder");
    row("read into a missing folder", {"read", "--port", "@no-port", "-o", "/no/such/dir/x.Kzx"}, 1,
        "the folder /no/such/dir does not exist");
    row("calibration read into a pipe", {"calibration", "read", "--port", "@no-port", "@fifo.kzxa"},
        1, notRegular);
    row("emulate logging into a pipe", {"emulate", "--link", "@link4", "--log", "@fifo.bin"}, 1,
        notRegular);
    row("emulate saving onto a device", {"emulate", "--link", "@link5", "--memory", "@null.Kzx"}, 1,
        notRegular);
}

void TestHostileFiles::refused()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    const CliResult r = runCli(expand(args), m_dir.path(), kQuickMs);
    QVERIFY2(r.finished, r.err.constData());
    QCOMPARE(r.exitCode, exitCode);
    QVERIFY2(QString::fromLocal8Bit(r.err).contains(message), r.err.constData());
    // Nothing it was given was replaced, and no half-made file was left.
    for (const char *name : {"fifo.Kzx", "fifo.kzxa", "fifo.bin"})
        QVERIFY2(isFifo(path(QLatin1String(name))), name);
    QCOMPARE(QFileInfo(path(QStringLiteral("null.Kzx"))).symLinkTarget(),
             QStringLiteral("/dev/null"));
    QVERIFY(QFileInfo(path(QStringLiteral("dir.Kzx"))).isDir());
    for (const char *name : {"out.bin", "d.Kzx", "r.Kzx", "x.Kzx"})
        QVERIFY2(!QFileInfo::exists(path(QLatin1String(name))), name);
}

void TestHostileFiles::portNames_data()
{
    QTest::addColumn<QString>("port");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    QTest::newRow("relative link in the current folder") << "radio" << 0 << "SUCCESS";
    QTest::newRow("relative path with ..") << "sub/../radio" << 0 << "SUCCESS";
    QTest::newRow("explicit ./") << "./radio" << 0 << "SUCCESS";
    QTest::newRow("empty") << "" << 2 << "--port";
    QTest::newRow("blank") << "   " << 2 << "--port";
    QTest::newRow("a regular file") << "@good.Kzx" << 6 << "@good.Kzx is not a serial device";
    QTest::newRow("a folder") << "@dir.Kzx" << 6 << "@dir.Kzx is not a serial device";
    QTest::newRow("a name that exists nowhere")
        << "no-such-tty" << 6 << "no such serial device (tried @no-such-tty and /dev/no-such-tty)";
}

// A port named relative to the current folder is that file; only a bare
// name that is nowhere here is looked up among the devices.
void TestHostileFiles::portNames()
{
    QFETCH(QString, port);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("sub")));
    VirtualRadioProcess radio;
    QVERIFY(radio.start(path(QStringLiteral("radio")),
                        {QStringLiteral("--variant"), QStringLiteral("S")}));
    const CliResult r = runCli({QStringLiteral("status"), QStringLiteral("--port"),
                                QString(port).replace(u'@', m_dir.path() + u'/')},
                               m_dir.path(), 30000);
    QVERIFY2(r.finished, r.err.constData());
    QCOMPARE(r.exitCode, exitCode);
    const QString expected = QString(message).replace(u'@', m_dir.path() + u'/');
    QVERIFY2(QString::fromLocal8Bit(r.out + r.err).contains(expected), (r.out + r.err).constData());
}

void TestHostileFiles::wrongFileBeforeWrite_data()
{
    QTest::addColumn<QByteArray>("block");
    QTest::addColumn<bool>("force");
    QTest::addColumn<QString>("warning"); // empty: none expected
    CodeplugData fresh;
    fresh.applyNewDefaults();
    CodeplugData withPassword = fresh;
    withPassword.setSetting(Setting::writeNewPassword, 1);
    withPassword.setText(TextField::newRadioPassword, "secret");
    QByteArray random(CodeplugData::Size, '\0');
    QRandomGenerator generator(20261208);
    for (char &c : random)
        c = char(generator.bounded(256));
    QTest::newRow("a new codeplug") << fresh.toByteArray() << false << QString();
    QTest::newRow("a new password, refused")
        << withPassword.toByteArray() << false << "sets a new radio password";
    QTest::newRow("a new password, forced")
        << withPassword.toByteArray() << true << "sets a new radio password";
    QTest::newRow("random bytes, refused") << random << false << "values the radio does not know";
    QTest::newRow("random bytes, forced") << random << true << "values the radio does not know";
}

// The port is missing, so a write that gets past the file's checks ends with
// exit 6; one that is refused ends with 1 and never looks for the port.
void TestHostileFiles::wrongFileBeforeWrite()
{
    QFETCH(QByteArray, block);
    QFETCH(bool, force);
    QFETCH(QString, warning);
    const QString file = path(QStringLiteral("candidate.Kzx"));
    QVERIFY(writeFile(file, block));
    QStringList args{QStringLiteral("write"), QStringLiteral("--port"), path("no-port"), file};
    if (force)
        args << QStringLiteral("--force");
    const CliResult r = runCli(args, m_dir.path(), kQuickMs);
    const QString err = QString::fromLocal8Bit(r.err);
    if (warning.isEmpty()) {
        QCOMPARE(r.exitCode, 6);
        QVERIFY2(!err.contains(QLatin1String("warning")), r.err.constData());
        return;
    }
    QVERIFY2(err.contains(warning), r.err.constData());
    QCOMPARE(r.exitCode, force ? 6 : 1);
    QCOMPARE(err.contains(QLatin1String("--force")), !force);
    QVERIFY(!err.contains(QLatin1String("secret"))); // the password is not shown
}

void TestHostileFiles::rangeCheck_data()
{
    QTest::addColumn<int>("setting");
    QTest::addColumn<int>("value");
    QTest::addColumn<bool>("known");
    // From the field table: tot 0 or 15..600 by 15; voxDelay 500..3000 by
    // 500; batterySaveRate 1..10; key codes 0, 2, 3, 8, 24, 25; dtmfId
    // 1..999; dtmfStarHashDelay 0..400 by 50; groupCode 0 or 10..15.
    const auto row = [](const char *name, Setting s, int v, bool ok) {
        QTest::newRow(name) << int(s) << v << ok;
    };
    row("tot off", Setting::tot, 0, true);
    row("tot 15", Setting::tot, 15, true);
    row("tot 14", Setting::tot, 14, false);
    row("tot 600", Setting::tot, 600, true);
    row("tot 615", Setting::tot, 615, false);
    row("tot 700", Setting::tot, 700, false);
    row("voxDelay 3000", Setting::voxDelay, 3000, true);
    row("voxDelay 750", Setting::voxDelay, 750, false);
    row("batterySaveRate 0", Setting::batterySaveRate, 0, false);
    row("batterySaveRate 10", Setting::batterySaveRate, 10, true);
    row("key1Short radio", Setting::key1Short, 24, true);
    row("key2Short 7", Setting::key2Short, 7, false);
    row("dtmfId 0", Setting::dtmfId, 0, false);
    row("dtmfId 999", Setting::dtmfId, 999, true);
    row("dtmfStarHashDelay 75", Setting::dtmfStarHashDelay, 75, false);
    row("groupCode 9", Setting::groupCode, 9, false);
    row("groupCode #", Setting::groupCode, 15, true);
    row("writeNewPassword 2", Setting::writeNewPassword, 2, false);
}

void TestHostileFiles::rangeCheck()
{
    QFETCH(int, setting);
    QFETCH(int, value);
    QFETCH(bool, known);
    QCOMPARE(settingInRange(Setting(setting), std::uint32_t(value)), known);
    CodeplugData data;
    data.applyNewDefaults();
    QVERIFY(rangeProblems(data).empty()); // the New defaults are all known
    data.setSetting(Setting(setting), std::uint32_t(value));
    const std::vector<RangeProblem> problems = rangeProblems(data);
    QCOMPARE(problems.empty(), known);
    if (!known) {
        QCOMPARE(problems.front().field, QString::fromLatin1(settingInfo(Setting(setting)).name));
        QCOMPARE(problems.front().value, qint64(value));
    }
}

// -o - puts exactly the bytes of the file output on standard output.
void TestHostileFiles::encodeToStandardOutput()
{
    const QStringList common{QStringLiteral("encode"),    path(QStringLiteral("good.Kzx")),
                             QStringLiteral("--variant"), QStringLiteral("Y"),
                             QStringLiteral("--date"),    QStringLiteral("2026-12-08T14:30")};
    const QString file = path(QStringLiteral("encoded.img"));
    QCOMPARE(runCli(common + QStringList{QStringLiteral("-o"), file}).exitCode, 0);
    const CliResult r = runCli(common + QStringList{QStringLiteral("-o"), QStringLiteral("-")});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.out.size(), 8192);
    // The password block carries fresh random filler on every encode.
    QByteArray fromFile = readFile(file);
    QByteArray fromStdout = r.out;
    fromFile.replace(0x1D0, 16, QByteArray(16, '\0'));
    fromStdout.replace(0x1D0, 16, QByteArray(16, '\0'));
    QCOMPARE(describeDiff(fromStdout, fromFile), QString());
}

// A save removes what an interrupted save of the same file left behind, once
// it is a minute old, and nothing else.
void TestHostileFiles::staleTemporaries()
{
    const QString dir = path(QStringLiteral("stale"));
    QVERIFY(QDir().mkpath(dir));
    const QStringList names{".x.Kzx.t880~abcDEF", ".x.Kzx.t880~ghijkl", ".x.Kzx.t880~abc",
                            "x.Kzx.backup",       ".y.Kzx.t880~abcdef", ".x.Kzx.t880~abc123"};
    for (const QString &n : names) {
        QVERIFY(writeFile(dir + u'/' + n, "left over"));
        QVERIFY(setAge(dir + u'/' + n, 120));
    }
    QVERIFY(writeFile(dir + QStringLiteral("/.x.Kzx.t880~fresh0"), "in use"));
    QVERIFY(writeFile(dir + QStringLiteral("/.x.Kzx.t880~Fresha"), "in use")); // a save running now
    const CliResult r = runCli({QStringLiteral("new"), dir + QStringLiteral("/x.Kzx")});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(listing(dir),
             (QStringList{".x.Kzx.t880~Fresha", ".x.Kzx.t880~abc", ".x.Kzx.t880~abc123",
                          ".x.Kzx.t880~fresh0", ".y.Kzx.t880~abcdef", "x.Kzx", "x.Kzx.backup"}));
}

// A replaced file keeps its permissions; a link to it stays a link.
void TestHostileFiles::saveKeepsPermissionsAndLinks()
{
    const QString real = path(QStringLiteral("real.Kzx"));
    const QString link = path(QStringLiteral("link.Kzx"));
    QVERIFY(writeFile(real, QByteArray(CodeplugData::Size, '\x11')));
    QCOMPARE(::chmod(QFile::encodeName(real).constData(), 0640), 0);
    QVERIFY(QFile::link(QStringLiteral("real.Kzx"), link));
    const CliResult r = runCli({QStringLiteral("new"), QStringLiteral("--force"), link});
    QCOMPARE(r.exitCode, 0);
    QVERIFY(QFileInfo(link).isSymLink());
    CodeplugData fresh;
    fresh.applyNewDefaults();
    QVERIFY(readFile(real) == fresh.toByteArray());
    struct stat st = {};
    QCOMPARE(::stat(QFile::encodeName(real).constData(), &st), 0);
    QCOMPARE(st.st_mode & 07777, mode_t(0640));
}

QTEST_GUILESS_MAIN(TestHostileFiles)
#include "tst_hostilefiles.moc"
