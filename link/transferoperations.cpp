// The run of an operation's plan in the blocks stage: each call sends at
// most one request, or moves on to the plan's next phase, or completes the
// transfer.
#include "link/transferengine.h"

#include "factory/calibrationdata.h"

#include <algorithm>

namespace t880::link {

namespace {

constexpr int kBlock = memorymap::BlockSize;

// Acknowledged bytes per tenth of the progress bar, for \a blocks blocks.
int progressStepFor(int blocks)
{
    return std::max(1, blocks * kBlock / 10);
}

} // namespace

void TransferEngine::runOperation()
{
    if (m_stepNo == 0) {
        std::optional<TransferPlan> plan = planOperation();
        if (!plan)
            return; // no such operation: nothing is sent and the time-out ends it
        m_plan = std::move(*plan);
        m_progressStep = progressStepFor(m_plan.blocks());
        if (!runActions(m_plan.start) || !enterPhase(0))
            return;
    }
    while (std::size_t(m_stepNo) <= m_plan.phases.size()) {
        if (sendBlock())
            return;
        const std::size_t done = std::size_t(m_stepNo - 1);
        if (!runActions(m_plan.phases[done].after) || !enterPhase(done + 1))
            return;
    }
    setProgress(100);
    writeEnding();
}

bool TransferEngine::enterPhase(std::size_t index)
{
    m_buildsOnReading = false;
    if (index < m_plan.phases.size()) {
        const PlanPhase &phase = m_plan.phases[index];
        if (!runActions(phase.before))
            return false;
        if (phase.kind == PlanPhase::Kind::Verify)
            startVerify();
        if (phase.kind == PlanPhase::Kind::Write && !m_writingBegun) {
            m_writingBegun = true;
            m_host.writingBegins();
        }
        m_blockOffset = phase.offset;
        m_blockIsRead = phase.kind != PlanPhase::Kind::Write;
        m_buildsOnReading = phase.buildsOnReading;
    }
    m_stepNo = int(index) + 1;
    return true;
}

bool TransferEngine::sendBlock()
{
    const PlanPhase &phase = m_plan.phases[std::size_t(m_stepNo - 1)];
    if (phase.kind == PlanPhase::Kind::Verify)
        return verifyStep();
    const int index = (m_blockOffset - phase.offset) / kBlock;
    if (index >= phase.blocks)
        return false;
    if (phase.source == PlanPhase::Source::RestoreBlocks) {
        const auto &[address, data] = m_restoreWrites[std::size_t(index)];
        writeData(address, int(data.size()),
                  reinterpret_cast<const std::uint8_t *>(data.constData()));
        return true;
    }
    const int address = phase.area.first + index * kBlock;
    if (phase.kind == PlanPhase::Kind::Read)
        readData(address, kBlock);
    else if (phase.source == PlanPhase::Source::CalibrationBuffer)
        writeData(address, kBlock, m_state.calibrationBuffer.data() + m_blockOffset);
    else
        writeData(address, kBlock, m_state.image.raw.data() + m_blockOffset);
    return true;
}

bool TransferEngine::runActions(const std::vector<PlanAction> &actions)
{
    for (PlanAction action : actions) {
        if (!runAction(action))
            return false;
    }
    return true;
}

bool TransferEngine::runAction(PlanAction action)
{
    switch (action) {
    case PlanAction::CheckRestoreKind:
        return restoreKindMatches();
    case PlanAction::PrepareCalibration:
        prepareCalibration();
        return true;
    case PlanAction::KeepBackup:
        return takeBackup();
    case PlanAction::BuildImage:
        AnalyseTmpAdjustmentData(m_state.image.raw.data(), m_state.calibrationTables);
        GetDataForWrite(m_state, m_clock(), m_random);
        return true;
    case PlanAction::BuildLegacyImage:
        GetDataForWrite_old(m_state);
        return true;
    case PlanAction::BuildPasswordBlock: {
        const PasswordBlock block =
            encodePasswordBlock(m_state.codeplug.text(TextField::newRadioPassword), m_random);
        std::copy(block.begin(), block.end(), m_state.image.raw.begin());
        return true;
    }
    case PlanAction::RebuildChannels:
        ReAnalyseChInfor(m_state);
        return true;
    }
    return true;
}

bool TransferEngine::takeBackup()
{
    if (!m_backupBeforeWrite || !m_backupSink)
        return true;
    if (m_backupSink())
        return true;
    // Without a copy of what the radio holds, nothing of it is replaced.
    endWithoutSuccess(Outcome::BackupFailed);
    return false;
}

void TransferEngine::prepareCalibration()
{
    if (!m_restore) {
        GetAdjustmentData(m_state.calibration, m_state.radioVariant, m_state.calibrationBuffer,
                          m_state.calibrationTables);
        return;
    }
    // The area goes back byte for byte; the tables the channel records are
    // rebuilt from come from those same bytes.
    for (const auto &[address, data] : m_restore->blocks) {
        for (int i = 0; i < int(data.size()); ++i) {
            const int at = address - memorymap::Calibration.first + i;
            if (at >= 0 && at < int(m_state.calibrationBuffer.size()))
                m_state.calibrationBuffer[std::size_t(at)] = std::uint8_t(data[i]);
        }
    }
    std::vector<std::uint8_t> area(RadioImage::Size, 0);
    std::copy(m_state.calibrationBuffer.begin(), m_state.calibrationBuffer.end(),
              area.begin() + RadioImage::Offset::calibrationArea);
    AnalyseTmpAdjustmentData(area.data(), m_state.calibrationTables);
}

void TransferEngine::startVerify()
{
    // What was written must read back as written; what was read before the
    // write and not written must still be there (a request damaged on the
    // line can land a block at another address).
    m_verifyList.assign(m_written.begin(), m_written.end());
    for (const auto &[address, data] : m_captured) {
        if (!m_written.count(address))
            m_verifyList.emplace_back(address, data);
    }
    std::sort(m_verifyList.begin(), m_verifyList.end(),
              [](const auto &a, const auto &b) { return a.first < b.first; });
    m_verifying = true;
}

bool TransferEngine::verifyStep()
{
    if (m_verifyFailedAddress >= 0) {
        m_verifying = false;
        endWithoutSuccess(Outcome::VerifyFailed);
        return true;
    }
    if (m_rewritePending) {
        m_rewritePending = false;
        const auto &[address, data] = m_verifyList[std::size_t(m_blockOffset / kBlock)];
        // The acknowledge advances the offset; the block is then read again.
        m_blockOffset -= kBlock;
        m_blockIsRead = false;
        writeData(address, int(data.size()),
                  reinterpret_cast<const std::uint8_t *>(data.constData()));
        return true;
    }
    m_blockIsRead = true;
    const std::size_t index = std::size_t(m_blockOffset / kBlock);
    if (index < m_verifyList.size()) {
        readData(m_verifyList[index].first, kBlock);
        return true;
    }
    m_verifying = false;
    return false;
}

bool TransferEngine::restoreKindMatches()
{
    if (m_restore && m_restore->kind != radioKind()) {
        // The bytes of one kind of radio mean other frequencies in another.
        endWithoutSuccess(Outcome::WrongRadio);
        return false;
    }
    return true;
}

void TransferEngine::runCompletion()
{
    if (m_outcome != Outcome::Success || m_completionDone)
        return;
    m_completionDone = true;
    if (m_op == OpCode::Codeplug && m_mode == ReadMode::Read) {
        m_oldRadio ? SetDataToSoftware_old(m_state) : SetDataToSoftware(m_state);
    } else if (m_op == OpCode::Calibration && m_mode == ReadMode::Read) {
        SetAdjustmentData(m_state.image.raw.data(), m_state.radioVariant, m_state.calibration);
    } else if (m_op == OpCode::Status) {
        Set1846StatucData(m_state.image.raw.data(), m_state.calibration);
    }
}

} // namespace t880::link
