#pragma once
// A fixture home laid out like a developer's Mac, scanned with the real walk and searched with the
// real junk rules: project folders around the 20,000,000-byte threshold, developer junk in
// ~/Library and ~/.cache, and (when asked for) virtual disk images of 500,000,000 bytes and more.
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/AppState.h"
#include "platform/Paths.h"
#include "support/qt/AppFixture.h"

namespace tolvex::test {

inline constexpr int64_t kMiB = 1 << 20;
// The smallest allocation, in whole blocks, that makes a disk image.
inline constexpr int64_t kImageBytes = 500'002'816;

struct DeveloperHome {
  enum class Disks { none, two, twoDockerImages, three };

  AppFixture fixture;
  TreeBuilder tree{fixture.home.home()};
  std::shared_ptr<std::atomic<int>> junkSearches = std::make_shared<std::atomic<int>>(0);
  std::unique_ptr<AppState> state;

  explicit DeveloperHome(Disks disks = Disks::none) {
    // Projects: three artefacts above the threshold, one just below it.
    tree.allocatedFile("code/web/node_modules/react/index.js", 24 * kMiB);
    tree.allocatedFile("code/ios/DerivedData/Build/app.o", 30 * kMiB);
    tree.allocatedFile("code/tool/__pycache__/main.pyc", 21 * kMiB);
    tree.allocatedFile("code/api/.venv/lib/python.so", 19 * kMiB);
    tree.file("code/web/package.json", 200);
    // Developer junk: Xcode's own builds and archives, and a tool cache that is also a "venv".
    tree.allocatedFile("Library/Developer/Xcode/DerivedData/App-abc/Build/out.o", 5 * kMiB);
    tree.allocatedFile("Library/Developer/Xcode/Archives/2024-01-01/App.xcarchive/Info.plist", 2 * kMiB);
    tree.allocatedFile(".cache/venv/lib/big.so", 25 * kMiB);
    // Junk of another group, which the screen leaves out.
    tree.allocatedFile("Library/Caches/com.example.app/blob", 3 * kMiB);
    makeDisks(disks);

    AppEnvironment env = fixture.environment();
    auto searches = junkSearches;
    auto find = env.findJunk;
    env.findJunk = [searches, find](const std::vector<JunkRule>& rules, bool access, double now) {
      ++*searches;
      return find(rules, access, now);
    };
    state = std::make_unique<AppState>(env);
    waitOrFail([&] { return !state->isRestoringScan(); }, "the last scan is restored");
  }
  ~DeveloperHome() {
    state->waitForBackgroundWork();
    QCoreApplication::processEvents();
  }

  void scan() {
    state->startScan(ScanTarget::folder(fixture.home.home()));
    waitOrFail([&] { return state->scan().has_value(); }, "the scan has finished", 20000);
  }
  void loadJunk() {
    bool done = false;
    state->loadJunk([&done] { done = true; });
    waitOrFail([&] { return done; }, "the junk search has finished", 20000);
  }
  std::string path(const std::string& relative) const { return tree.path(relative); }

 private:
  void makeDisks(Disks disks) {
    if (disks == Disks::none) return;
    // Docker's images: sparse, so they can grow far beyond what they occupy.
    image("Library/Containers/com.docker.docker/Data/vms/0/data/Docker.raw", kImageBytes, 64'000'000'000);
    if (disks == Disks::twoDockerImages) {
      image("Library/Containers/com.docker.docker/Data/vms/1/data/Docker.raw", kImageBytes, 64'000'000'000);
      return;
    }
    image("VirtualBox VMs/ubuntu/ubuntu.vdi", kImageBytes, kImageBytes);
    if (disks == Disks::three) image(".android/avd/Pixel.avd/userdata-qemu.img.qcow2", kImageBytes, kImageBytes);
  }
  // A disk image with at least `allocated` bytes on the disk (a file this large may get a block more
  // for the file system's own map of it) and `length` bytes long.
  void image(const std::string& relative, int64_t allocated, int64_t length) {
    const std::string path = tree.folder(parentPath(relative)) + "/" + lastPathComponent(relative);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const bool made = fd >= 0 && ::fallocate(fd, 0, 0, allocated) == 0 && ::ftruncate(fd, length) == 0;
    if (fd >= 0) ::close(fd);
    if (!made) throw std::runtime_error("cannot make the disk image " + path);
  }
};

}  // namespace tolvex::test
