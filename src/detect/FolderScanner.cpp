#include "detect/FolderScanner.h"

#include <chrono>
#include <condition_variable>
#include <thread>

#include "core/Messages.h"
#include "core/SearchOutcome.h"
#include "platform/DirReader.h"
#include "platform/FileTime.h"
#include "platform/PathText.h"

namespace talvenor {
namespace {

// A folder of many thousand files is one listing: the window still answers within it.
constexpr unsigned kEntriesBetweenBreaths = 512;
// How long the asking thread waits for helpers before it lets the window answer.
constexpr auto kBreathInterval = std::chrono::milliseconds(15);

}  // namespace

void FolderScanner::SetLevelPath(int level, const std::string& path) { m_levelPath.at(level) = SharedFolder(path); }

const std::string& FolderScanner::LevelPath(int level) const { return m_levelPath.at(level).str(); }

int FolderScanner::ScanFolder(int level, Snapshot& snapshot) {
  FolderNode root;
  root.path = m_levelPath.at(level);
  root.level = level;
  List(root, true);
  const bool whole = VisitInScanOrder(
      root, [this](const FolderNode& node) { Report(node); },
      [&snapshot](const FolderNode& folder, const FileRecord& file) { snapshot.push_back(ToElement(folder, file)); });
  return whole ? 1 : 0;
}

bool FolderScanner::Report(const FolderNode& node) {
  if (node.code == platform::kSearchPathTooLong) {
    if (m_outOfReach.insert(node.path.str()).second)
      m_ui.ShowNotice(msg::Format(msg::kFolderOutOfReach, {node.path.str()}));
    return true;
  }
  return ReportSearchCode(node.code, m_ui, node.path.str()) != SearchOutcome::Fail;
}

void FolderScanner::ListOne(FolderNode& node, std::vector<FolderNode*>& found) const {
  if (m_beforeListing && !m_beforeListing(node)) return;
  Fill(node, found);
  if (m_afterListing) m_afterListing(node);
}

void FolderScanner::Fill(FolderNode& node, std::vector<FolderNode*>& found) const {
  platform::DirReader reader;
  reader.SetReportPassedLinks(true);
  // Below level 0 the folder was just listed by its parent: if it is gone now, it vanished.
  node.code = reader.Open(node.path.str(), node.level > 0);
  if (node.code != platform::kSearchOk) return;
  platform::LocalFileTimes times;  // each file with the offset in force at its own time
  // Each entry's path below the root, built in one buffer.
  const std::string& path = node.path.str();
  const bool filtered = m_ignore && !m_ignore->Empty() && path.size() >= m_ignoreRoot.size() &&
                        path.compare(0, m_ignoreRoot.size(), m_ignoreRoot) == 0;
  std::string relative = filtered ? IgnoreRules::RulePath(path.substr(m_ignoreRoot.size())) : std::string();
  const std::size_t base = relative.size();
  platform::DirEntry entry;
  unsigned entries = 0;
  while (reader.Next(entry)) {
    if (++entries % kEntriesBetweenBreaths == 0) Breathe();
    if (filtered) {
      relative.resize(base);
      relative += entry.name;
      if (m_ignore->Excluded(relative, entry.kind == platform::EntryKind::Folder)) continue;
    }
    if (entry.kind == platform::EntryKind::Folder) {
      FolderNode* child = AddSubfolder(node, entry.name);
      if (child->code == kUnlisted) found.push_back(child);
    } else if (entry.kind == platform::EntryKind::PassedLink) {
      // No file now; should it name one later, no event in this folder tells.
      node.indirect.push_back({std::move(entry.name), 0, 0, 0, 0, false, false});
    } else {
      AddFile(node, std::move(entry), times);
    }
  }
  if (m_leaveOut) m_leaveOut(node);
  node.files.shrink_to_fit();
  node.children.shrink_to_fit();
}

FolderNode* FolderScanner::AddSubfolder(FolderNode& parent, const std::string& name) {
  auto child = std::make_unique<FolderNode>();
  std::string path;
  path.reserve(parent.path.str().size() + name.size() + 1);
  path.append(parent.path.str()).append(name).push_back(platform::kSeparator);
  child->path = SharedFolder(std::move(path));
  child->level = parent.level + 1;
  child->parent = &parent;
  child->code = child->level > kDeepestLevel ? platform::kSearchPathTooLong : kUnlisted;
  FolderNode* added = child.get();
  parent.children.push_back({static_cast<std::uint32_t>(parent.files.size()), std::move(child)});
  return added;
}

void FolderScanner::AddFile(FolderNode& parent, platform::DirEntry&& entry, platform::LocalFileTimes& times) {
  FileRecord& file = parent.files.emplace_back();
  file.name = std::move(entry.name);
  file.size = static_cast<std::uint32_t>(entry.size);  // the low 32 bits, as stored
  file.write = times.ToLocal(entry.writeTime);
  if (entry.indirect)
    parent.indirect.push_back(
        {file.name, entry.size, entry.writeTime, entry.device, entry.inode, entry.otherNames, true});
}

void FolderScanner::Breathe() const {
  if (m_breathe && std::this_thread::get_id() == m_listingThread) m_breathe();
}

void FolderScanner::List(FolderNode& node, bool deep) const {
  m_listingThread = std::this_thread::get_id();
  node.files.clear();
  node.children.clear();
  node.indirect.clear();
  std::vector<FolderNode*> found;
  ListOne(node, found);
  if (deep) ListBelow(std::move(found));
}

void FolderScanner::ListBelow(std::vector<FolderNode*> pending) const {
  // Each folder is listed by whichever thread takes it; its place in the tree, not the time
  // of its listing, gives the order of its records.
  std::mutex mutex;
  std::condition_variable ready;
  int busy = 0;
  const auto work = [&](bool asking) {
    std::vector<FolderNode*> found;
    std::unique_lock lock(mutex);
    for (;;) {
      const auto more = [&] { return !pending.empty() || busy == 0; };
      if (!asking) {
        ready.wait(lock, more);
      } else if (!ready.wait_for(lock, kBreathInterval, more)) {
        lock.unlock();
        Breathe();
        lock.lock();
        continue;
      }
      if (pending.empty()) return;
      FolderNode* node = pending.back();
      pending.pop_back();
      ++busy;
      lock.unlock();
      found.clear();
      ListOne(*node, found);
      if (asking) Breathe();
      lock.lock();
      --busy;
      pending.insert(pending.end(), found.rbegin(), found.rend());
      if (!found.empty() || busy == 0) ready.notify_all();
    }
  };
  std::vector<std::thread> helpers;
  for (unsigned i = 1; i < m_threads && !pending.empty(); ++i) helpers.emplace_back(work, false);
  work(true);
  for (std::thread& helper : helpers) helper.join();
}

}  // namespace talvenor
