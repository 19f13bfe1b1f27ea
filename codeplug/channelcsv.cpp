#include "codeplug/channelcsv.h"

#include "codeplug/channeledit.h"
#include "codeplug/channelname.h"
#include "codeplug/tonecodec.h"

namespace t880::channelcsv {

namespace {

enum Col {
    Location,
    Name,
    Frequency,
    Duplex,
    Offset,
    ToneMode,
    RToneFreq,
    CToneFreq,
    DtcsCode,
    DtcsPolarity,
    RxDtcsCode,
    CrossMode,
    Mode,
    TStep,
    Skip,
    Power,
    ColCount = 21
};

// Repeater shifts go out as + or -; a larger distance between the two
// frequencies is a split channel, written with its transmit frequency.
constexpr std::uint32_t MaxShiftHz = 10000000;

// What the tool writes into tone columns a row does not use.
const QString DefaultCtcss = QStringLiteral("88.5");
const QString DefaultDcs = QStringLiteral("023");

QString mhz(std::uint32_t hz)
{
    return QStringLiteral("%1.%2").arg(hz / 1000000).arg(hz % 1000000, 6, 10, QLatin1Char('0'));
}

// A tone as the columns see it.
struct ToneParts
{
    enum Kind { None, Ctcss, Dcs } kind = None;
    QString value;         ///< "88.5" or "023"
    QChar polarity = u'N'; ///< N or R for DCS
};

ToneParts toneParts(Tone t)
{
    ToneParts p;
    if (t.type < 1 || t.type > 3 || t.value == 0 || t.value == codec::ToneOff)
        return p;
    const QString text = codec::formatTone(t.value, t.type);
    if (t.type == 1) {
        p.kind = ToneParts::Ctcss;
        p.value = text;
    } else {
        p.kind = ToneParts::Dcs;
        p.value = text.mid(1, 3);
        p.polarity = t.type == 3 ? u'R' : u'N';
    }
    return p;
}

void putTones(QStringList &row, Tone txTone, Tone rxTone)
{
    const ToneParts tx = toneParts(txTone);
    const ToneParts rx = toneParts(rxTone);
    QString mode, cross = QStringLiteral("Tone->Tone");
    QString rTone = DefaultCtcss, cTone = DefaultCtcss, dcs = DefaultDcs, rxDcs = DefaultDcs;
    const QString polarity = QString(tx.polarity) + rx.polarity;
    using K = ToneParts;
    if (tx.kind == K::None && rx.kind == K::None) {
        // no tones: the defaults stand
    } else if (tx.kind == K::Ctcss && rx.kind == K::None) {
        mode = QStringLiteral("Tone");
        rTone = tx.value;
    } else if (tx.kind == K::Ctcss && rx.kind == K::Ctcss && tx.value == rx.value) {
        mode = QStringLiteral("TSQL");
        rTone = cTone = tx.value;
    } else if (tx.kind == K::Dcs && rx.kind == K::Dcs && tx.value == rx.value) {
        mode = QStringLiteral("DTCS");
        dcs = rxDcs = tx.value;
    } else {
        mode = QStringLiteral("Cross");
        if (tx.kind == K::Ctcss)
            rTone = tx.value;
        else if (tx.kind == K::Dcs)
            dcs = tx.value;
        if (rx.kind == K::Ctcss)
            cTone = rx.value;
        else if (rx.kind == K::Dcs)
            rxDcs = rx.value;
        auto side = [](K::Kind k) {
            return k == K::Ctcss ? QStringLiteral("Tone")
                   : k == K::Dcs ? QStringLiteral("DTCS")
                                 : QString();
        };
        cross = side(tx.kind) + QStringLiteral("->") + side(rx.kind);
    }
    row[ToneMode] = mode;
    row[RToneFreq] = rTone;
    row[CToneFreq] = cTone;
    row[DtcsCode] = dcs;
    row[DtcsPolarity] = polarity;
    row[RxDtcsCode] = rxDcs;
    row[CrossMode] = cross;
}

} // namespace

const QStringList &columns()
{
    static const QStringList c = {
        QStringLiteral("Location"),     QStringLiteral("Name"),       QStringLiteral("Frequency"),
        QStringLiteral("Duplex"),       QStringLiteral("Offset"),     QStringLiteral("Tone"),
        QStringLiteral("rToneFreq"),    QStringLiteral("cToneFreq"),  QStringLiteral("DtcsCode"),
        QStringLiteral("DtcsPolarity"), QStringLiteral("RxDtcsCode"), QStringLiteral("CrossMode"),
        QStringLiteral("Mode"),         QStringLiteral("TStep"),      QStringLiteral("Skip"),
        QStringLiteral("Power"),        QStringLiteral("Comment"),    QStringLiteral("URCALL"),
        QStringLiteral("RPT1CALL"),     QStringLiteral("RPT2CALL"),   QStringLiteral("DVCODE"),
    };
    return c;
}

QStringList channelRow(const CodeplugData &codeplug, int n)
{
    QStringList row;
    for (int i = 0; i < ColCount; ++i)
        row.append(QString());
    row[Location] = QString::number(n);
    if (!codeplug.isChannelUsed(n))
        return row;
    const ChannelRecord r = codeplug.channel(n);
    const std::uint32_t rx = r.rxFreq();
    const std::uint32_t tx = r.txFreq();
    row[Name] = channeledit::nameText(r);
    row[Frequency] = mhz(rx);
    if (tx == 0) {
        row[Duplex] = QStringLiteral("off");
        row[Offset] = mhz(0);
    } else if (tx == rx) {
        row[Offset] = mhz(0);
    } else if (tx > rx && tx - rx <= MaxShiftHz) {
        row[Duplex] = QStringLiteral("+");
        row[Offset] = mhz(tx - rx);
    } else if (tx < rx && rx - tx <= MaxShiftHz) {
        row[Duplex] = QStringLiteral("-");
        row[Offset] = mhz(rx - tx);
    } else {
        row[Duplex] = QStringLiteral("split");
        row[Offset] = mhz(tx);
    }
    putTones(row, r.txTone(), r.rxTone());
    row[Mode] = r.wide() ? QStringLiteral("FM") : QStringLiteral("NFM");
    row[TStep] = rx % 5000 == 0 ? QStringLiteral("5.00") : QStringLiteral("6.25");
    row[Skip] = r.scanAdd() ? QString() : QStringLiteral("S");
    row[Power] = r.highPower() ? QStringLiteral("High") : QStringLiteral("Low");
    return row;
}

QByteArray exportCsv(const CodeplugData &codeplug)
{
    QList<QStringList> rows;
    for (int n = 1; n <= CodeplugData::Channels; ++n) {
        if (codeplug.isChannelUsed(n))
            rows.append(channelRow(codeplug, n));
    }
    return csv::writeTable(columns(), rows, u',');
}

QByteArray clipboardText(const CodeplugData &codeplug, const QList<int> &channels)
{
    QList<QStringList> rows;
    for (int n : channels) {
        if (n < 1 || n > CodeplugData::Channels)
            continue;
        QStringList row = channelRow(codeplug, n);
        row.append(!codeplug.isChannelUsed(n)            ? QString()
                   : codeplug.channel(n).busyLock() != 0 ? QStringLiteral("On")
                                                         : QStringLiteral("Off"));
        rows.append(row);
    }
    return csv::writeTable(columns() + QStringList{BusyLockHeader}, rows, u'\t');
}

} // namespace t880::channelcsv
