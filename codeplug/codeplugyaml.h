// The codeplug as text, for version control, review and scripts: a YAML
// file that names every value, read back byte for byte.
//
// Export writes every channel (in use or not), the settings, the DTMF codes,
// the serial number and passwords, the address book, and in "unnamed bytes"
// the bytes no key names. A value the friendly form cannot carry exactly (a
// tone of a foreign type, a name with bytes after its end, a DTMF digit
// above 15) is written as raw numbers or hex under a key of its own, so any
// 2943-byte block comes back unchanged. Keys come in a fixed order, so a
// change of one value is a change of one line.
//
// Import starts from a codeplug (a new one, or the file the user names as
// the base), lays the unnamed bytes over it and then every key the file
// names; a key left out keeps the start's value. Each value is checked:
// any error names its line and key, and then nothing is taken.
#pragma once

#include "codeplug/codeplugdata.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace t880::text {
class TAppLang;
}

namespace t880::codeplugyaml {

/// The format's name and version, written in the file's first keys.
inline constexpr char FormatName[] = "t880-codeplug";
constexpr int FormatVersion = 1;

/// A text file of this kind is a few tens of kilobytes; more is no codeplug.
constexpr qint64 MaxFileBytes = 1 << 20;

/// The whole codeplug as YAML text (UTF-8, LF line ends).
QByteArray exportYaml(const CodeplugData &codeplug);

/// What is wrong with a value or the file; the texts that say so follow
/// one another in this order.
enum class Problem {
    NotYaml,       ///< detail: the parser's message
    NotCodeplug,   ///< no "format: t880-codeplug" at the top
    NewerVersion,  ///< detail: the version the file names
    UnknownKey,    ///< a key this version does not know (an error unless lenient)
    DuplicateKey,  ///< the same key twice in one map
    NotAMap,       ///< a section or entry that should hold keys
    NotANumber,    ///< detail: the value
    OutOfRange,    ///< detail: the range allowed
    NotAFrequency, ///< detail: the value (MHz, at most six decimals, below 4294.967296)
    NotATone,      ///< detail: the value
    NotAChoice,    ///< detail: the words allowed
    NotText,       ///< a list or map where text belongs
    BadCharacter,  ///< detail: the characters allowed
    TooLong,       ///< detail: the most bytes
    TooManyDigits, ///< detail: the most DTMF digits
    NotHex,        ///< detail: how many hex bytes
    NamedByte,     ///< a byte in "unnamed bytes" that a key holds: it must be "--"
    TwoForms,      ///< a value given both as text and as bytes
};

struct ImportError
{
    int line = 0; ///< from 1; 0 when the file has no line for it
    QString key;  ///< the path of the key: "channels.3.receive"
    Problem problem = Problem::NotYaml;
    QString detail;
};

struct ImportOptions
{
    /// Keys this version does not know are skipped (and listed) instead of refused.
    bool lenient = false;
};

struct ImportResult
{
    CodeplugData codeplug;          ///< the start with the file laid over it
    QList<ImportError> errors;      ///< empty when the file was taken
    QList<ImportError> skippedKeys; ///< unknown keys, lenient only
    bool ok() const { return errors.isEmpty(); }
};

/// Reads \a text over \a start (a new codeplug or the user's base).
ImportResult importYaml(const QByteArray &text, const CodeplugData &start,
                        const ImportOptions &options = {});

/// "line 12, channels.3.receive: not a frequency in MHz ...: 4x6" in
/// \a lang (the command line passes English).
QString describeError(const ImportError &error, const text::TAppLang &lang);

/// Whether a path names a file of this kind (.yaml or .yml).
bool isYamlPath(const QString &path);

} // namespace t880::codeplugyaml
