#include "codeplug/passwordblock.h"

#include <memory>
#include <random>

namespace t880 {

namespace {

std::uint8_t keyStream(std::uint8_t key, int i)
{
    return std::uint8_t((key + 1) * (2 * i + 3) + 0x5A + (key >> 3) * i);
}

std::uint8_t sum(const std::uint8_t *p, int n)
{
    unsigned s = 0;
    for (int i = 0; i < n; ++i)
        s += p[i];
    return std::uint8_t(s);
}

} // namespace

RandomByteSource systemRandomBytes()
{
    auto device = std::make_shared<std::random_device>();
    return [device] {
        return std::uint8_t((*device)() & 0xFF);
    };
}

PasswordBlock encodePasswordBlock(const QByteArray &password, const RandomByteSource &random)
{
    PasswordBlock block{};
    for (auto &b : block)
        b = random();
    const QByteArray text = password.left(MaxPasswordLength);
    block[0] = std::uint8_t(text.size());
    const std::uint8_t key = block[1];
    for (int i = 0; i < text.size(); ++i)
        block[2 + i] = std::uint8_t(std::uint8_t(text[i]) ^ keyStream(key, i));
    block[15] = sum(block.data(), 15);
    return block;
}

bool checkPasswordBlock(const std::uint8_t *block, const QByteArray &password)
{
    const std::uint8_t length = block[0];
    if (length == 0x00 || length == 0xFF)
        return true;
    if (length != password.size())
        return false;
    // A damaged block must not lock the owner out of the radio.
    if (length > MaxPasswordLength || block[15] != sum(block, 15))
        return true;
    const std::uint8_t key = block[1];
    for (int i = 0; i < length; ++i) {
        if (std::uint8_t(block[2 + i] ^ keyStream(key, i)) != std::uint8_t(password[i]))
            return false;
    }
    return true;
}

} // namespace t880
