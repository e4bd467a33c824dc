#pragma once
#include <string>

namespace tolvex {

// The user's places that scans, verdicts, junk rules and display texts depend on: the home folder,
// the data home ($XDG_DATA_HOME), the home Trash's files/ folder (the rule base ".Trash") and our
// own cache folder (never a junk item). All resolved the way a walk from a resolved root spells them.
// Read from the process environment once, where the application is put together, and passed down.
struct Places {
  std::string home;
  std::string trashFiles;
  std::string ownCache;
  std::string dataHome;

  // The places of the running user, read from $HOME and the XDG variables now.
  static Places current();
};

}  // namespace tolvex
