// The system language as a Windows language id (primary language in the low
// ten bits, sublanguage above), the form the language derivation works on.
#pragma once

#include <QLocale>

namespace t880::text {

/// The Windows language id for \a locale: Chinese by territory (PRC 0x0804,
/// Singapore 0x1004, Taiwan 0x0404, Hong Kong 0x0C04, Macao 0x1404, otherwise
/// by script), any other language its primary id with the default
/// sublanguage; languages without an id here, and the C locale, give 0x0409.
quint16 languageIdForLocale(const QLocale &locale);

/// The system's default language id: the platform's own on Windows, the
/// system locale mapped by languageIdForLocale() elsewhere.
quint16 systemLanguageId();

} // namespace t880::text
