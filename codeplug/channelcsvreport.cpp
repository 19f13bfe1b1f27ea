// The command line's English report of a preview.
#include "codeplug/channelcsv.h"

namespace t880::channelcsv {

namespace {

QString adjustmentText(const AdjustmentNote &a)
{
    switch (a.kind) {
    case Adjustment::MovedOntoRaster:
        return QStringLiteral("%1 %2 moved onto the channel raster: %3")
            .arg(a.column, a.from, a.to);
    case Adjustment::NameCut:
        return QStringLiteral("name \"%1\" cut to its 6 bytes: \"%2\"").arg(a.from, a.to);
    case Adjustment::NameReplaced:
        return QStringLiteral("name \"%1\": characters the radio cannot show became ?: \"%2\"")
            .arg(a.from, a.to);
    case Adjustment::NonstandardTone:
        return QStringLiteral("nonstandard tone %1 kept").arg(a.to);
    case Adjustment::ToneCut:
        return QStringLiteral("%1 %2 cut to one decimal: %3").arg(a.column, a.from, a.to);
    case Adjustment::PowerFromWatts:
        // In the words the list's own Power column uses.
        return QStringLiteral("Power %1 taken as %2")
            .arg(a.from, a.highPower ? QStringLiteral("High") : QStringLiteral("Low"));
    case Adjustment::MovedToEmptyChannel:
        return QStringLiteral("channel %1 is in use: went to the empty channel %2")
            .arg(a.from, a.to);
    }
    return QString();
}

QString refusalText(const RowPreview &r)
{
    switch (r.refusal) {
    case Refusal::None:
        return QString();
    case Refusal::OutsideBand:
        return QStringLiteral("%1 %2 lies outside the active band")
            .arg(r.refusalColumn, r.refusalValue);
    case Refusal::UnsupportedMode:
        return QStringLiteral("this radio has no mode %1 (only FM and NFM)").arg(r.refusalValue);
    case Refusal::LocationOutOfRange:
        return QStringLiteral("Location %1 is not a channel 1..16").arg(r.refusalValue);
    case Refusal::TooManyRows:
        return QStringLiteral("more rows than channels");
    case Refusal::DuplicateChannel:
        return QStringLiteral("an earlier row already went to this channel");
    case Refusal::Unreadable:
        return QStringLiteral("%1 \"%2\" does not read").arg(r.refusalColumn, r.refusalValue);
    case Refusal::NoFrequency:
        return QStringLiteral("no receive frequency");
    case Refusal::ToneNotTaken:
        return QStringLiteral("tone %1 is not one this radio takes").arg(r.refusalValue);
    case Refusal::NoEmptyChannel:
        return QStringLiteral("channel %1 is in use and no empty channel is left")
            .arg(r.refusalValue);
    }
    return QString();
}

} // namespace

QString describeRow(const RowPreview &row)
{
    QString head = QStringLiteral("line %1").arg(row.line);
    if (row.channel >= 1)
        head += QStringLiteral(", CH%1").arg(row.channel, 2, 10, QLatin1Char('0'));
    switch (row.outcome) {
    case Outcome::Taken:
        return head + (row.inUse ? QStringLiteral(": taken") : QStringLiteral(": emptied"));
    case Outcome::Adjusted: {
        QStringList parts;
        for (const AdjustmentNote &a : row.adjustments)
            parts.append(adjustmentText(a));
        return head + QStringLiteral(": adjusted: ") + parts.join(QStringLiteral("; "));
    }
    case Outcome::Refused:
        return head + QStringLiteral(": refused: ") + refusalText(row);
    }
    return head;
}

QStringList describePreview(const Preview &preview)
{
    if (!preview.table.ok())
        return {csv::describeTableError(preview.table)};
    if (preview.missingFrequencyColumn)
        return {QStringLiteral("the header has no Frequency column")};
    QStringList lines;
    for (const RowPreview &row : preview.rows)
        lines.append(describeRow(row));
    lines.append(QStringLiteral("%1 rows: %2 taken, %3 adjusted, %4 refused")
                     .arg(preview.rows.size())
                     .arg(preview.count(Outcome::Taken))
                     .arg(preview.count(Outcome::Adjusted))
                     .arg(preview.count(Outcome::Refused)));
    return lines;
}

} // namespace t880::channelcsv
