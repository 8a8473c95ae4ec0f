// libFuzzer target over the snapshot decoder and the index built on what it read: no input
// may crash them, read in one piece or in many, and what decodes whole must encode back to
// the same records.
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string_view>
#include <tuple>

#include "detect/SnapshotFile.h"
#include "detect/SnapshotIndex.h"

using namespace talvenor;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  Snapshot whole;
  const bool complete = DecodeSnapshot(bytes, whole);
  // The load reads pieces; any split of the bytes must give the same records and result.
  Snapshot pieces;
  const std::size_t pieceBytes = 1 + (size > 0 ? data[0] % 16 : 0);
  if (DecodeSnapshotInPieces(bytes, pieceBytes, pieces) != complete || pieces != whole) std::abort();

  const SnapshotIndex index(whole);
  for (const CElement& record : whole) {
    if (!index.Contains(record)) std::abort();
  }
  // The work must stay in proportion to the records whatever the file holds. A pass asks once
  // per file it listed, and a listing never holds one file twice, so each record is asked once.
  const SnapshotIndex fresh(whole);
  std::set<std::tuple<std::string_view, std::string_view, std::uint32_t, std::uint64_t>> asked;
  for (const CElement& r : whole) {
    if (asked.emplace(r.m_strFolder.str(), r.m_strName, r.m_dwSize, r.m_ftWrite).second) (void)fresh.Contains(r);
  }
  if (fresh.SlotsVisited() > 4 * whole.size() + 64) std::abort();

  if (complete) {
    Snapshot again;
    if (!DecodeSnapshot(EncodeSnapshot(whole), again) || again != whole) std::abort();
  }
  return 0;
}
