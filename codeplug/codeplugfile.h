// Loading and saving codeplug files: the 2943-byte block, nothing else.
#pragma once

#include "codeplug/codeplugdata.h"

#include <QString>

namespace t880 {

/// What went wrong with a file; the caller turns it into a message in the
/// user's language.
enum class FileError { None, CannotOpen, CannotRead, TooShort, CannotWrite };

struct FileResult
{
    FileError error = FileError::None;
    QString detail; ///< the system's own reason, when there is one
    bool ok() const { return error == FileError::None; }
};

/// Appends ".<suffix>" to a path whose file name has no extension.
QString withDefaultSuffix(const QString &path, const QString &suffix);

/// Reads a file of at least \a size bytes whole into \a out (its first
/// \a size bytes). Anything shorter, or unreadable, is refused.
FileResult readFixedFile(const QString &path, int size, QByteArray &out);
/// Writes \a data to a temporary file beside \a path and renames it over
/// \a path, so that a failed save leaves the previous file intact.
FileResult writeFileAtomically(const QString &path, const QByteArray &data);

namespace codeplugfile {

inline const QString Suffix = QStringLiteral("Kzx");

/// Loads the codeplug block; on any failure \a data is left unchanged.
FileResult load(const QString &path, CodeplugData &data);
/// Saves the block exactly as it is, reserved bytes included.
FileResult save(const QString &path, const CodeplugData &data);

} // namespace codeplugfile

/// An English description of a failed file operation, for the command line.
QString describeFileResult(const FileResult &result, const QString &path, int expectedSize);

} // namespace t880
