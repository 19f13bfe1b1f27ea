// The operations of stage 4: each call sends at most one request, or moves
// on to the operation's next step, or completes the transfer.
#include "link/transferengine.h"

#include "codeplug/memorymap.h"
#include "factory/calibrationdata.h"

#include <algorithm>

namespace t880::link {

namespace {

using memorymap::imageOffset;

constexpr int kBlock = memorymap::BlockSize;
constexpr int kCodeplugBase = memorymap::ImageBase;
constexpr int kCalibrationBase = memorymap::Calibration.first;
constexpr int kPasswordAddress = memorymap::Password.first;
constexpr int kCodeplugLimit = memorymap::Codeplug.size();
constexpr int kCalibrationFirst = imageOffset(memorymap::Calibration.first);
constexpr int kCalibrationLimit = imageOffset(memorymap::Calibration.end);
constexpr int kChannelAreaLimit = memorymap::ChannelArea.size();
constexpr int kAdjustmentLimit = memorymap::Calibration.size();
constexpr int kLegacyFirst = memorymap::Legacy.first;
constexpr int kLegacyLimit = memorymap::Legacy.end;
constexpr int kPasswordBlockLimit = imageOffset(memorymap::PasswordBlock.end);
constexpr int kPasswordAreaEnd = memorymap::Password.end;

// Steps of their own, apart from the operations' numbered ones, so that the
// operations keep their numbering whether or not these run.
constexpr int kStepBackup = 20;
constexpr int kStepVerify = 30;
constexpr int kStepEnd = 40;

// Bytes per tenth of the progress bar for \a blocks blocks in all.
int progressStepFor(int blocks)
{
    return std::max(1, blocks * kBlock / 10 - 1);
}

} // namespace

void TransferEngine::runOperation()
{
    if (m_mode == ReadMode::Write) {
        switch (m_op) {
        case OpCode::Codeplug:
            if (m_restore)
                opRestore();
            else
                m_oldRadio ? opWriteOld() : opWrite();
            return;
        case OpCode::Calibration:
            opAdjustmentWrite();
            return;
        case OpCode::Password:
            opPasswordWrite();
            return;
        default:
            return; // no such operation: nothing is sent and the time-out ends it
        }
    }
    switch (m_op) {
    case OpCode::Codeplug:
        m_oldRadio ? opReadOld() : opRead();
        return;
    case OpCode::Calibration:
        opAdjustmentRead();
        return;
    default:
        return;
    }
}

bool TransferEngine::blockStep(int limit, const std::function<void(int)> &request)
{
    if (m_blockOffset >= limit)
        return false;
    request(m_blockOffset);
    return true;
}

void TransferEngine::nextStep(int firstOffset, bool read)
{
    m_blockIsRead = read;
    ++m_stepNo;
    m_blockOffset = firstOffset;
}

void TransferEngine::opRead()
{
    if (m_stepNo == 0) {
        m_blockIsRead = true;
        m_progressStep = 36;
        m_stepNo = 1;
        m_blockOffset = 0;
    }
    if (m_stepNo == 1 &&
        blockStep(kCodeplugLimit, [this](int off) { readData(kCodeplugBase + off, kBlock); }))
        return;
    setProgress(100);
    writeEnding();
}

void TransferEngine::goStep(int step, int firstOffset, bool read)
{
    m_stepNo = step;
    m_blockOffset = firstOffset;
    m_blockIsRead = read;
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

void TransferEngine::startVerify()
{
    if (!m_verifyWrites) {
        goStep(kStepEnd, 0, false);
        return;
    }
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
    goStep(kStepVerify, 0, true);
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
    if (blockStep(int(m_verifyList.size()) * kBlock, [this](int off) {
            readData(m_verifyList[std::size_t(off / kBlock)].first, kBlock);
        }))
        return true;
    m_verifying = false;
    goStep(kStepEnd, 0, false);
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

void TransferEngine::planRestoreWrites()
{
    m_restoreWrites.clear();
    for (const auto &[address, data] : m_restore->blocks) {
        // The password area is rewritten only where it changed: the radio
        // then keeps the very block it holds.
        const auto held = m_captured.find(address);
        if (address >= kPasswordAddress && address < kPasswordAreaEnd && held != m_captured.end() &&
            held->second == data)
            continue;
        m_restoreWrites.emplace_back(address, data);
    }
}

void TransferEngine::opWrite()
{
    const auto readBlock = [this](int off) {
        readData(kCodeplugBase + off, kBlock);
    };
    const auto writeBlock = [this](int off) {
        writeData(kCodeplugBase + off, kBlock, m_state.image.raw.data() + off);
    };
    if (m_stepNo == 0) {
        m_progressStep = 47;
        if (m_backupBeforeWrite || m_verifyWrites)
            m_progressStep =
                progressStepFor(31 + (m_backupBeforeWrite ? 23 : 0) + (m_verifyWrites ? 33 : 0));
        if (m_backupBeforeWrite)
            goStep(kStepBackup, 0, true);
        else
            goStep(1, kCalibrationFirst, true);
    }
    if (m_stepNo == kStepBackup) {
        if (blockStep(kCodeplugLimit, readBlock))
            return;
        goStep(1, kCalibrationFirst, true);
    }
    if (m_stepNo == 1) {
        if (blockStep(kCalibrationLimit, readBlock))
            return;
        if (!takeBackup())
            return;
        // The channel data depend on the radio's own calibration, so it is
        // read first and the image is built from it.
        AnalyseTmpAdjustmentData(m_state.image.raw.data(), m_state.calibrationTables);
        GetDataForWrite(m_state, m_clock(), m_random);
        goStep(2, 0, false);
    }
    if (m_stepNo == 2) {
        if (blockStep(kCodeplugLimit, writeBlock))
            return;
        goStep(3, RadioImage::Offset::passwordBlock, false);
    }
    if (m_stepNo == 3) {
        if (m_state.codeplug.setting(Setting::writeNewPassword) &&
            blockStep(kPasswordBlockLimit, writeBlock))
            return;
        startVerify();
    }
    if (m_stepNo == kStepVerify && verifyStep())
        return;
    setProgress(100);
    writeEnding();
}

void TransferEngine::opRestore()
{
    const int base = m_oldRadio ? 0 : kCodeplugBase;
    const int first = m_oldRadio ? kLegacyFirst : 0;
    const int limit = m_oldRadio ? kLegacyLimit : kCodeplugLimit;
    if (m_stepNo == 0) {
        if (!restoreKindMatches())
            return;
        planRestoreWrites();
        const int areaBlocks = (limit - first + kBlock - 1) / kBlock;
        m_progressStep =
            progressStepFor(int(m_restoreWrites.size()) + (m_backupBeforeWrite ? areaBlocks : 0) +
                            (m_verifyWrites ? int(m_restoreWrites.size()) + 2 : 0));
        if (m_backupBeforeWrite)
            goStep(kStepBackup, first, true);
        else
            goStep(1, 0, false);
    }
    if (m_stepNo == kStepBackup) {
        if (blockStep(limit, [this, base](int off) { readData(base + off, kBlock); }))
            return;
        if (!takeBackup())
            return;
        goStep(1, 0, false);
    }
    if (m_stepNo == 1) {
        if (blockStep(int(m_restoreWrites.size()) * kBlock, [this](int off) {
                const auto &[address, data] = m_restoreWrites[std::size_t(off / kBlock)];
                writeData(address, int(data.size()),
                          reinterpret_cast<const std::uint8_t *>(data.constData()));
            }))
            return;
        startVerify();
    }
    if (m_stepNo == kStepVerify && verifyStep())
        return;
    setProgress(100);
    writeEnding();
}

void TransferEngine::opReadOld()
{
    if (m_stepNo == 0) {
        m_blockIsRead = true;
        m_progressStep = 49;
        m_stepNo = 1;
        m_blockOffset = kLegacyFirst;
    }
    if (m_stepNo == 1 && blockStep(kLegacyLimit, [this](int off) { readData(off, kBlock); }))
        return;
    setProgress(100);
    writeEnding();
}

void TransferEngine::opWriteOld()
{
    if (m_stepNo == 0) {
        m_progressStep = 49;
        if (m_backupBeforeWrite || m_verifyWrites)
            m_progressStep =
                progressStepFor(31 + (m_backupBeforeWrite ? 31 : 0) + (m_verifyWrites ? 31 : 0));
        if (m_backupBeforeWrite) {
            goStep(kStepBackup, kLegacyFirst, true);
        } else {
            GetDataForWrite_old(m_state);
            goStep(1, kLegacyFirst, false);
        }
    }
    if (m_stepNo == kStepBackup) {
        if (blockStep(kLegacyLimit, [this](int off) { readData(off, kBlock); }))
            return;
        if (!takeBackup())
            return;
        // Built only now: the backup's blocks went into the image.
        GetDataForWrite_old(m_state);
        goStep(1, kLegacyFirst, false);
    }
    if (m_stepNo == 1) {
        if (blockStep(kLegacyLimit,
                      [this](int off) { writeData(off, kBlock, m_state.image.raw.data() + off); }))
            return;
        startVerify();
    }
    if (m_stepNo == kStepVerify && verifyStep())
        return;
    setProgress(100);
    writeEnding();
}

void TransferEngine::opAdjustmentRead()
{
    if (m_stepNo == 0) {
        m_blockIsRead = true;
        m_progressStep = 11;
        m_stepNo = 1;
        m_blockOffset = 0;
    }
    if (m_stepNo == 1 &&
        blockStep(kAdjustmentLimit, [this](int off) { readData(kCalibrationBase + off, kBlock); }))
        return;
    setProgress(100);
    writeEnding();
}

void TransferEngine::opAdjustmentWrite()
{
    const auto readCalibration = [this](int off) {
        readData(kCalibrationBase + off, kBlock);
    };
    if (m_stepNo == 0) {
        m_progressStep = 78;
        if (m_backupBeforeWrite || m_verifyWrites)
            m_progressStep =
                progressStepFor(50 + (m_backupBeforeWrite ? 8 : 0) + (m_verifyWrites ? 31 : 0));
        if (m_restore) {
            if (!restoreKindMatches())
                return;
            // The area goes back byte for byte; the tables the channel
            // records are rebuilt from come from those same bytes.
            for (const auto &[address, data] : m_restore->blocks) {
                for (int i = 0; i < int(data.size()); ++i) {
                    const int at = address - kCalibrationBase + i;
                    if (at >= 0 && at < int(m_state.calibrationBuffer.size()))
                        m_state.calibrationBuffer[std::size_t(at)] = std::uint8_t(data[i]);
                }
            }
            std::vector<std::uint8_t> area(RadioImage::Size, 0);
            std::copy(m_state.calibrationBuffer.begin(), m_state.calibrationBuffer.end(),
                      area.begin() + kCalibrationFirst);
            AnalyseTmpAdjustmentData(area.data(), m_state.calibrationTables);
        } else {
            GetAdjustmentData(m_state.calibration, m_state.radioVariant, m_state.calibrationBuffer,
                              m_state.calibrationTables);
        }
        if (m_backupBeforeWrite)
            goStep(kStepBackup, 0, true);
        else
            goStep(1, 0, false);
    }
    if (m_stepNo == kStepBackup) {
        if (blockStep(kAdjustmentLimit, readCalibration))
            return;
        if (!takeBackup())
            return;
        goStep(1, 0, false);
    }
    if (m_stepNo == 1) {
        if (blockStep(kAdjustmentLimit, [this](int off) {
                writeData(kCalibrationBase + off, kBlock, m_state.calibrationBuffer.data() + off);
            }))
            return;
        goStep(2, 0, true);
    }
    if (m_stepNo == 2) {
        // These readings are written back: with the safety steps on, each
        // block is read until two readings agree, as before any write.
        m_buildsOnReading = true;
        if (blockStep(kChannelAreaLimit,
                      [this](int off) { readData(kCodeplugBase + off, kBlock); }))
            return;
        m_buildsOnReading = false;
        // The channel records carry values taken from the calibration; bring
        // them in line with what was just written.
        ReAnalyseChInfor(m_state);
        goStep(3, 0, false);
    }
    if (m_stepNo == 3) {
        if (blockStep(kChannelAreaLimit, [this](int off) {
                writeData(kCodeplugBase + off, kBlock, m_state.image.raw.data() + off);
            }))
            return;
        startVerify();
    }
    if (m_stepNo == kStepVerify && verifyStep())
        return;
    setProgress(100);
    writeEnding();
}

void TransferEngine::opPasswordWrite()
{
    // Made once, after any backup (whose readings go through the image), so
    // that a repeated request carries the very same block.
    const auto makeBlock = [this] {
        const PasswordBlock block =
            encodePasswordBlock(m_state.codeplug.text(TextField::newRadioPassword), m_random);
        std::copy(block.begin(), block.end(), m_state.image.raw.begin());
    };
    if (m_stepNo == 0) {
        m_progressStep = 10;
        if (m_backupBeforeWrite || m_verifyWrites)
            m_progressStep =
                progressStepFor(1 + (m_backupBeforeWrite ? 23 : 0) +
                                (m_verifyWrites ? 2 + (m_backupBeforeWrite ? 23 : 0) : 0));
        // The backup holds the codeplug area with the password area, so that
        // a restore can put the old password back.
        if (m_backupBeforeWrite) {
            goStep(kStepBackup, 0, true);
        } else {
            makeBlock();
            goStep(1, 0, false);
        }
    }
    if (m_stepNo == kStepBackup) {
        if (blockStep(kCodeplugLimit, [this](int off) { readData(kCodeplugBase + off, kBlock); }))
            return;
        if (!takeBackup())
            return;
        makeBlock();
        goStep(1, 0, false);
    }
    if (m_stepNo == 1) {
        if (blockStep(kBlock, [this](int) {
                writeData(kPasswordAddress, kBlock, m_state.image.raw.data());
            }))
            return;
        // A password block the radio did not keep as sent locks its owner
        // out: it is read back like every other written block.
        startVerify();
    }
    if (m_stepNo == kStepVerify && verifyStep())
        return;
    setProgress(100);
    writeEnding();
}

void TransferEngine::opStatus()
{
    if (m_stepNo == 0) {
        m_blockIsRead = true;
        m_progressStep = 10;
        m_stepNo = 1;
        m_blockOffset = 0;
    }
    if (m_stepNo == 1) {
        purgePort();
        sendRequest(QByteArray("YR", 2), 6);
        return;
    }
    // The status reply has no end byte.
    setProgress(100);
    end(Outcome::Success);
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
