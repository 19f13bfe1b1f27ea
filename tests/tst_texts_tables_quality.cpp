// The text tables suite: agreement with the UTF-8 source and the rules a
// translation must meet (no English left, no simplified characters in the
// Traditional table, accelerators and numbers carried over, distinct items).
#include "tst_texts_tables.h"

#include <iconv.h>

using namespace t880::text;
using namespace texttablestest;

namespace {

// Latin letters that may stay in a Chinese text: the product and maker name,
// the version number, units, the DTMF signalling name that the radio's own
// keypad and menus show, band labels A and B, and the "(&X)" accelerators.
const QRegularExpression kAllowedLatin(QStringLiteral(
    R"(Talvern|T-880|V\d+(\.\d+)*|MHz|Hz|DTMF|\b[AB](?=段)|\(&[A-Z]\)|)"
    // Signal names the calibration sheet keeps in English.
    R"(RSSI|CTCSS|DCS|)"
    // What the channel grid and the radio show in every language: tone codes,
    // the tone cell's "Off", the DTMF keys A-D, the identity code ANI; kHz.
    R"(D\d{3}[NI]|Off|A-D|ANI|kHz|)"
    // Programs, services and the bus the connection doctor names.
    R"(ModemManager|brltty|udev|USB ID|USB|)"
    // A command to type and a file filter are the same in every language.
    R"(sudo usermod -aG dialout \$USER|dialout|Kovra File\(\*\.(Kzx|kzxa)\)|\(\*\.t880bak\)|PDF|\(\*\.pdf\)|CSV|\(\*\.csv\)|)"
    // A trace file's filter and a device path as an example; the
    // configuration file, its section and key as they are typed into it.
    R"(\(\*\.txt\)|/dev/ttyUSB0|_config\.ini|\[Band\]|band Selete|)"
    // The codeplug's text form: its filter and the key that names the format.
    R"(\(\*\.yaml \*\.yml\)|YAML|format: t880-codeplug)"));

// Whether iconv can write all of \a text in \a charset.
bool encodesIn(const QString &text, const char *charset)
{
    iconv_t cd = iconv_open(charset, "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    QByteArray in = text.toUtf8();
    QByteArray out(in.size() * 2 + 4, '\0');
    char *inPtr = in.data();
    char *outPtr = out.data();
    size_t inLeft = size_t(in.size());
    size_t outLeft = size_t(out.size());
    const bool ok = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != size_t(-1) && inLeft == 0;
    iconv_close(cd);
    return ok;
}

} // namespace

void TestTextTables::matchesSource()
{
    QFETCH(TextTable, table);
    const QVector<SourceEntry> source = readSourceTable(table);
    QCOMPARE(source.size(), tableSize(table));
    for (const SourceEntry &entry : source) {
        for (int language = 0; language < 3; ++language) {
            const QByteArray stored = storedText(table, tableLanguage(language), entry.number);
            QCOMPARE(decodeGbk(stored), entry.text[language]);
        }
    }
}

void TestTextTables::traditionalRoundTrip()
{
    QFETCH(TextTable, table);
    TAppLang lang(0x0409);
    lang.fSetLangType(Language::Traditional);
    for (const SourceEntry &entry : readSourceTable(table)) {
        const QByteArray gbk = storedText(table, TableLanguage::Traditional, entry.number);
        const QByteArray big5 = lang.textBytes(table, entry.number);
        QCOMPARE(big5.size(), gbk.size());
        QCOMPARE(decodeBig5(big5), entry.text[2]);
        // iconv's own Big5 encoding of the source text is a second route to
        // the same bytes.
        const std::optional<QByteArray> viaIconv = encodeBig5(entry.text[2]);
        QVERIFY2(viaIconv, qPrintable(entry.text[2]));
        QCOMPARE(big5, *viaIconv);
    }
}

void TestTextTables::simplifiedFetch()
{
    QFETCH(TextTable, table);
    TAppLang lang(0x0409);
    lang.fSetLangType(Language::Simplified);
    for (const SourceEntry &entry : readSourceTable(table)) {
        const std::optional<QByteArray> gbk = encodeGbk(entry.text[1]);
        QVERIFY(gbk);
        QCOMPARE(lang.textBytes(table, entry.number), *gbk);
        // GB2312 holds simplified characters only: a traditional one slipped
        // into the Simplified table fails here.
        QVERIFY2(encodesIn(entry.text[1], "GB2312"), qPrintable(entry.text[1]));
    }
}

void TestTextTables::noEnglishInChinese()
{
    QFETCH(TextTable, table);
    static const QRegularExpression latin(QStringLiteral("[A-Za-z]"));
    for (const SourceEntry &entry : readSourceTable(table)) {
        for (int language = 1; language <= 2; ++language) {
            QString text = entry.text[language];
            text.remove(kAllowedLatin);
            QVERIFY2(!text.contains(latin),
                     qPrintable(QStringLiteral("%1 %2 %3: %4")
                                    .arg(tableName(table))
                                    .arg(entry.number)
                                    .arg(languageName(language), entry.text[language])));
        }
    }
}

void TestTextTables::noSimplifiedInTraditional()
{
    QFETCH(TextTable, table);
    // Big5 lacks nearly every simplified form; these few it does hold, as old
    // characters of their own, but Taiwan writes the traditional form
    // (後, 裡, 於, 餘, 範) in the senses this program needs.
    static const QString kSimplifiedInBig5 = QString::fromUtf8("后里于余范");
    for (const SourceEntry &entry : readSourceTable(table)) {
        const QString &text = entry.text[2];
        QVERIFY2(encodeBig5(text), qPrintable(text));
        for (QChar c : kSimplifiedInBig5)
            QVERIFY2(!text.contains(c), qPrintable(text));
    }
}

void TestTextTables::englishIsAscii()
{
    QFETCH(TextTable, table);
    for (int n = 0; n < tableSize(table); ++n) {
        const QByteArray text = storedText(table, TableLanguage::English, n);
        // The one exception: a message whose English always carried a
        // full-width comma (GBK A3 AC).
        if (table == TextTable::Program && n == 5) {
            QVERIFY(text.contains("\xA3\xAC"));
            continue;
        }
        for (char c : text)
            QVERIFY2(quint8(c) >= 0x20 && quint8(c) < 0x7F, text.constData());
    }
}

void TestTextTables::accelerators()
{
    // A menu item keeps its keyboard accelerator in every language, on the
    // same letter, written the Chinese way: "文件(&F)".
    static const QRegularExpression english(QStringLiteral("&([A-Za-z])"));
    for (const SourceEntry &entry : readSourceTable(TextTable::Main)) {
        const QRegularExpressionMatch m = english.match(entry.text[0]);
        for (int language = 1; language <= 2; ++language) {
            const QString &text = entry.text[language];
            if (!m.hasMatch()) {
                QVERIFY2(!text.contains(u'&'), qPrintable(text));
                continue;
            }
            const QString expected = QStringLiteral("(&%1)").arg(m.captured(1).toUpper());
            QVERIFY2(text.contains(expected), qPrintable(entry.text[0] + u' ' + text));
        }
    }
}

void TestTextTables::menuCaptions_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("caption");
    QTest::newRow("letter inside a word, dots") << "Save &As..."
                                                << "Save As";
    QTest::newRow("Chinese accelerator, dots") << "另存为(&A)..."
                                               << "另存为";
    QTest::newRow("a bracketed word is no accelerator") << "Chinese(&Simplified)"
                                                        << "Chinese(Simplified)";
    QTest::newRow("the ellipsis character; points inside stay") << "Ver. 2.0…"
                                                                << "Ver. 2.0";
}

void TestTextTables::menuCaptions()
{
    QFETCH(QString, item);
    QTEST(menuCaption(item), "caption");
}

void TestTextTables::numbersCarriedOver()
{
    // Durations, angles, scrambler numbers, the version: a translation that
    // drops or changes a number is wrong whatever its words.
    QFETCH(TextTable, table);
    static const QRegularExpression number(QStringLiteral("\\d+(\\.\\d+)*"));
    auto numbers = [](const QString &text) {
        QStringList list;
        for (auto it = number.globalMatch(text); it.hasNext();)
            list << it.next().captured();
        return list;
    };
    for (const SourceEntry &entry : readSourceTable(table)) {
        const QStringList expected = numbers(entry.text[0]);
        QCOMPARE(numbers(entry.text[1]), expected);
        QCOMPARE(numbers(entry.text[2]), expected);
    }
}

void TestTextTables::listItemsDistinct_data()
{
    QTest::addColumn<QList<int>>("numbers");
    // The key assignment stores the code of the entry whose text is selected,
    // so the texts of one list must differ in every language; the same holds
    // for the two items of each channel picker.
    QTest::newRow("key functions") << QList<int>{182, 254, 178, 179, 249, 185};
    QTest::newRow("power") << QList<int>{27, 26};
    QTest::newRow("bandwidth") << QList<int>{29, 28};
    QTest::newRow("scan") << QList<int>{31, 30};
    QTest::newRow("busy lock") << QList<int>{32, 33};
    QTest::newRow("remote state") << QList<int>{158, 156, 157};
    QTest::newRow("voice") << QList<int>{75, 214, 215};
    QTest::newRow("close prompt") << QList<int>{198, 199, 154};
}

void TestTextTables::listItemsDistinct()
{
    QFETCH(QList<int>, numbers);
    for (int language = 0; language < 3; ++language) {
        QStringList texts;
        for (int n : numbers) {
            const QString text = decodeGbk(storedText(TextTable::Main, tableLanguage(language), n));
            QVERIFY2(!texts.contains(text), qPrintable(text));
            texts << text;
        }
    }
}

void TestTextTables::remoteCodeLabels_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("character");
    // The Chinese texts of 156 and 157 name stun (晕) and kill (毙) in the
    // opposite order to the English ones, as the radio's dealers know them.
    QTest::newRow("156 chs stun") << 156 << 1 << QString::fromUtf8("晕");
    QTest::newRow("157 chs kill") << 157 << 1 << QString::fromUtf8("毙");
    QTest::newRow("156 cht stun") << 156 << 2 << QString::fromUtf8("暈");
    QTest::newRow("157 cht kill") << 157 << 2 << QString::fromUtf8("斃");
}

void TestTextTables::remoteCodeLabels()
{
    QFETCH(int, number);
    QFETCH(int, language);
    QFETCH(QString, character);
    QVERIFY(decodeGbk(storedText(TextTable::Main, tableLanguage(language), number))
                .contains(character));
}
