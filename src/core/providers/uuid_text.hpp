// src/core/providers/uuid_text.hpp: 128 bits written as a version-4 UUID in 8-4-4-4-12 groups.
#pragma once

#include <array>
#include <cstdint>

#include "providers/short_text.hpp"
#include "random.hpp"

namespace tarvo {

// Octets 0..7 are bits.high, most significant byte first, then bits.low. Six bits are
// overwritten: the version nibble (bits 12..15 of high) becomes 4 and the variant (bits 62..63
// of low) becomes 10 (RFC 9562); the other 122 pass through.
inline ShortText<36> uuid_text(U128 bits) noexcept {
  std::array<std::uint8_t, 16> octets;
  for (int i = 0; i < 8; ++i) {
    octets[i] = static_cast<std::uint8_t>(bits.high >> (56 - 8 * i));
    octets[8 + i] = static_cast<std::uint8_t>(bits.low >> (56 - 8 * i));
  }
  octets[6] = static_cast<std::uint8_t>((octets[6] & 0x0F) | 0x40);  // version 4
  octets[8] = static_cast<std::uint8_t>((octets[8] & 0x3F) | 0x80);  // variant 10

  static constexpr char kHex[] = "0123456789abcdef";
  ShortText<36> text;
  char* out = text.extend(36);
  for (int i = 0; i < 16; ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10) {
      *out++ = '-';
    }
    *out++ = kHex[octets[i] >> 4];
    *out++ = kHex[octets[i] & 0x0F];
  }
  return text;
}

}  // namespace tarvo
