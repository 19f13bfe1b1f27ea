#include "link/serial/doctor.h"

#include "link/programstate.h"
#include "link/serial/serialtransfer.h"
#include "packaging/installpaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QSerialPortInfo>
#include <QTimer>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace t880::link {

namespace {

QList<unsigned> currentLoginGroups()
{
    QList<unsigned> groups{unsigned(::getegid())};
    const int n = ::getgroups(0, nullptr);
    if (n > 0) {
        std::vector<gid_t> list(std::size_t(n), 0);
        const int got = ::getgroups(n, list.data());
        for (int i = 0; i < got; ++i)
            groups << unsigned(list[std::size_t(i)]);
    }
    return groups;
}

QList<unsigned> groupsOfAccount(const QByteArray &user)
{
    const passwd *pw = ::getpwnam(user.constData());
    if (!pw)
        return {};
    int n = 64;
    std::vector<gid_t> list(std::size_t(n), 0);
    if (::getgrouplist(user.constData(), pw->pw_gid, list.data(), &n) < 0) {
        list.assign(std::size_t(n), 0);
        if (::getgrouplist(user.constData(), pw->pw_gid, list.data(), &n) < 0)
            return {unsigned(pw->pw_gid)};
    }
    QList<unsigned> groups;
    for (int i = 0; i < n; ++i)
        groups << unsigned(list[std::size_t(i)]);
    return groups;
}

QString userName(unsigned uid)
{
    if (const passwd *pw = ::getpwuid(uid))
        return QString::fromLocal8Bit(pw->pw_name);
    return QString::number(uid);
}

QString groupName(unsigned gid)
{
    if (const group *gr = ::getgrgid(gid))
        return QString::fromLocal8Bit(gr->gr_name);
    return QString::number(gid);
}

QString readComm(const QString &procRoot, const QString &pid)
{
    QFile f(procRoot + QLatin1Char('/') + pid + QStringLiteral("/comm"));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLocal8Bit(f.read(256)).trimmed();
}

QStringList processIds(const QString &procRoot)
{
    QStringList pids;
    const QStringList entries = QDir(procRoot).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &e : entries) {
        bool numeric = false;
        e.toLongLong(&numeric);
        if (numeric)
            pids << e;
    }
    return pids;
}

// The user's findings about a port that could not be opened.
void addPortProblem(DoctorReport &report, const PortFailure &failure, const DoctorEnvironment &env)
{
    report.portFailed = true;
    const QString &path = failure.path;
    switch (classifyPortFailure(failure)) {
    case PortProblem::NoSuchDevice: {
        const QList<PortInfo> ports = env.listPorts ? env.listPorts() : QList<PortInfo>();
        Finding f{FindingKind::NoSuchPort};
        f.path = path;
        f.ports = ports;
        report.findings << f;
        if (ports.isEmpty())
            report.findings << Finding{FindingKind::NoPortsPresent};
        return;
    }
    case PortProblem::NoPermission: {
        struct stat st = {};
        DeviceAccess access;
        access.path = path;
        if (::stat(QFile::encodeName(path).constData(), &st) == 0) {
            access.gid = unsigned(st.st_gid);
            access.group = groupName(access.gid);
        }
        access.user = userName(env.uid);
        access.loginGroups = env.loginGroups;
        if (env.accountGroups)
            access.accountGroups = env.accountGroups(access.user.toLocal8Bit());
        report.findings << permissionFinding(access);
        return;
    }
    case PortProblem::InUse: {
        const QList<Finding> holders = holderFindings(path, env);
        if (holders.isEmpty()) {
            Finding f{FindingKind::HeldByUnknown};
            f.path = path;
            report.findings << f;
        }
        report.findings << holders;
        return;
    }
    case PortProblem::NotSerial: {
        Finding f{FindingKind::NotSerial};
        f.path = path;
        report.findings << f;
        return;
    }
    case PortProblem::Other:
        break;
    }
    Finding f{FindingKind::OpenFailed};
    f.path = path;
    f.detail = failure.detail;
    report.findings << f;
}

// What the line carried on a port that opened.
void addLineFindings(DoctorReport &report, const QString &path, bool answered, qint64 received,
                     const DoctorEnvironment &env)
{
    Finding f{FindingKind::Silence};
    f.path = path;
    if (answered) {
        f.kind = FindingKind::AnswerLost;
    } else if (received > 0) {
        f.kind = FindingKind::Garbage;
        f.bytes = received;
    } else {
        report.offerSearch = true;
    }
    report.findings << f;
    // Another program reading the same device takes the radio's replies. A
    // pseudo-terminal's own server keeps its device side open, so there an
    // open descriptor says nothing.
    const bool pseudoTerminal =
        QFileInfo(path).canonicalFilePath().startsWith(QLatin1String("/dev/pts/"));
    if (!answered && !pseudoTerminal)
        report.findings << holderFindings(path, env);
}

void addSystemFindings(DoctorReport &report, const DoctorEnvironment &env)
{
    report.findings << grabberFindings(env);
    Finding rule{QFileInfo::exists(env.udevRulePath) ? FindingKind::UdevRuleInstalled
                                                     : FindingKind::UdevRuleMissing};
    rule.path = env.udevRulePath;
    report.findings << rule;
}

struct ProbeResult
{
    Outcome outcome = Outcome::Running;
    PortFailure failure;
    bool answered = false;
    qint64 received = 0;
};

ProbeResult runProbe(const QString &path, const DoctorEnvironment &env)
{
    // A calibration read: harmless, short, and it begins with the connect
    // reply, the one answer whose form tells this radio from anything else.
    ProgramState state;
    PortMap map;
    map.bind(1, path);
    SerialTransfer transfer(state, OpCode::Calibration, ReadMode::Read, PortSettings{1, false},
                            map);
    QEventLoop loop;
    QObject::connect(&transfer, &SerialTransfer::transferEnded, &loop, &QEventLoop::quit,
                     Qt::QueuedConnection);
    QTimer bound;
    bound.setSingleShot(true);
    QObject::connect(&bound, &QTimer::timeout, &loop, &QEventLoop::quit);
    bound.start(env.probeTimeoutMs);
    transfer.start();
    if (transfer.isRunning())
        loop.exec();
    if (transfer.isRunning())
        transfer.cancel();
    ProbeResult r;
    r.outcome = transfer.outcome();
    r.failure = transfer.portFailure();
    r.answered = transfer.engine().radioAnswered();
    r.received = transfer.bytesReceived();
    return r;
}

} // namespace

QList<PortInfo> systemPortInfos()
{
    QList<PortInfo> ports;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts()) {
        PortInfo p;
        p.path = info.systemLocation();
        p.description = info.description();
        p.manufacturer = info.manufacturer();
        if (info.hasVendorIdentifier() && info.hasProductIdentifier())
            p.usbId = QStringLiteral("%1:%2")
                          .arg(info.vendorIdentifier(), 4, 16, QLatin1Char('0'))
                          .arg(info.productIdentifier(), 4, 16, QLatin1Char('0'));
        ports << p;
    }
    return ports;
}

DoctorEnvironment::DoctorEnvironment()
    : procRoot(QStringLiteral("/proc")), udevRulePath(QString::fromUtf8(install::UdevRulePath)),
      listPorts(systemPortInfos), uid(unsigned(::getuid())), loginGroups(currentLoginGroups()),
      accountGroups(groupsOfAccount), ownPid(QCoreApplication::applicationPid())
{}

bool DoctorReport::has(FindingKind kind) const
{
    return find(kind) != nullptr;
}

const Finding *DoctorReport::find(FindingKind kind) const
{
    for (const Finding &f : findings)
        if (f.kind == kind)
            return &f;
    return nullptr;
}

Finding permissionFinding(const DeviceAccess &a)
{
    Finding f{FindingKind::NoPermission};
    f.path = a.path;
    f.group = a.group;
    f.user = a.user;
    if (a.group.isEmpty())
        return f;
    if (!a.loginGroups.contains(a.gid))
        f.kind =
            a.accountGroups.contains(a.gid) ? FindingKind::NotInThisLogin : FindingKind::NotMember;
    return f;
}

QList<Finding> grabberFindings(const DoctorEnvironment &env)
{
    QList<Finding> found;
    for (const QString &pid : processIds(env.procRoot)) {
        const QString comm = readComm(env.procRoot, pid);
        Finding f{FindingKind::ModemManager};
        if (comm == QLatin1String("ModemManager"))
            f.kind = FindingKind::ModemManager;
        else if (comm == QLatin1String("brltty"))
            f.kind = FindingKind::Brltty;
        else
            continue;
        f.pid = pid.toLongLong();
        f.program = comm;
        found << f;
    }
    return found;
}

QList<Finding> holderFindings(const QString &path, const DoctorEnvironment &env)
{
    const QByteArray device = QFile::encodeName(path);
    struct stat target = {};
    const bool haveDevice = ::stat(device.constData(), &target) == 0 && S_ISCHR(target.st_mode);
    const QString canonical = QFileInfo(path).canonicalFilePath();
    QList<Finding> found;
    for (const QString &pid : processIds(env.procRoot)) {
        if (pid.toLongLong() == env.ownPid)
            continue;
        const QString fdDir = env.procRoot + QLatin1Char('/') + pid + QStringLiteral("/fd");
        const QStringList fds =
            QDir(fdDir).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
        for (const QString &fd : fds) {
            const QString link = fdDir + QLatin1Char('/') + fd;
            const QString points = QFile::symLinkTarget(link);
            bool same = !points.isEmpty() && (points == path || points == canonical);
            // Sockets, pipes and the like have no path to look at.
            if (!same && haveDevice && points.startsWith(QLatin1Char('/'))) {
                struct stat st = {};
                same = ::stat(QFile::encodeName(link).constData(), &st) == 0 &&
                       S_ISCHR(st.st_mode) && st.st_rdev == target.st_rdev;
            }
            if (!same)
                continue;
            Finding f{FindingKind::HeldBy};
            f.path = path;
            f.pid = pid.toLongLong();
            f.program = readComm(env.procRoot, pid);
            found << f;
            break;
        }
    }
    return found;
}

DoctorReport diagnoseTransfer(const SerialTransfer &t, const DoctorEnvironment &env)
{
    DoctorReport report;
    report.answered = t.engine().radioAnswered();
    // In an automatic search a port that failed may be followed by one that
    // opened; only a failure of the last port tried is the port's problem.
    const PortFailure &failure = t.portFailure();
    const bool lastFailed =
        !failure.path.isEmpty() && (failure.path == t.portName() || t.portName().isEmpty() ||
                                    failure.error == QSerialPort::DeviceNotFoundError);
    if (lastFailed && !report.answered)
        addPortProblem(report, t.portFailure(), env);
    else
        addLineFindings(report, t.portName(), report.answered, t.bytesReceived(), env);
    addSystemFindings(report, env);
    return report;
}

DoctorReport probePort(const QString &path, const DoctorEnvironment &env)
{
    DoctorReport report;
    if (!path.isEmpty()) {
        const ProbeResult r = runProbe(path, env);
        report.answered = r.answered;
        if (r.answered) {
            Finding f{FindingKind::Answered};
            f.path = path;
            report.findings << f;
            if (r.outcome == Outcome::CommunicationFalse)
                addLineFindings(report, path, true, r.received, env);
        } else if (!r.failure.path.isEmpty()) {
            addPortProblem(report, r.failure, env);
        } else {
            addLineFindings(report, path, false, r.received, env);
        }
        addSystemFindings(report, env);
        return report;
    }

    // The automatic search: every present port in turn, until one answers.
    const QList<PortInfo> ports = env.listPorts ? env.listPorts() : QList<PortInfo>();
    if (ports.isEmpty()) {
        report.portFailed = true;
        report.findings << Finding{FindingKind::NoPortsPresent};
    }
    for (const PortInfo &port : ports) {
        const ProbeResult r = runProbe(port.path, env);
        if (r.answered) {
            report.answered = true;
            Finding f{FindingKind::SearchFound};
            f.path = port.path;
            report.findings << f;
            break;
        }
    }
    if (!ports.isEmpty() && !report.answered) {
        Finding f{FindingKind::SearchNothing};
        f.ports = ports;
        report.findings << f;
    }
    addSystemFindings(report, env);
    return report;
}

} // namespace t880::link
