// The radio memory image and its conversions to and from the codeplug.
//
// Current layout (radio address 0x4000 + offset, multi-byte values big-endian):
//   000 channel n at (n-1)*19: rx word[3] tx word[3] rx tone[4] tx tone[4]
//       types/spur flags, power/band/busy lock, tx power, rx tune, squelch offset
//   150 date: year[2] month day hour minute   156 tot[2] 158 toa 159 beep
//   15A battery save 15B save rate*200[2] 15D sql 15E voice 15F scan mask[2]
//   162 VOX gain 163 VOX delay[2] 166 0x0A 167 key 1 168 key 2
//   1D0 password block[16]   1F0 calibration points[25]  24F squelch offsets[9]
//
// Legacy layout (radio address = offset, image first filled with 0xFF):
//   010 channel n at 16*n: BCD rx[4] BCD tx[4] rx tone[2] tx tone[2] option A,B spare[2]
//   11D key 1 code 11E key 2 code 12F voice 130 tot/15 131 toa 134 sql
//   135 battery save 136 beep 17E scan mask[2] (little-endian)
#pragma once

#include "codeplug/calibrationtables.h"
#include "codeplug/codeplugdata.h"
#include "codeplug/memorymap.h"
#include "codeplug/passwordblock.h"

#include <array>
#include <cstdint>

namespace t880 {

class CodeplugState;

/// The 8192-byte mirror of the radio's memory that every transfer works on.
struct RadioImage
{
    static constexpr int Size = 8192;
    struct Offset
    {
        static constexpr int channels = 0x000;
        static constexpr int channelSize = 19;
        static constexpr int date = 0x150;
        static constexpr int tot = 0x156;
        static constexpr int scanMask = 0x15F;
        static constexpr int passwordBlock = memorymap::imageOffset(memorymap::Password.first);
        static constexpr int calibrationArea = memorymap::imageOffset(memorymap::Calibration.first);
        static constexpr int legacyChannels = memorymap::Legacy.first;
        static constexpr int legacyChannelSize = 16;
        static constexpr int legacyScanMask = 0x17E;
    };
    std::array<std::uint8_t, Size> raw{};
};

enum class CalibrationColumn { HighPower, LowPower, Tuning };

/// 1 or 2 when the frequency sits on a spurious response of the receiver's
/// synthesizer (the radio then shifts its reference), else 0.
int spurFlag(std::uint32_t hz, bool variant);
/// Interpolates the calibration points in use (those with a non-zero
/// frequency) linearly in whole MHz; outside them the nearest point's value.
std::uint8_t interpolateCalibration(std::uint32_t hz, CalibrationColumn column,
                                    const CalibrationTables &tables);
/// The squelch offset of the 10 MHz slot holding the frequency.
std::int8_t lookupSquelchOffset(std::uint32_t hz, const CalibrationTables &tables);

/// Model to image, current layout. \a now is stored as the programming date;
/// the password block is scrambled with bytes from \a random.
void GetDataForWrite(CodeplugState &state, const ProgramDate &now, const RandomByteSource &random);
/// Image to model, current layout, after a completed read.
void SetDataToSoftware(CodeplugState &state);
/// Recomputes the calibration-dependent bytes of every channel in use.
void ReAnalyseChInfor(CodeplugState &state);
/// Model to image, legacy layout.
void GetDataForWrite_old(CodeplugState &state);
/// Image to model, legacy layout.
void SetDataToSoftware_old(CodeplugState &state);

/// The local date and time as the image stores it.
ProgramDate currentProgramDate();

} // namespace t880
