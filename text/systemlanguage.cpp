#include "text/systemlanguage.h"

namespace t880::text {

namespace {

constexpr quint16 kSublangDefault = 1;
constexpr quint16 kEnglishUs = 0x0409;

constexpr quint16 makeLangId(quint16 primary, quint16 sub)
{
    return quint16((sub << 10) | primary);
}

struct PrimaryId
{
    QLocale::Language language;
    quint16 primary;
};

// Primary language ids as Windows numbers them (LANG_* in winnt.h).
constexpr PrimaryId kPrimaryIds[] = {
    {QLocale::Arabic, 0x01},
    {QLocale::Bulgarian, 0x02},
    {QLocale::Catalan, 0x03},
    {QLocale::Chinese, 0x04},
    {QLocale::Czech, 0x05},
    {QLocale::Danish, 0x06},
    {QLocale::German, 0x07},
    {QLocale::Greek, 0x08},
    {QLocale::English, 0x09},
    {QLocale::Spanish, 0x0A},
    {QLocale::Finnish, 0x0B},
    {QLocale::French, 0x0C},
    {QLocale::Hebrew, 0x0D},
    {QLocale::Hungarian, 0x0E},
    {QLocale::Icelandic, 0x0F},
    {QLocale::Italian, 0x10},
    {QLocale::Japanese, 0x11},
    {QLocale::Korean, 0x12},
    {QLocale::Dutch, 0x13},
    {QLocale::NorwegianBokmal, 0x14},
    {QLocale::NorwegianNynorsk, 0x14},
    {QLocale::Polish, 0x15},
    {QLocale::Portuguese, 0x16},
    {QLocale::Romansh, 0x17},
    {QLocale::Romanian, 0x18},
    {QLocale::Russian, 0x19},
    {QLocale::Croatian, 0x1A},
    {QLocale::Slovak, 0x1B},
    {QLocale::Albanian, 0x1C},
    {QLocale::Swedish, 0x1D},
    {QLocale::Thai, 0x1E},
    {QLocale::Turkish, 0x1F},
    {QLocale::Urdu, 0x20},
    {QLocale::Indonesian, 0x21},
    {QLocale::Ukrainian, 0x22},
    {QLocale::Belarusian, 0x23},
    {QLocale::Slovenian, 0x24},
    {QLocale::Estonian, 0x25},
    {QLocale::Latvian, 0x26},
    {QLocale::Lithuanian, 0x27},
    {QLocale::Persian, 0x29},
    {QLocale::Vietnamese, 0x2A},
    {QLocale::Armenian, 0x2B},
    {QLocale::Azerbaijani, 0x2C},
    {QLocale::Basque, 0x2D},
    {QLocale::Macedonian, 0x2F},
    {QLocale::Afrikaans, 0x36},
    {QLocale::Georgian, 0x37},
    {QLocale::Hindi, 0x39},
    {QLocale::Malay, 0x3E},
    {QLocale::Kazakh, 0x3F},
    {QLocale::Swahili, 0x41},
    {QLocale::Uzbek, 0x43},
    {QLocale::Bengali, 0x45},
    {QLocale::Tamil, 0x49},
    {QLocale::Mongolian, 0x50},
    {QLocale::Khmer, 0x53},
    {QLocale::Lao, 0x54},
    {QLocale::Filipino, 0x64},
};

quint16 chineseId(const QLocale &locale)
{
    switch (locale.territory()) {
    case QLocale::China:
        return makeLangId(0x04, 2);
    case QLocale::Singapore:
        return makeLangId(0x04, 4);
    case QLocale::Taiwan:
        return makeLangId(0x04, 1);
    case QLocale::HongKong:
        return makeLangId(0x04, 3);
    case QLocale::Macao:
        return makeLangId(0x04, 5);
    default:
        // Windows has ids only for these five; elsewhere the script tells
        // which of the two written forms the user reads.
        return locale.script() == QLocale::TraditionalHanScript ? makeLangId(0x04, 1)
                                                                : makeLangId(0x04, 2);
    }
}

} // namespace

quint16 languageIdForLocale(const QLocale &locale)
{
    if (locale.language() == QLocale::Chinese)
        return chineseId(locale);
    for (const PrimaryId &entry : kPrimaryIds) {
        if (entry.language == locale.language())
            return makeLangId(entry.primary, kSublangDefault);
    }
    return kEnglishUs;
}

} // namespace t880::text
