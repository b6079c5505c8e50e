// Random texts from the system's source, for names that must not collide.
#include "os/Random.h"

#include <array>

namespace lumora {

String RandomLetters(int32_t count) {
  constexpr char16_t kAlphabet[] = u"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
  constexpr unsigned kLetters = 52;
  // Bytes from 208 (= 4 * 52) up are thrown away so that every letter is
  // equally likely.
  constexpr unsigned kLimit = 256 / kLetters * kLetters;
  String out;
  if (count < 1) return out;
  out.reserve(static_cast<size_t>(count));
  std::array<uint8_t, 64> pool{};
  while (out.size() < static_cast<size_t>(count)) {
    OsRandomBytes(pool.data(), pool.size());
    for (const uint8_t byte : pool) {
      if (byte >= kLimit) continue;
      out += kAlphabet[byte % kLetters];
      if (out.size() == static_cast<size_t>(count)) break;
    }
  }
  return out;
}

}  // namespace lumora
