#include "cli/showcodeplug.h"

#include "codeplug/tonecodec.h"
#include "text/codepage.h"

#include <QJsonArray>

namespace t880::cli {

namespace {

using codec::formatFrequency;
using codec::formatTone;

struct Named
{
    int value;
    const char *text;
};

// Names of enumerated values; a value the table does not know (a foreign
// file's) is shown as its number.
QString named(std::initializer_list<Named> names, std::uint32_t value)
{
    for (const Named &n : names) {
        if (std::uint32_t(n.value) == value)
            return QString::fromLatin1(n.text);
    }
    return QStringLiteral("unknown (%1)").arg(value);
}

QString onOff(std::uint32_t v)
{
    return named({{0, "Off"}, {1, "On"}}, v);
}

QString squelchModeText(std::uint32_t v)
{
    return named({{0, "Carrier"},
                  {1, "DTMF"},
                  {2, "CTC/DCS"},
                  {3, "DTMF and CTC/DCS"},
                  {4, "DTMF or CTC/DCS"}},
                 v);
}

QString sideKeyText(std::uint32_t v)
{
    return named({{0, "Unassigned"},
                  {2, "Monitor"},
                  {3, "Monitor Momentary"},
                  {8, "Scan"},
                  {24, "Radio"},
                  {25, "Alarm"}},
                 v);
}

QString orOff(std::uint32_t v, const char *unit)
{
    return v == 0 ? QStringLiteral("Off") : QStringLiteral("%1 %2").arg(v).arg(QLatin1String(unit));
}

QString settingText(const CodeplugData &d, Setting s)
{
    const std::uint32_t v = d.setting(s);
    switch (s) {
    case Setting::voice:
        return named({{0, "Off"}, {1, "Chinese"}, {2, "English"}}, v);
    case Setting::squelchMode:
        return squelchModeText(v);
    case Setting::subaudioTail:
        return named({{1, "180 degree phase"}, {2, "120 degree phase"}, {3, "55 Hz"}}, v);
    case Setting::voxDelay:
        return QStringLiteral("%1 ms").arg(v);
    case Setting::tot:
    case Setting::toa:
        return orOff(v, "s");
    case Setting::autoPowerOff:
        return orOff(v, "min");
    case Setting::scanResume:
        return named({{0, "Time"}, {1, "Carrier"}, {2, "Seek"}}, v);
    case Setting::priorityScan:
        return v == 0 ? QStringLiteral("Off") : QStringLiteral("channel %1").arg(v);
    case Setting::batterySaveRate:
        return QStringLiteral("1:%1").arg(v);
    case Setting::voxGain:
        return v == 0 ? QStringLiteral("Off") : QString::number(v);
    case Setting::tone1750Hold:
        return QStringLiteral("%1 s").arg(v);
    case Setting::dtmfEncodeMode:
        return named({{1, "Begin"}, {2, "End"}, {3, "Both Begin and End"}}, v);
    case Setting::dtmfDigitSpeed:
    case Setting::dtmfPauseDuration:
    case Setting::dtmfFirstDelay:
    case Setting::dtmfPretime:
    case Setting::dtmfStarHashDelay:
        return QStringLiteral("%1 ms").arg(v);
    case Setting::groupCode:
        return named({{0, "Off"}, {10, "A"}, {11, "B"}, {12, "C"}, {13, "D"}, {14, "*"}, {15, "#"}},
                     v);
    case Setting::autoResetTime:
        return orOff(v, "s");
    case Setting::dizzyState:
        return named({{0, "Revive"}, {1, "Remote Kill"}, {2, "Remote Stun"}}, v);
    case Setting::alarmMode:
        return named({{1, "Local Alarm"}, {2, "Encoding Alarm"}, {3, "Both Local and Encoding"}},
                     v);
    case Setting::autoConnectPos:
        return named({{0, "Master"}, {1, "Slave"}}, v);
    case Setting::masterTxPeriod:
    case Setting::slaveTimeout:
    case Setting::slaveAlarmPeriod:
        return QStringLiteral("%1 s").arg(v);
    case Setting::key1Short:
    case Setting::key1Long:
    case Setting::key2Short:
    case Setting::key2Long:
        return sideKeyText(v);
    case Setting::voxCtrl:
    case Setting::keyPressBeep:
    case Setting::batterySave:
    case Setting::channelReport:
    case Setting::tone1750Ctrl:
    case Setting::dtmfSideTone:
    case Setting::dtmfControl:
    case Setting::sendAni:
    case Setting::limited:
    case Setting::whisper:
    case Setting::refuseAlarm:
    case Setting::autoConnect:
    case Setting::powerOnBeep:
    case Setting::writeNewPassword:
        return onOff(v);
    default:
        return QString::number(v);
    }
}

QString busyLockText(int v)
{
    return named({{0, "Off"}, {2, "CAT"}}, std::uint32_t(v));
}

QString toneText(Tone t)
{
    const QString text = formatTone(t.value, t.type);
    return text.isEmpty() ? QStringLiteral("type %1 value %2").arg(t.type).arg(t.value) : text;
}

QJsonObject toneJson(Tone t)
{
    return QJsonObject{{QStringLiteral("type"), t.type},
                       {QStringLiteral("value"), t.value},
                       {QStringLiteral("text"), formatTone(t.value, t.type)}};
}

QString hex(const std::uint8_t *p, int n)
{
    return QByteArray(reinterpret_cast<const char *>(p), n).toHex(' ');
}

// Digit codes as stored: a foreign file may hold codes above 15 or a count
// above 10, which the text shows only as '?'.
QJsonArray digitsJson(const std::uint8_t *digits)
{
    QJsonArray a;
    for (int i = 0; i < DtmfCode::MaxDigits; ++i)
        a.append(digits[i]);
    return a;
}

bool digitsInRange(const std::uint8_t *digits, int count)
{
    if (count > DtmfCode::MaxDigits)
        return false;
    for (int i = 0; i < count; ++i) {
        if (digits[i] > 15)
            return false;
    }
    return true;
}

// The text of a code, with the stored numbers beside it when the text
// cannot show them.
QString codeText(const QByteArray &text, const std::uint8_t *digits, int count)
{
    QString s = QString::fromLatin1(text);
    if (digitsInRange(digits, count))
        return s;
    QStringList numbers;
    for (int i = 0; i < DtmfCode::MaxDigits; ++i)
        numbers << QString::number(digits[i]);
    return s + QStringLiteral(" (digits %1, count %2)").arg(numbers.join(u' ')).arg(count);
}

const char *const kSections[] = {"Function settings", "DTMF settings", "DTMF remote control",
                                 "Side keys", "Device"};

} // namespace

QString codeplugText(const CodeplugData &d)
{
    QString s;
    QTextStream o(&s);
    o << "Channels\n";
    o << QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 %9 ")
             .arg(QStringLiteral("Ch"), 2)
             .arg(QStringLiteral("Used"), -4)
             .arg(QStringLiteral("RX freq"), -9)
             .arg(QStringLiteral("TX freq"), -9)
             .arg(QStringLiteral("Decode"), -7)
             .arg(QStringLiteral("Encode"), -7)
             .arg(QStringLiteral("Power"), -5)
             .arg(QStringLiteral("Band"), -6)
             .arg(QStringLiteral("Scan"), -4)
      << QStringLiteral("%1 %2 %3 %4\n")
             .arg(QStringLiteral("BusyLock"), -8)
             .arg(QStringLiteral("Squelch"), -16)
             .arg(QStringLiteral("DTMF"), -4)
             .arg(QStringLiteral("Name"));
    for (int n = 1; n <= CodeplugData::Channels; ++n) {
        const ChannelRecord r = d.channel(n);
        if (!d.isChannelUsed(n)) {
            o << QStringLiteral("%1 no\n").arg(n, 2);
            continue;
        }
        o << QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 %9 ")
                 .arg(n, 2)
                 .arg(QStringLiteral("yes"), -4)
                 .arg(formatFrequency(r.rxFreq()), -9)
                 .arg(formatFrequency(r.txFreq()), -9)
                 .arg(toneText(r.rxTone()), -7)
                 .arg(toneText(r.txTone()), -7)
                 .arg(r.highPower() ? QStringLiteral("High") : QStringLiteral("Low"), -5)
                 .arg(r.wide() ? QStringLiteral("Wide") : QStringLiteral("Narrow"), -6)
                 .arg(r.scanAdd() ? QStringLiteral("yes") : QStringLiteral("no"), -4)
          << QStringLiteral("%1 %2 %3 %4\n")
                 .arg(busyLockText(r.busyLock()), -8)
                 .arg(squelchModeText(std::uint32_t(r.squelchMode())), -16)
                 .arg(r.dtmfFlag() ? QStringLiteral("yes") : QStringLiteral("no"), -4)
                 .arg(text::decodeGbk(r.name()));
    }

    for (int g = 0; g < int(std::size(kSections)); ++g) {
        o << '\n' << kSections[g] << '\n';
        for (const SettingInfo &info : settingTable()) {
            if (int(info.group) == g)
                o << QStringLiteral("  %1 %2\n")
                         .arg(QLatin1String(info.name) + u':', -20)
                         .arg(settingText(d, info.id));
        }
        if (g == int(SettingGroup::R)) {
            for (const CodeFieldInfo &c : codeFieldTable()) {
                const DtmfCode code = d.code(c.id);
                o << QStringLiteral("  %1 %2\n")
                         .arg(QLatin1String(c.name) + u':', -20)
                         .arg(codeText(code.text(), code.raw.data(), code.count()));
            }
        }
        if (g == int(SettingGroup::V)) {
            for (const TextFieldInfo &t : textFieldTable())
                o << QStringLiteral("  %1 %2\n")
                         .arg(QLatin1String(t.name) + u':', -20)
                         .arg(text::decodeGbk(d.text(t.id)));
        }
    }

    o << "\nAddress book\n";
    bool any = false;
    for (int n = 1; n <= CodeplugData::AddressBookEntries; ++n) {
        if (!d.isAddressBookEntryUsed(n))
            continue;
        const AddressBookEntry e = d.addressBookEntry(n);
        o << QStringLiteral("  %1 %2 %3\n")
                 .arg(n, 2)
                 .arg(codeText(e.number(), e.raw.data(), e.digitCount()), -10)
                 .arg(text::decodeGbk(e.name()));
        any = true;
    }
    if (!any)
        o << "  (empty)\n";
    return s;
}

QJsonObject codeplugJson(const CodeplugData &d)
{
    QJsonObject root;
    QJsonArray channels;
    for (int n = 1; n <= CodeplugData::Channels; ++n) {
        const ChannelRecord r = d.channel(n);
        channels.append(QJsonObject{
            {QStringLiteral("number"), n},
            {QStringLiteral("used"), d.isChannelUsed(n)},
            {QStringLiteral("rxFreq"), qint64(r.rxFreq())},
            {QStringLiteral("rxFreqText"), formatFrequency(r.rxFreq())},
            {QStringLiteral("txFreq"), qint64(r.txFreq())},
            {QStringLiteral("txFreqText"), formatFrequency(r.txFreq())},
            {QStringLiteral("rxTone"), toneJson(r.rxTone())},
            {QStringLiteral("txTone"), toneJson(r.txTone())},
            {QStringLiteral("highPower"), r.highPower()},
            {QStringLiteral("wide"), r.wide()},
            {QStringLiteral("scanAdd"), r.scanAdd()},
            {QStringLiteral("busyLock"), r.busyLock()},
            {QStringLiteral("squelchMode"), r.squelchMode()},
            {QStringLiteral("dtmfFlag"), r.dtmfFlag()},
            {QStringLiteral("name"), text::decodeGbk(r.name())},
            {QStringLiteral("optionA"), r.optionA()},
            {QStringLiteral("optionB"), r.optionB()},
            {QStringLiteral("spare1"), r.raw[ChannelRecord::Offset::spare1]},
            {QStringLiteral("spare2"), r.raw[ChannelRecord::Offset::spare2]},
        });
    }
    root.insert(QStringLiteral("channels"), channels);

    for (const SettingInfo &info : settingTable())
        root.insert(QLatin1String(info.name), qint64(d.setting(info.id)));
    for (const CodeFieldInfo &c : codeFieldTable()) {
        const DtmfCode code = d.code(c.id);
        root.insert(QLatin1String(c.name),
                    QJsonObject{{QStringLiteral("text"), QString::fromLatin1(code.text())},
                                {QStringLiteral("count"), code.count()},
                                {QStringLiteral("digits"), digitsJson(code.raw.data())}});
    }
    for (const TextFieldInfo &t : textFieldTable())
        root.insert(QLatin1String(t.name), text::decodeGbk(d.text(t.id)));

    QJsonArray book;
    for (int n = 1; n <= CodeplugData::AddressBookEntries; ++n) {
        const AddressBookEntry e = d.addressBookEntry(n);
        book.append(QJsonObject{{QStringLiteral("number"), n},
                                {QStringLiteral("used"), d.isAddressBookEntryUsed(n)},
                                {QStringLiteral("callNumber"), QString::fromLatin1(e.number())},
                                {QStringLiteral("digitCount"), e.digitCount()},
                                {QStringLiteral("digits"), digitsJson(e.raw.data())},
                                {QStringLiteral("name"), text::decodeGbk(e.name())}});
    }
    root.insert(QStringLiteral("addressBook"), book);
    root.insert(QStringLiteral("channelUsedMask"),
                hex(&d.bytes()[CodeplugData::Offset::channelUsedMask], 16));
    root.insert(QStringLiteral("addressBookUsedMask"),
                hex(&d.bytes()[CodeplugData::Offset::addressBookUsedMask], 3));
    return root;
}

} // namespace t880::cli
