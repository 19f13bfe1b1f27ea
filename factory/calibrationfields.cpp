#include "factory/calibrationfields.h"

#include "text/textnames.h"

namespace t880 {

namespace {

std::vector<CalibrationEdit> makeEdits()
{
    using K = CalibrationEditKind;
    std::vector<CalibrationEdit> e;
    const auto add = [&e](const QString &control, K kind, int digits, int lo, int hi, bool hidden,
                          int name, int arg = 0) {
        e.push_back({control, kind, digits, lo, hi, hidden, name, arg});
    };
    for (int i = 0; i < CalibrationData::Points; ++i) {
        const QString p = QStringLiteral("eFreq_%1").arg(i);
        add(p, K::Frequency, 3, 130, 520, false, text::AdjustText::PointFrequency, i + 1);
        add(p + QStringLiteral("_H"), K::Byte, 3, 0, 255, false, text::AdjustText::PointHigh,
            i + 1);
        add(p + QStringLiteral("_L"), K::Byte, 3, 0, 255, false, text::AdjustText::PointLow, i + 1);
        add(p + QStringLiteral("_M"), K::Byte, 3, 0, 255, true, text::AdjustText::PointMiddle,
            i + 1);
        add(p + QStringLiteral("_Tune"), K::Byte, 3, 0, 255, true, text::AdjustText::PointTune,
            i + 1);
        add(p + QStringLiteral("_RSSI"), K::Rssi, 3, 2, 127, true, text::AdjustText::PointRssi,
            i + 1);
    }
    add(QStringLiteral("ePinPian_W"), K::Deviation, 4, 0, 1023, false,
        text::AdjustText::DeviationWide);
    add(QStringLiteral("ePinPian_W_Spe_1"), K::Deviation, 4, 0, 1023, false,
        text::AdjustText::Special1Wide);
    add(QStringLiteral("ePinPian_W_Spe_2"), K::Deviation, 4, 0, 1023, false,
        text::AdjustText::Special2Wide);
    add(QStringLiteral("eCtcPinPian_W"), K::ToneDeviation, 2, 0, 63, false,
        text::AdjustText::CtcssWide);
    add(QStringLiteral("eDcsPinPian_W"), K::ToneDeviation, 2, 0, 63, false,
        text::AdjustText::DcsWide);
    add(QStringLiteral("eMicGain"), K::MicGain, 2, 0, 15, false, text::AdjustText::MicGain);
    add(QStringLiteral("eMicGainFine"), K::MicGainFine, 3, 0, 127, false,
        text::AdjustText::MicGainFine);
    add(QStringLiteral("eDtmfFuDu_W"), K::Byte, 3, 0, 255, true, text::AdjustText::DtmfWide);
    add(QStringLiteral("e1750FuDu_W"), K::Byte, 3, 0, 255, true, text::AdjustText::Tone1750Wide);
    add(QStringLiteral("ePinPian_N"), K::Deviation, 4, 0, 1023, true,
        text::AdjustText::DeviationNarrow);
    add(QStringLiteral("ePinPian_N_Spe_1"), K::Deviation, 4, 0, 1023, true,
        text::AdjustText::Special1Narrow);
    add(QStringLiteral("ePinPian_N_Spe_2"), K::Deviation, 4, 0, 1023, true,
        text::AdjustText::Special2Narrow);
    add(QStringLiteral("eDtmfFuDu_N"), K::Byte, 3, 0, 255, true, text::AdjustText::DtmfNarrow);
    add(QStringLiteral("e1750FuDu_N"), K::Byte, 3, 0, 255, true, text::AdjustText::Tone1750Narrow);
    add(QStringLiteral("eCtcPinPian_N"), K::ToneDeviation, 2, 0, 63, true,
        text::AdjustText::CtcssNarrow);
    add(QStringLiteral("eDcsPinPian_N"), K::ToneDeviation, 2, 0, 63, true,
        text::AdjustText::DcsNarrow);
    add(QStringLiteral("eSQL_L1"), K::Byte, 3, 0, 255, false, text::AdjustText::SquelchLevel, 1);
    add(QStringLiteral("eSQL_L4"), K::Byte, 3, 0, 255, false, text::AdjustText::SquelchLevel, 5);
    add(QStringLiteral("eSQL_L9"), K::Byte, 3, 0, 255, false, text::AdjustText::SquelchLevel, 9);
    add(QStringLiteral("eVOX_L1"), K::Byte, 3, 0, 255, false, text::AdjustText::VoxLevel, 1);
    add(QStringLiteral("eVOX_L9"), K::Byte, 3, 0, 255, false, text::AdjustText::VoxLevel, 9);
    add(QStringLiteral("eBatt_L0_Wait"), K::Byte, 3, 0, 255, false,
        text::AdjustText::BatteryStandby);
    add(QStringLiteral("eBatt_L1_Wait"), K::Byte, 3, 0, 255, true,
        text::AdjustText::BatteryStandbyMore, 1);
    add(QStringLiteral("eBatt_L2_Wait"), K::Byte, 3, 0, 255, true,
        text::AdjustText::BatteryStandbyMore, 2);
    add(QStringLiteral("eBatt_L0_Tx"), K::Byte, 3, 0, 255, false,
        text::AdjustText::BatteryTransmit);
    add(QStringLiteral("eBatt_L1_Tx"), K::Byte, 3, 0, 255, true,
        text::AdjustText::BatteryTransmitMore, 1);
    add(QStringLiteral("eBatt_L2_Tx"), K::Byte, 3, 0, 255, true,
        text::AdjustText::BatteryTransmitMore, 2);
    add(QStringLiteral("eBatt_High"), K::Byte, 3, 0, 255, true, text::AdjustText::BatteryHighest);
    for (int k = 0; k < 10; ++k)
        add(QStringLiteral("eBatt_Tbl_L%1").arg(k), K::Byte, 3, 0, 255, true,
            text::AdjustText::BatteryTable, 10 * (k + 1));
    add(QStringLiteral("eXtal_PP"), K::Byte, 3, 0, 255, true, text::AdjustText::CrystalOffset);
    add(QStringLiteral("eNoise_th"), K::Byte, 3, 0, 255, false, text::AdjustText::NoiseThreshold);
    add(QStringLiteral("eModu_th"), K::Byte, 3, 0, 255, false,
        text::AdjustText::ModulationThreshold);
    add(QStringLiteral("ePkdet_th"), K::Byte, 3, 0, 255, false,
        text::AdjustText::AdjacentThreshold);
    add(QStringLiteral("eRssi3_th"), K::Byte, 3, 0, 255, false,
        text::AdjustText::WeakRssiThreshold);
    add(QStringLiteral("eNoise2_th"), K::Byte, 3, 0, 255, false,
        text::AdjustText::WeakNoiseThreshold);
    return e;
}

} // namespace

const std::vector<CalibrationEdit> &calibrationEdits()
{
    static const std::vector<CalibrationEdit> edits = makeEdits();
    return edits;
}

const CalibrationEdit *findCalibrationEdit(const QString &control)
{
    for (const CalibrationEdit &e : calibrationEdits()) {
        if (e.control == control)
            return &e;
    }
    return nullptr;
}

bool calibrationKeyAccepted(QChar c)
{
    if (c >= u'0' && c <= u'9')
        return true;
    // Control characters edit; every other character (letters, signs,
    // points, and characters from other scripts) would make no number.
    return c.unicode() < 0x20 || c.unicode() == 0x7F;
}

QString cutToDigits(const QString &text, int digits)
{
    return text.size() > digits ? text.left(digits) : text;
}

int committedValue(const QString &text, int previous, int minimum, int maximum)
{
    if (text.isEmpty())
        return 0;
    // Only plain decimal digits make a number; a pasted sign, space or other
    // script is not one.
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            return previous;
    }
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!ok || value < minimum || value > maximum)
        return previous;
    return value;
}

QString commitCalibrationEdit(const CalibrationEdit &edit, const QString &text,
                              CalibrationData &record)
{
    const CalibrationField *field = findCalibrationField(edit.control);
    if (!field)
        return text;
    const int stored = committedValue(text, record.value(*field), edit.minimum, edit.maximum);
    record.setValue(*field, stored);
    return QString::number(record.value(*field));
}

} // namespace t880
