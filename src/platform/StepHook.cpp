#include "platform/StepHook.h"

#include <functional>
#include <mutex>
#include <string>

#include "platform/FileCopy.h"

namespace talvenor::platform {
namespace {

std::mutex g_hookMutex;
std::function<void(const std::string&)> g_stepHook;

}  // namespace

void SetCopyStepHookForTest(std::function<void(const std::string& step)> hook) {
  std::lock_guard lock(g_hookMutex);
  g_stepHook = std::move(hook);
}

void Step(const char* name) {
  std::function<void(const std::string&)> hook;
  {
    std::lock_guard lock(g_hookMutex);
    hook = g_stepHook;
  }
  if (hook) hook(name);
}

}  // namespace talvenor::platform
