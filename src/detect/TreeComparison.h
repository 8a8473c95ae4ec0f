#pragma once
// What a pass compares: the files of the folders it listed against those the previous snapshot
// held, and the changes it found put in scan order.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "detect/SnapshotTree.h"

namespace talvenor {

// The subfolders of a folder by name: a folder with thousands of them must not make a pass
// quadratic.
class OldChildren {
 public:
  static constexpr std::size_t kNone = SIZE_MAX;
  OldChildren() = default;
  explicit OldChildren(const FolderNode& node);
  std::size_t IndexOf(std::string_view name) const;

 private:
  const FolderNode* m_node = nullptr;
  std::unordered_map<std::string_view, std::size_t> m_index;  // filled only for many subfolders
};

// Whether files has one of the same name, size and write time (the stamp follows the time).
class FileSet {
 public:
  explicit FileSet(const std::vector<FileRecord>* files);
  bool Contains(const FileRecord& file) const;

 private:
  const std::vector<FileRecord>* m_files;
  std::unordered_multimap<std::string_view, const FileRecord*> m_index;  // only for many files
};

// Both trees hold the same records in the same order.
bool SameRecords(const FolderNode& a, const FolderNode& b);

struct Change {
  FolderNode* folder = nullptr;
  std::size_t file = 0;
};
// Puts changes found folder by folder into the order of a scan of the tree below root.
std::vector<Change> InScanOrder(FolderNode& root, const std::vector<Change>& changes);

// Takes files out of a folder (indexes ascending); its subfolders keep their places.
void EraseFiles(FolderNode& folder, const std::vector<std::size_t>& indexes);

}  // namespace talvenor
