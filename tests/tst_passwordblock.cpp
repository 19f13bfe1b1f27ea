// The 16-byte programming-password block: what the encoder makes (length in
// byte 0, sum in byte 15, a different block every time) and the rules of the
// check, in their order.
#include "codeplug/passwordblock.h"

#include <QtTest>

#include <memory>
#include <random>
#include <set>

using namespace t880;

namespace {

RandomByteSource seededBytes(unsigned seed)
{
    auto gen = std::make_shared<std::mt19937>(seed);
    return [gen] {
        return std::uint8_t((*gen)() & 0xFF);
    };
}

RandomByteSource constantBytes(std::uint8_t value)
{
    return [value] {
        return value;
    };
}

std::uint8_t sumOf(const PasswordBlock &b)
{
    unsigned s = 0;
    for (int i = 0; i < 15; ++i)
        s += b[std::size_t(i)];
    return std::uint8_t(s);
}

PasswordBlock blockFromHex(const QByteArray &text)
{
    const QByteArray bytes = QByteArray::fromHex(text);
    PasswordBlock b{};
    for (int i = 0; i < 16 && i < bytes.size(); ++i)
        b[std::size_t(i)] = std::uint8_t(bytes[i]);
    return b;
}

/// A password of \a length characters drawn from \a gen: printable ASCII, or
/// any byte except NUL when \a highBytes (code-page text).
QByteArray randomPassword(std::mt19937 &gen, int length, bool highBytes)
{
    QByteArray p;
    for (int i = 0; i < length; ++i) {
        const unsigned r = gen();
        p.append(char(highBytes ? 1 + r % 255 : 0x21 + r % 94));
    }
    return p;
}

/// The same length, one character changed by \a delta (never to NUL).
QByteArray otherPassword(QByteArray p, int position, int delta)
{
    const std::uint8_t old = std::uint8_t(p[position]);
    std::uint8_t c = std::uint8_t(old + delta);
    if (c == 0)
        c = std::uint8_t(old + delta + 1);
    p[position] = char(c);
    return p;
}

} // namespace

class TestPasswordBlock : public QObject
{
    Q_OBJECT

private slots:
    void encoderRoundTrip_data();
    void encoderRoundTrip();
    void constantSources_data();
    void constantSources();
    void layoutBytes_data();
    void layoutBytes();
    void encodingsDiffer_data();
    void encodingsDiffer();
    void longPasswordIsCut();
    void checkRules_data();
    void checkRules();
    void badSumPasses_data();
    void badSumPasses();
    void caseSensitive_data();
    void caseSensitive();
};

void TestPasswordBlock::encoderRoundTrip_data()
{
    QTest::addColumn<bool>("system");
    QTest::addColumn<unsigned>("seed");
    QTest::addColumn<bool>("highBytes");

    QTest::newRow("seeded source 1, ASCII") << false << 1u << false;
    QTest::newRow("seeded source 2, ASCII") << false << 2u << false;
    QTest::newRow("seeded source 3, code-page bytes") << false << 3u << true;
    QTest::newRow("seeded source 4, code-page bytes") << false << 4u << true;
    QTest::newRow("system source, ASCII") << true << 5u << false;
    QTest::newRow("system source, code-page bytes") << true << 6u << true;
}

void TestPasswordBlock::encoderRoundTrip()
{
    QFETCH(bool, system);
    QFETCH(unsigned, seed);
    QFETCH(bool, highBytes);

    const RandomByteSource random = system ? systemRandomBytes() : seededBytes(seed * 7919u);
    std::mt19937 gen(seed);
    for (int round = 0; round < 40; ++round) {
        for (int length = 1; length <= MaxPasswordLength; ++length) {
            const QByteArray password = randomPassword(gen, length, highBytes);
            const PasswordBlock block = encodePasswordBlock(password, random);
            const QByteArray where = password.toHex() + " length " + QByteArray::number(length);

            QVERIFY2(checkPasswordBlock(block.data(), password), where.constData());
            QCOMPARE(int(block[0]), length);
            QCOMPARE(block[15], sumOf(block));

            // Another password of the same length (one character off).
            const int pos = int(gen() % unsigned(length));
            QVERIFY2(!checkPasswordBlock(block.data(), otherPassword(password, pos, 1)),
                     where.constData());
            QVERIFY2(!checkPasswordBlock(block.data(), otherPassword(password, pos, 0x80)),
                     where.constData());
            // Another password: a prefix, an extension, the empty password.
            if (length > 1)
                QVERIFY(!checkPasswordBlock(block.data(), password.left(length - 1)));
            QVERIFY(!checkPasswordBlock(block.data(), password + 'x'));
            QVERIFY(!checkPasswordBlock(block.data(), QByteArray()));
        }
    }
}

void TestPasswordBlock::constantSources_data()
{
    QTest::addColumn<int>("value");
    QTest::newRow("source always 00") << 0x00;
    QTest::newRow("source always FF") << 0xFF;
    QTest::newRow("source always 0C") << 0x0C;
    QTest::newRow("source always 5A") << 0x5A;
}

void TestPasswordBlock::constantSources()
{
    QFETCH(int, value);

    // However poor the randomness, every block is well formed and accepted.
    for (const QByteArray &password :
         {QByteArray("a"), QByteArray("Secret"), QByteArray("123456789012"),
          QByteArray("\xB2\xE2\xCA\xD4")}) {
        const PasswordBlock block =
            encodePasswordBlock(password, constantBytes(std::uint8_t(value)));
        QCOMPARE(int(block[0]), password.size());
        QCOMPARE(block[15], sumOf(block));
        QVERIFY(checkPasswordBlock(block.data(), password));
        QVERIFY(!checkPasswordBlock(block.data(), otherPassword(password, 0, 1)));
    }
}

void TestPasswordBlock::layoutBytes_data()
{
    QTest::addColumn<QByteArray>("password");
    QTest::addColumn<int>("length");

    QTest::newRow("empty: no password") << QByteArray() << 0;
    QTest::newRow("one character") << QByteArray("x") << 1;
    QTest::newRow("six characters") << QByteArray("abc123") << 6;
    QTest::newRow("twelve characters") << QByteArray("ABCDEFGHIJKL") << 12;
}

void TestPasswordBlock::layoutBytes()
{
    QFETCH(QByteArray, password);
    QFETCH(int, length);

    for (unsigned seed = 0; seed < 50; ++seed) {
        const PasswordBlock block = encodePasswordBlock(password, seededBytes(seed));
        QCOMPARE(int(block[0]), length);
        QCOMPARE(block[15], sumOf(block));
    }
    // An empty password writes a radio without password: any password passes.
    if (length == 0) {
        const PasswordBlock block = encodePasswordBlock(password, systemRandomBytes());
        QVERIFY(checkPasswordBlock(block.data(), QByteArray("anything")));
        QVERIFY(checkPasswordBlock(block.data(), QByteArray()));
    }
}

void TestPasswordBlock::encodingsDiffer_data()
{
    QTest::addColumn<QByteArray>("password");
    QTest::newRow("one character") << QByteArray("x");
    QTest::newRow("six characters") << QByteArray("abc123");
    QTest::newRow("twelve characters") << QByteArray("ABCDEFGHIJKL");
    QTest::newRow("empty") << QByteArray();
}

void TestPasswordBlock::encodingsDiffer()
{
    QFETCH(QByteArray, password);

    // A seeded source: consecutive encodings draw different bytes.
    const RandomByteSource seeded = seededBytes(42);
    const PasswordBlock a = encodePasswordBlock(password, seeded);
    const PasswordBlock b = encodePasswordBlock(password, seeded);
    QVERIFY(a != b);

    // The system source: 64 encodings are (all but by rare chance) distinct.
    // Even a twelve-character block carries 16 random bits (key and filler),
    // so a handful of coincidences is all that chance allows.
    const RandomByteSource system = systemRandomBytes();
    std::set<PasswordBlock> seen;
    for (int i = 0; i < 64; ++i) {
        const PasswordBlock block = encodePasswordBlock(password, system);
        QVERIFY(checkPasswordBlock(block.data(), password));
        seen.insert(block);
    }
    QVERIFY2(seen.size() >= 60, QByteArray::number(int(seen.size())).constData());

    // Two independent system sources do not repeat each other.
    const PasswordBlock c = encodePasswordBlock(password, systemRandomBytes());
    const PasswordBlock d = encodePasswordBlock(password, systemRandomBytes());
    const PasswordBlock e = encodePasswordBlock(password, systemRandomBytes());
    QVERIFY(!(c == d && d == e));
}

void TestPasswordBlock::longPasswordIsCut()
{
    // The encoder keeps at most twelve characters.
    const QByteArray password("ABCDEFGHIJKLMNOP");
    const PasswordBlock block = encodePasswordBlock(password, seededBytes(9));
    QCOMPARE(int(block[0]), 12);
    QVERIFY(checkPasswordBlock(block.data(), password.left(12)));
    QVERIFY(!checkPasswordBlock(block.data(), password));
}

void TestPasswordBlock::checkRules_data()
{
    QTest::addColumn<QByteArray>("block"); // hex
    QTest::addColumn<QByteArray>("password");
    QTest::addColumn<bool>("pass");

    // Rule 1: length 0x00 or 0xFF means no password in the radio.
    QTest::newRow("00, any password")
        << QByteArray("00112233445566778899AABBCCDDEEFF") << QByteArray("secret") << true;
    QTest::newRow("00, empty password")
        << QByteArray("00000000000000000000000000000000") << QByteArray() << true;
    QTest::newRow("FF, any password")
        << QByteArray("FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF") << QByteArray("abc") << true;
    QTest::newRow("FF, twelve characters")
        << QByteArray("FF0102030405060708090A0B0C0D0E00") << QByteArray("ABCDEFGHIJKL") << true;
    // Rule 2: a length that differs fails, before the sum is looked at.
    QTest::newRow("length 5, password of 4")
        << QByteArray("05000000000000000000000000000000") << QByteArray("abcd") << false;
    QTest::newRow("length 5, password of 6")
        << QByteArray("05000000000000000000000000000000") << QByteArray("abcdef") << false;
    QTest::newRow("length 1, empty password")
        << QByteArray("01000000000000000000000000000001") << QByteArray() << false;
    QTest::newRow("length 13, password of 12")
        << QByteArray("0D00000000000000000000000000000D") << QByteArray("ABCDEFGHIJKL") << false;
    // Rule 3: a length above 12 that matches passes, whatever the content.
    QTest::newRow("length 13 matching the claimed password")
        << QByteArray("0D000000000000000000000000000000") << QByteArray("ABCDEFGHIJKLM") << true;
    QTest::newRow("length 20 matching the claimed password")
        << QByteArray("14FFEEDDCCBBAA998877665544332211") << QByteArray("01234567890123456789")
        << true;
    // Rule 3: a wrong sum passes (a damaged block does not lock the owner out).
    QTest::newRow("length 4, wrong sum")
        << QByteArray("04112233445566778899AABBCCDDEE00") << QByteArray("wxyz") << true;
}

void TestPasswordBlock::checkRules()
{
    QFETCH(QByteArray, block);
    QFETCH(QByteArray, password);
    QFETCH(bool, pass);

    const PasswordBlock b = blockFromHex(block);
    QCOMPARE(checkPasswordBlock(b.data(), password), pass);
}

void TestPasswordBlock::badSumPasses_data()
{
    QTest::addColumn<QByteArray>("password");
    QTest::addColumn<int>("damaged"); // byte changed after encoding

    QTest::newRow("abcd, filler byte 14 changed") << QByteArray("abcd") << 14;
    QTest::newRow("abcd, sum byte 15 changed") << QByteArray("abcd") << 15;
    QTest::newRow("twelve, byte 1 changed") << QByteArray("ABCDEFGHIJKL") << 1;
    QTest::newRow("twelve, byte 7 changed") << QByteArray("ABCDEFGHIJKL") << 7;
}

void TestPasswordBlock::badSumPasses()
{
    QFETCH(QByteArray, password);
    QFETCH(int, damaged);

    const QByteArray wrong = otherPassword(password, 0, 3);
    PasswordBlock block = encodePasswordBlock(password, seededBytes(11));
    QVERIFY(!checkPasswordBlock(block.data(), wrong));

    block[std::size_t(damaged)] = std::uint8_t(block[std::size_t(damaged)] + 1);
    QVERIFY(block[15] != sumOf(block));
    QVERIFY(checkPasswordBlock(block.data(), wrong));
    QVERIFY(checkPasswordBlock(block.data(), password));

    // With the sum made right again the damaged content is judged and fails
    // for the wrong password (only a change of byte 15 itself leaves the
    // content intact).
    block[15] = sumOf(block);
    QVERIFY(!checkPasswordBlock(block.data(), wrong));
    if (damaged == 15)
        QVERIFY(checkPasswordBlock(block.data(), password));
}

void TestPasswordBlock::caseSensitive_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QByteArray>("claimed");
    QTest::addColumn<bool>("pass");

    QTest::newRow("same text") << QByteArray("Secret") << QByteArray("Secret") << true;
    QTest::newRow("lower case") << QByteArray("Secret") << QByteArray("secret") << false;
    QTest::newRow("upper case") << QByteArray("Secret") << QByteArray("SECRET") << false;
    QTest::newRow("last character's case")
        << QByteArray("abcdefghijkL") << QByteArray("abcdefghijkl") << false;
    QTest::newRow("digits have no case") << QByteArray("123456") << QByteArray("123456") << true;
}

void TestPasswordBlock::caseSensitive()
{
    QFETCH(QByteArray, stored);
    QFETCH(QByteArray, claimed);
    QFETCH(bool, pass);

    for (unsigned seed = 0; seed < 20; ++seed) {
        const PasswordBlock block = encodePasswordBlock(stored, seededBytes(seed));
        QCOMPARE(checkPasswordBlock(block.data(), claimed), pass);
    }
}

QTEST_GUILESS_MAIN(TestPasswordBlock)
#include "tst_passwordblock.moc"
