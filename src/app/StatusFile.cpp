#include "app/StatusFile.h"

#include <cstdio>
#include <fstream>
#include <ostream>
#include <sstream>

#include "app/MonitorApp.h"
#include "platform/FileTime.h"
#include "platform/InstanceLock.h"
#include "platform/LockedFile.h"

namespace talvenor {
namespace {

std::optional<InstanceStatus> ReadStatusFile() {
  const std::string path = StatusFilePath();
  std::ifstream file(path, std::ios::binary);
  if (path.empty() || !file) return std::nullopt;
  std::ostringstream text;
  text << file.rdbuf();
  return InstanceStatus::Decode(text.str());
}

std::string Today() {
  const std::string stamp = platform::FormatStamp(platform::GetLocalTime());
  return stamp.substr(0, 4) + "-" + stamp.substr(4, 2) + "-" + stamp.substr(6, 2);
}

}  // namespace

std::string StatusFilePath() {
  // Beside the lock file a running copy holds (none where the lock is not a file).
  std::string path = platform::InstanceLock::PathOf(CMonitorApp::kMutexName);
  if (path.empty()) return {};
  const std::string lock = ".lock";
  if (path.size() > lock.size() && path.compare(path.size() - lock.size(), lock.size(), lock) == 0)
    path.erase(path.size() - lock.size());
  return path + ".status";
}

void WriteStatusFile(InstanceStatus status, const std::string& mode) {
  status.pid = platform::InstanceLock::ThisProcess();
  status.mode = mode;
  if (StatusFilePath().empty()) return;
  // Unchecked: a status that cannot be written costs `--status` its details, never a copy.
  platform::ReplaceFileAtomically(StatusFilePath(), status.Encode());
}

void RemoveStatusFile() {
  const auto status = ReadStatusFile();
  if (status && status->pid == platform::InstanceLock::ThisProcess()) std::remove(StatusFilePath().c_str());
}

RunningInstance FindRunningInstance() {
  RunningInstance running;
  running.pid = platform::InstanceLock::Holder(CMonitorApp::kMutexName);
  if (running.pid == 0) return running;
  // A file left by an instance that crashed, or written by another, says nothing of this one.
  auto status = ReadStatusFile();
  if (status && (running.pid < 0 || status->pid == running.pid)) {
    running.pid = status->pid;
    running.status = std::move(status);
  }
  return running;
}

std::string ModeWords(const RunningInstance& running) {
  if (!running.status) return "";
  if (running.status->mode == "window") return "in a window";
  if (running.status->mode == "headless") return "without a window";
  return "";
}

int PrintStatus(std::ostream& out) {
  const RunningInstance running = FindRunningInstance();
  if (running.pid == 0) {
    out << "Talvenor is not running for this user.\n";
    return 1;
  }
  out << "Talvenor is running for this user";
  const std::string mode = ModeWords(running);
  if (running.pid > 0) out << " (process " << running.pid << (mode.empty() ? "" : ", " + mode) << ")";
  out << ".\n";
  if (running.status) {
    out << running.status->Describe(Today());
  } else {
    out << "It has not told its state.\n";
  }
  return 0;
}

}  // namespace talvenor
