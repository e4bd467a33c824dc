#include "app/ScanTargetInfo.h"

#include <QCoreApplication>
#include <climits>
#include <cstdlib>
#include <sys/stat.h>

#include "platform/Paths.h"

namespace tolvex {

std::string rootPath(const ScanTarget& target, const std::string& home, const std::string& dataVolume) {
  switch (target.kind) {
    case ScanTarget::Kind::folder: {
      char resolved[PATH_MAX];
      if (realpath(target.folderPath.c_str(), resolved)) return resolved;
      return target.folderPath;  // the walk then reports that it cannot start
    }
    case ScanTarget::Kind::home: return home;
    case ScanTarget::Kind::wholeDisk: {
      struct stat st {};
      return lstat(dataVolume.c_str(), &st) == 0 ? dataVolume : "/";
    }
  }
  return "/";
}

QString title(const ScanTarget& target) {
  switch (target.kind) {
    case ScanTarget::Kind::folder: return QString::fromStdString(lastPathComponent(target.folderPath));
    case ScanTarget::Kind::wholeDisk: return QCoreApplication::translate("ScanTarget", "Entire disk");
    case ScanTarget::Kind::home: return QCoreApplication::translate("ScanTarget", "Home folder");
  }
  return {};
}

}  // namespace tolvex
