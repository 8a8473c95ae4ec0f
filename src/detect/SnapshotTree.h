#pragma once
// The snapshot a session holds between passes: the watched tree as folders, each with its files
// and subfolders in listing order. Its records taken depth-first are exactly the flat snapshot a
// scan gives, so a pass that lists only some folders again can splice them in and still save
// the file a whole scan would save.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "detect/Element.h"
#include "detect/Snapshot.h"

namespace talvenor {

// One file of a folder. Its folder is the node's, and its stamp follows from the write time,
// so neither is held per file.
struct FileRecord {
  std::string name;
  std::uint32_t size = 0;        // low 32 bits
  platform::FileTime write = 0;  // local FILETIME
  bool operator==(const FileRecord&) const = default;
};

struct FolderNode {
  SharedFolder path;  // ends in "/"
  int level = 0;      // 0 for the watched folder
  int code = 0;       // what listing it answered (a search code); 0 when listed
  FolderNode* parent = nullptr;
  std::vector<FileRecord> files;
  struct Child {
    std::uint32_t filesBefore = 0;  // files of this folder listed before the subfolder
    std::unique_ptr<FolderNode> node;
  };
  std::vector<Child> children;
  // Its files whose changes may come with no event in this folder (links to files, files with
  // other names), as the listing saw them: looked at again at every pass.
  struct Indirect {
    std::string name;
    std::uint64_t size = 0;
    platform::FileTime write = 0;  // UTC
    std::uint64_t device = 0, inode = 0;
    bool otherNames = false;
    bool file = true;  // false: a link that named no file (dangling, to a folder)
  };
  std::vector<Indirect> indirect;

  std::string_view Name() const;
  // The subfolder of that name, or nullptr.
  FolderNode* FindChild(std::string_view name) const;
  // The folder at path below this one (or this one), or nullptr.
  FolderNode* Find(std::string_view path);
};

// Whether a folder's listing code ends the whole scan (any error but denied, not ready, gone
// and out of reach).
bool EndsScan(int code);

// Every folder, and every file with its folder, in scan order. onFolder comes before the
// folder's files; a folder whose code ends the scan ends the walk there (false).
template <class OnFolder, class OnFile>
bool VisitInScanOrder(const FolderNode& node, OnFolder&& onFolder, OnFile&& onFile) {
  onFolder(node);
  if (EndsScan(node.code)) return false;
  std::size_t file = 0;
  for (const FolderNode::Child& child : node.children) {
    for (; file < child.filesBefore; ++file) onFile(node, node.files[file]);
    if (!VisitInScanOrder(*child.node, onFolder, onFile)) return false;
  }
  for (; file < node.files.size(); ++file) onFile(node, node.files[file]);
  return true;
}

CElement ToElement(const FolderNode& folder, const FileRecord& file);
// The records of the tree in scan order, appended.
void AppendRecords(const FolderNode& root, Snapshot& out);
// The snapshot file's bytes for the tree's records, handed to put in pieces of about a
// megabyte; false as soon as put refused one.
bool EncodeTree(const FolderNode& root, const std::function<bool(std::string_view)>& put);
std::string EncodeTree(const FolderNode& root);

}  // namespace talvenor
