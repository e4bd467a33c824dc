// LZFSE decoder. Every read of the input and every write of the output is bounds-checked against
// the block being decoded; all failures are deliberate rejections.
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <new>
#include <vector>

#include "platform/lzfse/Lzfse.h"
#include "platform/lzfse/LzfseFormat.h"

namespace tolvex {

using namespace lzfse;

namespace {

// Room kept after the current block's output, so copies may move whole 8- or 16-byte chunks and run a
// few bytes past the end of a match; those bytes are overwritten by what comes next.
constexpr size_t kSlack = 64;
// Output room made at once for a block, whatever it declares: more than an LZFSE block can produce
// (their declared sizes are checked against what their bytes can produce); LZVN blocks, which can
// claim 136 bytes per payload byte, get less and grow as they produce.
constexpr size_t kTrustedLzfseBlock = size_t{32} << 20;
constexpr size_t kTrustedLzvnBlock = size_t{1} << 20;

// A large output is written once, front to back: huge pages make its first touch several times
// cheaper (and spare TLB misses when it is parsed). Only a hint; ignored where unsupported.
void adviseHugePages(char* data, size_t size) {
  constexpr size_t kWorthIt = size_t{8} << 20;
  if (size < kWorthIt) return;
  const uintptr_t page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
  const uintptr_t begin = (reinterpret_cast<uintptr_t>(data) + page - 1) & ~(page - 1);
  const uintptr_t end = (reinterpret_cast<uintptr_t>(data) + size) & ~(page - 1);
  if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

// ---------------------------------------------------------------------------------------------
// LZVN opcodes

enum class Op : uint8_t {
  smallDistance,
  mediumDistance,
  largeDistance,
  previousDistance,
  shortLiteral,
  longLiteral,
  shortMatch,
  longMatch,
  nop,
  eos,
  undefined
};

constexpr std::array<Op, 256> kOps = [] {
  std::array<Op, 256> ops{};
  for (unsigned op = 0; op < 256; ++op) {
    Op kind;
    if (op == 0x06)
      kind = Op::eos;
    else if (op == 0x0E || op == 0x16)
      kind = Op::nop;
    else if ((op >= 0x70 && op <= 0x7F) || (op >= 0xD0 && op <= 0xDF))
      kind = Op::undefined;
    else if (op >= 0xA0 && op <= 0xBF)
      kind = Op::mediumDistance;
    else if (op == 0xE0)
      kind = Op::longLiteral;
    else if (op >= 0xE1 && op <= 0xEF)
      kind = Op::shortLiteral;
    else if (op == 0xF0)
      kind = Op::longMatch;
    else if (op >= 0xF1)
      kind = Op::shortMatch;
    else if ((op & 7) == 7)
      kind = Op::largeDistance;
    else if ((op & 7) == 6)
      kind = op < 0x40 ? Op::undefined : Op::previousDistance;
    else
      kind = Op::smallDistance;
    ops[op] = kind;
  }
  return ops;
}();

constexpr size_t countOps(Op kind) {
  size_t n = 0;
  for (Op op : kOps) n += op == kind;
  return n;
}
static_assert(countOps(Op::smallDistance) == 120 && countOps(Op::undefined) == 37 &&
              countOps(Op::mediumDistance) == 32 && countOps(Op::largeDistance) == 20 &&
              countOps(Op::previousDistance) == 12 && countOps(Op::shortLiteral) == 15 &&
              countOps(Op::shortMatch) == 15);

// Copies a match of `length` bytes from `distance` bytes back (distance >= 1, overlap allowed: the last
// `distance` bytes repeat). May write up to 15 bytes past dst + length.
inline void copyMatch(uint8_t* dst, size_t distance, size_t length) {
  uint8_t* const end = dst + length;
  if (distance < 8) {
    // output[i] = output[i - distance] also holds at any multiple of the distance; copy byte by byte
    // until a multiple of at least 8 can serve as the distance of whole-word copies.
    const size_t step = distance * ((8 + distance - 1) / distance);
    const size_t head = std::min(length, step - distance);
    const uint8_t* from = dst - distance;
    for (size_t i = 0; i < head; ++i) dst[i] = from[i];
    dst += head;
    distance = step;
    if (dst >= end) return;
  }
  const uint8_t* src = dst - distance;
  if (distance >= 16) {
    do {
      std::memcpy(dst, src, 16);
      dst += 16;
      src += 16;
    } while (dst < end);
  } else {
    do {
      std::memcpy(dst, src, 8);
      dst += 8;
      src += 8;
    } while (dst < end);
  }
}

// ---------------------------------------------------------------------------------------------
// FSE tables

constexpr uint8_t kInvalidBits = 0xFF;  // more bits than a reader ever holds: landing here fails

struct LiteralEntry {
  uint8_t nbits;
  uint8_t symbol;
  uint16_t delta;
};

struct ValueEntry {
  uint8_t bits;  // state bits + extra bits, read as one field
  uint8_t extra;
  uint16_t delta;
  uint32_t base;
};

// Calls emit(index, symbol, nbits, delta) for every state of a table of 2^logN states built from the
// normalized frequencies. Returns the number of states filled, or nothing when the sum exceeds N.
template <typename Emit>
std::optional<uint32_t> layOutStates(const uint16_t* freq, uint32_t symbols, uint32_t logN, Emit emit) {
  const uint32_t n = 1u << logN;
  uint32_t sum = 0;
  for (uint32_t s = 0; s < symbols; ++s) sum += freq[s];
  if (sum > n) return std::nullopt;
  uint32_t pos = 0;
  for (uint32_t s = 0; s < symbols; ++s) {
    const uint32_t f = freq[s];
    if (f == 0) continue;
    const uint32_t k = stateBits(f, logN);
    const uint32_t j0 = ((2 * n) >> k) - f;
    for (uint32_t j = 0; j < f; ++j) {
      if (j < j0)
        emit(pos + j, s, k, ((f + j) << k) - n);
      else
        emit(pos + j, s, k - 1, (j - j0) << (k - 1));
    }
    pos += f;
  }
  return pos;
}

bool buildLiteralTable(const uint16_t* freq, LiteralEntry* table) {
  auto filled = layOutStates(freq, kLiteralSymbols, 10, [&](uint32_t i, uint32_t s, uint32_t nbits, uint32_t delta) {
    table[i] = {static_cast<uint8_t>(nbits), static_cast<uint8_t>(s), static_cast<uint16_t>(delta)};
  });
  if (!filled) return false;
  for (uint32_t i = *filled; i < kLiteralStates; ++i) table[i] = {kInvalidBits, 0, 0};
  return true;
}

bool buildValueTable(const uint16_t* freq, uint32_t symbols, uint32_t logN, const uint8_t* extra, const uint32_t* base,
                     ValueEntry* table) {
  auto filled = layOutStates(freq, symbols, logN, [&](uint32_t i, uint32_t s, uint32_t nbits, uint32_t delta) {
    table[i] = {static_cast<uint8_t>(nbits + extra[s]), extra[s], static_cast<uint16_t>(delta), base[s]};
  });
  if (!filled) return false;
  for (uint32_t i = *filled; i < (1u << logN); ++i) table[i] = {kInvalidBits, 0, 0, 0};
  return true;
}

// ---------------------------------------------------------------------------------------------
// Backward bit stream: written forwards, read from the end towards the start.

class BackwardBits {
 public:
  // `adj` (-7…0) removes that many padding bits from the top of the last byte; they must be zero.
  bool open(const uint8_t* payload, size_t size, int adj) {
    begin_ = payload;
    acc_ = 0;
    bits_ = 0;
    left_ = size;
    if (adj < -7 || adj > 0) return false;
    if (size == 0) return adj == 0;
    const unsigned valid = static_cast<unsigned>(8 + adj);  // 1…8
    const uint8_t last = payload[size - 1];
    if (valid < 8 && (last >> valid) != 0) return false;
    acc_ = last;
    bits_ = valid;
    left_ = size - 1;
    refill();
    return true;
  }

  // Brings the held bits to at least 56, or takes everything that is left.
  void refill() {
    if (left_ >= 8) {
      const unsigned bytes = (63 - bits_) >> 3;
      if (bytes == 0) return;
      const uint64_t word = load64(begin_ + left_ - 8);
      acc_ = (acc_ << (bytes * 8)) | (word >> (64 - bytes * 8));
      bits_ += bytes * 8;
      left_ -= bytes;
    } else {
      while (bits_ <= 55 && left_ > 0) {
        acc_ = (acc_ << 8) | begin_[--left_];
        bits_ += 8;
      }
    }
  }

  // Takes the next `k` bits (k <= 63); false when fewer are held (the caller refills beforehand
  // to cover everything a step can read, so "fewer held" means the stream ran out).
  bool take(unsigned k, uint32_t& value) {
    if (k > bits_) return false;
    bits_ -= k;
    value = static_cast<uint32_t>((acc_ >> bits_) & ((uint64_t{1} << k) - 1));
    return true;
  }

 private:
  const uint8_t* begin_ = nullptr;
  uint64_t acc_ = 0;   // the low bits_ bits are the next bits of the stream, most recent on top
  unsigned bits_ = 0;  // 0…63
  size_t left_ = 0;    // payload bytes not yet loaded: [0, left_)
};

inline bool decodeValue(BackwardBits& bits, const ValueEntry* table, uint32_t& state, uint32_t& value) {
  const ValueEntry e = table[state];
  uint32_t field;
  if (!bits.take(e.bits, field)) return false;
  state = e.delta + (field >> e.extra);
  value = e.base + (field & ((1u << e.extra) - 1));
  return true;
}

// ---------------------------------------------------------------------------------------------

struct BlockHeader {
  uint32_t rawSize = 0;
  uint32_t literalCount = 0;
  uint32_t matchCount = 0;
  uint64_t headerSize = 0;
  uint64_t literalPayloadSize = 0;
  uint64_t lmdPayloadSize = 0;
  int literalAdj = 0;
  int lmdAdj = 0;
  uint32_t literalState[4] = {};
  uint32_t lState = 0, mState = 0, dState = 0;
  uint16_t freq[kFrequencyCount] = {};  // L, M, D, literals
};

// Reads the 360 variable-length coded frequencies of a bvx2 header.
bool readPackedFrequencies(const uint8_t* p, size_t size, uint16_t* freq) {
  if (size == 0) {
    std::fill(freq, freq + kFrequencyCount, 0);
    return true;
  }
  uint64_t acc = 0;
  unsigned held = 0;
  size_t next = 0;
  for (uint32_t i = 0; i < kFrequencyCount; ++i) {
    while (held <= 56 && next < size) {
      acc |= uint64_t{p[next++]} << held;
      held += 8;
    }
    const uint32_t x = static_cast<uint32_t>(acc & 0x3FFF);  // bits beyond the end read as 0
    unsigned length;
    uint32_t value;
    if ((x & 1) == 0)
      length = 2, value = (x >> 1) & 1;
    else if ((x & 3) == 1)
      length = 3, value = 2 + ((x >> 2) & 1);
    else if ((x & 7) == 3)
      length = 5, value = 4 + ((x >> 3) & 3);
    else if ((x & 15) == 7)
      length = 8, value = 8 + ((x >> 4) & 15);
    else
      length = 14, value = 24 + ((x >> 4) & 1023);
    if (length > held) return false;  // the code runs past the header
    acc >>= length;
    held -= length;
    freq[i] = static_cast<uint16_t>(value);
  }
  // Only the zero padding of the last byte may be left over.
  return held + 8 * (size - next) < 8;
}

class Decoder {
 public:
  Decoder(std::string_view input, size_t limit)
      : in_(reinterpret_cast<const uint8_t*>(input.data())), size_(input.size()), limit_(limit) {}

  std::optional<std::string> run() {
    const size_t expected = std::min(expectedOutput(), 16 * uint64_t{size_} + (1 << 16)) + kSlack;
    out_.reserve(expected);
    adviseHugePages(out_.data(), expected);
    while (!ended_)
      if (!step()) return std::nullopt;
    out_.resize(outLen_);
    return std::move(out_);
  }

  // Piece by piece: the next `n` bytes of output, decoding blocks as needed.
  const uint8_t* take(size_t n) {
    if (announced_ == kUnknown) {
      announced_ = expectedOutput();
      out_.reserve(std::min<size_t>(announced_, kWindow + kSlideAt) + kSlack);
    }
    while (outLen_ - taken_ < n) {
      if (ended_ || failed_) return nullptr;
      slide();
      if (!step()) {
        failed_ = true;
        return nullptr;
      }
    }
    const uint8_t* at = outBase() + taken_;
    taken_ += n;
    return at;
  }

  uint64_t announcedLeft() const {
    const uint64_t done = dropped_ + taken_;
    return announced_ == kUnknown || announced_ < done ? 0 : announced_ - done;
  }

  // Decodes what is left of the stream, through its end marker.
  bool finish() {
    while (!ended_ && !failed_) {
      taken_ = outLen_;
      slide();
      if (!step()) failed_ = true;
    }
    return !failed_;
  }

 private:
  static constexpr uint64_t kUnknown = UINT64_MAX;
  // Piece by piece, the output kept behind what was taken: farther than any match reaches back
  // (LZFSE 262139 bytes, LZVN 65535), so a distance is refused exactly when it reaches before the
  // start of the stream. Output is moved to the front once this much more can go.
  static constexpr size_t kWindow = size_t{512} << 10;
  static constexpr size_t kSlideAt = size_t{4} << 20;

  size_t left() const { return size_ - pos_; }
  size_t produced() const { return dropped_ + outLen_; }

  // One block, or the end marker.
  bool step() {
    if (left() < 4) return false;
    const uint32_t magic = load32(in_ + pos_);
    switch (magic) {
      case kMagicEnd: ended_ = true; return true;
      case kMagicRaw: return rawBlock();
      case kMagicLzvn: return lzvnBlock();
      case kMagicV1:
      case kMagicV2: return lzfseBlock(magic == kMagicV2);
      default: return false;
    }
  }

  // Drops output that was taken and lies outside the window.
  void slide() {
    const size_t keepFrom = outLen_ > kWindow ? outLen_ - kWindow : 0;
    const size_t drop = std::min(taken_, keepFrom);
    if (drop < kSlideAt) return;
    std::memmove(outBase(), outBase() + drop, outLen_ - drop);
    outLen_ -= drop;
    taken_ -= drop;
    dropped_ += drop;
  }

  // The output the block headers announce, found by skipping from header to header, so the output
  // is allocated once rather than grown (which touches and copies far more memory). Reserving does
  // not touch the memory, and for that the headers are trusted only up to 16 times the input. A
  // valid stream produces exactly this much.
  size_t expectedOutput() const {
    uint64_t total = 0;
    size_t at = 0;
    while (size_ - at >= 8) {
      const uint8_t* p = in_ + at;
      const uint32_t magic = load32(p);
      const uint64_t raw = load32(p + 4);
      uint64_t blockSize;
      if (magic == kMagicRaw) {
        blockSize = 8 + raw;
      } else if (magic == kMagicLzvn && size_ - at >= 12) {
        blockSize = 12 + uint64_t{load32(p + 8)};
      } else if (magic == kMagicV2 && size_ - at >= kV2FixedHeaderSize) {
        blockSize =
            (load64(p + 24) & 0xFFFFFFFF) + ((load64(p + 8) >> 20) & 0xFFFFF) + ((load64(p + 16) >> 40) & 0xFFFFF);
      } else if (magic == kMagicV1 && size_ - at >= kV1HeaderSize) {
        blockSize = kV1HeaderSize + uint64_t{load32(p + 20)} + load32(p + 24);
      } else {
        break;
      }
      total += raw;
      if (blockSize < 8 || blockSize > size_ - at) break;  // (a bvx2 header may claim size 0)
      at += blockSize;
    }
    return static_cast<size_t>(std::min<uint64_t>(total, limit_));
  }

  uint8_t* outBase() { return reinterpret_cast<uint8_t*>(out_.data()); }

  // Output of a compressed block. Its declared size caps it; room for up to `trusted` bytes of it is
  // made at once, anything beyond only as bytes are produced (doubling), so a header that lies about
  // its size costs little. Decoding loops keep their pointers in locals and rebuild them from
  // offsets after growing.
  bool beginBlock(uint64_t rawSize, size_t trusted) {
    if (rawSize > limit_ - produced()) return false;
    blockEnd_ = outLen_ + rawSize;
    room_ = std::min(blockEnd_, outLen_ + trusted);
    if (out_.size() < room_ + kSlack) out_.resize(room_ + kSlack);
    return true;
  }
  // Makes room up to at least offset `needed` (<= blockEnd_): all the string's capacity, or more.
  [[gnu::noinline]] uint8_t* grow(size_t needed) {
    const size_t capacity = out_.capacity() > kSlack ? out_.capacity() - kSlack : 0;
    room_ = std::min(std::max(needed, capacity), blockEnd_);
    out_.resize(room_ + kSlack);
    return outBase();
  }

  bool rawBlock() {
    if (left() < 8) return false;
    const uint32_t rawSize = load32(in_ + pos_ + 4);
    if (left() - 8 < rawSize) return false;
    if (rawSize > limit_ - produced()) return false;
    out_.resize(std::max(out_.size(), outLen_ + rawSize + kSlack));
    std::memcpy(outBase() + outLen_, in_ + pos_ + 8, rawSize);
    outLen_ += rawSize;
    pos_ += 8 + size_t{rawSize};
    return true;
  }

  bool lzvnBlock() {
    if (left() < 12) return false;
    const uint32_t rawSize = load32(in_ + pos_ + 4);
    const uint32_t payloadSize = load32(in_ + pos_ + 8);
    if (left() - 12 < payloadSize) return false;
    // The best an instruction does is 271 bytes out of 2: a larger claim cannot be true.
    if (rawSize == 0 || rawSize > uint64_t{payloadSize} * 136) return false;
    if (!beginBlock(rawSize, kTrustedLzvnBlock)) return false;
    uint8_t* base = outBase();
    uint8_t* dst = base + outLen_;
    uint8_t* room = base + room_;
    const uint8_t* const payload = in_ + pos_ + 12;
    const size_t total = payloadSize;
    size_t p = 0;
    size_t previous = 0;
    for (;;) {
      if (p >= total) return false;  // no eos
      const uint8_t op = payload[p];
      const Op kind = kOps[op];
      size_t n = 1, literals = 0, match = 0, distance = 0;
      bool hasMatch = true;
      switch (kind) {
        case Op::undefined: return false;
        case Op::eos:
          if (total - p < 8) return false;
          p += 8;
          if (p != total || static_cast<size_t>(dst - base) != blockEnd_) return false;
          outLen_ += rawSize;
          pos_ += 12 + total;
          return true;
        case Op::nop:
          if (total - p <= 1) return false;
          p += 1;
          continue;
        case Op::smallDistance: n = 2, literals = op >> 6, match = ((op >> 3) & 7) + 3; break;
        case Op::mediumDistance: n = 3, literals = (op >> 3) & 3; break;
        case Op::largeDistance: n = 3, literals = op >> 6, match = ((op >> 3) & 7) + 3; break;
        case Op::previousDistance: n = 1, literals = op >> 6, match = ((op >> 3) & 7) + 3, distance = previous; break;
        case Op::shortLiteral: n = 1, literals = op & 15, hasMatch = false; break;
        case Op::longLiteral:
          if (total - p <= 2) return false;
          n = 2, literals = size_t{payload[p + 1]} + 16, hasMatch = false;
          break;
        case Op::shortMatch: n = 1, match = op & 15, distance = previous; break;
        case Op::longMatch: n = 2, distance = previous; break;
      }
      // The instruction, its literals and at least one more byte lie inside the payload.
      if (total - p <= n + literals) return false;
      switch (kind) {
        case Op::smallDistance: distance = (size_t{op & 7u} << 8) | payload[p + 1]; break;
        case Op::mediumDistance: {
          const uint16_t w = load16(payload + p + 1);
          match = ((size_t{op & 7u} << 2) | (w & 3u)) + 3;
          distance = w >> 2;
          break;
        }
        case Op::largeDistance: distance = load16(payload + p + 1); break;
        case Op::longMatch: match = size_t{payload[p + 1]} + 16; break;
        default: break;
      }
      if (literals + match > static_cast<size_t>(room - dst)) {
        const size_t at = static_cast<size_t>(dst - base);
        if (literals + match > blockEnd_ - at) return false;
        base = grow(at + literals + match);
        dst = base + at;
        room = base + room_;
      }
      std::memcpy(dst, payload + p + n, literals);
      dst += literals;
      p += n + literals;
      if (!hasMatch) continue;
      if (distance == 0 || distance > static_cast<size_t>(dst - base)) return false;
      copyMatch(dst, distance, match);
      dst += match;
      previous = distance;
    }
  }

  bool readV1Header(BlockHeader& h) {
    if (left() < kV1HeaderSize) return false;
    const uint8_t* p = in_ + pos_;
    h.rawSize = load32(p + 4);
    h.literalCount = load32(p + 12);
    h.matchCount = load32(p + 16);
    h.literalPayloadSize = load32(p + 20);
    h.lmdPayloadSize = load32(p + 24);
    const int32_t literalAdj = static_cast<int32_t>(load32(p + 28));
    const int32_t lmdAdj = static_cast<int32_t>(load32(p + 40));
    if (literalAdj < -7 || literalAdj > 0 || lmdAdj < -7 || lmdAdj > 0) return false;
    h.literalAdj = literalAdj;
    h.lmdAdj = lmdAdj;
    for (int i = 0; i < 4; ++i) h.literalState[i] = load16(p + 32 + 2 * i);
    h.lState = load16(p + 44);
    h.mState = load16(p + 46);
    h.dState = load16(p + 48);
    for (uint32_t i = 0; i < kFrequencyCount; ++i) h.freq[i] = load16(p + 50 + 2 * i);
    h.headerSize = kV1HeaderSize;
    return true;
  }

  bool readV2Header(BlockHeader& h) {
    if (left() < kV2FixedHeaderSize) return false;
    const uint8_t* p = in_ + pos_;
    h.rawSize = load32(p + 4);
    const uint64_t w0 = load64(p + 8), w1 = load64(p + 16), w2 = load64(p + 24);
    h.literalCount = static_cast<uint32_t>(w0 & 0xFFFFF);
    h.literalPayloadSize = (w0 >> 20) & 0xFFFFF;
    h.matchCount = static_cast<uint32_t>((w0 >> 40) & 0xFFFFF);
    h.literalAdj = static_cast<int>((w0 >> 60) & 7) - 7;
    for (int i = 0; i < 4; ++i) h.literalState[i] = static_cast<uint32_t>((w1 >> (10 * i)) & 0x3FF);
    h.lmdPayloadSize = (w1 >> 40) & 0xFFFFF;
    h.lmdAdj = static_cast<int>((w1 >> 60) & 7) - 7;
    h.headerSize = w2 & 0xFFFFFFFF;
    h.lState = static_cast<uint32_t>((w2 >> 32) & 0x3FF);
    h.mState = static_cast<uint32_t>((w2 >> 42) & 0x3FF);
    h.dState = static_cast<uint32_t>((w2 >> 52) & 0x3FF);
    if (h.headerSize < kV2FixedHeaderSize || h.headerSize > left()) return false;
    return readPackedFrequencies(p + kV2FixedHeaderSize, h.headerSize - kV2FixedHeaderSize, h.freq);
  }

  bool lzfseBlock(bool packed) {
    if (!tables_) tables_ = std::make_unique<Tables>();
    Tables& t = *tables_;
    BlockHeader& h = t.header;
    if (!(packed ? readV2Header(h) : readV1Header(h))) return false;
    if (h.literalCount > kMaxLiterals || h.matchCount > kMaxMatches) return false;
    if (h.headerSize + h.literalPayloadSize + h.lmdPayloadSize > left()) return false;
    for (uint32_t s : h.literalState)
      if (s >= kLiteralStates) return false;
    if (h.lState >= kLStates || h.mState >= kMStates || h.dState >= kDStates) return false;

    const uint16_t* freqL = h.freq;
    const uint16_t* freqM = h.freq + kLSymbols;
    const uint16_t* freqD = freqM + kMSymbols;
    const uint16_t* freqLiteral = freqD + kDSymbols;
    if (!buildValueTable(freqL, kLSymbols, 6, kLExtra.data(), kLBase.data(), t.l) ||
        !buildValueTable(freqM, kMSymbols, 6, kMExtra.data(), kMBase.data(), t.m) ||
        !buildValueTable(freqD, kDSymbols, 8, kDExtra.data(), kDBase.data(), t.d) ||
        !buildLiteralTable(freqLiteral, t.literal))
      return false;

    // Whole groups of four literals are decoded, so a count that is not a multiple of 4 still works.
    const uint32_t decodedLiterals = (h.literalCount + 3) & ~3u;
    // No block produces more than its literals and its matches, and its bits limit the matches: a
    // match length above 15 needs extra bits, at most 2359 bytes for 11 bits (< 215 bytes a bit).
    const uint64_t matchBytes =
        std::min<uint64_t>(uint64_t{h.matchCount} * kMaxM, 15 * uint64_t{h.matchCount} + 215 * 8 * h.lmdPayloadSize);
    if (h.rawSize > uint64_t{decodedLiterals} + matchBytes) return false;

    const uint8_t* literalPayload = in_ + pos_ + h.headerSize;
    const uint8_t* lmdPayload = literalPayload + h.literalPayloadSize;

    // Literals, four interleaved states over one table.
    BackwardBits bits;
    if (!bits.open(literalPayload, h.literalPayloadSize, h.literalAdj)) return false;
    uint32_t state[4] = {h.literalState[0], h.literalState[1], h.literalState[2], h.literalState[3]};
    for (uint32_t i = 0; i < decodedLiterals; i += 4) {
      bits.refill();
      for (int j = 0; j < 4; ++j) {
        const LiteralEntry e = t.literal[state[j]];
        uint32_t b;
        if (!bits.take(e.nbits, b)) return false;
        t.literals[i + j] = e.symbol;
        state[j] = e.delta + b;
      }
    }

    // Triples.
    if (!bits.open(lmdPayload, h.lmdPayloadSize, h.lmdAdj)) return false;
    if (!beginBlock(h.rawSize, kTrustedLzfseBlock)) return false;
    uint8_t* base = outBase();
    uint8_t* dst = base + outLen_;
    uint8_t* room = base + room_;
    const uint8_t* lit = t.literals;
    const uint8_t* const litEnd = t.literals + decodedLiterals;
    uint32_t l = h.lState, m = h.mState, d = h.dState;
    size_t distance = 0;
    for (uint32_t i = 0; i < h.matchCount; ++i) {
      bits.refill();
      uint32_t literals, match, dv;
      if (!decodeValue(bits, t.l, l, literals) || !decodeValue(bits, t.m, m, match) || !decodeValue(bits, t.d, d, dv))
        return false;
      if (dv != 0)
        distance = dv;
      else if (distance == 0)
        return false;  // "repeat" with nothing to repeat
      if (literals > static_cast<size_t>(litEnd - lit)) return false;
      if (size_t{literals} + match > static_cast<size_t>(room - dst)) {
        const size_t at = static_cast<size_t>(dst - base);
        if (size_t{literals} + match > blockEnd_ - at) return false;
        base = grow(at + literals + match);
        dst = base + at;
        room = base + room_;
      }
      // The literal buffer and the output both have slack for whole 16-byte moves.
      for (uint32_t k = 0; k < literals; k += 16) std::memcpy(dst + k, lit + k, 16);
      dst += literals;
      lit += literals;
      if (distance > static_cast<size_t>(dst - base)) return false;
      if (match) copyMatch(dst, distance, match);
      dst += match;
    }
    if (static_cast<size_t>(dst - base) != blockEnd_) return false;
    outLen_ += h.rawSize;
    pos_ += h.headerSize + h.literalPayloadSize + h.lmdPayloadSize;
    return true;
  }

  struct Tables {
    BlockHeader header;
    LiteralEntry literal[kLiteralStates];
    ValueEntry l[kLStates];
    ValueEntry m[kMStates];
    ValueEntry d[kDStates];
    uint8_t literals[kMaxLiterals + kSlack];
  };

  const uint8_t* in_;
  size_t size_;
  size_t pos_ = 0;
  size_t limit_;
  std::string out_;     // output so far (piece by piece, from `dropped_` on), room, kSlack spare bytes
  size_t outLen_ = 0;   // bytes of output of the finished blocks
  size_t dropped_ = 0;  // piece by piece: output no longer held
  size_t taken_ = 0;    // piece by piece: where the output not yet taken starts
  uint64_t announced_ = kUnknown;
  bool ended_ = false;
  bool failed_ = false;
  size_t blockEnd_ = 0;  // offset where the current block's output must end
  size_t room_ = 0;      // offset up to which out_ has room (kSlack more bytes follow)
  std::unique_ptr<Tables> tables_;
};

}  // namespace

struct LzfseReader::State {
  Decoder decoder;
};

LzfseReader::LzfseReader(std::string_view stream, size_t maxOutputSize)
    : state_(std::make_unique<State>(State{Decoder(stream, maxOutputSize)})) {}

LzfseReader::~LzfseReader() = default;

const uint8_t* LzfseReader::take(size_t n) {
  try {
    return state_->decoder.take(n);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

uint64_t LzfseReader::announcedLeft() const { return state_->decoder.announcedLeft(); }

bool LzfseReader::finish() {
  try {
    return state_->decoder.finish();
  } catch (const std::bad_alloc&) {
    return false;
  }
}

std::optional<std::string> lzfseDecode(std::string_view stream, size_t maxOutputSize) {
  try {
    return Decoder(stream, maxOutputSize).run();
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
}

}  // namespace tolvex
