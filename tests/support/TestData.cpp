#include "support/TestData.h"

#include <gtest/gtest.h>

#include "platform/AtomicFile.h"

namespace tolvex::test {

std::string testData(const std::string& relative) {
  auto bytes = readWholeFile(std::string(TOLVEX_TEST_DATA_DIR "/") + relative);
  if (!bytes) ADD_FAILURE() << "missing test data " << relative;
  return bytes.value_or("");
}

}  // namespace tolvex::test
