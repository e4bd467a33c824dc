// libFuzzer target: what the System Data screen reads from other programs and the kernel (snapper's
// JSON listings, tmutil's lines, the swap and mount lists; the first byte chooses which). Whatever
// comes in, every snapshot name that comes out is one its tool's deletion accepts as it stands.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "system/LocalSnapshot.h"
#include "system/SystemDataPart.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
  switch (data[0] % 4) {
    case 0:
      for (const auto& config : tolvex::parseSnapperConfigs(input))
        if (!tolvex::parseSnapperSnapshotName(config + ":1")) std::abort();
      break;
    case 1:
      for (const auto& snapshot : tolvex::parseSnapperSnapshots(input))
        if (!tolvex::parseSnapperSnapshotName(snapshot.name)) std::abort();
      break;
    case 2:
      for (const auto& snapshot : tolvex::parseLocalSnapshots(input))
        if (!snapshot.name.starts_with("com.apple.")) std::abort();
      break;
    default:
      for (const auto& row : tolvex::swapFileRows(input))
        if (row.path.empty() || row.path.front() != '/') std::abort();
      (void)tolvex::isOnMemoryFileSystem(input, "/var/tmp");
      break;
  }
  return 0;
}
