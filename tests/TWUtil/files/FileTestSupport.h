// Helpers of the File suites: the File object and files held open by someone
// else.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "TWUtil.h"
#include "com/Owners.h"
#include "support/TestSupport.h"

namespace filefixtures {

inline twutil::ComPtr<IFileSys> CreateFileObject() {
  twutil::ComPtr<IFileSys> file;
  EXPECT_EQ(twtest::Create(CLSID_File, &file), S_OK);
  return file;
}

// The file held open with no sharing, so that nobody else can open it.
inline twutil::Handle Lock(const std::wstring& path) {
  return twutil::Handle(
      CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr));
}

}  // namespace filefixtures
