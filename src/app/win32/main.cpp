// The console program on Windows: the terminal mode with the options it has on Linux. The
// windows are not built here yet, so a command line that asks for them is told how to run.
#include <iostream>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/Headless.h"
#include "platform/Console.h"

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
  if (!command.Terminal()) {
    std::cerr << talvenor::UsageText();
    return talvenor::kExitUsage;
  }
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  return talvenor::RunHeadless(static_cast<int>(words.size()), argv.data());
}
