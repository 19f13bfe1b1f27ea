// The radio's 16-byte programming-password block.
//
//   byte 0      password length 1..12 (0x00 or 0xFF: no password)
//   byte 1      scramble key, random for every block
//   bytes 2..13 the characters XORed with a key stream, random filler after them
//   byte 14     random filler
//   byte 15     sum of bytes 0..14 modulo 256
#pragma once

#include <QByteArray>

#include <array>
#include <cstdint>
#include <functional>

namespace t880 {

using PasswordBlock = std::array<std::uint8_t, 16>;
/// Source of random bytes for the scramble key and the filler.
using RandomByteSource = std::function<std::uint8_t()>;

constexpr int MaxPasswordLength = 12;

/// Random bytes from the operating system's generator.
RandomByteSource systemRandomBytes();

/// Builds a block holding \a password (cut to twelve characters); an empty
/// password gives a block that leaves the radio without password.
PasswordBlock encodePasswordBlock(const QByteArray &password, const RandomByteSource &random);

/// Judges a block read from the radio against the password the user claims:
/// no password in the radio passes; a length that differs fails; a block
/// that is not well formed (length above 12 or a wrong sum) passes; anything
/// else passes only when the password matches exactly.
bool checkPasswordBlock(const std::uint8_t *block, const QByteArray &password);

} // namespace t880
