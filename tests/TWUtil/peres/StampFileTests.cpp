// Stamping crafted files: the checks and their messages, the rewritten
// strings and language, and files left byte for byte as they were.
#include <gtest/gtest.h>

#include <string>

#include "CodePage.h"
#include "PeBuilder.h"
#include "PeresTestSupport.h"
#include "peres/VersionStamper.h"
#include "support/TestSupport.h"

using pefixture::Bytes;
using perestest::Ansi;

namespace {

class StampFile : public ::testing::Test {
 protected:
  std::wstring Write(const wchar_t* name, const Bytes& bytes) {
    std::wstring path = dir_.Path() + name;
    EXPECT_TRUE(perestest::WriteBytes(path, bytes));
    return path;
  }
  // Runs a stamp and returns the error and warning lines.
  std::string Stamp(const std::wstring& path, const twutil::StampRequest& request) {
    sink_.messages.clear();
    twutil::StampFile(Ansi(path).c_str(), request, sink_);
    return sink_.Lines(twutil::kStampWarning);
  }
  std::string Stamp(const std::wstring& path) { return Stamp(path, Everything()); }
  // Expects the one error for a file that must stay as it was.
  void ExpectRefused(const std::wstring& path, const std::string& message) {
    Bytes before = perestest::ReadBytes(path);
    EXPECT_EQ(Stamp(path), message + "\n");
    ASSERT_EQ(sink_.messages.size(), 1u);
    EXPECT_EQ(sink_.messages[0].first, twutil::kStampError);
    EXPECT_EQ(perestest::ReadBytes(path), before);
  }
  static twutil::StampRequest Everything() {
    twutil::StampRequest request;
    request.companyName = L"Co";
    request.productName = L"Pr";
    request.productAndFileVersion = L"9";
    request.description = L"De";
    request.copyright = L"Cr";
    request.language = 0x0407;
    return request;
  }
  twtest::TempDir dir_;
  perestest::RecordingSink sink_;
};

pefixture::VersionPlan Tables(std::initializer_list<pefixture::StringTable> tables) {
  pefixture::VersionPlan plan;
  plan.tables = tables;
  return plan;
}

TEST_F(StampFile, FilesThatCannotBeOpenedAreNamedWithTheSystemsReason) {
  std::wstring missing = dir_.Path() + L"missing.exe";
  EXPECT_EQ(Stamp(missing), "Couldn't open " + Ansi(missing) + " for writing (" +
                                perestest::SystemMessage(ERROR_FILE_NOT_FOUND) + ")\n");

  std::wstring locked = Write(L"locked.exe", pefixture::PeWithVersion(Tables({})));
  {
    twutil::Handle holder(CreateFileW(locked.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(holder.Valid());
    ExpectRefused(locked, "Couldn't open " + Ansi(locked) + " for writing (" +
                              perestest::SystemMessage(ERROR_SHARING_VIOLATION) + ")");
  }

  // An empty file cannot be mapped; the reason is the mapping's.
  std::wstring empty = Write(L"empty.exe", Bytes());
  Stamp(empty);
  ASSERT_EQ(sink_.messages.size(), 1u);
  EXPECT_EQ(sink_.messages[0].second.rfind("Couldn't open " + Ansi(empty) + " for writing (", 0),
            0u);
  EXPECT_EQ(perestest::ReadBytes(empty).size(), 0u);

  std::wstring folder = dir_.Path() + L"folder";
  CreateDirectoryW(folder.c_str(), nullptr);
  EXPECT_EQ(Stamp(folder).rfind("Couldn't open " + Ansi(folder), 0), 0u);

  std::wstring longName = dir_.Path() + std::wstring(300, L'n') + L".exe";
  EXPECT_EQ(Stamp(longName).rfind("Couldn't open " + Ansi(longName) + " for writing (", 0), 0u);
}

TEST_F(StampFile, ReadOnlyFilesAreNotOpened) {
  std::wstring readOnly = Write(L"readonly.exe", pefixture::PeWithVersion(Tables({})));
  SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
  twutil::Handle probe(CreateFileW(readOnly.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                   OPEN_EXISTING, 0, nullptr));
  if (probe.Valid()) {
    probe.Reset();
    SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
    GTEST_SKIP() << "read-only files can be written here (Wine run as root)";
  }
  ExpectRefused(readOnly, "Couldn't open " + Ansi(readOnly) + " for writing (" +
                              perestest::SystemMessage(ERROR_ACCESS_DENIED) + ")");
  SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(StampFile, OnlyPortableExecutablesAreStamped) {
  for (const auto& image : {pefixture::DosOnlyImage(), pefixture::NEImage(), pefixture::LEImage(),
                            Bytes{'M', 'Z'}, Bytes{'P', 'E', 0, 0}}) {
    std::wstring path = Write(L"old.exe", image);
    ExpectRefused(path, Ansi(path) + " is not a Win32 EXE or DLL");
  }
}

TEST_F(StampFile, ImagesWithoutAVersionResourceAreRefused) {
  pefixture::PePlan none;
  none.withResourceSection = false;
  std::wstring path = Write(L"none.exe", pefixture::BuildPe(none));
  ExpectRefused(path, Ansi(path) + " does not contain any resources.");

  pefixture::PePlan nowhere;
  nowhere.resourceRvaOverride = 0x00F00000;
  path = Write(L"nowhere.exe", pefixture::BuildPe(nowhere));
  ExpectRefused(path, Ansi(path) + " does not contain any resources.");

  pefixture::PePlan icons;
  pefixture::Resource icon;
  icon.type = 3;
  icon.id = 1;
  icon.data = Bytes(40, 7);
  icons.resources = {icon};
  path = Write(L"icons.dll", pefixture::BuildPe(icons));
  ExpectRefused(path, Ansi(path) + " does not contain a version resource.");

  pefixture::VersionPlan bad = Tables({pefixture::StandardTable()});
  bad.signature = 0x12345678;
  path = Write(L"badfixed.exe", pefixture::PeWithVersion(bad));
  ExpectRefused(path, "Fixed resource info not found in " + Ansi(path) + ".");
}

TEST_F(StampFile, DamagedImagesAreRefusedUnchanged) {
  const Bytes good = pefixture::PeWithVersion(Tables({pefixture::StandardTable()}));
  const size_t section = pefixture::ResourceSectionOffset(good);

  Bytes loop = good;
  pefixture::PutU32(&loop, section + 20, 0x80000000u);
  std::wstring path = Write(L"loop.exe", loop);
  ExpectRefused(path, Ansi(path) + " has a damaged resource directory.");

  Bytes cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(section + 80));
  path = Write(L"cut.exe", cut);
  ExpectRefused(path, Ansi(path) + " has a damaged version resource.");

  Bytes headerOnly(good.begin(), good.begin() + pefixture::kNtOffset + 100);
  path = Write(L"header.exe", headerOnly);
  ExpectRefused(path, Ansi(path) + " has a damaged PE header.");
}

TEST_F(StampFile, NothingRequestedChangesNothing) {
  std::wstring path =
      Write(L"same.exe", pefixture::PeWithVersion(Tables({pefixture::StandardTable()})));
  Bytes before = perestest::ReadBytes(path);
  EXPECT_EQ(Stamp(path, twutil::StampRequest()), "");
  EXPECT_EQ(perestest::ReadBytes(path), before);
  EXPECT_EQ(sink_.Lines(twutil::kStampTrace),
            "VS_FIXEDFILEINFO version information updated.\n"
            "Found StringFileInfo block\n"
            "Found StringFileInfo\\040904b0 block\n");
}

TEST_F(StampFile, EveryStringTableIsStampedAndReadsBackThroughTheVersionApi) {
  std::wstring path = Write(
      L"two.exe", pefixture::PeWithVersion(Tables(
                      {pefixture::StandardTable(u"040904b0", u" and a long tail to make room"),
                       pefixture::StandardTable(u"040704b0", u" und ein langer Rest")})));
  twutil::StampRequest request;
  request.companyName = L"Tarnwick";
  request.productName = L"Harbor";
  request.productAndFileVersion = L"2.5.0.12";
  request.description = L"Stamped";
  request.copyright = L"(c) Tarnwick";
  EXPECT_EQ(Stamp(path, request), "");

  for (const wchar_t* table : {L"040904b0", L"040704b0"}) {
    std::wstring prefix = std::wstring(L"\\StringFileInfo\\") + table + L"\\";
    std::wstring value;
    ASSERT_TRUE(perestest::QueryVersionString(path, prefix + L"CompanyName", &value)) << table;
    EXPECT_EQ(value.substr(0, 9), L"Tarnwick ");
    EXPECT_EQ(value.find_first_not_of(L' ', 8), std::wstring::npos);
    perestest::QueryVersionString(path, prefix + L"FileVersion", &value);
    EXPECT_EQ(value.substr(0, 9), L"2.5.0.12 ");
    perestest::QueryVersionString(path, prefix + L"ProductVersion", &value);
    EXPECT_EQ(value.substr(0, 9), L"2.5.0.12 ");
    perestest::QueryVersionString(path, prefix + L"InternalName", &value);
    EXPECT_EQ(value.substr(0, 7), L"oldname") << "other strings stay";
  }
  DWORD ms = 0, ls = 0;
  ASSERT_TRUE(perestest::QueryFileVersion(path, &ms, &ls));
  EXPECT_EQ(ms, 0x00010002u);
  EXPECT_EQ(ls, 0x00030004u);
}

TEST_F(StampFile, TheLanguageOfTheFirstTranslationChanges) {
  pefixture::VersionPlan plan = Tables({pefixture::StandardTable()});
  plan.translations = {0x04B00409, 0x04E40409};
  std::wstring path = Write(L"lang.exe", pefixture::PeWithVersion(plan));
  Bytes before = perestest::ReadBytes(path);
  twutil::StampRequest request;
  request.language = 0x00010407;  // only the low word is written
  Stamp(path, request);
  EXPECT_EQ(perestest::QueryTranslation(path), 0x04B00407u);
  Bytes after = perestest::ReadBytes(path);
  const size_t value = pefixture::FindText(after, u"Translation") - 6 + 32;
  EXPECT_EQ(pefixture::GetU32(after, value + 4), 0x04E40409u) << "second stays";
  EXPECT_NE(pefixture::FindText(after, u"040904b0"), std::u16string::npos);
  size_t differing = 0;
  for (size_t i = 0; i < before.size(); ++i) differing += before[i] != after[i];
  EXPECT_EQ(differing, 1u);  // 0x09 -> 0x07; the high byte was 0x04 already
}

TEST_F(StampFile, ValuesKeepTheirLengthAndLongerTextsAreCutToTheRoom) {
  pefixture::StringTable table;
  table.key = u"040904b0";
  table.strings = {pefixture::StringNode(u"FileVersion", std::u16string(61, u'1')),
                   pefixture::StringNode(u"LegalCopyright", std::u16string(70, u'c')),
                   pefixture::StringNode(u"ProductName", u"Wine"),
                   pefixture::StringNode(u"CompanyName", u"Roomy", 60)};
  std::wstring path = Write(L"len.exe", pefixture::PeWithVersion(Tables({table})));
  twutil::StampRequest request;
  request.productAndFileVersion = L"2.5.0.12";
  request.copyright = std::wstring(20, L'n');
  request.productName = L"Tarnwick Harbor";
  request.companyName = L"Tarnwick Harbor Company";
  EXPECT_EQ(Stamp(path, request),
            "StringFileInfo\\040904b0\\ProductName has room for 4 characters; "
            "\"Tarnwick Harbor\" was cut to fit\n");

  std::wstring value;
  perestest::QueryVersionString(path, L"\\StringFileInfo\\040904b0\\FileVersion", &value);
  EXPECT_EQ(value, L"2.5.0.12" + std::wstring(53, L' '));
  perestest::QueryVersionString(path, L"\\StringFileInfo\\040904b0\\LegalCopyright", &value);
  EXPECT_EQ(value, std::wstring(20, L'n') + std::wstring(50, L' '));
  perestest::QueryVersionString(path, L"\\StringFileInfo\\040904b0\\ProductName", &value);
  EXPECT_EQ(value, L"Tarn");
  perestest::QueryVersionString(path, L"\\StringFileInfo\\040904b0\\CompanyName", &value);
  EXPECT_EQ(value, L"Tarnwick Harbor Company");
}

TEST_F(StampFile, ChangesAndOldValuesAreReportedBelowTheThreshold) {
  std::wstring path =
      Write(L"msg.exe", pefixture::PeWithVersion(Tables({pefixture::StandardTable()})));
  twutil::StampRequest request;
  request.companyName = L"New";
  request.productAndFileVersion = L"7";
  Stamp(path, request);
  EXPECT_EQ(sink_.Lines(twutil::kStampTrace),
            "VS_FIXEDFILEINFO version information updated.\n"
            "Found StringFileInfo block\n"
            "Found StringFileInfo\\040904b0 block\n"
            "Old StringFileInfo\\040904b0\\CompanyName = Old Company\n"
            "New StringFileInfo\\040904b0\\CompanyName = New\n"
            "Old StringFileInfo\\040904b0\\FileVersion = 1.2.3.4\n"
            "New StringFileInfo\\040904b0\\FileVersion = 7\n"
            "Old StringFileInfo\\040904b0\\FileVersion = 1.2.3.4\n"
            "New StringFileInfo\\040904b0\\FileVersion = 7\n");
}

TEST_F(StampFile, TextsGoThroughTheCodePages) {
  std::wstring path =
      Write(L"cp.exe", pefixture::PeWithVersion(Tables({pefixture::StandardTable()})));
  twutil::StampRequest request;
  request.companyName = L"Caf\x00E9 \x4E2D";  // the second is in no Western code page
  Stamp(path, request);
  std::wstring value;
  perestest::QueryVersionString(path, L"\\StringFileInfo\\040904b0\\CompanyName", &value);
  EXPECT_EQ(value, L"Caf\x00E9 ?     ");

  // The name goes through the conversion code page: under Cyrillic a Cyrillic
  // name opens, under the Western one it names a different file.
  std::wstring cyrillic = Write(L"\x0444\x0430\x0439\x043B.exe",
                                pefixture::PeWithVersion(Tables({pefixture::StandardTable()})));
  std::string name1251(cyrillic.size(), '\0');
  WideCharToMultiByte(1251, 0, cyrillic.data(), static_cast<int>(cyrillic.size()), &name1251[0],
                      static_cast<int>(name1251.size()), nullptr, nullptr);
  twutil::SetConversionCodePage(1251);
  sink_.messages.clear();
  twutil::StampFile(name1251.c_str(), twutil::StampRequest(), sink_);
  twutil::SetConversionCodePage(0);
  EXPECT_EQ(sink_.Lines(twutil::kStampWarning), "");
  EXPECT_EQ(sink_.messages.size(), 3u);
}

TEST_F(StampFile, SixtyFourBitImagesAreStampedAtTheirOwnOffsets) {
  pefixture::PePlan plan;
  plan.pe32Plus = true;
  plan.library = true;
  pefixture::Resource version;
  version.type = 16;
  version.id = 1;
  version.data = pefixture::VersionResource(Tables({pefixture::StandardTable()}));
  plan.resources = {version};
  std::wstring path = Write(L"wide.dll", pefixture::BuildPe(plan));
  twutil::StampRequest request;
  request.companyName = L"Wide";
  EXPECT_EQ(Stamp(path, request), "");
  std::wstring value;
  ASSERT_TRUE(
      perestest::QueryVersionString(path, L"\\StringFileInfo\\040904b0\\CompanyName", &value));
  EXPECT_EQ(value, L"Wide       ");
}

}  // namespace
