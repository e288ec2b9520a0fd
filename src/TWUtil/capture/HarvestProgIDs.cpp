// ProgIDs of the file's own classes, with their verbs and icons. The links
// from a version-independent ProgID to its current version, and the removal
// of emptied ProgID keys, wait until the enumeration of the mirror is over.
#include <utility>
#include <vector>

#include "Errors.h"
#include "capture/HarvestSteps.h"
#include "servers/HarvestText.h"

namespace twutil {
namespace {

bool IsProgIDName(const std::wstring& name) {
  if (name.empty() || name[0] == L'.') return false;
  for (const wchar_t* reserved : {L"TypeLib", L"CLSID", L"Interface", L"Licences"})
    if (EqualsNoCase(name, reserved)) return false;
  return true;
}

struct ProgIDWalk {
  std::vector<std::pair<ComPtr<IExtractProgIDInfo>, std::wstring>> currentVersions;
  std::vector<std::wstring> emptied;
};

void HarvestProgID(HarvestContext& context, IExtractProgIDCol* progIds, const CaptureKey& mirror,
                   const std::wstring& name, ProgIDWalk& walk) {
  CaptureKey key(mirror, name);
  CaptureKey clsidKey(key, L"CLSID");
  std::optional<std::wstring> clsid = clsidKey.Text(nullptr, kShortValueBytes);
  if (!clsid || !context.harvestedClasses.count(*clsid)) return;

  ComPtr<IExtractProgIDInfo> item;
  progIds->Add(ModelText(name).Get(), item.Put());
  if (!item) return;
  CaptureArea& area = context.area;

  if (key.HasSubkey(L"CurVer")) {
    CaptureKey curVer(key, L"CurVer");
    if (std::optional<std::wstring> current = curVer.Text(nullptr, kShortValueBytes))
      walk.currentVersions.emplace_back(item, *current);
    area.DeleteValue(curVer, nullptr);
    if (curVer.IsEmpty()) area.DeleteTree(key, L"CurVer");
  } else {
    item->put_ClassID(ModelText(*clsid).Get());
  }
  area.DeleteValue(clsidKey, nullptr);
  if (clsidKey.IsEmpty()) area.DeleteTree(key, L"CLSID");

  if (std::optional<std::wstring> description = key.Text(nullptr, kShortValueBytes)) {
    item->put_Description(ModelText(*description).Get());
    area.DeleteValue(key, nullptr);
  }
  if (std::optional<std::wstring> icon = key.SubkeyText(L"DefaultIcon", kShortValueBytes)) {
    ParseDefaultIcon(item.Get(), *icon, kProgIDIcon);
    area.DeleteTree(key, L"DefaultIcon");
  }
  CaptureKey shell(key, L"Shell");
  if (shell) HarvestVerbs(context, shell, item.Get());
  if (key.IsEmpty()) walk.emptied.push_back(name);
}

}  // namespace

void HarvestProgIDs(HarvestContext& context) {
  CaptureKey mirror = context.area.Open(kClassesRootMirror);
  if (!mirror) return;
  ComPtr<IExtractProgIDCol> progIds;
  CheckCall(context.component->get_ProgIDCollection(progIds.Put()));
  if (!progIds) return;
  ProgIDWalk walk;
  std::wstring name;
  for (DWORD index = 0;; ++index) {
    SubkeyAt found = mirror.Subkey(index, &name);
    if (found == SubkeyAt::kEnd) break;
    if (found == SubkeyAt::kName && IsProgIDName(name))
      HarvestProgID(context, progIds.Get(), mirror, name, walk);
  }
  for (auto& [item, current] : walk.currentVersions) item->put_Parent(ModelText(current).Get());
  for (const std::wstring& emptied : walk.emptied) context.area.DeleteTree(mirror, emptied.c_str());
}

}  // namespace twutil
