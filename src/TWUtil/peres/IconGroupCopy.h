// Copying one group icon with its images into another file under new
// identifiers: the group under base, its images under base + 1, base + 2, ...
#pragma once

#include <windows.h>

#include <cstdint>

namespace twutil {

// Identifiers that one slot owns: the group and up to 13 images.
constexpr uint32_t kIdentifiersPerSlot = 14;

// The number of group icons of a module, named or numbered.
uint32_t CountGroupIcons(HMODULE module);

// index >= 0 picks the group by its position among the module's group icons,
// index -n the group numbered n. A null module is the host's executable.
// Any failure before the commit leaves the destination untouched.
bool CopyIconGroup(HMODULE module, long index, const wchar_t* destination, uint32_t base);

}  // namespace twutil
