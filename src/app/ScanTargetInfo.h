#pragma once
#include <QString>
#include <string>

#include "model/DisplayPath.h"
#include "model/ScanResult.h"

namespace tolvex {

// The folder a scan of `target` walks: the folder itself (made absolute and canonical, so that "."
// or ".." pieces and links never reach the walk), the home folder, or for the whole disk
// "/System/Volumes/Data" when it exists, else "/".
std::string rootPath(const ScanTarget& target, const std::string& home,
                     const std::string& dataVolume = std::string(kDataVolume));

// "Entire disk", "Home folder", or the folder's last path component.
QString title(const ScanTarget& target);

}  // namespace tolvex
