// Reading the snapshot file: from bytes at hand, or from the file piece by piece.
#include <algorithm>
#include <cstring>
#include <functional>
#include <new>

#include "detect/SnapshotFile.h"
#include "platform/FileSystem.h"
#include "platform/LockedFile.h"

namespace talvenor {
namespace {

// The smallest record that can follow the first: class reference, two empty strings, size,
// time and an empty folder. No count may promise more records than the bytes at hand can hold.
constexpr std::size_t kSmallestRecordBytes = 2 + 1 + 1 + 4 + 8 + 1;
// Far longer than any name or folder path a scan can record; a longer string is damage, and a
// sparse file must not make one record cost gigabytes.
constexpr std::size_t kLongestString = std::size_t{1} << 20;
constexpr std::size_t kPieceBytes = std::size_t{1} << 20;

// Reads little-endian values from bytes that may arrive in pieces; every read checks what is
// left, and memory holds one piece, never the whole file.
class Reader {
 public:
  // more(piece) replaces piece with the next bytes of the input; false or nothing is its end.
  using More = std::function<bool(std::string& piece)>;

  explicit Reader(std::string_view bytes) : m_data(bytes.data()), m_left(bytes.size()), m_stored(bytes.size()) {}
  // stored: the bytes the input really holds, which bounds the records it can make.
  // more gives pieces of at most pieceBytes.
  Reader(std::int64_t stored, std::size_t pieceBytes, More more)
      : m_data(nullptr), m_left(0), m_stored(stored), m_more(std::move(more)) {
    m_buffer.reserve(2 * pieceBytes);
  }

  std::int64_t Stored() const { return m_stored; }

  bool U8(std::uint8_t& v) {
    if (!Have(1)) return false;
    v = static_cast<std::uint8_t>(*m_data);
    Advance(1);
    return true;
  }
  bool U16(std::uint16_t& v) {
    if (!Have(2)) return false;
    v = static_cast<std::uint16_t>(Byte(0) | (Byte(1) << 8));
    Advance(2);
    return true;
  }
  bool U32(std::uint32_t& v) {
    if (!Have(4)) return false;
    v = Byte(0) | (Byte(1) << 8) | (Byte(2) << 16) | (Byte(3) << 24);
    Advance(4);
    return true;
  }
  bool String(std::string& s) {
    std::size_t len = 0;
    if (!Length(len) || len > kLongestString) return false;
    if (m_left >= len) {
      s.assign(m_data, len);
      Advance(len);
      return true;
    }
    // Grown as the bytes arrive: a length is no promise that they exist.
    s.clear();
    for (;;) {
      const std::size_t take = std::min(len - s.size(), m_left);
      s.append(m_data, take);
      Advance(take);
      if (s.size() == len) return true;
      if (!Fill(1)) return false;
    }
  }
  // A counted string's length, in the forms the writer produces and no others.
  bool Length(std::size_t& len) {
    std::uint8_t b = 0;
    if (!U8(b)) return false;
    if (b < 0xFF) {
      len = b;
      return true;
    }
    std::uint16_t w = 0;
    if (!U16(w)) return false;
    if (w < 0xFFFE) {
      len = w;
      return true;
    }
    if (w != 0xFFFF) return false;  // 0xFFFE marks a wide string, which we never write
    std::uint32_t d = 0;
    if (!U32(d)) return false;
    len = d;
    return true;
  }

 private:
  bool Have(std::size_t n) { return m_left >= n || Fill(n); }
  // Keeps the unread bytes and adds pieces behind them until n bytes are at hand.
  bool Fill(std::size_t n) {
    if (!m_more) return false;
    m_buffer.erase(0, m_buffer.size() - m_left);
    while (m_buffer.size() < n) {
      if (!m_more(m_piece) || m_piece.empty()) break;
      m_buffer += m_piece;
    }
    m_data = m_buffer.data();
    m_left = m_buffer.size();
    return m_left >= n;
  }
  std::uint32_t Byte(int i) const { return static_cast<std::uint8_t>(m_data[i]); }
  void Advance(std::size_t n) {
    m_data += n;
    m_left -= n;
  }

  const char* m_data;
  std::size_t m_left;
  std::int64_t m_stored;
  More m_more;
  std::string m_buffer;
  std::string m_piece;
};

bool ReadClassTag(Reader& in, bool first) {
  std::uint16_t tag = 0;
  if (!in.U16(tag)) return false;
  if (!first) return tag == kFirstClassReference;
  if (tag != kNewClassTag) return false;
  std::uint16_t schema = 0;
  std::uint16_t nameLength = 0;
  std::uint8_t c = 0;
  if (!in.U16(schema) || schema != CElement::kSchema || !in.U16(nameLength) ||
      nameLength != std::strlen(CElement::kClassName))
    return false;
  for (std::size_t i = 0; i < nameLength; ++i) {
    if (!in.U8(c) || c != static_cast<std::uint8_t>(CElement::kClassName[i])) return false;
  }
  return true;
}

bool Decode(Reader& in, Snapshot& snapshot) {
  snapshot.clear();
  std::uint16_t shortCount = 0;
  if (!in.U16(shortCount)) return false;
  std::uint32_t count = shortCount;
  if (shortCount == kLongCount && !in.U32(count)) return false;
  // Room for no more records than the bytes really there can make: the count is no promise,
  // nor is the size of a sparse file. Should even that be too much, the array grows as the
  // records come.
  try {
    snapshot.reserve(std::min<std::uint64_t>(count, std::max<std::int64_t>(in.Stored(), 0) / kSmallestRecordBytes));
  } catch (const std::bad_alloc&) {
  }

  std::string folder;
  for (std::uint32_t i = 0; i < count; ++i) {
    CElement e;
    std::uint32_t size = 0, low = 0, high = 0;
    if (!ReadClassTag(in, i == 0) || !in.String(e.m_strStamp) || !in.String(e.m_strName) || !in.U32(size) ||
        !in.U32(low) || !in.U32(high) || !in.String(folder))
      return false;
    e.m_dwSize = size;
    e.m_ftWrite = (static_cast<platform::FileTime>(high) << 32) | low;
    // Records of one folder come together; they share its text.
    if (!snapshot.empty() && snapshot.back().m_strFolder.str() == folder)
      e.m_strFolder = snapshot.back().m_strFolder;
    else
      e.m_strFolder = SharedFolder(folder);
    snapshot.push_back(std::move(e));
  }
  return true;  // bytes after the last announced record are not looked at
}

}  // namespace

bool DecodeSnapshot(std::string_view bytes, Snapshot& snapshot) {
  Reader in(bytes);
  return Decode(in, snapshot);
}

bool DecodeSnapshotInPieces(std::string_view bytes, std::size_t pieceBytes, Snapshot& snapshot) {
  Reader in(static_cast<std::int64_t>(bytes.size()), pieceBytes, [&bytes, pieceBytes](std::string& piece) {
    piece.assign(bytes.substr(0, pieceBytes));
    bytes.remove_prefix(piece.size());
    return true;
  });
  return Decode(in, snapshot);
}

int LoadSnapshot(const std::string& path, Snapshot& snapshot) {
  platform::LockedFile file;
  if (!file.Open(path, platform::LockedFile::Mode::ReadExisting)) return 0;
  // Read, not mapped: a file cut short while it is read (cp over it) is then a damaged file
  // instead of a fault, and a huge or sparse one costs only the pieces its records take.
  std::int64_t offset = 0;
  Reader in(file.StoredBytes(), kPieceBytes, [&file, &offset](std::string& piece) {
    if (!platform::ReadAt(file.Descriptor(), offset, kPieceBytes, piece)) return false;
    offset += static_cast<std::int64_t>(piece.size());
    return true;
  });
  Snapshot loaded;
  const bool whole = Decode(in, loaded);
  snapshot = std::move(loaded);
  return whole ? 1 : 0;
}

}  // namespace talvenor
