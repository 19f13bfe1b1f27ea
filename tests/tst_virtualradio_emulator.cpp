// The virtual radio suite: `t880 emulate` driven over a real pseudo-terminal,
// and the arguments it refuses.
#include "tst_virtualradio.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

using namespace t880::testing;
using t880::link::VirtualRadio;
using namespace virtualradiotest;

namespace {

// The host's end of the pseudo-terminal, with plain POSIX calls.
class HostLine
{
public:
    ~HostLine()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool open(const QString &path)
    {
        m_fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        return m_fd >= 0;
    }
    bool send(const QByteArray &b)
    {
        return ::write(m_fd, b.constData(), size_t(b.size())) == b.size();
    }
    /// Reads until \a count bytes came or \a ms passed.
    QByteArray receive(int count, int ms)
    {
        QByteArray got;
        QDeadlineTimer deadline(ms);
        while (got.size() < count && !deadline.hasExpired()) {
            pollfd pfd{m_fd, POLLIN, 0};
            if (::poll(&pfd, 1, int(std::max<qint64>(1, deadline.remainingTime()))) <= 0)
                continue;
            char buf[512];
            const ssize_t n = ::read(m_fd, buf, sizeof(buf));
            if (n > 0)
                got.append(buf, int(n));
        }
        return got;
    }

private:
    int m_fd = -1;
};

// `t880 emulate` in its own process; stopped and awaited when destroyed.
class Emulator
{
public:
    ~Emulator() { stop(); }

    /// Starts the emulator and waits (bounded) for its ready line.
    bool start(const QStringList &args)
    {
        m_process.start(QStringLiteral(T880_CLI_PATH),
                        QStringList{QStringLiteral("emulate")} + args);
        if (!m_process.waitForStarted(10000))
            return false;
        QDeadlineTimer deadline(15000);
        while (!m_process.canReadLine() && !deadline.hasExpired() &&
               m_process.state() == QProcess::Running)
            m_process.waitForReadyRead(100);
        if (!m_process.canReadLine())
            return false;
        m_readyLine = QString::fromUtf8(m_process.readLine()).trimmed();
        return true;
    }
    /// Stops it as Ctrl+C does; true when it ended by itself with code 0.
    bool stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
        m_process.terminate();
        const bool ended = m_process.waitForFinished(10000);
        m_output += QString::fromUtf8(m_process.readAllStandardOutput());
        if (!ended) {
            m_process.kill();
            m_process.waitForFinished(5000);
            return false;
        }
        return m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
    }
    QString readyLine() const { return m_readyLine; }
    /// What it printed after the ready line, once stopped.
    QString output() const { return m_output; }
    QString errors() { return QString::fromUtf8(m_process.readAllStandardError()); }

private:
    QProcess m_process;
    QString m_readyLine;
    QString m_output;
};

QStringList readLines(const QString &path)
{
    return QString::fromLatin1(readFile(path)).split(u'\n', Qt::SkipEmptyParts);
}

// Waits (bounded) until \a path holds at least \a count lines.
QStringList waitForLines(const QString &path, int count)
{
    QDeadlineTimer deadline(5000);
    QStringList lines = readLines(path);
    while (lines.size() < count && !deadline.hasExpired()) {
        QTest::qWait(20);
        lines = readLines(path);
    }
    return lines;
}

bool linkPresent(const QString &path)
{
    return QFileInfo(path).isSymLink() || QFileInfo::exists(path);
}

} // namespace

void TestVirtualRadio::emulator_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("memoryFile"); // bytes of --memory FILE; "-" for none
    QTest::addColumn<QStringList>(
        "exchanges"); // "sent > expected"; "~XX": one byte, not XX; "": nothing
    QTest::addColumn<QStringList>("log");
    QTest::addColumn<QString>("memoryAfter"); // regions of the saved file, after an end byte

    const QString c = QStringLiteral("'PROGRAM'");
    const QString hc = QStringLiteral("H 50 52 4F 47 52 41 4D");
    const QString read4200 = QStringLiteral("57 42 00 10 ") + kCal4200;
    const QString read4200Hex = hex(bytes(read4200));
    QTest::newRow("S radio, read")
        << QStringList{"--variant", "S"} << "-"
        << QStringList{c + " > 53", "52 42 00 10 > " + read4200}
        << QStringList{hc, "R 53", "H 52 42 00 10", "R " + read4200Hex} << QString();
    QTest::newRow("legacy radio, handshake")
        << QStringList{"--variant", "legacy"} << "-"
        << QStringList{c + " > 06", "02 > 50 33 32 30 37 33 F8 FF", "06 > 06"}
        << QStringList{hc, "R 06", "H 02", "R 50 33 32 30 37 33 F8 FF", "H 06", "R 06"}
        << QString();
    QTest::newRow("paced, delayed and split replies arrive whole")
        << QStringList{"--variant", "Y", "--pace", "--split", "--reply-delay", "20", "--seed", "3"}
        << "-" << QStringList{c + " > 59", "52 42 00 10 > " + read4200, "'YR' > 8C 5A 12 A8 00 80"}
        << QStringList{hc,
                       "R 59",
                       "H 52 42 00 10",
                       "R " + read4200Hex,
                       "H 59 52",
                       "R 8C 5A 12 A8 00 80"}
        << QString();
    QTest::newRow("corrupted reply, logged as meant")
        << QStringList{"--corrupt-rate", "1", "--seed", "5"} << "-" << QStringList{c + " > ~53"}
        << QStringList{hc, "R 53"} << QString();
    QTest::newRow("dropped reply, logged as meant")
        << QStringList{"--drop-rate", "1", "--seed", "5"} << "-" << QStringList{c + " > "}
        << QStringList{hc, "R 53"} << QString();
    QTest::newRow("silent after one request")
        << QStringList{"--silent-after", "1"} << "-" << QStringList{c + " > 53", "52 40 00 10 > "}
        << QStringList{hc, "R 53", "H 52 40 00 10"} << QString();
    QTest::newRow("memory file: loaded, written, saved on the end byte")
        << QStringList{} << "00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F"
        << QStringList{c + " > 53", "52 00 08 0C > 57 00 08 0C 08 09 0A 0B 0C 0D 0E 0F 00 00 00 00",
                       "57 40 00 02 AB CD > 06", "45 > "}
        << QStringList{hc,
                       "R 53",
                       "H 52 00 08 0C",
                       "R 57 00 08 0C 08 09 0A 0B 0C 0D 0E 0F 00 00 00 00",
                       "H 57 40 00 02 AB CD",
                       "R 06",
                       "H 45"}
        << QStringLiteral(
               "0000: 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 00; 4000: AB CD 00; "
               "41F0: ") +
               kCal41F0;
}

void TestVirtualRadio::emulator()
{
    QFETCH(QStringList, args);
    QFETCH(QString, memoryFile);
    QFETCH(QStringList, exchanges);
    QFETCH(QStringList, log);
    QFETCH(QString, memoryAfter);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString link = dir.filePath(QStringLiteral("radio"));
    const QString logPath = dir.filePath(QStringLiteral("frames.log"));
    const QString memoryPath = dir.filePath(QStringLiteral("memory.bin"));
    QStringList fullArgs = QStringList{"--link", link, "--log", logPath} + args;
    if (memoryFile != QLatin1String("-")) {
        QVERIFY(writeFile(memoryPath, bytes(memoryFile)));
        fullArgs << "--memory" << memoryPath;
    }

    Emulator emulator;
    QVERIFY2(emulator.start(fullArgs), qPrintable(emulator.errors()));
    QVERIFY2(emulator.readyLine().contains(link), qPrintable(emulator.readyLine()));
    QVERIFY(QFileInfo(link).isSymLink());

    HostLine host;
    QVERIFY(host.open(link));
    for (const QString &x : exchanges) {
        const int sep = x.indexOf(QLatin1String(" > "));
        const QString want = x.mid(sep + 3).trimmed();
        QVERIFY(host.send(bytes(x.left(sep))));
        if (want.startsWith(u'~')) {
            const QByteArray got = host.receive(2, 1500);
            QCOMPARE(got.size(), 1);
            QVERIFY(got != bytes(want.mid(1)));
        } else if (want.isEmpty()) {
            QCOMPARE(hex(host.receive(1, 500)), QString());
        } else {
            const QByteArray expected = bytes(want);
            QCOMPARE(hex(host.receive(int(expected.size()), 5000)), hex(expected));
        }
    }
    QCOMPARE(hex(host.receive(1, 200)), QString()); // nothing beyond the replies
    QCOMPARE(waitForLines(logPath, int(log.size())), log);

    if (!memoryAfter.isEmpty()) {
        QDeadlineTimer deadline(5000);
        while (QFileInfo(memoryPath).size() != VirtualRadio::MemorySize && !deadline.hasExpired())
            QTest::qWait(20);
        QFile f(memoryPath);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray saved = f.readAll();
        QCOMPARE(saved.size(), VirtualRadio::MemorySize);
        for (const auto &[address, data] : regions(memoryAfter))
            QCOMPARE(hex(saved.mid(address, data.size())), hex(data));
    }

    QVERIFY(emulator.stop());
    QVERIFY(!linkPresent(link));
    if (!memoryAfter.isEmpty())
        QVERIFY2(emulator.output().contains(QLatin1String("session ended, wrote: yes")),
                 qPrintable(emulator.output()));
}

void TestVirtualRadio::emulatorRejects_data()
{
    QTest::addColumn<QStringList>("args"); // {dir} stands for a temporary folder
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");

    const QStringList link{"--link", "{dir}/radio"};
    QTest::newRow("no link") << QStringList{"--variant", "S"} << 2 << "--link";
    QTest::newRow("unknown variant") << link + QStringList{"--variant", "Z"} << 2 << "--variant";
    QTest::newRow("drop rate above 1")
        << link + QStringList{"--drop-rate", "1.5"} << 2 << "--drop-rate";
    QTest::newRow("corrupt rate not a number")
        << link + QStringList{"--corrupt-rate", "often"} << 2 << "--corrupt-rate";
    QTest::newRow("negative reply delay")
        << link + QStringList{"--reply-delay", "-1"} << 2 << "--reply-delay";
    QTest::newRow("silent-after not a number")
        << link + QStringList{"--silent-after", "x"} << 2 << "--silent-after";
    QTest::newRow("negative seed") << link + QStringList{"--seed", "-3"} << 2 << "--seed";
    QTest::newRow("password for an older radio")
        << link + QStringList{"--variant", "legacy", "--password", "abc"} << 2 << "--password";
    QTest::newRow("password too long")
        << link + QStringList{"--password", "thirteen-char"} << 2 << "--password";
    QTest::newRow("positional argument") << link + QStringList{"extra"} << 2 << "extra";
    QTest::newRow("missing memory file")
        << link + QStringList{"--memory", "{dir}/none.bin"} << 1 << "none.bin";
    QTest::newRow("memory file too large")
        << link + QStringList{"--memory", "{dir}/big.bin"} << 1 << "big.bin";
    QTest::newRow("link path is a regular file")
        << QStringList{"--link", "{dir}/file"} << 1 << "not a symbolic link";
}

void TestVirtualRadio::emulatorRejects()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, message);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QByteArray fileContent("keep me");
    QVERIFY(writeFile(dir.filePath(QStringLiteral("file")), fileContent));
    QVERIFY(writeFile(dir.filePath(QStringLiteral("big.bin")),
                      QByteArray(VirtualRadio::MemorySize + 1, '\0')));
    for (QString &a : args)
        a.replace(QLatin1String("{dir}"), dir.path());

    const CliResult r = runCli(QStringList{QStringLiteral("emulate")} + args, QString(), 10000);
    const QString err = QString::fromUtf8(r.err);
    QVERIFY2(r.finished,
             qPrintable(QStringLiteral("the emulator started instead of refusing: ") + err));
    QCOMPARE(r.crashed, false);
    QCOMPARE(r.exitCode, exitCode);
    QVERIFY2(err.contains(message), qPrintable(err));
    QFile check(dir.filePath(QStringLiteral("file")));
    QVERIFY(check.open(QIODevice::ReadOnly));
    QCOMPARE(check.readAll(), fileContent);
    QVERIFY(!linkPresent(dir.filePath(QStringLiteral("radio"))));
}
