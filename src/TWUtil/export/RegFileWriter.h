// The "Windows Registry Editor Version 5.00" picture of captured
// registrations, as regedit imports it.
#pragma once

#include <string>
#include <vector>

#include "export/ExportedFile.h"

namespace twutil::exports {

struct RegFileOptions {
  // Where the files will live; empty keeps the captured paths. Otherwise every
  // spelling of a key file's path in text data becomes installDir\<file name>
  // and every spelling of its folder installDir.
  std::wstring installDir;
};

// The whole file, lines ended with CR LF, without a byte-order mark. Every
// entry it cannot write, or writes only approximately, adds a line to *notes.
std::wstring WriteRegFile(const std::vector<ExportedFile>& files, const RegFileOptions& options,
                          std::vector<std::wstring>* notes);

// Writes text as UTF-16LE with a byte-order mark; false with GetLastError set
// when the file cannot be written whole.
bool WriteUtf16File(const std::wstring& path, const std::wstring& text);
// The same as the bytes of such a file.
std::string Utf16FileBytes(const std::wstring& text);

}  // namespace twutil::exports
