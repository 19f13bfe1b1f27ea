// The t880 command line, run as a separate process in a temporary folder:
// new, show (readable and JSON) on a codeplug built byte by byte, bad input,
// help.
#include "testsupport.h"

#include "codeplug/channelplan.h"
#include "codeplug/codeplugfile.h"
#include "tst_blockhelpers.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

using namespace t880::testing;
using blocktest::put;

namespace {

QByteArray text(const char *s)
{
    return QByteArray(s);
}

void putBytes(QByteArray &b, int offset, const QByteArray &bytes)
{
    for (char c : bytes)
        b[offset++] = c;
}

// A codeplug with unusual values, every byte placed by hand from the layout.
// Channel n starts at 0x554 + 72 n; GBK: 中文 = D6D0 CEC4, 频道 = C6B5 B5C0.
QByteArray unusualBlock()
{
    QByteArray b(blocktest::BlockSize, '\0');
    // Channels 1, 2, 3 and 16 in use; channel 5 deleted (record kept).
    put(b, 0xB5F, {0x0E});
    put(b, 0xB61, {0x01});
    // Channel 1 (0x59C): 438.5 / 438.50625 MHz, decode 88.5, encode D023N,
    // squelch CTC/DCS, busy lock CAT, DTMF on, wide, high, scan; name 中文.
    put(b, 0x59C, {0xA0, 0xFA, 0x22, 0x1A});
    put(b, 0x5AA, {0x0A, 0x13, 0x23, 0x1A});
    put(b, 0x5B8, {0x75, 0x03, 0x01});
    put(b, 0x5C5, {0x13, 0x28, 0x02});
    put(b, 0x5D5, {0x12, 0xB8});
    put(b, 0x5D9, {0xD6, 0xD0, 0xCE, 0xC4});
    // Channel 2 (0x5E4): 145.6125 MHz, no transmit; decode D754I, encode
    // 0xA813 inverted (D023I); squelch mode 7 and busy lock 1 (out of range);
    // narrow, low, not scanned.
    put(b, 0x5E4, {0xD4, 0xDE, 0xAD, 0x08});
    put(b, 0x600, {0xEC, 0x29, 0x03});
    put(b, 0x60D, {0x13, 0xA8, 0x03});
    put(b, 0x61D, {0x0F, 0x00});
    putBytes(b, 0x621, text("CH-2"));
    // Channel 3 (0x62C): 1234567890 Hz, decode tone of unknown type 9 value
    // 1234; a full six-byte name followed by a reserved byte.
    put(b, 0x62C, {0xD2, 0x02, 0x96, 0x49});
    put(b, 0x648, {0xD2, 0x04, 0x09});
    put(b, 0x666, {0x30});
    putBytes(b, 0x669, text("ABCDEFZ"));
    // Channel 5 (0x6BC), deleted.
    put(b, 0x6BC, {0xA0, 0xFA, 0x22, 0x1A});
    putBytes(b, 0x6F9, text("GONE"));
    // Channel 16 (0x9D4): 50 MHz both ways, scan.
    put(b, 0x9D4, {0x80, 0xF0, 0xFA, 0x02});
    put(b, 0x9E2, {0x80, 0xF0, 0xFA, 0x02});
    put(b, 0xA0E, {0x80});
    // Settings, several out of range.
    put(b, 0xAB6, {0x07});       // voice 7
    put(b, 0xABF, {0x2A});       // sql 42
    put(b, 0xAD2, {0xFF, 0xFF}); // tot 65535
    put(b, 0xAD9, {0x02});       // scanResume Seek
    put(b, 0xAE2, {0xC8});       // batterySaveRate 200
    put(b, 0xAF0, {0xE7, 0x03}); // dtmfId 999
    put(b, 0xAFE, {0x0F});       // groupCode #
    put(b, 0xB51, {0x63});       // key1Short 99
    // Codes: dizzyCode 123*#, aniCode ABCD.
    put(b, 0xB02, {0x01, 0x02, 0x03, 0x0E, 0x0F});
    put(b, 0xB0C, {0x05});
    put(b, 0xB30, {0x0A, 0x0B, 0x0C, 0x0D});
    put(b, 0xB3A, {0x04});
    // stunCode from a foreign file: digit code 32 and a count of 12.
    put(b, 0xB0D, {0x01, 0x20, 0x03});
    put(b, 0xB17, {0x0C});
    // Address book entry 3 (0x36E): number 123, name 频道; mask bit 3.
    put(b, 0x36E, {0x01, 0x02, 0x03});
    put(b, 0x379, {0x03, 0xC6, 0xB5, 0xB5, 0xC0});
    put(b, 0x07A, {0x08});
    // Device fields.
    putBytes(b, 0x04A, text("12345678"));
    putBytes(b, 0x053, text("pass"));
    putBytes(b, 0xB55, text("V2.10"));
    return b;
}

bool hasStringValue(const QJsonObject &o, const QString &value)
{
    for (auto it = o.begin(); it != o.end(); ++it) {
        if (it.value().isString() && it.value().toString() == value)
            return true;
    }
    return false;
}

QString lineWith(const QString &output, const QString &needle)
{
    const QStringList lines = output.split(u'\n');
    for (const QString &line : lines) {
        if (line.contains(needle))
            return line;
    }
    return QString();
}

QString settingLine(const QString &output, const QString &field)
{
    const QRegularExpression re(QStringLiteral("\\b%1\\b").arg(field),
                                QRegularExpression::CaseInsensitiveOption);
    const QStringList lines = output.split(u'\n');
    for (const QString &line : lines) {
        if (re.match(line).hasMatch())
            return line;
    }
    return QString();
}

enum class Setup { Nothing, EmptyFile, OneByte, ShortFile, Folder, ExistingFile };

} // namespace

class TestCli : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void newWritesDefaults_data();
    void newWritesDefaults();
    void newForceReplaces();
    void showNewFile();
    void showJson_data();
    void showJson();
    void showJsonFrequencyTexts_data();
    void showJsonFrequencyTexts();
    void showJsonSettings_data();
    void showJsonSettings();
    void showText_data();
    void showText();
    void badInput_data();
    void badInput();
    void help_data();
    void help();
    void channelPlans_data();
    void channelPlans();
    void planRefused_data();
    void planRefused();

private:
    QTemporaryDir m_unusual;
    QString m_unusualPath;
    QJsonObject m_json;
    QString m_text;
};

void TestCli::initTestCase()
{
    QVERIFY(QFileInfo(QStringLiteral(T880_CLI_PATH)).isExecutable());
    QVERIFY(m_unusual.isValid());
    m_unusualPath = m_unusual.filePath(QStringLiteral("unusual.Kzx"));
    QVERIFY(writeFile(m_unusualPath, unusualBlock()));

    const CliResult json =
        runCli({QStringLiteral("show"), m_unusualPath, QStringLiteral("--json")}, m_unusual.path());
    QVERIFY2(!json.crashed && json.exitCode == 0, json.err.constData());
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(json.out, &error);
    QVERIFY2(doc.isObject(), qPrintable(error.errorString()));
    m_json = doc.object();

    const CliResult text = runCli({QStringLiteral("show"), m_unusualPath}, m_unusual.path());
    QVERIFY2(!text.crashed && text.exitCode == 0, text.err.constData());
    m_text = QString::fromUtf8(text.out);
}

void TestCli::newWritesDefaults_data()
{
    QTest::addColumn<QString>("arg");
    QTest::addColumn<QString>("written");
    QTest::newRow("name without extension gets .Kzx") << "radio"
                                                      << "radio.Kzx";
    QTest::newRow("name with .Kzx") << "radio.Kzx"
                                    << "radio.Kzx";
    QTest::newRow("other extension kept") << "radio.bin"
                                          << "radio.bin";
}

void TestCli::newWritesDefaults()
{
    QFETCH(QString, arg);
    QFETCH(QString, written);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const CliResult r = runCli({QStringLiteral("new"), arg}, dir.path());
    QVERIFY2(!r.crashed && r.exitCode == 0, r.err.constData());
    QCOMPARE(listing(dir.path()), QStringList{written});
    QCOMPARE(describeDiff(readFile(dir.filePath(written)), blocktest::expectedNewBlock()),
             QString());
}

void TestCli::newForceReplaces()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("radio.Kzx"));
    QVERIFY(writeFile(path, QByteArray(100, 'x')));
    const CliResult r = runCli(
        {QStringLiteral("new"), QStringLiteral("--force"), QStringLiteral("radio")}, dir.path());
    QVERIFY2(!r.crashed && r.exitCode == 0, r.err.constData());
    QCOMPARE(describeDiff(readFile(path), blocktest::expectedNewBlock()), QString());
    QCOMPARE(listing(dir.path()), QStringList{QStringLiteral("radio.Kzx")});
}

// A file written by 'new' reads back with the New values and no channel.
void TestCli::showNewFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("fresh.Kzx"));
    QVERIFY(writeFile(path, blocktest::expectedNewBlock()));
    const CliResult r =
        runCli({QStringLiteral("show"), QStringLiteral("--json"), path}, dir.path());
    QVERIFY2(!r.crashed && r.exitCode == 0, r.err.constData());
    const QJsonObject o = QJsonDocument::fromJson(r.out).object();
    const QJsonArray channels = o.value(QStringLiteral("channels")).toArray();
    QCOMPARE(channels.size(), 16);
    for (int i = 0; i < 16; ++i) {
        QCOMPARE(channels.at(i).toObject().value(QStringLiteral("number")).toInt(), i + 1);
        QCOMPARE(channels.at(i).toObject().value(QStringLiteral("used")).toBool(true), false);
    }
    QCOMPARE(o.value(QStringLiteral("sql")).toInt(), 5);
    QCOMPARE(o.value(QStringLiteral("tot")).toInt(), 180);
    QCOMPARE(o.value(QStringLiteral("voxDelay")).toInt(), 2000);
    QCOMPARE(o.value(QStringLiteral("key1Short")).toInt(), 24);
    QCOMPARE(o.value(QStringLiteral("dtmfPretime")).toInt(), 500);

    const CliResult t = runCli({QStringLiteral("show"), path}, dir.path());
    QVERIFY2(!t.crashed && t.exitCode == 0, t.err.constData());
    QVERIFY(!t.out.isEmpty());
}

void TestCli::showJson_data()
{
    QTest::addColumn<int>("channel");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QJsonValue>("value");

    const auto tone = [](int type, int value, const char *text) {
        return QJsonValue(QJsonObject{{QStringLiteral("type"), type},
                                      {QStringLiteral("value"), value},
                                      {QStringLiteral("text"), QString::fromUtf8(text)}});
    };
    QTest::newRow("ch1 used") << 1 << "used" << QJsonValue(true);
    QTest::newRow("ch1 rxFreq in Hz") << 1 << "rxFreq" << QJsonValue(438500000);
    QTest::newRow("ch1 txFreq in Hz") << 1 << "txFreq" << QJsonValue(438506250);
    QTest::newRow("ch1 rxTone CTCSS") << 1 << "rxTone" << tone(1, 885, "88.5");
    QTest::newRow("ch1 txTone DCS normal") << 1 << "txTone" << tone(2, 0x2813, "D023N");
    QTest::newRow("ch1 squelchMode") << 1 << "squelchMode" << QJsonValue(2);
    QTest::newRow("ch1 busyLock") << 1 << "busyLock" << QJsonValue(2);
    QTest::newRow("ch1 dtmfFlag") << 1 << "dtmfFlag" << QJsonValue(true);
    QTest::newRow("ch1 wide") << 1 << "wide" << QJsonValue(true);
    QTest::newRow("ch1 highPower") << 1 << "highPower" << QJsonValue(true);
    QTest::newRow("ch1 scanAdd") << 1 << "scanAdd" << QJsonValue(true);
    QTest::newRow("ch1 GBK name decoded") << 1 << "name" << QJsonValue(QStringLiteral("中文"));
    QTest::newRow("ch2 rxTone DCS inverted") << 2 << "rxTone" << tone(3, 0x29EC, "D754I");
    QTest::newRow("ch2 txTone inverted with bit 15") << 2 << "txTone" << tone(3, 0xA813, "D023I");
    QTest::newRow("ch2 no transmit frequency") << 2 << "txFreq" << QJsonValue(0);
    QTest::newRow("ch2 squelchMode 7 as number") << 2 << "squelchMode" << QJsonValue(7);
    QTest::newRow("ch2 busyLock 1 as number") << 2 << "busyLock" << QJsonValue(1);
    QTest::newRow("ch2 narrow") << 2 << "wide" << QJsonValue(false);
    QTest::newRow("ch2 low power") << 2 << "highPower" << QJsonValue(false);
    QTest::newRow("ch2 not scanned") << 2 << "scanAdd" << QJsonValue(false);
    QTest::newRow("ch2 name") << 2 << "name" << QJsonValue(QStringLiteral("CH-2"));
    QTest::newRow("ch3 rxFreq above 1 GHz") << 3 << "rxFreq" << QJsonValue(1234567890);
    QTest::newRow("ch3 name of six bytes") << 3 << "name" << QJsonValue(QStringLiteral("ABCDEF"));
    QTest::newRow("ch5 deleted") << 5 << "used" << QJsonValue(false);
    QTest::newRow("ch4 unused") << 4 << "used" << QJsonValue(false);
    QTest::newRow("ch16 used") << 16 << "used" << QJsonValue(true);
    QTest::newRow("ch16 rxFreq") << 16 << "rxFreq" << QJsonValue(50000000);
}

void TestCli::showJson()
{
    QFETCH(int, channel);
    QFETCH(QString, key);
    QFETCH(QJsonValue, value);
    const QJsonArray channels = m_json.value(QStringLiteral("channels")).toArray();
    QCOMPARE(channels.size(), 16);
    const QJsonObject ch = channels.at(channel - 1).toObject();
    QCOMPARE(ch.value(QStringLiteral("number")).toInt(), channel);
    QCOMPARE(ch.value(key), value);
}

// Beside the integer Hz, each frequency carries its formatted text.
void TestCli::showJsonFrequencyTexts_data()
{
    QTest::addColumn<int>("channel");
    QTest::addColumn<QStringList>("texts");
    QTest::newRow("ch1") << 1 << QStringList{"438.50000", "438.50625"};
    QTest::newRow("ch2, no transmit frequency") << 2 << QStringList{"145.61250", "0"};
    QTest::newRow("ch3, only three MHz digits") << 3 << QStringList{"234.56789"};
    QTest::newRow("ch16, zero-padded MHz") << 16 << QStringList{"050.00000"};
}

void TestCli::showJsonFrequencyTexts()
{
    QFETCH(int, channel);
    QFETCH(QStringList, texts);
    const QJsonObject ch =
        m_json.value(QStringLiteral("channels")).toArray().at(channel - 1).toObject();
    for (const QString &t : texts)
        QVERIFY2(hasStringValue(ch, t), qPrintable(t));
}

void TestCli::showJsonSettings_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QJsonValue>("value");
    QTest::newRow("voice 7 as number") << "voice" << QJsonValue(7);
    QTest::newRow("sql 42 as number") << "sql" << QJsonValue(42);
    QTest::newRow("tot 65535") << "tot" << QJsonValue(65535);
    QTest::newRow("scanResume") << "scanResume" << QJsonValue(2);
    QTest::newRow("batterySaveRate 200") << "batterySaveRate" << QJsonValue(200);
    QTest::newRow("dtmfId 999") << "dtmfId" << QJsonValue(999);
    QTest::newRow("groupCode") << "groupCode" << QJsonValue(15);
    QTest::newRow("key1Short 99 as number") << "key1Short" << QJsonValue(99);
    QTest::newRow("zero setting kept") << "toa" << QJsonValue(0);
    QTest::newRow("deviceSerial") << "deviceSerial" << QJsonValue(QStringLiteral("12345678"));
    QTest::newRow("radioPassword") << "radioPassword" << QJsonValue(QStringLiteral("pass"));
    QTest::newRow("newRadioPassword") << "newRadioPassword" << QJsonValue(QString());
    QTest::newRow("firmwareVersion") << "firmwareVersion" << QJsonValue(QStringLiteral("V2.10"));
    QTest::newRow("stunCode digits as stored")
        << "stunCode"
        << QJsonValue(QJsonObject{{"text", "1?30000000?"},
                                  {"count", 12},
                                  {"digits", QJsonArray{1, 32, 3, 0, 0, 0, 0, 0, 0, 0}}});
}

void TestCli::showJsonSettings()
{
    QFETCH(QString, key);
    QFETCH(QJsonValue, value);
    QVERIFY2(m_json.contains(key), qPrintable(key));
    QCOMPARE(m_json.value(key), value);
}

void TestCli::showText_data()
{
    QTest::addColumn<QString>("anchor"); // finds the line
    QTest::addColumn<QStringList>("shown");

    QTest::newRow("ch1 frequencies, tones, GBK name")
        << "438.50625" << QStringList{"438.50000", "88.5", "D023N", "中文"};
    QTest::newRow("ch2 inverted DCS tones") << "145.61250" << QStringList{"D754I", "D023I", "CH-2"};
    QTest::newRow("ch3 unknown tone type shown as number")
        << "234.56789" << QStringList{"1234", "ABCDEF"};
    QTest::newRow("ch16") << "050.00000" << QStringList{};
    QTest::newRow("dizzyCode") << "123*#" << QStringList{};
    QTest::newRow("aniCode") << "ABCD" << QStringList{};
    QTest::newRow("stunCode out of range shows its numbers")
        << "stunCode" << QStringList{"digits 1 32 3 0 0 0 0 0 0 0", "count 12"};
    QTest::newRow("address-book entry decoded") << "频道" << QStringList{"123"};
    QTest::newRow("deviceSerial") << "12345678" << QStringList{};
    QTest::newRow("firmwareVersion") << "V2.10" << QStringList{};
}

void TestCli::showText()
{
    QFETCH(QString, anchor);
    QFETCH(QStringList, shown);
    const QString line = lineWith(m_text, anchor);
    QVERIFY2(!line.isEmpty(), qPrintable(anchor + QStringLiteral(" not shown")));
    for (const QString &s : shown)
        QVERIFY2(line.contains(s), qPrintable(QStringLiteral("'%1' not in: %2").arg(s, line)));

    // Out-of-range settings appear as their numbers; a deleted channel's
    // record is not shown as a channel.
    QVERIFY(settingLine(m_text, QStringLiteral("sql")).contains(QStringLiteral("42")));
    QVERIFY(settingLine(m_text, QStringLiteral("voice")).contains(u'7'));
    QVERIFY(settingLine(m_text, QStringLiteral("key1Short")).contains(QStringLiteral("99")));
    QVERIFY(settingLine(m_text, QStringLiteral("batterySaveRate")).contains(QStringLiteral("200")));
    QVERIFY(settingLine(m_text, QStringLiteral("tot")).contains(QStringLiteral("65535")));
    QVERIFY(!m_text.contains(QStringLiteral("GONE")));
}

void TestCli::badInput_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("setup");
    QTest::addColumn<int>("exitCode");

    const auto row = [](const char *name, const QStringList &args, Setup setup, int code) {
        QTest::newRow(name) << args << int(setup) << code;
    };
    // File problems: exit 1.
    row("show missing file", {"show", "absent.Kzx"}, Setup::Nothing, 1);
    row("show empty file", {"show", "file.Kzx"}, Setup::EmptyFile, 1);
    row("show 1-byte file", {"show", "file.Kzx"}, Setup::OneByte, 1);
    row("show 2942-byte file", {"show", "file.Kzx"}, Setup::ShortFile, 1);
    row("show --json short file", {"show", "--json", "file.Kzx"}, Setup::ShortFile, 1);
    row("show a folder", {"show", "folder.Kzx"}, Setup::Folder, 1);
    row("new into a missing folder", {"new", "nowhere/radio"}, Setup::Nothing, 1);
    row("new over a file without --force", {"new", "file"}, Setup::ExistingFile, 1);
    row("new onto a folder", {"new", "--force", "folder.Kzx"}, Setup::Folder, 1);
    // Usage problems: exit 2.
    row("show unknown option", {"show", "--bogus", "file.Kzx"}, Setup::ExistingFile, 2);
    row("new unknown option", {"new", "--bogus", "radio"}, Setup::Nothing, 2);
    row("show missing argument", {"show"}, Setup::Nothing, 2);
    row("show --json missing argument", {"show", "--json"}, Setup::Nothing, 2);
    row("new missing argument", {"new"}, Setup::Nothing, 2);
    row("show two files", {"show", "a.Kzx", "b.Kzx"}, Setup::Nothing, 2);
    row("new two files", {"new", "a", "b"}, Setup::Nothing, 2);
    row("unknown verb", {"frobnicate"}, Setup::Nothing, 2);
    row("no verb", {}, Setup::Nothing, 2);
    // Backups, diff and restore.
    row("diff with one codeplug", {"diff", "file.Kzx"}, Setup::ExistingFile, 2);
    row("diff with three codeplugs", {"diff", "file.Kzx", "file.Kzx", "file.Kzx"},
        Setup::ExistingFile, 2);
    row("diff of two radios", {"diff", "--port", "a", "--port", "b"}, Setup::Nothing, 2);
    row("diff of a short file", {"diff", "file.Kzx", "file.Kzx"}, Setup::ShortFile, 2);
    row("diff of a missing file", {"diff", "absent.Kzx", "absent.Kzx"}, Setup::Nothing, 2);
    row("restore of a missing backup", {"restore", "absent.t880bak", "--port", "a"}, Setup::Nothing,
        1);
    row("restore of a codeplug file", {"restore", "file.Kzx", "--port", "a"}, Setup::ExistingFile,
        1);
    row("restore without a backup", {"restore", "--port", "a"}, Setup::Nothing, 2);
    row("backups with an argument", {"backups", "file.Kzx"}, Setup::ExistingFile, 2);
    // Channel plans.
    row("new from an unknown plan", {"new", "--plan", "nosuch", "radio"}, Setup::Nothing, 2);
    row("new from a plan outside the band", {"new", "--plan", "pmr446", "--band", "5", "radio"},
        Setup::Nothing, 2);
    row("new with --band alone", {"new", "--band", "2", "radio"}, Setup::Nothing, 2);
    row("log since no date", {"log", "--since", "yesterday"}, Setup::Nothing, 2);
}

void TestCli::badInput()
{
    QFETCH(QStringList, args);
    QFETCH(int, setup);
    QFETCH(int, exitCode);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("file.Kzx"));
    switch (Setup(setup)) {
    case Setup::Nothing:
        break;
    case Setup::EmptyFile:
        QVERIFY(writeFile(file, QByteArray()));
        break;
    case Setup::OneByte:
        QVERIFY(writeFile(file, QByteArray(1, '\x05')));
        break;
    case Setup::ShortFile:
        QVERIFY(writeFile(file, blocktest::expectedNewBlock().left(2942)));
        break;
    case Setup::Folder:
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder.Kzx")));
        break;
    case Setup::ExistingFile:
        QVERIFY(writeFile(file, "old content"));
        break;
    }
    const QStringList before = listing(dir.path());
    const QByteArray oldContent = readFile(file, "<unreadable>");

    const CliResult r = runCli(args, dir.path());
    QVERIFY2(!r.crashed, r.err.constData());
    QCOMPARE(r.exitCode, exitCode);
    QVERIFY2(!QString::fromUtf8(r.err).trimmed().isEmpty(), "no message on stderr");
    QCOMPARE(listing(dir.path()), before);
    QCOMPARE(readFile(file, "<unreadable>"), oldContent);
}

void TestCli::help_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QStringList>("mentions");
    QTest::newRow("t880 --help") << QStringList{"--help"} << QStringList{"new", "show"};
    QTest::newRow("new --help") << QStringList{"new", "--help"} << QStringList{"--force"};
    QTest::newRow("new -h") << QStringList{"new", "-h"} << QStringList{"--force"};
    QTest::newRow("show --help") << QStringList{"show", "--help"} << QStringList{"--json"};
    QTest::newRow("show -h") << QStringList{"show", "-h"} << QStringList{"--json"};
    QTest::newRow("show --help with a file")
        << QStringList{"show", "--help", "absent.Kzx"} << QStringList{"--json"};
    QTest::newRow("t880 --help lists the safety verbs")
        << QStringList{"--help"} << QStringList{"diff", "backups", "restore"};
    QTest::newRow("write --help") << QStringList{"write", "--help"}
                                  << QStringList{"--no-backup", "--no-verify", "8 verify"};
    QTest::newRow("diff --help") << QStringList{"diff", "--help"}
                                 << QStringList{"--port", "--json"};
    QTest::newRow("restore --help") << QStringList{"restore", "--help"} << QStringList{"--yes"};
}

void TestCli::help()
{
    QFETCH(QStringList, args);
    QFETCH(QStringList, mentions);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const CliResult r = runCli(args, dir.path());
    QVERIFY2(!r.crashed, r.err.constData());
    QCOMPARE(r.exitCode, 0);
    const QString out = QString::fromUtf8(r.out);
    for (const QString &m : mentions)
        QVERIFY2(out.contains(m), qPrintable(out));
    QCOMPARE(listing(dir.path()), QStringList());
}

void TestCli::channelPlans_data()
{
    QTest::addColumn<QString>("plan");
    QTest::addColumn<QStringList>("rx"); // MHz, channels 1..16
    QTest::addColumn<QStringList>("tx"); // the first channels' transmit frequencies; others simplex
    QTest::addColumn<bool>("high");
    // The regulations' channel tables, typed in from them.
    QTest::newRow("PMR446, ECC/DEC/(15)05")
        << "pmr446"
        << QStringList{"446.00625", "446.01875", "446.03125", "446.04375", "446.05625", "446.06875",
                       "446.08125", "446.09375", "446.10625", "446.11875", "446.13125", "446.14375",
                       "446.15625", "446.16875", "446.18125", "446.19375"}
        << QStringList{} << false;
    QTest::newRow("FRS, 47 CFR 95.563")
        << "FRS"
        << QStringList{"462.5625", "462.5875", "462.6125", "462.6375", "462.6625", "462.6875",
                       "462.7125", "467.5625", "467.5875", "467.6125", "467.6375", "467.6625",
                       "467.6875", "467.7125", "462.5500", "462.5750"}
        << QStringList{} << false;
    QTest::newRow("LPD433, ERC/REC 70-03 Annex 1")
        << "lpd433" << QStringList{"433.075", "433.100", "433.125", "433.150", "433.175", "433.200",
                                   "433.225", "433.250", "433.275", "433.300", "433.325", "433.350",
                                   "433.375", "433.400", "433.425", "433.450"}
        << QStringList{} << false;
    QTest::newRow("UHF CB, Australian class licence")
        << "uhf cb"
        << QStringList{"476.425", "476.450", "476.475", "476.500", "476.525", "476.550",
                       "476.575", "476.600", "476.625", "476.650", "476.675", "476.700",
                       "476.725", "476.750", "476.775", "476.800"}
        // Repeater channels 1-8 transmit on their inputs, channels 31-38.
        << QStringList{"477.175", "477.200", "477.225", "477.250",
                       "477.275", "477.300", "477.325", "477.350"}
        << true;
}

// Every channel as the plan's regulation sets it out: no tones, narrow, in
// the scan list, the power the rules allow.
void TestCli::channelPlans()
{
    QFETCH(QString, plan);
    QFETCH(QStringList, rx);
    QFETCH(QStringList, tx);
    QFETCH(bool, high);
    const auto hz = [](const QString &mhz) {
        return std::uint32_t(std::llround(mhz.toDouble() * 1e6));
    };
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("plan.Kzx"));
    const CliResult r = runCli({QStringLiteral("new"), QStringLiteral("--plan"), plan, file});
    QVERIFY2(r.exitCode == 0, r.err.constData());
    t880::CodeplugData cp;
    QVERIFY(t880::codeplugfile::load(file, cp).ok());
    for (int n = 1; n <= 16; ++n) {
        const t880::ChannelRecord ch = cp.channel(n);
        QVERIFY(cp.isChannelUsed(n));
        QCOMPARE(ch.rxFreq(), hz(rx[n - 1]));
        QCOMPARE(ch.txFreq(), hz(n <= tx.size() ? tx[n - 1] : rx[n - 1]));
        QCOMPARE(ch.highPower(), high);
        QVERIFY(!ch.wide() && ch.scanAdd());
        QCOMPARE(ch.rxTone().type, std::uint8_t(0));
        QCOMPARE(ch.txTone().type, std::uint8_t(0));
    }
}

void TestCli::planRefused_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<bool>("read");
    // Changes to a plan that is fine as it stands.
    QTest::newRow("as it stands") << ""
                                  << "" << true;
    QTest::newRow("off the 6.25 kHz raster") << "446006250"
                                             << "446001000" << false;
    QTest::newRow("a name longer than a channel's") << "\"P1\""
                                                    << "\"PMR1TOOLONG\"" << false;
    QTest::newRow("a power the radio has not") << "\"low\""
                                               << "\"max\"" << false;
    QTest::newRow("a bandwidth the radio has not") << "\"narrow\""
                                                   << "\"medium\"" << false;
    QTest::newRow("a language missing") << "\"cht\": \"d\""
                                        << "\"cjk\": \"d\"" << false;
    QTest::newRow("seventeen channels") << "]"
                                        << QString(", {\"rx\": 446006250, \"tx\": "
                                                   "446006250, \"power\": \"low\", \"name\": "
                                                   "\"P1\"}")
                                                   .repeated(16) +
                                               u']'
                                        << false;
}

// A plan that the radio cannot hold as written is no plan.
void TestCli::planRefused()
{
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(bool, read);
    QString json =
        QStringLiteral("{\"name\": \"P\", \"regulation\": \"R\", \"bandwidth\": \"narrow\", "
                       "\"region\": {\"en\": \"a\", \"chs\": \"b\", \"cht\": \"c\"}, "
                       "\"description\": {\"en\": \"a\", \"chs\": \"b\", \"cht\": \"c\"}, "
                       "\"rules\": {\"en\": \"a\", \"chs\": \"b\", \"cht\": \"d\"}, "
                       "\"channels\": [{\"rx\": 446006250, \"tx\": 446006250, \"power\": \"low\", "
                       "\"name\": \"P1\"}]}");
    if (!from.isEmpty()) {
        QVERIFY(json.contains(from));
        json.replace(json.lastIndexOf(from), from.size(), to);
    }
    QCOMPARE(t880::plans::parse(json.toUtf8(), QStringLiteral("p")).has_value(), read);
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
