// What an operation moves, as data: the phases it runs in order (blocks read,
// written or read back, each over one area of the radio's memory) and what
// runs before or after them. The engine runs every plan with one loop and
// derives the progress bar from the plan's block count.
#pragma once

#include "codeplug/memorymap.h"

#include <vector>

namespace t880::link {

/// Work done between the phases of a plan, away from the line.
enum class PlanAction {
    /// A restore goes only into the kind of radio its bytes came from.
    CheckRestoreKind,
    /// Fills the calibration buffer (from the calibration record, or from
    /// the restore's bytes) and the tables the channel records are built from.
    PrepareCalibration,
    /// Hands the blocks read so far to the backup sink (when backups are on);
    /// nothing is written unless they were kept.
    KeepBackup,
    /// The radio's calibration, just read, into the tables; then
    /// GetDataForWrite builds the image from the model.
    BuildImage,
    /// GetDataForWrite_old builds an older radio's image.
    BuildLegacyImage,
    /// The new password's block into the image.
    BuildPasswordBlock,
    /// ReAnalyseChInfor brings the channel records in line with the
    /// calibration just written.
    RebuildChannels,
};

/// One run of blocks in one direction.
struct PlanPhase
{
    enum class Kind {
        Read,
        Write,
        /// Reads back everything written, and everything read before the
        /// first write, and compares.
        Verify,
    };
    /// Where a write's bytes come from.
    enum class Source { Image, CalibrationBuffer, RestoreBlocks };

    Kind kind = Kind::Read;
    /// The blocks, in address order (unused by RestoreBlocks and Verify,
    /// whose blocks are a list).
    memorymap::Area area;
    /// Offset in the image (or the calibration buffer) of the first block:
    /// where reads are stored and writes take their bytes.
    int offset = 0;
    Source source = Source::Image;
    /// Blocks the phase moves (for Verify, as foreseen when the plan is made).
    int blocks = 0;
    /// The blocks read are what the next writes are built from.
    bool buildsOnReading = false;
    std::vector<PlanAction> before;
    std::vector<PlanAction> after;

    static PlanPhase read(memorymap::Area area, int offset)
    {
        return {Kind::Read, area, offset, Source::Image, area.blocks(), false, {}, {}};
    }
    static PlanPhase write(memorymap::Area area, int offset, Source source = Source::Image)
    {
        return {Kind::Write, area, offset, source, area.blocks(), false, {}, {}};
    }
};

/// The phases of one operation, in order.
struct TransferPlan
{
    /// Runs before the first phase.
    std::vector<PlanAction> start;
    std::vector<PlanPhase> phases;

    /// Blocks the whole plan moves.
    int blocks() const
    {
        int n = 0;
        for (const PlanPhase &phase : phases)
            n += phase.blocks;
        return n;
    }
};

} // namespace t880::link
