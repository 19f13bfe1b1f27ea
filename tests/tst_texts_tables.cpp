// The text tables: sizes and numbering, the texts that are fixed word for
// word, agreement with the UTF-8 source, and the quality rules
// a translation must meet (no English left, no simplified characters in the
// Traditional table, keyboard accelerators and numbers carried over).
//
// This file: sizes, numbering and the texts fixed word for word;
// tst_texts_tables_quality.cpp the source and the translation rules.
#include "tst_texts_tables.h"

using namespace t880::text;
using namespace texttablestest;

namespace {

struct Quoted
{
    int number;
    const char *text;
};

// The English main table word for word, typos and all ("Clcok", "Cannel",
// "Manu", "Call Selete"): dealers know these captions as they stand. 164/165
// (ours to choose) and the reserved numbers are not fixed.
const Quoted kEnglishMain[] = {
    {0, "Talvern T-880"},
    {1, "&File"},
    {2, "&New"},
    {3, "&Open"},
    {4, "&Save"},
    {5, "&Exit"},
    {6, "&Edit"},
    {7, "&Read from radio"},
    {8, "&Write to radio"},
    {9, "&Communication Port"},
    {10, "&Language"},
    {11, "Chinese(&Simplified)"},
    {12, "Chinese(&Traditional)"},
    {13, "&English"},
    {14, "&Help"},
    {15, "NO."},
    {16, "RX Freq."},
    {17, "TX Freq."},
    {18, "QT/DQT Dec"},
    {19, "QT/DQT Enc"},
    {20, "TX Power"},
    {21, "Bandwidth"},
    {22, "SCN"},
    {23, "Busy Inhibit"},
    {24, "Name"},
    {25, "Channel information"},
    {26, "High"},
    {27, "Low"},
    {28, "Wide"},
    {29, "Narrow"},
    {30, "ADD"},
    {31, "DEL"},
    {32, "OFF"},
    {33, "CAT"},
    {34, "DQT"},
    {35, "Optional Features"},
    {36, "Frequency Mode Information"},
    {37, "Frequency"},
    {38, "QT/DQT Decode"},
    {39, "QT/DQT Encode"},
    {40, "TX Power"},
    {41, "Bandwidth"},
    {42, "Offset Dir"},
    {43, "Offset Freq"},
    {44, "SQL"},
    {45, "Squelch Mode"},
    {46, "VOX Gain"},
    {47, "VOX Delay(S)"},
    {48, "TOT(S)"},
    {49, "TOA(S)"},
    {50, "DoubleWatch"},
    {51, "Step"},
    {52, "MEM"},
    {53, "1750Hz Hold"},
    {54, "Scan Resume"},
    {55, "Priority Scan"},
    {56, "Mode - A"},
    {57, "Mode - B"},
    {58, "Lamp Timer"},
    {59, "Lamp Control"},
    {60, "Key Lock"},
    {61, "CALL Beep"},
    {62, "ROG Beep"},
    {63, "APO"},
    {64, "CW"},
    {65, "FMR"},
    {66, "Clcok"},
    {67, "Whisper"},
    {68, "Key Beep"},
    {69, "Compandor"},
    {70, "Battery Save"},
    {71, "Auto Offset"},
    {72, "Password"},
    {73, "Scrambling"},
    {74, "Busy Inhibit"},
    {75, "OFF"},
    {76, "Carrier"},
    {77, "DTMF"},
    {78, "CTC/DCS"},
    {79, "DTMF and CTC/DCS"},
    {80, "DTMF or CTC/DCS"},
    {81, "30s"},
    {82, "60s"},
    {83, "90s"},
    {84, "120s"},
    {85, "150s"},
    {86, "180s"},
    {87, "210s"},
    {88, "240s"},
    {89, "0.3s"},
    {90, "0.5s"},
    {91, "1s"},
    {92, "2s"},
    {93, "3s"},
    {94, "1S"},
    {95, "2S"},
    {96, "3S"},
    {97, "4S"},
    {98, "5S"},
    {99, "6S"},
    {100, "7S"},
    {101, "8S"},
    {102, "9S"},
    {103, "10S"},
    {104, "Auto"},
    {105, "On"},
    {106, "Off"},
    {107, "1s"},
    {108, "2s"},
    {109, "3s"},
    {110, "4s"},
    {111, "5s"},
    {112, "Carrier"},
    {113, "Time"},
    {114, "Seek"},
    {115, "Channel"},
    {116, "Memory"},
    {117, "Frequency"},
    {118, "Manu"},
    {119, "Auto"},
    {120, "10m"},
    {121, "30m"},
    {122, "1h"},
    {123, "2h"},
    {124, "Scr 1"},
    {125, "Scr 2"},
    {126, "Scr 3"},
    {127, "Scr 4"},
    {128, "Scr 5"},
    {129, "Address Book Edit"},
    {130, "Group Edit"},
    {131, "Memory Edit"},
    {132, "DTMF On/Off"},
    {133, "Encode Mode"},
    {134, "Side Tone"},
    {135, "Digit Speed"},
    {136, "Pause Duration"},
    {137, "First Delay"},
    {138, "Pretime"},
    {139, "ID"},
    {140, "* # Delay"},
    {141, "Group"},
    {142, "Manu"},
    {143, "Memory"},
    {144, "Address Book"},
    {145, "Group Call"},
    {146, "All Call"},
    {147, "NO."},
    {148, "Name"},
    {149, "Digit"},
    {150, "Open"},
    {151, "Save"},
    {152, "Expand Frequency"},
    {153, "Ok"},
    {154, "Cannel"},
    {155, "Clear all data ?"},
    {156, "Remote Kill"},
    {157, "Remote Stun"},
    {158, "Revive"},
    {159, "Limited"},
    {160, "Status"},
    {161, "About"},
    {162, "Radio Programming Software"},
    {163, "Version: V1.0.0"},
    {166, "&About..."},
    {167, "&Adjustment"},
    {168, "Start up display"},
    {169, "Batch Set"},
    {170, "Start Channel"},
    {171, "End Channel"},
    {172, "NAM"},
    {173, "Step(MHz)"},
    {174, "Key Assignment"},
    {175, "Key"},
    {176, "Short Press"},
    {177, "Long Press"},
    {178, "Monitor"},
    {179, "Monitor Momentary"},
    {180, "Squelch Off"},
    {181, "Squelch Off Momentary"},
    {182, "Unassigned"},
    {183, "SQL Indicator"},
    {184, "Adjust SQL"},
    {185, "Scan"},
    {186, "Priority Channel Scan"},
    {187, "Nuisance Channel Temporary Delete"},
    {188, "Nuisance Channel Delete"},
    {189, "Talkaround"},
    {190, "Reverse Frequency"},
    {191, "Power Indicator"},
    {192, "Adjust Power"},
    {193, "Vox On/Off"},
    {194, "Battery Power Indicator"},
    {195, "Channel Report"},
    {196, "Channel Lock"},
    {197, "Do you want to save data ?"},
    {198, "Yes"},
    {199, "No"},
    {200, "Serial Number"},
    {201, "ON"},
    {202, "OFF"},
    {203, "Begin"},
    {204, "End"},
    {205, "Both Begin and End"},
    {206, "Mid"},
    {207, "Tail Suppression"},
    {208, "120 degree"},
    {209, "180 degree"},
    {210, "55Hz"},
    {211, "Firmware Version"},
    {212, "Last Program Date"},
    {213, "Voice"},
    {214, "Chinese"},
    {215, "English"},
    {216, "Refuse Alarm"},
    {217, "Alarm Mode"},
    {218, "Local Alarm"},
    {219, "Encoding Alarm"},
    {220, "Both Local and Encoding"},
    {221, "Auto Connect"},
    {222, "Auto Connect Pos"},
    {223, "Master"},
    {224, "Slave"},
    {225, "Power On Beep"},
    {226, "ANI(local)"},
    {227, "DTMF Code"},
    {228, "Master Tx Period"},
    {229, "Slave Timeout"},
    {230, "Slave Alarm Period"},
    {231, "&Password"},
    {232, "Password"},
    {233, "New Password"},
    {234, "Input Password"},
    {235, "New Password Sure"},
    {236, "Write"},
    {237, "Password not match"},
    {238, "Frequency Band"},
    {239, "Call Selete"},
    {240, "Group Code"},
    {241, "Auto reset time(s)"},
    {242, "Send ANI"},
    {243, "S"},
    {244, "New"},
    {245, "Open"},
    {246, "Save"},
    {247, "Read from radio"},
    {248, "Write to radio"},
    {249, "Alarm"},
    {250, "Batt.Saving Rate"},
    {251, "Nonstandard value"},
    {252, "Side Key"},
    {253, "Func Key"},
    {254, "Radio"},
    {257, "Set radio new password"},
    {258, "Write data to radio with new password"},
    {260, "Write"},
    {261, "Read"},
};

const int kReservedMain[] = {255, 256, 259, 262, 263, 264, 265, 266, 267};

} // namespace

void TestTextTables::sizes_data()
{
    QTest::addColumn<TextTable>("table");
    QTest::addColumn<int>("size");
    QTest::newRow("main") << TextTable::Main << 650;
    QTest::newRow("program") << TextTable::Program << 14;
    QTest::newRow("port") << TextTable::Port << 3;
    QTest::newRow("warn") << TextTable::Warn << 1;
    QTest::newRow("adjust") << TextTable::Adjust << 93;
}

void TestTextTables::sizes()
{
    QFETCH(TextTable, table);
    QFETCH(int, size);
    QCOMPARE(tableSize(table), size);
    // The source numbers its entries 0, 1, 2 ... without gaps.
    const QVector<SourceEntry> source = readSourceTable(table);
    QCOMPARE(source.size(), size);
    for (int n = 0; n < size; ++n)
        QCOMPARE(source[n].number, n);
}

void TestTextTables::outOfRange()
{
    QFETCH(TextTable, table);
    for (int language = 0; language < 3; ++language) {
        TAppLang lang(0x0409);
        lang.fSetLangType(langType(language));
        QVERIFY(lang.textBytes(table, -1).isEmpty());
        QVERIFY(lang.textBytes(table, tableSize(table)).isEmpty());
        QVERIFY(lang.text(table, tableSize(table) + 100).isEmpty());
    }
}

void TestTextTables::reservedEntries_data()
{
    QTest::addColumn<TextTable>("table");
    QTest::addColumn<QList<int>>("reserved");
    QList<int> main(std::begin(kReservedMain), std::end(kReservedMain));
    // Held free between the print texts and the grid commands' texts.
    for (int n = 319; n <= 329; ++n)
        main << n;
    // Held free after the texts of unfinished writes and of the production
    // record, before the connection doctor's texts, and after them.
    for (int n = 378; n <= 379; ++n)
        main << n;
    for (int n = 393; n <= 399; ++n)
        main << n;
    main << 402;
    for (int n = 433; n <= 449; ++n)
        main << n;
    // Held free beside the transfer results' texts, the tooltips and the
    // texts of reports, files and ports.
    for (int n = 473; n <= 509; ++n)
        main << n;
    for (int n = 537; n <= 589; ++n)
        main << n;
    // After the texts of the codeplug as text.
    for (int n = 644; n <= 649; ++n)
        main << n;
    QTest::newRow("main") << TextTable::Main << main;
    QTest::newRow("program") << TextTable::Program << QList<int>();
    QTest::newRow("port") << TextTable::Port << QList<int>();
    QTest::newRow("warn") << TextTable::Warn << QList<int>();
    QList<int> adjust;
    for (int n = 2; n <= 21; ++n)
        adjust << n;
    QTest::newRow("adjust") << TextTable::Adjust << adjust;
}

void TestTextTables::reservedEntries()
{
    QFETCH(TextTable, table);
    QFETCH(QList<int>, reserved);
    for (int n = 0; n < tableSize(table); ++n) {
        for (int language = 0; language < 3; ++language) {
            const QByteArray stored = storedText(table, tableLanguage(language), n);
            QVERIFY2(stored.isEmpty() == reserved.contains(n),
                     qPrintable(QStringLiteral("entry %1 %2").arg(n).arg(languageName(language))));
        }
    }
}

void TestTextTables::englishMain_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("text");
    for (const Quoted &q : kEnglishMain)
        QTest::addRow("%d", q.number) << q.number << QString::fromLatin1(q.text);
}

void TestTextTables::englishMain()
{
    QFETCH(int, number);
    QFETCH(QString, text);
    QCOMPARE(QString::fromLatin1(storedText(TextTable::Main, TableLanguage::English, number)),
             text);
    TAppLang lang(0x0409);
    QCOMPARE(lang.textBytes(TextTable::Main, number), text.toLatin1());
}

void TestTextTables::quotedTexts_data()
{
    QTest::addColumn<TextTable>("table");
    QTest::addColumn<int>("number");
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("text");
    auto add = [](const char *name, TextTable table, int number, int language, const char *text) {
        QTest::newRow(name) << table << number << language << QString::fromUtf8(text);
    };
    add("main 247 chs", TextTable::Main, 247, 1, "读频");
    add("main 248 chs", TextTable::Main, 248, 1, "写频");

    add("program 0 en", TextTable::Program, 0, 0, "Start");
    add("program 0 chs", TextTable::Program, 0, 1, "开始");
    add("program 0 cht", TextTable::Program, 0, 2, "開始");
    add("program 1 en", TextTable::Program, 1, 0, "Cancel");
    add("program 1 chs", TextTable::Program, 1, 1, "取消");
    add("program 1 cht", TextTable::Program, 1, 2, "取消");
    add("program 2 en", TextTable::Program, 2, 0, "Communication False");
    add("program 2 chs", TextTable::Program, 2, 1, "无法连接");
    add("program 2 cht", TextTable::Program, 2, 2, "無法連接");
    add("program 3 en", TextTable::Program, 3, 0, "SUCCESS");
    add("program 3 chs", TextTable::Program, 3, 1, "成功");
    add("program 3 cht", TextTable::Program, 3, 2, "成功");
    add("program 4 en", TextTable::Program, 4, 0, "Password Error");
    add("program 4 chs", TextTable::Program, 4, 1, "密码验证错误!");
    add("program 4 cht", TextTable::Program, 4, 2, "密碼驗證錯誤!");
    add("program 5 en", TextTable::Program, 5, 0,
        "band difference\xEF\xBC\x8C"
        "continue?");
    add("program 6 en", TextTable::Program, 6, 0, "Continue");
    add("program 7 en", TextTable::Program, 7, 0, "Device is old version");
    add("program 7 chs", TextTable::Program, 7, 1, "早期版本机子，不支持");
    add("program 7 cht", TextTable::Program, 7, 2, "早期版本機子，不支持");
    add("program 8 en", TextTable::Program, 8, 0, "Verify failed");
    add("program 8 chs", TextTable::Program, 8, 1, "校验失败");
    add("program 8 cht", TextTable::Program, 8, 2, "校驗失敗");

    add("port 0 en", TextTable::Port, 0, 0, "OK");
    add("port 0 chs", TextTable::Port, 0, 1, "确认");
    add("port 0 cht", TextTable::Port, 0, 2, "確認");
    add("port 1 en", TextTable::Port, 1, 0, "Cancel");
    add("port 1 chs", TextTable::Port, 1, 1, "取消");
    add("port 1 cht", TextTable::Port, 1, 2, "取消");
    add("port 2 en", TextTable::Port, 2, 0, "Auto search COM port");
    add("port 2 chs", TextTable::Port, 2, 1, "自动查找通讯口");
    add("port 2 cht", TextTable::Port, 2, 2, "自動查找通訊口");

    add("warn 0 en", TextTable::Warn, 0, 0, "OK");
    add("warn 0 chs", TextTable::Warn, 0, 1, "确认");
    add("warn 0 cht", TextTable::Warn, 0, 2, "確認");

    add("adjust 0 en", TextTable::Adjust, 0, 0, "OK");
    add("adjust 1 en", TextTable::Adjust, 1, 0, "Cancel");
    add("adjust 22 en", TextTable::Adjust, 22, 0, "Open");
    add("adjust 23 en", TextTable::Adjust, 23, 0, "Save");
    add("adjust 24 en", TextTable::Adjust, 24, 0, "Clear all data ?");
    add("adjust 0 chs", TextTable::Adjust, 0, 1, "确认");
    add("adjust 1 chs", TextTable::Adjust, 1, 1, "取消");
    add("adjust 22 chs", TextTable::Adjust, 22, 1, "打开");
    add("adjust 23 chs", TextTable::Adjust, 23, 1, "保存");
    add("adjust 24 chs", TextTable::Adjust, 24, 1, "清除所有数据？");
}

void TestTextTables::quotedTexts()
{
    QFETCH(TextTable, table);
    QFETCH(int, number);
    QFETCH(int, language);
    QFETCH(QString, text);
    TAppLang lang(0x0409);
    lang.fSetLangType(langType(language));
    QCOMPARE(lang.text(table, number), text);
    // The bytes a control receives, worked out with iconv directly.
    const std::optional<QByteArray> expected = language == 2 ? encodeBig5(text) : encodeGbk(text);
    QVERIFY(expected);
    QCOMPARE(lang.textBytes(table, number), *expected);
}

QTEST_GUILESS_MAIN(TestTextTables)
#include "moc_tst_texts_tables.cpp"
