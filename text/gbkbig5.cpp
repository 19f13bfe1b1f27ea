#include "text/gbkbig5.h"

namespace t880::text {

quint16 big5ForGbk(quint8 lead, quint8 trail)
{
    Q_ASSERT(isGbkPair(lead, trail));
    return detail::kGbkToBig5[(lead - 0x81) * 191 + (trail - 0x40)];
}

} // namespace t880::text
