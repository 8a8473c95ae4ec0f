// The test folders on Windows: the same helpers as on Linux, through the wide functions so
// that names in any script arrive intact.
#include "support/TempDir.h"

#include <windows.h>

#include <random>
#include <stdexcept>

#include "platform/win32/WinText.h"

namespace talvenor::test {
namespace {

using platform::win32::LongPath;
using platform::win32::Wide;

// Removes everything below path as itself: a junction or link is removed, never followed.
void RemoveTree(const std::wstring& path) {
  WIN32_FIND_DATAW data{};
  const HANDLE search = ::FindFirstFileW((path + L"\\*").c_str(), &data);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring child = path + L"\\" + name;
      ::SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
      const DWORD a = data.dwFileAttributes;
      if ((a & FILE_ATTRIBUTE_DIRECTORY) && !(a & FILE_ATTRIBUTE_REPARSE_POINT)) {
        RemoveTree(child);
      } else if (a & FILE_ATTRIBUTE_DIRECTORY) {
        ::RemoveDirectoryW(child.c_str());
      } else {
        ::DeleteFileW(child.c_str());
      }
    } while (::FindNextFileW(search, &data));
    ::FindClose(search);
  }
  ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  ::RemoveDirectoryW(path.c_str());
}

void MakeFolders(const std::string& path) {
  const std::wstring full = LongPath(path);
  for (std::size_t end = full.find(L'\\', 7);; end = full.find(L'\\', end + 1)) {
    ::CreateDirectoryW(full.substr(0, end).c_str(), nullptr);
    if (end == std::wstring::npos) break;
  }
}

std::string SystemTemp() {
  wchar_t base[MAX_PATH + 1];
  const DWORD n = ::GetTempPathW(MAX_PATH + 1, base);
  if (n == 0) throw std::runtime_error("no temporary folder");
  std::wstring root(base, n);
  if (root.back() == L'\\') root.pop_back();
  return platform::win32::Utf8(root);
}

std::string MakeTestFolder(const std::string& parent) {
  std::random_device random;
  for (int tries = 0; tries < 100; ++tries) {
    const std::string path = parent + "\\talvenor-test-" + std::to_string(random() % 1000000000);
    if (::CreateDirectoryW(LongPath(path).c_str(), nullptr)) return path;
  }
  throw std::runtime_error("no test folder could be made");
}

}  // namespace

TempDir::TempDir() : m_path(MakeTestFolder(SystemTemp())) {}

TempDir::TempDir(const std::string& parent) : m_path(MakeTestFolder(parent)) {}

TempDir::~TempDir() {
  if (!m_path.empty()) RemoveTree(LongPath(m_path));
}

std::string TempDir::Write(const std::string& relative, const std::string& contents) const {
  const std::string path = m_path + "/" + relative;
  MakeFolders(path.substr(0, path.find_last_of("/\\")));
  const HANDLE h = ::CreateFileW(LongPath(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                 CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot write " + path);
  DWORD put = 0;
  ::WriteFile(h, contents.data(), static_cast<DWORD>(contents.size()), &put, nullptr);
  ::CloseHandle(h);
  return path;
}

std::string TempDir::MakeFolder(const std::string& relative) const {
  const std::string path = m_path + "/" + relative;
  MakeFolders(path);
  return path;
}

std::string ReadFile(const std::string& path) {
  const HANDLE h =
      ::CreateFileW(LongPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return {};
  std::string out;
  char buf[65536];
  DWORD got = 0;
  while (::ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0) out.append(buf, got);
  ::CloseHandle(h);
  return out;
}

void SetWriteTime(const std::string& path, long long unixSeconds) {
  const HANDLE h = ::CreateFileW(LongPath(path).c_str(), FILE_WRITE_ATTRIBUTES,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return;
  const unsigned long long ticks = (static_cast<unsigned long long>(unixSeconds) + 11644473600ULL) * 10000000ULL;
  FILETIME ft{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
  ::SetFileTime(h, nullptr, nullptr, &ft);
  ::CloseHandle(h);
}

}  // namespace talvenor::test
