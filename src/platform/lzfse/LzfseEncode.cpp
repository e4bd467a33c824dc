// LZFSE encoder: a hash-bucket match finder with one match of look-ahead, LZFSE "bvx2" blocks for
// inputs of 4 KiB and more, LZVN for small inputs.
#include <algorithm>
#include <vector>

#include "platform/lzfse/Lzfse.h"
#include "platform/lzfse/LzfseFormat.h"

namespace tolvex {

using namespace lzfse;

namespace {

// ---------------------------------------------------------------------------------------------
// Match finder and parser

constexpr uint32_t kHashBits = 14;
constexpr int32_t kInvalidPosition = -4 * static_cast<int32_t>(kMaxD);
constexpr size_t kGoodMatch = 40;  // a match this long is taken at once
constexpr size_t kMaxMatchLength = 100 * kMaxM;
constexpr size_t kLiteralBacklog = 8 * kMaxL;  // literals held back while waiting for a match
constexpr size_t kRebaseAt = size_t{1} << 30;  // positions are kept relative to a base that moves

struct Bucket {
  int32_t position[4];  // most recent first, relative to the parser's base
  uint32_t value[4];    // the 4 bytes at that position
};

// Walks the input and reports a sequence of emissions to `sink.emit(literalStart, literals, match,
// distance)`: `literals` bytes starting at `literalStart`, then `match` bytes copied from `distance`
// back (match 0: literals only, distance 1). Emissions cover the input exactly, in order.
template <typename Sink>
void parse(const uint8_t* in, size_t n, Sink& sink) {
  // Small inputs get a smaller table (one bucket per input byte at most): same matches, less to clear.
  const uint32_t hashBits = std::clamp<uint32_t>(static_cast<uint32_t>(std::bit_width(n)), 6, kHashBits);
  std::vector<Bucket> table(size_t{1} << hashBits);
  for (Bucket& b : table) b = {{kInvalidPosition, kInvalidPosition, kInvalidPosition, kInvalidPosition}, {0, 0, 0, 0}};

  struct Match {
    size_t start = 0, ref = 0, length = 0;
  };
  size_t base = 0;
  size_t lit = 0;  // first byte not covered by an emission
  Match pending;
  bool hasPending = false;

  auto emitMatch = [&](const Match& m) {
    sink.emit(lit, m.start - lit, m.length, m.start - m.ref);
    lit = m.start + m.length;
  };
  auto emitLiterals = [&](size_t count) {
    sink.emit(lit, count, 0, 1);
    lit += count;
  };

  for (size_t pos = 0; pos + 8 < n; ++pos) {
    if (pos - base >= kRebaseAt) {
      // Keep relative positions small: anything further back than the longest distance is invalid.
      const size_t newBase = pos - 2 * (size_t{1} << 20);
      const int64_t shift = static_cast<int64_t>(newBase - base);
      for (Bucket& b : table)
        for (int32_t& p : b.position) {
          const int64_t moved = p - shift;
          p = moved < -static_cast<int64_t>(kMaxD) ? kInvalidPosition : static_cast<int32_t>(moved);
        }
      base = newBase;
    }
    const int64_t here = static_cast<int64_t>(pos - base);
    const uint32_t x = load32(in + pos);
    Bucket& bucket = table[(x * 2654435761u) >> (32 - hashBits)];
    const Bucket old = bucket;
    bucket = {{static_cast<int32_t>(here), old.position[0], old.position[1], old.position[2]},
              {x, old.value[0], old.value[1], old.value[2]}};
    if (pos < lit) continue;

    Match best;
    // A match is cut to kMaxMatchLength anyway: comparing further would make every match on a long
    // run of repeated bytes read to the end of the input, quadratic in its length.
    const size_t limit = std::min(n - pos - 8, kMaxMatchLength);
    for (int k = 0; k < 4; ++k) {
      if (old.value[k] != x || old.position[k] + static_cast<int64_t>(kMaxD) < here) continue;
      const size_t ref = base + static_cast<size_t>(old.position[k]);
      size_t length = 4;
      while (length < limit) {
        const uint64_t diff = load64(in + ref + length) ^ load64(in + pos + length);
        if (diff == 0) {
          length += 8;
          continue;
        }
        length += static_cast<size_t>(std::countr_zero(diff)) >> 3;
        break;
      }
      if (length > best.length) best = {pos, ref, length};
    }

    if (best.length == 0) {
      if (pos - lit > kLiteralBacklog) {
        if (hasPending) {
          emitMatch(pending);
          hasPending = false;
        } else {
          emitLiterals(kMaxL);
        }
      }
      continue;
    }
    best.length = std::min(best.length, kMaxMatchLength);
    while (best.start > lit && best.ref > 0 && in[best.ref - 1] == in[best.start - 1]) {
      --best.start;
      --best.ref;
      ++best.length;
    }
    if (best.length >= kGoodMatch) {
      emitMatch(best);
      hasPending = false;
    } else if (!hasPending) {
      pending = best;
      hasPending = true;
    } else if (pending.start + pending.length <= best.start) {
      emitMatch(pending);
      pending = best;
    } else {
      emitMatch(best.length > pending.length ? best : pending);
      hasPending = false;
    }
  }
  if (hasPending) emitMatch(pending);
  if (n > lit) emitLiterals(n - lit);
}

// ---------------------------------------------------------------------------------------------
// Bits and tables

void put32(std::string& out, uint32_t v) {
  const char bytes[4] = {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                         static_cast<char>(v >> 24)};
  out.append(bytes, 4);
}
void put64(std::string& out, uint64_t v) {
  put32(out, static_cast<uint32_t>(v));
  put32(out, static_cast<uint32_t>(v >> 32));
}

// Appends fields LSB-first.
class BitWriter {
 public:
  explicit BitWriter(std::string& out) : out_(out) {}
  void write(uint32_t value, unsigned bits) {
    acc_ |= uint64_t{value} << held_;
    held_ += bits;
  }
  // Moves the whole bytes held to the output (call at least every 56 bits).
  void flush() {
    while (held_ >= 8) {
      out_.push_back(static_cast<char>(acc_));
      acc_ >>= 8;
      held_ -= 8;
    }
  }
  // Writes the last partial byte; returns the adjustment: minus the number of padding bits.
  int finish() {
    flush();
    if (held_ == 0) return 0;
    out_.push_back(static_cast<char>(acc_));
    const int adj = static_cast<int>(held_) - 8;
    acc_ = 0;
    held_ = 0;
    return adj;
  }

 private:
  std::string& out_;
  uint64_t acc_ = 0;
  unsigned held_ = 0;
};

// Counts to normalized frequencies summing to N = 2^logN; every symbol that occurs gets at least 1.
void normalize(const uint32_t* counts, uint32_t symbols, uint32_t logN, uint16_t* freq) {
  const uint32_t n = 1u << logN;
  uint64_t total = 0;
  for (uint32_t s = 0; s < symbols; ++s) total += counts[s];
  const uint64_t step = total ? (uint64_t{1} << 31) / total : 0;
  const unsigned shift = 30 - logN;
  int64_t remaining = n;
  uint32_t maxF = 0, maxS = 0;
  for (uint32_t s = 0; s < symbols; ++s) {
    uint32_t f = static_cast<uint32_t>((((counts[s] * step) >> shift) + 1) >> 1);
    if (f == 0 && counts[s] > 0) f = 1;
    freq[s] = static_cast<uint16_t>(f);
    remaining -= f;
    if (f > maxF) maxF = f, maxS = s;
  }
  if (-remaining < static_cast<int64_t>(maxF >> 2)) {
    freq[maxS] = static_cast<uint16_t>(freq[maxS] + remaining);
    return;
  }
  uint32_t over = static_cast<uint32_t>(-remaining);
  for (int sh = 3; sh >= 0 && over > 0; --sh) {
    for (uint32_t s = 0; s < symbols && over > 0; ++s) {
      if (freq[s] <= 1) continue;
      const uint32_t take = std::min<uint32_t>((freq[s] - 1u) >> sh, over);
      freq[s] = static_cast<uint16_t>(freq[s] - take);
      over -= take;
    }
  }
}

struct EncoderEntry {
  uint32_t threshold;  // states at or above it write k bits, the others k - 1
  uint32_t k;
  int32_t deltaHigh;
  int32_t deltaLow;
};

void buildEncoderTable(const uint16_t* freq, uint32_t symbols, uint32_t logN, EncoderEntry* table) {
  const uint32_t n = 1u << logN;
  int32_t start = 0;
  for (uint32_t s = 0; s < symbols; ++s) {
    const uint32_t f = freq[s];
    if (f == 0) {
      table[s] = {};
      continue;
    }
    const uint32_t k = stateBits(f, logN);
    const int32_t first = start - static_cast<int32_t>(f);
    table[s] = {(f << k) - n, k, first + static_cast<int32_t>(n >> k),
                k ? first + static_cast<int32_t>(n >> (k - 1)) : 0};
    start += static_cast<int32_t>(f);
  }
}

inline void encodeSymbol(BitWriter& w, uint32_t& state, const EncoderEntry& e) {
  const bool high = state >= e.threshold;
  const uint32_t bits = high ? e.k : e.k - 1;
  w.write(state & ((1u << bits) - 1), bits);
  state = static_cast<uint32_t>((high ? e.deltaHigh : e.deltaLow) + static_cast<int32_t>(state >> bits));
}

inline uint32_t lSymbol(uint32_t v) { return v < 16 ? v : v < 20 ? 16 : v < 28 ? 17 : v < 60 ? 18 : 19; }
inline uint32_t mSymbol(uint32_t v) { return v < 16 ? v : v < 24 ? 16 : v < 56 ? 17 : v < 312 ? 18 : 19; }
inline uint32_t dSymbol(uint32_t v) {
  // Symbols come in groups of four sharing an extra-bit count g: base(4g) = 2^(g+2) - 4.
  const uint32_t g = static_cast<uint32_t>(std::bit_width(v + 4)) - 3;
  return 4 * g + ((v + 4) >> g) - 4;
}

void writeFrequency(BitWriter& w, uint32_t v) {
  if (v < 2)
    w.write(v << 1, 2);
  else if (v < 4)
    w.write(1 | ((v - 2) << 2), 3);
  else if (v < 8)
    w.write(3 | ((v - 4) << 3), 5);
  else if (v < 24)
    w.write(7 | ((v - 8) << 4), 8);
  else
    w.write(15 | ((v - 24) << 4), 14);
  w.flush();
}

// ---------------------------------------------------------------------------------------------
// LZFSE blocks

struct Triple {
  uint32_t literals, match, distance;
};

// Writes one bvx2 block for the triples (distances >= 1) and their literals (`literals` is padded).
void encodeBlock(const std::vector<Triple>& triples, std::vector<uint8_t>& literals, uint32_t rawSize,
                 std::string& out) {
  while (literals.size() % 4) literals.push_back(0);
  const uint32_t literalCount = static_cast<uint32_t>(literals.size());
  const uint32_t matchCount = static_cast<uint32_t>(triples.size());

  // Symbols, with a repeated distance coded as 0.
  std::vector<uint32_t> dValues(matchCount);
  uint32_t lCounts[kLSymbols] = {}, mCounts[kMSymbols] = {}, dCounts[kDSymbols] = {};
  uint32_t literalCounts[kLiteralSymbols] = {};
  uint32_t previous = 0;
  for (uint32_t i = 0; i < matchCount; ++i) {
    const Triple& t = triples[i];
    uint32_t d = t.distance;
    if (d == previous)
      d = 0;
    else
      previous = d;
    dValues[i] = d;
    ++lCounts[lSymbol(t.literals)];
    ++mCounts[mSymbol(t.match)];
    ++dCounts[dSymbol(d)];
  }
  for (uint8_t c : literals) ++literalCounts[c];

  uint16_t freq[kFrequencyCount];
  uint16_t* freqL = freq;
  uint16_t* freqM = freqL + kLSymbols;
  uint16_t* freqD = freqM + kMSymbols;
  uint16_t* freqLiteral = freqD + kDSymbols;
  normalize(lCounts, kLSymbols, 6, freqL);
  normalize(mCounts, kMSymbols, 6, freqM);
  normalize(dCounts, kDSymbols, 8, freqD);
  normalize(literalCounts, kLiteralSymbols, 10, freqLiteral);

  const size_t blockStart = out.size();
  out.append(kV2FixedHeaderSize, '\0');
  {
    BitWriter w(out);
    for (uint32_t v : freq) writeFrequency(w, v);
    w.finish();
  }
  const uint64_t headerSize = out.size() - blockStart;

  // Literals, last group first, four interleaved states.
  EncoderEntry literalTable[kLiteralSymbols];
  buildEncoderTable(freqLiteral, kLiteralSymbols, 10, literalTable);
  uint32_t s[4] = {0, 0, 0, 0};
  BitWriter lw(out);
  for (uint32_t i = literalCount; i >= 4;) {
    i -= 4;
    for (int j = 3; j >= 0; --j) encodeSymbol(lw, s[j], literalTable[literals[i + j]]);
    lw.flush();
  }
  const int literalAdj = lw.finish();
  const uint64_t literalPayloadSize = out.size() - blockStart - headerSize;

  // Triples, last first: D, M, L, each as extra bits then state bits; the decoder reads them in the
  // reverse order. Eight zero bytes first: decoders load 8 bytes at once from the payload.
  EncoderEntry lTable[kLSymbols], mTable[kMSymbols], dTable[kDSymbols];
  buildEncoderTable(freqL, kLSymbols, 6, lTable);
  buildEncoderTable(freqM, kMSymbols, 6, mTable);
  buildEncoderTable(freqD, kDSymbols, 8, dTable);
  out.append(8, '\0');
  uint32_t l = 0, m = 0, d = 0;
  BitWriter mw(out);
  for (uint32_t i = matchCount; i-- > 0;) {
    const Triple& t = triples[i];
    const uint32_t ds = dSymbol(dValues[i]), ms = mSymbol(t.match), ls = lSymbol(t.literals);
    mw.write(dValues[i] - kDBase[ds], kDExtra[ds]);
    encodeSymbol(mw, d, dTable[ds]);
    mw.write(t.match - kMBase[ms], kMExtra[ms]);
    encodeSymbol(mw, m, mTable[ms]);
    mw.write(t.literals - kLBase[ls], kLExtra[ls]);
    encodeSymbol(mw, l, lTable[ls]);
    mw.flush();
  }
  const int lmdAdj = mw.finish();
  const uint64_t lmdPayloadSize = out.size() - blockStart - headerSize - literalPayloadSize;

  std::string header;
  put32(header, kMagicV2);
  put32(header, rawSize);
  put64(header, uint64_t{literalCount} | (literalPayloadSize << 20) | (uint64_t{matchCount} << 40) |
                    (uint64_t(literalAdj + 7) << 60));
  put64(header, uint64_t{s[0]} | (uint64_t{s[1]} << 10) | (uint64_t{s[2]} << 20) | (uint64_t{s[3]} << 30) |
                    (lmdPayloadSize << 40) | (uint64_t(lmdAdj + 7) << 60));
  put64(header, headerSize | (uint64_t{l} << 32) | (uint64_t{m} << 42) | (uint64_t{d} << 52));
  out.replace(blockStart, kV2FixedHeaderSize, header);
}

// Collects emissions into blocks and writes each full block.
class BlockSink {
 public:
  BlockSink(const uint8_t* in, std::string& out) : in_(in), out_(out) {
    triples_.reserve(kBlockTriples);
    literals_.reserve(kMaxLiterals);
  }

  void emit(size_t literalStart, size_t literals, size_t match, size_t distance) {
    if (match == 0 && literals > kMaxL * 64) {
      // A long run of literals goes in pieces, so that each piece fits a block.
      for (size_t done = 0; done < literals; done += kMaxL * 64)
        emit(literalStart + done, std::min(literals - done, size_t{kMaxL} * 64), 0, 1);
      return;
    }
    size_t count = 0;
    {
      size_t l = literals, m = match;
      for (; l > kMaxL; l -= kMaxL) ++count;
      for (; m > kMaxM; m -= kMaxM) ++count, l = 0;
      if (l > 0 || m > 0) ++count;
    }
    if (triples_.size() + count > kBlockTriples || literals_.size() + literals + 16 > kMaxLiterals) flush();

    const uint8_t* src = in_ + literalStart;
    literals_.insert(literals_.end(), src, src + literals);
    blockSize_ += literals + match;
    const uint32_t d = static_cast<uint32_t>(distance);
    for (; literals > kMaxL; literals -= kMaxL) triples_.push_back({kMaxL, 0, 1});
    for (; match > kMaxM; match -= kMaxM) {
      triples_.push_back({static_cast<uint32_t>(literals), kMaxM, d});
      literals = 0;
    }
    if (literals > 0 || match > 0)
      triples_.push_back({static_cast<uint32_t>(literals), static_cast<uint32_t>(match), d});
  }

  // Writes the block collected so far: LZFSE, or uncompressed when that is smaller.
  void flush() {
    if (triples_.empty()) return;
    const size_t start = out_.size();
    encodeBlock(triples_, literals_, static_cast<uint32_t>(blockSize_), out_);
    if (out_.size() - start >= blockSize_ + 8) {
      out_.resize(start);
      put32(out_, kMagicRaw);
      put32(out_, static_cast<uint32_t>(blockSize_));
      out_.append(reinterpret_cast<const char*>(in_ + blockStart_), blockSize_);
    }
    blockStart_ += blockSize_;
    blockSize_ = 0;
    triples_.clear();
    literals_.clear();
  }

  static constexpr size_t kBlockTriples = 9992;

 private:
  const uint8_t* in_;
  std::string& out_;
  std::vector<Triple> triples_;
  std::vector<uint8_t> literals_;
  size_t blockStart_ = 0;  // input offset of the block being collected
  size_t blockSize_ = 0;   // input bytes it covers
};

// ---------------------------------------------------------------------------------------------
// LZVN (small inputs)

class LzvnSink {
 public:
  explicit LzvnSink(const uint8_t* in) : in_(in) {}

  void emit(size_t literalStart, size_t literals, size_t match, size_t distance) {
    const uint8_t* lit = in_ + literalStart;
    while (literals > 15) {
      const size_t x = std::min<size_t>(literals, 271);
      put(0xE0);
      put(static_cast<uint32_t>(x - 16));
      bytes(lit, x);
      lit += x;
      literals -= x;
    }
    if (match == 0) {
      if (literals > 0) {
        put(static_cast<uint32_t>(0xE0 + literals));
        bytes(lit, literals);
      }
      return;
    }
    if (literals > 3) {
      put(static_cast<uint32_t>(0xE0 + literals));
      bytes(lit, literals);
      lit += literals;
      literals = 0;
    }
    const uint32_t l = static_cast<uint32_t>(literals);
    const size_t first = std::min<size_t>(match, 10 - 2 * literals);  // >= 4: matches are >= 4
    match -= first;
    const uint32_t m3 = static_cast<uint32_t>(first - 3);
    const size_t d = distance;
    if (d == previous_) {
      if (l == 0)
        put(0xF0 + m3 + 3);
      else
        put((l << 6) | (m3 << 3) | 6);
    } else if (d < 1536) {
      put((l << 6) | (m3 << 3) | static_cast<uint32_t>(d >> 8));
      put(static_cast<uint32_t>(d & 0xFF));
    } else if (d >= 16384 || match == 0 || m3 + 3 + match > 34) {
      put((l << 6) | (m3 << 3) | 7);
      put(static_cast<uint32_t>(d & 0xFF));
      put(static_cast<uint32_t>(d >> 8));
    } else {
      const uint32_t t = m3 + static_cast<uint32_t>(match);
      match = 0;
      const uint32_t w = static_cast<uint32_t>(d << 2) | (t & 3);
      put(0xA0 | (l << 3) | (t >> 2));
      put(w & 0xFF);
      put(w >> 8);
    }
    bytes(lit, literals);
    while (match > 15) {
      const size_t x = std::min<size_t>(match, 271);
      put(0xF0);
      put(static_cast<uint32_t>(x - 16));
      match -= x;
    }
    if (match > 0) put(static_cast<uint32_t>(0xF0 + match));
    previous_ = d;
  }

  std::string finish() {
    payload_.append("\x06\0\0\0\0\0\0\0", 8);
    return std::move(payload_);
  }

 private:
  void put(uint32_t byte) { payload_.push_back(static_cast<char>(byte)); }
  void bytes(const uint8_t* p, size_t n) { payload_.append(reinterpret_cast<const char*>(p), n); }

  const uint8_t* in_;
  std::string payload_;
  size_t previous_ = 0;
};

void appendRaw(std::string& out, std::string_view data) {
  put32(out, kMagicRaw);
  put32(out, static_cast<uint32_t>(data.size()));
  out.append(data);
}

}  // namespace

std::string lzfseEncode(std::string_view data) {
  const auto* in = reinterpret_cast<const uint8_t*>(data.data());
  const size_t n = data.size();
  std::string out;
  if (n == 0) {
    // Nothing to write but the end marker.
  } else if (n < 8) {
    appendRaw(out, data);
  } else if (n < 4096) {
    LzvnSink sink(in);
    parse(in, n, sink);
    const std::string payload = sink.finish();
    if (payload.size() < n) {
      put32(out, kMagicLzvn);
      put32(out, static_cast<uint32_t>(n));
      put32(out, static_cast<uint32_t>(payload.size()));
      out += payload;
    } else {
      appendRaw(out, data);
    }
  } else {
    out.reserve(n / 4 + 64);
    BlockSink sink(in, out);
    parse(in, n, sink);
    sink.flush();
  }
  put32(out, kMagicEnd);
  return out;
}

}  // namespace tolvex
