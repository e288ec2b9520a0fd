// Helpers of the PE resource suites: captured diagnostics, the platform's
// view of a file's version and icons, and icon resources to build files with.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "support/PeBuilder.h"
#include "TWUtil.h"
#include "com/Owners.h"
#include "peres/StampDiagnostics.h"
#include "support/TestSupport.h"

namespace perestest {

using namespace pefixture;
using twtest::ReadBytes;
using twtest::WriteBytes;
// UTF-16 to the system ANSI code page, as stamping names files.
std::string Ansi(const std::wstring& text);

// Every message of a run; Lines gives those at or below a level, one a line.
class RecordingSink : public twutil::StampSink {
 public:
  void Emit(int level, const char* text) override { messages.emplace_back(level, text); }
  std::string Lines(int maxLevel) const;
  std::vector<std::pair<int, std::string>> messages;
};

// A value of the file's version resource through GetFileVersionInfo and
// VerQueryValue: a string ("\\StringFileInfo\\040904b0\\CompanyName", or
// "(absent)"), the first translation (language | code page << 16, or 0), the
// file version of the fixed information (most significant half first).
std::wstring VersionString(const std::wstring& file, const std::wstring& subBlock);
DWORD Translation(const std::wstring& file);
std::pair<DWORD, DWORD> FileVersion(const std::wstring& file);

// A group directory, each entry claiming 8 bytes.
Resource GroupResource(uint16_t id, const std::vector<uint16_t>& imageIds,
                       const std::u16string& name = u"");
// An image of 8 bytes that tell it apart.
Resource ImageResource(uint16_t id);
Bytes ImageBytes(uint16_t id);

// A resource of a file (of the running executable for an empty name) read
// through the platform's resource API; empty when missing.
Bytes ReadResource(const std::wstring& file, const wchar_t* type, const wchar_t* name);
inline Bytes ReadResource(const std::wstring& file, const wchar_t* type, uint16_t id) {
  return ReadResource(file, type, MAKEINTRESOURCEW(id));
}

}  // namespace perestest
