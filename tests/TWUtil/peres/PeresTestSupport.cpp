#include "PeresTestSupport.h"

#include "peres/ResourceHandles.h"
#include "support/TestSupport.h"

namespace perestest {
namespace {

// The bytes from the value on to the end of the version data, and a NUL;
// empty when the value is missing or shorter than minimum (bytes or units).
Bytes VersionValue(const std::wstring& file, const std::wstring& subBlock, UINT minimum) {
  DWORD handle = 0;
  std::vector<BYTE> data(GetFileVersionInfoSizeW(file.c_str(), &handle));
  BYTE* value = nullptr;
  UINT length = 0;
  if (data.empty() || !GetFileVersionInfoW(file.c_str(), 0, DWORD(data.size()), data.data()) ||
      !VerQueryValueW(data.data(), subBlock.c_str(), reinterpret_cast<void**>(&value), &length) ||
      !value || length < minimum)
    return Bytes();
  Bytes bytes(value, data.data() + data.size());
  bytes.insert(bytes.end(), 2, 0);
  return bytes;
}

}  // namespace

std::string Ansi(const std::wstring& text) {
  std::string out(text.size() * 2, '\0');
  out.resize(WideCharToMultiByte(CP_ACP, 0, text.data(), int(text.size()), &out[0], int(out.size()),
                                 nullptr, nullptr));
  return out;
}

std::string RecordingSink::Lines(int maxLevel) const {
  std::string lines;
  for (const auto& message : messages)
    if (message.first <= maxLevel) lines += message.second + "\n";
  return lines;
}

std::wstring VersionString(const std::wstring& file, const std::wstring& subBlock) {
  Bytes value = VersionValue(file, subBlock, 0);
  return value.empty() ? L"(absent)" : reinterpret_cast<const wchar_t*>(value.data());
}

DWORD Translation(const std::wstring& file) {
  Bytes value = VersionValue(file, L"\\VarFileInfo\\Translation", 4);
  return value.empty() ? 0 : GetU32(value, 0);
}

std::pair<DWORD, DWORD> FileVersion(const std::wstring& file) {
  Bytes value = VersionValue(file, L"\\", sizeof(VS_FIXEDFILEINFO));
  if (value.empty()) return {0, 0};
  return {GetU32(value, 8), GetU32(value, 12)};
}

Resource GroupResource(uint16_t id, const std::vector<uint16_t>& imageIds,
                       const std::u16string& name) {
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

Bytes ImageBytes(uint16_t id) {
  Bytes bytes(8, static_cast<uint8_t>(id & 0xFF));
  bytes[0] = static_cast<uint8_t>(id >> 8);
  return bytes;
}

Resource ImageResource(uint16_t id) { return {3, id, u"", 0, ImageBytes(id)}; }

Bytes ReadResource(const std::wstring& file, const wchar_t* type, const wchar_t* name) {
  twutil::ModuleHandle module;
  if (!file.empty()) module = twutil::LoadAsData(file.c_str());
  if (!file.empty() && !module.Valid()) return Bytes();
  HRSRC found = FindResourceW(module.Get(), name, type);
  HGLOBAL loaded = found ? LoadResource(module.Get(), found) : nullptr;
  const uint8_t* data = loaded ? static_cast<const uint8_t*>(LockResource(loaded)) : nullptr;
  return data ? Bytes(data, data + SizeofResource(module.Get(), found)) : Bytes();
}

}  // namespace perestest
