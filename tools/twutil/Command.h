// One command of the twutil console program. Each command lives in a file of
// its own and is listed once in main.cpp's table.
#pragma once

#include <string>
#include <vector>

namespace twtool {

// Exit codes shared by the commands.
constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
// A command did its work, but some of the files it was given did not take part.
constexpr int kExitNotRegistered = 3;

struct Command {
  const wchar_t* name;
  const wchar_t* synopsis;  // the arguments, as the help shows them
  const wchar_t* summary;   // one line
  const wchar_t* details;   // further help text, may be empty
  // Runs with the arguments that follow the command's name.
  int (*run)(const std::vector<std::wstring>& arguments);
};

extern const Command kCaptureCommand;
extern const Command kStampCommand;
extern const Command kCopyIconCommand;
extern const Command kSignCommand;

}  // namespace twtool
