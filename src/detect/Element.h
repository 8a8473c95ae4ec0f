#pragma once
// The record of one file in a snapshot.
#include <cstdint>
#include <memory>
#include <string>

#include "platform/FileTime.h"

namespace talvenor {

// A folder path shared by every record of that folder: a snapshot of a million files holds
// each folder's text once.
class SharedFolder {
 public:
  SharedFolder() = default;
  explicit SharedFolder(std::string path) : m_path(std::make_shared<const std::string>(std::move(path))) {}
  const std::string& str() const { return m_path ? *m_path : Empty(); }
  operator const std::string&() const { return str(); }  // NOLINT: reads like the string it is
  bool SameObject(const SharedFolder& other) const { return m_path == other.m_path; }

 private:
  static const std::string& Empty();
  std::shared_ptr<const std::string> m_path;
};

class CElement {
 public:
  static constexpr const char* kClassName = "CElement";
  static constexpr std::uint16_t kSchema = 0;

  std::string m_strStamp;            // local last-write time, 14 digits
  std::string m_strName;             // file name without folder
  std::uint32_t m_dwSize = 0;        // low 32 bits of the size
  platform::FileTime m_ftWrite = 0;  // local FILETIME
  SharedFolder m_strFolder;          // folder path ending in "/"

  bool operator==(const CElement& other) const {
    return m_strStamp == other.m_strStamp && m_strName == other.m_strName && m_dwSize == other.m_dwSize &&
           m_ftWrite == other.m_ftWrite && m_strFolder.str() == other.m_strFolder.str();
  }
};

}  // namespace talvenor
