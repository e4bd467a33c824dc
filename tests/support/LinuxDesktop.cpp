#include "support/LinuxDesktop.h"

#include <stdexcept>
#include <sys/stat.h>

#include "model/FolderSize.h"
#include "platform/AtomicFile.h"
#include "platform/HomeFolder.h"
#include "platform/Paths.h"

namespace tolvex::test {

LinuxDesktop::LinuxDesktop() : homeTree_(home_.home()), rootTree_(root_.path()) {
  for (const char* folder : {".config", ".local/share/applications", ".cache", ".local/state"}) homeTree_.folder(folder);
  for (const char* folder : {"usr/share/applications", "usr/bin", "var/lib/dpkg/info", "proc"}) rootTree_.folder(folder);
  write(inRoot("var/lib/dpkg/status"), "");
}

DesktopSources LinuxDesktop::sources(const std::string& desktops) const {
  const std::string path = root_ / "usr/bin";
  return DesktopSources::forUser(
      Places::forHome(home()),
      [desktops, path](const char* name) -> std::optional<std::string> {
        const std::string variable = name;
        if (variable == "XDG_CURRENT_DESKTOP") return desktops;
        if (variable == "PATH") return path;
        if (variable == "LANG") return std::string("de_DE.UTF-8");
        return std::nullopt;
      },
      root());
}

InventoryContext LinuxDesktop::context() const {
  InventoryContext context = InventoryContext::forPlaces(home(), {});
  context.desktop = sources();
  return context;
}

void LinuxDesktop::write(const std::string& path, const std::string& text) {
  if (!makeFolders(parentPath(path)) || writeFileAtomically(path, text) != 0) throw std::runtime_error("write " + path);
}

std::string LinuxDesktop::program(const std::string& path) {
  write(path, "#!/bin/sh\n");
  if (::chmod(path.c_str(), 0755) != 0) throw std::runtime_error("chmod " + path);
  return path;
}

std::string LinuxDesktop::entry(const std::string& name, const std::string& exec, const std::string& extra) {
  return "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=" + exec + "\n" + extra;
}

std::string LinuxDesktop::dpkgApp(const std::string& package, const std::string& entryName, const std::string& text,
                                  const std::string& version, int64_t installedKiB) {
  const std::string path = inRoot("usr/share/applications/" + entryName);
  write(path, text);
  write(inRoot("var/lib/dpkg/info/" + package + ":amd64.list"),
        "/.\n/usr\n/usr/share/applications\n/usr/share/applications/" + entryName + "\n/usr/bin/" + package + "\n");
  status_ += "Package: " + package + "\nStatus: install ok installed\nArchitecture: amd64\nVersion: " + version +
             "\nInstalled-Size: " + std::to_string(installedKiB) + "\nDescription: x\n continued\n\n";
  finishDpkgStatus();
  return path;
}

void LinuxDesktop::finishDpkgStatus() {
  // A package removed with its settings kept is not installed, whatever its lists say.
  write(inRoot("var/lib/dpkg/status"),
        status_ + "Package: removed-app\nStatus: deinstall ok config-files\nVersion: 1\nInstalled-Size: 10\n");
}

std::string LinuxDesktop::flatpak(const std::string& id, const std::string& name, int64_t appBytes,
                                  const std::string& version) {
  const std::string app = "var/lib/flatpak/app/" + id;
  rootTree_.allocatedFile(app + "/x86_64/stable/abc123/files/bin/" + id, appBytes);
  rootTree_.symlink("x86_64/stable", app + "/current");
  rootTree_.symlink("abc123", app + "/x86_64/stable/active");
  write(inRoot(app + "/x86_64/stable/abc123/files/share/metainfo/" + id + ".metainfo.xml"),
        "<component><id>" + id + "</id><releases><release version=\"" + version +
            "\" date=\"2024-01-01\"/><release version=\"0.9\"/></releases></component>");
  write(inRoot("var/lib/flatpak/exports/share/applications/" + id + ".desktop"),
        entry(name, "/usr/bin/flatpak run --branch=stable " + id, "X-Flatpak=" + id + "\n"));
  return inRoot(app);
}

std::string LinuxDesktop::snap(const std::string& name, const std::string& revision, int64_t snapBytes,
                               const std::string& version) {
  write(inRoot("snap/" + name + "/" + revision + "/meta/snap.yaml"), "name: " + name + "\nversion: '" + version + "'\n");
  rootTree_.symlink(revision, "snap/" + name + "/current");
  rootTree_.allocatedFile("var/lib/snapd/snaps/" + name + "_" + revision + ".snap", snapBytes);
  write(inRoot("var/lib/snapd/desktop/applications/" + name + "_" + name + ".desktop"),
        entry(name, "/snap/bin/" + name, "X-SnapInstanceName=" + name + "\n"));
  return inRoot("snap/" + name);
}

std::string LinuxDesktop::appImage(const std::string& fileName, const std::string& appName, int64_t bytes,
                                   const std::string& extra) {
  const std::string file = homeTree_.allocatedFile("Applications/" + fileName, bytes);
  ::chmod(file.c_str(), 0755);
  userEntry("appimagekit_0123-" + appName + ".desktop",
            entry(appName, "\"" + file + "\" %F", "X-AppImage-Name=" + appName + "\n" + extra));
  return file;
}

std::string LinuxDesktop::userEntry(const std::string& id, const std::string& text) {
  const std::string path = inHome(".local/share/applications/" + id);
  write(path, text);
  return path;
}

}  // namespace tolvex::test
