// A sample executable COM server: "/regserver" and "/unregserver" (or the
// same with "-") register and unregister its document class; it serves no
// objects. The exit code is 0 on success, 1 on a failed registration and 2
// for an unknown switch.
#include <windows.h>
// shellapi.h builds on windows.h.
#include <shellapi.h>

#include <cwchar>

#include "DocumentRegistration.h"
#include "SampleRegistry.h"

namespace {

bool IsSwitch(const wchar_t* argument, const wchar_t* name) {
  return (argument[0] == L'/' || argument[0] == L'-') && _wcsicmp(argument + 1, name) == 0;
}

class Arguments {
 public:
  Arguments() : list_(CommandLineToArgvW(GetCommandLineW(), &count_)) {}
  ~Arguments() { LocalFree(list_); }
  Arguments(const Arguments&) = delete;
  Arguments& operator=(const Arguments&) = delete;
  int Count() const { return list_ ? count_ : 0; }
  const wchar_t* operator[](int index) const { return list_[index]; }

 private:
  int count_ = 0;
  wchar_t** list_;
};

}  // namespace

int main() {
  Arguments arguments;
  for (int i = 1; i < arguments.Count(); ++i) {
    if (IsSwitch(arguments[i], L"regserver"))
      return FAILED(samples::RegisterDocumentServer(samples::ModulePath(nullptr))) ? 1 : 0;
    if (IsSwitch(arguments[i], L"unregserver"))
      return FAILED(samples::UnregisterDocumentServer()) ? 1 : 0;
  }
  fwprintf(stderr, L"usage: SampleServerExe /regserver | /unregserver\n");
  return 2;
}
