// GetShortLongFilename: the probe file, the "SHORT|long" answer, and the
// conversion code page it sets for its call and resets afterwards.
#include <gtest/gtest.h>

#include <cwctype>

#include "CodePage.h"
#include "FileFixtures.h"
#include "FileTestSupport.h"
#include "files/ShortName.h"
#include "support/TestSupport.h"

using twutil::Bstr;

namespace {

std::wstring TempFolder() {
  wchar_t folder[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH, folder);
  return folder;
}

bool IsShortName(const std::wstring& name) {
  size_t dot = name.find(L'.');
  std::wstring base = name.substr(0, dot);
  std::wstring extension = dot == std::wstring::npos ? L"" : name.substr(dot + 1);
  if (base.empty() || base.size() > 8 || extension.size() > 3) return false;
  for (wchar_t c : name)
    if (c == L' ' || std::iswlower(c)) return false;
  return true;
}

// The conversion code page as the probe's first file call sees it.
UINT g_codePageDuringCall = 0;
DWORD WINAPI RecordingGetTempPath(DWORD length, LPWSTR buffer) {
  g_codePageDuringCall = twutil::ConversionCodePage();
  return GetTempPathW(length, buffer);
}
DWORD WINAPI FailingGetTempPath(DWORD, LPWSTR) { return 0; }

class ShortName : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(file_); }
  void TearDown() override { twutil::SetConversionCodePage(0); }

  LONG Call(BSTR name, BSTR langId, std::wstring* answer) {
    Bstr out;
    LONG result = 99;
    EXPECT_EQ(file_->GetShortLongFilename(name, langId, out.Put(), &result), S_OK);
    *answer = out.Text();
    return result;
  }
  LONG Call(const std::wstring& name, std::wstring* answer) {
    return Call(Bstr(name.c_str()).Get(), Bstr(L"1033").Get(), answer);
  }
  UINT CodePageDuring(const wchar_t* langId) {
    twutil::WideFileFunctions functions;
    functions.getTempPath = RecordingGetTempPath;
    g_codePageDuringCall = 12345;
    std::wstring answer;
    EXPECT_EQ(twutil::GetShortLongName(functions, L"probe name.txt", langId, &answer), 0);
    EXPECT_EQ(twutil::ConversionCodePage(), 0u);
    return g_codePageDuringCall;
  }

  twutil::ComPtr<IFileSys> file_ = filetest::CreateFileObject();
};

TEST_F(ShortName, LongNameGetsItsShortNameInFront) {
  std::wstring name =
      L"Long File Name With Blanks " + std::to_wstring(GetCurrentProcessId()) + L".text";
  std::wstring answer;
  ASSERT_EQ(Call(name, &answer), 0);
  size_t bar = answer.find(L'|');
  ASSERT_NE(bar, std::wstring::npos) << answer.c_str();
  EXPECT_TRUE(IsShortName(answer.substr(0, bar))) << answer.c_str();
  EXPECT_EQ(answer.substr(bar + 1), name);
  EXPECT_EQ(GetFileAttributesW((TempFolder() + name).c_str()), INVALID_FILE_ATTRIBUTES)
      << "the probe file is left behind";
}

TEST_F(ShortName, ExistingFileIsLeftAlone) {
  std::wstring name = L"Existing Long Name " + std::to_wstring(GetCurrentProcessId()) + L".txt";
  std::wstring path = TempFolder() + name;
  ASSERT_TRUE(filefixtures::WriteFile(path, {'k', 'e', 'e', 'p'}));
  std::wstring answer;
  EXPECT_EQ(Call(name, &answer), 0);
  EXPECT_NE(answer.find(L"|" + name), std::wstring::npos) << answer.c_str();
  EXPECT_EQ(filefixtures::ReadFile(path), (filefixtures::Bytes{'k', 'e', 'e', 'p'}));
  DeleteFileW(path.c_str());
}

TEST_F(ShortName, ValidShortNamesComeBackAlone) {
  std::wstring answer;
  EXPECT_EQ(Call(L"README.TXT", &answer), 0);
  EXPECT_EQ(answer, L"README.TXT");
  EXPECT_EQ(Call(L"readme.txt", &answer), 0);
  EXPECT_EQ(answer, L"readme.txt");
  EXPECT_EQ(Call(L"\\NOTES.TXT", &answer), 0);  // one backslash between folder and name
  EXPECT_EQ(answer, L"\\NOTES.TXT");
}

TEST_F(ShortName, NoProbeFileMeansMinusOneAndTheNameUnchanged) {
  std::wstring answer;
  std::wstring inMissingFolder = L"no such folder 7\\Long Name Here.txt";
  EXPECT_EQ(Call(inMissingFolder, &answer), -1);
  EXPECT_EQ(answer, inMissingFolder);
  std::wstring tooLong(300, L'n');
  EXPECT_EQ(Call(tooLong, &answer), -1);
  EXPECT_EQ(answer, tooLong);
  EXPECT_EQ(Call(nullptr, nullptr, &answer), -1);  // the folder itself
  EXPECT_EQ(answer, L"");

  twutil::WideFileFunctions noTemp;
  noTemp.getTempPath = FailingGetTempPath;
  twutil::SetConversionCodePage(1250);
  EXPECT_EQ(twutil::GetShortLongName(noTemp, L"Long Name.txt", L"1033", &answer), -1);
  EXPECT_EQ(answer, L"Long Name.txt");
  EXPECT_EQ(twutil::ConversionCodePage(), 0u);
}

TEST_F(ShortName, CodePageFollowsTheLocaleForTheCall) {
  EXPECT_EQ(CodePageDuring(L"1049"), 1251u);
  EXPECT_EQ(CodePageDuring(L"1041"), 932u);
  EXPECT_EQ(CodePageDuring(L"&H409"), 1252u);  // automation reads hex too
  twutil::SetConversionCodePage(1250);
  EXPECT_EQ(CodePageDuring(L"not a number"), 1250u);
  twutil::SetConversionCodePage(1250);
  EXPECT_EQ(CodePageDuring(L""), 1250u);
  twutil::SetConversionCodePage(1250);
  EXPECT_EQ(CodePageDuring(L"99999999999"), 1250u);
}

TEST_F(ShortName, NullArgumentsAreHarmless) {
  LONG result = 99;
  EXPECT_EQ(file_->GetShortLongFilename(Bstr(L"A.TXT").Get(), nullptr, nullptr, &result), S_OK);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(file_->GetShortLongFilename(nullptr, nullptr, nullptr, nullptr), S_OK);
}

}  // namespace
