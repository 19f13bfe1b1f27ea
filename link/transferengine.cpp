#include "link/transferengine.h"

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
constexpr int kPasswordArea = 0x41D0;
constexpr int kBlock = 16;

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
    m_host.startTimer(timer, ms);
    m_timerRunning[std::size_t(timer)] = true;
    if (timer == Timer::Rx)
        m_rxPeriod = ms;
}

void TransferEngine::stopTimer(Timer timer)
{
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
    if (m_outcome != Outcome::Running && value != 0)
        return; // it goes back to 0 with the end and stays there
    m_progress = std::clamp(value, 0, 100);
    m_host.progressChanged(m_progress);
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
        if (!m_host.openPort(m_ports.port)) {
            end(Outcome::CommunicationFalse);
            return;
        }
        m_portOpen = true;
        m_host.purgePort();
    }
    stopTimer(Timer::TimeOut);
    // The radio needs a moment after the lines come up before it listens.
    pause(pauseMs, AfterPause::BeginTransfer);
}

void TransferEngine::beginTransfer()
{
    m_host.purgePort();
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
    setProgress(0);
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

void TransferEngine::writeEnding()
{
    m_host.send(QByteArray(1, char(kEnd)));
    end(Outcome::Success);
}

// --- automatic port search -------------------------------------------------

bool TransferEngine::searchNextPort(AfterPause then)
{
    if (m_portOpen) {
        m_host.closePort();
        m_portOpen = false;
    }
    while (m_searchIndex < int(m_portList.size())) {
        if (m_host.openPort(m_portList[std::size_t(m_searchIndex)])) {
            m_portOpen = true;
            m_host.purgePort();
            if (then != AfterPause::None)
                pause(SearchPauseMs, then);
            return true;
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
        m_host.send(QByteArray(1, char(kIdentify)));
        break;
    case 2:
    case 5:
        m_host.send(QByteArray(1, char(kAck)));
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
    restartTimer(Timer::Tx, TxPeriodMs);
    restartTimer(Timer::Rx, RxFirstPollMs);
}

void TransferEngine::connectRequest()
{
    if (m_op == OpCode::Status) {
        opStatus();
        return;
    }
    m_host.purgePort();
    m_host.send(kConnectRequest);
}

void TransferEngine::readData(int address, int length)
{
    QByteArray frame;
    frame.append(char(0x52))
        .append(char(address >> 8))
        .append(char(address & 0xFF))
        .append(char(length));
    m_host.send(frame);
    m_expectLen = (length + 4) & 0xFF;
}

void TransferEngine::writeData(int address, int length, const std::uint8_t *data)
{
    QByteArray frame;
    frame.append(char(0x57))
        .append(char(address >> 8))
        .append(char(address & 0xFF))
        .append(char(length));
    frame.append(reinterpret_cast<const char *>(data), length);
    m_host.send(frame);
    m_expectLen = 1;
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

void TransferEngine::enterStage(int stage)
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
    accept();
}

void TransferEngine::accept()
{
    restartTimer(Timer::TimeOut, TimeOutMs);
    sendNext();
    m_rxCount = 0;
}

void TransferEngine::storeReadReply()
{
    // The length byte is trusted only as far as bytes actually arrived and
    // the image reaches.
    const int length = std::min({int(m_rxBuf[3]), m_rxCount - 4, RadioImage::Size - m_blockOffset});
    if (length > 0)
        std::memcpy(m_state.image.raw.data() + m_blockOffset, m_rxBuf.data() + 4,
                    std::size_t(length));
    m_blockOffset += kBlock;
}

void TransferEngine::interpret()
{
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
            m_agrState = 3;
        } else if (reply == kAck) {
            m_oldRadio = true;
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
        enterStage(m_agrState);
        return;
    }
    case 1:
        if (m_rxCount < 8)
            return;
        if (std::memcmp(m_rxBuf.data(), kIdentification, 8) != 0) {
            end(Outcome::CommunicationFalse);
            return;
        }
        enterStage(2);
        return;
    case 2:
        if (m_rxCount < 1)
            return;
        if (m_rxBuf[0] != kAck) {
            end(Outcome::CommunicationFalse);
            return;
        }
        setProgress(2);
        enterStage(4); // the older radio has no password stage
        return;
    case 3:
        if (m_rxCount < 20)
            return;
        if (m_rxBuf[0] != kReadReply) {
            end(Outcome::CommunicationFalse);
            return;
        }
        storeReadReply();
        if (m_blockOffset < 32) {
            accept();
            return;
        }
        std::copy_n(m_state.image.raw.begin(), 16, m_pdBlock.begin());
        if (!checkPasswordBlock(m_pdBlock.data(),
                                m_state.codeplug.text(TextField::radioPassword))) {
            end(Outcome::PasswordError);
            return;
        }
        enterStage(4);
        return;
    case 4:
        if (m_rxCount != m_expectLen)
            return; // incomplete, or too long: the retransmission clears it
        if (m_blockIsRead) {
            if (m_rxBuf[0] != kReadReply) {
                end(Outcome::CommunicationFalse);
                return;
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
        accept();
        return;
    case 5:
        if (!m_blockIsRead || m_rxCount != 1)
            return;
        if (m_rxBuf[0] != kAck) {
            end(Outcome::CommunicationFalse);
            return;
        }
        m_agrState = 4;
        accept();
        return;
    default:
        return;
    }
}

} // namespace t880::link
