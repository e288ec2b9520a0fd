// Running the live-registry capture from the tests, and reading the model it
// filled by property path.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "TWUtil.h"
#include "com/Owners.h"

namespace twtest {

using ComponentList = std::vector<twutil::ComPtr<IExtractComponent>>;

twutil::ComPtr<IExtractComponent> NewComponent(const std::wstring& keyFile,
                                               const std::wstring& destination = L"[INSTALLDIR]");

// A value of the model by path: property names, and collection keys where
// the object has no such property ("ComClassCollection", "{...}",
// "Description"). Texts as they are, numbers in decimal, "<none>" for a key
// or property that is not there.
std::wstring ModelValue(IUnknown* root, std::initializer_list<const wchar_t*> path);
long ItemCount(IUnknown* root, std::initializer_list<const wchar_t*> path);
// The items of one of root's collections, by position.
std::vector<twutil::ComPtr<IUnknown>> Items(IUnknown* root, const wchar_t* collection);

// The component's AddMiscRegistryInfo calls as "KEY|NAME|all" lines.
std::vector<std::wstring> MiscLines(IExtractComponent* component);

struct LiveRun {
  HRESULT hr = E_UNEXPECTED;
  LONG result = 12345;  // as the caller set it before the call
  std::vector<LONG> progress;
  std::wstring error, source;
};

struct LiveOptions {
  bool repackaging = false;
  bool registerServer = false;
  bool unregisterServer = false;
};

// One SetServer call on the live path ("UseOldComExtraction" set for the
// call's duration when not repackaging).
LiveRun CaptureLive(IServerInfo* serverInfo, IRegistry* registry, const ComponentList& components,
                    LiveOptions options = {});
LiveRun CaptureLive(IRegistry* registry, const ComponentList& components, LiveOptions options = {});

bool Contains(const std::vector<std::wstring>& lines, const std::wstring& line);

}  // namespace twtest
