// The codeplug file: the 2943-byte block, nothing else; short files refused;
// a save never destroys the file it replaces.
#include "codeplug/codeplugfile.h"
#include "link/programstate.h"

#include "testsupport.h"
#include "tst_blockhelpers.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>
#endif

using namespace t880;
using namespace t880::testing;

namespace {

CodeplugData fromBytes(const QByteArray &bytes)
{
    CodeplugData d;
    d.replaceLeading(bytes);
    return d;
}

bool runningAsRoot()
{
#ifdef Q_OS_UNIX
    return ::geteuid() == 0;
#else
    return false;
#endif
}

// A New codeplug with channel 5 entered, named and then deleted.
QByteArray blockWithDeletedChannel()
{
    ProgramState s;
    s.codeplug.enterChannelFrequency(5, 438500000);
    ChannelRecord r = s.codeplug.channel(5);
    r.setName("GONE");
    s.codeplug.setChannel(5, r);
    s.codeplug.setChannelUsed(5, false);
    return s.codeplug.toByteArray();
}

} // namespace

class TestCodeplugFile : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip_data();
    void roundTrip();
    void deletedChannelSurvivesUntilNew();
    void newFileBytes();
    void loadRefusesShortFile_data();
    void loadRefusesShortFile();
    void loadTakesLeadingBlock_data();
    void loadTakesLeadingBlock();
    void loadMissingFile();
    void saveFailure_data();
    void saveFailure();
    void saveReplacesWithoutLeftovers();
    void failedSaveKeepsOldFile_readOnlyDir();
    void failedSaveKeepsOldFile_writeError();
    void withDefaultSuffix_data();
    void withDefaultSuffix();
};

void TestCodeplugFile::roundTrip_data()
{
    QTest::addColumn<QByteArray>("block");
    QTest::newRow("ramp pattern in every byte") << blocktest::rampBlock();
    QTest::newRow("all 0xFF") << QByteArray(blocktest::BlockSize, '\xFF');
    QTest::newRow("all zero") << QByteArray(blocktest::BlockSize, '\0');
    QTest::newRow("New defaults") << blocktest::expectedNewBlock();
    QTest::newRow("deleted channel record") << blockWithDeletedChannel();
}

// Save writes the block verbatim; load into a different model restores it.
void TestCodeplugFile::roundTrip()
{
    QFETCH(QByteArray, block);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("round.Kzx"));

    const CodeplugData saved = fromBytes(block);
    const FileResult w = codeplugfile::save(path, saved);
    QVERIFY2(w.ok(), qPrintable(w.detail));
    QCOMPARE(describeDiff(readFile(path), block), QString());

    CodeplugData loaded = fromBytes(QByteArray(blocktest::BlockSize, '\x5A'));
    const FileResult r = codeplugfile::load(path, loaded);
    QVERIFY2(r.ok(), qPrintable(r.detail));
    QCOMPARE(describeDiff(loaded.toByteArray(), block), QString());
}

// Channel 5 (record at 0x554 + 5 * 72 = 0x6BC) deleted: its bytes go into the
// file and come back; a later New clears them.
void TestCodeplugFile::deletedChannelSurvivesUntilNew()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("deleted.Kzx"));
    QVERIFY(codeplugfile::save(path, fromBytes(blockWithDeletedChannel())).ok());

    const QByteArray file = readFile(path);
    QCOMPARE(file.mid(0x6BC, 4).toHex(' '), QByteArray("a0 fa 22 1a"));
    QCOMPARE(file.mid(0x6BC + 61, 6), QByteArray("GONE\0\0", 6));
    QCOMPARE(quint8(file[0xB5F]) & 0x20, 0);

    ProgramState state;
    QVERIFY(codeplugfile::load(path, state.codeplug).ok());
    QVERIFY(!state.codeplug.isChannelUsed(5));
    QCOMPARE(state.codeplug.channel(5).rxFreq(), 438500000u);
    QCOMPARE(state.codeplug.channel(5).name(), QByteArray("GONE"));
    state.applyNewDefaults();
    QCOMPARE(state.codeplug.channel(5).rxFreq(), 0u);
    QCOMPARE(state.codeplug.channel(5).name(), QByteArray());
}

void TestCodeplugFile::newFileBytes()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("new.Kzx"));
    const ProgramState state;
    QVERIFY(codeplugfile::save(path, state.codeplug).ok());
    const QByteArray file = readFile(path);
    QCOMPARE(file.size(), 2943);
    QCOMPARE(quint8(file[0xABF]), quint8(5));                     // sql
    QCOMPARE(file.mid(0xAD2, 2).toHex(' '), QByteArray("b4 00")); // tot 180
    QCOMPARE(describeDiff(file, blocktest::expectedNewBlock()), QString());
}

void TestCodeplugFile::loadRefusesShortFile_data()
{
    QTest::addColumn<int>("size");
    QTest::newRow("empty") << 0;
    QTest::newRow("1 byte") << 1;
    QTest::newRow("half") << 1471;
    QTest::newRow("2942 bytes, one short") << 2942;
}

void TestCodeplugFile::loadRefusesShortFile()
{
    QFETCH(int, size);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("short.Kzx"));
    QVERIFY(writeFile(path, QByteArray(size, '\x11')));

    const QByteArray before = blocktest::rampBlock();
    CodeplugData d = fromBytes(before);
    const FileResult r = codeplugfile::load(path, d);
    QVERIFY(!r.ok());
    QCOMPARE(int(r.error), int(FileError::TooShort));
    QCOMPARE(describeDiff(d.toByteArray(), before), QString());
    QVERIFY(!describeFileResult(r, path, CodeplugData::Size).isEmpty());
}

void TestCodeplugFile::loadTakesLeadingBlock_data()
{
    QTest::addColumn<int>("size");
    QTest::newRow("exactly 2943 bytes") << 2943;
    QTest::newRow("2944 bytes") << 2944;
    QTest::newRow("3000 bytes") << 3000;
}

void TestCodeplugFile::loadTakesLeadingBlock()
{
    QFETCH(int, size);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("long.Kzx"));
    const QByteArray content = blocktest::rampBlock(size);
    QVERIFY(writeFile(path, content));

    CodeplugData d;
    const FileResult r = codeplugfile::load(path, d);
    QVERIFY2(r.ok(), qPrintable(r.detail));
    QCOMPARE(describeDiff(d.toByteArray(), content.left(2943)), QString());
}

void TestCodeplugFile::loadMissingFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QByteArray before = blocktest::rampBlock();
    CodeplugData d = fromBytes(before);
    const FileResult r = codeplugfile::load(dir.filePath(QStringLiteral("absent.Kzx")), d);
    QVERIFY(!r.ok());
    QCOMPARE(describeDiff(d.toByteArray(), before), QString());
    const FileResult onDir = codeplugfile::load(dir.path(), d);
    QVERIFY(!onDir.ok());
    QCOMPARE(describeDiff(d.toByteArray(), before), QString());
}

void TestCodeplugFile::saveFailure_data()
{
    QTest::addColumn<QString>("target"); // relative to a fresh temporary folder
    QTest::newRow("folder does not exist") << "missing/sub/radio.Kzx";
    QTest::newRow("target is a folder") << "folder.Kzx";
}

void TestCodeplugFile::saveFailure()
{
    QFETCH(QString, target);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder.Kzx")));
    QVERIFY(writeFile(dir.filePath(QStringLiteral("folder.Kzx/inside")), "keep"));
    const QStringList before = listing(dir.path());

    const FileResult r = codeplugfile::save(dir.filePath(target), ProgramState().codeplug);
    QVERIFY(!r.ok());
    QVERIFY(!describeFileResult(r, target, CodeplugData::Size).isEmpty());
    QCOMPARE(listing(dir.path()), before);
    QVERIFY(QFileInfo(dir.filePath(QStringLiteral("folder.Kzx"))).isDir());
    QCOMPARE(readFile(dir.filePath(QStringLiteral("folder.Kzx/inside"))), QByteArray("keep"));
}

// A successful save over an existing file replaces its content and leaves no
// temporary file beside it.
void TestCodeplugFile::saveReplacesWithoutLeftovers()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("radio.Kzx"));
    QVERIFY(codeplugfile::save(path, fromBytes(blocktest::rampBlock())).ok());
    QCOMPARE(listing(dir.path()), QStringList{QStringLiteral("radio.Kzx")});

    QVERIFY(writeFile(path, QByteArray(5000, 'x')));
    QVERIFY(codeplugfile::save(path, ProgramState().codeplug).ok());
    QCOMPARE(listing(dir.path()), QStringList{QStringLiteral("radio.Kzx")});
    QCOMPARE(describeDiff(readFile(path), blocktest::expectedNewBlock()), QString());
}

void TestCodeplugFile::failedSaveKeepsOldFile_readOnlyDir()
{
#ifndef Q_OS_UNIX
    QSKIP("needs POSIX permissions");
#else
    if (runningAsRoot())
        QSKIP("root writes into read-only folders; see failedSaveKeepsOldFile_writeError");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString sub = dir.filePath(QStringLiteral("ro"));
    QVERIFY(QDir().mkdir(sub));
    const QString path = sub + QStringLiteral("/radio.Kzx");
    const QByteArray old = blocktest::rampBlock();
    QVERIFY(writeFile(path, old));
    QVERIFY(QFile::setPermissions(sub, QFileDevice::ReadOwner | QFileDevice::ExeOwner));

    const FileResult r = codeplugfile::save(path, ProgramState().codeplug);
    QFile::setPermissions(sub,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QVERIFY(!r.ok());
    QCOMPARE(describeDiff(readFile(path), old), QString());
    QCOMPARE(listing(sub), QStringList{QStringLiteral("radio.Kzx")});
#endif
}

// The write itself fails (file size limit, which binds root too): the old file
// stays as it was and no temporary file is left.
void TestCodeplugFile::failedSaveKeepsOldFile_writeError()
{
#ifndef Q_OS_LINUX
    QSKIP("needs RLIMIT_FSIZE");
#else
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("radio.Kzx"));
    const QByteArray old = blocktest::rampBlock();
    QVERIFY(writeFile(path, old));

    struct rlimit saved
    {
    };
    QCOMPARE(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 1000;
    QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const FileResult r = codeplugfile::save(path, ProgramState().codeplug);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    QVERIFY(!r.ok());
    QCOMPARE(int(r.error), int(FileError::CannotWrite));
    QCOMPARE(describeDiff(readFile(path), old), QString());
    QCOMPARE(listing(dir.path()), QStringList{QStringLiteral("radio.Kzx")});
#endif
}

void TestCodeplugFile::withDefaultSuffix_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("result");
    QTest::newRow("bare name gets .Kzx") << "radio"
                                         << "radio.Kzx";
    QTest::newRow(".Kzx kept") << "radio.Kzx"
                               << "radio.Kzx";
    QTest::newRow("lower-case .kzx kept") << "radio.kzx"
                                          << "radio.kzx";
    QTest::newRow("other extension kept") << "radio.bin"
                                          << "radio.bin";
    QTest::newRow("absolute path") << "/tmp/codeplugs/radio"
                                   << "/tmp/codeplugs/radio.Kzx";
    QTest::newRow("point in a folder name only") << "my.files/radio"
                                                 << "my.files/radio.Kzx";
    QTest::newRow("extension kept below a plain folder") << "files/radio.Kzx"
                                                         << "files/radio.Kzx";
}

void TestCodeplugFile::withDefaultSuffix()
{
    QFETCH(QString, path);
    QFETCH(QString, result);
    QCOMPARE(t880::withDefaultSuffix(path, codeplugfile::Suffix), result);
}

QTEST_GUILESS_MAIN(TestCodeplugFile)
#include "tst_codeplugfile.moc"
