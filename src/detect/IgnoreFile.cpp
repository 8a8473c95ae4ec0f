#include "detect/IgnoreFile.h"

#include <vector>

#include "core/Messages.h"
#include "platform/FileContents.h"

namespace talvenor {
namespace {

// Far above any list of patterns a person writes; what is larger is not read whole into memory.
constexpr std::size_t kLargestFile = 1 << 20;

}  // namespace

bool IgnoreFile::Refresh(const std::string& watchedFolder) {
  const std::string path = watchedFolder + kName;
  std::string text;
  const platform::ReadOutcome outcome = platform::ReadSmallFile(path, kLargestFile, text);
  // A file that cannot be read leaves nothing out, as if there were none; the user hears so.
  if (outcome == platform::ReadOutcome::Unreadable && !m_unreadableShown) {
    m_ui.ShowNotice(msg::Format(msg::kIgnoreFileUnreadable, {path}));
  }
  m_unreadableShown = outcome == platform::ReadOutcome::Unreadable;
  std::optional<std::string> read;
  if (outcome == platform::ReadOutcome::Read) read = std::move(text);
  const bool changed = read != m_text;
  if (!changed && watchedFolder == m_folder) return false;
  std::vector<IgnoreRules::BadLine> bad;
  auto rules = std::make_shared<const IgnoreRules>(read.value_or(std::string()), &bad);
  m_text = std::move(read);
  {
    std::lock_guard lock(m_mutex);
    m_folder = watchedFolder;
    m_rules = std::move(rules);
  }
  for (const IgnoreRules::BadLine& line : bad) {
    if (!m_badLinesShown.insert(line.text).second) continue;
    m_ui.ShowNotice(msg::Format(msg::kIgnoreLineUnreadable, {path + ":" + std::to_string(line.number), line.text}));
  }
  return changed;
}

std::shared_ptr<const IgnoreRules> IgnoreFile::Rules() const {
  std::lock_guard lock(m_mutex);
  return m_rules;
}

bool IgnoreFile::Skips(const std::string& entry, bool folder) const {
  std::shared_ptr<const IgnoreRules> rules;
  std::string root;
  {
    std::lock_guard lock(m_mutex);
    if (m_rules->Empty()) return false;
    rules = m_rules;
    root = m_folder;
  }
  std::string_view path = entry;
  if (!path.empty() && path.back() == '/') path.remove_suffix(1);
  if (path.size() <= root.size() || path.compare(0, root.size(), root) != 0) return false;
  return rules->ExcludedWithParents(path.substr(root.size()), folder);
}

}  // namespace talvenor
