// End to end over a pseudo-terminal with the virtual radio: reads kept as
// backups, writes backed up first and read back after, writes through a
// line that damages requests, a restore that puts the radio back byte for
// byte, a write killed halfway found again and put back, the production
// record, and diffs of files and of a file against a radio. Expected bytes are
// laid out by hand from the radio's memory layout.
#include "radioprocess.h"
#include "safetylayout.h"
#include "testsupport.h"

#include "codeplug/backupfile.h"
#include "codeplug/codeplugdata.h"
#include "codeplug/codeplugfile.h"
#include "codeplug/passwordblock.h"
#include "codeplug/productionrecord.h"
#include "codeplug/writejournal.h"

#include <QCryptographicHash>

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

using namespace t880;
using namespace t880::testing;

namespace {

/// The path after "Backup: " on stdout, or after the note that names the
/// backup on stderr.
QString namedBackup(const CliResult &r)
{
    for (const QByteArray &line : r.out.split('\n')) {
        if (line.startsWith("Backup: "))
            return QString::fromLocal8Bit(line.mid(8));
    }
    const QList<QByteArray> lines = r.err.split('\n');
    for (int i = 0; i + 1 < lines.size(); ++i) {
        if (lines[i].endsWith("kept in:"))
            return QString::fromLocal8Bit(lines[i + 1]);
    }
    return QString();
}

QString sha256Of(const QString &file)
{
    return QString::fromLatin1(
        QCryptographicHash::hash(readFile(file), QCryptographicHash::Sha256).toHex());
}

QJsonObject json(const QByteArray &text)
{
    return QJsonDocument::fromJson(text).object();
}

} // namespace

class TestSafetyEndToEnd : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QString port() const { return path(QStringLiteral("radio")); }
    QString memoryFile() const { return path(QStringLiteral("memory.bin")); }
    QString backupFolder() const { return path(QStringLiteral("data/t880/backups")); }

    bool startRadio(VirtualRadioProcess &radio, const QByteArray &memory,
                    const QStringList &extra = {})
    {
        if (!memory.isEmpty() && !writeFile(memoryFile(), memory))
            return false;
        return radio.start(port(), QStringList{QStringLiteral("--variant"), QStringLiteral("S"),
                                               QStringLiteral("--memory"), memoryFile()} +
                                       extra);
    }

    QString writeFileForRadio()
    {
        const QString file = path(QStringLiteral("write.Kzx"));
        return codeplugfile::save(file, codeplugForWrite()).ok() ? file : QString();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        // The verbs run as separate processes and inherit this.
        qputenv("XDG_DATA_HOME", QFile::encodeName(path(QStringLiteral("data"))));
    }

    void readIsKeptAsBackup()
    {
        VirtualRadioProcess radio;
        const QByteArray mem = radioMemory();
        QVERIFY(startRadio(radio, mem));
        const CliResult r = runCli({QStringLiteral("read"), QStringLiteral("--port"), port(),
                                    QStringLiteral("-o"), path(QStringLiteral("read.Kzx"))});
        QVERIFY2(r.exitCode == 0, r.err.constData());
        const QString file = namedBackup(r);
        QVERIFY2(file.startsWith(backupFolder()), r.out.constData());
        backup::Backup b;
        QVERIFY(backup::load(file, b).ok());
        QCOMPARE(b.kind, RadioKind::S);
        QCOMPARE(b.operation, backup::Operation::Read);
        QCOMPARE(b.port, port());
        QCOMPARE(int(b.blocks.size()), 23 + 2);
        for (const auto &[address, data] : b.blocks)
            QCOMPARE(data.toHex(' '), mem.mid(address, 16).toHex(' '));

        const CliResult list = runCli({QStringLiteral("backups"), QStringLiteral("--json")});
        QCOMPARE(list.exitCode, 0);
        const QJsonObject first =
            json(list.out).value(QStringLiteral("backups")).toArray().at(0).toObject();
        QCOMPARE(first.value(QStringLiteral("file")).toString(), file);
        QCOMPARE(first.value(QStringLiteral("operation")).toString(), QStringLiteral("read"));
        QCOMPARE(first.value(QStringLiteral("channels")).toArray(), (QJsonArray{1, 3}));
        // The backup opens as the codeplug the read gave.
        const CliResult shownBackup = runCli({QStringLiteral("show"), file});
        const CliResult shownFile =
            runCli({QStringLiteral("show"), path(QStringLiteral("read.Kzx"))});
        QCOMPARE(shownBackup.exitCode, 0);
        QCOMPARE(shownBackup.out, shownFile.out);
    }

    void writeBacksUpAndVerifies_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<bool>("backupExpected");
        QTest::newRow("by default") << QStringList() << true;
        QTest::newRow("--no-backup --no-verify")
            << QStringList{QStringLiteral("--no-backup"), QStringLiteral("--no-verify")} << false;
    }

    void writeBacksUpAndVerifies()
    {
        QFETCH(QStringList, options);
        QFETCH(bool, backupExpected);
        VirtualRadioProcess radio;
        const QByteArray before = radioMemory();
        QVERIFY(startRadio(radio, before));
        const int backupsBefore = int(QDir(backupFolder()).entryList(QDir::Files).size());
        const CliResult r = runCli(QStringList{QStringLiteral("write"), QStringLiteral("--port"),
                                               port(), writeFileForRadio()} +
                                   options);
        QVERIFY2(r.exitCode == 0, r.err.constData());
        radio.stop();
        const QByteArray after = readFile(memoryFile());
        QCOMPARE(withoutDate(after.mid(0x4000, 0x170)).toHex(' '), intendedArea().toHex(' '));
        const int backupsAfter = int(QDir(backupFolder()).entryList(QDir::Files).size());
        QCOMPARE(backupsAfter - backupsBefore, backupExpected ? 1 : 0);
        if (!backupExpected)
            return;
        backup::Backup b;
        QVERIFY(backup::load(namedBackup(r), b).ok());
        QCOMPARE(b.operation, backup::Operation::Write);
        // The codeplug area as it was, the password and calibration areas.
        QCOMPARE(int(b.blocks.size()), 23 + 2 + 8);
        for (const auto &[address, data] : b.blocks)
            QCOMPARE(data.toHex(' '), before.mid(address, 16).toHex(' '));
    }

    // A noisy cable damages the requests: every write, or new password,
    // that reports success left the intended bytes, and every other one
    // failed with a backup from which a restore over a clean line puts the
    // radio back.
    void corruptedRequests_data()
    {
        QTest::addColumn<QStringList>("faults");
        QTest::addColumn<bool>("newPassword"); // set-password instead of write
        const auto row = [](const char *name, const char *requests, const char *replies,
                            const char *seed, bool newPassword = false) {
            QTest::newRow(name) << QStringList{QStringLiteral("--corrupt-request-rate"),
                                               QLatin1String(requests),
                                               QStringLiteral("--corrupt-rate"),
                                               QLatin1String(replies),
                                               QStringLiteral("--seed"),
                                               QLatin1String(seed),
                                               QStringLiteral("--reply-jitter"),
                                               QStringLiteral("5")}
                                << newPassword;
        };
        row("requests 0.2%, seed 1", "0.002", "0", "1");
        row("requests 0.5%, seed 2", "0.005", "0", "2");
        row("requests 1%, seed 4", "0.01", "0", "4");
        row("requests and replies 0.5%, seed 6", "0.005", "0.005", "6");
        row("requests 3%, seed 8", "0.03", "0", "8");
        row("new password, requests 3%, seed 11", "0.03", "0", "11", true);
        row("new password, requests and replies 3%, seed 12", "0.03", "0.03", "12", true);
    }

    void corruptedRequests()
    {
        QFETCH(QStringList, faults);
        QFETCH(bool, newPassword);
        const QByteArray before = radioMemory();
        VirtualRadioProcess radio;
        QVERIFY(startRadio(radio, before, faults));
        const QStringList verb =
            newPassword ? QStringList{QStringLiteral("set-password"), QStringLiteral("--port"),
                                      port(), QStringLiteral("new2")}
                        : QStringList{QStringLiteral("write"), QStringLiteral("--port"), port(),
                                      writeFileForRadio()};
        const CliResult r = runCli(verb, QString(), 60000);
        QVERIFY2(r.finished, "the write must end by itself");
        qInfo("exit code %d", r.exitCode);
        radio.stop();
        const QByteArray after = readFile(memoryFile());
        if (r.exitCode == 0 && newPassword) {
            const auto *block = reinterpret_cast<const std::uint8_t *>(after.constData()) + 0x41D0;
            QVERIFY(checkPasswordBlock(block, "new2"));
            QVERIFY(!checkPasswordBlock(block, "new3"));
            QCOMPARE(after.mid(0x4000, 0x170).toHex(' '), before.mid(0x4000, 0x170).toHex(' '));
            return;
        }
        if (r.exitCode == 0) {
            QCOMPARE(withoutDate(after.mid(0x4000, 0x170)).toHex(' '), intendedArea().toHex(' '));
            QCOMPARE(after.mid(0x41D0, 0xA0).toHex(' '), before.mid(0x41D0, 0xA0).toHex(' '));
            return;
        }
        QVERIFY2(r.exitCode == 3 || r.exitCode == 8, r.err.constData());
        QVERIFY(!r.out.contains("SUCCESS"));
        const QString file = namedBackup(r);
        if (file.isEmpty()) {
            // Ended before the backup was kept: nothing was written.
            QCOMPARE(after.mid(0x4000, 0x170), before.mid(0x4000, 0x170));
            return;
        }
        VirtualRadioProcess clean;
        QVERIFY(startRadio(clean, QByteArray()));
        const CliResult restore =
            runCli({QStringLiteral("restore"), file, QStringLiteral("--port"), port()});
        QVERIFY2(restore.exitCode == 0, restore.err.constData());
        clean.stop();
        // The codeplug and password areas; the calibration area goes back
        // only through a calibration restore.
        const QByteArray restored = readFile(memoryFile());
        QCOMPARE(restored.mid(0x4000, 0x1F0).toHex(' '), before.mid(0x4000, 0x1F0).toHex(' '));
    }

    // A new password whose read-back the radio never answers: the radio may
    // hold neither password, and the backup named puts the old one back.
    void passwordWriteCutShort()
    {
        QByteArray before = radioMemory();
        put(before, 0x41D0, bytesOf({0x00, 0x11, 0x22})); // no password
        VirtualRadioProcess radio;
        // Connect, 4 readings of the password area, 46 of the codeplug
        // area, the new block: then silence.
        QVERIFY(
            startRadio(radio, before, {QStringLiteral("--silent-after"), QStringLiteral("52")}));
        const CliResult r = runCli({QStringLiteral("set-password"), QStringLiteral("--port"),
                                    port(), QStringLiteral("n3w")});
        QCOMPARE(r.exitCode, 3);
        radio.stop();
        const QStringList err = QString::fromLocal8Bit(r.err).split(u'\n');
        const int at = int(err.indexOf(QStringLiteral("Communication False")));
        QVERIFY2(at >= 0, r.err.constData());
        QCOMPARE(
            err.value(at + 1),
            QStringLiteral("The radio's password may now be neither the old one nor the new one."));
        const QString file = namedBackup(r);
        QCOMPARE(err.value(at + 3), file);
        QCOMPARE(
            err.value(at + 4),
            QStringLiteral("Writing this backup back into the radio puts the old password back."));
        backup::Backup kept;
        QVERIFY(backup::load(file, kept).ok());
        QCOMPARE(kept.operation, backup::Operation::PasswordWrite);
        QVERIFY(readFile(memoryFile()).mid(0x41D0, 16) != before.mid(0x41D0, 16));

        // The radio took the new block before it fell silent.
        VirtualRadioProcess clean;
        QVERIFY(startRadio(clean, QByteArray()));
        const CliResult restore =
            runCli({QStringLiteral("restore"), file, QStringLiteral("--port"), port(),
                    QStringLiteral("--password"), QStringLiteral("n3w")});
        QVERIFY2(restore.exitCode == 0, restore.err.constData());
        clean.stop();
        QCOMPARE(readFile(memoryFile()).mid(0x4000, 0x1F0).toHex(' '),
                 before.mid(0x4000, 0x1F0).toHex(' '));
    }

    // A backup that cannot be kept stops the write before it begins, and
    // the message says where it was to go and how to go on.
    void backupThatCannotBeKept()
    {
        const QString blocked = path(QStringLiteral("not-a-folder"));
        QVERIFY(writeFile(blocked, "x"));
        const QByteArray before = radioMemory();
        VirtualRadioProcess radio;
        QVERIFY(startRadio(radio, before));
        const QByteArray data = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", QFile::encodeName(blocked));
        const CliResult r = runCli(
            {QStringLiteral("write"), QStringLiteral("--port"), port(), writeFileForRadio()});
        qputenv("XDG_DATA_HOME", data);
        QCOMPARE(r.exitCode, 9);
        radio.stop();
        QVERIFY2(r.err.contains(QFile::encodeName(blocked) + "/t880/backups"), r.err.constData());
        QVERIFY2(r.err.contains("--no-backup"), r.err.constData());
        QCOMPARE(readFile(memoryFile()).toHex(), before.toHex());
    }

    // The command line keeps to the window's configuration file, found as
    // the window finds it (beside a program that is not installed): its port
    // bindings and its backup limits.
    void windowConfigurationApplies()
    {
        const QString bin = path(QStringLiteral("bin"));
        QVERIFY(QDir().mkpath(bin));
        const QString program = bin + QStringLiteral("/t880");
        QFile::remove(program);
        QVERIFY(QFile::copy(QStringLiteral(T880_CLI_PATH), program));
        QVERIFY(writeFile(bin + QStringLiteral("/_config.ini"),
                          "[config]\nPort=1\n[ports]\nCOM1=" + QFile::encodeName(port()) +
                              "\n[backup]\nMaxCount=1\n"));
        const QString data = path(QStringLiteral("own-data"));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), data);
        VirtualRadioProcess radio;
        QVERIFY(startRadio(radio, radioMemory()));
        for (int run = 0; run < 2; ++run) {
            const CliResult r =
                runCli({QStringLiteral("read"), QStringLiteral("--port"), QStringLiteral("1"),
                        QStringLiteral("-o"), path(QStringLiteral("bound.Kzx"))},
                       QString(), 60000, env, program);
            QVERIFY2(r.exitCode == 0, r.err.constData());
        }
        QCOMPARE(QDir(data + QStringLiteral("/t880/backups")).entryList(QDir::Files).size(), 1);
    }

    // A write, then its backup written back: the whole memory is as before.
    void restorePutsTheRadioBack()
    {
        const QByteArray before = radioMemory();
        VirtualRadioProcess radio;
        QVERIFY(startRadio(radio, before));
        const CliResult w = runCli(
            {QStringLiteral("write"), QStringLiteral("--port"), port(), writeFileForRadio()});
        QVERIFY2(w.exitCode == 0, w.err.constData());
        const QString file = namedBackup(w);
        QVERIFY(!file.isEmpty());
        const CliResult r =
            runCli({QStringLiteral("restore"), file, QStringLiteral("--port"), port()});
        QVERIFY2(r.exitCode == 0, r.err.constData());
        QVERIFY(r.out.contains("SUCCESS"));
        // The restore kept what it replaced, as every write does.
        backup::Backup kept;
        QVERIFY(backup::load(namedBackup(r), kept).ok());
        QCOMPARE(kept.operation, backup::Operation::Restore);
        radio.stop();
        QCOMPARE(describeDiff(readFile(memoryFile()), before), QString());
        // Both writes are on record, each with the file it wrote; finished,
        // they leave nothing in the journal.
        const std::vector<production::Line> lines =
            production::load(path(QStringLiteral("data/t880/production.csv"))).lines;
        QVERIFY(lines.size() >= 2);
        const production::Line &write = lines[lines.size() - 2];
        const production::Line &restore = lines.back();
        QCOMPARE(write.operation, QStringLiteral("write"));
        QCOMPARE(write.sha256, sha256Of(writeFileForRadio()));
        QCOMPARE(write.backup, file);
        QCOMPARE(write.result, QStringLiteral("SUCCESS"));
        QCOMPARE(restore.operation, QStringLiteral("restore"));
        QCOMPARE(restore.file, file);
        QCOMPARE(restore.sha256, sha256Of(file));
        QCOMPARE(restore.exitCode, 0);
        QCOMPARE(restore.radio, QStringLiteral("S"));
        QVERIFY(journal::list(path(QStringLiteral("data/t880/journal"))).empty());
        // t880 log gives the same lines; none are from before a future date.
        const QJsonArray logged =
            json(runCli({QStringLiteral("log"), QStringLiteral("--json")}).out)
                .value(QStringLiteral("lines"))
                .toArray();
        QCOMPARE(logged.last().toObject().value(QStringLiteral("sha256")).toString(),
                 restore.sha256);
        QCOMPARE(
            runCli({QStringLiteral("log"), QStringLiteral("--since"), QStringLiteral("2999-01-01")})
                .out,
            QByteArray());
    }

    // A write killed halfway (the power went, the program was killed) is
    // told by the next command on that port with the backup that puts it
    // back, and marked among the backups; restoring that backup puts the
    // radio back byte for byte and ends the warning.
    void killedWriteIsFoundAgain()
    {
        const QByteArray before = radioMemory();
        VirtualRadioProcess radio;
        QVERIFY(startRadio(radio, before, {QStringLiteral("--reply-delay"), QStringLiteral("20")}));
        QProcess writer;
        writer.start(
            QStringLiteral(T880_CLI_PATH),
            {QStringLiteral("write"), QStringLiteral("--port"), port(), writeFileForRadio()});
        QVERIFY(writer.waitForStarted(10000));
        QDeadlineTimer deadline(30000);
        while (journal::list(path(QStringLiteral("data/t880/journal"))).empty() &&
               !deadline.hasExpired() && writer.state() == QProcess::Running)
            QTest::qWait(20);
        QTest::qWait(300); // a few blocks into the write
        writer.kill();
        QVERIFY(writer.waitForFinished(10000));
        const std::vector<journal::Entry> notes =
            journal::unfinished(path(QStringLiteral("data/t880/journal")));
        QCOMPARE(notes.size(), std::size_t(1));
        const QString kept = notes.front().backup;
        QVERIFY(QFileInfo::exists(kept));

        const CliResult status =
            runCli({QStringLiteral("status"), QStringLiteral("--port"), port()});
        QCOMPARE(status.exitCode, 0);
        QVERIFY2(status.err.contains("t880: The write to the radio on " +
                                     QFile::encodeName(port()) + " at "),
                 status.err.constData());
        QVERIFY(status.err.contains("did not finish; the radio may hold part of it. The backup "
                                    "taken before it: " +
                                    QFile::encodeName(kept) + ". To put it back: t880 restore " +
                                    QFile::encodeName(kept) + " --port " +
                                    QFile::encodeName(port())));
        const CliResult list = runCli({QStringLiteral("backups")});
        QVERIFY(
            list.out.contains(QFile::encodeName(kept) + "  (before a write that did not finish)"));

        const CliResult r =
            runCli({QStringLiteral("restore"), kept, QStringLiteral("--port"), port()});
        QVERIFY2(r.exitCode == 0, r.err.constData());
        QVERIFY(!r.err.contains("did not finish"));
        QVERIFY(journal::list(path(QStringLiteral("data/t880/journal"))).empty());
        radio.stop();
        QCOMPARE(describeDiff(readFile(memoryFile()), before), QString());
    }

    void calibrationRestoreAsksFirst()
    {
        backup::Backup b;
        b.time = QDateTime::currentDateTimeUtc();
        b.operation = backup::Operation::CalibrationRead;
        for (int a = 0x41F0; a < 0x4270; a += 16)
            b.blocks[a] = radioMemory().mid(a, 16);
        const QString file = path(QStringLiteral("cal.t880bak"));
        QVERIFY(writeFile(file, backup::serialize(b)));
        const CliResult r = runCli({QStringLiteral("restore"), file, QStringLiteral("--port"),
                                    path(QStringLiteral("no-radio"))});
        QCOMPARE(r.exitCode, 2);
        QVERIFY(r.err.contains("--yes"));
    }

    // A calibration backup goes back through the calibration write, asked
    // for with --yes: the calibration area as it was, byte for byte.
    void calibrationRestore()
    {
        const QByteArray before = radioMemory();
        VirtualRadioProcess radio;
        QVERIFY(startRadio(radio, before));
        const QString cal = path(QStringLiteral("radio.kzxa"));
        CliResult r = runCli({QStringLiteral("calibration"), QStringLiteral("read"),
                              QStringLiteral("--port"), port(), cal});
        QVERIFY2(r.exitCode == 0, r.err.constData());
        const QString file = namedBackup(r);
        backup::Backup b;
        QVERIFY(backup::load(file, b).ok());
        QCOMPARE(b.operation, backup::Operation::CalibrationRead);
        QCOMPARE(int(b.blocks.size()), 8);
        const QString defaults = path(QStringLiteral("defaults.kzxa"));
        QFile::remove(defaults);
        QCOMPARE(runCli({QStringLiteral("new"), defaults}).exitCode, 0);
        r = runCli({QStringLiteral("calibration"), QStringLiteral("write"),
                    QStringLiteral("--port"), port(), defaults});
        QVERIFY2(r.exitCode == 0, r.err.constData());
        r = runCli({QStringLiteral("restore"), file, QStringLiteral("--port"), port()});
        QCOMPARE(r.exitCode, 2);
        r = runCli({QStringLiteral("restore"), file, QStringLiteral("--port"), port(),
                    QStringLiteral("--yes")});
        QVERIFY2(r.exitCode == 0, r.err.constData());
        radio.stop();
        QCOMPARE(readFile(memoryFile()).mid(0x41F0, 128).toHex(' '),
                 before.mid(0x41F0, 128).toHex(' '));
    }

    // The frequency words of an S radio mean other frequencies in a Y radio.
    void restoreRefusesAnotherKind()
    {
        backup::Backup b;
        b.time = QDateTime::currentDateTimeUtc();
        b.kind = RadioKind::S;
        b.operation = backup::Operation::Read;
        for (int a = 0x4000; a < 0x4170; a += 16)
            b.blocks[a] = QByteArray(16, '\x33');
        const QString file = path(QStringLiteral("s.t880bak"));
        QVERIFY(writeFile(file, backup::serialize(b)));
        const QByteArray before = radioMemory();
        QVERIFY(writeFile(memoryFile(), before));
        VirtualRadioProcess radio;
        QVERIFY(radio.start(port(), {QStringLiteral("--variant"), QStringLiteral("Y"),
                                     QStringLiteral("--memory"), memoryFile()}));
        const CliResult r =
            runCli({QStringLiteral("restore"), file, QStringLiteral("--port"), port()});
        QCOMPARE(r.exitCode, 10);
        radio.stop();
        QCOMPARE(describeDiff(readFile(memoryFile()), before), QString());
    }

    void diffOfTwoFiles()
    {
        CodeplugData a = codeplugForWrite();
        CodeplugData b = a;
        ChannelRecord ch5 = b.channel(5);
        ch5.setTxFreq(470012500);
        b.setChannel(5, ch5);
        b.setSetting(Setting::tot, 60);
        const QString fa = path(QStringLiteral("a.Kzx"));
        const QString fb = path(QStringLiteral("b.Kzx"));
        QVERIFY(codeplugfile::save(fa, a).ok());
        QVERIFY(codeplugfile::save(fb, b).ok());
        CliResult r = runCli({QStringLiteral("diff"), fa, fb});
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.out, QByteArray("CH05 TX Freq. 470.00000 -> 470.01250\nTOT(S) 180 -> 60\n"));
        r = runCli({QStringLiteral("diff"), fa, fa});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QByteArray());
        r = runCli({QStringLiteral("diff"), QStringLiteral("--json"), fb, fa});
        QCOMPARE(r.exitCode, 1);
        const QJsonObject j = json(r.out);
        QCOMPARE(j.value(QStringLiteral("equal")).toBool(), false);
        const QJsonArray d = j.value(QStringLiteral("differences")).toArray();
        QCOMPARE(d.size(), 2);
        QCOMPARE(d.at(0).toObject().value(QStringLiteral("channel")).toInt(), 5);
        QCOMPARE(d.at(0).toObject().value(QStringLiteral("field")).toString(),
                 QStringLiteral("TX Freq."));
        QCOMPARE(d.at(0).toObject().value(QStringLiteral("old")).toString(),
                 QStringLiteral("470.01250"));
        QCOMPARE(d.at(1).toObject().value(QStringLiteral("new")).toString(), QStringLiteral("180"));
        r = runCli({QStringLiteral("diff"), fa, path(QStringLiteral("missing.Kzx"))});
        QCOMPARE(r.exitCode, 2);
    }

    void diffAgainstRadio()
    {
        const QByteArray mem = radioMemory();
        VirtualRadioProcess radio;
        QVERIFY(startRadio(radio, mem));
        const QString read = path(QStringLiteral("fromradio.Kzx"));
        CliResult r = runCli(
            {QStringLiteral("read"), QStringLiteral("--port"), port(), QStringLiteral("-o"), read});
        QVERIFY2(r.exitCode == 0, r.err.constData());
        r = runCli({QStringLiteral("diff"), read, QStringLiteral("--port"), port()});
        QVERIFY2(r.exitCode == 0, r.err.constData() + r.out);
        QCOMPARE(r.out, QByteArray());

        CodeplugData edited;
        QVERIFY(codeplugfile::load(read, edited).ok());
        ChannelRecord ch1 = edited.channel(1);
        ch1.setTxFreq(438512500);
        ch1.setName("BASE"); // the radio keeps no names: no difference
        edited.setChannel(1, ch1);
        const QString file = path(QStringLiteral("edited.Kzx"));
        QVERIFY(codeplugfile::save(file, edited).ok());
        r = runCli({QStringLiteral("diff"), QStringLiteral("--port"), port(), file});
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.out, QByteArray("CH01 TX Freq. 438.50000 -> 438.51250\n"));
        radio.stop();
        // Comparing changed nothing in the radio.
        QCOMPARE(describeDiff(readFile(memoryFile()), mem), QString());
    }
};

QTEST_GUILESS_MAIN(TestSafetyEndToEnd)
#include "tst_safetye2e.moc"
