// Application inventory and leftover search on a generated Mac-like home.
//   bench_apps [applications] [orphans]   (defaults 300 and 1500)
// Each application has a bundle of a few files and five Library entries; the orphans are Library
// entries of applications that are gone (half of them large enough to be listed). Prints the time of
// the whole inventory against `du -s` over the same folders (the bytes both must walk), and the time
// of the leftover search with the look-up of every candidate identifier in the application folders.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <string>
#include <unistd.h>

#include "BestTime.h"
#include "platform/AtomicFile.h"
#include "platform/HomeFolder.h"
#include "platform/Process.h"
#include "system/AppInventory.h"
#include "system/Leftover.h"

using namespace tolvex;

namespace {

using bench::best;

void file(const std::string& path, size_t bytes) {
  if (!makeFolders(path.substr(0, path.rfind('/'))) || writeFileAtomically(path, std::string(bytes, 'x')) != 0) {
    std::perror(path.c_str());
    std::exit(1);
  }
}

std::string infoPlist(const std::string& identifier, const std::string& name) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
         "<key>CFBundleIdentifier</key><string>" +
         identifier +
         "</string>"
         "<key>CFBundleName</key><string>" +
         name +
         "</string>"
         "<key>CFBundleExecutable</key><string>" +
         name +
         "</string>"
         "<key>CFBundleShortVersionString</key><string>1.0</string></dict></plist>";
}

}  // namespace

int main(int argc, char** argv) {
  const int apps = argc > 1 ? std::atoi(argv[1]) : 300;
  const int orphans = argc > 2 ? std::atoi(argv[2]) : 1500;
  char base[] = "/tmp/tolvex-bench-apps-XXXXXX";
  if (!::mkdtemp(base)) return 1;
  const std::string root = base, home = root + "/home", folder = root + "/Applications";
  for (int i = 0; i < apps; ++i) {
    const std::string name = "App" + std::to_string(i), id = "com.vendor" + std::to_string(i % 40) + "." + name;
    const std::string bundle = folder + "/" + name + ".app";
    file(bundle + "/Contents/Info.plist", 0);
    if (writeFileAtomically(bundle + "/Contents/Info.plist", infoPlist(id, name)) != 0) std::exit(1);
    file(bundle + "/Contents/MacOS/" + name, 200'000);
    for (int r = 0; r < 20; ++r) file(bundle + "/Contents/Resources/r" + std::to_string(r), 8'000);
    file(home + "/Library/Caches/" + id + "/cache", 50'000);
    file(home + "/Library/Preferences/" + id + ".plist", 2'000);
    file(home + "/Library/Application Support/" + name + "/data", 30'000);
    file(home + "/Library/Saved Application State/" + id + ".savedState/windows", 4'000);
    file(home + "/Library/Containers/" + id + "/Data/x", 10'000);
  }
  for (int i = 0; i < orphans; ++i)
    file(home + "/Library/Caches/com.gone" + std::to_string(i) + ".Tool/c", i % 2 ? 100'000 : 1'000);
  const InventoryContext context =
      InventoryContext::forPlaces(home, {folder, home + "/Applications", folder + "/Utilities"});

  std::vector<InstalledApp> inventory;
  const double inventoryTime = best(3, [&] { inventory = AppInventory::installedApps(context); });
  const double duTime = best(3, [&] { runProcess({"du", "-s", "--block-size=1", folder, home + "/Library"}); });
  std::vector<Leftover> leftovers;
  const double leftoverTime = best(3, [&] { leftovers = AppInventory::findLeftovers(inventory, context); });

  std::printf("applications %d, Library entries %d, orphans %d\n", apps, apps * 5 + orphans, orphans);
  std::printf("inventory: %zu apps in %.3f s; du -s of the same folders %.3f s; ratio %.2f\n", inventory.size(),
              inventoryTime, duTime, inventoryTime / duTime);
  std::printf("leftovers: %zu found in %.3f s (%d identifiers looked up in %d bundles)\n", leftovers.size(),
              leftoverTime, orphans, apps);
  runProcess({"rm", "-rf", root});
  return 0;
}
