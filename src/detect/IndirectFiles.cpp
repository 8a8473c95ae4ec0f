#include "detect/IndirectFiles.h"

#include "platform/FileSystem.h"
#include "platform/FileTime.h"

namespace talvenor {
namespace {

// What the path names now against what the listing saw: the same file (the same inode), and
// the same record too.
struct Look {
  bool sameFile = false;
  bool sameRecord = false;
};

Look LookAgain(const std::string& path, const FolderNode::Indirect& file) {
  if (!file.file) return {false, !platform::IsRegularFile(path)};
  const auto now = platform::IdentifyFile(path);  // links followed, as the listing does
  if (!now || now->device != file.device || now->inode != file.inode) return {};
  const platform::FileTime write = platform::ToFileTime(now->modified / 1'000'000'000, now->modified % 1'000'000'000);
  return {true, now->size == file.size && write == file.write};
}

}  // namespace

void IndirectFiles::Adopt(const FolderNode& root) {
  m_folders.clear();
  m_known.clear();
  Collect(root);
}

void IndirectFiles::Collect(const FolderNode& node) {
  if (!node.indirect.empty()) m_folders.insert(node.path.str());
  for (const FolderNode::Child& child : node.children) Collect(*child.node);
}

std::set<std::string> IndirectFiles::Changed(FolderNode& root) {
  std::set<std::string> changed;
  m_known.clear();
  for (auto it = m_folders.begin(); it != m_folders.end();) {
    const FolderNode* node = root.Find(*it);
    if (node == nullptr || node->indirect.empty()) {
      it = m_folders.erase(it);  // gone, or listed since without such files
      continue;
    }
    for (const FolderNode::Indirect& file : node->indirect) {
      const Look look = LookAgain(*it + file.name, file);
      if (!look.sameRecord) changed.insert(*it);
      // Still one of its names: the file is known, however it changed.
      if (look.sameFile && file.otherNames) m_known.emplace(file.device, file.inode);
    }
    ++it;
  }
  return changed;
}

bool IndirectFiles::OnlyKnownNames(const std::vector<TreeSplice::Listed>& listed) const {
  for (const TreeSplice::Listed& folder : listed) {
    for (const FolderNode::Indirect& file : folder.fresh->indirect) {
      if (file.otherNames && m_known.count({file.device, file.inode}) == 0) return false;
    }
  }
  return true;
}

void IndirectFiles::Listed(const std::vector<TreeSplice::Listed>& listed) {
  for (const TreeSplice::Listed& folder : listed) {
    if (!folder.fresh->indirect.empty()) m_folders.insert(folder.fresh->path.str());
  }
}

}  // namespace talvenor
