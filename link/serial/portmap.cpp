#include "link/serial/portmap.h"

#include "link/serial/serialport.h"

#include <algorithm>

namespace t880::link {

namespace {

int deviceRank(const QString &path)
{
    if (path.contains(QLatin1String("ttyUSB")))
        return 0;
    if (path.contains(QLatin1String("ttyACM")))
        return 1;
    return 2;
}

// Natural order: runs of digits compare by their value, so ttyUSB2 comes
// before ttyUSB10 whatever the locale.
bool naturalLess(const QString &a, const QString &b)
{
    int i = 0;
    int j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            int ei = i;
            int ej = j;
            while (ei < a.size() && a[ei].isDigit())
                ++ei;
            while (ej < b.size() && b[ej].isDigit())
                ++ej;
            const qulonglong na = a.mid(i, ei - i).toULongLong();
            const qulonglong nb = b.mid(j, ej - j).toULongLong();
            if (na != nb)
                return na < nb;
            i = ei;
            j = ej;
            continue;
        }
        if (a[i] != b[j])
            return a[i] < b[j];
        ++i;
        ++j;
    }
    return a.size() - i < b.size() - j;
}

} // namespace

std::vector<QString> PortMap::orderDevices(std::vector<QString> paths)
{
    std::stable_sort(paths.begin(), paths.end(), [](const QString &a, const QString &b) {
        const int ra = deviceRank(a);
        const int rb = deviceRank(b);
        return ra != rb ? ra < rb : naturalLess(a, b);
    });
    return paths;
}

PortMap PortMap::withBindings(const std::map<int, QString> &bindings)
{
    PortMap map = systemPorts();
    for (const auto &[number, path] : bindings)
        map.bind(number, path);
    return map;
}

std::vector<int> PortMap::openablePorts() const
{
    std::vector<int> present;
    for (int n : numbers()) {
        const std::unique_ptr<SerialPort> probe = SerialPort::create();
        if (probe->open(path(n))) {
            probe->close();
            present.push_back(n);
        }
    }
    return present;
}

void PortMap::bind(int number, const QString &path)
{
    if (number >= 1 && number <= MaxPorts)
        m_paths[number] = path;
}

QString PortMap::path(int number) const
{
    const auto it = m_paths.find(number);
    return it == m_paths.end() ? QString() : it->second;
}

std::vector<int> PortMap::numbers() const
{
    std::vector<int> out;
    for (const auto &entry : m_paths)
        out.push_back(entry.first);
    return out;
}

} // namespace t880::link
