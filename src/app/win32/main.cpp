// The Windows program: the terminal mode with the options it has on Linux, else the windows
// ("/S" starts monitoring at once).
#include <iostream>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/Headless.h"
#include "platform/Console.h"
#include "ui/win32/WindowedProgram.h"

int main() {
  talvenor::platform::UseUtf8Console();
  std::vector<std::string> words = talvenor::platform::ProgramArguments();
  std::vector<std::string> args(words.begin() + 1, words.end());
  talvenor::CommandLine command;
  std::string error;
  if (!talvenor::ParseCommandLine(args, command, error)) {
    std::cerr << "talvenor: " << error << "\n" << talvenor::UsageText();
    return talvenor::kExitUsage;
  }
  if (!command.Terminal()) return talvenor::win32::RunWindowed(words);
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  return talvenor::RunHeadless(static_cast<int>(words.size()), argv.data());
}
