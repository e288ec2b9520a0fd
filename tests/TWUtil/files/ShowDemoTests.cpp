// ShowDemo starts Demo32.exe with the caller's parameters and folder. The
// demo closes itself after 30 seconds should a test fail to close it.
#include <gtest/gtest.h>

#include "FileTestSupport.h"
#include "support/TestSupport.h"

using twutil::Bstr;

TEST(ShowDemo, StartsTheDemoWithParametersAndFolder) {
  ASSERT_TRUE(filetest::WindowsAvailable()) << "no display driver: the demo cannot be seen";
  twutil::ComPtr<IFileSys> file = filetest::CreateFileObject();
  ASSERT_TRUE(file);
  twtest::TempDir dir;
  std::wstring folder = dir.Path().substr(0, dir.Path().size() - 1);
  filetest::WindowWatcher watcher(L"TarnwickHarborDemo32", L"Tarnwick Harbor Demo", 0);
  VARIANT_BOOL success = 7;
  ASSERT_EQ(file->ShowDemo(Bstr(folder.c_str()).Get(), Bstr(L"/seconds:30 My Project.twp").Get(),
                           &success),
            S_OK);
  EXPECT_EQ(success, VARIANT_TRUE);
  ASSERT_TRUE(watcher.WaitSeen(15000));
  EXPECT_EQ(watcher.Text(), L"Project: My Project.twp\r\nFolder: " + folder);
  EXPECT_EQ(file->ShowDemo(nullptr, Bstr(L"/seconds:0").Get(), nullptr), S_OK);
}
