#include "signing/OutputLines.h"

#include <windows.h>

namespace twutil {

void SplitChunkLines(const std::wstring& text,
                     const std::function<void(const std::wstring&)>& line) {
  size_t start = 0;
  for (size_t found = text.find(L"\r\n"); found != std::wstring::npos;
       found = text.find(L"\r\n", start)) {
    line(text.substr(start, found - start));
    start = found + 2;
  }
  if (start < text.size()) line(text.substr(start));
}

void RelayOutputLines(const std::string& output,
                      const std::function<void(const std::wstring&)>& line) {
  const UINT codePage = GetACP();
  for (size_t at = 0; at < output.size(); at += kOutputChunkBytes) {
    const size_t bytes =
        output.size() - at < kOutputChunkBytes ? output.size() - at : kOutputChunkBytes;
    wchar_t text[kOutputChunkBytes];
    int n = MultiByteToWideChar(codePage, 0, output.data() + at, static_cast<int>(bytes), text,
                                static_cast<int>(kOutputChunkBytes));
    if (n <= 0) continue;
    SplitChunkLines(std::wstring(text, static_cast<size_t>(n)), line);
  }
}

}  // namespace twutil
