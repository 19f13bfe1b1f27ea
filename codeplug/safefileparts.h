// What the safe save shares between systems: the names of its temporary
// files and where a save really goes. The reading and writing themselves
// are the system's (safefile_posix.cpp, safefile_windows.cpp).
#pragma once

#include <QString>

namespace t880::safefile {

/// Leftovers of an interrupted save are removed once they are this old, so
/// that a save running at the same moment in another process keeps its own.
constexpr int StaleTemporarySeconds = 60;

/// Where a save really goes: a symbolic link is replaced by nothing, its
/// target is (as editors do), so the link the user made stays.
QString resolveTarget(const QString &path);
/// ".NAME.t880~" beside NAME, followed by random letters: hidden from a
/// file listing while the save runs, and a name no user file has, so
/// leftovers can be tidied safely.
QString temporaryPrefix(const QString &target);
bool isOurTemporary(const QString &name, const QString &prefix);
/// A fresh temporary name for \a target, in its folder.
QString temporaryName(const QString &target);

} // namespace t880::safefile
