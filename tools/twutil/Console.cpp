#include "Console.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

namespace twtool {
namespace {

void WriteBytes(FILE* stream, const std::string& bytes) {
  fflush(stream);
  _setmode(_fileno(stream), _O_BINARY);
  fwrite(bytes.data(), 1, bytes.size(), stream);
  fflush(stream);
}

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return std::string();
  int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                 nullptr, nullptr);
  if (size <= 0) return std::string();
  std::string bytes(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &bytes[0], size,
                      nullptr, nullptr);
  return bytes;
}

}  // namespace

void WriteOut(const std::string& utf8) { WriteBytes(stdout, utf8); }

void WriteError(const std::wstring& text) { WriteBytes(stderr, Utf8(text)); }

}  // namespace twtool
