#include "com/TypeInfoCache.h"

#include <map>

#include "com/Owners.h"

namespace twutil {
namespace {

struct GuidLess {
  bool operator()(const GUID& a, const GUID& b) const { return memcmp(&a, &b, sizeof(GUID)) < 0; }
};

struct Cache {
  CriticalSection lock;
  ComPtr<ITypeLib> library;
  std::map<GUID, ComPtr<ITypeInfo>, GuidLess> infos;
};

Cache& TheCache() {
  static Cache cache;
  return cache;
}

}  // namespace

HRESULT GetLibraryTypeInfo(REFIID iid, ITypeInfo** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  Cache& cache = TheCache();
  Lock guard(cache.lock);
  auto found = cache.infos.find(iid);
  if (found == cache.infos.end()) {
    if (!cache.library) {
      HRESULT hr = LoadServedTypeLibrary(cache.library.Put());
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
  Cache& cache = TheCache();
  Lock guard(cache.lock);
  cache.infos.clear();
  cache.library.Reset();
}

}  // namespace twutil
