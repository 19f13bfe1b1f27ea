#include "bench/soakverify.h"

#include "bench/soakprocess.h"
#include "codeplug/codeplugfile.h"
#include "codeplug/passwordblock.h"

#include <QDir>
#include <QFile>
#include <QSet>

#include <algorithm>
#include <vector>

namespace t880::soak {

namespace {

using namespace address;

constexpr int kToolMs = 60000;
constexpr int kBlock = 16;
// The date a write stores is masked anyway; any date does for encode.
const QString kAnyDate = QStringLiteral("2000-01-01T00:00");

Verification worse(const Verification &a, const Verification &b)
{
    if (int(b.verdict) > int(a.verdict))
        return b;
    return a;
}

// What the radio's memory must look like after the transfer, and what the
// transfer may put on the line to get there.
struct Expectation
{
    explicit Expectation(const QByteArray &initial)
        : expected(initial), dontCare(MemorySize, 0), writable(MemorySize, 0),
          checked(MemorySize, 0)
    {}
    void expect(int at, const QByteArray &bytes) { expected.replace(at, bytes.size(), bytes); }
    void allowWrite(int from, int to)
    {
        std::fill(writable.begin() + from, writable.begin() + to, 1);
    }
    void ignore(int from, int to) { std::fill(dontCare.begin() + from, dontCare.begin() + to, 1); }
    void allowRead(int from, int to)
    {
        for (int a = from; a < to; a += kBlock)
            readable.insert(a);
    }
    /// The write reads [from, to) back after writing and compares it.
    void readBack(int from, int to)
    {
        allowRead(from, to);
        std::fill(checked.begin() + from, checked.begin() + to, 1);
    }
    void newPasswordBlock(const QByteArray &password, const QByteArray &old)
    {
        allowWrite(Password, Password + PasswordSize);
        ignore(Password, Password + PasswordSize); // scrambled with random bytes
        checkPassword = true;
        newPassword = password;
        oldPassword = old;
    }

    QByteArray expected;
    QByteArray dontCare; ///< 1: the byte may hold anything
    QByteArray writable; ///< 1: the host may write it
    /// 1: a write reads the byte back and compares it before it reports
    /// success, so no line damage can leave it wrong unseen
    QByteArray checked;
    QSet<int> readable; ///< the blocks the host reads
    bool checkPassword = false;
    QByteArray newPassword;
    QByteArray oldPassword;
};

// Whether the block stands for exactly this password: well formed, opened by
// it and by no other one the transfer knew of. Worked out from the block's
// layout (length, key, scrambled text, filler, sum).
bool blockHolds(const std::uint8_t *block, const QByteArray &password, const QByteArray &old)
{
    if (password.isEmpty())
        return block[0] == 0x00 || block[0] == 0xFF;
    if (block[0] != password.size())
        return false;
    unsigned sum = 0;
    for (int i = 0; i < PasswordSize - 1; ++i)
        sum += block[i];
    if (std::uint8_t(sum) != block[PasswordSize - 1])
        return false;
    QByteArray other = password;
    other[0] = other[0] == 'x' ? 'y' : 'x';
    if (!checkPasswordBlock(block, password) || checkPasswordBlock(block, other))
        return false;
    return old.isEmpty() || old == password || !checkPasswordBlock(block, old);
}

int addressOf(const QByteArray &frame)
{
    return (std::uint8_t(frame[1]) << 8) | std::uint8_t(frame[2]);
}

// Frames the host may send in this transfer, byte for byte; anything else
// the radio logged can only be host bytes damaged on the way.
bool isCleanFrame(const QByteArray &f, const Plan &plan, const Expectation &e)
{
    const bool status = plan.kind == Kind::Status;
    if (f == "PROGRAM")
        return !status;
    if (f == "YR")
        return status;
    if (f.size() == 1) {
        if (f[0] == 'E')
            return !status;
        return plan.legacy() && (f[0] == 0x02 || f[0] == 0x06);
    }
    if (f.size() < 4 || std::uint8_t(f[3]) != kBlock)
        return false;
    const int at = addressOf(f);
    if (f[0] == 'R')
        return f.size() == 4 && e.readable.contains(at);
    if (f[0] != 'W' || f.size() != 4 + kBlock || at + kBlock > MemorySize)
        return false;
    for (int i = 0; i < kBlock; ++i) {
        if (!e.writable[at + i] || (!e.dontCare[at + i] && f[4 + i] != e.expected[at + i]))
            return false;
    }
    if (at == Password && e.checkPassword)
        return blockHolds(reinterpret_cast<const std::uint8_t *>(f.constData()) + 4, e.newPassword,
                          e.oldPassword);
    return true;
}

QList<QByteArray> hostFrames(const QString &logPath)
{
    QList<QByteArray> frames;
    QFile log(logPath);
    if (!log.open(QIODevice::ReadOnly))
        return frames;
    while (!log.atEnd()) {
        const QByteArray line = log.readLine().trimmed();
        if (line.startsWith("H "))
            frames << QByteArray::fromHex(line.mid(2));
    }
    return frames;
}

QString hex(std::uint8_t b)
{
    return QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0'));
}

QString describeDifferences(const std::vector<int> &at, const QByteArray &have,
                            const QByteArray &want, const QString &what)
{
    QStringList shown;
    for (std::size_t i = 0; i < at.size() && i < 4; ++i)
        shown << QStringLiteral("0x%1 %2 not %3")
                     .arg(at[i], 4, 16, QLatin1Char('0'))
                     .arg(hex(std::uint8_t(have[at[i]])), hex(std::uint8_t(want[at[i]])));
    return QStringLiteral("%1 differs in %2 bytes (%3%4)")
        .arg(what)
        .arg(at.size())
        .arg(shown.join(QStringLiteral(", ")), at.size() > 4 ? QStringLiteral(", ...") : QString());
}

// The memory after the transfer against the expectation. A write with its
// safety steps builds only on readings that agree and reads back what it
// wrote and read, so a difference after its success is a fault of the
// program, unless a request whose address was damaged on the line landed
// where the write reads nothing back. For the other transfers a difference
// counts as explained by the line when the last frame the radio took for a
// write of that byte was damaged on its way (or no write of it arrived,
// while damaged frames did).
Verification judgeMemory(const Plan &plan, const Expectation &e, const QByteArray &final,
                         const QString &logPath)
{
    if (final.size() != MemorySize)
        return {Verdict::WrongB,
                QStringLiteral("the radio's memory file holds %1 bytes").arg(final.size())};
    std::vector<int> wrong;
    for (int a = 0; a < MemorySize; ++a) {
        if (!e.dontCare[a] && final[a] != e.expected[a])
            wrong.push_back(a);
    }
    const bool badBlock =
        e.checkPassword &&
        !blockHolds(reinterpret_cast<const std::uint8_t *>(final.constData()) + Password,
                    e.newPassword, e.oldPassword);
    if (badBlock) {
        for (int a = Password; a < Password + PasswordSize; ++a)
            wrong.push_back(a);
        std::sort(wrong.begin(), wrong.end());
    }
    if (wrong.empty())
        return {};

    const QList<QByteArray> frames = hostFrames(logPath);
    std::vector<int> lastWriter(MemorySize, -1);
    std::vector<bool> clean(std::size_t(frames.size()));
    bool anyDamaged = false;
    for (int i = 0; i < frames.size(); ++i) {
        const QByteArray &f = frames[i];
        clean[std::size_t(i)] = isCleanFrame(f, plan, e);
        anyDamaged = anyDamaged || !clean[std::size_t(i)];
        if (f.size() < 4 || f[0] != 'W')
            continue;
        const int at = addressOf(f);
        const int end = std::min(MemorySize, at + int(f.size()) - 4);
        for (int a = at; a < end; ++a)
            lastWriter[std::size_t(a)] = i;
    }
    int unexplained = 0;
    int stray = -1; // the first byte a misaddressed request changed unseen
    for (int a : wrong) {
        const int w = lastWriter[std::size_t(a)];
        const bool damagedWrite =
            plan.faults.corruptRequestRate > 0 && (w >= 0 ? !clean[std::size_t(w)] : anyDamaged);
        if (plan.writes()) {
            if (!e.checked[a] && damagedWrite) {
                if (stray < 0)
                    stray = a;
                continue;
            }
        } else if (damagedWrite) {
            continue;
        }
        ++unexplained;
    }
    QString detail = describeDifferences(wrong, final, e.expected, QStringLiteral("memory"));
    if (badBlock)
        detail += QStringLiteral("; the password block does not hold '%1'")
                      .arg(QString::fromLatin1(e.newPassword));
    if (unexplained > 0)
        return {Verdict::WrongB,
                detail + QStringLiteral("; %1 not explained by line damage").arg(unexplained)};
    if (stray >= 0)
        return {Verdict::WrongA,
                detail + QStringLiteral("; a request whose address was damaged on the line landed "
                                        "at 0x%1, outside every area the write reads back")
                             .arg(stray, 4, 16, QLatin1Char('0'))};
    return {Verdict::WrongA, detail + QStringLiteral("; explained by line damage")};
}

class Judge
{
public:
    Judge(const Plan &plan, const Evidence &evidence)
        : m_plan(plan), m_in(evidence), m_expectation(evidence.initialMemory)
    {}

    Verification run();

private:
    QString path(const QString &name) const { return QDir(m_in.dir).filePath(name); }
    QString variant() const { return variantName(m_plan.variant); }
    bool tool(const QStringList &args);
    bool save(const QString &name, const QByteArray &bytes);
    QByteArray load(const QString &name) const;
    QByteArray image() const;
    QByteArray calibrationArea() const
    {
        return m_in.initialMemory.mid(Calibration, CalibrationSize);
    }
    Verification fileAgainst(const QString &have, const QString &want, const QString &what);
    Verification checkRead();
    Verification checkCalibrationRead();
    bool expectWrite();
    bool expectCalibrationWrite();
    Verification checkStatus();
    Verification checkEnding();

    const Plan &m_plan;
    const Evidence &m_in;
    Expectation m_expectation;
    QString m_error;
};

bool Judge::tool(const QStringList &args)
{
    const ProcessRun run = runProcess(m_in.cli, args, kToolMs);
    if (run.end == ProcessRun::End::Exited && run.exitCode == 0)
        return true;
    m_error = QStringLiteral("t880 %1 failed: %2")
                  .arg(args.join(u' '), QString::fromLocal8Bit(run.err).trimmed());
    return false;
}

bool Judge::save(const QString &name, const QByteArray &bytes)
{
    QFile f(path(name));
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size())
        return true;
    m_error = QStringLiteral("cannot write %1").arg(f.fileName());
    return false;
}

QByteArray Judge::load(const QString &name) const
{
    QFile f(path(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray Judge::image() const
{
    return m_in.initialMemory.mid(m_plan.legacy() ? 0 : Image, ImageSize);
}

Verification Judge::fileAgainst(const QString &have, const QString &want, const QString &what)
{
    const QByteArray a = load(have);
    const QByteArray b = load(want);
    if (b.isEmpty())
        return {Verdict::Error, QStringLiteral("no %1 to compare with").arg(want)};
    if (a == b)
        return {};
    std::vector<int> at;
    for (int i = 0; i < std::min(a.size(), b.size()); ++i) {
        if (a[i] != b[i])
            at.push_back(i);
    }
    QString detail =
        a.size() == b.size()
            ? describeDifferences(at, a, b, what)
            : QStringLiteral("%1 holds %2 bytes, not %3").arg(what).arg(a.size()).arg(b.size());
    // Two readings of every block must agree under --verify; without it a
    // damaged data byte of a reply goes through unseen.
    const bool undetectable = !m_plan.verifies() && m_plan.faults.corruptRate > 0;
    return {undetectable ? Verdict::WrongA : Verdict::WrongB, detail};
}

Verification Judge::checkRead()
{
    if (m_plan.legacy())
        m_expectation.allowRead(LegacyFirst, LegacyEnd);
    else
        m_expectation.allowRead(Image, CodeplugEnd);
    if (!save(QStringLiteral("expect-image.bin"), image()))
        return {Verdict::Error, m_error};
    QStringList args{QStringLiteral("decode"), path(QStringLiteral("expect-image.bin")),
                     QStringLiteral("--variant"), variant()};
    // The read keeps the password it was given in the file it writes; the
    // base of the decode has to carry it too.
    if (m_plan.passwordOnCommandLine) {
        CodeplugData base;
        if (m_plan.useBase)
            base = m_plan.fileCodeplug;
        else
            base.applyNewDefaults();
        base.setText(TextField::radioPassword, m_plan.hostPassword);
        if (!codeplugfile::save(path(QStringLiteral("expect-base.Kzx")), base).ok())
            return {Verdict::Error, QStringLiteral("cannot write expect-base.Kzx")};
        args << QStringLiteral("--base") << path(QStringLiteral("expect-base.Kzx"));
    } else if (m_plan.useBase) {
        args << QStringLiteral("--base") << path(file::Base);
    }
    args << QStringLiteral("-o") << path(QStringLiteral("expect.Kzx"));
    if (!tool(args))
        return {Verdict::Error, m_error};
    return fileAgainst(file::ReadCodeplug, QStringLiteral("expect.Kzx"),
                       QStringLiteral("the read codeplug"));
}

Verification Judge::checkCalibrationRead()
{
    m_expectation.allowRead(Calibration, Calibration + CalibrationSize);
    if (!save(QStringLiteral("expect-area.bin"), calibrationArea()) ||
        !tool({QStringLiteral("decode"), path(QStringLiteral("expect-area.bin")),
               QStringLiteral("--kind"), QStringLiteral("calibration"), QStringLiteral("--variant"),
               variant(), QStringLiteral("-o"), path(QStringLiteral("expect.kzxa"))}))
        return {Verdict::Error, m_error};
    return fileAgainst(file::ReadCalibration, QStringLiteral("expect.kzxa"),
                       QStringLiteral("the read calibration"));
}

bool Judge::expectWrite()
{
    Expectation &e = m_expectation;
    if (m_plan.legacy()) {
        if (!tool({QStringLiteral("encode"), path(file::WriteCodeplug), QStringLiteral("--variant"),
                   variant(), QStringLiteral("-o"), path(QStringLiteral("expect.img"))}))
            return false;
        e.expect(LegacyFirst,
                 load(QStringLiteral("expect.img")).mid(LegacyFirst, LegacyEnd - LegacyFirst));
        e.allowWrite(LegacyFirst, LegacyEnd);
        e.readBack(LegacyFirst, LegacyEnd); // its backup, then the read-back
        return true;
    }
    // The channel records carry values from the radio's own calibration,
    // which the write reads first.
    if (!save(QStringLiteral("radio-area.bin"), calibrationArea()) ||
        !tool({QStringLiteral("decode"), path(QStringLiteral("radio-area.bin")),
               QStringLiteral("--kind"), QStringLiteral("calibration"), QStringLiteral("--variant"),
               variant(), QStringLiteral("-o"), path(QStringLiteral("radio.kzxa"))}) ||
        !tool({QStringLiteral("encode"), path(file::WriteCodeplug), QStringLiteral("--variant"),
               variant(), QStringLiteral("--calibration"), path(QStringLiteral("radio.kzxa")),
               QStringLiteral("--date"), kAnyDate, QStringLiteral("-o"),
               path(QStringLiteral("expect.img"))}))
        return false;
    e.expect(Image, load(QStringLiteral("expect.img")).left(CodeplugEnd - Image));
    e.allowWrite(Image, CodeplugEnd);
    e.ignore(Date, Date + DateSize); // the moment of the write
    // The backup takes the codeplug area, the write reads the calibration
    // area, and the read-back covers both with the password area.
    e.readBack(Image, CodeplugEnd);
    e.readBack(Password, Password + 2 * kBlock);
    e.readBack(Calibration, Calibration + CalibrationSize);
    if (m_plan.writeNewPassword)
        e.newPasswordBlock(m_plan.newPassword, m_plan.radioPassword);
    return true;
}

bool Judge::expectCalibrationWrite()
{
    Expectation &e = m_expectation;
    // The radio's channel records are brought in line with the new
    // calibration: as if its codeplug were written with it.
    if (!tool({QStringLiteral("encode"), path(file::WriteCalibration), QStringLiteral("--variant"),
               variant(), QStringLiteral("-o"), path(QStringLiteral("expect-area.bin"))}) ||
        !tool({QStringLiteral("encode"), path(file::MemoryCodeplug), QStringLiteral("--variant"),
               variant(), QStringLiteral("--calibration"), path(file::WriteCalibration),
               QStringLiteral("--date"), kAnyDate, QStringLiteral("-o"),
               path(QStringLiteral("expect.img"))}))
        return false;
    e.expect(Calibration, load(QStringLiteral("expect-area.bin")).left(CalibrationSize));
    e.allowWrite(Calibration, Calibration + CalibrationSize);
    e.expect(Image, load(QStringLiteral("expect.img")).left(ChannelEnd - Image));
    e.allowWrite(Image, ChannelEnd);
    // The calibration area is backed up and written, the channel records
    // read (two readings that agree) and written back; the read-back covers
    // both with the password area.
    e.readBack(Image, ChannelEnd);
    e.readBack(Password, Password + 2 * kBlock);
    e.readBack(Calibration, Calibration + CalibrationSize);
    return true;
}

Verification Judge::checkStatus()
{
    // The virtual radio's status reply is 8C 5A 12 A8 00 80: battery 140,
    // signal 90, noise 18; flag byte A8 has bits 7 (modulation), 5 (signal
    // compare 1) and 3 (noise compare 1) set and bit 2 (noise compare 2)
    // clear; bit 7 of the last byte is signal compare 3.
    static const struct
    {
        const char *name;
        int value;
    } carried[] = {{"sCurBatt", 140}, {"sRssi_db", 90},   {"sNoise_db", 18},  {"sModu_cmp", 1},
                   {"sRssi_cmp1", 1}, {"sNoise_cmp1", 1}, {"sNoise_cmp2", 0}, {"sRssi_cmp3", 1}};
    QStringList wrong;
    const QList<QByteArray> lines = m_in.verbOutput.split('\n');
    for (const auto &c : carried) {
        const QByteArray key = QByteArray(c.name) + ':';
        const auto line = std::find_if(lines.begin(), lines.end(),
                                       [&key](const QByteArray &l) { return l.startsWith(key); });
        const QByteArray value =
            line == lines.end() ? QByteArray() : line->mid(key.size()).trimmed();
        if (value != QByteArray::number(c.value))
            wrong << QStringLiteral("%1 '%2' not %3")
                         .arg(QLatin1String(c.name), QString::fromLatin1(value))
                         .arg(c.value);
    }
    if (wrong.isEmpty())
        return {};
    // The status reply has no check of its own.
    return {m_plan.faults.corruptRate > 0 ? Verdict::WrongA : Verdict::WrongB,
            QStringLiteral("status %1").arg(wrong.join(QStringLiteral(", ")))};
}

Verification Judge::checkEnding()
{
    const Ending expected = expectedEnding(m_plan);
    if (expected == Ending::Success)
        return {};
    // A write reads the password area until two readings agree: a damaged
    // block cannot pass for the radio's there.
    if (expected == Ending::PasswordError && m_plan.faults.corruptRate > 0 && !m_plan.writes())
        return {Verdict::WrongA,
                QStringLiteral("succeeded with the wrong password '%1' (the radio's is '%2'): a "
                               "password block damaged on the line passes the check")
                    .arg(QString::fromLatin1(m_plan.hostPassword),
                         QString::fromLatin1(m_plan.radioPassword))};
    return {Verdict::WrongB, QStringLiteral("succeeded where exit %1 was due").arg(int(expected))};
}

Verification Judge::run()
{
    Verification v = checkEnding();
    if (!m_in.verbOutput.contains("SUCCESS"))
        v = worse(v, {Verdict::WrongB, QStringLiteral("exit 0 without SUCCESS")});
    if (!m_plan.legacy() && m_plan.kind != Kind::Status)
        m_expectation.allowRead(Password, Password + 2 * kBlock); // the password check
    switch (m_plan.kind) {
    case Kind::Read:
    case Kind::ReadVerify:
        v = worse(v, checkRead());
        break;
    case Kind::CalibrationRead:
    case Kind::CalibrationReadVerify:
        v = worse(v, checkCalibrationRead());
        break;
    case Kind::Write:
        if (!expectWrite())
            return {Verdict::Error, m_error};
        break;
    case Kind::CalibrationWrite:
        if (!expectCalibrationWrite())
            return {Verdict::Error, m_error};
        break;
    case Kind::Status:
        v = worse(v, checkStatus());
        break;
    case Kind::SetPassword:
        m_expectation.newPasswordBlock(m_plan.newPassword, m_plan.radioPassword);
        // Backed up with the codeplug area, read back with it.
        m_expectation.readBack(Image, CodeplugEnd);
        m_expectation.readBack(Password, Password + 2 * kBlock);
        break;
    }
    const Verification memory =
        judgeMemory(m_plan, m_expectation, m_in.finalMemory, path(file::Log));
    if (memory.verdict == Verdict::Ok)
        return v;
    if (v.verdict == Verdict::Ok)
        return memory;
    Verification both = worse(v, memory);
    both.detail = v.detail + QStringLiteral("; ") + memory.detail;
    return both;
}

} // namespace

Verification verifySuccess(const Plan &plan, const Evidence &evidence)
{
    return Judge(plan, evidence).run();
}

} // namespace t880::soak
