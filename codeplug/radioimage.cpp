#include "codeplug/radioimage.h"

#include "codeplug/codeplugstate.h"
#include "codeplug/tonecodec.h"

#include <QDateTime>

#include <algorithm>
#include <vector>

namespace t880 {

namespace {

using bytes::getBe16;
using bytes::getBe24;
using bytes::putBe16;
using bytes::putBe24;

bool imageChannelInUse(const std::uint8_t *rec)
{
    return rec[0] != 0x00 && rec[0] != 0xFF;
}

void putToneWords(std::uint8_t *p, Tone t, bool variant)
{
    switch (t.type) {
    case 0:
        std::fill_n(p, 4, 0);
        break;
    case 1:
        putBe16(p, t.value);
        putBe16(p + 2, codec::ctcssChipWord(t.value, variant));
        break;
    default: {
        // Types above 3 come only from foreign files; they are sent as DCS.
        const auto words = codec::encodeDcsWords(t.value, t.type == 3 ? 3 : 2);
        putBe16(p, words.word7);
        putBe16(p + 2, words.word16);
        break;
    }
    }
}

std::uint16_t readToneValue(const std::uint8_t *p, std::uint8_t type)
{
    if (type == 0)
        return 0;
    if (type == 1)
        return getBe16(p);
    return codec::decodeDcsWords(type, p[1], p[2]);
}

void fillCalibrationBytes(std::uint8_t *rec, std::uint32_t rx, std::uint32_t tx, bool highPower,
                          const CalibrationTables &tables)
{
    rec[16] = interpolateCalibration(
        tx, highPower ? CalibrationColumn::HighPower : CalibrationColumn::LowPower, tables);
    rec[17] = interpolateCalibration(rx, CalibrationColumn::Tuning, tables);
    rec[18] = std::uint8_t(lookupSquelchOffset(rx, tables));
}

struct LegacyKey
{
    std::uint8_t model;
    std::uint8_t key1;
    std::uint8_t key2;
};
constexpr LegacyKey kLegacyKeys[] = {{2, 4, 4}, {3, 5, 5}, {24, 2, 0}, {25, 8, 8}};

std::uint8_t toLegacyKey(std::uint8_t model, bool key1)
{
    for (const LegacyKey &k : kLegacyKeys) {
        if (k.model == model)
            return key1 ? k.key1 : k.key2;
    }
    return 0;
}

std::uint8_t fromLegacyKey(std::uint8_t code, bool key1)
{
    for (const LegacyKey &k : kLegacyKeys) {
        const std::uint8_t c = key1 ? k.key1 : k.key2;
        if (c != 0 && c == code)
            return k.model;
    }
    return 0;
}

} // namespace

int spurFlag(std::uint32_t hz, bool variant)
{
    static constexpr std::uint32_t y1[] = {136500000, 420875000, 432250000,
                                           443625000, 455000000, 466375000};
    static constexpr std::uint32_t y2[] = {409500000};
    static constexpr std::uint32_t s1[] = {136500000, 147875000, 159250000, 409500000,
                                           420875000, 432250000, 443625000, 466375000,
                                           477750000, 489125000, 500500000};
    static constexpr std::uint32_t s2[] = {170625000, 455000000, 511875000};
    const auto in = [hz](const auto &list) {
        return std::find(std::begin(list), std::end(list), hz) != std::end(list);
    };
    if (variant)
        return in(y1) ? 1 : in(y2) ? 2 : 0;
    return in(s1) ? 1 : in(s2) ? 2 : 0;
}

std::uint8_t interpolateCalibration(std::uint32_t hz, CalibrationColumn column,
                                    const CalibrationTables &tables)
{
    std::vector<CalibrationPoint> used;
    for (const CalibrationPoint &p : tables.points) {
        if (p.mhz != 0)
            used.push_back(p);
    }
    if (used.empty())
        return 0;
    const auto valueOf = [column](const CalibrationPoint &p) -> int {
        switch (column) {
        case CalibrationColumn::HighPower:
            return p.high;
        case CalibrationColumn::LowPower:
            return p.low;
        case CalibrationColumn::Tuning:
            return p.tune;
        }
        return 0;
    };
    const long m = long(hz / 1000000);
    std::size_t i = 0;
    while (i < used.size() && m > used[i].mhz)
        ++i;
    if (i == used.size())
        return std::uint8_t(valueOf(used.back())); // above the last point: its value
    if (i == 0)
        return std::uint8_t(valueOf(used[0]));
    const CalibrationPoint &lo = used[i - 1];
    const CalibrationPoint &hi = used[i];
    const int vL = valueOf(lo);
    const int vH = valueOf(hi);
    if (hi.mhz == lo.mhz)
        return std::uint8_t(vH);
    long base, span, d;
    if (vL <= vH) {
        base = vL;
        span = vH - vL;
        d = m - lo.mhz;
    } else {
        base = vH;
        span = vL - vH;
        d = hi.mhz - m;
    }
    return std::uint8_t((base + d * span / (long(hi.mhz) - long(lo.mhz))) & 0xFF);
}

std::int8_t lookupSquelchOffset(std::uint32_t hz, const CalibrationTables &tables)
{
    int i = 0;
    std::uint32_t t = 410000000;
    while (t < hz && i < 12) {
        t += 10000000;
        ++i;
    }
    return tables.squelchOffsets[std::size_t(std::min(i, 8))];
}

void GetDataForWrite(CodeplugState &state, const ProgramDate &now, const RandomByteSource &random)
{
    auto &img = state.image.raw;
    const CodeplugData &cp = state.codeplug;
    const bool variant = state.radioVariant;
    img.fill(0);
    std::uint16_t scanMask = 0;
    for (int n = 1; n <= CodeplugData::Channels; ++n) {
        if (!cp.isChannelUsed(n))
            continue;
        const ChannelRecord ch = cp.channel(n);
        std::uint8_t *rec =
            &img[RadioImage::Offset::channels + (n - 1) * RadioImage::Offset::channelSize];
        putBe24(rec, codec::toFrequencyWord(ch.rxFreq(), variant) & 0xFFFFFF);
        putBe24(rec + 3, codec::toFrequencyWord(ch.txFreq(), variant) & 0xFFFFFF);
        rec[14] = std::uint8_t((spurFlag(ch.rxFreq(), variant) << 4) |
                               (spurFlag(ch.txFreq(), variant) << 6) | (ch.rxTone().type & 0x03) |
                               ((ch.txTone().type & 0x03) << 2));
        putToneWords(rec + 6, ch.rxTone(), variant);
        putToneWords(rec + 10, ch.txTone(), variant);
        rec[15] = std::uint8_t((ch.highPower() ? 0x20 : 0) | (ch.wide() ? 0x10 : 0) |
                               (ch.busyLock() << 2));
        if (ch.scanAdd())
            scanMask |= std::uint16_t(1u << (n - 1));
        fillCalibrationBytes(rec, ch.rxFreq(), ch.txFreq(), ch.highPower(),
                             state.calibrationTables);
    }

    putBe16(&img[0x156], std::uint16_t(cp.setting(Setting::tot)));
    img[0x158] = std::uint8_t(cp.setting(Setting::toa));
    img[0x159] = std::uint8_t(cp.setting(Setting::keyPressBeep));
    img[0x15A] = std::uint8_t(cp.setting(Setting::batterySave));
    putBe16(&img[0x15B], std::uint16_t(cp.setting(Setting::batterySaveRate) * 200));
    img[0x15D] = std::uint8_t(cp.setting(Setting::sql));
    img[0x15E] = std::uint8_t(cp.setting(Setting::voice));
    putBe16(&img[0x15F], scanMask);
    img[0x162] = 0;
    putBe16(&img[0x163], std::uint16_t(cp.setting(Setting::voxDelay)));
    img[0x165] = 0;
    img[0x166] = 0x0A;
    img[0x167] = std::uint8_t(cp.setting(Setting::key1Short));
    img[0x168] = std::uint8_t(cp.setting(Setting::key2Short));

    const PasswordBlock block = encodePasswordBlock(cp.text(TextField::newRadioPassword), random);
    std::copy(block.begin(), block.end(), &img[RadioImage::Offset::passwordBlock]);

    putBe16(&img[0x150], now.year);
    img[0x152] = now.month;
    img[0x153] = now.day;
    img[0x154] = now.hour;
    img[0x155] = now.minute;
}

void SetDataToSoftware(CodeplugState &state)
{
    const auto &img = state.image.raw;
    CodeplugData &cp = state.codeplug;
    const bool variant = state.radioVariant;
    const std::uint16_t scanMask = getBe16(&img[RadioImage::Offset::scanMask]);
    cp.clearChannelUsedMask();
    for (int n = 1; n <= CodeplugData::Channels; ++n) {
        const std::uint8_t *rec =
            &img[RadioImage::Offset::channels + (n - 1) * RadioImage::Offset::channelSize];
        if (!imageChannelInUse(rec))
            continue;
        cp.setChannelUsed(n, true);
        ChannelRecord ch = cp.channel(n);
        ch.setRxFreq(codec::fromFrequencyWord(getBe24(rec), variant));
        ch.setTxFreq(codec::fromFrequencyWord(getBe24(rec + 3), variant));
        const std::uint8_t rxType = rec[14] & 0x03;
        const std::uint8_t txType = (rec[14] >> 2) & 0x03;
        ch.setRxTone({rxType, readToneValue(rec + 6, rxType)});
        ch.setTxTone({txType, readToneValue(rec + 10, txType)});
        ch.setHighPower(rec[15] & 0x20);
        ch.setWide(rec[15] & 0x10);
        ch.setBusyLock((rec[15] >> 2) & 0x03);
        ch.setScanAdd(scanMask & (1u << (n - 1)));
        cp.setChannel(n, ch);
    }
    cp.setSetting(Setting::tot, getBe16(&img[0x156]));
    cp.setSetting(Setting::toa, img[0x158]);
    cp.setSetting(Setting::keyPressBeep, img[0x159]);
    cp.setSetting(Setting::batterySave, img[0x15A]);
    cp.setSetting(Setting::batterySaveRate, getBe16(&img[0x15B]) / 200);
    cp.setSetting(Setting::sql, img[0x15D]);
    cp.setSetting(Setting::voxGain, img[0x162]);
    cp.setSetting(Setting::voxDelay, getBe16(&img[0x163]));
    cp.setSetting(Setting::voice, img[0x15E]);
    cp.setSetting(Setting::key1Short, img[0x167]);
    cp.setSetting(Setting::key2Short, img[0x168]);
    state.lastProgramDate = {getBe16(&img[0x150]), img[0x152], img[0x153], img[0x154], img[0x155]};
}

void ReAnalyseChInfor(CodeplugState &state)
{
    auto &img = state.image.raw;
    for (int n = 1; n <= CodeplugData::Channels; ++n) {
        std::uint8_t *rec =
            &img[RadioImage::Offset::channels + (n - 1) * RadioImage::Offset::channelSize];
        if (!imageChannelInUse(rec))
            continue;
        fillCalibrationBytes(rec, codec::fromFrequencyWord(getBe24(rec), state.radioVariant),
                             codec::fromFrequencyWord(getBe24(rec + 3), state.radioVariant),
                             rec[15] & 0x20, state.calibrationTables);
    }
}

void GetDataForWrite_old(CodeplugState &state)
{
    auto &img = state.image.raw;
    const CodeplugData &cp = state.codeplug;
    img.fill(0xFF);
    std::uint16_t scanMask = 0;
    for (int n = 1; n <= CodeplugData::Channels; ++n) {
        if (!cp.isChannelUsed(n))
            continue;
        const ChannelRecord ch = cp.channel(n);
        std::uint8_t *rec = &img[RadioImage::Offset::legacyChannelSize * n];
        const auto rx = codec::toBcdFrequency(ch.rxFreq());
        const auto tx = codec::toBcdFrequency(ch.txFreq());
        std::copy(rx.begin(), rx.end(), rec);
        std::copy(tx.begin(), tx.end(), rec + 4);
        for (int k = 0; k < 2; ++k) {
            auto tone = codec::encodeLegacyTone(k == 0 ? ch.rxTone() : ch.txTone());
            if (tone[0] == 0 && tone[1] == 0)
                tone = {0xFF, 0xFF}; // the radio reads FF FF as "no tone"
            std::copy(tone.begin(), tone.end(), rec + 8 + 2 * k);
        }
        std::copy_n(&ch.raw[ChannelRecord::Offset::optionA], 4, rec + 12);
        if (ch.scanAdd())
            scanMask |= std::uint16_t(1u << (n - 1));
    }
    img[0x130] = std::uint8_t(cp.setting(Setting::tot) / 15);
    img[0x131] = std::uint8_t(cp.setting(Setting::toa));
    img[0x136] = std::uint8_t(cp.setting(Setting::keyPressBeep));
    img[0x135] = std::uint8_t(cp.setting(Setting::batterySave));
    img[0x134] = std::uint8_t(cp.setting(Setting::sql));
    img[0x12F] = std::uint8_t(cp.setting(Setting::voice));
    bytes::putLe16(&img[RadioImage::Offset::legacyScanMask], scanMask);
    img[0x11D] = toLegacyKey(std::uint8_t(cp.setting(Setting::key1Short)), true);
    img[0x11E] = toLegacyKey(std::uint8_t(cp.setting(Setting::key2Short)), false);
}

void SetDataToSoftware_old(CodeplugState &state)
{
    auto &img = state.image.raw;
    CodeplugData &cp = state.codeplug;
    const std::uint16_t scanMask = bytes::getLe16(&img[RadioImage::Offset::legacyScanMask]);
    cp.clearChannelUsedMask();
    for (int n = 1; n <= CodeplugData::Channels; ++n) {
        std::uint8_t *rec = &img[RadioImage::Offset::legacyChannelSize * n];
        if (rec[3] == 0x00 || rec[3] == 0xFF)
            continue;
        cp.setChannelUsed(n, true);
        ChannelRecord ch = cp.channel(n);
        ch.setRxFreq(codec::fromBcdFrequency(rec));
        ch.setTxFreq(codec::fromBcdFrequency(rec + 4));
        for (int k = 0; k < 2; ++k) {
            std::uint8_t *tone = rec + 8 + 2 * k;
            if (tone[0] == 0xFF && tone[1] == 0xFF)
                tone[0] = tone[1] = 0;
            const Tone t = codec::decodeLegacyTone(tone[0], tone[1]);
            if (k == 0)
                ch.setRxTone(t);
            else
                ch.setTxTone(t);
        }
        std::copy_n(rec + 12, 4, &ch.raw[ChannelRecord::Offset::optionA]);
        ch.setScanAdd(scanMask & (1u << (n - 1)));
        cp.setChannel(n, ch);
    }
    cp.setSetting(Setting::tot, img[0x130] * 15u);
    cp.setSetting(Setting::toa, img[0x131]);
    cp.setSetting(Setting::keyPressBeep, img[0x136]);
    cp.setSetting(Setting::batterySave, img[0x135]);
    cp.setSetting(Setting::sql, img[0x134]);
    cp.setSetting(Setting::voice, img[0x12F]);
    cp.setSetting(Setting::key1Short, fromLegacyKey(img[0x11D], true));
    cp.setSetting(Setting::key2Short, fromLegacyKey(img[0x11E], false));
    cp.setSetting(Setting::batterySaveRate, 3);
    cp.setText(TextField::deviceSerial, QByteArray());
    state.lastProgramDate = ProgramDate{};
}

ProgramDate currentProgramDate()
{
    const QDateTime now = QDateTime::currentDateTime();
    return {std::uint16_t(now.date().year()), std::uint8_t(now.date().month()),
            std::uint8_t(now.date().day()), std::uint8_t(now.time().hour()),
            std::uint8_t(now.time().minute())};
}

} // namespace t880
