#include "detect/TreeComparison.h"

#include <algorithm>
#include <unordered_set>

namespace talvenor {
namespace {

// Below this many entries a plain search is cheaper than an index.
constexpr std::size_t kIndexFrom = 16;

void Flatten(const FolderNode& root, std::vector<std::pair<const std::string*, const FileRecord*>>& out) {
  VisitInScanOrder(
      root, [](const FolderNode&) {},
      [&out](const FolderNode& folder, const FileRecord& file) { out.emplace_back(&folder.path.str(), &file); });
}

}  // namespace

OldChildren::OldChildren(const FolderNode& node) : m_node(&node) {
  if (node.children.size() < kIndexFrom) return;
  m_index.reserve(node.children.size());
  for (std::size_t i = 0; i < node.children.size(); ++i) {
    if (node.children[i].node) m_index.emplace(node.children[i].node->Name(), i);
  }
}

std::size_t OldChildren::IndexOf(std::string_view name) const {
  if (m_node == nullptr) return kNone;
  if (!m_index.empty()) {
    const auto it = m_index.find(name);
    return it == m_index.end() ? kNone : it->second;
  }
  for (std::size_t i = 0; i < m_node->children.size(); ++i) {
    if (m_node->children[i].node && m_node->children[i].node->Name() == name) return i;
  }
  return kNone;
}

FileSet::FileSet(const std::vector<FileRecord>* files) : m_files(files) {
  if (files == nullptr || files->size() < kIndexFrom) return;
  m_index.reserve(files->size());
  for (const FileRecord& file : *files) m_index.emplace(file.name, &file);
}

bool FileSet::Contains(const FileRecord& file) const {
  if (m_files == nullptr) return false;
  if (m_index.empty()) {
    for (const FileRecord& held : *m_files) {
      if (held == file) return true;
    }
    return false;
  }
  const auto [first, last] = m_index.equal_range(file.name);
  for (auto it = first; it != last; ++it) {
    if (*it->second == file) return true;
  }
  return false;
}

bool SameRecords(const FolderNode& a, const FolderNode& b) {
  std::vector<std::pair<const std::string*, const FileRecord*>> left;
  std::vector<std::pair<const std::string*, const FileRecord*>> right;
  Flatten(a, left);
  Flatten(b, right);
  if (left.size() != right.size()) return false;
  for (std::size_t i = 0; i < left.size(); ++i) {
    if (*left[i].first != *right[i].first || *left[i].second != *right[i].second) return false;
  }
  return true;
}

namespace {

struct Ordering {
  std::unordered_map<const FolderNode*, std::vector<std::size_t>> files;
  std::unordered_set<const FolderNode*> onTheWay;
  std::vector<Change> out;

  // False once a folder whose listing ends the scan was met: nothing after it counts.
  bool Walk(FolderNode& node) {
    const auto own = files.find(&node);
    const std::vector<std::size_t>* changed = own == files.end() ? nullptr : &own->second;
    std::size_t next = 0;
    const auto emitUpTo = [&](std::size_t end) {
      for (; changed != nullptr && next < changed->size() && (*changed)[next] < end; ++next)
        out.push_back({&node, (*changed)[next]});
    };
    if (EndsScan(node.code)) return false;
    for (FolderNode::Child& child : node.children) {
      emitUpTo(child.filesBefore);
      if (EndsScan(child.node->code)) return false;
      if (onTheWay.count(child.node.get()) != 0 && !Walk(*child.node)) return false;
    }
    emitUpTo(node.files.size());
    return true;
  }
};

}  // namespace

std::vector<Change> InScanOrder(FolderNode& root, const std::vector<Change>& changes) {
  Ordering ordering;
  for (const Change& change : changes) {
    ordering.files[change.folder].push_back(change.file);
    for (const FolderNode* node = change.folder; node != nullptr && ordering.onTheWay.insert(node).second;
         node = node->parent) {
    }
  }
  for (auto& [folder, files] : ordering.files) std::sort(files.begin(), files.end());
  ordering.Walk(root);
  return std::move(ordering.out);
}

void EraseFiles(FolderNode& folder, const std::vector<std::size_t>& indexes) {
  if (indexes.empty()) return;
  std::vector<FileRecord> kept;
  kept.reserve(folder.files.size() - indexes.size());
  std::size_t next = 0;
  for (std::size_t i = 0; i < folder.files.size(); ++i) {
    if (next < indexes.size() && indexes[next] == i) {
      ++next;
      continue;
    }
    kept.push_back(std::move(folder.files[i]));
  }
  // A subfolder listed after n files now comes after as many of those as are left.
  for (FolderNode::Child& child : folder.children) {
    child.filesBefore -= static_cast<std::uint32_t>(
        std::lower_bound(indexes.begin(), indexes.end(), child.filesBefore) - indexes.begin());
  }
  folder.files = std::move(kept);
}

}  // namespace talvenor
