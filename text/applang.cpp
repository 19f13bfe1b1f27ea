#include "text/applang.h"

#include "text/codepage.h"
#include "text/gbkbig5.h"
#include "text/systemlanguage.h"

namespace t880::text {

Language languageFor(int setting, quint16 systemLanguageId)
{
    switch (setting) {
    case int(Language::English):
    case int(Language::Simplified):
    case int(Language::Traditional):
        return Language(setting);
    default:
        break;
    }
    const quint16 primary = systemLanguageId & 0x3FF;
    const quint16 sub = systemLanguageId >> 10;
    if (primary != 0x04) // LANG_CHINESE
        return Language::English;
    // PRC and Singapore write simplified characters; Taiwan, Hong Kong, Macao
    // and every other Chinese sublanguage traditional ones.
    return (sub == 2 || sub == 4) ? Language::Simplified : Language::Traditional;
}

// Qualified: inside the class the name would denote the member accessor.
TAppLang::TAppLang() : TAppLang(text::systemLanguageId()) {}

TAppLang::TAppLang(quint16 systemLanguageId) : m_systemLanguageId(systemLanguageId)
{
    fSetDetectType(DetectFromSystem);
}

void TAppLang::fSetLangType(Language language)
{
    m_language = language;
    m_detectType = DetectExplicit;
    updateCharset();
}

void TAppLang::fSetDetectType(quint8 detectType)
{
    m_detectType = detectType;
    if (detectType != DetectExplicit)
        m_language = languageFor(SystemLanguageSetting, m_systemLanguageId);
    updateCharset();
}

void TAppLang::applyLanguageSetting(int setting)
{
    const Language language = languageFor(setting, m_systemLanguageId);
    // A setting that names a language is that language's value.
    if (int(language) == setting)
        fSetLangType(language);
    else
        fSetDetectType(DetectFromSystem);
}

void TAppLang::updateCharset()
{
    switch (m_language) {
    case Language::Simplified:
        m_charset = Gb2312Charset;
        break;
    case Language::Traditional:
        m_charset = Big5Charset;
        break;
    case Language::English:
    default:
        m_charset = AnsiCharset;
        break;
    }
}

QByteArray TAppLang::FromGBK(const QByteArray &text) const
{
    if (m_language != Language::Traditional || !m_big5Conversion)
        return text;
    QByteArray out = text;
    const qsizetype size = out.size();
    for (qsizetype i = 0; i + 1 < size;) {
        const quint8 lead = quint8(out[i]);
        const quint8 trail = quint8(out[i + 1]);
        if (!isGbkPair(lead, trail)) {
            // Not a pair here: this byte stays and the next one may still lead one.
            ++i;
            continue;
        }
        const quint16 big5 = big5ForGbk(lead, trail);
        out[i] = char(big5 >> 8);
        out[i + 1] = char(big5 & 0xFF);
        i += 2;
    }
    return out;
}

QByteArray TAppLang::textBytes(TextTable table, int n) const
{
    TableLanguage language = TableLanguage::English;
    if (m_language == Language::Simplified)
        language = TableLanguage::Simplified;
    else if (m_language == Language::Traditional)
        language = TableLanguage::Traditional;
    return FromGBK(storedText(table, language, n));
}

QString TAppLang::text(TextTable table, int n) const
{
    return decode(textBytes(table, n));
}

QString TAppLang::decode(const QByteArray &bytes) const
{
    // GBK covers ASCII, so English texts (one of which has always carried a
    // full-width comma) decode the same way as Simplified ones.
    if (m_language == Language::Traditional && m_big5Conversion)
        return decodeBig5(bytes);
    return decodeGbk(bytes);
}

} // namespace t880::text
