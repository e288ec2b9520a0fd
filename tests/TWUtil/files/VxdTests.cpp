// GetVxdVersionInfoSize / GetVxdVersionInfo through COM, with the VxD
// version extractor and the checks on the 16-bit version block behind them.
#include <gtest/gtest.h>

#include "FileFixtures.h"
#include "files/VersionData16.h"

using twutil::Bstr;
using twutil::Variant;

namespace filefixtures {
namespace {

// The standard VxD with a value written over it at `at` (when not 0), cut to
// size (when not 0).
Bytes StandardVxd(size_t at = 0, uint32_t value = 0, size_t size = 0) {
  Bytes image = Vxd(StandardVersionData());
  if (at) PutU32(&image, at, value);
  if (size) image.resize(size);
  return image;
}

// The elements of an array, or the text of a string.
std::wstring Values(const Variant& v) {
  if (v.Type() == VT_BSTR) return V_BSTR(&v.Ref());
  if (v.Type() != (VT_ARRAY | VT_VARIANT)) return L"(type " + std::to_wstring(v.Type()) + L")";
  const SAFEARRAY* array = V_ARRAY(&v.Ref());
  std::wstring values = array->rgsabound[0].lLbound == 0 ? L"" : L"(not from 0)";
  for (ULONG i = 0; i < array->rgsabound[0].cElements; ++i) {
    const VARIANT& element = static_cast<const VARIANT*>(array->pvData)[i];
    values += (i ? L"," : L"") +
              (V_VT(&element) == VT_I4 ? std::to_wstring(V_I4(&element)) : std::wstring(L"?"));
  }
  return values;
}

class FileVxd : public FileTest {
 protected:
  LONG SizeOf(const std::wstring& path) {
    LONG size = 99;
    EXPECT_EQ(file_->GetVxdVersionInfoSize(Bstr(path.c_str()).Get(), &size), S_OK);
    return size;
  }
  // A call's out-values: success, version, text, languages and code pages.
  // They start as 0 11.16 - old old, so that a change shows.
  std::wstring Read(const std::wstring& path, LONG length) {
    LONG ms = 0x11, ls = 0x16;
    Bstr text;
    Variant language, codePage;
    VARIANT_BOOL success = 7;
    for (Variant* v : {&language, &codePage}) {
      V_VT(v->Put()) = VT_BSTR;  // replaced, not leaked
      V_BSTR(&v->Ref()) = SysAllocString(L"old");
    }
    EXPECT_EQ(
        file_->GetVxdVersionInfo(path.empty() ? nullptr : Bstr(path.c_str()).Get(), length, &ms,
                                 &ls, text.Put(), &language.Ref(), &codePage.Ref(), &success),
        S_OK);
    wchar_t version[24];
    swprintf(version, 24, L"%lX.%lX", ms, ls);
    return std::to_wstring(success) + L" " + version + L" " + (text.Get() ? text.Text() : L"-") +
           L" " + Values(language) + L" " + Values(codePage);
  }
};

const std::wstring kUntouched = L"0 11.16 - old old";

TEST_F(FileVxd, ReadsVersionAndTranslationsOrLeavesAllAloneWithoutUsableDataOrBuffer) {
  const std::pair<Bytes, const wchar_t*> cases[] = {
      {StandardVersionData(), L"-1 40000.3B60001 4.0.950.1 1033 1252"},
      {VersionData(0xFFFF0000, 0x8000FFFF, {VarFileInfo({0x04E40409, 0x04B00407})}),
       L"-1 FFFF0000.8000FFFF 65535.0.32768.65535 1033,1031 1252,1200"},
      // Without a translation the version is set, but there is no success.
      {VersionData(0x00010002, 0x00030004, {StringFileInfo()}), L"0 10002.30004 1.2.3.4 old old"},
  };
  for (const auto& c : cases) {
    std::wstring path = dir_.Write(L"v.vxd", Vxd(c.first));
    ASSERT_EQ(SizeOf(path), LONG(c.first.size()));
    EXPECT_EQ(Read(path, LONG(c.first.size())), c.second);
  }

  std::wstring path = dir_.Write(L"std.vxd", StandardVxd());
  for (LONG length : {LONG(kStandardSize) - 1, 0L, -1L, LONG(0x80000000)})
    EXPECT_EQ(Read(path, length), kUntouched) << length;
  EXPECT_EQ(Read(path, 1 << 20).substr(0, 3), L"-1 ");

  // Other formats, offsets past the end, no resource, nothing to read.
  const Bytes good = StandardVxd();
  const size_t offset = 0x80 + 0xB8, headerEnd = 0x80 + 0xC4;
  const std::vector<Bytes> files = {
      PEImage(0x2102), DosStub("NE", 0x100), Bytes{'M', 'Z'},
      StandardVxd(0x80, 0x0101454C),  // "LE" with other byte and word order
      StandardVxd(0x3C, 0xFFFFFFFC), StandardVxd(0x3C, uint32_t(good.size()) - 2),
      StandardVxd(0, 0, offset + 2),  // resource fields cut off
      StandardVxd(0, 0, headerEnd),   // the file ends before the resource
      StandardVxd(offset, 0xFFFFFFF8, headerEnd), StandardVxd(offset, 0x7FFFFFFF, headerEnd),
      // More data than the file holds.
      StandardVxd(0x208, kStandardSize + 1), StandardVxd(0x208, 0xFFFFFFFE),
      Bytes(good.begin(), good.end() - 1), StandardVxd(0x80 + 0xBC, 0)};
  std::vector<std::wstring> paths = {dir_.Path() + L"missing.vxd", std::wstring()};
  for (size_t i = 0; i < files.size(); ++i)
    paths.push_back(dir_.Write(L"bad" + std::to_wstring(i) + L".vxd", files[i]));
  twutil::Handle lock = Lock(path);
  paths.push_back(path);
  for (const std::wstring& bad : paths) {
    EXPECT_EQ(SizeOf(bad), 0) << bad.c_str();
    EXPECT_EQ(Read(bad, 4096), kUntouched) << bad.c_str();
  }

  // Data the extractor copies but the version query must not walk.
  std::vector<Bytes> damaged(4, StandardVersionData());
  damaged[0][0] = uint8_t(kStandardSize + 1);  // the root longer than the data
  damaged[1][136] = damaged[1][137] = 0;       // VarFileInfo with length 0
  damaged[2][2] = 0xFF;                        // the fixed info longer than the root
  damaged[3][4] = 0;                           // reads as the 32-bit form
  damaged.push_back(Bytes(4, 0));
  for (size_t i = 0; i < damaged.size(); ++i) {
    // Wine's query stays inside the data anyway; the platform's may not.
    EXPECT_FALSE(
        twutil::IsWellFormedVersion16(twutil::ByteSpan(damaged[i].data(), damaged[i].size())))
        << i;
    std::wstring path = dir_.Write(L"damaged.vxd", Vxd(damaged[i]));
    EXPECT_EQ(SizeOf(path), LONG(damaged[i].size())) << i;
    EXPECT_EQ(Read(path, LONG(damaged[i].size())), kUntouched) << i;
  }
}

}  // namespace
}  // namespace filefixtures
