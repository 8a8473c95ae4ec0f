#pragma once
// What a console program on Windows must set up before it reads its command line or prints.
#include <string>
#include <vector>

namespace talvenor::platform {

// The command line as UTF-8 words (the char** of main holds only what the ANSI code page can
// spell); the first word is the program's file name without its folder.
std::vector<std::string> ProgramArguments();

// The console shows UTF-8: names outside the code page print as they are.
void UseUtf8Console();

}  // namespace talvenor::platform
