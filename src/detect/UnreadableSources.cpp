#include "detect/UnreadableSources.h"

#include <utility>

#include "platform/FileSystem.h"

namespace talvenor {

UnreadableSources::Key UnreadableSources::KeyOf(const CElement& record) {
  return {record.m_strFolder.str(), record.m_strName, record.m_dwSize, record.m_ftWrite};
}

bool UnreadableSources::PassOver(const CElement& record) {
  if (m_last.empty()) return false;
  Key key = KeyOf(record);
  if (!m_last.contains(key) || platform::CanReadFile(record.m_strFolder.str() + record.m_strName)) return false;
  m_current.insert(std::move(key));
  return true;
}

void UnreadableSources::Remember(const CElement& record) { m_current.insert(KeyOf(record)); }

void UnreadableSources::EndPass(const std::set<std::string>* listedFolders) {
  // A folder the pass did not list was not looked at: what it held stays as it was.
  if (listedFolders != nullptr) {
    for (const Key& key : m_last) {
      if (!listedFolders->contains(std::get<0>(key))) m_current.insert(key);
    }
  }
  m_last = std::move(m_current);
  m_current.clear();
}

}  // namespace talvenor
