// The connection doctor's look at Windows: it has no device groups, no
// process table to search for a port's holder and no programs known to
// take adapters, so what it says comes from the port itself (present,
// held by another program, silent) and the adapter's name and driver.
#include "link/serial/doctorsystem.h"

#include <QCoreApplication>

namespace t880::link {

DoctorEnvironment::DoctorEnvironment()
    : listPorts(systemPortInfos), ownPid(QCoreApplication::applicationPid())
{}

QList<Finding> grabberFindings(const DoctorEnvironment &)
{
    return {};
}

QList<Finding> holderFindings(const QString &, const DoctorEnvironment &)
{
    return {};
}

namespace doctorsystem {

DeviceAccess deviceAccess(const QString &path, const DoctorEnvironment &)
{
    DeviceAccess access;
    access.path = path;
    return access;
}

bool keptOpenByItsOtherSide(const QString &)
{
    return false;
}

QList<Finding> systemFindings(const DoctorEnvironment &)
{
    return {};
}

} // namespace doctorsystem

} // namespace t880::link
