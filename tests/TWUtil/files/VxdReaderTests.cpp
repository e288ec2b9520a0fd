// The VxD version extractor: status codes, sizes, zero fill, and files whose
// headers point outside themselves; the checks on the 16-bit version block.
#include <gtest/gtest.h>

#include "FileFixtures.h"
#include "FileTestSupport.h"
#include "files/VersionData16.h"
#include "files/VxdVersionReader.h"
#include "support/TestSupport.h"

using filefixtures::Bytes;
using filefixtures::VxdLayout;

namespace {

constexpr DWORD kStandardSize = 172;

class VxdExtractor : public ::testing::Test {
 protected:
  std::wstring Write(const wchar_t* name, const Bytes& bytes) {
    std::wstring path = dir_.Path() + name;
    EXPECT_TRUE(filefixtures::WriteFile(path, bytes));
    return path;
  }
  std::wstring Standard() { return Write(L"std.vxd", filefixtures::Vxd(StandardData())); }
  static Bytes StandardData() { return filefixtures::StandardVersionData(); }

  // Runs the extractor without a buffer; size starts at 77 to see whether
  // it is touched.
  DWORD Probe(const std::wstring& path, DWORD* error) {
    DWORD size = 77;
    SetLastError(0xDEAD);
    EXPECT_FALSE(twutil::ExtractVxdVersionData(path.c_str(), &size, nullptr));
    *error = GetLastError();
    return size;
  }

  twtest::TempDir dir_;
};

TEST_F(VxdExtractor, FixtureHasTheHandCountedSize) {
  EXPECT_EQ(StandardData().size(), kStandardSize);
}

TEST_F(VxdExtractor, CopiesTheDataAndZeroFillsTheRest) {
  std::wstring path = Standard();
  Bytes buffer(kStandardSize + 50, 0xCC);
  DWORD size = static_cast<DWORD>(buffer.size());
  SetLastError(0xDEAD);
  ASSERT_TRUE(twutil::ExtractVxdVersionData(path.c_str(), &size, buffer.data()));
  EXPECT_EQ(GetLastError(), 0u);
  EXPECT_EQ(size, kStandardSize);
  EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + kStandardSize), StandardData());
  EXPECT_EQ(Bytes(buffer.begin() + kStandardSize, buffer.end()), Bytes(50, 0));

  Bytes exact(kStandardSize, 0xCC);
  size = kStandardSize;
  EXPECT_TRUE(twutil::ExtractVxdVersionData(path.c_str(), &size, exact.data()));
  EXPECT_EQ(exact, StandardData());
}

TEST_F(VxdExtractor, TooSmallOrNoBufferReportsTheSize) {
  std::wstring path = Standard();
  DWORD error = 0;
  EXPECT_EQ(Probe(path, &error), kStandardSize);
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));

  Bytes buffer(kStandardSize - 1, 0xCC);
  DWORD size = kStandardSize - 1;
  EXPECT_FALSE(twutil::ExtractVxdVersionData(path.c_str(), &size, buffer.data()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(size, kStandardSize);
  EXPECT_EQ(buffer, Bytes(kStandardSize - 1, 0xCC));
}

TEST_F(VxdExtractor, NoResourceGivesSizeZero) {
  VxdLayout layout;
  layout.resourceLength = 0;
  DWORD error = 0;
  EXPECT_EQ(Probe(Write(L"nores.vxd", filefixtures::Vxd(StandardData(), layout)), &error), 0u);
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_RESOURCE_DATA_NOT_FOUND));
}

TEST_F(VxdExtractor, OtherFormatsAreBadFormatAndKeepTheSize) {
  VxdLayout swapped;
  swapped.signature = 0x0101454C;  // "LE" with other byte and word order
  const std::pair<const wchar_t*, Bytes> files[] = {
      {L"pe.dll", filefixtures::PEImage(0x2102)},
      {L"ne.exe", filefixtures::NEImage()},
      {L"text.txt", Bytes{'L', 'E', ' ', 'i', 's', ' ', 'n', 'o', 't', ' ', 'M', 'Z'}},
      {L"mz.exe", Bytes{'M', 'Z'}},
      {L"icon.ico", filefixtures::IconFile()},
      {L"swapped.vxd", filefixtures::Vxd(StandardData(), swapped)},
  };
  for (const auto& file : files) {
    DWORD error = 0;
    EXPECT_EQ(Probe(Write(file.first, file.second), &error), 77u) << file.first;
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_BAD_FORMAT)) << file.first;
  }
}

TEST_F(VxdExtractor, OffsetsPastTheEndAreBadFormat) {
  Bytes good = filefixtures::Vxd(StandardData());
  std::vector<std::pair<const wchar_t*, Bytes>> files;

  for (uint32_t lfanew : {0xFFFFFFFCu, 0xFFFFFFFFu, static_cast<uint32_t>(good.size()) - 2}) {
    Bytes bad = good;
    filefixtures::PutU32(&bad, 0x3C, lfanew);
    files.push_back({L"lfanew.vxd", bad});
  }
  // The header's resource fields lie beyond the end of the file.
  Bytes cutHeader = good;
  cutHeader.resize(0x80 + 0xBA);
  files.push_back({L"cuthead.vxd", cutHeader});

  VxdLayout missing;
  missing.placeResource = false;  // the file ends before the resource
  files.push_back({L"nores.vxd", filefixtures::Vxd(StandardData(), missing)});
  for (uint32_t offset : {0xFFFFFFF8u, 0xFFFFFFFFu, 0x7FFFFFFFu}) {
    VxdLayout distant;
    distant.resourceOffset = offset;
    distant.placeResource = false;
    files.push_back({L"far.vxd", filefixtures::Vxd(StandardData(), distant)});
  }
  for (uint32_t dataSize : {uint32_t{kStandardSize + 1}, 0xFFFFFFFEu, 0x80000000u}) {
    VxdLayout big;
    big.dataSize = dataSize;  // claims more data than the file holds
    files.push_back({L"big.vxd", filefixtures::Vxd(StandardData(), big)});
  }
  Bytes cutData = good;
  cutData.pop_back();
  files.push_back({L"cutdata.vxd", cutData});

  for (size_t i = 0; i < files.size(); ++i) {
    DWORD error = 0;
    EXPECT_EQ(Probe(Write(files[i].first, files[i].second), &error), 77u) << i;
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_BAD_FORMAT)) << i;
  }
}

TEST_F(VxdExtractor, UnreadableFilesKeepTheSystemsError) {
  DWORD error = 0;
  EXPECT_EQ(Probe(dir_.Path() + L"missing.vxd", &error), 77u);
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

  EXPECT_EQ(Probe(dir_.Path(), &error), 77u);
  EXPECT_NE(error, 0u);

  EXPECT_EQ(Probe(Write(L"empty.vxd", Bytes()), &error), 77u);
  EXPECT_NE(error, 0u);
  EXPECT_NE(error, static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));

  std::wstring path = Standard();
  filetest::LockedFile lock(path);
  ASSERT_TRUE(lock.Locked());
  EXPECT_EQ(Probe(path, &error), 77u);
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_SHARING_VIOLATION));

  EXPECT_EQ(Probe(std::wstring(300, L'v') + L".vxd", &error), 77u);
  EXPECT_NE(error, 0u);
}

// The version block checks that guard the system's query.
TEST(VersionData16, AnswersTheFixedInfoAndTranslations) {
  Bytes data = filefixtures::StandardVersionData();
  twutil::ByteSpan span(data.data(), data.size());
  VS_FIXEDFILEINFO fixed = {};
  ASSERT_TRUE(twutil::QueryFixedFileInfo(span, &fixed));
  EXPECT_EQ(fixed.dwFileVersionMS, 0x00040000u);
  EXPECT_EQ(fixed.dwFileVersionLS, 0x03B60001u);
  std::vector<uint32_t> entries;
  ASSERT_TRUE(twutil::QueryTranslations(span, &entries));
  EXPECT_EQ(entries, std::vector<uint32_t>{0x04E40409});
}

TEST(VersionData16, RejectsBlocksReachingPastTheData) {
  Bytes good = filefixtures::StandardVersionData();
  auto rejected = [](Bytes data) {
    twutil::ByteSpan span(data.data(), data.size());
    VS_FIXEDFILEINFO fixed;
    std::vector<uint32_t> entries;
    return !twutil::IsWellFormedVersion16(span) && !twutil::QueryFixedFileInfo(span, &fixed) &&
           !twutil::QueryTranslations(span, &entries);
  };
  Bytes longRoot = good;
  longRoot[0] = static_cast<uint8_t>(good.size() + 1);
  EXPECT_TRUE(rejected(longRoot));

  Bytes truncated(good.begin(), good.end() - 1);
  EXPECT_TRUE(rejected(truncated));  // the root now ends past the data

  Bytes zeroChild = good;
  zeroChild[136] = 0;  // VarFileInfo with length 0
  zeroChild[137] = 0;
  EXPECT_TRUE(rejected(zeroChild));

  Bytes bigValue = good;
  bigValue[2] = 0xFF;  // fixed info longer than the root
  EXPECT_TRUE(rejected(bigValue));

  Bytes unterminatedKey = filefixtures::Serialize({"VS_VERSION_INFO", {}, {}});
  unterminatedKey.resize(unterminatedKey.size() - 1);
  unterminatedKey[0] = static_cast<uint8_t>(unterminatedKey.size());
  EXPECT_TRUE(rejected(unterminatedKey));

  Bytes wideForm = good;
  wideForm[4] = 0;  // reads as the 32-bit form
  EXPECT_TRUE(rejected(wideForm));

  EXPECT_TRUE(rejected(Bytes()));
  EXPECT_TRUE(rejected(Bytes(4, 0)));
}

TEST(VersionData16, MissingPartsAreFailedQueries) {
  Bytes noTranslation = filefixtures::Serialize(
      {"VS_VERSION_INFO", filefixtures::FixedFileInfo(1, 2), {filefixtures::StringFileInfo()}});
  twutil::ByteSpan span(noTranslation.data(), noTranslation.size());
  VS_FIXEDFILEINFO fixed;
  std::vector<uint32_t> entries;
  EXPECT_TRUE(twutil::QueryFixedFileInfo(span, &fixed));
  EXPECT_FALSE(twutil::QueryTranslations(span, &entries));

  Bytes shortFixed = filefixtures::Serialize({"VS_VERSION_INFO", Bytes(20, 1), {}});
  twutil::ByteSpan shortSpan(shortFixed.data(), shortFixed.size());
  EXPECT_FALSE(twutil::QueryFixedFileInfo(shortSpan, &fixed));
}

}  // namespace
