#include "ui/tpastereportdlg.h"

#include "ui/windowstate.h"

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

enum Texts {
    OkText = 153,
    TakenText = 361,
    SummaryText = 341,
    LineText = 342,
    MovedText = 343,
    NameCutText = 344,
    NameReplacedText = 345,
    NonstandardText = 346,
    ToneCutText = 347,
    PowerText = 348,
    OutsideBandText = 349,
    ModeText = 350,
    LocationText = 351,
    TooManyText = 352,
    DuplicateText = 353,
    UnreadableText = 354,
    NoFrequencyText = 355,
    ToneNotTakenText = 356,
};

QString adjustmentText(const WindowState &state, const AdjustmentNote &note)
{
    const auto t = [&](int n) {
        return state.langText(n);
    };
    switch (note.kind) {
    case Adjustment::MovedOntoRaster:
        return t(MovedText).arg(note.column, note.from, note.to);
    case Adjustment::NameCut:
        return t(NameCutText).arg(note.to);
    case Adjustment::NameReplaced:
        return t(NameReplacedText);
    case Adjustment::NonstandardTone:
        return t(NonstandardText).arg(note.to);
    case Adjustment::ToneCut:
        return t(ToneCutText).arg(note.from, note.to);
    case Adjustment::PowerFromWatts:
        return t(PowerText).arg(note.from, note.to);
    }
    return QString();
}

QString refusalText(const WindowState &state, const RowPreview &row)
{
    const auto t = [&](int n) {
        return state.langText(n);
    };
    switch (row.refusal) {
    case Refusal::None:
        return QString();
    case Refusal::OutsideBand:
        return t(OutsideBandText).arg(row.refusalColumn, row.refusalValue);
    case Refusal::UnsupportedMode:
        return t(ModeText).arg(row.refusalValue);
    case Refusal::LocationOutOfRange:
        return t(LocationText).arg(row.refusalValue);
    case Refusal::TooManyRows:
        return t(TooManyText);
    case Refusal::DuplicateChannel:
        return t(DuplicateText);
    case Refusal::Unreadable:
        return t(UnreadableText).arg(row.refusalColumn, row.refusalValue);
    case Refusal::NoFrequency:
        return t(NoFrequencyText);
    case Refusal::ToneNotTaken:
        return t(ToneNotTakenText).arg(row.refusalColumn, row.refusalValue);
    }
    return QString();
}

} // namespace

QString reportLine(const WindowState &state, const RowPreview &row)
{
    QStringList notes;
    if (row.outcome == Outcome::Refused) {
        notes << refusalText(state, row);
    } else {
        for (const AdjustmentNote &note : row.adjustments)
            notes << adjustmentText(state, note);
    }
    if (notes.isEmpty())
        return QString();
    const QString where = row.channel > 0
                              ? QStringLiteral("CH%1").arg(row.channel, 2, 10, QLatin1Char('0'))
                              : state.langText(LineText).arg(row.line);
    return where + QStringLiteral(": ") + notes.join(QStringLiteral("; "));
}

QStringList reportLines(const WindowState &state, const Preview &preview, bool everyRow)
{
    QStringList lines{state.langText(SummaryText)
                          .arg(preview.count(Outcome::Taken))
                          .arg(preview.count(Outcome::Adjusted))
                          .arg(preview.count(Outcome::Refused))};
    for (const RowPreview &row : preview.rows) {
        QString line = reportLine(state, row);
        if (line.isEmpty() && everyRow)
            line = QStringLiteral("CH%1: ").arg(row.channel, 2, 10, QLatin1Char('0')) +
                   state.langText(TakenText);
        if (!line.isEmpty())
            lines << line;
    }
    return lines;
}

TPasteReportDlg::TPasteReportDlg(const WindowState &state, const QString &title,
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
    OKBtn = new QPushButton(state.langText(OkText), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setDefault(true);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    CancelBtn = new QPushButton(state.tableText(text::TextTable::Adjust, 1), this);
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
