// The serial port over QSerialPort, where Qt's serial port module exists.
#include "link/serial/serialport.h"

#include <QSerialPort>
#include <QSerialPortInfo>

namespace t880::link {

namespace {

PortError portError(QSerialPort::SerialPortError error)
{
    switch (error) {
    case QSerialPort::NoError:
        return PortError::None;
    case QSerialPort::DeviceNotFoundError:
        return PortError::NotFound;
    case QSerialPort::PermissionError:
        return PortError::Permission;
    default:
        return PortError::Other;
    }
}

class QtSerialPort final : public SerialPort
{
public:
    QtSerialPort() { connect(&m_port, &QSerialPort::readyRead, this, &SerialPort::readyRead); }

    bool open(const QString &path) override
    {
        m_port.setPortName(path);
        if (!m_port.open(QIODevice::ReadWrite)) {
            takeError();
            return false;
        }
        if (!(m_port.setBaudRate(QSerialPort::Baud9600) && m_port.setDataBits(QSerialPort::Data8) &&
              m_port.setParity(QSerialPort::NoParity) && m_port.setStopBits(QSerialPort::TwoStop) &&
              m_port.setFlowControl(QSerialPort::NoFlowControl))) {
            setError(portError(m_port.error()),
                     QStringLiteral("cannot set 9600 8N2: %1").arg(m_port.errorString()));
            m_port.close();
            return false;
        }
        // A pseudo-terminal or a three-wire cable has no modem lines.
        m_port.setDataTerminalReady(true);
        m_port.setRequestToSend(true);
        m_port.clearError();
        setError(PortError::None, {});
        return true;
    }

    void close() override
    {
        if (m_port.isOpen())
            m_port.close();
    }

    bool isOpen() const override { return m_port.isOpen(); }

    void clear(bool output) override
    {
        m_port.clear(output ? QSerialPort::AllDirections : QSerialPort::Input);
    }

    QByteArray readAll() override { return m_port.readAll(); }

    bool write(const QByteArray &bytes) override
    {
        m_port.clearError();
        if (m_port.write(bytes) != bytes.size()) {
            takeError();
            return false;
        }
        // flush() returns false also when everything was already on its
        // way; only an error of the port means the bytes did not leave.
        m_port.flush();
        if (m_port.error() != QSerialPort::NoError && m_port.error() != QSerialPort::TimeoutError) {
            takeError();
            return false;
        }
        return true;
    }

private:
    void takeError() { setError(portError(m_port.error()), m_port.errorString()); }

    QSerialPort m_port;
};

} // namespace

std::unique_ptr<SerialPort> SerialPort::create()
{
    return std::make_unique<QtSerialPort>();
}

QList<PortInfo> systemPortInfos()
{
    QList<PortInfo> ports;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts()) {
        PortInfo p;
        p.path = info.systemLocation();
        p.description = info.description();
        p.manufacturer = info.manufacturer();
        if (info.hasVendorIdentifier() && info.hasProductIdentifier())
            p.usbId = QStringLiteral("%1:%2")
                          .arg(info.vendorIdentifier(), 4, 16, QLatin1Char('0'))
                          .arg(info.productIdentifier(), 4, 16, QLatin1Char('0'));
        ports << p;
    }
    return ports;
}

} // namespace t880::link
