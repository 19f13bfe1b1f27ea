#include "codeplug/backupfile.h"

#include "codeplug/codeplugfile.h"
#include "codeplug/memorymap.h"
#include "codeplug/radioimage.h"

#include <QFileInfo>
#include <QList>

#include <cctype>

namespace t880::backup {

namespace {

const QByteArray kMagic = QByteArrayLiteral("T880 BACKUP 1");
const QByteArray kEnd = QByteArrayLiteral("end");

constexpr int kMaxBlock = 255;

bool holdsCodeplug(const Backup &b)
{
    for (const auto &entry : b.blocks) {
        const int a = entry.first;
        if (b.kind == RadioKind::Legacy ? memorymap::Legacy.contains(a)
                                        : memorymap::Codeplug.contains(a))
            return true;
    }
    return false;
}

std::optional<Backup> refuse(QString *why, const QString &reason)
{
    if (why)
        *why = reason;
    return std::nullopt;
}

// A port name is the user's text; a line break in it would end the field.
QString oneLine(QString text)
{
    text.replace(u'\r', u' ');
    text.replace(u'\n', u' ');
    return text;
}

} // namespace

Content Backup::content() const
{
    if (holdsCodeplug(*this))
        return Content::Codeplug;
    for (const auto &entry : blocks) {
        if (memorymap::Calibration.contains(entry.first))
            return Content::Calibration;
    }
    return Content::Nothing;
}

QString operationName(Operation operation)
{
    switch (operation) {
    case Operation::Read:
        return QStringLiteral("read");
    case Operation::Write:
        return QStringLiteral("write");
    case Operation::CalibrationRead:
        return QStringLiteral("calibration-read");
    case Operation::CalibrationWrite:
        return QStringLiteral("calibration-write");
    case Operation::Restore:
        return QStringLiteral("restore");
    case Operation::Compare:
        return QStringLiteral("compare");
    case Operation::PasswordWrite:
        return QStringLiteral("password-write");
    }
    return QString();
}

std::optional<Operation> operationFromName(const QString &name)
{
    for (Operation o : {Operation::Read, Operation::Write, Operation::CalibrationRead,
                        Operation::CalibrationWrite, Operation::Restore, Operation::Compare,
                        Operation::PasswordWrite}) {
        if (operationName(o) == name)
            return o;
    }
    return std::nullopt;
}

QString kindName(RadioKind kind)
{
    switch (kind) {
    case RadioKind::S:
        return QStringLiteral("S");
    case RadioKind::Y:
        return QStringLiteral("Y");
    case RadioKind::Legacy:
        break;
    }
    return QStringLiteral("legacy");
}

std::optional<RadioKind> kindFromName(const QString &name)
{
    for (RadioKind k : {RadioKind::S, RadioKind::Y, RadioKind::Legacy}) {
        if (kindName(k) == name)
            return k;
    }
    return std::nullopt;
}

QByteArray serialize(const Backup &b)
{
    QByteArray out = kMagic + '\n';
    out += "time: " + b.time.toUTC().toString(Qt::ISODate).toUtf8() + '\n';
    out += "kind: " + kindName(b.kind).toUtf8() + '\n';
    out += "port: " + oneLine(b.port).toUtf8() + '\n';
    out += "operation: " + operationName(b.operation).toUtf8() + '\n';
    out += '\n';
    for (const auto &[address, data] : b.blocks) {
        out += QByteArray::number(address, 16).rightJustified(4, '0').toUpper();
        out += ' ';
        out += data.toHex().toUpper();
        out += '\n';
    }
    out += kEnd + '\n';
    return out;
}

bool looksLikeBackup(const QByteArray &bytes)
{
    return bytes.startsWith(kMagic + '\n') || bytes.startsWith(kMagic + "\r\n");
}

std::optional<Backup> parse(const QByteArray &bytes, QString *why)
{
    if (!looksLikeBackup(bytes))
        return refuse(why, QStringLiteral("not a backup file"));
    QList<QByteArray> lines = bytes.split('\n');
    for (QByteArray &line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    Backup b;
    bool haveTime = false, haveKind = false, haveOperation = false, ended = false;
    qsizetype i = 1;
    // The header: "key: value" lines up to the first blank line. Keys this
    // program does not know are left for newer ones.
    for (; i < lines.size() && !lines[i].isEmpty(); ++i) {
        const QByteArray &line = lines[i];
        const qsizetype colon = line.indexOf(':');
        if (colon < 0)
            return refuse(why, QStringLiteral("header line %1 has no ':'").arg(i + 1));
        const QByteArray key = line.left(colon).trimmed();
        const QString value = QString::fromUtf8(line.mid(colon + 1)).trimmed();
        if (key == "time") {
            b.time = QDateTime::fromString(value, Qt::ISODate);
            if (!b.time.isValid())
                return refuse(why, QStringLiteral("the time '%1' is not valid").arg(value));
            b.time = b.time.toUTC();
            haveTime = true;
        } else if (key == "kind") {
            const std::optional<RadioKind> kind = kindFromName(value);
            if (!kind)
                return refuse(why, QStringLiteral("unknown radio kind '%1'").arg(value));
            b.kind = *kind;
            haveKind = true;
        } else if (key == "port") {
            b.port = value;
        } else if (key == "operation") {
            const std::optional<Operation> op = operationFromName(value);
            if (!op)
                return refuse(why, QStringLiteral("unknown operation '%1'").arg(value));
            b.operation = *op;
            haveOperation = true;
        }
    }
    if (!haveTime || !haveKind || !haveOperation)
        return refuse(why, QStringLiteral("the header lacks time, kind or operation"));
    for (++i; i < lines.size(); ++i) {
        const QByteArray &line = lines[i];
        if (line == kEnd) {
            ended = true;
            break;
        }
        const QList<QByteArray> fields = line.split(' ');
        bool ok = false;
        const int address = fields.value(0).toInt(&ok, 16);
        const QByteArray hex = fields.value(1);
        if (fields.size() != 2 || fields[0].size() != 4 || !ok || hex.size() % 2 != 0 ||
            hex.size() > 2 * kMaxBlock)
            return refuse(why,
                          QStringLiteral("line %1 is not an address and its bytes").arg(i + 1));
        for (char c : hex) {
            if (!std::isxdigit(static_cast<unsigned char>(c)))
                return refuse(why, QStringLiteral("line %1 holds a non-hex digit").arg(i + 1));
        }
        if (b.blocks.count(address))
            return refuse(
                why,
                QStringLiteral("address %1 appears twice").arg(QString::fromLatin1(fields[0])));
        b.blocks[address] = QByteArray::fromHex(hex);
    }
    // Without the last line the file was cut short: some blocks may be missing.
    if (!ended)
        return refuse(why, QStringLiteral("the file is cut short (no 'end' line)"));
    return b;
}

FileResult load(const QString &path, Backup &out)
{
    QByteArray bytes;
    FileResult r = readSmallFile(path, MaxInputFileSize, bytes);
    if (!r.ok())
        return r;
    QString why;
    const std::optional<Backup> b = parse(bytes, &why);
    if (!b)
        return {FileError::CannotRead, QStringLiteral("not a valid backup: %1").arg(why)};
    out = *b;
    return {};
}

bool toCodeplug(const Backup &b, CodeplugState &state)
{
    if (b.content() != Content::Codeplug)
        return false;
    const bool legacy = b.kind == RadioKind::Legacy;
    CodeplugState work = state;
    // Bytes the backup lacks read as a radio that holds nothing there.
    work.image.raw.fill(legacy ? 0xFF : 0x00);
    const int base = legacy ? 0 : memorymap::ImageBase;
    for (const auto &[address, data] : b.blocks) {
        for (int k = 0; k < int(data.size()); ++k) {
            const int at = address - base + k;
            if (at >= 0 && at < RadioImage::Size)
                work.image.raw[std::size_t(at)] = std::uint8_t(data[k]);
        }
    }
    work.radioVariant = b.kind == RadioKind::Y;
    if (legacy)
        SetDataToSoftware_old(work);
    else
        SetDataToSoftware(work);
    state.codeplug = work.codeplug;
    state.lastProgramDate = work.lastProgramDate;
    return true;
}

FileResult codeplugOf(const Backup &b, CodeplugData &data, ProgramDate *programDate)
{
    CodeplugState state;
    state.codeplug = data;
    if (!toCodeplug(b, state))
        return {FileError::CannotRead,
                QStringLiteral("the backup holds no codeplug (it is a calibration backup)")};
    data = state.codeplug;
    if (programDate)
        *programDate = state.lastProgramDate;
    return {};
}

std::vector<int> channelsInUse(const Backup &b)
{
    CodeplugState state;
    std::vector<int> used;
    if (!toCodeplug(b, state))
        return used;
    for (int n = 1; n <= 16; ++n) {
        if (state.codeplug.isChannelUsed(n))
            used.push_back(n);
    }
    return used;
}

std::vector<std::pair<int, QByteArray>> restoreBlocks(const Backup &b)
{
    std::vector<std::pair<int, QByteArray>> out;
    const Content content = b.content();
    for (const auto &[address, data] : b.blocks) {
        bool take = false;
        if (content == Content::Calibration)
            take = memorymap::Calibration.contains(address);
        else if (content == Content::Codeplug && b.kind == RadioKind::Legacy)
            take = memorymap::Legacy.contains(address);
        else if (content == Content::Codeplug)
            take = memorymap::Codeplug.contains(address) || memorymap::Password.contains(address);
        if (take)
            out.emplace_back(address, data);
    }
    return out;
}

std::optional<QByteArray> calibrationArea(const Backup &b)
{
    QByteArray area;
    for (int a = memorymap::Calibration.first; a < memorymap::Calibration.end;
         a += memorymap::BlockSize) {
        const auto it = b.blocks.find(a);
        if (it == b.blocks.end() || it->second.size() != 16)
            return std::nullopt;
        area += it->second;
    }
    return area;
}

} // namespace t880::backup

namespace t880 {

FileResult loadCodeplugOrBackup(const QString &path, CodeplugData &data, ProgramDate *programDate)
{
    if (QFileInfo(path).suffix().compare(codeplugfile::Suffix, Qt::CaseInsensitive) == 0)
        return codeplugfile::load(path, data);
    QByteArray head;
    {
        QByteArray bytes;
        // A file the checks refuse (a pipe, a folder) is refused the same
        // way by the codeplug loader below.
        if (readSmallFile(path, MaxInputFileSize, bytes).ok())
            head = bytes;
    }
    if (!backup::looksLikeBackup(head))
        return codeplugfile::load(path, data);
    backup::Backup b;
    const FileResult r = backup::load(path, b);
    if (!r.ok())
        return r;
    return backup::codeplugOf(b, data, programDate);
}

} // namespace t880
