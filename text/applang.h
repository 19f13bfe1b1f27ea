// The user-interface language: which text table is active and the Big5
// conversion that Traditional-Chinese texts go through on their way to a
// control. The caller creates one (the window, the command line, a test) and
// passes it where texts are fetched; nothing here is global.
#pragma once

#include "text/texttables.h"

#include <QByteArray>
#include <QString>

namespace t880::text {

class TAppLang
{
public:
    /// Values of `LangType`; any other value selects the English table.
    enum : quint8 { English = 1, Simplified = 2, Traditional = 3 };
    /// Values of `DetectType`.
    enum : quint8 { DetectFromSystem = 0, DetectExplicit = 1 };
    /// Charset ids that go with each language (Windows font charsets).
    enum : quint8 { AnsiCharset = 0, Gb2312Charset = 134, Big5Charset = 136 };

    /// Reads the system language id and derives the language from it.
    TAppLang();
    /// As TAppLang(), with \a systemLanguageId standing in for the system's.
    explicit TAppLang(quint16 systemLanguageId);

    /// The language `LangType` that \a systemLanguageId (a Windows language id) selects.
    static quint8 deriveLangType(quint16 systemLanguageId);

    /// The system language id read at construction.
    quint16 systemLanguageId() const { return m_systemLanguageId; }
    /// `LangType`: 1 English, 2 Simplified, 3 Traditional (others act as English).
    quint8 langType() const { return m_langType; }
    /// `DetectType`: 0 derive from the system language, 1 set explicitly.
    quint8 detectType() const { return m_detectType; }
    /// The charset of the active language: 0, 134 or 136.
    quint8 charset() const { return m_charset; }
    /// Whether FromGBK() converts; on after construction.
    bool big5Conversion() const { return m_big5Conversion; }
    /// Switches FromGBK() on or off.
    void setBig5Conversion(bool on) { m_big5Conversion = on; }

    /// Sets the language explicitly; `DetectType` becomes 1.
    void fSetLangType(quint8 langType);
    /// Stores \a detectType; any value but 1 derives the language from the system language id.
    void fSetDetectType(quint8 detectType);
    /// Applies the window's stored language choice: 0 English, 1 Simplified,
    /// 2 Traditional; any other value derives the language from the system.
    void applyLanguageSetting(int language);

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
    quint8 m_langType = English;
    quint8 m_detectType = DetectFromSystem;
    quint8 m_charset = AnsiCharset;
    bool m_big5Conversion = true;
};

} // namespace t880::text
