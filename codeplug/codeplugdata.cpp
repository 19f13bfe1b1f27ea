#include "codeplug/codeplugdata.h"

#include <algorithm>
#include <cstring>

namespace t880 {

namespace {

constexpr std::array<SettingInfo, int(Setting::Count)> kSettings = {{
#define T880_SETTING_INFO(name, off, width, def, group)                                            \
    {Setting::name, #name, off, width, def, SettingGroup::group},
    T880_SETTINGS(T880_SETTING_INFO)
#undef T880_SETTING_INFO
}};

constexpr std::array<TextFieldInfo, int(TextField::Count)> kTextFields = {{
    {TextField::deviceSerial, "deviceSerial", 0x04A, 8, 8},
    {TextField::radioPassword, "radioPassword", 0x053, 13, 12},
    {TextField::newRadioPassword, "newRadioPassword", 0x060, 13, 12},
    {TextField::firmwareVersion, "firmwareVersion", 0xB55, 9, 8},
}};

constexpr std::array<CodeFieldInfo, int(CodeField::Count)> kCodeFields = {{
    {CodeField::dizzyCode, "dizzyCode", 0xB02},
    {CodeField::stunCode, "stunCode", 0xB0D},
    {CodeField::activationCode, "activationCode", 0xB18},
    {CodeField::pttIdCode, "pttIdCode", 0xB25},
    {CodeField::aniCode, "aniCode", 0xB30},
}};

constexpr char kDtmfDigits[] = "0123456789ABCD*#";

int dtmfDigitCode(char c)
{
    const char *p = std::strchr(kDtmfDigits, c);
    return (c != '\0' && p) ? int(p - kDtmfDigits) : -1;
}

QByteArray digitsText(const std::uint8_t *digits, int count, int maxDigits)
{
    QByteArray out;
    for (int i = 0; i < std::min(count, maxDigits); ++i)
        out += digits[i] < 16 ? kDtmfDigits[digits[i]] : '?';
    if (count > maxDigits)
        out += '?';
    return out;
}

// Fills ten digit bytes from text; the bytes past the text are zeroed.
bool setDigits(std::uint8_t *digits, const QByteArray &text)
{
    if (text.size() > DtmfCode::MaxDigits)
        return false;
    std::array<std::uint8_t, DtmfCode::MaxDigits> out{};
    for (int i = 0; i < text.size(); ++i) {
        const int code = dtmfDigitCode(text[i]);
        if (code < 0)
            return false;
        out[i] = std::uint8_t(code);
    }
    std::copy(out.begin(), out.end(), digits);
    return true;
}

QByteArray paddedText(const std::uint8_t *p, int size)
{
    int n = 0;
    while (n < size && p[n] != 0)
        ++n;
    return QByteArray(reinterpret_cast<const char *>(p), n);
}

void storePadded(std::uint8_t *p, int size, const QByteArray &text)
{
    std::fill(p, p + size, 0);
    std::memcpy(p, text.constData(), std::min<int>(size, text.size()));
}

} // namespace

const std::array<SettingInfo, int(Setting::Count)> &settingTable()
{
    return kSettings;
}

const SettingInfo &settingInfo(Setting s)
{
    return kSettings[std::size_t(s)];
}

const std::array<TextFieldInfo, int(TextField::Count)> &textFieldTable()
{
    return kTextFields;
}

const std::array<CodeFieldInfo, int(CodeField::Count)> &codeFieldTable()
{
    return kCodeFields;
}

QByteArray cutText(const QByteArray &text, int limit)
{
    int end = 0;
    while (end < text.size()) {
        const auto c = std::uint8_t(text[end]);
        if (c == 0)
            break;
        const int width = (c >= 0x81 && c <= 0xFE && end + 1 < text.size()) ? 2 : 1;
        if (end + width > limit)
            break;
        end += width;
    }
    return text.left(end);
}

// --- DtmfCode -------------------------------------------------------------

QByteArray DtmfCode::text() const
{
    return digitsText(raw.data(), count(), MaxDigits);
}

bool DtmfCode::setText(const QByteArray &text)
{
    if (!setDigits(raw.data(), text))
        return false;
    raw[10] = std::uint8_t(text.size());
    return true;
}

// --- ChannelRecord --------------------------------------------------------

void ChannelRecord::setRxTone(Tone t)
{
    raw[Offset::rxToneType] = t.type;
    bytes::putLe16(&raw[Offset::rxTone], t.value);
}

void ChannelRecord::setTxTone(Tone t)
{
    raw[Offset::txToneType] = t.type;
    bytes::putLe16(&raw[Offset::txTone], t.value);
}

void ChannelRecord::setSquelchMode(int mode)
{
    raw[Offset::optionA] = std::uint8_t((raw[Offset::optionA] & ~0x07) | (mode & 0x07));
}

void ChannelRecord::setBusyLock(int mode)
{
    raw[Offset::optionA] = std::uint8_t((raw[Offset::optionA] & ~0x18) | ((mode & 0x03) << 3));
}

void ChannelRecord::setBit(int offset, int bit, bool on)
{
    if (on)
        raw[offset] |= std::uint8_t(1u << bit);
    else
        raw[offset] &= std::uint8_t(~(1u << bit));
}

QByteArray ChannelRecord::name() const
{
    return paddedText(&raw[Offset::name], NameSize);
}

void ChannelRecord::setName(const QByteArray &name)
{
    storePadded(&raw[Offset::name], NameSize, cutText(name, NameSize));
}

void ChannelRecord::setRxToneWithSquelchRule(Tone t)
{
    const std::uint8_t oldType = raw[Offset::rxToneType];
    setRxTone(t);
    if (t.type != 0) {
        if (oldType == 0 && squelchMode() == 0)
            setSquelchMode(2);
    } else {
        const int mode = squelchMode();
        setSquelchMode(dtmfFlag() && (mode == 3 || mode == 4) ? 1 : 0);
    }
}

// --- AddressBookEntry -----------------------------------------------------

QByteArray AddressBookEntry::number() const
{
    return digitsText(raw.data(), digitCount(), DtmfCode::MaxDigits);
}

bool AddressBookEntry::setNumber(const QByteArray &text)
{
    if (!setDigits(raw.data(), text))
        return false;
    raw[10] = 0;
    raw[11] = std::uint8_t(text.size());
    return true;
}

QByteArray AddressBookEntry::name() const
{
    return paddedText(&raw[12], NameSize);
}

void AddressBookEntry::setName(const QByteArray &name)
{
    storePadded(&raw[12], NameSize, cutText(name, NameSize));
}

// --- CodeplugData ---------------------------------------------------------

QByteArray CodeplugData::toByteArray() const
{
    return QByteArray(reinterpret_cast<const char *>(m_bytes.data()), Size);
}

void CodeplugData::replaceLeading(const QByteArray &data)
{
    std::memcpy(m_bytes.data(), data.constData(), std::min<std::size_t>(Size, data.size()));
}

std::uint32_t CodeplugData::setting(Setting s) const
{
    const SettingInfo &info = settingInfo(s);
    return info.width == 2 ? bytes::getLe16(&m_bytes[info.offset]) : m_bytes[info.offset];
}

void CodeplugData::setSetting(Setting s, std::uint32_t value)
{
    const SettingInfo &info = settingInfo(s);
    if (info.width == 2)
        bytes::putLe16(&m_bytes[info.offset], std::uint16_t(value));
    else
        m_bytes[info.offset] = std::uint8_t(value);
}

QByteArray CodeplugData::text(TextField f) const
{
    const TextFieldInfo &info = kTextFields[std::size_t(f)];
    return paddedText(&m_bytes[info.offset], info.size);
}

void CodeplugData::setText(TextField f, const QByteArray &text)
{
    const TextFieldInfo &info = kTextFields[std::size_t(f)];
    storePadded(&m_bytes[info.offset], info.size, cutText(text, info.maxText));
}

DtmfCode CodeplugData::code(CodeField f) const
{
    DtmfCode c;
    const auto *p = &m_bytes[kCodeFields[std::size_t(f)].offset];
    std::copy(p, p + DtmfCode::Size, c.raw.begin());
    return c;
}

void CodeplugData::setCode(CodeField f, const DtmfCode &code)
{
    std::copy(code.raw.begin(), code.raw.end(), &m_bytes[kCodeFields[std::size_t(f)].offset]);
}

ChannelRecord CodeplugData::channel(int n) const
{
    ChannelRecord r;
    if (n >= 0 && n <= Channels) {
        const auto *p = &m_bytes[Offset::channels + ChannelRecord::Size * n];
        std::copy(p, p + ChannelRecord::Size, r.raw.begin());
    }
    return r;
}

void CodeplugData::setChannel(int n, const ChannelRecord &record)
{
    if (n >= 1 && n <= Channels)
        std::copy(record.raw.begin(), record.raw.end(),
                  &m_bytes[Offset::channels + ChannelRecord::Size * n]);
}

AddressBookEntry CodeplugData::addressBookEntry(int n) const
{
    AddressBookEntry e;
    if (n >= 0 && n <= AddressBookEntries) {
        const auto *p = &m_bytes[Offset::addressBook + AddressBookEntry::Size * n];
        std::copy(p, p + AddressBookEntry::Size, e.raw.begin());
    }
    return e;
}

void CodeplugData::setAddressBookEntry(int n, const AddressBookEntry &entry)
{
    if (n >= 1 && n <= AddressBookEntries)
        std::copy(entry.raw.begin(), entry.raw.end(),
                  &m_bytes[Offset::addressBook + AddressBookEntry::Size * n]);
}

bool CodeplugData::maskBit(const std::uint8_t *mask, int n)
{
    return (mask[n / 8] >> (n % 8)) & 1;
}

void CodeplugData::setMaskBit(std::uint8_t *mask, int n, bool on)
{
    if (on)
        mask[n / 8] |= std::uint8_t(1u << (n % 8));
    else
        mask[n / 8] &= std::uint8_t(~(1u << (n % 8)));
}

bool CodeplugData::isChannelUsed(int n) const
{
    return n >= 0 && n <= Channels && maskBit(&m_bytes[Offset::channelUsedMask], n);
}

void CodeplugData::setChannelUsed(int n, bool used)
{
    if (n >= 1 && n <= Channels)
        setMaskBit(&m_bytes[Offset::channelUsedMask], n, used);
}

void CodeplugData::clearChannelUsedMask()
{
    std::fill_n(&m_bytes[Offset::channelUsedMask], 16, 0);
}

bool CodeplugData::isAddressBookEntryUsed(int n) const
{
    return n >= 0 && n <= AddressBookEntries && maskBit(&m_bytes[Offset::addressBookUsedMask], n);
}

void CodeplugData::setAddressBookEntryUsed(int n, bool used)
{
    if (n >= 1 && n <= AddressBookEntries)
        setMaskBit(&m_bytes[Offset::addressBookUsedMask], n, used);
}

void CodeplugData::applyNewDefaults()
{
    m_bytes.fill(0);
    for (const SettingInfo &info : kSettings) {
        if (info.group != SettingGroup::D)
            setSetting(info.id, info.newValue);
    }
    applyDtmfDefaults();
}

void CodeplugData::applyDtmfDefaults()
{
    std::fill_n(&m_bytes[Offset::reserved06D], 13, 0);
    std::fill_n(&m_bytes[Offset::addressBookUsedMask], 3, 0);
    std::fill_n(&m_bytes[Offset::reserved07D], 2, 0);
    for (const SettingInfo &info : kSettings) {
        if (info.group == SettingGroup::D)
            setSetting(info.id, info.newValue);
    }
}

void CodeplugData::enterChannelFrequency(int n, std::uint32_t rxFreq)
{
    if (n < 1 || n > Channels)
        return;
    ChannelRecord r = channel(n);
    r.setRxFreq(rxFreq);
    if (!isChannelUsed(n)) {
        r.setTxFreq(rxFreq);
        r.setRxTone({});
        r.setTxTone({});
        std::fill_n(&r.raw[ChannelRecord::Offset::optionA], 4, 0);
        r.raw[ChannelRecord::Offset::optionB] = 0xB0; // wide, high power, in the scan list
        r.setSquelchMode(0);
        setChannelUsed(n, true);
    }
    setChannel(n, r);
}

void CodeplugData::setAddressBookName(int n, const QByteArray &name)
{
    if (n < 1 || n > AddressBookEntries)
        return;
    AddressBookEntry e = addressBookEntry(n);
    const bool filled = !cutText(name, AddressBookEntry::NameSize).isEmpty();
    if (filled && !isAddressBookEntryUsed(n)) {
        std::fill_n(e.raw.begin(), 11, 0);
        e.raw[11] = 1;
    }
    e.setName(name);
    setAddressBookEntry(n, e);
    setAddressBookEntryUsed(n, filled);
}

} // namespace t880
