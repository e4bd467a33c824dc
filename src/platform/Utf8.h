#pragma once
// UTF-8 checks for byte strings (paths and names need not be text).
#include <cstddef>
#include <string>
#include <string_view>

namespace tolvex {

// Length of the well-formed UTF-8 sequence at `at`, or 0 when the byte there does not start one
// (a stray continuation byte, an overlong form, a surrogate, a value above U+10FFFF, a cut sequence).
size_t utf8SequenceLength(std::string_view text, size_t at);
bool isValidUtf8(std::string_view text);
// The text of a byte string, each byte that is not part of a well-formed sequence written as U+FFFD.
std::string utf8WithReplacements(std::string_view bytes);

}  // namespace tolvex
