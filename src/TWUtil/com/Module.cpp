#include "com/Module.h"

namespace twutil {

HINSTANCE Module::instance_ = nullptr;
volatile LONG Module::locks_ = 0;

void Module::Attach(HINSTANCE instance) { instance_ = instance; }

void Module::Detach() {}

CriticalSection& Module::FactoryLock() {
  static CriticalSection lock;
  return lock;
}

std::wstring Module::Path() {
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(instance_, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return std::wstring();
  return std::wstring(path, n);
}

std::wstring LoadModuleString(UINT id, size_t maxChars) {
  std::wstring text(maxChars, L'\0');
  int n = LoadStringW(Module::Instance(), id, &text[0], static_cast<int>(maxChars));
  text.resize(n > 0 ? static_cast<size_t>(n) : 0);
  return text;
}

}  // namespace twutil
