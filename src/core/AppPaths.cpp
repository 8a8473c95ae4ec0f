#include "core/AppPaths.h"

#include <array>
#include <string_view>

#include "platform/DirReader.h"
#include "platform/FileSystem.h"
#include "platform/LockedFile.h"
#include "platform/PathText.h"

namespace talvenor {
namespace {

constexpr std::array<std::string_view, 3> kOwnNames = {"test2.dat", "log.csv", "log_bak.csv"};
// The log's trim works through a temporary of this fixed name.
constexpr std::string_view kLogTrimTemporary = "log.csv.tmp";

bool IsOwnTemporaryName(const std::string& name) {
  if (name == kLogTrimTemporary) return true;
  for (const std::string_view base : kOwnNames) {
    if (platform::IsReplacementTemporaryName(name, base)) return true;
  }
  return false;
}

}  // namespace

AppPaths AppPaths::InFolder(const std::string& folder) {
  std::string base = folder;
  if (base.empty() || base.back() != platform::kSeparator) base += platform::kSeparator;
  return AppPaths{base + "test2.dat", base + "log.csv", base + "log_bak.csv"};
}

std::string AppPaths::Folder() const {
  const auto slash = g_logPath.find_last_of(platform::kSeparator);
  if (slash == std::string::npos) return ".";
  return slash == 0 ? platform::kSeparatorText : g_logPath.substr(0, slash);
}

bool AppPaths::IsOwnFileName(const std::string& name) {
  for (const std::string_view own : kOwnNames) {
    if (name == own) return true;
  }
  return IsOwnTemporaryName(name);
}

void AppPaths::RemoveLeftTemporaries() const {
  const std::string folder = Folder();
  platform::DirReader reader;
  if (reader.Open(folder) != platform::kSearchOk) return;
  platform::DirEntry entry;
  // Nothing else writes these names, and this process makes them only inside one save or
  // trim: whatever is found between two of them was left by one that never finished.
  while (reader.Next(entry)) {
    if (entry.kind == platform::EntryKind::File && IsOwnTemporaryName(entry.name))
      platform::RemoveFile(folder + platform::kSeparator + entry.name);
  }
}

}  // namespace talvenor
