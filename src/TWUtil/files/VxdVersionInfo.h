// What the File class reports about a VxD's version: the size of its raw
// version data, and the file version and translations read from them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

namespace twutil {

// The size of the VxD's version data, or 0 when it has none or is no VxD.
long GetVxdVersionDataSize(const wchar_t* path);

struct VxdVersionInfo {
  bool hasFixedInfo = false;  // the fields below are set
  DWORD fileVersionMS = 0;
  DWORD fileVersionLS = 0;
  bool hasTranslations = false;  // translations is set
  std::vector<uint32_t> translations;
};

// Reads the version data into a fresh buffer of bufferSize bytes and asks it
// for the fixed file information and then the translation table; stops at
// the first step that fails (a bufferSize of 0 or below, or one smaller than
// the data, fails at once).
VxdVersionInfo ReadVxdVersionInfo(const wchar_t* path, long bufferSize);

}  // namespace twutil
