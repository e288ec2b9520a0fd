// The File object through COM and the content probes behind FileType: copy,
// exists, file type, UTF-16 mark and the code-page checks, with the bad
// input a script may hand it.
#include <gtest/gtest.h>

#include "FileFixtures.h"
#include "FileTestSupport.h"
#include "image/ExecutableProbes.h"
#include "support/TestSupport.h"

using twutil::Bstr;

namespace filefixtures {
namespace {

constexpr VARIANT_BOOL kTrue = VARIANT_TRUE, kFalse = VARIANT_FALSE;

TEST(ExecutableFormat, TellsTheSignatureAtTheNewHeaderOrPlainDos) {
  Bytes pe = PEImage(0x0102), notPe = pe;
  notPe[0x82] = 1;  // "PE" not followed by two zero bytes
  const std::pair<Bytes, long> cases[] = {
      {pe, 0x4550},
      {NEImage(), 0x454E},
      {Vxd(StandardVersionData()), 0x454C},
      {notPe, 0x5A4D},
      {Bytes(pe.begin(), pe.begin() + 0x40), 0x5A4D},  // the offset points at the end
      {Bytes{'Z', 'M', 0, 0}, 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(twutil::GetExecutableFormat(twutil::ByteSpan(c.first.data(), c.first.size())),
              c.second);
  for (uint32_t offset : {0xFFFFFFFFu, 0xFFFFFFFCu, 0x240u}) {
    PutU32(&pe, 0x3C, offset);
    EXPECT_EQ(twutil::GetExecutableFormat(twutil::ByteSpan(pe.data(), pe.size())), 0x5A4D);
  }
}

class FileObject : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(file_); }
  LONG Copy(const std::wstring& from, const std::wstring& to, VARIANT_BOOL overwrite) {
    LONG result = 99;
    EXPECT_EQ(file_->FileCopy(Bstr(from.c_str()).Get(), Bstr(to.c_str()).Get(), overwrite, &result),
              S_OK);
    return result;
  }
  // Every check of a path: Exists, FileType, IsFileUnicode, and the probes.
  struct Answers {
    VARIANT_BOOL exists = 7, unicode = 7;
    EnumFileType type = EnumFileType(-5);
    long kind = 0;
    bool icon = false;
  };
  Answers Check(const wchar_t* path) {
    Answers a;
    Bstr name(path);
    EXPECT_EQ(file_->FileExists(name.Get(), &a.exists), S_OK);
    EXPECT_EQ(file_->FileType(name.Get(), &a.type), S_OK);
    EXPECT_EQ(file_->IsFileUnicode(name.Get(), &a.unicode), S_OK);
    a.kind = twutil::GetPEFileKind(path, nullptr);
    a.icon = twutil::IsIconFile(path);
    return a;
  }
  Answers Check(const std::wstring& path) { return Check(path.c_str()); }

  twutil::ComPtr<IFileSys> file_ = CreateFileObject();
  twtest::TempDir dir_;
};

TEST_F(FileObject, CopyHonoursOverwriteAndFailsWithMinusOne) {
  std::wstring source = dir_.Write(L"source.txt", {'n', 'e', 'w'}), target = dir_.Path() + L"t.txt";
  EXPECT_EQ(Copy(source, target, kFalse), 0);
  dir_.Write(L"t.txt", {'o', 'l', 'd'});
  EXPECT_EQ(Copy(source, target, kFalse), -1);
  EXPECT_EQ(twtest::ReadBytes(target), (Bytes{'o', 'l', 'd'}));
  EXPECT_EQ(Copy(source, target, 1), 0);  // anything but FALSE overwrites
  EXPECT_EQ(twtest::ReadBytes(target), (Bytes{'n', 'e', 'w'}));

  EXPECT_EQ(Copy(dir_.Path() + L"missing.txt", dir_.Path() + L"t1.txt", kTrue), -1);
  EXPECT_EQ(Copy(dir_.Path(), dir_.Path() + L"t2.txt", kTrue), -1);
  EXPECT_EQ(Copy(source, dir_.Path() + L"no such folder\\t.txt", kTrue), -1);
  twutil::Handle lock = Lock(source);
  EXPECT_EQ(Copy(source, dir_.Path() + L"t3.txt", kTrue), -1);
  LONG result = 99;
  EXPECT_EQ(file_->FileCopy(nullptr, nullptr, kTrue, &result), S_OK);
  EXPECT_EQ(result, -1);
}

TEST_F(FileObject, TypeUnicodeAndExistenceFollowTheContents) {
  EXPECT_EQ(static_cast<int>(eftUnknown), 100);
  Bytes cut = PEImage(0x2102);  // the flags lie past the end
  cut.resize(0x80 + 4 + 19);
  const struct {
    const wchar_t* name;
    Bytes bytes;
    EnumFileType type;
    long kind;
    bool icon;
    VARIANT_BOOL unicode;
  } cases[] = {
      {L"lib.dll", PEImage(0x2102), eftDLL, 1, false, kFalse},
      {L"app.exe", PEImage(0x0102), eftEXE, 0, false, kFalse},
      {L"flagless.exe", PEImage(0x0100), eftUnknown, -2, false, kFalse},
      {L"cut.dll", cut, eftUnknown, -2, false, kFalse},
      {L"drv.vxd", Vxd(StandardVersionData()), eftUnknown, -2, false, kFalse},
      {L"icon.dll", IconFile(), eftICO, -2, true, kFalse},  // contents, not names
      {L"a.cur", CursorFile(), eftUnknown, -2, false, kFalse},
      {L"empty.dll", {}, eftUnknown, -2, false, kFalse},
      {L"le.txt", {0xFF, 0xFE, 'a', 0}, eftUnknown, -2, false, kTrue},
      {L"be.txt", {0xFE, 0xFF, 0, 'a'}, eftUnknown, -2, false, kFalse},
  };
  for (const auto& c : cases) {
    Answers a = Check(dir_.Write(c.name, c.bytes));
    EXPECT_EQ(a.exists, kTrue) << c.name;
    EXPECT_EQ(a.type, c.type) << c.name;
    EXPECT_EQ(a.kind, c.kind) << c.name;
    EXPECT_EQ(a.icon, c.icon) << c.name;
    EXPECT_EQ(a.unicode, c.unicode) << c.name;
  }
  EXPECT_EQ(Check(twtest::LibraryPath()).type, eftDLL);
  EXPECT_EQ(Check(twtest::BinDir() + L"Demo32.exe").type, eftEXE);

  // Nothing to read: a folder exists, the rest does not.
  for (const std::wstring& path : {dir_.Path() + L"missing.dll", dir_.Path(), std::wstring()}) {
    Answers a = Check(path.empty() ? nullptr : path.c_str());
    EXPECT_EQ(a.exists, path == dir_.Path() ? kTrue : kFalse) << path.c_str();
    EXPECT_EQ(a.type, eftUnknown);
    EXPECT_EQ(a.kind, -2);
    EXPECT_FALSE(a.icon);
    EXPECT_EQ(a.unicode, kFalse);
  }
  // A file others hold open without sharing still exists but cannot be read.
  twutil::Handle lock = Lock(dir_.Write(L"locked.dll", {0xFF, 0xFE}));
  Answers locked = Check(dir_.Path() + L"locked.dll");
  EXPECT_EQ(locked.exists, kTrue);
  EXPECT_EQ(locked.unicode, kFalse);
  EXPECT_EQ(file_->FileType(nullptr, nullptr), E_POINTER);
  EXPECT_EQ(file_->FileExists(nullptr, nullptr), S_OK);
  EXPECT_EQ(file_->IsFileUnicode(nullptr, nullptr), S_OK);
}

TEST_F(FileObject, CodePageTextsMustMatchExactly) {
  auto both = [&](BSTR text) {
    VARIANT_BOOL supported = 7, installed = 7;
    EXPECT_EQ(file_->IsCPSupported(text, &supported), S_OK);
    EXPECT_EQ(file_->IsCPInstalled(text, &installed), S_OK);
    return supported == kTrue && installed == kTrue ? 2
                                                    : supported == kFalse && installed == kFalse;
  };
  EXPECT_EQ(both(Bstr(L"1252").Get()), 2);
  EXPECT_EQ(both(Bstr(L"437").Get()), 2);
  for (const wchar_t* text : {L" 1252", L"01252", L"1252.0", L"99999", L""})
    EXPECT_EQ(both(Bstr(text).Get()), 1) << text;
  EXPECT_EQ(both(nullptr), 1);
}

}  // namespace
}  // namespace filefixtures
