#pragma once
// Files whose changes the watcher may never report in their own folder: links to files (the
// target changes, inside the tree or outside it) and files with other names (written through
// another name). The folders that hold them are remembered beside the held tree, and just
// those files are looked at again at every pass: the cost follows their number, not the tree's.
#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "detect/SnapshotTree.h"
#include "detect/TreeSplice.h"

namespace talvenor {

class IndirectFiles {
 public:
  // After a whole scan: the folders of the tree that hold such files.
  void Adopt(const FolderNode& root);
  // The folders (paths ending in "/") where such a file is no longer what their listing saw.
  std::set<std::string> Changed(FolderNode& root);
  // After a splice's listings, before they are put in place: false when one met a file with
  // other names that the tree did not know to have them. Its other names may be files recorded
  // while they had one name, which nothing looks at: only a whole scan finds them.
  bool OnlyKnownNames(const std::vector<TreeSplice::Listed>& listed) const;
  // After the listings were put in place.
  void Listed(const std::vector<TreeSplice::Listed>& listed);

 private:
  void Collect(const FolderNode& node);

  std::set<std::string> m_folders;
  // The files with other names that the tree held at the last look.
  std::set<std::pair<std::uint64_t, std::uint64_t>> m_known;
};

}  // namespace talvenor
