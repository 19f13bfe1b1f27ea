// The window's configuration file `_config.ini`: what it holds, the values a
// new file gets, how each key is read (bad or missing values take their
// default and never stop the program), and what is written back at the end
// of a run. No GUI dependency, so the command line and tests use it too.
#pragma once

#include "codeplug/safefile.h"
#include "text/applang.h"
#include "ui/config/inifile.h"

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <functional>
#include <map>

namespace t880 {

namespace link {
struct TransferSafety;
}

struct BandLimits
{
    std::uint32_t min = 0;
    std::uint32_t max = 0;
    bool operator==(const BandLimits &o) const { return min == o.min && max == o.max; }
};

/// The kinds of file whose dialogs each remember the folder last used.
enum class FileKind { Codeplug, Csv, Pdf, Trace, Calibration, Count };

struct AppConfig
{
    static constexpr int ChannelRows = 17;
    static constexpr int ChannelColumns = 9;
    static constexpr int AddressBookRows = 17;
    static constexpr int AddressBookColumns = 3;
    static constexpr int Bands = 6;

    int port = 1;
    /// A text::Language value; any other value is kept and leaves the choice to the system.
    int language = int(text::Language::Simplified);
    bool autoSearchPort = true;
    std::array<BandLimits, Bands> bands{};
    int selectedBand = 1; ///< as the file says ("band Selete"); the window maps bad values
    std::array<int, ChannelRows> channelRowHeights{};
    std::array<int, ChannelColumns> channelColumnWidths{};
    std::array<int, AddressBookRows> addressBookRowHeights{};
    std::array<int, AddressBookColumns> addressBookColumnWidths{};
    /// AppName and Company of the sections chs, cht and eng, in that order.
    std::array<QString, 6> appNames{};
    /// Section `ports`: port number 1..9 bound to a device path. Read only;
    /// the program never writes this section.
    std::map<int, QString> portPaths;
    /// Section `t880`, key `VerifyReads`: read every block until two readings
    /// agree. Written only once it has been switched on, so a file that never
    /// used it keeps exactly the keys above.
    bool verifyReads = false;
    /// Section `t880`, key `BackupBeforeWrite`: read the radio's area and
    /// keep it as a backup before every write. On unless the file says 0;
    /// written only once switched off (or when the file has the key).
    bool backupBeforeWrite = true;
    /// Section `t880`, key `VerifyAfterWrite`: read back and compare every
    /// block written. Kept like backupBeforeWrite.
    bool verifyAfterWrite = true;
    /// Section `t880`, key `NameColWidth` (8..1000): width of the channel
    /// grid's name column, which the standard keys do not cover. Written
    /// once it differs from its default (or the file has the key).
    int nameColumnWidth = 70;
    /// Section `t880`, key `GangPorts`: the device paths last chosen in
    /// Write to several radios, separated by ";". Written once a choice was
    /// made (or when the file has the key).
    QStringList gangPorts;
    /// Section `t880`, keys `CodeplugFolder`, `CsvFolder`, `PdfFolder`,
    /// `TraceFolder` and `CalibrationFolder`: where the file dialogs of each
    /// kind of file were last used. Written once one was used (or when the
    /// file has the key).
    std::array<QString, std::size_t(FileKind::Count)> folders{};
    /// Section `backup`, keys `MaxAgeDays` (1..36500) and `MaxCount`
    /// (1..1000000): backups older, or beyond the newest that many, are
    /// removed. Read only; the program never writes this section.
    int backupMaxAgeDays = 365;
    int backupMaxCount = 1000;

    /// The values a new file is created with.
    static AppConfig defaults();
    static std::array<BandLimits, Bands> defaultBands();
};

/// Where the configuration lives: \a explicitPath when given; otherwise
/// `_config.ini` in the folder of the executable (\a executableDir) when that
/// folder may be written and is not the folder the build installs programs
/// into, else in the user's configuration folder
/// (configplace::userFolder(), created when missing unless \a make
/// says not to: a reader that never writes the file leaves the disk alone).
enum class MakeFolder { Yes, No };
QString configLocation(const QString &explicitPath, const QString &executableDir,
                       MakeFolder make = MakeFolder::Yes);
/// configLocation() with the test of whether a folder may be written and the
/// installed programs' folder given by the caller, so the fallback can be
/// exercised where every folder may be written (as root).
QString configLocation(const QString &explicitPath, const QString &executableDir,
                       const std::function<bool(const QString &folder)> &mayWrite,
                       const QString &installedBinDir = QString(),
                       MakeFolder make = MakeFolder::Yes);

/// A configuration file larger than this is not read, nor replaced.
constexpr qint64 MaxConfigFileSize = 1024 * 1024;

struct ConfigLoad
{
    AppConfig config;
    bool existed = false; ///< the file was there and was read
    FileResult result;    ///< why a file that is there could not be read (then defaults)
};

/// Start of the run. A file that exists is read key by key with the read
/// defaults; a missing file is created with AppConfig::defaults(). A file
/// that cannot be read (not a regular file, unreadable, larger than 1 MiB)
/// gives the defaults and is left alone.
ConfigLoad loadConfig(const QString &path);

/// End of the run. When the file exists (read again now, so edits made by
/// hand during the run survive): Port, Language, AutoSeachPort, band Selete,
/// the channel grid sizes and the address book sizes as given are written;
/// band limits, application names, the `ports` section and every line the
/// program does not know stay as they are. When it no longer exists it is
/// created as at start-up, with those four values from \a config and the
/// default grid sizes. Written atomically.
FileResult saveConfig(const QString &path, const AppConfig &config);

/// The INI text of a new file holding \a config, keys in the documented order.
QByteArray newConfigText(const AppConfig &config);

/// The safety the configuration asks for: backups in the usual folder, kept
/// within its limits, the backup before a write and the read-back after it
/// as set there. The operations' names stay the plain ones.
link::TransferSafety transferSafetyFrom(const AppConfig &config);

} // namespace t880
