// Serial devices by name and number, and why one would not open, on a
// system whose devices live under /dev.
#include "link/serial/portmap.h"
#include "link/serial/serialport.h"
#include "link/serial/serialtransfer.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

namespace t880::link {

PortPath resolvePortPath(const QString &name)
{
    const QFileInfo here(name);
    if (here.isAbsolute())
        return {name, {name}};
    const QString local = here.absoluteFilePath();
    const QString device = QStringLiteral("/dev/") + name;
    // exists() follows links; a link that points nowhere is still the
    // user's own file (a virtual radio that stopped), not a device name.
    if (here.exists() || here.isSymLink())
        return {local, {local}};
    if (QFileInfo::exists(device))
        return {device, {device}};
    return {device, {local, device}};
}

bool isSerialDevice(const QString &path)
{
    struct stat st = {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISCHR(st.st_mode);
}

PortMap PortMap::systemPorts()
{
    std::vector<QString> paths;
    for (const PortInfo &info : systemPortInfos())
        paths.push_back(info.path);
    PortMap map;
    int number = 1;
    for (const QString &p : orderDevices(paths)) {
        if (number > MaxPorts)
            break;
        map.bind(number++, p);
    }
    return map;
}

PortProblem classifyPortFailure(const PortFailure &f)
{
    const QByteArray path = QFile::encodeName(f.path);
    struct stat st = {};
    if (::stat(path.constData(), &st) != 0)
        return errno == EACCES ? PortProblem::NoPermission : PortProblem::NoSuchDevice;
    if (f.error == PortError::NotFound)
        return PortProblem::NoSuchDevice;
    if (!S_ISCHR(st.st_mode))
        return PortProblem::NotSerial;
    // The port layer reports a port held by another program as a permission
    // error too; only a device we may not open needs the group advice.
    if (f.error == PortError::Permission)
        return ::access(path.constData(), R_OK | W_OK) == 0 ? PortProblem::InUse
                                                            : PortProblem::NoPermission;
    return PortProblem::Other;
}

} // namespace t880::link
