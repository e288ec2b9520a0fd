// A DefaultIcon text ("file,index") recorded on a ProgID or class item.
#include "Errors.h"
#include "capture/HarvestSteps.h"
#include "servers/HarvestText.h"
#include "servers/PathForms.h"

namespace twutil {
namespace {

template <class Item>
void RecordIcon(IUnknown* item, const IconReference& icon) {
  ComPtr<Item> typed;
  if (FAILED(item->QueryInterface(__uuidof(Item), typed.PutVoid())) || !typed) return;
  CheckCall(typed->put_DefaultIcon(ModelText(icon.file).Get()));
  CheckCall(typed->put_IconIndex(icon.index));
}

}  // namespace

void ParseDefaultIcon(IUnknown* item, const std::wstring& iconText, int kind) {
  std::optional<IconReference> icon = SplitIconText(iconText);
  if (!icon || !item) return;
  icon->file = ExpandSystemPathPrefix(icon->file);
  if (kind == kProgIDIcon) RecordIcon<IExtractProgIDInfo>(item, *icon);
  if (kind == kClassIcon) RecordIcon<IExtractComClass>(item, *icon);
}

}  // namespace twutil
