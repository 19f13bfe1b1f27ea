// The virtual radio: its protocol state machine fed in every kind of split,
// and `t880 emulate` driven over a real pseudo-terminal. Every expected byte
// is worked out by hand from the frame table and the memory layouts: the
// factory calibration from the default record (points 400/440/480 MHz at 63,
// squelch 126/112/107, battery 146/141, deviations 50/65/53, CTCSS 14, DCS 13,
// microphone 20/9, thresholds 58/46/25/32, both detectors on).
#include "codeplug/memorymap.h"
#include "codeplug/passwordblock.h"
#include "sim/virtualradio.h"

#include "testsupport.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

using namespace t880::testing;
using t880::link::VirtualRadio;

namespace {

using Kind = VirtualRadio::Kind;

Kind kindFrom(const QString &name)
{
    if (name == QLatin1String("Y"))
        return Kind::Y;
    if (name == QLatin1String("legacy"))
        return Kind::Legacy;
    return Kind::S;
}

// Bytes written as hex pairs, 'ASCII' words and XX*n runs:
// "'PROGRAM' 52 41 F0 10 00*4".
QByteArray bytes(const QString &text)
{
    QByteArray out;
    const QStringList tokens = text.split(u' ', Qt::SkipEmptyParts);
    for (const QString &t : tokens) {
        if (t.startsWith(u'\'') && t.endsWith(u'\'') && t.size() >= 2) {
            out += t.mid(1, t.size() - 2).toLatin1();
        } else if (t.contains(u'*')) {
            const QStringList parts = t.split(u'*');
            out += QByteArray(parts[1].toInt(), char(parts[0].toInt(nullptr, 16)));
        } else {
            bool ok = false;
            const int b = t.toInt(&ok, 16);
            if (!ok || b < 0 || b > 0xFF)
                qFatal("bad byte token '%s'", qPrintable(t));
            out += char(b);
        }
    }
    return out;
}

QString hex(const QByteArray &b)
{
    return QString::fromLatin1(b.toHex(' ').toUpper());
}

// Memory contents written as "4010: AA BB CC DD; 41F0: 01 90".
QList<QPair<int, QByteArray>> regions(const QString &text)
{
    QList<QPair<int, QByteArray>> out;
    const QStringList parts = text.split(u';', Qt::SkipEmptyParts);
    for (const QString &part : parts) {
        const int colon = part.indexOf(u':');
        out.append({part.left(colon).trimmed().toInt(nullptr, 16), bytes(part.mid(colon + 1))});
    }
    return out;
}

QByteArray patched(QByteArray memory, const QString &patch)
{
    for (const auto &[address, data] : regions(patch))
        memory.replace(address, data.size(), data);
    return memory;
}

// "" means every byte at once; otherwise the chunk sizes, used in turn.
QList<VirtualRadio::Exchange> feedInChunks(VirtualRadio &radio, const QByteArray &stream,
                                           const QList<int> &chunks)
{
    QList<VirtualRadio::Exchange> all;
    if (chunks.isEmpty())
        return radio.feed(stream);
    int pos = 0;
    for (int i = 0; pos < stream.size(); ++i) {
        const int n = chunks[i % chunks.size()];
        all += radio.feed(stream.mid(pos, n));
        pos += n;
    }
    return all;
}

const QList<QPair<QString, QList<int>>> &splits()
{
    static const QList<QPair<QString, QList<int>>> s = {
        {QStringLiteral("whole"), {}},
        {QStringLiteral("bytes"), {1}},
        {QStringLiteral("uneven"), {3, 1, 4, 1, 5, 9, 2, 6}},
        {QStringLiteral("pairs"), {2}},
    };
    return s;
}

const VirtualRadio::StatusReply kTestStatus{0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC};

// The factory calibration of a current radio, block by block (block offset
// in the comment), as the radio holds it at 0x41F0..0x426F.
const char kCal41F0[] =
    "01 90 3F 00 00 01 B8 3F 00 00 01 E0 3F 00 00 00"; // points 0..2, 3 MHz high
const char kCal4200[] = "00*10 0B 0E 12 15 19 1A";     // point 3 rest, point 4, open S[0..6]
const char kCal4210[] =
    "1B 1C 1E 00 09 0C 10 13 17 18 19 1A 1C 00 00 00"; // open S[7..9], close, VOX
const char kCal4220[] = "00*7 92 00*8";                // VOX, standby battery 146, battery table
// 0x40: battery table, transmit 141, -, deviations 50 65 53 as 16 bits,
// CTCSS, DCS, crystal, microphone fine 20 (16 bits), gain 9 (high byte)
const char kCal4230S[] = "00 00 8D 00 00 32 00 41 00 35 0E 0D 00 00 14 09";
// A 'Y' radio keeps each deviation in its first byte only.
const char kCal4230Y[] = "00 00 8D 00 32 00 41 00 35 00 0E 0D 00 00 14 09";
// 0x50: gain low byte, 58*128|57, -, 46*128|44, 25*128|24, 32*128|30,
// 0x0400, 0x0020, squelch offset 0
const char kCal4240[] = "00 1D 39 00 00 17 2C 0C 98 10 1E 04 00 00 20 00";

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

class TestVirtualRadio : public QObject
{
    Q_OBJECT

private slots:
    void protocol_data();
    void protocol();
    void endByteReportsUnsavedWrites_data();
    void endByteReportsUnsavedWrites();
    void quietLineForgetsPartialFrame_data();
    void quietLineForgetsPartialFrame();
    void memoryDump_data();
    void memoryDump();
    void password_data();
    void password();
    void emulator_data();
    void emulator();
    void emulatorRejects_data();
    void emulatorRejects();
    void areasMatchTheMemoryMap();
};

void TestVirtualRadio::protocol_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("setup");        // memory patch over the factory memory
    QTest::addColumn<QString>("stream");       // what the host sends
    QTest::addColumn<QStringList>("expected"); // "request > reply" per frame
    QTest::addColumn<QString>("memoryAfter");
    QTest::addColumn<QList<int>>("chunks");

    struct Row
    {
        const char *name;
        const char *kind;
        QString setup;
        QString stream;
        QStringList expected;
        QString memoryAfter;
    };
    const QString connect = QStringLiteral("'PROGRAM'");
    const QString legacyData = QStringLiteral("01 23 45 67 89 AB CD EF 10 32 54 76 98 BA DC FE");
    // clang-format off
    const QList<Row> rows = {
        {"connect S", "S", {}, connect, {connect + " > 53"}, {}},
        {"connect Y", "Y", {}, connect, {connect + " > 59"}, {}},
        {"connect legacy", "legacy", {}, connect, {connect + " > 06"}, {}},
        {"legacy handshake, reads and acknowledges", "legacy", "0010: " + legacyData,
         connect + " 02 06 52 00 10 10 06 52 00 20 10 06 45",
         {connect + " > 06", "02 > 50 33 32 30 37 33 F8 FF", "06 > 06",
          "52 00 10 10 > 57 00 10 10 " + legacyData, "06 > 06",
          "52 00 20 10 > 57 00 20 10 FF*16", "06 > 06", "45 > "}, {}},
        {"legacy write", "legacy", {}, connect + " 02 06 57 01 F0 03 0A 0B 0C 52 01 EF 05",
         {connect + " > 06", "02 > 50 33 32 30 37 33 F8 FF", "06 > 06",
          "57 01 F0 03 0A 0B 0C > 06", "52 01 EF 05 > 57 01 EF 05 FF 0A 0B 0C FF"},
         "01F0: 0A 0B 0C"},
        {"factory calibration of an S radio", "S", {},
         connect + " 52 41 F0 10 52 42 00 10 52 42 10 10 52 42 20 10 52 42 30 10 52 42 40 10",
         {connect + " > 53", QStringLiteral("52 41 F0 10 > 57 41 F0 10 ") + kCal41F0,
          QStringLiteral("52 42 00 10 > 57 42 00 10 ") + kCal4200,
          QStringLiteral("52 42 10 10 > 57 42 10 10 ") + kCal4210,
          QStringLiteral("52 42 20 10 > 57 42 20 10 ") + kCal4220,
          QStringLiteral("52 42 30 10 > 57 42 30 10 ") + kCal4230S,
          QStringLiteral("52 42 40 10 > 57 42 40 10 ") + kCal4240}, {}},
        {"factory calibration of a Y radio", "Y", {}, connect + " 52 42 30 10 52 42 50 10 52 42 60 10",
         {connect + " > 59", QStringLiteral("52 42 30 10 > 57 42 30 10 ") + kCal4230Y,
          "52 42 50 10 > 57 42 50 10 00*16", "52 42 60 10 > 57 42 60 10 00*16"}, {}},
        {"codeplug area of a new radio is empty", "S", {}, connect + " 52 40 00 10 52 41 D0 10",
         {connect + " > 53", "52 40 00 10 > 57 40 00 10 00*16",
          "52 41 D0 10 > 57 41 D0 10 00*16"}, {}},
        {"write, then read across it", "S", {}, connect + " 57 40 10 04 AA BB CC DD 52 40 0E 08",
         {connect + " > 53", "57 40 10 04 AA BB CC DD > 06",
          "52 40 0E 08 > 57 40 0E 08 00 00 AA BB CC DD 00 00"}, "4010: AA BB CC DD"},
        {"16-byte write", "Y", {},
         connect + " 57 41 60 10 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F",
         {connect + " > 59", "57 41 60 10 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F > 06"},
         "4160: 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F; 4170: 00"},
        {"write and read at the top of memory", "S", {},
         connect + " 57 FF FC 04 01 02 03 04 52 FF F0 10",
         {connect + " > 53", "57 FF FC 04 01 02 03 04 > 06",
          "52 FF F0 10 > 57 FF F0 10 00*12 01 02 03 04"}, "FFFC: 01 02 03 04"},
        {"read past the top is no request", "S", {}, connect + " 52 FF F8 10 52 FF F0 10",
         {connect + " > 53", "52 FF F0 10 > 57 FF F0 10 00*16"}, {}},
        {"short read", "S", "4100: 5A A5 C3", connect + " 52 41 00 02 52 41 01 01",
         {connect + " > 53", "52 41 00 02 > 57 41 00 02 5A A5", "52 41 01 01 > 57 41 01 01 A5"}, {}},
        {"status without a session", "Y", {}, "'YR'", {"'YR' > 12 34 56 78 9A BC"}, {}},
        {"status inside a session, repeated", "S", {}, connect + " 'YR' 'YR'",
         {connect + " > 53", "'YR' > 12 34 56 78 9A BC", "'YR' > 12 34 56 78 9A BC"}, {}},
        {"an older radio knows no status", "legacy", {}, "'YR' " + connect, {connect + " > 06"}, {}},
        {"repeated read is answered again", "S", "4020: 11 22 33 44",
         connect + " 52 40 20 04 52 40 20 04",
         {connect + " > 53", "52 40 20 04 > 57 40 20 04 11 22 33 44",
          "52 40 20 04 > 57 40 20 04 11 22 33 44"}, {}},
        {"repeated write is stored and acknowledged again", "S", {},
         connect + " 57 40 30 02 77 88 57 40 30 02 77 88",
         {connect + " > 53", "57 40 30 02 77 88 > 06", "57 40 30 02 77 88 > 06"}, "4030: 77 88"},
        {"noise before the connect request", "S", {}, "00 FF 'PRO' 58 " + connect,
         {connect + " > 53"}, {}},
        {"noise inside a session", "S", "4000: 5A A5", connect + " 00 02 06 13 FE 52 40 00 02",
         {connect + " > 53", "52 40 00 02 > 57 40 00 02 5A A5"}, {}},
        {"reads need a session", "S", "4000: 42", "52 40 00 10 " + connect + " 52 40 00 01",
         {connect + " > 53", "52 40 00 01 > 57 40 00 01 42"}, {}},
        {"end byte closes the session", "S", {},
         connect + " 45 52 40 00 10 57 40 00 01 77 " + connect + " 52 40 00 01",
         {connect + " > 53", "45 > ", connect + " > 53", "52 40 00 01 > 57 40 00 01 00"},
         "4000: 00"},
        {"connect request starts over", "legacy", {}, connect + " 02 " + connect + " 02 06",
         {connect + " > 06", "02 > 50 33 32 30 37 33 F8 FF", connect + " > 06",
          "02 > 50 33 32 30 37 33 F8 FF", "06 > 06"}, {}},
        {"one transfer after another", "S", {},
         connect + " 57 40 00 01 99 45 " + connect + " 52 40 00 01 45",
         {connect + " > 53", "57 40 00 01 99 > 06", "45 > ", connect + " > 53",
          "52 40 00 01 > 57 40 00 01 99", "45 > "}, "4000: 99"},
    };
    // clang-format on
    for (const Row &r : rows) {
        for (const auto &[splitName, chunks] : splits()) {
            QTest::addRow("%s, %s", r.name, qPrintable(splitName))
                << QString::fromLatin1(r.kind) << r.setup << r.stream << r.expected << r.memoryAfter
                << chunks;
        }
    }
}

void TestVirtualRadio::protocol()
{
    QFETCH(QString, kind);
    QFETCH(QString, setup);
    QFETCH(QString, stream);
    QFETCH(QStringList, expected);
    QFETCH(QString, memoryAfter);
    QFETCH(QList<int>, chunks);

    const Kind k = kindFrom(kind);
    VirtualRadio radio = setup.isEmpty()
                             ? VirtualRadio(k)
                             : VirtualRadio(k, patched(VirtualRadio::factoryMemory(k), setup));
    radio.setStatusReply(kTestStatus);
    const QList<VirtualRadio::Exchange> got = feedInChunks(radio, bytes(stream), chunks);

    QStringList gotText;
    for (const auto &e : got)
        gotText << hex(e.request) + QStringLiteral(" > ") + hex(e.reply);
    QStringList wantText;
    for (const QString &line : expected) {
        const int sep = line.indexOf(QLatin1String(" > "));
        wantText << hex(bytes(line.left(sep))) + QStringLiteral(" > ") +
                        hex(bytes(line.mid(sep + 3)));
    }
    QCOMPARE(gotText, wantText);
    for (int i = 0; i < got.size(); ++i)
        QCOMPARE(got[i].number, quint64(i + 1));
    QCOMPARE(radio.requestCount(), quint64(got.size()));
    QVERIFY(!radio.hasPartialFrame());
    for (const auto &[address, data] : regions(memoryAfter))
        QCOMPARE(hex(radio.memory().mid(address, data.size())), hex(data));
}

void TestVirtualRadio::endByteReportsUnsavedWrites_data()
{
    QTest::addColumn<QString>("stream");
    QTest::addColumn<QList<bool>>("wrote"); // one per end byte taken

    const QString c = QStringLiteral("'PROGRAM' ");
    const QString read = QStringLiteral("52 40 00 10 ");
    const QString write = QStringLiteral("57 40 00 01 AB ");
    QTest::newRow("read only") << c + read + "45" << QList<bool>{false};
    QTest::newRow("write") << c + write + "45" << QList<bool>{true};
    QTest::newRow("write, then a read-only transfer")
        << c + write + "45 " + c + read + "45" << QList<bool>{true, false};
    QTest::newRow("writes of a transfer cut short count at the next end")
        << c + write + c + read + "45" << QList<bool>{true};
    QTest::newRow("end byte outside a session is no frame")
        << "45 " + c + "45" << QList<bool>{false};
    QTest::newRow("handshake only") << c + "45" << QList<bool>{false};
}

void TestVirtualRadio::endByteReportsUnsavedWrites()
{
    QFETCH(QString, stream);
    QFETCH(QList<bool>, wrote);

    for (const auto &[splitName, chunks] : splits()) {
        VirtualRadio radio(Kind::S);
        QList<bool> got;
        for (const auto &e : feedInChunks(radio, bytes(stream), chunks)) {
            QCOMPARE(e.sessionEnded, e.request == QByteArray("E"));
            if (e.sessionEnded)
                got << e.wrote;
        }
        QCOMPARE(got, wrote);
        QVERIFY(!radio.inSession());
    }
}

void TestVirtualRadio::quietLineForgetsPartialFrame_data()
{
    QTest::addColumn<QString>("before"); // sent, then the line falls quiet
    QTest::addColumn<QString>("after");
    QTest::addColumn<QStringList>("expected");

    const QString c = QStringLiteral("'PROGRAM'");
    QTest::newRow("half a write") << c + " 57 40 00 10 01 02" << c + " 52 40 00 02"
                                  << QStringList{"53", "53", "57 40 00 02 00 00"};
    QTest::newRow("half a read header")
        << c + " 52 40" << c + " 52 40 00 01" << QStringList{"53", "53", "57 40 00 01 00"};
    QTest::newRow("half a connect request") << "'PROG'"
                                            << "'RAM' " + c << QStringList{"53"};
    QTest::newRow("half a status request") << "'Y'"
                                           << "'R' 'YR'" << QStringList{"12 34 56 78 9A BC"};
}

void TestVirtualRadio::quietLineForgetsPartialFrame()
{
    QFETCH(QString, before);
    QFETCH(QString, after);
    QFETCH(QStringList, expected);

    VirtualRadio radio(Kind::S);
    radio.setStatusReply(kTestStatus);
    QList<VirtualRadio::Exchange> got = radio.feed(bytes(before));
    QVERIFY(radio.hasPartialFrame());
    radio.discardPartialFrame();
    QVERIFY(!radio.hasPartialFrame());
    got += radio.feed(bytes(after));
    QStringList replies;
    for (const auto &e : got)
        replies << hex(e.reply);
    QStringList want;
    for (const QString &w : expected)
        want << hex(bytes(w));
    QCOMPARE(replies, want);
}

void TestVirtualRadio::memoryDump_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("dump");
    QTest::addColumn<QString>("expected"); // regions of the resulting memory

    QTest::newRow("short dump, S: the rest is factory memory")
        << "S"
        << "01 02 03" << QStringLiteral("0000: 01 02 03 00; 41F0: ") + kCal41F0;
    QTest::newRow("short dump, legacy: the rest is 0xFF") << "legacy"
                                                          << "01 02 03"
                                                          << "0000: 01 02 03 FF; 0010: FF*16";
    QTest::newRow("empty dump") << "Y"
                                << "" << QStringLiteral("0000: 00*16; 4230: ") + kCal4230Y;
    QTest::newRow("dump over the calibration area") << "S"
                                                    << "00*16880 AA BB"
                                                    << "41F0: AA BB 3F 00 00";
}

void TestVirtualRadio::memoryDump()
{
    QFETCH(QString, kind);
    QFETCH(QString, dump);
    QFETCH(QString, expected);

    const VirtualRadio radio(kindFrom(kind), bytes(dump));
    QCOMPARE(radio.memory().size(), VirtualRadio::MemorySize);
    for (const auto &[address, data] : regions(expected))
        QCOMPARE(hex(radio.memory().mid(address, data.size())), hex(data));
}

void TestVirtualRadio::password_data()
{
    QTest::addColumn<QByteArray>("password");
    QTest::addColumn<int>("lengthByte");
    QTest::addColumn<QByteArray>("accepted");
    QTest::addColumn<QByteArray>("refused");

    QTest::newRow("four characters")
        << QByteArray("abcd") << 4 << QByteArray("abcd") << QByteArray("abce");
    QTest::newRow("twelve characters") << QByteArray("Twelve-chars") << 12
                                       << QByteArray("Twelve-chars") << QByteArray("twelve-chars");
    QTest::newRow("longer ones are cut to twelve")
        << QByteArray("0123456789ABCDEF") << 12 << QByteArray("0123456789AB")
        << QByteArray("0123456789ABC");
    QTest::newRow("empty: no password")
        << QByteArray() << 0 << QByteArray("anything") << QByteArray();
}

void TestVirtualRadio::password()
{
    QFETCH(QByteArray, password);
    QFETCH(int, lengthByte);
    QFETCH(QByteArray, accepted);
    QFETCH(QByteArray, refused);

    VirtualRadio radio(Kind::S);
    int counter = 0;
    radio.setPassword(password, [&counter] { return std::uint8_t(0x31 + 7 * counter++); });
    // The block must be where a host reads it: 16 bytes at 0x41D0, with the
    // second password block 0x41E0 and the calibration after it untouched.
    const auto got = radio.feed(bytes("'PROGRAM' 52 41 D0 10 52 41 E0 10 52 41 F0 10"));
    QCOMPARE(got.size(), 4);
    const QByteArray block = got[1].reply.mid(4);
    QCOMPARE(block.size(), 16);
    QCOMPARE(int(std::uint8_t(block[0])), lengthByte);
    int sum = 0;
    for (int i = 0; i < 15; ++i)
        sum += std::uint8_t(block[i]);
    QCOMPARE(int(std::uint8_t(block[15])), sum & 0xFF);
    const auto *raw = reinterpret_cast<const std::uint8_t *>(block.constData());
    QVERIFY(t880::checkPasswordBlock(raw, accepted));
    if (!refused.isEmpty())
        QVERIFY(!t880::checkPasswordBlock(raw, refused));
    QCOMPARE(hex(got[2].reply), hex(bytes("57 41 E0 10 00*16")));
    QCOMPARE(hex(got[3].reply), hex(bytes(QStringLiteral("57 41 F0 10 ") + kCal41F0)));
}

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

QTEST_GUILESS_MAIN(TestVirtualRadio)
// The virtual radio keeps its own copy of where its areas lie, so that it
// stays the independent side of every end-to-end test; the two must agree.
void TestVirtualRadio::areasMatchTheMemoryMap()
{
    namespace map = t880::memorymap;
    QCOMPARE(VirtualRadio::PasswordAddress, map::Password.first);
    QCOMPARE(VirtualRadio::PasswordAddress, map::PasswordBlock.first);
    QCOMPARE(VirtualRadio::CalibrationAddress, map::Calibration.first);
    QCOMPARE(VirtualRadio::CalibrationSize, map::Calibration.size());
    QVERIFY(map::Legacy.end <= VirtualRadio::MemorySize);
    QVERIFY(map::Calibration.end <= VirtualRadio::MemorySize);
}

#include "tst_virtualradio.moc"
