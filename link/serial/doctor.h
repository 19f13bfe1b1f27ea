// The connection doctor: after "Communication False", or asked directly, it
// looks at the port, the user's rights, the programs that hold the device or
// grab serial adapters, and what the radio sent, and says what to do. What it
// inspects comes through DoctorEnvironment, so a test can hand it a tree of
// its own.
#pragma once

#include "link/serial/serialport.h"
#include "text/applang.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace t880::link {

class SerialTransfer;

/// Where the doctor looks; the defaults are this machine and this process.
struct DoctorEnvironment
{
    DoctorEnvironment();

    QString procRoot;     ///< the process table, /proc
    QString udevRulePath; ///< where the installed udev rule lives
    std::function<QList<PortInfo>()> listPorts;
    unsigned uid = 0;            ///< the user the program runs as
    QList<unsigned> loginGroups; ///< the groups this login has (getgroups and the effective group)
    /// The groups the account is in by /etc/group (getgrouplist), which a
    /// new login gets.
    std::function<QList<unsigned>(const QByteArray &user)> accountGroups;
    qint64 ownPid = 0;          ///< left out of the search for a port's holder
    int probeTimeoutMs = 15000; ///< the bound of one probe transfer
};

/// What the doctor can find; each kind carries the data its words need.
enum class FindingKind {
    NoSuchPort,        ///< path; ports: what exists now
    NoPortsPresent,    ///< no serial adapter is plugged in
    NotMember,         ///< path, group, user: not in the device's group
    NotInThisLogin,    ///< path, group, user: in /etc/group, not in this login
    NoPermission,      ///< path, group, user: the device's mode keeps the user out
    HeldBy,            ///< path, pid, program
    HeldByUnknown,     ///< path: in use, but the process table does not tell by whom
    NotSerial,         ///< path is no character device
    OpenFailed,        ///< path, detail: the system's words
    ModemManager,      ///< pid: known to grab USB serial adapters
    Brltty,            ///< pid: likewise, for braille displays
    Silence,           ///< path: opened, nothing answered
    Garbage,           ///< path, bytes: an answer that is no valid reply
    AnswerLost,        ///< path: a valid reply, then the radio fell silent or spoke wrongly
    Answered,          ///< path: a probe got a valid reply
    SearchFound,       ///< path: the automatic search found the radio there
    SearchNothing,     ///< ports: the automatic search tried these, none answered
    UdevRuleInstalled, ///< path
    UdevRuleMissing,   ///< path
};

struct Finding
{
    explicit Finding(FindingKind k) : kind(k) {}

    FindingKind kind;
    QString path;
    QString group;
    QString user;
    qint64 pid = 0;
    QString program;
    qint64 bytes = 0;
    QString detail;
    QList<PortInfo> ports;
};

struct DoctorReport
{
    QList<Finding> findings;
    /// A radio sent a valid connect reply.
    bool answered = false;
    /// The port could not be opened at all.
    bool portFailed = false;
    /// Nothing answered on a port that opened: the automatic search may help.
    bool offerSearch = false;

    bool has(FindingKind kind) const;
    const Finding *find(FindingKind kind) const;
    /// The findings in the language of \a lang, one paragraph a line, with
    /// the commands to type on lines of their own, indented; an empty line
    /// between findings.
    QStringList lines(const text::TAppLang &lang) const;
    /// The first line of the first finding: what went wrong, in a line of
    /// its own for a message that leaves the rest to a Details button.
    QString headline(const text::TAppLang &lang) const;
};

/// Diagnoses a transfer that ended without success.
DoctorReport diagnoseTransfer(const SerialTransfer &t, const DoctorEnvironment &env = {});

/// Opens \a path and asks the radio for a short harmless read (its connect
/// reply and the calibration area); waits at most env.probeTimeoutMs in a
/// local event loop. An empty \a path searches every present port in turn.
DoctorReport probePort(const QString &path, const DoctorEnvironment &env = {});

/// What is known about one device's owner and the user, for the permission
/// finding; separate so the reasoning can be checked without a real device.
struct DeviceAccess
{
    QString path;
    QString group; ///< the group that owns the device
    unsigned gid = 0;
    QString user;
    QList<unsigned> loginGroups;
    QList<unsigned> accountGroups;
};
Finding permissionFinding(const DeviceAccess &access);

/// The running programs known to take hold of USB serial adapters.
QList<Finding> grabberFindings(const DoctorEnvironment &env);
/// The processes that have \a path open, by the process table.
QList<Finding> holderFindings(const QString &path, const DoctorEnvironment &env);

} // namespace t880::link
