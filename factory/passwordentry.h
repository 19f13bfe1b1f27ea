// The rules behind the password dialogs and the factory access prompt, kept
// apart from the widgets: which typed passwords the codeplug can hold, when
// two entries count as the same, and the access code.
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace t880 {

/// Characters a password field takes.
constexpr int PasswordFieldLength = 12;

/// The bytes a typed password is stored as: the codeplug's code page, as the
/// command line stores --password, so the same text matches in both. Nothing
/// when the text does not fit the radio's twelve bytes or has a character
/// the code page lacks.
std::optional<QByteArray> passwordBytes(const QString &typed);

/// The two entries of a new password agree: same length, then the same
/// characters, letter case included.
bool passwordsMatch(const QString &entry, const QString &confirmation);

/// The entry opens the factory functions: the exact access code, letter case
/// included.
bool accessCodeMatches(const QString &entry);

} // namespace t880
