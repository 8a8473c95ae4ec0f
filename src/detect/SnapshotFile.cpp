#include "detect/SnapshotFile.h"

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "core/Messages.h"
#include "platform/FileSystem.h"
#include "platform/LockedFile.h"

namespace talvenor {
namespace {

constexpr std::uint16_t kNewClassTag = 0xFFFF;
constexpr std::uint16_t kFirstClassReference = 0x8001;
constexpr std::uint32_t kLongCount = 0xFFFF;
// The smallest record that can follow the first: class reference, two empty strings, size,
// time and an empty folder. No count may promise more records than the bytes left can hold.
constexpr std::size_t kSmallestRecordBytes = 2 + 1 + 1 + 4 + 8 + 1;

// Writes into a buffer sized beforehand: a million records must not pay for growth.
class Writer {
 public:
  explicit Writer(std::string& out) : m_p(out.data()) {}
  void U16(std::uint16_t v) {
    *m_p++ = static_cast<char>(v & 0xFF);
    *m_p++ = static_cast<char>(v >> 8);
  }
  void U32(std::uint32_t v) {
    for (int i = 0; i < 4; ++i) *m_p++ = static_cast<char>((v >> (8 * i)) & 0xFF);
  }
  void Raw(const char* data, std::size_t n) {
    std::memcpy(m_p, data, n);
    m_p += n;
  }
  void String(const std::string& s) {
    const std::size_t len = s.size();
    if (len < 0xFF) {
      *m_p++ = static_cast<char>(len);
    } else if (len < 0xFFFE) {
      *m_p++ = static_cast<char>(0xFF);
      U16(static_cast<std::uint16_t>(len));
    } else {
      *m_p++ = static_cast<char>(0xFF);
      U16(0xFFFF);
      U32(static_cast<std::uint32_t>(len));
    }
    Raw(s.data(), len);
  }
  static std::size_t StringBytes(const std::string& s) {
    return s.size() + (s.size() < 0xFF ? 1 : s.size() < 0xFFFE ? 3 : 7);
  }

 private:
  char* m_p;
};

// Reads little-endian values from a byte string; every read checks what is left.
class Reader {
 public:
  explicit Reader(std::string_view bytes) : m_data(bytes.data()), m_left(bytes.size()) {}

  std::size_t Left() const { return m_left; }

  bool U8(std::uint8_t& v) {
    if (m_left < 1) return false;
    v = static_cast<std::uint8_t>(*m_data);
    Advance(1);
    return true;
  }
  bool U16(std::uint16_t& v) {
    if (m_left < 2) return false;
    v = static_cast<std::uint16_t>(Byte(0) | (Byte(1) << 8));
    Advance(2);
    return true;
  }
  bool U32(std::uint32_t& v) {
    if (m_left < 4) return false;
    v = Byte(0) | (Byte(1) << 8) | (Byte(2) << 16) | (Byte(3) << 24);
    Advance(4);
    return true;
  }
  bool Bytes(std::size_t n, const char*& p) {
    if (m_left < n) return false;
    p = m_data;
    Advance(n);
    return true;
  }
  bool String(std::string& s) {
    std::size_t len = 0;
    if (!Length(len)) return false;
    const char* p = nullptr;
    if (!Bytes(len, p)) return false;
    s.assign(p, len);
    return true;
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
  std::uint32_t Byte(int i) const { return static_cast<std::uint8_t>(m_data[i]); }
  void Advance(std::size_t n) {
    m_data += n;
    m_left -= n;
  }
  const char* m_data;
  std::size_t m_left;
};

bool ReadClassTag(Reader& in, bool first) {
  std::uint16_t tag = 0;
  if (!in.U16(tag)) return false;
  if (!first) return tag == kFirstClassReference;
  if (tag != kNewClassTag) return false;
  std::uint16_t schema = 0;
  std::uint16_t nameLength = 0;
  const char* name = nullptr;
  if (!in.U16(schema) || schema != CElement::kSchema || !in.U16(nameLength) || !in.Bytes(nameLength, name))
    return false;
  return nameLength == std::strlen(CElement::kClassName) && std::memcmp(name, CElement::kClassName, nameLength) == 0;
}

}  // namespace

std::string EncodeSnapshot(const Snapshot& snapshot) {
  const std::size_t n = snapshot.size();
  const std::size_t nameLength = std::strlen(CElement::kClassName);
  std::size_t total = n < kLongCount ? 2 : 6;
  for (const CElement& e : snapshot)
    total += 2 + Writer::StringBytes(e.m_strStamp) + Writer::StringBytes(e.m_strName) + 12 +
             Writer::StringBytes(e.m_strFolder.str());
  if (n > 0) total += 4 + nameLength;

  std::string out(total, '\0');
  Writer w(out);
  if (n < kLongCount) {
    w.U16(static_cast<std::uint16_t>(n));
  } else {
    w.U16(kLongCount);
    w.U32(static_cast<std::uint32_t>(n));
  }
  bool first = true;
  for (const CElement& e : snapshot) {
    if (first) {
      w.U16(kNewClassTag);
      w.U16(CElement::kSchema);
      w.U16(static_cast<std::uint16_t>(nameLength));
      w.Raw(CElement::kClassName, nameLength);
      first = false;
    } else {
      w.U16(kFirstClassReference);
    }
    w.String(e.m_strStamp);
    w.String(e.m_strName);
    w.U32(e.m_dwSize);
    w.U32(static_cast<std::uint32_t>(e.m_ftWrite & 0xFFFFFFFFu));
    w.U32(static_cast<std::uint32_t>(e.m_ftWrite >> 32));
    w.String(e.m_strFolder.str());
  }
  return out;
}

bool DecodeSnapshot(std::string_view bytes, Snapshot& snapshot) {
  snapshot.clear();
  Reader in(bytes);
  std::uint16_t shortCount = 0;
  if (!in.U16(shortCount)) return false;
  std::uint32_t count = shortCount;
  if (shortCount == kLongCount && !in.U32(count)) return false;
  snapshot.reserve(std::min<std::size_t>(count, in.Left() / kSmallestRecordBytes));

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

int SaveSnapshot(const std::string& path, const Snapshot& snapshot, UiPort& ui) {
  if (!platform::ReplaceFileAtomically(path, EncodeSnapshot(snapshot))) {
    // Open refused or the disk filled up: either way the older file is still whole.
    ui.ShowMessage(msg::kCannotWriteFile);
    return 0;
  }
  return 1;
}

int LoadSnapshot(const std::string& path, Snapshot& snapshot) {
  platform::LockedFile file;
  if (!file.Open(path, platform::LockedFile::Mode::ReadExisting)) return 0;
  // Mapped, not read: the file's size is no promise either, and a huge or sparse file must
  // cost only the bytes the records really take.
  platform::FileMapping mapping;
  const bool mapped = mapping.Map(file);
  Snapshot loaded;
  const bool whole = mapped && DecodeSnapshot(mapping.View(), loaded);
  snapshot = std::move(loaded);
  return whole ? 1 : 0;
}

int DeleteSnapshotFile(const std::string& path) {
  platform::LockedFile file;
  // A file held by another program counts as in use, as it would on a system with sharing modes.
  if (!file.Open(path, platform::LockedFile::Mode::ReadExisting) && errno == EWOULDBLOCK) return 0;
  const bool removed = platform::RemoveFile(path);
  return removed ? 1 : 0;
}

}  // namespace talvenor
