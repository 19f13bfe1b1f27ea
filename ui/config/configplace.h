// Where the configuration may live, as each system answers it
// (configplace_posix.cpp, configplace_windows.cpp).
#pragma once

#include <QString>

namespace t880::configplace {

/// Whether this user may make files in \a folder.
bool mayWrite(const QString &folder);
/// The user's own folder for the configuration: ~/.config/t880 on Linux,
/// %APPDATA%\t880 on Windows.
QString userFolder();

} // namespace t880::configplace
