// The spy's own answer to GetLibraryTypeInfo (com/TypeInfoCache.h), through
// which TypeInfoDispatch serves IDispatch: the type information comes from
// the type library in this module's resources, so late binding works whether
// or not that library is registered. TWUtil's cache is not linked into the
// spy; this file takes its place.
#include <windows.h>
// oleauto.h builds on windows.h.
#include <oleauto.h>

#include <map>

#include "com/Module.h"
#include "com/Owners.h"
#include "com/TypeInfoCache.h"

namespace twutil {
namespace {

struct GuidLess {
  bool operator()(const GUID& a, const GUID& b) const { return memcmp(&a, &b, sizeof(GUID)) < 0; }
};

struct SpyTypeInfos {
  CriticalSection lock;
  ComPtr<ITypeLib> library;
  std::map<GUID, ComPtr<ITypeInfo>, GuidLess> infos;
};

SpyTypeInfos& Cache() {
  static SpyTypeInfos cache;
  return cache;
}

}  // namespace

HRESULT GetLibraryTypeInfo(REFIID iid, ITypeInfo** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  SpyTypeInfos& cache = Cache();
  Lock guard(cache.lock);
  auto found = cache.infos.find(iid);
  if (found == cache.infos.end()) {
    if (!cache.library) {
      HRESULT hr = LoadTypeLibEx(Module::Path().c_str(), REGKIND_NONE, cache.library.Put());
      if (FAILED(hr)) return hr;
    }
    ComPtr<ITypeInfo> info;
    HRESULT hr = cache.library->GetTypeInfoOfGuid(iid, info.Put());
    if (FAILED(hr)) return hr;
    found = cache.infos.emplace(iid, info).first;
  }
  *out = ComPtr<ITypeInfo>(found->second.Get()).Detach();
  return S_OK;
}

void ReleaseTypeInfoCache() {
  SpyTypeInfos& cache = Cache();
  Lock guard(cache.lock);
  cache.infos.clear();
  cache.library.Reset();
}

}  // namespace twutil
