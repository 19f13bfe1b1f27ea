#include "link/serial/serialtransfer.h"

#include "codeplug/backupfile.h"
#include "codeplug/memorymap.h"
#include "codeplug/productionrecord.h"
#include "link/outcometext.h"

#include <QFileInfo>

namespace t880::link {

namespace {

const char *outcomeName(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Running:
        return "running";
    case Outcome::Success:
        return "success";
    case Outcome::CommunicationFalse:
        return "communication false";
    case Outcome::PasswordError:
        return "password error";
    case Outcome::OldVersion:
        return "older radio";
    case Outcome::Closed:
        return "interrupted";
    case Outcome::VerifyFailed:
        return "verify failed";
    case Outcome::BackupFailed:
        return "backup not kept";
    case Outcome::WrongRadio:
        return "another kind of radio";
    }
    return "?";
}

// The device a port's path leads to (a link to a terminal, a name under
// /dev/serial/by-id), as the journal and the record name it.
QString deviceOf(const QString &path)
{
    const QString device = QFileInfo(path).canonicalFilePath();
    return device.isEmpty() ? path : device;
}

} // namespace

SerialTransfer::SerialTransfer(ProgramState &state, OpCode op, ReadMode mode, PortSettings ports,
                               PortMap map, QObject *parent)
    : QObject(parent), m_map(std::move(map)), m_port(SerialPort::create()), m_op(op), m_mode(mode),
      m_engine(state, *this, op, mode, ports)
{
    for (std::size_t i = 0; i < m_timers.size(); ++i) {
        QTimer &t = m_timers[i];
        t.setTimerType(Qt::PreciseTimer);
        const auto timer = Timer(i);
        if (timer == Timer::Rx)
            connect(&t, &QTimer::timeout, this, &SerialTransfer::poll);
        else
            connect(&t, &QTimer::timeout, this, [this, timer] { m_engine.timerFired(timer); });
    }
    m_timers[std::size_t(Timer::Pause)].setSingleShot(true);
    // Taking the bytes as soon as they arrive, not only on the poll, lets a
    // reply count the moment it is complete.
    connect(m_port.get(), &SerialPort::readyRead, this, &SerialTransfer::poll);
}

SerialTransfer::~SerialTransfer()
{
    if (m_engine.isRunning())
        m_engine.close();
    m_port->close();
}

void SerialTransfer::start()
{
    m_clock.start();
    m_endedMs = -1;
    m_engine.start();
}

qint64 SerialTransfer::elapsedMs() const
{
    return m_endedMs >= 0 ? m_endedMs : now();
}

void SerialTransfer::setSafety(const TransferSafety &safety)
{
    m_safety = safety;
    // A new password is a write like the others: a block the radio did not
    // keep as sent would lock its owner out.
    const bool writesArea =
        m_mode == ReadMode::Write &&
        (m_op == OpCode::Codeplug || m_op == OpCode::Calibration || m_op == OpCode::Password);
    m_engine.setBackupBeforeWrite(writesArea && safety.backupBeforeWrite);
    m_engine.setVerifyWrites(writesArea && safety.verifyAfterWrite);
    m_engine.setBackupSink([this] { return keepBackup(m_safety.writeOperation); });
}

backup::Operation SerialTransfer::operationName(backup::Operation asked) const
{
    if (m_op == OpCode::Calibration && asked == backup::Operation::Write)
        return backup::Operation::CalibrationWrite;
    if (m_op == OpCode::Calibration && asked == backup::Operation::Read)
        return backup::Operation::CalibrationRead;
    if (m_op == OpCode::Password && asked == backup::Operation::Write)
        return backup::Operation::PasswordWrite;
    return asked;
}

bool SerialTransfer::keepBackup(backup::Operation operation)
{
    backup::Backup b;
    b.time = QDateTime::currentDateTimeUtc();
    b.kind = m_engine.radioKind();
    b.port = m_openedPath;
    b.operation = operationName(operation);
    // Only the areas the operation is about: the password area goes with the
    // codeplug, the calibration area with a calibration backup.
    for (const auto &[address, data] : m_engine.capturedBlocks()) {
        const bool calibration = memorymap::Calibration.contains(address);
        if (m_op != OpCode::Calibration || calibration)
            b.blocks[address] = data;
    }
    const backup::Stored stored = backup::store(m_safety.folder, b, m_safety.limits);
    m_backupResult = stored.result;
    m_backupPath = stored.path;
    return stored.result.ok();
}

void SerialTransfer::poll()
{
    if (!m_engine.isPolling())
        return;
    const QByteArray bytes = m_port->readAll();
    m_bytesReceived += bytes.size();
    m_trace.radioSent(now(), bytes);
    m_engine.receive(bytes);
}

std::vector<int> SerialTransfer::listPorts()
{
    return m_map.openablePorts();
}

bool SerialTransfer::openPort(int port)
{
    const QString path = m_map.path(port);
    if (path.isEmpty()) {
        m_portFailure = {QStringLiteral("COM%1").arg(port), PortError::NotFound,
                         QStringLiteral("no serial device is bound to this port number")};
        return false;
    }
    m_openedPath = path;
    m_openedPort = port;
    if (!m_port->open(path)) {
        m_portFailure = {path, m_port->error(), m_port->errorString()};
        m_trace.note(now(), QStringLiteral("cannot open %1: %2").arg(path, m_portFailure.detail));
        return false;
    }
    m_trace.note(now(), QStringLiteral("open %1 9600 8N2").arg(path));
    // A port that failed earlier in an automatic search is not what went
    // wrong once another one opened.
    m_portFailure = {};
    return true;
}

void SerialTransfer::closePort()
{
    if (m_port->isOpen()) {
        m_port->close();
        m_trace.note(now(), QStringLiteral("close"));
    }
}

void SerialTransfer::purgePort()
{
    if (m_port->isOpen()) {
        m_port->clear(true);
        // Whatever the port object had buffered already: in the trace, as
        // every byte that came.
        m_trace.radioSent(now(), m_port->readAll());
    }
}

void SerialTransfer::discardInput()
{
    if (m_port->isOpen()) {
        m_port->clear(false);
        m_trace.radioSent(now(), m_port->readAll());
    }
}

bool SerialTransfer::send(const QByteArray &bytes)
{
    if (!m_port->isOpen())
        return false;
    m_trace.hostSent(now(), bytes);
    if (!m_port->write(bytes)) {
        m_trace.note(now(), QStringLiteral("send failed: %1").arg(m_port->errorString()));
        return false;
    }
    m_bytesSent += bytes.size();
    return true;
}

void SerialTransfer::startTimer(Timer timer, int ms)
{
    m_timers[std::size_t(timer)].start(ms);
}

void SerialTransfer::stopTimer(Timer timer)
{
    m_timers[std::size_t(timer)].stop();
}

void SerialTransfer::progressChanged(int percent)
{
    emit progressUpdated(percent);
}

void SerialTransfer::writingBegins()
{
    if (m_safety.journalFolder.isEmpty())
        return;
    // Noted before the first block goes out: from here on an ending the
    // program does not live to see leaves the radio half written.
    m_note = {};
    m_note.port = m_subject.port.isEmpty() ? m_openedPath : m_subject.port;
    m_note.device = deviceOf(m_openedPath);
    m_note.operation = operationName(m_safety.writeOperation);
    m_note.calibration = m_op == OpCode::Calibration;
    m_note.file = m_subject.file;
    m_note.backup = m_backupPath;
    m_journalResult = journal::open(m_safety.journalFolder, m_note);
    m_trace.note(now(),
                 m_journalResult.ok()
                     ? QStringLiteral("journal: %1").arg(m_note.path)
                     : QStringLiteral("journal not written: %1").arg(m_journalResult.detail));
}

void SerialTransfer::closeJournal(Outcome outcome)
{
    journal::close(m_note);
    m_note.path.clear();
    // The radio now holds a whole write of that area: what an earlier write
    // left unfinished there is no longer in it.
    if (outcome == Outcome::Success && m_engine.writingBegun() && !m_safety.journalFolder.isEmpty())
        journal::closeReplaced(m_safety.journalFolder, m_subject.port, m_openedPath,
                               m_op == OpCode::Calibration);
}

void SerialTransfer::appendRecord(Outcome outcome)
{
    if (m_mode != ReadMode::Write || m_safety.recordPath.isEmpty())
        return;
    production::Line line;
    line.time = QDateTime::currentDateTimeUtc();
    line.computer = production::computerName();
    line.operation = backup::operationName(operationName(m_safety.writeOperation));
    line.port = m_subject.port.isEmpty() ? m_openedPath : m_subject.port;
    line.device = deviceOf(m_openedPath);
    line.radio = m_engine.radioAnswered() ? backup::kindName(m_engine.radioKind()) : QString();
    line.file = m_subject.file;
    line.sha256 = m_subject.sha256;
    line.result = outcomeEnglish(outcome);
    line.exitCode = outcomeExitCode(outcome, !m_portFailure.path.isEmpty());
    line.seconds = double(m_endedMs) / 1000.0;
    line.backup = m_backupPath;
    m_recordResult = production::append(m_safety.recordPath, line, m_safety.limits.maxAgeDays);
}

void SerialTransfer::finished(Outcome outcome)
{
    m_endedMs = now();
    m_trace.note(m_endedMs, QStringLiteral("end: %1").arg(QLatin1String(outcomeName(outcome))));
    closeJournal(outcome);
    appendRecord(outcome);
    // Kept before anyone hears of the success: the bytes are the radio's
    // own, before any conversion.
    if (outcome == Outcome::Success && m_mode == ReadMode::Read && m_safety.keepReads &&
        !m_safety.folder.isEmpty() && (m_op == OpCode::Codeplug || m_op == OpCode::Calibration))
        keepBackup(m_safety.readOperation);
    emit transferEnded(outcome);
}

} // namespace t880::link
