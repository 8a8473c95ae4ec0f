#include "detect/ChangeDetector.h"

#include <future>
#include <map>
#include <optional>
#include <utility>

#include "backup/BackupStore.h"
#include "changelog/ChangeLog.h"
#include "core/Messages.h"
#include "detect/FolderScanner.h"
#include "detect/SnapshotFile.h"
#include "detect/SnapshotIndex.h"
#include "detect/TreeSplice.h"
#include "platform/DirReader.h"
#include "platform/FileTime.h"
#include "platform/LockedFile.h"
#include "platform/PathText.h"

namespace talvenor {
namespace {

constexpr const char* kEndMarker = "<END>";
constexpr const char* kStartMarker = "<START>";
// Well below the tenth of a second in which a window must answer.
constexpr auto kBreathInterval = std::chrono::milliseconds(15);

class RunningFlag {
 public:
  explicit RunningFlag(bool& flag) : m_flag(flag) { m_flag = true; }
  ~RunningFlag() { m_flag = false; }
  RunningFlag(const RunningFlag&) = delete;
  RunningFlag& operator=(const RunningFlag&) = delete;

 private:
  bool& m_flag;
};

// One system call (the syncfs of many copies, the fsync of a large snapshot) can take longer
// than a window may wait: it runs on a helper thread while this one lets the window answer.
// work must not reach the user interface.
template <typename Work>
auto WhileBreathing(Work work, const std::function<void()>& breathe) {
  auto done = std::async(std::launch::async, std::move(work));
  while (done.wait_for(kBreathInterval) != std::future_status::ready) breathe();
  return done.get();
}

// The files of each folder of fresh that old (the same folder before) does not hold.
void CompareWithTree(FolderNode& fresh, const FolderNode* old, std::vector<Change>& changes) {
  const FileSet before(old != nullptr ? &old->files : nullptr);
  for (std::size_t i = 0; i < fresh.files.size(); ++i) {
    if (!before.Contains(fresh.files[i])) changes.push_back({&fresh, i});
  }
  const OldChildren oldChildren = old != nullptr ? OldChildren(*old) : OldChildren();
  for (FolderNode::Child& child : fresh.children) {
    const std::size_t index = oldChildren.IndexOf(child.node->Name());
    CompareWithTree(*child.node, index == OldChildren::kNone ? nullptr : old->children[index].node.get(), changes);
  }
}

// The same, against a snapshot read from the file.
void CompareWithFile(FolderNode& fresh, const SnapshotIndex& previous, std::vector<Change>& changes) {
  VisitInScanOrder(
      fresh, [](const FolderNode&) {},
      [&](const FolderNode& folder, const FileRecord& file) {
        if (previous.Contains(ToElement(folder, file))) return;
        changes.push_back({const_cast<FolderNode*>(&folder), static_cast<std::size_t>(&file - folder.files.data())});
      });
}

bool SameAsFile(const FolderNode& fresh, const Snapshot& previous) {
  std::size_t i = 0;
  bool same = true;
  VisitInScanOrder(
      fresh, [](const FolderNode&) {},
      [&](const FolderNode& folder, const FileRecord& file) {
        same = same && i < previous.size() && previous[i] == ToElement(folder, file);
        ++i;
      });
  return same && i == previous.size();
}

// A file replaced between its listing and its copy (saved by a rename, say) was copied as it
// is now: its record says so, or the snapshot would name a version that no copy holds and the
// next pass would copy the same bytes again. Only when nothing changed it around the copy.
void RecordCopiedVersion(FolderNode& folder, FileRecord& file, const std::optional<platform::FileIdentity>& before) {
  if (!before || platform::IdentifyFile(folder.path.str() + file.name) != before) return;
  FolderNode scratch;  // the record made the way a listing makes it
  platform::DirEntry entry;
  entry.name = file.name;
  entry.size = before->size;
  entry.writeTime = platform::ToFileTime(before->modified / 1'000'000'000, before->modified % 1'000'000'000);
  platform::LocalFileTimes times;
  FolderScanner::AddFile(scratch, std::move(entry), times);
  file.size = scratch.files.back().size;
  file.write = scratch.files.back().write;
}

}  // namespace

ChangeDetector::ChangeDetector(const AppPaths& paths, FolderScanner& scanner, BackupStore& backup, ChangeLog& log,
                               UiPort& ui)
    : m_paths(paths), m_scanner(scanner), m_backup(backup), m_log(log), m_ui(ui), m_ignore(ui) {
  m_scanner.SetLeaveOut([this](FolderNode& folder) { LeaveOutOwnFiles(folder); });
  m_scanner.SetBreathe([this] { Breathe(); });
}

bool ChangeDetector::Breathe() {
  const auto now = std::chrono::steady_clock::now();
  if (m_running && now - m_lastBreath >= kBreathInterval) {
    m_ui.LetInputThrough();
    if (m_ui.PassShouldEnd()) m_endRequested = true;
    m_lastBreath = std::chrono::steady_clock::now();
  }
  return !m_endRequested;
}

void ChangeDetector::DetectChanges(const std::string& path, int mode) { Pass(path, mode, nullptr); }

void ChangeDetector::DetectChanges(const std::string& path, int mode, const platform::TouchedFolders& touched) {
  Pass(path, mode, &touched);
}

void ChangeDetector::Pass(const std::string& path, int mode, const platform::TouchedFolders* touched) {
  // Message boxes of a pass run nested loops that deliver ticks; a second pass would share
  // the snapshots with this one.
  if (m_running) return;
  RunningFlag running(m_running);
  m_lastChanges = 0;
  m_backupFailures = 0;
  m_lastLeft = 0;
  m_lastCopies = 0;
  m_endRequested = false;
  m_lastBreath = std::chrono::steady_clock::now();
  m_lastPassChanged = false;
  m_log.BeginPass();

  std::string folder = path;
  if (folder.empty() || folder.back() != platform::kSeparator) folder += platform::kSeparator;
  // Held only while the file is the one this program read or saved: anyone else's file is read.
  if (m_held && (m_held->path.str() != folder || !m_heldFileKnown ||
                 platform::IdentifyFile(m_paths.g_snapshotPath) != m_heldFile))
    DropHeld();
  // New patterns apply to the whole tree at once: the held scan followed the old ones.
  const bool ignoreChanged = m_ignore.Refresh(folder);
  m_scanner.SetIgnoreRules(m_ignore.Rules(), folder);
  if (ignoreChanged && m_onIgnoreChanged) m_onIgnoreChanged();
  if (touched == nullptr || !m_held || ignoreChanged || !SplicePass(mode, *touched)) WholePass(folder, mode, nullptr);
  // The next pass reads what was saved, so the files left are found again wherever they are;
  // what this pass copied is saved first, not left for a deferred save.
  if (m_lastLeft > 0) {
    if (m_unsaved && m_held) Save(true);
    DropHeld();
  }
}

void ChangeDetector::AdoptBaseline(const std::string& path, std::unique_ptr<FolderNode> listed) {
  if (m_running) return;
  RunningFlag running(m_running);
  m_lastChanges = 0;
  m_backupFailures = 0;
  m_lastLeft = 0;
  m_endRequested = false;
  m_lastPassChanged = false;
  DropHeld();
  WholePass(path + platform::kSeparator, 0, std::move(listed));
}

bool ChangeDetector::SplicePass(int mode, const platform::TouchedFolders& touched) {
  if (touched.everything) return false;
  // What happens in a folder left out (made there, or renamed to a name left out) is news to
  // nobody: it must not cost a listing, let alone a whole scan for a folder the tree lacks.
  std::set<std::string> listed;
  std::set<std::string> subtrees;
  for (const std::string& path : touched.listed) {
    if (!m_ignore.Skips(path, true)) listed.insert(path);
  }
  for (const std::string& path : touched.subtrees) {
    if (!m_ignore.Skips(path, true)) subtrees.insert(path);
  }
  listed.insert(m_retryFolders.begin(), m_retryFolders.end());
  listed.merge(m_indirect.Changed(*m_held));
  // Nothing said where: a flag raised by hand, or events that were lost.
  if (listed.empty() && touched.listed.empty() && touched.subtrees.empty()) return false;
  TreeSplice splice(m_held, m_scanner);
  if (!splice.Prepare(listed, subtrees) || !m_indirect.OnlyKnownNames(splice.ListedFolders())) return false;
  m_retryFolders.clear();
  m_lastPassWhole = false;
  splice.Report();
  splice.Apply();
  m_indirect.Listed(splice.ListedFolders());
  std::vector<Change> found;
  std::set<std::string> listedPaths;
  for (const TreeSplice::Listed& listed : splice.ListedFolders()) {
    listedPaths.insert(listed.fresh->path.str());
    const FileSet before(listed.old != nullptr ? &listed.old->files : nullptr);
    for (std::size_t i = 0; i < listed.fresh->files.size(); ++i) {
      if (!before.Contains(listed.fresh->files[i])) found.push_back({listed.fresh, i});
    }
  }
  bool save = true;
  if (mode == 1) save = BackUp(InScanOrder(*m_held, found), &listedPaths);
  m_log.EndPass();
  if (mode == 1 && m_lastChanges == 0 && !splice.MayHaveChanged()) return true;
  if (save) {
    Keep(true);
  } else {
    DropHeld();  // the file keeps the older scan; so must the next pass
  }
  return true;
}

void ChangeDetector::WholePass(const std::string& folder, int mode, std::unique_ptr<FolderNode> listed) {
  m_lastPassWhole = true;
  m_lastWholeScan = std::chrono::steady_clock::now();
  m_retryFolders.clear();
  std::unique_ptr<FolderNode> previous = std::move(m_held);
  bool loadedWhole = true;
  Snapshot fromFile;  // the file's records, when no scan is held
  if (!previous) {
    // A damaged file leaves only the records read before the damage: those are compared.
    m_heldFile = platform::IdentifyFile(m_paths.g_snapshotPath);
    loadedWhole = LoadSnapshot(m_paths.g_snapshotPath, fromFile) != 0;
    // Replaced while it was read: which file the records came from is not known.
    m_heldFileKnown = platform::IdentifyFile(m_paths.g_snapshotPath) == m_heldFile;
  }

  std::unique_ptr<FolderNode> fresh = std::move(listed);
  if (fresh) {
    LeaveOutEverywhere(*fresh);
  } else {
    fresh = std::make_unique<FolderNode>();
    fresh->path = SharedFolder(folder);
    m_scanner.List(*fresh, true);
  }
  // A partial scan is compared and saved as it is.
  const bool whole = VisitInScanOrder(
      *fresh, [this](const FolderNode& node) { m_scanner.Report(node); }, [](const FolderNode&, const FileRecord&) {});

  std::vector<Change> found;
  if (mode == 1) {
    if (previous) {
      CompareWithTree(*fresh, previous.get(), found);
      found = InScanOrder(*fresh, found);
    } else {
      CompareWithFile(*fresh, SnapshotIndex(fromFile), found);
    }
  }
  m_held = std::move(fresh);
  m_indirect.Adopt(*m_held);

  bool save = true;
  if (mode == 1) save = BackUp(found);
  m_log.EndPass();
  // Compared once the changes that got no copy are out again: a file that stays unreadable is
  // found at every pass and changes nothing. What already holds exactly this scan is not
  // written again, nor marked unsaved.
  const bool unchanged =
      mode == 1 && save && loadedWhole && (previous ? SameRecords(*m_held, *previous) : SameAsFile(*m_held, fromFile));
  // Both gone before the save: a large tree's records need not be in memory three times.
  previous.reset();
  Snapshot().swap(fromFile);
  if (!save) {
    DropHeld();  // the file keeps the older scan; so must the next pass
  } else if (!unchanged || (!whole && m_unsaved)) {
    Keep(whole);
  }
  if (!whole) DropHeld();  // what the scan did not reach is not known: the next one looks
}

void ChangeDetector::Keep(bool whole) {
  m_lastPassChanged = true;
  // A partial scan is dropped after the pass, so it is saved now.
  if (m_deferSaves && whole) {
    m_unsaved = true;
  } else {
    Save(whole);
  }
}

void ChangeDetector::SaveHeldSnapshot() {
  if (m_running || !m_unsaved || !m_held) return;
  // The failure message runs a nested loop: no pass may start inside the save.
  RunningFlag running(m_running);
  if (!m_heldFileKnown || platform::IdentifyFile(m_paths.g_snapshotPath) != m_heldFile) {
    DropHeld();
    return;
  }
  Save(true);
}

void ChangeDetector::Save(bool whole) {
  m_paths.RemoveLeftTemporaries();
  const auto produce = [this](const std::function<bool(std::string_view)>& put) { return EncodeTree(*m_held, put); };
  // Nothing the window may do meanwhile touches the held tree: Stop and Quit wait for the pass.
  const bool saved = WhileBreathing([&] { return platform::ReplaceFileAtomically(m_paths.g_snapshotPath, produce); },
                                    [this] { Breathe(); });
  // As SaveSnapshotPieces says it, from this thread: the older file is still whole.
  if (!saved) m_ui.ShowMessage(msg::kCannotWriteFile);
  if (saved && whole) {
    m_heldFile = platform::IdentifyFile(m_paths.g_snapshotPath);
    m_heldFileKnown = true;
    m_unsaved = false;
  } else {
    DropHeld();
  }
}

void ChangeDetector::DropHeld() {
  m_held.reset();
  m_unsaved = false;
}

void ChangeDetector::LeaveOutEverywhere(FolderNode& folder) const {
  LeaveOutOwnFiles(folder);
  folder.files.shrink_to_fit();  // listed by a walk that grew them one by one
  folder.children.shrink_to_fit();
  for (FolderNode::Child& child : folder.children) LeaveOutEverywhere(*child.node);
}

void ChangeDetector::LeaveOutOwnFiles(FolderNode& folder) const {
  // With the current directory inside the watched tree, the log and the snapshot would be
  // copied at every pass, and each copy would push a real generation out.
  std::vector<std::size_t> own;
  for (std::size_t i = 0; i < folder.files.size(); ++i) {
    if (AppPaths::IsOwnFileName(folder.files[i].name)) own.push_back(i);
  }
  if (!own.empty() && platform::SameFolder(folder.path.str(), m_paths.Folder())) EraseFiles(folder, own);
}

bool ChangeDetector::BackUp(const std::vector<Change>& changes, const std::set<std::string>* listedFolders) {
  bool generationStarted = false;
  bool endMarkerWritten = false;
  std::string destination;
  std::string generationName;
  std::map<FolderNode*, std::vector<std::size_t>> notCopied;
  bool anyCopied = false;
  bool pruned = false;
  m_backupFailures = 0;

  for (const Change& change : changes) {
    if (!Breathe()) {
      // Asked to end: what is not copied yet stays a change for the next pass.
      notCopied[change.folder].push_back(change.file);
      ++m_lastLeft;
      continue;
    }
    const FileRecord& file = change.folder->files[change.file];
    const std::string& folder = change.folder->path.str();
    if (m_unreadable.PassOver(ToElement(*change.folder, file))) {
      notCopied[change.folder].push_back(change.file);
      continue;
    }
    ++m_lastChanges;
    const auto before = platform::IdentifyFile(folder + file.name);
    const bool copied =
        m_backup.BackupFile(folder, file.name, generationStarted ? 1 : 0, destination, generationName) != 0;
    if (copied) RecordCopiedVersion(*change.folder, change.folder->files[change.file], before);
    // Left out of the saved scan, so the file is a change again at the next pass. Only what
    // the backup side refused is also tried again by the clock; an unreadable source waits
    // for the watcher (made readable, written again).
    if (!copied) notCopied[change.folder].push_back(change.file);
    if (!copied && m_backup.LastFailureAtSource()) m_unreadable.Remember(ToElement(*change.folder, file));
    if (!copied && !m_backup.LastFailureAtSource()) {
      ++m_backupFailures;
      m_retryFolders.insert(folder);
    }
    anyCopied = anyCopied || copied;
    if (copied) ++m_lastCopies;
    if (!endMarkerWritten) m_log.LogPassMarker(generationName, kEndMarker);
    // Old generations make room only for one that holds a copy: a pass that copies nothing
    // must never push real backups out.
    if (copied && !pruned) {
      m_backup.PruneGenerations();
      pruned = true;
    }
    m_log.LogChange(file.name, folder, destination);
    generationStarted = true;
    endMarkerWritten = true;
  }
  m_unreadable.EndPass(listedFolders);
  if (endMarkerWritten) {
    m_log.LogPassMarker(generationName, kStartMarker);
    if (!anyCopied) m_backup.RemoveEmptyGeneration();
  }
  // A copy that failed is left out of the saved scan, so the file counts as a change again
  // at the next pass instead of never being copied.
  for (auto& [folder, files] : notCopied) EraseFiles(*folder, files);
  if (!endMarkerWritten) return true;
  // The snapshot must never claim a copy that a power cut could still take away.
  return WhileBreathing([this] { return m_backup.FlushCopies(); }, [this] { Breathe(); });
}

}  // namespace talvenor
