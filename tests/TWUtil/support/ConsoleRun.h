// Runs a console program of the build and collects what it prints.
#pragma once

#include <windows.h>

#include <string>

#include "com/Owners.h"

namespace twtest {

struct ConsoleResult {
  unsigned long exitCode = 0xFFFFFFFF;
  std::string out;  // stdout, with "\r\n" read as "\n"
  std::string err;  // stderr, likewise
};

// commandLine names the program first; it is waited for without a limit.
ConsoleResult RunConsole(const std::wstring& commandLine);

// The same program started at once, for tests that run several side by side.
class ConsoleRun {
 public:
  explicit ConsoleRun(const std::wstring& commandLine);
  ConsoleRun(ConsoleRun&&) = default;
  ~ConsoleRun();
  std::string Err() const;  // what it printed to stderr so far
  ConsoleResult Finish();

 private:
  twutil::Handle process_;
  std::wstring names_[2];
  unsigned long startError_ = 0;
};

}  // namespace twtest
