#include "engines/DuplicateFinder.h"

#include <fcntl.h>
#include <openssl/evp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <functional>
#include <limits>
#include <unordered_map>

#include "engines/APFSClone.h"
#include "platform/Fd.h"
#include "platform/Fiemap.h"
#include "platform/ParallelFor.h"

namespace tolvex {

namespace {

constexpr int64_t kFirstPassBytes = 65536;
constexpr size_t kReadChunk = 1 << 20;
constexpr int64_t kProgressEvery = 20;
// Size groups examined at once. SHA-256 of cached files keeps one processor busy at about 1.3 GB/s,
// and uncached files keep a thread waiting on the disk: a few threads help in both cases.
constexpr unsigned kMaxThreads = 4;

const EVP_MD* sha256() {
  // Fetched once: an implicit fetch on every digest costs more than hashing a small file.
  static const EVP_MD* md = [] {
    const EVP_MD* fetched = EVP_MD_fetch(nullptr, "SHA256", nullptr);
    return fetched ? fetched : EVP_sha256();
  }();
  return md;
}

char* readBuffer() {
  thread_local std::unique_ptr<char[]> buffer(new char[kReadChunk]);
  return buffer.get();
}

// A regular file opened for reading (see openForReading); empty when it is anything else.
Fd openRegularFile(const std::string& path) {
  Fd fd = openForReading(path);
  struct stat st {};
  if (!fd || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return Fd();
  return fd;
}

std::optional<std::string> digestOf(int fd, std::optional<int64_t> limit) {
  EVP_MD_CTX* context = EVP_MD_CTX_new();
  if (!context) return std::nullopt;
  bool ok = EVP_DigestInit_ex(context, sha256(), nullptr) == 1;
  int64_t remaining = limit ? *limit : std::numeric_limits<int64_t>::max();
  if (!limit) ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
  char* buffer = readBuffer();
  while (ok && remaining > 0) {
    const size_t want = static_cast<size_t>(std::min<int64_t>(remaining, static_cast<int64_t>(kReadChunk)));
    const ssize_t n = ::read(fd, buffer, want);
    if (n < 0) {
      if (errno == EINTR) continue;
      ok = false;  // a partial digest is never the file's digest
      break;
    }
    if (n == 0) break;
    ok = EVP_DigestUpdate(context, buffer, static_cast<size_t>(n)) == 1;
    remaining -= n;
  }
  Sha256Digest digest{};
  unsigned int length = 0;
  ok = ok && EVP_DigestFinal_ex(context, digest.data(), &length) == 1 && length == digest.size();
  EVP_MD_CTX_free(context);
  if (!ok) return std::nullopt;
  std::string text;
  text.reserve(64);
  for (const std::string& piece : hexString(digest)) text += piece;
  return text;
}

struct Candidate {
  FileNode* node;
  std::string path;
};

struct KeyedGroup {
  std::string key;
  std::vector<const Candidate*> members;
};

// Splits `members` by key, keeping the order in which keys first appear and each group's order;
// groups of one are dropped. A member without a key stands alone, so it is dropped too.
std::vector<KeyedGroup> groupByKey(const std::vector<const Candidate*>& members,
                                   const std::vector<std::optional<std::string>>& keys) {
  std::vector<KeyedGroup> groups;
  std::unordered_map<std::string, size_t> index;
  for (size_t i = 0; i < members.size(); ++i) {
    if (!keys[i]) continue;
    auto [it, inserted] = index.try_emplace(*keys[i], groups.size());
    if (inserted) groups.push_back({*keys[i], {}});
    groups[it->second].members.push_back(members[i]);
  }
  std::erase_if(groups, [](const KeyedGroup& group) { return group.members.size() < 2; });
  return groups;
}

std::vector<std::optional<std::string>> hashAll(const std::vector<const Candidate*>& members,
                                                std::optional<int64_t> limit) {
  std::vector<std::optional<std::string>> keys;
  keys.reserve(members.size());
  for (const Candidate* member : members) keys.push_back(hashFile(member->path, limit));
  return keys;
}

// 4 to 7 for one size group: the first 64 KiB, then the whole content, then the files already
// sharing their storage; the groups in the order their digests first appear.
std::vector<DuplicateGroup> examineSizeGroup(const std::vector<const Candidate*>& sizeGroup) {
  std::vector<DuplicateGroup> groups;
  for (const auto& firstPass : groupByKey(sizeGroup, hashAll(sizeGroup, kFirstPassBytes))) {
    for (auto& [digest, members] : groupByKey(firstPass.members, hashAll(firstPass.members, std::nullopt))) {
      DuplicateGroup group;
      group.id = std::move(digest);
      for (const Candidate* member : members) {
        const int64_t size = get(member->node->size);
        if (auto own = privateSize(member->path); own && isMostlyShared(size, *own)) group.shared.insert(member->node);
      }
      group.size = get(members.front()->node->size);
      for (const Candidate* member : members) group.files.push_back(member->node);
      std::stable_sort(group.files.begin(), group.files.end(),
                       [](const FileNode* a, const FileNode* b) { return get(a->modified) < get(b->modified); });
      groups.push_back(std::move(group));
    }
  }
  return groups;
}

}  // namespace

int64_t DuplicateGroup::reclaimable() const {
  int64_t unshared = 0;
  for (const FileNode* file : files)
    if (!shared.contains(file)) ++unshared;
  const int64_t sharedCopies = shared.empty() ? 0 : 1;
  return size * std::max<int64_t>(unshared + sharedCopies - 1, 0);
}

std::vector<std::string> hexString(const Sha256Digest& digest) {
  std::vector<std::string> pieces;
  pieces.reserve(digest.size());
  for (unsigned char byte : digest) {
    char text[3];
    std::snprintf(text, sizeof text, "%02x", byte);
    pieces.emplace_back(text, 2);
  }
  return pieces;
}

std::optional<std::string> hashFile(const std::string& path, std::optional<int64_t> limit) {
  const Fd fd = openRegularFile(path);
  if (!fd) return std::nullopt;
  return digestOf(fd.get(), limit);
}

std::vector<DuplicateGroup> findDuplicates(const std::vector<FileNode*>& files, int64_t minimumSize,
                                           const DuplicateProgress& progress) {
  // 1. Candidates: live files of the minimum size, outside bundles and photo libraries.
  std::vector<Candidate> candidates;
  for (FileNode* node : files) {
    if (!node || node->isGone() || get(node->logicalSize) < minimumSize) continue;
    std::string path = node->path();
    if (path.find(".app/") != std::string::npos || path.find(".photoslibrary/") != std::string::npos) continue;
    candidates.push_back({node, std::move(path)});
  }

  // 2. Size groups, in the order their sizes first appear.
  std::vector<std::vector<const Candidate*>> sizeGroups;
  {
    std::unordered_map<int64_t, size_t> index;
    for (const Candidate& candidate : candidates) {
      auto [it, inserted] = index.try_emplace(get(candidate.node->logicalSize), sizeGroups.size());
      if (inserted) sizeGroups.emplace_back();
      sizeGroups[it->second].push_back(&candidate);
    }
    std::erase_if(sizeGroups, [](const auto& group) { return group.size() < 2; });
  }

  // 3. Progress every 20 size groups, on this thread, before the group is taken up.
  const auto total = static_cast<double>(std::max<size_t>(sizeGroups.size(), 1));
  auto takeUp = [&](size_t index) {
    const auto taken = static_cast<int64_t>(index + 1);
    if (taken % kProgressEvery == 0 && progress) progress(static_cast<double>(taken) / total);
  };
  // Each size group's files are read one after another; several size groups may be examined at
  // once, each into its own slot, so the groups come out exactly as one after another.
  std::vector<std::vector<DuplicateGroup>> found(sizeGroups.size());
  parallelForInOrder(sizeGroups.size(), kMaxThreads, takeUp,
                     [&](size_t index) { found[index] = examineSizeGroup(sizeGroups[index]); });
  std::vector<DuplicateGroup> result;
  for (auto& groups : found)
    for (auto& group : groups) result.push_back(std::move(group));

  // 8. Done; largest saving first.
  if (progress) progress(1.0);
  std::vector<std::pair<int64_t, size_t>> order;
  order.reserve(result.size());
  for (size_t i = 0; i < result.size(); ++i) order.emplace_back(result[i].reclaimable(), i);
  std::stable_sort(order.begin(), order.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
  std::vector<DuplicateGroup> sorted;
  sorted.reserve(result.size());
  for (const auto& [bytes, i] : order) sorted.push_back(std::move(result[i]));
  return sorted;
}

std::vector<DuplicateGroup> findDuplicates(const ScanResult& scan, int64_t minimumSize,
                                           const DuplicateProgress& progress) {
  auto groups = findDuplicates(scan.files, minimumSize, progress);
  for (auto& group : groups) group.tree = scan.tree;
  return groups;
}

}  // namespace tolvex
