// A read brings back whatever the radio's memory holds: a radio that was
// never programmed, one programmed by other software, or a damaged memory.
// The decoders of both layouts, of the calibration area and of the status
// reply must take any bytes, and the image built back from what they decoded
// must be built without fault.
//
// Input: byte 0 chooses what is decoded (bits 0..2: current layout 'S',
// current layout 'Y', legacy layout, calibration area 'S', calibration area
// 'Y', status reply) and what it is decoded onto (bit 3: a foreign codeplug
// and record, every byte of them byte 1; else New and the factory record).
// From byte 2 on come the memory, the area or the reply, from their start.
#include "codeplug/radioimage.h"
#include "factory/calibrationdata.h"
#include "fuzzsupport.h"
#include "link/programstate.h"

#include <algorithm>
#include <memory>

using namespace t880;

namespace {

enum class Kind { CurrentS, CurrentY, Legacy, AreaS, AreaY, Status, Count };

const ProgramDate kDate{2025, 6, 30, 23, 59};

RandomByteSource countingBytes()
{
    auto next = std::make_shared<std::uint8_t>(0x5A);
    return [next] {
        return (*next)++;
    };
}

void copyInto(std::uint8_t *to, std::size_t capacity, const QByteArray &from)
{
    std::copy_n(reinterpret_cast<const std::uint8_t *>(from.constData()),
                std::min<std::size_t>(capacity, std::size_t(from.size())), to);
}

// The channel mask after a decode: only channels 1..16 may be marked, each
// exactly when its record in the image is in use.
void checkUsedChannels(const ProgramState &s, bool legacy)
{
    const std::uint8_t *mask = &s.codeplug.bytes()[CodeplugData::Offset::channelUsedMask];
    fuzz::require((mask[0] & 1) == 0 &&
                      std::all_of(mask + 3, mask + 16, [](auto b) { return b == 0; }) &&
                      (mask[2] & 0xFE) == 0,
                  "no channel outside 1..16 is marked used");
    for (int n = 1; n <= CodeplugData::Channels; ++n) {
        const std::uint8_t key =
            legacy ? s.image.raw[std::size_t(RadioImage::Offset::legacyChannelSize * n + 3)]
                   : s.image.raw[std::size_t((n - 1) * RadioImage::Offset::channelSize)];
        const bool inUse = key != 0x00 && key != 0xFF;
        fuzz::require(s.codeplug.isChannelUsed(n) == inUse,
                      "a channel is used exactly when its record is", QByteArray::number(n));
    }
}

void decodeImage(fuzz::Input &in, ProgramState &s, Kind kind)
{
    const bool legacy = kind == Kind::Legacy;
    s.radioVariant = kind == Kind::CurrentY;
    // A read fills the image over what the previous session left; a legacy
    // radio's unused memory reads as 0xFF.
    s.image.raw.fill(legacy ? 0xFF : 0x00);
    copyInto(s.image.raw.data(), RadioImage::Size, in.rest());
    if (legacy)
        SetDataToSoftware_old(s);
    else
        SetDataToSoftware(s);
    checkUsedChannels(s, legacy);

    // Writing back what was read: the image is rebuilt from the model.
    if (legacy) {
        GetDataForWrite_old(s);
        SetDataToSoftware_old(s);
        return;
    }
    AnalyseTmpAdjustmentData(s.image.raw.data(), s.calibrationTables);
    GetDataForWrite(s, kDate, countingBytes());
    fuzz::require(s.image.raw[0x150] == 0x07 && s.image.raw[0x151] == 0xE9 &&
                      s.image.raw[0x152] == 6 && s.image.raw[0x153] == 30 &&
                      s.image.raw[0x154] == 23 && s.image.raw[0x155] == 59,
                  "the image carries the date of the write");
    ReAnalyseChInfor(s);
    SetDataToSoftware(s);
}

void decodeArea(fuzz::Input &in, ProgramState &s, bool variant)
{
    CalibrationBlock area{};
    copyInto(area.data(), area.size(), in.rest());
    SetAdjustmentData(area.data(), variant, s.calibration);
    // A calibration write sends the area built from the record just read.
    CalibrationBlock back = area;
    GetAdjustmentData(s.calibration, variant, back, s.calibrationTables);
    std::copy(back.begin(), back.end(), s.image.raw.begin() + RadioImage::Offset::calibrationArea);
    AnalyseTmpAdjustmentData(s.image.raw.data(), s.calibrationTables);
}

void decodeStatus(fuzz::Input &in, ProgramState &s)
{
    std::array<std::uint8_t, 6> reply{};
    copyInto(reply.data(), reply.size(), in.take(reply.size()));
    const CalibrationData before = s.calibration;
    Set1846StatucData(reply.data(), s.calibration);
    for (int i = 0; i < CalibrationData::Size; ++i) {
        const bool statusByte = i >= 0x4D && i <= 0x55;
        fuzz::require(statusByte || s.calibration.raw[std::size_t(i)] == before.raw[std::size_t(i)],
                      "the status reply changes only the status fields");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzz::Input in(data, size);
    const std::uint8_t selector = in.byte();
    const auto kind = Kind((selector & 0x07) % int(Kind::Count));
    const bool foreignBase = selector & 0x08;
    const std::uint8_t fill = in.byte();

    auto s = std::make_unique<ProgramState>();
    if (foreignBase) {
        s->codeplug.replaceLeading(QByteArray(CodeplugData::Size, char(fill)));
        s->calibration.raw.fill(fill);
    }
    switch (kind) {
    case Kind::CurrentS:
    case Kind::CurrentY:
    case Kind::Legacy:
        decodeImage(in, *s, kind);
        break;
    case Kind::AreaS:
    case Kind::AreaY:
        decodeArea(in, *s, kind == Kind::AreaY);
        break;
    case Kind::Status:
    case Kind::Count:
        decodeStatus(in, *s);
        break;
    }
    return 0;
}
