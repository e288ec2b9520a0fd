// twutil stamp: rewrites the version strings and the translation language of
// an executable in place. The stamping diagnostics go to stdout, errors with
// "error: " and warnings with "warning: ", as the library writes them.
#include <windows.h>

#include <cerrno>
#include <cstdint>
#include <cwchar>
#include <string>
#include <vector>

#include "CodePage.h"
#include "Command.h"
#include "Console.h"
#include "peres/StampDiagnostics.h"
#include "peres/VersionStamper.h"

namespace twtool {
namespace {

// The library's own output, remembering whether an error was among it.
class CountingSink : public twutil::StampSink {
 public:
  void Emit(int level, const char* text) override {
    if (level == twutil::kStampError) failed = true;
    stdout_.Emit(level, text);
  }
  bool failed = false;

 private:
  twutil::StdoutStampSink stdout_;
};

int UsageError(const std::wstring& message) {
  WriteError(L"twutil stamp: " + message + L"\n(see \"twutil stamp --help\")\n");
  return kExitUsage;
}

// A language identifier: decimal or 0x-prefixed hexadecimal, 32 bits.
bool ParseLanguage(const std::wstring& text, uint32_t* language) {
  if (text.empty() || text[0] == L'-') return false;
  wchar_t* end = nullptr;
  errno = 0;
  unsigned long long value = std::wcstoull(text.c_str(), &end, 0);
  if (errno || *end != L'\0' || value > 0xFFFFFFFFull) return false;
  *language = static_cast<uint32_t>(value);
  return true;
}

struct Option {
  const wchar_t* name;
  std::wstring twutil::StampRequest::*field;
};

const Option kOptions[] = {
    {L"--company", &twutil::StampRequest::companyName},
    {L"--product", &twutil::StampRequest::productName},
    {L"--version", &twutil::StampRequest::productAndFileVersion},
    {L"--description", &twutil::StampRequest::description},
    {L"--copyright", &twutil::StampRequest::copyright},
};

int RunStamp(const std::vector<std::wstring>& arguments) {
  twutil::StampRequest request;
  std::wstring file;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::wstring& argument = arguments[i];
    if (argument.rfind(L"--", 0) != 0) {
      if (!file.empty()) return UsageError(L"more than one file given");
      file = argument;
      continue;
    }
    if (i + 1 >= arguments.size()) return UsageError(argument + L" needs a value");
    const std::wstring& value = arguments[++i];
    bool known = false;
    for (const Option& option : kOptions) {
      if (argument == option.name) {
        request.*option.field = value;
        known = true;
      }
    }
    if (argument == L"--language") {
      if (!ParseLanguage(value, &request.language))
        return UsageError(L"--language needs a number such as 0x0409, not \"" + value + L"\"");
      known = true;
    }
    if (!known) return UsageError(L"unknown option " + argument);
  }
  if (file.empty()) return UsageError(L"no file given");

  wchar_t full[MAX_PATH];
  DWORD length = GetFullPathNameW(file.c_str(), MAX_PATH, full, nullptr);
  if (length == 0 || length >= MAX_PATH) {
    WriteError(L"twutil stamp: path too long or invalid: " + file + L"\n");
    return kExitFailure;
  }
  // The library names the file in the conversion code page, as a caller's
  // BSTR would reach it.
  const std::string name = twutil::ToNarrow(full, length);
  CountingSink sink;
  twutil::StampFile(name.c_str(), request, sink);
  return sink.failed ? kExitFailure : kExitSuccess;
}

}  // namespace

const Command kStampCommand = {
    L"stamp",
    L"[OPTIONS] FILE",
    L"Rewrites the version strings of an executable or DLL in place.",
    L"\nThe strings of every string table of FILE's version resource are overwritten where\n"
    L"they stand; nothing is moved or resized:\n\n"
    L"  --company TEXT      CompanyName\n"
    L"  --product TEXT      ProductName\n"
    L"  --version TEXT      FileVersion and ProductVersion (the binary version numbers stay)\n"
    L"  --description TEXT  FileDescription\n"
    L"  --copyright TEXT    LegalCopyright\n"
    L"  --language LANGID   the language of the first translation, e.g. 0x0407\n\n"
    L"A text shorter than the old value is padded with spaces to its length; a longer one\n"
    L"takes the room the value has (at most 60 characters) and a warning says when it was\n"
    L"cut. With no option the file is only checked. Diagnostics go to stdout, prefixed\n"
    L"\"error: \" or \"warning: \".\n\n"
    L"Exit code 0 when the file was stamped, 1 when it was not (an \"error:\" line says why;\n"
    L"the file is then unchanged), 2 for wrong arguments.\n",
    RunStamp,
};

}  // namespace twtool
