// GetVxdVersionInfoSize and GetVxdVersionInfo through COM.
#include <gtest/gtest.h>

#include "FileFixtures.h"
#include "FileTestSupport.h"
#include "support/TestSupport.h"

using filefixtures::Bytes;
using filefixtures::VxdLayout;
using twutil::Bstr;
using twutil::Variant;

namespace {

constexpr LONG kStandardSize = 172;

// The out-values of one GetVxdVersionInfo call, preset to see which change.
struct VersionCall {
  LONG ms = 11;
  LONG ls = 22;
  Bstr text;
  Variant language;
  Variant codePage;
  VARIANT_BOOL success = 7;
};

std::vector<LONG> Elements(const VARIANT& v) {
  std::vector<LONG> values;
  if (V_VT(&v) != (VT_ARRAY | VT_VARIANT)) return values;
  SAFEARRAY* array = V_ARRAY(&v);
  EXPECT_EQ(SafeArrayGetDim(array), 1u);
  LONG low = 99;
  LONG high = 0;
  SafeArrayGetLBound(array, 1, &low);
  SafeArrayGetUBound(array, 1, &high);
  EXPECT_EQ(low, 0);
  for (LONG i = low; i <= high; ++i) {
    VARIANT element;
    VariantInit(&element);
    SafeArrayGetElement(array, &i, &element);
    EXPECT_EQ(V_VT(&element), VT_I4);
    values.push_back(V_I4(&element));
    VariantClear(&element);
  }
  return values;
}

class FileVxd : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(file_); }

  std::wstring Write(const wchar_t* name, const Bytes& bytes) {
    std::wstring path = dir_.Path() + name;
    EXPECT_TRUE(filefixtures::WriteFile(path, bytes));
    return path;
  }
  std::wstring WriteVxd(const wchar_t* name, const filefixtures::VersionNode& root) {
    return Write(name, filefixtures::Vxd(filefixtures::Serialize(root)));
  }
  LONG SizeOf(BSTR path) {
    LONG size = 99;
    EXPECT_EQ(file_->GetVxdVersionInfoSize(path, &size), S_OK);
    return size;
  }
  LONG SizeOf(const std::wstring& path) { return SizeOf(Bstr(path.c_str()).Get()); }
  void Read(BSTR path, LONG length, VersionCall* call) {
    EXPECT_EQ(
        file_->GetVxdVersionInfo(path, length, &call->ms, &call->ls, call->text.Put(),
                                 &call->language.Ref(), &call->codePage.Ref(), &call->success),
        S_OK);
  }
  void Read(const std::wstring& path, LONG length, VersionCall* call) {
    Read(Bstr(path.c_str()).Get(), length, call);
  }
  static void ExpectUntouched(const VersionCall& call) {
    EXPECT_EQ(call.success, VARIANT_FALSE);
    EXPECT_EQ(call.ms, 11);
    EXPECT_EQ(call.ls, 22);
    EXPECT_EQ(call.text.Get(), nullptr);
    EXPECT_EQ(call.language.Type(), VT_EMPTY);
    EXPECT_EQ(call.codePage.Type(), VT_EMPTY);
  }

  twutil::ComPtr<IFileSys> file_ = filetest::CreateFileObject();
  twtest::TempDir dir_;
};

TEST_F(FileVxd, ReadsVersionTextAndTranslation) {
  std::wstring path = Write(L"std.vxd", filefixtures::Vxd(filefixtures::StandardVersionData()));
  ASSERT_EQ(SizeOf(path), kStandardSize);
  VersionCall call;
  Read(path, kStandardSize, &call);
  EXPECT_EQ(call.success, VARIANT_TRUE);
  EXPECT_EQ(call.ms, 4 * 65536);
  EXPECT_EQ(call.ls, 950 * 65536 + 1);
  EXPECT_STREQ(call.text.Text(), L"4.0.950.1");
  EXPECT_EQ(Elements(call.language.Ref()), std::vector<LONG>{1033});
  EXPECT_EQ(Elements(call.codePage.Ref()), std::vector<LONG>{1252});
}

TEST_F(FileVxd, BufferLengthDecides) {
  std::wstring path = Write(L"std.vxd", filefixtures::Vxd(filefixtures::StandardVersionData()));
  VersionCall tooSmall;
  Read(path, kStandardSize - 1, &tooSmall);
  ExpectUntouched(tooSmall);
  VersionCall larger;
  Read(path, 1 << 20, &larger);
  EXPECT_EQ(larger.success, VARIANT_TRUE);
  for (LONG length : {0L, -1L, -kStandardSize, LONG(0x80000000), LONG(0x7FFFFFFF)}) {
    VersionCall call;
    Read(path, length, &call);
    ExpectUntouched(call);
  }
}

TEST_F(FileVxd, FullRangeOfVersionPartsAndSeveralTranslations) {
  std::wstring path = WriteVxd(L"two.vxd", {"VS_VERSION_INFO",
                                            filefixtures::FixedFileInfo(0xFFFF0000, 0x8000FFFF),
                                            {filefixtures::VarFileInfo({0x04E40409, 0x04B00407})}});
  VersionCall call;
  Read(path, SizeOf(path), &call);
  EXPECT_EQ(call.success, VARIANT_TRUE);
  EXPECT_EQ(call.ms, LONG(0xFFFF0000));
  EXPECT_EQ(call.ls, LONG(0x8000FFFF));
  EXPECT_STREQ(call.text.Text(), L"65535.0.32768.65535");
  EXPECT_EQ(Elements(call.language.Ref()), (std::vector<LONG>{1033, 1031}));
  EXPECT_EQ(Elements(call.codePage.Ref()), (std::vector<LONG>{1252, 1200}));
}

TEST_F(FileVxd, EmptyTranslationGivesEmptyArrays) {
  std::wstring path = WriteVxd(L"empty.vxd", {"VS_VERSION_INFO",
                                              filefixtures::FixedFileInfo(0x00030000, 0x0000000A),
                                              {filefixtures::VarFileInfo({})}});
  VersionCall call;
  Read(path, SizeOf(path), &call);
  EXPECT_EQ(call.success, VARIANT_TRUE);
  EXPECT_STREQ(call.text.Text(), L"3.0.0.10");
  EXPECT_EQ(call.language.Type(), VT_ARRAY | VT_VARIANT);
  EXPECT_EQ(call.codePage.Type(), VT_ARRAY | VT_VARIANT);
  EXPECT_TRUE(Elements(call.language.Ref()).empty());
  EXPECT_TRUE(Elements(call.codePage.Ref()).empty());
}

TEST_F(FileVxd, WithoutTranslationTheVersionIsSetButNoSuccess) {
  std::wstring path = WriteVxd(L"notrans.vxd", {"VS_VERSION_INFO",
                                                filefixtures::FixedFileInfo(0x00010002, 0x00030004),
                                                {filefixtures::StringFileInfo()}});
  VersionCall call;
  Read(path, SizeOf(path), &call);
  EXPECT_EQ(call.success, VARIANT_FALSE);
  EXPECT_EQ(call.ms, 0x00010002);
  EXPECT_EQ(call.ls, 0x00030004);
  EXPECT_STREQ(call.text.Text(), L"1.2.3.4");
  EXPECT_EQ(call.language.Type(), VT_EMPTY);
}

TEST_F(FileVxd, ReplacesWhatTheVariantsHeld) {
  std::wstring path = Write(L"std.vxd", filefixtures::Vxd(filefixtures::StandardVersionData()));
  VersionCall call;
  V_VT(call.language.Put()) = VT_BSTR;
  V_BSTR(&call.language.Ref()) = SysAllocString(L"old");
  Read(path, kStandardSize, &call);
  EXPECT_EQ(Elements(call.language.Ref()), std::vector<LONG>{1033});
}

TEST_F(FileVxd, NoVersionDataGivesZeroAndFalse) {
  VxdLayout noResource;
  noResource.resourceLength = 0;
  VxdLayout pastEnd;
  pastEnd.resourceOffset = 0xFFFFFFF0;
  pastEnd.placeResource = false;
  Bytes corrupt = filefixtures::StandardVersionData();
  corrupt[0] = 0xF0;  // root longer than the data
  const std::wstring paths[] = {
      Write(L"pe.dll", filefixtures::PEImage(0x2102)),
      Write(L"nores.vxd", filefixtures::Vxd(filefixtures::StandardVersionData(), noResource)),
      Write(L"far.vxd", filefixtures::Vxd(filefixtures::StandardVersionData(), pastEnd)),
      dir_.Path() + L"missing.vxd",
      dir_.Path(),
  };
  for (const std::wstring& path : paths) {
    EXPECT_EQ(SizeOf(path), 0) << path.c_str();
    VersionCall call;
    Read(path, 4096, &call);
    ExpectUntouched(call);
  }
  // Data that the extractor copies but the version query must not walk.
  std::wstring bad = Write(L"corrupt.vxd", filefixtures::Vxd(corrupt));
  EXPECT_EQ(SizeOf(bad), kStandardSize);
  VersionCall call;
  Read(bad, kStandardSize, &call);
  ExpectUntouched(call);
}

TEST_F(FileVxd, NullArgumentsAreHarmless) {
  EXPECT_EQ(SizeOf(nullptr), 0);
  VersionCall call;
  Read(nullptr, 4096, &call);
  ExpectUntouched(call);
  std::wstring path = Write(L"std.vxd", filefixtures::Vxd(filefixtures::StandardVersionData()));
  Bstr name(path.c_str());
  EXPECT_EQ(file_->GetVxdVersionInfoSize(name.Get(), nullptr), S_OK);
  EXPECT_EQ(file_->GetVxdVersionInfo(name.Get(), kStandardSize, nullptr, nullptr, nullptr, nullptr,
                                     nullptr, nullptr),
            S_OK);
}

}  // namespace
