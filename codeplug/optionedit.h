// How the radio-wide settings are edited from the window's option and key
// pages: which list item shows a stored value, which value an item stands
// for, the key-function lists, and the rules of the DTMF code editors. Kept
// apart from any widget so the window, the command line and the tests all
// decide a value through the same functions.
#pragma once

#include "codeplug/codeplugdata.h"

#include <QChar>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

namespace t880::optionedit {

/// Looks up entry n of the main text table in the current language.
using TextLookup = std::function<QString(int)>;

/// The drop-down lists of the options page and the setting each one edits.
enum class OptionList : int { Sql, Tot, Toa, Voice, SavingRate, DizzyState, Count };

/// The setting behind a list.
Setting listSetting(OptionList list);

/// The list's items in order, in the language \a text speaks.
QStringList listItems(OptionList list, const TextLookup &text);

/// The item that shows \a value, or -1 when no item stands for it (a time-out
/// that is not a multiple of 15, a rate of 0, a value from a foreign file).
int shownIndex(OptionList list, std::uint32_t value);

/// The value that item \a index stands for; nothing for an index outside the
/// list (no selection), so the field keeps its own value.
std::optional<std::uint32_t> valueOfItem(OptionList list, int index);

/// Stores item \a index of \a list into the codeplug. Returns false, and
/// leaves the field as it was, for an index outside the list.
bool commitItem(CodeplugData &codeplug, OptionList list, int index);

// --- key functions -------------------------------------------------------------

/// A key function: its code in the codeplug and the number of its text.
struct KeyFunction
{
    int code;
    int textNumber;
};

/// List A, offered for the side key: every function, the FM radio included.
const std::vector<KeyFunction> &keyFunctionsA();
/// List B, offered for the function key: list A without the FM radio.
const std::vector<KeyFunction> &keyFunctionsB();

/// The first entry of \a list whose code is \a code, or -1.
int keyIndex(const std::vector<KeyFunction> &list, std::uint32_t code);

/// The code stored for a key whose list shows \a shownText: the first entry
/// of \a listA whose text (in the language \a text speaks) is the same.
/// Nothing when no entry has that text.
std::optional<int> keyCodeForText(const std::vector<KeyFunction> &listA, const QString &shownText,
                                  const TextLookup &text);

// --- check boxes -----------------------------------------------------------------

/// The check boxes of the option page and the setting each one edits.
enum class OptionCheck : int { KeyBeep, BatterySave, SideTone, SendAni, Count };

Setting checkSetting(OptionCheck check);
/// Whether the box shows checked for \a value: 1 for most boxes, any value
/// but 0 for "Send ANI".
bool shownChecked(OptionCheck check, std::uint32_t value);

// --- DTMF codes --------------------------------------------------------------------

/// The most characters a code editor holds.
constexpr int MaxCodeText = DtmfCode::MaxDigits;

/// The code editor's key filter: what a typed character becomes, or nothing
/// when it cannot be typed. Control characters and delete pass; 0-9, *, #
/// and A-D are kept; a-d become capitals. Every other character, letters
/// outside ASCII included, is refused: it would be stored as a digit code
/// the radio cannot dial.
std::optional<QChar> filterCodeKey(QChar c);

/// A text put into a code editor some other way than by typing (pasting,
/// dropping): every character through the key filter, control characters
/// dropped too, then cut to the editor's length.
QString filterCodeText(const QString &text);

/// The text a code editor shows: one character per stored digit, at most
/// ten (a foreign file may hold a larger count). Digit codes above 15, from
/// a foreign file, show as the character 48 + code; the window stores a code
/// again only when its text was changed, so such a code stays as it is.
QString codeText(const DtmfCode &code);

/// The code for an editor's text: the count is the text's length (at most
/// ten characters are taken), the digit codes follow the text and the rest
/// are zero. "#" is 15, "*" 14, "A".."D" 10..13, any other character its
/// code + 208 kept to 8 bits ("0".."9" give 0..9).
DtmfCode codeFromText(const QString &text);

} // namespace t880::optionedit
