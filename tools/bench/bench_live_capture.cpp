// Live-registry capture of one server file in a registry filled with
// synthetic classes, ProgIDs and extensions, against one bare enumeration of
// the same keys through the Registry class. Both run through a counting
// registry object; prints times, registry-object calls and the ratio.
//   bench_live_capture.exe CLASSES

#include <windows.h>
// After windows.h, which it needs.
#include <psapi.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "TWUtil.h"
#include "com/Owners.h"
#include "model/Component.h"

using twutil::Bstr;
using twutil::ComPtr;
using twutil::Variant;

namespace {

const wchar_t kTarget[] = L"C:\\bench\\target.dll";
const wchar_t kMarker[] = L"Software\\Tarnwick\\LiveCaptureBench";

// Forwards to the library's Registry, counting every call.
class CountingRegistry : public IRegistry {
 public:
  explicit CountingRegistry(ComPtr<IRegistry> inner) : inner_(std::move(inner)) {}
  long calls = 0;
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    *out = nullptr;
    if (iid != IID_IUnknown && iid != IID_IDispatch && iid != IID_IRegistry) return E_NOINTERFACE;
    *out = this;
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP GetTypeInfoCount(UINT* n) override { return inner_->GetTypeInfoCount(n); }
  STDMETHODIMP GetTypeInfo(UINT i, LCID l, ITypeInfo** t) override {
    return inner_->GetTypeInfo(i, l, t);
  }
  STDMETHODIMP GetIDsOfNames(REFIID r, LPOLESTR* n, UINT c, LCID l, DISPID* d) override {
    return inner_->GetIDsOfNames(r, n, c, l, d);
  }
  STDMETHODIMP Invoke(DISPID d, REFIID r, LCID l, WORD f, DISPPARAMS* p, VARIANT* v, EXCEPINFO* e,
                      UINT* a) override {
    return inner_->Invoke(d, r, l, f, p, v, e, a);
  }
  STDMETHODIMP RegAddValue(ERegistryHives h, BSTR k, BSTR n, ERegistryDataTypes t, VARIANT* v,
                           LONG* r) override {
    ++calls;
    return inner_->RegAddValue(h, k, n, t, v, r);
  }
  STDMETHODIMP RegReadValue(ERegistryHives h, BSTR k, BSTR n, ERegistryDataTypes t, VARIANT* v,
                            LONG* r) override {
    ++calls;
    return inner_->RegReadValue(h, k, n, t, v, r);
  }
  STDMETHODIMP RegQueryKey(ERegistryHives h, BSTR k, ERegistryQueryTypes t, VARIANT* v,
                           LONG* r) override {
    ++calls;
    return inner_->RegQueryKey(h, k, t, v, r);
  }
  STDMETHODIMP RegDeleteValue(ERegistryHives h, BSTR k, BSTR n, LONG* r) override {
    ++calls;
    return inner_->RegDeleteValue(h, k, n, r);
  }
  STDMETHODIMP RegSoftDeleteRegValue(ERegistryHives h, BSTR k, BSTR n, VARIANT_BOOL a,
                                     LONG* r) override {
    ++calls;
    return inner_->RegSoftDeleteRegValue(h, k, n, a, r);
  }
  STDMETHODIMP RegSetExtractComponent(IExtractComponent* c, ERegistryHives h, BSTR k, BSTR n,
                                      VARIANT_BOOL a, LONG* r) override {
    ++calls;
    return inner_->RegSetExtractComponent(c, h, k, n, a, r);
  }
  STDMETHODIMP RegReadType(ERegistryHives h, BSTR k, BSTR n, LONG* t, LONG* r) override {
    ++calls;
    return inner_->RegReadType(h, k, n, t, r);
  }

 private:
  ComPtr<IRegistry> inner_;
};

void SetText(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
  RegSetKeyValueW(HKEY_CLASSES_ROOT, key.c_str(), name, REG_SZ, value.c_str(),
                  static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

std::wstring ClassId(int i) {
  wchar_t text[40];
  swprintf(text, 40, L"{%08X-0000-4000-8000-00000000BE7C}", i);
  return text;
}

// Classes served by other files, each with a ProgID; every fourth ProgID
// with an extension; the first five classes are the target's.
void Fill(int classes) {
  DWORD filled = 0, size = sizeof(filled);
  if (RegGetValueW(HKEY_CURRENT_USER, kMarker, L"Classes", RRF_RT_REG_DWORD, nullptr, &filled,
                   &size) == ERROR_SUCCESS &&
      static_cast<int>(filled) == classes)
    return;
  for (int i = 0; i < classes; ++i) {
    std::wstring clsid = L"CLSID\\" + ClassId(i);
    wchar_t progId[40], server[40], extension[16];
    swprintf(progId, 40, L"Bench.Class%d.1", i);
    swprintf(server, 40, L"C:\\bench\\lib%d.dll", i % 50);
    swprintf(extension, 16, L".bx%d", i);
    SetText(clsid, nullptr, L"Bench class");
    SetText(clsid + L"\\InprocServer32", nullptr, i < 5 ? kTarget : server);
    SetText(clsid + L"\\InprocServer32", L"ThreadingModel", L"Apartment");
    SetText(clsid + L"\\ProgID", nullptr, progId);
    SetText(progId, nullptr, L"Bench document");
    SetText(std::wstring(progId) + L"\\CLSID", nullptr, ClassId(i));
    if (i % 4 == 0) SetText(extension, nullptr, progId);
  }
  filled = static_cast<DWORD>(classes);
  RegSetKeyValueW(HKEY_CURRENT_USER, kMarker, L"Classes", REG_DWORD, &filled, sizeof(filled));
}

double Now() {
  LARGE_INTEGER count, frequency;
  QueryPerformanceCounter(&count);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

long ListKeys(IRegistry* registry, const wchar_t* key, Variant* names) {
  LONG result = -1;
  registry->RegQueryKey(HKCR, Bstr(key).Get(), regKEYS, names->Put(), &result);
  if (result == -1 || !(V_VT(&names->Ref()) & VT_ARRAY)) return 0;
  LONG upper = -1;
  SafeArrayGetUBound(V_ARRAY(&names->Ref()), 1, &upper);
  return upper + 1;
}

// Lists the root and the classes, then the subkeys of every class key and of
// every top-level key: each key the capture visits, visited once.
void BareEnumeration(IRegistry* registry) {
  for (const wchar_t* parent : {L"", L"CLSID"}) {
    Variant names;
    long count = ListKeys(registry, parent[0] ? parent : nullptr, &names);
    for (LONG i = 0; i < count; ++i) {
      Variant name;
      SafeArrayGetElement(V_ARRAY(&names.Ref()), &i, name.Put());
      std::wstring key = parent[0] ? std::wstring(parent) + L"\\" + V_BSTR(&name.Ref())
                                   : std::wstring(V_BSTR(&name.Ref()));
      Variant subkeys;
      ListKeys(registry, key.c_str(), &subkeys);
    }
  }
}

double PeakMegabytes() {
  PROCESS_MEMORY_COUNTERS counters = {};
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
  return static_cast<double>(counters.PeakWorkingSetSize) / (1024.0 * 1024.0);
}

// Everything that holds the library's objects ends here, before COM (and
// with it TWUtil.dll) goes.
int Run(int classes) {
  double start = Now();
  Fill(classes);
  std::printf("registry: %d synthetic classes with ProgIDs, %d extensions (filled in %.1f s)\n",
              classes, (classes + 3) / 4, Now() - start);

  ComPtr<IRegistry> library;
  ComPtr<IServerInfo> serverInfo;
  if (FAILED(CoCreateInstance(CLSID_Registry, nullptr, CLSCTX_INPROC_SERVER, IID_IRegistry,
                              library.PutVoid())) ||
      FAILED(CoCreateInstance(CLSID_ServerInfo, nullptr, CLSCTX_INPROC_SERVER, IID_IServerInfo,
                              serverInfo.PutVoid()))) {
    std::printf("TWUtil.dll is not registered\n");
    return 1;
  }
  RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Tarnwick\\Foundry\\7.0", L"UseOldComExtraction",
                  REG_SZ, L"Y", 4);

  double bestBare = 1e9, bestCapture = 1e9;
  long bareCalls = 0, captureCalls = 0, found = 0;
  // ServerInfo keeps the last registry object it was given: these outlive it.
  CountingRegistry bare(library), counted(library);
  for (int round = 0; round < 3; ++round) {
    bare.calls = counted.calls = 0;
    double t0 = Now();
    BareEnumeration(&bare);
    bestBare = std::min(bestBare, Now() - t0);
    bareCalls = bare.calls;

    ComPtr<IExtractComponent> component;
    twutil::model::CreateExtractComponent(kTarget, L"[INSTALLDIR]", component.Put());
    IDispatch* handed[] = {component.Get()};
    LONG result = 0;
    double t1 = Now();
    serverInfo->SetServer(1, handed, &counted, VARIANT_FALSE, VARIANT_FALSE, VARIANT_FALSE, nullptr,
                          &result);
    bestCapture = std::min(bestCapture, Now() - t1);
    captureCalls = counted.calls;
    ComPtr<IExtractComClassCol> found_classes;
    component->get_ComClassCollection(found_classes.Put());
    found_classes->get_Count(&found);
  }
  RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Tarnwick\\Foundry\\7.0",
                     L"UseOldComExtraction");
  std::printf("bare enumeration : %8.3f s  %7ld registry-object calls\n", bestBare, bareCalls);
  std::printf("live capture     : %8.3f s  %7ld registry-object calls  (%ld classes found)\n",
              bestCapture, captureCalls, found);
  std::printf("ratio capture/bare: %.2f (calls %.2f); peak working set %.1f MB\n",
              bestCapture / bestBare, static_cast<double>(captureCalls) / bareCalls,
              PeakMegabytes());
  serverInfo.Reset();
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  int exitCode = Run(argc > 1 ? _wtoi(argv[1]) : 20000);
  CoUninitialize();
  return exitCode;
}
