// The window's configuration file: an INI reader that gives back every byte
// it was given, a first run that writes the documented file, values a user
// may have damaged read as their defaults, saves that change only what the
// program owns, and paths that are no file left alone.
#include "ui/config/appconfig.h"
#include "ui/config/inifile.h"

#include "testsupport.h"
#include "tst_configfile_data.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace t880;
using namespace t880::testing;

namespace {

const QByteArray kNewFile(configdata::kNewFile);
const QByteArray kBom("\xEF\xBB\xBF");

bool runningAsRoot()
{
    return ::geteuid() == 0;
}

// A literal that may hold NUL bytes.
template <std::size_t N> QByteArray bytes(const char (&text)[N])
{
    return QByteArray(text, qsizetype(N - 1));
}

QByteArray crlf(QByteArray text)
{
    return text.replace("\n", "\r\n");
}

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

bool isFifo(const QString &path)
{
    struct stat st = {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISFIFO(st.st_mode);
}

} // namespace

class TestConfigFile : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_home;

private slots:
    void initTestCase();

    void iniRoundTrip_data();
    void iniRoundTrip();
    void iniSetValue_data();
    void iniSetValue();
    void iniKeys_data();
    void iniKeys();

    void firstRun();
    void handEditedSurvivesSave_data();
    void handEditedSurvivesSave();
    void editsDuringRunSurvive();
    void saveAfterDeletion_data();
    void saveAfterDeletion();

    void readDefaults_data();
    void readDefaults();
    void missingColumns_data();
    void missingColumns();
    void equalBands_data();
    void equalBands();
    void ports_data();
    void ports();

    void hostilePaths_data();
    void hostilePaths();
    void garbageKeepsWhatIsSensible_data();
    void garbageKeepsWhatIsSensible();

    void location_data();
    void location();
    void locationByPermissions_data();
    void locationByPermissions();
};

void TestConfigFile::initTestCase()
{
    QVERIFY(m_home.isValid());
    // The fallback folder goes where the test can look, not into the home of
    // whoever runs it; the program's own name, as the window sets it.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home.filePath(QStringLiteral("xdg"))));
    QCoreApplication::setOrganizationName(QString());
    QCoreApplication::setApplicationName(QStringLiteral("t880"));
}

// ---------------------------------------------------------------- IniFile

void TestConfigFile::iniRoundTrip_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected"); // null: the key is not found

    const auto row = [](const char *name, const QByteArray &text, const char *section,
                        const char *key, const QString &expected) {
        QTest::newRow(name) << text << QString::fromUtf8(section) << QString::fromUtf8(key)
                            << expected;
    };
    const QString missing;
    row("LF with comments of both kinds", "; top\n[a]\n# inner\nk=v\n", "a", "k", "v");
    row("CRLF", "[a]\r\nk=v\r\n\r\n[b]\r\nx=1\r\n", "b", "x", "1");
    row("UTF-8 BOM before the first section", "\xEF\xBB\xBF[a]\nk=v\n", "a", "k", "v");
    row("no final newline", "[a]\nk=last", "a", "k", "last");
    row("duplicated key: the first counts", "[a]\nk=first\nK=second\n", "a", "k", "first");
    row("section given twice reads as one", "[a]\nx=1\n[b]\ny=2\n[A]\nz=3\n", "a", "z", "3");
    row("key with inner spaces, blanks around '=' and value",
        "[Band]\n  band-1 min  =  136000000  \n", "band", "BAND-1 MIN", "136000000");
    row("value holding '=' and ';'", "[a]\nk= x=y ; z\n", "a", "k", "x=y ; z");
    row("commented-out key is no key", "[a]\n;k=1\n#k=2\n", "a", "k", missing);
    row("garbage lines, NUL and bytes that are no UTF-8",
        bytes("\x01\x02 junk\n[a\n]b\n=5\n\xFF\xFE\x80\n[a]\nk\0=1\nk=2\n"), "a", "k", "2");
    row("empty file", QByteArray(), "a", "k", missing);
    row("only blank lines", "\n\n  \n", "a", "k", missing);
    row("keys before any section", "k=top\n[a]\nk=in\n", "", "k", "top");
    row("mixed CRLF and LF", "[a]\r\nk=1\nj=2\r\n", "a", "j", "2");
    row("header with a comment after it", "[ a ] ; the first\nk=1\n", "a", "k", "1");
    row("lone CR stays inside its line", "[a]\nk=1\rj=2\n", "a", "j", missing);
    row("empty value", "[a]\nk=\n", "a", "k", "");
}

void TestConfigFile::iniRoundTrip()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    const IniFile ini = IniFile::parse(text);
    QCOMPARE(describeDiff(ini.serialize(), text), QString());
    const std::optional<QString> v = ini.value(section, key);
    QCOMPARE(v.has_value(), !expected.isNull());
    if (v)
        QCOMPARE(*v, expected);
}

void TestConfigFile::iniSetValue_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("expected");

    const auto row = [](const char *name, const QByteArray &text, const char *section,
                        const char *key, const char *value, const QByteArray &expected) {
        QTest::newRow(name) << text << QString::fromUtf8(section) << QString::fromUtf8(key)
                            << QString::fromUtf8(value) << expected;
    };
    row("in place, blanks and comment lines kept", "; c\n[a]\n  k =  1  \n# d\n", "a", "k", "22",
        "; c\n[a]\n  k =  22  \n# d\n");
    row("in place, only the first of two", "[a]\nk=1\nk=2\n", "a", "k", "3", "[a]\nk=3\nk=2\n");
    row("in place, section and key in other letter case", "[Config]\nport=3\n", "config", "Port",
        "4", "[Config]\nport=4\n");
    row("in place, empty value filled", "[a]\nk=  \n", "a", "k", "7", "[a]\nk=7\n");
    row("in place, value emptied", "[a]\nk = 7 ; x\n", "a", "k", "", "[a]\nk = \n");
    row("appended after the section's last key, before blank and comment",
        "[a]\nk=1\n\n; about b\n[b]\nx=1\n", "a", "j", "2",
        "[a]\nk=1\nj=2\n\n; about b\n[b]\nx=1\n");
    row("appended to a section with no keys", "[a]\n\n[b]\nx=1\n", "a", "k", "1",
        "[a]\nk=1\n\n[b]\nx=1\n");
    row("appended to the first of a section given twice", "[a]\nk=1\n[b]\n[a]\nm=2\n", "a", "j",
        "3", "[a]\nk=1\nj=3\n[b]\n[a]\nm=2\n");
    row("appended to a last line without newline", "[a]\nk=1", "a", "j", "2", "[a]\nk=1\nj=2\n");
    row("new section after a blank line", "[a]\nk=1", "b", "x", "5", "[a]\nk=1\n\n[b]\nx=5\n");
    row("new section, file already ends blank", "[a]\nk=1\n\n", "b", "x", "5",
        "[a]\nk=1\n\n[b]\nx=5\n");
    row("new section in an empty file", QByteArray(), "b", "x", "5", "[b]\nx=5\n");
    row("CRLF file gets CRLF lines", "[a]\r\nk=1\r\n", "b", "x", "5",
        "[a]\r\nk=1\r\n\r\n[b]\r\nx=5\r\n");
    row("BOM kept", "\xEF\xBB\xBF[a]\nk=1\n", "a", "k", "2", "\xEF\xBB\xBF[a]\nk=2\n");
    row("BOM before a first line that changes", "\xEF\xBB\xBFk=1\n[a]\n", "", "k", "2",
        "\xEF\xBB\xBFk=2\n[a]\n");
    row("line break in a value becomes a blank", "[a]\n", "a", "k", "x\r\n[b]", "[a]\nk=x  [b]\n");
    row("other lines' bytes that are no UTF-8 kept", "[a]\n\xFF\xFE\nk=1\n", "a", "k", "2",
        "[a]\n\xFF\xFE\nk=2\n");
}

void TestConfigFile::iniSetValue()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QByteArray, expected);
    IniFile ini = IniFile::parse(text);
    ini.setValue(section, key, value);
    QCOMPARE(ini.serialize(), expected);
    // What was set reads back, from the file in memory and from its text.
    const QString set = value.replace(u'\r', u' ').replace(u'\n', u' ').trimmed();
    QCOMPARE(ini.value(section, key), std::optional<QString>(set));
    QCOMPARE(IniFile::parse(expected).value(section, key), std::optional<QString>(set));
}

void TestConfigFile::iniKeys_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("section");
    QTest::addColumn<bool>("present");
    QTest::addColumn<QStringList>("keys");

    QTest::newRow("as spelled, in file order, duplicates too")
        << QByteArray("[p]\nCOM2=a\n com1 =b\nCOM2=c\n[q]\nx=1\n") << "P" << true
        << QStringList{"COM2", "com1", "COM2"};
    QTest::newRow("section given twice")
        << QByteArray("[p]\na=1\n[q]\n[P]\nb=2\n") << "p" << true << QStringList{"a", "b"};
    QTest::newRow("section without keys")
        << QByteArray("[p]\n; none\n") << "p" << true << QStringList{};
    QTest::newRow("missing section")
        << QByteArray("[p]\na=1\n") << "ports" << false << QStringList{};
    QTest::newRow("header without its bracket is none")
        << QByteArray("[p\na=1\n") << "p" << false << QStringList{};
}

void TestConfigFile::iniKeys()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, section);
    QFETCH(bool, present);
    QFETCH(QStringList, keys);
    const IniFile ini = IniFile::parse(text);
    QCOMPARE(ini.hasSection(section), present);
    QCOMPARE(ini.keys(section), keys);
}

// ------------------------------------------------------ load and save

void TestConfigFile::firstRun()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("_config.ini"));

    QCOMPARE(describeDiff(newConfigText(AppConfig::defaults()), kNewFile), QString());
    const ConfigLoad load = loadConfig(path);
    QVERIFY2(load.result.ok(), qPrintable(load.result.detail));
    QVERIFY(!load.existed);
    QCOMPARE(describeDiff(readFile(path), kNewFile), QString());
    QCOMPARE(listing(dir.path()), QStringList{"_config.ini"});

    // The new file reads back as what it was made from...
    const ConfigLoad again = loadConfig(path);
    QVERIFY(again.existed);
    QCOMPARE(newConfigText(again.config), kNewFile);
    QCOMPARE(again.config.appNames[5], QStringLiteral(" "));
    QCOMPARE(again.config.bands, AppConfig::defaultBands());
    // ...and a run that changes nothing leaves it as it was.
    QVERIFY(saveConfig(path, again.config).ok());
    QCOMPARE(describeDiff(readFile(path), kNewFile), QString());
}

void TestConfigFile::handEditedSurvivesSave_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("expected");
    const QByteArray edited(configdata::kHandEdited);
    const QByteArray saved(configdata::kHandEditedSaved);
    QTest::newRow("hand-edited LF file") << edited << saved;
    QTest::newRow("hand-edited CRLF file") << crlf(edited) << crlf(saved);
    QTest::newRow("BOM and no final newline kept")
        << kBom + edited.chopped(1) << kBom + saved.chopped(1);
    QTest::newRow("missing keys and sections added in order")
        << QByteArray(configdata::kSparse) << QByteArray(configdata::kSparseSaved);
}

void TestConfigFile::handEditedSurvivesSave()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, expected);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("_config.ini"));
    QVERIFY(writeFile(path, text));

    const ConfigLoad load = loadConfig(path);
    QVERIFY(load.existed);
    QCOMPARE(readFile(path), text); // reading writes nothing
    const FileResult r = saveConfig(path, configdata::afterSession(load.config));
    QVERIFY2(r.ok(), qPrintable(r.detail));
    QCOMPARE(describeDiff(readFile(path), expected), QString());
    QCOMPARE(listing(dir.path()), QStringList{"_config.ini"});
}

// The file is read again at the end: what the user changed by hand while the
// window was open is not overwritten with what was read at the start.
void TestConfigFile::editsDuringRunSurvive()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("_config.ini"));
    const ConfigLoad load = loadConfig(path);
    QVERIFY(load.result.ok());

    QByteArray edited = kNewFile;
    edited.replace("band-1 min=136000000\n", "; changed by hand\nband-1 min=144000000\n");
    edited.replace("Port=1\n", "Port=4\nColour=blue\n");
    QVERIFY(writeFile(path, edited));
    QVERIFY(saveConfig(path, configdata::afterSession(load.config)).ok());

    const QByteArray saved = readFile(path);
    QVERIFY(saved.contains("\n; changed by hand\nband-1 min=144000000\n"));
    QVERIFY(saved.contains("\nPort=5\nColour=blue\n"));
    const ConfigLoad after = loadConfig(path);
    QCOMPARE(after.config.bands[0], (BandLimits{144000000, 174000000}));
    QCOMPARE(after.config.port, 5);
}

void TestConfigFile::saveAfterDeletion_data()
{
    QTest::addColumn<int>("port");
    QTest::addColumn<int>("language");
    QTest::addColumn<bool>("autoSearch");
    QTest::addColumn<int>("band");
    QTest::addColumn<QByteArray>("configSection");
    QTest::addColumn<QByteArray>("bandLine");

    QTest::newRow("port 3, English, no search, last band")
        << 3 << 0 << false << 5 << QByteArray("[config]\nPort=3\nLanguage=0\nAutoSeachPort=0\n")
        << QByteArray("band Selete=5\n");
    QTest::newRow("unknown language and band written as given")
        << 9 << 7 << true << -1 << QByteArray("[config]\nPort=9\nLanguage=7\nAutoSeachPort=1\n")
        << QByteArray("band Selete=-1\n");
    QTest::newRow("the first run's values") << 1 << 1 << true << 1
                                            << QByteArray("[config]\nPort=1\nLanguage=1\n"
                                                          "AutoSeachPort=1\n")
                                            << QByteArray("band Selete=1\n");
}

void TestConfigFile::saveAfterDeletion()
{
    QFETCH(int, port);
    QFETCH(int, language);
    QFETCH(bool, autoSearch);
    QFETCH(int, band);
    QFETCH(QByteArray, configSection);
    QFETCH(QByteArray, bandLine);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("_config.ini"));
    QVERIFY(writeFile(path, configdata::kHandEdited));
    AppConfig c = configdata::afterSession(loadConfig(path).config);
    c.port = port;
    c.language = language;
    c.autoSearchPort = autoSearch;
    c.selectedBand = band;
    QVERIFY(QFile::remove(path));

    QVERIFY(saveConfig(path, c).ok());
    // The grid sizes, limits and names of the run are not carried over.
    QByteArray expected = kNewFile;
    expected.replace("[config]\nPort=1\nLanguage=1\nAutoSeachPort=1\n", configSection);
    expected.replace("band Selete=1\n", bandLine);
    QCOMPARE(describeDiff(readFile(path), expected), QString());
}

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

QTEST_GUILESS_MAIN(TestConfigFile)
#include "tst_configfile.moc"
