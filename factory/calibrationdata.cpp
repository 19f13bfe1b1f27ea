#include "factory/calibrationdata.h"

#include "codeplug/bytes.h"

#include <cstdlib>

namespace t880 {

namespace {

// Squelch values are stored as their distance below this ceiling.
constexpr int kSquelchCeiling = 137;

std::vector<CalibrationField> makeFields()
{
    std::vector<CalibrationField> f;
    const auto add = [&f](const QString &name, int offset, int width, int def, bool hidden = false,
                          bool isSigned = false) {
        f.push_back({name, std::uint8_t(offset), std::uint8_t(width), isSigned, hidden,
                     std::uint16_t(def)});
    };
    const int pointMHz[5] = {400, 440, 480, 0, 0};
    for (int i = 0; i < CalibrationData::Points; ++i) {
        const QString p = QStringLiteral("eFreq_%1").arg(i);
        const int base = 7 * i;
        add(p, base, 2, pointMHz[i]);
        add(p + QStringLiteral("_H"), base + 2, 1, pointMHz[i] ? 63 : 0);
        add(p + QStringLiteral("_M"), base + 3, 1, 0, true);
        add(p + QStringLiteral("_L"), base + 4, 1, 0);
        add(p + QStringLiteral("_Tune"), base + 5, 1, 0, true);
        add(p + QStringLiteral("_RSSI"), base + 6, 1, 0, true);
    }
    add(QStringLiteral("ePinPian_W"), 0x23, 2, 50);
    add(QStringLiteral("ePinPian_W_Spe_1"), 0x25, 2, 65);
    add(QStringLiteral("ePinPian_W_Spe_2"), 0x27, 2, 53);
    add(QStringLiteral("eDtmfFuDu_W"), 0x29, 1, 127, true);
    add(QStringLiteral("e1750FuDu_W"), 0x2A, 1, 127, true);
    add(QStringLiteral("eCtcPinPian_W"), 0x2B, 1, 14);
    add(QStringLiteral("eDcsPinPian_W"), 0x2C, 1, 13);
    add(QStringLiteral("ePinPian_N"), 0x2D, 2, 50, true);
    add(QStringLiteral("ePinPian_N_Spe_1"), 0x2F, 2, 65, true);
    add(QStringLiteral("ePinPian_N_Spe_2"), 0x31, 2, 53, true);
    add(QStringLiteral("eDtmfFuDu_N"), 0x33, 1, 127, true);
    add(QStringLiteral("e1750FuDu_N"), 0x34, 1, 127, true);
    add(QStringLiteral("eCtcPinPian_N"), 0x35, 1, 14, true);
    add(QStringLiteral("eDcsPinPian_N"), 0x36, 1, 13, true);
    add(QStringLiteral("eSQL_L1"), 0x37, 1, 126);
    add(QStringLiteral("eSQL_L4"), 0x38, 1, 112);
    add(QStringLiteral("eSQL_L9"), 0x39, 1, 107);
    add(QStringLiteral("eVOX_L1"), 0x3A, 1, 0);
    add(QStringLiteral("eVOX_L9"), 0x3B, 1, 0);
    add(QStringLiteral("eBatt_L0_Wait"), 0x3C, 1, 146);
    add(QStringLiteral("eBatt_L1_Wait"), 0x3D, 1, 0, true);
    add(QStringLiteral("eBatt_L2_Wait"), 0x3E, 1, 0, true);
    add(QStringLiteral("eBatt_L0_Tx"), 0x3F, 1, 141);
    add(QStringLiteral("eBatt_L1_Tx"), 0x40, 1, 0, true);
    add(QStringLiteral("eBatt_L2_Tx"), 0x41, 1, 0, true);
    add(QStringLiteral("eBatt_High"), 0x42, 1, 0, true);
    add(QStringLiteral("eXtal_PP"), 0x43, 1, 0, true);
    add(QStringLiteral("eMicGainFine"), 0x44, 1, 20);
    add(QStringLiteral("eMicGain"), 0x45, 1, 9);
    add(QStringLiteral("eNoise_th"), 0x46, 1, 58);
    add(QStringLiteral("eModu_th"), 0x47, 1, 110);
    add(QStringLiteral("ePkdet_th"), 0x48, 1, 46);
    add(QStringLiteral("eRssi3_th"), 0x49, 1, 25);
    add(QStringLiteral("eNoise2_th"), 0x4A, 1, 32);
    add(QStringLiteral("cModu_dten"), 0x4B, 1, 1);
    add(QStringLiteral("cPkdet_dten"), 0x4C, 1, 1);
    add(QStringLiteral("sCurBatt"), 0x4D, 1, 0);
    add(QStringLiteral("sRssi_db"), 0x4E, 1, 0);
    add(QStringLiteral("sRssi_cmp1"), 0x4F, 1, 0);
    add(QStringLiteral("sNoise_db"), 0x50, 1, 0);
    add(QStringLiteral("sNoise_cmp1"), 0x51, 1, 0);
    add(QStringLiteral("sModu_cmp"), 0x52, 1, 0);
    add(QStringLiteral("sPkdet_cmp"), 0x53, 1, 0);
    add(QStringLiteral("sRssi_cmp3"), 0x54, 1, 0);
    add(QStringLiteral("sNoise_cmp2"), 0x55, 1, 0);
    add(QStringLiteral("sModu_db"), 0x56, 1, 0);
    add(QStringLiteral("sPkdet_rssi"), 0x57, 1, 0, true);
    add(QStringLiteral("sOffset"), 0x58, 2, 0);
    for (int k = 0; k < 10; ++k)
        add(QStringLiteral("eBatt_Tbl_L%1").arg(k), 0x5A + k, 1, 0, true);
    for (int k = 0; k < CalibrationData::SquelchOffsets; ++k)
        add(QStringLiteral("udSQ_offset_%1").arg(k), 0x64 + k, 1, 0, false, true);
    return f;
}

std::uint8_t u8(int v)
{
    return std::uint8_t(v & 0xFF);
}

} // namespace

const std::vector<CalibrationField> &calibrationFields()
{
    static const std::vector<CalibrationField> fields = makeFields();
    return fields;
}

const CalibrationField *findCalibrationField(const QString &name)
{
    for (const CalibrationField &f : calibrationFields()) {
        if (f.name == name)
            return &f;
    }
    return nullptr;
}

void CalibrationData::applyCalibrationDefaults()
{
    raw.fill(0);
    for (const CalibrationField &f : calibrationFields())
        setValue(f, f.defaultValue);
}

int CalibrationData::value(const CalibrationField &f) const
{
    if (f.width == 2)
        return u16(f.offset);
    return f.isSigned ? int(std::int8_t(raw[f.offset])) : int(raw[f.offset]);
}

void CalibrationData::setValue(const CalibrationField &f, int value)
{
    if (f.width == 2)
        setU16(f.offset, std::uint16_t(value));
    else
        raw[f.offset] = u8(value);
}

std::uint16_t thresholdWord(std::uint8_t threshold, int k)
{
    return std::uint16_t((threshold * 128) | ((threshold - k) & 0xFF));
}

std::array<std::uint8_t, 10> squelchOpenTable(const CalibrationData &r)
{
    std::array<std::uint8_t, 10> s{};
    s[1] = u8(kSquelchCeiling - r.raw[0x37]);
    s[5] = u8(kSquelchCeiling - r.raw[0x38]);
    s[9] = u8(kSquelchCeiling - r.raw[0x39]);
    for (int n = 2; n <= 4; ++n)
        s[n] = u8(s[1] + (int(s[5]) - int(s[1])) * (n - 1) / 4);
    for (int n = 6; n <= 8; ++n)
        s[n] = u8(s[5] + (int(s[9]) - int(s[5])) * (n - 5) / 4);
    return s;
}

std::array<std::uint8_t, 10> voxTable(const CalibrationData &r)
{
    std::array<std::uint8_t, 10> v{};
    const int v1 = r.raw[0x3A];
    const int v9 = r.raw[0x3B];
    const int step = std::abs(v9 - v1) / 8;
    v[1] = u8(v1);
    v[9] = u8(v9);
    for (int n = 2; n <= 8; ++n)
        v[n] = u8(v9 >= v1 ? v1 + step * (n - 1) : v1 - step * (n - 1));
    return v;
}

void GetAdjustmentData(const CalibrationData &r, bool variant, CalibrationBlock &b,
                       CalibrationTables &tables)
{
    using bytes::putBe16;
    for (int i = 0; i < CalibrationData::Points; ++i) {
        putBe16(&b[5 * i], r.pointMHz(i));
        b[5 * i + 2] = r.pointHigh(i);
        b[5 * i + 3] = r.pointLow(i);
        b[5 * i + 4] = r.pointTune(i);
        tables.points[i] = {r.pointMHz(i), r.pointHigh(i), r.pointLow(i), r.pointTune(i)};
    }
    const auto open = squelchOpenTable(r);
    const auto vox = voxTable(r);
    for (int n = 0; n < 10; ++n) {
        b[0x19 + n] = open[n];
        b[0x23 + n] = n == 0 ? 0 : u8(open[n] - 2);
        b[0x2D + n] = vox[n];
    }
    b[0x37] = r.raw[0x3C];
    for (int k = 0; k < 10; ++k)
        b[0x38 + k] = r.raw[0x5A + k];
    b[0x42] = r.raw[0x3F];
    // A 'Y' radio keeps each deviation in one byte; the byte after it is not
    // part of the field and is left alone.
    const int deviations[3][2] = {{0x44, 0x23}, {0x46, 0x25}, {0x48, 0x27}};
    for (const auto &d : deviations) {
        if (variant)
            b[d[0]] = r.raw[d[1]];
        else
            putBe16(&b[d[0]], r.u16(d[1]));
    }
    b[0x4A] = r.raw[0x2B];
    b[0x4B] = r.raw[0x2C];
    b[0x4C] = r.raw[0x43];
    putBe16(&b[0x4D], r.raw[0x44]);
    putBe16(&b[0x4F], std::uint16_t(r.raw[0x45] << 8));
    putBe16(&b[0x51], thresholdWord(r.raw[0x46], 1));
    putBe16(&b[0x55], thresholdWord(r.raw[0x48], 2));
    putBe16(&b[0x57], thresholdWord(r.raw[0x49], 1));
    putBe16(&b[0x59], thresholdWord(r.raw[0x4A], 2));
    putBe16(&b[0x5B], r.raw[0x4B] ? 0x0400 : 0);
    putBe16(&b[0x5D], r.raw[0x4C] ? 0x0020 : 0);
    for (int k = 0; k < 9; ++k) {
        b[0x5F + k] = r.raw[0x64 + k];
        tables.squelchOffsets[k] = std::int8_t(r.raw[0x64 + k]);
    }
}

void SetAdjustmentData(const std::uint8_t *b, bool variant, CalibrationData &r)
{
    using bytes::getBe16;
    for (int i = 0; i < CalibrationData::Points; ++i) {
        r.setU16(7 * i, getBe16(&b[5 * i]));
        r.raw[7 * i + 2] = b[5 * i + 2];
        r.raw[7 * i + 4] = b[5 * i + 3];
        r.raw[7 * i + 5] = b[5 * i + 4];
    }
    r.raw[0x37] = u8(kSquelchCeiling - b[0x1A]);
    r.raw[0x38] = u8(kSquelchCeiling - b[0x1E]);
    r.raw[0x39] = u8(kSquelchCeiling - b[0x22]);
    r.raw[0x3A] = b[0x2E];
    r.raw[0x3B] = b[0x36];
    r.raw[0x3C] = b[0x37];
    for (int k = 0; k < 10; ++k)
        r.raw[0x5A + k] = b[0x38 + k];
    r.raw[0x3F] = b[0x42];
    const int deviations[3][2] = {{0x44, 0x23}, {0x46, 0x25}, {0x48, 0x27}};
    for (const auto &d : deviations)
        r.setU16(d[1], variant ? b[d[0]] : getBe16(&b[d[0]]));
    r.raw[0x2B] = b[0x4A];
    r.raw[0x2C] = b[0x4B];
    r.raw[0x43] = b[0x4C];
    r.raw[0x44] = u8(getBe16(&b[0x4D]));
    r.raw[0x45] = u8((getBe16(&b[0x4F]) >> 8) & 0x0F);
    r.raw[0x46] = u8((getBe16(&b[0x51]) >> 7) & 0x7F);
    r.raw[0x48] = u8((getBe16(&b[0x55]) >> 7) & 0x7F);
    r.raw[0x49] = u8((getBe16(&b[0x57]) >> 7) & 0x7F);
    r.raw[0x4A] = u8((getBe16(&b[0x59]) >> 7) & 0x7F);
    r.raw[0x4B] = (getBe16(&b[0x5B]) & 0x0400) ? 1 : 0;
    r.raw[0x4C] = (getBe16(&b[0x5D]) & 0x0020) ? 1 : 0;
    for (int k = 0; k < 9; ++k)
        r.raw[0x64 + k] = b[0x5F + k];
}

void AnalyseTmpAdjustmentData(const std::uint8_t *image, CalibrationTables &tables)
{
    const std::uint8_t *area = image + 0x1F0;
    for (int i = 0; i < CalibrationData::Points; ++i) {
        const std::uint8_t *p = area + 5 * i;
        tables.points[i] = {bytes::getBe16(p), p[2], p[3], p[4]};
    }
    for (int k = 0; k < 9; ++k)
        tables.squelchOffsets[k] = std::int8_t(area[0x5F + k]);
}

void Set1846StatucData(const std::uint8_t *reply, CalibrationData &r)
{
    r.raw[0x4D] = reply[0];
    r.raw[0x4E] = reply[1];
    r.raw[0x50] = reply[2];
    r.raw[0x52] = (reply[3] >> 7) & 1;
    r.raw[0x4F] = (reply[3] >> 5) & 1;
    r.raw[0x51] = (reply[3] >> 3) & 1;
    r.raw[0x55] = (reply[3] >> 2) & 1;
    r.raw[0x54] = (reply[5] >> 7) & 1;
}

} // namespace t880
