#include "codeplug/codeplugdiff.h"

#include "codeplug/channeledit.h"
#include "text/applang.h"
#include "text/codepage.h"

#include <map>

namespace t880 {

namespace {

// Main-table texts of the grid: "NO." then the eight column headers.
constexpr int kColumnHeaderText = 15;
constexpr int kNameText = 24;
constexpr int kSquelchModeText = 45;
constexpr int kFirstSquelchModeText = 76; // 76 Carrier .. 80 DTMF or CTC/DCS
constexpr int kDtmfText = 77;
constexpr int kAddressBookText = 144;

// Settings with a label of their own in the window's table.
const std::map<Setting, int> &settingLabels()
{
    static const std::map<Setting, int> labels = {
        {Setting::sql, 44},          {Setting::squelchMode, 45}, {Setting::voxGain, 46},
        {Setting::voxDelay, 47},     {Setting::tot, 48},         {Setting::toa, 49},
        {Setting::tone1750Hold, 53}, {Setting::scanResume, 54},  {Setting::priorityScan, 55},
        {Setting::autoPowerOff, 63}, {Setting::whisper, 67},     {Setting::keyPressBeep, 68},
        {Setting::batterySave, 70},  {Setting::voice, 213},      {Setting::powerOnBeep, 225},
    };
    return labels;
}

void add(std::vector<DiffEntry> &out, int channel, int label, const QString &name,
         const QString &before, int beforeNumber, const QString &after, int afterNumber)
{
    if (before == after && beforeNumber == afterNumber)
        return;
    out.push_back({channel, 0, label, name, before, beforeNumber, after, afterNumber});
}

QString squelchModeName(int mode)
{
    return QString::number(mode);
}

int squelchModeText(int mode)
{
    return mode >= 0 && mode <= 4 ? kFirstSquelchModeText + mode : -1;
}

void diffChannel(std::vector<DiffEntry> &out, const CodeplugData &a, const CodeplugData &b, int n)
{
    using namespace channeledit;
    const auto ca = rowTexts(a, n);
    const auto cb = rowTexts(b, n);
    static const char *const kColumnNames[] = {"",      "rxFreq",    "txFreq", "rxTone",  "txTone",
                                               "power", "bandwidth", "scan",   "busyLock"};
    for (int col = RxFreqColumn; col < ColumnCount; ++col)
        add(out, n, kColumnHeaderText + col, QLatin1String(kColumnNames[col]),
            ca[std::size_t(col)].text, ca[std::size_t(col)].textNumber, cb[std::size_t(col)].text,
            cb[std::size_t(col)].textNumber);
    const bool usedA = a.isChannelUsed(n);
    const bool usedB = b.isChannelUsed(n);
    const ChannelRecord ra = a.channel(n);
    const ChannelRecord rb = b.channel(n);
    // The fields the grid does not show count only for a channel in use.
    const QString nameA = usedA ? text::decodeGbk(ra.name()) : QString();
    const QString nameB = usedB ? text::decodeGbk(rb.name()) : QString();
    add(out, n, kNameText, QStringLiteral("name"), nameA, -1, nameB, -1);
    add(out, n, kSquelchModeText, QStringLiteral("squelchMode"),
        usedA ? squelchModeName(ra.squelchMode()) : QString(),
        usedA ? squelchModeText(ra.squelchMode()) : -1,
        usedB ? squelchModeName(rb.squelchMode()) : QString(),
        usedB ? squelchModeText(rb.squelchMode()) : -1);
    add(out, n, kDtmfText, QStringLiteral("dtmfFlag"),
        usedA ? QString::number(int(ra.dtmfFlag())) : QString(), -1,
        usedB ? QString::number(int(rb.dtmfFlag())) : QString(), -1);
}

} // namespace

std::vector<DiffEntry> diffCodeplugs(const CodeplugData &before, const CodeplugData &after)
{
    std::vector<DiffEntry> out;
    for (int n = 1; n <= 16; ++n)
        diffChannel(out, before, after, n);
    for (const SettingInfo &s : settingTable()) {
        const auto label = settingLabels().find(s.id);
        add(out, 0, label == settingLabels().end() ? -1 : label->second, QLatin1String(s.name),
            QString::number(before.setting(s.id)), -1, QString::number(after.setting(s.id)), -1);
    }
    for (const TextFieldInfo &f : textFieldTable())
        add(out, 0, -1, QLatin1String(f.name), QString::fromLatin1(before.text(f.id).toHex(' ')),
            -1, QString::fromLatin1(after.text(f.id).toHex(' ')), -1);
    for (const CodeFieldInfo &f : codeFieldTable())
        add(out, 0, -1, QLatin1String(f.name), QString::fromLatin1(before.code(f.id).text()), -1,
            QString::fromLatin1(after.code(f.id).text()), -1);
    for (int n = 1; n <= CodeplugData::AddressBookEntries; ++n) {
        const auto texts = [n](const CodeplugData &d) {
            if (!d.isAddressBookEntryUsed(n))
                return std::pair<QString, QString>();
            const AddressBookEntry e = d.addressBookEntry(n);
            return std::pair(QString::fromLatin1(e.number()), text::decodeGbk(e.name()));
        };
        const auto [numberA, nameA] = texts(before);
        const auto [numberB, nameB] = texts(after);
        const std::size_t first = out.size();
        add(out, 0, kAddressBookText, QStringLiteral("addressBook"), numberA, -1, numberB, -1);
        add(out, 0, kNameText, QStringLiteral("name"), nameA, -1, nameB, -1);
        for (std::size_t i = first; i < out.size(); ++i)
            out[i].addressEntry = n;
    }
    return out;
}

QString diffLabel(const DiffEntry &e, const text::TAppLang &lang)
{
    if (e.labelNumber >= 0) {
        const QString t = lang.text(text::TextTable::Main, e.labelNumber);
        if (!t.isEmpty())
            return t;
    }
    return e.label;
}

QString diffValue(const QString &text, int textNumber, const text::TAppLang &lang)
{
    const QString t = textNumber >= 0 ? lang.text(text::TextTable::Main, textNumber) : text;
    return t.isEmpty() ? QStringLiteral("-") : t;
}

QString diffLine(const DiffEntry &e, const text::TAppLang &lang)
{
    QString line;
    if (e.channel > 0)
        line = QStringLiteral("CH%1 ").arg(e.channel, 2, 10, QLatin1Char('0'));
    else if (e.addressEntry > 0)
        line = QStringLiteral("AB%1 ").arg(e.addressEntry, 2, 10, QLatin1Char('0'));
    return line + diffLabel(e, lang) + u' ' + diffValue(e.oldText, e.oldTextNumber, lang) +
           QStringLiteral(" -> ") + diffValue(e.newText, e.newTextNumber, lang);
}

} // namespace t880
