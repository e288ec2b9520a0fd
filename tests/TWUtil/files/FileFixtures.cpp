#include "FileFixtures.h"

#include "com/Owners.h"

namespace filefixtures {
namespace {

void PutU16(Bytes* out, size_t at, uint16_t v) {
  if (out->size() < at + 2) out->resize(at + 2);
  (*out)[at] = static_cast<uint8_t>(v);
  (*out)[at + 1] = static_cast<uint8_t>(v >> 8);
}

}  // namespace

void PutU32(Bytes* out, size_t at, uint32_t v) {
  PutU16(out, at, static_cast<uint16_t>(v));
  PutU16(out, at + 2, static_cast<uint16_t>(v >> 16));
}

namespace {

void Pad4(Bytes* out) {
  while (out->size() % 4) out->push_back(0);
}

// "MZ" and the offset of the newer header at 0x3C.
Bytes DosStub(uint32_t newHeader) {
  Bytes image(0x40, 0);
  image[0] = 'M';
  image[1] = 'Z';
  PutU32(&image, 0x3C, newHeader);
  return image;
}

Bytes U32s(const std::vector<uint32_t>& values) {
  Bytes out;
  for (uint32_t v : values) PutU32(&out, out.size(), v);
  return out;
}

}  // namespace

Bytes Serialize(const VersionNode& node) {
  Bytes out(4, 0);
  for (char c : node.key) out.push_back(static_cast<uint8_t>(c));
  out.push_back(0);
  Pad4(&out);
  out.insert(out.end(), node.value.begin(), node.value.end());
  for (const VersionNode& child : node.children) {
    Pad4(&out);
    Bytes bytes = Serialize(child);
    out.insert(out.end(), bytes.begin(), bytes.end());
  }
  PutU16(&out, 0, static_cast<uint16_t>(out.size()));
  PutU16(&out, 2, static_cast<uint16_t>(node.value.size()));
  return out;
}

Bytes FixedFileInfo(DWORD versionMS, DWORD versionLS) {
  return U32s({0xFEEF04BD, 0x00010000, versionMS, versionLS, versionMS, versionLS, 0x3F, 0,
               0x00000004 /* VOS_DOS_WINDOWS32 */, 0x00000006 /* VFT_VXD */, 0, 0, 0});
}

VersionNode VarFileInfo(const std::vector<uint32_t>& translations) {
  return {"VarFileInfo", {}, {{"Translation", U32s(translations), {}}}};
}

VersionNode StringFileInfo() {
  std::string version = "4.00.950";
  Bytes text(version.begin(), version.end());
  text.push_back(0);
  return {"StringFileInfo", {}, {{"040904E4", {}, {{"FileVersion", text, {}}}}}};
}

Bytes StandardVersionData() {
  return Serialize({"VS_VERSION_INFO",
                    FixedFileInfo(0x00040000, 0x03B60001),
                    {StringFileInfo(), VarFileInfo({0x04E40409})}});
}

Bytes Vxd(const Bytes& versionData, const VxdLayout& layout) {
  Bytes image = DosStub(layout.headerOffset);
  image.resize(layout.headerOffset + 0xC4, 0);
  PutU32(&image, layout.headerOffset, layout.signature);
  uint32_t size = static_cast<uint32_t>(versionData.size());
  PutU32(&image, layout.headerOffset + 0xB8, layout.resourceOffset);
  PutU32(&image, layout.headerOffset + 0xBC,
         layout.resourceLength == 0xFFFFFFFF ? 12 + size : layout.resourceLength);
  // The resource header: type 0xFF 16 (version), name 0xFF 1, flags, size.
  Bytes resource = {0xFF, 16, 0, 0xFF, 1, 0, 0x30, 0};
  PutU32(&resource, 8, layout.dataSize == 0xFFFFFFFF ? size : layout.dataSize);
  resource.insert(resource.end(), versionData.begin(), versionData.end());
  if (layout.placeResource) {
    image.resize(layout.resourceOffset, 0);
    image.insert(image.end(), resource.begin(), resource.end());
  }
  return image;
}

Bytes PEImage(uint16_t characteristics) {
  Bytes image = DosStub(0x80);
  image.resize(0x80 + 24 + 224, 0);
  image[0x80] = 'P';
  image[0x81] = 'E';
  PutU16(&image, 0x84, 0x014C);  // i386
  PutU16(&image, 0x80 + 4 + 18, characteristics);
  return image;
}

Bytes NEImage() {
  Bytes image = DosStub(0x80);
  image.resize(0x100, 0);
  image[0x80] = 'N';
  image[0x81] = 'E';
  return image;
}

Bytes IconFile() { return {0, 0, 1, 0, 1, 0}; }
Bytes CursorFile() { return {0, 0, 2, 0, 1, 0}; }

bool WriteFile(const std::wstring& path, const Bytes& bytes) {
  twutil::Handle file(
      CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  if (!file.Valid()) return false;
  DWORD written = 0;
  return bytes.empty() || (::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()),
                                       &written, nullptr) &&
                           written == bytes.size());
}

Bytes ReadFile(const std::wstring& path) {
  Bytes bytes;
  twutil::Handle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, 0, nullptr));
  uint8_t chunk[4096];
  DWORD read = 0;
  while (file.Valid() && ::ReadFile(file.Get(), chunk, sizeof(chunk), &read, nullptr) && read > 0)
    bytes.insert(bytes.end(), chunk, chunk + read);
  return bytes;
}

}  // namespace filefixtures
