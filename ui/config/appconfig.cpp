#include "ui/config/appconfig.h"
#include "codeplug/productionrecord.h"
#include "codeplug/writejournal.h"

#include "ui/config/configplace.h"

#include "codeplug/backupfile.h"
#include "link/transfersafety.h"
#include "packaging/installpaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <climits>
#include <cstring>
#include <iterator>
#include <optional>

#include <sys/stat.h>

namespace t880 {

namespace {

const QString kFileName = QStringLiteral("_config.ini");

const QString kConfig = QStringLiteral("config");
const QString kControl = QStringLiteral("control");
const QString kBand = QStringLiteral("Band");
const QString kPorts = QStringLiteral("ports");
const QString kOwn = QStringLiteral("t880");
const QString kVerifyReads = QStringLiteral("VerifyReads");
const QString kBackupBeforeWrite = QStringLiteral("BackupBeforeWrite");
const QString kVerifyAfterWrite = QStringLiteral("VerifyAfterWrite");
const QString kNameColWidth = QStringLiteral("NameColWidth");
const QString kGangPorts = QStringLiteral("GangPorts");
// In the order of FileKind.
const QString kFolderKeys[] = {QStringLiteral("CodeplugFolder"), QStringLiteral("CsvFolder"),
                               QStringLiteral("PdfFolder"), QStringLiteral("TraceFolder"),
                               QStringLiteral("CalibrationFolder")};
static_assert(std::size(kFolderKeys) == std::size_t(FileKind::Count));
const QString kBackup = QStringLiteral("backup");
const QString kMaxAgeDays = QStringLiteral("MaxAgeDays");
const QString kMaxCount = QStringLiteral("MaxCount");
// The sections of the application names, in the order of AppConfig::appNames.
const QString kNameSections[] = {QStringLiteral("chs"), QStringLiteral("cht"),
                                 QStringLiteral("eng")};

const QString kPort = QStringLiteral("Port");
const QString kLanguage = QStringLiteral("Language");
// Misspelt, but the files already in use spell it so: correcting it here
// would make them lose the setting.
const QString kAutoSearchPort = QStringLiteral("AutoSeachPort");
const QString kSelectedBand = QStringLiteral("band Selete");
const QString kAppName = QStringLiteral("AppName");
const QString kCompany = QStringLiteral("Company");

constexpr int kDefaultRowHeight = 20;
constexpr int kMaxRowHeight = 500;
constexpr int kMaxColumnWidth = 2000;
constexpr std::array<int, AppConfig::ChannelColumns> kChannelColumnWidths = {30, 64, 64, 74, 74,
                                                                             64, 64, 64, 80};
constexpr std::array<int, AppConfig::AddressBookColumns> kAddressBookColumnWidths = {30, 70, 130};
// A new file holds a blank rather than nothing for each name, as the files
// already in use do.
const QString kNoName = QStringLiteral(" ");

QString gridKey(const char *grid, const char *what, int index)
{
    return QLatin1String(grid) + QLatin1String(what) + QString::number(index);
}

QString bandKey(int band, bool max)
{
    return QStringLiteral("band-%1 %2").arg(band + 1).arg(max ? u"max" : u"min");
}

std::optional<qint64> readInteger(const IniFile &ini, const QString &section, const QString &key)
{
    const std::optional<QString> text = ini.value(section, key);
    if (!text)
        return std::nullopt;
    bool ok = false;
    const qint64 n = text->toLongLong(&ok, 10);
    return ok ? std::optional<qint64>(n) : std::nullopt;
}

qint64 readInRange(const IniFile &ini, const QString &section, const QString &key, qint64 fallback,
                   qint64 low, qint64 high)
{
    const std::optional<qint64> n = readInteger(ini, section, key);
    return n && *n >= low && *n <= high ? *n : fallback;
}

template <std::size_t N>
void readGrid(const IniFile &ini, const char *grid, const char *what,
              const std::array<int, N> &fallback, int high, std::array<int, N> &out)
{
    for (std::size_t i = 0; i < N; ++i) {
        out[i] = int(readInRange(ini, kControl, gridKey(grid, what, int(i)), fallback[i], 1, high));
    }
}

// "COM3" -> 3; 0 for any key that names no port the dialog offers.
int portNumber(const QString &key)
{
    if (!key.startsWith(QLatin1String("COM"), Qt::CaseInsensitive) || key.size() == 3)
        return 0;
    int n = 0;
    for (qsizetype i = 3; i < key.size(); ++i) {
        const char16_t c = key.at(i).unicode();
        if (c < u'0' || c > u'9' || n > 9)
            return 0;
        n = n * 10 + (c - u'0');
    }
    return n >= 1 && n <= 9 ? n : 0;
}

AppConfig readConfig(const IniFile &ini)
{
    const AppConfig d = AppConfig::defaults();
    AppConfig c = d;
    c.port = int(readInRange(ini, kConfig, kPort, d.port, 1, 9));
    // An unknown language is kept, so that a newer program's choice survives
    // a run of this one; the window falls back to the system's language.
    c.language = int(readInRange(ini, kConfig, kLanguage, d.language, INT_MIN, INT_MAX));
    if (const std::optional<qint64> n = readInteger(ini, kConfig, kAutoSearchPort))
        c.autoSearchPort = *n != 0;

    readGrid(ini, "ChSG_", "Row", d.channelRowHeights, kMaxRowHeight, c.channelRowHeights);
    readGrid(ini, "ChSG_", "Col", d.channelColumnWidths, kMaxColumnWidth, c.channelColumnWidths);
    readGrid(ini, "DtmfAbSG_", "Row", d.addressBookRowHeights, kMaxRowHeight,
             c.addressBookRowHeights);
    readGrid(ini, "DtmfAbSG_", "Col", d.addressBookColumnWidths, kMaxColumnWidth,
             c.addressBookColumnWidths);

    for (int b = 0; b < AppConfig::Bands; ++b) {
        BandLimits &band = c.bands[std::size_t(b)];
        const BandLimits &fallback = d.bands[std::size_t(b)];
        band.min =
            std::uint32_t(readInRange(ini, kBand, bandKey(b, false), fallback.min, 0, UINT32_MAX));
        band.max =
            std::uint32_t(readInRange(ini, kBand, bandKey(b, true), fallback.max, 0, UINT32_MAX));
        // Either limit may be the wrong one; both defaults at least make a band.
        if (band.min > band.max)
            band = fallback;
    }
    c.selectedBand = int(readInRange(ini, kBand, kSelectedBand, d.selectedBand, INT_MIN, INT_MAX));

    for (int s = 0; s < 3; ++s) {
        for (int k = 0; k < 2; ++k) {
            const std::optional<QString> name =
                ini.value(kNameSections[s], k ? kCompany : kAppName);
            // The file's own " " reads back trimmed; it means no name, as nothing does.
            if (name && !name->isEmpty())
                c.appNames[std::size_t(s * 2 + k)] = *name;
        }
    }

    if (const std::optional<qint64> n = readInteger(ini, kOwn, kVerifyReads))
        c.verifyReads = *n != 0;
    if (const std::optional<qint64> n = readInteger(ini, kOwn, kBackupBeforeWrite))
        c.backupBeforeWrite = *n != 0;
    if (const std::optional<qint64> n = readInteger(ini, kOwn, kVerifyAfterWrite))
        c.verifyAfterWrite = *n != 0;
    c.nameColumnWidth = int(readInRange(ini, kOwn, kNameColWidth, d.nameColumnWidth, 8, 1000));
    if (const std::optional<QString> ports = ini.value(kOwn, kGangPorts))
        c.gangPorts = ports->split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (std::size_t k = 0; k < c.folders.size(); ++k)
        c.folders[k] = ini.value(kOwn, kFolderKeys[k]).value_or(QString());
    c.backupMaxAgeDays = int(readInRange(ini, kBackup, kMaxAgeDays, d.backupMaxAgeDays, 1, 36500));
    c.backupMaxCount = int(readInRange(ini, kBackup, kMaxCount, d.backupMaxCount, 1, 1000000));

    std::array<bool, 10> seen{};
    for (const QString &key : ini.keys(kPorts)) {
        const int n = portNumber(key);
        if (n == 0 || seen[std::size_t(n)])
            continue;
        seen[std::size_t(n)] = true;
        const QString path = ini.value(kPorts, key).value_or(QString());
        if (!path.isEmpty())
            c.portPaths[n] = path;
    }
    return c;
}

template <std::size_t N>
void writeGrid(IniFile &ini, const char *grid, const char *what, const std::array<int, N> &values)
{
    for (std::size_t i = 0; i < N; ++i)
        ini.setValue(kControl, gridKey(grid, what, int(i)), QString::number(values[i]));
}

void writeConfigSection(IniFile &ini, const AppConfig &c)
{
    ini.setValue(kConfig, kPort, QString::number(c.port));
    ini.setValue(kConfig, kLanguage, QString::number(c.language));
    ini.setValue(kConfig, kAutoSearchPort,
                 c.autoSearchPort ? QStringLiteral("1") : QStringLiteral("0"));
}

void writeGrids(IniFile &ini, const AppConfig &c)
{
    writeGrid(ini, "ChSG_", "Row", c.channelRowHeights);
    writeGrid(ini, "ChSG_", "Col", c.channelColumnWidths);
    writeGrid(ini, "DtmfAbSG_", "Row", c.addressBookRowHeights);
    writeGrid(ini, "DtmfAbSG_", "Col", c.addressBookColumnWidths);
}

// What a run changes: the rest of the file is the user's to edit.
void writeSessionValues(IniFile &ini, const AppConfig &c)
{
    writeConfigSection(ini, c);
    writeGrids(ini, c);
    ini.setValue(kBand, kSelectedBand, QString::number(c.selectedBand));
    // Our own keys appear once they differ from their default, so a file
    // that never used them keeps exactly the keys above.
    const auto writeFlag = [&ini](const QString &key, bool value, bool byDefault) {
        if (value != byDefault || ini.value(kOwn, key))
            ini.setValue(kOwn, key, value ? QStringLiteral("1") : QStringLiteral("0"));
    };
    writeFlag(kVerifyReads, c.verifyReads, false);
    writeFlag(kBackupBeforeWrite, c.backupBeforeWrite, true);
    writeFlag(kVerifyAfterWrite, c.verifyAfterWrite, true);
    if (c.nameColumnWidth != AppConfig().nameColumnWidth || ini.value(kOwn, kNameColWidth))
        ini.setValue(kOwn, kNameColWidth, QString::number(c.nameColumnWidth));
    if (!c.gangPorts.isEmpty() || ini.value(kOwn, kGangPorts))
        ini.setValue(kOwn, kGangPorts, c.gangPorts.join(QLatin1Char(';')));
    for (std::size_t k = 0; k < c.folders.size(); ++k) {
        if (!c.folders[k].isEmpty() || ini.value(kOwn, kFolderKeys[k]))
            ini.setValue(kOwn, kFolderKeys[k], c.folders[k]);
    }
}

// Through links too: /bin is a link to /usr/bin on current systems.
bool sameFolder(const QString &a, const QString &b)
{
    if (a.isEmpty() || b.isEmpty())
        return false;
    const QString ca = QFileInfo(a).canonicalFilePath();
    const QString cb = QFileInfo(b).canonicalFilePath();
    if (!ca.isEmpty() && !cb.isEmpty())
        return ca == cb;
    return QDir::cleanPath(a) == QDir::cleanPath(b);
}

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// ENOENT when nothing is at the path; 0 when something is; another errno
// when the system cannot tell.
int statError(const QString &path)
{
    struct stat st = {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? 0 : errno;
}

} // namespace

AppConfig AppConfig::defaults()
{
    AppConfig c;
    c.bands = defaultBands();
    c.channelRowHeights.fill(kDefaultRowHeight);
    c.channelColumnWidths = kChannelColumnWidths;
    c.addressBookRowHeights.fill(kDefaultRowHeight);
    c.addressBookColumnWidths = kAddressBookColumnWidths;
    c.appNames.fill(kNoName);
    return c;
}

std::array<BandLimits, AppConfig::Bands> AppConfig::defaultBands()
{
    return {{{136000000, 174000000},
             {400000000, 490000000},
             {245000000, 246000000},
             {400000000, 480000000},
             {450000000, 520000000},
             {470000000, 520000000}}};
}

QString configLocation(const QString &explicitPath, const QString &executableDir, MakeFolder make)
{
    return configLocation(explicitPath, executableDir, configplace::mayWrite,
                          QString::fromUtf8(install::BinDir), make);
}

QString configLocation(const QString &explicitPath, const QString &executableDir,
                       const std::function<bool(const QString &folder)> &mayWrite,
                       const QString &installedBinDir, MakeFolder make)
{
    if (!explicitPath.isEmpty())
        return explicitPath;
    // Beside the program first, so that a copy on a stick carries its settings.
    // Not in the folder it was installed into, though root may write there:
    // the package manager owns that folder, and a file left in it outlives
    // the package.
    if (!executableDir.isEmpty() && !sameFolder(executableDir, installedBinDir) &&
        mayWrite(executableDir))
        return QDir(executableDir).filePath(kFileName);
    const QString folder = configplace::userFolder();
    if (folder.isEmpty())
        return QDir(executableDir).filePath(kFileName); // nowhere better; loading says why
    // Made for the first run to write the file into.
    if (make == MakeFolder::Yes)
        QDir().mkpath(folder);
    return QDir(folder).filePath(kFileName);
}

ConfigLoad loadConfig(const QString &path)
{
    ConfigLoad load;
    load.config = AppConfig::defaults();
    const int error = statError(path);
    if (error == ENOENT) {
        // The user finds the file to edit after the first run; a folder that
        // cannot be written costs only that.
        load.result = writeFileAtomically(path, newConfigText(load.config));
        return load;
    }
    if (error != 0) {
        load.result = {FileError::CannotOpen, systemReason(error)};
        return load;
    }
    QByteArray text;
    load.result = readSmallFile(path, MaxConfigFileSize, text);
    if (!load.result.ok())
        return load;
    load.config = readConfig(IniFile::parse(text));
    load.existed = true;
    return load;
}

FileResult saveConfig(const QString &path, const AppConfig &config)
{
    const int error = statError(path);
    if (error == ENOENT) {
        AppConfig fresh = AppConfig::defaults();
        fresh.port = config.port;
        fresh.language = config.language;
        fresh.autoSearchPort = config.autoSearchPort;
        fresh.selectedBand = config.selectedBand;
        return writeFileAtomically(path, newConfigText(fresh));
    }
    if (error != 0)
        return {FileError::CannotOpen, systemReason(error)};
    // Read again rather than kept from the start: the user may have edited
    // the file while the window was open.
    QByteArray before;
    const FileResult read = readSmallFile(path, MaxConfigFileSize, before);
    if (!read.ok())
        return read;
    IniFile ini = IniFile::parse(before);
    writeSessionValues(ini, config);
    const QByteArray after = ini.serialize();
    // Nothing to change: a file the user made read-only is then no failure.
    if (after == before)
        return {};
    return writeFileAtomically(path, after);
}

QByteArray newConfigText(const AppConfig &config)
{
    IniFile ini;
    writeConfigSection(ini, config);
    writeGrids(ini, config);
    for (int b = 0; b < AppConfig::Bands; ++b) {
        const BandLimits &band = config.bands[std::size_t(b)];
        ini.setValue(kBand, bandKey(b, false), QString::number(band.min));
        ini.setValue(kBand, bandKey(b, true), QString::number(band.max));
    }
    ini.setValue(kBand, kSelectedBand, QString::number(config.selectedBand));
    for (int s = 0; s < 3; ++s) {
        ini.setValue(kNameSections[s], kAppName, config.appNames[std::size_t(s * 2)]);
        ini.setValue(kNameSections[s], kCompany, config.appNames[std::size_t(s * 2 + 1)]);
    }
    return ini.serialize();
}

link::TransferSafety transferSafetyFrom(const AppConfig &config)
{
    link::TransferSafety safety;
    safety.folder = backup::defaultFolder();
    safety.limits = {config.backupMaxAgeDays, config.backupMaxCount};
    safety.backupBeforeWrite = config.backupBeforeWrite;
    safety.verifyAfterWrite = config.verifyAfterWrite;
    safety.journalFolder = journal::defaultFolder();
    safety.recordPath = production::defaultPath();
    return safety;
}

} // namespace t880
