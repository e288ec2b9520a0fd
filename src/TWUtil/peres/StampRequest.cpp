#include "peres/StampRequest.h"

#include <windows.h>

#include "CodePage.h"
#include "image/format/ValueRewrite.h"

namespace twutil {

std::wstring PrepareStampText(const std::wstring& text) {
  std::wstring roundTrip = ToWide(ToNarrow(text));
  if (roundTrip.size() > peformat::kStampFieldUnits) roundTrip.resize(peformat::kStampFieldUnits);
  std::string narrow = ToNarrow(roundTrip);
  if (narrow.empty()) return std::wstring();

  wchar_t buffer[128] = {};
  int n = MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, narrow.data(),
                              static_cast<int>(narrow.size()), buffer, 128);
  if (n <= 0) return std::wstring();
  size_t length = static_cast<size_t>(n);
  if (length > peformat::kStampFieldUnits) length = peformat::kStampFieldUnits;
  return std::wstring(buffer, length);
}

}  // namespace twutil
