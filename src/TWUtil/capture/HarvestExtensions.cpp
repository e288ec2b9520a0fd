// File extensions that point at one of the file's ProgIDs. Every extension
// key leaves the capture area, recorded or not.
#include <vector>

#include "Errors.h"
#include "capture/HarvestSteps.h"

namespace twutil {
namespace {

// The extension goes onto the verbs of the ProgID, asked by 0-based position.
void MarkVerbs(IExtractProgIDInfo* progId, const std::wstring& extension) {
  ComPtr<IExtractVerbCol> verbs;
  CheckCall(progId->get_VerbCollection(verbs.Put()));
  if (!verbs) return;
  LONG count = 0;
  CheckCall(verbs->get_Count(&count));
  for (LONG index = 0; index < count; ++index) {
    VARIANT position;
    VariantInit(&position);
    V_VT(&position) = VT_I4;
    V_I4(&position) = index;
    ComPtr<IExtractVerbInfo> verb;
    if (SUCCEEDED(verbs->get_Item(position, verb.Put())) && verb)
      verb->put_Extension(ModelText(extension).Get());
  }
}

void HarvestExtension(HarvestContext& context, IExtractProgIDCol* progIds, const CaptureKey& mirror,
                      const std::wstring& name) {
  CaptureKey key(mirror, name);
  std::optional<std::wstring> progIdText = key.Text(nullptr, kShortValueBytes);
  if (!progIdText) return;
  Bstr progIdKey = ModelText(*progIdText);
  VARIANT lookup;
  VariantInit(&lookup);
  V_VT(&lookup) = VT_BSTR;
  V_BSTR(&lookup) = progIdKey.Get();  // borrowed; progIdKey owns it
  ComPtr<IExtractProgIDInfo> progId;
  if (FAILED(progIds->get_Item(lookup, progId.Put())) || !progId) return;

  std::wstring extension = name.substr(1);
  MarkVerbs(progId.Get(), extension);
  ComPtr<IExtractExtensionCol> extensions;
  CheckCall(context.component->get_ExtensionCol(extensions.Put()));
  if (!extensions) return;
  ComPtr<IExtractExtensionInfo> item;
  extensions->Add(ModelText(extension).Get(), item.Put());
  if (item) CheckCall(item->put_ProgID(progIdKey.Get()));
}

}  // namespace

void HarvestExtensions(HarvestContext& context) {
  ComPtr<IExtractProgIDCol> progIds;
  if (FAILED(context.component->get_ProgIDCollection(progIds.Put())) || !progIds) return;
  CaptureKey mirror = context.area.Open(kClassesRootMirror);
  if (!mirror) return;
  std::vector<std::wstring> consumed;
  std::wstring name;
  for (DWORD index = 0;; ++index) {
    SubkeyAt found = mirror.Subkey(index, &name);
    if (found == SubkeyAt::kEnd) break;
    if (found != SubkeyAt::kName || name.empty() || name[0] != L'.') continue;
    consumed.push_back(name);
    HarvestExtension(context, progIds.Get(), mirror, name);
  }
  for (const std::wstring& extension : consumed) context.area.DeleteTree(mirror, extension.c_str());
}

}  // namespace twutil
