#include "backup/VersionList.h"

#include <algorithm>
#include <map>

#include "backup/BackupStore.h"
#include "backup/GenerationRecord.h"
#include "changelog/LogLineText.h"
#include "platform/FileSystem.h"
#include "platform/FolderFile.h"
#include "platform/FolderHandle.h"
#include "platform/PathText.h"

namespace talvenor {
namespace {

// Far above any real record or log; keeps a planted giant from taking all memory.
constexpr std::size_t kReadLimit = std::size_t{256} << 20;

std::string Join(const std::string& folder, const std::string& name) {
  return folder + (!folder.empty() && folder.back() == platform::kSeparator ? "" : platform::kSeparatorText) + name;
}

struct Found {
  FoundVersion version;
  std::size_t order;  // later lines of one generation are later copies
};

}  // namespace

VersionListing ListVersions(const std::string& backupDir, const std::string& sourcePath, const std::string& logPath) {
  VersionListing listing;
  const platform::FolderHandle backup = platform::FolderHandle::Open(backupDir);
  std::vector<platform::FolderEntry> entries;
  if (!backup.IsOpen() || !backup.List(entries)) return listing;
  listing.backupReadable = true;

  std::vector<Found> found;
  // Generations without a readable record: the log speaks for them.
  std::map<std::string, platform::FolderHandle> unrecorded;
  std::string bytes;
  const auto add = [&](const platform::FolderHandle& generation, const std::string& name, const std::string& copy) {
    // A copy the user deleted since is no version to offer.
    if (const auto status = platform::StatFileIn(generation, copy))
      found.push_back({{name, Join(Join(backupDir, name), copy), status->size}, found.size()});
  };
  for (const platform::FolderEntry& entry : entries) {
    // As for pruning: a link is never a generation, nor is a folder someone else planted.
    if (!entry.folder || !BackupStore::IsGenerationName(entry.name)) continue;
    platform::FolderHandle generation = backup.Child(entry.name);
    if (!generation.IsOpen() || !generation.OwnedByUs()) continue;
    if (!platform::ReadFileIn(generation, GenerationRecord::kFileName, kReadLimit, bytes)) {
      unrecorded.emplace(entry.name, std::move(generation));
      continue;
    }
    for (const RecordLine& line : GenerationRecord::LinesFor(bytes, sourcePath))
      add(generation, entry.name, line.copyName);
  }
  if (!unrecorded.empty() && !logPath.empty() && platform::ReadWholeFile(logPath, kReadLimit, bytes)) {
    for (const std::string& copyPath : CopiesNamedInLog(bytes, sourcePath)) {
      const std::size_t slash = copyPath.find_last_of(platform::kSeparator);
      if (slash == std::string::npos || slash == 0) continue;
      const std::size_t before = copyPath.find_last_of(platform::kSeparator, slash - 1);
      const std::string name = copyPath.substr(before == std::string::npos ? 0 : before + 1, slash - before - 1);
      const auto generation = unrecorded.find(name);
      if (generation != unrecorded.end()) add(generation->second, name, copyPath.substr(slash + 1));
    }
  }
  std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
    if (a.version.generation != b.version.generation) return a.version.generation > b.version.generation;
    return a.order > b.order;
  });
  for (Found& f : found) listing.versions.push_back(std::move(f.version));
  return listing;
}

std::string PassTimeOf(const std::string& generation) {
  if (generation.size() < 14) return generation;
  const std::string_view g(generation);
  std::string text;
  text.append(g.substr(0, 4)).append("-").append(g.substr(4, 2)).append("-").append(g.substr(6, 2));
  text.append(" ").append(g.substr(8, 2)).append(":").append(g.substr(10, 2)).append(":").append(g.substr(12, 2));
  return text;
}

std::string AbsoluteFilePath(const std::string& path, const std::string& currentDirectory) {
  constexpr char kSeparator = platform::kSeparator;
  const std::string whole = platform::IsAbsolutePath(path) ? path : currentDirectory + kSeparator + path;
  // Either separator may be typed where the system takes both; the result has the system's own.
  constexpr char kSeparators[] = {kSeparator, '/', '\0'};
  const std::size_t root = platform::RootLength(whole);
  std::string out = whole.substr(0, root);
  std::replace(out.begin(), out.end(), '/', kSeparator);
  if (out.empty() || out.back() != kSeparator) out += kSeparator;
  std::vector<std::string> parts;
  std::size_t at = root;
  while (at <= whole.size()) {
    std::size_t slash = whole.find_first_of(kSeparators, at);
    if (slash == std::string::npos) slash = whole.size();
    const std::string part = whole.substr(at, slash - at);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    at = slash + 1;
  }
  for (std::size_t i = 0; i < parts.size(); ++i) out += (i > 0 ? platform::kSeparatorText : "") + parts[i];
  return out;
}

}  // namespace talvenor
