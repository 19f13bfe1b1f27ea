// The virtual radio: its protocol state machine fed in every kind of split,
// and `t880 emulate` driven over a real pseudo-terminal. Every expected byte
// is worked out by hand from the frame table and the memory layouts: the
// factory calibration from the default record (points 400/440/480 MHz at 63,
// squelch 126/112/107, battery 146/141, deviations 50/65/53, CTCSS 14, DCS 13,
// microphone 20/9, thresholds 58/46/25/32, both detectors on).
//
// This file: the state machine; tst_virtualradio_emulator.cpp the emulator.
#include "tst_virtualradio.h"

using namespace t880::testing;
using t880::link::VirtualRadio;
using namespace virtualradiotest;

namespace {

QByteArray patched(QByteArray memory, const QString &patch)
{
    for (const auto &[address, data] : regions(patch))
        memory.replace(address, data.size(), data);
    return memory;
}

// "" means every byte at once; otherwise the chunk sizes, used in turn.
QList<VirtualRadio::Exchange> feedInChunks(VirtualRadio &radio, const QByteArray &stream,
                                           const QList<int> &chunks)
{
    QList<VirtualRadio::Exchange> all;
    if (chunks.isEmpty())
        return radio.feed(stream);
    int pos = 0;
    for (int i = 0; pos < stream.size(); ++i) {
        const int n = chunks[i % chunks.size()];
        all += radio.feed(stream.mid(pos, n));
        pos += n;
    }
    return all;
}

const QList<QPair<QString, QList<int>>> &splits()
{
    static const QList<QPair<QString, QList<int>>> s = {
        {QStringLiteral("whole"), {}},
        {QStringLiteral("bytes"), {1}},
        {QStringLiteral("uneven"), {3, 1, 4, 1, 5, 9, 2, 6}},
        {QStringLiteral("pairs"), {2}},
    };
    return s;
}

const VirtualRadio::StatusReply kTestStatus{0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC};

} // namespace

void TestVirtualRadio::protocol_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("setup");        // memory patch over the factory memory
    QTest::addColumn<QString>("stream");       // what the host sends
    QTest::addColumn<QStringList>("expected"); // "request > reply" per frame
    QTest::addColumn<QString>("memoryAfter");
    QTest::addColumn<QList<int>>("chunks");

    struct Row
    {
        const char *name;
        const char *kind;
        QString setup;
        QString stream;
        QStringList expected;
        QString memoryAfter;
    };
    const QString connect = QStringLiteral("'PROGRAM'");
    const QString legacyData = QStringLiteral("01 23 45 67 89 AB CD EF 10 32 54 76 98 BA DC FE");
    // clang-format off
    const QList<Row> rows = {
        {"connect S", "S", {}, connect, {connect + " > 53"}, {}},
        {"connect Y", "Y", {}, connect, {connect + " > 59"}, {}},
        {"connect legacy", "legacy", {}, connect, {connect + " > 06"}, {}},
        {"legacy handshake, reads and acknowledges", "legacy", "0010: " + legacyData,
         connect + " 02 06 52 00 10 10 06 52 00 20 10 06 45",
         {connect + " > 06", "02 > 50 33 32 30 37 33 F8 FF", "06 > 06",
          "52 00 10 10 > 57 00 10 10 " + legacyData, "06 > 06",
          "52 00 20 10 > 57 00 20 10 FF*16", "06 > 06", "45 > "}, {}},
        {"legacy write", "legacy", {}, connect + " 02 06 57 01 F0 03 0A 0B 0C 52 01 EF 05",
         {connect + " > 06", "02 > 50 33 32 30 37 33 F8 FF", "06 > 06",
          "57 01 F0 03 0A 0B 0C > 06", "52 01 EF 05 > 57 01 EF 05 FF 0A 0B 0C FF"},
         "01F0: 0A 0B 0C"},
        {"factory calibration of an S radio", "S", {},
         connect + " 52 41 F0 10 52 42 00 10 52 42 10 10 52 42 20 10 52 42 30 10 52 42 40 10",
         {connect + " > 53", QStringLiteral("52 41 F0 10 > 57 41 F0 10 ") + kCal41F0,
          QStringLiteral("52 42 00 10 > 57 42 00 10 ") + kCal4200,
          QStringLiteral("52 42 10 10 > 57 42 10 10 ") + kCal4210,
          QStringLiteral("52 42 20 10 > 57 42 20 10 ") + kCal4220,
          QStringLiteral("52 42 30 10 > 57 42 30 10 ") + kCal4230S,
          QStringLiteral("52 42 40 10 > 57 42 40 10 ") + kCal4240}, {}},
        {"factory calibration of a Y radio", "Y", {}, connect + " 52 42 30 10 52 42 50 10 52 42 60 10",
         {connect + " > 59", QStringLiteral("52 42 30 10 > 57 42 30 10 ") + kCal4230Y,
          "52 42 50 10 > 57 42 50 10 00*16", "52 42 60 10 > 57 42 60 10 00*16"}, {}},
        {"codeplug area of a new radio is empty", "S", {}, connect + " 52 40 00 10 52 41 D0 10",
         {connect + " > 53", "52 40 00 10 > 57 40 00 10 00*16",
          "52 41 D0 10 > 57 41 D0 10 00*16"}, {}},
        {"write, then read across it", "S", {}, connect + " 57 40 10 04 AA BB CC DD 52 40 0E 08",
         {connect + " > 53", "57 40 10 04 AA BB CC DD > 06",
          "52 40 0E 08 > 57 40 0E 08 00 00 AA BB CC DD 00 00"}, "4010: AA BB CC DD"},
        {"16-byte write", "Y", {},
         connect + " 57 41 60 10 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F",
         {connect + " > 59", "57 41 60 10 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F > 06"},
         "4160: 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F; 4170: 00"},
        {"write and read at the top of memory", "S", {},
         connect + " 57 FF FC 04 01 02 03 04 52 FF F0 10",
         {connect + " > 53", "57 FF FC 04 01 02 03 04 > 06",
          "52 FF F0 10 > 57 FF F0 10 00*12 01 02 03 04"}, "FFFC: 01 02 03 04"},
        {"read past the top is no request", "S", {}, connect + " 52 FF F8 10 52 FF F0 10",
         {connect + " > 53", "52 FF F0 10 > 57 FF F0 10 00*16"}, {}},
        {"short read", "S", "4100: 5A A5 C3", connect + " 52 41 00 02 52 41 01 01",
         {connect + " > 53", "52 41 00 02 > 57 41 00 02 5A A5", "52 41 01 01 > 57 41 01 01 A5"}, {}},
        {"status without a session", "Y", {}, "'YR'", {"'YR' > 12 34 56 78 9A BC"}, {}},
        {"status inside a session, repeated", "S", {}, connect + " 'YR' 'YR'",
         {connect + " > 53", "'YR' > 12 34 56 78 9A BC", "'YR' > 12 34 56 78 9A BC"}, {}},
        {"an older radio knows no status", "legacy", {}, "'YR' " + connect, {connect + " > 06"}, {}},
        {"repeated read is answered again", "S", "4020: 11 22 33 44",
         connect + " 52 40 20 04 52 40 20 04",
         {connect + " > 53", "52 40 20 04 > 57 40 20 04 11 22 33 44",
          "52 40 20 04 > 57 40 20 04 11 22 33 44"}, {}},
        {"repeated write is stored and acknowledged again", "S", {},
         connect + " 57 40 30 02 77 88 57 40 30 02 77 88",
         {connect + " > 53", "57 40 30 02 77 88 > 06", "57 40 30 02 77 88 > 06"}, "4030: 77 88"},
        {"noise before the connect request", "S", {}, "00 FF 'PRO' 58 " + connect,
         {connect + " > 53"}, {}},
        {"noise inside a session", "S", "4000: 5A A5", connect + " 00 02 06 13 FE 52 40 00 02",
         {connect + " > 53", "52 40 00 02 > 57 40 00 02 5A A5"}, {}},
        {"reads need a session", "S", "4000: 42", "52 40 00 10 " + connect + " 52 40 00 01",
         {connect + " > 53", "52 40 00 01 > 57 40 00 01 42"}, {}},
        {"end byte closes the session", "S", {},
         connect + " 45 52 40 00 10 57 40 00 01 77 " + connect + " 52 40 00 01",
         {connect + " > 53", "45 > ", connect + " > 53", "52 40 00 01 > 57 40 00 01 00"},
         "4000: 00"},
        {"connect request starts over", "legacy", {}, connect + " 02 " + connect + " 02 06",
         {connect + " > 06", "02 > 50 33 32 30 37 33 F8 FF", connect + " > 06",
          "02 > 50 33 32 30 37 33 F8 FF", "06 > 06"}, {}},
        {"one transfer after another", "S", {},
         connect + " 57 40 00 01 99 45 " + connect + " 52 40 00 01 45",
         {connect + " > 53", "57 40 00 01 99 > 06", "45 > ", connect + " > 53",
          "52 40 00 01 > 57 40 00 01 99", "45 > "}, "4000: 99"},
    };
    // clang-format on
    for (const Row &r : rows) {
        for (const auto &[splitName, chunks] : splits()) {
            QTest::addRow("%s, %s", r.name, qPrintable(splitName))
                << QString::fromLatin1(r.kind) << r.setup << r.stream << r.expected << r.memoryAfter
                << chunks;
        }
    }
}

void TestVirtualRadio::protocol()
{
    QFETCH(QString, kind);
    QFETCH(QString, setup);
    QFETCH(QString, stream);
    QFETCH(QStringList, expected);
    QFETCH(QString, memoryAfter);
    QFETCH(QList<int>, chunks);

    const Kind k = kindFrom(kind);
    VirtualRadio radio = setup.isEmpty()
                             ? VirtualRadio(k)
                             : VirtualRadio(k, patched(VirtualRadio::factoryMemory(k), setup));
    radio.setStatusReply(kTestStatus);
    const QList<VirtualRadio::Exchange> got = feedInChunks(radio, bytes(stream), chunks);

    QStringList gotText;
    for (const auto &e : got)
        gotText << hex(e.request) + QStringLiteral(" > ") + hex(e.reply);
    QStringList wantText;
    for (const QString &line : expected) {
        const int sep = line.indexOf(QLatin1String(" > "));
        wantText << hex(bytes(line.left(sep))) + QStringLiteral(" > ") +
                        hex(bytes(line.mid(sep + 3)));
    }
    QCOMPARE(gotText, wantText);
    for (int i = 0; i < got.size(); ++i)
        QCOMPARE(got[i].number, quint64(i + 1));
    QCOMPARE(radio.requestCount(), quint64(got.size()));
    QVERIFY(!radio.hasPartialFrame());
    for (const auto &[address, data] : regions(memoryAfter))
        QCOMPARE(hex(radio.memory().mid(address, data.size())), hex(data));
}

void TestVirtualRadio::endByteReportsUnsavedWrites_data()
{
    QTest::addColumn<QString>("stream");
    QTest::addColumn<QList<bool>>("wrote"); // one per end byte taken

    const QString c = QStringLiteral("'PROGRAM' ");
    const QString read = QStringLiteral("52 40 00 10 ");
    const QString write = QStringLiteral("57 40 00 01 AB ");
    QTest::newRow("read only") << c + read + "45" << QList<bool>{false};
    QTest::newRow("write") << c + write + "45" << QList<bool>{true};
    QTest::newRow("write, then a read-only transfer")
        << c + write + "45 " + c + read + "45" << QList<bool>{true, false};
    QTest::newRow("writes of a transfer cut short count at the next end")
        << c + write + c + read + "45" << QList<bool>{true};
    QTest::newRow("end byte outside a session is no frame")
        << "45 " + c + "45" << QList<bool>{false};
    QTest::newRow("handshake only") << c + "45" << QList<bool>{false};
}

void TestVirtualRadio::endByteReportsUnsavedWrites()
{
    QFETCH(QString, stream);
    QFETCH(QList<bool>, wrote);

    for (const auto &[splitName, chunks] : splits()) {
        VirtualRadio radio(Kind::S);
        QList<bool> got;
        for (const auto &e : feedInChunks(radio, bytes(stream), chunks)) {
            QCOMPARE(e.sessionEnded, e.request == QByteArray("E"));
            if (e.sessionEnded)
                got << e.wrote;
        }
        QCOMPARE(got, wrote);
        QVERIFY(!radio.inSession());
    }
}

void TestVirtualRadio::quietLineForgetsPartialFrame_data()
{
    QTest::addColumn<QString>("before"); // sent, then the line falls quiet
    QTest::addColumn<QString>("after");
    QTest::addColumn<QStringList>("expected");

    const QString c = QStringLiteral("'PROGRAM'");
    QTest::newRow("half a write") << c + " 57 40 00 10 01 02" << c + " 52 40 00 02"
                                  << QStringList{"53", "53", "57 40 00 02 00 00"};
    QTest::newRow("half a read header")
        << c + " 52 40" << c + " 52 40 00 01" << QStringList{"53", "53", "57 40 00 01 00"};
    QTest::newRow("half a connect request") << "'PROG'"
                                            << "'RAM' " + c << QStringList{"53"};
    QTest::newRow("half a status request") << "'Y'"
                                           << "'R' 'YR'" << QStringList{"12 34 56 78 9A BC"};
}

void TestVirtualRadio::quietLineForgetsPartialFrame()
{
    QFETCH(QString, before);
    QFETCH(QString, after);
    QFETCH(QStringList, expected);

    VirtualRadio radio(Kind::S);
    radio.setStatusReply(kTestStatus);
    QList<VirtualRadio::Exchange> got = radio.feed(bytes(before));
    QVERIFY(radio.hasPartialFrame());
    radio.discardPartialFrame();
    QVERIFY(!radio.hasPartialFrame());
    got += radio.feed(bytes(after));
    QStringList replies;
    for (const auto &e : got)
        replies << hex(e.reply);
    QStringList want;
    for (const QString &w : expected)
        want << hex(bytes(w));
    QCOMPARE(replies, want);
}

void TestVirtualRadio::memoryDump_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("dump");
    QTest::addColumn<QString>("expected"); // regions of the resulting memory

    QTest::newRow("short dump, S: the rest is factory memory")
        << "S"
        << "01 02 03" << QStringLiteral("0000: 01 02 03 00; 41F0: ") + kCal41F0;
    QTest::newRow("short dump, legacy: the rest is 0xFF") << "legacy"
                                                          << "01 02 03"
                                                          << "0000: 01 02 03 FF; 0010: FF*16";
    QTest::newRow("empty dump") << "Y"
                                << "" << QStringLiteral("0000: 00*16; 4230: ") + kCal4230Y;
    QTest::newRow("dump over the calibration area") << "S"
                                                    << "00*16880 AA BB"
                                                    << "41F0: AA BB 3F 00 00";
}

void TestVirtualRadio::memoryDump()
{
    QFETCH(QString, kind);
    QFETCH(QString, dump);
    QFETCH(QString, expected);

    const VirtualRadio radio(kindFrom(kind), bytes(dump));
    QCOMPARE(radio.memory().size(), VirtualRadio::MemorySize);
    for (const auto &[address, data] : regions(expected))
        QCOMPARE(hex(radio.memory().mid(address, data.size())), hex(data));
}

void TestVirtualRadio::password_data()
{
    QTest::addColumn<QByteArray>("password");
    QTest::addColumn<int>("lengthByte");
    QTest::addColumn<QByteArray>("accepted");
    QTest::addColumn<QByteArray>("refused");

    QTest::newRow("four characters")
        << QByteArray("abcd") << 4 << QByteArray("abcd") << QByteArray("abce");
    QTest::newRow("twelve characters") << QByteArray("Twelve-chars") << 12
                                       << QByteArray("Twelve-chars") << QByteArray("twelve-chars");
    QTest::newRow("longer ones are cut to twelve")
        << QByteArray("0123456789ABCDEF") << 12 << QByteArray("0123456789AB")
        << QByteArray("0123456789ABC");
    QTest::newRow("empty: no password")
        << QByteArray() << 0 << QByteArray("anything") << QByteArray();
}

void TestVirtualRadio::password()
{
    QFETCH(QByteArray, password);
    QFETCH(int, lengthByte);
    QFETCH(QByteArray, accepted);
    QFETCH(QByteArray, refused);

    VirtualRadio radio(Kind::S);
    int counter = 0;
    radio.setPassword(password, [&counter] { return std::uint8_t(0x31 + 7 * counter++); });
    // The block must be where a host reads it: 16 bytes at 0x41D0, with the
    // second password block 0x41E0 and the calibration after it untouched.
    const auto got = radio.feed(bytes("'PROGRAM' 52 41 D0 10 52 41 E0 10 52 41 F0 10"));
    QCOMPARE(got.size(), 4);
    const QByteArray block = got[1].reply.mid(4);
    QCOMPARE(block.size(), 16);
    QCOMPARE(int(std::uint8_t(block[0])), lengthByte);
    int sum = 0;
    for (int i = 0; i < 15; ++i)
        sum += std::uint8_t(block[i]);
    QCOMPARE(int(std::uint8_t(block[15])), sum & 0xFF);
    const auto *raw = reinterpret_cast<const std::uint8_t *>(block.constData());
    QVERIFY(t880::checkPasswordBlock(raw, accepted));
    if (!refused.isEmpty())
        QVERIFY(!t880::checkPasswordBlock(raw, refused));
    QCOMPARE(hex(got[2].reply), hex(bytes("57 41 E0 10 00*16")));
    QCOMPARE(hex(got[3].reply), hex(bytes(QStringLiteral("57 41 F0 10 ") + kCal41F0)));
}

// The virtual radio keeps its own copy of where its areas lie, so that it
// stays the independent side of every end-to-end test; the two must agree.
void TestVirtualRadio::areasMatchTheMemoryMap()
{
    namespace map = t880::memorymap;
    QCOMPARE(VirtualRadio::PasswordAddress, map::Password.first);
    QCOMPARE(VirtualRadio::PasswordAddress, map::PasswordBlock.first);
    QCOMPARE(VirtualRadio::CalibrationAddress, map::Calibration.first);
    QCOMPARE(VirtualRadio::CalibrationSize, map::Calibration.size());
    QVERIFY(map::Legacy.end <= VirtualRadio::MemorySize);
    QVERIFY(map::Calibration.end <= VirtualRadio::MemorySize);
}

QTEST_GUILESS_MAIN(TestVirtualRadio)
#include "moc_tst_virtualradio.cpp"
