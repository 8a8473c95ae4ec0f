#pragma once
// An incremental pass over the held tree: the folders that events touched are listed again
// (one level each; a folder that is new, moved in, renamed or made readable with all it holds)
// and spliced in where their old listings were. The held tree is left as it is until Apply, so
// a listing that would end a whole scan can still fall back to one.
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "detect/FolderScanner.h"
#include "detect/SnapshotTree.h"

namespace talvenor {

class TreeSplice {
 public:
  // A folder listed anew, with the folder it replaces (nullptr for one the tree did not hold).
  struct Listed {
    FolderNode* fresh = nullptr;
    const FolderNode* old = nullptr;
  };

  TreeSplice(std::unique_ptr<FolderNode>& held, FolderScanner& scanner) : m_held(held), m_scanner(scanner) {}

  // Lists the touched folders (paths ending in "/"). False when only a whole scan will do:
  // the watched folder itself must be listed with all it holds, or a listing met an error
  // that ends a scan.
  bool Prepare(const std::set<std::string>& listed, const std::set<std::string>& subtrees);
  // Shows what the new listings met, in order.
  void Report();
  // Puts the new listings in place of the old; the old stay alive for the comparison.
  void Apply();
  // Every folder listed by this pass, parents before their subfolders.
  const std::vector<Listed>& ListedFolders() const { return m_listed; }
  // False when the records of the tree are certainly those it held before.
  bool MayHaveChanged() const;

 private:
  struct Plan {
    FolderNode* old = nullptr;
    std::unique_ptr<FolderNode> fresh;
    bool deep = false;
    // Subfolders kept from the old listing: index in fresh->children, index in old->children.
    std::vector<std::pair<std::size_t, std::size_t>> kept;
    std::unique_ptr<FolderNode> replaced;  // the old node once Apply took it out
    bool changed = false;                  // its records may differ from the old ones
  };
  void AddPlan(FolderNode* old, bool deep, const std::map<std::string, bool>& targets);
  void Collect(FolderNode& fresh, const FolderNode* old);
  bool Covered(const std::string& path) const;

  std::unique_ptr<FolderNode>& m_held;
  FolderScanner& m_scanner;
  std::vector<Plan> m_plans;
  std::set<std::string> m_deepDone;
  std::vector<Listed> m_listed;
};

}  // namespace talvenor
