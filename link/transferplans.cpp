// The plan of each operation: which areas it reads and writes, in which
// order, and what runs between them.
#include "link/transferengine.h"

#include <set>

namespace t880::link {

namespace {

using memorymap::imageOffset;
using Kind = PlanPhase::Kind;
using Source = PlanPhase::Source;

} // namespace

std::optional<TransferPlan> TransferEngine::planOperation()
{
    if (m_mode == ReadMode::Write) {
        switch (m_op) {
        case OpCode::Codeplug:
            if (m_restore)
                return planRestore();
            return m_oldRadio ? planWriteOld() : planWrite();
        case OpCode::Calibration:
            return planAdjustmentWrite();
        case OpCode::Password:
            return planPasswordWrite();
        default:
            return std::nullopt;
        }
    }
    switch (m_op) {
    case OpCode::Codeplug:
        return m_oldRadio ? planReadOld() : planRead();
    case OpCode::Calibration:
        return planAdjustmentRead();
    default:
        return std::nullopt;
    }
}

TransferPlan TransferEngine::planRead() const
{
    return {{}, {PlanPhase::read(memorymap::Codeplug, imageOffset(memorymap::Codeplug.first))}};
}

TransferPlan TransferEngine::planReadOld() const
{
    // An older radio's image offsets are its addresses.
    return {{}, {PlanPhase::read(memorymap::Legacy, memorymap::Legacy.first)}};
}

TransferPlan TransferEngine::planAdjustmentRead() const
{
    // Kept at the image's start, where the calibration conversion takes it.
    return {{}, {PlanPhase::read(memorymap::Calibration, 0)}};
}

TransferPlan TransferEngine::planWrite() const
{
    TransferPlan plan;
    if (m_backupBeforeWrite)
        plan.phases.push_back(
            PlanPhase::read(memorymap::Codeplug, imageOffset(memorymap::Codeplug.first)));
    // The channel data depend on the radio's own calibration, so it is read
    // first and the image is built from it. The calibration area itself is
    // never written here.
    plan.phases.push_back(
        PlanPhase::read(memorymap::Calibration, imageOffset(memorymap::Calibration.first)));
    PlanPhase codeplug =
        PlanPhase::write(memorymap::Codeplug, imageOffset(memorymap::Codeplug.first));
    codeplug.before = {PlanAction::KeepBackup, PlanAction::BuildImage};
    plan.phases.push_back(codeplug);
    if (m_state.codeplug.setting(Setting::writeNewPassword))
        plan.phases.push_back(PlanPhase::write(memorymap::PasswordBlock,
                                               imageOffset(memorymap::PasswordBlock.first)));
    addVerify(plan);
    return plan;
}

TransferPlan TransferEngine::planWriteOld() const
{
    TransferPlan plan;
    if (m_backupBeforeWrite)
        plan.phases.push_back(PlanPhase::read(memorymap::Legacy, memorymap::Legacy.first));
    // Built only after the backup: its blocks went into the image.
    PlanPhase codeplug = PlanPhase::write(memorymap::Legacy, memorymap::Legacy.first);
    codeplug.before = {PlanAction::KeepBackup, PlanAction::BuildLegacyImage};
    plan.phases.push_back(codeplug);
    addVerify(plan);
    return plan;
}

TransferPlan TransferEngine::planRestore()
{
    TransferPlan plan;
    plan.start = {PlanAction::CheckRestoreKind};
    planRestoreWrites();
    if (m_backupBeforeWrite)
        plan.phases.push_back(
            m_oldRadio
                ? PlanPhase::read(memorymap::Legacy, memorymap::Legacy.first)
                : PlanPhase::read(memorymap::Codeplug, imageOffset(memorymap::Codeplug.first)));
    PlanPhase blocks = PlanPhase::write({}, 0, Source::RestoreBlocks);
    blocks.blocks = int(m_restoreWrites.size());
    blocks.before = {PlanAction::KeepBackup};
    plan.phases.push_back(blocks);
    addVerify(plan);
    return plan;
}

TransferPlan TransferEngine::planAdjustmentWrite() const
{
    TransferPlan plan;
    if (m_restore)
        plan.start.push_back(PlanAction::CheckRestoreKind);
    plan.start.push_back(PlanAction::PrepareCalibration);
    if (m_backupBeforeWrite)
        plan.phases.push_back(PlanPhase::read(memorymap::Calibration, 0));
    PlanPhase calibration = PlanPhase::write(memorymap::Calibration, 0, Source::CalibrationBuffer);
    calibration.before = {PlanAction::KeepBackup};
    plan.phases.push_back(calibration);
    // The channel records carry values taken from the calibration: they are
    // read, brought in line with what was just written, and written back.
    // With the safety steps on, each block is read until two readings
    // agree, as before any write.
    PlanPhase channels =
        PlanPhase::read(memorymap::ChannelArea, imageOffset(memorymap::ChannelArea.first));
    channels.buildsOnReading = true;
    channels.after = {PlanAction::RebuildChannels};
    plan.phases.push_back(channels);
    plan.phases.push_back(
        PlanPhase::write(memorymap::ChannelArea, imageOffset(memorymap::ChannelArea.first)));
    addVerify(plan);
    return plan;
}

TransferPlan TransferEngine::planPasswordWrite() const
{
    TransferPlan plan;
    // The backup holds the codeplug area with the password area, so that a
    // restore can put the old password back.
    if (m_backupBeforeWrite)
        plan.phases.push_back(
            PlanPhase::read(memorymap::Codeplug, imageOffset(memorymap::Codeplug.first)));
    // The block is made once, after any backup (whose readings go through
    // the image), so that a repeated request carries the very same block.
    PlanPhase block = PlanPhase::write(memorymap::PasswordBlock, 0);
    block.before = {PlanAction::KeepBackup, PlanAction::BuildPasswordBlock};
    plan.phases.push_back(block);
    // A password block the radio did not keep as sent locks its owner out:
    // it is read back like every other written block.
    addVerify(plan);
    return plan;
}

void TransferEngine::addVerify(TransferPlan &plan) const
{
    if (!m_verifyWrites)
        return;
    // What is read back: every block written, and every block read before
    // the first write (the password area included).
    std::set<int> addresses;
    for (const auto &entry : m_captured)
        addresses.insert(entry.first);
    bool written = false;
    for (const PlanPhase &phase : plan.phases) {
        if (phase.kind == Kind::Read && written)
            continue;
        written = written || phase.kind == Kind::Write;
        if (phase.source == Source::RestoreBlocks) {
            for (const auto &entry : m_restoreWrites)
                addresses.insert(entry.first);
            continue;
        }
        for (int a = phase.area.first; a < phase.area.end; a += memorymap::BlockSize)
            addresses.insert(a);
    }
    PlanPhase verify;
    verify.kind = Kind::Verify;
    verify.blocks = int(addresses.size());
    plan.phases.push_back(verify);
}

void TransferEngine::planRestoreWrites()
{
    m_restoreWrites.clear();
    for (const auto &[address, data] : m_restore->blocks) {
        // The password area is rewritten only where it changed: the radio
        // then keeps the very block it holds.
        const auto held = m_captured.find(address);
        if (memorymap::Password.contains(address) && held != m_captured.end() &&
            held->second == data)
            continue;
        m_restoreWrites.emplace_back(address, data);
    }
}

} // namespace t880::link
