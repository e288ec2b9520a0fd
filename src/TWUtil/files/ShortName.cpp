#include "files/ShortName.h"

#include "CodePage.h"
#include "com/Owners.h"

namespace twutil {
namespace {

template <class Function>
void Lookup(HMODULE kernel, const char* name, Function* entry) {
  *entry = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(kernel, name)));
}

// Resets the conversion code page on every way out.
class ConversionCodePageScope {
 public:
  ConversionCodePageScope() = default;
  ~ConversionCodePageScope() { SetConversionCodePage(0); }
  ConversionCodePageScope(const ConversionCodePageScope&) = delete;
  ConversionCodePageScope& operator=(const ConversionCodePageScope&) = delete;
};

void UseCodePageOfLocale(const std::wstring& langId) {
  Bstr text(langId.c_str());
  LONG locale = 0;
  if (FAILED(VarI4FromStr(text.Get(), LOCALE_USER_DEFAULT, 0, &locale))) return;
  wchar_t codePage[20] = {};
  if (!GetLocaleInfoW(static_cast<LCID>(locale), LOCALE_IDEFAULTANSICODEPAGE, codePage, 20)) return;
  UINT number = static_cast<UINT>(_wtoi(codePage));
  CPINFO info;
  if (GetCPInfo(number, &info)) SetConversionCodePage(number);
}

// The folder and the name with exactly one backslash between them.
std::wstring JoinPath(const std::wstring& folder, const std::wstring& name) {
  if (name.empty()) return folder;
  bool folderEnds = !folder.empty() && folder.back() == L'\\';
  bool nameBegins = name.front() == L'\\';
  if (folderEnds && nameBegins) return folder + name.substr(1);
  if (folderEnds || nameBegins) return folder + name;
  return folder + L"\\" + name;
}

bool EqualIgnoringAsciiCase(const std::wstring& a, const std::wstring& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    wchar_t x = a[i] >= L'a' && a[i] <= L'z' ? a[i] - 32 : a[i];
    wchar_t y = b[i] >= L'a' && b[i] <= L'z' ? b[i] - 32 : b[i];
    if (x != y) return false;
  }
  return true;
}

}  // namespace

WideFileFunctions WideFileFunctions::Resolve() {
  WideFileFunctions functions;
  OSVERSIONINFOW version = {};
  version.dwOSVersionInfoSize = sizeof(version);
  if (!GetVersionExW(&version) || version.dwPlatformId != VER_PLATFORM_WIN32_NT) return functions;
  HMODULE kernel = GetModuleHandleW(L"KERNEL32.DLL");
  if (!kernel) return functions;
  Lookup(kernel, "GetTempPathW", &functions.getTempPath);
  Lookup(kernel, "FindFirstFileW", &functions.findFirstFile);
  Lookup(kernel, "CreateFileW", &functions.createFile);
  Lookup(kernel, "DeleteFileW", &functions.deleteFile);
  return functions;
}

long GetShortLongName(const WideFileFunctions& functions, const std::wstring& name,
                      const std::wstring& langId, std::wstring* shortLong) {
  ConversionCodePageScope resetCodePage;
  *shortLong = name;
  UseCodePageOfLocale(langId);

  auto getTempPath = functions.getTempPath ? functions.getTempPath : GetTempPathW;
  auto findFirstFile = functions.findFirstFile ? functions.findFirstFile : FindFirstFileW;
  auto createFile = functions.createFile ? functions.createFile : CreateFileW;
  auto deleteFile = functions.deleteFile ? functions.deleteFile : DeleteFileW;

  wchar_t folder[MAX_PATH + 1] = {};
  DWORD length = getTempPath(MAX_PATH, folder);
  if (length == 0 || length > MAX_PATH) return -1;
  std::wstring probe = JoinPath(folder, name);

  WIN32_FIND_DATAW found;
  bool created = false;
  if (!FindHandle(findFirstFile(probe.c_str(), &found)).Valid()) {
    Handle file(createFile(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return -1;
    created = true;
  }

  std::wstring shortName;
  if (FindHandle(findFirstFile(probe.c_str(), &found)).Valid())
    shortName = found.cAlternateFileName;
  if (created) deleteFile(probe.c_str());

  if (!shortName.empty() && !EqualIgnoringAsciiCase(shortName, name))
    *shortLong = shortName + L"|" + name;
  return 0;
}

}  // namespace twutil
