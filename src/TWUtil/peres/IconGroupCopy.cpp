#include "peres/IconGroupCopy.h"

#include <cstring>
#include <string>

#include "image/format/GroupIconDirectory.h"
#include "peres/ResourceHandles.h"

namespace twutil {
namespace {

// A resource name that outlives the enumeration that found it.
struct ResourceName {
  WORD id = 0;
  std::wstring text;
  bool found = false;
  const wchar_t* Get() const { return text.empty() ? MAKEINTRESOURCEW(id) : text.c_str(); }
};

struct GroupSearch {
  long remaining;
  ResourceName name;
};

BOOL CALLBACK TakeAtPosition(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param) {
  auto* search = reinterpret_cast<GroupSearch*>(param);
  if (--search->remaining >= 0) return TRUE;
  if (IS_INTRESOURCE(name))
    search->name.id = static_cast<WORD>(reinterpret_cast<ULONG_PTR>(name));
  else
    search->name.text = name;
  search->name.found = true;
  return FALSE;
}

BOOL CALLBACK CountOne(HMODULE, LPCWSTR, LPWSTR, LONG_PTR param) {
  ++*reinterpret_cast<uint32_t*>(param);
  return TRUE;
}

HRSRC FindGroup(HMODULE module, long index) {
  if (index < 0) {
    const WORD id = static_cast<WORD>(0u - static_cast<uint32_t>(index));
    return FindResourceW(module, MAKEINTRESOURCEW(id), RT_GROUP_ICON);
  }
  GroupSearch search = {index, ResourceName()};
  EnumResourceNamesW(module, RT_GROUP_ICON, TakeAtPosition, reinterpret_cast<LONG_PTR>(&search));
  return search.name.found ? FindResourceW(module, search.name.Get(), RT_GROUP_ICON) : nullptr;
}

// The bytes of a found resource, or false.
bool ResourceBytes(HMODULE module, HRSRC resource, const void** data, DWORD* size) {
  if (!resource) return false;
  *size = SizeofResource(module, resource);
  HGLOBAL loaded = LoadResource(module, resource);
  *data = loaded ? LockResource(loaded) : nullptr;
  return *size != 0 && *data != nullptr;
}

WORD Identifier(uint32_t value) { return static_cast<WORD>(value & 0xFFFF); }

}  // namespace

uint32_t CountGroupIcons(HMODULE module) {
  uint32_t count = 0;
  EnumResourceNamesW(module, RT_GROUP_ICON, CountOne, reinterpret_cast<LONG_PTR>(&count));
  return count;
}

bool CopyIconGroup(HMODULE module, long index, const wchar_t* destination, uint32_t base) {
  // Wine's update service does not survive a null name.
  if (!destination) return false;
  ResourceUpdate update = BeginResourceUpdate(destination);
  if (!update.Valid()) return false;

  const void* groupData = nullptr;
  DWORD groupSize = 0;
  if (!ResourceBytes(module, FindGroup(module, index), &groupData, &groupSize)) return false;
  const ByteSpan group(groupData, groupSize);
  uint16_t count = 0;
  // A directory larger than the copy buffer, or one that announces more
  // entries than it holds, is refused.
  if (!peformat::ReadGroupIconCount(group, &count)) return false;
  uint8_t directory[peformat::kGroupBufferSize];
  std::memcpy(directory, groupData, groupSize);

  for (uint16_t i = 0; i < count; ++i) {
    uint16_t imageId = 0;
    const void* image = nullptr;
    DWORD imageSize = 0;
    if (!peformat::ReadGroupIconImageId(group, i, &imageId) ||
        !ResourceBytes(module, FindResourceW(module, MAKEINTRESOURCEW(imageId), RT_ICON), &image,
                       &imageSize))
      return false;
    const WORD newId = Identifier(base + 1 + i);
    // A refused image shows when the group is written or loaded, not here.
    UpdateResourceW(update.Get(), RT_ICON, MAKEINTRESOURCEW(newId), LANG_NEUTRAL,
                    const_cast<void*>(image), imageSize);
    peformat::WriteGroupIconImageId(directory, groupSize, i, newId);
  }
  if (!UpdateResourceW(update.Get(), RT_GROUP_ICON, MAKEINTRESOURCEW(Identifier(base)),
                       LANG_NEUTRAL, directory, groupSize))
    return false;
  return CommitResourceUpdate(update);
}

}  // namespace twutil
