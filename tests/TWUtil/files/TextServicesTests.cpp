// SearchReplace (the replacement pass, the files and their HRESULTs, the
// DefaultPath rules), Guid.CreateGuid and Encryptor.Encrypt. The expected
// ciphers were worked out by hand from the CRC-32 values of "123456789"
// (CBF43926), "a" (E8B7BE43) and the empty text (0).
#include <gtest/gtest.h>

#include <string>

#include "TWUtil.h"
#include "support/TestSupport.h"

namespace twtest {
namespace {

using twutil::Bstr;
using twutil::Handle;

Bstr B(const std::wstring& text) { return Bstr(text.data(), static_cast<UINT>(text.size())); }
HANDLE Open(const std::wstring& path, DWORD access, DWORD share, DWORD how) {
  return CreateFileW(path.c_str(), access, share, nullptr, how, 0, nullptr);
}

class SearchReplace : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(Create(CLSID_SearchReplace, &sr_), S_OK); }
  std::wstring In(const std::wstring& name) const { return dir_.Path() + name; }
  void Write(const std::wstring& name, const std::string& bytes) {
    ASSERT_TRUE(twtest::WriteBytes(In(name), {bytes.begin(), bytes.end()}));
  }
  std::string Read(const std::wstring& name) {
    if (GetFileAttributesW(In(name).c_str()) == INVALID_FILE_ATTRIBUTES) return "(missing)";
    std::vector<uint8_t> bytes = twtest::ReadBytes(In(name));
    return std::string(bytes.begin(), bytes.end());
  }
  HRESULT Run(const std::wstring& source, const std::wstring& dest, const std::wstring& search,
              const std::wstring& replacement) {
    return sr_->SearchAndReplace(B(source).Get(), B(dest).Get(), B(search).Get(),
                                 B(replacement).Get());
  }
  std::string Replaced(const std::string& text, const std::wstring& search,
                       const std::wstring& replacement) {
    Write(L"src", text);
    EXPECT_EQ(Run(In(L"src"), In(L"dst"), search, replacement), S_OK);
    return Read(L"dst");
  }
  std::wstring PathAfter(const std::wstring& put) {
    sr_->put_DefaultPath(B(put).Get());
    Bstr got;
    EXPECT_EQ(sr_->get_DefaultPath(got.Put()), S_OK);
    return got.Text();
  }
  twutil::ComPtr<ISearchReplace> sr_;
  TempDir dir_;
};

TEST_F(SearchReplace, ReplacesLeftToRightWithoutOverlapOrRescan) {
  EXPECT_EQ(Replaced("ABCABC", L"BC", L"X"), "AXAX");
  EXPECT_EQ(Replaced("AAAAA", L"AA", L"B"), "BBA");
  EXPECT_EQ(Replaced("aXa", L"a", L"aa"), "aaXaa");
  EXPECT_EQ(Replaced("abcABC", L"ABC", L""), "abc");         // letter case matters
  EXPECT_EQ(Replaced("unchanged", L"", L"x"), "unchanged");  // empty search text copies
  // Around the write buffer.
  std::string text(3u << 20, 'q'), expected = text;
  for (int i = 0; i < 200000; ++i) text += "ab<OLD>", expected += "ab[new!]";
  EXPECT_TRUE(Replaced(text, L"<OLD>", L"[new!]") == expected);
}

TEST_F(SearchReplace, CopiesBytesUpToTheFirstNulInTheAnsiCodePage) {
  std::string everyByte;
  for (int b = 1; b < 256; ++b) everyByte.push_back(char(b));
  EXPECT_EQ(Replaced(everyByte, L"none", L"x"), everyByte);
  EXPECT_EQ(Replaced(std::string("ab\0cab", 6), L"b", L"X"), "aX");
  if (GetACP() != 1252) GTEST_SKIP() << "expectations written for code page 1252";
  EXPECT_EQ(Replaced("caf\xE9", L"\xE9", L"e"), "cafe");
  EXPECT_EQ(Replaced("why?", L"\x4E00", L"!"), "why!");  // lacking characters become "?"
}

TEST_F(SearchReplace, UnopenableFilesAreInvalidArgumentsAndFailedIOFailures) {
  Write(L"src", "source");
  Write(L"dst", "old");
  EXPECT_EQ(Run(In(L"no dir\\src"), In(L"new"), L"s", L"x"), E_INVALIDARG);
  EXPECT_EQ(Read(L"new"), "(missing)");
  EXPECT_EQ(Run(In(L"made"), In(L"no dir\\dst"), L"s", L"x"), E_INVALIDARG);
  EXPECT_EQ(Read(L"made"), "");  // the missing source was created first
  for (const wchar_t* held : {L"src", L"dst"}) {
    Handle open(Open(In(held), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING));
    EXPECT_EQ(Run(In(L"src"), In(L"dst"), L"s", L"x"), E_INVALIDARG) << held;
  }
  EXPECT_EQ(Read(L"src") + Read(L"dst"), "sourceold");
  EXPECT_EQ(Run(In(L"absent"), In(L"dst"), L"a", L"b"), S_OK);
  EXPECT_EQ(Read(L"absent") + Read(L"dst"), "");

  {  // sparse: reported as 5 GB without using the space
    Handle huge(Open(In(L"huge"), GENERIC_WRITE, 0, CREATE_ALWAYS));
    LARGE_INTEGER size;
    size.QuadPart = 5LL << 30;
    ASSERT_TRUE(SetFilePointerEx(huge.Get(), size, nullptr, FILE_BEGIN) &&
                SetEndOfFile(huge.Get()));
  }
  Write(L"dst", "old");
  EXPECT_EQ(Run(In(L"huge"), In(L"dst"), L"a", L"b"), E_FAIL);
  EXPECT_EQ(Read(L"dst"), "");
}

TEST_F(SearchReplace, BareNamesGoBelowTheDefaultPathWhichKeepsTheFolderOfWhatItIsGiven) {
  wchar_t saved[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, saved);
  SetCurrentDirectoryW(dir_.Path().c_str());
  Write(L"src", "one two");
  Write(L"pre_src", "one prefixed");
  EXPECT_EQ(Run(L"src", L"dst1", L"one", L"1"), S_OK);  // initially ".\"
  sr_->put_DefaultPath(B(L"pre_").Get());               // no backslash gets added
  EXPECT_EQ(Run(L"src", L"dst2", L"one", L"1"), S_OK);
  SetCurrentDirectoryW(saved);
  EXPECT_EQ(Read(L"dst1"), "1 two");
  EXPECT_EQ(Read(L"pre_dst2"), "1 prefixed");

  sr_->put_DefaultPath(B(dir_.Path()).Get());
  CreateDirectoryW(In(L"sub").c_str(), nullptr);
  EXPECT_EQ(Run(L"src", L"sub/out", L"two", L"2"), S_OK);  // "/" is no folder separator here
  EXPECT_EQ(Read(L"sub\\out"), "one 2");
  std::wstring fits(259 - dir_.Path().size(), L'f');
  EXPECT_EQ(Run(fits + L"g", L"dst", L"a", L"b"), E_INVALIDARG);
  EXPECT_EQ(Run(L"src", fits + L"g", L"a", L"b"), E_INVALIDARG);
  EXPECT_EQ(Run(fits, L"dst", L"a", L"b"), S_OK);

  // The default path keeps the folder of what it is given.
  EXPECT_EQ(PathAfter(L"C:\\setup\\readme.txt"), L"C:\\setup\\");
  EXPECT_EQ(PathAfter(L"/x\\y\\z.txt"), L"x\\y\\");
  EXPECT_EQ(PathAfter(std::wstring(300, L'p')), std::wstring(259, L'p'));
  EXPECT_EQ(PathAfter(std::wstring(100, L'a') + L"\\" + std::wstring(200, L'b') + L"\\"),
            std::wstring(100, L'a') + L"\\");  // cut to 259 first
  if (GetACP() != 1252) GTEST_SKIP() << "expectations written for code page 1252";
  EXPECT_EQ(PathAfter(L"C:\\\xE9\\\x4E00\\"), L"C:\\\xE9\\?\\");
}

TEST(CreateGuid, GivesAFreshBracedUppercaseGuidEachTime) {
  twutil::ComPtr<IGuid> guid;
  ASSERT_EQ(Create(CLSID_Guid, &guid), S_OK);
  Bstr first, second;
  ASSERT_EQ(guid->CreateGuid(first.Put()), S_OK);
  ASSERT_EQ(guid->CreateGuid(second.Put()), S_OK);
  EXPECT_STRNE(first.Text(), second.Text());
  GUID parsed = {};
  wchar_t canonical[40] = {};
  ASSERT_EQ(CLSIDFromString(first.Get(), &parsed), S_OK) << first.Text();
  StringFromGUID2(parsed, canonical, 40);  // braced, uppercase
  EXPECT_STREQ(first.Text(), canonical);
  EXPECT_EQ(guid->CreateGuid(nullptr), S_OK);
}

TEST(Encrypt, KnownTextsForEveryAlgorithmValueFromTheFirst255AnsiBytesBeforeANul) {
  twutil::ComPtr<IEncryptor> encryptor;
  ASSERT_EQ(Create(CLSID_Encryptor, &encryptor), S_OK);
  auto Of = [&](const std::wstring& input, long algorithm = 0) {
    Bstr in(input.data(), static_cast<UINT>(input.size())), out;
    EXPECT_EQ(encryptor->Encrypt(EEncryptAlgorithm(algorithm), in.Get(), out.Put()), S_OK);
    return std::wstring(out.Text());
  };
  for (long algorithm : {0L, 1L, -7L}) {
    EXPECT_EQ(Of(L"123456789", algorithm), L"992086842");
    EXPECT_EQ(Of(L"a", algorithm), L"3139838782");  // above 2^31: printed unsigned
    EXPECT_EQ(Of(L"", algorithm), L"993737531");    // each byte of a zero CRC is the mask
  }
  Bstr out;
  EXPECT_EQ(encryptor->Encrypt(algo1, nullptr, out.Put()), S_OK);
  EXPECT_STREQ(out.Text(), L"993737531");
  EXPECT_EQ(encryptor->Encrypt(algo1, nullptr, nullptr), E_POINTER);

  EXPECT_EQ(Of(L"\x4E00"), Of(L"\x4E8C"));  // both become the code page's "?"
  EXPECT_EQ(Of(std::wstring(L"ab\0cd", 5)), Of(L"ab"));
  std::wstring cut = Of(std::wstring(255, L'x'));
  EXPECT_EQ(Of(std::wstring(100000, L'x')), cut);
  EXPECT_NE(Of(std::wstring(254, L'x')), cut);
}

}  // namespace
}  // namespace twtest
