// Serial ports by name and number, and why one would not open, on Windows:
// port n is COMn, opened as \\.\COMn.
#include "link/serial/portmap.h"
#include "link/serial/serialport.h"
#include "link/serial/serialtransfer.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

namespace t880::link {

namespace {

const QString kDevicePrefix = QStringLiteral("\\\\.\\");

int comNumber(const QString &path)
{
    static const QRegularExpression com(QStringLiteral("^(?:\\\\\\\\\\.\\\\)?COM([0-9]+)$"),
                                        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = com.match(path);
    return m.hasMatch() ? m.captured(1).toInt() : 0;
}

} // namespace

PortPath resolvePortPath(const QString &name)
{
    if (const int n = comNumber(name); n > 0) {
        const QString device = kDevicePrefix + QStringLiteral("COM%1").arg(n);
        return {device, {device}};
    }
    if (name.startsWith(kDevicePrefix))
        return {name, {name}};
    const QString local = QFileInfo(name).absoluteFilePath();
    return {local, {local}};
}

bool isSerialDevice(const QString &path)
{
    const int n = comNumber(QDir::toNativeSeparators(path));
    if (n == 0)
        return false;
    const QList<PortInfo> ports = systemPortInfos();
    return std::any_of(ports.begin(), ports.end(),
                       [n](const PortInfo &p) { return comNumber(p.path) == n; });
}

PortMap PortMap::systemPorts()
{
    // COM1..COM9 keep their own numbers; higher ones take the numbers left.
    PortMap map;
    std::vector<QString> higher;
    for (const PortInfo &info : systemPortInfos()) {
        const int n = comNumber(info.path);
        if (n >= 1 && n <= MaxPorts)
            map.bind(n, info.path);
        else
            higher.push_back(info.path);
    }
    int number = 1;
    for (const QString &path : higher) {
        while (number <= MaxPorts && !map.path(number).isEmpty())
            ++number;
        if (number > MaxPorts)
            break;
        map.bind(number, path);
    }
    return map;
}

PortProblem classifyPortFailure(const PortFailure &f)
{
    switch (f.error) {
    case PortError::NotFound:
        return PortProblem::NoSuchDevice;
    // Windows refuses a port that another program holds with "access
    // denied"; users have no rights to lose on a COM port.
    case PortError::Permission:
        return PortProblem::InUse;
    case PortError::None:
    case PortError::Other:
        break;
    }
    return comNumber(f.path) > 0 ? PortProblem::Other : PortProblem::NotSerial;
}

} // namespace t880::link
