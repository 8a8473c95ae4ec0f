#pragma once
// The backup folder: generation folders and the copies in them, the limit on their number
// and the removal of old ones. The only code that writes into the user's backup folder.
// Below the backup folder everything goes through open folder descriptors and never through
// a link, so nothing outside the backup folder is ever written, deleted or changed.
#include <cstdint>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "backup/GenerationRecord.h"
#include "core/Settings.h"
#include "core/UiPort.h"
#include "platform/FolderHandle.h"

namespace talvenor {

class GenerationOrder;

class BackupStore {
 public:
  // The backup folder is settings.DIR2 and the limit settings.BAKSZ, read at each call.
  BackupStore(const Settings& settings, UiPort& ui);

  // Copies folder + name into the pass's generation (a new one when continuing is 0).
  // destination: the path of the copy, empty when none was made, so that nothing names a copy
  // that does not exist; generationName: set when continuing is 0. Nonzero when copied.
  int BackupFile(const std::string& folder, const std::string& name, int continuing, std::string& destination,
                 std::string& generationName);

  // 1 when the backup folder may be used with this watched folder; 0 after telling the user.
  int CheckFolderPair(const std::string& watchDir, const std::string& backupDir);

  // Removes the oldest generations beyond BAKSZ. Always 1.
  int PruneGenerations();
  int FindOldestGeneration(std::string& oldestName);
  static int IsGenerationName(const std::string& name);

  // Deletes everything inside folder (ending in "/"); 1 when emptied.
  int EmptyFolder(const std::string& folder);
  int RenameForManualDelete(const std::string& path);

  // After a BackupFile that made no copy: true when the source could not be read (it vanished
  // or is unreadable), false when the backup side refused (no folder, full disk, read-only).
  bool LastFailureAtSource() const { return m_lastFailureAtSource; }
  // The size of the smallest source whose copy the backup side refused in the current pass
  // (0 when none, or when it could not be told): the room a retry needs at least.
  std::uint64_t SmallestRefusedCopy() const { return m_smallestRefused; }
  // True when a copy of the current pass was refused because the backup folder is full or
  // cannot be reached (missing, on another disk); other refusals tell nobody of an outage.
  bool RefusedForOutage() const { return m_refusedForOutage; }

  // Removes the generation folder the last new generation made, if no copy landed in it, so
  // that a pass without copies leaves no empty generation to push real ones out.
  void RemoveEmptyGeneration();

  // Puts the copies made so far on disk, before a pass saves the snapshot that claims them.
  bool FlushCopies();

  // Takes the disk that holds the backup folder now as its disk: while the folder is found on
  // another (a disk unplugged from under its mount point leaves the empty mount folder of the
  // system disk behind), the backup side refuses every copy. Copies made there would fill the
  // system disk and vanish behind the next mount of the real one. A backup folder named anew
  // is taken on the disk where it is first met.
  void PinBackupDisk();

  // Removes the hidden temporaries that a crash in the middle of a copy left in generation
  // folders (only where the file system has no unnamed files); nothing else is touched.
  void RemoveCopyLeftovers();

  // Benchmarks weigh the generation record against the copies; it is always kept otherwise.
  void SetRecordKeeping(bool on) { m_keepRecord = on; }

  std::string m_strGenerationDir;
  std::string m_strRemovePath;

 private:
  // Makes the pass's generation folder; false when none could be made.
  bool MakeGeneration(std::string& generationName);
  std::string FreeCopyName(const std::string& name);
  // Notes a copy the backup side refused with error.
  void NoteRefused(const std::string& source, int error);
  // The generations inside backup (folders of ours with a generation's name), oldest first.
  std::vector<std::string> Generations(const platform::FolderHandle& backup, const GenerationOrder& order) const;
  // The oldest of generations (oldest first) not in passedOver, when there are more than BAKSZ.
  int FindOldest(const std::vector<std::string>& generations, std::string& oldestName,
                 const std::set<std::string>& passedOver) const;
  // Empties the folder name inside parent; EmptyFolder's result.
  int EmptyLevel(const platform::FolderHandle& parent, const std::string& name, bool listedByParent);
  std::string InBackupFolder(const std::string& name) const;
  // m_backupFolder is on the disk the backup folder was pinned to.
  bool OnPinnedDisk();

  const Settings& m_settings;
  UiPort& m_ui;
  platform::FolderHandle m_backupFolder;  // as opened for the current generation
  platform::FolderHandle m_generation;
  GenerationRecord m_record;  // of m_generation
  bool m_keepRecord = true;
  std::string m_generationName;
  bool m_copiedSinceFlush = false;
  bool m_lastFailureAtSource = false;
  bool m_generationMade = false;  // the last new generation's folder was made by us
  std::uint64_t m_smallestRefused = 0;
  bool m_refusedForOutage = false;
  int m_generationError = 0;  // why the pass's generation could not be made
  // The copy-name number to try next for each name, in the open generation.
  std::unordered_map<std::string, std::size_t> m_nextCopySuffix;
  std::set<std::string> m_toldKeptChanging;  // sources the user heard of, once each
  std::string m_pinnedFolder;                // empty: pinned where next met
  unsigned long long m_pinnedDevice = 0;
};

}  // namespace talvenor
