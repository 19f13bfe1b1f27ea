// The GBK-to-Big5 character table behind the Traditional-Chinese text
// conversion. Its data is generated (tools/genbig5map.sh) and committed.
#pragma once

#include <QtGlobal>

namespace t880::text {

/// Number of GBK double-byte codes: lead bytes 0x81..0xFE times trail bytes 0x40..0xFE.
constexpr int kGbkCodeCount = 126 * 191;

/// Whether \a lead and \a trail form one GBK double-byte code.
constexpr bool isGbkPair(quint8 lead, quint8 trail)
{
    return lead >= 0x81 && lead <= 0xFE && trail >= 0x40 && trail <= 0xFE;
}

/// The Big5 code (lead byte << 8 | trail byte) for GBK code \a lead, \a trail,
/// which must satisfy isGbkPair(). A character Big5 lacks gives its traditional
/// form where one exists, otherwise the full-width question mark 0xA148.
quint16 big5ForGbk(quint8 lead, quint8 trail);

namespace detail {
extern const quint16 kGbkToBig5[kGbkCodeCount];
} // namespace detail

} // namespace t880::text
