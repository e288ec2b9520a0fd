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

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

void WriteAll(HANDLE out, const void* data, DWORD size) {
  DWORD written = 0;
  for (auto* bytes = static_cast<const char*>(data); size > 0; bytes += written, size -= written)
    if (!WriteFile(out, bytes, size, &written, nullptr) || written == 0) return;
}

}  // namespace

int main() {
  wchar_t path[MAX_PATH];
  if (GetEnvironmentVariableW(L"TWTEST_SIGN_COMMAND_LINE", path, MAX_PATH)) {
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    WriteAll(file, GetCommandLineW(), DWORD(wcslen(GetCommandLineW()) * sizeof(wchar_t)));
    CloseHandle(file);
  }
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::wstring output, code, order;
  for (int i = 1; argv && i + 1 < argc; ++i) {
    std::wstring name = argv[i];
    if (name == L"-spc") output = argv[++i];
    if (name == L"-v") code = argv[++i];
    if (name == L"-t") order = argv[++i];
  }
  if (order.rfind(L"sleep=", 0) == 0) Sleep(DWORD(_wtoi(order.c_str() + 6)));
  if (order.rfind(L"stderr=", 0) == 0) {
    std::string text(order.begin() + 7, order.end());
    WriteAll(GetStdHandle(STD_ERROR_HANDLE), text.data(), DWORD(text.size()));
  }
  std::vector<char> bytes;  // written at once: how it reaches the runner is what is tested
  if (FILE* in = output.empty() ? nullptr : _wfopen(output.c_str(), L"rb")) {
    for (int c; (c = fgetc(in)) != EOF;) bytes.push_back(char(c));
    fclose(in);
  }
  WriteAll(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), DWORD(bytes.size()));
  return _wtoi(code.c_str());
}
