#pragma once
// What the events of a change notification touched, decided once for every system: a backend
// only says what happened where, and this says which folders the next pass lists again.
#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

#include "platform/TouchedFolders.h"

namespace talvenor::platform {

class TouchedFolderCollector {
 public:
  // Events on the files of one folder whose names isIgnored accepts raise nothing: the program
  // writing its own log inside the watched tree must not cause the next pass. Before Open.
  void IgnoreFilesIn(const std::string& folder, std::function<bool(const std::string& name)> isIgnored);
  // The folder IgnoreFilesIn named, for the backend to tell events in it; empty when none.
  const std::string& OwnFolder() const { return m_ownFolder; }

  // Entries that skip accepts (a path without a trailing separator; folder: whether it is one)
  // are of no interest: a folder gets no watch, nor does anything below it, and a file's events
  // raise nothing. It is asked on the watcher's thread. Before Open.
  void Skip(std::function<bool(const std::string& path, bool folder)> skip) { m_skip = std::move(skip); }
  bool Skips(const std::string& path, bool folder) const { return m_skip && m_skip(path, folder); }

  // The flag that a change raises, and that TakeTouched takes down. Before Open.
  void RaiseOnChange(std::atomic<int>* flag) { m_flag = flag; }

  // A file came, went or changed in folder; inOwnFolder: folder is the one of IgnoreFilesIn.
  // True when a pass must look: the folder is then listed again.
  bool FileChanged(const std::string& folder, std::string_view name, bool inOwnFolder);
  // A folder came or went in parent: parent is listed again.
  void ListingChanged(const std::string& parent);
  // A folder made, moved in, renamed or made readable: listed again with all it holds.
  void FolderArrived(const std::string& path);
  // Events were lost, or the tree is watched anew: the next pass looks at everything.
  void EventsLost();
  // Forgets what was touched: the watcher closes.
  void Clear();

  // After a Step that saw a change: raises the flag unless what it touched was taken already.
  void RaiseFlag();
  // When the flag is up: takes it down and takes the folders touched so far with it. Folders
  // touched by events that raise nothing (a new empty folder) wait for the next change.
  TouchedFolders TakeTouched(std::atomic<int>& flag, bool& raised);

  // A name inside a folder, as the engine joins them.
  static std::string Join(const std::string& folder, std::string_view name);

 private:
  void Touch(const std::string& folder, bool withAllItHolds);

  std::string m_ownFolder;
  std::function<bool(const std::string&)> m_isIgnored;
  std::function<bool(const std::string&, bool)> m_skip;
  std::atomic<int>* m_flag = nullptr;
  std::mutex m_mutex;  // touched on the watcher's thread, taken on the tick's
  TouchedFolders m_touched;
};

}  // namespace talvenor::platform
