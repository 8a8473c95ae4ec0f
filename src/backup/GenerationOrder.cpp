#include "backup/GenerationOrder.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "backup/BackupStore.h"
#include "platform/OwnFile.h"

namespace talvenor {
namespace {

// Far more than the names of 1000 generations; a larger file is damage and is not read.
constexpr std::size_t kMaxFileBytes = std::size_t{4} << 20;
// A few removed names are left in the file; rewriting it at every pruning would wear the disk.
constexpr std::size_t kStaleAllowed = 16;

}  // namespace

GenerationOrder GenerationOrder::Load(const platform::FolderHandle& backup) {
  GenerationOrder order;
  const std::optional<std::string> text = platform::ReadOwnFile(backup, kFileName, kMaxFileBytes);
  if (!text) return order;
  std::string_view rest(*text);
  while (!rest.empty()) {
    const std::size_t end = rest.find('\n');
    const std::string line(rest.substr(0, end));
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    if (line.empty()) continue;
    // A line torn by a crash, or anything else written there, is passed over; it still
    // counts towards rewriting the file.
    const std::size_t position = order.m_lines++;
    if (BackupStore::IsGenerationName(line) != 0) order.m_position[line] = position;
  }
  return order;
}

void GenerationOrder::Append(const platform::FolderHandle& backup, const std::string& name) {
  platform::AppendOwnLine(backup, kFileName, name);
}

void GenerationOrder::Sort(std::vector<std::string>& generations) const {
  // Unlisted ones first, by name; then the listed ones, in the order made.
  const auto rank = [this](const std::string& name) {
    const auto it = m_position.find(name);
    return it == m_position.end() ? std::size_t{0} : it->second + 1;
  };
  std::sort(generations.begin(), generations.end(), [&rank](const std::string& a, const std::string& b) {
    const std::size_t ra = rank(a), rb = rank(b);
    return ra != rb ? ra < rb : a < b;
  });
}

void GenerationOrder::Compact(const platform::FolderHandle& backup, const std::vector<std::string>& oldestFirst) const {
  // A file with no line at all may be missing or damaged beyond reading: written whole.
  const bool unread = m_lines == 0 && !oldestFirst.empty();
  if (!unread && m_lines <= oldestFirst.size() + std::max(kStaleAllowed, oldestFirst.size())) return;
  std::string text;
  for (const std::string& name : oldestFirst) text.append(name).push_back('\n');
  platform::ReplaceOwnFile(backup, kFileName, text);
}

}  // namespace talvenor
