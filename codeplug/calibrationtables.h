// The calibration values the image builder needs: five calibration points and
// the squelch offset per 10 MHz slot. They are filled from the calibration
// record before a calibration write, and from the radio's own calibration
// area before a codeplug write.
#pragma once

#include <array>
#include <cstdint>

namespace t880 {

struct CalibrationPoint
{
    std::uint16_t mhz = 0; ///< 0 marks a point not in use
    std::uint8_t high = 0;
    std::uint8_t low = 0;
    std::uint8_t tune = 0;
};

struct CalibrationTables
{
    std::array<CalibrationPoint, 5> points{};
    std::array<std::int8_t, 9> squelchOffsets{};
};

} // namespace t880
