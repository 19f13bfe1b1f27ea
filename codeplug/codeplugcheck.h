// What a codeplug that was made for a radio looks like: every setting within
// the values the radio knows. A file that fails this is most likely no
// codeplug at all (a memory image or random bytes under a .Kzx name), and
// writing it would program the radio with nonsense.
#pragma once

#include "codeplug/codeplugdata.h"

#include <QString>

#include <vector>

namespace t880 {

/// One field whose stored value the radio does not know.
struct RangeProblem
{
    QString field; ///< the field's name as the model and `show --json` call it
    qint64 value;
};

/// True when \a value is one the radio knows for setting \a s.
bool settingInRange(Setting s, std::uint32_t value);

/// Every setting, DTMF code and used channel field outside its range, in
/// the order of the block.
std::vector<RangeProblem> rangeProblems(const CodeplugData &data);

} // namespace t880
