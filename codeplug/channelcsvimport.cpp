// Reading channel rows: every value of a row is read and checked first, so a
// refused row changes nothing; only then is the row committed, through the
// grid's own editing rules, into a scratch copy of the codeplug.
#include "codeplug/channelcsv.h"

#include "codeplug/channeledit.h"
#include "codeplug/channelname.h"
#include "codeplug/tonecodec.h"
#include "text/codepage.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>

#include <optional>

namespace t880::channelcsv {

namespace {

QString mhz(std::uint32_t hz)
{
    return QStringLiteral("%1.%2").arg(hz / 1000000).arg(hz % 1000000, 6, 10, QLatin1Char('0'));
}

// Watts at or above this are the radio's high power.
constexpr double HighPowerWatts = 2.0;

struct Refused
{
    Refusal why;
    QString column;
    QString value;
};

// The row's values once read: each optional is "the text does not say".
struct RowValues
{
    std::optional<std::uint32_t> rx;
    bool clear = false; ///< paste: an empty Frequency empties the channel
    std::optional<std::uint32_t> tx;
    bool txFollowsRx = false; ///< Duplex empty: transmit on the receive frequency
    std::optional<QString> rxToneText, txToneText;
    std::optional<bool> wide, highPower, scanAdd, busyLock;
    std::optional<channeledit::NameBytes> name;
    QList<AdjustmentNote> notes;
};

class RowReader
{
public:
    RowReader(const QHash<QString, int> &index, const csv::Record &record)
        : m_index(index), m_record(record)
    {}

    bool has(const char *column) const
    {
        return m_index.contains(QString::fromLatin1(column).toLower());
    }

    /// The trimmed field, or nothing when the text has no such column.
    std::optional<QString> field(const char *column) const
    {
        const auto it = m_index.constFind(QString::fromLatin1(column).toLower());
        if (it == m_index.constEnd())
            return std::nullopt;
        return m_record.fields.value(*it).trimmed();
    }

private:
    const QHash<QString, int> &m_index;
    const csv::Record &m_record;
};

std::optional<int> readLocation(const QString &text)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,6}$"));
    if (!digits.match(text).hasMatch())
        return std::nullopt;
    return text.toInt();
}

std::optional<std::uint32_t> readMhz(const QString &text)
{
    if (text.isEmpty())
        return std::nullopt;
    return codec::parseFrequency(text);
}

// A CTCSS column ("88.5", "100", "88.50") as the tone editor's text; the
// tone reader then decides whether the radio takes it.
std::optional<QString> readCtcss(const QString &text, const char *column,
                                 QList<AdjustmentNote> &notes)
{
    static const QRegularExpression re(QStringLiteral("^([0-9]{1,4})(?:\\.([0-9]*))?$"));
    const QRegularExpressionMatch m = re.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const QString fraction = m.captured(2);
    const int tenths =
        m.captured(1).toInt() * 10 + (fraction.isEmpty() ? 0 : fraction[0].digitValue());
    if (fraction.size() > 1 && fraction.mid(1).toLongLong() != 0) {
        notes.append({Adjustment::ToneCut, QString::fromLatin1(column), text,
                      codec::formatTone(std::uint16_t(tenths), 1)});
    }
    if (tenths == 0 || tenths > 0xFFFE)
        return QStringLiteral("0"); // the tone reader refuses it, naming the value read
    return codec::formatTone(std::uint16_t(tenths), 1);
}

std::optional<QString> readDcs(const QString &code, QChar polarity)
{
    static const QRegularExpression re(QStringLiteral("^[0-7]{1,3}$"));
    if (!re.match(code).hasMatch())
        return std::nullopt;
    return u'D' + code.rightJustified(3, u'0') + (polarity == u'R' ? u'I' : u'N');
}

// Reads the tone columns into the two tone texts; nothing means "refused"
// with \a refused filled.
bool readTones(const RowReader &r, RowValues &v, Refused &refused)
{
    const QString mode = r.field("Tone")->toLower();
    auto need = [&](const char *column) -> std::optional<QString> {
        std::optional<QString> f = r.field(column);
        if (!f || f->isEmpty()) {
            refused = {Refusal::Unreadable, QString::fromLatin1(column), f.value_or(QString())};
            return std::nullopt;
        }
        return f;
    };
    auto ctcss = [&](const char *column) -> std::optional<QString> {
        const std::optional<QString> f = need(column);
        if (!f)
            return std::nullopt;
        std::optional<QString> t = readCtcss(*f, column, v.notes);
        if (!t)
            refused = {Refusal::Unreadable, QString::fromLatin1(column), *f};
        return t;
    };
    QString polarity = QStringLiteral("NN");
    if (const std::optional<QString> p = r.field("DtcsPolarity"); p && !p->isEmpty()) {
        static const QRegularExpression re(QStringLiteral("^[NR]{2}$"));
        if (!re.match(p->toUpper()).hasMatch()) {
            refused = {Refusal::Unreadable, QStringLiteral("DtcsPolarity"), *p};
            return false;
        }
        polarity = p->toUpper();
    }
    auto dcs = [&](const char *column, QChar pol) -> std::optional<QString> {
        const std::optional<QString> f = need(column);
        if (!f)
            return std::nullopt;
        std::optional<QString> t = readDcs(*f, pol);
        if (!t)
            refused = {Refusal::Unreadable, QString::fromLatin1(column), *f};
        return t;
    };
    const QString off = QStringLiteral("Off");
    std::optional<QString> tx = off, rx = off;
    if (mode.isEmpty()) {
    } else if (mode == QLatin1String("tone")) {
        tx = ctcss("rToneFreq");
    } else if (mode == QLatin1String("tsql")) {
        tx = rx = ctcss("cToneFreq");
    } else if (mode == QLatin1String("dtcs")) {
        tx = dcs("DtcsCode", polarity[0]);
        if (tx)
            rx = dcs("DtcsCode", polarity[1]);
    } else if (mode == QLatin1String("cross")) {
        const std::optional<QString> cross = need("CrossMode");
        if (!cross)
            return false;
        const int arrow = int(cross->indexOf(QLatin1String("->")));
        const QString txSide = arrow < 0 ? QString() : cross->left(arrow).trimmed().toLower();
        const QString rxSide = arrow < 0 ? QString() : cross->mid(arrow + 2).trimmed().toLower();
        auto known = [](const QString &s) {
            return s.isEmpty() || s == QLatin1String("tone") || s == QLatin1String("dtcs");
        };
        if (arrow < 0 || !known(txSide) || !known(rxSide) ||
            (txSide.isEmpty() && rxSide.isEmpty())) {
            refused = {Refusal::Unreadable, QStringLiteral("CrossMode"), *cross};
            return false;
        }
        if (txSide == QLatin1String("tone"))
            tx = ctcss("rToneFreq");
        else if (txSide == QLatin1String("dtcs"))
            tx = dcs("DtcsCode", polarity[0]);
        if (!tx)
            return false;
        if (rxSide == QLatin1String("tone"))
            rx = ctcss("cToneFreq");
        else if (rxSide == QLatin1String("dtcs"))
            rx = dcs("RxDtcsCode", polarity[1]);
    } else {
        refused = {Refusal::Unreadable, QStringLiteral("Tone"), *r.field("Tone")};
        return false;
    }
    if (!tx || !rx)
        return false;
    // The radio's tone reader has the last word: what it refuses, typing
    // could not have entered either.
    for (const QString *t : {&*tx, &*rx}) {
        if (!codec::parseTone(*t)) {
            refused = {Refusal::ToneNotTaken, QStringLiteral("Tone"), *t};
            return false;
        }
    }
    v.txToneText = *tx;
    v.rxToneText = *rx;
    return true;
}

// Reads and checks every value of a row; nothing on the way changes a channel.
std::optional<Refused> readRow(const RowReader &r, const CodeplugState &state, int n,
                               const ImportOptions &options, RowValues &v)
{
    if (const std::optional<QString> mode = r.field("Mode"); mode && !mode->isEmpty()) {
        const QString m = mode->toUpper();
        if (m == QLatin1String("FM"))
            v.wide = true;
        else if (m == QLatin1String("NFM"))
            v.wide = false;
        else
            return Refused{Refusal::UnsupportedMode, QStringLiteral("Mode"), *mode};
    }

    const std::optional<QString> freq = r.field("Frequency");
    if (freq && freq->isEmpty()) {
        if (options.replaceChannels)
            return Refused{Refusal::NoFrequency, QStringLiteral("Frequency"), QString()};
        v.clear = true;
        return std::nullopt;
    }
    if (freq) {
        v.rx = readMhz(*freq);
        if (!v.rx)
            return Refused{Refusal::Unreadable, QStringLiteral("Frequency"), *freq};
        if (*v.rx < state.activeBandLow || *v.rx > state.activeBandHigh)
            return Refused{Refusal::OutsideBand, QStringLiteral("Frequency"), *freq};
    } else if (!state.codeplug.isChannelUsed(n)) {
        return Refused{Refusal::NoFrequency, QStringLiteral("Frequency"), QString()};
    }
    const std::uint32_t rx = v.rx ? *v.rx : state.codeplug.channel(n).rxFreq();

    if (const std::optional<QString> duplex = r.field("Duplex")) {
        const QString d = duplex->toLower();
        std::optional<std::uint32_t> offset;
        if (d == QLatin1String("+") || d == QLatin1String("-") || d == QLatin1String("split")) {
            const QString text = r.field("Offset").value_or(QString());
            offset = readMhz(text);
            if (!offset)
                return Refused{Refusal::Unreadable, QStringLiteral("Offset"), text};
        }
        if (d.isEmpty()) {
            v.txFollowsRx = true;
        } else if (d == QLatin1String("off")) {
            v.tx = 0;
        } else if (d == QLatin1String("split")) {
            v.tx = *offset;
        } else if (d == QLatin1String("+")) {
            const quint64 sum = quint64(rx) + *offset;
            if (sum > 0xFFFFFFFFu)
                return Refused{Refusal::OutsideBand, QStringLiteral("Offset"), *r.field("Offset")};
            v.tx = std::uint32_t(sum);
        } else if (d == QLatin1String("-")) {
            if (*offset > rx)
                return Refused{Refusal::OutsideBand, QStringLiteral("Offset"), *r.field("Offset")};
            v.tx = rx - *offset;
        } else {
            return Refused{Refusal::Unreadable, QStringLiteral("Duplex"), *duplex};
        }
        if (v.tx && *v.tx != 0 && (*v.tx < state.activeBandLow || *v.tx > state.activeBandHigh))
            return Refused{Refusal::OutsideBand, QStringLiteral("Offset"), mhz(*v.tx)};
    }

    if (r.has("Tone")) {
        Refused refused{Refusal::None, {}, {}};
        if (!readTones(r, v, refused))
            return refused;
    } else if (options.replaceChannels) {
        v.txToneText = v.rxToneText = QStringLiteral("Off");
    }

    if (const std::optional<QString> power = r.field("Power"); power && !power->isEmpty()) {
        const QString p = power->toLower();
        if (p == QLatin1String("high")) {
            v.highPower = true;
        } else if (p == QLatin1String("low")) {
            v.highPower = false;
        } else {
            QString number = p;
            if (number.endsWith(u'w'))
                number.chop(1);
            bool ok = false;
            const double watts = number.trimmed().toDouble(&ok);
            if (!ok || watts < 0)
                return Refused{Refusal::Unreadable, QStringLiteral("Power"), *power};
            v.highPower = watts >= HighPowerWatts;
            v.notes.append(
                {Adjustment::PowerFromWatts, QStringLiteral("Power"), *power, {}, *v.highPower});
        }
    }

    if (const std::optional<QString> skip = r.field("Skip")) {
        const QString s = skip->toUpper();
        if (s.isEmpty() || s == QLatin1String("P"))
            v.scanAdd =
                true; // P (priority) is still scanned; the priority channel is a setting here
        else if (s == QLatin1String("S"))
            v.scanAdd = false;
        else
            return Refused{Refusal::Unreadable, QStringLiteral("Skip"), *skip};
    }

    if (const std::optional<QString> busy = r.field("BusyLock"); busy && !busy->isEmpty()) {
        const QString b = busy->toLower();
        if (b == QLatin1String("on") || b == QLatin1String("cat"))
            v.busyLock = true;
        else if (b == QLatin1String("off"))
            v.busyLock = false;
        else
            return Refused{Refusal::Unreadable, BusyLockHeader, *busy};
    }

    if (const std::optional<QString> name = r.field("Name")) {
        // Names keep their inner blanks; only the reader's trimming of the
        // field applies.
        v.name = channeledit::encodeName(*name);
        if (v.name->replaced)
            v.notes.append({Adjustment::NameReplaced, QStringLiteral("Name"), *name,
                            text::decodeGbk(v.name->bytes)});
        if (v.name->cut)
            v.notes.append({Adjustment::NameCut, QStringLiteral("Name"), *name,
                            text::decodeGbk(v.name->bytes)});
    } else if (options.replaceChannels) {
        v.name = channeledit::NameBytes{};
    }
    return std::nullopt;
}

void noteRaster(RowValues &v, const char *column, std::uint32_t given, std::uint32_t stored)
{
    if (given != stored)
        v.notes.append(
            {Adjustment::MovedOntoRaster, QString::fromLatin1(column), mhz(given), mhz(stored)});
}

// Commits the values read into channel n of the scratch state, the way the
// grid's editors would.
void commitRow(CodeplugState &work, int n, const ImportOptions &options, RowValues &v)
{
    using namespace channeledit;
    if (options.replaceChannels)
        StringGridCleanRow(work.codeplug, n);
    if (v.rx) {
        commitRxFrequency(work, n, mhz(*v.rx));
        noteRaster(v, "Frequency", *v.rx, work.codeplug.channel(n).rxFreq());
    }
    if (v.txFollowsRx) {
        commitTxFrequency(work, n, mhz(work.codeplug.channel(n).rxFreq()));
    } else if (v.tx) {
        commitTxFrequency(work, n, mhz(*v.tx));
        if (*v.tx != 0)
            noteRaster(v, "Offset", *v.tx, work.codeplug.channel(n).txFreq());
    }
    if (v.rxToneText) {
        commitTone(work.codeplug, n, RxToneColumn, *v.rxToneText);
        if (isNonstandardTone(work.codeplug, n, RxToneColumn))
            v.notes.append(
                {Adjustment::NonstandardTone, QStringLiteral("Tone"), QString(), *v.rxToneText});
    }
    if (v.txToneText) {
        commitTone(work.codeplug, n, TxToneColumn, *v.txToneText);
        if (isNonstandardTone(work.codeplug, n, TxToneColumn) &&
            *v.txToneText != v.rxToneText.value_or(QString()))
            v.notes.append(
                {Adjustment::NonstandardTone, QStringLiteral("Tone"), QString(), *v.txToneText});
    }
    if (v.highPower)
        commitPicker(work.codeplug, n, PowerColumn, *v.highPower ? 1 : 0);
    if (v.wide)
        commitPicker(work.codeplug, n, BandwidthColumn, *v.wide ? 1 : 0);
    if (v.scanAdd)
        commitPicker(work.codeplug, n, ScanColumn, *v.scanAdd ? 1 : 0);
    if (v.busyLock)
        commitPicker(work.codeplug, n, channeledit::BusyLockColumn, *v.busyLock ? 1 : 0);
    if (v.name) {
        ChannelRecord r = work.codeplug.channel(n);
        r.setName(v.name->bytes);
        work.codeplug.setChannel(n, r);
    }
}

} // namespace

int Preview::count(Outcome o) const
{
    int c = 0;
    for (const RowPreview &r : rows)
        c += r.outcome == o ? 1 : 0;
    return c;
}

Preview previewCsv(const CodeplugState &state, const QByteArray &data, const ImportOptions &options)
{
    return previewTable(state, csv::readTable(data, u','), options);
}

Preview previewClipboard(const CodeplugState &state, const QByteArray &text,
                         const ImportOptions &options)
{
    return previewTable(state, csv::readTable(text, u'\t'), options);
}

Preview previewTable(const CodeplugState &state, const csv::Table &table,
                     const ImportOptions &options)
{
    Preview preview;
    preview.table = table;
    if (!table.ok())
        return preview;
    QHash<QString, int> index;
    for (int i = 0; i < table.header.size(); ++i) {
        const QString key = table.header[i].toLower();
        if (!key.isEmpty() && !index.contains(key))
            index.insert(key, i); // a repeated column: the first one counts
    }
    if (options.replaceChannels && !index.contains(QStringLiteral("frequency"))) {
        preview.missingFrequencyColumn = true;
        return preview;
    }
    const bool byLocation =
        options.targetChannels.isEmpty() && index.contains(QStringLiteral("location"));

    // The channel each row names: its Location, the chosen channels in
    // order, or the channels in order.
    const auto target = [&](const RowReader &reader,
                            int ordinal) -> std::pair<int, std::optional<Refused>> {
        if (!options.targetChannels.isEmpty()) {
            if (ordinal < options.targetChannels.size())
                return {options.targetChannels[ordinal], std::nullopt};
            return {0, Refused{Refusal::TooManyRows, {}, {}}};
        }
        if (byLocation) {
            const QString text = *reader.field("Location");
            const std::optional<int> loc = readLocation(text);
            if (!loc)
                return {0, Refused{Refusal::Unreadable, QStringLiteral("Location"), text}};
            if (*loc < 1 || *loc > CodeplugData::Channels)
                return {0, Refused{Refusal::LocationOutOfRange, QStringLiteral("Location"), text}};
            return {*loc, std::nullopt};
        }
        if (ordinal < CodeplugData::Channels)
            return {ordinal + 1, std::nullopt};
        return {0, Refused{Refusal::TooManyRows, {}, {}}};
    };
    // Keeping the channels in use, the rows that name one go to the empty
    // channels that no row names.
    QSet<int> named;
    if (options.keepChannelsInUse) {
        int ordinal = 0;
        for (const csv::Record &record : table.records) {
            const auto [n, refused] = target(RowReader(index, record), ordinal++);
            if (!refused)
                named.insert(n);
        }
    }
    const auto emptyChannel = [&](const QSet<int> &claimed) {
        for (int k = 1; k <= CodeplugData::Channels; ++k) {
            if (!state.codeplug.isChannelUsed(k) && !named.contains(k) && !claimed.contains(k))
                return k;
        }
        return 0;
    };

    CodeplugState work = state;
    QSet<int> claimed;
    int ordinal = 0;
    for (const csv::Record &record : table.records) {
        RowPreview row;
        row.line = record.line;
        const RowReader reader(index, record);
        auto [n, refused] = target(reader, ordinal++);
        if (!refused && n >= 1) {
            if (claimed.contains(n))
                refused = Refused{Refusal::DuplicateChannel, QStringLiteral("Location"),
                                  QString::number(n)};
            claimed.insert(n);
        }
        int movedFrom = 0;
        if (!refused && options.keepChannelsInUse && state.codeplug.isChannelUsed(n)) {
            movedFrom = n;
            n = emptyChannel(claimed);
            if (n == 0)
                refused = Refused{Refusal::NoEmptyChannel, QStringLiteral("Location"),
                                  QString::number(movedFrom)};
            else
                claimed.insert(n);
        }
        row.channel = n;
        RowValues values;
        if (movedFrom > 0 && n > 0)
            values.notes.append({Adjustment::MovedToEmptyChannel, QStringLiteral("Location"),
                                 QString::number(movedFrom), QString::number(n)});
        if (!refused)
            refused = readRow(reader, work, n, options, values);
        if (refused && movedFrom > 0 && n > 0) {
            claimed.remove(n);       // the next row that moves may have it
            row.channel = movedFrom; // refused, it went nowhere: named by its own channel
        }
        if (refused) {
            row.outcome = Outcome::Refused;
            row.refusal = refused->why;
            row.refusalColumn = refused->column;
            row.refusalValue = refused->value;
        } else {
            if (values.clear)
                channeledit::StringGridCleanRow(work.codeplug, n);
            else
                commitRow(work, n, options, values);
            row.record = work.codeplug.channel(n);
            row.inUse = work.codeplug.isChannelUsed(n);
            row.adjustments = values.notes;
            row.outcome = values.notes.isEmpty() ? Outcome::Taken : Outcome::Adjusted;
        }
        preview.rows.append(row);
    }
    return preview;
}

QList<int> applyPreview(CodeplugData &codeplug, const Preview &preview)
{
    QList<int> changed;
    for (const RowPreview &row : preview.rows) {
        if (row.outcome == Outcome::Refused || row.channel < 1 ||
            row.channel > CodeplugData::Channels)
            continue;
        codeplug.setChannel(row.channel, row.record);
        codeplug.setChannelUsed(row.channel, row.inUse);
        changed.append(row.channel);
    }
    return changed;
}

} // namespace t880::channelcsv
