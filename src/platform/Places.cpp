#include "platform/Places.h"

#include "platform/HomeFolder.h"
#include "platform/Paths.h"
#include "platform/Trash.h"

namespace tolvex {

Places Places::current() {
  return Places{homeFolder(), appendPath(resolvedHomeTrashFolder(), "files"), resolvedFolder(ownCacheFolder()),
                resolvedFolder(xdgDataHome())};
}

}  // namespace tolvex
