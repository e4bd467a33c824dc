#include "platform/Places.h"

#include "platform/HomeFolder.h"
#include "platform/Paths.h"
#include "platform/Trash.h"

namespace tolvex {

Places Places::current() {
  return Places{homeFolder(), appendPath(resolvedHomeTrashFolder(), "files"), resolvedFolder(ownCacheFolder()),
                resolvedFolder(xdgDataHome()), resolvedFolder(xdgConfigHome())};
}

Places Places::forHome(const std::string& home) {
  const std::string dataHome = appendPath(home, ".local/share");
  return Places{home, appendPath(dataHome, "Trash/files"), appendPath(home, ".cache/Tolvex"), dataHome,
                appendPath(home, ".config")};
}

}  // namespace tolvex
