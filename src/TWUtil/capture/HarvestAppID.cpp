// An AppID named by a harvested class: its settings become the AppID item's
// properties and leave the capture area; its description stays.
#include <shlwapi.h>

#include "Errors.h"
#include "capture/HarvestSteps.h"
#include "servers/HarvestText.h"

namespace twutil {
namespace {

// A surrogate that is the key file itself is recorded where the file will be
// installed.
std::wstring InstalledSurrogate(IExtractComponent* component, const std::wstring& surrogate) {
  Bstr keyFile;
  component->get_KeyFile(VARIANT_FALSE, keyFile.Put());
  if (!keyFile.Get() || std::wstring(keyFile.Get(), keyFile.Length()) != surrogate)
    return surrogate;
  Bstr destination;
  component->get_Destination(destination.Put());
  std::wstring installed(destination.Text(), destination.Length());
  if (installed.empty() || installed.back() != L']') installed += L'\\';
  return installed + PathFindFileNameW(surrogate.c_str());
}

}  // namespace

void HarvestAppID(HarvestContext& context, const std::wstring& appId) {
  ComPtr<IExtractAppIDCol> appIds;
  CheckCall(context.component->get_AppInfoCollection(appIds.Put()));
  if (!appIds) return;
  ComPtr<IExtractAppIDInfo> item;
  appIds->Add(ModelText(appId).Get(), item.Put());
  if (!item) return;
  CaptureKey key = context.area.Open(MirrorPath(L"AppID") + L"\\" + appId);
  if (!key) return;
  CaptureArea& area = context.area;

  if (std::optional<std::wstring> description = key.Text(nullptr, kLongValueBytes))
    CheckCall(item->put_Description(ModelText(*description).Get()));
  if (std::optional<std::wstring> service = key.Text(L"LocalService", kLongValueBytes)) {
    CheckCall(item->put_LocalService(ModelText(*service).Get()));
    area.DeleteValue(key, L"LocalService");
  }
  if (std::optional<std::wstring> parameters = key.Text(L"ServiceParameters", kLongValueBytes)) {
    CheckCall(item->put_ServiceParameters(ModelText(*parameters).Get()));
    area.DeleteValue(key, L"ServiceParameters");
  }
  if (std::optional<std::wstring> remote = key.Text(L"RemoteServerName", kLongValueBytes)) {
    CheckCall(item->put_RemoteServerName(ModelText(*remote).Get()));
    area.DeleteValue(key, L"RemoteServerName");
  }
  if (std::optional<std::wstring> surrogate = key.Text(L"DllSurrogate", kLongValueBytes)) {
    std::wstring recorded = InstalledSurrogate(context.component, *surrogate);
    CheckCall(item->put_DllSurrogate(ModelText(recorded).Get()));
    area.DeleteValue(key, L"DllSurrogate");
  }
  if (std::optional<std::wstring> storage = key.Text(L"ActivateAtStorage", kLongValueBytes)) {
    bool yes = !storage->empty() && (storage->front() == L'Y' || storage->front() == L'y');
    CheckCall(item->put_ActivateAtStorage(yes ? 1 : 0));
    area.DeleteValue(key, L"ActivateAtStorage");
  }
  if (std::optional<std::wstring> runAs = key.Text(L"RunAs", kLongValueBytes)) {
    CheckCall(item->put_RunAsInteractiveUser(EqualsNoCase(*runAs, L"Interactive User") ? 1 : 0));
    area.DeleteValue(key, L"RunAs");
  }
}

}  // namespace twutil
