// The user-interface language: which text table is active and the Big5
// conversion that Traditional-Chinese texts go through on their way to a
// control. The caller creates one (the window, the command line, a test) and
// passes it where texts are fetched; nothing here is global.
#pragma once

#include "text/texttables.h"

#include <QByteArray>
#include <QString>

namespace t880::text {

/// The user-interface language (`LangType`). Its values are those of the
/// configuration file's `Language` key and of the Language menu's items; a
/// stored value outside them leaves the choice to the system language.
enum class Language : quint8 { English = 0, Simplified = 1, Traditional = 2 };

/// The stored `Language` value that leaves the choice to the system language
/// (as every value but those of Language does).
constexpr int SystemLanguageSetting = 3;

/// The language that the stored `Language` value \a setting selects; for a
/// value outside Language, the one that \a systemLanguageId (a Windows language
/// id) selects: Chinese of the PRC or Singapore gives Simplified, any other
/// Chinese Traditional, every other language English.
Language languageFor(int setting, quint16 systemLanguageId);

class TAppLang
{
public:
    /// Values of `DetectType`.
    enum : quint8 { DetectFromSystem = 0, DetectExplicit = 1 };
    /// Charset ids that go with each language (Windows font charsets).
    enum : quint8 { AnsiCharset = 0, Gb2312Charset = 134, Big5Charset = 136 };

    /// Reads the system language id and derives the language from it.
    TAppLang();
    /// As TAppLang(), with \a systemLanguageId standing in for the system's.
    explicit TAppLang(quint16 systemLanguageId);

    /// The system language id read at construction.
    quint16 systemLanguageId() const { return m_systemLanguageId; }
    /// `LangType`, the active language (a value outside Language acts as English).
    Language language() const { return m_language; }
    /// `DetectType`: 0 derive from the system language, 1 set explicitly.
    quint8 detectType() const { return m_detectType; }
    /// The charset of the active language: 0, 134 or 136.
    quint8 charset() const { return m_charset; }
    /// Whether FromGBK() converts; on after construction.
    bool big5Conversion() const { return m_big5Conversion; }
    /// Switches FromGBK() on or off.
    void setBig5Conversion(bool on) { m_big5Conversion = on; }

    /// Sets the language explicitly; `DetectType` becomes 1.
    void fSetLangType(Language language);
    /// Stores \a detectType; any value but 1 derives the language from the system language id.
    void fSetDetectType(quint8 detectType);
    /// Applies the window's stored language choice (see languageFor()); a
    /// value outside Language derives the language from the system.
    void applyLanguageSetting(int setting);

    /// Converts GBK text to Big5 while the language is Traditional and the
    /// conversion is on, otherwise returns \a text unchanged. The length is
    /// kept: each GBK pair becomes one Big5 pair, every other byte is copied.
    QByteArray FromGBK(const QByteArray &text) const;

    /// Entry \a n of \a table in the active language, as a control receives it:
    /// ASCII for English, GBK for Simplified, Big5 for Traditional (GBK while the
    /// conversion is off). Empty for a reserved entry or a number outside the table.
    QByteArray textBytes(TextTable table, int n) const;
    /// Entry \a n of \a table in the active language as Unicode.
    QString text(TextTable table, int n) const;
    /// Decodes bytes that textBytes() returned under the current state.
    QString decode(const QByteArray &bytes) const;

private:
    void updateCharset();

    quint16 m_systemLanguageId = 0;
    Language m_language = Language::English;
    quint8 m_detectType = DetectFromSystem;
    quint8 m_charset = AnsiCharset;
    bool m_big5Conversion = true;
};

} // namespace t880::text
