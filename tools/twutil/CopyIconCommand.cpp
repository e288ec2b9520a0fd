// twutil copy-icon: copies one icon group with its images from one executable
// into another through the library's TWResXfer class.
#include <windows.h>

#include <cerrno>
#include <cwchar>
#include <string>
#include <vector>

#include "Command.h"
#include "Console.h"
#include "TWUtil.h"
#include "com/ComObject.h"
#include "com/Owners.h"
#include "peres/TWResXfer.h"

namespace twtool {
namespace {

int UsageError(const std::wstring& message) {
  WriteError(L"twutil copy-icon: " + message + L"\n(see \"twutil copy-icon --help\")\n");
  return kExitUsage;
}

bool ParseLong(const std::wstring& text, long* value) {
  if (text.empty()) return false;
  wchar_t* end = nullptr;
  errno = 0;
  long parsed = std::wcstol(text.c_str(), &end, 10);
  if (errno || *end != L'\0') return false;
  *value = parsed;
  return true;
}

// The full path of an existing regular file; empty (with the message shown)
// otherwise.
std::wstring ExistingFile(const std::wstring& file, const wchar_t* role) {
  wchar_t full[MAX_PATH];
  DWORD length = GetFullPathNameW(file.c_str(), MAX_PATH, full, nullptr);
  if (length == 0 || length >= MAX_PATH) {
    WriteError(L"twutil copy-icon: path too long or invalid: " + file + L"\n");
    return std::wstring();
  }
  DWORD attributes = GetFileAttributesW(full);
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    WriteError(std::wstring(L"twutil copy-icon: no such ") + role + L" file: " + file + L"\n");
    return std::wstring();
  }
  return std::wstring(full, length);
}

struct CopyRequest {
  std::wstring source;
  std::wstring destination;
  long index = 0;
  long slot = -1;  // the next free one
};

bool Parse(const std::vector<std::wstring>& arguments, CopyRequest* request, int* exitCode) {
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::wstring& argument = arguments[i];
    if (argument.rfind(L"--", 0) != 0) {
      if (!request->destination.empty()) {
        *exitCode = UsageError(L"more than one destination given");
        return false;
      }
      request->destination = argument;
      continue;
    }
    if (i + 1 >= arguments.size()) {
      *exitCode = UsageError(argument + L" needs a value");
      return false;
    }
    const std::wstring& value = arguments[++i];
    if (argument == L"--from") {
      request->source = value;
    } else if (argument == L"--index") {
      if (!ParseLong(value, &request->index)) {
        *exitCode = UsageError(L"--index needs a number, not \"" + value + L"\"");
        return false;
      }
    } else if (argument == L"--slot") {
      if (value != L"auto" && (!ParseLong(value, &request->slot) || request->slot < 0)) {
        *exitCode = UsageError(L"--slot needs a number of 0 or more, or auto");
        return false;
      }
    } else {
      *exitCode = UsageError(L"unknown option " + argument);
      return false;
    }
  }
  if (request->source.empty()) {
    *exitCode = UsageError(L"no source given (--from FILE)");
    return false;
  }
  if (request->destination.empty()) {
    *exitCode = UsageError(L"no destination file given");
    return false;
  }
  return true;
}

int RunCopyIcon(const std::vector<std::wstring>& arguments) {
  CopyRequest request;
  int exitCode = kExitUsage;
  if (!Parse(arguments, &request, &exitCode)) return exitCode;
  const std::wstring source = ExistingFile(request.source, L"source");
  const std::wstring destination = ExistingFile(request.destination, L"destination");
  if (source.empty() || destination.empty()) return kExitFailure;

  twutil::ComPtr<ITWXferIconResource> transfer;
  if (FAILED(twutil::CreateComObject<twutil::TWResXfer>(nullptr, IID_ITWXferIconResource,
                                                        transfer.PutVoid()))) {
    WriteError(L"twutil copy-icon: out of memory\n");
    return kExitFailure;
  }
  twutil::Bstr sourceName(source.c_str()), destinationName(destination.c_str());
  twutil::Variant result, index, slot;
  transfer->SetSourceFile(sourceName.Get(), result.Put());
  transfer->SetDestinationFile(destinationName.Get(), result.Put());
  V_VT(&index.Ref()) = VT_I4;
  V_I4(&index.Ref()) = request.index;
  V_VT(&slot.Ref()) = VT_I4;
  V_I4(&slot.Ref()) = request.slot;
  transfer->CopyIconResource(index.Ref(), &slot.Ref(), result.Put());
  if (V_I4(&result.Ref()) != 0) {
    WriteError(
        L"twutil copy-icon: the icon could not be copied (no such group in the source, "
        L"a damaged group, or a destination that cannot be rewritten)\n");
    return kExitFailure;
  }
  const long used = request.slot == -1 ? V_I4(&slot.Ref()) : request.slot;
  WriteOut("copied into slot " + std::to_string(used) + ": group " + std::to_string(14 * used) +
           ", images from " + std::to_string(14 * used + 1) + "\n");
  return kExitSuccess;
}

}  // namespace

const Command kCopyIconCommand = {
    L"copy-icon",
    L"--from SOURCE [--index N] [--slot S|auto] DESTINATION",
    L"Copies one icon group with its images from SOURCE into DESTINATION.",
    L"\n  --from SOURCE  the executable or DLL that holds the icon\n"
    L"  --index N      N >= 0: the group at that position among SOURCE's group icons\n"
    L"                 (default 0, the first); N < 0: the group numbered -N\n"
    L"  --slot S       slot S of DESTINATION: the group is stored under 14*S, its images\n"
    L"                 under 14*S+1, 14*S+2, ...; \"auto\" (the default) takes the slot\n"
    L"                 after DESTINATION's own group icons\n\n"
    L"Resources already under those numbers are replaced; the rest of DESTINATION stays.\n"
    L"On success the slot used is printed on stdout. Exit code 0 on success, 1 when the\n"
    L"icon could not be copied (DESTINATION is then unchanged), 2 for wrong arguments.\n",
    RunCopyIcon,
};

}  // namespace twtool
