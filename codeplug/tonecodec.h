// Conversions between model values (Hz, tone type and value) and the texts
// the user sees or the words stored in the radio's memory. All functions are
// pure: the band limits and the radio variant come in as arguments.
#pragma once

#include "codeplug/codeplugdata.h"

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <optional>
#include <utility>

namespace t880::codec {

/// The 50 standard CTCSS tones in tenths of a hertz.
const std::array<std::uint16_t, 50> &ctcssTones();
/// The 105 standard DCS codes as 9-bit numbers (octal 023 is 19).
const std::array<std::uint16_t, 105> &dcsCodes();
/// The 261 texts of the tone drop-down: Off, CTCSS, DCS normal, DCS inverted.
QStringList toneChoiceList();

constexpr std::uint16_t DcsBase = 0x2800;
constexpr std::uint16_t ToneOff = 0xFFFF;

/// "438.50000": three MHz digits, five fraction digits (the 1 Hz digit is
/// dropped); 0 Hz gives "0".
QString formatFrequency(std::uint32_t hz);
/// How a frequency text read.
enum class FrequencyParse {
    Ok,         ///< a number of MHz that fits 32 bits of Hz
    Overflow,   ///< digits with at most one point, beyond 32 bits of Hz
    NotANumber, ///< anything else (a lone point, a sign, a blank, a second point)
};
/// Reads decimal MHz exactly (no floating point), truncating below 1 Hz. An
/// empty text gives 0. Anything but digits with at most one point, or a value
/// beyond 32 bits, gives nothing; \a how, when given, tells the two apart.
std::optional<std::uint32_t> parseFrequency(const QString &text, FrequencyParse *how = nullptr);
/// Clamps into the band, then moves a frequency off the 5 kHz raster down
/// onto the 6.25 kHz raster.
std::uint32_t snapFrequency(std::uint32_t hz, std::uint32_t bandLow, std::uint32_t bandHigh);
/// Puts a step on the raster; 10 MHz or more gives 0.
std::uint32_t snapStep(std::uint32_t hz);

/// "Off", "88.5", "D023N", "D023I"; empty for a type above 3.
QString formatTone(std::uint16_t value, std::uint8_t type);
/// Parses an entered tone; nothing for a rejected text.
std::optional<Tone> parseTone(const QString &text);
bool isStandardTone(std::uint16_t value, std::uint8_t type);

/// Channel frequency word of the current layout: 125 Hz units on a 'Y' radio
/// (variant true), 62.5 Hz units on an 'S' radio. Only 24 bits are stored.
std::uint32_t toFrequencyWord(std::uint32_t hz, bool variant);
std::uint32_t fromFrequencyWord(std::uint32_t word, bool variant);
/// The CTCSS word the transceiver chip expects.
std::uint16_t ctcssChipWord(std::uint16_t value, bool variant);

struct DcsWords
{
    std::uint8_t word7 = 0;
    std::uint16_t word16 = 0;
};
/// The Golay (23,12) codeword of a DCS code, split as the image stores it.
DcsWords encodeDcsWords(std::uint16_t value, std::uint8_t type);
/// Recovers the DCS value from the byte holding the low 7-bit word and the
/// high byte of the 16-bit word; the parity bits are not checked.
std::uint16_t decodeDcsWords(std::uint8_t type, std::uint8_t low7, std::uint8_t high16);

/// Packed-BCD frequency of the legacy layout (10 Hz units, least significant
/// byte first).
std::array<std::uint8_t, 4> toBcdFrequency(std::uint32_t hz);
std::uint32_t fromBcdFrequency(const std::uint8_t *bcd);

/// The two tone bytes of the legacy layout.
std::array<std::uint8_t, 2> encodeLegacyTone(Tone tone);
Tone decodeLegacyTone(std::uint8_t b0, std::uint8_t b1);

} // namespace t880::codec
