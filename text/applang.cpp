#include "text/applang.h"

#include "text/codepage.h"
#include "text/gbkbig5.h"
#include "text/systemlanguage.h"

namespace t880::text {

// Qualified: inside the class the name would denote the member accessor.
TAppLang::TAppLang() : TAppLang(text::systemLanguageId()) {}

TAppLang::TAppLang(quint16 systemLanguageId) : m_systemLanguageId(systemLanguageId)
{
    fSetDetectType(DetectFromSystem);
}

quint8 TAppLang::deriveLangType(quint16 systemLanguageId)
{
    const quint16 primary = systemLanguageId & 0x3FF;
    const quint16 sub = systemLanguageId >> 10;
    if (primary != 0x04) // LANG_CHINESE
        return English;
    // PRC and Singapore write simplified characters; Taiwan, Hong Kong, Macao
    // and every other Chinese sublanguage traditional ones.
    return (sub == 2 || sub == 4) ? Simplified : Traditional;
}

void TAppLang::fSetLangType(quint8 langType)
{
    m_langType = langType;
    m_detectType = DetectExplicit;
    updateCharset();
}

void TAppLang::fSetDetectType(quint8 detectType)
{
    m_detectType = detectType;
    if (detectType != DetectExplicit)
        m_langType = deriveLangType(m_systemLanguageId);
    updateCharset();
}

void TAppLang::applyLanguageSetting(int language)
{
    switch (language) {
    case 0:
        fSetLangType(English);
        break;
    case 1:
        fSetLangType(Simplified);
        break;
    case 2:
        fSetLangType(Traditional);
        break;
    default:
        fSetDetectType(DetectFromSystem);
        break;
    }
}

void TAppLang::updateCharset()
{
    switch (m_langType) {
    case Simplified:
        m_charset = Gb2312Charset;
        break;
    case Traditional:
        m_charset = Big5Charset;
        break;
    default:
        m_charset = AnsiCharset;
        break;
    }
}

QByteArray TAppLang::FromGBK(const QByteArray &text) const
{
    if (m_langType != Traditional || !m_big5Conversion)
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
    if (m_langType == Simplified)
        language = TableLanguage::Simplified;
    else if (m_langType == Traditional)
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
    if (m_langType == Traditional && m_big5Conversion)
        return decodeBig5(bytes);
    return decodeGbk(bytes);
}

} // namespace t880::text
