// Explicit little- and big-endian access to byte buffers.
//
// Every fixed layout of this program (the codeplug block, the radio memory
// image, the calibration record) goes through these helpers: fields are
// unaligned, so they are assembled byte by byte, never through pointer casts.
#pragma once

#include <cstdint>

namespace t880::bytes {

inline std::uint16_t getLe16(const std::uint8_t *p)
{
    return std::uint16_t(p[0] | (p[1] << 8));
}

inline std::uint32_t getLe32(const std::uint8_t *p)
{
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
}

inline void putLe16(std::uint8_t *p, std::uint16_t v)
{
    p[0] = std::uint8_t(v);
    p[1] = std::uint8_t(v >> 8);
}

inline void putLe32(std::uint8_t *p, std::uint32_t v)
{
    p[0] = std::uint8_t(v);
    p[1] = std::uint8_t(v >> 8);
    p[2] = std::uint8_t(v >> 16);
    p[3] = std::uint8_t(v >> 24);
}

inline std::uint16_t getBe16(const std::uint8_t *p)
{
    return std::uint16_t((p[0] << 8) | p[1]);
}

inline std::uint32_t getBe24(const std::uint8_t *p)
{
    return (std::uint32_t(p[0]) << 16) | (std::uint32_t(p[1]) << 8) | std::uint32_t(p[2]);
}

inline void putBe16(std::uint8_t *p, std::uint16_t v)
{
    p[0] = std::uint8_t(v >> 8);
    p[1] = std::uint8_t(v);
}

inline void putBe24(std::uint8_t *p, std::uint32_t v)
{
    p[0] = std::uint8_t(v >> 16);
    p[1] = std::uint8_t(v >> 8);
    p[2] = std::uint8_t(v);
}

} // namespace t880::bytes
