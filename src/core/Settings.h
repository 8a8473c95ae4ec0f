#pragma once
// The persistent choices, held in memory between the load at start and the write at Quit.
#include <string>

#include "platform/PathText.h"

namespace talvenor {

struct Settings {
  std::string DIR1 = platform::kDefaultFolder;   // watched folder
  std::string DIR2 = platform::kDefaultFolder;   // backup folder
  int LEFT = 0, TOP = 0, RIGHT = 0, BOTTOM = 0;  // main window; RIGHT 0: never saved
  int LEVEL = 1;                                 // seconds between ticks
  int LOGSZ = 100;                               // change log limit in KiB
  int BAKSZ = 100;                               // generation folders kept
  int FIRST = 0;                                 // 0: baseline at Start; otherwise back up against the saved snapshot
  int COLUMNX1 = 0, COLUMNX2 = 0, COLUMNX3 = 0;  // list column widths; COLUMNX1 0: never saved
};

}  // namespace talvenor
