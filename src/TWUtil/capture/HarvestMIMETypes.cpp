// MIME content types of the file's extensions, and of its classes.
#include "Errors.h"
#include "capture/HarvestSteps.h"

namespace twutil {
namespace {

// A VT_BSTR key that borrows text.
VARIANT TextKey(const Bstr& text) {
  VARIANT key;
  VariantInit(&key);
  V_VT(&key) = VT_BSTR;
  V_BSTR(&key) = text.Get();
  return key;
}

void HarvestContentType(HarvestContext& context, const CaptureKey& type,
                        const std::wstring& content) {
  std::optional<std::wstring> extensionText = type.Text(L"Extension", kShortValueBytes);
  if (!extensionText) return;
  // Without its dot (or whatever first character it has).
  Bstr extension = ModelText(extensionText->empty() ? *extensionText : extensionText->substr(1));
  ComPtr<IExtractExtensionCol> extensions;
  if (FAILED(context.component->get_ExtensionCol(extensions.Put())) || !extensions) return;
  ComPtr<IExtractExtensionInfo> extensionItem;
  if (FAILED(extensions->get_Item(TextKey(extension), extensionItem.Put())) || !extensionItem)
    return;
  Bstr contentText = ModelText(content);
  CheckCall(extensionItem->put_MIME(contentText.Get()));

  std::optional<std::wstring> clsid = type.Text(L"CLSID", kShortValueBytes);
  if (!clsid) return;
  context.area.DeleteValue(type, L"CLSID");
  ComPtr<IExtractComClassCol> classes;
  Bstr clsidText = ModelText(*clsid);
  ComPtr<IExtractComClass> owner;
  if (FAILED(context.component->get_ComClassCollection(classes.Put())) || !classes ||
      FAILED(classes->get_Item(TextKey(clsidText), owner.Put())))
    return;
  ComPtr<IExtractMIMECol> mimeTypes;
  CheckCall(context.component->get_MIMECol(mimeTypes.Put()));
  if (!mimeTypes) return;
  ComPtr<IExtractMIMEInfo> item;
  mimeTypes->Add(contentText.Get(), item.Put());
  if (!item) return;
  CheckCall(item->put_CLSID(clsidText.Get()));
  CheckCall(item->put_Extension(extension.Get()));
}

}  // namespace

void HarvestMIMETypes(HarvestContext& context) {
  CaptureKey types = context.area.Open(MirrorPath(L"MIME\\Database\\Content Type"));
  if (!types) return;
  DWORD index = 0;
  std::wstring content;
  for (;;) {
    SubkeyAt found = types.Subkey(index, &content);
    if (found == SubkeyAt::kEnd) return;
    if (found == SubkeyAt::kUnreadable) {
      ++index;
      continue;
    }
    CaptureKey type(types, content);
    HarvestContentType(context, type, content);
    bool gone = type.IsEmpty() && context.area.DeleteTree(types, content.c_str());
    if (!gone) ++index;
  }
}

}  // namespace twutil
