// The stages of a transfer: the request each one sends, and the handler that
// takes each one's reply.
#include "link/transferengine.h"

#include "link/transferframes.h"

#include <algorithm>
#include <cstring>

namespace t880::link {

namespace {

using namespace frames;

constexpr int kPasswordArea = memorymap::Password.first;
// Readings of a block that reads back otherwise than it was written (with
// the block written again between them) before the write counts as failed.
constexpr int kVerifyReadings = 3;

} // namespace

// --- requests --------------------------------------------------------------

void TransferEngine::sendNext()
{
    if (!isRunning())
        return;
    stopTimer(Timer::Tx);
    stopTimer(Timer::Rx);
    switch (m_agrState) {
    case Stage::Connect:
        if (m_ports.autoSearch) {
            bool stop = false;
            rotateSearch(stop);
            if (stop)
                return;
        }
        connectRequest();
        break;
    case Stage::Identify:
        sendRequest(QByteArray(1, char(Identify)), 8);
        break;
    case Stage::Confirm:
    case Stage::BlockAck:
        sendRequest(QByteArray(1, char(Ack)), 1);
        break;
    case Stage::Password:
        readData(kPasswordArea + m_blockOffset, Block);
        break;
    case Stage::Blocks:
        runOperation();
        break;
    }
    if (!isRunning())
        return;
    finishSend();
}

void TransferEngine::finishSend()
{
    while (m_progressStep > 0 && m_progressAcc > m_progressStep) {
        m_progressAcc -= m_progressStep;
        setProgress(m_progress + 10);
    }
    m_rxCount = 0;
    if (m_afterPause == AfterPause::Drain) {
        // The request is held back; only the receive side runs meanwhile.
        restartTimer(Timer::Rx, RxPollMs);
        return;
    }
    restartTimer(Timer::Tx, TxPeriodMs);
    restartTimer(Timer::Rx, RxFirstPollMs);
}

void TransferEngine::connectRequest()
{
    if (m_op == OpCode::Status) {
        statusRequest();
        return;
    }
    purgePort();
    sendRequest(ConnectRequest, 1);
}

// The status read has no session: its request takes the connect request's
// place, and its reply ends the transfer.
void TransferEngine::statusRequest()
{
    purgePort();
    sendRequest(StatusRequest, StatusReplySize);
}

// --- replies ---------------------------------------------------------------

void TransferEngine::receive(const QByteArray &waiting)
{
    if (!isRunning() || !m_timerRunning[std::size_t(Timer::Rx)])
        return;
    // More than the buffer holds is line noise or a confused radio: drop it
    // and let the retransmission recover.
    if (waiting.size() > RxBufSize || m_rxCount + waiting.size() > RxBufSize) {
        if (m_outcome == Outcome::Running)
            m_host.discardInput();
        return;
    }
    std::memcpy(m_rxBuf.data() + m_rxCount, waiting.constData(), std::size_t(waiting.size()));
    m_rxCount += int(waiting.size());
    const int searchBefore = m_searchIndex;
    interpret();
    if (!isRunning() || m_afterPause != AfterPause::None || searchBefore != m_searchIndex)
        return;
    if (m_timerRunning[std::size_t(Timer::Rx)] && m_rxPeriod != RxPollMs)
        restartTimer(Timer::Rx, RxPollMs);
}

void TransferEngine::interpret()
{
    if (m_afterPause == AfterPause::Drain) {
        takeDrained();
        return;
    }
    switch (m_agrState) {
    case Stage::Connect:
        if (m_op == OpCode::Status)
            takeStatusReply();
        else
            takeConnectReply();
        return;
    case Stage::Identify:
        takeIdentification();
        return;
    case Stage::Confirm:
        takeConfirmReply();
        return;
    case Stage::Password:
        takePasswordBlock();
        return;
    case Stage::Blocks:
        takeBlockReply();
        return;
    case Stage::BlockAck:
        takeBlockAckReply();
        return;
    }
}

void TransferEngine::enterStage(Stage stage, int replyLength)
{
    m_agrState = stage;
    m_stepNo = 0;
    m_blockOffset = 0;
    if (stage == Stage::Blocks) {
        // The operation's blocks begin: their direction and progress count
        // start afresh.
        m_progressAcc = 0;
        m_blockIsRead = m_mode == ReadMode::Read;
    }
    accept(replyLength);
}

void TransferEngine::accept(int replyLength)
{
    // Each repetition of the request may still bring a copy of this reply.
    m_stale = {};
    if (m_sendCount > 1)
        m_stale = {QByteArray(reinterpret_cast<const char *>(m_rxBuf.data()), replyLength),
                   m_sendCount - 1};
    m_sendCount = 0;
    restartTimer(Timer::TimeOut, TimeOutMs);
    sendNext();
    m_rxCount = 0;
}

void TransferEngine::takeStatusReply()
{
    if (m_rxCount < StatusReplySize)
        return;
    std::memcpy(m_state.image.raw.data(), m_rxBuf.data(), StatusReplySize);
    // The status reply has no end byte.
    setProgress(100);
    end(Outcome::Success);
}

void TransferEngine::takeConnectReply()
{
    if (m_rxCount < 1)
        return;
    const std::uint8_t reply = m_rxBuf[0];
    Stage next = Stage::Password;
    if (reply == 'S' || reply == 'Y') {
        m_oldRadio = false;
        m_state.radioVariant = reply == 'Y';
        m_answered = true;
    } else if (reply == Ack) {
        m_oldRadio = true;
        m_answered = true;
        next = Stage::Identify;
    } else {
        if (!m_ports.autoSearch) {
            end(Outcome::CommunicationFalse);
            return;
        }
        ++m_searchIndex;
        if (m_searchIndex >= int(m_portList.size())) {
            end(Outcome::CommunicationFalse);
            return;
        }
        // A fresh port gets its full share of connect requests; carrying the
        // old count over would skip the port altogether.
        m_searchRetry = 0;
        m_rxCount = 0;
        searchNextPort(AfterPause::SendAfterBadReply);
        return;
    }
    m_agrState = next;
    if (m_oldRadio && m_op != OpCode::Codeplug) {
        end(Outcome::OldVersion);
        return;
    }
    setProgress(m_progress + 1);
    enterStage(next, 1);
}

void TransferEngine::takeIdentification()
{
    if (m_rxCount < 8)
        return;
    if (std::memcmp(m_rxBuf.data(), Identification, 8) != 0) {
        end(Outcome::CommunicationFalse);
        return;
    }
    enterStage(Stage::Confirm, 8);
}

void TransferEngine::takeConfirmReply()
{
    if (m_rxCount < 1)
        return;
    if (m_rxBuf[0] != Ack) {
        end(Outcome::CommunicationFalse);
        return;
    }
    setProgress(2);
    enterStage(Stage::Blocks, 1); // the older radio has no password stage
}

void TransferEngine::takePasswordBlock()
{
    skipToReadReply();
    if (m_rxCount < ReadReplySize)
        return;
    if (m_rxBuf[0] != ReadReply) {
        end(Outcome::CommunicationFalse);
        return;
    }
    if (agreeBeforeWrite()) {
        const Reading reading = takeReading();
        if (reading == Reading::Disagreed) {
            end(Outcome::CommunicationFalse);
            return;
        }
        if (reading == Reading::Again) {
            accept(ReadReplySize);
            return;
        }
    }
    storeReadReply();
    if (m_blockOffset < memorymap::Password.size()) {
        accept(ReadReplySize);
        return;
    }
    checkPassword();
}

void TransferEngine::takeBlockReply()
{
    if (m_blockIsRead)
        skipToReadReply();
    if (m_rxCount != m_expectLen)
        return; // incomplete, or too long: the retransmission clears it
    if (m_blockIsRead) {
        if (m_rxBuf[0] != ReadReply) {
            end(Outcome::CommunicationFalse);
            return;
        }
        if (m_verifyReads || agreeBeforeWrite()) {
            const Reading reading = takeReading();
            if (reading == Reading::Disagreed) {
                end(Outcome::CommunicationFalse);
                return;
            }
            if (reading == Reading::Again) {
                // The same block once more; an older radio first has this
                // reading acknowledged.
                if (m_oldRadio)
                    m_agrState = Stage::BlockAck;
                accept(m_expectLen);
                return;
            }
        }
        storeReadReply();
        m_progressAcc += Block;
        if (m_oldRadio)
            m_agrState = Stage::BlockAck;
    } else {
        if (m_rxBuf[0] != Ack) {
            end(Outcome::CommunicationFalse);
            return;
        }
        m_blockOffset += Block;
        m_progressAcc += Block;
    }
    accept(m_expectLen);
}

void TransferEngine::takeBlockAckReply()
{
    if (!m_blockIsRead || m_rxCount != 1)
        return;
    if (m_rxBuf[0] != Ack) {
        end(Outcome::CommunicationFalse);
        return;
    }
    m_agrState = Stage::Blocks;
    accept(1);
}

TransferEngine::Reading TransferEngine::takeReading()
{
    m_readings.emplace_back(reinterpret_cast<const char *>(m_rxBuf.data()), m_rxCount);
    const auto agreed = [this] {
        m_readings.clear();
        return Reading::Agreed;
    };
    switch (m_readings.size()) {
    case 1:
        return Reading::Again;
    case 2:
        return m_readings[0] == m_readings[1] ? agreed() : Reading::Again;
    default:
        if (m_readings[2] == m_readings[0] || m_readings[2] == m_readings[1])
            return agreed();
        m_readings.clear();
        return Reading::Disagreed;
    }
}

void TransferEngine::storeReadReply()
{
    const int received = std::max(0, std::min(int(m_rxBuf[3]), m_rxCount - 4));
    const QByteArray data(reinterpret_cast<const char *>(m_rxBuf.data()) + 4, received);
    if (m_verifying) {
        // A reply shorter than the block is no proof of what the radio holds.
        // A reply damaged on the way back cannot pass for the bytes written,
        // but it can hide them: a block that differs is read again, and only
        // three readings that all differ mean the radio holds something else.
        // A block this write sent that the radio did not keep (a request
        // damaged on the line) is sent again before it is read again.
        const std::size_t index = std::size_t(m_blockOffset / Block);
        if (index < m_verifyList.size() && data != m_verifyList[index].second) {
            const bool written = m_written.count(m_verifyList[index].first) > 0;
            if (++m_verifyRetries < kVerifyReadings) {
                m_rewritePending = written;
                return;
            }
            if (m_verifyFailedAddress < 0)
                m_verifyFailedAddress = m_verifyList[index].first;
        }
        m_verifyRetries = 0;
        m_blockOffset += Block;
        return;
    }
    if (!m_wroteAny && m_readAddress >= 0)
        m_captured[m_readAddress] = data;
    // The length byte is trusted only as far as bytes actually arrived and
    // the image reaches.
    const int length = std::min(received, RadioImage::Size - m_blockOffset);
    if (length > 0)
        std::memcpy(m_state.image.raw.data() + m_blockOffset, m_rxBuf.data() + 4,
                    std::size_t(length));
    m_blockOffset += Block;
}

void TransferEngine::checkPassword()
{
    PasswordBlock block{};
    std::copy_n(m_state.image.raw.begin(), 16, block.begin());
    if (checkPasswordBlock(block.data(), m_state.codeplug.text(TextField::radioPassword))) {
        m_pdBlock = block;
        enterStage(Stage::Blocks, ReadReplySize);
        return;
    }
    // A damaged byte on the line can look like another password. The area
    // is read once more; only the same refusal twice is the radio's word.
    if (!m_passwordReread) {
        m_passwordReread = true;
        m_firstPdBlock = block;
        m_blockOffset = 0;
        accept(ReadReplySize);
        return;
    }
    end(block == m_firstPdBlock ? Outcome::PasswordError : Outcome::CommunicationFalse);
}

} // namespace t880::link
