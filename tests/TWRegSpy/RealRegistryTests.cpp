// A capture of every kind of test server leaves the machine's registry, in
// both views, as it was.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

#include "SpyTestSupport.h"
#include "support/TestSupport.h"

namespace {

using spytest::NativeServer;
using spytest::ServerPath;
using Sections = std::map<std::string, std::string>;

// Wine's device manager, network driver and service manager keep writing
// their own state while a young prefix boots (and whenever a service
// starts); those keys are theirs, not a server's.
bool IsWineDeviceState(const std::string& key) {
  for (const std::string prefix :
       {"HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Enum",
        "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services",
        "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\DeviceClasses",
        "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\ServiceCurrent",
        "HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\Microsoft\\Windows "
        "NT\\CurrentVersion\\NetworkCards",
        "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards"}) {
    if (key.compare(0, prefix.size(), prefix) == 0 &&
        (key.size() == prefix.size() || key[prefix.size()] == '\\'))
      return true;
  }
  return false;
}

// HKEY_LOCAL_MACHINE and HKEY_USERS of both views as reg.exe exports them:
// key path (with the view) to the exact text of its values.
Sections Export() {
  twtest::TempDir dir;
  Sections sections;
  for (const wchar_t* view : {L"32", L"64"}) {
    for (const wchar_t* hive : {L"HKLM", L"HKU"}) {
      std::wstring file = dir.Path() + hive + view + L".reg";
      std::wstring command =
          std::wstring(L"reg.exe export ") + hive + L" \"" + file + L"\" /y /reg:" + view;
      STARTUPINFOW startup = {};
      startup.cb = sizeof(startup);
      PROCESS_INFORMATION started = {};
      if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                          nullptr, &startup, &started)) {
        ADD_FAILURE() << "reg.exe did not start";
        return sections;
      }
      twutil::Handle process(started.hProcess), thread(started.hThread);
      WaitForSingleObject(process.Get(), 120000);
      std::ifstream in(std::filesystem::path(file), std::ios::binary);
      std::string exported(std::istreambuf_iterator<char>(in), {}), text, key;
      // UTF-16: only ASCII matters for the comparison; anything else keeps its place.
      for (size_t i = 0; i + 1 < exported.size(); i += 2) {
        unsigned unit = static_cast<unsigned char>(exported[i]) |
                        (static_cast<unsigned char>(exported[i + 1]) << 8);
        text.push_back(unit < 0x80 ? static_cast<char>(unit) : '?');
      }
      std::istringstream lines(text);
      for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() > 2 && line.front() == '[' && line.back() == ']') {
          std::string path = line.substr(1, line.size() - 2);
          key = IsWineDeviceState(path) ? "" : std::string(view[0] == L'3' ? "32:" : "64:") + path;
          if (!key.empty()) sections[key];
        } else if (!key.empty()) {
          sections[key] += line + "\n";
        }
      }
    }
  }
  return sections;
}

TEST(RealRegistryTest, CaptureLeavesBothViewsUnchanged) {
  twutil::ComPtr<ITWRegSpy> spy;
  ASSERT_EQ(spytest::CreateSpy(&spy), S_OK);
  ASSERT_EQ(spy->put_TimeoutSeconds(2), S_OK);
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\TWSpyTestRoot");
  // Taken once two exports in a row agree.
  Sections before = Export();
  for (int attempt = 0; attempt < 10; ++attempt) {
    Sections again = Export();
    if (again == before) break;
    before = again;
  }
  ASSERT_GT(before.size(), 1000u);

  spytest::CallbackRecorder recorder;
  // The child servers run reg.exe against HKEY_CLASSES_ROOT, that is
  // HKEY_LOCAL_MACHINE\Software\Classes, unless it is stopped.
  ASSERT_EQ(
      spytest::Capture(
          spy.Get(),
          {NativeServer(L"SpyTypeLibServer", L".dll"), ServerPath(L"SpyTypeLibServer64.dll"),
           NativeServer(L"SpyExeServer", L".exe"), ServerPath(L"SpyExeServer64.exe"),
           ServerPath(L"SpyTestLib.tlb"), NativeServer(L"SpyCrashServer", L".dll"),
           NativeServer(L"SpyHangServer", L".dll"), NativeServer(L"SpyExitServer", L".dll"),
           NativeServer(L"SpyFailServer", L".dll"), NativeServer(L"SpyCrashingExeServer", L".exe"),
           NativeServer(L"SpyChildServer", L".dll"), NativeServer(L"SpyChildExeServer", L".exe"),
           ServerPath(L"SpyChildServer64.dll"), NativeServer(L"SpyDialogExeServer", L".exe")},
          &recorder),
      S_OK);
  std::wstring reports;
  for (const spytest::CallbackEvent& event : recorder.events) reports += event.report + L"\n";
  ASSERT_EQ(recorder.Statuses(), (std::vector<LONG>{0, 0, 0, 0, 0, 3, 4, 6, 1, 3, 0, 0, 0, 0}))
      << testing::PrintToString(reports);
  const Sections after = Export();
  std::string differences;
  for (const auto& [key, values] : after) {
    auto found = before.find(key);
    if (found == before.end() || found->second != values) differences += key + "\n";
  }
  for (const auto& entry : before) {
    if (!after.count(entry.first)) differences += "removed " + entry.first + "\n";
  }
  EXPECT_EQ(differences.substr(0, 4000), "");
}

}  // namespace
