// Helpers of the PE resource suites: captured diagnostics, the platform's
// view of a file's version and icons, and icon resources to build files with.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "CodePage.h"
#include "peres/ResourceHandles.h"
#include "peres/StampDiagnostics.h"
#include "support/PeBuilder.h"
#include "support/TestSupport.h"

namespace perestest {

using namespace pefixture;
using twtest::ReadBytes;

// UTF-16 to the system ANSI code page, as stamping names files.
inline std::string Ansi(const std::wstring& text) { return twutil::ToNarrow(text); }

// Every message of a run; Lines gives those at or below a level, one a line.
class RecordingSink : public twutil::StampSink {
 public:
  void Emit(int level, const char* text) override { messages.emplace_back(level, text); }
  std::string Lines(int maxLevel) const {
    std::string lines;
    for (const auto& message : messages)
      if (message.first <= maxLevel) lines += message.second + "\n";
    return lines;
  }
  std::vector<std::pair<int, std::string>> messages;
};

// A value of the file's version resource through GetFileVersionInfo and
// VerQueryValue: the bytes from the value on to the end of the version data,
// and a NUL; empty when the value is missing.
inline Bytes VersionValue(const std::wstring& file, const std::wstring& subBlock) {
  DWORD handle = 0;
  std::vector<BYTE> data(GetFileVersionInfoSizeW(file.c_str(), &handle));
  BYTE* value = nullptr;
  UINT length = 0;
  if (data.empty() || !GetFileVersionInfoW(file.c_str(), 0, DWORD(data.size()), data.data()) ||
      !VerQueryValueW(data.data(), subBlock.c_str(), reinterpret_cast<void**>(&value), &length) ||
      !value)
    return Bytes();
  Bytes bytes(value, data.data() + data.size());
  bytes.insert(bytes.end(), 2, 0);
  return bytes;
}
// A string ("\\StringFileInfo\\040904b0\\CompanyName", or "(absent)"), the
// first translation (language | code page << 16, or 0), the file version of
// the fixed information (most significant half first).
inline std::wstring VersionString(const std::wstring& file, const std::wstring& subBlock) {
  Bytes value = VersionValue(file, subBlock);
  return value.empty() ? L"(absent)" : reinterpret_cast<const wchar_t*>(value.data());
}
inline DWORD Translation(const std::wstring& file) {
  Bytes value = VersionValue(file, L"\\VarFileInfo\\Translation");
  return value.empty() ? 0 : GetU32(value, 0);
}
inline std::pair<DWORD, DWORD> FileVersion(const std::wstring& file) {
  Bytes value = VersionValue(file, L"\\");
  if (value.empty()) return {0, 0};
  return {GetU32(value, 8), GetU32(value, 12)};
}

// A group directory, each entry claiming 8 bytes.
inline Resource GroupResource(uint16_t id, const std::vector<uint16_t>& imageIds,
                              const std::u16string& name = u"") {
  Bytes group(6 + 14 * imageIds.size(), 0);
  PutU16(&group, 2, 1);
  PutU16(&group, 4, static_cast<uint16_t>(imageIds.size()));
  for (size_t i = 0, entry = 6; i < imageIds.size(); ++i, entry += 14) {
    group[entry] = group[entry + 1] = static_cast<uint8_t>(16 * (i + 1));
    PutU16(&group, entry + 4, 1);
    PutU16(&group, entry + 6, 32);
    PutU32(&group, entry + 8, 8);
    PutU16(&group, entry + 12, imageIds[i]);
  }
  return {14, id, name, 0, group};
}
// An image of 8 bytes that tell it apart.
inline Bytes ImageBytes(uint16_t id) {
  Bytes bytes(8, static_cast<uint8_t>(id & 0xFF));
  bytes[0] = static_cast<uint8_t>(id >> 8);
  return bytes;
}
inline Resource ImageResource(uint16_t id) { return {3, id, u"", 0, ImageBytes(id)}; }

// A resource of a file (of the running executable for an empty name) read
// through the platform's resource API; empty when missing.
inline Bytes ReadResource(const std::wstring& file, const wchar_t* type, const wchar_t* name) {
  twutil::ModuleHandle module;
  if (!file.empty()) module = twutil::LoadAsData(file.c_str());
  if (!file.empty() && !module.Valid()) return Bytes();
  HRSRC found = FindResourceW(module.Get(), name, type);
  HGLOBAL loaded = found ? LoadResource(module.Get(), found) : nullptr;
  const uint8_t* data = loaded ? static_cast<const uint8_t*>(LockResource(loaded)) : nullptr;
  return data ? Bytes(data, data + SizeofResource(module.Get(), found)) : Bytes();
}
inline Bytes ReadResource(const std::wstring& file, const wchar_t* type, uint16_t id) {
  return ReadResource(file, type, MAKEINTRESOURCEW(id));
}

}  // namespace perestest
