// The rules behind the option and key pages, without widgets: which item
// shows a stored value, what an item stores (checked against the block's
// bytes at the offsets of the layout), the key-function walk, and the DTMF
// code editor's filter and conversions.
#include "codeplug/optionedit.h"

#include <QtTest>

using namespace t880;
using namespace t880::optionedit;

Q_DECLARE_METATYPE(t880::optionedit::OptionList)

namespace {

// English texts of the entries the lists use, as a second source beside the
// tables (the window tests use the tables themselves).
QString englishText(int n)
{
    switch (n) {
    case 75:
        return QStringLiteral("OFF");
    case 156:
        return QStringLiteral("Remote Kill");
    case 157:
        return QStringLiteral("Remote Stun");
    case 158:
        return QStringLiteral("Revive");
    case 178:
        return QStringLiteral("Monitor");
    case 179:
        return QStringLiteral("Monitor Momentary");
    case 182:
        return QStringLiteral("Unassigned");
    case 185:
        return QStringLiteral("Scan");
    case 214:
        return QStringLiteral("Chinese");
    case 215:
        return QStringLiteral("English");
    case 249:
        return QStringLiteral("Alarm");
    case 254:
        return QStringLiteral("Radio");
    default:
        return QStringLiteral("#%1").arg(n);
    }
}

// A DTMF code from eleven bytes: ten digit codes and the count.
DtmfCode codeOf(const QByteArray &eleven)
{
    DtmfCode code;
    for (int k = 0; k < DtmfCode::Size; ++k)
        code.raw[std::size_t(k)] = std::uint8_t(eleven.at(k));
    return code;
}

QByteArray rawOf(const DtmfCode &code)
{
    return QByteArray(reinterpret_cast<const char *>(code.raw.data()), DtmfCode::Size);
}

} // namespace

class TestOptionEdit : public QObject
{
    Q_OBJECT
private slots:
    void items_data();
    void items();
    void shown_data();
    void shown();
    void stored_data();
    void stored();
    void keyWalk_data();
    void keyWalk();
    void keyFilter_data();
    void keyFilter();
    void pastedText_data();
    void pastedText();
    void textToCode_data();
    void textToCode();
    void codeToText_data();
    void codeToText();
};

void TestOptionEdit::items_data()
{
    QTest::addColumn<OptionList>("list");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<QString>("last");
    QTest::newRow("squelch 0..9") << OptionList::Sql << 10 << "0"
                                  << "1"
                                  << "9";
    QTest::newRow("time-out off, 15..600") << OptionList::Tot << 41 << "OFF"
                                           << "15"
                                           << "600";
    QTest::newRow("alert off, 1..10") << OptionList::Toa << 11 << "OFF"
                                      << "1"
                                      << "10";
    QTest::newRow("voice") << OptionList::Voice << 3 << "OFF"
                           << "Chinese"
                           << "English";
    QTest::newRow("saving rate") << OptionList::SavingRate << 10 << "1:1"
                                 << "1:2"
                                 << "1:10";
    QTest::newRow("remote state") << OptionList::DizzyState << 3 << "Revive"
                                  << "Remote Kill"
                                  << "Remote Stun";
}

void TestOptionEdit::items()
{
    QFETCH(OptionList, list);
    QFETCH(int, count);
    const QStringList items = listItems(list, englishText);
    QCOMPARE(items.size(), count);
    QTEST(items.at(0), "first");
    QTEST(items.at(1), "second");
    QTEST(items.last(), "last");
}

void TestOptionEdit::shown_data()
{
    QTest::addColumn<OptionList>("list");
    QTest::addColumn<uint>("value");
    QTest::addColumn<int>("index");
    QTest::newRow("sql 0") << OptionList::Sql << 0u << 0;
    QTest::newRow("sql 5") << OptionList::Sql << 5u << 5;
    QTest::newRow("sql 9") << OptionList::Sql << 9u << 9;
    QTest::newRow("sql 10 has no item") << OptionList::Sql << 10u << -1;
    QTest::newRow("tot off") << OptionList::Tot << 0u << 0;
    QTest::newRow("tot 15") << OptionList::Tot << 15u << 1;
    QTest::newRow("tot 180") << OptionList::Tot << 180u << 12;
    QTest::newRow("tot 600") << OptionList::Tot << 600u << 40;
    QTest::newRow("tot 7 not a step") << OptionList::Tot << 7u << -1;
    QTest::newRow("tot 185 not a step") << OptionList::Tot << 185u << -1;
    QTest::newRow("tot 615 above") << OptionList::Tot << 615u << -1;
    QTest::newRow("tot 700 above") << OptionList::Tot << 700u << -1;
    QTest::newRow("tot 65535") << OptionList::Tot << 65535u << -1;
    QTest::newRow("toa 10") << OptionList::Toa << 10u << 10;
    QTest::newRow("toa 11") << OptionList::Toa << 11u << -1;
    QTest::newRow("voice English") << OptionList::Voice << 2u << 2;
    QTest::newRow("voice 3") << OptionList::Voice << 3u << -1;
    QTest::newRow("rate 1:1") << OptionList::SavingRate << 1u << 0;
    QTest::newRow("rate 1:3") << OptionList::SavingRate << 3u << 2;
    QTest::newRow("rate 1:10") << OptionList::SavingRate << 10u << 9;
    QTest::newRow("rate 0") << OptionList::SavingRate << 0u << -1;
    QTest::newRow("rate 11") << OptionList::SavingRate << 11u << -1;
    QTest::newRow("state stun") << OptionList::DizzyState << 2u << 2;
    QTest::newRow("state 3") << OptionList::DizzyState << 3u << -1;
    QTest::newRow("state 255") << OptionList::DizzyState << 255u << -1;
}

void TestOptionEdit::shown()
{
    QFETCH(OptionList, list);
    QFETCH(uint, value);
    QTEST(shownIndex(list, value), "index");
}

// An item written into a block whose every byte is 0xA5: exactly the field's
// bytes change, little-endian at the layout's offset.
void TestOptionEdit::stored_data()
{
    QTest::addColumn<OptionList>("list");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QByteArray>("bytes"); // empty: nothing may change
    QTest::newRow("sql 7") << OptionList::Sql << 7 << 0xABF << QByteArray("\x07", 1);
    QTest::newRow("tot off") << OptionList::Tot << 0 << 0xAD2 << QByteArray("\x00\x00", 2);
    QTest::newRow("tot 60") << OptionList::Tot << 4 << 0xAD2 << QByteArray("\x3C\x00", 2);
    QTest::newRow("tot 600") << OptionList::Tot << 40 << 0xAD2 << QByteArray("\x58\x02", 2);
    QTest::newRow("toa 10") << OptionList::Toa << 10 << 0xAD5 << QByteArray("\x0A", 1);
    QTest::newRow("voice off") << OptionList::Voice << 0 << 0xAB6 << QByteArray("\x00", 1);
    QTest::newRow("rate 1:1") << OptionList::SavingRate << 0 << 0xAE2 << QByteArray("\x01", 1);
    QTest::newRow("rate 1:10") << OptionList::SavingRate << 9 << 0xAE2 << QByteArray("\x0A", 1);
    QTest::newRow("state kill") << OptionList::DizzyState << 1 << 0xB24 << QByteArray("\x01", 1);
    QTest::newRow("no selection keeps") << OptionList::Tot << -1 << 0xAD2 << QByteArray();
    QTest::newRow("past the list keeps") << OptionList::Tot << 41 << 0xAD2 << QByteArray();
    QTest::newRow("rate past the list") << OptionList::SavingRate << 10 << 0xAE2 << QByteArray();
}

void TestOptionEdit::stored()
{
    QFETCH(OptionList, list);
    QFETCH(int, index);
    QFETCH(int, offset);
    QFETCH(QByteArray, bytes);
    CodeplugData codeplug;
    const QByteArray before(CodeplugData::Size, char(0xA5));
    codeplug.replaceLeading(before);
    QCOMPARE(commitItem(codeplug, list, index), !bytes.isEmpty());
    QByteArray expected = before;
    expected.replace(offset, bytes.size(), bytes);
    QCOMPARE(codeplug.toByteArray(), expected);
}

void TestOptionEdit::keyWalk_data()
{
    QTest::addColumn<bool>("sideKey");
    QTest::addColumn<uint>("code");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("text");
    QTest::newRow("side: radio") << true << 24u << 1 << "Radio";
    QTest::newRow("side: unassigned") << true << 0u << 0 << "Unassigned";
    QTest::newRow("side: scan") << true << 8u << 5 << "Scan";
    QTest::newRow("side: alarm") << true << 25u << 4 << "Alarm";
    QTest::newRow("side: unknown 7") << true << 7u << -1 << "";
    QTest::newRow("func: monitor momentary") << false << 3u << 2 << "Monitor Momentary";
    QTest::newRow("func: radio is not offered") << false << 24u << -1 << "";
    QTest::newRow("func: scan") << false << 8u << 4 << "Scan";
    QTest::newRow("func: unknown 200") << false << 200u << -1 << "";
}

// The shown entry is the first with the code; its text, looked up in list A,
// gives the same code back.
void TestOptionEdit::keyWalk()
{
    QFETCH(bool, sideKey);
    QFETCH(uint, code);
    QFETCH(int, index);
    QFETCH(QString, text);
    const std::vector<KeyFunction> &list = sideKey ? keyFunctionsA() : keyFunctionsB();
    QCOMPARE(keyIndex(list, code), index);
    if (index < 0)
        return;
    QCOMPARE(englishText(list[std::size_t(index)].textNumber), text);
    QCOMPARE(keyCodeForText(keyFunctionsA(), text, englishText), std::optional<int>(int(code)));
}

void TestOptionEdit::keyFilter_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("becomes"); // "-" for refused
    const char *kept = "0123456789*#ABCD";
    for (const char *p = kept; *p; ++p)
        QTest::newRow(qPrintable(QStringLiteral("kept %1").arg(*p)))
            << QString(QLatin1Char(*p)) << QString(QLatin1Char(*p));
    QTest::newRow("a") << "a"
                       << "A";
    QTest::newRow("d") << "d"
                       << "D";
    QTest::newRow("backspace") << "\b"
                               << "\b";
    QTest::newRow("delete") << QString(QChar(0x7F)) << QString(QChar(0x7F));
    for (const char *p :
         {"E", "Z", "e", "z", " ", "+", "-", ".", ",", "!", "/", "@", "~", "[", "}"})
        QTest::newRow(qPrintable(QStringLiteral("refused '%1'").arg(QLatin1String(p))))
            << QString(QLatin1String(p)) << "-";
    QTest::newRow("refused e acute") << QString(QChar(0xE9)) << "-";
    QTest::newRow("refused CJK") << QStringLiteral("中") << "-";
}

void TestOptionEdit::keyFilter()
{
    QFETCH(QString, typed);
    QFETCH(QString, becomes);
    const std::optional<QChar> out = filterCodeKey(typed.at(0));
    if (becomes == QLatin1String("-"))
        QVERIFY(!out);
    else
        QCOMPARE(out, std::optional<QChar>(becomes.at(0)));
}

void TestOptionEdit::pastedText_data()
{
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("kept");
    QTest::newRow("clean") << "12AB*#"
                           << "12AB*#";
    QTest::newRow("small letters") << "abcd"
                                   << "ABCD";
    QTest::newRow("separators") << "123-456 789"
                                << "123456789";
    QTest::newRow("tab and newline") << "12\t34\n"
                                     << "1234";
    QTest::newRow("too long") << "0123456789ABCD"
                              << "0123456789";
    QTest::newRow("nothing left") << "xyz"
                                  << "";
}

void TestOptionEdit::pastedText()
{
    QFETCH(QString, pasted);
    QTEST(filterCodeText(pasted), "kept");
}

// Codes worked out from the digit table: 0..9, A..D = 10..13, * = 14, # = 15.
void TestOptionEdit::textToCode_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("raw");
    QTest::newRow("empty") << "" << QByteArray(11, '\0');
    QTest::newRow("12AB*#") << "12AB*#"
                            << QByteArray("\x01\x02\x0A\x0B\x0E\x0F\x00\x00\x00\x00\x06", 11);
    QTest::newRow("ten digits") << "9876543210"
                                << QByteArray("\x09\x08\x07\x06\x05\x04\x03\x02\x01\x00\x0A", 11);
    QTest::newRow("C and D") << "CD0"
                             << QByteArray("\x0C\x0D\x00\x00\x00\x00\x00\x00\x00\x00\x03", 11);
    QTest::newRow("eleven taken as ten")
        << "12345678901" << QByteArray("\x01\x02\x03\x04\x05\x06\x07\x08\x09\x00\x0A", 11);
}

void TestOptionEdit::textToCode()
{
    QFETCH(QString, text);
    QTEST(rawOf(codeFromText(text)), "raw");
}

void TestOptionEdit::codeToText_data()
{
    QTest::addColumn<QByteArray>("raw");
    QTest::addColumn<QString>("text");
    QTest::newRow("count 0") << QByteArray("\x01\x02\x03\x00\x00\x00\x00\x00\x00\x00\x00", 11)
                             << "";
    QTest::newRow("count 3 of more digits")
        << QByteArray("\x01\x0E\x0F\x05\x05\x05\x00\x00\x00\x00\x03", 11) << "1*#";
    QTest::newRow("A to D") << QByteArray("\x0A\x0B\x0C\x0D\x00\x00\x00\x00\x00\x00\x04", 11)
                            << "ABCD";
    QTest::newRow("count 10") << QByteArray("\x00\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A", 11)
                              << "0123456789";
    QTest::newRow("count 11 shows ten")
        << QByteArray("\x00\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0B", 11) << "0123456789";
    QTest::newRow("count 255 shows ten")
        << QByteArray("\x05\x05\x05\x05\x05\x05\x05\x05\x05\x05\xFF", 11) << "5555555555";
    QTest::newRow("digit 16 is @")
        << QByteArray("\x10\x00\x00\x00\x00\x00\x00\x00\x00\x00\x01", 11) << "@";
}

void TestOptionEdit::codeToText()
{
    QFETCH(QByteArray, raw);
    QTEST(codeText(codeOf(raw)), "text");
}

QTEST_APPLESS_MAIN(TestOptionEdit)
#include "tst_optionedit.moc"
