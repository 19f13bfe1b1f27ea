// The bytes of the programming protocol's frames, shared by the engine's
// files.
#pragma once

#include "codeplug/memorymap.h"

#include <QByteArray>

#include <cstdint>

namespace t880::link::frames {

inline const QByteArray ConnectRequest = QByteArrayLiteral("PROGRAM");
inline const QByteArray StatusRequest = QByteArrayLiteral("YR");
/// What an older radio sends to the identify request: "P32073" F8 FF.
constexpr std::uint8_t Identification[8] = {0x50, 0x33, 0x32, 0x30, 0x37, 0x33, 0xF8, 0xFF};
constexpr std::uint8_t Ack = 0x06;
constexpr std::uint8_t Identify = 0x02;
constexpr std::uint8_t ReadRequest = 0x52; // 'R'
// A read reply starts with the same byte as a write request: the radio
// answers a read with the write that would put the block back.
constexpr std::uint8_t ReadReply = 0x57;    // 'W'
constexpr std::uint8_t WriteRequest = 0x57; // 'W'
constexpr std::uint8_t End = 0x45;          // 'E'
constexpr int StatusReplySize = 6;
constexpr int Block = memorymap::BlockSize;
constexpr int ReadReplySize = Block + 4;

} // namespace t880::link::frames
