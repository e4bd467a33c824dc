#include "model/FileNode.h"

#include <new>

namespace tolvex {

namespace {
std::atomic<uint64_t> nextSerial{1};
}

FileNode::FileNode(std::string name_, FileNode* parent_, bool isDirectory_, bool isPackage_, FileKind kind_,
                   StorageBucket bucket_)
    : name(std::move(name_)),
      parent(parent_),
      serial(nextSerial.fetch_add(1, std::memory_order_relaxed)),
      isDirectory(isDirectory_),
      isPackage(isPackage_),
      kind(kind_),
      bucket(bucket_) {}

std::string FileNode::path() const {
  std::vector<const FileNode*> chain;
  for (const FileNode* node = this; node; node = node->parent) chain.push_back(node);
  const std::string& rootName = chain.back()->name;
  if (chain.size() == 1) return rootName;
  size_t length = rootName.size() + 1;
  for (size_t i = 0; i + 1 < chain.size(); ++i) length += chain[i]->name.size() + 1;
  std::string out;
  out.reserve(length);
  out = rootName;
  if (out.empty() || out.back() != '/') out += '/';
  for (size_t i = chain.size() - 1; i-- > 0;) {
    out += chain[i]->name;
    if (i > 0) out += '/';
  }
  return out;
}

bool FileNode::isGone() const {
  for (const FileNode* node = this; node; node = node->parent)
    if (node->deleted.load(std::memory_order_relaxed)) return true;
  return false;
}

FileTree::~FileTree() {
  for (size_t i = 0; i < count_; ++i) chunks_[i / kChunk][i % kChunk].~FileNode();
  for (FileNode* chunk : chunks_) ::operator delete(chunk, std::align_val_t(alignof(FileNode)));
}

FileNode* FileTree::make(std::string name, FileNode* parent, bool isDirectory, bool isPackage, FileKind kind,
                         StorageBucket bucket) {
  if (count_ == chunks_.size() * kChunk) {
    chunks_.push_back(static_cast<FileNode*>(
        ::operator new(sizeof(FileNode) * kChunk, std::align_val_t(alignof(FileNode)))));
  }
  FileNode* slot = &chunks_[count_ / kChunk][count_ % kChunk];
  FileNode* node = new (slot) FileNode(std::move(name), parent, isDirectory, isPackage, kind, bucket);
  ++count_;
  if (parent) parent->children.push_back(node);
  return node;
}

}  // namespace tolvex
