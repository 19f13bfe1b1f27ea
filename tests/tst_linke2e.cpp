// End to end: the t880 verbs talk to the virtual radio over a real
// pseudo-terminal. Memory contents and expected bytes are worked out by hand
// from the radio's memory layout.
#include "radioprocess.h"
#include "safetylayout.h"
#include "testsupport.h"

#include "codeplug/codeplugdata.h"
#include "codeplug/codeplugfile.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSerialPort>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

using namespace t880;
using namespace t880::testing;

namespace {

// A current radio's memory: calibration points 420 MHz (80/20/5) and
// 460 MHz (100/40/9), squelch offsets 1..9.
QByteArray currentMemory()
{
    QByteArray mem(0x10000, '\0');
    put(mem, 0x41F0, bytesOf({0x01, 0xA4, 80, 20, 5, 0x01, 0xCC, 100, 40, 9}));
    put(mem, 0x41F0 + 0x5F, bytesOf({1, 2, 3, 4, 5, 6, 7, 8, 9}));
    return mem;
}

// Channel 1: 438.5 MHz both ways, decode 88.5 Hz, encode D023N, high power,
// wide, in the scan list. Channel 3: 145 MHz receive only, busy lock, low,
// narrow. Settings as listed in readCurrent().
QByteArray memoryWithChannels(bool y)
{
    QByteArray mem = currentMemory();
    const QByteArray f438 = y ? bytesOf({0x35, 0x87, 0x20}) : bytesOf({0x6B, 0x0E, 0x40});
    const QByteArray chip885 = y ? bytesOf({0x16, 0xA7}) : bytesOf({0x22, 0x92});
    put(mem, 0x4000,
        f438 + f438 + bytesOf({0x03, 0x75}) + chip885 +
            bytesOf({0x00, 0x64, 0x0E, 0x37, 0x09, 0x30, 0, 0, 0}));
    const QByteArray f145 = y ? bytesOf({0x11, 0xB3, 0x40}) : bytesOf({0x23, 0x66, 0x80});
    put(mem, 0x4000 + 2 * 19, f145 + QByteArray(12, '\0') + bytesOf({0x08}));
    put(mem, 0x4150, bytesOf({0x07, 0xE9, 6,    15,   10, 30, 0x00, 0x3C, 3, 0,    1, 0x00, 0xC8,
                              7,    2,    0x00, 0x01, 0,  4,  0x05, 0xDC, 0, 0x0A, 8, 25}));
    return mem;
}

QJsonObject showJson(const QString &path)
{
    const CliResult r = runCli({QStringLiteral("show"), path, QStringLiteral("--json")});
    return QJsonDocument::fromJson(r.out).object();
}

} // namespace

class TestLinkEndToEnd : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }

    // Starts a radio on a fresh link; the memory dump is written first.
    bool startRadio(VirtualRadioProcess &radio, const QString &variant, const QByteArray &memory,
                    const QStringList &extra = {})
    {
        QStringList args{QStringLiteral("--variant"), variant};
        if (!memory.isEmpty()) {
            if (!writeFile(path(QStringLiteral("memory.bin")), memory))
                return false;
            args << QStringLiteral("--memory") << path(QStringLiteral("memory.bin"));
        }
        return radio.start(path(QStringLiteral("radio")), args + extra);
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void readCurrent_data()
    {
        QTest::addColumn<QString>("variant");
        QTest::newRow("S radio") << QStringLiteral("S");
        QTest::newRow("Y radio") << QStringLiteral("Y");
    }

    void readCurrent()
    {
        QFETCH(QString, variant);
        VirtualRadioProcess radio;
        QVERIFY(startRadio(radio, variant, memoryWithChannels(variant == QLatin1String("Y"))));
        const QString out = path(QStringLiteral("read.Kzx"));
        QFile::remove(out);
        const CliResult r = runCli({QStringLiteral("read"), QStringLiteral("--port"),
                                    path(QStringLiteral("radio")), QStringLiteral("-o"), out});
        QVERIFY2(r.exitCode == 0, r.err.constData());
        QVERIFY(r.out.contains("SUCCESS"));

        const QJsonObject j = showJson(out);
        const QJsonArray ch = j.value(QStringLiteral("channels")).toArray();
        const QJsonObject c1 = ch.at(0).toObject();
        QCOMPARE(c1.value(QStringLiteral("used")).toBool(), true);
        QCOMPARE(c1.value(QStringLiteral("rxFreq")).toInteger(), 438500000);
        QCOMPARE(c1.value(QStringLiteral("txFreq")).toInteger(), 438500000);
        QCOMPARE(
            c1.value(QStringLiteral("rxTone")).toObject().value(QStringLiteral("text")).toString(),
            QStringLiteral("88.5"));
        QCOMPARE(
            c1.value(QStringLiteral("txTone")).toObject().value(QStringLiteral("text")).toString(),
            QStringLiteral("D023N"));
        QCOMPARE(c1.value(QStringLiteral("highPower")).toBool(), true);
        QCOMPARE(c1.value(QStringLiteral("wide")).toBool(), true);
        QCOMPARE(c1.value(QStringLiteral("scanAdd")).toBool(), true);
        QCOMPARE(ch.at(1).toObject().value(QStringLiteral("used")).toBool(), false);
        const QJsonObject c3 = ch.at(2).toObject();
        QCOMPARE(c3.value(QStringLiteral("used")).toBool(), true);
        QCOMPARE(c3.value(QStringLiteral("rxFreq")).toInteger(), 145000000);
        QCOMPARE(c3.value(QStringLiteral("txFreq")).toInteger(), 0);
        QCOMPARE(c3.value(QStringLiteral("busyLock")).toInt(), 2);
        QCOMPARE(c3.value(QStringLiteral("highPower")).toBool(), false);
        QCOMPARE(c3.value(QStringLiteral("scanAdd")).toBool(), false);
        const struct
        {
            const char *key;
            int value;
        } settings[] = {{"tot", 60},
                        {"toa", 3},
                        {"keyPressBeep", 0},
                        {"batterySave", 1},
                        {"batterySaveRate", 1},
                        {"sql", 7},
                        {"voice", 2},
                        {"voxGain", 4},
                        {"voxDelay", 1500},
                        {"key1Short", 8},
                        {"key2Short", 25}};
        for (const auto &s : settings)
            QCOMPARE(j.value(QLatin1String(s.key)).toInt(), s.value);
    }

    void writeCurrent_data()
    {
        QTest::addColumn<QString>("variant");
        QTest::addColumn<QByteArray>("channel2");
        QTest::addColumn<QByteArray>("channel5");
        // Channel 2: 446.00625 MHz, encode D754N, high power; calibration
        // 80 + 26*20/40 = 93, tune 5 + 26*4/40 = 7, squelch slot 4 -> 5.
        // Channel 5: 470 MHz low power above the last point: 40, tune 9,
        // squelch slot 6 -> 7.
        QTest::newRow("S radio") << QStringLiteral("S")
                                 << bytesOf({0x6C, 0xE3, 0x64, 0x6C, 0xE3, 0x64, 0, 0, 0, 0, 0x00,
                                             0x1B, 0xCF, 0x82, 0x08, 0x30, 93, 7, 5})
                                 << bytesOf({0x72, 0xBF, 0x00, 0x72, 0xBF, 0x00, 0, 0, 0, 0, 0, 0,
                                             0, 0, 0x00, 0x10, 40, 9, 7});
        QTest::newRow("Y radio") << QStringLiteral("Y")
                                 << bytesOf({0x36, 0x71, 0xB2, 0x36, 0x71, 0xB2, 0, 0, 0, 0, 0x00,
                                             0x1B, 0xCF, 0x82, 0x08, 0x30, 93, 7, 5})
                                 << bytesOf({0x39, 0x5F, 0x80, 0x39, 0x5F, 0x80, 0, 0, 0, 0, 0, 0,
                                             0, 0, 0x00, 0x10, 40, 9, 7});
    }

    void writeCurrent()
    {
        QFETCH(QString, variant);
        QFETCH(QByteArray, channel2);
        QFETCH(QByteArray, channel5);
        const QString file = path(QStringLiteral("write.Kzx"));
        QVERIFY(codeplugfile::save(file, codeplugForWrite()).ok());
        VirtualRadioProcess radio;
        const QByteArray before = currentMemory();
        QVERIFY(startRadio(radio, variant, before));
        const CliResult r = runCli({QStringLiteral("write"), QStringLiteral("--port"),
                                    path(QStringLiteral("radio")), file});
        QVERIFY2(r.exitCode == 0, r.err.constData());
        radio.stop();
        const QByteArray mem = readFile(path(QStringLiteral("memory.bin")));
        QCOMPARE(mem.size(), 0x10000);
        QCOMPARE(mem.mid(0x4000 + 19, 19).toHex(' '), channel2.toHex(' '));
        QCOMPARE(mem.mid(0x4000 + 4 * 19, 19).toHex(' '), channel5.toHex(' '));
        QCOMPARE(mem.mid(0x4000, 19), QByteArray(19, '\0'));
        // Settings of a new codeplug, scan mask channels 2 and 5.
        QCOMPARE(mem.mid(0x4156, 19).toHex(' '),
                 QByteArray("00 b4 05 01 01 02 58 05 01 00 12 00 00 07 d0 00 0a 18 03"));
        // The calibration area is read, never written, by a codeplug write.
        QCOMPARE(mem.mid(0x41F0, 128), before.mid(0x41F0, 128));
        // The password block is left alone unless asked for.
        QCOMPARE(mem.mid(0x41D0, 16), before.mid(0x41D0, 16));
    }

    void legacyReadAndWrite()
    {
        QByteArray mem(0x10000, char(0xFF));
        put(mem, 0x0010,
            bytesOf({0x00, 0x00, 0x85, 0x43, 0x00, 0x00, 0x85, 0x43, 0x75, 0x03, 0x13, 0x28, 0x02,
                     0xB0, 0x11, 0x22}));
        put(mem, 0x011D, bytesOf({4, 8}));
        put(mem, 0x012F, bytesOf({1, 0x28, 2}));
        put(mem, 0x0134, bytesOf({4, 0, 1}));
        put(mem, 0x017E, bytesOf({0x01, 0x00}));
        VirtualRadioProcess radio;
        QVERIFY(startRadio(radio, QStringLiteral("legacy"), mem));
        const QString out = path(QStringLiteral("legacy.Kzx"));
        CliResult r = runCli({QStringLiteral("read"), QStringLiteral("--port"),
                              path(QStringLiteral("radio")), QStringLiteral("-o"), out});
        QVERIFY2(r.exitCode == 0, r.err.constData());
        const QJsonObject j = showJson(out);
        const QJsonObject c1 = j.value(QStringLiteral("channels")).toArray().at(0).toObject();
        QCOMPARE(c1.value(QStringLiteral("rxFreq")).toInteger(), 438500000);
        QCOMPARE(
            c1.value(QStringLiteral("rxTone")).toObject().value(QStringLiteral("text")).toString(),
            QStringLiteral("88.5"));
        QCOMPARE(
            c1.value(QStringLiteral("txTone")).toObject().value(QStringLiteral("text")).toString(),
            QStringLiteral("D023N"));
        QCOMPARE(c1.value(QStringLiteral("squelchMode")).toInt(), 2);
        QCOMPARE(c1.value(QStringLiteral("spare1")).toInt(), 0x11);
        QCOMPARE(c1.value(QStringLiteral("scanAdd")).toBool(), true);
        QCOMPARE(j.value(QStringLiteral("tot")).toInt(), 600);
        QCOMPARE(j.value(QStringLiteral("key1Short")).toInt(), 2);
        QCOMPARE(j.value(QStringLiteral("key2Short")).toInt(), 25);
        QCOMPARE(j.value(QStringLiteral("sql")).toInt(), 4);

        // Write back a new channel 1 at 145.5 MHz with 88.5 Hz decode.
        CodeplugData cp;
        cp.applyNewDefaults();
        cp.enterChannelFrequency(1, 145500000);
        ChannelRecord ch = cp.channel(1);
        ch.setRxTone({1, 885});
        cp.setChannel(1, ch);
        const QString file = path(QStringLiteral("legacy-write.Kzx"));
        QVERIFY(codeplugfile::save(file, cp).ok());
        r = runCli({QStringLiteral("write"), QStringLiteral("--port"),
                    path(QStringLiteral("radio")), file});
        QVERIFY2(r.exitCode == 0, r.err.constData());
        radio.stop();
        const QByteArray after = readFile(path(QStringLiteral("memory.bin")));
        QCOMPARE(after.mid(0x0010, 16).toHex(' '),
                 QByteArray("00 00 55 14 00 00 55 14 75 03 ff ff 00 b0 00 00"));
        QCOMPARE(after.mid(0x0020, 16), QByteArray(16, char(0xFF)));
        QCOMPARE(after.mid(0x011D, 2).toHex(' '), QByteArray("02 05"));
        QCOMPARE(after.mid(0x0130, 2).toHex(' '), QByteArray("0c 05"));
        QCOMPARE(after.mid(0x017E, 2).toHex(' '), QByteArray("01 00"));
        QCOMPARE(after.mid(0x0000, 16), QByteArray(16, char(0xFF)));
    }

    void calibrationReadAndWrite()
    {
        VirtualRadioProcess radio;
        QVERIFY(startRadio(radio, QStringLiteral("S"), currentMemory()));
        const QString cal = path(QStringLiteral("radio.kzxa"));
        CliResult r = runCli({QStringLiteral("calibration"), QStringLiteral("read"),
                              QStringLiteral("--port"), path(QStringLiteral("radio")), cal});
        QVERIFY2(r.exitCode == 0, r.err.constData());
        const QJsonObject j = showJson(cal);
        QCOMPARE(j.value(QStringLiteral("eFreq_0")).toInt(), 420);
        QCOMPARE(j.value(QStringLiteral("eFreq_0_H")).toInt(), 80);
        QCOMPARE(j.value(QStringLiteral("eFreq_0_L")).toInt(), 20);
        QCOMPARE(j.value(QStringLiteral("eFreq_1")).toInt(), 460);
        QCOMPARE(j.value(QStringLiteral("udSQ_offset_8")).toInt(), 9);

        // Writing the factory defaults sends the default calibration area.
        const QString defaults = path(QStringLiteral("defaults.kzxa"));
        QFile::remove(defaults);
        QCOMPARE(runCli({QStringLiteral("new"), defaults}).exitCode, 0);
        r = runCli({QStringLiteral("calibration"), QStringLiteral("write"),
                    QStringLiteral("--port"), path(QStringLiteral("radio")), defaults});
        QVERIFY2(r.exitCode == 0, r.err.constData());
        radio.stop();
        const QByteArray mem = readFile(path(QStringLiteral("memory.bin")));
        QCOMPARE(mem.mid(0x41F0, 15).toHex(' '),
                 QByteArray("01 90 3f 00 00 01 b8 3f 00 00 01 e0 3f 00 00"));
        QCOMPARE(mem.mid(0x41F0 + 0x19, 10).toHex(' '),
                 QByteArray("00 0b 0e 12 15 19 1a 1b 1c 1e"));
        QCOMPARE(mem.mid(0x41F0 + 0x51, 2).toHex(' '), QByteArray("1d 39"));
    }

    void status()
    {
        VirtualRadioProcess radio;
        QVERIFY(startRadio(radio, QStringLiteral("S"), QByteArray()));
        const CliResult r = runCli(
            {QStringLiteral("status"), QStringLiteral("--port"), path(QStringLiteral("radio"))});
        QVERIFY2(r.exitCode == 0, r.err.constData());
        QVERIFY(r.out.contains("SUCCESS"));
        QVERIFY(r.out.contains("sCurBatt:"));
    }

    void passwords()
    {
        VirtualRadioProcess radio;
        QVERIFY(startRadio(radio, QStringLiteral("S"), QByteArray(),
                           {QStringLiteral("--password"), QStringLiteral("abcd")}));
        const QString port = path(QStringLiteral("radio"));
        const QString out = path(QStringLiteral("pw.Kzx"));
        QFile::remove(out);
        const auto read = [&](const QString &password) {
            QStringList args{QStringLiteral("read"), QStringLiteral("--port"), port,
                             QStringLiteral("-o"), out};
            if (!password.isNull())
                args << QStringLiteral("--password") << password;
            return runCli(args);
        };
        CliResult r = read(QString());
        QCOMPARE(r.exitCode, 4);
        QVERIFY(r.err.contains("Password Error"));
        QVERIFY(!QFile::exists(out));
        QCOMPARE(read(QStringLiteral("abc")).exitCode, 4);
        QCOMPARE(read(QStringLiteral("abcD")).exitCode, 4);
        QCOMPARE(read(QStringLiteral("abcd")).exitCode, 0);

        r = runCli({QStringLiteral("set-password"), QStringLiteral("--port"), port,
                    QStringLiteral("--password"), QStringLiteral("abcd"),
                    QStringLiteral("wxyz12")});
        QVERIFY2(r.exitCode == 0, r.err.constData());
        QCOMPARE(read(QStringLiteral("abcd")).exitCode, 4);
        QCOMPARE(read(QStringLiteral("wxyz12")).exitCode, 0);
        // An empty new password leaves the radio without one.
        r = runCli({QStringLiteral("set-password"), QStringLiteral("--port"), port,
                    QStringLiteral("--password"), QStringLiteral("wxyz12"), QString()});
        QVERIFY2(r.exitCode == 0, r.err.constData());
        QCOMPARE(read(QString()).exitCode, 0);
    }

    void faults_data()
    {
        QTest::addColumn<QStringList>("faults");
        QTest::addColumn<QList<int>>("allowedExits");
        QTest::newRow("replies in pieces")
            << QStringList{QStringLiteral("--split")} << QList<int>{0};
        QTest::newRow("slow replies")
            << QStringList{QStringLiteral("--reply-delay"), QStringLiteral("40")} << QList<int>{0};
        QTest::newRow("silent after 6 requests")
            << QStringList{QStringLiteral("--silent-after"), QStringLiteral("6")} << QList<int>{3};
        QTest::newRow("dropped bytes")
            << QStringList{QStringLiteral("--drop-rate"), QStringLiteral("0.01"),
                           QStringLiteral("--seed"), QStringLiteral("7")}
            << QList<int>{0, 3};
        QTest::newRow("corrupted bytes")
            << QStringList{QStringLiteral("--corrupt-rate"), QStringLiteral("0.01"),
                           QStringLiteral("--seed"), QStringLiteral("11")}
            << QList<int>{0, 3};
    }

    void faults()
    {
        QFETCH(QStringList, faults);
        QFETCH(QList<int>, allowedExits);
        VirtualRadioProcess radio;
        QVERIFY(startRadio(radio, QStringLiteral("S"), memoryWithChannels(false), faults));
        const QString out = path(QStringLiteral("fault.Kzx"));
        QFile::remove(out);
        const CliResult r = runCli({QStringLiteral("read"), QStringLiteral("--port"),
                                    path(QStringLiteral("radio")), QStringLiteral("-o"), out},
                                   QString(), 90000);
        QVERIFY2(r.finished, "the transfer must end by itself");
        QVERIFY2(allowedExits.contains(r.exitCode), r.err.constData());
        // A failed read leaves no file behind; a good one leaves a whole one.
        QCOMPARE(QFile::exists(out), r.exitCode == 0);
        if (r.exitCode == 3)
            QVERIFY(r.err.contains("Communication False"));
    }

    // A port the user may not open: the message says how to get access.
    void permissionDenied()
    {
        const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
        if (geteuid() != 0 || setpriv.isEmpty())
            QSKIP("needs root and setpriv to run the host as an unprivileged user");
        VirtualRadioProcess radio;
        QVERIFY(startRadio(radio, QStringLiteral("S"), QByteArray()));
        QProcess host;
        host.start(setpriv, {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                             QStringLiteral("--clear-groups"), QStringLiteral(T880_CLI_PATH),
                             QStringLiteral("status"), QStringLiteral("--port"),
                             path(QStringLiteral("radio"))});
        QVERIFY(host.waitForFinished(30000));
        const QByteArray err = host.readAllStandardError();
        if (host.exitCode() == 126 || host.exitCode() == 127)
            QSKIP("the build folder is not open to an unprivileged user");
        QCOMPARE(host.exitCode(), 6);
        QVERIFY(err.contains("Communication False"));
        QVERIFY(err.contains("permission denied"));
        QVERIFY(err.contains("dialout"));
    }

    // A port another program holds is busy, not forbidden.
    void portInUse()
    {
        VirtualRadioProcess radio;
        QVERIFY(startRadio(radio, QStringLiteral("S"), QByteArray()));
        QSerialPort holder;
        holder.setPortName(path(QStringLiteral("radio")));
        QVERIFY(holder.open(QIODevice::ReadWrite));
        const CliResult r =
            runCli({QStringLiteral("read"), QStringLiteral("--port"), path(QStringLiteral("radio")),
                    QStringLiteral("-o"), path(QStringLiteral("busy.Kzx"))});
        QCOMPARE(r.exitCode, 6);
        QVERIFY2(r.err.contains("in use by another program"), r.err.constData());
        QVERIFY(!r.err.contains("dialout"));
        QVERIFY(!QFile::exists(path(QStringLiteral("busy.Kzx"))));
    }

    void missingPort()
    {
        const CliResult r = runCli({QStringLiteral("read"), QStringLiteral("--port"),
                                    path(QStringLiteral("no-such-radio")), QStringLiteral("-o"),
                                    path(QStringLiteral("x.Kzx"))});
        QCOMPARE(r.exitCode, 6);
        QVERIFY(r.err.contains("Communication False"));
        QVERIFY(r.err.contains("no-such-radio"));
    }
};

QTEST_GUILESS_MAIN(TestLinkEndToEnd)
#include "tst_linke2e.moc"
