// COM classes with their contexts, icons and AppIDs; then the Interface
// subtree, which stays only when one of the file's classes is the proxy/stub
// of an interface.
#include "Errors.h"
#include "capture/HarvestSteps.h"

namespace twutil {
namespace {

const wchar_t* const kServerKeys[] = {L"InprocServer32", L"InprocServer", L"LocalServer32",
                                      L"LocalServer"};

bool IsServedClass(const CaptureKey& classKey) {
  for (const wchar_t* server : kServerKeys)
    if (classKey.HasSubkey(server)) return true;
  return false;
}

// Records a server subkey as a context and consumes its default value, and the
// subkey too when nothing else is left in it (a ThreadingModel keeps it).
void HarvestContextKey(HarvestContext& context, IExtractComClass* item, const CaptureKey& classKey,
                       const wchar_t* name, bool local, bool handler32, bool handler16) {
  CaptureKey server(classKey, name);
  if (!server) return;
  if (local) {
    std::wstring command = server.Text(nullptr, kLongValueBytes).value_or(L"");
    AddServerContext(item, name, handler32, handler16, &command);
  } else {
    AddServerContext(item, name, handler32, handler16, nullptr);
  }
  context.area.DeleteValue(server, nullptr);
  if (server.IsEmpty()) context.area.DeleteTree(classKey, name);
}

// false when the model gave no item, which ends the class harvest.
bool HarvestClass(HarvestContext& context, IExtractComClassCol* classes, const CaptureKey& clsids,
                  const std::wstring& clsid) {
  CaptureKey classKey(clsids, clsid);
  if (!IsServedClass(classKey)) return true;
  context.harvestedClasses.insert(clsid);
  context.area.DeleteTree(classKey, L"Programmable");

  ComPtr<IExtractComClass> item;
  classes->Add(ModelText(clsid).Get(), item.Put());
  if (!item) return false;

  if (std::optional<std::wstring> description = classKey.Text(nullptr, kLongValueBytes)) {
    CheckCall(item->put_Description(ModelText(*description).Get()));
    context.area.DeleteValue(classKey, nullptr);
  }
  if (std::optional<std::wstring> appId = classKey.Text(L"AppID", kLongValueBytes)) {
    item->put_AppID(ModelText(*appId).Get());
    HarvestAppID(context, *appId);
  }
  context.area.DeleteTree(classKey, L"VersionIndependentProgID");
  if (classKey.HasSubkey(L"ProgID")) {
    if (std::optional<std::wstring> progId = classKey.SubkeyText(L"ProgID", kLongValueBytes))
      CheckCall(item->put_ProgID(ModelText(*progId).Get()));
    context.area.DeleteTree(classKey, L"ProgID");
  }
  bool handler32 = classKey.HasSubkey(L"InProcHandler32");
  bool handler16 = classKey.HasSubkey(L"InProcHandler");
  if (classKey.HasSubkey(L"DefaultIcon")) {
    std::wstring icon = classKey.SubkeyText(L"DefaultIcon", kLongValueBytes).value_or(L"");
    ParseDefaultIcon(item.Get(), icon, kClassIcon);
    context.area.DeleteTree(classKey, L"DefaultIcon");
  }
  for (const wchar_t* local : {L"LocalServer", L"LocalServer32"})
    HarvestContextKey(context, item.Get(), classKey, local, true, handler32, handler16);
  for (const wchar_t* inproc : {L"InprocServer", L"InprocServer32"})
    HarvestContextKey(context, item.Get(), classKey, inproc, false, handler32, handler16);
  return true;
}

void HarvestInterfaces(HarvestContext& context) {
  CaptureKey interfaces = context.area.Open(MirrorPath(L"Interface"));
  if (!interfaces) return;
  std::wstring iid;
  for (DWORD index = 0;; ++index) {
    SubkeyAt found = interfaces.Subkey(index, &iid);
    if (found == SubkeyAt::kEnd) break;
    if (found == SubkeyAt::kUnreadable) continue;
    CaptureKey proxyStub(interfaces, iid + L"\\ProxyStubClsid32");
    std::optional<std::wstring> clsid = proxyStub.Text(nullptr, kShortValueBytes);
    if (clsid && context.harvestedClasses.count(*clsid)) return;
  }
  CaptureKey mirror = context.area.Open(kClassesRootMirror);
  if (mirror) context.area.DeleteTree(mirror, L"Interface");
}

}  // namespace

void HarvestClasses(HarvestContext& context) {
  context.harvestedClasses.clear();
  CaptureKey clsids = context.area.Open(MirrorPath(L"CLSID"));
  if (!clsids) return;
  ComPtr<IExtractComClassCol> classes;
  CheckCall(context.component->get_ComClassCollection(classes.Put()));
  if (!classes) return;
  std::wstring clsid;
  for (DWORD index = 0;; ++index) {
    SubkeyAt found = clsids.Subkey(index, &clsid);
    if (found == SubkeyAt::kEnd) break;
    if (found == SubkeyAt::kUnreadable) continue;
    if (!HarvestClass(context, classes.Get(), clsids, clsid)) return;
  }
  HarvestInterfaces(context);
}

}  // namespace twutil
