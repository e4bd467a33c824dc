#include "support/MacHome.h"

#include <cstdlib>
#include <ctime>
#include <plist/plist.h>
#include <stdexcept>

#include "platform/AtomicFile.h"
#include "platform/HomeFolder.h"
#include "platform/Paths.h"
#include "platform/Trash.h"

namespace tolvex::test {

std::string infoPlistBytes(const std::optional<std::string>& identifier, bool binary) {
  plist_t root = plist_new_dict();
  plist_dict_set_item(root, "CFBundleName", plist_new_string("Example"));
  if (identifier) plist_dict_set_item(root, "CFBundleIdentifier", plist_new_string(identifier->c_str()));
  char* data = nullptr;
  uint32_t length = 0;
  if (binary) plist_to_bin(root, &data, &length);
  else plist_to_xml(root, &data, &length);
  plist_free(root);
  if (!data) throw std::runtime_error("plist serialisation failed");
  std::string bytes(data, length);
  std::free(data);
  return bytes;
}

std::string writeAppBundle(const std::string& bundlePath, const std::optional<std::string>& identifier,
                           bool binary) {
  if (!makeFolders(bundlePath + "/Contents/MacOS")) throw std::runtime_error("mkdir " + bundlePath);
  if (writeFileAtomically(bundlePath + "/Contents/Info.plist", infoPlistBytes(identifier, binary)) != 0)
    throw std::runtime_error("write Info.plist in " + bundlePath);
  return bundlePath;
}

void setAgeInDays(const std::string& path, double days) {
  const double when = static_cast<double>(std::time(nullptr)) - days * 86400.0;
  TreeBuilder("/").times(path.substr(1), when, when);
}

MacHome::MacHome() : tree_(home_.home()) {
  for (const char* folder : {"Desktop", "Documents", "Downloads", "Library/Caches", "Library/Logs",
                             "Library/Preferences", "Library/Saved Application State", "Movies", "Music",
                             "Pictures", "Public"})
    tree_.folder(folder);
  tree_.folder(".local/share/Trash/files");
  tree_.folder(".local/share/Trash/info");
}

std::string MacHome::trashFiles() const { return home_ / ".local/share/Trash/files"; }
std::string MacHome::trashInfo() const { return home_ / ".local/share/Trash/info"; }

std::string MacHome::trashedFile(const std::string& name, int64_t allocatedBytes) {
  const std::string path = tree_.allocatedFile(".local/share/Trash/files/" + name, allocatedBytes);
  const std::string info = "[Trash Info]\nPath=" + percentEncodePath(home_ / ("Desktop/" + name)) +
                           "\nDeletionDate=" + trashDeletionDateText(static_cast<double>(std::time(nullptr))) +
                           "\n";
  if (writeFileAtomically(trashInfo() + "/" + name + ".trashinfo", info) != 0)
    throw std::runtime_error("write trashinfo for " + name);
  return path;
}

}  // namespace tolvex::test
