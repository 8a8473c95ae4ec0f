#include "platform/FaultInjection.h"

#include <atomic>
#include <mutex>
#include <utility>

#include "platform/PathText.h"

namespace talvenor::platform {
namespace {

std::mutex g_mutex;
std::shared_ptr<const Faults> g_faults;
// Asked per piece of every copy: without faults the check costs one load, no lock.
std::atomic<bool> g_inForce{false};
std::atomic<std::int64_t> g_writeBudget{-1};

std::shared_ptr<const Faults> InForce() {
  if (!g_inForce.load(std::memory_order_acquire)) return nullptr;
  std::lock_guard lock(g_mutex);
  return g_faults;
}

std::string WithoutTrailingSeparator(const std::string& path) {
  return path.size() > 1 && (path.back() == '/' || path.back() == kSeparator) ? path.substr(0, path.size() - 1) : path;
}

}  // namespace

ScopedFaults::ScopedFaults(Faults faults) {
  auto installed = std::make_shared<const Faults>(std::move(faults));
  std::lock_guard lock(g_mutex);
  m_previous = std::exchange(g_faults, installed);
  m_previousWriteBudget = g_writeBudget.exchange(installed->writeFailsAfterBytes);
  g_inForce.store(true, std::memory_order_release);
}

ScopedFaults::~ScopedFaults() {
  std::lock_guard lock(g_mutex);
  g_faults = m_previous;
  g_writeBudget.store(m_previousWriteBudget);
  g_inForce.store(g_faults != nullptr, std::memory_order_release);
}

void Step(const char* name) {
  // Called outside the lock: a step may end the process or do file work of its own.
  if (const auto faults = InForce(); faults && faults->atStep) faults->atStep(name);
}

bool InjectedWriteFailure(std::size_t bytesAboutToWrite) {
  const std::int64_t left = g_writeBudget.load();
  if (left < 0) return false;
  if (static_cast<std::int64_t>(bytesAboutToWrite) > left) {
    g_writeBudget.store(0);
    return true;
  }
  g_writeBudget.store(left - static_cast<std::int64_t>(bytesAboutToWrite));
  return false;
}

int InjectedOpenError(const std::string& folder) {
  const auto faults = InForce();
  if (!faults || faults->unopenableFolder.empty()) return 0;
  return WithoutTrailingSeparator(folder) == WithoutTrailingSeparator(faults->unopenableFolder) ? faults->openError : 0;
}

bool InjectedSpace(const std::string& folder, std::optional<FolderSpace>& space) {
  const auto faults = InForce();
  if (!faults || !faults->space) return false;
  space = faults->space(folder);
  return true;
}

std::string InjectedSharedTemporaryFolder() {
  const auto faults = InForce();
  return faults ? faults->sharedTemporaryFolder : std::string();
}

}  // namespace talvenor::platform
