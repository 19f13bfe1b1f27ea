// Backups: the file format against text written out by hand, files that are
// not backups, the codeplug a backup holds (bytes laid out by hand from the
// memory layout), the folder with its pruning, what a restore may write, the
// comparison of two codeplugs in the window's words, and the switches of the
// configuration file.
#include "codeplug/backupfile.h"
#include "codeplug/backupstore.h"
#include "codeplug/codeplugdiff.h"
#include "codeplug/codeplugfile.h"
#include "codeplug/productionrecord.h"
#include "codeplug/writejournal.h"
#include "text/applang.h"
#include "ui/config/appconfig.h"

#include "testsupport.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QtTest>

using namespace t880;
using namespace t880::testing;
using backup::Backup;
using backup::Operation;

namespace {

QByteArray bytesOf(std::initializer_list<int> list)
{
    QByteArray out;
    for (int b : list)
        out.append(char(b));
    return out;
}

QDateTime utc(const char *iso)
{
    return QDateTime::fromString(QString::fromLatin1(iso), Qt::ISODate).toUTC();
}

// An S radio's codeplug area: channel 1 at 438.5 MHz both ways (word
// 6B 0E 40), high power and wide (0x30), in the scan list (bit 0 of 0x160);
// TOT 60 s (00 3C at 0x156); the other channels not in use.
std::map<int, QByteArray> sRadioBlocks()
{
    QByteArray area(0x170, '\0');
    area.replace(0, 19,
                 bytesOf({0x6B, 0x0E, 0x40, 0x6B, 0x0E, 0x40, 0, 0, 0, 0, 0, 0, 0, 0, 0x00, 0x30,
                          50, 7, 3}));
    area.replace(0x150, 6, bytesOf({0x07, 0xE8, 0x05, 0x11, 0x09, 0x1E}));
    area.replace(0x156, 2, bytesOf({0x00, 0x3C}));
    area.replace(0x15F, 2, bytesOf({0x00, 0x01}));
    std::map<int, QByteArray> blocks;
    for (int off = 0; off < 0x170; off += 16)
        blocks[0x4000 + off] = area.mid(off, 16);
    blocks[0x41D0] = QByteArray(16, '\0');
    blocks[0x41E0] = QByteArray(16, '\x11');
    return blocks;
}

// An older radio: channel 1 at 438.5 MHz in BCD (00 00 85 43), TOT byte
// 0x28 (600 s), everything else 0xFF.
std::map<int, QByteArray> legacyBlocks()
{
    QByteArray area(0x200, char(0xFF));
    area.replace(0x10, 8, bytesOf({0x00, 0x00, 0x85, 0x43, 0x00, 0x00, 0x85, 0x43}));
    area[0x130] = char(0x28);
    std::map<int, QByteArray> blocks;
    for (int a = 0x10; a < 0x200; a += 16)
        blocks[a] = area.mid(a, 16);
    return blocks;
}

Backup makeBackup(RadioKind kind, Operation op, std::map<int, QByteArray> blocks,
                  const char *time = "2026-03-04T05:06:07Z")
{
    Backup b;
    b.time = utc(time);
    b.kind = kind;
    b.port = QStringLiteral("/dev/ttyUSB0");
    b.operation = op;
    b.blocks = std::move(blocks);
    return b;
}

std::map<int, QByteArray> calibrationBlocks()
{
    std::map<int, QByteArray> blocks;
    for (int a = 0x41F0; a < 0x4270; a += 16)
        blocks[a] = QByteArray(16, char(a & 0xFF));
    return blocks;
}

} // namespace

Q_DECLARE_METATYPE(Backup)

class TestBackups : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private slots:
    void initTestCase();
    void fileText();
    void roundTrip_data();
    void roundTrip();
    void refused_data();
    void refused();
    void codeplugOfABackup_data();
    void codeplugOfABackup();
    void openEitherKind();
    void storeAndList();
    void prune_data();
    void prune();
    void productionRecord_data();
    void productionRecord();
    void productionRecordRefused();
    void journalNotes_data();
    void journalNotes();
    void journalPorts_data();
    void journalPorts();
    void restoreBlocks_data();
    void restoreBlocks();
    void diffLines_data();
    void diffLines();
    void diffInChinese();
    void safetyFlagsSaved_data();
    void safetyFlagsSaved();
};

void TestBackups::initTestCase()
{
    QVERIFY(m_dir.isValid());
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir.filePath(QStringLiteral("data"))));
    QCoreApplication::setOrganizationName(QString());
    QCoreApplication::setApplicationName(QStringLiteral("t880"));
}

// The documented format, written out by hand.
void TestBackups::fileText()
{
    Backup b = makeBackup(RadioKind::Y, Operation::Write,
                          {{0x41E0, bytesOf({0xAB, 0x01})}, {0x4000, bytesOf({0x00, 0xFF, 0x10})}});
    b.port = QStringLiteral("COM3\nx");
    const QByteArray expected = "T880 BACKUP 1\n"
                                "time: 2026-03-04T05:06:07Z\n"
                                "kind: Y\n"
                                "port: COM3 x\n"
                                "operation: write\n"
                                "\n"
                                "4000 00FF10\n"
                                "41E0 AB01\n"
                                "end\n";
    QCOMPARE(backup::serialize(b), expected);
}

void TestBackups::roundTrip_data()
{
    QTest::addColumn<Backup>("backup");
    QTest::newRow("S codeplug read") << makeBackup(RadioKind::S, Operation::Read, sRadioBlocks());
    QTest::newRow("legacy write") << makeBackup(RadioKind::Legacy, Operation::Write,
                                                legacyBlocks());
    QTest::newRow("Y calibration write")
        << makeBackup(RadioKind::Y, Operation::CalibrationWrite, calibrationBlocks());
    Backup odd = makeBackup(RadioKind::S, Operation::Compare,
                            {{0x0000, QByteArray()}, {0xFFFF, QByteArray(255, '\xFE')}});
    odd.port = QString::fromUtf8("/dev/serial/by-id/usb-\xE4\xB8\xAD");
    QTest::newRow("empty and longest blocks, UTF-8 port") << odd;
}

void TestBackups::roundTrip()
{
    QFETCH(Backup, backup);
    const QString path = m_dir.filePath(QStringLiteral("round.t880bak"));
    QVERIFY(writeFileAtomically(path, backup::serialize(backup)).ok());
    Backup back;
    const FileResult r = backup::load(path, back);
    QVERIFY2(r.ok(), qPrintable(r.detail));
    QVERIFY(back == backup);
    // CRLF line ends, as an editor on another system leaves them, read the same.
    QByteArray crlf = backup::serialize(backup);
    crlf.replace("\n", "\r\n");
    const std::optional<Backup> again = backup::parse(crlf);
    QVERIFY(again);
    QVERIFY(*again == backup);
}

void TestBackups::refused_data()
{
    QTest::addColumn<QByteArray>("text");
    const QByteArray head = "T880 BACKUP 1\ntime: 2026-03-04T05:06:07Z\nkind: S\nport: p\n"
                            "operation: read\n\n";
    QTest::newRow("a codeplug file") << QByteArray(2943, '\0');
    QTest::newRow("another version") << QByteArray("T880 BACKUP 2\n") + head.mid(14) + "end\n";
    QTest::newRow("cut short") << head + "4000 00112233\n";
    QTest::newRow("odd number of digits") << head + "4000 0011223\nend\n";
    QTest::newRow("not hex") << head + "4000 00GG\nend\n";
    QTest::newRow("address of five digits") << head + "14000 00\nend\n";
    QTest::newRow("address twice") << head + "4000 00\n4000 01\nend\n";
    QTest::newRow("longer than a reply") << head + "4000 " + QByteArray(512, 'A') + "\nend\n";
    QTest::newRow("unknown kind") << QByteArray(head).replace("kind: S", "kind: Z") + "end\n";
    QTest::newRow("unknown operation")
        << QByteArray(head).replace("operation: read", "operation: erase") + "end\n";
    QTest::newRow("bad time") << QByteArray(head).replace("2026-03-04", "2026-13-04") + "end\n";
    QTest::newRow("no time") << QByteArray(head).replace("time: 2026-03-04T05:06:07Z\n", "") +
                                    "end\n";
    QTest::newRow("header line without colon")
        << QByteArray(head).replace("port: p", "port p") + "end\n";
}

void TestBackups::refused()
{
    QFETCH(QByteArray, text);
    QString why;
    QVERIFY(!backup::parse(text, &why));
    QVERIFY(!why.isEmpty());
    const QString path = m_dir.filePath(QStringLiteral("bad.t880bak"));
    QVERIFY(writeFile(path, text));
    Backup untouched = makeBackup(RadioKind::Y, Operation::Write, {});
    const Backup before = untouched;
    QCOMPARE(backup::load(path, untouched).error, FileError::CannotRead);
    QVERIFY(untouched == before);
}

void TestBackups::codeplugOfABackup_data()
{
    QTest::addColumn<Backup>("backup");
    QTest::addColumn<int>("rxFreq");
    QTest::addColumn<int>("tot");
    QTest::addColumn<QList<int>>("used");
    QTest::newRow("S radio") << makeBackup(RadioKind::S, Operation::Read, sRadioBlocks())
                             << 438500000 << 60 << QList<int>{1};
    QTest::newRow("legacy radio") << makeBackup(RadioKind::Legacy, Operation::Write, legacyBlocks())
                                  << 438500000 << 600 << QList<int>{1};
}

void TestBackups::codeplugOfABackup()
{
    QFETCH(Backup, backup);
    QFETCH(int, rxFreq);
    QFETCH(int, tot);
    QFETCH(QList<int>, used);
    CodeplugState state;
    ChannelRecord named = state.codeplug.channel(1);
    named.setName("BASE");
    state.codeplug.setChannel(1, named);
    QVERIFY(backup::toCodeplug(backup, state));
    QCOMPARE(int(state.codeplug.channel(1).rxFreq()), rxFreq);
    QCOMPARE(int(state.codeplug.channel(1).txFreq()), rxFreq);
    QCOMPARE(int(state.codeplug.setting(Setting::tot)), tot);
    // A field the radio does not keep stays as it was, as after a read.
    QCOMPARE(state.codeplug.channel(1).name(), QByteArray("BASE"));
    QList<int> inUse;
    for (int n : backup::channelsInUse(backup))
        inUse << n;
    QCOMPARE(inUse, used);
}

// One loader for both: a .Kzx file exactly as before, a backup by its content.
void TestBackups::openEitherKind()
{
    CodeplugData file;
    file.applyNewDefaults();
    file.enterChannelFrequency(4, 145000000);
    const QString kzx = m_dir.filePath(QStringLiteral("plain.Kzx"));
    QVERIFY(codeplugfile::save(kzx, file).ok());
    CodeplugData loaded;
    QVERIFY(loadCodeplugOrBackup(kzx, loaded).ok());
    QCOMPARE(loaded.toByteArray(), file.toByteArray());

    const QString bak = m_dir.filePath(QStringLiteral("radio.t880bak"));
    QVERIFY(writeFile(
        bak, backup::serialize(makeBackup(RadioKind::S, Operation::Read, sRadioBlocks()))));
    CodeplugData fromBackup;
    fromBackup.applyNewDefaults();
    ProgramDate date;
    QVERIFY(loadCodeplugOrBackup(bak, fromBackup, &date).ok());
    QVERIFY(fromBackup.isChannelUsed(1));
    QVERIFY(!fromBackup.isChannelUsed(4));
    QCOMPARE(date, (ProgramDate{2024, 5, 17, 9, 30}));

    // A calibration backup, or a damaged one, changes nothing.
    const QString cal = m_dir.filePath(QStringLiteral("cal.t880bak"));
    QVERIFY(writeFile(cal, backup::serialize(makeBackup(RadioKind::S, Operation::CalibrationRead,
                                                        calibrationBlocks()))));
    const QString cut = m_dir.filePath(QStringLiteral("cut.t880bak"));
    QVERIFY(writeFile(
        cut,
        backup::serialize(makeBackup(RadioKind::S, Operation::Read, sRadioBlocks())).chopped(4)));
    for (const QString &path : {cal, cut}) {
        CodeplugData keep = file;
        QCOMPARE(loadCodeplugOrBackup(path, keep).error, FileError::CannotRead);
        QCOMPARE(keep.toByteArray(), file.toByteArray());
    }
}

void TestBackups::storeAndList()
{
    const QString folder = backup::defaultFolder();
    QCOMPARE(folder, m_dir.filePath(QStringLiteral("data/t880/backups")));
    QDir(folder).removeRecursively();
    const Backup older =
        makeBackup(RadioKind::S, Operation::Read, sRadioBlocks(), "2026-01-01T00:00:00Z");
    const Backup newer =
        makeBackup(RadioKind::Legacy, Operation::Write, legacyBlocks(), "2026-02-01T00:00:00Z");
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const backup::Limits generous{36500, 1000};
    const backup::Stored a = backup::store(folder, older, generous);
    const backup::Stored b = backup::store(folder, newer, generous);
    // The same moment twice still gives two files.
    const backup::Stored c = backup::store(folder, newer, generous);
    for (const backup::Stored &s : {a, b, c})
        QVERIFY2(s.result.ok(), qPrintable(s.result.detail));
    QVERIFY(b.path != c.path);
    QVERIFY(writeFile(QDir(folder).filePath(QStringLiteral("notes.txt")), "mine"));
    QVERIFY(writeFile(QDir(folder).filePath(QStringLiteral("junk.t880bak")), "junk"));
    const std::vector<backup::Entry> entries = backup::list(folder);
    QCOMPARE(int(entries.size()), 3);
    QVERIFY(entries[0].backup == newer);
    QVERIFY(entries[2].backup == older);
    QCOMPARE(entries[2].path, a.path);
    // Nothing the program did not write is touched; no temporary is left.
    QVERIFY(listing(folder).contains(QStringLiteral("notes.txt")));
    QCOMPARE(listing(folder).size(), 5);
    Q_UNUSED(now);
}

void TestBackups::prune_data()
{
    QTest::addColumn<int>("maxAgeDays");
    QTest::addColumn<int>("maxCount");
    QTest::addColumn<QStringList>("kept"); // by time, newest first
    // Backups of 2026-06-01, 2026-03-01, 2025-07-01 and 2024-12-01; now is
    // 2026-06-02.
    QTest::newRow("a year, a thousand")
        << 365 << 1000 << QStringList{"2026-06-01", "2026-03-01", "2025-07-01"};
    QTest::newRow("the newest two") << 36500 << 2 << QStringList{"2026-06-01", "2026-03-01"};
    QTest::newRow("a hundred days") << 100 << 1000 << QStringList{"2026-06-01", "2026-03-01"};
    QTest::newRow("one") << 365 << 1 << QStringList{"2026-06-01"};
}

void TestBackups::prune()
{
    QFETCH(int, maxAgeDays);
    QFETCH(int, maxCount);
    QFETCH(QStringList, kept);
    QTemporaryDir dir;
    const char *times[] = {"2025-07-01T12:00:00Z", "2026-06-01T12:00:00Z", "2024-12-01T12:00:00Z",
                           "2026-03-01T12:00:00Z"};
    for (const char *t : times) {
        const Backup b = makeBackup(RadioKind::S, Operation::Read, sRadioBlocks(), t);
        const QString name = QString::fromLatin1(t).left(10) + QStringLiteral(".t880bak");
        QVERIFY(writeFile(dir.filePath(name), backup::serialize(b)));
    }
    backup::prune(dir.path(), {maxAgeDays, maxCount}, utc("2026-06-02T00:00:00Z"));
    QStringList left;
    for (const backup::Entry &e : backup::list(dir.path()))
        left << e.backup.time.toString(Qt::ISODate).left(10);
    QCOMPARE(left, kept);
    // The file a store names is kept even past both limits.
    backup::prune(dir.path(), {1, 1}, utc("2030-01-01T00:00:00Z"),
                  dir.filePath(kept.last() + QStringLiteral(".t880bak")));
    QCOMPARE(listing(dir.path()), QStringList{kept.last() + QStringLiteral(".t880bak")});
}

void TestBackups::productionRecord_data()
{
    QTest::addColumn<int>("maxAgeDays");
    QTest::addColumn<QStringList>("kept"); // the old lines' dates
    // Lines of 2025-06-01, 2025-12-01 and 2026-01-02; the new one is of
    // 2026-12-09: this year's lines stay whatever the limit.
    QTest::newRow("a month") << 30 << QStringList{"2026-01-02"};
    QTest::newRow("four hundred days") << 400 << QStringList{"2025-12-01", "2026-01-02"};
    QTest::newRow("ten years") << 3650 << QStringList{"2025-06-01", "2025-12-01", "2026-01-02"};
}

// Lines laid out by hand: the header, then a line per write with CRLF ends
// and a field holding a comma quoted.
void TestBackups::productionRecord()
{
    QFETCH(int, maxAgeDays);
    QFETCH(QStringList, kept);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("production.csv"));
    const QByteArray header =
        "time,computer,operation,port,device,radio,file,sha256,result,exit,seconds,backup\r\n";
    const auto old = [](const QString &date) {
        return (date + QStringLiteral("T08:00:00Z,pc,write,1,/dev/ttyUSB0,S,/a.Kzx,ab,SUCCESS,0,"
                                      "12.5,/b.t880bak\r\n"))
            .toUtf8();
    };
    QVERIFY(writeFile(file, header + old(QStringLiteral("2025-06-01")) +
                                old(QStringLiteral("2025-12-01")) +
                                old(QStringLiteral("2026-01-02"))));
    production::Line line;
    line.time = utc("2026-12-09T12:00:00Z");
    line.computer = QStringLiteral("pc");
    line.operation = QStringLiteral("restore");
    line.port = QStringLiteral("COM3");
    line.device = QStringLiteral("\\\\.\\COM3");
    line.file = QStringLiteral("C:/radios/a,b.t880bak");
    line.sha256 = QStringLiteral("00ff");
    line.result = QStringLiteral("Verify failed");
    line.exitCode = 8;
    line.seconds = 31.04;
    QVERIFY(production::append(file, line, maxAgeDays).ok());
    QByteArray expected = header;
    for (const QString &date : kept)
        expected += old(date);
    expected += "2026-12-09T12:00:00Z,pc,restore,COM3,\\\\.\\COM3,,\"C:/radios/a,b.t880bak\",00ff,"
                "Verify failed,8,31.0,\r\n";
    QCOMPARE(readFile(file), expected);
    const production::Loaded loaded = production::load(file);
    QCOMPARE(int(loaded.lines.size()), kept.size() + 1);
    QCOMPARE(loaded.lines.back().file, line.file);
    QCOMPARE(loaded.lines.back().exitCode, 8);
}

// A file that is no record is not taken for one, and lines that are no
// record lines are passed over, not read as writes.
void TestBackups::productionRecordRefused()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("production.csv"));
    QVERIFY(writeFile(file, "CH,RX Freq.\r\n1,446.00625\r\n"));
    QVERIFY(!production::load(file).result.ok());
    production::Line line;
    line.time = utc("2026-12-09T12:00:00Z");
    QVERIFY(writeFile(file,
                      "time,computer,operation,port,device,radio,file,sha256,result,exit,seconds,"
                      "backup\r\nyesterday,pc,write,1,,,,,SUCCESS,0,1.0,\r\n"
                      "2026-12-01T00:00:00Z,pc,write,1,,,,,SUCCESS,zero,1.0,\r\n"));
    const production::Loaded loaded = production::load(file);
    QVERIFY(loaded.result.ok());
    QCOMPARE(int(loaded.lines.size()), 0);
    QCOMPARE(loaded.skipped, 2);
    // A folder where the record goes: the append says so and writes nothing.
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder.csv")));
    QCOMPARE(production::append(dir.filePath(QStringLiteral("folder.csv")), line, 365).error,
             FileError::IsFolder);
}

void TestBackups::journalNotes_data()
{
    QTest::addColumn<QByteArray>("note"); // %PID% stands for this process's number
    QTest::addColumn<int>("listed");
    QTest::addColumn<int>("unfinished");
    const QByteArray fields = "\"port\": \"COM3\", \"device\": \"/dev/ttyUSB0\", \"operation\": "
                              "\"write\", \"backup\": \"/b.t880bak\", \"time\": "
                              "\"2026-03-04T05:06:07.000Z\", ";
    QTest::newRow("a program that ended")
        << "{" + fields + "\"pid\": 999999999, \"processStart\": \"7\"}" << 1 << 1;
    QTest::newRow("its number now another program's")
        << "{" + fields + "\"pid\": %PID%, \"processStart\": \"not this one\"}" << 1 << 1;
    QTest::newRow("no process number") << "{" + fields + "\"processStart\": \"7\"}" << 0 << 0;
    QTest::newRow("an unknown operation")
        << QByteArray("{\"operation\": \"erase\", \"time\": \"2026-03-04T05:06:07.000Z\", "
                      "\"pid\": 5}")
        << 0 << 0;
    QTest::newRow("no JSON") << QByteArray("port=COM3") << 0 << 0;
}

// Notes of writes in other programs: those whose program is gone are
// unfinished; a file that is no note is passed over. A note this program
// makes is of a write that still runs.
void TestBackups::journalNotes()
{
    QFETCH(QByteArray, note);
    QFETCH(int, listed);
    QFETCH(int, unfinished);
    QTemporaryDir dir;
    note.replace("%PID%", QByteArray::number(QCoreApplication::applicationPid()));
    QVERIFY(writeFile(dir.filePath(QStringLiteral("other.json")), note));
    QCOMPARE(int(journal::list(dir.path()).size()), listed);
    QCOMPARE(int(journal::unfinished(dir.path()).size()), unfinished);

    journal::Entry running;
    running.port = QStringLiteral("COM4");
    running.operation = backup::Operation::Restore;
    QVERIFY(journal::open(dir.path(), running).ok());
    QCOMPARE(int(journal::list(dir.path()).size()), listed + 1);
    QCOMPARE(int(journal::unfinished(dir.path()).size()), unfinished);
    journal::close(running);
    QCOMPARE(int(journal::list(dir.path()).size()), listed);
}

void TestBackups::journalPorts_data()
{
    QTest::addColumn<QString>("given");
    QTest::addColumn<QString>("device");
    QTest::addColumn<bool>("same");
    // The note: port "radio" (a link to "pts"), device "pts".
    QTest::newRow("the same name") << "radio"
                                   << "" << true;
    QTest::newRow("a number leading to the device") << "1"
                                                    << "pts" << true;
    QTest::newRow("another link to the device") << "other"
                                                << "link" << true;
    QTest::newRow("another device") << "2"
                                    << "elsewhere" << false;
    QTest::newRow("nothing known") << "3"
                                   << "" << false;
}

// The port of a note is the one the user names again, by its name or by
// the device it leads to; a successful write of the same area there ends
// the note, one of the other area does not.
void TestBackups::journalPorts()
{
    QFETCH(QString, given);
    QFETCH(QString, device);
    QFETCH(bool, same);
    QTemporaryDir dir;
    const auto at = [&dir](const QString &name) {
        return name.isEmpty() ? name : dir.filePath(name);
    };
    QVERIFY(writeFile(at(QStringLiteral("pts")), QByteArray()));
    QVERIFY(QFile::link(at(QStringLiteral("pts")), at(QStringLiteral("link"))));
    journal::Entry e;
    e.port = QStringLiteral("radio");
    e.device = at(QStringLiteral("pts"));
    QCOMPARE(journal::samePort(e, given, at(device)), same);

    const QString notes = dir.filePath(QStringLiteral("journal"));
    QDir().mkpath(notes);
    for (const char *area : {"codeplug", "calibration"}) {
        QVERIFY(writeFile(notes + u'/' + QLatin1String(area) + QStringLiteral(".json"),
                          QStringLiteral("{\"port\": \"radio\", \"device\": \"%1\", "
                                         "\"operation\": \"write\", \"area\": \"%2\", "
                                         "\"time\": \"2026-03-04T05:06:07.000Z\", \"pid\": "
                                         "999999999}")
                              .arg(e.device, QLatin1String(area))
                              .toUtf8()));
    }
    QCOMPARE(journal::closeReplaced(notes, given, at(device), false), same ? 1 : 0);
    const std::vector<journal::Entry> left = journal::list(notes);
    QCOMPARE(int(left.size()), same ? 1 : 2);
    QVERIFY(left.front().calibration || !same);
}

void TestBackups::restoreBlocks_data()
{
    QTest::addColumn<Backup>("backup");
    QTest::addColumn<QList<int>>("addresses");
    std::map<int, QByteArray> all = sRadioBlocks();
    for (const auto &e : calibrationBlocks())
        all.insert(e);
    all[0x0100] = QByteArray(16, '\x01');
    QList<int> codeplug;
    for (int a = 0x4000; a <= 0x4160; a += 16)
        codeplug << a;
    codeplug << 0x41D0 << 0x41E0;
    // A write's backup holds the calibration area too; only the codeplug
    // and password areas go back.
    QTest::newRow("codeplug and calibration")
        << makeBackup(RadioKind::S, Operation::Write, all) << codeplug;
    QList<int> calibration;
    for (int a = 0x41F0; a <= 0x4260; a += 16)
        calibration << a;
    QTest::newRow("calibration") << makeBackup(RadioKind::S, Operation::CalibrationRead,
                                               calibrationBlocks())
                                 << calibration;
    QList<int> legacy;
    for (int a = 0x0010; a <= 0x01F0; a += 16)
        legacy << a;
    QTest::newRow("legacy") << makeBackup(RadioKind::Legacy, Operation::Read, legacyBlocks())
                            << legacy;
}

void TestBackups::restoreBlocks()
{
    QFETCH(Backup, backup);
    QFETCH(QList<int>, addresses);
    QList<int> got;
    for (const auto &[address, data] : backup::restoreBlocks(backup)) {
        got << address;
        QCOMPARE(data, backup.blocks.at(address));
    }
    QCOMPARE(got, addresses);
}

void TestBackups::diffLines_data()
{
    QTest::addColumn<QStringList>("edits");
    QTest::addColumn<QStringList>("lines");
    // Before: channels 2 (446.00625 MHz) and 5 (446.00625 MHz) as New makes
    // them, TOT 180 s.
    QTest::newRow("nothing") << QStringList{} << QStringList{};
    QTest::newRow("transmit frequency")
        << QStringList{"tx5"} << QStringList{"CH05 TX Freq. 446.00625 -> 446.01875"};
    QTest::newRow("TOT") << QStringList{"tot"} << QStringList{"TOT(S) 180 -> 60"};
    QTest::newRow("power and scan")
        << QStringList{"low2", "noscan2"}
        << QStringList{"CH02 TX Power High -> Low", "CH02 SCN ADD -> DEL"};
    QTest::newRow("channel taken out of use") << QStringList{"drop5"}
                                              << QStringList{"CH05 RX Freq. 446.00625 -> -",
                                                             "CH05 TX Freq. 446.00625 -> -",
                                                             "CH05 QT/DQT Dec Off -> -",
                                                             "CH05 QT/DQT Enc Off -> -",
                                                             "CH05 TX Power High -> -",
                                                             "CH05 Bandwidth Wide -> -",
                                                             "CH05 SCN ADD -> -",
                                                             "CH05 Busy Inhibit OFF -> -",
                                                             "CH05 Squelch Mode Carrier -> -",
                                                             "CH05 DTMF 0 -> -"};
    QTest::newRow("channel name, in GBK")
        << QStringList{"name2"} << QStringList{QString::fromUtf8("CH02 Name - -> 中继")};
    QTest::newRow("address book entry")
        << QStringList{"ab3"} << QStringList{"AB03 Address Book - -> 12345", "AB03 Name - -> BASE"};
    QTest::newRow("a setting the window has no control for")
        << QStringList{"dtmfId"} << QStringList{"ID 1 -> 7"};
}

void TestBackups::diffLines()
{
    QFETCH(QStringList, edits);
    QFETCH(QStringList, lines);
    CodeplugData before;
    before.applyNewDefaults();
    before.enterChannelFrequency(2, 446006250);
    before.enterChannelFrequency(5, 446006250);
    CodeplugData after = before;
    for (const QString &e : edits) {
        if (e == QLatin1String("tx5")) {
            ChannelRecord r = after.channel(5);
            r.setTxFreq(446018750);
            after.setChannel(5, r);
        } else if (e == QLatin1String("tot")) {
            after.setSetting(Setting::tot, 60);
        } else if (e == QLatin1String("low2") || e == QLatin1String("noscan2")) {
            ChannelRecord r = after.channel(2);
            if (e == QLatin1String("low2"))
                r.setHighPower(false);
            else
                r.setScanAdd(false);
            after.setChannel(2, r);
        } else if (e == QLatin1String("drop5")) {
            after.setChannelUsed(5, false);
        } else if (e == QLatin1String("name2")) {
            ChannelRecord r = after.channel(2);
            r.setName(QByteArray("\xD6\xD0\xBC\xCC")); // 中继 in GBK
            after.setChannel(2, r);
        } else if (e == QLatin1String("ab3")) {
            AddressBookEntry entry;
            QVERIFY(entry.setNumber("12345"));
            entry.setName("BASE");
            after.setAddressBookEntry(3, entry);
            after.setAddressBookEntryUsed(3, true);
        } else if (e == QLatin1String("dtmfId")) {
            after.setSetting(Setting::dtmfId, 7);
        }
    }
    text::TAppLang lang;
    lang.fSetLangType(text::Language::English);
    QStringList got;
    for (const DiffEntry &d : diffCodeplugs(before, after))
        got << diffLine(d, lang);
    QCOMPARE(got, lines);
}

// The same entries in the window's other languages.
void TestBackups::diffInChinese()
{
    CodeplugData before;
    before.applyNewDefaults();
    CodeplugData after = before;
    after.setSetting(Setting::tot, 60);
    const std::vector<DiffEntry> d = diffCodeplugs(before, after);
    QCOMPARE(int(d.size()), 1);
    text::TAppLang lang;
    lang.fSetLangType(text::Language::Simplified);
    QCOMPARE(diffLine(d[0], lang), QString::fromUtf8("发射限时(秒) 180 -> 60"));
}

// The window's two switches in its configuration file: written only once
// they differ from their default, the limits never.
void TestBackups::safetyFlagsSaved_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("backup");
    QTest::addColumn<bool>("verify");
    QTest::addColumn<QByteArray>("present");
    QTest::addColumn<QByteArray>("absent");
    const QByteArray head("[config]\nPort=1\n");
    // Left on, the flags add nothing to a file that never had them.
    QTest::newRow("both on, no keys")
        << head << true << true << QByteArray("[config]") << QByteArray("[t880]");
    QTest::newRow("backup switched off")
        << head << false << true << QByteArray("[t880]\nBackupBeforeWrite=0\n")
        << QByteArray("VerifyAfterWrite");
    QTest::newRow("verify switched off")
        << head << true << false << QByteArray("[t880]\nVerifyAfterWrite=0\n")
        << QByteArray("BackupBeforeWrite");
    // Once in the file, a key follows the setting back on.
    QTest::newRow("switched on again") << head + "[t880]\nVerifyAfterWrite=0\n"
                                       << true << true << QByteArray("[t880]\nVerifyAfterWrite=1\n")
                                       << QByteArray("BackupBeforeWrite");
    // The limits are the user's: never written, and kept as they were.
    QTest::newRow("limits left alone")
        << head + "[backup]\nMaxCount=abc\n"
        << true << true << QByteArray("[backup]\nMaxCount=abc\n") << QByteArray("MaxAgeDays");
}

void TestBackups::safetyFlagsSaved()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, backup);
    QFETCH(bool, verify);
    QFETCH(QByteArray, present);
    QFETCH(QByteArray, absent);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("_config.ini"));
    QVERIFY(writeFile(path, text));
    AppConfig c = loadConfig(path).config;
    c.backupBeforeWrite = backup;
    c.verifyAfterWrite = verify;
    QVERIFY(saveConfig(path, c).ok());
    const QByteArray saved = readFile(path);
    QVERIFY2(saved.contains(present), saved.constData());
    QVERIFY2(!saved.contains(absent), saved.constData());
    const AppConfig again = loadConfig(path).config;
    QCOMPARE(again.backupBeforeWrite, backup);
    QCOMPARE(again.verifyAfterWrite, verify);
}

QTEST_GUILESS_MAIN(TestBackups)
#include "tst_backups.moc"
