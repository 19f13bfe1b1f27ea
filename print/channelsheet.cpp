#include "print/channelsheet.h"

#include "codeplug/channeledit.h"
#include "codeplug/channelname.h"
#include "codeplug/optionedit.h"
#include "text/textnames.h"

#include <QBuffer>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

namespace t880::print {

namespace {

using text::TextTable;

struct Column
{
    int header;   ///< text number
    double width; ///< share of the table's width
};

// The grid's nine columns with the name after the number.
const Column kColumns[] = {
    {text::MainText::NumberColumn, 0.6},      {text::MainText::NameColumn, 1.0},
    {text::MainText::RxFrequencyColumn, 1.3}, {text::MainText::TxFrequencyColumn, 1.3},
    {text::MainText::DecodeColumn, 1.1},      {text::MainText::EncodeColumn, 1.1},
    {text::MainText::PowerColumn, 0.9},       {text::MainText::BandwidthColumn, 1.2},
    {text::MainText::ScanColumn, 0.6},        {text::MainText::BusyLockColumn, 1.0}};
constexpr int kColumnCount = int(std::size(kColumns));

QStringList rowTexts(const CodeplugData &codeplug, int n, const text::TAppLang &lang)
{
    const auto cells = channeledit::rowTexts(codeplug, n);
    QStringList row;
    row.append(cells[channeledit::NumberColumn].text);
    row.append(codeplug.isChannelUsed(n) ? channeledit::nameText(codeplug.channel(n)) : QString());
    for (int c = channeledit::RxFreqColumn; c < channeledit::ColumnCount; ++c) {
        const channeledit::CellText &cell = cells[std::size_t(c)];
        row.append(cell.textNumber >= 0 ? lang.text(TextTable::Main, cell.textNumber) : cell.text);
    }
    return row;
}

QList<QPair<QString, QString>> settingLines(const CodeplugData &d, const text::TAppLang &lang)
{
    const optionedit::TextLookup text = [&lang](int n) {
        return lang.text(TextTable::Main, n);
    };
    auto listed = [&](optionedit::OptionList list) {
        const std::uint32_t value = d.setting(optionedit::listSetting(list));
        const int i = optionedit::shownIndex(list, value);
        const QStringList items = optionedit::listItems(list, text);
        return i >= 0 && i < items.size() ? items[i] : QString::number(value);
    };
    auto onOff = [&](Setting s) {
        return text(d.setting(s) != 0 ? text::MainText::On : text::MainText::Off);
    };
    auto number = [&](Setting s) {
        return QString::number(d.setting(s));
    };
    const std::uint32_t mode = d.setting(Setting::squelchMode);
    const std::uint32_t priority = d.setting(Setting::priorityScan);
    return {
        {text(text::MainText::Sql), listed(optionedit::OptionList::Sql)},
        // The five squelch modes' texts follow one another from Carrier.
        {text(text::MainText::SquelchMode),
         mode <= 4 ? text(text::MainText::Carrier + int(mode)) : QString::number(mode)},
        {text(text::MainText::Tot), listed(optionedit::OptionList::Tot)},
        {text(text::MainText::Toa), listed(optionedit::OptionList::Toa)},
        {text(text::MainText::VoxGain),
         d.setting(Setting::voxGain) == 0 ? text(text::MainText::Off) : number(Setting::voxGain)},
        {text(text::MainText::VoxDelay),
         QString::number(d.setting(Setting::voxDelay) / 1000.0, 'f', 1)},
        {text(text::MainText::PriorityScan),
         priority == 0 ? text(text::MainText::Off)
                       : QStringLiteral("%1").arg(priority, 2, 10, QLatin1Char('0'))},
        {text(text::MainText::Apo), d.setting(Setting::autoPowerOff) == 0
                                        ? text(text::MainText::Off)
                                        : number(Setting::autoPowerOff)},
        {text(text::MainText::BatterySave), onOff(Setting::batterySave)},
        {text(text::MainText::KeyBeep), onOff(Setting::keyPressBeep)},
        {text(text::MainText::Voice), listed(optionedit::OptionList::Voice)},
    };
}

} // namespace

void paintChannelSheet(QPainter &painter, const QRectF &area, const CodeplugData &codeplug,
                       const text::TAppLang &lang)
{
    painter.save();
    const double unit = area.height() / 60.0; // one line of the sheet
    QFont font = painter.font();
    font.setPixelSize(int(unit * 1.6));
    font.setBold(true);
    painter.setFont(font);
    QRectF title(area.left(), area.top(), area.width(), unit * 3);
    painter.drawText(title, Qt::AlignLeft | Qt::AlignVCenter,
                     lang.text(TextTable::Main, text::MainText::ChannelsPage));

    font.setPixelSize(int(unit * 0.75));
    double total = 0;
    for (const Column &c : kColumns)
        total += c.width;
    const double rowHeight = unit * 1.6;
    double y = title.bottom() + unit;
    auto drawRow = [&](const QStringList &cells, bool header, bool shaded) {
        double x = area.left();
        if (shaded)
            painter.fillRect(QRectF(x, y, area.width(), rowHeight), QColor(192, 220, 192));
        font.setBold(header);
        // Headers are longer than the values; a smaller font keeps each word whole.
        font.setPixelSize(int(unit * (header ? 0.65 : 0.75)));
        painter.setFont(font);
        for (int c = 0; c < kColumnCount; ++c) {
            const double w = area.width() * kColumns[c].width / total;
            const QRectF cell(x, y, w, rowHeight);
            painter.drawRect(cell);
            painter.drawText(cell.adjusted(2, 0, -2, 0), Qt::AlignCenter | Qt::TextWordWrap,
                             cells.value(c));
            x += w;
        }
        y += rowHeight;
    };
    QStringList header;
    for (const Column &c : kColumns)
        header.append(lang.text(TextTable::Main, c.header));
    drawRow(header, true, false);
    for (int n = 1; n <= CodeplugData::Channels; ++n)
        drawRow(rowTexts(codeplug, n, lang), false, n % 2 == 1);

    y += unit * 1.5;
    font.setBold(true);
    font.setPixelSize(int(unit * 1.1));
    painter.setFont(font);
    painter.drawText(QRectF(area.left(), y, area.width(), unit * 2),
                     Qt::AlignLeft | Qt::AlignVCenter,
                     lang.text(TextTable::Main, text::MainText::OptionsPage));
    y += unit * 2.5;
    font.setBold(false);
    font.setPixelSize(int(unit * 0.8));
    painter.setFont(font);
    // Two columns of label and value.
    const auto lines = settingLines(codeplug, lang);
    const double half = area.width() / 2;
    for (int i = 0; i < lines.size(); ++i) {
        const double x = area.left() + (i % 2) * half;
        const double ly = y + (i / 2) * unit * 1.4;
        painter.drawText(QRectF(x, ly, half * 0.55, unit * 1.4), Qt::AlignLeft | Qt::AlignVCenter,
                         lines[i].first);
        painter.drawText(QRectF(x + half * 0.55, ly, half * 0.45, unit * 1.4),
                         Qt::AlignLeft | Qt::AlignVCenter, lines[i].second);
    }
    painter.restore();
}

bool printChannelSheet(QPagedPaintDevice &device, const CodeplugData &codeplug,
                       const text::TAppLang &lang)
{
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    // The painter starts at the top left of the page's printable area.
    paintChannelSheet(painter, QRectF(0, 0, device.width(), device.height()), codeplug, lang);
    return painter.end();
}

QByteArray channelSheetPdf(const CodeplugData &codeplug, const text::TAppLang &lang)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(300);
        writer.setCreator(QStringLiteral("t880"));
        writer.setTitle(lang.text(TextTable::Main, text::MainText::ChannelsPage));
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter));
        if (!printChannelSheet(writer, codeplug, lang))
            return QByteArray();
    }
    return buffer.data();
}

FileResult writeChannelSheetPdf(const QString &path, const CodeplugData &codeplug,
                                const text::TAppLang &lang)
{
    const QByteArray pdf = channelSheetPdf(codeplug, lang);
    if (pdf.isEmpty())
        return {FileError::CannotWrite, QStringLiteral("the page could not be drawn")};
    return writeFileAtomically(path, pdf);
}

} // namespace t880::print
