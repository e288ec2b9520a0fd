// Type libraries: one item per LIBID, version and locale that the file
// registered; the whole TypeLib subtree is consumed.
#include "Errors.h"
#include "capture/HarvestSteps.h"
#include "servers/HarvestText.h"

namespace twutil {
namespace {

// Calls consume(name) for each subkey, always taking the first remaining
// one; a subkey that consume cannot delete is stepped over, so the walk ends.
template <class Consume>
void ConsumeSubkeys(const CaptureKey& key, Consume consume) {
  DWORD index = 0;
  std::wstring name;
  for (;;) {
    SubkeyAt found = key.Subkey(index, &name);
    if (found == SubkeyAt::kEnd) return;
    if (found == SubkeyAt::kUnreadable || !consume(name)) ++index;
  }
}

void HarvestVersion(HarvestContext& context, IExtractTypeLibCol* libraries,
                    const std::wstring& libId, const CaptureKey& libKey,
                    const std::wstring& version) {
  CaptureKey versionKey(libKey, version);
  std::wstring helpDir = versionKey.SubkeyText(L"HELPDIR", kHelpDirBytes).value_or(L"");
  context.area.DeleteTree(versionKey, L"HELPDIR");
  context.area.DeleteTree(versionKey, L"FLAGS");
  std::wstring description = versionKey.Text(nullptr, kLongValueBytes).value_or(L"");
  ConsumeSubkeys(versionKey, [&](const std::wstring& lcid) {
    ComPtr<IExtractTypeLibrary> item;
    libraries->Add(ModelText(libId).Get(), item.Put());
    if (item) {
      item->put_LibLCID(LeadingDecimal(lcid));
      item->put_LibDescription(ModelText(description).Get());
      item->put_LibVersion(ModelText(version).Get());
      if (!helpDir.empty()) item->put_HelpDir(ModelText(helpDir).Get());
    }
    return context.area.DeleteTree(versionKey, lcid.c_str());
  });
}

}  // namespace

void HarvestTypeLibraries(HarvestContext& context) {
  CaptureKey typeLibs = context.area.Open(MirrorPath(L"TypeLib"));
  if (!typeLibs) return;
  ComPtr<IExtractTypeLibCol> libraries;
  CheckCall(context.component->get_TypeLibCollection(libraries.Put()));
  if (!libraries) return;
  ConsumeSubkeys(typeLibs, [&](const std::wstring& libId) {
    CaptureKey libKey(typeLibs, libId);
    ConsumeSubkeys(libKey, [&](const std::wstring& version) {
      HarvestVersion(context, libraries.Get(), libId, libKey, version);
      return context.area.DeleteTree(libKey, version.c_str());
    });
    return context.area.DeleteTree(typeLibs, libId.c_str());
  });
  if (typeLibs.IsEmpty()) {
    CaptureKey mirror = context.area.Open(kClassesRootMirror);
    if (mirror) context.area.DeleteTree(mirror, L"TypeLib");
  }
}

}  // namespace twutil
