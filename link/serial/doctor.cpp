#include "link/serial/doctor.h"

#include "link/programstate.h"
#include "link/serial/doctorsystem.h"
#include "link/serial/serialtransfer.h"

#include <QEventLoop>
#include <QTimer>

namespace t880::link {

namespace {

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
    case PortProblem::NoPermission:
        report.findings << permissionFinding(doctorsystem::deviceAccess(path, env));
        return;
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
    if (!answered && !doctorsystem::keptOpenByItsOtherSide(path))
        report.findings << holderFindings(path, env);
}

void addSystemFindings(DoctorReport &report, const DoctorEnvironment &env)
{
    report.findings << doctorsystem::systemFindings(env);
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

DoctorReport diagnoseTransfer(const SerialTransfer &t, const DoctorEnvironment &env)
{
    DoctorReport report;
    report.answered = t.engine().radioAnswered();
    // In an automatic search a port that failed may be followed by one that
    // opened; only a failure of the last port tried is the port's problem.
    const PortFailure &failure = t.portFailure();
    const bool lastFailed =
        !failure.path.isEmpty() && (failure.path == t.portName() || t.portName().isEmpty() ||
                                    failure.error == PortError::NotFound);
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
