#pragma once
// Files whose copy failed because they could not be read. Such a file is logged once: while it
// stays unreadable and unchanged, later passes go by it without a line or a generation, and it
// stays out of the saved scan, so the first pass after it becomes readable copies it.
#include <cstdint>
#include <set>
#include <string>
#include <tuple>

#include "detect/Element.h"

namespace talvenor {

class UnreadableSources {
 public:
  // True when the record could not be read at the last pass, is unchanged and still cannot be.
  bool PassOver(const CElement& record);
  // The copy of this record failed at its source in this pass.
  void Remember(const CElement& record);
  // What this pass did not meet again (changed, readable or gone) is forgotten: in every folder
  // after a whole pass, only in the folders it listed (paths ending in "/") otherwise.
  void EndPass(const std::set<std::string>* listedFolders = nullptr);

 private:
  using Key = std::tuple<std::string, std::string, std::uint32_t, platform::FileTime>;
  static Key KeyOf(const CElement& record);

  std::set<Key> m_last;
  std::set<Key> m_current;
};

}  // namespace talvenor
