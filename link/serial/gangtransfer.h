// Several transfers at once, one per port, each with its own engine and its
// own copy of the program state. The engines are event-driven, so they all
// run on the thread that owns this object; a radio that fails, falls silent
// or is unplugged ends its own transfer and no other.
#pragma once

#include "link/serial/serialtransfer.h"

#include <QObject>
#include <QStringList>

#include <memory>
#include <vector>

namespace t880::link {

class GangTransfer : public QObject
{
    Q_OBJECT
public:
    /// One transfer of \a op in \a mode for each device in \a devices (paths,
    /// each a port of its own), every one starting from a copy of \a state.
    GangTransfer(const ProgramState &state, OpCode op, ReadMode mode, const QStringList &devices,
                 QObject *parent = nullptr);
    ~GangTransfer() override;

    /// Set before start(); apply to every port.
    void setSafety(const TransferSafety &safety);
    void setVerifyReads(bool on);

    /// Starts every transfer. allEnded() follows once the last has ended,
    /// also when none could begin.
    void start();
    /// Ends every transfer still running.
    void cancel();
    bool isRunning() const;

    int size() const { return int(m_ports.size()); }
    const QString &device(int index) const { return m_ports[std::size_t(index)]->device; }
    SerialTransfer &transfer(int index) { return *m_ports[std::size_t(index)]->transfer; }
    const SerialTransfer &transfer(int index) const
    {
        return *m_ports[std::size_t(index)]->transfer;
    }
    /// The program state of one port: after a successful read it holds what
    /// that radio sent.
    ProgramState &state(int index) { return *m_ports[std::size_t(index)]->state; }
    Outcome outcome(int index) const { return transfer(index).outcome(); }
    /// Ports whose transfer ended successfully.
    int successCount() const;

signals:
    void progressUpdated(int index, int percent);
    void transferEnded(int index, t880::link::Outcome outcome);
    void allEnded();

private:
    struct Port
    {
        QString device;
        std::unique_ptr<ProgramState> state;
        std::unique_ptr<SerialTransfer> transfer;
    };
    void portEnded(int index, Outcome outcome);

    std::vector<std::unique_ptr<Port>> m_ports;
    int m_ended = 0;
    bool m_started = false;
    bool m_starting = false;
};

} // namespace t880::link
