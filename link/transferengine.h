// The programming transfer: one request/reply exchange after another with the
// radio, as a state machine that knows nothing of ports or time.
//
// The engine is fed timer events and the bytes that were waiting at each
// receive poll; it asks its host to open and close ports, send bytes, purge
// the port and start or stop its timers, and tells it the outcome. The Qt
// adapter drives it with a serial port and timers; tests drive it with a
// scripted clock and peer.
//
// Stages (Stage): connect ("PROGRAM" -> 'S', 'Y' or 0x06), identify and
// confirm (older radios), password block read and check (current radios), the
// operation's blocks, block acknowledge (older radios). What an operation
// moves is a plan (transferplan.h) that one loop runs.
#pragma once

#include "codeplug/passwordblock.h"
#include "codeplug/radiokind.h"
#include "link/programstate.h"
#include "link/transferplan.h"

#include <QByteArray>

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <utility>
#include <vector>

namespace t880::link {

/// What the caller asks for (operation code and direction).
enum class OpCode : int {
    Codeplug = 0,
    Calibration = 1,
    SerialNumber = 4,
    Password = 5,
    Status = 7
};
enum class ReadMode : int { Write = 0, Read = 1 };

/// The endings of a transfer, plus the window closed by the user.
enum class Outcome {
    Running,
    Success,
    CommunicationFalse,
    PasswordError,
    OldVersion,
    Closed,
    /// A block read back after the write differs from what was written.
    VerifyFailed,
    /// The radio's contents could not be kept before the write; nothing was written.
    BackupFailed,
    /// A restore met a radio of another kind than the one its bytes came from.
    WrongRadio,
};

/// Blocks the radio sent before anything was written in the session, by
/// address: the data bytes exactly as they came.
using CapturedBlocks = std::map<int, QByteArray>;

/// Raw blocks to put back into a radio of \a kind, exactly as they stand.
struct RestorePlan
{
    RadioKind kind = RadioKind::S;
    std::vector<std::pair<int, QByteArray>> blocks; ///< address, 16 data bytes
};

/// Retransmission, receive poll, no-answer time-out, and the short settling
/// pauses after a port is opened (kept as a timer so nothing blocks).
enum class Timer { Tx, Rx, TimeOut, Pause };

constexpr int TxPeriodMs = 1000;
constexpr int RxFirstPollMs = 10;
constexpr int RxPollMs = 3;
constexpr int TimeOutMs = 5000;
constexpr int StartPauseMs = 500;
constexpr int SearchPauseMs = 50;
constexpr int RxBufSize = 255;

/// What the engine needs from the outside world.
class TransferHost
{
public:
    virtual ~TransferHost() = default;
    /// The port numbers (1..9) that can be opened now, ascending.
    virtual std::vector<int> listPorts() = 0;
    /// Opens and configures port \a port for a transfer; false on failure.
    virtual bool openPort(int port) = 0;
    virtual void closePort() = 0;
    /// Discards everything pending in both directions.
    virtual void purgePort() = 0;
    /// Discards what waits in the input queue only.
    virtual void discardInput() = 0;
    /// Puts \a bytes on the line; false when the port did not take them all.
    virtual bool send(const QByteArray &bytes) = 0;
    /// Starts \a timer, counting its full period from now.
    virtual void startTimer(Timer timer, int ms) = 0;
    virtual void stopTimer(Timer timer) = 0;
    virtual void progressChanged(int /*percent*/) {}
    /// The first block to be written into the radio goes out next (after
    /// the backup before it was kept); once per transfer.
    virtual void writingBegins() {}
    /// The transfer has ended; the port is closed and all timers are stopped.
    virtual void finished(Outcome outcome) = 0;
};

struct PortSettings
{
    int port = 1;
    bool autoSearch = false;
};

class TransferEngine
{
public:
    TransferEngine(ProgramState &state, TransferHost &host, OpCode op, ReadMode mode,
                   PortSettings ports);

    /// Source of randomness for the password blocks (the system's by default).
    void setRandomSource(RandomByteSource random) { m_random = std::move(random); }
    /// Clock for the programming date written into the radio.
    void setClock(std::function<ProgramDate()> clock) { m_clock = std::move(clock); }
    /// Reads every block until two readings agree (at most three readings),
    /// for doubtful cables; off by default. Set before start().
    void setVerifyReads(bool on) { m_verifyReads = on; }
    /// Before a write: reads the area the write replaces, in the same
    /// session, and hands it to the backup sink before the first write
    /// request. Off by default. Set before start().
    void setBackupBeforeWrite(bool on) { m_backupBeforeWrite = on; }
    /// After a write: reads back every block written, and every block read
    /// before the write that should be unchanged, and compares them byte for
    /// byte; a difference ends the transfer with VerifyFailed. Off by
    /// default. Set before start().
    void setVerifyWrites(bool on) { m_verifyWrites = on; }
    /// Called once the blocks read before a write are in (capturedBlocks()),
    /// before anything is written. False ends the transfer with BackupFailed.
    void setBackupSink(std::function<bool()> sink) { m_backupSink = std::move(sink); }
    /// Makes a codeplug write, or a calibration write, send \a plan's raw
    /// blocks instead of building them. Set before start().
    void setRestorePlan(RestorePlan plan) { m_restore = std::move(plan); }

    /// Start: opens the port and begins the handshake.
    void start();
    /// A timer of the host has fired. A receive-poll tick should come through
    /// receive() with the bytes that wait; here it counts as a poll that found
    /// nothing.
    void timerFired(Timer timer);
    /// A receive poll: \a waiting holds every byte that was waiting.
    void receive(const QByteArray &waiting);
    /// The user closed the window: ends at once, without a result message.
    void close();

    Outcome outcome() const { return m_outcome; }
    bool isRunning() const { return m_started && m_outcome == Outcome::Running; }
    /// True while the engine wants the bytes the port receives.
    bool isPolling() const { return isRunning() && m_timerRunning[std::size_t(Timer::Rx)]; }
    int progress() const { return m_progress; }
    /// Every block read before the first write of the session (the password
    /// area, and the areas the operation or the backup read).
    const CapturedBlocks &capturedBlocks() const { return m_captured; }
    /// The radio that answered; meaningful once the connect reply came.
    RadioKind radioKind() const;
    /// True once the radio sent a valid connect reply in this transfer.
    bool radioAnswered() const { return m_answered; }
    /// Address of the block that did not read back as written; -1 when none.
    int verifyFailedAddress() const { return m_verifyFailedAddress; }
    /// True once a new password block was sent to the radio in this
    /// transfer: after anything but a success the radio may hold neither the
    /// old password nor the new one.
    bool passwordBlockSent() const { return m_passwordBlockSent; }
    /// Whether the transfer came to writing into the radio.
    bool writingBegun() const { return m_writingBegun; }

    /// Runs the operation's completion actions (conversion into the model or
    /// the calibration record); only after a successful transfer, once.
    void runCompletion();

private:
    enum class AfterPause { None, BeginTransfer, SendConnect, SendAfterBadReply, Drain };
    enum class Reading { Again, Agreed, Disagreed };
    /// The protocol's stages, numbered as the radio's protocol counts them.
    enum class Stage : int {
        Connect = 0,  ///< "PROGRAM" (or the status request "YR")
        Identify = 1, ///< older radios: 0x02 -> "P32073" F8 FF
        Confirm = 2,  ///< older radios: 0x06 -> 0x06
        Password = 3, ///< current radios: the password area read and checked
        Blocks = 4,   ///< the operation's plan
        BlockAck = 5, ///< older radios: each read block acknowledged
    };

    // Start, endings, port and timers (transferengine.cpp).
    void beginTransfer();
    /// Sends through the host; a failed send ends the transfer.
    bool transmit(const QByteArray &bytes);
    void end(Outcome outcome);
    void closeTransfer();
    void restartTimer(Timer timer, int ms);
    bool openPort(int port);
    void purgePort();
    void stopTimer(Timer timer);
    void setProgress(int value);
    void pause(int ms, AfterPause then);
    bool searchNextPort(AfterPause then);
    void rotateSearch(bool &stop);
    void readData(int address, int length);
    void writeData(int address, int length, const std::uint8_t *data);
    /// Puts a request on the line, or holds it back while copies of the last
    /// reply may still be on their way (see startDrain()).
    void sendRequest(const QByteArray &frame, int expectLen, int readAddress = -1);
    void startDrain();
    void takeDrained();
    void endDrain();
    bool dropMisaddressedReply();
    void skipToReadReply();
    void writeEnding();
    void endWithoutSuccess(Outcome outcome);
    bool agreeBeforeWrite() const;

    // The stages (transferstages.cpp).
    void sendNext();   // the send handler: Timer_Tx and after every accepted reply
    void finishSend(); // progress, RxCount reset and timer restarts after a request
    void connectRequest();
    void statusRequest();
    void interpret();
    void takeConnectReply();
    void takeStatusReply();
    void takeIdentification();
    void takeConfirmReply();
    void takePasswordBlock();
    void takeBlockReply();
    void takeBlockAckReply();
    /// Takes the first \a replyLength bytes of RxBuf as the answer to the
    /// request outstanding, and sends the next request.
    void accept(int replyLength);
    /// Moves to \a stage with the plan not yet begun, then accepts the reply
    /// that completed the previous stage.
    void enterStage(Stage stage, int replyLength);
    void checkPassword();
    Reading takeReading();
    void storeReadReply();

    // Plans (transferplans.cpp).
    /// The plan of the operation asked for; empty when there is no such
    /// operation (nothing is sent, and the time-out ends the transfer).
    std::optional<TransferPlan> planOperation();
    TransferPlan planRead() const;
    TransferPlan planReadOld() const;
    TransferPlan planWrite() const;
    TransferPlan planWriteOld() const;
    TransferPlan planRestore();
    TransferPlan planAdjustmentRead() const;
    TransferPlan planAdjustmentWrite() const;
    TransferPlan planPasswordWrite() const;
    /// Adds the read-back phase when it is on, foreseeing its block count.
    void addVerify(TransferPlan &plan) const;
    /// The restore plan's blocks that still need writing.
    void planRestoreWrites();

    // The plan's run (transferoperations.cpp).
    /// Sends the next request of the plan, one per call, or ends the
    /// transfer when the plan is done.
    void runOperation();
    /// Runs the actions before the phase at \a index and makes it current;
    /// false when the transfer ended.
    bool enterPhase(std::size_t index);
    /// Sends the current phase's next block; false when the phase is done.
    bool sendBlock();
    bool runActions(const std::vector<PlanAction> &actions);
    bool runAction(PlanAction action);
    /// Hands the blocks read so far to the backup sink; false when the
    /// transfer ended because they could not be kept.
    bool takeBackup();
    /// Makes the list of blocks to read back.
    void startVerify();
    /// Sends the next read-back request; false when all are done. Ends the
    /// transfer on a difference.
    bool verifyStep();
    bool restoreKindMatches();
    void prepareCalibration();

    ProgramState &m_state;
    TransferHost &m_host;
    const OpCode m_op;
    const ReadMode m_mode;
    const PortSettings m_ports;
    RandomByteSource m_random;
    std::function<ProgramDate()> m_clock;

    bool m_started = false;
    Outcome m_outcome = Outcome::Running;
    bool m_completionDone = false;
    bool m_portOpen = false;
    std::array<bool, 4> m_timerRunning{};
    int m_rxPeriod = 0;
    AfterPause m_afterPause = AfterPause::None;

    Stage m_agrState = Stage::Connect;
    /// 0 before the plan is made; then 1 + the index of the phase at hand
    /// (the plan's phase count + 1 once all are done).
    int m_stepNo = 0;
    TransferPlan m_plan;
    /// Offset of the block at hand in the image (or the calibration buffer):
    /// where its reply is stored, or where its bytes come from; in the
    /// read-back, 16 times its place in the list.
    int m_blockOffset = 0;
    bool m_blockIsRead = false;
    int m_expectLen = 0;
    int m_progressAcc = 0;
    /// Acknowledged bytes per tenth of the progress bar.
    int m_progressStep = 0;
    int m_progress = 0;
    bool m_oldRadio = false;
    bool m_answered = false;
    std::vector<int> m_portList;
    int m_searchIndex = 0;
    int m_searchRetry = 0;
    std::array<std::uint8_t, RxBufSize> m_rxBuf{};
    int m_rxCount = 0;
    PasswordBlock m_pdBlock{};

    // Late replies. Every repetition of a request may bring its own copy of
    // the reply after the first one was accepted; a copy must never pass for
    // the answer to the next request.
    int m_sendCount = 0;    ///< times the outstanding request went out
    int m_readAddress = -1; ///< address of the outstanding read request; -1 for others
    struct StaleReply
    {
        QByteArray frame; ///< the reply accepted
        int copies = 0;   ///< copies that may still come
    } m_stale;
    QByteArray m_heldRequest;
    int m_drainExpected = 0;
    int m_drainSeen = 0;

    bool m_verifyReads = false;
    bool m_backupBeforeWrite = false;
    bool m_verifyWrites = false;
    std::function<bool()> m_backupSink;
    std::optional<RestorePlan> m_restore;
    std::vector<std::pair<int, QByteArray>> m_restoreWrites;
    CapturedBlocks m_captured;
    std::map<int, QByteArray> m_written; ///< every block written, by address
    bool m_wroteAny = false;
    bool m_verifying = false;
    std::vector<std::pair<int, QByteArray>> m_verifyList; ///< address, expected bytes
    int m_verifyFailedAddress = -1;
    int m_verifyRetries = 0;
    bool m_rewritePending = false;
    std::vector<QByteArray> m_readings; ///< readings of the current block so far
    bool m_passwordReread = false;
    bool m_passwordBlockSent = false;
    /// The blocks being read now are what the next writes are built from.
    bool m_buildsOnReading = false;
    bool m_writingBegun = false;
    PasswordBlock m_firstPdBlock{};
};

} // namespace t880::link
