#include "link/transferengine.h"

#include "codeplug/memorymap.h"

#include <algorithm>
#include <cstring>

namespace t880::link {

namespace {

const QByteArray kConnectRequest = QByteArrayLiteral("PROGRAM");
constexpr std::uint8_t kIdentification[8] = {0x50, 0x33, 0x32, 0x30, 0x37, 0x33, 0xF8, 0xFF};
constexpr std::uint8_t kAck = 0x06;
constexpr std::uint8_t kIdentify = 0x02;
constexpr std::uint8_t kReadReply = 0x57; // 'W'
constexpr std::uint8_t kEnd = 0x45;       // 'E'
constexpr int kPasswordArea = memorymap::Password.first;
constexpr int kBlock = memorymap::BlockSize;
constexpr int kReadReplySize = kBlock + 4;
// Readings of a block that reads back otherwise than it was written (with
// the block written again between them) before the write counts as failed.
constexpr int kVerifyReadings = 3;
// How long copies of a reply to a repeated request are awaited before the
// next request goes out: as long as the first reply took beyond the first
// send, plus the spread of a slow radio's answer times, but short of the
// time-out, after which no reply would have been taken at all.
constexpr int kDrainMarginMs = 2000;
constexpr int kDrainLimitMs = TimeOutMs - 500;

} // namespace

TransferEngine::TransferEngine(ProgramState &state, TransferHost &host, OpCode op, ReadMode mode,
                               PortSettings ports)
    : m_state(state), m_host(host), m_op(op), m_mode(mode), m_ports(ports),
      m_random(systemRandomBytes()), m_clock(currentProgramDate)
{}

// --- timers ----------------------------------------------------------------

void TransferEngine::restartTimer(Timer timer, int ms)
{
    // A host may end the transfer from inside one of its calls; the handler
    // that made the call then runs to its end without reviving a timer.
    if (m_outcome != Outcome::Running)
        return;
    // Marked first: an end that comes from inside the call stops it again.
    m_timerRunning[std::size_t(timer)] = true;
    if (timer == Timer::Rx)
        m_rxPeriod = ms;
    m_host.startTimer(timer, ms);
}

void TransferEngine::stopTimer(Timer timer)
{
    if (m_outcome != Outcome::Running && !m_timerRunning[std::size_t(timer)])
        return; // everything stopped with the end
    m_host.stopTimer(timer);
    m_timerRunning[std::size_t(timer)] = false;
}

void TransferEngine::pause(int ms, AfterPause then)
{
    stopTimer(Timer::Tx);
    stopTimer(Timer::Rx);
    m_afterPause = then;
    restartTimer(Timer::Pause, ms);
}

void TransferEngine::setProgress(int value)
{
    if (m_outcome != Outcome::Running)
        return; // it went back to 0 with the end and stays there
    m_progress = std::clamp(value, 0, 100);
    m_host.progressChanged(m_progress);
}

// The host may end the transfer from inside any of its calls (a window
// closed while a message is shown, say); from then on the engine asks it for
// nothing more. These wrappers are the only way to the port.

bool TransferEngine::openPort(int port)
{
    if (m_outcome != Outcome::Running)
        return false;
    // Counted as open from the start: an end from inside the call closes it.
    m_portOpen = true;
    const bool opened = m_host.openPort(port);
    if (m_outcome != Outcome::Running)
        return false;
    m_portOpen = opened;
    return opened;
}

void TransferEngine::purgePort()
{
    if (m_outcome == Outcome::Running)
        m_host.purgePort();
}

// --- start and endings -----------------------------------------------------

void TransferEngine::start()
{
    if (m_started)
        return; // each transfer starts once
    m_started = true;
    m_portList = m_host.listPorts();
    int pauseMs = StartPauseMs;
    if (m_ports.autoSearch) {
        m_searchIndex = 0;
        if (m_portList.empty()) {
            end(Outcome::CommunicationFalse);
            return;
        }
        if (!searchNextPort(AfterPause::None))
            return;
        pauseMs += SearchPauseMs;
    } else {
        if (!openPort(m_ports.port)) {
            end(Outcome::CommunicationFalse);
            return;
        }
        purgePort();
    }
    stopTimer(Timer::TimeOut);
    // The radio needs a moment after the lines come up before it listens.
    pause(pauseMs, AfterPause::BeginTransfer);
}

void TransferEngine::beginTransfer()
{
    purgePort();
    m_rxCount = 0;
    m_stepNo = 0;
    m_blockOffset = 0;
    m_agrState = 0;
    m_progressAcc = 0;
    restartTimer(Timer::TimeOut, TimeOutMs);
    restartTimer(Timer::Rx, RxFirstPollMs);
    restartTimer(Timer::Tx, TxPeriodMs);
    m_searchRetry = 0;
    setProgress(0);
    m_state.radioVariant = false;
    sendNext();
}

void TransferEngine::closeTransfer()
{
    m_progress = 0;
    m_host.progressChanged(0);
    for (Timer t : {Timer::Tx, Timer::Rx, Timer::TimeOut, Timer::Pause})
        stopTimer(t);
    m_afterPause = AfterPause::None;
    if (m_portOpen) {
        m_host.closePort();
        m_portOpen = false;
    }
}

void TransferEngine::end(Outcome outcome)
{
    if (m_outcome != Outcome::Running)
        return;
    // Decided before the port closes: a close() the host makes from inside
    // the calls below finds the transfer ended and changes nothing.
    m_outcome = outcome;
    closeTransfer();
    m_host.finished(outcome);
}

void TransferEngine::close()
{
    if (!m_started) {
        m_started = true;
        m_outcome = Outcome::Closed;
        return;
    }
    end(Outcome::Closed);
}

bool TransferEngine::agreeBeforeWrite() const
{
    // What a write builds on, and what its backup keeps, must be what the
    // radio holds, not what a noisy line made of it: each block is read
    // until two readings agree. A calibration write builds the channel
    // records it writes back on a reading taken after its first writes.
    if (!(m_backupBeforeWrite || m_verifyWrites) || m_mode != ReadMode::Write || m_verifying)
        return false;
    return !m_wroteAny || m_buildsOnReading;
}

RadioKind TransferEngine::radioKind() const
{
    if (m_oldRadio)
        return RadioKind::Legacy;
    return m_state.radioVariant ? RadioKind::Y : RadioKind::S;
}

void TransferEngine::endWithoutSuccess(Outcome outcome)
{
    // The radio is told the session is over, as after a success, so that it
    // does not wait in programming mode for a request that never comes.
    if (transmit(QByteArray(1, char(kEnd))))
        end(outcome);
}

void TransferEngine::writeEnding()
{
    if (transmit(QByteArray(1, char(kEnd))))
        end(Outcome::Success);
}

bool TransferEngine::transmit(const QByteArray &bytes)
{
    if (m_outcome != Outcome::Running)
        return false;
    // A port that takes no more bytes (a cable pulled out) ends the transfer
    // at once; waiting for replies to bytes never sent would only delay it.
    if (m_host.send(bytes))
        return true;
    end(Outcome::CommunicationFalse);
    return false;
}

// --- automatic port search -------------------------------------------------

bool TransferEngine::searchNextPort(AfterPause then)
{
    if (m_outcome != Outcome::Running)
        return false;
    if (m_portOpen) {
        m_host.closePort();
        m_portOpen = false;
    }
    m_sendCount = 0;
    m_stale = {};
    while (m_searchIndex < int(m_portList.size()) && m_outcome == Outcome::Running) {
        if (openPort(m_portList[std::size_t(m_searchIndex)])) {
            purgePort();
            if (then != AfterPause::None)
                pause(SearchPauseMs, then);
            return m_outcome == Outcome::Running;
        }
        ++m_searchIndex;
    }
    end(Outcome::CommunicationFalse);
    return false;
}

// The first port gets two connect requests, every later one three, before
// the search moves on and the no-answer time-out starts again.
void TransferEngine::rotateSearch(bool &stop)
{
    stop = false;
    if (m_searchRetry < 2) {
        ++m_searchRetry;
        return;
    }
    m_searchRetry = 0;
    ++m_searchIndex;
    restartTimer(Timer::TimeOut, TimeOutMs);
    if (m_searchIndex >= int(m_portList.size())) {
        end(Outcome::CommunicationFalse);
        stop = true;
        return;
    }
    searchNextPort(AfterPause::SendConnect);
    stop = true; // the request leaves after the settling pause
}

// --- sending ---------------------------------------------------------------

void TransferEngine::sendNext()
{
    if (!isRunning())
        return;
    stopTimer(Timer::Tx);
    stopTimer(Timer::Rx);
    switch (m_agrState) {
    case 0:
        if (m_ports.autoSearch) {
            bool stop = false;
            rotateSearch(stop);
            if (stop)
                return;
        }
        connectRequest();
        break;
    case 1:
        sendRequest(QByteArray(1, char(kIdentify)), 8);
        break;
    case 2:
    case 5:
        sendRequest(QByteArray(1, char(kAck)), 1);
        break;
    case 3:
        readData(kPasswordArea + m_blockOffset, kBlock);
        break;
    case 4:
        runOperation();
        break;
    default:
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
        opStatus();
        return;
    }
    purgePort();
    sendRequest(kConnectRequest, 1);
}

void TransferEngine::readData(int address, int length)
{
    QByteArray frame;
    frame.append(char(0x52))
        .append(char(address >> 8))
        .append(char(address & 0xFF))
        .append(char(length));
    sendRequest(frame, (length + 4) & 0xFF, address);
}

void TransferEngine::writeData(int address, int length, const std::uint8_t *data)
{
    QByteArray frame;
    frame.append(char(0x57))
        .append(char(address >> 8))
        .append(char(address & 0xFF))
        .append(char(length));
    frame.append(reinterpret_cast<const char *>(data), length);
    // What the radio must hold afterwards; a later write of the same block
    // replaces the earlier one.
    m_written[address] = frame.mid(4);
    m_wroteAny = true;
    if (address == kPasswordArea)
        m_passwordBlockSent = true;
    sendRequest(frame, 1);
}

// --- late replies ----------------------------------------------------------
//
// A slow radio answers a request after it was sent again, and then answers
// the repetition too. A read reply names its address, so whatever comes
// before the header of the block asked for (a copy of another block's reply,
// of an acknowledge or of the connect reply) is recognised and dropped. The
// other replies (the acknowledge of a write above all) carry nothing that
// tells them from a copy, so a request that awaits one of those waits until
// the copies are in, or until they can no longer be expected.

void TransferEngine::sendRequest(const QByteArray &frame, int expectLen, int readAddress)
{
    m_expectLen = expectLen;
    m_readAddress = readAddress;
    ++m_sendCount;
    const bool awaitsReadReply = readAddress >= 0;
    if (m_stale.copies > 0 && !awaitsReadReply) {
        m_heldRequest = frame;
        startDrain();
        return;
    }
    m_stale = {};
    transmit(frame);
}

void TransferEngine::startDrain()
{
    m_drainExpected = m_stale.copies * int(m_stale.frame.size());
    m_drainSeen = 0;
    stopTimer(Timer::TimeOut);
    stopTimer(Timer::Tx);
    m_afterPause = AfterPause::Drain;
    restartTimer(Timer::Pause,
                 std::min(kDrainLimitMs, m_stale.copies * TxPeriodMs + kDrainMarginMs));
}

void TransferEngine::takeDrained()
{
    if (m_stale.frame.size() == 1) {
        // Only bytes like the reply count, so that line noise cannot end the
        // wait before a copy of an acknowledge has come.
        m_drainSeen += int(std::count(m_rxBuf.begin(), m_rxBuf.begin() + m_rxCount,
                                      std::uint8_t(m_stale.frame[0])));
    } else {
        m_drainSeen += m_rxCount;
    }
    m_rxCount = 0;
    if (m_drainSeen >= m_drainExpected)
        endDrain();
}

void TransferEngine::endDrain()
{
    stopTimer(Timer::Pause);
    m_afterPause = AfterPause::None;
    m_stale = {};
    m_rxCount = 0;
    const QByteArray request = m_heldRequest;
    m_heldRequest.clear();
    if (!transmit(request))
        return;
    restartTimer(Timer::TimeOut, TimeOutMs);
    finishSend();
}

void TransferEngine::skipToReadReply()
{
    if (m_rxCount == 0)
        return;
    const std::uint8_t header[4] = {kReadReply, std::uint8_t(m_readAddress >> 8),
                                    std::uint8_t(m_readAddress & 0xFF), std::uint8_t(kBlock)};
    if (std::memcmp(m_rxBuf.data(), header, std::size_t(std::min(4, m_rxCount))) == 0)
        return;
    // A copy of an earlier reply that was coming in when the request was
    // repeated leaves its tail behind: the repetition starts the gathering
    // afresh in the middle of the copy. The reply asked for follows; what
    // stands before its header answers nothing outstanding.
    for (int k = 1; k < m_rxCount; ++k) {
        if (std::memcmp(m_rxBuf.data() + k, header, std::size_t(std::min(4, m_rxCount - k))) == 0) {
            std::memmove(m_rxBuf.data(), m_rxBuf.data() + k, std::size_t(m_rxCount - k));
            m_rxCount -= k;
            return;
        }
    }
    while (dropMisaddressedReply()) {
    }
}

bool TransferEngine::dropMisaddressedReply()
{
    if (m_rxCount < kReadReplySize || m_rxBuf[0] != kReadReply)
        return false;
    const int address = (m_rxBuf[1] << 8) | m_rxBuf[2];
    if (address == m_readAddress)
        return false;
    // The late answer to an earlier request, or a damaged header: neither
    // is the block asked for, and neither is a reason to give up.
    std::memmove(m_rxBuf.data(), m_rxBuf.data() + kReadReplySize,
                 std::size_t(m_rxCount - kReadReplySize));
    m_rxCount -= kReadReplySize;
    return true;
}

// --- timers firing ---------------------------------------------------------

void TransferEngine::timerFired(Timer timer)
{
    if (!isRunning() || !m_timerRunning[std::size_t(timer)])
        return;
    switch (timer) {
    case Timer::Tx:
        sendNext();
        break;
    case Timer::Rx:
        receive(QByteArray());
        break;
    case Timer::TimeOut:
        end(Outcome::CommunicationFalse);
        break;
    case Timer::Pause: {
        if (m_afterPause == AfterPause::Drain) {
            endDrain(); // the copies still missing were lost on the way
            break;
        }
        stopTimer(Timer::Pause);
        const AfterPause then = m_afterPause;
        m_afterPause = AfterPause::None;
        if (then == AfterPause::BeginTransfer) {
            beginTransfer();
        } else if (then == AfterPause::SendConnect) {
            connectRequest();
            if (isRunning())
                finishSend();
        } else if (then == AfterPause::SendAfterBadReply) {
            sendNext();
        }
        break;
    }
    }
}

// --- receiving -------------------------------------------------------------

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

void TransferEngine::enterStage(int stage, int replyLength)
{
    m_agrState = stage;
    m_stepNo = 0;
    m_blockOffset = 0;
    if (stage == 4) {
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
        const std::size_t index = std::size_t(m_blockOffset / kBlock);
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
        m_blockOffset += kBlock;
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
    m_blockOffset += kBlock;
}

void TransferEngine::interpret()
{
    if (m_afterPause == AfterPause::Drain) {
        takeDrained();
        return;
    }
    switch (m_agrState) {
    case 0: {
        if (m_op == OpCode::Status) {
            if (m_rxCount >= 6) {
                std::memcpy(m_state.image.raw.data(), m_rxBuf.data(), 6);
                m_stepNo = 2;
                opStatus();
            }
            return;
        }
        if (m_rxCount < 1)
            return;
        const std::uint8_t reply = m_rxBuf[0];
        if (reply == 'S' || reply == 'Y') {
            m_oldRadio = false;
            m_state.radioVariant = reply == 'Y';
            m_answered = true;
            m_agrState = 3;
        } else if (reply == kAck) {
            m_oldRadio = true;
            m_answered = true;
            m_agrState = 1;
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
            // A fresh port gets its full share of connect requests; carrying
            // the old count over would skip the port altogether.
            m_searchRetry = 0;
            m_rxCount = 0;
            searchNextPort(AfterPause::SendAfterBadReply);
            return;
        }
        if (m_oldRadio && m_op != OpCode::Codeplug) {
            end(Outcome::OldVersion);
            return;
        }
        setProgress(m_progress + 1);
        enterStage(m_agrState, 1);
        return;
    }
    case 1:
        if (m_rxCount < 8)
            return;
        if (std::memcmp(m_rxBuf.data(), kIdentification, 8) != 0) {
            end(Outcome::CommunicationFalse);
            return;
        }
        enterStage(2, 8);
        return;
    case 2:
        if (m_rxCount < 1)
            return;
        if (m_rxBuf[0] != kAck) {
            end(Outcome::CommunicationFalse);
            return;
        }
        setProgress(2);
        enterStage(4, 1); // the older radio has no password stage
        return;
    case 3:
        skipToReadReply();
        if (m_rxCount < kReadReplySize)
            return;
        if (m_rxBuf[0] != kReadReply) {
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
                accept(kReadReplySize);
                return;
            }
        }
        storeReadReply();
        if (m_blockOffset < 32) {
            accept(kReadReplySize);
            return;
        }
        checkPassword();
        return;
    case 4:
        if (m_blockIsRead)
            skipToReadReply();
        if (m_rxCount != m_expectLen)
            return; // incomplete, or too long: the retransmission clears it
        if (m_blockIsRead) {
            if (m_rxBuf[0] != kReadReply) {
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
                    // The same block once more; an older radio first has
                    // this reading acknowledged.
                    if (m_oldRadio)
                        m_agrState = 5;
                    accept(m_expectLen);
                    return;
                }
            }
            storeReadReply();
            m_progressAcc += kBlock;
            if (m_oldRadio)
                m_agrState = 5;
        } else {
            if (m_rxBuf[0] != kAck) {
                end(Outcome::CommunicationFalse);
                return;
            }
            m_blockOffset += kBlock;
            m_progressAcc += kBlock;
        }
        accept(m_expectLen);
        return;
    case 5:
        if (!m_blockIsRead || m_rxCount != 1)
            return;
        if (m_rxBuf[0] != kAck) {
            end(Outcome::CommunicationFalse);
            return;
        }
        m_agrState = 4;
        accept(1);
        return;
    default:
        return;
    }
}

void TransferEngine::checkPassword()
{
    PasswordBlock block{};
    std::copy_n(m_state.image.raw.begin(), 16, block.begin());
    if (checkPasswordBlock(block.data(), m_state.codeplug.text(TextField::radioPassword))) {
        m_pdBlock = block;
        enterStage(4, kReadReplySize);
        return;
    }
    // A damaged byte on the line can look like another password. The area
    // is read once more; only the same refusal twice is the radio's word.
    if (!m_passwordReread) {
        m_passwordReread = true;
        m_firstPdBlock = block;
        m_blockOffset = 0;
        accept(kReadReplySize);
        return;
    }
    end(block == m_firstPdBlock ? Outcome::PasswordError : Outcome::CommunicationFalse);
}

} // namespace t880::link
