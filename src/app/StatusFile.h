#pragma once
// The running instance's status, in a small file beside the instance lock
// ($XDG_RUNTIME_DIR/TALVENOR.status): written by the instance after every change, removed when
// it ends, and trusted only while the process named in it holds the lock.
#include <iosfwd>
#include <optional>
#include <string>

#include "core/InstanceStatus.h"

namespace talvenor {

std::string StatusFilePath();

// Replaces the file atomically with status, given this process's id and mode.
void WriteStatusFile(InstanceStatus status, const std::string& mode);
// Removes the file if it is this process's.
void RemoveStatusFile();

// The instance that runs for this user: 0 when none does; its status when it told one.
struct RunningInstance {
  long pid = 0;  // -1: one runs, but it cannot be named
  std::optional<InstanceStatus> status;
};
RunningInstance FindRunningInstance();

// `talvenor --status`: what the running instance tells, or that none runs. 0 when one runs.
int PrintStatus(std::ostream& out);

// "in a window" or "without a window", when the instance said which.
std::string ModeWords(const RunningInstance& running);

}  // namespace talvenor
