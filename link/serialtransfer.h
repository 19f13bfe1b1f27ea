// Runs a programming transfer over a real serial port: QSerialPort and
// QTimer drive the transfer engine on the thread that owns this object.
#pragma once

#include "link/portmap.h"
#include "link/transferengine.h"

#include <QObject>
#include <QSerialPort>
#include <QTimer>

#include <array>

namespace t880::link {

/// Why the last port could not be opened, for the detail under
/// "Communication False".
struct PortFailure
{
    QString path;
    QSerialPort::SerialPortError error = QSerialPort::NoError;
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
    /// Presses Start.
    void start() { m_engine.start(); }
    /// Ends the transfer at once, as the window's close box does.
    void cancel() { m_engine.close(); }
    /// Reads every block until two readings agree; set before start().
    void setVerifyReads(bool on) { m_engine.setVerifyReads(on); }
    /// After a success: the operation's completion actions (conversion into
    /// the model or the calibration record), once.
    void runCompletion() { m_engine.runCompletion(); }
    Outcome outcome() const { return m_engine.outcome(); }
    bool isRunning() const { return m_engine.isRunning(); }
    /// The last port that failed to open; an empty path when none did.
    const PortFailure &portFailure() const { return m_portFailure; }
    /// Bytes put on the line and taken from it during this transfer.
    qint64 bytesSent() const { return m_bytesSent; }
    qint64 bytesReceived() const { return m_bytesReceived; }

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
    void finished(Outcome outcome) override;

    void poll();

    PortMap m_map;
    QSerialPort m_port;
    std::array<QTimer, 4> m_timers;
    PortFailure m_portFailure;
    qint64 m_bytesSent = 0;
    qint64 m_bytesReceived = 0;
    TransferEngine m_engine;
};

} // namespace t880::link
