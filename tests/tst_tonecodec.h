// The tone codec suite's shared part: the tone charts, and the test class whose
// functions the suite's files define.
#pragma once

#include "codeplug/tonecodec.h"

#include <QtTest>

namespace tonecodectest {

using namespace t880;
using namespace t880::codec;

// The standard tone sets as printed on the tone chart.
inline const int kCtcssChart[50] = {670,  693,  719,  744,  770,  797,  825,  854,  885,  915,
                                    948,  974,  1000, 1035, 1072, 1109, 1148, 1188, 1230, 1273,
                                    1318, 1365, 1413, 1462, 1514, 1567, 1598, 1622, 1655, 1679,
                                    1713, 1738, 1773, 1799, 1835, 1862, 1899, 1928, 1966, 1995,
                                    2035, 2065, 2107, 2181, 2257, 2291, 2336, 2418, 2503, 2541};

inline const char *const kDcsChart[105] = {
    "023", "025", "026", "031", "032", "036", "043", "047", "051", "053", "054", "065",
    "071", "072", "073", "074", "114", "115", "116", "122", "125", "131", "132", "134",
    "143", "145", "152", "155", "156", "162", "165", "172", "174", "205", "212", "223",
    "225", "226", "243", "244", "245", "246", "251", "252", "255", "261", "263", "265",
    "266", "271", "274", "306", "311", "315", "325", "331", "332", "343", "346", "351",
    "356", "364", "365", "371", "411", "412", "413", "423", "431", "432", "445", "446",
    "452", "454", "455", "462", "464", "465", "466", "503", "506", "516", "523", "526",
    "532", "546", "565", "606", "612", "624", "627", "631", "632", "645", "654", "662",
    "664", "703", "712", "723", "731", "732", "734", "743", "754"};

inline int dcsChartCode(int i)
{
    return QByteArray(kDcsChart[i]).toInt(nullptr, 8);
}

inline QString hex16(int v)
{
    return QStringLiteral("0x%1").arg(v, 4, 16, QLatin1Char('0'));
}

} // namespace tonecodectest

class TestToneCodec : public QObject
{
    Q_OBJECT

private slots:
    // --- frequencies --------------------------------------------------------
    void formatFrequency_data();
    void formatFrequency();
    void parseFrequency_data();
    void parseFrequency();
    void snapFrequency_data();
    void snapFrequency();
    void snapStep_data();
    void snapStep();

    // --- tones --------------------------------------------------------------
    void standardTables();
    void formatTone_data();
    void formatTone();
    void parseTone_data();
    void parseTone();
    void isStandardTone_data();
    void isStandardTone();
    void isStandardToneExactlyTheCharts();
    void toneChoiceListEntries_data();
    void toneChoiceListEntries();
    void toneChoiceListWhole();

    // --- radio words --------------------------------------------------------
    void toFrequencyWord_data();
    void toFrequencyWord();
    void fromFrequencyWord_data();
    void fromFrequencyWord();
    void ctcssChipWord_data();
    void ctcssChipWord();
    void golayReferenceMatchesWorkedExamples();
    void encodeDcsWords_data();
    void encodeDcsWords();
    void decodeDcsWords_data();
    void decodeDcsWords();
    void dcsRoundTrip_data();
    void dcsRoundTrip();
    void toBcdFrequency_data();
    void toBcdFrequency();
    void fromBcdFrequency_data();
    void fromBcdFrequency();
    void encodeLegacyTone_data();
    void encodeLegacyTone();
    void decodeLegacyTone_data();
    void decodeLegacyTone();
};
