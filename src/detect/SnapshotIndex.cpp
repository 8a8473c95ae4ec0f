#include "detect/SnapshotIndex.h"

#include <functional>
#include <random>
#include <string_view>

namespace talvenor {
namespace {

// A bijection that spreads every input bit over the whole word (the splitmix64 finaliser).
std::uint64_t Stir(std::uint64_t h) {
  h = (h ^ (h >> 30)) * 0xbf58476d1ce4e5b9ULL;
  h = (h ^ (h >> 27)) * 0x94d049bb133111ebULL;
  return h ^ (h >> 31);
}

bool SameFile(const CElement& a, const CElement& b) {
  return a.m_dwSize == b.m_dwSize && a.m_ftWrite == b.m_ftWrite && a.m_strName == b.m_strName &&
         (a.m_strFolder.SameObject(b.m_strFolder) || a.m_strFolder.str() == b.m_strFolder.str());
}

}  // namespace

SnapshotIndex::SnapshotIndex(const Snapshot& snapshot) : m_snapshot(snapshot) {
  // A key of its own for every index: a crafted "test2.dat" cannot then be made of records
  // that share one run of slots, which would cost time in the square of their number.
  std::random_device random;
  m_key = (static_cast<std::uint64_t>(random()) << 32) ^ random();
  std::size_t capacity = 16;
  while (capacity < snapshot.size() * 2) capacity *= 2;
  m_slots.assign(capacity, 0);
  m_mask = capacity - 1;
  for (std::size_t i = 0; i < snapshot.size(); ++i) {
    // A record equal to one already held adds nothing to the answers; kept, every copy of it
    // would lengthen the probe of the next, and a file of identical records would take time
    // in the square of its size.
    std::uint64_t slot = Hash(snapshot[i]) & m_mask;
    bool known = false;
    for (; m_slots[slot] != 0 && !known; slot = (slot + 1) & m_mask) {
      ++m_slotsVisited;
      known = SameFile(m_snapshot[m_slots[slot] - 1], snapshot[i]);
    }
    if (!known) m_slots[slot] = static_cast<std::uint32_t>(i + 1);
  }
}

std::uint64_t SnapshotIndex::Hash(const CElement& record) const {
  const std::string& folder = record.m_strFolder.str();
  if (&folder != m_lastFolder) {
    m_lastFolder = &folder;
    m_lastFolderHash = Stir(m_key ^ std::hash<std::string_view>{}(folder));
  }
  // Each step is a bijection of what came before: records of one name that differ in size or
  // time never share a hash.
  std::uint64_t h = Stir(m_lastFolderHash ^ std::hash<std::string_view>{}(record.m_strName));
  h = Stir(h ^ record.m_dwSize);
  return Stir(h ^ record.m_ftWrite);
}

bool SnapshotIndex::Contains(const CElement& record) const {
  for (std::uint64_t slot = Hash(record) & m_mask; m_slots[slot] != 0; slot = (slot + 1) & m_mask) {
    ++m_slotsVisited;
    if (SameFile(m_snapshot[m_slots[slot] - 1], record)) return true;
  }
  return false;
}

}  // namespace talvenor
