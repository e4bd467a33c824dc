// The Linux desktop's applications on a generated desktop.
//   bench_desktop_apps [entries]   (default 1000)
// A quarter of the entries are owned by dpkg packages, a quarter are Flatpaks (each deployed, with its
// data in ~/.var/app), a quarter AppImages and a quarter hand-installed, each with a few folders of data
// in the XDG folders. Prints the time to read every entry against the time to read the same files'
// bytes alone (the reader's cost over the disk's), the time to list and classify the applications,
// the whole inventory with every size measured, and the leftover search.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "BestTime.h"
#include "platform/AtomicFile.h"
#include "platform/DesktopFiles.h"
#include "platform/FolderListing.h"
#include "platform/HomeFolder.h"
#include "platform/Process.h"
#include "system/AppInventory.h"
#include "system/DesktopApps.h"
#include "system/Leftover.h"

using namespace tolvex;

namespace {

using bench::best;

void write(const std::string& path, const std::string& text) {
  if (!makeFolders(path.substr(0, path.rfind('/'))) || writeFileAtomically(path, text) != 0) {
    std::perror(path.c_str());
    std::exit(1);
  }
}

std::string entry(const std::string& name, const std::string& exec, const std::string& extra) {
  std::string text = "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=" + exec + " %U\nIcon=" + name +
                     "\nCategories=Utility;GTK;\nComment=A generated application\n" + extra;
  // Translations make real entries long; forty of them is typical of a desktop's own applications.
  for (int l = 0; l < 40; ++l)
    text += "Name[l" + std::to_string(l) + "]=" + name + " " + std::to_string(l) + "\nComment[l" + std::to_string(l) +
            "]=Eine erzeugte Anwendung\n";
  return text + "\n[Desktop Action new]\nName=New Window\nExec=" + exec + " --new\n";
}

}  // namespace

int main(int argc, char** argv) {
  const int count = argc > 1 ? std::atoi(argv[1]) : 1000;
  char base[] = "/tmp/tolvex-bench-desktop-XXXXXX";
  if (!::mkdtemp(base)) return 1;
  const std::string root = base, home = root + "/home";
  std::string status;
  for (int i = 0; i < count; ++i) {
    const std::string n = std::to_string(i), name = "tool" + n, id = "org.vendor" + std::to_string(i % 20) + ".Tool" + n;
    switch (i % 4) {
      case 0:
        write(root + "/usr/share/applications/" + id + ".desktop", entry(name, name, ""));
        write(root + "/var/lib/dpkg/info/" + name + ".list", "/usr/share/applications/" + id + ".desktop\n/usr/bin/" + name + "\n");
        status += "Package: " + name + "\nStatus: install ok installed\nVersion: 1." + n + "\nInstalled-Size: 1200\n\n";
        break;
      case 1:
        write(root + "/var/lib/flatpak/app/" + id + "/current/active/files/bin/" + name, std::string(20'000, 'x'));
        write(root + "/var/lib/flatpak/exports/share/applications/" + id + ".desktop",
              entry(name, "/usr/bin/flatpak run " + id, "X-Flatpak=" + id + "\n"));
        write(home + "/.var/app/" + id + "/cache/c", std::string(8'000, 'x'));
        break;
      case 2:
        write(home + "/Applications/" + name + ".AppImage", std::string(50'000, 'x'));
        write(home + "/.local/share/applications/appimagekit_" + n + "-" + name + ".desktop",
              entry(name, home + "/Applications/" + name + ".AppImage", "X-AppImage-Version=" + n + "\n"));
        break;
      default:
        write(home + "/.local/share/applications/" + id + ".desktop", entry(name, home + "/bin/" + name, ""));
        break;
    }
    write(home + "/.config/" + name + "/settings", std::string(2'000, 'x'));
    write(home + "/.cache/" + name + "/cache", std::string(20'000, 'x'));
  }
  write(root + "/var/lib/dpkg/status", status);
  for (int i = 0; i < count / 2; ++i) write(home + "/.config/com.gone" + std::to_string(i) + ".Tool/x", std::string(70'000, 'x'));

  Places places = Places::forHome(home);
  const DesktopSources sources = DesktopSources::forUser(
      places, [](const char*) -> std::optional<std::string> { return std::nullopt; }, root);
  InventoryContext context = InventoryContext::forPlaces(home, {});
  context.desktop = sources;

  size_t bytes = 0;
  const double rawTime = best(5, [&] {
    bytes = 0;
    for (const std::string& dir : sources.dataDirs) {
      const std::string folder = dir + "/applications";
      for (const std::string& name : folderNames(folder).value_or(std::vector<std::string>{}))
        bytes += readWholeFile(folder + "/" + name).value_or("").size();
    }
  });
  size_t read = 0;
  const double readTime = best(5, [&] { read = readDesktopFiles(sources.dataDirs).files.size(); });
  size_t listed = 0;
  const double listTime = best(5, [&] {
    const DpkgDatabase dpkg(sources.dpkgAdmin, sources.systemRoot);
    listed = DesktopInventory::listApps(sources, dpkg).apps.size();
  });
  std::vector<InstalledApp> apps;
  const double inventoryTime = best(3, [&] { apps = AppInventory::installedApps(context); });
  std::vector<Leftover> leftovers;
  const double leftoverTime = best(3, [&] { leftovers = AppInventory::findLeftovers(apps, context); });

  std::printf("desktop entries %d (%zu bytes)\n", count, bytes);
  std::printf("read %zu entries: %.4f s; the same files' bytes alone %.4f s; ratio %.2f\n", read, readTime, rawTime,
              readTime / rawTime);
  std::printf("listed and classified %zu applications (dpkg database included): %.4f s\n", listed, listTime);
  std::printf("whole inventory, every size measured: %zu applications in %.4f s\n", apps.size(), inventoryTime);
  std::printf("leftovers: %zu found in %.4f s\n", leftovers.size(), leftoverTime);
  runProcess({"rm", "-rf", root});
  return 0;
}
