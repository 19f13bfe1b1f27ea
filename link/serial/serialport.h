// The serial port a transfer talks through, and the ports the system has.
// Each system has an adapter of its own behind this interface (over
// QSerialPort on Linux, over the Win32 API on Windows); the build picks it.
#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

#include <memory>

namespace t880::link {

/// A serial device present on the machine.
struct PortInfo
{
    QString path;         ///< the device, such as /dev/ttyUSB0 or \\.\COM3
    QString description;  ///< the adapter's own name, when it gives one
    QString manufacturer; ///< its maker (on Windows, its driver), when it gives one
    QString usbId;        ///< vendor:product in hex, such as 1a86:7523; empty when not USB
};

/// The serial devices present now. Looking never opens a port nor waits on
/// one.
QList<PortInfo> systemPortInfos();

/// Why a port could not be opened or used.
enum class PortError {
    None,
    NotFound,   ///< nothing at that path
    Permission, ///< refused: no right to it, or another program holds it
    Other,
};

class SerialPort : public QObject
{
    Q_OBJECT
public:
    /// This system's port.
    static std::unique_ptr<SerialPort> create();

    /// Opens \a path for this program alone at 9600 baud, 8 data bits, no
    /// parity, 2 stop bits and no flow control, and raises DTR and RTS (a
    /// line without modem lines is no error: the radio does not need them).
    virtual bool open(const QString &path) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    /// Drops what waits in the queues: what came in, and what waits to go
    /// out too when \a output.
    virtual void clear(bool output) = 0;
    /// Every byte that has come in so far; never waits.
    virtual QByteArray readAll() = 0;
    /// Puts \a bytes on their way; false when they did not all go.
    virtual bool write(const QByteArray &bytes) = 0;

    PortError error() const { return m_error; }
    const QString &errorString() const { return m_errorString; }

signals:
    /// Bytes came in.
    void readyRead();

protected:
    void setError(PortError error, const QString &text)
    {
        m_error = error;
        m_errorString = text;
    }

private:
    PortError m_error = PortError::None;
    QString m_errorString;
};

} // namespace t880::link
