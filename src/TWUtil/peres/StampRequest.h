// What one stamping run writes: the new texts (empty = leave that key
// alone) and the translation language (0 = leave it alone).
#pragma once

#include <cstdint>
#include <string>

namespace twutil {

struct StampRequest {
  std::wstring companyName;
  std::wstring productName;
  std::wstring productAndFileVersion;  // both "FileVersion" and "ProductVersion"
  std::wstring description;
  std::wstring copyright;
  uint32_t language = 0;
};

// A text as stamping writes it: through the conversion code page and back,
// at most 60 UTF-16 units, then through the conversion code page and back
// from the system ANSI code page. Characters that the code pages cannot
// represent come out as their default character.
std::wstring PrepareStampText(const std::wstring& text);

}  // namespace twutil
