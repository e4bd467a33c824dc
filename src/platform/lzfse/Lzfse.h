#pragma once
// LZFSE: the compressed stream format of the scan archive. Our own codec, no external library.
//
// A stream is a sequence of blocks, each starting with a 4-byte magic, ending with "bvx$":
//   "bvx-" uncompressed, "bvxn" LZVN, "bvx1" / "bvx2" LZFSE (entropy coded), "bvx$" end of stream.
// The decoder reads all five; the encoder writes streams that any LZFSE decoder reads.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace tolvex {

inline constexpr size_t kLzfseNoLimit = SIZE_MAX;

// Decodes one complete stream (all its blocks up to and including "bvx$"); bytes after "bvx$" are
// ignored. Returns none for anything that is not a valid stream: truncated data, an unknown magic,
// sizes that do not match what the block really holds, distances before the start of the output,
// broken frequency tables or bit streams, an output longer than `maxOutputSize`, or (rather than
// throwing) not enough memory for the output.
//
// Never reads or writes out of bounds, and a declared size is never trusted further than the data
// can back it: an LZFSE block that declares more than its bytes can produce is refused; an LZVN
// block's output room is made for at most 1 MiB up front and grows only as bytes are produced; the
// whole output is reserved (not touched) from the block headers, trusted up to 16 times the input.
std::optional<std::string> lzfseDecode(std::string_view stream, size_t maxOutputSize = kLzfseNoLimit);

// Decodes a stream piece by piece, as its output is taken, holding only what was not taken yet and
// the stretch behind it that later matches may reach back into. What it accepts and refuses is what
// `lzfseDecode` does, found as far as the output is taken (`finish` for the rest).
class LzfseReader {
 public:
  explicit LzfseReader(std::string_view stream, size_t maxOutputSize = kLzfseNoLimit);
  LzfseReader(const LzfseReader&) = delete;
  LzfseReader& operator=(const LzfseReader&) = delete;
  ~LzfseReader();

  // The next `n` bytes of output, side by side; null when the stream is not valid or ends sooner.
  // Valid until the next call.
  const uint8_t* take(size_t n);
  // The output not taken yet, as the block headers announce it: exact for a valid stream (an invalid
  // one is refused before it produces more). Known once output was first taken.
  uint64_t announcedLeft() const;
  // True when the rest of the stream, through its end marker, is valid.
  bool finish();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// Encodes `data` as one stream. Never fails.
//   0 bytes        -> "bvx$" alone
//   1 - 7 bytes    -> one uncompressed block
//   8 - 4095 bytes -> one LZVN block, or an uncompressed block when LZVN does not make it smaller
//   4096 and more  -> LZFSE "bvx2" blocks (matches reach across blocks); a block that would come out
//                     larger than its input is written uncompressed instead.
std::string lzfseEncode(std::string_view data);

}  // namespace tolvex
