// Registry entries that test every corner of the exports, shared by the
// suite and the generator of the MSI round trip.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "export/ExportedFile.h"

namespace exporttest {

// A server file with a long name (so it also has a short one), made in folder.
std::wstring MakeKeyFile(const std::wstring& folder);

struct StressEntry {
  twutil::model::CapturedEntry entry;  // as captured, below HKCU\base
  std::vector<BYTE> installed;         // the data once its paths name the install folder
  bool reg = true;                     // regedit reads it back as written
  bool msi = true;                     // an MSI carries it
};

// Every path in them names keyFile; installDir (with a trailing backslash)
// is where an install puts it.
std::vector<StressEntry> StressEntries(const std::wstring& base, const std::wstring& keyFile,
                                       const std::wstring& installDir);

twutil::exports::ExportedFile StressFile(const std::wstring& keyFile,
                                         const std::vector<StressEntry>& entries);

}  // namespace exporttest
