#pragma once
// A Mac-like home and application folders for the inventory, leftover and watcher tests.
#include <string>
#include <vector>

#include "support/MacHome.h"
#include "support/TempHome.h"
#include "system/InventoryContext.h"

namespace tolvex::test {

struct AppsFixture {
  MacHome home;
  TempDir system;  // stands for "/": holds the Applications folder and its Utilities
  TreeBuilder root{system.path()};

  // "/Applications", the home's "Applications", "/Applications/Utilities", as on a Mac.
  std::vector<std::string> roots() const {
    return {system / "Applications", home / "Applications", system / "Applications/Utilities"};
  }
  InventoryContext context() const { return InventoryContext::forPlaces(home.home(), roots()); }
  std::string systemApp(const std::string& relative) const { return system / ("Applications/" + relative); }
  std::string userApp(const std::string& relative) const { return home / ("Applications/" + relative); }
  // A file of `allocatedBytes` in the home's Library, e.g. library("Caches/com.x.y/data", 8192).
  std::string library(const std::string& relative, int64_t allocatedBytes) {
    return home.tree().allocatedFile("Library/" + relative, allocatedBytes);
  }
};

}  // namespace tolvex::test
