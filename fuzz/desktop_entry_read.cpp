// libFuzzer target: desktop entries, which any package or user may write into the data folders. Every
// value of an accepted entry is also taken apart as a list and as a command line; nothing may crash,
// and an accepted entry always has its main group.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/DesktopEntry.h"
#include "platform/DesktopFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const tolvex::DesktopEntryRead read = tolvex::DesktopEntry::parse(input);
  if (!read.entry) {
    if (read.reason.empty()) std::abort();
    return 0;
  }
  const tolvex::DesktopEntry& entry = *read.entry;
  if (!entry.hasGroup(tolvex::DesktopEntry::kMainGroup)) std::abort();
  for (const char* key : {"Name", "Exec", "TryExec", "Categories", "OnlyShowIn", "Icon"}) {
    (void)entry.localeString(key, tolvex::localeCandidates("sr_RS.UTF-8@latin"));
    (void)entry.list(key);
    if (auto value = entry.string(key))
      if (auto arguments = tolvex::execArguments(*value)) (void)tolvex::execProgram(*arguments);
  }
  (void)tolvex::isShownApplication(entry, {"GNOME"}, [](const std::string&) { return false; });
  return 0;
}
