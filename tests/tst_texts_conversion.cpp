// The language state and the GBK-to-Big5 conversion: how the language is
// chosen, the byte rules of the conversion, and the conversion table checked
// code by code against glibc's iconv.
#include "text/applang.h"
#include "text/codepage.h"
#include "text/gbkbig5.h"
#include "text/systemlanguage.h"

#include <QTest>

using namespace t880::text;

namespace {

// Language values as the data columns hold them.
constexpr int kEnglish = int(Language::English);
constexpr int kSimplified = int(Language::Simplified);
constexpr int kTraditional = int(Language::Traditional);

QByteArray gbk(const char *utf8)
{
    return encodeGbk(QString::fromUtf8(utf8)).value_or(QByteArray("<no GBK>"));
}

QByteArray big5(const char *utf8)
{
    return encodeBig5(QString::fromUtf8(utf8)).value_or(QByteArray("<no Big5>"));
}

TAppLang traditional()
{
    TAppLang lang(0x0409);
    lang.fSetLangType(Language::Traditional);
    return lang;
}

} // namespace

class TestTextConversion : public QObject
{
    Q_OBJECT

private slots:
    void localeIds_data();
    void localeIds();
    void derivation_data();
    void derivation();
    void languageSetting_data();
    void languageSetting();
    void explicitThenDetect();
    void fetchFollowsLanguage_data();
    void fetchFollowsLanguage();
    void byteRules_data();
    void byteRules();
    void passThrough_data();
    void passThrough();
    void switchOff();
    void tableAgainstIconv_data();
    void tableAgainstIconv();
    void simplifiedBecomesTraditional_data();
    void simplifiedBecomesTraditional();
};

void TestTextConversion::localeIds_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("langType");
    // Ids as Windows assigns them (MAKELANGID(primary, sublanguage)).
    QTest::newRow("zh_CN") << "zh_CN" << 0x0804 << kSimplified;
    QTest::newRow("zh_SG") << "zh_SG" << 0x1004 << kSimplified;
    QTest::newRow("zh_TW") << "zh_TW" << 0x0404 << kTraditional;
    QTest::newRow("zh_HK") << "zh_HK" << 0x0C04 << kTraditional;
    QTest::newRow("zh_MO") << "zh_MO" << 0x1404 << kTraditional;
    QTest::newRow("zh alone means PRC") << "zh" << 0x0804 << kSimplified;
    QTest::newRow("zh_Hant") << "zh_Hant" << 0x0404 << kTraditional;
    QTest::newRow("en_US") << "en_US" << 0x0409 << kEnglish;
    QTest::newRow("en_GB") << "en_GB" << 0x0409 << kEnglish;
    QTest::newRow("de_DE") << "de_DE" << 0x0407 << kEnglish;
    QTest::newRow("fr_FR") << "fr_FR" << 0x040C << kEnglish;
    QTest::newRow("ja_JP") << "ja_JP" << 0x0411 << kEnglish;
    QTest::newRow("ko_KR") << "ko_KR" << 0x0412 << kEnglish;
    QTest::newRow("ru_RU") << "ru_RU" << 0x0419 << kEnglish;
    QTest::newRow("C") << "C" << 0x0409 << kEnglish;
}

void TestTextConversion::localeIds()
{
    QFETCH(QString, locale);
    QFETCH(int, id);
    QFETCH(int, langType);
    const quint16 mapped = languageIdForLocale(QLocale(locale));
    QCOMPARE(int(mapped), id);
    const TAppLang lang(mapped);
    QCOMPARE(int(lang.language()), langType);
    QCOMPARE(int(lang.detectType()), 0);
}

void TestTextConversion::derivation_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("langType");
    QTest::addColumn<int>("charset");
    QTest::newRow("Chinese PRC") << 0x0804 << kSimplified << 134;
    QTest::newRow("Chinese Singapore") << 0x1004 << kSimplified << 134;
    QTest::newRow("Chinese Taiwan") << 0x0404 << kTraditional << 136;
    QTest::newRow("Chinese Hong Kong") << 0x0C04 << kTraditional << 136;
    QTest::newRow("Chinese Macao") << 0x1404 << kTraditional << 136;
    QTest::newRow("Chinese neutral") << 0x0004 << kTraditional << 136;
    QTest::newRow("Chinese Traditional neutral") << 0x7C04 << kTraditional << 136;
    QTest::newRow("English US") << 0x0409 << kEnglish << 0;
    QTest::newRow("English UK") << 0x0809 << kEnglish << 0;
    QTest::newRow("Japanese") << 0x0411 << kEnglish << 0;
    QTest::newRow("neutral") << 0x0000 << kEnglish << 0;
    // The primary language is ten bits wide: 0x104 is not Chinese although
    // its low byte is 4.
    QTest::newRow("primary 0x104, sub 2") << 0x0904 << kEnglish << 0;
    // Sublanguage 2 means PRC only for Chinese.
    QTest::newRow("Tatar-like sub 2") << 0x0844 << kEnglish << 0;
}

void TestTextConversion::derivation()
{
    QFETCH(int, id);
    QFETCH(int, langType);
    QFETCH(int, charset);
    const TAppLang lang{quint16(id)};
    QCOMPARE(int(lang.systemLanguageId()), id);
    QCOMPARE(int(lang.language()), langType);
    QCOMPARE(int(lang.charset()), charset);
    QCOMPARE(int(lang.detectType()), 0);
    QVERIFY(lang.big5Conversion());
}

void TestTextConversion::languageSetting_data()
{
    QTest::addColumn<int>("systemId");
    QTest::addColumn<int>("setting");
    QTest::addColumn<int>("langType");
    QTest::addColumn<int>("detectType");
    QTest::addColumn<int>("charset");
    // The stored choice 0/1/2 wins over any system language; every other
    // value (a hand-edited configuration) falls back to the system's.
    QTest::newRow("0 on Taiwan system") << 0x0404 << 0 << kEnglish << 1 << 0;
    QTest::newRow("1 on English system") << 0x0409 << 1 << kSimplified << 1 << 134;
    QTest::newRow("2 on PRC system") << 0x0804 << 2 << kTraditional << 1 << 136;
    QTest::newRow("3 on Taiwan system") << 0x0404 << 3 << kTraditional << 0 << 136;
    QTest::newRow("3 on Singapore system") << 0x1004 << 3 << kSimplified << 0 << 134;
    QTest::newRow("3 on English system") << 0x0409 << 3 << kEnglish << 0 << 0;
    QTest::newRow("-1 on Hong Kong system") << 0x0C04 << -1 << kTraditional << 0 << 136;
    QTest::newRow("99 on German system") << 0x0407 << 99 << kEnglish << 0 << 0;
}

void TestTextConversion::languageSetting()
{
    QFETCH(int, systemId);
    QFETCH(int, setting);
    QFETCH(int, langType);
    QFETCH(int, detectType);
    QFETCH(int, charset);
    TAppLang lang{quint16(systemId)};
    // Start from a different explicit choice so that nothing passes by
    // accident of the initial state.
    lang.fSetLangType(langType == kEnglish ? Language::Simplified : Language::English);
    lang.applyLanguageSetting(setting);
    QCOMPARE(int(lang.language()), langType);
    QCOMPARE(int(lang.detectType()), detectType);
    QCOMPARE(int(lang.charset()), charset);
}

void TestTextConversion::explicitThenDetect()
{
    TAppLang lang(0x0804);
    lang.fSetLangType(Language::Traditional);
    QCOMPARE(int(lang.detectType()), 1);
    // Setting DetectType to 1 keeps the explicit language ...
    lang.fSetDetectType(1);
    QCOMPARE(lang.language(), Language::Traditional);
    QCOMPARE(int(lang.charset()), 136);
    // ... any other value derives it again, 0 or not.
    lang.fSetDetectType(7);
    QCOMPARE(int(lang.detectType()), 7);
    QCOMPARE(lang.language(), Language::Simplified);
    QCOMPARE(int(lang.charset()), 134);
    // An unknown language type fetches English and has no charset of its own.
    lang.fSetLangType(Language(9));
    QCOMPARE(int(lang.charset()), 0);
    QCOMPARE(lang.textBytes(TextTable::Main, 247), QByteArray("Read from radio"));
}

void TestTextConversion::fetchFollowsLanguage_data()
{
    QTest::addColumn<int>("langType");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("English") << kEnglish << QByteArray("Cancel") << QStringLiteral("Cancel");
    QTest::newRow("Simplified") << kSimplified << gbk("取消") << QString::fromUtf8("取消");
    QTest::newRow("Traditional") << kTraditional << big5("取消") << QString::fromUtf8("取消");
    QTest::newRow("other") << 3 << QByteArray("Cancel") << QStringLiteral("Cancel");
}

void TestTextConversion::fetchFollowsLanguage()
{
    QFETCH(int, langType);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    TAppLang lang(0x0409);
    lang.fSetLangType(Language(langType));
    QCOMPARE(lang.textBytes(TextTable::Program, 1), bytes);
    QCOMPARE(lang.text(TextTable::Program, 1), text);
}

void TestTextConversion::byteRules_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("expected");
    const QByteArray kaiShiGbk = gbk("開始");
    const QByteArray kaiShiBig5 = big5("開始");
    QTest::newRow("empty") << QByteArray() << QByteArray();
    QTest::newRow("ASCII only") << QByteArray("Ok 123 ?&") << QByteArray("Ok 123 ?&");
    QTest::newRow("pairs") << kaiShiGbk << kaiShiBig5;
    QTest::newRow("ASCII around pairs")
        << QByteArray("V1 ") + kaiShiGbk + "(&S)" << QByteArray("V1 ") + kaiShiBig5 + "(&S)";
    QTest::newRow("full-width punctuation") << gbk("版本：？，") << big5("版本：？，");
    QTest::newRow("0x80 is no lead byte")
        << QByteArray("\x80") + kaiShiGbk << QByteArray("\x80") + kaiShiBig5;
    QTest::newRow("0xFF is no lead byte")
        << QByteArray("\xFF\x41\xFF") << QByteArray("\xFF\x41\xFF");
    QTest::newRow("lead before a byte below 0x40")
        << QByteArray("\xB6\x3F") + kaiShiGbk << QByteArray("\xB6\x3F") + kaiShiBig5;
    QTest::newRow("lead before 0xFF") << QByteArray("\xB6\xFF") << QByteArray("\xB6\xFF");
    QTest::newRow("lead before NUL") << QByteArray("\xB6\0A", 3) << QByteArray("\xB6\0A", 3);
    QTest::newRow("lead in the last position") << kaiShiGbk + "\xB6" << kaiShiBig5 + "\xB6";
    QTest::newRow("lone lead") << QByteArray("\xC1") << QByteArray("\xC1");
    // A stray lead byte pairs with whatever follows in range: here 0xB2 and
    // the lead of 開 form the GBK code B2 E9 (查; 開 itself is E9 5F), and
    // the trail 5F is then plain ASCII.
    QTest::newRow("stray lead shifts the pairing")
        << QByteArray("\xB2") + kaiShiGbk.left(2) << big5("查") + "_";
    // 0x7F lies in the trail range, so the pair is converted although GBK has
    // no character there: the full-width question mark stands in.
    QTest::newRow("pair that is no GBK character")
        << QByteArray("\x81\x7F") << QByteArray("\xA1\x48");
}

void TestTextConversion::byteRules()
{
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, expected);
    const QByteArray output = traditional().FromGBK(input);
    QCOMPARE(output.size(), input.size());
    QCOMPARE(output.toHex(' '), expected.toHex(' '));
}

void TestTextConversion::passThrough_data()
{
    QTest::addColumn<int>("langType");
    QTest::newRow("English") << kEnglish;
    QTest::newRow("Simplified") << kSimplified;
    QTest::newRow("unknown type") << 7;
}

void TestTextConversion::passThrough()
{
    QFETCH(int, langType);
    TAppLang lang(0x0404);
    lang.fSetLangType(Language(langType));
    const QByteArray input = gbk("读频 Read 確認") + "\x80\xFF\xB6";
    QCOMPARE(lang.FromGBK(input), input);
}

void TestTextConversion::switchOff()
{
    TAppLang lang = traditional();
    lang.setBig5Conversion(false);
    const QByteArray stored = storedText(TextTable::Port, TableLanguage::Traditional, 2);
    QCOMPARE(lang.FromGBK(stored), stored);
    QCOMPARE(lang.textBytes(TextTable::Port, 2), stored);
    // The text stays readable: without the conversion the bytes are GBK and
    // are decoded as such.
    QCOMPARE(lang.text(TextTable::Port, 2), QString::fromUtf8("自動查找通訊口"));
    lang.setBig5Conversion(true);
    QCOMPARE(lang.textBytes(TextTable::Port, 2), big5("自動查找通訊口"));
}

void TestTextConversion::tableAgainstIconv_data()
{
    QTest::addColumn<int>("lead");
    for (int lead = 0x81; lead <= 0xFE; ++lead)
        QTest::addRow("lead %02X", lead) << lead;
}

void TestTextConversion::tableAgainstIconv()
{
    QFETCH(int, lead);
    const TAppLang lang = traditional();
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
        QByteArray pair;
        pair.append(char(lead)).append(char(trail));
        const QByteArray out = lang.FromGBK(pair);
        QCOMPARE(out.size(), 2);
        QCOMPARE(quint16((quint8(out[0]) << 8) | quint8(out[1])),
                 big5ForGbk(quint8(lead), quint8(trail)));
        const QString decoded = decodeGbk(pair);
        const bool isCharacter = decoded.size() == 1 && decoded != QChar::ReplacementCharacter;
        const std::optional<QByteArray> direct =
            isCharacter ? encodeBig5(decoded) : std::optional<QByteArray>();
        const QString context =
            QStringLiteral("GBK %1 (%2) gave Big5 %3")
                .arg(QString::fromLatin1(pair.toHex()), decoded, QString::fromLatin1(out.toHex()));
        if (direct) {
            // A character that Big5 holds keeps its identity.
            QVERIFY2(out == *direct, qPrintable(context));
        } else {
            // Anything else becomes a Big5 character: a traditional form of
            // a GBK character, else the full-width question mark.
            const QString shown = decodeBig5(out);
            QVERIFY2(shown.size() == 1 && shown != QChar::ReplacementCharacter,
                     qPrintable(context));
            if (!isCharacter)
                QVERIFY2(out == QByteArray("\xA1\x48"), qPrintable(context));
        }
    }
}

void TestTextConversion::simplifiedBecomesTraditional_data()
{
    QTest::addColumn<QString>("simplified");
    QTest::addColumn<QString>("traditional");
    const char *const pairs[][2] = {
        {"读", "讀"}, {"写", "寫"}, {"频", "頻"}, {"发", "發"}, {"简", "簡"},
        {"码", "碼"}, {"这", "這"}, {"说", "說"}, {"对", "對"}, {"讲", "講"},
        {"认", "認"}, {"车", "車"}, {"门", "門"},
    };
    for (const auto &p : pairs)
        QTest::newRow(p[0]) << QString::fromUtf8(p[0]) << QString::fromUtf8(p[1]);
}

void TestTextConversion::simplifiedBecomesTraditional()
{
    QFETCH(QString, simplified);
    QFETCH(QString, traditional);
    QVERIFY(!encodeBig5(simplified)); // otherwise it would keep its identity
    const QByteArray out = ::traditional().FromGBK(*encodeGbk(simplified));
    QCOMPARE(decodeBig5(out), traditional);
}

QTEST_GUILESS_MAIN(TestTextConversion)
#include "tst_texts_conversion.moc"
