#include "detect/SnapshotFile.h"

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "core/Messages.h"
#include "platform/FileSystem.h"
#include "platform/LockedFile.h"

namespace talvenor {
namespace {

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

int SaveSnapshot(const std::string& path, const Snapshot& snapshot, UiPort& ui) {
  const std::string bytes = EncodeSnapshot(snapshot);
  return SaveSnapshotPieces(
      path, [&bytes](const platform::PiecePut& put) { return put(bytes); }, ui);
}

int SaveSnapshotPieces(const std::string& path, const std::function<bool(const platform::PiecePut& put)>& produce,
                       UiPort& ui) {
  if (!platform::ReplaceFileAtomically(path, produce)) {
    // Open refused or the disk filled up: either way the older file is still whole.
    ui.ShowMessage(msg::kCannotWriteFile);
    return 0;
  }
  return 1;
}

int DeleteSnapshotFile(const std::string& path) {
  platform::LockedFile file;
  // A file held by another program counts as in use, as it would on a system with sharing modes.
  if (!file.Open(path, platform::LockedFile::Mode::ReadExisting) && errno == EWOULDBLOCK) return 0;
  const bool removed = platform::RemoveFile(path);
  return removed ? 1 : 0;
}

}  // namespace talvenor
