// t880 import and export as separate processes: a channel list written by
// hand in the exact form export writes goes in and comes out byte for byte;
// exit codes and the report for refused rows and bad arguments; the PDF
// channel sheet read back with pdftotext; the codeplug as YAML and back.
#include "testsupport.h"

#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace t880::testing;

namespace {

const QByteArray kHeader =
    "Location,Name,Frequency,Duplex,Offset,Tone,rToneFreq,cToneFreq,DtcsCode,"
    "DtcsPolarity,RxDtcsCode,CrossMode,Mode,TStep,Skip,Power,Comment,URCALL,"
    "RPT1CALL,RPT2CALL,DVCODE\r\n";

// Every duplex kind and tone combination of band 2, one channel each.
QByteArray canonicalList()
{
    const char *rows[] = {
        "1,Simple,438.500000,,0.000000,,88.5,88.5,023,NN,023,Tone->Tone,FM,5.00,,High,,,,,",
        "2,Rep,438.500000,-,5.000000,Tone,100.0,88.5,023,NN,023,Tone->Tone,FM,5.00,,High,,,,,",
        "3,\"A,B\",438.500000,,0.000000,TSQL,69.4,69.4,023,NN,023,Tone->Tone,FM,5.00,,High,,,,,",
        "4,,438.500000,,0.000000,DTCS,88.5,88.5,754,RR,754,Tone->Tone,FM,5.00,,High,,,,,",
        "5,,438.500000,,0.000000,DTCS,88.5,88.5,025,NR,025,Tone->Tone,FM,5.00,,High,,,,,",
        "6,,438.500000,,0.000000,DTCS,88.5,88.5,025,RN,025,Tone->Tone,FM,5.00,,High,,,,,",
        "7,,438.500000,,0.000000,Cross,67.0,254.1,023,NN,023,Tone->Tone,FM,5.00,,High,,,,,",
        "8,,438.500000,,0.000000,Cross,67.0,88.5,023,NR,432,Tone->DTCS,FM,5.00,,High,,,,,",
        "9,,438.500000,,0.000000,Cross,88.5,131.8,155,NN,023,DTCS->Tone,FM,5.00,,High,,,,,",
        "10,,438.500000,,0.000000,Cross,88.5,88.5,155,RN,703,DTCS->DTCS,FM,5.00,,High,,,,,",
        "11,,438.500000,,0.000000,Cross,88.5,123.0,023,NN,023,->Tone,FM,5.00,,High,,,,,",
        "12,,438.500000,,0.000000,Cross,88.5,88.5,023,NR,023,->DTCS,FM,5.00,,High,,,,,",
        "13,,438.500000,,0.000000,Cross,88.5,88.5,065,NN,023,DTCS->,FM,5.00,,High,,,,,",
        "14,中文频,410.000000,split,470.000000,,88.5,88.5,023,NN,023,Tone->Tone,NFM,5.00,S,Low,,,,"
        ",",
        "15,RX,438.500000,off,0.000000,,88.5,88.5,023,NN,023,Tone->Tone,FM,5.00,,High,,,,,",
        "16,,430.006250,+,10.000000,,88.5,88.5,023,NN,023,Tone->Tone,FM,6.25,,High,,,,,",
    };
    QByteArray out = kHeader;
    for (const char *r : rows)
        out += QByteArray(r) + "\r\n";
    return out;
}

} // namespace

class TestCliCsv : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void roundTrip();
    void importExits_data();
    void importExits();
    void importIntoBase();
    void exportArguments_data();
    void exportArguments();
    void pdfSheet_data();
    void pdfSheet();
    void yamlRoundTrip();
    void yamlImport_data();
    void yamlImport();

private:
    QString path(const char *name) const { return m_dir->filePath(QString::fromLatin1(name)); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestCliCsv::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestCliCsv::roundTrip()
{
    QVERIFY(writeFile(path("in.csv"), canonicalList()));
    const CliResult in = runCli({"import", path("in.csv"), "-o", path("out.Kzx")});
    QVERIFY2(in.exitCode == 0, in.err.constData());
    QVERIFY(in.err.contains("16 rows: 15 taken, 1 adjusted, 0 refused"));
    QVERIFY(in.err.contains("line 4, CH03: adjusted: nonstandard tone 69.4 kept"));
    const CliResult out = runCli({"export", path("out.Kzx"), "-o", path("back.csv")});
    QVERIFY2(out.exitCode == 0, out.err.constData());
    QCOMPARE(QString::fromUtf8(readFile(path("back.csv"))), QString::fromUtf8(canonicalList()));
}

void TestCliCsv::importExits_data()
{
    QTest::addColumn<QStringList>("extra");
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("report");
    QTest::addColumn<int>("usedMask"); // bytes 0xB5F..0xB60 of the output, -1: no output

    const QByteArray two = "Frequency,Mode\n438.5,FM\n145.5,FM\n";
    QTest::newRow("all taken") << QStringList{} << QByteArray("Frequency\n438.5\n") << 0
                               << "line 2, CH01: taken" << 0x0002;
    QTest::newRow("refused row, the rest written")
        << QStringList{} << two << 1
        << "line 3, CH02: refused: Frequency 145.5 lies outside the active band" << 0x0002;
    QTest::newRow("band 1 takes 2 m") << QStringList{"--band", "1"} << two << 1
                                      << "line 2, CH01: refused: Frequency 438.5" << 0x0004;
    QTest::newRow("AM refused") << QStringList{}
                                << QByteArray("Location,Frequency,Mode\n3,438.5,AM\n5,438.5,FM\n")
                                << 1 << "line 2, CH03: refused: this radio has no mode AM"
                                << 0x0020;
    QTest::newRow("watts taken as a power level")
        << QStringList{} << QByteArray("Location,Frequency,Power\n2,438.5,5W\n") << 0
        << "line 2, CH02: adjusted: Power 5W taken as High" << 0x0004;
    QTest::newRow("open quote: nothing written")
        << QStringList{} << QByteArray("Name,Frequency\n\"x,438.5\n") << 1 << "never closed" << -1;
    QTest::newRow("no Frequency column")
        << QStringList{} << QByteArray("Name\nx\n") << 1 << "no Frequency column" << -1;
    QTest::newRow("band 7") << QStringList{"--band", "7"} << two << 2 << "--band must be 1..6"
                            << -1;
    QTest::newRow("band word") << QStringList{"--band", "two"} << two << 2 << "--band" << -1;
    QTest::newRow("lenient is for YAML")
        << QStringList{"--lenient"} << two << 2 << "--lenient goes with a .yaml file" << -1;
    QTest::newRow("base not a codeplug")
        << QStringList{"--base", "x.csv"} << two << 2 << "--base must name a .Kzx file" << -1;
}

void TestCliCsv::importExits()
{
    QFETCH(QStringList, extra);
    QFETCH(QByteArray, csv);
    QFETCH(int, exitCode);
    QFETCH(QString, report);
    QFETCH(int, usedMask);
    QVERIFY(writeFile(path("in.csv"), csv));
    const CliResult r =
        runCli(QStringList{"import", path("in.csv"), "-o", path("out.Kzx")} + extra, m_dir->path());
    QCOMPARE(r.exitCode, exitCode);
    QVERIFY2(QString::fromUtf8(r.err).contains(report), r.err.constData());
    const QByteArray out = readFile(path("out.Kzx"));
    if (usedMask < 0) {
        QVERIFY(!QFile::exists(path("out.Kzx")));
    } else {
        QCOMPARE(out.size(), 2943);
        QCOMPARE(quint8(out[0xB5F]) | quint8(out[0xB60]) << 8, usedMask);
    }
}

// Rows go into the base; its other channels and settings stay.
void TestCliCsv::importIntoBase()
{
    QVERIFY(writeFile(path("a.csv"), "Location,Frequency\n9,440.0\n"));
    QCOMPARE(runCli({"import", path("a.csv"), "-o", path("base.Kzx")}).exitCode, 0);
    QByteArray base = readFile(path("base.Kzx"));
    base[0xABF] = 7; // squelch level
    QVERIFY(writeFile(path("base.Kzx"), base));
    QVERIFY(writeFile(path("b.csv"), "Location,Frequency\n2,441.0\n"));
    const CliResult r =
        runCli({"import", path("b.csv"), "--base", path("base.Kzx"), "-o", path("out.Kzx")});
    QCOMPARE(r.exitCode, 0);
    const QByteArray out = readFile(path("out.Kzx"));
    QCOMPARE(int(out[0xABF]), 7);
    // Channels 2 and 9: bits 2 of byte 0 and 1 of byte 1.
    QCOMPARE(int(quint8(out[0xB5F])), 0x04);
    QCOMPARE(int(quint8(out[0xB60])), 0x02);
    // Channel 2's receive frequency at 0x554 + 72 * 2: 441000000 = 0x1A492040.
    QCOMPARE(out.mid(0x554 + 144, 4).toHex(), QByteArray("4020491a"));
}

void TestCliCsv::exportArguments_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("report");
    QTest::newRow("no -o") << QStringList{"export", "c.Kzx"} << 2 << "missing -o";
    QTest::newRow("text file") << QStringList{"export", "c.Kzx", "-o", "c.txt"} << 2
                               << "-o must name a .csv, .pdf or .yaml file";
    QTest::newRow("lang with csv") << QStringList{"export", "c.Kzx", "-o", "c.csv", "--lang", "en"}
                                   << 2 << "--lang goes with a PDF";
    QTest::newRow("unknown lang") << QStringList{"export", "c.Kzx", "-o", "c.pdf", "--lang", "fr"}
                                  << 2 << "unknown language";
    QTest::newRow("not a codeplug")
        << QStringList{"export", "c.csv", "-o", "d.csv"} << 2 << "FILE must name a .Kzx file";
    QTest::newRow("missing file") << QStringList{"export", "none.Kzx", "-o", "d.csv"} << 1
                                  << "none.Kzx";
}

void TestCliCsv::exportArguments()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, report);
    QVERIFY(writeFile(path("c.Kzx"), QByteArray(2943, '\0')));
    const CliResult r = runCli(args, m_dir->path());
    QCOMPARE(r.exitCode, exitCode);
    QVERIFY2(QString::fromUtf8(r.err).contains(report), r.err.constData());
    QVERIFY(!QFile::exists(path("d.csv")));
}

void TestCliCsv::pdfSheet_data()
{
    QTest::addColumn<QString>("lang");
    QTest::addColumn<QStringList>("texts");
    QTest::newRow("en") << "en" << QStringList{"Channel information",
                                               "NO.",
                                               "Name",
                                               "RX Freq.",
                                               "Busy",
                                               "Inhibit",
                                               "438.50000",
                                               "433.50000",
                                               "D432I",
                                               "67.0",
                                               "Rep",
                                               "中文频",
                                               "Narrow",
                                               "DEL",
                                               "Optional Features",
                                               "Squelch Mode"};
    QTest::newRow("chs") << "chs" << QStringList{"信道信息", "接收频率", "名称",     "窄带",
                                                 "删除",     "可选功能", "438.50000"};
}

// A codeplug with channels 2 (a repeater with Tone->DTCS) and 14 (split,
// narrow, low, not scanned, a Chinese name), exported without a display.
void TestCliCsv::pdfSheet()
{
    QFETCH(QString, lang);
    QFETCH(QStringList, texts);
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    const QString pdfinfo = QStandardPaths::findExecutable(QStringLiteral("pdfinfo"));
    if (pdftotext.isEmpty() || pdfinfo.isEmpty())
        QFAIL("pdftotext/pdfinfo missing: scripts/setup.sh installs poppler-utils");
    QVERIFY(writeFile(
        path("in.csv"),
        kHeader +
            "2,Rep,438.500000,-,5.000000,Cross,67.0,88.5,023,NR,432,Tone->DTCS,FM,5.00,,High\r\n"
            "14,中文频,410.000000,split,470.000000,,88.5,88.5,023,NN,023,Tone->Tone,NFM,"
            "5.00,S,Low\r\n"));
    QCOMPARE(runCli({"import", path("in.csv"), "-o", path("c.Kzx")}).exitCode, 0);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.remove(QStringLiteral("DISPLAY"));
    const CliResult r = runCli({"export", path("c.Kzx"), "-o", path("c.pdf"), "--lang", lang},
                               m_dir->path(), 60000, env);
    QVERIFY2(r.exitCode == 0, r.err.constData());

    QProcess info;
    info.start(pdfinfo, {path("c.pdf")});
    QVERIFY(info.waitForFinished(30000));
    QVERIFY(QString::fromUtf8(info.readAllStandardOutput())
                .contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n"))));
    QProcess text;
    text.start(pdftotext, {path("c.pdf"), QStringLiteral("-")});
    QVERIFY(text.waitForFinished(30000));
    const QString out = QString::fromUtf8(text.readAllStandardOutput());
    for (const QString &t : texts)
        QVERIFY2(out.contains(t), qPrintable(t + QStringLiteral(" not in:\n") + out));
}

QTEST_GUILESS_MAIN(TestCliCsv)
#include "tst_cli_csv.moc"

// Every byte of a codeplug goes to text and back; the text names its values.
void TestCliCsv::yamlRoundTrip()
{
    QCOMPARE(runCli({"new", "--demo", path("demo.Kzx")}).exitCode, 0);
    const CliResult out = runCli({"export", path("demo.Kzx"), "-o", path("demo.yaml")});
    QVERIFY2(out.exitCode == 0, out.err.constData());
    const QByteArray text = readFile(path("demo.yaml"));
    QVERIFY(text.startsWith("# T-880 codeplug as text (t880-codeplug, version 1)."));
    QVERIFY(text.contains("\nchannels:\n  1:\n    in use: true\n"));
    const CliResult in = runCli({"import", path("demo.yaml"), "-o", path("back.Kzx")});
    QVERIFY2(in.exitCode == 0, in.err.constData());
    QCOMPARE(readFile(path("back.Kzx")), readFile(path("demo.Kzx")));
}

void TestCliCsv::yamlImport_data()
{
    QTest::addColumn<QStringList>("extra");
    QTest::addColumn<QByteArray>("body"); // after "format" and "version"
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("report");
    QTest::addColumn<int>("squelch"); // byte 0xABF of the output, -1: no output

    const QByteArray unknown = "settings:\n  SQL: 2\n  Colour: red\n";
    QTest::newRow("taken over a new codeplug")
        << QStringList{} << QByteArray("settings:\n  SQL: 2\n") << 0 << "" << 2;
    QTest::newRow("every error named, nothing written")
        << QStringList{} << QByteArray("settings:\n  SQL: 300\n  TOT(S): x\n") << 1
        << "in.yaml: 2 errors; nothing written" << -1;
    QTest::newRow("unknown key refused")
        << QStringList{} << unknown << 1 << "line 5, settings.Colour: unknown key" << -1;
    QTest::newRow("unknown key skipped when lenient")
        << QStringList{"--lenient"} << unknown << 0 << "settings.Colour: unknown key (skipped)"
        << 2;
    QTest::newRow("the base's values kept")
        << QStringList{"--base", "base.Kzx"} << QByteArray("channels: {}\n") << 0 << "" << 7;
    QTest::newRow("a file of more than a megabyte")
        << QStringList{} << QByteArray(1 << 20, '#') << 1
        << "in.yaml is larger than 1048576 bytes; it is no codeplug" << -1;
    QTest::newRow("band goes with CSV")
        << QStringList{"--band", "1"} << QByteArray() << 2 << "--band goes with a CSV file" << -1;
}

void TestCliCsv::yamlImport()
{
    QFETCH(QStringList, extra);
    QFETCH(QByteArray, body);
    QFETCH(int, exitCode);
    QFETCH(QString, report);
    QFETCH(int, squelch);
    QByteArray base(2943, '\0');
    base[0xABF] = 7;
    QVERIFY(writeFile(path("base.Kzx"), base));
    QVERIFY(writeFile(path("in.yaml"), "format: t880-codeplug\nversion: 1\n" + body));
    const CliResult r = runCli(
        QStringList{"import", path("in.yaml"), "-o", path("out.Kzx")} + extra, m_dir->path());
    QCOMPARE(r.exitCode, exitCode);
    QVERIFY2(QString::fromUtf8(r.err).contains(report), r.err.constData());
    if (squelch < 0) {
        QVERIFY(!QFile::exists(path("out.Kzx")));
        return;
    }
    const QByteArray out = readFile(path("out.Kzx"));
    QCOMPARE(out.size(), 2943);
    QCOMPARE(int(out[0xABF]), squelch);
}
