// What "twutil capture" was asked to do, read from its arguments.
#pragma once

#include <string>
#include <vector>

namespace twtool {

enum class CaptureFormat { kJson, kReg, kWxs };

struct CaptureRequest {
  std::wstring destination = L"[INSTALLDIR]";
  std::vector<std::wstring> files;
  bool live = false;
  bool repackage = false;
  bool registerFirst = false;
  bool unregisterAfter = false;
  CaptureFormat format = CaptureFormat::kJson;
  std::wstring output;                       // empty: stdout
  std::wstring installDir;                   // reg: where the files will be; empty: paths stay
  std::wstring directoryId = L"INSTALLDIR";  // wxs: the folder's directory id
  std::wstring sourceDir;    // wxs: where the build finds the files; empty: their folder
  unsigned codePage = 1252;  // wxs: the MSI's code page
  long timeoutSeconds = 0;   // 0: the spy's own limit
};

// False, with the message shown and *exitCode set, when the arguments do not
// make a request.
bool ParseCaptureArguments(const std::vector<std::wstring>& arguments, CaptureRequest* request,
                           int* exitCode);

}  // namespace twtool
