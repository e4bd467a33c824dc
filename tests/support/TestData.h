#pragma once
#include <string>

namespace tolvex::test {

// The bytes of a file under the repository's tests/data/ folder, e.g. "lzfse/one.bin". A missing
// file fails the running test and gives an empty string.
std::string testData(const std::string& relative);

}  // namespace tolvex::test
