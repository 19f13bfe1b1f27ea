// The text tables suite's shared part: the languages of the tables, every table
// as a data row, and the test class whose functions the suite's files define.
#pragma once

#include "tst_texts_source.h"

#include "text/applang.h"
#include "text/codepage.h"
#include "text/menucaption.h"

#include <QRegularExpression>
#include <QTest>

Q_DECLARE_METATYPE(t880::text::TextTable)

namespace texttablestest {

using namespace t880::text;

inline TableLanguage tableLanguage(int language)
{
    return language == 0   ? TableLanguage::English
           : language == 1 ? TableLanguage::Simplified
                           : TableLanguage::Traditional;
}

inline Language langType(int language)
{
    return Language(language);
}

inline void addAllTables()
{
    QTest::addColumn<TextTable>("table");
    for (TextTable table : kAllTextTables)
        QTest::newRow(qPrintable(tableName(table))) << table;
}

} // namespace texttablestest

class TestTextTables : public QObject
{
    Q_OBJECT

private slots:
    void sizes_data();
    void sizes();
    void outOfRange_data() { texttablestest::addAllTables(); }
    void outOfRange();
    void reservedEntries_data();
    void reservedEntries();
    void englishMain_data();
    void englishMain();
    void quotedTexts_data();
    void quotedTexts();
    void matchesSource_data() { texttablestest::addAllTables(); }
    void matchesSource();
    void traditionalRoundTrip_data() { texttablestest::addAllTables(); }
    void traditionalRoundTrip();
    void simplifiedFetch_data() { texttablestest::addAllTables(); }
    void simplifiedFetch();
    void noEnglishInChinese_data() { texttablestest::addAllTables(); }
    void noEnglishInChinese();
    void noSimplifiedInTraditional_data() { texttablestest::addAllTables(); }
    void noSimplifiedInTraditional();
    void englishIsAscii_data() { texttablestest::addAllTables(); }
    void englishIsAscii();
    void accelerators();
    void menuCaptions_data();
    void menuCaptions();
    void numbersCarriedOver_data() { texttablestest::addAllTables(); }
    void numbersCarriedOver();
    void listItemsDistinct_data();
    void listItemsDistinct();
    void remoteCodeLabels_data();
    void remoteCodeLabels();
};
