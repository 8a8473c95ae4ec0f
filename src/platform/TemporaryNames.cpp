#include "platform/TemporaryNames.h"

#include <random>

#include "platform/FileCopy.h"
#include "platform/LockedFile.h"

namespace talvenor::platform {
namespace {

constexpr std::string_view kCopyPrefix = ".talvenor-copy-";
// What mkostemp puts in place of its XXXXXX, whatever the locale.
constexpr std::string_view kLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr std::size_t kRandomLength = 6;

bool IsPrefixAndLetters(std::string_view name, std::string_view prefix) {
  return name.size() == prefix.size() + kRandomLength && name.starts_with(prefix) &&
         name.find_first_not_of(kLetters, prefix.size()) == std::string_view::npos;
}

}  // namespace

std::string RandomLetters(std::size_t count) {
  thread_local std::mt19937_64 random{std::random_device{}()};
  std::string out;
  while (out.size() < count) out += kLetters[random() % kLetters.size()];
  return out;
}

std::string NewCopyTemporaryName() { return std::string(kCopyPrefix) + RandomLetters(kRandomLength); }

bool IsCopyTemporaryName(const std::string& name) { return IsPrefixAndLetters(name, kCopyPrefix); }

bool IsReplacementTemporaryName(std::string_view name, std::string_view base) {
  return name.starts_with(base) && IsPrefixAndLetters(name.substr(base.size()), kReplacementMarker);
}

}  // namespace talvenor::platform
