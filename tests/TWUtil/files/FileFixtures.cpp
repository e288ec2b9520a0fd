#include "FileFixtures.h"

namespace filefixtures {
namespace {

void PutU16(Bytes* out, size_t at, uint16_t v) {
  if (out->size() < at + 2) out->resize(at + 2);
  (*out)[at] = static_cast<uint8_t>(v);
  (*out)[at + 1] = static_cast<uint8_t>(v >> 8);
}

void Pad4(Bytes* out) { out->resize((out->size() + 3) & ~size_t{3}, 0); }

// "MZ" and the offset of the newer header at 0x3C, which says sig.
Bytes DosStub(const char* sig, size_t size) {
  Bytes image(size, 0);
  image[0] = 'M';
  image[1] = 'Z';
  PutU32(&image, 0x3C, 0x80);
  image[0x80] = sig[0];
  image[0x81] = sig[1];
  return image;
}

Bytes U32s(const std::vector<uint32_t>& values) {
  Bytes out;
  for (uint32_t v : values) PutU32(&out, out.size(), v);
  return out;
}

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

}  // namespace

void PutU32(Bytes* out, size_t at, uint32_t v) {
  PutU16(out, at, static_cast<uint16_t>(v));
  PutU16(out, at + 2, static_cast<uint16_t>(v >> 16));
}

Bytes VersionData(DWORD ms, DWORD ls, const std::vector<VersionNode>& children) {
  Bytes fixed = U32s({0xFEEF04BD, 0x00010000, ms, ls, ms, ls, 0x3F, 0,
                      0x00000004 /* VOS_DOS_WINDOWS32 */, 0x00000006 /* VFT_VXD */, 0, 0, 0});
  return Serialize({"VS_VERSION_INFO", fixed, children});
}

VersionNode VarFileInfo(const std::vector<uint32_t>& translations) {
  return {"VarFileInfo", {}, {{"Translation", U32s(translations), {}}}};
}

VersionNode StringFileInfo() {
  Bytes text = {'4', '.', '0', '0', '.', '9', '5', '0', 0};
  return {"StringFileInfo", {}, {{"040904E4", {}, {{"FileVersion", text, {}}}}}};
}

Bytes StandardVersionData() {
  return VersionData(0x00040000, 0x03B60001, {StringFileInfo(), VarFileInfo({0x04E40409})});
}

Bytes Vxd(const Bytes& versionData) {
  Bytes image = DosStub("LE", 0x200);
  uint32_t size = static_cast<uint32_t>(versionData.size());
  PutU32(&image, 0x80 + 0xB8, 0x200);
  PutU32(&image, 0x80 + 0xBC, 12 + size);
  // The resource header: type 0xFF 16 (version), name 0xFF 1, flags, size.
  image.insert(image.end(), {0xFF, 16, 0, 0xFF, 1, 0, 0x30, 0});
  PutU32(&image, image.size(), size);
  image.insert(image.end(), versionData.begin(), versionData.end());
  return image;
}

Bytes PEImage(uint16_t characteristics) {
  Bytes image = DosStub("PE", 0x80 + 24 + 224);
  PutU16(&image, 0x84, 0x014C);  // i386
  PutU16(&image, 0x80 + 4 + 18, characteristics);
  return image;
}

Bytes NEImage() { return DosStub("NE", 0x100); }

}  // namespace filefixtures
