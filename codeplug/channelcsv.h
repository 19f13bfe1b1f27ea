// Channel lists exchanged with spreadsheets and other programming tools, in
// the column set the community's multi-radio tool reads and writes. Its
// columns keep their meaning there: `Tone` sends rToneFreq and decodes
// nothing, `TSQL` uses cToneFreq both ways, `DTCS` uses DtcsCode both ways
// with DtcsPolarity (first letter transmit, second receive, R inverted), and
// `Cross` follows CrossMode (transmit side before the arrow, receive side
// after it).
//
// Reading never changes a codeplug: it gives a preview with one entry per
// row (taken, adjusted and how, refused and why) and the channel each row
// would become; applyPreview() then stores the rows that were not refused.
// The same path serves the clipboard (tab-separated, same columns).
#pragma once

#include "codeplug/codeplugstate.h"
#include "codeplug/csvtable.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace t880::channelcsv {

/// The header, in the order export writes it.
const QStringList &columns();

/// A column of our own that the clipboard adds and import reads when
/// present: "On" for busy lock-out on carrier, "Off" for none.
inline const QString BusyLockHeader = QStringLiteral("BusyLock");

// --- writing -------------------------------------------------------------

/// A file of every channel in use, in channel order.
QByteArray exportCsv(const CodeplugData &codeplug);

/// Tab-separated text with a header line for the clipboard: one row per
/// channel of \a channels (1..16, in the given order); a channel not in use
/// gives a row with only its Location, which a paste turns into an empty
/// channel. After the file's columns comes BusyLockHeader, so a copy within
/// the program keeps the busy lock; other programs ignore it.
QByteArray clipboardText(const CodeplugData &codeplug, const QList<int> &channels);

/// The row export writes for channel \a n (in the order of columns()).
QStringList channelRow(const CodeplugData &codeplug, int n);

// --- reading -------------------------------------------------------------

enum class Outcome { Taken, Adjusted, Refused };

enum class Adjustment {
    MovedOntoRaster, ///< from/to: the frequency read and the one stored (MHz)
    NameCut,         ///< to: the name kept
    NameReplaced,    ///< characters without a code page entry became '?'
    NonstandardTone, ///< to: the tone, kept and marked
    ToneCut,         ///< from/to: a tone with more than one decimal, cut to 0.1 Hz
    PowerFromWatts,  ///< from, highPower: a power in watts taken as high or low power
    /// from/to: the channel the row names, which is in use and kept, and
    /// the empty channel the row went to instead (ImportOptions::keepChannelsInUse)
    MovedToEmptyChannel,
};

enum class Refusal {
    None,
    OutsideBand,        ///< column, value: a frequency outside the active band
    UnsupportedMode,    ///< value: a mode this radio does not have (AM, DV, ...)
    LocationOutOfRange, ///< value: a Location outside 1..16
    TooManyRows,        ///< a row beyond the 16th (or beyond the chosen channels)
    DuplicateChannel,   ///< an earlier row already went to the same channel
    Unreadable,         ///< column, value: a value that does not read
    NoFrequency,        ///< no receive frequency for a channel not in use
    ToneNotTaken,       ///< column, value: a tone the tone reader does not take
    NoEmptyChannel,     ///< value: the channel named, in use and kept, with no empty one left
};

struct AdjustmentNote
{
    Adjustment kind;
    QString column;
    QString from;
    QString to;
    /// PowerFromWatts: the level the watts were taken as.
    bool highPower = false;
};

struct RowPreview
{
    int line = 0;    ///< where the row starts in the text, from 1
    int channel = 0; ///< 1..16, 0 when refused before a channel was found
    Outcome outcome = Outcome::Taken;
    QList<AdjustmentNote> adjustments;
    Refusal refusal = Refusal::None;
    QString refusalColumn;
    QString refusalValue;
    /// The channel as it would be stored (not meaningful when refused).
    bool inUse = false;
    ChannelRecord record;
};

struct Preview
{
    csv::Table table; ///< how the text read; !table.ok() means no rows at all
    /// Set when the text has no Frequency column where one is needed.
    bool missingFrequencyColumn = false;
    QList<RowPreview> rows;

    bool readable() const { return table.ok() && !missingFrequencyColumn; }
    int count(Outcome o) const;
};

struct ImportOptions
{
    /// Rows go to these channels in order (a paste into a selection) instead
    /// of their Location; empty: by Location, or in order from channel 1
    /// when the text has no Location column.
    QList<int> targetChannels;
    /// true (import): a row makes its channel anew, as typing a frequency
    /// into an empty row would, and columns the text lacks take a new
    /// channel's values. false (paste): only the columns the text has change
    /// a channel that is in use; an empty Frequency clears the channel.
    bool replaceChannels = true;
    /// Channels in use stay as they are: a row that names one goes to the
    /// first empty channel that no row of the text names (in file order),
    /// and is refused when none is left.
    bool keepChannelsInUse = false;
};

/// Reads a comma-separated file against \a state (band limits, and the
/// channels a paste changes) without changing it.
Preview previewCsv(const CodeplugState &state, const QByteArray &data,
                   const ImportOptions &options = {});
/// The same for tab-separated clipboard text; paste options by default.
Preview previewClipboard(const CodeplugState &state, const QByteArray &text,
                         const ImportOptions &options = {{}, false});
/// Reads an already split table (either of the above after reading).
Preview previewTable(const CodeplugState &state, const csv::Table &table,
                     const ImportOptions &options);

/// Stores every row of \a preview that was not refused; returns the channels changed.
QList<int> applyPreview(CodeplugData &codeplug, const Preview &preview);

/// One English line per row for the command line ("line 3, CH05: adjusted:
/// ..."); the window builds its own from the structured entries.
QString describeRow(const RowPreview &row);
/// The whole report: a line for a text that does not read, else one per row
/// and a summary.
QStringList describePreview(const Preview &preview);

} // namespace t880::channelcsv
