#include "SpyTestSupport.h"

#include <gtest/gtest.h>

#include "support/TestSupport.h"

namespace spytest {

using twtest::Lower;

const wchar_t kTestRoot[] = L"Software\\TWSpyTestRoot\\Capture";

std::wstring ServerPath(const wchar_t* name) {
  return twtest::BinDir() + L"testdata\\regspy\\" + name;
}

std::wstring NativeServer(const std::wstring& stem, const wchar_t* extension) {
  return ServerPath((stem + (sizeof(void*) == 8 ? L"64" : L"") + extension).c_str());
}

bool SpyRegistered() {
  static bool registered = [] {
    HMODULE spy = LoadLibraryW((twtest::BinDir() + L"TWRegSpy.dll").c_str());
    auto entry = reinterpret_cast<HRESULT(WINAPI*)()>(
        reinterpret_cast<void*>(spy ? GetProcAddress(spy, "DllRegisterServer") : nullptr));
    return entry && entry() == S_OK;
  }();
  EXPECT_TRUE(registered) << "TWRegSpy.dll could not be registered";
  return registered;
}

HRESULT CreateSpy(twutil::ComPtr<ITWRegSpy>* spy) {
  if (!SpyRegistered()) return E_FAIL;
  return CoCreateInstance(CLSID_TWRegSpy, nullptr, CLSCTX_ALL, IID_ITWRegSpy, spy->PutVoid());
}

bool Contains(const Entries& entries, const std::wstring& entry) {
  return entries.count(Lower(entry)) != 0;
}

STDMETHODIMP CallbackRecorder::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = iid == IID_IUnknown || iid == IID_IRegSpyCallback ? this : nullptr;
  return *out ? S_OK : E_NOINTERFACE;
}

void CallbackRecorder::Record(bool start, BSTR file, LONG status) {
  CallbackEvent event{
      start, file ? std::wstring(file, SysStringLen(file)) : L"", status, {}, {}, GetTickCount64()};
  twutil::Bstr report;
  if (!start && spy && spy->get_LastReport(report.Put()) == S_OK)
    event.report.assign(report.Text(), report.Length());
  if (!start && whileFinished) whileFinished();
  for (const std::wstring& entry : twtest::RegistryEntries(HKEY_CURRENT_USER, kTestRoot))
    event.captured.insert(Lower(entry));
  for (const wchar_t* mirror :
       {L"hkey_classes_root", L"hkey_current_user", L"hkey_local_machine", L"hkey_users"})
    event.captured.erase(mirror);
  events.push_back(event);
}

STDMETHODIMP CallbackRecorder::OnFileStart(BSTR file, VARIANT_BOOL* first, VARIANT_BOOL* second) {
  Record(true, file, -1);
  if (first) *first = VARIANT_TRUE;
  if (second) *second = VARIANT_TRUE;
  return S_OK;
}

STDMETHODIMP CallbackRecorder::OnFileFinished(BSTR file, LONG status, VARIANT_BOOL* done) {
  Record(false, file, status);
  if (done) *done = VARIANT_TRUE;
  return S_OK;
}

STDMETHODIMP CallbackRecorder::OnQuery(LONG, LONG, LONG, LONG, VARIANT_BOOL* answer) {
  if (answer) *answer = 1;
  return S_OK;
}

HRESULT Capture(ITWRegSpy* spy, const std::vector<std::wstring>& files,
                CallbackRecorder* recorder) {
  recorder->spy = spy;
  for (const std::wstring& file : files) spy->AddFile(twutil::Bstr(file.c_str()).Get(), 0, 0);
  return spy->RunCapture(twutil::Bstr(kTestRoot).Get(), recorder);
}

}  // namespace spytest
