// A stand-in signing tool for the tests. It takes the switches the runner
// passes and reads its orders from them:
//   -spc FILE   writes FILE's bytes to standard output as they are
//   -v CODE     exits with CODE (a number; empty means 0)
//   -t ORDER    "stderr=TEXT" writes TEXT to standard error,
//               "sleep=MS" waits that long before writing anything
// With TWTEST_SIGN_COMMAND_LINE set it first writes its command line (UTF-16)
// to the file named there.
#include <windows.h>
// shellapi.h builds on windows.h.
#include <shellapi.h>

#include <cwchar>
#include <string>
#include <vector>

namespace {

void WriteAll(HANDLE out, const void* data, DWORD size) {
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    DWORD written = 0;
    if (!WriteFile(out, bytes, size, &written, nullptr) || written == 0) return;
    bytes += written;
    size -= written;
  }
}

void SaveCommandLine() {
  wchar_t path[MAX_PATH];
  if (!GetEnvironmentVariableW(L"TWTEST_SIGN_COMMAND_LINE", path, MAX_PATH)) return;
  HANDLE file =
      CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  const wchar_t* line = GetCommandLineW();
  WriteAll(file, line, static_cast<DWORD>(wcslen(line) * sizeof(wchar_t)));
  CloseHandle(file);
}

void CopyToStdout(const wchar_t* path) {
  HANDLE file =
      CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  std::vector<char> bytes(GetFileSize(file, nullptr));
  DWORD read = 0;
  if (!bytes.empty() &&
      ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr))
    WriteAll(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), read);
  CloseHandle(file);
}

}  // namespace

int main() {
  SaveCommandLine();
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::wstring output, code, order;
  for (int i = 1; argv && i + 1 < argc; ++i) {
    std::wstring name = argv[i];
    if (name == L"-spc")
      output = argv[++i];
    else if (name == L"-v")
      code = argv[++i];
    else if (name == L"-t")
      order = argv[++i];
  }
  if (order.rfind(L"sleep=", 0) == 0) Sleep(static_cast<DWORD>(_wtoi(order.c_str() + 6)));
  if (order.rfind(L"stderr=", 0) == 0) {
    std::string text(order.begin() + 7, order.end());
    WriteAll(GetStdHandle(STD_ERROR_HANDLE), text.data(), static_cast<DWORD>(text.size()));
  }
  if (!output.empty()) CopyToStdout(output.c_str());
  return _wtoi(code.c_str());
}
