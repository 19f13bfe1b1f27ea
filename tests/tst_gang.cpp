// Several radios at once from the command line, over real pseudo-terminals
// with virtual radios: each radio ends with its own result whatever the
// others do (silent, corrupting, slow, wrong password, unplugged halfway),
// the good ones hold exactly the intended bytes, the summary and the exit
// code say so. And the serial trace: its line form, worked out by hand, and
// the password blocks masked.
#include "radioprocess.h"
#include "safetylayout.h"
#include "testsupport.h"

#include "codeplug/codeplugfile.h"
#include "codeplug/productionrecord.h"
#include "codeplug/writejournal.h"
#include "link/serialtrace.h"

#include <QCryptographicHash>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <map>
#include <memory>

using namespace t880;
using namespace t880::testing;

namespace {

QByteArray hexBytes(const char *hex)
{
    return QByteArray::fromHex(hex);
}

// One trace call: 'H' host bytes, 'R' radio bytes, '#' a note.
struct TraceStep
{
    char who;
    qint64 ms;
    QByteArray bytes;
};

} // namespace

Q_DECLARE_METATYPE(QList<TraceStep>)

class TestGang : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }

    struct Radio
    {
        QString name;
        QStringList args;
        std::unique_ptr<VirtualRadioProcess> process;
        QString link;
        QString memory;
    };

    // Radios named NAME, each on DIR/NAME with its memory in DIR/NAME.bin,
    // starting from radioMemory().
    bool startRadios(std::vector<Radio> &radios, const QString &dir)
    {
        QDir().mkpath(dir);
        for (Radio &r : radios) {
            r.link = dir + u'/' + r.name;
            r.memory = dir + u'/' + r.name + QStringLiteral(".bin");
            if (!writeFile(r.memory, radioMemory()))
                return false;
            r.process = std::make_unique<VirtualRadioProcess>();
            if (!r.process->start(r.link,
                                  QStringList{QStringLiteral("--variant"), QStringLiteral("S"),
                                              QStringLiteral("--memory"), r.memory} +
                                      r.args))
                return false;
        }
        return true;
    }

    QString writeFileForRadio()
    {
        const QString file = path(QStringLiteral("write.Kzx"));
        return codeplugfile::save(file, codeplugForWrite()).ok() ? file : QString();
    }

    static QStringList portArgs(const std::vector<Radio> &radios)
    {
        QStringList args;
        for (const Radio &r : radios)
            args << QStringLiteral("--port") << r.link;
        return args;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        qputenv("XDG_DATA_HOME", QFile::encodeName(path(QStringLiteral("data"))));
    }

    // Lines worked out from the frames by hand: the time right-aligned in
    // seven places, the direction, the bytes in hex; the data bytes of the
    // password area (0x41D0..0x41EF) as "**", whichever way they go.
    void traceLines_data()
    {
        QTest::addColumn<QList<TraceStep>>("steps");
        QTest::addColumn<QString>("expected");

        QTest::newRow("connect and a plain read")
            << QList<TraceStep>{{'#', 3, "open /dev/ttyUSB0 9600 8N2"},
                                {'H', 503, "PROGRAM"},
                                {'R', 517, "S"},
                                {'H', 520, hexBytes("52400010")},
                                {'R', 1234567, hexBytes("57400010") + QByteArray(16, '\x11')}}
            << QStringLiteral("      3 # open /dev/ttyUSB0 9600 8N2\n"
                              "    503 H 50 52 4F 47 52 41 4D\n"
                              "    517 R 53\n"
                              "    520 H 52 40 00 10\n"
                              "1234567 R 57 40 00 10 11 11 11 11 11 11 11 11 11 11 11 11 11 11 "
                              "11 11\n");
        QTest::newRow("password block read, reply in two pieces")
            << QList<TraceStep>{{'H', 0, hexBytes("5241D010")},
                                {'R', 1, hexBytes("5741D0")},
                                {'R', 2, hexBytes("10A1B2C3")},
                                {'R', 3, hexBytes("D4E5F60718293A4B5C6D7E8F")}}
            // A header cut at the end of a piece is masked until it is
            // known to be one.
            << QStringLiteral("      0 H 52 41 D0 10\n"
                              "      1 R ** ** **\n"
                              "      2 R 10 ** ** **\n"
                              "      3 R ** ** ** ** ** ** ** ** ** ** ** **\n");
        QTest::newRow("request repeated while its reply is on the way")
            << QList<TraceStep>{{'H', 0, hexBytes("5241E010")},
                                {'R', 5, hexBytes("5741E010A1A2A3A4A5")},
                                {'H', 1000, hexBytes("5241E010")},
                                {'R', 1001, hexBytes("A6A7A8A9AAABACADAEAFB0")}}
            << QStringLiteral("      0 H 52 41 E0 10\n"
                              "      5 R 57 41 E0 10 ** ** ** ** **\n"
                              "   1000 H 52 41 E0 10\n"
                              "   1001 R ** ** ** ** ** ** ** ** ** ** **\n");
        QTest::newRow("a late copy after the password reply")
            << QList<TraceStep>{{'H', 0, hexBytes("5241D010")},
                                {'R', 1,
                                 hexBytes("5741D010") + QByteArray(16, '\x42') +
                                     hexBytes("5741D0")}}
            << QStringLiteral("      0 H 52 41 D0 10\n"
                              "      1 R 57 41 D0 10 ** ** ** ** ** ** ** ** ** ** ** ** ** ** "
                              "** ** ** ** **\n");
        QTest::newRow("write across the start of the password area")
            << QList<TraceStep>{{'H', 7,
                                 hexBytes("5741C810") + hexBytes("0102030405060708") +
                                     hexBytes("1112131415161718")},
                                {'R', 9, hexBytes("06")}}
            << QStringLiteral("      7 H 57 41 C8 10 01 02 03 04 05 06 07 08 ** ** ** ** ** ** "
                              "** **\n"
                              "      9 R 06\n");
        QTest::newRow("write past the end of the password area")
            << QList<TraceStep>{{'H', 7, hexBytes("5741E810") + QByteArray(16, '\x33')}}
            << QStringLiteral("      7 H 57 41 E8 10 ** ** ** ** ** ** ** ** 33 33 33 33 33 33 "
                              "33 33\n");
        QTest::newRow("the read after the password read is shown again")
            << QList<TraceStep>{{'H', 0, hexBytes("5241E010")},
                                {'R', 1, hexBytes("5741E010") + QByteArray(16, '\x42')},
                                {'H', 2, hexBytes("52400010")},
                                {'R', 3, hexBytes("57400010") + QByteArray(2, '\x42')}}
            << QStringLiteral("      0 H 52 41 E0 10\n"
                              "      1 R 57 41 E0 10 ** ** ** ** ** ** ** ** ** ** ** ** ** ** "
                              "** **\n"
                              "      2 H 52 40 00 10\n"
                              "      3 R 57 40 00 10 42 42\n");
        QTest::newRow("a late copy after the next request")
            << QList<TraceStep>{{'H', 0, hexBytes("5241E010")},
                                {'R', 1, hexBytes("5741E010") + QByteArray(16, '\x5A')},
                                {'H', 2, hexBytes("52400010")},
                                {'R', 3, hexBytes("57400010") + QByteArray(16, '\x11')},
                                {'R', 4, hexBytes("5741E010") + QByteArray(4, '\x5A')}}
            << QStringLiteral("      0 H 52 41 E0 10\n"
                              "      1 R 57 41 E0 10 ** ** ** ** ** ** ** ** ** ** ** ** ** ** "
                              "** **\n"
                              "      2 H 52 40 00 10\n"
                              "      3 R 57 40 00 10 11 11 11 11 11 11 11 11 11 11 11 11 11 11 "
                              "11 11\n"
                              "      4 R 57 41 E0 10 ** ** ** **\n");
        // 0xD0 lost: "57 41 10 AC" is no reply the host asked for, and the
        // password area is still on its way.
        QTest::newRow("a lost header byte")
            << QList<TraceStep>{{'H', 0, hexBytes("5241D010")},
                                {'R', 1, hexBytes("574110") + QByteArray(16, '\xAC')}}
            << QStringLiteral("      0 H 52 41 D0 10\n"
                              "      1 R ** ** ** ** ** ** ** ** ** ** ** ** ** ** ** ** ** ** "
                              "**\n");
    }

    void traceLines()
    {
        QFETCH(QList<TraceStep>, steps);
        QFETCH(QString, expected);
        link::SerialTrace trace;
        for (const TraceStep &s : steps) {
            if (s.who == 'H')
                trace.hostSent(s.ms, s.bytes);
            else if (s.who == 'R')
                trace.radioSent(s.ms, s.bytes);
            else
                trace.note(s.ms, QString::fromUtf8(s.bytes));
        }
        QCOMPARE(QString::fromUtf8(trace.text()), expected);
    }

    // Eight radios written at once: five good ones (one of them slow), one
    // silent, one whose every reply byte is damaged, one with a password
    // the file does not know.
    void writeEightAtOnce()
    {
        std::vector<Radio> radios(8);
        const char *names[] = {"a1", "a2", "a3", "a4", "slow", "silent", "garbled", "locked"};
        for (int i = 0; i < 8; ++i)
            radios[std::size_t(i)].name = QLatin1String(names[i]);
        radios[4].args = {QStringLiteral("--reply-delay"), QStringLiteral("10")};
        radios[5].args = {QStringLiteral("--silent-after"), QStringLiteral("0")};
        radios[6].args = {QStringLiteral("--corrupt-rate"), QStringLiteral("1")};
        radios[7].args = {QStringLiteral("--password"), QStringLiteral("fleet7")};
        QVERIFY(startRadios(radios, path(QStringLiteral("eight"))));
        const QString file = writeFileForRadio();
        QVERIFY(!file.isEmpty());

        // The doctor's words in English, whatever this machine's language.
        QProcessEnvironment english = QProcessEnvironment::systemEnvironment();
        english.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
        english.insert(QStringLiteral("LANG"), QStringLiteral("C"));
        const CliResult r =
            runCli(QStringList{QStringLiteral("write"), file, QStringLiteral("--json"),
                               QStringLiteral("--diagnose")} +
                       portArgs(radios),
                   QString(), 60000, english);
        QVERIFY2(r.finished, r.err.constData());
        // Worst: no answer (silent, garbled) before a password error.
        QCOMPARE(r.exitCode, 3);
        const QJsonObject top = QJsonDocument::fromJson(r.out).object();
        QCOMPARE(top.value(QStringLiteral("exit")).toInt(), 3);
        const QJsonArray list = top.value(QStringLiteral("radios")).toArray();
        QCOMPARE(list.size(), 8);
        const int exits[] = {0, 0, 0, 0, 0, 3, 3, 4};
        for (int i = 0; i < 8; ++i) {
            const QJsonObject o = list.at(i).toObject();
            const Radio &radio = radios[std::size_t(i)];
            QCOMPARE(o.value(QStringLiteral("port")).toString(), radio.link);
            QCOMPARE(o.value(QStringLiteral("exit")).toInt(), exits[i]);
            QCOMPARE(o.value(QStringLiteral("ok")).toBool(), exits[i] == 0);
            const bool answered = i < 5 || i == 7;
            QCOMPARE(o.value(QStringLiteral("radio")).toString(),
                     answered ? QStringLiteral("S") : QString());
            if (exits[i] == 0) {
                QCOMPARE(o.value(QStringLiteral("result")).toString(), QStringLiteral("SUCCESS"));
                QVERIFY(QFileInfo::exists(o.value(QStringLiteral("backup")).toString()));
            }
        }
        QCOMPARE(list.at(7).toObject().value(QStringLiteral("result")).toString(),
                 QStringLiteral("Password Error"));
        QCOMPARE(list.at(5).toObject().value(QStringLiteral("result")).toString(),
                 QStringLiteral("Communication False"));
        // Each radio's end on stderr, named by its port.
        QVERIFY(r.err.contains("silent: Communication False"));
        QVERIFY(r.err.contains("locked: Password Error"));
        // --diagnose: each radio that did not answer gets the doctor's
        // finding for its own line; the others get none.
        QVERIFY2(r.err.contains("silent: The port " + QFile::encodeName(radios[5].link) +
                                " opened, but nothing answered."),
                 r.err.constData());
        QVERIFY2(r.err.contains("garbled: Something answered on " +
                                QFile::encodeName(radios[6].link) + ", but not as this radio does"),
                 r.err.constData());
        QVERIFY(!r.err.contains("a1: The port"));
        QVERIFY(!r.err.contains("locked: The port"));

        // One record line for each radio, with its own result, and no write
        // left in the journal.
        const QString sha = QString::fromLatin1(
            QCryptographicHash::hash(readFile(file), QCryptographicHash::Sha256).toHex());
        std::map<QString, production::Line> recorded;
        for (const production::Line &l :
             production::load(path(QStringLiteral("data/t880/production.csv"))).lines)
            recorded[l.port] = l;
        for (int i = 0; i < 8; ++i) {
            const QJsonObject o = list.at(i).toObject();
            const production::Line &l = recorded[radios[std::size_t(i)].link];
            QCOMPARE(l.operation, QStringLiteral("write"));
            QCOMPARE(l.exitCode, exits[i]);
            QCOMPARE(l.result, o.value(QStringLiteral("result")).toString());
            QCOMPARE(l.file, file);
            QCOMPARE(l.sha256, sha);
            QCOMPARE(l.backup, o.value(QStringLiteral("backup")).toString());
        }
        QVERIFY(journal::list(path(QStringLiteral("data/t880/journal"))).empty());

        for (int i = 0; i < 8; ++i) {
            Radio &radio = radios[std::size_t(i)];
            radio.process->stop();
            const QByteArray after = readFile(radio.memory);
            if (exits[i] == 0)
                QCOMPARE(withoutDate(after.mid(0x4000, 0x170)).toHex(' '),
                         intendedArea().toHex(' '));
            else
                QCOMPARE(after.mid(0x4000, 0x170).toHex(' '),
                         radioMemory().mid(0x4000, 0x170).toHex(' '));
        }
    }

    // A radio pulled off its cable halfway through: it fails on its own, the
    // others, on paced lines and still writing at that moment, end well.
    void unpluggedRadio()
    {
        std::vector<Radio> radios(3);
        radios[0].name = QStringLiteral("p1");
        radios[1].name = QStringLiteral("pulled");
        radios[2].name = QStringLiteral("p3");
        for (Radio &r : radios)
            r.args = {QStringLiteral("--pace")};
        QVERIFY(startRadios(radios, path(QStringLiteral("unplug"))));
        const QString file = writeFileForRadio();

        QProcess cli;
        cli.start(QStringLiteral(T880_CLI_PATH),
                  QStringList{QStringLiteral("write"), file} + portArgs(radios));
        QVERIFY(cli.waitForStarted(10000));
        // Pulled once its write is under way (progress lines come a tenth at
        // a time when stderr is no terminal).
        QByteArray err;
        QDeadlineTimer deadline(30000);
        while (!err.contains("pulled: Progress 2") && !deadline.hasExpired() &&
               cli.state() == QProcess::Running) {
            cli.waitForReadyRead(200);
            err += cli.readAllStandardError();
        }
        QVERIFY2(err.contains("pulled: Progress 2"), err.constData());
        radios[1].process->unplug();
        QVERIFY(cli.waitForFinished(30000));
        err += cli.readAllStandardError();
        const QByteArray out = cli.readAllStandardOutput();
        QCOMPARE(cli.exitCode(), 3);
        QVERIFY2(err.contains("pulled: Communication False"), err.constData());
        // The table: a line per port, in the order given.
        const QList<QByteArray> lines = out.trimmed().split('\n');
        QCOMPARE(lines.size(), 4);
        QVERIFY(lines[0].startsWith("Port"));
        const QRegularExpression row(
            QStringLiteral("^(\\S+)\\s+(S|-)\\s+(.+?)\\s+(\\d+\\.\\d) s$"));
        const QStringList results = {QStringLiteral("SUCCESS"),
                                     QStringLiteral("Communication False"),
                                     QStringLiteral("SUCCESS")};
        for (int i = 0; i < 3; ++i) {
            const QRegularExpressionMatch m = row.match(QString::fromUtf8(lines[i + 1]));
            QVERIFY2(m.hasMatch(), lines[i + 1].constData());
            QCOMPARE(m.captured(1), radios[std::size_t(i)].link);
            QCOMPARE(m.captured(3), results[i]);
        }
        for (int i : {0, 2}) {
            radios[std::size_t(i)].process->stop();
            QCOMPARE(
                withoutDate(readFile(radios[std::size_t(i)].memory).mid(0x4000, 0x170)).toHex(' '),
                intendedArea().toHex(' '));
        }
    }

    // Reads of several radios go to a file each, named by the pattern; each
    // file is what reading that radio alone gives.
    void readSeveral()
    {
        std::vector<Radio> radios(2);
        radios[0].name = QStringLiteral("left");
        radios[1].name = QStringLiteral("right");
        QVERIFY(startRadios(radios, path(QStringLiteral("read"))));
        const QString pattern = path(QStringLiteral("read/out-%p.Kzx"));
        const CliResult r = runCli(
            QStringList{QStringLiteral("read"), QStringLiteral("-o"), pattern} + portArgs(radios));
        QCOMPARE(r.exitCode, 0);
        for (const Radio &radio : radios) {
            const QString alone = path(QStringLiteral("read/alone-") + radio.name + ".Kzx");
            const CliResult single = runCli({QStringLiteral("read"), QStringLiteral("--port"),
                                             radio.link, QStringLiteral("-o"), alone});
            QCOMPARE(single.exitCode, 0);
            const QByteArray gang =
                readFile(path(QStringLiteral("read/out-") + radio.name + ".Kzx"));
            QVERIFY(!gang.isEmpty());
            QCOMPARE(gang.toHex(' '), readFile(alone).toHex(' '));
            QVERIFY(r.out.contains("Wrote " + QFile::encodeName(path(QStringLiteral("read/out-") +
                                                                     radio.name + ".Kzx"))));
        }
        // A status of both at once: the same values as one at a time.
        const CliResult status = runCli(
            QStringList{QStringLiteral("status"), QStringLiteral("--json")} + portArgs(radios));
        QCOMPARE(status.exitCode, 0);
        const CliResult one =
            runCli({QStringLiteral("status"), QStringLiteral("--port"), radios[0].link});
        const QJsonObject values = QJsonDocument::fromJson(status.out)
                                       .object()
                                       .value(QStringLiteral("radios"))
                                       .toArray()
                                       .at(0)
                                       .toObject()
                                       .value(QStringLiteral("status"))
                                       .toObject();
        QVERIFY(!values.isEmpty());
        int compared = 0;
        for (const QByteArray &line : one.out.trimmed().split('\n')) {
            const QList<QByteArray> parts = line.simplified().split(' ');
            if (!parts[0].endsWith(':'))
                continue; // the result line
            ++compared;
            QCOMPARE(parts.size(), 2);
            const QString name = QString::fromUtf8(parts[0]).chopped(1);
            QCOMPARE(values.value(name).toInt(-1), parts[1].toInt());
        }
        QCOMPARE(compared, values.size());
    }

    // Mistakes found before any radio is touched: nothing is read or written.
    void refusedBeforeStart_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("message");
        const QString a = path(QStringLiteral("none/a"));
        const QString b = path(QStringLiteral("none/b"));
        QTest::newRow("one output for two radios") << QStringList{QStringLiteral("read"),
                                                                  QStringLiteral("-o"),
                                                                  path(QStringLiteral("x.Kzx")),
                                                                  QStringLiteral("--port"),
                                                                  a,
                                                                  QStringLiteral("--port"),
                                                                  b}
                                                   << QByteArray("holds %p");
        QTest::newRow("the same port twice")
            << QStringList{QStringLiteral("status"), QStringLiteral("--port"), a,
                           QStringLiteral("--port"), a}
            << QByteArray("are the same port");
        QTest::newRow("two ports giving the same file")
            << QStringList{QStringLiteral("read"),
                           QStringLiteral("-o"),
                           path(QStringLiteral("x-%p.Kzx")),
                           QStringLiteral("--port"),
                           a,
                           QStringLiteral("--port"),
                           path(QStringLiteral("other/a"))}
            << QByteArray("give the same file");
        // A link and the device it points at are one port.
        QFile::link(QStringLiteral("/dev/null"), path(QStringLiteral("null-link")));
        QTest::newRow("a link and its device")
            << QStringList{QStringLiteral("status"), QStringLiteral("--port"),
                           path(QStringLiteral("null-link")), QStringLiteral("--port"),
                           QStringLiteral("/dev/null")}
            << QByteArray("are the same port");
        QTest::newRow("one trace for two radios") << QStringList{QStringLiteral("status"),
                                                                 QStringLiteral("--trace"),
                                                                 path(QStringLiteral("t.txt")),
                                                                 QStringLiteral("--port"),
                                                                 a,
                                                                 QStringLiteral("--port"),
                                                                 b}
                                                  << QByteArray("holds %p");
        QTest::newRow("a calibration into two radios")
            << QStringList{QStringLiteral("calibration"),
                           QStringLiteral("write"),
                           path(QStringLiteral("cal.kzxa")),
                           QStringLiteral("--port"),
                           a,
                           QStringLiteral("--port"),
                           b}
            << QByteArray("belongs to one radio");
    }

    void refusedBeforeStart()
    {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, message);
        QVERIFY(writeFile(path(QStringLiteral("cal.kzxa")), QByteArray(128, '\0')));
        const CliResult r = runCli(args);
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.err.contains(message), r.err.constData());
        QVERIFY(!r.err.contains("Progress"));
        QVERIFY(!QFileInfo::exists(path(QStringLiteral("t.txt"))));
    }

    // A write with --trace into a radio with a password: the trace holds
    // every frame in the log's form, and the radio's password blocks appear
    // nowhere in it.
    void traceOfWrite()
    {
        std::vector<Radio> radios(1);
        radios[0].name = QStringLiteral("traced");
        radios[0].args = {QStringLiteral("--password"), QStringLiteral("s3cret")};
        QVERIFY(startRadios(radios, path(QStringLiteral("trace"))));
        CodeplugData cp = codeplugForWrite();
        cp.setText(TextField::radioPassword, "s3cret");
        const QString file = path(QStringLiteral("trace/w.Kzx"));
        QVERIFY(codeplugfile::save(file, cp).ok());
        const QString trace = path(QStringLiteral("trace/t.txt"));
        const CliResult r =
            runCli(QStringList{QStringLiteral("write"), file, QStringLiteral("--trace"), trace} +
                   portArgs(radios));
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.err.contains("Trace: " + QFile::encodeName(trace)));
        radios[0].process->stop();
        const QByteArray memory = readFile(radios[0].memory);
        const QByteArray text = readFile(trace);
        const QRegularExpression form(
            QStringLiteral("^ {0,6}\\d+ ((H|R)( ([0-9A-F]{2}|\\*\\*))+|# .+)$"));
        int frames = 0;
        for (const QByteArray &line : text.trimmed().split('\n')) {
            QVERIFY2(form.match(QString::fromUtf8(line)).hasMatch(), line.constData());
            frames += line.contains(" H ");
        }
        QVERIFY(frames > 100);
        QVERIFY(text.contains(" H 50 52 4F 47 52 41 4D\n"));
        QVERIFY(text.contains(" R 57 41 D0 10 ** ** ** ** ** ** ** ** ** ** ** ** ** ** ** **\n"));
        // The radio's two password blocks, in the trace's spelling.
        for (int address : {0x41D0, 0x41E0}) {
            const QByteArray block = memory.mid(address, 16).toHex(' ').toUpper();
            QVERIFY(block != QByteArray(16, '\0').toHex(' '));
            QVERIFY2(!text.contains(block), block.constData());
            QVERIFY(!text.contains(block.left(3 * 6)));
        }
    }
};

QTEST_GUILESS_MAIN(TestGang)
#include "tst_gang.moc"
