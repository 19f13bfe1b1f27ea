#include "sim/ptyrunner.h"

#include "codeplug/codeplugfile.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

namespace t880::link {

namespace {

volatile std::sig_atomic_t g_stopRequested = 0;

void onStopSignal(int)
{
    g_stopRequested = 1;
}

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
using std::chrono::nanoseconds;

// One byte on the line: start bit, 8 data bits, 2 stop bits at 9600 baud,
// rounded up so that nothing counts as arrived before it could have.
constexpr nanoseconds kByteTime{1145834};
// A radio forgets a half-received frame once the line has been quiet this
// long; the host's own retransmission comes only after a second.
constexpr milliseconds kQuietReset{500};
// The longest a single wait lasts, so a stop request is seen soon even when
// the signal slips in just before the wait begins.
constexpr milliseconds kMaxWait{100};

nanoseconds wireTime(qsizetype bytes)
{
    return nanoseconds((qint64(bytes) * 11'000'000'000LL + 9599) / 9600);
}

QString systemError(const char *what)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(what),
                                        QString::fromLocal8Bit(std::strerror(errno)));
}

bool setFlag(int fd, int getCommand, int setCommand, int flag)
{
    const int flags = ::fcntl(fd, getCommand);
    return flags >= 0 && ::fcntl(fd, setCommand, flags | flag) == 0;
}

} // namespace

PtyRunner::PtyRunner(VirtualRadio &radio, const Options &options)
    : m_radio(radio), m_options(options), m_random(options.seed)
{}

PtyRunner::~PtyRunner()
{
    close();
}

void PtyRunner::installStopHandlers()
{
    struct sigaction action = {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: the wait must return at once with EINTR.
    action.sa_flags = 0;
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

bool PtyRunner::open(QString *error)
{
    if (!m_options.logPath.isEmpty()) {
        m_log.setFileName(m_options.logPath);
        if (!m_log.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            *error =
                QStringLiteral("cannot open %1: %2").arg(m_options.logPath, m_log.errorString());
            return false;
        }
    }

    m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) {
        *error = systemError("cannot create a pseudo-terminal");
        close();
        return false;
    }
    const char *name = ::ptsname(m_master);
    if (!name) {
        *error = systemError("cannot name the pseudo-terminal");
        close();
        return false;
    }
    m_deviceName = QString::fromLocal8Bit(name);

    // Holding the device open keeps the terminal alive between host
    // sessions: without it the master sees a hang-up whenever the host
    // closes its port, and the line settings below would be lost.
    m_slave = ::open(name, O_RDWR | O_NOCTTY);
    termios settings = {};
    if (m_slave < 0 || ::tcgetattr(m_slave, &settings) != 0) {
        *error = systemError("cannot open the pseudo-terminal");
        close();
        return false;
    }
    // Raw: no echo of the host's requests back to it, no line editing, no
    // translation of 0x0D or 0x0A, 8 bits through.
    ::cfmakeraw(&settings);
    settings.c_cflag |= CLOCAL | CREAD;
    ::cfsetispeed(&settings, B9600);
    ::cfsetospeed(&settings, B9600);
    if (::tcsetattr(m_slave, TCSANOW, &settings) != 0 ||
        !setFlag(m_master, F_GETFL, F_SETFL, O_NONBLOCK) ||
        !setFlag(m_master, F_GETFD, F_SETFD, FD_CLOEXEC) ||
        !setFlag(m_slave, F_GETFD, F_SETFD, FD_CLOEXEC)) {
        *error = systemError("cannot set up the pseudo-terminal");
        close();
        return false;
    }

    const QByteArray link = QFile::encodeName(m_options.linkPath);
    struct stat existing = {};
    if (::lstat(link.constData(), &existing) == 0) {
        if (!S_ISLNK(existing.st_mode)) {
            *error = QStringLiteral("%1 exists and is not a symbolic link; not replacing it")
                         .arg(m_options.linkPath);
            close();
            return false;
        }
        if (::unlink(link.constData()) != 0) {
            *error = systemError(link.constData());
            close();
            return false;
        }
    }
    if (::symlink(name, link.constData()) != 0) {
        *error = systemError(link.constData());
        close();
        return false;
    }
    m_linkMade = true;
    const auto now = Clock::now();
    m_lastArrival = m_lastFed = m_lineFreeAt = now;
    return true;
}

void PtyRunner::close()
{
    if (m_linkMade) {
        // Another emulator may have taken the path over since; its link stays.
        const QByteArray link = QFile::encodeName(m_options.linkPath);
        char target[4096];
        const ssize_t n = ::readlink(link.constData(), target, sizeof(target) - 1);
        if (n >= 0 && QByteArray(target, int(n)) == QFile::encodeName(m_deviceName))
            ::unlink(link.constData());
        m_linkMade = false;
    }
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
    m_slave = m_master = -1;
    m_log.close();
}

bool PtyRunner::run(const Reporter &report, QString *error)
{
    const bool ok = serve(report, error);
    // A host that gave up before its end byte still changed the memory; the
    // dump must show what the radio now holds.
    if (m_radio.hasUnsavedWrites() && !m_options.memoryPath.isEmpty())
        saveMemory(report);
    return ok;
}

bool PtyRunner::serve(const Reporter &report, QString *error)
{
    while (!g_stopRequested) {
        const auto now = Clock::now();
        deliverArrived(now, report);
        if (m_radio.hasPartialFrame() && m_arrivals.empty() && now - m_lastFed >= kQuietReset)
            m_radio.discardPartialFrame();
        if (!writeDue(now, error))
            return false;

        const nanoseconds wait = std::max(nanoseconds(0), nextWake(now) - Clock::now());
        timespec timeout = {};
        timeout.tv_sec = time_t(wait.count() / 1'000'000'000);
        timeout.tv_nsec = long(wait.count() % 1'000'000'000);
        pollfd pfd = {m_master, short(POLLIN | (m_writeBlocked ? POLLOUT : 0)), 0};
        // ppoll rather than poll: its nanosecond timeout lets a paced reply
        // leave on time instead of up to a millisecond late.
        const int rc = ::ppoll(&pfd, 1, &timeout, nullptr);
        if (rc < 0) {
            if (errno == EINTR)
                continue;
            *error = systemError("waiting for the host");
            return false;
        }
        if (pfd.revents & POLLOUT)
            m_writeBlocked = false;
        if (pfd.revents & (POLLHUP | POLLERR)) {
            // Not expected while the device side is held open; pausing keeps
            // a persistent hang-up from turning the loop into a busy spin.
            const timespec pause = {0, 10'000'000};
            ::nanosleep(&pause, nullptr);
        }
        if ((pfd.revents & POLLIN) && !readHost(Clock::now(), error))
            return false;
    }
    return true;
}

bool PtyRunner::readHost(Clock::time_point now, QString *error)
{
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(m_master, buffer, sizeof(buffer));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            // EIO comes only while no device side is open; ours always is,
            // but a passing one costs nothing to ignore.
            if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EIO)
                return true;
            *error = systemError("reading from the host");
            return false;
        }
        if (n == 0)
            return true;
        for (ssize_t i = 0; i < n; ++i) {
            // On a real line the bytes of a burst arrive one after another,
            // the first no earlier than one byte time after it was sent.
            const auto at = m_options.pace ? std::max(now, m_lastArrival) + kByteTime : now;
            m_lastArrival = at;
            m_arrivals.push_back({buffer[i], at});
        }
    }
}

void PtyRunner::deliverArrived(Clock::time_point now, const Reporter &report)
{
    QByteArray arrived;
    std::bernoulli_distribution corrupt(m_options.corruptRequestRate);
    std::uniform_int_distribution<int> flip(1, 255);
    while (!m_arrivals.empty() && m_arrivals.front().at <= now) {
        char byte = m_arrivals.front().byte;
        // A noisy cable damages what the radio hears too; the radio then
        // stores or answers whatever it made of the bytes.
        if (m_options.corruptRequestRate > 0 && corrupt(m_random))
            byte = char(std::uint8_t(byte) ^ std::uint8_t(flip(m_random)));
        arrived += byte;
        m_arrivals.pop_front();
    }
    if (arrived.isEmpty())
        return;
    m_lastFed = now;
    const QList<VirtualRadio::Exchange> exchanges = m_radio.feed(arrived);
    for (const VirtualRadio::Exchange &e : exchanges)
        handleExchange(e, now, report);
}

void PtyRunner::handleExchange(const VirtualRadio::Exchange &e, Clock::time_point now,
                               const Reporter &report)
{
    writeLog('H', e.request);
    if (e.sessionEnded) {
        report(QStringLiteral("session ended, wrote: %1").arg(e.wrote ? "yes" : "no"));
        if (e.wrote && !m_options.memoryPath.isEmpty())
            saveMemory(report);
    }
    if (m_options.silentAfter && e.number > *m_options.silentAfter) {
        if (!m_reportedSilence)
            report(QStringLiteral("silent after %1 requests").arg(*m_options.silentAfter));
        m_reportedSilence = true;
        return;
    }
    if (!e.reply.isEmpty())
        scheduleReply(e.reply, now);
}

void PtyRunner::scheduleReply(const QByteArray &reply, Clock::time_point ready)
{
    const qsizetype n = reply.size();
    int delayMs = m_options.replyDelayMs;
    if (m_options.replyJitterMs > 0)
        delayMs += std::uniform_int_distribution<int>(0, m_options.replyJitterMs)(m_random);
    const auto start = std::max(ready + milliseconds(delayMs), m_lineFreeAt);

    // Piece boundaries, as byte positions of the intended reply.
    std::vector<qsizetype> cuts{0};
    if (m_options.split && n >= 2) {
        const int pieces = n >= 3 ? std::uniform_int_distribution<int>(2, 3)(m_random) : 2;
        if (pieces == 2) {
            cuts.push_back(std::uniform_int_distribution<qsizetype>(1, n - 1)(m_random));
        } else {
            const qsizetype first = std::uniform_int_distribution<qsizetype>(1, n - 2)(m_random);
            cuts.push_back(first);
            cuts.push_back(std::uniform_int_distribution<qsizetype>(first + 1, n - 1)(m_random));
        }
    }
    cuts.push_back(n);

    std::bernoulli_distribution drop(m_options.dropRate);
    std::bernoulli_distribution corrupt(m_options.corruptRate);
    std::uniform_int_distribution<int> flip(1, 255);
    std::uniform_int_distribution<int> gapMs(2, 5);
    auto due = start;
    for (size_t k = 0; k + 1 < cuts.size(); ++k) {
        Piece piece;
        for (qsizetype i = cuts[k]; i < cuts[k + 1]; ++i) {
            if (m_options.dropRate > 0 && drop(m_random))
                continue;
            char byte = reply[i];
            if (m_options.corruptRate > 0 && corrupt(m_random))
                byte = char(std::uint8_t(byte) ^ std::uint8_t(flip(m_random)));
            piece.bytes += byte;
        }
        // Paced, a piece leaves when its last byte would have arrived;
        // otherwise the pieces leave a few milliseconds apart.
        if (m_options.pace)
            due = start + wireTime(cuts[k + 1]);
        else if (k > 0)
            due += milliseconds(gapMs(m_random));
        piece.due = due;
        if (k == 0)
            piece.logLine = reply;
        m_outbound.push_back(std::move(piece));
    }
    m_lineFreeAt = m_options.pace ? start + wireTime(n) : due;
}

bool PtyRunner::writeDue(Clock::time_point now, QString *error)
{
    while (!m_writeBlocked && !m_outbound.empty() && m_outbound.front().due <= now) {
        Piece &piece = m_outbound.front();
        if (!piece.logLine.isEmpty()) {
            writeLog('R', piece.logLine);
            piece.logLine.clear();
        }
        while (!piece.bytes.isEmpty()) {
            const ssize_t n =
                ::write(m_master, piece.bytes.constData(), size_t(piece.bytes.size()));
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                if (errno == EAGAIN || errno == EWOULDBLOCK) {
                    // Nobody reads the terminal and its queue is full; go
                    // on once there is room.
                    m_writeBlocked = true;
                    return true;
                }
                *error = systemError("writing to the host");
                return false;
            }
            piece.bytes.remove(0, n);
        }
        m_outbound.pop_front();
    }
    return true;
}

PtyRunner::Clock::time_point PtyRunner::nextWake(Clock::time_point now) const
{
    auto wake = now + kMaxWait;
    if (!m_arrivals.empty())
        wake = std::min(wake, m_arrivals.front().at);
    if (!m_outbound.empty() && !m_writeBlocked)
        wake = std::min(wake, m_outbound.front().due);
    if (m_radio.hasPartialFrame() && m_arrivals.empty())
        wake = std::min(wake, m_lastFed + kQuietReset);
    return wake;
}

void PtyRunner::writeLog(char direction, const QByteArray &bytes)
{
    if (!m_log.isOpen())
        return;
    // Flushed line by line, so that whoever watches the log sees each frame
    // as it happens and a killed emulator leaves a complete log behind.
    m_log.write(QByteArray(1, direction) + ' ' + bytes.toHex(' ').toUpper() + '\n');
    m_log.flush();
}

void PtyRunner::saveMemory(const Reporter &report)
{
    const FileResult r = writeFileAtomically(m_options.memoryPath, m_radio.memory());
    if (r.ok()) {
        m_radio.markWritesSaved();
        report(QStringLiteral("memory saved to %1").arg(m_options.memoryPath));
    } else {
        report(QStringLiteral("cannot save memory: %1")
                   .arg(describeFileResult(r, m_options.memoryPath, VirtualRadio::MemorySize)));
    }
}

} // namespace t880::link
