#include "codeplug/channeledit.h"

#include "codeplug/tonecodec.h"
#include "text/textnames.h"

#include <algorithm>
#include <limits>

namespace t880::channeledit {

namespace {

// The busy-lock value an item of its picker stands for.
constexpr int BusyLockOnCarrier = 2;

bool validChannel(int n)
{
    return n >= 1 && n <= CodeplugData::Channels;
}

bool isAsciiPrintable(QChar c)
{
    return c.unicode() >= 0x20 && c.unicode() < 0x7F;
}

} // namespace

FrequencyReading readFrequencyText(const QString &text, std::uint32_t bandLow,
                                   std::uint32_t bandHigh)
{
    FrequencyReading reading;
    if (text.isEmpty()) {
        reading.kind = FrequencyKind::Empty;
        return reading;
    }
    codec::FrequencyParse how = codec::FrequencyParse::NotANumber;
    const std::optional<std::uint32_t> number = codec::parseFrequency(text, &how);
    if (how == codec::FrequencyParse::NotANumber)
        return reading;
    reading.kind = FrequencyKind::Number;
    // Only the 32-bit field limits the codec; a number beyond it is still a
    // frequency above the band, and is clamped as one.
    const std::uint32_t hz = number.value_or(std::numeric_limits<std::uint32_t>::max());
    reading.zero = hz == 0;
    reading.hz = codec::snapFrequency(hz, bandLow, bandHigh);
    return reading;
}

EditResult commitRxFrequency(CodeplugState &state, int n, const QString &text)
{
    if (!validChannel(n))
        return EditResult::Refused;
    const FrequencyReading reading =
        readFrequencyText(text, state.activeBandLow, state.activeBandHigh);
    if (reading.kind == FrequencyKind::Empty) {
        StringGridCleanRow(state.codeplug, n);
        return EditResult::TakenOutOfUse;
    }
    if (reading.kind == FrequencyKind::NotANumber)
        return EditResult::Refused;
    ChannelRecord r = state.codeplug.channel(n);
    r.setRxFreq(reading.hz);
    state.codeplug.setChannel(n, r);
    if (!state.codeplug.isChannelUsed(n))
        autoFullChannel(state.codeplug, n);
    return EditResult::Stored;
}

EditResult commitTxFrequency(CodeplugState &state, int n, const QString &text)
{
    if (!validChannel(n) || !state.codeplug.isChannelUsed(n))
        return EditResult::Refused;
    const FrequencyReading reading =
        readFrequencyText(text, state.activeBandLow, state.activeBandHigh);
    if (reading.kind == FrequencyKind::NotANumber)
        return EditResult::Refused;
    ChannelRecord r = state.codeplug.channel(n);
    // 0 means a receive-only channel, so it is not pulled into the band.
    const bool receiveOnly = reading.kind == FrequencyKind::Empty || reading.zero;
    r.setTxFreq(receiveOnly ? 0 : reading.hz);
    state.codeplug.setChannel(n, r);
    return EditResult::Stored;
}

void autoFullChannel(CodeplugData &codeplug, int n)
{
    if (!validChannel(n))
        return;
    ChannelRecord r = codeplug.channel(n);
    r.setTxFreq(r.rxFreq());
    r.setRxTone({});
    r.setTxTone({});
    // Option bytes A and B and the two spare bytes start from nothing.
    std::fill_n(&r.raw[ChannelRecord::Offset::optionA], 4, std::uint8_t(0));
    r.setWide(true);
    r.setHighPower(true);
    r.setScanAdd(true);
    codeplug.setChannel(n, r);
    codeplug.setChannelUsed(n, true);
}

void StringGridCleanRow(CodeplugData &codeplug, int n)
{
    if (validChannel(n))
        codeplug.setChannelUsed(n, false);
}

EditResult commitTone(CodeplugData &codeplug, int n, int column, const QString &text)
{
    if (!validChannel(n) || !codeplug.isChannelUsed(n) ||
        (column != RxToneColumn && column != TxToneColumn))
        return EditResult::Refused;
    const std::optional<Tone> tone = codec::parseTone(text);
    if (!tone)
        return EditResult::Refused;
    ChannelRecord r = codeplug.channel(n);
    if (column == TxToneColumn)
        r.setTxTone(*tone);
    else if (r.rxTone().type == 0 && tone->type == 0)
        r.setRxTone(*tone); // no tone before nor after: the squelch mode is the user's
    else
        r.setRxToneWithSquelchRule(*tone);
    codeplug.setChannel(n, r);
    return EditResult::Stored;
}

int pickerIndex(const ChannelRecord &record, int column, int previousIndex)
{
    switch (column) {
    case PowerColumn:
        return record.highPower() ? 1 : 0;
    case BandwidthColumn:
        return record.wide() ? 1 : 0;
    case ScanColumn:
        return record.scanAdd() ? 1 : 0;
    case BusyLockColumn:
        if (record.busyLock() == 0)
            return 0;
        if (record.busyLock() == BusyLockOnCarrier)
            return 1;
        return previousIndex;
    default:
        return previousIndex;
    }
}

EditResult commitPicker(CodeplugData &codeplug, int n, int column, int index)
{
    if (!validChannel(n) || !codeplug.isChannelUsed(n))
        return EditResult::Refused;
    ChannelRecord r = codeplug.channel(n);
    const bool set = (index & 1) != 0;
    switch (column) {
    case PowerColumn:
        r.setHighPower(set);
        break;
    case BandwidthColumn:
        r.setWide(set);
        break;
    case ScanColumn:
        r.setScanAdd(set);
        break;
    case BusyLockColumn:
        r.setBusyLock(set ? BusyLockOnCarrier : 0);
        break;
    default:
        return EditResult::Refused;
    }
    codeplug.setChannel(n, r);
    return EditResult::Stored;
}

bool isNonstandardTone(const CodeplugData &codeplug, int n, int column)
{
    if (!validChannel(n) || !codeplug.isChannelUsed(n))
        return false;
    const ChannelRecord r = codeplug.channel(n);
    Tone tone;
    if (column == RxToneColumn)
        tone = r.rxTone();
    else if (column == TxToneColumn)
        tone = r.txTone();
    else
        return false;
    return !codec::isStandardTone(tone.value, tone.type);
}

std::array<CellText, ColumnCount> rowTexts(const CodeplugData &codeplug, int n)
{
    std::array<CellText, ColumnCount> cells{};
    cells[NumberColumn].text = QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
    if (!validChannel(n) || !codeplug.isChannelUsed(n))
        return cells;
    const ChannelRecord r = codeplug.channel(n);
    cells[RxFreqColumn].text = codec::formatFrequency(r.rxFreq());
    cells[TxFreqColumn].text = codec::formatFrequency(r.txFreq());
    cells[RxToneColumn].text = codec::formatTone(r.rxTone().value, r.rxTone().type);
    cells[TxToneColumn].text = codec::formatTone(r.txTone().value, r.txTone().type);
    cells[PowerColumn].textNumber = r.highPower() ? text::MainText::High : text::MainText::Low;
    cells[BandwidthColumn].textNumber = r.wide() ? text::MainText::Wide : text::MainText::Narrow;
    cells[ScanColumn].textNumber = r.scanAdd() ? text::MainText::ScanAdd : text::MainText::ScanDel;
    cells[BusyLockColumn].textNumber =
        r.busyLock() != 0 ? text::MainText::BusyCarrier : text::MainText::BusyOff;
    return cells;
}

bool frequencyKeyAccepted(QChar c)
{
    if (!isAsciiPrintable(c))
        return true; // control characters, delete, and what an input method brings
    // A decimal comma is let through for the commit to name: dropped, it
    // would join the digits around it into another frequency (446,5 into
    // 4465, pulled onto the band's top edge).
    return c.isDigit() || c == u'.' || c == u',';
}

QString tidyFrequencyText(const QString &text)
{
    QString t = text.left(MaxFrequencyText);
    if (t == QLatin1String("."))
        return QString();
    const int point = t.indexOf(u'.');
    if (point < 0)
        return t;
    QString tail = t.mid(point + 1);
    tail.remove(u'.');
    return t.left(point + 1) + tail;
}

std::optional<QChar> toneKey(QChar c)
{
    if (!isAsciiPrintable(c))
        return c;
    if (c.isDigit() || c == u'.' || c == u'D' || c == u'N' || c == u'I')
        return c;
    if (c == u'd' || c == u'n' || c == u'i')
        return c.toUpper();
    return std::nullopt;
}

QString tidyToneText(const QString &text)
{
    return text.left(MaxToneText);
}

} // namespace t880::channeledit
