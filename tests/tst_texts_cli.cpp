// t880 texts: every table in every language printed as the translators wrote
// it, the raw bytes decoding to the same texts, the default language taken
// from the system locale, and bad options refused.
#include "testsupport.h"
#include "tst_texts_source.h"

#include "text/codepage.h"

#include <QProcessEnvironment>
#include <QTest>

using namespace t880::text;
using namespace t880::testing;

Q_DECLARE_METATYPE(t880::text::TextTable)

namespace {

/// `t880 texts OPTIONS` with the locale set to \a locale.
CliResult runTexts(const QStringList &options, const QString &locale = QStringLiteral("C.UTF-8"))
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), locale);
    env.remove(QStringLiteral("LANGUAGE"));
    return runCli(QStringList{QStringLiteral("texts")} + options, QString(), 60000, env);
}

// The lines of the output without the final newline's empty piece.
QList<QByteArray> lines(const QByteArray &out)
{
    QList<QByteArray> list = out.split('\n');
    if (!list.isEmpty() && list.last().isEmpty())
        list.removeLast();
    return list;
}

} // namespace

class TestTextsCli : public QObject
{
    Q_OBJECT

private slots:
    void printsTable_data();
    void printsTable();
    void defaultLanguage_data();
    void defaultLanguage();
    void defaultTableIsMain();
    void refused_data();
    void refused();
};

void TestTextsCli::printsTable_data()
{
    QTest::addColumn<TextTable>("table");
    QTest::addColumn<int>("language");
    for (TextTable table : kAllTextTables) {
        for (int language = 0; language < 3; ++language) {
            QTest::addRow("%s %s", qPrintable(tableName(table)), languageName(language))
                << table << language;
        }
    }
}

void TestTextsCli::printsTable()
{
    QFETCH(TextTable, table);
    QFETCH(int, language);
    const QStringList options{QStringLiteral("--lang"), QString::fromLatin1(languageName(language)),
                              QStringLiteral("--table"), tableName(table)};
    const CliResult text = runTexts(options);
    const CliResult raw = runTexts(options + QStringList{QStringLiteral("--raw")});
    QCOMPARE(text.exitCode, 0);
    QCOMPARE(raw.exitCode, 0);
    const QList<QByteArray> textLines = lines(text.out);
    const QList<QByteArray> rawLines = lines(raw.out);
    const QVector<SourceEntry> source = readSourceTable(table);
    QCOMPARE(textLines.size(), source.size());
    QCOMPARE(rawLines.size(), source.size());
    for (int n = 0; n < source.size(); ++n) {
        const QString expected = source[n].text[language];
        const QByteArray prefix = QByteArray::number(n) + '\t';
        QVERIFY(textLines[n].startsWith(prefix));
        QVERIFY(rawLines[n].startsWith(prefix));
        QCOMPARE(QString::fromUtf8(textLines[n].mid(prefix.size())), expected);
        // The raw bytes are the encoding a control of that language reads.
        const QByteArray bytes = QByteArray::fromHex(rawLines[n].mid(prefix.size()));
        const QString decoded = language == 2 ? decodeBig5(bytes) : decodeGbk(bytes);
        QCOMPARE(decoded, expected);
        if (language == 0 && !(table == TextTable::Program && n == 5))
            QCOMPARE(bytes, expected.toLatin1());
    }
}

void TestTextsCli::defaultLanguage_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    QTest::newRow("zh_CN") << "zh_CN.UTF-8" << QString::fromUtf8("确认");
    QTest::newRow("zh_SG") << "zh_SG.UTF-8" << QString::fromUtf8("确认");
    QTest::newRow("zh_TW") << "zh_TW.UTF-8" << QString::fromUtf8("確認");
    QTest::newRow("zh_HK") << "zh_HK.UTF-8" << QString::fromUtf8("確認");
    QTest::newRow("zh_MO") << "zh_MO.UTF-8" << QString::fromUtf8("確認");
    QTest::newRow("de_DE") << "de_DE.UTF-8" << QStringLiteral("OK");
    QTest::newRow("C") << "C" << QStringLiteral("OK");
}

void TestTextsCli::defaultLanguage()
{
    QFETCH(QString, locale);
    QFETCH(QString, text);
    const CliResult run = runTexts({QStringLiteral("--table"), QStringLiteral("warn")}, locale);
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(QString::fromUtf8(run.out), QStringLiteral("0\t") + text + u'\n');
}

void TestTextsCli::defaultTableIsMain()
{
    const CliResult run = runTexts({QStringLiteral("--lang"), QStringLiteral("chs")});
    QCOMPARE(run.exitCode, 0);
    const QList<QByteArray> out = lines(run.out);
    QCOMPARE(out.size(), 650);
    QCOMPARE(QString::fromUtf8(out[248]), QString::fromUtf8("248\t写频"));
    QCOMPARE(out[255], QByteArray("255\t"));
}

void TestTextsCli::refused_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown language") << QStringList{"--lang", "de"} << "unknown language 'de'";
    QTest::newRow("unknown table") << QStringList{"--table", "about"} << "unknown table 'about'";
    QTest::newRow("positional argument") << QStringList{"main"} << "unexpected argument 'main'";
    QTest::newRow("unknown option") << QStringList{"--hex"} << "hex";
}

void TestTextsCli::refused()
{
    QFETCH(QStringList, options);
    QFETCH(QString, message);
    const CliResult run = runTexts(options);
    QCOMPARE(run.exitCode, 2);
    QVERIFY(run.out.isEmpty());
    QVERIFY2(QString::fromUtf8(run.err).contains(message), run.err.constData());
}

QTEST_GUILESS_MAIN(TestTextsCli)
#include "tst_texts_cli.moc"
