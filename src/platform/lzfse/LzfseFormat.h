#pragma once
// Constants and small helpers shared by the LZFSE decoder and encoder.
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

namespace tolvex::lzfse {

inline constexpr uint32_t kMagicRaw = 0x2D787662;   // "bvx-"
inline constexpr uint32_t kMagicLzvn = 0x6E787662;  // "bvxn"
inline constexpr uint32_t kMagicV1 = 0x31787662;    // "bvx1"
inline constexpr uint32_t kMagicV2 = 0x32787662;    // "bvx2"
inline constexpr uint32_t kMagicEnd = 0x24787662;   // "bvx$"

// Number of states of each FSE table, and symbols per table.
inline constexpr uint32_t kLiteralStates = 1024;
inline constexpr uint32_t kLStates = 64;
inline constexpr uint32_t kMStates = 64;
inline constexpr uint32_t kDStates = 256;
inline constexpr uint32_t kLiteralSymbols = 256;
inline constexpr uint32_t kLSymbols = 20;
inline constexpr uint32_t kMSymbols = 20;
inline constexpr uint32_t kDSymbols = 64;
inline constexpr uint32_t kFrequencyCount = kLSymbols + kMSymbols + kDSymbols + kLiteralSymbols;  // 360

// Per-block limits.
inline constexpr uint32_t kMaxLiterals = 40000;
inline constexpr uint32_t kMaxMatches = 10000;
inline constexpr uint32_t kMaxL = 315;
inline constexpr uint32_t kMaxM = 2359;
inline constexpr uint32_t kMaxD = 262139;
inline constexpr uint32_t kV1HeaderSize = 772;
inline constexpr uint32_t kV2FixedHeaderSize = 32;

// Extra bits and base value of each L, M and D symbol: value = base + extra bits.
inline constexpr std::array<uint8_t, kLSymbols> kLExtra = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 3, 5, 8};
inline constexpr std::array<uint32_t, kLSymbols> kLBase = {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,
                                                           10, 11, 12, 13, 14, 15, 16, 20, 28, 60};
inline constexpr std::array<uint8_t, kMSymbols> kMExtra = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3, 5, 8, 11};
inline constexpr std::array<uint32_t, kMSymbols> kMBase = {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,
                                                           10, 11, 12, 13, 14, 15, 16, 24, 56, 312};

inline constexpr std::array<uint8_t, kDSymbols> kDExtra = [] {
  std::array<uint8_t, kDSymbols> extra{};
  for (uint32_t s = 0; s < kDSymbols; ++s) extra[s] = static_cast<uint8_t>(s >> 2);
  return extra;
}();
inline constexpr std::array<uint32_t, kDSymbols> kDBase = [] {
  std::array<uint32_t, kDSymbols> base{};
  for (uint32_t s = 0; s < kDSymbols; ++s) base[s] = s < 4 ? s : base[s - 1] + (1u << kDExtra[s - 1]);
  return base;
}();
static_assert(kDBase[63] == 229372 && kDBase[63] + (1u << kDExtra[63]) - 1 == kMaxD);

inline uint32_t load32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  if constexpr (std::endian::native == std::endian::big) v = __builtin_bswap32(v);
  return v;
}
inline uint64_t load64(const uint8_t* p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
  if constexpr (std::endian::native == std::endian::big) v = __builtin_bswap64(v);
  return v;
}
inline uint16_t load16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

// For a symbol of frequency f (1 <= f <= N, N = 2^logN): the number k of state bits read by the
// symbol's first states, with N <= f * 2^k < 2N.
inline uint32_t stateBits(uint32_t f, uint32_t logN) { return logN - static_cast<uint32_t>(std::bit_width(f) - 1); }

}  // namespace tolvex::lzfse
