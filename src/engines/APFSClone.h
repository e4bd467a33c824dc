#pragma once
// Space sharing: turning a duplicate into a copy that shares its storage with a kept copy, and
// measuring how much of a file's storage is its own.
#include <cstdint>
#include <exception>
#include <string>
#include <vector>

#include "engines/Deleter.h"
#include "platform/Fiemap.h"

namespace tolvex {

// Whether a file of `size` allocated bytes, of which `privateBytes` are its own, already shares
// almost all of its storage: below 4,096 private bytes for files under 40,960 bytes, else below a
// tenth of the size. The duplicate finder and space sharing judge with the same thresholds.
bool isMostlyShared(int64_t size, int64_t privateBytes);

// Removes every extended attribute of `path`, without following a final symbolic link. Errors are
// ignored.
void stripXattrs(const std::string& path);

namespace APFSClone {

// Why a duplicate was left alone.
class Failure : public std::exception {
 public:
  enum class Kind { system, notRegularFile, differentVolumes, contentsDiffer, hardLinked, alreadyShared, unsupported };

  static Failure system(int32_t code) { return Failure(Kind::system, code); }
  static Failure notRegularFile() { return Failure(Kind::notRegularFile); }
  static Failure differentVolumes() { return Failure(Kind::differentVolumes); }
  static Failure contentsDiffer() { return Failure(Kind::contentsDiffer); }
  static Failure hardLinked() { return Failure(Kind::hardLinked); }
  static Failure alreadyShared() { return Failure(Kind::alreadyShared); }
  static Failure unsupported() { return Failure(Kind::unsupported); }

  Kind kind() const { return kind_; }
  // The errno of `system`; 0 for every other case.
  int32_t code() const { return code_; }

  // The text under which the failure is reported to the user.
  const std::string& reason() const { return reason_; }
  const char* what() const noexcept override { return reason_.c_str(); }

  bool operator==(const Failure& other) const { return kind_ == other.kind_ && code_ == other.code_; }

 private:
  explicit Failure(Kind kind, int32_t code = 0);
  Kind kind_;
  int32_t code_;
  std::string reason_;
};

// Makes `duplicate` share the storage of `keptCopy`, whose contents are the same. Both files are
// examined first, in this order, and the first check that fails throws: both must be regular files
// (never followed through a link), on one device, the duplicate must have no other hard link, both
// must be of one size and equal byte for byte, and the duplicate must not already share almost all
// of its storage. The kernel then compares and shares the bytes under its own locks, so a write
// racing with the call is never lost. The duplicate keeps its inode, name, owner, mode, dates,
// access control list and extended attributes; only its storage changes. Returns the bytes given
// back (the duplicate's private bytes, or its allocation when the file system cannot tell). The same
// file given twice frees nothing and throws `alreadyShared`.
[[nodiscard]] int64_t replaceWithClone(const std::string& duplicate, const std::string& keptCopy);

}  // namespace APFSClone

// The outcome of one space-sharing batch.
struct CloneReport {
  int64_t reclaimed = 0;                  // bytes given back by the successful replacements
  std::vector<std::string> converted;     // duplicates that now share storage, in the order processed
  int alreadyShared = 0;                  // duplicates that already shared their storage
  std::vector<DeletionFailure> failures;  // duplicates left alone for any other reason
};

}  // namespace tolvex
