#pragma once
// A real overflow of the kernel's event queue, the one fault of the watcher that a test can
// only cause by brute force.
#include <cstdio>
#include <fstream>
#include <string>

namespace talvenor::test {

// Makes and removes more files in folder than the queue holds events (each gives at least two)
// while no one reads it: the kernel drops the rest for one overflow event.
inline void OverflowQueue(const std::string& folder) {
  int limit = 16384;
  std::ifstream("/proc/sys/fs/inotify/max_queued_events") >> limit;
  for (int i = 0; i <= limit / 2; ++i) {
    const std::string name = folder + "/burst" + std::to_string(i);
    if (std::FILE* f = std::fopen(name.c_str(), "w")) std::fclose(f);
    std::remove(name.c_str());
  }
}

}  // namespace talvenor::test
