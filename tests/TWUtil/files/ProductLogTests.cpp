// LogError and LogMessage: the line format of twide.log, the cut of long
// messages, the trim of a long log, and the error box when nothing can be
// written. Every call runs under a watcher, so a box never blocks a test.
#include <gtest/gtest.h>

#include "FileFixtures.h"
#include "FileTestSupport.h"
#include "support/TestSupport.h"

using filefixtures::Bytes;
using twutil::Bstr;

namespace {

std::string TextOf(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

class ProductLog : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(file_);
    ASSERT_TRUE(filetest::WindowsAvailable()) << "no display driver: the error box cannot be seen";
  }

  std::wstring Folder() const { return dir_.Path().substr(0, dir_.Path().size() - 1); }
  std::string Log() const { return TextOf(filefixtures::ReadFile(dir_.Path() + L"twide.log")); }

  // Runs a call and reports the error box it showed, if any.
  template <class Call>
  bool ShowsBox(Call call, std::wstring* text = nullptr) {
    filetest::ErrorBoxWatcher watcher;
    call();
    watcher.Stop();
    if (text) *text = watcher.Text();
    if (watcher.Seen()) {
      EXPECT_TRUE(watcher.HadIcon());
    }
    return watcher.Seen();
  }
  bool LogError(const wchar_t* message, const wchar_t* url, const wchar_t* line,
                std::wstring* boxText = nullptr) {
    return ShowsBox(
        [&] {
          EXPECT_EQ(file_->LogError(Bstr(message).Get(), Bstr(url).Get(), Bstr(line).Get()), S_OK);
        },
        boxText);
  }
  bool LogMessage(const wchar_t* message, std::wstring* boxText = nullptr) {
    return ShowsBox(
        [&] { EXPECT_EQ(file_->LogMessage(Bstr(message).Get(), Bstr(L"unused").Get()), S_OK); },
        boxText);
  }

  twutil::ComPtr<IFileSys> file_ = filetest::CreateFileObject();
  twtest::TempDir dir_;
};

TEST_F(ProductLog, AppendsLocationLineAndMessage) {
  std::wstring folder = Folder();
  filetest::InstallLocation location(&folder);
  EXPECT_FALSE(LogError(L"Object required", L"page.htm", L"12"));
  EXPECT_FALSE(LogMessage(L"hello"));
  EXPECT_FALSE(LogMessage(L"ends\n"));
  EXPECT_FALSE(LogMessage(L"two\nlines"));
  EXPECT_FALSE(LogError(L"", L"", L""));
  EXPECT_EQ(Log(),
            "page.htm 12: Object required\r\n"
            " 0: hello\r\n"
            " 0: ends\r\n"
            " 0: two\r\nlines\r\n"
            " 0: \r\n");
}

TEST_F(ProductLog, LineNumberIsReadLikeAtol) {
  std::wstring folder = Folder();
  filetest::InstallLocation location(&folder);
  const wchar_t* lines[] = {
      L"  -7xyz",    L"+15",         L"abc",          L"\t42 43",
      L"2147483647", L"99999999999", L"-99999999999", L"0000000000000000000123"};
  for (const wchar_t* line : lines) EXPECT_FALSE(LogError(L"m", L"u", line));
  EXPECT_FALSE(LogError(nullptr, nullptr, nullptr));
  EXPECT_EQ(Log(),
            "u -7: m\r\n"
            "u 15: m\r\n"
            "u 0: m\r\n"
            "u 42: m\r\n"
            "u 2147483647: m\r\n"
            "u 2147483647: m\r\n"
            "u -2147483648: m\r\n"
            "u 0: m\r\n"
            " 0: \r\n");
}

TEST_F(ProductLog, LongMessagesAreCutTo511Characters) {
  std::wstring folder = Folder();
  filetest::InstallLocation location(&folder);
  std::wstring message = std::wstring(511, L'a') + std::wstring(89, L'b');
  EXPECT_FALSE(LogMessage(message.c_str()));
  EXPECT_EQ(Log(), " 0: " + std::string(511, 'a') + "\r\n");
}

TEST_F(ProductLog, CharactersAreWrittenOneByteEach) {
  std::wstring folder = Folder();
  filetest::InstallLocation location(&folder);
  EXPECT_FALSE(LogError(L"caf\u00E9 \u00FF \u0416", L"\u00E0.htm", L"3"));
  EXPECT_EQ(Log(), "\xE0.htm 3: caf\xE9 \xFF ?\r\n");
}

TEST_F(ProductLog, FolderMayEndInABackslash) {
  std::wstring folder = dir_.Path();
  filetest::InstallLocation location(&folder);
  EXPECT_FALSE(LogMessage(L"slash"));
  EXPECT_EQ(Log(), " 0: slash\r\n");
}

TEST_F(ProductLog, FolderOf124CharactersIsTheLongest) {
  std::wstring longest = dir_.Path() + std::wstring(124 - dir_.Path().size(), L'd');
  ASSERT_TRUE(CreateDirectoryW(longest.c_str(), nullptr));
  filetest::InstallLocation location(&longest);
  EXPECT_FALSE(LogMessage(L"fits"));
  EXPECT_EQ(TextOf(filefixtures::ReadFile(longest + L"\\twide.log")), " 0: fits\r\n");

  std::wstring tooLong = longest + L"e";
  ASSERT_TRUE(CreateDirectoryW(tooLong.c_str(), nullptr));
  filetest::InstallLocation longer(&tooLong);
  std::wstring box;
  EXPECT_TRUE(LogMessage(L"does not fit", &box));
  EXPECT_EQ(box, L"does not fit");
  EXPECT_EQ(GetFileAttributesW((tooLong + L"\\twide.log").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(ProductLog, KeepsTheLast10000BytesPast20000) {
  std::wstring folder = Folder();
  filetest::InstallLocation location(&folder);
  std::wstring path = dir_.Path() + L"twide.log";

  // 19,993 + 7 bytes make exactly 20,000: not yet trimmed.
  ASSERT_TRUE(filefixtures::WriteFile(path, Bytes(19993, 'a')));
  EXPECT_FALSE(LogMessage(L"x"));
  EXPECT_EQ(Log(), std::string(19993, 'a') + " 0: x\r\n");

  EXPECT_FALSE(LogMessage(L"y"));  // 20,007 bytes
  EXPECT_EQ(Log(), std::string(9986, 'a') + " 0: x\r\n 0: y\r\n");
}

TEST_F(ProductLog, TrimRestoresALineFeedCutFromItsReturn) {
  std::wstring folder = Folder();
  filetest::InstallLocation location(&folder);
  // After the append the file has 20,007 bytes; the kept part begins at
  // 10,007, just after a carriage return.
  Bytes old(20000, 'b');
  old[10006] = '\r';
  old[10007] = '\n';
  ASSERT_TRUE(filefixtures::WriteFile(dir_.Path() + L"twide.log", old));
  EXPECT_FALSE(LogMessage(L"x"));
  EXPECT_EQ(Log(), "\r\n" + std::string(20000 - 10008, 'b') + " 0: x\r\n");
}

TEST_F(ProductLog, MissingFolderSettingShowsTheMessage) {
  filetest::InstallLocation none(nullptr);
  std::wstring box;
  EXPECT_TRUE(LogError(L"Object required", L"page.htm", L"12", &box));
  EXPECT_EQ(box, L"Object required");
  EXPECT_TRUE(LogMessage(std::wstring(600, L'm').c_str(), &box));
  EXPECT_EQ(box, std::wstring(511, L'm'));
}

TEST_F(ProductLog, EmptyMessageShowsTheFixedText) {
  filetest::InstallLocation none(nullptr);
  std::wstring box;
  EXPECT_TRUE(LogError(L"", L"page.htm", L"1", &box));
  EXPECT_EQ(box, L"Unknown exception encountered when trying to log exception");
  EXPECT_TRUE(LogMessage(nullptr, &box));
  EXPECT_EQ(box, L"Unknown exception encountered when trying to log exception");
}

TEST_F(ProductLog, UnwritableLogShowsTheMessage) {
  std::wstring missing = dir_.Path() + L"no such folder";
  filetest::InstallLocation location(&missing);
  std::wstring box;
  EXPECT_TRUE(LogMessage(L"nowhere", &box));
  EXPECT_EQ(box, L"nowhere");

  std::wstring folder = Folder();
  filetest::InstallLocation here(&folder);
  filetest::LockedFile lock(dir_.Path() + L"twide.log");
  ASSERT_TRUE(lock.Locked());
  EXPECT_TRUE(LogError(L"locked", L"u", L"1", &box));
  EXPECT_EQ(box, L"locked");
}

}  // namespace
