// The connection doctor's look at a system with /proc, /etc/group and udev:
// the device's group and the user's, the process table, and the programs
// that take hold of USB serial adapters.
#include "link/serial/doctorsystem.h"

#include "packaging/installpaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

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

} // namespace

DoctorEnvironment::DoctorEnvironment()
    : procRoot(QStringLiteral("/proc")), udevRulePath(QString::fromUtf8(install::UdevRulePath)),
      listPorts(systemPortInfos), uid(unsigned(::getuid())), loginGroups(currentLoginGroups()),
      accountGroups(groupsOfAccount), ownPid(QCoreApplication::applicationPid())
{}

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

namespace doctorsystem {

DeviceAccess deviceAccess(const QString &path, const DoctorEnvironment &env)
{
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
    return access;
}

bool keptOpenByItsOtherSide(const QString &path)
{
    return QFileInfo(path).canonicalFilePath().startsWith(QLatin1String("/dev/pts/"));
}

QList<Finding> systemFindings(const DoctorEnvironment &env)
{
    QList<Finding> found = grabberFindings(env);
    Finding rule{QFileInfo::exists(env.udevRulePath) ? FindingKind::UdevRuleInstalled
                                                     : FindingKind::UdevRuleMissing};
    rule.path = env.udevRulePath;
    found << rule;
    return found;
}

} // namespace doctorsystem

} // namespace t880::link
