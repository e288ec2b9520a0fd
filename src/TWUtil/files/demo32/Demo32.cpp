// Demo32: the demonstration program that File.ShowDemo starts. It shows the
// project it was given and the folder it runs in. "/seconds:N" in front of
// the project closes it by itself after N seconds, for unattended runs.
#include <shlwapi.h>
#include <windows.h>

#include <string>

namespace {

constexpr wchar_t kWindowClass[] = L"TarnwickHarborDemo32";
constexpr wchar_t kTitle[] = L"Tarnwick Harbor Demo";
constexpr wchar_t kSecondsSwitch[] = L"/seconds:";
constexpr UINT_PTR kCloseTimer = 1;

struct Options {
  std::wstring project;
  int seconds = -1;  // stay open until closed
};

Options ParseOptions(const wchar_t* args) {
  Options options;
  std::wstring text = args;
  size_t switchLength = wcslen(kSecondsSwitch);
  if (text.compare(0, switchLength, kSecondsSwitch) == 0) {
    size_t end = text.find(L' ', switchLength);
    options.seconds = _wtoi(text.substr(switchLength, end - switchLength).c_str());
    text = end == std::wstring::npos ? std::wstring() : text.substr(end + 1);
  }
  options.project = text;
  return options;
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER:
      if (wParam == kCloseTimer) DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  Options options = ParseOptions(PathGetArgsW(GetCommandLineW()));
  wchar_t folder[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, folder);

  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = kWindowClass;
  if (!RegisterClassW(&windowClass)) return 1;

  HWND window = CreateWindowW(kWindowClass, kTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                              CW_USEDEFAULT, 520, 160, nullptr, nullptr, instance, nullptr);
  if (!window) return 1;
  std::wstring text = L"Project: " + options.project + L"\r\nFolder: " + folder;
  CreateWindowW(L"STATIC", text.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT, 12, 12, 480, 80, window,
                nullptr, instance, nullptr);
  if (options.seconds >= 0) SetTimer(window, kCloseTimer, options.seconds * 1000u, nullptr);
  ShowWindow(window, show);

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}
