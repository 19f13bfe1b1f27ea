// Runs a programming transfer over a real serial port: the system's port and
// QTimer drive the transfer engine on the thread that owns this object.
#pragma once

#include "codeplug/backupstore.h"
#include "codeplug/writejournal.h"
#include "link/serial/portmap.h"
#include "link/serial/serialport.h"
#include "link/serialtrace.h"
#include "link/transferengine.h"
#include "link/transfersafety.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <array>
#include <memory>

namespace t880::link {

/// Why the last port could not be opened, for the detail under
/// "Communication False".
struct PortFailure
{
    QString path;
    PortError error = PortError::None;
    QString detail;
};

/// What kind of trouble a port that could not be opened had, for a message
/// that says what to do about it.
enum class PortProblem {
    NoSuchDevice, ///< nothing at that path
    InUse,        ///< another program holds it
    NoPermission, ///< the user may not open it (the dialout group)
    NotSerial,    ///< a file or folder, not a character device
    Other,
};
PortProblem classifyPortFailure(const PortFailure &failure);

class SerialTransfer : public QObject, private TransferHost
{
    Q_OBJECT
public:
    SerialTransfer(ProgramState &state, OpCode op, ReadMode mode, PortSettings ports, PortMap map,
                   QObject *parent = nullptr);
    ~SerialTransfer() override;

    TransferEngine &engine() { return m_engine; }
    const TransferEngine &engine() const { return m_engine; }
    /// Presses Start.
    void start();
    /// Ends the transfer at once, as the window's close box does.
    void cancel() { m_engine.close(); }
    /// Reads every block until two readings agree; set before start().
    void setVerifyReads(bool on) { m_engine.setVerifyReads(on); }
    /// Backups and the read-back of writes; set before start().
    void setSafety(const TransferSafety &safety);
    /// What a write puts into the radio, for the write journal and the
    /// production record; set before start().
    void setWriteSubject(const WriteSubject &subject) { m_subject = subject; }
    /// Why the write's note or its line in the production record could not
    /// be kept; ok() when nothing failed. Neither stops the transfer.
    const FileResult &journalResult() const { return m_journalResult; }
    const FileResult &recordResult() const { return m_recordResult; }
    /// Writes \a plan's raw blocks instead of building them (a restore);
    /// set before start().
    void setRestorePlan(RestorePlan plan) { m_engine.setRestorePlan(std::move(plan)); }
    /// The backup this transfer wrote (before its write, or of its read);
    /// empty when none was.
    const QString &backupPath() const { return m_backupPath; }
    /// Where this transfer keeps its backups.
    const QString &backupFolder() const { return m_safety.folder; }
    /// Why a backup could not be written; ok() when none failed.
    const FileResult &backupResult() const { return m_backupResult; }
    /// The device of the port the transfer used last.
    const QString &portName() const { return m_openedPath; }
    /// The number (1..9) of the port the transfer used last: with the
    /// automatic search, the one it came to; 0 before any was tried.
    int portNumber() const { return m_openedPort; }
    /// After a success: the operation's completion actions (conversion into
    /// the model or the calibration record), once.
    void runCompletion() { m_engine.runCompletion(); }
    Outcome outcome() const { return m_engine.outcome(); }
    bool isRunning() const { return m_engine.isRunning(); }
    /// The port that failed to open, when no port opened after it; an empty
    /// path otherwise.
    const PortFailure &portFailure() const { return m_portFailure; }
    /// Bytes put on the line and taken from it during this transfer.
    qint64 bytesSent() const { return m_bytesSent; }
    qint64 bytesReceived() const { return m_bytesReceived; }
    /// Every byte each way so far, password blocks masked.
    const SerialTrace &trace() const { return m_trace; }
    /// Milliseconds since start(); the whole transfer's time once it ended.
    qint64 elapsedMs() const;

signals:
    void progressUpdated(int percent);
    void transferEnded(t880::link::Outcome outcome);

private:
    std::vector<int> listPorts() override;
    bool openPort(int port) override;
    void closePort() override;
    void purgePort() override;
    void discardInput() override;
    bool send(const QByteArray &bytes) override;
    void startTimer(Timer timer, int ms) override;
    void stopTimer(Timer timer) override;
    void progressChanged(int percent) override;
    void writingBegins() override;
    void finished(Outcome outcome) override;

    void poll();
    qint64 now() const { return m_clock.isValid() ? m_clock.elapsed() : 0; }
    bool keepBackup(backup::Operation operation);
    /// What the backups, the journal and the record call this transfer.
    backup::Operation operationName(backup::Operation asked) const;
    void closeJournal(Outcome outcome);
    void appendRecord(Outcome outcome);

    PortMap m_map;
    std::unique_ptr<SerialPort> m_port;
    std::array<QTimer, 4> m_timers;
    PortFailure m_portFailure;
    qint64 m_bytesSent = 0;
    qint64 m_bytesReceived = 0;
    SerialTrace m_trace;
    QElapsedTimer m_clock;
    qint64 m_endedMs = -1;
    QString m_openedPath;
    int m_openedPort = 0;
    TransferSafety m_safety;
    QString m_backupPath;
    FileResult m_backupResult;
    WriteSubject m_subject;
    journal::Entry m_note;
    FileResult m_journalResult;
    FileResult m_recordResult;
    OpCode m_op;
    ReadMode m_mode;
    TransferEngine m_engine;
};

} // namespace t880::link
