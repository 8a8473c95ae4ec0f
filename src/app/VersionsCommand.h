#pragma once
// `talvenor --versions PATH`: the copies of one file, for a script or a terminal.
#include <string>

#include "app/CommandLine.h"
#include "app/TextMark.h"
#include "core/Settings.h"

namespace talvenor {

// What the command and the window say when they find nothing. %1: the file; the backup folder.
inline constexpr const char* kNoCopiesText = QT_TRANSLATE_NOOP("talvenor", "%1 のコピーはありません");
inline constexpr const char* kBackupUnreadableText = QT_TRANSLATE_NOOP("talvenor", "バックアップ先%1を読めません");

// Prints one line per copy, newest first: the local time of its pass, its size and its path,
// separated by tabs. Status 0 when a copy was found, 1 (with a line on standard error) when
// none was. settings: as saved; --backup replaces DIR2. Nothing is written anywhere.
int RunVersions(const CommandLine& command, const Settings& settings);

}  // namespace talvenor
