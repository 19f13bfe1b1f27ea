// The radio's memory as the transfers see it: which area lies where, in
// radio addresses. The transfer engine, the backup file, the trace's mask and
// the image offsets all take the areas from here.
//
// Current radios (the image holds address 0x4000 at offset 0):
//   4000..416F codeplug (4000..414F the channel records a calibration write
//              rewrites, then the settings)
//   41D0..41EF password area: the password block, then a block read with it
//   41F0..426F calibration: points and squelch offsets
// Older radios (image offset = address): 0010..01FF codeplug; 0000..000F is
// never read nor written.
#pragma once

namespace t880::memorymap {

/// Bytes in every block a request moves.
constexpr int BlockSize = 16;

/// A range of radio addresses: \a first included, \a end not.
struct Area
{
    int first = 0;
    int end = 0;

    constexpr int size() const { return end - first; }
    /// Blocks it takes to cover the area.
    constexpr int blocks() const { return (size() + BlockSize - 1) / BlockSize; }
    constexpr bool contains(int address) const { return address >= first && address < end; }
};

constexpr Area Codeplug{0x4000, 0x4170};
/// The start of the codeplug, up to the settings: the channel records.
constexpr Area ChannelArea{0x4000, 0x4150};
constexpr Area Password{0x41D0, 0x41F0};
/// The first block of the password area, the one that holds the password.
constexpr Area PasswordBlock{0x41D0, 0x41E0};
constexpr Area Calibration{0x41F0, 0x4270};
/// An older radio's codeplug.
constexpr Area Legacy{0x0010, 0x0200};

/// Radio address of a current radio's image offset 0.
constexpr int ImageBase = 0x4000;

/// Image offset of a current radio's \a address.
constexpr int imageOffset(int address)
{
    return address - ImageBase;
}

} // namespace t880::memorymap
