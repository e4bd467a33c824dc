// libFuzzer target: the autostart entries and unit files read for Login Items, and the command lines
// in them. Whatever the bytes, a value holds no line break, and a command's program is never empty.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/KeyedFile.h"
#include "system/LinuxLaunchItem.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  if (const auto file = tolvex::KeyedFile::parse(input)) {
    for (const char* key : {"Exec", "TryExec", "Name", "Hidden"})
      if (const auto value = file->value("Desktop Entry", key))
        if (value->find('\n') != std::string::npos) std::abort();
    (void)file->boolean("Desktop Entry", "Hidden");
  }
  for (const auto& command : {tolvex::launchCommandOfExec(input), tolvex::launchCommandOfExecStart(input)})
    if (command && command->program.empty()) std::abort();
  return 0;
}
