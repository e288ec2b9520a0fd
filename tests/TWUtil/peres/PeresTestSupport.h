// Helpers of the PE resource suites: files from byte images, captured
// diagnostics and standard output, the version API's view of a file.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "PeBuilder.h"
#include "peres/StampDiagnostics.h"

namespace perestest {

using pefixture::Bytes;

bool WriteBytes(const std::wstring& path, const Bytes& bytes);
Bytes ReadBytes(const std::wstring& path);

// The file in the (32-bit) system folder of the Wine prefix.
std::wstring SystemFile(const wchar_t* name);

// UTF-16 to the system ANSI code page, as stamping names files.
std::string Ansi(const std::wstring& text);

// Every message of a run, all levels.
class RecordingSink : public twutil::StampSink {
 public:
  void Emit(int level, const char* text) override { messages.emplace_back(level, text); }
  // The messages at or below the level, one per line.
  std::string Lines(int maxLevel) const;
  std::vector<std::pair<int, std::string>> messages;
};

// Redirects the C runtime's standard output into a file while it lives.
class StdoutCapture {
 public:
  StdoutCapture();
  ~StdoutCapture();
  StdoutCapture(const StdoutCapture&) = delete;
  StdoutCapture& operator=(const StdoutCapture&) = delete;
  // What was written so far, with "\r\n" read as "\n".
  std::string Text();

 private:
  std::wstring path_;
  int saved_ = -1;
};

// A string of the file's version resource through GetFileVersionInfo and
// VerQueryValue ("\\StringFileInfo\\040904b0\\CompanyName"); false when absent.
bool QueryVersionString(const std::wstring& file, const std::wstring& subBlock,
                        std::wstring* value);
// The first translation (language | code page << 16), or 0.
DWORD QueryTranslation(const std::wstring& file);
// The fixed information's file version, most significant half first.
bool QueryFileVersion(const std::wstring& file, DWORD* ms, DWORD* ls);

// The system's text for an error code, as stamping quotes it.
std::string SystemMessage(DWORD error);

}  // namespace perestest
