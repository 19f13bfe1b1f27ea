// The operations of stage 4: each call sends at most one request, or moves
// on to the operation's next step, or completes the transfer.
#include "link/transferengine.h"

#include "factory/calibrationdata.h"

namespace t880::link {

namespace {

constexpr int kBlock = 16;
constexpr int kCodeplugBase = 0x4000;
constexpr int kCalibrationBase = 0x41F0;
constexpr int kPasswordAddress = 0x41D0;
constexpr int kCodeplugLimit = 0x169;    // 23 blocks, 0x4000..0x416F
constexpr int kCalibrationFirst = 0x1F0; // image offset of the calibration area
constexpr int kCalibrationLimit = 0x263; // 8 blocks
constexpr int kChannelAreaLimit = 0x150; // 21 blocks, the channel records
constexpr int kAdjustmentLimit = 0x73;   // 8 blocks of the calibration area
constexpr int kLegacyFirst = 0x010;
constexpr int kLegacyLimit = 0x200;        // 31 blocks
constexpr int kPasswordBlockLimit = 0x1E0; // 1 block

} // namespace

void TransferEngine::runOperation()
{
    if (m_mode == ReadMode::Write) {
        switch (m_op) {
        case OpCode::Codeplug:
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
        m_stepNo = 1;
        m_blockIsRead = true;
        m_blockOffset = kCalibrationFirst;
    }
    if (m_stepNo == 1) {
        if (blockStep(kCalibrationLimit, readBlock))
            return;
        // The channel data depend on the radio's own calibration, so it is
        // read first and the image is built from it.
        AnalyseTmpAdjustmentData(m_state.image.raw.data(), m_state.calibrationTables);
        GetDataForWrite(m_state, m_clock(), m_random);
        nextStep(0, false);
    }
    if (m_stepNo == 2) {
        if (blockStep(kCodeplugLimit, writeBlock))
            return;
        nextStep(RadioImage::Offset::passwordBlock, false);
    }
    if (m_stepNo == 3) {
        if (m_state.codeplug.setting(Setting::writeNewPassword) &&
            blockStep(kPasswordBlockLimit, writeBlock))
            return;
        nextStep(0, false);
    }
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
        m_blockIsRead = false;
        m_progressStep = 49;
        GetDataForWrite_old(m_state);
        m_stepNo = 1;
        m_blockOffset = kLegacyFirst;
    }
    if (m_stepNo == 1 && blockStep(kLegacyLimit, [this](int off) {
            writeData(off, kBlock, m_state.image.raw.data() + off);
        }))
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
    if (m_stepNo == 0) {
        m_progressStep = 78;
        GetAdjustmentData(m_state.calibration, m_state.radioVariant, m_state.calibrationBuffer,
                          m_state.calibrationTables);
        m_stepNo = 1;
        m_blockIsRead = false;
        m_blockOffset = 0;
    }
    if (m_stepNo == 1) {
        if (blockStep(kAdjustmentLimit, [this](int off) {
                writeData(kCalibrationBase + off, kBlock, m_state.calibrationBuffer.data() + off);
            }))
            return;
        nextStep(0, true);
    }
    if (m_stepNo == 2) {
        if (blockStep(kChannelAreaLimit,
                      [this](int off) { readData(kCodeplugBase + off, kBlock); }))
            return;
        // The channel records carry values taken from the calibration; bring
        // them in line with what was just written.
        ReAnalyseChInfor(m_state);
        nextStep(0, false);
    }
    if (m_stepNo == 3 && blockStep(kChannelAreaLimit, [this](int off) {
            writeData(kCodeplugBase + off, kBlock, m_state.image.raw.data() + off);
        }))
        return;
    setProgress(100);
    writeEnding();
}

void TransferEngine::opPasswordWrite()
{
    if (m_stepNo == 0) {
        m_blockIsRead = false;
        m_progressStep = 10;
        const PasswordBlock block =
            encodePasswordBlock(m_state.codeplug.text(TextField::newRadioPassword), m_random);
        std::copy(block.begin(), block.end(), m_state.image.raw.begin());
        m_stepNo = 1;
        m_blockOffset = 0;
    }
    if (m_stepNo == 1 && blockStep(kBlock, [this](int) {
            writeData(kPasswordAddress, kBlock, m_state.image.raw.data());
        }))
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
