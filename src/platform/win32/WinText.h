#pragma once
// The boundary between the engine's UTF-8 byte strings and the system's UTF-16: every name
// and path crosses here, so a name in any script (or one that is not valid text at all)
// comes back exactly as it went in.
#include <windows.h>

#include <string>
#include <string_view>

namespace talvenor::platform::win32 {

// UTF-8 to UTF-16. Bytes that are no valid UTF-8 but encode a lone surrogate (what Utf8 makes
// of a name that is no valid UTF-16) are decoded as such, so such a name can be opened again.
std::wstring Wide(std::string_view utf8);
// UTF-16 to UTF-8, lone surrogates kept (as three bytes each) rather than replaced.
std::string Utf8(std::wstring_view wide);

// The path for a wide file function: absolute, "\" between names, and with the "\\?\" prefix
// that lifts the 260-character limit. An empty path is the current folder.
std::wstring LongPath(const std::string& path);
// folder (any separator, with or without one at its end) and a name inside it.
std::wstring LongPathIn(const std::string& folder, const std::string& name);
// A path the system gave, without the prefix LongPath adds ("\\?\UNC\" back to "\\").
std::string FromLongPath(std::wstring_view path);

// errno for a system error code, so the engine tells failures apart as it does elsewhere.
int ErrnoFor(DWORD error);
// Sets errno from GetLastError(); returns false for the caller to return.
bool FailWithLastError();

// A kernel handle closed when it goes out of scope.
class Handle {
 public:
  Handle() = default;
  explicit Handle(HANDLE h) : m_h(h) {}
  ~Handle() { Close(); }
  Handle(Handle&& other) noexcept : m_h(other.Release()) {}
  Handle& operator=(Handle&& other) noexcept {
    if (this != &other) {
      Close();
      m_h = other.Release();
    }
    return *this;
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;

  bool Valid() const { return m_h != INVALID_HANDLE_VALUE && m_h != nullptr; }
  HANDLE Get() const { return m_h; }
  HANDLE Release() {
    HANDLE h = m_h;
    m_h = INVALID_HANDLE_VALUE;
    return h;
  }
  void Close() {
    if (Valid()) ::CloseHandle(Release());
  }

 private:
  HANDLE m_h = INVALID_HANDLE_VALUE;
};

// The CRT descriptor the platform headers hand out for an open handle (which it then owns),
// and the handle behind one; -1 and INVALID_HANDLE_VALUE on failure.
int DescriptorFor(HANDLE h);
HANDLE HandleOf(int descriptor);

}  // namespace talvenor::platform::win32
