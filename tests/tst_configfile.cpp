// The window's configuration file: an INI reader that gives back every byte
// it was given, a first run that writes the documented file, values a user
// may have damaged read as their defaults, saves that change only what the
// program owns, and paths that are no file left alone.
//
// This file: the INI reader, the first run and what a save keeps;
// tst_configfile_reading.cpp the values read, tst_configfile_paths.cpp the
// paths that are no file and where the file is.
#include "tst_configfile.h"

using namespace t880;
using namespace t880::testing;
using namespace configfiletest;

namespace {

QByteArray crlf(QByteArray text)
{
    return text.replace("\n", "\r\n");
}

} // namespace

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

QTEST_GUILESS_MAIN(TestConfigFile)
#include "moc_tst_configfile.cpp"
