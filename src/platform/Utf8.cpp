#include "platform/Utf8.h"

namespace tolvex {

size_t utf8SequenceLength(std::string_view text, size_t at) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char c = byte(at);
  if (c < 0x80) return 1;
  size_t length;
  unsigned char low = 0x80, high = 0xBF;  // allowed range of the second byte
  if (c >= 0xC2 && c <= 0xDF)
    length = 2;
  else if (c == 0xE0)
    length = 3, low = 0xA0;
  else if (c >= 0xE1 && c <= 0xEC)
    length = 3;
  else if (c == 0xED)
    length = 3, high = 0x9F;  // no surrogates
  else if (c >= 0xEE && c <= 0xEF)
    length = 3;
  else if (c == 0xF0)
    length = 4, low = 0x90;
  else if (c >= 0xF1 && c <= 0xF3)
    length = 4;
  else if (c == 0xF4)
    length = 4, high = 0x8F;
  else
    return 0;
  if (at + length > text.size()) return 0;
  if (byte(at + 1) < low || byte(at + 1) > high) return 0;
  for (size_t i = 2; i < length; ++i)
    if (byte(at + i) < 0x80 || byte(at + i) > 0xBF) return 0;
  return length;
}

bool isValidUtf8(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    size_t length = utf8SequenceLength(text, i);
    if (length == 0) return false;
    i += length;
  }
  return true;
}

std::string utf8WithReplacements(std::string_view bytes) {
  std::string out;
  for (size_t i = 0; i < bytes.size();) {
    size_t length = utf8SequenceLength(bytes, i);
    if (length == 0) {
      out += "\xEF\xBF\xBD";
      i += 1;
    } else {
      out.append(bytes.substr(i, length));
      i += length;
    }
  }
  return out;
}

}  // namespace tolvex
