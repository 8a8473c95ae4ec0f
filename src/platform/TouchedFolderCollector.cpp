#include "platform/TouchedFolderCollector.h"

#include <utility>

#include "platform/PathText.h"

namespace talvenor::platform {
namespace {

// The engine's form of a folder path: its separator at the end.
std::string AsFolder(const std::string& path) {
  return !path.empty() && path.back() == kSeparator ? path : path + kSeparator;
}

}  // namespace

std::string TouchedFolderCollector::Join(const std::string& folder, std::string_view name) {
  std::string path = AsFolder(folder);
  path += name;
  return path;
}

void TouchedFolderCollector::IgnoreFilesIn(const std::string& folder,
                                           std::function<bool(const std::string& name)> isIgnored) {
  m_ownFolder = folder;
  m_isIgnored = std::move(isIgnored);
}

// Asked for every file event: the path is put together only when a skip rule wants it.
bool TouchedFolderCollector::FileChanged(const std::string& folder, std::string_view name, bool inOwnFolder) {
  if (inOwnFolder && m_isIgnored && m_isIgnored(std::string(name))) return false;
  if (m_skip && m_skip(Join(folder, name), false)) return false;
  Touch(folder, false);
  return true;
}

void TouchedFolderCollector::ListingChanged(const std::string& parent) { Touch(parent, false); }

void TouchedFolderCollector::FolderArrived(const std::string& path) {
  if (!Skips(path, true)) Touch(path, true);
}

void TouchedFolderCollector::Touch(const std::string& folder, bool withAllItHolds) {
  std::lock_guard lock(m_mutex);
  (withAllItHolds ? m_touched.subtrees : m_touched.listed).insert(AsFolder(folder));
}

void TouchedFolderCollector::EventsLost() {
  std::lock_guard lock(m_mutex);
  m_touched.everything = true;
}

void TouchedFolderCollector::Clear() {
  std::lock_guard lock(m_mutex);
  m_touched = TouchedFolders{};
}

void TouchedFolderCollector::RaiseFlag() {
  std::lock_guard lock(m_mutex);
  // Already taken by a pass: raising again would start one that has nothing to list.
  const bool pending = m_touched.everything || !m_touched.listed.empty() || !m_touched.subtrees.empty();
  if (m_flag != nullptr && pending) m_flag->store(1);
}

TouchedFolders TouchedFolderCollector::TakeTouched(std::atomic<int>& flag, bool& raised) {
  std::lock_guard lock(m_mutex);
  raised = flag.exchange(0) != 0;
  if (!raised) return {};
  return std::exchange(m_touched, TouchedFolders{});
}

}  // namespace talvenor::platform
