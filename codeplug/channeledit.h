// How a channel is edited from the texts a user types: the rules behind the
// channel grid, kept apart from any widget so the command line, undo, paste
// and import can change a channel exactly as the grid does.
//
// Columns are numbered as the grid shows them: 0 is the channel number,
// 1..8 the fields. Channels are numbered 1..16.
#pragma once

#include "codeplug/codeplugstate.h"

#include <QChar>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>

namespace t880::channeledit {

enum Column : int {
    NumberColumn = 0,
    RxFreqColumn = 1,
    TxFreqColumn = 2,
    RxToneColumn = 3,
    TxToneColumn = 4,
    PowerColumn = 5,
    BandwidthColumn = 6,
    ScanColumn = 7,
    BusyLockColumn = 8,
};
constexpr int ColumnCount = 9;

/// Longest text the frequency editor holds ("438.51250").
constexpr int MaxFrequencyText = 9;
/// Longest text the tone editor holds ("D023N").
constexpr int MaxToneText = 5;

/// What became of a committed text.
enum class EditResult {
    Stored,        ///< the value (clamped, snapped) is in the channel
    TakenOutOfUse, ///< an empty receive frequency: the channel is no longer in use
    Refused,       ///< not a value, or nothing to edit; the channel is unchanged
};

/// What a text typed or pasted into a frequency cell stands for.
enum class FrequencyKind {
    Empty,      ///< no text at all
    Number,     ///< digits with at most one point: megahertz
    NotANumber, ///< anything else ("abc", "446,5", "446 MHz"): the cell keeps its value
};

/// A frequency cell's text as read by readFrequencyText().
struct FrequencyReading
{
    FrequencyKind kind = FrequencyKind::NotANumber;
    bool zero = false;    ///< the number is 0 (a transmit frequency of 0: receive only)
    std::uint32_t hz = 0; ///< the number clamped into the band and moved onto the raster
};

/// Reads a frequency cell's text: digits with at most one point are MHz,
/// clamped into [\a bandLow, \a bandHigh] and moved onto the raster, a
/// number too large for the 32-bit field included (it lies above the band
/// like any other); anything else is not a number.
FrequencyReading readFrequencyText(const QString &text, std::uint32_t bandLow,
                                   std::uint32_t bandHigh);

/// Commits a receive-frequency text (MHz) into channel \a n, read by
/// readFrequencyText(); a channel not in use is put in use and filled with
/// the defaults of a new channel (autoFullChannel). An empty text takes the
/// channel out of use, its bytes kept; a text that is not a number is refused.
EditResult commitRxFrequency(CodeplugState &state, int n, const QString &text);

/// Commits a transmit-frequency text: empty or 0 stores 0 (no transmit),
/// any other number is clamped and snapped like the receive frequency.
/// Refused for a text that is not a number and for a channel not in use.
EditResult commitTxFrequency(CodeplugState &state, int n, const QString &text);

/// Gives a channel that just got its first receive frequency the defaults:
/// transmit = receive, no tones, wide, high power, scan add, no DTMF,
/// carrier squelch, busy lock off; marks it in use.
void autoFullChannel(CodeplugData &codeplug, int n);

/// The channel grid's row clearing: takes channel \a n out of use, so its
/// row shows empty; the record's bytes are left as they are.
void StringGridCleanRow(CodeplugData &codeplug, int n);

/// Commits a tone text into the receive (RxToneColumn) or transmit
/// (TxToneColumn) tone. A receive tone that appears on a carrier-squelch
/// channel turns on CTC/DCS squelch; one that disappears falls back to DTMF
/// (DTMF flag set and a combined mode) or carrier squelch. A text the tone
/// reader rejects leaves the tone as it was.
EditResult commitTone(CodeplugData &codeplug, int n, int column, const QString &text);

/// The index a picker (columns 5..8) shows for the channel: 0 for the bit
/// clear, 1 for set. A busy lock of 1 or 3 (foreign files) has no item;
/// then \a previousIndex, the picker's last selection, stays.
int pickerIndex(const ChannelRecord &record, int column, int previousIndex = 0);

/// Stores a picker's index (0 clear, 1 set; busy lock 0 or 2) into channel
/// \a n. Refused for a channel not in use or a column without a picker.
EditResult commitPicker(CodeplugData &codeplug, int n, int column, int index);

/// True when the tone of a tone column of a channel in use is outside the
/// standard CTCSS and DCS tables (type 0 is always standard).
bool isNonstandardTone(const CodeplugData &codeplug, int n, int column);

/// A cell's text: either the text itself or the number of a text-table entry.
struct CellText
{
    QString text;
    int textNumber = -1; ///< when >= 0, the text table's entry replaces text
};

/// The nine cell texts of channel \a n; columns 1..8 are empty when the
/// channel is not in use.
std::array<CellText, ColumnCount> rowTexts(const CodeplugData &codeplug, int n);

/// Whether the frequency editor takes the typed character: digits, the
/// point, control characters, and the comma and anything beyond 7-bit ASCII
/// (a decimal comma, an input method's characters: the commit refuses them
/// and names the text).
bool frequencyKeyAccepted(QChar c);

/// The frequency editor's text after a change: cut to nine characters, a
/// text of only a point emptied, every point after the first removed.
QString tidyFrequencyText(const QString &text);

/// The character the tone editor takes for a typed one (d, n and i become
/// capitals), or nothing when it is discarded.
std::optional<QChar> toneKey(QChar c);

/// The tone editor's text after a change: cut to five characters.
QString tidyToneText(const QString &text);

} // namespace t880::channeledit
