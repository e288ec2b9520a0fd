// Runs a console program of the build and collects what it prints.
#pragma once

#include <string>

namespace twtest {

struct ConsoleResult {
  unsigned long exitCode = 0xFFFFFFFF;
  std::string out;  // stdout, with "\r\n" read as "\n"
  std::string err;  // stderr, likewise
};

// commandLine names the program first; it is waited for without a limit.
ConsoleResult RunConsole(const std::wstring& commandLine);

}  // namespace twtest
