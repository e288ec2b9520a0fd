// twutil: the console front door to the library. "twutil COMMAND ARGS...";
// "twutil --help" lists the commands, "twutil COMMAND --help" explains one.
#include <windows.h>
// shellapi.h builds on windows.h.
#include <shellapi.h>

#include <string>
#include <vector>

#include "Command.h"
#include "Console.h"

namespace twtool {
namespace {

const Command* const kCommands[] = {
    &kCaptureCommand,
    &kStampCommand,
    &kCopyIconCommand,
    &kSignCommand,
};

bool IsHelp(const std::wstring& argument) {
  return argument == L"--help" || argument == L"-h" || argument == L"/?" || argument == L"help";
}

void ShowUsage() {
  std::wstring text = L"usage: twutil COMMAND [ARGS...]\n\ncommands:\n";
  for (const Command* command : kCommands)
    text += std::wstring(L"  ") + command->name + L" " + command->synopsis + L"\n      " +
            command->summary + L"\n";
  text += L"\n\"twutil COMMAND --help\" tells more about one command.\n";
  WriteError(text);
}

void ShowCommandHelp(const Command& command) {
  WriteError(std::wstring(L"usage: twutil ") + command.name + L" " + command.synopsis + L"\n\n" +
             command.summary + L"\n" + command.details);
}

std::vector<std::wstring> CommandLineArguments() {
  std::vector<std::wstring> arguments;
  int count = 0;
  wchar_t** list = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!list) return arguments;
  for (int i = 1; i < count; ++i) arguments.emplace_back(list[i]);
  LocalFree(list);
  return arguments;
}

int Run(const std::vector<std::wstring>& arguments) {
  if (arguments.empty()) {
    ShowUsage();
    return kExitUsage;
  }
  if (IsHelp(arguments[0])) {
    ShowUsage();
    return kExitSuccess;
  }
  for (const Command* command : kCommands) {
    if (arguments[0] != command->name) continue;
    std::vector<std::wstring> rest(arguments.begin() + 1, arguments.end());
    for (const std::wstring& argument : rest) {
      if (IsHelp(argument)) {
        ShowCommandHelp(*command);
        return kExitSuccess;
      }
    }
    return command->run(rest);
  }
  WriteError(L"twutil: unknown command \"" + arguments[0] + L"\"\n");
  ShowUsage();
  return kExitUsage;
}

}  // namespace
}  // namespace twtool

int main() { return twtool::Run(twtool::CommandLineArguments()); }
