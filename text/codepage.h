// Conversions between the double-byte code pages the radio data and the text
// tables use (GBK, Big5) and Unicode.
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace t880::text {

/// Decodes GBK bytes; ASCII stays as it is, an undecodable byte becomes
/// U+FFFD and decoding goes on after it.
QString decodeGbk(const QByteArray &bytes);
/// Decodes Big5 bytes the same way.
QString decodeBig5(const QByteArray &bytes);
/// Encodes text as GBK; nothing when a character has no GBK code.
std::optional<QByteArray> encodeGbk(const QString &text);
/// Encodes text as Big5; nothing when a character has no Big5 code.
std::optional<QByteArray> encodeBig5(const QString &text);

} // namespace t880::text
