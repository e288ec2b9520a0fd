// A stand-in signing tool for the tests. It takes the switches the runner
// passes and reads its orders from them:
//   -spc FILE   writes FILE's bytes to standard output as they are, or,
//               when there is no such file, its own command line
//   -v CODE     exits with CODE (a number; empty means 0)
//   -t ORDER    "stderr=TEXT" writes TEXT to standard error, "send=HWND"
//               first sends WM_APP to that window (10 s at most)
#include <windows.h>
// shellapi.h builds on windows.h.
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::wstring output, code, order;
  DWORD written = 0;  // blocking pipes: each write takes all of its bytes
  for (int i = 1; argv && i + 1 < argc; ++i) {
    std::wstring name = argv[i];
    if (name == L"-spc") output = argv[++i];
    if (name == L"-v") code = argv[++i];
    if (name == L"-t") order = argv[++i];
  }
  if (order.rfind(L"send=", 0) == 0)
    SendMessageTimeoutW(HWND(uintptr_t(_wtoi64(order.c_str() + 5))), WM_APP, 0, 0, SMTO_NORMAL,
                        10000, nullptr);
  if (order.rfind(L"stderr=", 0) == 0) {
    std::string text(order.begin() + 7, order.end());
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), text.data(), DWORD(text.size()), &written, nullptr);
  }
  std::vector<char> bytes;  // written at once: how it reaches the runner is what is tested
  if (FILE* in = output.empty() ? nullptr : _wfopen(output.c_str(), L"rb")) {
    for (int c; (c = fgetc(in)) != EOF;) bytes.push_back(char(c));
    fclose(in);
  } else {
    for (const wchar_t* c = GetCommandLineW(); *c; ++c) bytes.push_back(char(*c));
  }
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), DWORD(bytes.size()), &written, nullptr);
  return _wtoi(code.c_str());
}
