#include "platform/Identifiers.h"

#include <chrono>
#include <cstdint>
#include <random>

namespace tolvex {

double nowSince1970() {
  using namespace std::chrono;
  return duration<double>(system_clock::now().time_since_epoch()).count();
}

std::string makeUUID() {
  thread_local std::mt19937_64 engine{std::random_device{}()};
  uint64_t hi = engine(), lo = engine();
  hi = (hi & 0xFFFFFFFFFFFF0FFFULL) | 0x0000000000004000ULL;  // version 4
  lo = (lo & 0x3FFFFFFFFFFFFFFFULL) | 0x8000000000000000ULL;  // RFC 4122 variant
  static const char* digits = "0123456789ABCDEF";
  std::string out;
  out.reserve(36);
  for (int i = 0; i < 32; ++i) {
    uint64_t word = i < 16 ? hi : lo;
    int shift = 60 - 4 * (i % 16);
    out += digits[(word >> shift) & 0xF];
    if (i == 7 || i == 11 || i == 15 || i == 19) out += '-';
  }
  return out;
}

}  // namespace tolvex
