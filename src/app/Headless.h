#pragma once
// The headless mode: the engine behind a terminal instead of windows.
namespace talvenor {

// Exit statuses of the terminal program.
enum HeadlessStatus : int {
  kExitDone = 0,
  kExitLogUnusable = 1,  // the change log could be neither opened nor created
  kExitNoVersions = 1,   // --versions found no copy, or no backup folder to look in
  kExitUsage = 2,
  kExitStartRefused = 3,
  kExitOtherInstance = 4,
};

// Runs `talvenor --headless [--once] [--watch DIR] [--backup DIR]`, `--versions`, `--help` or `--version`
// and returns the exit status. main() hands over when the command line asks for the terminal.
int RunHeadless(int argc, char** argv);

}  // namespace talvenor
