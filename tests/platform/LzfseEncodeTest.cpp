#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>

#include "platform/lzfse/Lzfse.h"
#include "support/TestData.h"

using namespace tolvex;

namespace {

std::string vectorFile(const std::string& name) { return test::testData("lzfse/" + name); }

std::string randomBytes(size_t n, uint32_t seed) {
  std::mt19937 random(seed);
  std::string out(n, '\0');
  for (char& c : out) c = static_cast<char>(random());
  return out;
}

// Words drawn from a small vocabulary: compressible, but with matches of every length and distance.
std::string wordSoup(size_t n, uint32_t seed) {
  static const char* const words[] = {"Library",
                                      "Caches",
                                      "node_modules",
                                      "com.example.editor",
                                      "Users",
                                      "DerivedData",
                                      ".git",
                                      "objects",
                                      "pack",
                                      "Movies",
                                      "a",
                                      "of",
                                      "the"};
  std::mt19937 random(seed);
  std::string out;
  while (out.size() < n) {
    out += words[random() % std::size(words)];
    out += random() % 5 ? ' ' : '/';
  }
  out.resize(n);
  return out;
}

std::string magicOf(const std::string& stream) { return stream.substr(0, 4); }

}  // namespace

TEST(LzfseEncode, RoundTrips) {
  struct Case {
    const char* what;
    std::string data;
  };
  const std::string chunk = randomBytes(100000, 7);
  const std::string farChunk = randomBytes(300, 8);
  const Case cases[] = {
      {"empty", ""},
      {"one byte", "x"},
      {"seven bytes", "abcdefg"},
      {"eight bytes", "abcdabcd"},
      {"short text", vectorFile("short-text.bin")},
      {"small random", randomBytes(4095, 1)},
      {"small repetitive", std::string(4095, 'z')},
      {"smallest LZFSE input", wordSoup(4096, 2)},
      {"random", randomBytes(300000, 3)},
      {"zeros", std::string(1 << 20, '\0')},
      {"period three",
       [] {
         std::string s;
         while (s.size() < 700000) s += "abc";
         return s;
       }()},
      {"long matches at a long distance", chunk + chunk + chunk + chunk + chunk},
      {"matches at the longest distance and just beyond it",
       farChunk + randomBytes(262139 - 300, 9) + farChunk + randomBytes(1, 10) + farChunk},
      {"many blocks of text", wordSoup(3 << 20, 4)},
      {"random then repetitive then random", randomBytes(50000, 5) + std::string(500000, 'q') + randomBytes(50000, 6)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string stream = lzfseEncode(c.data);
    ASSERT_GE(stream.size(), 4u);
    EXPECT_EQ(stream.substr(stream.size() - 4), "bvx$");
    const auto decoded = lzfseDecode(stream);
    ASSERT_TRUE(decoded.has_value());
    ASSERT_EQ(decoded->size(), c.data.size());
    EXPECT_TRUE(*decoded == c.data);
  }
}

TEST(LzfseEncode, BlockKindsBySize) {
  EXPECT_EQ(lzfseEncode(""), "bvx$");
  EXPECT_EQ(lzfseEncode("x"), std::string("bvx-\x01\0\0\0xbvx$", 13));
  const std::string text = vectorFile("small-text.bin");
  EXPECT_EQ(magicOf(lzfseEncode(text)), "bvxn");
  EXPECT_LT(lzfseEncode(text).size(), 800u);  // the usual encoder: 724
  // Small incompressible data is stored as it is.
  EXPECT_EQ(magicOf(lzfseEncode(randomBytes(2000, 11))), "bvx-");
  EXPECT_EQ(magicOf(lzfseEncode(wordSoup(5000, 12))), "bvx2");
  // Incompressible data costs no more than the block headers.
  const std::string random = randomBytes(300000, 13);
  EXPECT_LE(lzfseEncode(random).size(), random.size() + 4 + 8 * 16);
}

// Our encoder against the files the usual encoder made from the same inputs.
TEST(LzfseEncode, RatioMatchesTheUsualEncoder) {
  for (const char* name : {"text-200k", "records-2m", "repetitive-1.6m", "random-300k"}) {
    SCOPED_TRACE(name);
    const std::string input = vectorFile(std::string(name) + ".bin");
    const size_t reference = vectorFile(std::string(name) + ".lzfse").size();
    const std::string ours = lzfseEncode(input);
    std::printf("  %-16s %9zu bytes -> ours %7zu, usual encoder %7zu (%.2f %%)\n", name, input.size(), ours.size(),
                reference, 100.0 * static_cast<double>(ours.size()) / static_cast<double>(reference));
    EXPECT_LE(ours.size(), reference + reference / 10);
    EXPECT_TRUE(lzfseDecode(ours) == input);
  }
}

// With the same parse and block rules as the usual encoder, our LZFSE blocks come out byte for byte
// as its own: the best evidence we have that other decoders read them. (Should the parser ever be
// improved, replace this by the ratio test above.)
TEST(LzfseEncode, LzfseBlocksAreStandard) {
  for (const char* name : {"text-200k", "records-2m", "repetitive-1.6m"}) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(lzfseEncode(vectorFile(std::string(name) + ".bin")) == vectorFile(std::string(name) + ".lzfse"));
  }
}
