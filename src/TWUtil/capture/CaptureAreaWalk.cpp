#include "capture/CaptureAreaWalk.h"

#include <string>
#include <vector>

#include "Errors.h"
#include "capture/CaptureArea.h"
#include "capture/RegistryCopy.h"
#include "com/Owners.h"

namespace twutil {
namespace {

Bstr PathText(const std::wstring& path) {
  Bstr text(path.data(), static_cast<UINT>(path.size()));
  if (!text.Get()) throw std::bad_alloc();
  return text;
}

// Depth first, each key's values before its subkeys, as the registry
// ordered them; the top itself is never an empty key of its own.
void HandOverCopy(IExtractCapturedRegistry* sink, ULONG root, KeyCopy& key,
                  const std::wstring& path) {
  if (!path.empty() && (key.IsEmpty() || !key.values.empty())) {
    Bstr text = PathText(path);
    if (key.IsEmpty()) CheckCall(sink->AddCapturedKey(root, text.Get()));
    for (const ValueCopy& value : key.values) {
      Bstr name = value.name.empty() ? Bstr() : PathText(value.name);
      DWORD size = static_cast<DWORD>(value.data.size());
      CheckCall(sink->AddCapturedValue(root, text.Get(), name.Get(), value.type, size,
                                       size ? const_cast<BYTE*>(value.data.data()) : nullptr));
    }
  }
  for (size_t index = 0; index < key.SubkeyCount(); ++index) {
    KeyCopy* subkey = key.SubkeyAt(index);
    HandOverCopy(sink, root, *subkey, path.empty() ? subkey->name : path + L'\\' + subkey->name);
  }
}

}  // namespace

void HandOverTree(IExtractCapturedRegistry* sink, ULONG root, HKEY start,
                  const std::wstring& basePath) {
  if (!sink || !start) return;
  std::unique_ptr<KeyCopy> copy = ReadKeyCopy(start);
  HandOverCopy(sink, root, *copy, basePath);
}

void HandOverValue(IExtractCapturedRegistry* sink, ULONG root, HKEY key, const std::wstring& path,
                   const wchar_t* name) {
  if (!sink || !key) return;
  DWORD type = REG_NONE, size = 0;
  if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return;
  std::vector<BYTE> data(size ? size : 1);
  // The value may grow between the two questions.
  LONG status;
  while ((status = RegQueryValueExW(key, name, nullptr, &type, data.data(), &size)) ==
         ERROR_MORE_DATA)
    data.resize(size);
  if (status != ERROR_SUCCESS) return;
  Bstr keyPath(path.data(), static_cast<UINT>(path.size()));
  Bstr valueName = name && *name ? Bstr(name) : Bstr();
  if (!keyPath.Get() || (name && *name && !valueName.Get())) throw std::bad_alloc();
  CheckCall(sink->AddCapturedValue(root, keyPath.Get(), valueName.Get(), type, size,
                                   size ? data.data() : nullptr));
}

void HandOverCaptureArea(IExtractComponent* component, CaptureArea& area) {
  if (!component) return;
  ComPtr<IExtractCapturedRegistry> sink;
  if (FAILED(component->QueryInterface(IID_IExtractCapturedRegistry, sink.PutVoid())) || !sink)
    return;
  for (ULONG hive = 0; hive < 4; ++hive) {
    KeyCopy* mirror = area.Top().Subkey(kHiveMirrors[hive]);
    if (mirror) HandOverCopy(sink.Get(), 0x80000000u + hive, *mirror, std::wstring());
  }
}

}  // namespace twutil
