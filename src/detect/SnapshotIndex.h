#pragma once
// A hash index over a snapshot that answers "is there a record with this folder, name, size
// and write time?" in constant time: the same answer as searching the whole snapshot, at a
// cost linear in the number of files instead of their product.
#include <cstdint>
#include <vector>

#include "detect/Snapshot.h"

namespace talvenor {

class SnapshotIndex {
 public:
  // The snapshot must outlive the index and stay unchanged while it is used.
  explicit SnapshotIndex(const Snapshot& snapshot);

  // The stamp is not compared: it is derived from the write time.
  bool Contains(const CElement& record) const;

  // Occupied slots looked at so far, building included: the work done, which must stay in
  // proportion to the records whatever they hold.
  std::uint64_t SlotsVisited() const { return m_slotsVisited; }

 private:
  std::uint64_t Hash(const CElement& record) const;

  const Snapshot& m_snapshot;
  std::vector<std::uint32_t> m_slots;  // record index + 1; 0 is an empty slot
  std::uint64_t m_mask = 0;
  std::uint64_t m_key = 0;
  // Records of one folder share its text, so its hash is kept while the folder repeats.
  mutable const std::string* m_lastFolder = nullptr;
  mutable std::uint64_t m_lastFolderHash = 0;
  mutable std::uint64_t m_slotsVisited = 0;
};

}  // namespace talvenor
