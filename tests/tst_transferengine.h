// The transfer engine suite's shared part: frames and radio memory written out
// by hand, the expected course of each operation, the checks every ending
// passes, and the test class whose functions the suite's files define.
#pragma once

#include "enginesim.h"

#include <QtTest>

#include <initializer_list>

namespace enginetest {

using namespace enginesim;

// --- frames ------------------------------------------------------------------

inline QByteArray bytesOf(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out.append(char(v & 0xFF));
    return out;
}

inline const QByteArray kProgram = bytesOf({0x50, 0x52, 0x4F, 0x47, 0x52, 0x41, 0x4D});
inline const QByteArray kIdentify = bytesOf({0x02});
inline const QByteArray kAck = bytesOf({0x06});
inline const QByteArray kEnd = bytesOf({0x45});
inline const QByteArray kStatus = bytesOf({0x59, 0x52});
inline const QByteArray kIdentification = bytesOf({0x50, 0x33, 0x32, 0x30, 0x37, 0x33, 0xF8, 0xFF});

inline QByteArray rd(int address)
{
    return bytesOf({0x52, address >> 8, address & 0xFF, 0x10});
}
inline QByteArray wrHeader(int address)
{
    return bytesOf({0x57, address >> 8, address & 0xFF, 0x10});
}
inline QByteArray wr(int address, const QByteArray &data)
{
    return wrHeader(address) + data;
}
inline QByteArray readReply(int address, int length, const QByteArray &data)
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

inline QString describe(const QByteArray &frame)
{
    return QString::fromLatin1(hex(frame.left(8))) +
           (frame.size() > 8 ? QStringLiteral(" ...(%1 bytes)").arg(frame.size()) : QString());
}

/// Empty when \a actual matches, else where it first differs.
inline QString compareFrames(const std::vector<QByteArray> &actual, const Frames &expected)
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

inline std::uint8_t pattern(int address)
{
    return std::uint8_t((address * 13 + (address >> 8) * 7 + 5) & 0xFF);
}

/// What the standard radio holds: a pattern everywhere, no channel record in
/// use (first bytes alternate 0x00 and 0xFF), no password (0x00 at 0x41D0).
inline std::uint8_t standardByte(int address)
{
    const int channelOffset = address - 0x4000;
    if (channelOffset >= 0 && channelOffset < 16 * 19 && channelOffset % 19 == 0)
        return (channelOffset / 19) % 2 ? 0xFF : 0x00;
    if (address == 0x41D0)
        return 0x00;
    return pattern(address);
}

inline QByteArray standardBytes(int address, int length)
{
    QByteArray out;
    for (int i = 0; i < length; ++i)
        out.append(char(standardByte(address + i)));
    return out;
}

inline void fillStandard(Radio &r)
{
    for (int a = 0x0000; a < 0x0200; ++a)
        r.memory[std::size_t(a)] = standardByte(a);
    for (int a = 0x4000; a < 0x4270; ++a)
        r.memory[std::size_t(a)] = standardByte(a);
    r.status = {0x7B, 0x40, 0x22, 0xA4, 0x00, 0x80};
}

inline void putAt(QByteArray &image, int offset, std::initializer_list<int> values)
{
    for (int v : values)
        image[offset++] = char(v);
}

/// Radio addresses 0x4000..0x416F of a new codeplug written on the fixed date
/// 2024-03-15 10:42: no channel in use, the default settings.
inline QByteArray newCodeplugImage()
{
    QByteArray img(0x170, '\0');
    putAt(img, 0x150, {0x07, 0xE8, 0x03, 0x0F, 0x0A, 0x2A});
    putAt(img, 0x156,
          {0x00, 0xB4, 0x05, 0x01, 0x01, 0x02, 0x58, 0x05, 0x01, 0x00, 0x00, 0x00, 0x00, 0x07, 0xD0,
           0x00, 0x0A, 0x18, 0x03});
    return img;
}

/// The legacy image of a new codeplug (addresses 0x0000..0x01FF).
inline QByteArray newLegacyImage()
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
inline QByteArray defaultCalibrationBlock(bool variant)
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
inline QByteArray handCalibrationPoints()
{
    return bytesOf({0x01, 0x90, 40,   20,   10,  0x01, 0xB8, 80,   50,   30,  0x01, 0xCC, 90,
                    60,   40,   0x01, 0xE0, 100, 70,   50,   0x01, 0xF4, 110, 80,   60});
}
inline QByteArray handSquelchOffsets()
{
    return bytesOf({0xF0, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF7, 0xF8});
}

// --- the expected course of each operation ------------------------------------------

inline Frames currentHandshake()
{
    return Frames() << kProgram << rd(0x41D0) << rd(0x41E0);
}
inline Frames legacyHandshake()
{
    return Frames() << kProgram << kIdentify << kAck;
}

/// The frames of an undisturbed transfer with the standard radio and a new
/// codeplug, worked out from the block lists of each operation.
inline Frames standardFrames(OpCode op, ReadMode mode, int connect, bool newPassword = false)
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

inline const char *outcomeName(Outcome o)
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
inline void tamperWith(Radio &r, const QByteArray &trigger, int occurrence, const Reply &reply,
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
inline qint64 sentAt(const Sim &sim, const QByteArray &trigger, int occurrence = 1)
{
    int seen = 0;
    for (const Sim::Event &e : sim.sends())
        if (e.bytes.startsWith(trigger) && ++seen == occurrence)
            return e.at;
    return -1;
}

/// Index among the sent frames of that frame, or -1.
inline int frameIndex(const Sim &sim, const QByteArray &trigger, int occurrence = 1)
{
    int seen = 0;
    const auto s = sim.sends();
    for (std::size_t i = 0; i < s.size(); ++i)
        if (s[i].bytes.startsWith(trigger) && ++seen == occurrence)
            return int(i);
    return -1;
}

inline QByteArray imageBytes(const Sim &sim, int offset, int length)
{
    return QByteArray(reinterpret_cast<const char *>(sim.state.image.raw.data()) + offset, length);
}

inline Frames withDuplicate(const Frames &f, const QByteArray &trigger, int occurrence)
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

// Every ending, whatever the test: one finished(), the port closed and every
// timer stopped by then, progress back to 0 before it, nothing sent after.
inline void verifyEnding(const Sim &sim)
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

} // namespace enginetest

Q_DECLARE_METATYPE(enginesim::OpCode)
Q_DECLARE_METATYPE(enginesim::ReadMode)
Q_DECLARE_METATYPE(enginesim::Outcome)
Q_DECLARE_METATYPE(enginetest::Frames)
Q_DECLARE_METATYPE(enginesim::Reply)

// Checks the ending with verifyEnding() and leaves the test at its first failure.
#define VERIFY_ENDING(sim)                                                                         \
    do {                                                                                           \
        enginetest::verifyEnding(sim);                                                             \
        if (QTest::currentTestFailed())                                                            \
            return;                                                                                \
    } while (false)

#define COMPARE_FRAMES(actual, expected)                                                           \
    do {                                                                                           \
        const QString diff_ = enginetest::compareFrames(actual, expected);                         \
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
