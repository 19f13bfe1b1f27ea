// Channel lists in CSV and on the clipboard, without any window: the columns
// each kind of channel is written with (expected lines written out by hand
// from the column meanings), round trips, and what import and paste make of
// rows, compared with channels entered through the grid's editing rules.
// The whole codeplug as YAML: random blocks back byte for byte, the lines
// written for known values, and the line and key of each error.
#include "codeplug/channelcsv.h"
#include "codeplug/channeledit.h"
#include "codeplug/channelname.h"
#include "codeplug/codeplugyaml.h"
#include "text/applang.h"

#include <random>

#include <QtTest>

using namespace t880;
using namespace t880::channelcsv;

namespace {

constexpr quint32 kBand2Low = 400000000;
constexpr quint32 kBand2High = 490000000;

const QByteArray kHeader =
    "Location,Name,Frequency,Duplex,Offset,Tone,rToneFreq,cToneFreq,DtcsCode,"
    "DtcsPolarity,RxDtcsCode,CrossMode,Mode,TStep,Skip,Power,Comment,URCALL,"
    "RPT1CALL,RPT2CALL,DVCODE";

CodeplugState band2()
{
    CodeplugState s;
    s.activeBandLow = kBand2Low;
    s.activeBandHigh = kBand2High;
    return s;
}

// A channel as a user types it into the grid: receive, transmit, decode and
// encode tone, then the pickers and the name.
struct Typed
{
    QString rx, tx, rxTone = QStringLiteral("Off"), txTone = QStringLiteral("Off");
    bool high = true, wide = true, scan = true;
    QString name;
};

void type(CodeplugState &s, int n, const Typed &t)
{
    using namespace channeledit;
    QCOMPARE(commitRxFrequency(s, n, t.rx), EditResult::Stored);
    QCOMPARE(commitTxFrequency(s, n, t.tx), EditResult::Stored);
    QCOMPARE(commitTone(s.codeplug, n, RxToneColumn, t.rxTone), EditResult::Stored);
    QCOMPARE(commitTone(s.codeplug, n, TxToneColumn, t.txTone), EditResult::Stored);
    commitPicker(s.codeplug, n, PowerColumn, t.high ? 1 : 0);
    commitPicker(s.codeplug, n, BandwidthColumn, t.wide ? 1 : 0);
    commitPicker(s.codeplug, n, ScanColumn, t.scan ? 1 : 0);
    commitName(s.codeplug, n, t.name);
}

QByteArray recordBytes(const CodeplugData &d, int n)
{
    const ChannelRecord r = d.channel(n);
    return QByteArray(reinterpret_cast<const char *>(r.raw.data()), ChannelRecord::Size);
}

QString outcomes(const Preview &p)
{
    QStringList parts;
    for (const RowPreview &r : p.rows) {
        const char *o = r.outcome == Outcome::Taken      ? "T"
                        : r.outcome == Outcome::Adjusted ? "A"
                                                         : "R";
        parts.append(QStringLiteral("%1:%2").arg(r.channel).arg(QLatin1String(o)));
    }
    return parts.join(u' ');
}

} // namespace

Q_DECLARE_METATYPE(t880::channelcsv::Refusal)

class TestChannelCsv : public QObject
{
    Q_OBJECT

private slots:
    void readTable_data();
    void readTable();
    void exportRow_data();
    void exportRow();
    void importRows_data();
    void importRows();
    void importMatchesTyping();
    void previewChangesNothing();
    void unreadableTexts_data();
    void unreadableTexts();
    void names_data();
    void names();
    void clipboardRoundTrip();
    void partialPaste();
    void yamlRandomBlocks();
    void yamlLines();
    void yamlErrors_data();
    void yamlErrors();
    void yamlLenientAndBase();
    void yamlMessages_data();
    void yamlMessages();
};

// The table reader alone: fields as spreadsheets write them.
void TestChannelCsv::readTable_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QStringList>("fields"); // of the first record after the header
    QTest::addColumn<int>("line");
    QTest::newRow("plain LF") << QByteArray("a,b\n1,2\n") << QStringList{"1", "2"} << 2;
    QTest::newRow("CR only") << QByteArray("a,b\r1,2\r") << QStringList{"1", "2"} << 2;
    QTest::newRow("no final line end") << QByteArray("a,b\r\n1,2") << QStringList{"1", "2"} << 2;
    QTest::newRow("quote inside a plain field")
        << QByteArray("a,b\n5\"x,2\n") << QStringList{"5\"x", "2"} << 2;
    QTest::newRow("blank before a quote")
        << QByteArray("a,b\n1, \"x,y\"\n") << QStringList{"1", "x,y"} << 2;
    QTest::newRow("line break inside quotes")
        << QByteArray("a,b\n\"p\nq\",2\n3,4\n") << QStringList{"p\nq", "2"} << 2;
    QTest::newRow("line break inside a quoted header, CR only")
        << QByteArray("\"a\rb\",c\r1,2\r") << QStringList{"1", "2"} << 3;
    QTest::newRow("short row") << QByteArray("a,b,c\n1\n") << QStringList{"1"} << 2;
    QTest::newRow("header after blank lines")
        << QByteArray("\n\na,b\n1,2\n") << QStringList{"1", "2"} << 4;
}

void TestChannelCsv::readTable()
{
    QFETCH(QByteArray, text);
    QFETCH(QStringList, fields);
    QFETCH(int, line);
    const csv::Table t = csv::readTable(text, u',');
    QVERIFY(t.ok());
    QVERIFY(!t.records.isEmpty());
    QCOMPARE(t.records[0].fields, fields);
    QCOMPARE(t.records[0].line, line);
    // Written again and read back, the fields stay the same.
    const csv::Table again =
        csv::readTable(csv::writeTable(t.header, {t.records[0].fields}, u','), u',');
    QCOMPARE(again.records.value(0).fields, fields);
}

// Each kind of channel and the line written for it. rx/tx in MHz as typed.
void TestChannelCsv::exportRow_data()
{
    QTest::addColumn<QString>("rx");
    QTest::addColumn<QString>("tx");
    QTest::addColumn<QString>("rxTone");
    QTest::addColumn<QString>("txTone");
    QTest::addColumn<QString>("flags"); // L low power, N narrow, S not scanned
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("line");

    auto row = [](const char *tag, const char *rx, const char *tx, const char *rxT, const char *txT,
                  const char *flags, const QString &name, const QByteArray &line) {
        QTest::newRow(tag) << QString::fromLatin1(rx) << QString::fromLatin1(tx)
                           << QString::fromLatin1(rxT) << QString::fromLatin1(txT)
                           << QString::fromLatin1(flags) << name << line;
    };
    // Duplex kinds.
    row("simplex", "438.5", "438.5", "Off", "Off", "", "",
        "1,,438.500000,,0.000000,,88.5,88.5,023,NN,023,Tone->Tone,FM,5.00,,High,,,,,");
    row("minus", "438.5", "431.9", "Off", "Off", "", "",
        "1,,438.500000,-,6.600000,,88.5,88.5,023,NN,023,Tone->Tone,FM,5.00,,High,,,,,");
    row("plus at 10 MHz", "430", "440", "Off", "Off", "", "",
        "1,,430.000000,+,10.000000,,88.5,88.5,023,NN,023,Tone->Tone,FM,5.00,,High,,,,,");
    row("split beyond 10 MHz", "430", "440.00625", "Off", "Off", "", "",
        "1,,430.000000,split,440.006250,,88.5,88.5,023,NN,023,Tone->Tone,FM,5.00,,High,,,,,");
    row("split far", "410", "470", "Off", "Off", "", "",
        "1,,410.000000,split,470.000000,,88.5,88.5,023,NN,023,Tone->Tone,FM,5.00,,High,,,,,");
    row("off", "438.5", "", "Off", "Off", "", "",
        "1,,438.500000,off,0.000000,,88.5,88.5,023,NN,023,Tone->Tone,FM,5.00,,High,,,,,");
    row("6.25 kHz raster", "438.50625", "438.50625", "Off", "Off", "", "",
        "1,,438.506250,,0.000000,,88.5,88.5,023,NN,023,Tone->Tone,FM,6.25,,High,,,,,");
    // Low power, narrow, not scanned, a name.
    row("options", "446.00625", "446.00625", "Off", "Off", "LNS", QStringLiteral("PMR"),
        "1,PMR,446.006250,,0.000000,,88.5,88.5,023,NN,023,Tone->Tone,NFM,6.25,S,Low,,,,,");
    row("chinese name", "438.5", "438.5", "Off", "Off", "", QStringLiteral("中文频"),
        "1,中文频,438.500000,,0.000000,,88.5,88.5,023,NN,023,Tone->Tone,FM,5.00,,High,,,,,");
    // Tone combinations (decode = receive, encode = transmit).
    row("Tone", "438.5", "438.5", "Off", "100.0", "", "",
        "1,,438.500000,,0.000000,Tone,100.0,88.5,023,NN,023,Tone->Tone,FM,5.00,,High,,,,,");
    row("TSQL", "438.5", "438.5", "100.0", "100.0", "", "",
        "1,,438.500000,,0.000000,TSQL,100.0,100.0,023,NN,023,Tone->Tone,FM,5.00,,High,,,,,");
    row("TSQL nonstandard", "438.5", "438.5", "69.4", "69.4", "", "",
        "1,,438.500000,,0.000000,TSQL,69.4,69.4,023,NN,023,Tone->Tone,FM,5.00,,High,,,,,");
    row("DTCS RR", "438.5", "438.5", "D754I", "D754I", "", "",
        "1,,438.500000,,0.000000,DTCS,88.5,88.5,754,RR,754,Tone->Tone,FM,5.00,,High,,,,,");
    row("DTCS NR", "438.5", "438.5", "D025I", "D025N", "", "",
        "1,,438.500000,,0.000000,DTCS,88.5,88.5,025,NR,025,Tone->Tone,FM,5.00,,High,,,,,");
    row("DTCS RN", "438.5", "438.5", "D025N", "D025I", "", "",
        "1,,438.500000,,0.000000,DTCS,88.5,88.5,025,RN,025,Tone->Tone,FM,5.00,,High,,,,,");
    row("Tone->Tone", "438.5", "438.5", "254.1", "67.0", "", "",
        "1,,438.500000,,0.000000,Cross,67.0,254.1,023,NN,023,Tone->Tone,FM,5.00,,High,,,,,");
    row("Tone->DTCS", "438.5", "438.5", "D432I", "67.0", "", "",
        "1,,438.500000,,0.000000,Cross,67.0,88.5,023,NR,432,Tone->DTCS,FM,5.00,,High,,,,,");
    row("DTCS->Tone", "438.5", "438.5", "131.8", "D155N", "", "",
        "1,,438.500000,,0.000000,Cross,88.5,131.8,155,NN,023,DTCS->Tone,FM,5.00,,High,,,,,");
    row("DTCS->DTCS", "438.5", "438.5", "D703N", "D155I", "", "",
        "1,,438.500000,,0.000000,Cross,88.5,88.5,155,RN,703,DTCS->DTCS,FM,5.00,,High,,,,,");
    row("->Tone", "438.5", "438.5", "123.0", "Off", "", "",
        "1,,438.500000,,0.000000,Cross,88.5,123.0,023,NN,023,->Tone,FM,5.00,,High,,,,,");
    row("->DTCS", "438.5", "438.5", "D023I", "Off", "", "",
        "1,,438.500000,,0.000000,Cross,88.5,88.5,023,NR,023,->DTCS,FM,5.00,,High,,,,,");
    row("DTCS->", "438.5", "438.5", "Off", "D065N", "", "",
        "1,,438.500000,,0.000000,Cross,88.5,88.5,065,NN,023,DTCS->,FM,5.00,,High,,,,,");
}

// The written line, and the line read back into an empty codeplug gives the
// very record typing made.
void TestChannelCsv::exportRow()
{
    QFETCH(QString, rx);
    QFETCH(QString, tx);
    QFETCH(QString, rxTone);
    QFETCH(QString, txTone);
    QFETCH(QString, flags);
    QFETCH(QString, name);
    QFETCH(QByteArray, line);

    CodeplugState s = band2();
    type(s, 1,
         {rx, tx, rxTone, txTone, !flags.contains(u'L'), !flags.contains(u'N'),
          !flags.contains(u'S'), name});
    const QByteArray file = exportCsv(s.codeplug);
    QCOMPARE(file, kHeader + "\r\n" + line + "\r\n");

    CodeplugState back = band2();
    const Preview p = previewCsv(back, file);
    QVERIFY(p.readable());
    QCOMPARE(p.rows.size(), 1);
    QVERIFY(p.rows[0].outcome != Outcome::Refused);
    applyPreview(back.codeplug, p);
    QCOMPARE(recordBytes(back.codeplug, 1).toHex(), recordBytes(s.codeplug, 1).toHex());
    QVERIFY(back.codeplug == s.codeplug);
}

void TestChannelCsv::importRows_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("outcomes");
    QTest::addColumn<QList<Refusal>>("refusals");

    QTest::newRow("reordered and extra columns")
        << QByteArray("Mode,Extra,Frequency,Location,Power\nFM,x,438.5,4,Low\nNFM,y,439.5,2,High\n")
        << "4:T 2:T" << QList<Refusal>{};
    QTest::newRow("no Location: in order")
        << QByteArray("Frequency,Name\n438.5,A\n439.5,B\n440.5,C\n") << "1:T 2:T 3:T"
        << QList<Refusal>{};
    QByteArray seventeen = "Frequency\n";
    for (int i = 0; i < 17; ++i)
        seventeen += "438.500000\n";
    QString seventeenOutcomes;
    for (int i = 1; i <= 16; ++i)
        seventeenOutcomes += QStringLiteral("%1:T ").arg(i);
    QTest::newRow("17 rows without Location")
        << seventeen << seventeenOutcomes + "0:R" << QList<Refusal>{Refusal::TooManyRows};
    QTest::newRow("Location beyond 16 and 0")
        << QByteArray("Location,Frequency\n17,438.5\n0,438.5\n16,438.5\n") << "0:R 0:R 16:T"
        << QList<Refusal>{Refusal::LocationOutOfRange, Refusal::LocationOutOfRange};
    QTest::newRow("same Location twice") << QByteArray("Location,Frequency\n3,438.5\n3,439.5\n")
                                         << "3:T 3:R" << QList<Refusal>{Refusal::DuplicateChannel};
    QTest::newRow("bad numbers")
        << QByteArray("Location,Frequency,Duplex,Offset,Tone,rToneFreq,DtcsCode\n"
                      "1,43x.5,,,,,\n2,438.5,+,abc,,,\n3,438.5,,,Tone,8o.5,\n"
                      "4,438.5,,,DTCS,,089\nfive,438.5,,,,,\n6,438.5,sideways,,,,\n")
        << "1:R 2:R 3:R 4:R 0:R 6:R"
        << QList<Refusal>{Refusal::Unreadable, Refusal::Unreadable, Refusal::Unreadable,
                          Refusal::Unreadable, Refusal::Unreadable, Refusal::Unreadable};
    QTest::newRow("outside the band")
        << QByteArray("Location,Frequency,Duplex,Offset\n1,145.500000,,0\n2,488.0,+,5.0\n"
                      "3,438.5,split,145.0\n4,400.0,-,0.1\n5,490.0,off,0\n"
                      "6,438.5,-,500\n7,438.5,+,4000\n")
        << "1:R 2:R 3:R 4:R 5:T 6:R 7:R"
        << QList<Refusal>{Refusal::OutsideBand, Refusal::OutsideBand, Refusal::OutsideBand,
                          Refusal::OutsideBand, Refusal::OutsideBand, Refusal::OutsideBand};
    QTest::newRow("modes this radio lacks")
        << QByteArray("Location,Frequency,Mode\n1,438.5,AM\n2,438.5,DV\n3,438.5,WFM\n4,438.5,nfm\n")
        << "1:R 2:R 3:R 4:T"
        << QList<Refusal>{Refusal::UnsupportedMode, Refusal::UnsupportedMode,
                          Refusal::UnsupportedMode};
    QTest::newRow("quoted fields, BOM and CRLF")
        << QByteArray("\xEF\xBB\xBFLocation,Name,Frequency\r\n1,\"A,B\"\"C\",438.5\r\n"
                      "2,\"X\r\nY\",\"439.5\"\r\n")
        << "1:T 2:A" << QList<Refusal>{};
    QTest::newRow("raster, cut name, nonstandard tone, watts")
        << QByteArray("Location,Name,Frequency,Tone,rToneFreq,Power\n1,,438.503,,,\n"
                      "2,ABCDEFG,438.5,,,\n3,,438.5,Tone,69.4,\n4,,438.5,,,5.0W\n")
        << "1:A 2:A 3:A 4:A" << QList<Refusal>{};
    QTest::newRow("blank lines are no rows")
        << QByteArray("Location,Frequency\n\n1,438.5\n,\n\n") << "1:T" << QList<Refusal>{};
    QTest::newRow("tones the reader refuses")
        << QByteArray("Location,Frequency,Tone,rToneFreq,cToneFreq\n1,438.5,Tone,33.0,\n"
                      "2,438.5,TSQL,,0\n3,438.5,Cross,67.0,\n")
        << "1:R 2:R 3:R"
        << QList<Refusal>{Refusal::ToneNotTaken, Refusal::ToneNotTaken, Refusal::Unreadable};
}

void TestChannelCsv::importRows()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, outcomes);
    QFETCH(QList<Refusal>, refusals);

    const Preview p = previewCsv(band2(), text);
    QVERIFY2(p.readable(), qPrintable(describePreview(p).join(u'\n')));
    QCOMPARE(::outcomes(p), outcomes.trimmed());
    QList<Refusal> got;
    for (const RowPreview &r : p.rows) {
        if (r.outcome == Outcome::Refused)
            got.append(r.refusal);
        // Every row has its line in the report.
        QVERIFY(describeRow(r).startsWith(QStringLiteral("line %1").arg(r.line)));
    }
    QCOMPARE(got, refusals);
}

// Records made by import are the ones typing makes, field by field; a
// channel that was in use in the base is made anew (busy lock and DTMF flag
// back to a new channel's), its reserved bytes kept.
void TestChannelCsv::importMatchesTyping()
{
    const QByteArray text =
        "Power,Skip,Mode,CrossMode,RxDtcsCode,DtcsPolarity,DtcsCode,cToneFreq,rToneFreq,Tone,"
        "Offset,Duplex,Frequency,Name,Location,Comment\n"
        "Low,S,NFM,Tone->DTCS,432,RR,023,88.5,67,Cross,5,-,438.503,\"AB中文D\",3,repeater\n"
        "High,,FM,,,,,100.0,,TSQL,0.6,+,445.00625,,5,\n"
        ",,,,,,,,88.50,Tone,440.000000,split,430,Split,9,\n";
    CodeplugState base = band2();
    type(base, 5,
         {QStringLiteral("410"), QStringLiteral("410"), QStringLiteral("D023N"),
          QStringLiteral("D023N"), false, false, false, QStringLiteral("OLD")});
    ChannelRecord old = base.codeplug.channel(5);
    old.setBusyLock(2);
    old.setDtmfFlag(true);
    old.raw[70] = 0x5A;
    base.codeplug.setChannel(5, old);

    const Preview p = previewCsv(base, text);
    QCOMPARE(outcomes(p), QStringLiteral("3:A 5:T 9:T"));
    QCOMPARE(p.rows[0].adjustments.size(), 3); // both frequencies onto the raster, the name
    CodeplugState imported = base;
    applyPreview(imported.codeplug, p);

    CodeplugState typed = base;
    // 438.503 lies off both rasters: down to 438.5; transmit 5 MHz below;
    // the R of the receive side inverts the receive code.
    type(typed, 3,
         {QStringLiteral("438.5"), QStringLiteral("433.5"), QStringLiteral("D432I"),
          QStringLiteral("67.0"), false, false, false, QStringLiteral("AB中文")});
    channeledit::StringGridCleanRow(typed.codeplug, 5);
    type(typed, 5,
         {QStringLiteral("445.00625"), QStringLiteral("445.60625"), QStringLiteral("100.0"),
          QStringLiteral("100.0"), true, true, true, QString()});
    type(typed, 9,
         {QStringLiteral("430"), QStringLiteral("440"), QStringLiteral("Off"),
          QStringLiteral("88.5"), true, true, true, QStringLiteral("Split")});
    QCOMPARE(imported.codeplug.channel(5).raw[70], std::uint8_t(0x5A));
    for (int n : {3, 5, 9})
        QCOMPARE(recordBytes(imported.codeplug, n).toHex(), recordBytes(typed.codeplug, n).toHex());
    QVERIFY(imported.codeplug == typed.codeplug);
}

void TestChannelCsv::previewChangesNothing()
{
    CodeplugState s = band2();
    type(s, 2,
         {QStringLiteral("438.5"), QStringLiteral("438.5"), QStringLiteral("Off"),
          QStringLiteral("Off"), true, true, true, QString()});
    const CodeplugData before = s.codeplug;
    const Preview p = previewCsv(s, "Location,Frequency\n2,439.5\n3,440.5\n");
    QCOMPARE(p.rows.size(), 2);
    QVERIFY(s.codeplug == before);
    QCOMPARE(applyPreview(s.codeplug, p), (QList<int>{2, 3}));
    QCOMPARE(s.codeplug.channel(2).rxFreq(), 439500000u);
    QCOMPARE(s.codeplug.channel(3).rxFreq(), 440500000u);
}

void TestChannelCsv::unreadableTexts_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("error"); // 0: no Frequency column, else csv::TableError
    QTest::newRow("empty") << QByteArray() << int(csv::TableError::NoHeader);
    QTest::newRow("blank lines") << QByteArray("\r\n\n  \n") << int(csv::TableError::NoHeader);
    QTest::newRow("open quote") << QByteArray("Location,Name\n1,\"abc\n2,x\n")
                                << int(csv::TableError::UnterminatedQuote);
    QTest::newRow("too large") << QByteArray(csv::MaxTableBytes + 1, 'a')
                               << int(csv::TableError::TooLarge);
    QTest::newRow("no Frequency") << QByteArray("Location,Name\n1,A\n") << 0;
}

void TestChannelCsv::unreadableTexts()
{
    QFETCH(QByteArray, text);
    QFETCH(int, error);
    const Preview p = previewCsv(band2(), text);
    QVERIFY(!p.readable());
    QVERIFY(p.rows.isEmpty());
    if (error == 0)
        QVERIFY(p.missingFrequencyColumn);
    else
        QCOMPARE(int(p.table.error), error);
    QCOMPARE(describePreview(p).size(), 1);
}

// Names at the six-byte limit: GBK bytes worked out by hand (中 D6D0, 文
// CEC4, 频 C6B5, 道 B5C0).
void TestChannelCsv::names_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("cut");
    QTest::addColumn<bool>("replaced");
    QTest::newRow("six ASCII") << QStringLiteral("ABCDEF") << QByteArray("ABCDEF") << false
                               << false;
    QTest::newRow("seven ASCII") << QStringLiteral("ABCDEFG") << QByteArray("ABCDEF") << true
                                 << false;
    QTest::newRow("three Chinese")
        << QStringLiteral("中文频") << QByteArray::fromHex("D6D0CEC4C6B5") << false << false;
    QTest::newRow("four Chinese") << QStringLiteral("中文频道")
                                  << QByteArray::fromHex("D6D0CEC4C6B5") << true << false;
    QTest::newRow("no half character")
        << QStringLiteral("ABCDE中") << QByteArray("ABCDE") << true << false;
    QTest::newRow("mixed to the limit")
        << QStringLiteral("A中B文") << QByteArray::fromHex("41D6D042CEC4") << false << false;
    QTest::newRow("emoji and tab")
        << QStringLiteral("A\t😀B") << QByteArray("A??B") << false << true;
}

void TestChannelCsv::names()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, cut);
    QFETCH(bool, replaced);
    const channeledit::NameBytes n = channeledit::encodeName(text);
    QCOMPARE(n.bytes.toHex(), bytes.toHex());
    QCOMPARE(n.cut, cut);
    QCOMPARE(n.replaced, replaced);
    // The editor's fit keeps exactly the characters that are stored whole.
    if (!replaced)
        QCOMPARE(channeledit::encodeName(channeledit::fitNameText(text)).bytes, bytes);
    // Through a file: the name column gives the same bytes.
    const QByteArray csvText = "Frequency,Name\n438.5,\"" + text.toUtf8() + "\"\n";
    CodeplugState s = band2();
    const Preview p = previewCsv(s, csvText);
    QCOMPARE(p.rows.size(), 1);
    QCOMPARE(p.rows[0].outcome, cut || replaced ? Outcome::Adjusted : Outcome::Taken);
    QCOMPARE(p.rows[0].record.name().toHex(), bytes.toHex());
}

// Copy channels 2 and 5 (5 empty), paste them onto 7 and 8: 7 becomes 2's
// twin and 8 is emptied.
void TestChannelCsv::clipboardRoundTrip()
{
    CodeplugState s = band2();
    type(s, 2,
         {QStringLiteral("438.5"), QStringLiteral("433.5"), QStringLiteral("D023N"),
          QStringLiteral("88.5"), false, true, false, QStringLiteral("a\tb")});
    ChannelRecord busy = s.codeplug.channel(2);
    busy.setBusyLock(2);
    s.codeplug.setChannel(2, busy);
    type(s, 8,
         {QStringLiteral("446.00625"), QStringLiteral("446.00625"), QStringLiteral("Off"),
          QStringLiteral("Off"), true, true, true, QString()});
    const QByteArray clip = clipboardText(s.codeplug, {2, 5});
    QByteArray expected = kHeader + ",BusyLock";
    expected.replace(',', '\t');
    expected += "\r\n2\ta?b\t438.500000\t-\t5.000000\tCross\t88.5\t88.5\t023\tNN\t023\t"
                "Tone->DTCS\tFM\t5.00\tS\tLow\t\t\t\t\t\tOn\r\n";
    expected += "5\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\r\n";
    QCOMPARE(clip, expected);

    const Preview p = previewClipboard(s, clip, {{7, 8}, false});
    QCOMPARE(outcomes(p), QStringLiteral("7:T 8:T"));
    applyPreview(s.codeplug, p);
    QCOMPARE(s.codeplug.channel(7).raw, s.codeplug.channel(2).raw);
    QVERIFY(s.codeplug.isChannelUsed(7));
    QVERIFY(!s.codeplug.isChannelUsed(8));
}

// A paste of some columns changes only those; a third row with no channel
// selected for it is refused, and an empty channel needs a frequency.
void TestChannelCsv::partialPaste()
{
    CodeplugState s = band2();
    type(s, 1,
         {QStringLiteral("438.5"), QStringLiteral("438.5"), QStringLiteral("D023N"),
          QStringLiteral("D023N"), true, true, true, QStringLiteral("KEEP")});
    ChannelRecord r1 = s.codeplug.channel(1);
    r1.setBusyLock(2);
    s.codeplug.setChannel(1, r1);
    const Preview p =
        previewClipboard(s, "Power\tName\nLow\tNEW\nHigh\tX\nLow\tY\n", {{1, 4}, false});
    QCOMPARE(outcomes(p), QStringLiteral("1:T 4:R 0:R"));
    QCOMPARE(p.rows[1].refusal, Refusal::NoFrequency);
    QCOMPARE(p.rows[2].refusal, Refusal::TooManyRows);
    applyPreview(s.codeplug, p);
    ChannelRecord expected = r1;
    expected.setHighPower(false);
    expected.setName("NEW");
    QCOMPARE(s.codeplug.channel(1).raw, expected.raw);
    QVERIFY(!s.codeplug.isChannelUsed(4));
}

QTEST_GUILESS_MAIN(TestChannelCsv)
#include "tst_channelcsv.moc"

// Any block, foreign bytes included, goes to text and back unchanged, over
// any start; the text of the result is the text of the block.
void TestChannelCsv::yamlRandomBlocks()
{
    std::mt19937 random(880);
    const auto randomBlock = [&random] {
        QByteArray b(CodeplugData::Size, '\0');
        for (char &c : b)
            c = char(random());
        CodeplugData d;
        d.replaceLeading(b);
        return d;
    };
    for (int i = 0; i < 60; ++i) {
        const CodeplugData block = randomBlock();
        const QByteArray text = codeplugyaml::exportYaml(block);
        for (const CodeplugData &start : {CodeplugData(), randomBlock()}) {
            const codeplugyaml::ImportResult back = codeplugyaml::importYaml(text, start);
            QVERIFY(back.ok());
            QVERIFY2(back.codeplug == block, qPrintable(QString::number(i)));
        }
        QCOMPARE(codeplugyaml::exportYaml(codeplugyaml::importYaml(text, {}).codeplug), text);
    }
}

// The lines of known values, worked out from the layout: channel 3 at
// 0x554 + 3 * 72 = 0x68C, its option bytes at +57 and +58.
void TestChannelCsv::yamlLines()
{
    CodeplugData c;
    c.applyNewDefaults();
    ChannelRecord r;
    r.setRxFreq(446006250);
    r.setTxFreq(446006251); // the grid's text drops the 1 Hz digit
    r.setRxTone({1, 885});
    r.setTxTone({2, 0x2800 + 19});
    r.raw[57] = 0x12; // squelch mode 2, busy lock on carrier (2 << 3)
    r.raw[58] = 0x08; // DTMF; narrow, low power, no scan
    r.setName("ABC");
    c.setChannel(3, r);
    c.setChannelUsed(3, true);
    ChannelRecord foreign;
    foreign.setRxTone({5, 0x1234});
    foreign.raw[57] = 0xE0; // spare bits only
    const char name[] = {'A', 0, 'B', 0, 0, 0};
    std::copy(name, name + 6, foreign.raw.begin() + 61);
    c.setChannel(4, foreign);
    AddressBookEntry entry;
    entry.setNumber("123*#");
    entry.setName("BASE");
    c.setAddressBookEntry(2, entry);
    c.setAddressBookEntryUsed(2, true);
    DtmfCode kill;
    kill.setText("123");
    c.setCode(CodeField::dizzyCode, kill);
    DtmfCode foreignCode;
    foreignCode.raw[0] = 16; // no key dials 16
    foreignCode.raw[10] = 1;
    c.setCode(CodeField::stunCode, foreignCode);
    c.setText(TextField::radioPassword, "1234");
    QByteArray block = c.toByteArray();
    block[0x005] = char(0xAB);
    c.replaceLeading(block);

    const QString text = QString::fromUtf8(codeplugyaml::exportYaml(c));
    const char *const expected[] = {
        "format: t880-codeplug\nversion: 1\nchannels:\n  1:\n    in use: false\n",
        "  3:\n    in use: true\n    receive: 446.00625\n    transmit: 446.006251\n"
        "    decode: \"88.5\"\n    encode: \"D023N\"\n    power: low\n    bandwidth: narrow\n"
        "    scan: false\n    busy lock: carrier\n    squelch mode: 2  # CTC/DCS\n"
        "    dtmf: true\n    name: \"ABC\"\n  4:\n    in use: false\n",
        "    decode: {type: 5, value: 0x1234}\n    encode: \"Off\"\n",
        "    name bytes: \"41 00 42 00 00 00\"\n",
        "\nsettings:\n  Voice: 1  # Chinese\n  SQL: 5  # 5\n",
        "  \"* # Delay\": 50\n",
        "  Side Key: 24  # Radio\n",
        "  Remote Kill: \"123\"\n  Remote Stun bytes: \"10 00 00 00 00 00 00 00 00 00 01\"\n",
        "device:\n  Serial Number: \"\"\n  Password: \"1234\"\n",
        "address book:\n  1:\n    in use: false\n    number: \"\"\n    name: \"\"\n  2:\n"
        "    in use: true\n    number: \"123*#\"\n    name: \"BASE\"\n",
        "  0x000: \"00 00 00 00 00 AB 00 00 00 00 00 00 00 00 00 00\"\n",
        // 0x040..0x04F: the serial number from 0x04A. Channel 4 starts at
        // 0x554 + 4 * 72 = 0x674: 0x6A0 is its byte 44, its option bytes
        // 0x6AD (spare bits 0xE0 kept) and 0x6AE, then a spare byte.
        "  0x040: \"00 00 00 00 00 00 00 00 00 00 -- -- -- -- -- --\"\n",
        "  0x6A0: \"00 00 00 00 00 00 00 00 00 00 00 00 00 E0 00 00\"\n",
    };
    for (const char *piece : expected)
        QVERIFY2(text.contains(QString::fromUtf8(piece)), piece);
}

// Each error names the line and the key, and the start stays as it was.
void TestChannelCsv::yamlErrors_data()
{
    QTest::addColumn<QByteArray>("body"); // after "format" and "version", from line 3
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("problem");
    using P = codeplugyaml::Problem;
    const auto channel = [](const char *field) {
        return QByteArray("channels:\n  2:\n    in use: true\n    ") + field + "\n";
    };
    QTest::newRow("seven decimals")
        << channel("receive: 446.0062511") << 6 << "channels.2.receive" << int(P::NotAFrequency);
    QTest::newRow("beyond 32 bits")
        << channel("transmit: 4294.967296") << 6 << "channels.2.transmit" << int(P::NotAFrequency);
    QTest::newRow("tone") << channel("decode: 67.3x") << 6 << "channels.2.decode"
                          << int(P::NotATone);
    QTest::newRow("power") << channel("power: medium") << 6 << "channels.2.power"
                           << int(P::NotAChoice);
    QTest::newRow("name of seven bytes")
        << channel("name: ABCDEFG") << 6 << "channels.2.name" << int(P::TooLong);
    QTest::newRow("name outside GBK")
        << channel("name: \"\xF0\x9F\x98\x80\"") << 6 << "channels.2.name" << int(P::BadCharacter);
    QTest::newRow("two forms of a name")
        << channel("name: A\n    name bytes: \"41 00 00 00 00 00\"") << 7 << "channels.2.name"
        << int(P::TwoForms);
    QTest::newRow("two forms of a DTMF code")
        << QByteArray("dtmf:\n  PTT ID: \"1\"\n  PTT ID bytes: \"01 00 00 00 00 00 00 00 00 00 "
                      "01\"\n")
        << 5 << "dtmf.PTT ID" << int(P::TwoForms);
    QTest::newRow("name bytes too few")
        << channel("name bytes: \"41 42\"") << 6 << "channels.2.name bytes" << int(P::NotHex);
    QTest::newRow("busy lock word")
        << channel("busy lock: sometimes") << 6 << "channels.2.busy lock" << int(P::NotAChoice);
    QTest::newRow("in use word") << QByteArray("channels:\n  2:\n    in use: maybe\n") << 5
                                 << "channels.2.in use" << int(P::NotAChoice);
    QTest::newRow("raw tone type of 9 bits") << channel("decode: {type: 256, value: 0}") << 6
                                             << "channels.2.decode.type" << int(P::OutOfRange);
    QTest::newRow("decimal comma")
        << channel("receive: 446,5") << 6 << "channels.2.receive" << int(P::NotAFrequency);
    QTest::newRow("negative setting")
        << QByteArray("settings:\n  SQL: -1\n") << 4 << "settings.SQL" << int(P::OutOfRange);
    QTest::newRow("unknown section")
        << QByteArray("colours: {}\n") << 3 << "colours" << int(P::UnknownKey);
    QTest::newRow("a section twice")
        << QByteArray("settings: {}\nsettings: {}\n") << 4 << "settings" << int(P::DuplicateKey);
    QTest::newRow("squelch mode 8")
        << channel("squelch mode: 8") << 6 << "channels.2.squelch mode" << int(P::OutOfRange);
    QTest::newRow("channel 17") << QByteArray("channels:\n  17:\n    in use: true\n") << 4
                                << "channels.17" << int(P::UnknownKey);
    QTest::newRow("channels not a map")
        << QByteArray("channels: 5\n") << 3 << "channels" << int(P::NotAMap);
    QTest::newRow("byte setting 256")
        << QByteArray("settings:\n  SQL: 256\n") << 4 << "settings.SQL" << int(P::OutOfRange);
    QTest::newRow("word setting 65536") << QByteArray("settings:\n  VOX Delay(S): 65536\n") << 4
                                        << "settings.VOX Delay(S)" << int(P::OutOfRange);
    QTest::newRow("not a number") << QByteArray("settings:\n  TOT(S): soon\n") << 4
                                  << "settings.TOT(S)" << int(P::NotANumber);
    QTest::newRow("unknown setting")
        << QByteArray("settings:\n  Voise: 1\n") << 4 << "settings.Voise" << int(P::UnknownKey);
    QTest::newRow("a key twice") << QByteArray("settings:\n  SQL: 1\n  SQL: 2\n") << 5
                                 << "settings.SQL" << int(P::DuplicateKey);
    QTest::newRow("DTMF letter E") << QByteArray("dtmf:\n  ANI(local): 12E\n") << 4
                                   << "dtmf.ANI(local)" << int(P::BadCharacter);
    QTest::newRow("eleven digits") << QByteArray("dtmf:\n  PTT ID: \"12345678901\"\n") << 4
                                   << "dtmf.PTT ID" << int(P::TooManyDigits);
    QTest::newRow("password of 13") << QByteArray("device:\n  Password: \"1234567890123\"\n") << 4
                                    << "device.Password" << int(P::TooLong);
    QTest::newRow("password not ASCII") << QByteArray("device:\n  Password: \"12\xC3\xA9\"\n") << 4
                                        << "device.Password" << int(P::BadCharacter);
    QTest::newRow("named byte")
        << QByteArray("unnamed bytes:\n  0x040: \"00 00 00 00 00 00 00 00 00 00 01 -- -- -- -- "
                      "--\"\n")
        << 4 << "unnamed bytes.0x040" << int(P::NamedByte);
    QTest::newRow("short row") << QByteArray("unnamed bytes:\n  0x000: \"00 01\"\n") << 4
                               << "unnamed bytes.0x000" << int(P::NotHex);
    QTest::newRow("list for a value") << QByteArray("address book:\n  1:\n    number: [1, 2]\n")
                                      << 5 << "address book.1.number" << int(P::NotText);
}

void TestChannelCsv::yamlErrors()
{
    QFETCH(QByteArray, body);
    QFETCH(int, line);
    QFETCH(QString, key);
    QFETCH(int, problem);
    CodeplugData start;
    start.applyNewDefaults();
    const codeplugyaml::ImportResult r =
        codeplugyaml::importYaml("format: t880-codeplug\nversion: 1\n" + body, start);
    QCOMPARE(r.errors.size(), 1);
    QCOMPARE(r.errors[0].line, line);
    QCOMPARE(r.errors[0].key, key);
    QCOMPARE(int(r.errors[0].problem), problem);
    QVERIFY(r.codeplug == start);
}

// Keys the file leaves out keep the start's values; lenient skips unknown
// keys and takes the rest; a file that is no codeplug or a newer version is
// refused at its first line.
void TestChannelCsv::yamlLenientAndBase()
{
    CodeplugData start;
    start.applyNewDefaults();
    start.enterChannelFrequency(1, 438500000);
    const QByteArray text = "format: t880-codeplug\nversion: 1\nchannels:\n  2:\n"
                            "    in use: true\n    receive: 439\n    colour: red\n"
                            "settings:\n  SQL: 9\n";
    codeplugyaml::ImportOptions lenient;
    lenient.lenient = true;
    const codeplugyaml::ImportResult r = codeplugyaml::importYaml(text, start, lenient);
    QVERIFY(r.ok());
    QCOMPARE(r.skippedKeys.size(), 1);
    QCOMPARE(r.skippedKeys[0].key, QStringLiteral("channels.2.colour"));
    QCOMPARE(r.skippedKeys[0].line, 7);
    QCOMPARE(r.codeplug.channel(2).rxFreq(), 439000000u);
    QVERIFY(r.codeplug.isChannelUsed(1) && r.codeplug.isChannelUsed(2));
    QCOMPARE(r.codeplug.channel(1).rxFreq(), 438500000u);
    QCOMPARE(r.codeplug.setting(Setting::sql), 9u);
    QCOMPARE(r.codeplug.setting(Setting::tot), 180u);
    QVERIFY(!codeplugyaml::importYaml(text, start).ok());

    // A raw tone's number left out keeps the start's.
    ChannelRecord toned = start.channel(1);
    toned.setRxTone({1, 885});
    start.setChannel(1, toned);
    const codeplugyaml::ImportResult raw = codeplugyaml::importYaml(
        "format: t880-codeplug\nversion: 1\nchannels:\n  1:\n    decode: {type: 2}\n", start);
    QVERIFY(raw.ok());
    QCOMPARE(raw.codeplug.channel(1).rxTone(), (Tone{2, 885}));

    using P = codeplugyaml::Problem;
    const std::pair<QByteArray, P> refused[] = {
        {"format: other\n", P::NotCodeplug},
        {"format: t880-codeplug\nversion: 2\n", P::NewerVersion},
        {"format: t880-codeplug\n", P::NewerVersion},
        {"a: [\n", P::NotYaml},
        {"just text\n", P::NotCodeplug},
    };
    for (const auto &[file, problem] : refused) {
        const codeplugyaml::ImportResult bad = codeplugyaml::importYaml(file, start);
        QCOMPARE(bad.errors.size(), 1);
        QCOMPARE(int(bad.errors[0].problem), int(problem));
        QVERIFY(bad.codeplug == start);
    }
}

// An error as the window shows it in each language, and as the command line
// prints it (English).
void TestChannelCsv::yamlMessages_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("message");
    QTest::newRow("en") << int(text::Language::English)
                        << "line 4, settings.SQL: out of range 0..255";
    QTest::newRow("chs") << int(text::Language::Simplified)
                         << QStringLiteral("第 4 行，settings.SQL：超出范围 0..255");
    QTest::newRow("cht") << int(text::Language::Traditional)
                         << QStringLiteral("第 4 行，settings.SQL：超出範圍 0..255");
}

void TestChannelCsv::yamlMessages()
{
    QFETCH(int, language);
    QFETCH(QString, message);
    const codeplugyaml::ImportResult r = codeplugyaml::importYaml(
        "format: t880-codeplug\nversion: 1\nsettings:\n  SQL: 256\n", CodeplugData());
    QCOMPARE(r.errors.size(), 1);
    text::TAppLang lang;
    lang.fSetLangType(text::Language(language));
    QCOMPARE(codeplugyaml::describeError(r.errors[0], lang), message);

    // Every problem has a text of its own.
    QSet<QString> texts;
    for (int p = 0; p <= int(codeplugyaml::Problem::TwoForms); ++p) {
        codeplugyaml::ImportError e = r.errors[0];
        e.problem = codeplugyaml::Problem(p);
        texts.insert(codeplugyaml::describeError(e, lang));
    }
    QCOMPARE(texts.size(), int(codeplugyaml::Problem::TwoForms) + 1);
}
