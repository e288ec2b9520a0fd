#include "capture/CaptureAreaWalk.h"

#include <string>
#include <utility>
#include <vector>

#include "Errors.h"
#include "capture/CaptureArea.h"
#include "com/Owners.h"

namespace twutil {
namespace {

struct KeyInfo {
  DWORD subkeys = 0, longestSubkey = 0, values = 0, longestName = 0, largestData = 0;
};

bool QueryInfo(HKEY key, KeyInfo* info) {
  return RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &info->subkeys, &info->longestSubkey,
                          nullptr, &info->values, &info->longestName, &info->largestData, nullptr,
                          nullptr) == ERROR_SUCCESS;
}

// Depth first with one open key per level. Every registry call is a round
// trip to the registry's server, so the walk makes no call it can spare: the
// counts it asked for bound the enumerations.
class Walk {
 public:
  Walk(IExtractCapturedRegistry* sink, ULONG root) : sink_(sink), root_(root) {}

  void Run(HKEY start, const std::wstring& basePath) {
    RegKey top;
    if (RegOpenKeyExW(start, nullptr, 0, KEY_READ, top.Put()) != ERROR_SUCCESS) return;
    Enter(std::move(top), basePath);
    while (!levels_.empty()) {
      Level& level = levels_.back();
      std::wstring child;
      if (level.next >= level.subkeys || !SubkeyName(level, &child)) {
        levels_.pop_back();
        continue;
      }
      RegKey opened;
      if (RegOpenKeyExW(level.key.Get(), child.c_str(), 0, KEY_READ, opened.Put()) != ERROR_SUCCESS)
        continue;
      std::wstring path = level.path.empty() ? child : level.path + L'\\' + child;
      Enter(std::move(opened), path);  // may move levels_: level is not used after
    }
  }

 private:
  struct Level {
    RegKey key;
    std::wstring path;  // below the hive root
    DWORD subkeys = 0;
    DWORD next = 0;
    std::vector<wchar_t> name;
  };

  // Hands over what the key holds and makes it the deepest level.
  void Enter(RegKey key, const std::wstring& path) {
    KeyInfo info;
    if (!QueryInfo(key.Get(), &info)) return;
    Bstr text(path.data(), static_cast<UINT>(path.size()));
    if (!text.Get()) throw std::bad_alloc();
    if (info.values == 0 && info.subkeys == 0 && !path.empty())
      CheckCall(sink_->AddCapturedKey(root_, text.Get()));
    if (info.values) HandValues(key.Get(), info, text);
    if (info.subkeys == 0) return;
    levels_.push_back(
        Level{std::move(key), path, info.subkeys, 0, std::vector<wchar_t>(info.longestSubkey + 2)});
  }

  bool SubkeyName(Level& level, std::wstring* name) {
    for (;;) {
      DWORD length = static_cast<DWORD>(level.name.size());
      LONG status = RegEnumKeyExW(level.key.Get(), level.next, level.name.data(), &length, nullptr,
                                  nullptr, nullptr, nullptr);
      if (status == ERROR_MORE_DATA) {
        level.name.resize(level.name.size() * 2);
        continue;
      }
      ++level.next;
      if (status != ERROR_SUCCESS) return false;
      name->assign(level.name.data(), length);
      return true;
    }
  }

  void HandValues(HKEY key, const KeyInfo& info, const Bstr& path) {
    std::vector<wchar_t> name(info.longestName + 2);
    std::vector<BYTE> data(info.largestData ? info.largestData : 1);
    for (DWORD index = 0; index < info.values;) {
      DWORD nameLength = static_cast<DWORD>(name.size());
      DWORD size = static_cast<DWORD>(data.size());
      DWORD type = REG_NONE;
      LONG status =
          RegEnumValueW(key, index, name.data(), &nameLength, nullptr, &type, data.data(), &size);
      if (status == ERROR_MORE_DATA) {
        // Either buffer may be short; grow both and ask again.
        name.resize(name.size() * 2);
        data.resize(size > data.size() ? size : data.size() * 2);
        continue;
      }
      if (status != ERROR_SUCCESS) break;
      Bstr valueName = nameLength ? Bstr(name.data(), nameLength) : Bstr();
      if (nameLength && !valueName.Get()) throw std::bad_alloc();
      CheckCall(sink_->AddCapturedValue(root_, path.Get(), valueName.Get(), type, size,
                                        size ? data.data() : nullptr));
      ++index;
    }
  }

  IExtractCapturedRegistry* sink_;
  ULONG root_;
  std::vector<Level> levels_;
};

}  // namespace

void HandOverTree(IExtractCapturedRegistry* sink, ULONG root, HKEY start,
                  const std::wstring& basePath) {
  if (sink && start) Walk(sink, root).Run(start, basePath);
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

void HandOverCaptureArea(IExtractComponent* component) {
  if (!component) return;
  ComPtr<IExtractCapturedRegistry> sink;
  if (FAILED(component->QueryInterface(IID_IExtractCapturedRegistry, sink.PutVoid())) || !sink)
    return;
  for (ULONG hive = 0; hive < 4; ++hive) {
    CaptureKey key(HKEY_CURRENT_USER, std::wstring(kCaptureAreaRoot) + L'\\' + kHiveMirrors[hive]);
    if (key) Walk(sink.Get(), 0x80000000u + hive).Run(key.Get(), std::wstring());
  }
}

}  // namespace twutil
