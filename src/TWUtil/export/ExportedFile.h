// One captured file as the exports see it: where it was, how wide, and what
// its registration wrote.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "model/CapturedRegistry.h"

namespace twutil::exports {

struct ExportedFile {
  std::wstring keyFile;  // full Windows path as captured
  int bitness = 32;      // 32 or 64
  std::vector<model::CapturedEntry> entries;
};

// "HKEY_CLASSES_ROOT\key" for notes; "<root 0x...>\key" for an unknown root.
std::wstring EntryKeyText(const model::CapturedEntry& entry);
// "HKEY_CLASSES_ROOT\key value \"name\"" or "... default value".
std::wstring EntryValueText(const model::CapturedEntry& entry);

// The text a REG_SZ or REG_EXPAND_SZ holds when its data is exactly that
// text and one terminating null.
std::optional<std::wstring> TerminatedText(const std::vector<BYTE>& data);
// The elements of a REG_MULTI_SZ laid out as "a\0b\0\0" with none empty.
std::optional<std::vector<std::wstring>> MultiStringElements(const std::vector<BYTE>& data);
std::vector<BYTE> TerminatedBytes(const std::wstring& text);

}  // namespace twutil::exports
