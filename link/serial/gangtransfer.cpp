#include "link/serial/gangtransfer.h"

#include <QTimer>

namespace t880::link {

GangTransfer::GangTransfer(const ProgramState &state, OpCode op, ReadMode mode,
                           const QStringList &devices, QObject *parent)
    : QObject(parent)
{
    for (const QString &device : devices) {
        auto port = std::make_unique<Port>();
        port->device = device;
        port->state = std::make_unique<ProgramState>(state);
        PortMap map;
        map.bind(1, device);
        PortSettings settings;
        settings.port = 1;
        port->transfer =
            std::make_unique<SerialTransfer>(*port->state, op, mode, settings, std::move(map));
        const int index = int(m_ports.size());
        SerialTransfer *t = port->transfer.get();
        connect(t, &SerialTransfer::progressUpdated, this,
                [this, index](int percent) { emit progressUpdated(index, percent); });
        connect(t, &SerialTransfer::transferEnded, this,
                [this, index](Outcome outcome) { portEnded(index, outcome); });
        m_ports.push_back(std::move(port));
    }
}

GangTransfer::~GangTransfer()
{
    // The transfers close their ports themselves; nothing may be told of
    // their endings any more.
    for (auto &port : m_ports)
        port->transfer->disconnect(this);
}

void GangTransfer::setSafety(const TransferSafety &safety)
{
    for (auto &port : m_ports)
        port->transfer->setSafety(safety);
}

void GangTransfer::setVerifyReads(bool on)
{
    for (auto &port : m_ports)
        port->transfer->setVerifyReads(on);
}

void GangTransfer::start()
{
    m_started = true;
    m_ended = 0;
    // A transfer whose port does not open ends inside start(); the count
    // is complete once every one was started.
    m_starting = true;
    for (auto &port : m_ports)
        port->transfer->start();
    m_starting = false;
    if (m_ended == size())
        QTimer::singleShot(0, this, &GangTransfer::allEnded);
}

void GangTransfer::cancel()
{
    for (auto &port : m_ports) {
        if (port->transfer->isRunning())
            port->transfer->cancel();
    }
}

bool GangTransfer::isRunning() const
{
    return m_started && m_ended < size();
}

int GangTransfer::successCount() const
{
    int n = 0;
    for (const auto &port : m_ports)
        n += port->transfer->outcome() == Outcome::Success;
    return n;
}

void GangTransfer::portEnded(int index, Outcome outcome)
{
    ++m_ended;
    emit transferEnded(index, outcome);
    // Told only once every transfer has begun: ports that fail to open end
    // while start() is still walking the list.
    if (m_ended == size() && !m_starting)
        emit allEnded();
}

} // namespace t880::link
