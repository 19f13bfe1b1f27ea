// The configuration file suite: the values read, with defaults for what a
// user damaged or left out, equal bands and the port table.
#include "tst_configfile.h"

using namespace t880;
using namespace t880::testing;
using namespace configfiletest;

namespace {

QList<qlonglong> bandValues(const AppConfig &c)
{
    QList<qlonglong> out;
    for (const BandLimits &b : c.bands)
        out << qlonglong(b.min) << qlonglong(b.max);
    return out;
}

QStringList portList(const AppConfig &c)
{
    QStringList out;
    for (const auto &[number, path] : c.portPaths)
        out << QString::number(number) + u'=' + path;
    return out;
}

} // namespace

// ----------------------------------------------------------- reading

void TestConfigFile::readDefaults_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QVariant>("expected");

    const auto row = [](const char *name, const char *text, const char *field, QVariant v) {
        QTest::newRow(name) << QByteArray(text) << QString::fromLatin1(field) << v;
    };
    row("Port 9 kept", "[config]\nPort=9\n", "port", 9);
    row("Port letters", "[config]\nPort=abc\n", "port", 1);
    row("Port 0 below range", "[config]\nPort=0\n", "port", 1);
    row("Port 10 above range", "[config]\nPort=10\n", "port", 1);
    row("Port negative", "[config]\nPort=-3\n", "port", 1);
    row("Port empty", "[config]\nPort=\n", "port", 1);
    row("Port beyond 64 bits", "[config]\nPort=99999999999999999999999\n", "port", 1);
    row("Port with letters after the digits", "[config]\nPort=3x\n", "port", 1);
    row("Port in hexadecimal", "[config]\nPort=0x3\n", "port", 1);
    row("Port with blanks and other letter case", "[CONFIG]\n  pOrT  =  7  \n", "port", 7);
    row("Port in another section", "[control]\nPort=5\n", "port", 1);
    row("Port given twice: the first counts", "[config]\nPort=2\nPort=3\n", "port", 2);
    row("Language unknown kept", "[config]\nLanguage=7\n", "language", 7);
    row("Language negative kept", "[config]\nLanguage=-3\n", "language", -3);
    row("Language letters", "[config]\nLanguage=en\n", "language", 1);
    row("Language beyond int", "[config]\nLanguage=3000000000\n", "language", 1);
    row("AutoSeachPort 0 is off", "[config]\nAutoSeachPort=0\n", "autoSearchPort", false);
    row("AutoSeachPort 5 is on", "[config]\nAutoSeachPort=5\n", "autoSearchPort", true);
    row("AutoSeachPort -1 is on", "[config]\nAutoSeachPort=-1\n", "autoSearchPort", true);
    row("AutoSeachPort letters", "[config]\nAutoSeachPort=no\n", "autoSearchPort", true);
    row("AutoSeachPort corrected spelling is not the key", "[config]\nAutoSearchPort=0\n",
        "autoSearchPort", true);
    row("band Selete 9 kept", "[Band]\nband Selete=9\n", "selectedBand", 9);
    row("band Selete -1 kept", "[Band]\nband Selete=-1\n", "selectedBand", -1);
    row("band Selete letters", "[Band]\nband Selete=two\n", "selectedBand", 1);
    row("band Selete in another letter case", "[band]\nBAND SELETE=3\n", "selectedBand", 3);
    row("row height 1 kept", "[control]\nChSG_Row3=1\n", "channelRow3", 1);
    row("row height 500 kept", "[control]\nDtmfAbSG_Row16=500\n", "addressRow16", 500);
    row("row height 0", "[control]\nChSG_Row0=0\n", "channelRow0", 20);
    row("row height 501", "[control]\nDtmfAbSG_Row2=501\n", "addressRow2", 20);
    row("row height letters", "[control]\nChSG_Row16=tall\n", "channelRow16", 20);
    row("column width 2000 kept", "[control]\nChSG_Col8=2000\n", "channelColumn8", 2000);
    row("column width 0 would hide the column", "[control]\nChSG_Col0=0\n", "channelColumn0", 30);
    row("column width negative", "[control]\nChSG_Col3=-74\n", "channelColumn3", 74);
    row("column width 2001", "[control]\nDtmfAbSG_Col1=2001\n", "addressColumn1", 70);
    row("column width empty", "[control]\nDtmfAbSG_Col2=\n", "addressColumn2", 130);
    row("band limit letters", "[Band]\nband-2 min=abc\nband-2 max=470000000\n", "bandMin2",
        400000000LL);
    row("band limit kept beside a bad one", "[Band]\nband-2 min=abc\nband-2 max=470000000\n",
        "bandMax2", 470000000LL);
    row("band limit negative", "[Band]\nband-6 min=-1\n", "bandMin6", 470000000LL);
    row("band limit 0 kept", "[Band]\nband-6 min=0\n", "bandMin6", 0LL);
    row("band limit 4294967295 kept", "[Band]\nband-6 max=4294967295\n", "bandMax6", 4294967295LL);
    row("band limit 4294967296", "[Band]\nband-6 max=4294967296\n", "bandMax6", 520000000LL);
    row("band min above max: min default", "[Band]\nband-3 min=300000000\nband-3 max=250000000\n",
        "bandMin3", 245000000LL);
    row("band min above max: max default", "[Band]\nband-3 min=300000000\nband-3 max=250000000\n",
        "bandMax3", 246000000LL);
    row("band min above the default max alone", "[Band]\nband-1 min=180000000\n", "bandMin1",
        136000000LL);
    row("band key without its space is not the key", "[Band]\nband-1min=140000000\n", "bandMin1",
        136000000LL);
    row("AppName with inner spaces kept", "[chs]\nAppName=  My Radio  \n", "appName0",
        QStringLiteral("My Radio"));
    row("Company of eng", "[eng]\nCompany=Acme\n", "appName5", QStringLiteral("Acme"));
    row("AppName empty reads as a blank", "[cht]\nAppName=\n", "appName2", QStringLiteral(" "));
    row("AppName UTF-8 kept", "[cht]\nAppName=\xE5\xB0\x8F\xE6\xA9\x9F\n", "appName2",
        QString::fromUtf8("\xE5\xB0\x8F\xE6\xA9\x9F"));
    row("empty file", "", "port", 1);
    row("backup before writing on by default", "", "backupBeforeWrite", true);
    row("backup before writing off", "[t880]\nBackupBeforeWrite=0\n", "backupBeforeWrite", false);
    row("backup before writing letters", "[t880]\nBackupBeforeWrite=no\n", "backupBeforeWrite",
        true);
    row("verify after writing on by default", "", "verifyAfterWrite", true);
    row("verify after writing off", "[T880]\nverifyafterwrite = 0\n", "verifyAfterWrite", false);
    row("backup age by default", "", "backupMaxAgeDays", 365);
    row("backup age 30 kept", "[backup]\nMaxAgeDays=30\n", "backupMaxAgeDays", 30);
    row("backup age 0 would remove every backup", "[backup]\nMaxAgeDays=0\n", "backupMaxAgeDays",
        365);
    row("backup age beyond a century", "[backup]\nMaxAgeDays=36501\n", "backupMaxAgeDays", 365);
    row("backup count by default", "", "backupMaxCount", 1000);
    row("backup count 1 kept", "[backup]\nMaxCount=1\n", "backupMaxCount", 1);
    row("backup count negative", "[backup]\nMaxCount=-5\n", "backupMaxCount", 1000);
    row("backup count in another section", "[t880]\nMaxCount=5\n", "backupMaxCount", 1000);
}

void TestConfigFile::readDefaults()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, field);
    QFETCH(QVariant, expected);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("_config.ini"));
    QVERIFY(writeFile(path, text));
    const ConfigLoad load = loadConfig(path);
    QVERIFY(load.result.ok());
    QVERIFY(load.existed);
    QCOMPARE(configdata::fieldValue(load.config, field), expected);
    QCOMPARE(readFile(path), text);
}

void TestConfigFile::missingColumns_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QList<int>>("channel");
    QTest::addColumn<QList<int>>("addressBook");

    QTest::newRow("no control section")
        << QByteArray("[config]\nPort=2\n") << QList<int>{30, 64, 64, 74, 74, 64, 64, 64, 80}
        << QList<int>{30, 70, 130};
    QTest::newRow("row heights only")
        << QByteArray("[control]\nChSG_Row0=30\nDtmfAbSG_Row0=30\n")
        << QList<int>{30, 64, 64, 74, 74, 64, 64, 64, 80} << QList<int>{30, 70, 130};
    QTest::newRow("some columns given")
        << QByteArray("[control]\nChSG_Col4=100\nChSG_Col8=90\nDtmfAbSG_Col1=95\n")
        << QList<int>{30, 64, 64, 74, 100, 64, 64, 64, 90} << QList<int>{30, 95, 130};
    QTest::newRow("columns beyond the grid are ignored")
        << QByteArray("[control]\nChSG_Col9=100\nDtmfAbSG_Col3=100\n")
        << QList<int>{30, 64, 64, 74, 74, 64, 64, 64, 80} << QList<int>{30, 70, 130};
}

void TestConfigFile::missingColumns()
{
    QFETCH(QByteArray, text);
    QFETCH(QList<int>, channel);
    QFETCH(QList<int>, addressBook);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("_config.ini"));
    QVERIFY(writeFile(path, text));
    const AppConfig c = loadConfig(path).config;
    QCOMPARE(QList<int>(c.channelColumnWidths.begin(), c.channelColumnWidths.end()), channel);
    QCOMPARE(QList<int>(c.addressBookColumnWidths.begin(), c.addressBookColumnWidths.end()),
             addressBook);
}

// Bands with the same limits are the user's to make; which one is selected
// is the window's business. Here they only have to come back unchanged.
void TestConfigFile::equalBands_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QList<qlonglong>>("bands");

    QTest::newRow("bands 2 and 4 the same")
        << QByteArray("[Band]\nband-2 min=430000000\nband-2 max=440000000\n"
                      "band-4 min=430000000\nband-4 max=440000000\nband Selete=3\n")
        << QList<qlonglong>{136000000, 174000000, 430000000, 440000000, 245000000, 246000000,
                            430000000, 440000000, 450000000, 520000000, 470000000, 520000000};
    QTest::newRow("every band the same")
        << QByteArray("[Band]\nband-1 min=1\nband-1 max=2\nband-2 min=1\nband-2 max=2\n"
                      "band-3 min=1\nband-3 max=2\nband-4 min=1\nband-4 max=2\n"
                      "band-5 min=1\nband-5 max=2\nband-6 min=1\nband-6 max=2\n")
        << QList<qlonglong>{1, 2, 1, 2, 1, 2, 1, 2, 1, 2, 1, 2};
    QTest::newRow("a band of one frequency and one of the whole range")
        << QByteArray("[Band]\nband-1 min=145500000\nband-1 max=145500000\n"
                      "band-5 min=0\nband-5 max=4294967295\n")
        << QList<qlonglong>{145500000, 145500000, 400000000, 490000000,  245000000, 246000000,
                            400000000, 480000000, 0,         4294967295, 470000000, 520000000};
}

void TestConfigFile::equalBands()
{
    QFETCH(QByteArray, text);
    QFETCH(QList<qlonglong>, bands);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("_config.ini"));
    QVERIFY(writeFile(path, text));
    const ConfigLoad load = loadConfig(path);
    QCOMPARE(bandValues(load.config), bands);
    QVERIFY(saveConfig(path, configdata::afterSession(load.config)).ok());
    const QByteArray saved = readFile(path);
    for (const QByteArray &line : text.split('\n')) {
        if (line.startsWith("band-"))
            QVERIFY2(saved.contains("\n" + line + "\n"), line.constData());
    }
    QCOMPARE(bandValues(loadConfig(path).config), bands);
}

void TestConfigFile::ports_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("COM1 and COM9 bound")
        << QByteArray("[ports]\nCOM1=/dev/ttyUSB0\nCOM9=/dev/ttyS4\n")
        << QStringList{"1=/dev/ttyUSB0", "9=/dev/ttyS4"};
    QTest::newRow("COM0 and COM10 are no ports")
        << QByteArray("[ports]\nCOM0=/dev/a\nCOM10=/dev/b\nCOM3=/dev/c\n")
        << QStringList{"3=/dev/c"};
    QTest::newRow("empty value binds nothing")
        << QByteArray("[ports]\nCOM2=\nCOM4= \n") << QStringList{};
    QTest::newRow("any letter case, blanks trimmed, spaces inside kept")
        << QByteArray("[PORTS]\n  com5  =  /dev/serial/by-id/usb-My Cable  \n")
        << QStringList{"5=/dev/serial/by-id/usb-My Cable"};
    QTest::newRow("first of two counts")
        << QByteArray("[ports]\nCOM1=/dev/a\ncom1=/dev/b\n") << QStringList{"1=/dev/a"};
    QTest::newRow("COM1 and COM01 name one port: the first counts")
        << QByteArray("[ports]\nCOM01=/dev/a\nCOM1=/dev/b\n") << QStringList{"1=/dev/a"};
    QTest::newRow("other keys ignored")
        << QByteArray("[ports]\nUSB1=/dev/a\nCOM=/dev/b\nCOMx=/dev/c\nCOM-1=/dev/d\n")
        << QStringList{};
    QTest::newRow("no ports section") << QByteArray("[config]\nCOM1=/dev/a\n") << QStringList{};
}

void TestConfigFile::ports()
{
    QFETCH(QByteArray, text);
    QFETCH(QStringList, expected);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("_config.ini"));
    QVERIFY(writeFile(path, text));
    const ConfigLoad load = loadConfig(path);
    QCOMPARE(portList(load.config), expected);
    // Never written: a save leaves the section as the user wrote it.
    QVERIFY(saveConfig(path, configdata::afterSession(load.config)).ok());
    QVERIFY(readFile(path).startsWith(text));
}
