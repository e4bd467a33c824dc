#pragma once
// Leftovers: data in ~/Library named after an application identifier that no installed application
// owns and that the system cannot find an application for.
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "system/InstalledApp.h"
#include "system/InventoryContext.h"

namespace tolvex {

struct Leftover {
  std::string path;                // absolute path of the Library entry (file or folder)
  std::string identifier;          // the entry's name without its known suffix, letter case unchanged
  std::string location;            // the label of the Library location it was found in
  int64_t size = 0;                // allocated bytes, at least kLeftoverMinimumSize
  std::optional<double> modified;  // content modification, seconds since 1970

  const std::string& id() const { return path; }
  bool operator==(const Leftover&) const = default;
};

struct LeftoverHash {
  size_t operator()(const Leftover& leftover) const;
};

// Entries smaller than this are not worth listing (most preference files are).
inline constexpr int64_t kLeftoverMinimumSize = 65'536;

namespace AppInventory {

// The labels of the locations searched: Application Support, Caches, Container, Preferences, Window
// State, Web Storage, WebKit and Logs. Built once; read-only.
const std::set<std::string>& leftoverLocations();

// The identifier an entry name stands for: ".plist", then ".savedState", then ".binarycookies" removed
// from its end, each once and only in exactly that letter case.
std::string leftoverIdentifier(const std::string& entryName);

// The leftovers in the Library of `context.home`, largest first (equal sizes in Library order). Only the
// `bundleID`s of `apps` are used. Cheap name tests come first; the look-up of an application and the
// measurement run only for entries that passed them. Blocks; call it off the UI thread.
// With `context.desktop`, the desktop's leftovers (`findDesktopLeftovers`) are listed too.
std::vector<Leftover> findLeftovers(const std::vector<InstalledApp>& apps, const InventoryContext& context);

// The Linux desktop's leftovers, unsorted: ~/.var/app/<id> of a Flatpak no installation has
// ("Flatpak data"), ~/snap/<name> of a snap no longer mounted ("Snap data"), and the entries of
// ~/.config, ~/.local/share, ~/.cache and ~/.local/state named like an identifier (three parts or
// more) that nothing installed claims: no desktop ID, Flatpak, AppStream component, D-Bus service,
// settings schema or application of `apps` (nor one of its helpers), and not the desktop's own.
// Plain names are never leftovers. Each at least kLeftoverMinimumSize bytes. None without a desktop.
std::vector<Leftover> findDesktopLeftovers(const std::vector<InstalledApp>& apps, const InventoryContext& context);

}  // namespace AppInventory
}  // namespace tolvex
