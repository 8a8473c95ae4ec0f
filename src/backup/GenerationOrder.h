#pragma once
// The order in which generations were made. Their names follow the local clock, which goes
// back (a clock set right, the autumn daylight-saving change), so a name that sorts first may
// belong to the newest copies. The order is kept in a small file at the top of the backup
// folder, one generation name a line, oldest first: a line is added when a generation is made,
// and the file is written anew when pruning has left it with many names of removed ones.
// Generations it does not list (made by earlier versions, or the file lost or damaged) are
// older than every listed one, in name order. The file is never a generation: it is no
// folder, and its name fails the name test.
#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/FolderHandle.h"

namespace talvenor {

class GenerationOrder {
 public:
  static constexpr const char* kFileName = ".talvenor-generations";

  // The order as the backup folder's file holds it; a file that is missing, damaged or not
  // ours gives an empty order, so that only names decide.
  static GenerationOrder Load(const platform::FolderHandle& backup);
  // Notes a generation just made as the newest. A failure is not noticed: the generation then
  // counts as unlisted.
  static void Append(const platform::FolderHandle& backup, const std::string& name);

  // Sorts generation names oldest first.
  void Sort(std::vector<std::string>& generations) const;
  // Writes the order of these generations (oldest first) as the whole file, when the file's
  // names of removed generations have come to outnumber them, or it could not be read.
  void Compact(const platform::FolderHandle& backup, const std::vector<std::string>& oldestFirst) const;

 private:
  std::unordered_map<std::string, std::size_t> m_position;  // later lines win
  std::size_t m_lines = 0;
};

}  // namespace talvenor
