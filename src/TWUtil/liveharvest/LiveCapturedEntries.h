// The raw side of the live path: the values behind each entry it hands to a
// component as miscellaneous registry information, read from the live
// classes root, for a component that keeps the captured registry.
#pragma once

#include <string>

#include "TWUtil.h"

namespace twutil {

// name given: that value of HKEY_CLASSES_ROOT\key; none: the key's whole
// tree. Does nothing for a component without IExtractCapturedRegistry;
// raises CExcept when the component refuses an entry.
void HandOverLiveEntry(IExtractComponent* component, const std::wstring& key, const wchar_t* name);

}  // namespace twutil
