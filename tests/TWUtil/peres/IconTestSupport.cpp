#include "IconTestSupport.h"

#include "peres/ResourceHandles.h"
#include "support/TestSupport.h"

namespace icontest {

Bytes GroupDirectory(const std::vector<uint16_t>& imageIds) {
  Bytes group(6, 0);
  pefixture::PutU16(&group, 2, 1);
  pefixture::PutU16(&group, 4, static_cast<uint16_t>(imageIds.size()));
  for (size_t i = 0; i < imageIds.size(); ++i) {
    const size_t entry = 6 + 14 * i;
    group.resize(entry + 14, 0);
    group[entry] = group[entry + 1] = static_cast<uint8_t>(16 * (i + 1));
    pefixture::PutU16(&group, entry + 4, 1);
    pefixture::PutU16(&group, entry + 6, 32);
    pefixture::PutU32(&group, entry + 8, 8);
    pefixture::PutU16(&group, entry + 12, imageIds[i]);
  }
  return group;
}

std::vector<uint16_t> ListedImages(const Bytes& group) {
  std::vector<uint16_t> ids;
  if (group.size() < 6) return ids;
  const uint16_t count = pefixture::GetU16(group, 4);
  for (size_t i = 0; i < count && 6 + 14 * i + 14 <= group.size(); ++i)
    ids.push_back(pefixture::GetU16(group, 6 + 14 * i + 12));
  return ids;
}

pefixture::Resource GroupResource(uint16_t id, const std::vector<uint16_t>& imageIds,
                                  const std::u16string& name) {
  pefixture::Resource r;
  r.type = 14;
  r.id = id;
  r.name = name;
  r.language = 0;
  r.data = GroupDirectory(imageIds);
  return r;
}

pefixture::Resource ImageResource(uint16_t id, const Bytes& bytes) {
  pefixture::Resource r;
  r.type = 3;
  r.id = id;
  r.language = 0;
  r.data = bytes;
  return r;
}

Bytes ImageBytes(uint16_t id) {
  Bytes bytes(8, static_cast<uint8_t>(id & 0xFF));
  bytes[0] = static_cast<uint8_t>(id >> 8);
  return bytes;
}

static Bytes ModuleResource(HMODULE module, const wchar_t* type, const wchar_t* name) {
  HRSRC found = FindResourceW(module, name, type);
  if (!found) return Bytes();
  DWORD size = SizeofResource(module, found);
  HGLOBAL loaded = LoadResource(module, found);
  const uint8_t* data = loaded ? static_cast<const uint8_t*>(LockResource(loaded)) : nullptr;
  return data ? Bytes(data, data + size) : Bytes();
}

Bytes ReadResource(const std::wstring& file, const wchar_t* type, const wchar_t* name) {
  twutil::DataModule module(file.c_str());
  return module.Loaded() ? ModuleResource(module.Get(), type, name) : Bytes();
}

Bytes ReadResource(const std::wstring& file, const wchar_t* type, uint16_t id) {
  return ReadResource(file, type, MAKEINTRESOURCEW(id));
}

Bytes ReadOwnResource(const wchar_t* type, uint16_t id) {
  return ModuleResource(nullptr, type, MAKEINTRESOURCEW(id));
}

twutil::ComPtr<ITWXferIconResource> Transfer(const wchar_t* source, const wchar_t* destination) {
  twutil::ComPtr<ITWXferIconResource> transfer;
  twtest::Create(CLSID_TWResXfer, &transfer);
  if (!transfer) return transfer;
  twutil::Variant result;
  twutil::Bstr sourceName(source), destinationName(destination);
  if (source) transfer->SetSourceFile(sourceName.Get(), result.Put());
  if (destination) transfer->SetDestinationFile(destinationName.Get(), result.Put());
  return transfer;
}

CopyResult Copy(ITWXferIconResource* transfer, const VARIANT& iconIndex, VARIANT* outIndex) {
  twutil::Variant result;
  CopyResult copy = {};
  copy.hr = transfer->CopyIconResource(iconIndex, outIndex, result.Put());
  copy.result = result.Type() == VT_I4 ? V_I4(&result.Ref()) : 12345;
  copy.type = V_VT(outIndex);
  twutil::Variant asLong;
  if (SUCCEEDED(VariantChangeType(asLong.Put(), outIndex, 0, VT_I4)))
    copy.out = V_I4(&asLong.Ref());
  return copy;
}

CopyResult Copy(ITWXferIconResource* transfer, long iconIndex, long outIndex) {
  twutil::Variant index, out;
  V_VT(index.Put()) = VT_I4;
  V_I4(&index.Ref()) = iconIndex;
  V_VT(out.Put()) = VT_I4;
  V_I4(&out.Ref()) = outIndex;
  return Copy(transfer, index.Ref(), &out.Ref());
}

}  // namespace icontest
