#include "codeplug/channelplan.h"

#include "codeplug/tonecodec.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <climits>
#include <cmath>

namespace t880::plans {

namespace {

/// The plans, in the order they are listed.
const char *const PlanKeys[] = {"pmr446", "frs", "lpd433", "uhfcb"};

std::optional<Texts> textsOf(const QJsonValue &value)
{
    const QJsonObject o = value.toObject();
    Texts t{o.value(QStringLiteral("en")).toString(), o.value(QStringLiteral("chs")).toString(),
            o.value(QStringLiteral("cht")).toString()};
    if (t.en.isEmpty() || t.chs.isEmpty() || t.cht.isEmpty())
        return std::nullopt;
    return t;
}

std::optional<std::uint32_t> frequencyOf(const QJsonValue &value)
{
    const double hz = value.toDouble(-1);
    // What a channel can hold: within the radio's bands, on the 6.25 kHz raster.
    if (hz < 100e6 || hz > 600e6 || std::fmod(hz, 6250.0) != 0)
        return std::nullopt;
    return std::uint32_t(hz);
}

} // namespace

const QString &Texts::in(text::Language language) const
{
    switch (language) {
    case text::Language::Simplified:
        return chs;
    case text::Language::Traditional:
        return cht;
    case text::Language::English:
        break;
    }
    return en;
}

std::uint32_t Plan::lowest() const
{
    std::uint32_t low = UINT32_MAX;
    for (const PlanChannel &c : channels)
        low = std::min({low, c.rx, c.tx});
    return low;
}

std::uint32_t Plan::highest() const
{
    std::uint32_t high = 0;
    for (const PlanChannel &c : channels)
        high = std::max({high, c.rx, c.tx});
    return high;
}

bool Plan::fits(std::uint32_t low, std::uint32_t high) const
{
    return lowest() >= low && highest() <= high;
}

std::optional<Plan> parse(const QByteArray &json, const QString &key)
{
    const QJsonObject o = QJsonDocument::fromJson(json).object();
    Plan plan;
    plan.key = key;
    plan.name = o.value(QStringLiteral("name")).toString();
    plan.regulation = o.value(QStringLiteral("regulation")).toString();
    const auto region = textsOf(o.value(QStringLiteral("region")));
    const auto description = textsOf(o.value(QStringLiteral("description")));
    const auto rules = textsOf(o.value(QStringLiteral("rules")));
    const QString bandwidth = o.value(QStringLiteral("bandwidth")).toString();
    if (plan.name.isEmpty() || plan.regulation.isEmpty() || !region || !description || !rules ||
        (bandwidth != QLatin1String("wide") && bandwidth != QLatin1String("narrow")))
        return std::nullopt;
    plan.region = *region;
    plan.description = *description;
    plan.rules = *rules;
    plan.wide = bandwidth == QLatin1String("wide");
    const QJsonArray channels = o.value(QStringLiteral("channels")).toArray();
    if (channels.isEmpty() || channels.size() > CodeplugData::Channels)
        return std::nullopt;
    for (const QJsonValue &v : channels) {
        const QJsonObject c = v.toObject();
        const auto rx = frequencyOf(c.value(QStringLiteral("rx")));
        const auto tx = frequencyOf(c.value(QStringLiteral("tx")));
        const QString power = c.value(QStringLiteral("power")).toString();
        const QByteArray name = c.value(QStringLiteral("name")).toString().toLatin1();
        if (!rx || !tx || (power != QLatin1String("high") && power != QLatin1String("low")) ||
            name.size() > ChannelRecord::NameSize)
            return std::nullopt;
        plan.channels.push_back({*rx, *tx, power == QLatin1String("high"), name});
    }
    return plan;
}

const std::vector<Plan> &builtIn()
{
    static const std::vector<Plan> plans = [] {
        std::vector<Plan> out;
        for (const char *key : PlanKeys) {
            QFile file(QStringLiteral(":/plans/%1.json").arg(QLatin1String(key)));
            if (!file.open(QIODevice::ReadOnly))
                continue;
            if (auto plan = parse(file.readAll(), QLatin1String(key)))
                out.push_back(*plan);
        }
        return out;
    }();
    return plans;
}

std::optional<Plan> find(const QString &name)
{
    const QString wanted = name.simplified().remove(u' ');
    for (const Plan &p : builtIn()) {
        if (p.key.compare(wanted, Qt::CaseInsensitive) == 0 ||
            QString(p.name).remove(u' ').compare(wanted, Qt::CaseInsensitive) == 0)
            return p;
    }
    return std::nullopt;
}

std::optional<int> firstBandHolding(const Plan &plan, const std::vector<BandRange> &bands)
{
    for (std::size_t i = 0; i < bands.size(); ++i) {
        if (plan.fits(bands[i].first, bands[i].second))
            return int(i);
    }
    return std::nullopt;
}

QString spanText(const Plan &plan)
{
    return QStringLiteral("%1-%2 MHz")
        .arg(codec::formatFrequency(plan.lowest()), codec::formatFrequency(plan.highest()));
}

void apply(const Plan &plan, CodeplugData &codeplug)
{
    codeplug.applyNewDefaults();
    int n = 1;
    for (const PlanChannel &c : plan.channels) {
        codeplug.enterChannelFrequency(n, c.rx);
        ChannelRecord ch = codeplug.channel(n);
        ch.setTxFreq(c.tx);
        ch.setRxToneWithSquelchRule({0, 0});
        ch.setTxTone({0, 0});
        ch.setWide(plan.wide);
        ch.setHighPower(c.highPower);
        ch.setScanAdd(true);
        ch.setName(c.name);
        codeplug.setChannel(n, ch);
        ++n;
    }
}

} // namespace t880::plans
