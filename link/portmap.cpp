#include "link/portmap.h"

#include <QCollator>
#include <QSerialPortInfo>

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

} // namespace

std::vector<QString> PortMap::orderDevices(std::vector<QString> paths)
{
    QCollator natural;
    natural.setNumericMode(true);
    std::stable_sort(paths.begin(), paths.end(), [&natural](const QString &a, const QString &b) {
        const int ra = deviceRank(a);
        const int rb = deviceRank(b);
        return ra != rb ? ra < rb : natural.compare(a, b) < 0;
    });
    return paths;
}

PortMap PortMap::systemPorts()
{
    std::vector<QString> paths;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
        paths.push_back(info.systemLocation());
    PortMap map;
    int number = 1;
    for (const QString &p : orderDevices(paths)) {
        if (number > MaxPorts)
            break;
        map.bind(number++, p);
    }
    return map;
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
