#include "detect/SnapshotTree.h"

#include <cstring>

#include "platform/DirReader.h"
#include "platform/FileTime.h"
#include "platform/PathText.h"

namespace talvenor {
namespace {

void PutU16(std::string& out, std::uint16_t v) {
  out.push_back(static_cast<char>(v & 0xFF));
  out.push_back(static_cast<char>(v >> 8));
}

void PutU32(std::string& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

// A counted string in the archive's three length forms.
void PutString(std::string& out, std::string_view s) {
  if (s.size() < 0xFF) {
    out.push_back(static_cast<char>(s.size()));
  } else if (s.size() < 0xFFFE) {
    out.push_back(static_cast<char>(0xFF));
    PutU16(out, static_cast<std::uint16_t>(s.size()));
  } else {
    out.push_back(static_cast<char>(0xFF));
    PutU16(out, 0xFFFF);
    PutU32(out, static_cast<std::uint32_t>(s.size()));
  }
  out.append(s);
}

}  // namespace

std::string_view FolderNode::Name() const {
  std::string_view p = path.str();
  if (!p.empty() && p.back() == platform::kSeparator) p.remove_suffix(1);
  const auto slash = p.rfind(platform::kSeparator);
  return slash == std::string_view::npos ? p : p.substr(slash + 1);
}

FolderNode* FolderNode::FindChild(std::string_view name) const {
  for (const Child& child : children) {
    if (child.node->Name() == name) return child.node.get();
  }
  return nullptr;
}

FolderNode* FolderNode::Find(std::string_view target) {
  const std::string& own = path.str();
  if (target.size() < own.size() || target.compare(0, own.size(), own) != 0) return nullptr;
  FolderNode* node = this;
  std::string_view rest = target.substr(own.size());
  while (!rest.empty() && node != nullptr) {
    const auto slash = rest.find(platform::kSeparator);
    if (slash == std::string_view::npos) return nullptr;  // folder paths end in a separator
    node = node->FindChild(rest.substr(0, slash));
    rest.remove_prefix(slash + 1);
  }
  return node;
}

bool EndsScan(int code) {
  switch (code) {
    case platform::kSearchOk:
    case platform::kSearchNotFound:
    case platform::kSearchAccessDenied:
    case platform::kSearchNotReady:
    case platform::kSearchPathTooLong:
      return false;
    default:
      return true;
  }
}

CElement ToElement(const FolderNode& folder, const FileRecord& file) {
  CElement e;
  e.m_strStamp = platform::FormatStamp(platform::FileTimeToSystemTime(file.write));
  e.m_strName = file.name;
  e.m_dwSize = file.size;
  e.m_ftWrite = file.write;
  e.m_strFolder = folder.path;
  return e;
}

void AppendRecords(const FolderNode& root, Snapshot& out) {
  VisitInScanOrder(
      root, [](const FolderNode&) {},
      [&out](const FolderNode& folder, const FileRecord& file) { out.push_back(ToElement(folder, file)); });
}

bool EncodeTree(const FolderNode& root, const std::function<bool(std::string_view)>& put) {
  constexpr std::size_t kPiece = 1 << 20;
  std::size_t count = 0;
  VisitInScanOrder(
      root, [](const FolderNode&) {}, [&count](const FolderNode&, const FileRecord&) { ++count; });
  std::string out;
  out.reserve(kPiece + 64 * 1024);
  if (count < 0xFFFF) {
    PutU16(out, static_cast<std::uint16_t>(count));
  } else {
    PutU16(out, 0xFFFF);
    PutU32(out, static_cast<std::uint32_t>(count));
  }
  bool first = true;
  bool ok = true;
  VisitInScanOrder(
      root, [](const FolderNode&) {},
      [&](const FolderNode& folder, const FileRecord& file) {
        if (first) {
          PutU16(out, 0xFFFF);  // a new class: schema, name length, name
          PutU16(out, CElement::kSchema);
          PutU16(out, static_cast<std::uint16_t>(std::strlen(CElement::kClassName)));
          out.append(CElement::kClassName);
          first = false;
        } else {
          PutU16(out, 0x8001);  // the class described first
        }
        PutString(out, platform::FormatStamp(platform::FileTimeToSystemTime(file.write)));
        PutString(out, file.name);
        PutU32(out, file.size);
        PutU32(out, static_cast<std::uint32_t>(file.write & 0xFFFFFFFFu));
        PutU32(out, static_cast<std::uint32_t>(file.write >> 32));
        PutString(out, folder.path.str());
        if (out.size() >= kPiece && ok) {
          ok = put(out);
          out.clear();
        }
      });
  return ok && put(out);
}

std::string EncodeTree(const FolderNode& root) {
  std::string bytes;
  EncodeTree(root, [&bytes](std::string_view piece) {
    bytes.append(piece);
    return true;
  });
  return bytes;
}

}  // namespace talvenor
