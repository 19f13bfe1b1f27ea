#include "ui/tpastereportdlg.h"

#include "codeplug/codeplugdiff.h"
#include "codeplug/tonecodec.h"
#include "text/textnames.h"
#include "ui/channelmodel.h"
#include "ui/document.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace t880 {

using namespace channelcsv;

namespace {

// The grid's caption for a column of the channel list: its column header;
// the tone columns that can stand for either tone share one name.
int columnCaption(const QString &column)
{
    const int grid = ChannelTableModel::gridColumnOfList(column);
    if (grid < 0 || grid >= ChannelTableModel::GridColumns)
        return text::MainText::CtcDcs;
    return ChannelTableModel::headerText(grid);
}

QString adjustmentText(const Document &state, const AdjustmentNote &note)
{
    const auto t = [&](int n) {
        return state.langText(n);
    };
    const QString column = t(columnCaption(note.column));
    switch (note.kind) {
    case Adjustment::MovedOntoRaster:
        return t(text::MainText::MovedOntoRaster).arg(column, note.from, note.to);
    case Adjustment::NameCut:
        return t(text::MainText::NameCut).arg(note.to);
    case Adjustment::NameReplaced:
        return t(text::MainText::NameReplaced);
    case Adjustment::NonstandardTone:
        return t(text::MainText::NonstandardTone).arg(note.to);
    case Adjustment::ToneCut:
        return t(text::MainText::ToneCut).arg(note.from, note.to);
    case Adjustment::PowerFromWatts:
        return t(text::MainText::PowerTaken)
            .arg(note.from, t(note.highPower ? text::MainText::High : text::MainText::Low));
    case Adjustment::MovedToEmptyChannel:
        return t(text::MainText::MovedToEmpty).arg(channelLabel(note.from.toInt(), state.lang()));
    }
    return QString();
}

QString refusalText(const Document &state, const RowPreview &row)
{
    const auto t = [&](int n) {
        return state.langText(n);
    };
    const QString column = t(columnCaption(row.refusalColumn));
    switch (row.refusal) {
    case Refusal::None:
        return QString();
    case Refusal::OutsideBand:
        return t(text::MainText::OutsideBand)
            .arg(column, row.refusalValue, codec::formatFrequency(state.program().activeBandLow),
                 codec::formatFrequency(state.program().activeBandHigh));
    case Refusal::UnsupportedMode:
        return t(text::MainText::ModeRefused).arg(row.refusalValue);
    case Refusal::LocationOutOfRange:
        return t(text::MainText::LocationRefused).arg(row.refusalValue);
    case Refusal::TooManyRows:
        return t(text::MainText::TooManyRows);
    case Refusal::DuplicateChannel:
        return t(text::MainText::DuplicateRow);
    case Refusal::Unreadable:
        return t(text::MainText::Unreadable).arg(column, row.refusalValue);
    case Refusal::NoFrequency:
        return t(text::MainText::NoFrequency);
    case Refusal::ToneNotTaken:
        return t(text::MainText::ToneNotTaken).arg(row.refusalValue);
    case Refusal::NoEmptyChannel:
        return t(text::MainText::NoEmptyChannel)
            .arg(channelLabel(row.refusalValue.toInt(), state.lang()));
    }
    return QString();
}

} // namespace

QString reportLine(const Document &state, const RowPreview &row, bool withLine)
{
    QStringList notes;
    if (row.outcome == Outcome::Refused) {
        notes << refusalText(state, row);
    } else {
        for (const AdjustmentNote &note : row.adjustments)
            notes << adjustmentText(state, note);
    }
    if (notes.isEmpty() && !withLine)
        return QString();
    // Only a row nothing was done to is taken as it stands.
    const QString said = notes.isEmpty() ? state.langText(text::MainText::TakenAsIs)
                                         : notes.join(QStringLiteral("; "));
    const QString channel = row.channel > 0 ? channelLabel(row.channel, state.lang()) : QString();
    if (withLine)
        return channel.isEmpty() ? state.langText(text::MainText::LineNote).arg(row.line).arg(said)
                                 : state.langText(text::MainText::LineChannelNote)
                                       .arg(row.line)
                                       .arg(channel, said);
    return channel.isEmpty() ? state.langText(text::MainText::LineNote).arg(row.line).arg(said)
                             : state.langText(text::MainText::ChannelNote).arg(channel, said);
}

QStringList reportLines(const Document &state, const Preview &preview, bool everyRow)
{
    QStringList lines{state.langText(text::MainText::PasteSummary)
                          .arg(preview.count(Outcome::Taken))
                          .arg(preview.count(Outcome::Adjusted))
                          .arg(preview.count(Outcome::Refused))};
    for (const RowPreview &row : preview.rows) {
        const QString line = reportLine(state, row, everyRow);
        if (!line.isEmpty())
            lines << line;
    }
    return lines;
}

TPasteReportDlg::TPasteReportDlg(const Document &state, const QString &title,
                                 const QStringList &lines, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TPasteReportDlg"));
    setWindowTitle(title);
    ReportSummary = new QLabel(lines.value(0), this);
    ReportSummary->setObjectName(QStringLiteral("ReportSummary"));
    ReportLines = new QPlainTextEdit(this);
    ReportLines->setObjectName(QStringLiteral("ReportLines"));
    ReportLines->setReadOnly(true);
    ReportLines->setLineWrapMode(QPlainTextEdit::NoWrap);
    ReportLines->setPlainText(lines.mid(1).join(QLatin1Char('\n')));
    ReportLines->setVisible(lines.size() > 1);
    OKBtn = new QPushButton(state.langText(text::MainText::Ok), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setDefault(true);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    CancelBtn =
        new QPushButton(state.tableText(text::TextTable::Adjust, text::AdjustText::Cancel), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    CancelBtn->hide();
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(ReportSummary);
    layout->addWidget(ReportLines, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    layout->addLayout(buttons);

    // Wide enough for the longest line, within reason, so nothing is cut.
    const QFontMetrics metrics(ReportLines->font());
    int widest = metrics.horizontalAdvance(lines.value(0));
    for (const QString &line : lines)
        widest = std::max(widest, metrics.horizontalAdvance(line));
    const int visibleLines = std::clamp(int(lines.size()) - 1, 1, 12);
    ReportLines->setMinimumSize(std::min(widest + 40, 900),
                                metrics.lineSpacing() * visibleLines + 16);
}

void TPasteReportDlg::askFirst()
{
    CancelBtn->show();
}

} // namespace t880
