// The short (8.3) name that the file system gives a long file name, found by
// creating a probe file of that name in the temporary folder.
#pragma once

#include <windows.h>

#include <string>

namespace twutil {

// The wide file functions the probe uses: looked up by name in KERNEL32.DLL
// on the NT platform; an empty entry means the ordinary import.
struct WideFileFunctions {
  decltype(&GetTempPathW) getTempPath = nullptr;
  decltype(&FindFirstFileW) findFirstFile = nullptr;
  decltype(&CreateFileW) createFile = nullptr;
  decltype(&DeleteFileW) deleteFile = nullptr;

  static WideFileFunctions Resolve();
};

// Sets the conversion code page to the ANSI code page of the locale langId
// names for the length of the call and back to 0 at its end. *shortLong is
// "SHORT|long" when the file system gives name a short name of its own,
// otherwise name itself. Returns 0, or -1 when no probe file could be made.
long GetShortLongName(const WideFileFunctions& functions, const std::wstring& name,
                      const std::wstring& langId, std::wstring* shortLong);

}  // namespace twutil
