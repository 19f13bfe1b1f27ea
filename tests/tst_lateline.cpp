// End to end over a real pseudo-terminal: a radio that answers after the
// one-second repetition, a cable that damages what the radio hears, and line
// noise in the password block. Each transfer ends with exactly the right
// data, or says that it failed.
#include "radioprocess.h"
#include "testsupport.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

using namespace t880::testing;

namespace {

constexpr int kCodeplugArea = 0x4000;
constexpr int kCodeplugSize = 0x170;
constexpr int kDateOffset = 0x150; // year[2] month day hour minute of the last write
constexpr int kExitNoAnswer = 3;

// Memory whose codeplug area holds bytes that differ block by block, so a
// block stored in another's place shows; no password.
QByteArray radioMemory()
{
    QByteArray mem(0x10000, '\0');
    QRandomGenerator generator(880);
    for (int a = kCodeplugArea; a < kCodeplugArea + kCodeplugSize; ++a)
        mem[a] = char(generator.bounded(256));
    return mem;
}

QByteArray withoutDate(QByteArray mem)
{
    mem.replace(kCodeplugArea + kDateOffset, 6, QByteArray(6, '\0'));
    return mem;
}

} // namespace

class TestLateLine : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }

    // Runs one t880 transfer against a fresh radio holding \a memory; returns
    // the result and leaves the radio's memory in \a after.
    CliResult transfer(const QStringList &args, const QStringList &faults, const QByteArray &memory,
                       QByteArray *after = nullptr)
    {
        const QString dump = path(QStringLiteral("memory.bin"));
        if (!writeFile(dump, memory))
            return {};
        VirtualRadioProcess radio;
        if (!radio.start(path(QStringLiteral("radio")),
                         QStringList{QStringLiteral("--variant"), QStringLiteral("S"),
                                     QStringLiteral("--memory"), dump} +
                             faults))
            return {};
        const CliResult r = runCli(
            QStringList{args.first(), QStringLiteral("--port"), path(QStringLiteral("radio"))} +
                args.mid(1),
            QString(), 300000);
        radio.stop();
        if (after)
            *after = readFile(dump);
        return r;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QCOMPARE(runCli({QStringLiteral("new"), path(QStringLiteral("new.Kzx"))}).exitCode, 0);
    }

    // Every reply comes 1.2 s after its request, so every request goes out
    // twice and every reply comes twice.
    void lateRead()
    {
        const QByteArray mem = radioMemory();
        const QString clean = path(QStringLiteral("clean.Kzx"));
        const QString late = path(QStringLiteral("late.Kzx"));
        QCOMPARE(transfer({QStringLiteral("read"), QStringLiteral("-o"), clean}, {}, mem).exitCode,
                 0);
        const CliResult r =
            transfer({QStringLiteral("read"), QStringLiteral("-o"), late},
                     {QStringLiteral("--reply-delay"), QStringLiteral("1200")}, mem);
        QVERIFY2(r.finished, r.err.constData());
        QVERIFY2(r.exitCode == 0 || r.exitCode == kExitNoAnswer, r.err.constData());
        if (r.exitCode == 0)
            QCOMPARE(describeDiff(readFile(late), readFile(clean)), QString());
        else
            QVERIFY(!QFile::exists(late));
    }

    void lateWrite()
    {
        const QByteArray mem = radioMemory();
        const QString file = path(QStringLiteral("new.Kzx"));
        QByteArray cleanAfter;
        QByteArray lateAfter;
        QCOMPARE(transfer({QStringLiteral("write"), file}, {}, mem, &cleanAfter).exitCode, 0);
        const CliResult r =
            transfer({QStringLiteral("write"), file},
                     {QStringLiteral("--reply-delay"), QStringLiteral("1200")}, mem, &lateAfter);
        QVERIFY2(r.finished, r.err.constData());
        QVERIFY2(r.exitCode == 0 || r.exitCode == kExitNoAnswer, r.err.constData());
        if (r.exitCode == 0)
            QCOMPARE(describeDiff(withoutDate(lateAfter), withoutDate(cleanAfter)), QString());
    }

    // What the radio hears is damaged with the given chance per byte; the
    // damage repeats with the seed, so a run can be looked at again.
    void requestCorruption()
    {
        const QByteArray mem = radioMemory();
        const QString file = path(QStringLiteral("new.Kzx"));
        const QStringList noisy{QStringLiteral("--corrupt-request-rate"), QStringLiteral("0.004"),
                                QStringLiteral("--seed"), QStringLiteral("5")};
        QByteArray first;
        QByteArray second;
        const CliResult a = transfer({QStringLiteral("write"), file}, noisy, mem, &first);
        const CliResult b = transfer({QStringLiteral("write"), file}, noisy, mem, &second);
        QVERIFY(a.finished && b.finished);
        QCOMPARE(a.exitCode, b.exitCode);
        QCOMPARE(describeDiff(withoutDate(first), withoutDate(second)), QString());

        // Every byte damaged: no frame reaches the radio, nothing is written.
        QByteArray after;
        const CliResult c = transfer({QStringLiteral("write"), file},
                                     {QStringLiteral("--corrupt-request-rate"), QStringLiteral("1"),
                                      QStringLiteral("--seed"), QStringLiteral("1")},
                                     mem, &after);
        QCOMPARE(c.exitCode, kExitNoAnswer);
        QVERIFY(c.err.contains("Communication False"));
        QVERIFY(after == mem);
    }

    // Damaged replies from a radio without password never end as "Password
    // Error": that would send the user looking for a password that is not
    // there.
    void noiseIsNoPassword()
    {
        const QByteArray mem = radioMemory();
        for (int seed = 1; seed <= 8; ++seed) {
            const CliResult r = transfer(
                {QStringLiteral("read"), QStringLiteral("-o"), path(QStringLiteral("noise.Kzx"))},
                {QStringLiteral("--corrupt-rate"), QStringLiteral("0.03"), QStringLiteral("--seed"),
                 QString::number(seed)},
                mem);
            QVERIFY2(r.finished, r.err.constData());
            QVERIFY2(
                r.exitCode == 0 || r.exitCode == kExitNoAnswer,
                qPrintable(
                    QStringLiteral("seed %1: %2").arg(seed).arg(QString::fromLocal8Bit(r.err))));
        }
    }
};

QTEST_GUILESS_MAIN(TestLateLine)
#include "tst_lateline.moc"
