// Ready-made channel plans: the channels of a licence-free radio service
// as its regulation sets them out, kept as data (one JSON file per plan,
// compiled into the program) and made into a codeplug by the same rules as
// a channel typed by hand.
#pragma once

#include "codeplug/codeplugdata.h"
#include "text/applang.h"

#include <QString>

#include <optional>
#include <utility>
#include <vector>

namespace t880::plans {

/// A text of a plan in the three languages of the program.
struct Texts
{
    QString en, chs, cht;
    const QString &in(text::Language language) const;
};

struct PlanChannel
{
    std::uint32_t rx = 0;
    std::uint32_t tx = 0;
    bool highPower = false;
    QByteArray name;
};

struct Plan
{
    QString key;  ///< the name on the command line, in lower case: pmr446, frs, ...
    QString name; ///< as the service calls itself: PMR446, FRS, ...
    Texts region;
    QString regulation;
    Texts description;
    Texts rules;
    bool wide = false;
    std::vector<PlanChannel> channels;

    std::uint32_t lowest() const;
    std::uint32_t highest() const;
    /// Whether every frequency lies within [low, high].
    bool fits(std::uint32_t low, std::uint32_t high) const;
};

/// The plans compiled into the program, in the order they are listed.
const std::vector<Plan> &builtIn();
/// The plan named \a name (its key or its name, in any letter case).
std::optional<Plan> find(const QString &name);

/// Reads a plan from its JSON text; nothing when the text is no valid plan
/// (frequencies that the radio cannot hold, more than 16 channels, a text
/// missing).
std::optional<Plan> parse(const QByteArray &json, const QString &key);

/// A band's limits in Hz, low and high.
using BandRange = std::pair<std::uint32_t, std::uint32_t>;
/// The index of the first of \a bands that holds every frequency of
/// \a plan; nothing when none does.
std::optional<int> firstBandHolding(const Plan &plan, const std::vector<BandRange> &bands);
/// "446.00625-446.19375 MHz": the span of the plan's frequencies.
QString spanText(const Plan &plan);

/// A new codeplug (the defaults of File/New) with the plan's channels, each
/// entered as the channel grid enters a frequency, then given the plan's
/// transmit frequency, bandwidth, power and name, no tones, in the scan list.
void apply(const Plan &plan, CodeplugData &codeplug);

} // namespace t880::plans
