#include "CaptureRequest.h"

#include <cwchar>

#include "Command.h"
#include "Console.h"

namespace twtool {
namespace {

int UsageError(const std::wstring& message) {
  WriteError(L"twutil capture: " + message + L"\n(see \"twutil capture --help\")\n");
  return kExitUsage;
}

// A whole decimal number within [low, high].
bool ParseNumber(const std::wstring& text, long low, long high, long* value) {
  if (text.empty() || text.size() > 9) return false;
  long number = 0;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') return false;
    number = number * 10 + (c - L'0');
  }
  if (number < low || number > high) return false;
  *value = number;
  return true;
}

// Options that take a value, as "--name VALUE" or "--name=VALUE".
struct ValueOption {
  const wchar_t* name;
  const wchar_t* what;  // for the message when the value is missing
};

const ValueOption kValueOptions[] = {
    {L"--destination", L"a folder"}, {L"--format", L"json, reg or wxs"},
    {L"--output", L"a file"},        {L"--install-dir", L"a folder"},
    {L"--directory-id", L"an id"},   {L"--source-dir", L"a folder"},
    {L"--codepage", L"a number"},    {L"--timeout", L"seconds"},
};

// Applies one option with its value; a message when the value is wrong.
std::wstring Apply(const std::wstring& name, const std::wstring& value, CaptureRequest* request) {
  if (name == L"--destination") {
    request->destination = value;
  } else if (name == L"--format") {
    if (value == L"json")
      request->format = CaptureFormat::kJson;
    else if (value == L"reg")
      request->format = CaptureFormat::kReg;
    else if (value == L"wxs")
      request->format = CaptureFormat::kWxs;
    else
      return L"unknown format \"" + value + L"\" (json, reg or wxs)";
  } else if (name == L"--output") {
    request->output = value;
  } else if (name == L"--install-dir") {
    request->installDir = value;
  } else if (name == L"--directory-id") {
    request->directoryId = value;
  } else if (name == L"--source-dir") {
    request->sourceDir = value;
  } else if (name == L"--codepage") {
    long page = 0;
    if (!ParseNumber(value, 1, 65535, &page)) return L"--codepage needs a code page number";
    request->codePage = static_cast<unsigned>(page);
  } else if (name == L"--timeout") {
    if (!ParseNumber(value, 1, 86400, &request->timeoutSeconds))
      return L"--timeout needs whole seconds from 1 to 86400";
  }
  if (value.empty()) return name + L" needs a value";
  return std::wstring();
}

}  // namespace

bool ParseCaptureArguments(const std::vector<std::wstring>& arguments, CaptureRequest* request,
                           int* exitCode) {
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::wstring& argument = arguments[i];
    const ValueOption* option = nullptr;
    std::wstring value;
    bool inline_value = false;
    for (const ValueOption& candidate : kValueOptions) {
      size_t length = wcslen(candidate.name);
      if (argument == candidate.name) {
        option = &candidate;
      } else if (argument.compare(0, length + 1, std::wstring(candidate.name) + L"=") == 0) {
        option = &candidate;
        value = argument.substr(length + 1);
        inline_value = true;
      }
      if (option) break;
    }
    if (option) {
      if (!inline_value) {
        if (i + 1 >= arguments.size()) {
          *exitCode = UsageError(std::wstring(option->name) + L" needs " + option->what);
          return false;
        }
        value = arguments[++i];
      }
      std::wstring problem = Apply(option->name, value, request);
      if (!problem.empty()) {
        *exitCode = UsageError(problem);
        return false;
      }
    } else if (argument == L"--live") {
      request->live = true;
    } else if (argument == L"--repackage") {
      request->repackage = true;
    } else if (argument == L"--register") {
      request->registerFirst = true;
    } else if (argument == L"--unregister") {
      request->unregisterAfter = true;
    } else if (argument.size() > 1 && argument[0] == L'-' && argument[1] == L'-') {
      *exitCode = UsageError(L"unknown option " + argument);
      return false;
    } else {
      request->files.push_back(argument);
    }
  }
  if (request->files.empty()) {
    *exitCode = UsageError(L"no server file given");
    return false;
  }
  if ((request->registerFirst || request->unregisterAfter) && !request->live) {
    *exitCode = UsageError(L"--register and --unregister need --live");
    return false;
  }
  return true;
}

}  // namespace twtool
