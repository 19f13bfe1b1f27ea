#include "codeplug/codeplugcheck.h"

#include <algorithm>
#include <initializer_list>

namespace t880 {

namespace {

bool oneOf(std::uint32_t v, std::initializer_list<std::uint32_t> values)
{
    return std::find(values.begin(), values.end(), v) != values.end();
}

bool within(std::uint32_t v, std::uint32_t low, std::uint32_t high, std::uint32_t step = 1)
{
    return v >= low && v <= high && (v - low) % step == 0;
}

} // namespace

bool settingInRange(Setting s, std::uint32_t v)
{
    switch (s) {
    case Setting::voice:
    case Setting::scanResume:
    case Setting::dizzyState:
        return v <= 2;
    case Setting::sql:
    case Setting::voxGain:
        return v <= 9;
    case Setting::squelchMode:
        return v <= 4;
    case Setting::subaudioTail:
    case Setting::dtmfEncodeMode:
    case Setting::alarmMode:
        return within(v, 1, 3);
    case Setting::voxDelay:
        return within(v, 500, 3000, 500);
    case Setting::tot:
        return v == 0 || within(v, 15, 600, 15);
    case Setting::toa:
        return v <= 10;
    case Setting::batterySaveRate:
        return within(v, 1, 10);
    case Setting::priorityScan:
        return v <= 16;
    case Setting::autoPowerOff:
        return oneOf(v, {0, 10, 30, 60, 120});
    case Setting::tone1750Hold:
        return within(v, 1, 5);
    case Setting::dtmfId:
        return within(v, 1, 999);
    case Setting::dtmfGroup:
        return within(v, 1, 99);
    case Setting::dtmfDigitSpeed:
    case Setting::dtmfPauseDuration:
        return within(v, 50, 200, 10);
    case Setting::dtmfFirstDelay:
        return within(v, 0, 500, 50);
    case Setting::dtmfPretime:
        return within(v, 100, 1000, 100);
    case Setting::dtmfStarHashDelay:
        return within(v, 0, 400, 50);
    case Setting::groupCode:
        return v == 0 || within(v, 10, 15);
    case Setting::autoResetTime:
        return v <= 255;
    case Setting::autoConnectPos:
        return v <= 1;
    case Setting::masterTxPeriod:
    case Setting::slaveTimeout:
        return within(v, 5, 60);
    case Setting::slaveAlarmPeriod:
        return within(v, 2, 30);
    case Setting::key1Short:
    case Setting::key1Long:
    case Setting::key2Short:
    case Setting::key2Long:
        return oneOf(v, {0, 2, 3, 8, 24, 25});
    case Setting::voxCtrl:
    case Setting::keyPressBeep:
    case Setting::batterySave:
    case Setting::channelReport:
    case Setting::tone1750Ctrl:
    case Setting::whisper:
    case Setting::refuseAlarm:
    case Setting::autoConnect:
    case Setting::powerOnBeep:
    case Setting::dtmfSideTone:
    case Setting::dtmfControl:
    case Setting::sendAni:
    case Setting::limited:
    case Setting::writeNewPassword:
        return v <= 1;
    case Setting::Count:
        break;
    }
    return true;
}

std::vector<RangeProblem> rangeProblems(const CodeplugData &data)
{
    std::vector<RangeProblem> out;
    for (const SettingInfo &info : settingTable()) {
        const std::uint32_t v = data.setting(info.id);
        if (!settingInRange(info.id, v))
            out.push_back({QString::fromLatin1(info.name), qint64(v)});
    }
    for (const CodeFieldInfo &info : codeFieldTable()) {
        const DtmfCode code = data.code(info.id);
        const QString name = QString::fromLatin1(info.name);
        if (code.count() > DtmfCode::MaxDigits)
            out.push_back({name + QStringLiteral(".count"), code.count()});
        for (int i = 0; i < std::min(code.count(), int(DtmfCode::MaxDigits)); ++i) {
            if (code.raw[std::size_t(i)] > 15)
                out.push_back(
                    {name + QStringLiteral(".digit%1").arg(i + 1), code.raw[std::size_t(i)]});
        }
    }
    for (int n = 1; n <= 16; ++n) {
        if (!data.isChannelUsed(n))
            continue;
        const ChannelRecord ch = data.channel(n);
        const QString name = QStringLiteral("channel%1.").arg(n);
        if (ch.squelchMode() > 4)
            out.push_back({name + QStringLiteral("squelchMode"), ch.squelchMode()});
        if (ch.rxTone().type > 3)
            out.push_back({name + QStringLiteral("rxToneType"), ch.rxTone().type});
        if (ch.txTone().type > 3)
            out.push_back({name + QStringLiteral("txToneType"), ch.txTone().type});
    }
    return out;
}

} // namespace t880
