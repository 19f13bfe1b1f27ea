// What the connection doctor asks of the system it runs on; each system has
// its own answers (doctorsystem_posix.cpp, doctorsystem_windows.cpp).
#pragma once

#include "link/serial/doctor.h"

namespace t880::link::doctorsystem {

/// Who owns the device at \a path and who the user is, for the permission
/// finding.
DeviceAccess deviceAccess(const QString &path, const DoctorEnvironment &env);
/// A device whose other side keeps it open itself (a pseudo-terminal's
/// server): there an open descriptor says nothing about another program.
bool keptOpenByItsOtherSide(const QString &path);
/// The findings about the machine rather than the port: programs known to
/// take hold of serial adapters, the rule that keeps them off.
QList<Finding> systemFindings(const DoctorEnvironment &env);

} // namespace t880::link::doctorsystem
