// GetShortLongFilename: the probe file, the "SHORT|long" answer, and the
// conversion code page it sets for its call and resets afterwards.
#include <gtest/gtest.h>

#include "CodePage.h"
#include "FileFixtures.h"
#include "files/ShortName.h"

using twutil::Bstr;

namespace {

std::wstring TempFolder() {
  wchar_t folder[MAX_PATH + 1] = {};
  return std::wstring(folder, GetTempPathW(MAX_PATH, folder));
}

// The conversion code page as the probe's first file call sees it.
UINT g_codePageDuringCall = 0;
DWORD WINAPI RecordingGetTempPath(DWORD length, LPWSTR buffer) {
  g_codePageDuringCall = twutil::ConversionCodePage();
  return GetTempPathW(length, buffer);
}
DWORD WINAPI FailingGetTempPath(DWORD, LPWSTR) { return 0; }

class ShortName : public filefixtures::FileTest {
 protected:
  void TearDown() override { twutil::SetConversionCodePage(0); }
  std::pair<LONG, std::wstring> Call(const std::wstring& name) {
    Bstr out;
    LONG result = 99;
    EXPECT_EQ(file_->GetShortLongFilename(name.empty() ? nullptr : Bstr(name.c_str()).Get(),
                                          Bstr(L"1033").Get(), out.Put(), &result),
              S_OK);
    return {result, out.Text()};
  }
};

TEST_F(ShortName, ShortNameInFrontOfLongNamesShortOnesAloneInTheLocalesCodePage) {
  std::wstring made = L"Long Name With Blanks " + std::to_wstring(GetCurrentProcessId()) + L".text";
  std::wstring kept = L"Existing Long Name " + std::to_wstring(GetCurrentProcessId()) + L".txt";
  ASSERT_TRUE(twtest::WriteBytes(TempFolder() + kept, {'k'}));
  for (const std::wstring& name : {made, kept}) {
    auto [result, answer] = Call(name);
    ASSERT_EQ(result, 0);
    size_t bar = answer.find(L'|');
    ASSERT_NE(bar, std::wstring::npos) << answer.c_str();
    EXPECT_EQ(answer.substr(bar + 1), name);
    std::wstring shortName = answer.substr(0, bar);
    EXPECT_LE(shortName.find(L'.'), 8u) << answer.c_str();
    EXPECT_EQ(shortName.find_first_of(L" abcdefghijklmnopqrstuvwxyz"), std::wstring::npos);
  }
  EXPECT_EQ(GetFileAttributesW((TempFolder() + made).c_str()), INVALID_FILE_ATTRIBUTES)
      << "the probe file is left behind";
  EXPECT_EQ(twtest::ReadBytes(TempFolder() + kept), filefixtures::Bytes{'k'});
  DeleteFileW((TempFolder() + kept).c_str());

  for (const wchar_t* name : {L"README.TXT", L"readme.txt"})
    EXPECT_EQ(Call(name), std::make_pair(0L, std::wstring(name)));
  for (const std::wstring& name :
       {std::wstring(L"no such folder 7\\Long Name.txt"), std::wstring()})
    EXPECT_EQ(Call(name), std::make_pair(-1L, name));

  // The locale's code page holds for the call (automation reads hex too). 0:
  // GetTempPath fails, so there is no probe file: -1 and the name unchanged.
  const std::pair<const wchar_t*, UINT> cases[] = {
      {L"1049", 1251}, {L"&H409", 1252}, {L"not a number", 1250}, {L"1033", 0}};
  for (const auto& c : cases) {
    twutil::SetConversionCodePage(1250);
    g_codePageDuringCall = 0;
    twutil::WideFileFunctions functions;
    functions.getTempPath = c.second ? RecordingGetTempPath : FailingGetTempPath;
    std::wstring answer;
    EXPECT_EQ(twutil::GetShortLongName(functions, L"Long Name.txt", c.first, &answer),
              c.second ? 0 : -1);
    EXPECT_EQ(g_codePageDuringCall, c.second) << c.first;
    EXPECT_EQ(twutil::ConversionCodePage(), 0u);
    EXPECT_TRUE(c.second || answer == L"Long Name.txt") << answer.c_str();
  }
}

}  // namespace
