// libFuzzer target: property lists (XML or binary) on arbitrary bytes, with the typed look-ups the
// launch-item reader makes and the strings an application's Info.plist is read for.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/Bundle.h"
#include "platform/PropertyList.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  if (auto plist = tolvex::PropertyList::parse(input)) {
    plist->string("Label");
    plist->strings("ProgramArguments");
    plist->boolean("RunAtLoad");
    plist->hasDictionary("KeepAlive");
  }
  tolvex::infoStringsFromPlist(input);
  tolvex::bundleIdentifierFromPlist(input);
  return 0;
}
