// Port numbers 1..9, as the configuration file and the port dialog know
// them, bound to this machine's serial devices.
#pragma once

#include <QString>
#include <QStringList>

#include <map>
#include <vector>

namespace t880::link {

/// Where a port given by name lives: a name that exists relative to the
/// current folder is that file; otherwise the name is looked up under /dev,
/// as serial devices are named (ttyUSB0, pts/3).
struct PortPath
{
    QString path;      ///< the absolute path to open
    QStringList tried; ///< every place looked at, for the message when none exists
};
PortPath resolvePortPath(const QString &name);
/// Whether \a path names a serial port present now (a character device, or
/// a link to one as the virtual radio makes; on Windows a COM port the
/// system lists).
bool isSerialDevice(const QString &path);

class PortMap
{
public:
    static constexpr int MaxPorts = 9;

    /// The serial devices present, numbered in a stable order: USB adapters
    /// first (ttyUSB*, then ttyACM*), then the rest, each in natural order.
    static PortMap systemPorts();
    /// Orders device paths as systemPorts() numbers them.
    static std::vector<QString> orderDevices(std::vector<QString> paths);

    /// Binds \a number (1..9) to a device path; other numbers are ignored.
    void bind(int number, const QString &path);
    /// The device of a number, or an empty text.
    QString path(int number) const;
    /// The bound numbers, ascending.
    std::vector<int> numbers() const;
    /// The system's ports with the numbers in \a bindings bound to the
    /// devices given there (the configuration file's choice); the other
    /// numbers keep the system's numbering.
    static PortMap withBindings(const std::map<int, QString> &bindings);

    /// The numbers whose device can be opened now, ascending; a port held by
    /// another program is missing. Each is opened and closed at once.
    std::vector<int> openablePorts() const;

private:
    std::map<int, QString> m_paths;
};

} // namespace t880::link
