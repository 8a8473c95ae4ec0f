#include "detect/IgnoreFile.h"

#include <vector>

#include "core/Messages.h"
#include "platform/FileContents.h"
#include "platform/PathText.h"

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
  if (!changed && watchedFolder == m_current->folder) return false;  // only this thread replaces it
  std::vector<IgnoreRules::BadLine> bad;
  auto current =
      std::make_shared<const Current>(Current{IgnoreRules(read.value_or(std::string()), &bad), watchedFolder});
  m_text = std::move(read);
  {
    std::lock_guard lock(m_mutex);
    m_current = std::move(current);
  }
  for (const IgnoreRules::BadLine& line : bad) {
    if (!m_badLinesShown.insert(line.text).second) continue;
    m_ui.ShowNotice(msg::Format(msg::kIgnoreLineUnreadable, {path + ":" + std::to_string(line.number), line.text}));
  }
  return changed;
}

std::shared_ptr<const IgnoreRules> IgnoreFile::Rules() const {
  std::lock_guard lock(m_mutex);
  return {m_current, &m_current->rules};
}

bool IgnoreFile::Skips(const std::string& entry, bool folder) const {
  std::shared_ptr<const Current> current;
  {
    std::lock_guard lock(m_mutex);
    current = m_current;
  }
  const std::string& root = current->folder;
  std::string_view path = entry;
  if (!path.empty() && path.back() == platform::kSeparator) path.remove_suffix(1);
  if (current->rules.Empty() || path.size() <= root.size() || path.compare(0, root.size(), root) != 0) return false;
  return current->rules.ExcludedWithParents(IgnoreRules::RulePath(path.substr(root.size())), folder);
}

}  // namespace talvenor
