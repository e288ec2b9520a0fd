// The File object through COM: copy, exists, file type, UTF-16 mark and the
// code-page checks, with the bad input a script may hand it.
#include <gtest/gtest.h>
#include <objsafe.h>

#include "FileFixtures.h"
#include "FileTestSupport.h"
#include "support/TestSupport.h"

using filefixtures::Bytes;
using twutil::Bstr;

namespace {

constexpr VARIANT_BOOL kTrue = VARIANT_TRUE;
constexpr VARIANT_BOOL kFalse = VARIANT_FALSE;

class FileObject : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(file_); }

  std::wstring Write(const std::wstring& name, const Bytes& bytes) {
    std::wstring path = dir_.Path() + name;
    EXPECT_TRUE(filefixtures::WriteFile(path, bytes));
    return path;
  }
  LONG Copy(const std::wstring& from, const std::wstring& to, VARIANT_BOOL overwrite) {
    LONG result = 99;
    EXPECT_EQ(file_->FileCopy(Bstr(from.c_str()).Get(), Bstr(to.c_str()).Get(), overwrite, &result),
              S_OK);
    return result;
  }
  VARIANT_BOOL Exists(BSTR path) {
    VARIANT_BOOL exists = 7;
    EXPECT_EQ(file_->FileExists(path, &exists), S_OK);
    return exists;
  }
  EnumFileType TypeOf(BSTR path) {
    EnumFileType type = static_cast<EnumFileType>(-5);
    EXPECT_EQ(file_->FileType(path, &type), S_OK);
    return type;
  }
  EnumFileType TypeOf(const std::wstring& path) { return TypeOf(Bstr(path.c_str()).Get()); }
  VARIANT_BOOL IsUnicode(BSTR path) {
    VARIANT_BOOL unicode = 7;
    EXPECT_EQ(file_->IsFileUnicode(path, &unicode), S_OK);
    return unicode;
  }
  VARIANT_BOOL IsUnicode(const std::wstring& path) { return IsUnicode(Bstr(path.c_str()).Get()); }
  VARIANT_BOOL Supported(BSTR codePage) {
    VARIANT_BOOL supported = 7;
    EXPECT_EQ(file_->IsCPSupported(codePage, &supported), S_OK);
    return supported;
  }
  VARIANT_BOOL Installed(BSTR codePage) {
    VARIANT_BOOL installed = 7;
    EXPECT_EQ(file_->IsCPInstalled(codePage, &installed), S_OK);
    return installed;
  }

  twutil::ComPtr<IFileSys> file_ = filetest::CreateFileObject();
  twtest::TempDir dir_;
};

TEST_F(FileObject, CopyHonoursOverwrite) {
  std::wstring source = Write(L"source.txt", Bytes{'n', 'e', 'w'});
  std::wstring target = dir_.Path() + L"target.txt";
  EXPECT_EQ(Copy(source, target, kFalse), 0);
  EXPECT_EQ(filefixtures::ReadFile(target), (Bytes{'n', 'e', 'w'}));

  Write(L"target.txt", Bytes{'o', 'l', 'd'});
  EXPECT_EQ(Copy(source, target, kFalse), -1);
  EXPECT_EQ(filefixtures::ReadFile(target), (Bytes{'o', 'l', 'd'}));
  EXPECT_EQ(Copy(source, target, kTrue), 0);
  EXPECT_EQ(filefixtures::ReadFile(target), (Bytes{'n', 'e', 'w'}));
  // Any value other than FALSE overwrites.
  Write(L"target.txt", Bytes{'o', 'l', 'd'});
  EXPECT_EQ(Copy(source, target, 1), 0);
  EXPECT_EQ(filefixtures::ReadFile(target), (Bytes{'n', 'e', 'w'}));
}

TEST_F(FileObject, CopyFailuresGiveMinusOne) {
  std::wstring source = Write(L"source.txt", Bytes{'x'});
  EXPECT_EQ(Copy(dir_.Path() + L"missing.txt", dir_.Path() + L"t1.txt", kTrue), -1);
  EXPECT_EQ(Copy(dir_.Path(), dir_.Path() + L"t2.txt", kTrue), -1);
  EXPECT_EQ(Copy(source, dir_.Path() + std::wstring(300, L'n'), kTrue), -1);
  EXPECT_EQ(Copy(source, dir_.Path() + L"no such folder\\t.txt", kTrue), -1);
  {
    filetest::LockedFile lock(source);
    ASSERT_TRUE(lock.Locked());
    EXPECT_EQ(Copy(source, dir_.Path() + L"t3.txt", kTrue), -1);
  }
  LONG result = 99;
  EXPECT_EQ(file_->FileCopy(nullptr, nullptr, kTrue, &result), S_OK);
  EXPECT_EQ(result, -1);
  EXPECT_EQ(file_->FileCopy(Bstr(source.c_str()).Get(), nullptr, kFalse, &result), S_OK);
  EXPECT_EQ(result, -1);
  EXPECT_EQ(file_->FileCopy(nullptr, nullptr, kTrue, nullptr), S_OK);
}

TEST_F(FileObject, ExistsForFilesAndFolders) {
  std::wstring path = Write(L"here.txt", Bytes{'x'});
  EXPECT_EQ(Exists(Bstr(path.c_str()).Get()), kTrue);
  EXPECT_EQ(Exists(Bstr(dir_.Path().c_str()).Get()), kTrue);
  filetest::LockedFile lock(path);
  EXPECT_EQ(Exists(Bstr(path.c_str()).Get()), kTrue);

  EXPECT_EQ(Exists(Bstr(L"").Get()), kFalse);
  EXPECT_EQ(Exists(nullptr), kFalse);
  EXPECT_EQ(Exists(Bstr((dir_.Path() + L"gone.txt").c_str()).Get()), kFalse);
  EXPECT_EQ(Exists(Bstr((dir_.Path() + std::wstring(300, L'e')).c_str()).Get()), kFalse);
  EXPECT_EQ(file_->FileExists(nullptr, nullptr), S_OK);
}

TEST_F(FileObject, FileTypeOfExecutablesAndIcons) {
  EXPECT_EQ(TypeOf(Write(L"lib.dll", filefixtures::PEImage(0x2102))), eftDLL);
  EXPECT_EQ(TypeOf(Write(L"app.exe", filefixtures::PEImage(0x0102))), eftEXE);
  EXPECT_EQ(TypeOf(twtest::LibraryPath()), eftDLL);
  EXPECT_EQ(TypeOf(twtest::BinDir() + L"Demo32.exe"), eftEXE);
  EXPECT_EQ(TypeOf(Write(L"a.ico", filefixtures::IconFile())), eftICO);
  // The probe reads contents, not names.
  EXPECT_EQ(TypeOf(Write(L"icon.dll", filefixtures::IconFile())), eftICO);
}

TEST_F(FileObject, FileTypeUnknownIsOneHundred) {
  EXPECT_EQ(static_cast<int>(eftUnknown), 100);
  EXPECT_EQ(TypeOf(Write(L"a.cur", filefixtures::CursorFile())), eftUnknown);
  EXPECT_EQ(TypeOf(Write(L"old.exe", filefixtures::NEImage())), eftUnknown);
  EXPECT_EQ(TypeOf(Write(L"drv.vxd", filefixtures::Vxd(filefixtures::StandardVersionData()))),
            eftUnknown);
  EXPECT_EQ(TypeOf(Write(L"flagless.exe", filefixtures::PEImage(0x0100))), eftUnknown);
  EXPECT_EQ(TypeOf(Write(L"text.txt", Bytes{'h', 'i'})), eftUnknown);
  EXPECT_EQ(TypeOf(Write(L"empty.dll", Bytes())), eftUnknown);
  EXPECT_EQ(TypeOf(dir_.Path() + L"missing.dll"), eftUnknown);
  EXPECT_EQ(TypeOf(dir_.Path()), eftUnknown);
  EXPECT_EQ(TypeOf(dir_.Path() + std::wstring(300, L'f')), eftUnknown);
  EXPECT_EQ(TypeOf(nullptr), eftUnknown);
  std::wstring locked = Write(L"locked.dll", filefixtures::PEImage(0x2102));
  filetest::LockedFile lock(locked);
  EXPECT_EQ(TypeOf(locked), eftUnknown);
}

TEST_F(FileObject, FileTypeWithoutOutPointerIsEPointer) {
  EXPECT_EQ(file_->FileType(Bstr(twtest::LibraryPath().c_str()).Get(), nullptr), E_POINTER);
  EXPECT_EQ(file_->FileType(nullptr, nullptr), E_POINTER);
}

TEST_F(FileObject, UnicodeOnlyWithTheLittleEndianMark) {
  EXPECT_EQ(IsUnicode(Write(L"le.txt", Bytes{0xFF, 0xFE, 'a', 0})), kTrue);
  EXPECT_EQ(IsUnicode(Write(L"mark.txt", Bytes{0xFF, 0xFE})), kTrue);
  EXPECT_EQ(IsUnicode(Write(L"ctrlz.txt", Bytes{0xFF, 0xFE, 0x1A, 0})), kTrue);

  EXPECT_EQ(IsUnicode(Write(L"ff.txt", Bytes{0xFF})), kFalse);
  EXPECT_EQ(IsUnicode(Write(L"be.txt", Bytes{0xFE, 0xFF, 0, 'a'})), kFalse);
  EXPECT_EQ(IsUnicode(Write(L"utf8.txt", Bytes{0xEF, 0xBB, 0xBF, 'a'})), kFalse);
  EXPECT_EQ(IsUnicode(Write(L"nomark.txt", Bytes{'a', 0, 'b', 0})), kFalse);
  EXPECT_EQ(IsUnicode(Write(L"empty.txt", Bytes())), kFalse);
  EXPECT_EQ(IsUnicode(dir_.Path() + L"missing.txt"), kFalse);
  EXPECT_EQ(IsUnicode(dir_.Path()), kFalse);
  EXPECT_EQ(IsUnicode(dir_.Path() + std::wstring(300, L'u')), kFalse);
  EXPECT_EQ(IsUnicode(nullptr), kFalse);
  EXPECT_EQ(file_->IsFileUnicode(nullptr, nullptr), S_OK);
}

TEST_F(FileObject, UnicodeNamesGoThroughTheConversionCodePage) {
  // A name the ANSI code page can spell is found; one it cannot is not.
  EXPECT_EQ(IsUnicode(Write(L"caf\u00E9.txt", Bytes{0xFF, 0xFE})),
            GetACP() == 1252 ? kTrue : kFalse);
  EXPECT_EQ(IsUnicode(Write(L"\u0436\u4E2D.txt", Bytes{0xFF, 0xFE})), kFalse);
}

TEST_F(FileObject, UnicodeCheckReadsFilesOthersHaveOpen) {
  std::wstring path = Write(L"shared.txt", Bytes{0xFF, 0xFE});
  twutil::Handle writer(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(writer.Valid());
  EXPECT_EQ(IsUnicode(path), kTrue);
  filetest::LockedFile lock(Write(L"locked.txt", Bytes{0xFF, 0xFE}));
  EXPECT_EQ(IsUnicode(dir_.Path() + L"locked.txt"), kFalse);
}

TEST_F(FileObject, CodePageTextsMustMatchExactly) {
  EXPECT_EQ(Supported(Bstr(L"1252").Get()), kTrue);
  EXPECT_EQ(Supported(Bstr(L"437").Get()), kTrue);
  EXPECT_EQ(Installed(Bstr(L"1252").Get()), kTrue);
  for (const wchar_t* text : {L" 1252", L"01252", L"1252 ", L"1252.0", L"99999", L"", L"-1"}) {
    EXPECT_EQ(Supported(Bstr(text).Get()), kFalse) << text;
    EXPECT_EQ(Installed(Bstr(text).Get()), kFalse) << text;
  }
  EXPECT_EQ(Supported(nullptr), kFalse);
  EXPECT_EQ(Installed(nullptr), kFalse);
  EXPECT_EQ(Supported(Bstr(std::wstring(300, L'1').c_str()).Get()), kFalse);
  EXPECT_EQ(file_->IsCPSupported(nullptr, nullptr), S_OK);
}

TEST_F(FileObject, OffersSafetyForScripts) {
  twutil::ComPtr<IObjectSafety> safety;
  ASSERT_EQ(file_->QueryInterface(IID_IObjectSafety, safety.PutVoid()), S_OK);
  DWORD supported = 0;
  DWORD enabled = 9;
  EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IFileSys, &supported, &enabled), S_OK);
  EXPECT_EQ(supported, 3u);
  EXPECT_EQ(enabled, 0u);
}

}  // namespace
