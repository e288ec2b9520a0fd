// The raw side of a capture: every value and every empty key that a file's
// registration left in the four hive mirrors, handed to the component before
// the harvest consumes any of it.
#pragma once

#include <windows.h>

#include <string>

#include "TWUtil.h"
#include "capture/CaptureArea.h"

namespace twutil {

// Hands every value and every empty key of the tree at start to sink, with
// key paths below the hive root beginning with basePath. Raises CExcept when
// sink refuses an entry.
void HandOverTree(IExtractCapturedRegistry* sink, ULONG root, HKEY start,
                  const std::wstring& basePath);
// One value of key (null name: the default value), when it is there.
void HandOverValue(IExtractCapturedRegistry* sink, ULONG root, HKEY key, const std::wstring& path,
                   const wchar_t* name);

// Hands the capture area to the component's IExtractCapturedRegistry; does
// nothing for a component without that interface. A refused entry raises
// CExcept (CheckCall), so nothing is lost without the caller knowing.
void HandOverCaptureArea(IExtractComponent* component, CaptureArea& area);

}  // namespace twutil
