// The VxD version extractor, the checks on the 16-bit version block, and
// GetVxdVersionInfoSize / GetVxdVersionInfo through COM.
#include <gtest/gtest.h>

#include "FileFixtures.h"
#include "files/VersionData16.h"
#include "files/VxdVersionReader.h"
#include "support/TestSupport.h"

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
constexpr size_t kResourceLength = 0x80 + 0xBC;

class VxdReader : public ::testing::Test {
 protected:
  // The extractor without a buffer: the size (77 when untouched) and the error.
  std::pair<DWORD, DWORD> Probe(const std::wstring& path) {
    DWORD size = 77;
    SetLastError(0xDEAD);
    EXPECT_FALSE(twutil::ExtractVxdVersionData(path.c_str(), &size, nullptr));
    return {size, GetLastError()};
  }
  twtest::TempDir dir_;
};

TEST_F(VxdReader, ExtractorCopiesZeroFillsOrReportsTheSize) {
  EXPECT_EQ(StandardVersionData().size(), kStandardSize);
  std::wstring path = dir_.Write(L"std.vxd", StandardVxd());
  Bytes buffer(kStandardSize + 50, 0xCC), expected = StandardVersionData();
  DWORD size = DWORD(buffer.size());
  SetLastError(0xDEAD);
  ASSERT_TRUE(twutil::ExtractVxdVersionData(path.c_str(), &size, buffer.data()));
  EXPECT_EQ(GetLastError(), 0u);
  EXPECT_EQ(size, kStandardSize);
  expected.resize(buffer.size(), 0);
  EXPECT_EQ(buffer, expected);

  EXPECT_EQ(Probe(path), std::make_pair(kStandardSize, DWORD(ERROR_INSUFFICIENT_BUFFER)));

  EXPECT_EQ(Probe(dir_.Write(L"nores.vxd", StandardVxd(kResourceLength, 0))),
            std::make_pair(DWORD(0), DWORD(ERROR_RESOURCE_DATA_NOT_FOUND)));
}

TEST_F(VxdReader, OtherFormatsAndOffsetsPastTheEndAreBadFormat) {
  const Bytes good = StandardVxd();
  const size_t offset = 0x80 + 0xB8, headerEnd = 0x80 + 0xC4;
  const std::vector<Bytes> files = {
      PEImage(0x2102), NEImage(), Bytes{'M', 'Z'},
      StandardVxd(0x80, 0x0101454C),  // "LE" with other byte and word order
      StandardVxd(0x3C, 0xFFFFFFFC), StandardVxd(0x3C, uint32_t(good.size()) - 2),
      StandardVxd(0, 0, offset + 2),  // resource fields cut off
      StandardVxd(0, 0, headerEnd),   // the file ends before the resource
      StandardVxd(offset, 0xFFFFFFF8, headerEnd), StandardVxd(offset, 0x7FFFFFFF, headerEnd),
      // More data than the file holds.
      StandardVxd(0x208, kStandardSize + 1), StandardVxd(0x208, 0xFFFFFFFE),
      Bytes(good.begin(), good.end() - 1)};
  for (size_t i = 0; i < files.size(); ++i)
    EXPECT_EQ(Probe(dir_.Write(L"bad.vxd", files[i])),
              std::make_pair(77ul, DWORD(ERROR_BAD_FORMAT)))
        << i;
}

TEST_F(VxdReader, UnreadableFilesKeepTheSystemsError) {
  EXPECT_EQ(Probe(dir_.Path() + L"missing.vxd"), std::make_pair(77ul, DWORD(ERROR_FILE_NOT_FOUND)));
  std::wstring path = dir_.Write(L"std.vxd", StandardVxd());
  twutil::Handle lock = Lock(path);
  EXPECT_EQ(Probe(path), std::make_pair(77ul, DWORD(ERROR_SHARING_VIOLATION)));
}

TEST(VersionData16, QueriesOnlyBlocksInsideTheData) {
  auto answers = [](const Bytes& data, bool* fixedFound, std::vector<uint32_t>* entries) {
    twutil::ByteSpan span(data.data(), data.size());
    VS_FIXEDFILEINFO fixed = {};
    *fixedFound = twutil::QueryFixedFileInfo(span, &fixed);
    entries->clear();
    twutil::QueryTranslations(span, entries);
    return twutil::IsWellFormedVersion16(span) ? fixed.dwFileVersionLS : 0xBAD;
  };
  bool fixed = false;
  std::vector<uint32_t> entries;
  const Bytes good = StandardVersionData();
  EXPECT_EQ(answers(good, &fixed, &entries), 0x03B60001u);
  EXPECT_EQ(entries, std::vector<uint32_t>{0x04E40409});
  EXPECT_EQ(answers(VersionData(1, 2, {StringFileInfo()}), &fixed, &entries), 2u);
  EXPECT_TRUE(fixed && entries.empty());

  std::vector<Bytes> damaged(4, good);
  damaged[0][0] = uint8_t(good.size() + 1);  // the root longer than the data
  damaged[1][136] = damaged[1][137] = 0;     // VarFileInfo with length 0
  damaged[2][2] = 0xFF;                      // the fixed info longer than the root
  damaged[3][4] = 0;                         // reads as the 32-bit form
  damaged.push_back(Bytes(4, 0));
  for (size_t i = 0; i < damaged.size(); ++i) {
    EXPECT_EQ(answers(damaged[i], &fixed, &entries), 0xBADu) << i;
    EXPECT_TRUE(!fixed && entries.empty()) << i;
  }
}

// The elements of an array, or the text of a string.
std::wstring Values(const Variant& v) {
  if (v.Type() == VT_BSTR) return V_BSTR(&v.Ref());
  if (v.Type() != (VT_ARRAY | VT_VARIANT)) return L"(type " + std::to_wstring(v.Type()) + L")";
  LONG low = 99, high = -1;
  SafeArrayGetLBound(V_ARRAY(&v.Ref()), 1, &low);
  SafeArrayGetUBound(V_ARRAY(&v.Ref()), 1, &high);
  std::wstring values = low == 0 ? L"" : L"(not from 0)";
  for (LONG i = 0; i <= high; ++i) {
    Variant element;
    SafeArrayGetElement(V_ARRAY(&v.Ref()), &i, element.Put());
    values += (i ? L"," : L"") + (element.Type() == VT_I4 ? std::to_wstring(V_I4(&element.Ref()))
                                                          : std::wstring(L"?"));
  }
  return values;
}

class FileVxd : public VxdReader {
 protected:
  void SetUp() override { ASSERT_TRUE(file_); }
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
  twutil::ComPtr<IFileSys> file_ = CreateFileObject();
};

const std::wstring kUntouched = L"0 11.16 - old old";

TEST_F(FileVxd, ReadsTheVersionTextAndTranslations) {
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
}

TEST_F(FileVxd, NoUsableVersionDataOrBufferLeavesEverythingAlone) {
  std::wstring path = dir_.Write(L"std.vxd", StandardVxd());
  for (LONG length : {LONG(kStandardSize) - 1, 0L, -1L, LONG(0x80000000)})
    EXPECT_EQ(Read(path, length), kUntouched) << length;
  EXPECT_EQ(Read(path, 1 << 20).substr(0, 3), L"-1 ");

  // Data the extractor copies but the version query must not walk.
  Bytes corrupt = StandardVersionData();
  corrupt[0] = 0xF0;
  std::wstring walked = dir_.Write(L"corrupt.vxd", Vxd(corrupt));
  EXPECT_EQ(SizeOf(walked), LONG(kStandardSize));
  EXPECT_EQ(Read(walked, kStandardSize), kUntouched);
  for (const std::wstring& bad :
       {dir_.Write(L"pe.dll", PEImage(0x2102)),
        dir_.Write(L"nores.vxd", StandardVxd(kResourceLength, 0)), std::wstring()}) {
    EXPECT_EQ(SizeOf(bad), 0) << bad.c_str();
    EXPECT_EQ(Read(bad, 4096), kUntouched) << bad.c_str();
  }
}

}  // namespace
}  // namespace filefixtures
