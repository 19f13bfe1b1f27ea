// What differs between two codeplugs, channel by channel and setting by
// setting, in the words the window uses: the channel grid's column headers
// and cell texts, the settings' labels. The entries carry text numbers, so
// that the window shows them in the user's language and the command line
// in English.
#pragma once

#include "codeplug/codeplugdata.h"

#include <QString>

#include <vector>

namespace t880 {

namespace text {
class TAppLang;
}

struct DiffEntry
{
    int channel = 0;        ///< 1..16, or 0 for a setting of the radio
    int addressEntry = 0;   ///< 1..16 for an entry of the address book
    int labelNumber = -1;   ///< main-table text naming the field
    QString label;          ///< the field's name in the code, for scripts (t880 diff --json)
    QString oldText;        ///< the value in the first codeplug; empty for a channel not in use
    int oldTextNumber = -1; ///< when >= 0, the main-table text that replaces oldText
    QString newText;
    int newTextNumber = -1;
};

/// Every difference from \a before to \a after: the 16 channels in order
/// (the grid's eight columns, then name, squelch mode and DTMF flag), then
/// the settings, passwords and texts, the DTMF codes, the address book's
/// entries (number and name). Names are shown as text. Empty when the two
/// hold the same for all of them.
std::vector<DiffEntry> diffCodeplugs(const CodeplugData &before, const CodeplugData &after);

/// The main-table numbers of the texts naming a setting, a text field and a
/// DTMF code (the window's labels); -1 for none.
int settingLabel(Setting s);
int textFieldLabel(TextField f);
int codeFieldLabel(CodeField f);

/// The field's name in \a lang.
QString diffLabel(const DiffEntry &entry, const text::TAppLang &lang);
/// One value in \a lang ("-" for nothing).
QString diffValue(const QString &text, int textNumber, const text::TAppLang &lang);
/// The field with its channel or address book entry ("CH05 TX Freq.",
/// "AB03 Name", "TOT(S)") in \a lang.
QString diffField(const DiffEntry &entry, const text::TAppLang &lang);
/// "CH05 TX Freq. 446.00625 -> 446.01875", "TOT(S) 180 -> 60" or
/// "AB03 Name BASE -> -" in \a lang.
QString diffLine(const DiffEntry &entry, const text::TAppLang &lang);
/// "CH05" in \a lang, for channel \a channel (1..16).
QString channelLabel(int channel, const text::TAppLang &lang);

} // namespace t880
