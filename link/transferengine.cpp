#include "link/transferengine.h"

#include "link/transferframes.h"

#include <algorithm>
#include <cstring>

namespace t880::link {

namespace {

using namespace frames;

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
    m_agrState = Stage::Connect;
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
    if (transmit(QByteArray(1, char(End))))
        end(outcome);
}

void TransferEngine::writeEnding()
{
    if (transmit(QByteArray(1, char(End))))
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

void TransferEngine::readData(int address, int length)
{
    QByteArray frame;
    frame.append(char(ReadRequest))
        .append(char(address >> 8))
        .append(char(address & 0xFF))
        .append(char(length));
    sendRequest(frame, (length + 4) & 0xFF, address);
}

void TransferEngine::writeData(int address, int length, const std::uint8_t *data)
{
    QByteArray frame;
    frame.append(char(WriteRequest))
        .append(char(address >> 8))
        .append(char(address & 0xFF))
        .append(char(length));
    frame.append(reinterpret_cast<const char *>(data), length);
    // What the radio must hold afterwards; a later write of the same block
    // replaces the earlier one.
    m_written[address] = frame.mid(4);
    m_wroteAny = true;
    if (address == memorymap::Password.first)
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
    const std::uint8_t header[4] = {ReadReply, std::uint8_t(m_readAddress >> 8),
                                    std::uint8_t(m_readAddress & 0xFF), std::uint8_t(Block)};
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
    if (m_rxCount < ReadReplySize || m_rxBuf[0] != ReadReply)
        return false;
    const int address = (m_rxBuf[1] << 8) | m_rxBuf[2];
    if (address == m_readAddress)
        return false;
    // The late answer to an earlier request, or a damaged header: neither
    // is the block asked for, and neither is a reason to give up.
    std::memmove(m_rxBuf.data(), m_rxBuf.data() + ReadReplySize,
                 std::size_t(m_rxCount - ReadReplySize));
    m_rxCount -= ReadReplySize;
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

} // namespace t880::link
