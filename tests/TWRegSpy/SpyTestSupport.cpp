#include "SpyTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>

#include "support/TestSupport.h"

namespace spytest {
namespace {

using twutil::RegKey;

std::wstring Lower(std::wstring text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](wchar_t c) { return static_cast<wchar_t>(std::towlower(c)); });
  return text;
}

void CollectKey(HKEY key, const std::wstring& prefix, int depth, std::set<std::wstring>* out) {
  if (depth > 32) return;
  for (DWORD i = 0;; ++i) {
    wchar_t name[1024];
    BYTE data[4096];
    DWORD nameLength = 1024, dataSize = sizeof(data) - sizeof(wchar_t), type = 0;
    LONG error = RegEnumValueW(key, i, name, &nameLength, nullptr, &type, data, &dataSize);
    if (error == ERROR_NO_MORE_ITEMS) break;
    if (error != ERROR_SUCCESS || type != REG_SZ) continue;
    data[dataSize] = data[dataSize + 1] = 0;
    std::wstring value(reinterpret_cast<const wchar_t*>(data));
    out->insert(Lower(prefix + L":" + (nameLength ? name : L"@") + L"=" + value));
  }
  for (DWORD i = 0;; ++i) {
    wchar_t name[256];
    DWORD nameLength = 256;
    if (RegEnumKeyExW(key, i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS)
      break;
    std::wstring path = prefix.empty() ? name : prefix + L"\\" + name;
    out->insert(Lower(path));
    RegKey sub;
    if (RegOpenKeyExW(key, name, 0, KEY_READ, sub.Put()) == ERROR_SUCCESS)
      CollectKey(sub.Get(), path, depth + 1, out);
  }
}

std::string ReadWholeFile(const std::wstring& path) {
  twutil::Handle file(
      CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  std::string content;
  if (!file.Valid()) return content;
  char buffer[65536];
  DWORD read = 0;
  while (ReadFile(file.Get(), buffer, sizeof(buffer), &read, nullptr) && read > 0)
    content.append(buffer, read);
  return content;
}

}  // namespace

std::wstring ServerPath(const wchar_t* name) {
  return twtest::BinDir() + L"testdata\\regspy\\" + name;
}

bool SpyRegistered() {
  static bool registered = [] {
    HMODULE spy = LoadLibraryW((twtest::BinDir() + L"TWRegSpy.dll").c_str());
    if (!spy) return false;
    auto entry = reinterpret_cast<HRESULT(WINAPI*)()>(
        reinterpret_cast<void*>(GetProcAddress(spy, "DllRegisterServer")));
    return entry && entry() == S_OK;
  }();
  EXPECT_TRUE(registered) << "TWRegSpy.dll could not be registered";
  return registered;
}

HRESULT CreateSpy(twutil::ComPtr<ITWRegSpy>* spy) {
  if (!SpyRegistered()) return E_FAIL;
  return CoCreateInstance(CLSID_TWRegSpy, nullptr, CLSCTX_ALL, IID_ITWRegSpy, spy->PutVoid());
}

std::set<std::wstring> Snapshot(HKEY root, const std::wstring& path) {
  std::set<std::wstring> entries;
  RegKey key;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.Put()) == ERROR_SUCCESS)
    CollectKey(key.Get(), L"", 0, &entries);
  return entries;
}

std::set<std::wstring> CapturedEntries(const std::wstring& root) {
  std::set<std::wstring> entries = Snapshot(HKEY_CURRENT_USER, root);
  for (const wchar_t* mirror :
       {L"hkey_classes_root", L"hkey_current_user", L"hkey_local_machine", L"hkey_users"})
    entries.erase(mirror);
  return entries;
}

bool Contains(const std::set<std::wstring>& entries, std::wstring entry) {
  return entries.count(Lower(std::move(entry))) != 0;
}

STDMETHODIMP CallbackRecorder::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (iid != IID_IUnknown && iid != IID_IRegSpyCallback) return E_NOINTERFACE;
  *out = static_cast<IRegSpyCallback*>(this);
  return S_OK;
}

CallbackEvent CallbackRecorder::Record(bool start, BSTR file, LONG status) {
  CallbackEvent event;
  event.start = start;
  event.file = file ? std::wstring(file, SysStringLen(file)) : std::wstring();
  event.nullFile = file == nullptr;
  event.thread = GetCurrentThreadId();
  event.status = status;
  event.captured = CapturedEntries(root_);
  return event;
}

STDMETHODIMP CallbackRecorder::OnFileStart(BSTR file, VARIANT_BOOL* first, VARIANT_BOOL* second) {
  events.push_back(Record(true, file, -1));
  if (first) *first = VARIANT_TRUE;
  if (second) *second = VARIANT_TRUE;
  if (duringStart) duringStart();
  return S_OK;
}

STDMETHODIMP CallbackRecorder::OnFileFinished(BSTR file, LONG status, VARIANT_BOOL* done) {
  events.push_back(Record(false, file, status));
  if (done) *done = VARIANT_TRUE;
  if (duringFinish) duringFinish();
  return finishResult;
}

STDMETHODIMP CallbackRecorder::OnQuery(LONG, LONG, LONG, LONG, VARIANT_BOOL* answer) {
  if (answer) *answer = 1;
  return S_OK;
}

std::vector<LONG> CallbackRecorder::Statuses() const {
  std::vector<LONG> statuses;
  for (const CallbackEvent& event : events) {
    if (!event.start) statuses.push_back(event.status);
  }
  return statuses;
}

const CallbackEvent& CallbackRecorder::Finish(size_t index) const {
  static const CallbackEvent none;
  for (const CallbackEvent& event : events) {
    if (!event.start && index-- == 0) return event;
  }
  ADD_FAILURE() << "no such finish callback";
  return none;
}

HRESULT Capture(ITWRegSpy* spy, const std::vector<std::wstring>& files,
                CallbackRecorder* recorder) {
  for (const std::wstring& file : files) spy->AddFile(twutil::Bstr(file.c_str()).Get(), 0, 0);
  return spy->RunCapture(twutil::Bstr(kTestRoot).Get(), recorder);
}

std::string ExportRegistry(const wchar_t* view) {
  twtest::TempDir dir;
  std::string text;
  for (const wchar_t* hive : {L"HKLM", L"HKU"}) {
    std::wstring file = dir.Path() + hive + L".reg";
    std::wstring commandLine =
        std::wstring(L"reg.exe export ") + hive + L" \"" + file + L"\" /y /reg:" + view;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started = {};
    if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                        nullptr, nullptr, &startup, &started)) {
      ADD_FAILURE() << "reg.exe did not start";
      return text;
    }
    WaitForSingleObject(started.hProcess, 120000);
    CloseHandle(started.hProcess);
    CloseHandle(started.hThread);
    std::string content = ReadWholeFile(file);
    EXPECT_GT(content.size(), 1000u) << "empty export";
    text += content;
  }
  return text;
}

}  // namespace spytest
