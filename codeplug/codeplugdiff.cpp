#include "codeplug/codeplugdiff.h"

#include "codeplug/channeledit.h"
#include "text/applang.h"
#include "text/codepage.h"
#include "text/textnames.h"

#include <map>

namespace t880 {

namespace {

// Every setting's name: the option pages' labels where the window shows the
// setting, the radio's own menu names for the rest.
const std::map<Setting, int> &settingLabels()
{
    static const std::map<Setting, int> labels = {
        {Setting::voice, text::MainText::Voice},
        {Setting::sql, text::MainText::Sql},
        {Setting::squelchMode, text::MainText::SquelchMode},
        {Setting::subaudioTail, text::MainText::TailSuppression},
        {Setting::voxCtrl, text::MainText::VoxOnOff},
        {Setting::voxGain, text::MainText::VoxGain},
        {Setting::voxDelay, text::MainText::VoxDelay},
        {Setting::tot, text::MainText::Tot},
        {Setting::toa, text::MainText::Toa},
        {Setting::scanResume, text::MainText::ScanResume},
        {Setting::priorityScan, text::MainText::PriorityScan},
        {Setting::keyPressBeep, text::MainText::KeyBeep},
        {Setting::batterySave, text::MainText::BatterySave},
        {Setting::batterySaveRate, text::MainText::SavingRate},
        {Setting::autoPowerOff, text::MainText::Apo},
        {Setting::channelReport, text::MainText::ChannelReport},
        {Setting::tone1750Ctrl, text::MainText::Tone1750Burst},
        {Setting::tone1750Hold, text::MainText::Tone1750Hold},
        {Setting::whisper, text::MainText::Whisper},
        {Setting::alarmMode, text::MainText::AlarmMode},
        {Setting::refuseAlarm, text::MainText::RefuseAlarm},
        {Setting::autoConnect, text::MainText::AutoConnect},
        {Setting::autoConnectPos, text::MainText::AutoConnectPos},
        {Setting::masterTxPeriod, text::MainText::MasterTxPeriod},
        {Setting::slaveTimeout, text::MainText::SlaveTimeout},
        {Setting::slaveAlarmPeriod, text::MainText::SlaveAlarmPeriod},
        {Setting::powerOnBeep, text::MainText::PowerOnBeep},
        {Setting::dtmfId, text::MainText::DtmfId},
        {Setting::dtmfGroup, text::MainText::DtmfGroup},
        {Setting::dtmfEncodeMode, text::MainText::EncodeMode},
        {Setting::dtmfSideTone, text::MainText::SideTone},
        {Setting::dtmfControl, text::MainText::DtmfOnOff},
        {Setting::dtmfDigitSpeed, text::MainText::DigitSpeed},
        {Setting::dtmfPauseDuration, text::MainText::PauseDuration},
        {Setting::dtmfFirstDelay, text::MainText::FirstDelay},
        {Setting::dtmfPretime, text::MainText::Pretime},
        {Setting::dtmfStarHashDelay, text::MainText::StarHashDelay},
        {Setting::groupCode, text::MainText::GroupCode},
        {Setting::autoResetTime, text::MainText::AutoResetTime},
        {Setting::sendAni, text::MainText::SendAni},
        {Setting::limited, text::MainText::Limited},
        {Setting::dizzyState, text::MainText::Status},
        {Setting::key1Short, text::MainText::SideKey},
        {Setting::key1Long, text::MainText::SideKeyLong},
        {Setting::key2Short, text::MainText::FuncKey},
        {Setting::key2Long, text::MainText::FuncKeyLong},
        {Setting::writeNewPassword, text::MainText::WriteWithNewPassword},
    };
    return labels;
}

} // namespace

int settingLabel(Setting s)
{
    const auto label = settingLabels().find(s);
    return label == settingLabels().end() ? -1 : label->second;
}

int textFieldLabel(TextField f)
{
    switch (f) {
    case TextField::deviceSerial:
        return text::MainText::SerialNumber;
    case TextField::radioPassword:
        return text::MainText::PasswordTitle;
    case TextField::newRadioPassword:
        return text::MainText::NewPassword;
    case TextField::firmwareVersion:
        return text::MainText::FirmwareVersion;
    case TextField::Count:
        break;
    }
    return -1;
}

// The labels of the remote-control codes follow the numbers in every
// language, as the options page's do (the Chinese tables name kill and stun
// the other way round from the English one).
int codeFieldLabel(CodeField f)
{
    switch (f) {
    case CodeField::dizzyCode:
        return text::MainText::RemoteKill;
    case CodeField::stunCode:
        return text::MainText::RemoteStun;
    case CodeField::activationCode:
        return text::MainText::Revive;
    case CodeField::pttIdCode:
        return text::MainText::PttId;
    case CodeField::aniCode:
        return text::MainText::Ani;
    case CodeField::Count:
        break;
    }
    return -1;
}

namespace {

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
    // The five squelch modes' texts follow one another from Carrier.
    return mode >= 0 && mode <= 4 ? text::MainText::Carrier + mode : -1;
}

void diffChannel(std::vector<DiffEntry> &out, const CodeplugData &a, const CodeplugData &b, int n)
{
    using namespace channeledit;
    const auto ca = rowTexts(a, n);
    const auto cb = rowTexts(b, n);
    static const char *const kColumnNames[] = {"",      "rxFreq",    "txFreq", "rxTone",  "txTone",
                                               "power", "bandwidth", "scan",   "busyLock"};
    for (int col = RxFreqColumn; col < ColumnCount; ++col)
        add(out, n, text::MainText::NumberColumn + col, QLatin1String(kColumnNames[col]),
            ca[std::size_t(col)].text, ca[std::size_t(col)].textNumber, cb[std::size_t(col)].text,
            cb[std::size_t(col)].textNumber);
    const bool usedA = a.isChannelUsed(n);
    const bool usedB = b.isChannelUsed(n);
    const ChannelRecord ra = a.channel(n);
    const ChannelRecord rb = b.channel(n);
    // The fields the grid does not show count only for a channel in use.
    const QString nameA = usedA ? text::decodeGbk(ra.name()) : QString();
    const QString nameB = usedB ? text::decodeGbk(rb.name()) : QString();
    add(out, n, text::MainText::NameColumn, QStringLiteral("name"), nameA, -1, nameB, -1);
    add(out, n, text::MainText::SquelchMode, QStringLiteral("squelchMode"),
        usedA ? squelchModeName(ra.squelchMode()) : QString(),
        usedA ? squelchModeText(ra.squelchMode()) : -1,
        usedB ? squelchModeName(rb.squelchMode()) : QString(),
        usedB ? squelchModeText(rb.squelchMode()) : -1);
    add(out, n, text::MainText::Dtmf, QStringLiteral("dtmfFlag"),
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
        add(out, 0, settingLabel(s.id), QLatin1String(s.name),
            QString::number(before.setting(s.id)), -1, QString::number(after.setting(s.id)), -1);
    }
    for (const TextFieldInfo &f : textFieldTable())
        add(out, 0, textFieldLabel(f.id), QLatin1String(f.name),
            QString::fromLatin1(before.text(f.id).toHex(' ')), -1,
            QString::fromLatin1(after.text(f.id).toHex(' ')), -1);
    for (const CodeFieldInfo &f : codeFieldTable())
        add(out, 0, codeFieldLabel(f.id), QLatin1String(f.name),
            QString::fromLatin1(before.code(f.id).text()), -1,
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
        add(out, 0, text::MainText::AddressBook, QStringLiteral("addressBook"), numberA, -1,
            numberB, -1);
        add(out, 0, text::MainText::NameColumn, QStringLiteral("name"), nameA, -1, nameB, -1);
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

QString diffField(const DiffEntry &e, const text::TAppLang &lang)
{
    QString prefix;
    if (e.channel > 0)
        prefix = channelLabel(e.channel, lang) + u' ';
    else if (e.addressEntry > 0)
        prefix = lang.text(text::TextTable::Main, text::MainText::AddressEntryLabel)
                     .arg(e.addressEntry, 2, 10, QLatin1Char('0')) +
                 u' ';
    return prefix + diffLabel(e, lang);
}

QString diffLine(const DiffEntry &e, const text::TAppLang &lang)
{
    return diffField(e, lang) + u' ' + diffValue(e.oldText, e.oldTextNumber, lang) +
           QStringLiteral(" -> ") + diffValue(e.newText, e.newTextNumber, lang);
}

QString channelLabel(int channel, const text::TAppLang &lang)
{
    return lang.text(text::TextTable::Main, text::MainText::ChannelLabel)
        .arg(channel, 2, 10, QLatin1Char('0'));
}

} // namespace t880
