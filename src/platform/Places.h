#pragma once
#include <string>

namespace tolvex {

// The user's places that scans, verdicts, junk rules, display texts and the autostart entry depend on:
// the home folder, the home Trash's files/ folder (the rule base ".Trash"), our own cache folder (never
// a junk item), the data home ($XDG_DATA_HOME) and the configuration home ($XDG_CONFIG_HOME). All
// resolved the way a walk from a resolved root spells them. Read from the process environment once,
// where the application is put together, and passed down.
struct Places {
  std::string home;
  std::string trashFiles;
  std::string ownCache;
  std::string dataHome;
  std::string configHome;

  // The places of the running user, read from $HOME and the XDG variables now.
  static Places current();
  // The default places below `home` (a resolved folder), as when no XDG variable is set.
  static Places forHome(const std::string& home);
};

}  // namespace tolvex
