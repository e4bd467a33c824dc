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

namespace {

std::string serialised(plist_t root, bool binary) {
  char* data = nullptr;
  uint32_t length = 0;
  if (binary)
    plist_to_bin(root, &data, &length);
  else
    plist_to_xml(root, &data, &length);
  plist_free(root);
  if (!data) throw std::runtime_error("plist serialisation failed");
  std::string bytes(data, length);
  std::free(data);
  return bytes;
}

void setString(plist_t root, const char* key, const std::optional<std::string>& value) {
  if (value) plist_dict_set_item(root, key, plist_new_string(value->c_str()));
}

}  // namespace

std::string infoPlistBytes(const std::optional<std::string>& identifier, bool binary) {
  plist_t root = plist_new_dict();
  plist_dict_set_item(root, "CFBundleName", plist_new_string("Example"));
  setString(root, "CFBundleIdentifier", identifier);
  return serialised(root, binary);
}

std::string writeApp(const std::string& bundlePath, const AppInfo& info, bool binary) {
  plist_t root = plist_new_dict();
  setString(root, "CFBundleIdentifier", info.identifier);
  setString(root, "CFBundleDisplayName", info.displayName);
  setString(root, "CFBundleName", info.name);
  setString(root, "CFBundleShortVersionString", info.version);
  setString(root, "CFBundleExecutable", info.executable);
  if (!makeFolders(bundlePath + "/Contents/MacOS")) throw std::runtime_error("mkdir " + bundlePath);
  if (writeFileAtomically(bundlePath + "/Contents/Info.plist", serialised(root, binary)) != 0)
    throw std::runtime_error("write Info.plist in " + bundlePath);
  if (info.executable && writeFileAtomically(bundlePath + "/Contents/MacOS/" + *info.executable, "#!/bin/sh\n") != 0)
    throw std::runtime_error("write executable in " + bundlePath);
  return bundlePath;
}

std::string writeAppBundle(const std::string& bundlePath, const std::optional<std::string>& identifier, bool binary) {
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
  for (const char* folder :
       {"Desktop", "Documents", "Downloads", "Library/Caches", "Library/Logs", "Library/Preferences",
        "Library/Saved Application State", "Movies", "Music", "Pictures", "Public"})
    tree_.folder(folder);
  tree_.folder(".local/share/Trash/files");
  tree_.folder(".local/share/Trash/info");
}

std::string MacHome::trashFiles() const { return home_ / ".local/share/Trash/files"; }
std::string MacHome::trashInfo() const { return home_ / ".local/share/Trash/info"; }

std::string MacHome::trashedFile(const std::string& name, int64_t allocatedBytes) {
  const std::string path = tree_.allocatedFile(".local/share/Trash/files/" + name, allocatedBytes);
  const std::string info = "[Trash Info]\nPath=" + percentEncodePath(home_ / ("Desktop/" + name)) +
                           "\nDeletionDate=" + trashDeletionDateText(static_cast<double>(std::time(nullptr))) + "\n";
  if (writeFileAtomically(trashInfo() + "/" + name + ".trashinfo", info) != 0)
    throw std::runtime_error("write trashinfo for " + name);
  return path;
}

}  // namespace tolvex::test
