// The File object through COM and the content probes behind FileType: copy,
// exists, file type, UTF-16 mark and the code-page checks, with the bad
// input a script may hand it.
#include <gtest/gtest.h>

#include <tuple>

#include "FileFixtures.h"

using twutil::Bstr;

namespace filefixtures {
namespace {

constexpr VARIANT_BOOL kTrue = VARIANT_TRUE, kFalse = VARIANT_FALSE;

class FileObject : public FileTest {
 protected:
  LONG Copy(const std::wstring& from, const std::wstring& to, VARIANT_BOOL overwrite) {
    LONG result = 99;
    EXPECT_EQ(file_->FileCopy(Bstr(from.c_str()).Get(), Bstr(to.c_str()).Get(), overwrite, &result),
              S_OK);
    return result;
  }
  // Every check of a path (null when empty): Exists, FileType, IsFileUnicode.
  using Answers = std::tuple<VARIANT_BOOL, EnumFileType, VARIANT_BOOL>;
  Answers Check(const std::wstring& text) {
    const wchar_t* path = text.empty() ? nullptr : text.c_str();
    VARIANT_BOOL exists = 7, unicode = 7;
    EnumFileType type = EnumFileType(-5);
    Bstr name(path);
    EXPECT_EQ(file_->FileExists(name.Get(), &exists), S_OK);
    EXPECT_EQ(file_->FileType(name.Get(), &type), S_OK);
    EXPECT_EQ(file_->IsFileUnicode(name.Get(), &unicode), S_OK);
    return Answers(exists, type, unicode);
  }
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

TEST_F(FileObject, ProbesFollowTheContentsAndCodePageTextsMustMatchExactly) {
  Bytes cut = PEImage(0x2102);  // the flags lie past the end
  cut.resize(0x80 + 4 + 19);
  const struct {
    const wchar_t* name;
    Bytes bytes;
    EnumFileType type;
    VARIANT_BOOL unicode;
  } cases[] = {
      {L"lib.dll", PEImage(0x2102), eftDLL, kFalse},
      {L"app.exe", PEImage(0x0102), eftEXE, kFalse},
      {L"flagless.exe", PEImage(0x0100), eftUnknown, kFalse},
      {L"cut.dll", cut, eftUnknown, kFalse},
      {L"drv.vxd", Vxd(StandardVersionData()), eftUnknown, kFalse},
      {L"icon.dll", {0, 0, 1, 0, 1, 0}, eftICO, kFalse},  // contents, not names
      {L"a.cur", {0, 0, 2, 0, 1, 0}, eftUnknown, kFalse},
      {L"empty.dll", {}, eftUnknown, kFalse},
      {L"le.txt", {0xFF, 0xFE, 'a', 0}, eftUnknown, kTrue},
      {L"be.txt", {0xFE, 0xFF, 0, 'a'}, eftUnknown, kFalse},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Check(dir_.Write(c.name, c.bytes)), Answers(kTrue, c.type, c.unicode)) << c.name;
  EXPECT_EQ(std::get<1>(Check(twtest::LibraryPath())), eftDLL);
  EXPECT_EQ(std::get<1>(Check(twtest::BinDir() + L"Demo32.exe")), eftEXE);

  // Nothing to read: a folder, and a file others hold open without sharing,
  // exist; the rest does not.
  twutil::Handle lock = Lock(dir_.Write(L"locked.dll", {0xFF, 0xFE}));
  const std::pair<std::wstring, VARIANT_BOOL> unreadable[] = {
      {dir_.Path() + L"missing.dll", kFalse},
      {dir_.Path(), kTrue},
      {L"", kFalse},
      {dir_.Path() + L"locked.dll", kTrue}};
  for (const auto& u : unreadable)
    EXPECT_EQ(Check(u.first), Answers(u.second, eftUnknown, kFalse)) << u.first.c_str();
  EXPECT_EQ(file_->FileType(nullptr, nullptr), E_POINTER);
  EXPECT_EQ(file_->FileExists(nullptr, nullptr), S_OK);
  EXPECT_EQ(file_->IsFileUnicode(nullptr, nullptr), S_OK);

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
