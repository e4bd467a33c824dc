#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "platform/lzfse/Lzfse.h"
#include "support/TestData.h"

using namespace tolvex;

namespace {

std::string vector(const std::string& name) { return test::testData("lzfse/" + name); }

const char* const kVectors[] = {"one",         "short-text",      "small-text", "text-200k",
                                "random-300k", "repetitive-1.6m", "records-2m"};

void put32(std::string& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>(v >> (8 * i)));
}
void put16(std::string& out, uint32_t v) {
  out.push_back(static_cast<char>(v));
  out.push_back(static_cast<char>(v >> 8));
}
void put64(std::string& out, uint64_t v) {
  put32(out, static_cast<uint32_t>(v));
  put32(out, static_cast<uint32_t>(v >> 32));
}

std::string lzvnBlock(uint32_t rawSize, const std::string& payload) {
  std::string out = "bvxn";
  put32(out, rawSize);
  put32(out, static_cast<uint32_t>(payload.size()));
  return out + payload;
}
std::string rawBlock(const std::string& data) {
  std::string out = "bvx-";
  put32(out, static_cast<uint32_t>(data.size()));
  return out + data;
}
const std::string kEos("\x06\0\0\0\0\0\0\0", 8);

// A bit string written LSB-first, as the frequency tables of a bvx2 header are.
class BitPacker {
 public:
  void write(uint32_t value, unsigned bits) {
    for (unsigned i = 0; i < bits; ++i) {
      if (count_ % 8 == 0) bytes_.push_back(0);
      if ((value >> i) & 1) bytes_.back() = static_cast<char>(bytes_.back() | (1 << (count_ % 8)));
      ++count_;
    }
  }
  void frequency(uint32_t v) {
    if (v < 2)
      write(v << 1, 2);
    else if (v < 4)
      write(1 | ((v - 2) << 2), 3);
    else if (v < 8)
      write(3 | ((v - 4) << 3), 5);
    else if (v < 24)
      write(7 | ((v - 8) << 4), 8);
    else
      write(15 | ((v - 24) << 4), 14);
  }
  const std::string& bytes() const { return bytes_; }

 private:
  std::string bytes_;
  size_t count_ = 0;
};

// Frequency indices in a header: L 0-19, M 20-39, D 40-103, literals 104-359.
constexpr int L(int s) { return s; }
constexpr int M(int s) { return 20 + s; }
constexpr int D(int s) { return 40 + s; }
constexpr int Lit(int byte) { return 104 + byte; }

// A hand-made bvx2 block. By default every table has one symbol owning all its states, so no state
// bits are read: 4 literals "aaaa" (0 bits each), one triple L = 4, M = 3, D = 3, giving "aaaaaaa".
struct Bvx2Block {
  uint32_t rawSize = 7;
  uint32_t literalCount = 4;
  uint32_t matchCount = 1;
  std::vector<std::pair<int, uint32_t>> freqs = {{L(4), 64}, {M(3), 64}, {D(3), 256}, {Lit('a'), 1024}};
  uint32_t literalStates[4] = {0, 0, 0, 0};
  uint32_t lState = 0, mState = 0, dState = 0;
  std::string literalPayload;
  int literalAdj = 0;
  std::string lmdPayload = std::string(8, '\0');
  int lmdAdj = 0;
  int unusedTableBytes = 0;
  int64_t headerSizeChange = 0;
  int64_t lmdSizeChange = 0;
  bool noTables = false;

  std::string build() const {
    BitPacker tables;
    if (!noTables) {
      std::vector<uint32_t> f(360, 0);
      for (auto [i, v] : freqs) f[i] = v;
      for (uint32_t v : f) tables.frequency(v);
    }
    std::string tableBytes = tables.bytes() + std::string(unusedTableBytes, '\0');
    const uint64_t headerSize = 32 + tableBytes.size() + headerSizeChange;
    std::string out = "bvx2";
    put32(out, rawSize);
    put64(out, uint64_t{literalCount} | (uint64_t{literalPayload.size()} << 20) | (uint64_t{matchCount} << 40) |
                   (uint64_t(literalAdj + 7) << 60));
    put64(out, uint64_t{literalStates[0]} | (uint64_t{literalStates[1]} << 10) | (uint64_t{literalStates[2]} << 20) |
                   (uint64_t{literalStates[3]} << 30) | (uint64_t(lmdPayload.size() + lmdSizeChange) << 40) |
                   (uint64_t(lmdAdj + 7) << 60));
    put64(out,
          (headerSize & 0xFFFFFFFF) | (uint64_t{lState} << 32) | (uint64_t{mState} << 42) | (uint64_t{dState} << 52));
    return out + tableBytes + literalPayload + lmdPayload;
  }
};

}  // namespace

TEST(LzfseDecode, EveryVectorDecodesToItsInput) {
  for (const char* name : kVectors) {
    SCOPED_TRACE(name);
    const std::string expected = vector(std::string(name) + ".bin");
    const auto decoded = lzfseDecode(vector(std::string(name) + ".lzfse"));
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(decoded->size(), expected.size());
    EXPECT_TRUE(*decoded == expected);
  }
}

// The plain-header form of an LZFSE block: text-200k's single block with its 772-byte header written
// out field by field (the values of its packed header).
TEST(LzfseDecode, PlainHeaderBlock) {
  const std::string packed = vector("text-200k.lzfse");
  ASSERT_EQ(packed.size(), 1363u);
  const uint16_t lFreq[20] = {55, 2, 0, 1, 0, 1, 1, 0, 1, 1, 0, 0, 0, 0, 0, 0, 1, 0, 0, 1};
  const uint16_t mFreq[20] = {1, 0, 0, 0, 0, 0, 5, 8, 4, 2, 6, 1, 3, 5, 2, 1, 12, 5, 0, 9};
  const uint16_t dFreq[43] = {31, 1,  0,  0,  0, 6, 1, 3, 6, 7, 3, 2, 11, 10, 8, 8, 17, 15, 9, 11, 12, 11,
                              10, 10, 13, 12, 9, 5, 8, 6, 2, 2, 1, 0, 0,  1,  1, 1, 1,  0,  1, 0,  1};
  const std::pair<char, uint16_t> literalFreq[] = {
      {'\0', 15}, {' ', 59}, {'.', 37}, {'A', 7},  {'C', 7},  {'D', 22},  {'L', 15}, {'M', 7},  {'S', 7},
      {'T', 7},   {'U', 7},  {'_', 7},  {'a', 59}, {'b', 7},  {'c', 29},  {'d', 37}, {'e', 80}, {'f', 7},
      {'g', 7},   {'h', 29}, {'i', 44}, {'j', 7},  {'l', 22}, {'m', 29},  {'n', 22}, {'o', 73}, {'p', 59},
      {'r', 51},  {'s', 44}, {'t', 44}, {'u', 22}, {'v', 15}, {'x', 133}, {'y', 7}};
  auto header = [&](int32_t literalAdj, uint32_t literalState0) {
    std::string h = "bvx1";
    put32(h, 200000);
    put32(h, 81 + 1101);
    put32(h, 140);
    put32(h, 589);
    put32(h, 81);
    put32(h, 1101);
    put32(h, static_cast<uint32_t>(literalAdj));
    for (uint32_t s : {literalState0, 626u, 534u, 85u}) put16(h, s);
    put32(h, static_cast<uint32_t>(-3));
    for (uint32_t s : {63u, 16u, 47u}) put16(h, s);
    for (uint16_t f : lFreq) put16(h, f);
    for (uint16_t f : mFreq) put16(h, f);
    for (int i = 0; i < 64; ++i) put16(h, i < 43 ? dFreq[i] : 0);
    std::vector<uint16_t> lit(256, 0);
    for (auto [c, f] : literalFreq) lit[static_cast<uint8_t>(c)] = f;
    for (uint16_t f : lit) put16(h, f);
    h += std::string(2, '\0');
    EXPECT_EQ(h.size(), 772u);
    return h;
  };
  const std::string payloads = packed.substr(177, 81 + 1101);
  const auto decoded = lzfseDecode(header(-2, 277) + payloads + "bvx$");
  ASSERT_TRUE(decoded.has_value());
  EXPECT_TRUE(*decoded == vector("text-200k.bin"));

  // The plain header's adjustments and states are full integers: out-of-range values are refused.
  EXPECT_FALSE(lzfseDecode(header(-8, 277) + payloads + "bvx$"));
  EXPECT_FALSE(lzfseDecode(header(1, 277) + payloads + "bvx$"));
  EXPECT_FALSE(lzfseDecode(header(-2, 1024) + payloads + "bvx$"));
  EXPECT_FALSE(lzfseDecode(header(-2, 277).substr(0, 771)));
}

TEST(LzfseDecode, StreamFraming) {
  struct Case {
    const char* what;
    std::string stream;
    std::optional<std::string> expected;
  };
  const Case cases[] = {
      {"end marker alone", "bvx$", ""},
      {"empty uncompressed block", rawBlock("") + "bvx$", ""},
      {"bytes after the end marker are ignored", rawBlock("ab") + "bvx$garbage", "ab"},
      {"blocks of different kinds in a row, a match reaching into the block before",
       rawBlock("abcdefgh") + lzvnBlock(8, "\x28\x08" + kEos) + rawBlock("!") + "bvx$", "abcdefghabcdefgh!"},
      {"empty input", "", std::nullopt},
      {"three bytes", "bvx", std::nullopt},
      {"no end marker", rawBlock("a"), std::nullopt},
      {"end marker cut short", rawBlock("a") + "bvx", std::nullopt},
      {"unknown magic", "bvx3" + std::string(8, '\0') + "bvx$", std::nullopt},
      {"magic in the wrong case", "BVX$", std::nullopt},
      {"uncompressed size beyond the data", "bvx-\x64\0\0\0abcde" + std::string("bvx$"), std::nullopt},
      {"uncompressed size of 4 GiB", std::string("bvx-\xFF\xFF\xFF\xFF", 8) + "bvx$", std::nullopt},
      {"uncompressed header cut short", std::string("bvx-\x01\0", 6), std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(lzfseDecode(c.stream), c.expected);
  }
}

TEST(LzfseDecode, LzvnBlocks) {
  struct Case {
    const char* what;
    std::string stream;
    std::optional<std::string> expected;
  };
  const std::string abc =
      "\xE3"
      "abc";
  const Case cases[] = {
      {"literals only", lzvnBlock(3, abc + kEos), "abc"},
      {"no-op before an instruction", lzvnBlock(3, "\x0E" + abc + kEos), "abc"},
      {"overlapping match repeats the last bytes", lzvnBlock(9, abc + std::string("\x18\x03", 2) + kEos), "abcabcabc"},
      {"short match at the previous distance", lzvnBlock(11, abc + std::string("\x00\x03", 2) + "\xF5" + kEos),
       "abcabcabcab"},
      {"distance before the start of the output", lzvnBlock(6, abc + std::string("\x00\x05", 2) + kEos), std::nullopt},
      {"distance zero", lzvnBlock(6, abc + std::string("\x00\x00", 2) + kEos), std::nullopt},
      {"short match before any distance", lzvnBlock(6, abc + "\xF3" + kEos), std::nullopt},
      {"previous-distance opcode before any distance", lzvnBlock(4, "\x46x" + kEos), std::nullopt},
      {"undefined opcode 0x70", lzvnBlock(3, abc + "\x70" + kEos), std::nullopt},
      {"undefined opcode 0x1E", lzvnBlock(3, "\x1E" + abc + kEos), std::nullopt},
      {"payload left after the eos", lzvnBlock(3, abc + kEos + "x"), std::nullopt},
      {"no eos", lzvnBlock(3, abc), std::nullopt},
      {"eos cut short", lzvnBlock(3, abc + kEos.substr(0, 7)), std::nullopt},
      {"no-op as the last byte", lzvnBlock(3, abc + "\x0E"), std::nullopt},
      {"literals running past the payload",
       lzvnBlock(5,
                 "\xE5"
                 "ab"),
       std::nullopt},
      {"empty block", lzvnBlock(0, kEos), std::nullopt},
      {"declared size larger than produced", lzvnBlock(4, abc + kEos), std::nullopt},
      {"declared size smaller than produced", lzvnBlock(2, abc + kEos), std::nullopt},
      {"declared size no payload can produce", lzvnBlock(0xFFFFFFFF, abc + kEos), std::nullopt},
      {"payload size beyond the data", lzvnBlock(3, abc + kEos).substr(0, 14), std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(lzfseDecode(c.stream + "bvx$"), c.expected);
  }
}

TEST(LzfseDecode, LzfseBlocks) {
  struct Case {
    const char* what;
    std::function<void(Bvx2Block&)> change;
    std::optional<std::string> expected;
    std::string before = "";  // blocks ahead of it in the stream
  };
  const Case cases[] = {
      {"hand-made block", [](Bvx2Block&) {}, "aaaaaaa"},
      {"repeated distance",
       [](Bvx2Block& b) {
         b.matchCount = 2, b.literalCount = 8, b.rawSize = 14;
         b.freqs = {{L(4), 64}, {M(3), 64}, {D(0), 128}, {D(3), 128}, {Lit('a'), 1024}};
         b.dState = 128;  // D = 3 first (1 state bit), then state 0 or 1: repeat
       },
       std::string(14, 'a')},
      {"frequencies below the table size",
       [](Bvx2Block& b) {
         b.freqs[0] = {L(4), 32};
       },
       "aaaaaaa"},
      {"match reaching into the previous block",
       [](Bvx2Block& b) {
         b.freqs[2] = {D(5), 256};
       },
       "xyzaaaayza", rawBlock("xyz")},
      {"no tables and nothing in the block",
       [](Bvx2Block& b) { b.noTables = true, b.rawSize = 0, b.literalCount = 0, b.matchCount = 0; }, ""},

      {"distance before the start of the output",
       [](Bvx2Block& b) {
         b.freqs[2] = {D(5), 256};
       },
       std::nullopt},
      {"distance beyond the output with no match",
       [](Bvx2Block& b) {
         b.freqs[1] = {M(0), 64}, b.freqs[2] = {D(12), 256}, b.rawSize = 4;
       },
       std::nullopt},
      {"repeat in the first triple",
       [](Bvx2Block& b) {
         b.freqs[2] = {D(0), 256};
       },
       std::nullopt},
      {"literals running past those decoded",
       [](Bvx2Block& b) {
         b.freqs[0] = {L(8), 64}, b.rawSize = 11;
       },
       std::nullopt},
      {"declared size larger than produced", [](Bvx2Block& b) { b.rawSize = 8; }, std::nullopt},
      {"declared size smaller than produced", [](Bvx2Block& b) { b.rawSize = 6; }, std::nullopt},
      {"declared size no block can produce", [](Bvx2Block& b) { b.rawSize = 0xFFFFFFFF; }, std::nullopt},
      {"frequency sum above the table size",
       [](Bvx2Block& b) {
         b.freqs[0] = {L(4), 65};
       },
       std::nullopt},
      {"literal frequency sum above the table size",
       [](Bvx2Block& b) {
         b.freqs.push_back({Lit('b'), 1});
       },
       std::nullopt},
      {"state landing on an undefined entry",
       [](Bvx2Block& b) {
         b.freqs[0] = {L(4), 32}, b.lState = 40;
       },
       std::nullopt},
      {"L state out of range", [](Bvx2Block& b) { b.lState = 64; }, std::nullopt},
      {"D state out of range", [](Bvx2Block& b) { b.dState = 256; }, std::nullopt},
      {"too many literals", [](Bvx2Block& b) { b.literalCount = 40004; }, std::nullopt},
      {"too many triples", [](Bvx2Block& b) { b.matchCount = 10001; }, std::nullopt},
      {"header size below 32", [](Bvx2Block& b) { b.noTables = true, b.headerSizeChange = -1; }, std::nullopt},
      {"header size zero and nothing else",
       [](Bvx2Block& b) { b.noTables = true, b.headerSizeChange = -32, b.lmdPayload.clear(); }, std::nullopt},
      {"header size beyond the data", [](Bvx2Block& b) { b.headerSizeChange = 1 << 20; }, std::nullopt},
      {"a whole unused byte after the tables", [](Bvx2Block& b) { b.unusedTableBytes = 1; }, std::nullopt},
      {"tables cut short", [](Bvx2Block& b) { b.headerSizeChange = -1; }, std::nullopt},
      {"triples without tables", [](Bvx2Block& b) { b.noTables = true; }, std::nullopt},
      {"payload beyond the data", [](Bvx2Block& b) { b.lmdSizeChange = 1; }, std::nullopt},
      {"nonzero padding bits", [](Bvx2Block& b) { b.lmdAdj = -1, b.lmdPayload[7] = '\x80'; }, std::nullopt},
      {"bit stream running out",
       [](Bvx2Block& b) {
         b.freqs[2] = {D(12), 256}, b.lmdPayload.clear();
       },
       std::nullopt},
      {"literal bit stream running out",
       [](Bvx2Block& b) {
         b.freqs[3] = {Lit('a'), 512}, b.freqs.push_back({Lit('b'), 512});
       },
       std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Bvx2Block block;
    c.change(block);
    EXPECT_EQ(lzfseDecode(c.before + block.build() + "bvx$"), c.expected);
  }
}

// Every proper prefix of a valid stream is refused (the end marker is missing at least).
TEST(LzfseDecode, EveryTruncationFails) {
  for (const char* name : {"one", "short-text", "small-text", "text-200k"}) {
    SCOPED_TRACE(name);
    const std::string stream = vector(std::string(name) + ".lzfse");
    for (size_t n = 0; n < stream.size(); ++n) ASSERT_FALSE(lzfseDecode(std::string_view(stream).substr(0, n))) << n;
  }
}

// Damaged streams give an answer (usually none) and nothing else: the sanitizer builds check that no
// damage makes the decoder read or write outside its buffers.
TEST(LzfseDecode, DamagedStreamsAreHandled) {
  std::mt19937 random(12345);
  for (const char* name : {"small-text", "text-200k", "repetitive-1.6m"}) {
    SCOPED_TRACE(name);
    const std::string stream = vector(std::string(name) + ".lzfse");
    for (int round = 0; round < 300; ++round) {
      std::string damaged = stream;
      const int changes = 1 + static_cast<int>(random() % 4);
      for (int i = 0; i < changes; ++i) {
        const size_t at = random() % damaged.size();
        if (random() % 2)
          damaged[at] = static_cast<char>(damaged[at] ^ (1 << (random() % 8)));
        else
          damaged[at] = static_cast<char>(random());
      }
      const auto decoded = lzfseDecode(damaged);
      if (decoded) {
        EXPECT_LE(decoded->size(), 64u << 20);
      }
    }
  }
}

TEST(LzfseDecode, OutputLimit) {
  const std::string stream = vector("text-200k.lzfse");
  EXPECT_FALSE(lzfseDecode(stream, 199999));
  ASSERT_TRUE(lzfseDecode(stream, 200000));
  EXPECT_EQ(lzfseDecode(stream, 200000)->size(), 200000u);
}

// A block producing more than the room made up front (32 MiB) grows its output as it goes.
TEST(LzfseDecode, LargeBlockGrowsItsOutput) {
  std::string payload =
      "\xE1"
      "a"
      "\x38\x01";                     // 'a', then 10 bytes from 1 back
  const size_t longMatches = 124000;  // 271 bytes each at the same distance
  for (size_t i = 0; i < longMatches; ++i) payload += "\xF0\xFF";
  payload += kEos;
  const uint32_t size = static_cast<uint32_t>(11 + 271 * longMatches);
  ASSERT_GT(size, 32u << 20);
  const auto decoded = lzfseDecode(rawBlock("xy") + lzvnBlock(size, payload) + "bvx$");
  ASSERT_TRUE(decoded.has_value());
  ASSERT_EQ(decoded->size(), size + 2u);
  EXPECT_EQ(decoded->find_first_not_of('a', 2), std::string::npos);
  EXPECT_FALSE(lzfseDecode(lzvnBlock(size + 1, payload) + "bvx$"));
}

namespace {

// Everything a reader gives, taken in pieces of changing sizes (some far larger than a block), then
// the rest of the stream checked; none when either step refuses it.
std::optional<std::string> readInPieces(std::string_view stream, std::mt19937& random, size_t limit = kLzfseNoLimit) {
  LzfseReader reader(stream, limit);
  std::string out;
  for (;;) {
    const size_t n = random() % 4 == 0 ? random() % 300000 : random() % 100;
    const uint8_t* piece = reader.take(n);
    if (!piece) break;
    out.append(reinterpret_cast<const char*>(piece), n);
  }
  // The last piece asked for more than was left: take the rest one byte at a time.
  while (const uint8_t* byte = reader.take(1)) out.push_back(static_cast<char>(*byte));
  if (!reader.finish()) return std::nullopt;
  return out;
}

}  // namespace

// Piece by piece the output is the whole decode's, also where matches reach back across the output
// already let go (a long stream of records that repeat from up to 200 KB back), and the same streams
// are refused: cut short, damaged, or past the output limit.
TEST(LzfseDecode, PieceByPieceAgreesWithTheWholeDecode) {
  std::mt19937 random(7);
  std::string records;
  while (records.size() < (12u << 20)) {
    if (records.size() > 300000 && random() % 3 == 0) {
      const size_t back = 1 + random() % 200000;
      records += records.substr(records.size() - back, 8 + random() % 120);
    } else {
      records += "node-" + std::to_string(random() % 100000) + std::string(1 + random() % 8, '\x01');
    }
  }
  std::vector<std::pair<std::string, std::string>> streams;  // stream, its output
  streams.emplace_back(lzfseEncode(records), records);
  for (const char* name : kVectors)
    streams.emplace_back(vector(std::string(name) + ".lzfse"), vector(std::string(name) + ".bin"));

  for (const auto& [stream, expected] : streams) {
    SCOPED_TRACE(expected.size());
    const auto whole = readInPieces(stream, random);
    ASSERT_TRUE(whole.has_value());
    EXPECT_TRUE(*whole == expected);
    // What the headers announce is what is left to take.
    LzfseReader reader(stream);
    if (reader.take(1)) {
      EXPECT_EQ(reader.announcedLeft(), expected.size() - 1);
    }
    EXPECT_TRUE(readInPieces(stream, random, expected.size()).has_value());
    if (!expected.empty()) {
      EXPECT_FALSE(readInPieces(stream, random, expected.size() - 1));
    }
    for (size_t cut : {size_t{0}, stream.size() / 3, stream.size() - 1})
      EXPECT_FALSE(readInPieces(std::string_view(stream).substr(0, cut), random)) << cut;
  }
  const std::string stream = vector("text-200k.lzfse");
  for (int round = 0; round < 200; ++round) {
    std::string damaged = stream;
    damaged[random() % damaged.size()] ^= static_cast<char>(1 << (random() % 8));
    const auto whole = lzfseDecode(damaged);
    const auto pieces = readInPieces(damaged, random);
    ASSERT_EQ(pieces.has_value(), whole.has_value()) << round;
    if (whole) {
      EXPECT_TRUE(*pieces == *whole);
    }
  }
}
