// A backup: the bytes a radio sent in one transfer, exactly as they came,
// with when, from which kind of radio, over which port and in which
// operation. One file per transfer; the format is described in
// docs/backup-format.md. A codeplug backup converts into a codeplug the way
// a read does, and can be written back into a radio block for block.
#pragma once

#include "codeplug/codeplugstate.h"
#include "codeplug/radiokind.h"
#include "codeplug/safefile.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <map>
#include <optional>
#include <utility>
#include <vector>

namespace t880::backup {

/// The transfer a backup was taken in.
enum class Operation {
    Read,
    Write,
    CalibrationRead,
    CalibrationWrite,
    Restore,
    Compare,
    PasswordWrite ///< the backup taken before a new password is written
};

/// What a backup holds: the codeplug area, or the calibration area alone.
enum class Content { Codeplug, Calibration, Nothing };

inline const QString Suffix = QStringLiteral("t880bak");

struct Backup
{
    QDateTime time; ///< when the radio was read, UTC
    RadioKind kind = RadioKind::S;
    QString port; ///< as the user named it
    Operation operation = Operation::Read;
    /// Radio address -> the data bytes of the read reply for that address.
    std::map<int, QByteArray> blocks;

    Content content() const;
    bool operator==(const Backup &o) const
    {
        return time == o.time && kind == o.kind && port == o.port && operation == o.operation &&
               blocks == o.blocks;
    }
};

/// The operation's name in the file and on the command line: read, write,
/// calibration-read, calibration-write, restore, compare, password-write.
QString operationName(Operation operation);
std::optional<Operation> operationFromName(const QString &name);
/// "S", "Y" or "legacy".
QString kindName(RadioKind kind);
std::optional<RadioKind> kindFromName(const QString &name);

/// The file's text.
QByteArray serialize(const Backup &backup);
/// True when \a bytes begin as a backup file does.
bool looksLikeBackup(const QByteArray &bytes);
/// Reads a backup file's text; nothing (and the reason in \a why) when it
/// is not one, is damaged or is cut short.
std::optional<Backup> parse(const QByteArray &bytes, QString *why = nullptr);

/// Loads a backup file; a file that is not one is refused with CannotRead
/// and the reason as detail. \a out is changed only on success.
FileResult load(const QString &path, Backup &out);

/// The codeplug a codeplug backup holds, converted into \a state's model as
/// a read from that radio is (the fields the radio does not keep stay as
/// they are in \a state). False, and nothing changed, for a calibration
/// backup or one without the codeplug area.
bool toCodeplug(const Backup &backup, CodeplugState &state);
/// The codeplug of a loaded backup onto \a data, as loadCodeplugOrBackup()
/// gives it for the backup's file; \a programDate, when given, receives the
/// programming date the radio held. A calibration backup is refused with
/// CannotRead and nothing changes.
FileResult codeplugOf(const Backup &backup, CodeplugData &data, ProgramDate *programDate = nullptr);
/// Channels 1..16 in use in a codeplug backup; empty for others.
std::vector<int> channelsInUse(const Backup &backup);

/// The blocks a restore writes back: for a codeplug backup the codeplug area
/// and, for a current radio, the password area; for a calibration backup the
/// calibration area. Nothing else a backup holds is ever written.
std::vector<std::pair<int, QByteArray>> restoreBlocks(const Backup &backup);
/// The 128-byte calibration area of a backup that holds it whole.
std::optional<QByteArray> calibrationArea(const Backup &backup);

} // namespace t880::backup

namespace t880 {

/// Loads a codeplug file (.Kzx, as codeplugfile::load does) or a codeplug
/// backup (recognised by its content, whatever its name) into \a data. A
/// backup converts onto \a data as a read does; \a programDate, when given,
/// receives the programming date the radio held. On any failure nothing
/// changes; a calibration backup is refused with CannotRead.
FileResult loadCodeplugOrBackup(const QString &path, CodeplugData &data,
                                ProgramDate *programDate = nullptr);

} // namespace t880
