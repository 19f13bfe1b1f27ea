// The codeplug: every radio setting the user edits, held as the exact
// 2943-byte block that the codeplug file stores.
//
// Layout at a glance (offsets in hex, multi-byte fields little-endian and
// unaligned; every byte not named here is reserved and kept as loaded):
//
//   04A deviceSerial[8]   053 radioPassword[13]   060 newRadioPassword[13]
//   07A addressBookUsedMask[3]                    335 addressBook[17 x 19]
//   554 channels[17 x 72]  (slot 0 unused)
//   AB6..B54 function, DTMF and side-key settings (see T880_SETTINGS)
//   B02.. DTMF codes[11] each                      B55 firmwareVersion[9]
//   B5E writeNewPassword  B5F channelUsedMask[16]  B6F..B7E reserved
#pragma once

#include "codeplug/bytes.h"

#include <QByteArray>

#include <array>
#include <cstdint>

namespace t880 {

/// Squelch tone kinds as stored in the codeplug and the image.
enum class ToneType : std::uint8_t { None = 0, Ctcss = 1, DcsNormal = 2, DcsInverted = 3 };

/// A squelch tone: the raw type byte and the 16-bit value (CTCSS in tenths of a
/// hertz, DCS as 0x2800 plus the octal code). The type is kept as a raw byte
/// because a foreign file may bring a value outside 0..3.
struct Tone
{
    std::uint8_t type = 0;
    std::uint16_t value = 0;
    bool operator==(const Tone &o) const { return type == o.type && value == o.value; }
    bool operator!=(const Tone &o) const { return !(*this == o); }
};

// The plain numeric settings: name, offset, width in bytes, value after New,
// and the group that resets it (F: applyNewDefaults, D: applyDtmfDefaults,
// R: DTMF remote control, only cleared by New, K: side keys, V: device).
#define T880_SETTINGS(X)                                                                           \
    X(voice, 0xAB6, 1, 1, F)                                                                       \
    X(sql, 0xABF, 1, 5, F)                                                                         \
    X(squelchMode, 0xAC0, 1, 3, F)                                                                 \
    X(subaudioTail, 0xAC8, 1, 3, F)                                                                \
    X(voxCtrl, 0xACE, 1, 0, F)                                                                     \
    X(voxGain, 0xACF, 1, 6, F)                                                                     \
    X(voxDelay, 0xAD0, 2, 2000, F)                                                                 \
    X(tot, 0xAD2, 2, 180, F)                                                                       \
    X(toa, 0xAD5, 1, 5, F)                                                                         \
    X(scanResume, 0xAD9, 1, 1, F)                                                                  \
    X(priorityScan, 0xADA, 2, 0, F)                                                                \
    X(keyPressBeep, 0xADF, 1, 1, F)                                                                \
    X(batterySave, 0xAE1, 1, 1, F)                                                                 \
    X(batterySaveRate, 0xAE2, 1, 3, F)                                                             \
    X(autoPowerOff, 0xAE3, 2, 0, F)                                                                \
    X(channelReport, 0xAE6, 1, 1, F)                                                               \
    X(tone1750Ctrl, 0xAEB, 1, 0, F)                                                                \
    X(tone1750Hold, 0xAEC, 1, 3, F)                                                                \
    X(whisper, 0xB40, 1, 0, F)                                                                     \
    X(alarmMode, 0xB49, 1, 1, F)                                                                   \
    X(refuseAlarm, 0xB4A, 1, 0, F)                                                                 \
    X(autoConnect, 0xB4B, 1, 0, F)                                                                 \
    X(autoConnectPos, 0xB4C, 1, 0, F)                                                              \
    X(masterTxPeriod, 0xB4D, 1, 5, F)                                                              \
    X(slaveTimeout, 0xB4E, 1, 10, F)                                                               \
    X(slaveAlarmPeriod, 0xB4F, 1, 2, F)                                                            \
    X(powerOnBeep, 0xB50, 1, 1, F)                                                                 \
    X(dtmfId, 0xAF0, 2, 1, D)                                                                      \
    X(dtmfGroup, 0xAF2, 1, 1, D)                                                                   \
    X(dtmfEncodeMode, 0xAF3, 1, 1, D)                                                              \
    X(dtmfSideTone, 0xAF4, 1, 0, D)                                                                \
    X(dtmfControl, 0xAF5, 1, 0, D)                                                                 \
    X(dtmfDigitSpeed, 0xAF6, 1, 100, D)                                                            \
    X(dtmfPauseDuration, 0xAF7, 1, 100, D)                                                         \
    X(dtmfFirstDelay, 0xAF8, 2, 100, D)                                                            \
    X(dtmfPretime, 0xAFA, 2, 500, D)                                                               \
    X(dtmfStarHashDelay, 0xAFC, 2, 50, D)                                                          \
    X(groupCode, 0xAFE, 1, 0, D)                                                                   \
    X(autoResetTime, 0xAFF, 1, 0, D)                                                               \
    X(sendAni, 0xB00, 1, 0, D)                                                                     \
    X(limited, 0xB23, 1, 0, R)                                                                     \
    X(dizzyState, 0xB24, 1, 0, R)                                                                  \
    X(key1Short, 0xB51, 1, 24, K)                                                                  \
    X(key1Long, 0xB52, 1, 0, K)                                                                    \
    X(key2Short, 0xB53, 1, 3, K)                                                                   \
    X(key2Long, 0xB54, 1, 0, K)                                                                    \
    X(writeNewPassword, 0xB5E, 1, 0, V)

enum class Setting : int {
#define T880_SETTING_ENUM(name, off, width, def, group) name,
    T880_SETTINGS(T880_SETTING_ENUM)
#undef T880_SETTING_ENUM
        Count
};

enum class SettingGroup : std::uint8_t { F, D, R, K, V };

struct SettingInfo
{
    Setting id;
    const char *name;
    std::uint16_t offset;
    std::uint8_t width;
    std::uint16_t newValue;
    SettingGroup group;
};

/// Every numeric setting in the order the settings panels list them.
const std::array<SettingInfo, int(Setting::Count)> &settingTable();
const SettingInfo &settingInfo(Setting s);

/// NUL-terminated (or zero-padded) text fields of the block.
enum class TextField : int {
    deviceSerial,
    radioPassword,
    newRadioPassword,
    firmwareVersion,
    Count
};

struct TextFieldInfo
{
    TextField id;
    const char *name;
    std::uint16_t offset;
    std::uint8_t size;    ///< bytes reserved in the block
    std::uint8_t maxText; ///< longest text the field holds
};
const std::array<TextFieldInfo, int(TextField::Count)> &textFieldTable();

/// The five DTMF codes of the remote-control settings.
enum class CodeField : int { dizzyCode, stunCode, activationCode, pttIdCode, aniCode, Count };

struct CodeFieldInfo
{
    CodeField id;
    const char *name;
    std::uint16_t offset;
};
const std::array<CodeFieldInfo, int(CodeField::Count)> &codeFieldTable();

/// An 11-byte DTMF code: ten digit codes (0..9, A..D = 10..13, * = 14, # = 15)
/// and the digit count.
class DtmfCode
{
public:
    static constexpr int Size = 11;
    static constexpr int MaxDigits = 10;

    std::array<std::uint8_t, Size> raw{};

    int count() const { return raw[10]; }
    /// The digits as text; a digit code above 15 or a count above 10 (possible
    /// only from a foreign file) shows as '?' so nothing is silently dropped.
    QByteArray text() const;
    /// Sets the code from text of the characters 0-9 A-D * #; returns false
    /// (and changes nothing) for any other character or more than ten digits.
    bool setText(const QByteArray &text);
};

/// A 72-byte channel record; meaningful only while its used bit is set.
class ChannelRecord
{
public:
    static constexpr int Size = 72;
    static constexpr int NameSize = 6;
    struct Offset
    {
        static constexpr int rxFreq = 0;
        static constexpr int txFreq = 14;
        static constexpr int rxTone = 28;
        static constexpr int rxToneType = 30;
        static constexpr int txTone = 41;
        static constexpr int txToneType = 43;
        static constexpr int optionA = 57;
        static constexpr int optionB = 58;
        static constexpr int spare1 = 59;
        static constexpr int spare2 = 60;
        static constexpr int name = 61;
    };

    std::array<std::uint8_t, Size> raw{};

    std::uint32_t rxFreq() const { return bytes::getLe32(&raw[Offset::rxFreq]); }
    void setRxFreq(std::uint32_t hz) { bytes::putLe32(&raw[Offset::rxFreq], hz); }
    std::uint32_t txFreq() const { return bytes::getLe32(&raw[Offset::txFreq]); }
    void setTxFreq(std::uint32_t hz) { bytes::putLe32(&raw[Offset::txFreq], hz); }

    Tone rxTone() const { return {raw[Offset::rxToneType], bytes::getLe16(&raw[Offset::rxTone])}; }
    void setRxTone(Tone t);
    Tone txTone() const { return {raw[Offset::txToneType], bytes::getLe16(&raw[Offset::txTone])}; }
    void setTxTone(Tone t);

    std::uint8_t optionA() const { return raw[Offset::optionA]; }
    std::uint8_t optionB() const { return raw[Offset::optionB]; }

    /// 0 Carrier, 1 DTMF, 2 CTC/DCS, 3 DTMF and CTC/DCS, 4 DTMF or CTC/DCS.
    int squelchMode() const { return raw[Offset::optionA] & 0x07; }
    void setSquelchMode(int mode);
    /// 0 off, 2 busy lock-out on carrier; 1 and 3 come only from foreign files.
    int busyLock() const { return (raw[Offset::optionA] >> 3) & 0x03; }
    void setBusyLock(int mode);

    bool dtmfFlag() const { return raw[Offset::optionB] & 0x08; }
    void setDtmfFlag(bool on) { setBit(Offset::optionB, 3, on); }
    bool wide() const { return raw[Offset::optionB] & 0x10; }
    void setWide(bool on) { setBit(Offset::optionB, 4, on); }
    bool highPower() const { return raw[Offset::optionB] & 0x20; }
    void setHighPower(bool on) { setBit(Offset::optionB, 5, on); }
    bool scanAdd() const { return raw[Offset::optionB] & 0x80; }
    void setScanAdd(bool on) { setBit(Offset::optionB, 7, on); }

    /// The name bytes without the zero padding (code-page text, not decoded).
    QByteArray name() const;
    /// Stores at most six bytes, zero-padded; a double-byte character is never
    /// cut in half.
    void setName(const QByteArray &name);

    /// Applies the squelch rule for a newly entered decode tone: a first tone
    /// on a carrier channel turns on CTC/DCS squelch; removing the tone falls
    /// back to DTMF (when the channel signals DTMF and its squelch needed the
    /// tone) or to carrier squelch.
    void setRxToneWithSquelchRule(Tone t);

private:
    void setBit(int offset, int bit, bool on);
};

/// A 19-byte DTMF address-book entry.
class AddressBookEntry
{
public:
    static constexpr int Size = 19;
    static constexpr int NameSize = 6;
    std::array<std::uint8_t, Size> raw{};

    /// The call number as a DTMF code (digits 0..10 and the count at byte 11).
    QByteArray number() const;
    bool setNumber(const QByteArray &text);
    int digitCount() const { return raw[11]; }
    QByteArray name() const;
    void setName(const QByteArray &name);
};

/// The whole codeplug block with typed access by named offsets.
class CodeplugData
{
public:
    static constexpr int Size = 2943;
    static constexpr int Channels = 16;
    static constexpr int AddressBookEntries = 16;
    struct Offset
    {
        static constexpr int reserved06D = 0x06D;
        static constexpr int addressBookUsedMask = 0x07A;
        static constexpr int reserved07D = 0x07D;
        static constexpr int addressBook = 0x335;
        static constexpr int channels = 0x554;
        static constexpr int channelUsedMask = 0xB5F;
    };

    CodeplugData() = default;

    const std::array<std::uint8_t, Size> &bytes() const { return m_bytes; }
    QByteArray toByteArray() const;
    /// Replaces the leading bytes of the block with \a data (at most Size
    /// bytes are taken); used by the file loader and by tests.
    void replaceLeading(const QByteArray &data);

    std::uint32_t setting(Setting s) const;
    /// Stores the value in the field's width (truncating, as the radio would).
    void setSetting(Setting s, std::uint32_t value);

    QByteArray text(TextField f) const;
    /// Stores the text NUL-terminated, cut at the field's limit.
    void setText(TextField f, const QByteArray &text);

    DtmfCode code(CodeField f) const;
    void setCode(CodeField f, const DtmfCode &code);

    /// Channel n = 1..16 (slot 0 exists in the block but is never used).
    ChannelRecord channel(int n) const;
    void setChannel(int n, const ChannelRecord &record);

    AddressBookEntry addressBookEntry(int n) const;
    void setAddressBookEntry(int n, const AddressBookEntry &entry);

    bool isChannelUsed(int n) const;
    void setChannelUsed(int n, bool used);
    /// Clears all 16 bytes of the channel mask, bits of foreign files included.
    void clearChannelUsedMask();
    bool isAddressBookEntryUsed(int n) const;
    void setAddressBookEntryUsed(int n, bool used);

    /// Resets the block to the values of a new codeplug.
    void applyNewDefaults();
    /// Resets the DTMF settings (the address-book entries stay as they are).
    void applyDtmfDefaults();

    /// Enters a receive frequency into channel n: a channel not yet in use is
    /// marked used and given the defaults of a new channel first.
    void enterChannelFrequency(int n, std::uint32_t rxFreq);
    /// Names address-book entry n: the first name fills a fresh entry, an
    /// empty name takes the entry out of use.
    void setAddressBookName(int n, const QByteArray &name);

    bool operator==(const CodeplugData &o) const { return m_bytes == o.m_bytes; }
    bool operator!=(const CodeplugData &o) const { return m_bytes != o.m_bytes; }

private:
    static bool maskBit(const std::uint8_t *mask, int n);
    static void setMaskBit(std::uint8_t *mask, int n, bool on);

    std::array<std::uint8_t, Size> m_bytes{};
};

/// Date and time of the radio's last programming, as the image carries it.
struct ProgramDate
{
    std::uint16_t year = 0;
    std::uint8_t month = 0;
    std::uint8_t day = 0;
    std::uint8_t hour = 0;
    std::uint8_t minute = 0;
    bool operator==(const ProgramDate &o) const
    {
        return year == o.year && month == o.month && day == o.day && hour == o.hour &&
               minute == o.minute;
    }
};

/// Cuts code-page text to at most \a limit bytes without splitting a
/// double-byte character.
QByteArray cutText(const QByteArray &text, int limit);

} // namespace t880
