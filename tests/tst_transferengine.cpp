// The programming transfer engine against a scripted radio on a virtual
// clock: the exact bytes of every operation, the data that reach the model
// and the radio, and the failures and recoveries of the line protocol.
//
// Expected frames are written out from the frame table of the protocol
// (read request 52 hi lo 10, write request 57 hi lo 10 + 16 bytes, end 45);
// expected memory contents are worked out by hand from the layouts.
#include "enginesim.h"

#include "codeplug/passwordblock.h"

#include <QtTest>

#include <initializer_list>

using namespace enginesim;
using t880::ChannelRecord;
using t880::Setting;
using t880::TextField;
using t880::Tone;

namespace {

// --- frames ------------------------------------------------------------------

QByteArray bytesOf(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out.append(char(v & 0xFF));
    return out;
}

const QByteArray kProgram = bytesOf({0x50, 0x52, 0x4F, 0x47, 0x52, 0x41, 0x4D});
const QByteArray kIdentify = bytesOf({0x02});
const QByteArray kAck = bytesOf({0x06});
const QByteArray kEnd = bytesOf({0x45});
const QByteArray kStatus = bytesOf({0x59, 0x52});
const QByteArray kIdentification = bytesOf({0x50, 0x33, 0x32, 0x30, 0x37, 0x33, 0xF8, 0xFF});

QByteArray rd(int address)
{
    return bytesOf({0x52, address >> 8, address & 0xFF, 0x10});
}
QByteArray wrHeader(int address)
{
    return bytesOf({0x57, address >> 8, address & 0xFF, 0x10});
}
QByteArray wr(int address, const QByteArray &data)
{
    return wrHeader(address) + data;
}
QByteArray readReply(int address, int length, const QByteArray &data)
{
    return bytesOf({0x57, address >> 8, address & 0xFF, length}) + data;
}

/// One expected frame; a header-only frame is a write whose 16 data bytes
/// are checked elsewhere.
struct Expected
{
    QByteArray bytes;
    bool headerOnly = false;
};

struct Frames
{
    std::vector<Expected> list;
    Frames &operator<<(const QByteArray &b)
    {
        list.push_back({b, false});
        return *this;
    }
    Frames &operator<<(const Frames &more)
    {
        list.insert(list.end(), more.list.begin(), more.list.end());
        return *this;
    }
    Frames &writeOf(int address)
    {
        list.push_back({wrHeader(address), true});
        return *this;
    }
};

QString describe(const QByteArray &frame)
{
    return QString::fromLatin1(hex(frame.left(8))) +
           (frame.size() > 8 ? QStringLiteral(" ...(%1 bytes)").arg(frame.size()) : QString());
}

/// Empty when \a actual matches, else where it first differs.
QString compareFrames(const std::vector<QByteArray> &actual, const Frames &expected)
{
    const std::size_t n = std::min(actual.size(), expected.list.size());
    for (std::size_t i = 0; i < n; ++i) {
        const Expected &e = expected.list[i];
        const bool same = e.headerOnly ? (actual[i].size() == 20 && actual[i].startsWith(e.bytes))
                                       : actual[i] == e.bytes;
        if (!same)
            return QStringLiteral("frame %1: sent %2, expected %3%4")
                .arg(i)
                .arg(describe(actual[i]), describe(e.bytes),
                     e.headerOnly ? QStringLiteral(" + 16") : QString());
    }
    if (actual.size() != expected.list.size())
        return QStringLiteral("%1 frames sent, %2 expected; first extra/missing: %3")
            .arg(actual.size())
            .arg(expected.list.size())
            .arg(actual.size() > n ? describe(actual[n]) : describe(expected.list[n].bytes));
    return {};
}

// --- the radios' memory ----------------------------------------------------------

std::uint8_t pattern(int address)
{
    return std::uint8_t((address * 13 + (address >> 8) * 7 + 5) & 0xFF);
}

/// What the standard radio holds: a pattern everywhere, no channel record in
/// use (first bytes alternate 0x00 and 0xFF), no password (0x00 at 0x41D0).
std::uint8_t standardByte(int address)
{
    const int channelOffset = address - 0x4000;
    if (channelOffset >= 0 && channelOffset < 16 * 19 && channelOffset % 19 == 0)
        return (channelOffset / 19) % 2 ? 0xFF : 0x00;
    if (address == 0x41D0)
        return 0x00;
    return pattern(address);
}

QByteArray standardBytes(int address, int length)
{
    QByteArray out;
    for (int i = 0; i < length; ++i)
        out.append(char(standardByte(address + i)));
    return out;
}

void fillStandard(Radio &r)
{
    for (int a = 0x0000; a < 0x0200; ++a)
        r.memory[std::size_t(a)] = standardByte(a);
    for (int a = 0x4000; a < 0x4270; ++a)
        r.memory[std::size_t(a)] = standardByte(a);
    r.status = {0x7B, 0x40, 0x22, 0xA4, 0x00, 0x80};
}

void putAt(QByteArray &image, int offset, std::initializer_list<int> values)
{
    for (int v : values)
        image[offset++] = char(v);
}

/// Radio addresses 0x4000..0x416F of a new codeplug written on the fixed date
/// 2024-03-15 10:42: no channel in use, the default settings.
QByteArray newCodeplugImage()
{
    QByteArray img(0x170, '\0');
    putAt(img, 0x150, {0x07, 0xE8, 0x03, 0x0F, 0x0A, 0x2A});
    putAt(img, 0x156,
          {0x00, 0xB4, 0x05, 0x01, 0x01, 0x02, 0x58, 0x05, 0x01, 0x00, 0x00, 0x00, 0x00, 0x07, 0xD0,
           0x00, 0x0A, 0x18, 0x03});
    return img;
}

/// The legacy image of a new codeplug (addresses 0x0000..0x01FF).
QByteArray newLegacyImage()
{
    QByteArray img(0x200, char(0xFF));
    img[0x11D] = char(2);  // key 1: Radio
    img[0x11E] = char(5);  // key 2: Monitor Momentary
    img[0x12F] = char(1);  // voice
    img[0x130] = char(12); // 180 s / 15
    img[0x131] = char(5);  // toa
    img[0x134] = char(5);  // sql
    img[0x135] = char(1);  // battery save
    img[0x136] = char(1);  // key beep
    img[0x17E] = 0;
    img[0x17F] = 0;
    return img;
}

/// The calibration area made from the default calibration record.
QByteArray defaultCalibrationBlock(bool variant)
{
    QByteArray b(128, '\0');
    putAt(b, 0x00, {0x01, 0x90, 63, 0, 0, 0x01, 0xB8, 63, 0, 0, 0x01, 0xE0, 63, 0, 0});
    putAt(b, 0x19, {0, 11, 14, 18, 21, 25, 26, 27, 28, 30});
    putAt(b, 0x23, {0, 9, 12, 16, 19, 23, 24, 25, 26, 28});
    b[0x37] = char(146);
    b[0x42] = char(141);
    if (variant)
        putAt(b, 0x44, {50, 0, 65, 0, 53, 0});
    else
        putAt(b, 0x44, {0x00, 50, 0x00, 65, 0x00, 53});
    putAt(b, 0x4A, {14, 13, 0x00});
    putAt(b, 0x4D,
          {0x00, 20, 0x09, 0x00, 0x1D, 0x39, 0x00, 0x00, 0x17, 0x2C, 0x0C, 0x98, 0x10, 0x1E, 0x04,
           0x00, 0x00, 0x20});
    return b;
}

/// Calibration points 400/440/460/480/500 MHz (high, low, tune) and squelch
/// offsets F0..F8, as the radio's calibration area holds them.
QByteArray handCalibrationPoints()
{
    return bytesOf({0x01, 0x90, 40,   20,   10,  0x01, 0xB8, 80,   50,   30,  0x01, 0xCC, 90,
                    60,   40,   0x01, 0xE0, 100, 70,   50,   0x01, 0xF4, 110, 80,   60});
}
QByteArray handSquelchOffsets()
{
    return bytesOf({0xF0, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF7, 0xF8});
}

// --- the expected course of each operation ------------------------------------------

Frames currentHandshake()
{
    return Frames() << kProgram << rd(0x41D0) << rd(0x41E0);
}
Frames legacyHandshake()
{
    return Frames() << kProgram << kIdentify << kAck;
}

/// The frames of an undisturbed transfer with the standard radio and a new
/// codeplug, worked out from the block lists of each operation.
Frames standardFrames(OpCode op, ReadMode mode, int connect, bool newPassword = false)
{
    Frames f;
    const bool legacy = connect == 0x06;
    const bool variant = connect == 'Y';
    if (op == OpCode::Status)
        return f << kStatus;
    if (legacy) {
        f << legacyHandshake();
        if (mode == ReadMode::Read) {
            for (int a = 0x0010; a <= 0x01F0; a += 16)
                f << rd(a) << kAck;
        } else {
            const QByteArray img = newLegacyImage();
            for (int a = 0x0010; a <= 0x01F0; a += 16)
                f << wr(a, img.mid(a, 16));
        }
        return f << kEnd;
    }
    f << currentHandshake();
    if (op == OpCode::Codeplug && mode == ReadMode::Read) {
        for (int a = 0x4000; a <= 0x4160; a += 16)
            f << rd(a);
    } else if (op == OpCode::Codeplug) {
        for (int a = 0x41F0; a <= 0x4260; a += 16)
            f << rd(a);
        const QByteArray img = newCodeplugImage();
        for (int a = 0x4000; a <= 0x4160; a += 16)
            f << wr(a, img.mid(a - 0x4000, 16));
        if (newPassword)
            f.writeOf(0x41D0);
    } else if (op == OpCode::Calibration && mode == ReadMode::Read) {
        for (int a = 0x41F0; a <= 0x4260; a += 16)
            f << rd(a);
    } else if (op == OpCode::Calibration) {
        const QByteArray block = defaultCalibrationBlock(variant);
        for (int a = 0x41F0; a <= 0x4260; a += 16)
            f << wr(a, block.mid(a - 0x41F0, 16));
        for (int a = 0x4000; a <= 0x4140; a += 16)
            f << rd(a);
        for (int a = 0x4000; a <= 0x4140; a += 16)
            f << wr(a, standardBytes(a, 16));
    } else if (op == OpCode::Password && mode == ReadMode::Write) {
        f.writeOf(0x41D0);
    } else {
        return f; // no operation: nothing after the password stage, no end byte
    }
    return f << kEnd;
}

const char *outcomeName(Outcome o)
{
    switch (o) {
    case Outcome::Running:
        return "Running";
    case Outcome::Success:
        return "Success";
    case Outcome::CommunicationFalse:
        return "CommunicationFalse";
    case Outcome::PasswordError:
        return "PasswordError";
    case Outcome::OldVersion:
        return "OldVersion";
    case Outcome::Closed:
        return "Closed";
    case Outcome::VerifyFailed:
        return "VerifyFailed";
    case Outcome::BackupFailed:
        return "BackupFailed";
    case Outcome::WrongRadio:
        return "WrongRadio";
    }
    return "?";
}

/// Answers the \a occurrence-th frame starting with \a trigger with \a reply
/// (from then on when \a sticky); every other frame as the radio would.
void tamperWith(Radio &r, const QByteArray &trigger, int occurrence, const Reply &reply,
                bool sticky = false)
{
    auto seen = std::make_shared<int>(0);
    auto hit = std::make_shared<bool>(false);
    r.tamper = [=](int, const QByteArray &frame, Reply &out) {
        if (sticky && *hit) {
            out = reply;
            return;
        }
        if (!frame.startsWith(trigger))
            return;
        if (++*seen == occurrence) {
            *hit = true;
            out = reply;
        }
    };
}

/// Send time of the \a occurrence-th frame starting with \a trigger, or -1.
qint64 sentAt(const Sim &sim, const QByteArray &trigger, int occurrence = 1)
{
    int seen = 0;
    for (const Sim::Event &e : sim.sends())
        if (e.bytes.startsWith(trigger) && ++seen == occurrence)
            return e.at;
    return -1;
}

/// Index among the sent frames of that frame, or -1.
int frameIndex(const Sim &sim, const QByteArray &trigger, int occurrence = 1)
{
    int seen = 0;
    const auto s = sim.sends();
    for (std::size_t i = 0; i < s.size(); ++i)
        if (s[i].bytes.startsWith(trigger) && ++seen == occurrence)
            return int(i);
    return -1;
}

QByteArray imageBytes(const Sim &sim, int offset, int length)
{
    return QByteArray(reinterpret_cast<const char *>(sim.state.image.raw.data()) + offset, length);
}

Frames withDuplicate(const Frames &f, const QByteArray &trigger, int occurrence)
{
    Frames out;
    int seen = 0;
    for (const Expected &e : f.list) {
        out.list.push_back(e);
        if (e.bytes.startsWith(trigger) && ++seen == occurrence)
            out.list.push_back(e);
    }
    return out;
}

} // namespace

Q_DECLARE_METATYPE(OpCode)
Q_DECLARE_METATYPE(ReadMode)
Q_DECLARE_METATYPE(Outcome)
Q_DECLARE_METATYPE(Frames)
Q_DECLARE_METATYPE(Reply)

// Every ending, whatever the test: one finished(), the port closed and every
// timer stopped by then, progress back to 0 before it, nothing sent after.
#define VERIFY_ENDING(sim)                                                                         \
    do {                                                                                           \
        verifyEnding(sim);                                                                         \
        if (QTest::currentTestFailed())                                                            \
            return;                                                                                \
    } while (false)

static void verifyEnding(const Sim &sim)
{
    QVERIFY2(sim.violations.isEmpty(), qPrintable(sim.violations.join(QStringLiteral("; "))));
    QCOMPARE(sim.finishedCount, 1);
    QVERIFY(!sim.engine->isRunning());
    QCOMPARE(outcomeName(sim.engine->outcome()), outcomeName(sim.outcome));
    QVERIFY2(sim.timersStoppedAtFinish, "a timer was still running when the transfer ended");
    QVERIFY2(sim.portClosedAtFinish, "the port was still open when the transfer ended");
    for (const auto &t : sim.timers)
        QVERIFY2(!t.running, "a timer runs after the end");
    QCOMPARE(sim.openPortNo, 0);
    bool ended = false;
    int lastProgress = -1;
    for (const Sim::Event &e : sim.log) {
        if (e.kind == Sim::Kind::Finished) {
            ended = true;
            if (lastProgress >= 0)
                QVERIFY2(lastProgress == 0, "finished() came before the progress went back to 0");
        } else if (e.kind == Sim::Kind::Progress) {
            QVERIFY2(e.value >= 0 && e.value <= 100, qPrintable(QString::number(e.value)));
            lastProgress = e.value;
        } else if (e.kind == Sim::Kind::Send) {
            QVERIFY2(!ended,
                     qPrintable(QStringLiteral("sent after the end: ") + describe(e.bytes)));
        }
    }
}

#define COMPARE_FRAMES(actual, expected)                                                           \
    do {                                                                                           \
        const QString diff_ = compareFrames(actual, expected);                                     \
        QVERIFY2(diff_.isEmpty(), qPrintable(diff_));                                              \
    } while (false)

class TestTransferEngine : public QObject
{
    Q_OBJECT

private slots:
    void requestSequence_data();
    void requestSequence();
    void readReachesModelOnlyOnCompletion_data();
    void readReachesModelOnlyOnCompletion();
    void writeSendsBuiltImage_data();
    void writeSendsBuiltImage();
    void calibrationWriteRecomputesChannels_data();
    void calibrationWriteRecomputesChannels();
    void passwordBlockWritten_data();
    void passwordBlockWritten();
    void portSearch_data();
    void portSearch();
    void protocolErrorEndsAtOnce_data();
    void protocolErrorEndsAtOnce();
    void retransmissionRecovers_data();
    void retransmissionRecovers();
    void silenceEndsAfterFiveSeconds_data();
    void silenceEndsAfterFiveSeconds();
    void repliesInPieces_data();
    void repliesInPieces();
    void replyLengthByte_data();
    void replyLengthByte();
    void passwordCheck_data();
    void passwordCheck();
    void olderRadioRefusesOtherOperations_data();
    void olderRadioRefusesOtherOperations();
    void unknownOperationSendsNothing_data();
    void unknownOperationSendsNothing();
    void closeMidTransfer_data();
    void closeMidTransfer();
    void longRepliesBeforeTheBlocks_data();
    void longRepliesBeforeTheBlocks();
    void progressSteps_data();
    void progressSteps();
    void staleBytesBeforeConnectAreDiscarded_data();
    void staleBytesBeforeConnectAreDiscarded();
    void closeBeforeStart();
    void closeAfterEnd();
    void closeFromWithinHostCall_data();
    void closeFromWithinHostCall();
    void closeWhileEnding_data();
    void closeWhileEnding();
};

// --- the bytes of every operation ---------------------------------------------------

void TestTransferEngine::requestSequence_data()
{
    QTest::addColumn<OpCode>("op");
    QTest::addColumn<ReadMode>("mode");
    QTest::addColumn<int>("connect");
    QTest::addColumn<bool>("newPassword");
    QTest::addColumn<bool>("readyRead");
    QTest::addColumn<Outcome>("outcome");

    const auto R = ReadMode::Read, W = ReadMode::Write;
    struct Row
    {
        const char *name;
        OpCode op;
        ReadMode mode;
        int connect;
        bool pw;
        bool rr;
        Outcome o;
    };
    const Row rows[] = {
        {"read, S radio", OpCode::Codeplug, R, 'S', false, true, Outcome::Success},
        {"read, Y radio", OpCode::Codeplug, R, 'Y', false, true, Outcome::Success},
        {"read, polling only", OpCode::Codeplug, R, 'S', false, false, Outcome::Success},
        {"write", OpCode::Codeplug, W, 'S', false, true, Outcome::Success},
        {"write with new password", OpCode::Codeplug, W, 'S', true, true, Outcome::Success},
        {"write, Y radio, polling only", OpCode::Codeplug, W, 'Y', false, false, Outcome::Success},
        {"read, older radio", OpCode::Codeplug, R, 0x06, false, true, Outcome::Success},
        {"read, older radio, polling only", OpCode::Codeplug, R, 0x06, false, false,
         Outcome::Success},
        {"write, older radio", OpCode::Codeplug, W, 0x06, false, true, Outcome::Success},
        {"write, older radio, new password set", OpCode::Codeplug, W, 0x06, true, true,
         Outcome::Success},
        {"calibration read", OpCode::Calibration, R, 'S', false, true, Outcome::Success},
        {"calibration read, Y radio", OpCode::Calibration, R, 'Y', false, true, Outcome::Success},
        {"calibration write", OpCode::Calibration, W, 'S', false, true, Outcome::Success},
        {"calibration write, Y radio", OpCode::Calibration, W, 'Y', false, false, Outcome::Success},
        {"transceiver status", OpCode::Status, R, 'S', false, true, Outcome::Success},
        {"transceiver status, polling only", OpCode::Status, R, 'S', false, false,
         Outcome::Success},
        {"password write", OpCode::Password, W, 'S', false, true, Outcome::Success},
        {"code 5 read: no operation", OpCode::Password, R, 'S', false, true,
         Outcome::CommunicationFalse},
        {"code 4 read: no operation", OpCode::SerialNumber, R, 'S', false, true,
         Outcome::CommunicationFalse},
        {"code 4 write: no operation", OpCode::SerialNumber, W, 'Y', false, true,
         Outcome::CommunicationFalse},
    };
    for (const Row &r : rows)
        QTest::newRow(r.name) << r.op << r.mode << r.connect << r.pw << r.rr << r.o;
}

void TestTransferEngine::requestSequence()
{
    QFETCH(OpCode, op);
    QFETCH(ReadMode, mode);
    QFETCH(int, connect);
    QFETCH(bool, newPassword);
    QFETCH(bool, readyRead);
    QFETCH(Outcome, outcome);

    Sim sim;
    sim.readyRead = readyRead;
    Radio &radio = sim.radio();
    radio.connectReply = std::uint8_t(connect);
    fillStandard(radio);
    sim.state.codeplug.setSetting(Setting::writeNewPassword, newPassword ? 1 : 0);
    sim.state.radioVariant = true; // from an earlier transfer: Start resets it
    sim.make(op, mode);
    sim.start();

    VERIFY_ENDING(sim);
    COMPARE_FRAMES(sim.frames(), standardFrames(op, mode, connect, newPassword));
    QCOMPARE(outcomeName(sim.outcome), outcomeName(outcome));
    for (const Sim::Event &e : sim.sends())
        QCOMPARE(e.port, 1);

    // What was read sits in the image at the block's offset.
    const bool legacy = connect == 0x06;
    if (op == OpCode::Codeplug && mode == ReadMode::Read && legacy)
        QCOMPARE(hex(imageBytes(sim, 0x010, 0x1F0)), hex(standardBytes(0x0010, 0x1F0)));
    else if (op == OpCode::Codeplug && mode == ReadMode::Read)
        QCOMPARE(hex(imageBytes(sim, 0, 0x170)), hex(standardBytes(0x4000, 0x170)));
    else if (op == OpCode::Calibration && mode == ReadMode::Read)
        QCOMPARE(hex(imageBytes(sim, 0, 0x80)), hex(standardBytes(0x41F0, 0x80)));
    else if (op == OpCode::Status)
        QCOMPARE(hex(imageBytes(sim, 0, 6)), hex(bytesOf({0x7B, 0x40, 0x22, 0xA4, 0x00, 0x80})));
    QCOMPARE(sim.state.radioVariant, op != OpCode::Status && connect == 'Y');

    if (outcome != Outcome::Success)
        return;
    // The progress only grows, reaches 100 before the end byte and falls to
    // 0 with the end.
    const std::vector<int> progress = sim.progressValues();
    QVERIFY(progress.size() >= 2);
    QCOMPARE(progress[progress.size() - 2], 100);
    QCOMPARE(progress.back(), 0);
    for (std::size_t i = 1; i + 1 < progress.size(); ++i)
        QVERIFY2(progress[i] >= progress[i - 1],
                 qPrintable(QStringLiteral("progress fell at %1").arg(i)));
    if (op != OpCode::Status) {
        int hundred = -1;
        for (int i = 0; i < int(sim.log.size()); ++i)
            if (sim.log[std::size_t(i)].kind == Sim::Kind::Progress &&
                sim.log[std::size_t(i)].value == 100)
                hundred = i;
        QVERIFY(hundred >= 0);
        QVERIFY2(sim.indexOf(Sim::Kind::Send, kEnd) > hundred, "end byte before progress 100");
    }
}

// --- data into the model -------------------------------------------------------------

struct ModelCase
{
    std::function<void(Radio &)> prepare;
    std::function<void(const ProgramState &)> check;
};
Q_DECLARE_METATYPE(ModelCase)

void TestTransferEngine::readReachesModelOnlyOnCompletion_data()
{
    QTest::addColumn<OpCode>("op");
    QTest::addColumn<int>("connect");
    QTest::addColumn<int>("silentFrom"); // frame number from which the radio is silent; -1 never
    QTest::addColumn<ModelCase>("model");

    const auto channelS = bytesOf({0x6B, 0x0E, 0x40, 0x6B, 0x0E, 0x40, 0x03, 0x75, 0x22, 0x92, 0, 0,
                                   0, 0, 0x01, 0x30, 0, 0, 0});
    const auto channelY = bytesOf({0x35, 0x87, 0x20, 0x35, 0x87, 0x20, 0x03, 0x75, 0x16, 0xA7, 0, 0,
                                   0, 0, 0x01, 0x30, 0, 0, 0});
    const auto current = [](QByteArray channel) {
        return [channel](Radio &r) {
            r.put(0x4000, channel);
            r.put(0x4156, bytesOf({0x02, 0x58}));
            r.put(0x415F, bytesOf({0x00, 0x01}));
        };
    };
    const auto checkChannel = [](const ProgramState &s) {
        const ChannelRecord ch = s.codeplug.channel(1);
        QVERIFY(s.codeplug.isChannelUsed(1));
        QVERIFY(!s.codeplug.isChannelUsed(2));
        QCOMPARE(ch.rxFreq(), 438500000u);
        QCOMPARE(ch.txFreq(), 438500000u);
        QCOMPARE(ch.rxTone().type, std::uint8_t(1));
        QCOMPARE(ch.rxTone().value, std::uint16_t(885));
        QCOMPARE(ch.txTone().type, std::uint8_t(0));
        QVERIFY(ch.wide());
        QVERIFY(ch.highPower());
        QVERIFY(ch.scanAdd());
        QCOMPARE(s.codeplug.setting(Setting::tot), 600u);
    };
    const ModelCase readS{current(channelS), checkChannel};
    const ModelCase readY{current(channelY), checkChannel};
    const ModelCase readOld{[](Radio &r) {
                                std::fill(r.memory.begin(), r.memory.begin() + 0x200, 0xFF);
                                r.put(0x0010,
                                      bytesOf({0x00, 0x00, 0x85, 0x43, 0x00, 0x00, 0x85, 0x43, 0x75,
                                               0x03, 0xFF, 0xFF, 0x00, 0x30, 0, 0}));
                                r.put(0x0130, bytesOf({0x28}));
                                r.put(0x017E, bytesOf({0x01, 0x00}));
                            },
                            checkChannel};
    const ModelCase calibration{[](Radio &r) {
                                    r.put(0x41F0, bytesOf({0x01, 0x9A, 42, 7, 11}));
                                },
                                [](const ProgramState &s) {
                                    QCOMPARE(int(s.calibration.pointMHz(0)), 410);
                                    QCOMPARE(int(s.calibration.pointHigh(0)), 42);
                                    QCOMPARE(int(s.calibration.pointLow(0)), 7);
                                    QCOMPARE(int(s.calibration.pointTune(0)), 11);
                                }};
    const ModelCase status{[](Radio &r) { r.status = {0x7B, 0x40, 0x22, 0xA4, 0x00, 0x80}; },
                           [](const ProgramState &s) {
                               const auto &raw = s.calibration.raw;
                               QCOMPARE(int(raw[0x4D]), 0x7B); // battery
                               QCOMPARE(int(raw[0x4E]), 0x40); // signal
                               QCOMPARE(int(raw[0x50]), 0x22); // noise
                               QCOMPARE(int(raw[0x52]), 1);    // 0xA4 bit 7
                               QCOMPARE(int(raw[0x4F]), 1);    // bit 5
                               QCOMPARE(int(raw[0x51]), 0);    // bit 3
                               QCOMPARE(int(raw[0x55]), 1);    // bit 2
                               QCOMPARE(int(raw[0x54]), 1);    // byte 5 bit 7
                           }};

    QTest::newRow("read, S radio") << OpCode::Codeplug << int('S') << -1 << readS;
    QTest::newRow("read, Y radio") << OpCode::Codeplug << int('Y') << -1 << readY;
    QTest::newRow("read, older radio") << OpCode::Codeplug << 0x06 << -1 << readOld;
    QTest::newRow("calibration read") << OpCode::Calibration << int('S') << -1 << calibration;
    QTest::newRow("transceiver status") << OpCode::Status << int('S') << -1 << status;
    QTest::newRow("read fails after 10 blocks") << OpCode::Codeplug << int('S') << 13 << readS;
    QTest::newRow("read fails at the last block") << OpCode::Codeplug << int('S') << 25 << readS;
    QTest::newRow("older read fails midway") << OpCode::Codeplug << 0x06 << 20 << readOld;
    QTest::newRow("calibration read fails") << OpCode::Calibration << int('S') << 8 << calibration;
    QTest::newRow("status never answered") << OpCode::Status << int('S') << 0 << status;
}

void TestTransferEngine::readReachesModelOnlyOnCompletion()
{
    QFETCH(OpCode, op);
    QFETCH(int, connect);
    QFETCH(int, silentFrom);
    QFETCH(ModelCase, model);

    Sim sim;
    Radio &radio = sim.radio();
    radio.connectReply = std::uint8_t(connect);
    model.prepare(radio);
    if (silentFrom >= 0)
        radio.tamper = [silentFrom](int n, const QByteArray &, Reply &reply) {
            if (n >= silentFrom)
                reply.clear();
        };
    const auto codeplugBefore = sim.state.codeplug;
    const auto calibrationBefore = sim.state.calibration;
    sim.make(op, ReadMode::Read);
    sim.start();
    VERIFY_ENDING(sim);

    QVERIFY(sim.state.codeplug == codeplugBefore);
    QVERIFY(sim.state.calibration == calibrationBefore);
    sim.engine->runCompletion();
    if (silentFrom >= 0) {
        QCOMPARE(outcomeName(sim.outcome), "CommunicationFalse");
        QVERIFY2(sim.state.codeplug == codeplugBefore, "a failed read changed the codeplug");
        QVERIFY2(sim.state.calibration == calibrationBefore,
                 "a failed read changed the calibration");
        return;
    }
    QCOMPARE(outcomeName(sim.outcome), "Success");
    model.check(sim.state);
}

// --- data to the radio ---------------------------------------------------------------

void TestTransferEngine::writeSendsBuiltImage_data()
{
    QTest::addColumn<int>("connect");
    QTest::addColumn<bool>("highPower");
    QTest::addColumn<QByteArray>("record");

    // 438.5 MHz both ways, CTCSS 88.5 Hz to receive, wide; power, tuning and
    // squelch offset from the radio's points at 400 and 440 MHz (438 MHz is
    // 38/40 of the way) and its squelch entry 3 (430..440 MHz).
    QTest::newRow("S radio, high power")
        << int('S') << true
        << bytesOf({0x6B, 0x0E, 0x40, 0x6B, 0x0E, 0x40, 0x03, 0x75, 0x22, 0x92, 0, 0, 0, 0, 0x01,
                    0x30, 78, 29, 0xF3});
    QTest::newRow("Y radio, low power")
        << int('Y') << false
        << bytesOf({0x35, 0x87, 0x20, 0x35, 0x87, 0x20, 0x03, 0x75, 0x16, 0xA7, 0, 0, 0, 0, 0x01,
                    0x10, 48, 29, 0xF3});
}

void TestTransferEngine::writeSendsBuiltImage()
{
    QFETCH(int, connect);
    QFETCH(bool, highPower);
    QFETCH(QByteArray, record);

    Sim sim;
    Radio &radio = sim.radio();
    radio.connectReply = std::uint8_t(connect);
    fillStandard(radio);
    radio.put(0x41F0, handCalibrationPoints());
    radio.put(0x424F, handSquelchOffsets());
    const QByteArray calibrationArea = radio.peek(0x41F0, 128);
    const QByteArray passwordArea = radio.peek(0x41D0, 32);

    ChannelRecord ch;
    ch.setRxFreq(438500000);
    ch.setTxFreq(438500000);
    ch.setRxTone(Tone{1, 885});
    ch.setTxTone(Tone{0, 0});
    ch.setWide(true);
    ch.setHighPower(highPower);
    ch.setScanAdd(true);
    sim.state.codeplug.setChannel(1, ch);
    sim.state.codeplug.setChannelUsed(1, true);

    sim.make(OpCode::Codeplug, ReadMode::Write);
    sim.start();
    VERIFY_ENDING(sim);
    QCOMPARE(outcomeName(sim.outcome), "Success");

    QCOMPARE(hex(radio.peek(0x4000, 19)), hex(record));
    QCOMPARE(hex(radio.peek(0x4013, 0x150 - 19)), hex(QByteArray(0x150 - 19, '\0')));
    QCOMPARE(hex(radio.peek(0x4150, 6)), hex(bytesOf({0x07, 0xE8, 0x03, 0x0F, 0x0A, 0x2A})));
    QCOMPARE(hex(radio.peek(0x415F, 2)), hex(bytesOf({0x00, 0x01})));
    QCOMPARE(hex(radio.peek(0x41F0, 128)), hex(calibrationArea));
    QCOMPARE(hex(radio.peek(0x41D0, 32)), hex(passwordArea));
}

void TestTransferEngine::calibrationWriteRecomputesChannels_data()
{
    QTest::addColumn<int>("connect");
    QTest::addColumn<QByteArray>("words");

    QTest::newRow("S radio") << int('S') << bytesOf({0x6B, 0x0E, 0x40, 0x6B, 0x0E, 0x40});
    QTest::newRow("Y radio") << int('Y') << bytesOf({0x35, 0x87, 0x20, 0x35, 0x87, 0x20});
}

void TestTransferEngine::calibrationWriteRecomputesChannels()
{
    QFETCH(int, connect);
    QFETCH(QByteArray, words);

    Sim sim;
    Radio &radio = sim.radio();
    radio.connectReply = std::uint8_t(connect);
    fillStandard(radio);
    // Channel 1 in use, high power, with stale calibration bytes; channel 2
    // not in use, its bytes must stay.
    radio.put(0x4000, words + bytesOf({0, 0, 0, 0, 0, 0, 0, 0, 0x00, 0x20, 0x11, 0x22, 0x33}));
    radio.put(0x4013, QByteArray(16, '\0') + bytesOf({0x44, 0x55, 0x66}));

    auto &rec = sim.state.calibration;
    const int mhz[5] = {400, 440, 460, 480, 500};
    const int high[5] = {40, 80, 90, 100, 110};
    const int low[5] = {20, 50, 60, 70, 80};
    const int tune[5] = {10, 30, 40, 50, 60};
    for (int i = 0; i < 5; ++i) {
        rec.setU16(7 * i, std::uint16_t(mhz[i]));
        rec.raw[std::size_t(0x02 + 7 * i)] = std::uint8_t(high[i]);
        rec.raw[std::size_t(0x04 + 7 * i)] = std::uint8_t(low[i]);
        rec.raw[std::size_t(0x05 + 7 * i)] = std::uint8_t(tune[i]);
    }
    for (int k = 0; k < 9; ++k)
        rec.raw[std::size_t(0x64 + k)] = std::uint8_t(0xF0 + k);

    QByteArray block = defaultCalibrationBlock(connect == 'Y');
    block.replace(0, 25, handCalibrationPoints());
    block.replace(0x5F, 9, handSquelchOffsets());

    sim.make(OpCode::Calibration, ReadMode::Write);
    sim.start();
    VERIFY_ENDING(sim);
    QCOMPARE(outcomeName(sim.outcome), "Success");

    QCOMPARE(hex(radio.peek(0x41F0, 128)), hex(block));
    QCOMPARE(hex(radio.peek(0x4000, 19)),
             hex(words + bytesOf({0, 0, 0, 0, 0, 0, 0, 0, 0x00, 0x20, 78, 29, 0xF3})));
    QCOMPARE(hex(radio.peek(0x4013, 19)), hex(QByteArray(16, '\0') + bytesOf({0x44, 0x55, 0x66})));
    QCOMPARE(hex(radio.peek(0x4026, 0x150 - 0x26)), hex(standardBytes(0x4026, 0x150 - 0x26)));
    QCOMPARE(hex(radio.peek(0x4150, 0x20)), hex(standardBytes(0x4150, 0x20)));
}

void TestTransferEngine::passwordBlockWritten_data()
{
    QTest::addColumn<OpCode>("op");
    QTest::addColumn<QByteArray>("password");

    QTest::newRow("password write") << OpCode::Password << QByteArray("4321");
    QTest::newRow("password write, empty") << OpCode::Password << QByteArray();
    QTest::newRow("password write, 12 characters")
        << OpCode::Password << QByteArray("abcdefghijkl");
    QTest::newRow("codeplug write with new password") << OpCode::Codeplug << QByteArray("4321");
    QTest::newRow("codeplug write, new password empty") << OpCode::Codeplug << QByteArray();
}

void TestTransferEngine::passwordBlockWritten()
{
    QFETCH(OpCode, op);
    QFETCH(QByteArray, password);

    Sim sim;
    Radio &radio = sim.radio();
    fillStandard(radio);
    // The radio has a password; the current one is right, the new one differs.
    const auto key = [] {
        return std::uint8_t(0x5C);
    };
    const t880::PasswordBlock old = t880::encodePasswordBlock("77", key);
    radio.put(0x41D0, QByteArray(reinterpret_cast<const char *>(old.data()), 16));
    sim.state.codeplug.setText(TextField::radioPassword, "77");
    sim.state.codeplug.setText(TextField::newRadioPassword, password);
    sim.state.codeplug.setSetting(Setting::writeNewPassword, 1);
    sim.make(op, ReadMode::Write);
    sim.start();
    VERIFY_ENDING(sim);
    QCOMPARE(outcomeName(sim.outcome), "Success");

    const int i = frameIndex(sim, wrHeader(0x41D0));
    QVERIFY(i >= 0);
    QCOMPARE(frameIndex(sim, wrHeader(0x41D0), 2), -1);
    const QByteArray frame = sim.sends()[std::size_t(i)].bytes;
    QCOMPARE(frame.size(), 20);
    const QByteArray block = frame.mid(4);
    QCOMPARE(int(std::uint8_t(block[0])), int(password.size()));
    unsigned sum = 0;
    for (int k = 0; k < 15; ++k)
        sum += std::uint8_t(block[k]);
    QCOMPARE(int(std::uint8_t(block[15])), int(sum & 0xFF));
    const auto *b = reinterpret_cast<const std::uint8_t *>(block.constData());
    QVERIFY(t880::checkPasswordBlock(b, password));
    if (!password.isEmpty()) {
        QByteArray other = password;
        other[0] = char(other[0] ^ 0x01);
        QVERIFY(!t880::checkPasswordBlock(b, other));
    }
    QCOMPARE(hex(radio.peek(0x41D0, 16)), hex(block));
    // The block is the last thing before the end byte.
    QCOMPARE(hex(sim.frames().back()), hex(kEnd));
    QCOMPARE(i, int(sim.frames().size()) - 2);
}

// --- connecting, with and without the port search --------------------------------------

void TestTransferEngine::portSearch_data()
{
    QTest::addColumn<OpCode>("op");
    QTest::addColumn<bool>("autoSearch");
    QTest::addColumn<int>("port");
    QTest::addColumn<QList<int>>("ports");
    QTest::addColumn<QList<int>>("unopenable");
    // Per port, the answers to its 1st, 2nd, ... connect request (the last
    // one repeats): '-' nothing, 'X' a byte that is no connect reply, 'S' a
    // radio that goes on to answer everything.
    QTest::addColumn<QString>("radios");
    QTest::addColumn<QList<qint64>>("connectTimes");
    QTest::addColumn<QList<int>>("connectPorts");
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<qint64>("endsAt"); // -1: not checked

    const auto R = OpCode::Codeplug;
    const auto CF = Outcome::CommunicationFalse;
    using L = QList<qint64>;
    using P = QList<int>;

    QTest::newRow("no search, silent radio")
        << R << false << 1 << P{1} << P{} << "1=-" << L{500, 1500, 2500, 3500, 4500}
        << P{1, 1, 1, 1, 1} << CF << qint64(5500);
    QTest::newRow("no search, chosen port 3")
        << R << false << 3 << P{1, 3} << P{} << "1=S,3=-" << L{500, 1500, 2500, 3500, 4500}
        << P{3, 3, 3, 3, 3} << CF << qint64(5500);
    QTest::newRow("no search, status never answered")
        << OpCode::Status << false << 1 << P{1} << P{} << "1=-" << L{500, 1500, 2500, 3500, 4500}
        << P{1, 1, 1, 1, 1} << CF << qint64(5500);
    QTest::newRow("no search, port does not open")
        << R << false << 1 << P{1} << P{1} << "1=S" << L{} << P{} << CF << qint64(0);
    QTest::newRow("no search, port not present")
        << R << false << 5 << P{1, 3} << P{} << "1=S,3=S" << L{} << P{} << CF << qint64(0);
    QTest::newRow("no search, invalid connect reply")
        << R << false << 1 << P{1} << P{} << "1=X" << L{500} << P{1} << CF << qint64(520);
    QTest::newRow("no search, radio answers") << R << false << 1 << P{1} << P{} << "1=S" << L{500}
                                              << P{1} << Outcome::Success << qint64(-1);

    QTest::newRow("search, all silent") << R << true << 1 << P{1, 3, 4} << P{} << "1=-,3=-,4=-"
                                        << L{550, 1550, 2600, 3600, 4600, 5650, 6650, 7650}
                                        << P{1, 1, 3, 3, 3, 4, 4, 4} << CF << qint64(8650);
    QTest::newRow("search, single silent port")
        << R << true << 1 << P{2} << P{} << "2=-" << L{550, 1550} << P{2, 2} << CF << qint64(2550);
    QTest::newRow("search, status never answered")
        << OpCode::Status << true << 1 << P{1, 3} << P{} << "1=-,3=-"
        << L{550, 1550, 2600, 3600, 4600} << P{1, 1, 3, 3, 3} << CF << qint64(5600);
    QTest::newRow("search, first port does not open")
        << R << true << 1 << P{1, 3, 4} << P{1} << "3=-,4=-" << L{550, 1550, 2600, 3600, 4600}
        << P{3, 3, 4, 4, 4} << CF << qint64(5600);
    QTest::newRow("search, middle port does not open")
        << R << true << 1 << P{1, 3, 4} << P{3} << "1=-,4=-" << L{550, 1550, 2600, 3600, 4600}
        << P{1, 1, 4, 4, 4} << CF << qint64(5600);
    QTest::newRow("search, last port does not open")
        << R << true << 1 << P{1, 3} << P{3} << "1=-" << L{550, 1550} << P{1, 1} << CF
        << qint64(2550);
    QTest::newRow("search, empty port list")
        << R << true << 1 << P{} << P{} << "" << L{} << P{} << CF << qint64(0);
    QTest::newRow("search, no port opens")
        << R << true << 1 << P{1, 3} << P{1, 3} << "1=S,3=S" << L{} << P{} << CF << qint64(0);
    QTest::newRow("search, radio on the second port")
        << R << true << 1 << P{1, 3} << P{} << "1=-,3=S" << L{550, 1550, 2600} << P{1, 1, 3}
        << Outcome::Success << qint64(-1);
    QTest::newRow("search, radio on the first port")
        << R << true << 1 << P{1, 3} << P{} << "1=S,3=S" << L{550} << P{1} << Outcome::Success
        << qint64(-1);
    QTest::newRow("search, radio answers the second request")
        << R << true << 1 << P{1, 3} << P{} << "1=-S,3=S" << L{550, 1550} << P{1, 1}
        << Outcome::Success << qint64(-1);
    QTest::newRow("search, invalid reply, radio on next port")
        << R << true << 1 << P{1, 3} << P{} << "1=X,3=S" << L{550, 620} << P{1, 3}
        << Outcome::Success << qint64(-1);
    QTest::newRow("search, invalid reply, next port does not open")
        << R << true << 1 << P{1, 3, 4} << P{3} << "1=X,4=S" << L{550, 620} << P{1, 4}
        << Outcome::Success << qint64(-1);
    QTest::newRow("search, invalid reply, later ports silent")
        << R << true << 1 << P{1, 3, 4} << P{} << "1=X,3=-,4=-"
        << L{550, 620, 1620, 2670, 3670, 4670} << P{1, 3, 3, 4, 4, 4} << CF << qint64(5670);
    QTest::newRow("search, invalid reply to the second request")
        << R << true << 1 << P{1, 3, 4} << P{} << "1=-X,3=-,4=-"
        << L{550, 1550, 1620, 2620, 3670, 4670, 5670} << P{1, 1, 3, 3, 4, 4, 4} << CF
        << qint64(6670);
    QTest::newRow("search, every port answers invalid")
        << R << true << 1 << P{1, 3} << P{} << "1=X,3=X" << L{550, 620} << P{1, 3} << CF
        << qint64(640);
    QTest::newRow("search, invalid reply on the last port")
        << R << true << 1 << P{1, 3} << P{} << "1=-,3=X" << L{550, 1550, 2600} << P{1, 1, 3} << CF
        << qint64(2620);
}

void TestTransferEngine::portSearch()
{
    QFETCH(OpCode, op);
    QFETCH(bool, autoSearch);
    QFETCH(int, port);
    QFETCH(QList<int>, ports);
    QFETCH(QList<int>, unopenable);
    QFETCH(QString, radios);
    QFETCH(QList<qint64>, connectTimes);
    QFETCH(QList<int>, connectPorts);
    QFETCH(Outcome, outcome);
    QFETCH(qint64, endsAt);

    Sim sim;
    sim.radios.clear();
    sim.ports.assign(ports.begin(), ports.end());
    sim.unopenable = std::set<int>(unopenable.begin(), unopenable.end());
    for (const QString &entry : radios.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const int p = entry.section(QLatin1Char('='), 0, 0).toInt();
        const QByteArray answers = entry.section(QLatin1Char('='), 1).toLatin1();
        Radio &r = sim.radio(p);
        fillStandard(r);
        auto connects = std::make_shared<int>(0);
        r.tamper = [answers, connects](int, const QByteArray &frame, Reply &reply) {
            if (frame != kProgram && frame != kStatus)
                return;
            const char a = answers[std::min(int(answers.size()) - 1, (*connects)++)];
            if (a == '-')
                reply.clear();
            else if (a == 'X')
                reply = {{20, bytesOf({0x58})}};
        };
    }
    sim.make(op, ReadMode::Read, PortSettings{port, autoSearch});
    sim.start();
    VERIFY_ENDING(sim);

    QList<qint64> times;
    QList<int> onPorts;
    const QByteArray connectFrame = op == OpCode::Status ? kStatus : kProgram;
    for (const Sim::Event &e : sim.sends())
        if (e.bytes == connectFrame) {
            times << e.at;
            onPorts << e.port;
        }
    QCOMPARE(times, connectTimes);
    QCOMPARE(onPorts, connectPorts);
    QCOMPARE(outcomeName(sim.outcome), outcomeName(outcome));
    if (endsAt >= 0)
        QCOMPARE(sim.finishedAt, endsAt);
    if (outcome == Outcome::Success) {
        // The transfer stays on the port that answered.
        const int found = connectPorts.last();
        bool afterConnect = false;
        for (const Sim::Event &e : sim.sends()) {
            afterConnect = afterConnect || (e.bytes == kProgram && e.at == connectTimes.last());
            if (afterConnect)
                QCOMPARE(e.port, found);
        }
        std::vector<QByteArray> fromConnect;
        for (const Sim::Event &e : sim.sends())
            if (e.at >= connectTimes.last())
                fromConnect.push_back(e.bytes);
        COMPARE_FRAMES(fromConnect, standardFrames(op, ReadMode::Read, 'S'));
    }
}

// --- failures and recoveries --------------------------------------------------------------

void TestTransferEngine::protocolErrorEndsAtOnce_data()
{
    QTest::addColumn<OpCode>("op");
    QTest::addColumn<ReadMode>("mode");
    QTest::addColumn<int>("connect");
    QTest::addColumn<QByteArray>("trigger");
    QTest::addColumn<int>("occurrence");
    QTest::addColumn<QByteArray>("reply");

    const auto R = ReadMode::Read, W = ReadMode::Write;
    const QByteArray junk16(16, char(0x11));
    QTest::newRow("identification, last byte differs")
        << OpCode::Codeplug << R << 0x06 << kIdentify << 1
        << bytesOf({0x50, 0x33, 0x32, 0x30, 0x37, 0x33, 0xF8, 0xFE});
    QTest::newRow("identification of another model")
        << OpCode::Codeplug << W << 0x06 << kIdentify << 1
        << bytesOf({0x50, 0x33, 0x32, 0x30, 0x37, 0x34, 0xF8, 0xFF});
    QTest::newRow("confirm reply not 06")
        << OpCode::Codeplug << R << 0x06 << kAck << 1 << bytesOf({0x15});
    QTest::newRow("first password reply not W")
        << OpCode::Codeplug << R << int('S') << rd(0x41D0) << 1
        << readReply(0x41D0, 16, junk16).replace(0, 1, "R");
    QTest::newRow("second password reply not W")
        << OpCode::Codeplug << W << int('Y') << rd(0x41E0) << 1
        << readReply(0x41E0, 16, junk16).replace(0, 1, QByteArray(1, '\0'));
    QTest::newRow("read reply not W") << OpCode::Codeplug << R << int('S') << rd(0x4050) << 1
                                      << readReply(0x4050, 16, junk16).replace(0, 1, "X");
    QTest::newRow("calibration area reply not W")
        << OpCode::Codeplug << W << int('S') << rd(0x4200) << 1
        << readReply(0x4200, 16, junk16).replace(0, 1, "R");
    QTest::newRow("calibration read reply not W")
        << OpCode::Calibration << R << int('S') << rd(0x41F0) << 1
        << readReply(0x41F0, 16, junk16).replace(0, 1, "w");
    QTest::newRow("write acknowledge not 06")
        << OpCode::Codeplug << W << int('S') << wrHeader(0x4080) << 1 << bytesOf({0x15});
    QTest::newRow("calibration write acknowledge not 06")
        << OpCode::Calibration << W << int('S') << wrHeader(0x4200) << 1 << bytesOf({0x15});
    QTest::newRow("channel rewrite acknowledge not 06")
        << OpCode::Calibration << W << int('S') << wrHeader(0x4000) << 1 << bytesOf({0x57});
    QTest::newRow("password write acknowledge not 06")
        << OpCode::Password << W << int('S') << wrHeader(0x41D0) << 1 << bytesOf({0x00});
    QTest::newRow("older radio, block reply not W")
        << OpCode::Codeplug << R << 0x06 << rd(0x0030) << 1
        << readReply(0x0030, 16, junk16).replace(0, 1, "R");
    QTest::newRow("older radio, block acknowledge not 06")
        << OpCode::Codeplug << R << 0x06 << kAck << 3 << bytesOf({0x15});
    QTest::newRow("older radio, write acknowledge not 06")
        << OpCode::Codeplug << W << 0x06 << wrHeader(0x0010) << 1 << bytesOf({0xFF});
}

void TestTransferEngine::protocolErrorEndsAtOnce()
{
    QFETCH(OpCode, op);
    QFETCH(ReadMode, mode);
    QFETCH(int, connect);
    QFETCH(QByteArray, trigger);
    QFETCH(int, occurrence);
    QFETCH(QByteArray, reply);

    Sim sim;
    Radio &radio = sim.radio();
    radio.connectReply = std::uint8_t(connect);
    fillStandard(radio);
    tamperWith(radio, trigger, occurrence, {{20, reply}});
    sim.make(op, mode);
    sim.start();
    VERIFY_ENDING(sim);

    QCOMPARE(outcomeName(sim.outcome), "CommunicationFalse");
    const qint64 sent = sentAt(sim, trigger, occurrence);
    QVERIFY(sent >= 0);
    QCOMPARE(sim.finishedAt, sent + 20);
    QCOMPARE(sim.sends().back().at, sent);
    QCOMPARE(frameIndex(sim, trigger, occurrence), int(sim.sends().size()) - 1);
    QCOMPARE(sim.indexOf(Sim::Kind::Send, kEnd), -1);
}

void TestTransferEngine::retransmissionRecovers_data()
{
    QTest::addColumn<OpCode>("op");
    QTest::addColumn<ReadMode>("mode");
    QTest::addColumn<int>("connect");
    QTest::addColumn<QByteArray>("trigger");
    QTest::addColumn<int>("occurrence");
    QTest::addColumn<Reply>("reply");
    QTest::addColumn<bool>("purges");

    const auto R = ReadMode::Read, W = ReadMode::Write;
    const auto C = OpCode::Codeplug;
    const QByteArray block4050 = readReply(0x4050, 16, standardBytes(0x4050, 16));
    const QByteArray many(300, 'W');

    QTest::newRow("write acknowledge 06 06") << C << W << int('S') << wrHeader(0x4000) << 1
                                             << Reply{{20, bytesOf({0x06, 0x06})}} << false;
    QTest::newRow("password write acknowledge 06 06")
        << OpCode::Password << W << int('S') << wrHeader(0x41D0) << 1
        << Reply{{20, bytesOf({0x06, 0x06})}} << false;
    QTest::newRow("read reply with one byte too many")
        << C << R << int('S') << rd(0x4050) << 1 << Reply{{20, block4050 + bytesOf({0x00})}}
        << false;
    QTest::newRow("read reply one byte short")
        << C << R << int('S') << rd(0x4050) << 1 << Reply{{20, block4050.left(19)}} << false;
    QTest::newRow("300 bytes waiting")
        << C << R << int('S') << rd(0x4050) << 1 << Reply{{20, many}} << true;
    QTest::newRow("256 bytes waiting")
        << C << R << int('S') << rd(0x4050) << 1 << Reply{{20, many.left(256)}} << true;
    QTest::newRow("200 + 100 bytes overflow the buffer")
        << C << R << int('S') << rd(0x4050) << 1
        << Reply{{20, QByteArray(200, char(0x06))}, {40, QByteArray(100, char(0x06))}} << true;
    QTest::newRow("300 bytes for a write acknowledge")
        << C << W << int('S') << wrHeader(0x4100) << 1 << Reply{{20, QByteArray(300, char(0x06))}}
        << true;
    QTest::newRow("read request unanswered once")
        << C << R << int('S') << rd(0x4050) << 1 << Reply{} << false;
    QTest::newRow("write request unanswered once")
        << C << W << int('Y') << wrHeader(0x4100) << 1 << Reply{} << false;
    QTest::newRow("password read unanswered once")
        << C << R << int('S') << rd(0x41E0) << 1 << Reply{} << false;
    QTest::newRow("connect request unanswered once")
        << C << R << int('S') << kProgram << 1 << Reply{} << false;
    QTest::newRow("older radio, block acknowledge 06 06")
        << C << R << 0x06 << kAck << 3 << Reply{{20, bytesOf({0x06, 0x06})}} << false;
    QTest::newRow("older radio, read reply with one byte too many")
        << C << R << 0x06 << rd(0x0030) << 1
        << Reply{{20, readReply(0x0030, 16, standardBytes(0x0030, 16)) + bytesOf({0x06})}} << false;
    QTest::newRow("older radio, identification short")
        << C << R << 0x06 << kIdentify << 1 << Reply{{20, kIdentification.left(7)}} << false;
    QTest::newRow("older radio, write acknowledge 06 06")
        << C << W << 0x06 << wrHeader(0x0100) << 1 << Reply{{20, bytesOf({0x06, 0x06})}} << false;
    QTest::newRow("status reply short") << OpCode::Status << R << int('S') << kStatus << 1
                                        << Reply{{20, bytesOf({1, 2, 3, 4, 5})}} << false;
    QTest::newRow("calibration read reply too long")
        << OpCode::Calibration << R << int('S') << rd(0x4200) << 1
        << Reply{{20, readReply(0x4200, 16, standardBytes(0x4200, 16)) + bytesOf({0x57})}} << false;
}

void TestTransferEngine::retransmissionRecovers()
{
    QFETCH(OpCode, op);
    QFETCH(ReadMode, mode);
    QFETCH(int, connect);
    QFETCH(QByteArray, trigger);
    QFETCH(int, occurrence);
    QFETCH(Reply, reply);
    QFETCH(bool, purges);

    Sim sim;
    Radio &radio = sim.radio();
    radio.connectReply = std::uint8_t(connect);
    fillStandard(radio);
    tamperWith(radio, trigger, occurrence, reply);
    sim.make(op, mode);
    sim.start();
    VERIFY_ENDING(sim);

    QCOMPARE(outcomeName(sim.outcome), "Success");
    COMPARE_FRAMES(sim.frames(),
                   withDuplicate(standardFrames(op, mode, connect), trigger, occurrence));
    const int i = frameIndex(sim, trigger, occurrence);
    const auto sends = sim.sends();
    QVERIFY(i >= 0 && i + 1 < int(sends.size()));
    QCOMPARE(sends[std::size_t(i + 1)].at - sends[std::size_t(i)].at, qint64(1000));

    bool purged = false;
    for (const Sim::Event &e : sim.log)
        purged = purged || (e.kind == Sim::Kind::DiscardInput && e.at > sends[std::size_t(i)].at &&
                            e.at < sends[std::size_t(i + 1)].at);
    QCOMPARE(purged, purges);

    // The good answer was stored, not the bad one.
    if (op == OpCode::Codeplug && mode == ReadMode::Read && connect != 0x06)
        QCOMPARE(hex(imageBytes(sim, 0, 0x170)), hex(standardBytes(0x4000, 0x170)));
    if (op == OpCode::Codeplug && mode == ReadMode::Read && connect == 0x06)
        QCOMPARE(hex(imageBytes(sim, 0x10, 0x1F0)), hex(standardBytes(0x0010, 0x1F0)));
    if (op == OpCode::Status)
        QCOMPARE(hex(imageBytes(sim, 0, 6)), hex(bytesOf({0x7B, 0x40, 0x22, 0xA4, 0x00, 0x80})));
}

void TestTransferEngine::silenceEndsAfterFiveSeconds_data()
{
    QTest::addColumn<OpCode>("op");
    QTest::addColumn<ReadMode>("mode");
    QTest::addColumn<int>("connect");
    QTest::addColumn<QByteArray>("trigger");
    QTest::addColumn<int>("occurrence");

    const auto R = ReadMode::Read, W = ReadMode::Write;
    QTest::newRow("read, radio falls silent")
        << OpCode::Codeplug << R << int('S') << rd(0x4080) << 1;
    QTest::newRow("write, acknowledge never comes")
        << OpCode::Codeplug << W << int('S') << wrHeader(0x4080) << 1;
    QTest::newRow("write, calibration area unanswered")
        << OpCode::Codeplug << W << int('S') << rd(0x41F0) << 1;
    QTest::newRow("password stage unanswered")
        << OpCode::Codeplug << R << int('Y') << rd(0x41E0) << 1;
    QTest::newRow("calibration write, reread unanswered")
        << OpCode::Calibration << W << int('S') << rd(0x4100) << 1;
    QTest::newRow("older radio, identify unanswered")
        << OpCode::Codeplug << R << 0x06 << kIdentify << 1;
    QTest::newRow("older radio, block acknowledge unanswered")
        << OpCode::Codeplug << R << 0x06 << kAck << 3;
    QTest::newRow("older radio, write unanswered")
        << OpCode::Codeplug << W << 0x06 << wrHeader(0x0100) << 1;
}

void TestTransferEngine::silenceEndsAfterFiveSeconds()
{
    QFETCH(OpCode, op);
    QFETCH(ReadMode, mode);
    QFETCH(int, connect);
    QFETCH(QByteArray, trigger);
    QFETCH(int, occurrence);

    Sim sim;
    Radio &radio = sim.radio();
    radio.connectReply = std::uint8_t(connect);
    fillStandard(radio);
    tamperWith(radio, trigger, occurrence, Reply{}, true);
    sim.make(op, mode);
    sim.start();
    VERIFY_ENDING(sim);

    QCOMPARE(outcomeName(sim.outcome), "CommunicationFalse");
    // The request leaves right when the previous reply is accepted, so the
    // five seconds count from its first sending.
    const qint64 first = sentAt(sim, trigger, occurrence);
    QVERIFY(first >= 0);
    const auto sends = sim.sends();
    const int i = frameIndex(sim, trigger, occurrence);
    QList<qint64> again;
    for (std::size_t k = std::size_t(i); k < sends.size(); ++k) {
        QCOMPARE(hex(sends[k].bytes), hex(sends[std::size_t(i)].bytes));
        again << sends[k].at - first;
    }
    QCOMPARE(again, (QList<qint64>{0, 1000, 2000, 3000, 4000}));
    QCOMPARE(sim.finishedAt, first + 5000);
    QCOMPARE(sim.indexOf(Sim::Kind::Send, kEnd), -1);
}

void TestTransferEngine::repliesInPieces_data()
{
    QTest::addColumn<OpCode>("op");
    QTest::addColumn<int>("connect");
    QTest::addColumn<QByteArray>("trigger");
    QTest::addColumn<QList<int>>("sizes");
    QTest::addColumn<QList<int>>("delays");
    QTest::addColumn<bool>("readyRead");

    using L = QList<int>;
    const auto C = OpCode::Codeplug;
    QTest::newRow("read reply 3 + 17")
        << C << int('S') << rd(0x4050) << L{3, 17} << L{20, 60} << true;
    QTest::newRow("read reply 3 + 17, polling only")
        << C << int('S') << rd(0x4050) << L{3, 17} << L{20, 60} << false;
    QTest::newRow("read reply 1 + 1 + 18")
        << C << int('S') << rd(0x4160) << L{1, 1, 18} << L{5, 300, 900} << true;
    QTest::newRow("read reply 19 + 1, polling only")
        << C << int('S') << rd(0x4000) << L{19, 1} << L{20, 900} << false;
    QTest::newRow("password reply 5 + 15")
        << C << int('S') << rd(0x41D0) << L{5, 15} << L{20, 400} << true;
    QTest::newRow("second password reply 4 + 16, polling only")
        << C << int('Y') << rd(0x41E0) << L{4, 16} << L{15, 35} << false;
    QTest::newRow("identification 3 + 5") << C << 0x06 << kIdentify << L{3, 5} << L{20, 70} << true;
    QTest::newRow("older radio block 10 + 10, polling only")
        << C << 0x06 << rd(0x01F0) << L{10, 10} << L{20, 500} << false;
    QTest::newRow("status reply 2 + 4")
        << OpCode::Status << int('S') << kStatus << L{2, 4} << L{20, 120} << true;
    QTest::newRow("calibration reply 10 + 10")
        << OpCode::Calibration << int('S') << rd(0x4200) << L{10, 10} << L{20, 40} << true;
}

void TestTransferEngine::repliesInPieces()
{
    QFETCH(OpCode, op);
    QFETCH(int, connect);
    QFETCH(QByteArray, trigger);
    QFETCH(QList<int>, sizes);
    QFETCH(QList<int>, delays);
    QFETCH(bool, readyRead);

    Sim sim;
    sim.readyRead = readyRead;
    Radio &radio = sim.radio();
    radio.connectReply = std::uint8_t(connect);
    fillStandard(radio);
    auto done = std::make_shared<bool>(false);
    radio.tamper = [=](int, const QByteArray &frame, Reply &reply) {
        if (*done || frame != trigger || reply.empty())
            return;
        *done = true;
        const QByteArray whole = reply.front().bytes;
        reply.clear();
        int at = 0;
        for (int k = 0; k < sizes.size(); ++k) {
            reply.push_back({delays[k], whole.mid(at, sizes[k])});
            at += sizes[k];
        }
        QCOMPARE(at, int(whole.size()));
    };
    sim.make(op, ReadMode::Read);
    sim.start();
    VERIFY_ENDING(sim);

    QCOMPARE(outcomeName(sim.outcome), "Success");
    COMPARE_FRAMES(sim.frames(), standardFrames(op, ReadMode::Read, connect));
    // Accepted when the last piece is there, not before and not by a resend.
    const int i = frameIndex(sim, trigger);
    const qint64 complete = sentAt(sim, trigger) + delays.last();
    const auto sends = sim.sends();
    const qint64 next = i + 1 < int(sends.size()) ? sends[std::size_t(i + 1)].at : sim.finishedAt;
    if (readyRead)
        QCOMPARE(next, complete);
    else
        QVERIFY2(
            next >= complete && next <= complete + 10,
            qPrintable(QStringLiteral("accepted at %1, complete at %2").arg(next).arg(complete)));
}

void TestTransferEngine::replyLengthByte_data()
{
    QTest::addColumn<OpCode>("op");
    QTest::addColumn<int>("address");
    QTest::addColumn<int>("lengthByte");
    QTest::addColumn<int>("offset"); // where the image takes the block
    QTest::addColumn<int>("stored"); // data bytes that land there
    QTest::addColumn<QByteArray>("next");

    const auto C = OpCode::Codeplug;
    QTest::newRow("length 8 stores 8") << C << 0x4020 << 8 << 0x020 << 8 << rd(0x4030);
    QTest::newRow("length 0 stores nothing") << C << 0x4020 << 0 << 0x020 << 0 << rd(0x4030);
    QTest::newRow("length 15 on the last block") << C << 0x4160 << 15 << 0x160 << 15 << kEnd;
    QTest::newRow("length 0x20 stores only what came")
        << C << 0x4160 << 0x20 << 0x160 << 16 << kEnd;
    QTest::newRow("length 0xFF stores only what came")
        << C << 0x4160 << 0xFF << 0x160 << 16 << kEnd;
    QTest::newRow("password area, length 8")
        << OpCode::SerialNumber << 0x41E0 << 8 << 0x010 << 8 << QByteArray();
    QTest::newRow("password area, length 0xFF")
        << OpCode::SerialNumber << 0x41E0 << 0xFF << 0x010 << 16 << QByteArray();
}

void TestTransferEngine::replyLengthByte()
{
    QFETCH(OpCode, op);
    QFETCH(int, address);
    QFETCH(int, lengthByte);
    QFETCH(int, offset);
    QFETCH(int, stored);
    QFETCH(QByteArray, next);

    Sim sim;
    Radio &radio = sim.radio();
    fillStandard(radio);
    QByteArray data;
    for (int k = 0; k < 16; ++k)
        data.append(char(0xC0 + k));
    tamperWith(radio, rd(address), 1, {{20, readReply(address, lengthByte, data)}});
    sim.state.image.raw.fill(0xA5);
    sim.make(op, ReadMode::Read);
    sim.start();
    VERIFY_ENDING(sim);

    // Stored bytes, the rest of the block untouched, nothing beyond it.
    QCOMPARE(hex(imageBytes(sim, offset, stored)), hex(data.left(stored)));
    QCOMPARE(hex(imageBytes(sim, offset + stored, 16 - stored)),
             hex(QByteArray(16 - stored, char(0xA5))));
    if (next != rd(address + 16)) // otherwise the next block lands there
        QCOMPARE(hex(imageBytes(sim, offset + 16, 0x100)), hex(QByteArray(0x100, char(0xA5))));
    const int i = frameIndex(sim, rd(address));
    const auto sends = sim.sends();
    if (next.isEmpty()) {
        QCOMPARE(i, int(sends.size()) - 1);
    } else {
        QVERIFY(i + 1 < int(sends.size()));
        QCOMPARE(hex(sends[std::size_t(i + 1)].bytes), hex(next));
        QCOMPARE(outcomeName(sim.outcome), "Success");
    }
}

void TestTransferEngine::passwordCheck_data()
{
    QTest::addColumn<OpCode>("op");
    QTest::addColumn<ReadMode>("mode");
    QTest::addColumn<int>("connect");
    QTest::addColumn<QByteArray>("radioBlock");
    QTest::addColumn<QByteArray>("current");
    QTest::addColumn<QByteArray>("newPassword");
    QTest::addColumn<Outcome>("outcome");

    const auto key = [] {
        return std::uint8_t(0x3C);
    };
    const auto block = [&](const char *pw) {
        const t880::PasswordBlock b = t880::encodePasswordBlock(QByteArray(pw), key);
        return QByteArray(reinterpret_cast<const char *>(b.data()), 16);
    };
    const QByteArray none00 =
        bytesOf({0x00, 0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 1, 2, 3, 4, 5, 6, 7, 8});
    const QByteArray noneFF =
        bytesOf({0xFF, 0x04, 0x31, 0x32, 0x33, 0x34, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x3F});
    QByteArray damaged = block("1234");
    damaged[15] = char(damaged[15] ^ 0x01);

    const auto C = OpCode::Codeplug;
    const auto R = ReadMode::Read, W = ReadMode::Write;
    const auto OK = Outcome::Success, PE = Outcome::PasswordError;
    QTest::newRow("00 block, empty password")
        << C << R << int('S') << none00 << QByteArray() << QByteArray() << OK;
    QTest::newRow("00 block, any password")
        << C << W << int('S') << none00 << QByteArray("1234") << QByteArray() << OK;
    QTest::newRow("FF block, empty password")
        << C << W << int('Y') << noneFF << QByteArray() << QByteArray() << OK;
    QTest::newRow("FF block, any password")
        << C << R << int('S') << noneFF << QByteArray("abc") << QByteArray() << OK;
    QTest::newRow("4 characters in radio, 3 entered")
        << C << R << int('S') << block("1234") << QByteArray("123") << QByteArray() << PE;
    QTest::newRow("4 characters in radio, 3 entered, write")
        << C << W << int('S') << block("1234") << QByteArray("123") << QByteArray() << PE;
    QTest::newRow("4 characters in radio, none entered")
        << C << R << int('S') << block("1234") << QByteArray() << QByteArray() << PE;
    QTest::newRow("correct password")
        << C << R << int('S') << block("1234") << QByteArray("1234") << QByteArray() << OK;
    QTest::newRow("correct password, write")
        << C << W << int('Y') << block("1234") << QByteArray("1234") << QByteArray("99") << OK;
    QTest::newRow("wrong password of the same length")
        << C << R << int('S') << block("1234") << QByteArray("1235") << QByteArray() << PE;
    QTest::newRow("case differs") << C << R << int('S') << block("abcd") << QByteArray("ABCD")
                                  << QByteArray() << PE;
    QTest::newRow("only the new password matches")
        << C << W << int('S') << block("1234") << QByteArray("0000") << QByteArray("1234") << PE;
    QTest::newRow("damaged block of the right length")
        << C << R << int('S') << damaged << QByteArray("9999") << QByteArray() << OK;
    QTest::newRow("calibration read, wrong password")
        << OpCode::Calibration << R << int('S') << block("12") << QByteArray("21") << QByteArray()
        << PE;
    QTest::newRow("calibration write, wrong password")
        << OpCode::Calibration << W << int('S') << block("12") << QByteArray("21") << QByteArray()
        << PE;
    QTest::newRow("password write, wrong password")
        << OpCode::Password << W << int('S') << block("12") << QByteArray("1") << QByteArray("5")
        << PE;
    QTest::newRow("password write, correct password")
        << OpCode::Password << W << int('S') << block("12") << QByteArray("12") << QByteArray("5")
        << OK;
    QTest::newRow("status has no password stage")
        << OpCode::Status << R << int('S') << block("12") << QByteArray("99") << QByteArray() << OK;
    QTest::newRow("older radio has no password stage")
        << C << R << 0x06 << block("12") << QByteArray("99") << QByteArray() << OK;
}

void TestTransferEngine::passwordCheck()
{
    QFETCH(OpCode, op);
    QFETCH(ReadMode, mode);
    QFETCH(int, connect);
    QFETCH(QByteArray, radioBlock);
    QFETCH(QByteArray, current);
    QFETCH(QByteArray, newPassword);
    QFETCH(Outcome, outcome);

    Sim sim;
    Radio &radio = sim.radio();
    radio.connectReply = std::uint8_t(connect);
    fillStandard(radio);
    radio.put(0x41D0, radioBlock);
    sim.state.codeplug.setText(TextField::radioPassword, current);
    sim.state.codeplug.setText(TextField::newRadioPassword, newPassword);
    sim.make(op, mode);
    sim.start();
    VERIFY_ENDING(sim);

    QCOMPARE(outcomeName(sim.outcome), outcomeName(outcome));
    if (outcome == Outcome::PasswordError) {
        // The refusal counts only when a second reading of the area agrees.
        COMPARE_FRAMES(sim.frames(), currentHandshake() << rd(0x41D0) << rd(0x41E0));
        QCOMPARE(sim.finishedAt, sentAt(sim, rd(0x41E0), 2) + 20);
        QCOMPARE(hex(radio.peek(0x4000, 0x270)),
                 hex(standardBytes(0x4000, 0x1D0) + radioBlock + standardBytes(0x41E0, 0x90)));
    } else if (connect != 0x06 && op != OpCode::Status) {
        QCOMPARE(sim.frames().back(), kEnd);
    }
}

void TestTransferEngine::olderRadioRefusesOtherOperations_data()
{
    QTest::addColumn<OpCode>("op");
    QTest::addColumn<ReadMode>("mode");

    QTest::newRow("calibration read") << OpCode::Calibration << ReadMode::Read;
    QTest::newRow("calibration write") << OpCode::Calibration << ReadMode::Write;
    QTest::newRow("password write") << OpCode::Password << ReadMode::Write;
    QTest::newRow("code 5 read") << OpCode::Password << ReadMode::Read;
    QTest::newRow("code 4 read") << OpCode::SerialNumber << ReadMode::Read;
}

void TestTransferEngine::olderRadioRefusesOtherOperations()
{
    QFETCH(OpCode, op);
    QFETCH(ReadMode, mode);

    Sim sim;
    Radio &radio = sim.radio();
    radio.connectReply = 0x06;
    fillStandard(radio);
    sim.make(op, mode);
    sim.start();
    VERIFY_ENDING(sim);

    QCOMPARE(outcomeName(sim.outcome), "OldVersion");
    COMPARE_FRAMES(sim.frames(), Frames() << kProgram);
    QCOMPARE(sim.finishedAt, qint64(520));
}

void TestTransferEngine::unknownOperationSendsNothing_data()
{
    QTest::addColumn<OpCode>("op");
    QTest::addColumn<ReadMode>("mode");

    QTest::newRow("code 5 read") << OpCode::Password << ReadMode::Read;
    QTest::newRow("code 4 read") << OpCode::SerialNumber << ReadMode::Read;
    QTest::newRow("code 4 write") << OpCode::SerialNumber << ReadMode::Write;
}

void TestTransferEngine::unknownOperationSendsNothing()
{
    QFETCH(OpCode, op);
    QFETCH(ReadMode, mode);

    Sim sim;
    fillStandard(sim.radio());
    sim.make(op, mode);
    sim.start();
    VERIFY_ENDING(sim);

    QCOMPARE(outcomeName(sim.outcome), "CommunicationFalse");
    COMPARE_FRAMES(sim.frames(), currentHandshake());
    const qint64 lastAccepted = sentAt(sim, rd(0x41E0)) + 20;
    QCOMPARE(sim.finishedAt, lastAccepted + 5000);
}

void TestTransferEngine::closeMidTransfer_data()
{
    QTest::addColumn<OpCode>("op");
    QTest::addColumn<ReadMode>("mode");
    QTest::addColumn<int>("connect");
    QTest::addColumn<bool>("autoSearch");
    // Ports 1 and 3: 'S' a radio, '-' silent, 'X' an invalid connect reply.
    QTest::addColumn<QString>("radios");
    QTest::addColumn<QByteArray>("trigger");
    QTest::addColumn<int>("occurrence");
    QTest::addColumn<bool>("dropReply"); // the trigger goes unanswered
    QTest::addColumn<qint64>("at");      // after the trigger's sending, or absolute without one

    const auto C = OpCode::Codeplug;
    const auto R = ReadMode::Read, W = ReadMode::Write;
    const QByteArray none;
    QTest::newRow("during the pause after Start")
        << C << R << int('S') << false << "1=S" << none << 1 << false << qint64(200);
    QTest::newRow("during the pause after Start, search")
        << C << R << int('S') << true << "1=S" << none << 1 << false << qint64(520);
    QTest::newRow("waiting for the connect reply")
        << C << R << int('S') << false << "1=S" << kProgram << 1 << false << qint64(5);
    QTest::newRow("between the password reads")
        << C << W << int('S') << false << "1=S" << rd(0x41E0) << 1 << false << qint64(10);
    QTest::newRow("in the middle of a read")
        << C << R << int('S') << false << "1=S" << rd(0x4080) << 1 << false << qint64(10);
    QTest::newRow("in the middle of a write")
        << C << W << int('S') << false << "1=S" << wrHeader(0x4080) << 1 << false << qint64(10);
    QTest::newRow("waiting after a resent request")
        << C << W << int('S') << false << "1=S" << wrHeader(0x4080) << 1 << true << qint64(1010);
    QTest::newRow("older radio, block acknowledge")
        << C << R << 0x06 << false << "1=S" << kAck << 3 << false << qint64(10);
    QTest::newRow("calibration write, reread") << OpCode::Calibration << W << int('S') << false
                                               << "1=S" << rd(0x4100) << 1 << false << qint64(10);
    QTest::newRow("waiting for the status")
        << OpCode::Status << R << int('S') << false << "1=S" << kStatus << 1 << false << qint64(5);
    QTest::newRow("search moving to the next port")
        << C << R << int('S') << true << "1=-,3=-" << none << 1 << false << qint64(2570);
    QTest::newRow("search after an invalid reply")
        << C << R << int('S') << true << "1=X,3=S" << none << 1 << false << qint64(580);
}

void TestTransferEngine::closeMidTransfer()
{
    QFETCH(OpCode, op);
    QFETCH(ReadMode, mode);
    QFETCH(int, connect);
    QFETCH(bool, autoSearch);
    QFETCH(QString, radios);
    QFETCH(QByteArray, trigger);
    QFETCH(int, occurrence);
    QFETCH(bool, dropReply);
    QFETCH(qint64, at);

    Sim sim;
    sim.ports = {1, 3};
    for (const QString &entry : radios.split(QLatin1Char(','))) {
        const int p = entry.section(QLatin1Char('='), 0, 0).toInt();
        const char a = entry.section(QLatin1Char('='), 1).toLatin1().at(0);
        Radio &r = sim.radio(p);
        fillStandard(r);
        r.connectReply = std::uint8_t(a == 'X' ? 'X' : connect);
        r.answers = a != '-';
    }
    sim.make(op, mode, PortSettings{1, autoSearch});
    qint64 closeAt = at;
    if (trigger.isEmpty()) {
        sim.at(at, [&sim] { sim.engine->close(); });
    } else {
        auto seen = std::make_shared<int>(0);
        sim.radio(1).tamper = [&sim, &closeAt, trigger, occurrence, dropReply, at,
                               seen](int, const QByteArray &frame, Reply &reply) {
            if (!frame.startsWith(trigger) || ++*seen != occurrence)
                return;
            if (dropReply)
                reply.clear();
            closeAt = sim.now + at;
            sim.at(closeAt, [&sim] { sim.engine->close(); });
        };
    }
    sim.start();
    VERIFY_ENDING(sim);

    QCOMPARE(outcomeName(sim.outcome), "Closed");
    QCOMPARE(sim.finishedAt, closeAt);
    QCOMPARE(sim.indexOf(Sim::Kind::Send, kEnd), -1);
    QVERIFY(!sim.sends().empty() || trigger.isEmpty());
    if (!sim.sends().empty())
        QVERIFY(sim.sends().back().at < closeAt);
    if (dropReply)
        QCOMPARE(sentAt(sim, trigger, 2), sentAt(sim, trigger) + 1000);
    // The port goes at once.
    const auto closes = sim.filtered(Sim::Kind::Close);
    QVERIFY(!closes.empty());
    QCOMPARE(closes.back().at, closeAt);
    QCOMPARE(sim.engine->progress(), 0);
}

void TestTransferEngine::longRepliesBeforeTheBlocks_data()
{
    QTest::addColumn<OpCode>("op");
    QTest::addColumn<int>("connect");
    QTest::addColumn<QByteArray>("trigger");
    QTest::addColumn<int>("occurrence");
    QTest::addColumn<QByteArray>("extra");

    // The handshake stages want "at least" their bytes; only the blocks and
    // their acknowledges want exactly as many.
    const auto C = OpCode::Codeplug;
    QTest::newRow("connect reply S + 1 byte") << C << int('S') << kProgram << 1 << bytesOf({0x00});
    QTest::newRow("connect reply Y + 2 bytes")
        << C << int('Y') << kProgram << 1 << bytesOf({0x59, 0x59});
    QTest::newRow("first password reply + 1 byte")
        << C << int('S') << rd(0x41D0) << 1 << bytesOf({0x06});
    QTest::newRow("second password reply + 4 bytes")
        << C << int('S') << rd(0x41E0) << 1 << bytesOf({1, 2, 3, 4});
    QTest::newRow("identification + 1 byte") << C << 0x06 << kIdentify << 1 << bytesOf({0x00});
    QTest::newRow("confirm reply 06 06") << C << 0x06 << kAck << 1 << bytesOf({0x06});
    QTest::newRow("status reply + 5 bytes")
        << OpCode::Status << int('S') << kStatus << 1 << bytesOf({0, 0, 0, 0, 0});
}

void TestTransferEngine::longRepliesBeforeTheBlocks()
{
    QFETCH(OpCode, op);
    QFETCH(int, connect);
    QFETCH(QByteArray, trigger);
    QFETCH(int, occurrence);
    QFETCH(QByteArray, extra);

    Sim sim;
    Radio &radio = sim.radio();
    radio.connectReply = std::uint8_t(connect);
    fillStandard(radio);
    auto seen = std::make_shared<int>(0);
    radio.tamper = [=](int, const QByteArray &frame, Reply &reply) {
        if (frame.startsWith(trigger) && ++*seen == occurrence && !reply.empty())
            reply.front().bytes += extra;
    };
    sim.make(op, ReadMode::Read);
    sim.start();
    VERIFY_ENDING(sim);

    QCOMPARE(outcomeName(sim.outcome), "Success");
    COMPARE_FRAMES(sim.frames(), standardFrames(op, ReadMode::Read, connect));
    const int i = frameIndex(sim, trigger, occurrence);
    const auto sends = sim.sends();
    const qint64 next = i + 1 < int(sends.size()) ? sends[std::size_t(i + 1)].at : sim.finishedAt;
    QCOMPARE(next, sends[std::size_t(i)].at + 20);
}

void TestTransferEngine::progressSteps_data()
{
    QTest::addColumn<OpCode>("op");
    QTest::addColumn<ReadMode>("mode");
    QTest::addColumn<int>("connect");
    QTest::addColumn<QList<int>>("steps");
    QTest::addColumn<QList<int>>(
        "framesBefore"); // frames sent when each step showed; empty: not checked

    // +1 for the connect reply (2 after an older radio's confirm), +10 each
    // time the acknowledged bytes pass the operation's step (checked when a
    // request leaves), 100 at completion, 0 at the end. Worked out block by
    // block: a read of 23 blocks with step 36 advances after blocks 3, 5, 7,
    // 10, 12, 14, 16, 19 and 21.
    using L = QList<int>;
    QTest::newRow("read") << OpCode::Codeplug << ReadMode::Read << int('S')
                          << L{0, 1, 11, 21, 31, 41, 51, 61, 71, 81, 91, 100, 0}
                          << L{0, 1, 7, 9, 11, 14, 16, 18, 20, 23, 25, 26, 27};
    QTest::newRow("write") << OpCode::Codeplug << ReadMode::Write << int('S')
                           << L{0, 1, 11, 21, 31, 41, 51, 61, 71, 81, 91, 100, 0} << L{};
    QTest::newRow("older radio read")
        << OpCode::Codeplug << ReadMode::Read << 0x06
        << L{0, 1, 2, 12, 22, 32, 42, 52, 62, 72, 82, 92, 100, 0} << L{};
    QTest::newRow("older radio write")
        << OpCode::Codeplug << ReadMode::Write << 0x06
        << L{0, 1, 2, 12, 22, 32, 42, 52, 62, 72, 82, 92, 100, 0} << L{};
    QTest::newRow("calibration read") << OpCode::Calibration << ReadMode::Read << int('S')
                                      << L{0, 1, 11, 21, 31, 41, 51, 61, 71, 81, 91, 100, 0} << L{};
    QTest::newRow("calibration write")
        << OpCode::Calibration << ReadMode::Write << int('S')
        << L{0, 1, 11, 21, 31, 41, 51, 61, 71, 81, 91, 100, 0} << L{};
    QTest::newRow("password write")
        << OpCode::Password << ReadMode::Write << int('S') << L{0, 1, 100, 0} << L{};
    QTest::newRow("transceiver status")
        << OpCode::Status << ReadMode::Read << int('S') << L{0, 100, 0} << L{};
    QTest::newRow("no operation") << OpCode::SerialNumber << ReadMode::Read << int('S')
                                  << L{0, 1, 0} << L{};
}

void TestTransferEngine::progressSteps()
{
    QFETCH(OpCode, op);
    QFETCH(ReadMode, mode);
    QFETCH(int, connect);
    QFETCH(QList<int>, steps);
    QFETCH(QList<int>, framesBefore);

    Sim sim;
    Radio &radio = sim.radio();
    radio.connectReply = std::uint8_t(connect);
    fillStandard(radio);
    sim.make(op, mode);
    sim.start();
    VERIFY_ENDING(sim);

    // Repeated reports of the same value are not steps.
    QList<int> shown;
    QList<int> sentBefore;
    int sent = 0;
    for (const Sim::Event &e : sim.log) {
        if (e.kind == Sim::Kind::Send)
            ++sent;
        if (e.kind == Sim::Kind::Progress && (shown.isEmpty() || shown.last() != e.value)) {
            shown << e.value;
            sentBefore << sent;
        }
    }
    QCOMPARE(shown, steps);
    if (!framesBefore.isEmpty())
        QCOMPARE(sentBefore, framesBefore);
}

void TestTransferEngine::staleBytesBeforeConnectAreDiscarded_data()
{
    QTest::addColumn<OpCode>("op");
    QTest::addColumn<bool>("autoSearch");
    QTest::addColumn<QString>("radios"); // ports 1 and 3, as in closeMidTransfer
    QTest::addColumn<int>("port");       // where the noise arrives
    QTest::addColumn<QList<qint64>>("noiseAt");
    QTest::addColumn<int>("foundOn");

    using L = QList<qint64>;
    const auto C = OpCode::Codeplug, Y = OpCode::Status;
    QTest::newRow("during the pause after Start") << C << false << "1=S" << 1 << L{100, 499} << 1;
    QTest::newRow("during the pause after Start, search")
        << C << true << "1=S" << 1 << L{100, 549} << 1;
    QTest::newRow("during the search's pause on the next port")
        << C << true << "1=-,3=S" << 3 << L{2560, 2599} << 3;
    QTest::newRow("during the pause after an invalid reply")
        << C << true << "1=X,3=S" << 3 << L{580, 619} << 3;
    QTest::newRow("status, during the pause after Start")
        << Y << false << "1=S" << 1 << L{100, 499} << 1;
    QTest::newRow("status, during the search's pause")
        << Y << true << "1=-,3=S" << 3 << L{2560, 2599} << 3;
}

void TestTransferEngine::staleBytesBeforeConnectAreDiscarded()
{
    // Noise on the line before a connect request (a radio still chattering
    // from an earlier session) must not count as its reply.
    QFETCH(OpCode, op);
    QFETCH(bool, autoSearch);
    QFETCH(QString, radios);
    QFETCH(int, port);
    QFETCH(QList<qint64>, noiseAt);
    QFETCH(int, foundOn);

    Sim sim;
    sim.ports = {1, 3};
    for (const QString &entry : radios.split(QLatin1Char(','))) {
        const int p = entry.section(QLatin1Char('='), 0, 0).toInt();
        const char a = entry.section(QLatin1Char('='), 1).toLatin1().at(0);
        Radio &r = sim.radio(p);
        fillStandard(r);
        r.connectReply = std::uint8_t(a == 'X' ? 'X' : 'S');
        r.answers = a != '-';
    }
    sim.make(op, ReadMode::Read, PortSettings{1, autoSearch});
    for (qint64 t : noiseAt)
        sim.at(t, [&sim, port] { sim.inject(port, bytesOf({0x58, 0x06, 0x57})); });
    sim.start();
    VERIFY_ENDING(sim);
    QCOMPARE(outcomeName(sim.outcome), "Success");
    std::vector<QByteArray> fromConnect = sim.radio(foundOn).frames;
    if (op == OpCode::Status)
        fromConnect.erase(fromConnect.begin(), fromConnect.end() - 1); // the one answered
    COMPARE_FRAMES(fromConnect, standardFrames(op, ReadMode::Read, 'S'));
    if (op == OpCode::Status)
        QCOMPARE(hex(imageBytes(sim, 0, 6)), hex(bytesOf({0x7B, 0x40, 0x22, 0xA4, 0x00, 0x80})));
}

void TestTransferEngine::closeBeforeStart()
{
    Sim sim;
    fillStandard(sim.radio());
    sim.make(OpCode::Codeplug, ReadMode::Read);
    sim.engine->close();
    sim.start();
    QVERIFY(!sim.engine->isRunning());
    QCOMPARE(outcomeName(sim.engine->outcome()), "Closed");
    QVERIFY(sim.log.empty() || sim.filtered(Sim::Kind::Open).empty());
    QVERIFY(sim.sends().empty());
    QVERIFY(sim.finishedCount <= 1);
    QVERIFY(sim.violations.isEmpty());
}

void TestTransferEngine::closeAfterEnd()
{
    Sim sim;
    fillStandard(sim.radio());
    sim.make(OpCode::Codeplug, ReadMode::Read);
    sim.start();
    VERIFY_ENDING(sim);
    QCOMPARE(outcomeName(sim.outcome), "Success");
    const auto logged = sim.log.size();
    sim.engine->close();
    sim.run();
    QCOMPARE(outcomeName(sim.engine->outcome()), "Success");
    QCOMPARE(sim.finishedCount, 1);
    QCOMPARE(sim.log.size(), logged);
    sim.engine->runCompletion();
    QVERIFY(sim.state.codeplug.setting(Setting::tot) != 0);
}

void TestTransferEngine::closeFromWithinHostCall_data()
{
    QTest::addColumn<OpCode>("op");
    QTest::addColumn<ReadMode>("mode");
    QTest::addColumn<int>("connect");
    QTest::addColumn<int>("kind"); // Sim::Kind of the host call that closes
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("value");

    const auto C = OpCode::Codeplug;
    const auto R = ReadMode::Read, W = ReadMode::Write;
    const int send = int(Sim::Kind::Send), progress = int(Sim::Kind::Progress),
              purge = int(Sim::Kind::Purge);
    QTest::newRow("sending the connect request") << C << R << int('S') << send << kProgram << 0;
    QTest::newRow("sending a read request") << C << R << int('S') << send << rd(0x4050) << 0;
    QTest::newRow("sending a write request") << C << W << int('S') << send << wrHeader(0x4050) << 0;
    QTest::newRow("sending a block acknowledge") << C << R << 0x06 << send << kAck << 0;
    QTest::newRow("purging before the connect request")
        << C << R << int('S') << purge << QByteArray() << 0;
    QTest::newRow("progress after the connect reply")
        << C << R << int('S') << progress << QByteArray() << 1;
    QTest::newRow("progress after the confirm reply")
        << C << R << 0x06 << progress << QByteArray() << 2;
    QTest::newRow("progress step during a read")
        << C << R << int('S') << progress << QByteArray() << 41;
    QTest::newRow("progress step during a write")
        << C << W << int('S') << progress << QByteArray() << 51;
}

void TestTransferEngine::closeFromWithinHostCall()
{
    // A host may end the transfer from inside any of its own calls (a write
    // that fails, a window closed while the progress is drawn): the engine
    // then sends nothing more and leaves no timer running.
    QFETCH(OpCode, op);
    QFETCH(ReadMode, mode);
    QFETCH(int, connect);
    QFETCH(int, kind);
    QFETCH(QByteArray, bytes);
    QFETCH(int, value);

    Sim sim;
    Radio &radio = sim.radio();
    radio.connectReply = std::uint8_t(connect);
    fillStandard(radio);
    sim.make(op, mode);
    qint64 closedAt = -1;
    sim.onEvent = [&](const Sim::Event &e) {
        if (closedAt >= 0 || e.kind != Sim::Kind(kind) || !sim.engine->isRunning())
            return;
        if (e.kind == Sim::Kind::Send && !e.bytes.startsWith(bytes))
            return;
        if (e.kind == Sim::Kind::Progress && e.value != value)
            return;
        if (e.kind == Sim::Kind::Purge && sim.sends().empty() && e.at < 500)
            return; // the purges at opening come before the first request
        closedAt = sim.now;
        sim.engine->close();
    };
    sim.start();
    QVERIFY(closedAt >= 0);
    VERIFY_ENDING(sim);
    QCOMPARE(outcomeName(sim.outcome), "Closed");
    QCOMPARE(sim.finishedAt, closedAt);
    QCOMPARE(sim.indexOf(Sim::Kind::Send, kEnd), -1);
}

void TestTransferEngine::closeWhileEnding_data()
{
    QTest::addColumn<int>("silentFrom"); // -1: the radio answers everything
    QTest::addColumn<QByteArray>("radioPassword");
    QTest::addColumn<int>("kind"); // the host call during the ending that closes
    QTest::addColumn<Outcome>("outcome");

    const int closePort = int(Sim::Kind::Close), progress = int(Sim::Kind::Progress);
    QTest::newRow("success, closing in closePort")
        << -1 << QByteArray() << closePort << Outcome::Success;
    QTest::newRow("success, closing at progress 0")
        << -1 << QByteArray() << progress << Outcome::Success;
    QTest::newRow("time-out, closing in closePort")
        << 5 << QByteArray() << closePort << Outcome::CommunicationFalse;
    QTest::newRow("password error, closing at progress 0")
        << -1 << QByteArray("1234") << progress << Outcome::PasswordError;
}

void TestTransferEngine::closeWhileEnding()
{
    // The window closed while the transfer is already ending: the first
    // ending stands and is reported once.
    QFETCH(int, silentFrom);
    QFETCH(QByteArray, radioPassword);
    QFETCH(int, kind);
    QFETCH(Outcome, outcome);

    Sim sim;
    Radio &radio = sim.radio();
    fillStandard(radio);
    if (!radioPassword.isEmpty()) {
        const t880::PasswordBlock b =
            t880::encodePasswordBlock(radioPassword, [] { return std::uint8_t(7); });
        radio.put(0x41D0, QByteArray(reinterpret_cast<const char *>(b.data()), 16));
    }
    if (silentFrom >= 0)
        radio.tamper = [silentFrom](int n, const QByteArray &, Reply &reply) {
            if (n >= silentFrom)
                reply.clear();
        };
    sim.make(OpCode::Codeplug, ReadMode::Read);
    int closes = 0;
    sim.onEvent = [&](const Sim::Event &e) {
        if (e.kind != Sim::Kind(kind) || closes > 3)
            return;
        if (e.kind == Sim::Kind::Progress && e.value != 0)
            return;
        if (e.kind == Sim::Kind::Progress && sim.sends().empty())
            return; // the 0 at the beginning
        ++closes;
        sim.engine->close();
    };
    sim.start();
    QVERIFY(closes >= 1);
    VERIFY_ENDING(sim);
    QCOMPARE(outcomeName(sim.outcome), outcomeName(outcome));
}

QTEST_APPLESS_MAIN(TestTransferEngine)
#include "tst_transferengine.moc"
