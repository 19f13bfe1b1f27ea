// Reading and writing the program's files so that nothing hangs and nothing
// is lost: only regular files are read or replaced (a pipe would block, a
// device would be destroyed), inputs are bounded in size, and a save goes to
// a temporary file beside the target that is synced and then renamed over it.
#pragma once

#include <QByteArray>
#include <QString>

namespace t880 {

/// What went wrong with a file; the caller turns it into a message in the
/// user's language.
enum class FileError {
    None,
    CannotOpen,
    CannotRead,
    TooShort,
    CannotWrite,
    NotRegular, ///< a device, pipe, socket or folder where a file was expected
    TooLarge,   ///< far larger than any file of the program
    IsFolder,   ///< a folder given where a file name was expected
    NoFolder,   ///< the folder a file is to be written into does not exist
};

struct FileResult
{
    FileError error = FileError::None;
    QString detail; ///< the system's own reason, or a number, when there is one
    bool ok() const { return error == FileError::None; }
};

/// No file the program reads is anywhere near this size; anything larger is
/// not one of its files (a memory dump, at 64 KiB, is the largest).
constexpr qint64 MaxInputFileSize = 0x10000;

/// Appends ".<suffix>" to a path whose file name has no extension.
QString withDefaultSuffix(const QString &path, const QString &suffix);

/// Reads the first \a size bytes of a regular file of at least \a size and
/// at most MaxInputFileSize bytes into \a out. Anything else is refused and
/// \a out left alone; a pipe or device is refused without blocking.
FileResult readFixedFile(const QString &path, int size, QByteArray &out);
/// Reads a whole regular file of at most \a maxSize bytes into \a out.
FileResult readSmallFile(const QString &path, qint64 maxSize, QByteArray &out);

/// Checks, before any work is done, that \a path can be written: its folder
/// exists and may be written, and the path names no folder and nothing but
/// a regular file (or nothing yet).
FileResult checkWritableTarget(const QString &path);
/// Writes \a data to a temporary file beside \a path, syncs it and renames it
/// over \a path, so that a failed save leaves the previous file intact. A
/// symbolic link is followed: its target is replaced and the link stays.
/// Temporaries that an earlier, interrupted save of the same path left
/// behind are removed once they are a minute old.
FileResult writeFileAtomically(const QString &path, const QByteArray &data);

/// Makes \a folder and the folders above it; on failure, the system's
/// reason for the first one that could not be made ("Not a directory" when a
/// file stands in the way, "Permission denied", ...).
FileResult makeFolders(const QString &folder);

/// An English description of a failed file operation, for the command line.
QString describeFileResult(const FileResult &result, const QString &path, int expectedSize);

} // namespace t880
