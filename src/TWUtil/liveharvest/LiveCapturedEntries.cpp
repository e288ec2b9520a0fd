#include "liveharvest/LiveCapturedEntries.h"

#include "capture/CaptureAreaWalk.h"
#include "com/Owners.h"
#include "model/CapturedRegistry.h"

namespace twutil {

void HandOverLiveEntry(IExtractComponent* component, const std::wstring& key, const wchar_t* name) {
  if (!component) return;
  ComPtr<IExtractCapturedRegistry> sink;
  if (FAILED(component->QueryInterface(IID_IExtractCapturedRegistry, sink.PutVoid())) || !sink)
    return;
  RegKey opened;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, opened.Put()) != ERROR_SUCCESS)
    return;
  if (name)
    HandOverValue(sink.Get(), model::kRootClassesRoot, opened.Get(), key, name);
  else
    HandOverTree(sink.Get(), model::kRootClassesRoot, opened.Get(), key);
}

}  // namespace twutil
