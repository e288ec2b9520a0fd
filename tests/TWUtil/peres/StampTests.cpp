// Stamping crafted files and a copy of one of Wine's own programs, directly and
// through the StampVersion class: the checks and their messages, the
// rewritten strings and language read back through the version API, and
// files left byte for byte as they were.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "PeresTestSupport.h"
#include "image/format/VersionLocator.h"
#include "peres/VersionStamper.h"

namespace perestest {
namespace {

const std::wstring kTable = L"\\StringFileInfo\\040904b0\\";
// What a run that finds the one standard table traces before any change.
const std::string kFound =
    "VS_FIXEDFILEINFO version information updated.\nFound StringFileInfo block\n"
    "Found StringFileInfo\\040904b0 block\n";

class StampFile : public ::testing::Test {
 protected:
  // Runs a stamp (of everything when no request is given) and returns the
  // error and warning lines.
  std::string Stamp(const std::wstring& path, const twutil::StampRequest* request = nullptr) {
    twutil::StampRequest everything;
    everything.companyName = everything.productName = everything.description = L"Co";
    everything.productAndFileVersion = everything.copyright = L"9";
    everything.language = 0x0407;
    sink_.messages.clear();
    twutil::StampFile(Ansi(path).c_str(), request ? *request : everything, sink_);
    return sink_.Lines(twutil::kStampWarning);
  }
  // Expects the one error for a file that must stay as it was.
  void ExpectRefused(const std::wstring& path, const std::string& message) {
    Bytes before = ReadBytes(path);
    EXPECT_EQ(Stamp(path), message + "\n");
    EXPECT_EQ(sink_.Lines(twutil::kStampTrace), sink_.Lines(twutil::kStampError)) << "one error";
    EXPECT_EQ(ReadBytes(path), before);
  }
  twtest::TempDir dir_;
  RecordingSink sink_;
};

TEST_F(StampFile, UnopenableForeignMalformedOrVersionlessFilesAreRefusedUnchanged) {
  auto cannotOpen = [](const std::wstring& path) {
    return "Couldn't open " + Ansi(path) + " for writing (";
  };
  std::wstring missing = dir_.Path() + L"missing.exe";
  EXPECT_EQ(Stamp(missing), cannotOpen(missing) + "File not found.)\n");
  std::wstring locked = dir_.Write(L"locked.exe", PeWithVersion());
  {
    twutil::Handle holder(CreateFileW(locked.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, 0, nullptr));
    ExpectRefused(locked, cannotOpen(locked) + "Sharing violation.)");
  }
  // An empty file cannot be mapped: the reason is the mapping's.
  std::wstring empty = dir_.Write(L"empty.exe", Bytes());
  EXPECT_EQ(Stamp(empty).rfind(cannotOpen(empty), 0), 0u);
  EXPECT_EQ(ReadBytes(empty).size(), 0u);

  const Bytes good = PeWithVersion();
  const size_t rsrcHeader = kNtOffset + 24 + 224 + 40, types = kRsrcOffset;
  const size_t resourceEntry = kNtOffset + 24 + 96 + 16;  // of the data directory
  const size_t names = types + (GetU32(good, types + 20) & 0x7FFFFFFF);
  const size_t dataEntry = types + 16 + 8 + 16 + 8 + 16 + 8;
  ASSERT_EQ(GetU32(good, dataEntry), kRsrcRva + dataEntry - types + 16);
  // good with values written over it (16 bits wide when they fit), cut to size when given.
  auto damaged = [&](std::vector<std::pair<size_t, uint32_t>> changes, size_t size = 0) {
    Bytes image = good;
    for (const auto& c : changes)
      c.second > 0xFFFF ? PutU32(&image, c.first, c.second)
                        : PutU16(&image, c.first, uint16_t(c.second));
    if (size) image.resize(size);
    return image;
  };
  const std::string notWin32 = " is not a Win32 EXE or DLL",
                    noResources = " does not contain any resources.",
                    header = " has a damaged PE header.",
                    directory = " has a damaged resource directory.",
                    data = " has a damaged version resource.";
  const std::pair<Bytes, std::string> cases[] = {
      {damaged({{0x3C, 0x40}}), notWin32},  // no signature at all
      {damaged({{kNtOffset, 'N' | 'E' << 8}}), notWin32},
      {Bytes{'M', 'Z'}, notWin32},
      {Bytes{'P', 'E', 0, 0}, notWin32},
      {damaged({{0x3C, 0xFFFFFFF0}}), notWin32},
      {damaged({{0x3C, 0xFFFFFFFC}}), notWin32},
      {damaged({}, 0x40), notWin32},              // the offset points past the end
      {damaged({{kNtOffset + 2, 1}}), notWin32},  // "PE" not followed by two zero bytes
      {damaged({}, kNtOffset + 100), header},
      // A third section header, cut off, that must be read since the
      // resources lie in neither of the two before it.
      {damaged({{kNtOffset + 6, 3}, {resourceEntry, 0xF00000}}, rsrcHeader + 50), header},
      {damaged({{kNtOffset + 6, 1}, {resourceEntry, 0}}), noResources},
      {damaged({{resourceEntry, 0x00F00000}}), noResources},  // in no section
      // The resource entry is not among the directory's entries.
      {damaged({{resourceEntry - 20, 2}}), noResources},
      {damaged({{types + 16, 3}}), " does not contain a version resource."},  // typed as icons
      {damaged({{FindText(good, u"VS_VERSION_INFO") + 34, 0xFEEF04BE}}), ""},
      {damaged({{types + 20, 0x80000000u}}), directory},  // a loop back to the root
      {damaged({{names + 20, 0x80000000u}}), directory},  // one of two steps
      {damaged({{types + 20, 0x80000000u | 0x7FFFFFF0u}}), directory},
      {damaged({{types + 14, 0xFFFF}}), directory},  // more entries than there are
      {damaged({{names + 14, 0}}), directory},       // none at all
      {damaged({{dataEntry, 0x7FFFFFF0}}), data},
      // Inside the section as its header claims, but past the file.
      {damaged({{rsrcHeader + 16, 0x10000000}, {dataEntry, kRsrcRva + 0x0FFFFFF0}}), data},
      {damaged({}, kRsrcOffset + 80), data},
      // The fixed part is there, the strings that would be stamped are cut off.
      {damaged({}, FindText(good, u"StringFileInfo") + 40), data},
  };
  for (const auto& c : cases) {
    std::wstring path = dir_.Write(L"file.exe", c.first);
    ExpectRefused(path, c.second.empty() ? "Fixed resource info not found in " + Ansi(path) + "."
                                         : Ansi(path) + c.second);
  }
}

TEST_F(StampFile, EveryStringTableIsStampedAndOldValuesAreTraced) {
  std::wstring path = dir_.Write(
      L"two.exe", PeWithVersion({{StandardTable(u"040904b0", u" and a long tail to make room"),
                                  StandardTable(u"040704b0", u" und ein langer Rest")}}));
  twutil::StampRequest request;
  request.companyName = L"Tarnwick";
  request.productAndFileVersion = L"2.5.0.12";
  EXPECT_EQ(Stamp(path, &request), "");
  for (const wchar_t* table : {L"040904b0", L"040704b0"}) {
    std::wstring prefix = std::wstring(L"\\StringFileInfo\\") + table + L"\\";
    std::wstring company = VersionString(path, prefix + L"CompanyName");
    EXPECT_EQ(company, L"Tarnwick" + std::wstring(company.size() - 8, L' '));
    EXPECT_EQ(VersionString(path, prefix + L"FileVersion").substr(0, 9), L"2.5.0.12 ");
    EXPECT_EQ(VersionString(path, prefix + L"InternalName").substr(0, 7), L"oldname");
  }
  EXPECT_EQ(FileVersion(path), std::make_pair(DWORD(0x00010002), DWORD(0x00030004)));

  // PE32+, more section headers claimed than there are (.rsrc comes first),
  // and two root entries of the version type: the last is taken.
  Bytes image = BuildPe({true,
                         {{15, 1, u"", 0x0409, Bytes(8, 0x22)},
                          {16, 1, u"", 0x0409, VersionResource({{StandardTable()}})}}});
  PutU16(&image, kNtOffset + 6, 0xFFFF);
  PutU32(&image, kRsrcOffset + 16, 16);
  path = dir_.Write(L"msg.exe", image);
  Bytes before = ReadBytes(path);
  twutil::StampRequest nothing;
  EXPECT_EQ(Stamp(path, &nothing), "");
  EXPECT_EQ(ReadBytes(path), before);
  EXPECT_EQ(sink_.Lines(twutil::kStampTrace), kFound);
  request.productAndFileVersion = L"7";
  Stamp(path, &request);
  const std::string version = "StringFileInfo\\040904b0\\FileVersion = ";
  EXPECT_EQ(sink_.Lines(twutil::kStampTrace),
            kFound + "Old StringFileInfo\\040904b0\\CompanyName = Old Company\n" +
                "New StringFileInfo\\040904b0\\CompanyName = Tarnwick\n" + "Old " + version +
                "1.2.3.4\nNew " + version + "7\nOld " + version + "1.2.3.4\nNew " + version +
                "7\n");
}

TEST_F(StampFile, ValuesKeepTheirLengthAndLongerTextsAreCutToTheRoomAsDoesTheLanguage) {
  StringTable table = {
      u"040904b0",
      {StringNode(u"FileVersion", std::u16string(61, u'1')), StringNode(u"ProductName", u"Wine"),
       StringNode(u"CompanyName", u"Roomy", 60)}};
  std::wstring path = dir_.Write(L"len.exe", PeWithVersion({{table}}));
  twutil::StampRequest request;
  request.productAndFileVersion = L"2.5.0.12";
  request.productName = L"Tarnwick Harbor";
  request.companyName = L"Tarnwick Harbor Company";
  EXPECT_EQ(Stamp(path, &request),
            "StringFileInfo\\040904b0\\ProductName has room for 4 characters; "
            "\"Tarnwick Harbor\" was cut to fit\n");
  EXPECT_EQ(VersionString(path, kTable + L"FileVersion"), L"2.5.0.12" + std::wstring(53, L' '));
  EXPECT_EQ(VersionString(path, kTable + L"ProductName"), L"Tarn");
  EXPECT_EQ(VersionString(path, kTable + L"CompanyName"), L"Tarnwick Harbor Company");

  // Only the language word of the first translation changes.
  VersionPlan plan = {{StandardTable()}};
  plan.translations = {0x04B00409, 0x04E40409};
  path = dir_.Write(L"lang.exe", PeWithVersion(plan));
  Bytes expected = ReadBytes(path);
  request = {};
  request.language = 0x00010407;  // only the low word is written
  Stamp(path, &request);
  EXPECT_EQ(Translation(path), 0x04B00407u);
  expected[FindText(expected, u"Translation") + 26] = 0x07;  // the high byte was 0x04 already
  EXPECT_EQ(ReadBytes(path), expected);
}

// The class, called early bound: always S_OK, no error info for a failure.
// Texts end at a NUL and go through the code page.
TEST_F(StampFile, TheClassStampsAndAlwaysSucceeds) {
  twutil::ComPtr<IStampVersion> stamp;
  ASSERT_HRESULT_SUCCEEDED(twtest::Create(CLSID_StampVersion, &stamp));
  twutil::Bstr missing((dir_.Path() + L"missing.dll").c_str());
  StampVerOption options = {};
  EXPECT_EQ(stamp->Stamp(missing.Get(), &options), S_OK);
  EXPECT_EQ(stamp->Stamp(nullptr, nullptr), S_OK);
  twutil::ComPtr<IErrorInfo> info;
  EXPECT_EQ(GetErrorInfo(0, info.Put()), S_FALSE);

  std::wstring path = dir_.Write(L"ok.exe", PeWithVersion());
  // The second character is in no Western code page.
  twutil::Bstr file(path.c_str()), company(L"Caf\x00E9 \x4E2D\0ignored after the NUL", 28),
      empty(L"");
  options = {company.Get(), nullptr, empty.Get(), nullptr, nullptr, 0x0407};
  EXPECT_EQ(stamp->Stamp(file.Get(), &options), S_OK);
  EXPECT_EQ(VersionString(path, kTable + L"CompanyName"), L"Caf\x00E9 ?     ");
  EXPECT_EQ(VersionString(path, kTable + L"FileVersion"), L"1.2.3.4");
  EXPECT_EQ(Translation(path), 0x04B00407u);
}

// A copy of one of Wine's own programs (PE32+ in this prefix), stamped with
// short texts.
TEST_F(StampFile, AWineProgramReadsBackTheStampedStringsAndLanguage) {
  // Under its own name Wine would load its built-in program instead.
  const std::wstring copy = dir_.Path() + L"copy_taskmgr.exe";
  ASSERT_TRUE(CopyFileW(L"C:\\windows\\system32\\taskmgr.exe", copy.c_str(), FALSE));
  const DWORD translation = Translation(copy);
  wchar_t table[40];
  swprintf(table, 40, L"\\StringFileInfo\\%04x%04x\\", translation & 0xFFFF, translation >> 16);
  // "Co" for the first three, "9" for the others.
  const wchar_t* names[] = {L"CompanyName", L"ProductName",    L"FileDescription",
                            L"FileVersion", L"ProductVersion", L"LegalCopyright"};
  std::wstring old[6];
  for (int i = 0; i < 6; ++i) {
    old[i] = VersionString(copy, table + std::wstring(names[i]));
    ASSERT_TRUE(old[i] != L"(absent)" && old[i].size() >= 2) << names[i];
  }
  const auto version = FileVersion(copy);
  const Bytes before = ReadBytes(copy);
  EXPECT_EQ(Stamp(copy), "");

  // The table keeps its key; values keep their length.
  for (int i = 0; i < 6; ++i)
    EXPECT_EQ(VersionString(copy, table + std::wstring(names[i])),
              (i < 3 ? L"Co" : L"9") + std::wstring(old[i].size() - (i < 3 ? 2 : 1), L' '))
        << names[i];
  EXPECT_EQ(Translation(copy), (translation & 0xFFFF0000u) | 0x0407u);
  EXPECT_EQ(FileVersion(copy), version);

  // Every changed byte lies inside the version resource.
  const Bytes after = ReadBytes(copy);
  uint64_t root = 0;
  ASSERT_EQ(
      twutil::peformat::LocateVersionInfo(twutil::ByteSpan(before.data(), before.size()), &root),
      twutil::peformat::VersionSearch::kFound);
  for (size_t i = 0; i < before.size(); ++i)
    ASSERT_TRUE(before[i] == after.at(i) || (i >= root && i < root + GetU16(before, root))) << i;
}

}  // namespace
}  // namespace perestest
