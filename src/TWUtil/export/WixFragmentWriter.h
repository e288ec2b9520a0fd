// A WiX v3 fragment that installs captured files with the registry entries
// their registrations wrote. It compiles with WiX v3 and with wixl.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "export/ExportedFile.h"

namespace twutil::exports {

struct WixOptions {
  std::wstring directoryId = L"INSTALLDIR";  // the DirectoryRef the components go into
  // Folder of the files at build time, joined to each file name with "/"
  // (which WiX and wixl both take); empty names the bare file, which both
  // tools look for beside the .wxs.
  std::wstring sourceDir;
  UINT codePage = 1252;  // the MSI's: text outside it cannot be carried
};

// UTF-8 XML. Every entry it cannot write stands as an XML comment in its
// place and adds a line to *notes.
std::string WriteWixFragment(const std::vector<ExportedFile>& files, const WixOptions& options,
                             std::vector<std::wstring>* notes);

}  // namespace twutil::exports
