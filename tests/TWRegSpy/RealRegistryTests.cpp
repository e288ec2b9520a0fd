// A capture of every kind of test server leaves the machine's registry, in
// both views, as it was.
#include <gtest/gtest.h>

#include <map>

#include "SpyTestSupport.h"

namespace {

using spytest::ServerPath;

// Wine's device manager and network driver keep writing their own state
// while a young prefix boots; those keys are theirs, not a server's.
const char* const kWineDeviceState[] = {
    "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Enum",
    "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services",
    "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\DeviceClasses",
    "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards",
};

bool IsWineDeviceState(const std::string& key) {
  for (const char* prefix : kWineDeviceState) {
    std::string start(prefix);
    if (key.compare(0, start.size(), start) == 0 &&
        (key.size() == start.size() || key[start.size()] == '\\'))
      return true;
  }
  return false;
}

// An export (UTF-16 text of reg.exe, several concatenated) as key path to
// the exact text of its values; the view is part of the key.
std::map<std::string, std::string> Sections(const std::string& exported, const char* view) {
  std::string text;
  for (size_t i = 0; i + 1 < exported.size(); i += 2) {
    unsigned unit = static_cast<unsigned char>(exported[i]) |
                    (static_cast<unsigned char>(exported[i + 1]) << 8);
    // Only ASCII matters for the comparison; anything else keeps its place.
    text.push_back(unit < 0x80 ? static_cast<char>(unit) : '?');
  }
  std::map<std::string, std::string> sections;
  std::string key;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    at = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() > 2 && line.front() == '[' && line.back() == ']') {
      key = std::string(view) + ":" + line.substr(1, line.size() - 2);
      sections[key];
    } else if (!key.empty() && !IsWineDeviceState(key.substr(key.find(':') + 1))) {
      sections[key] += line + "\n";
    }
  }
  for (auto it = sections.begin(); it != sections.end();) {
    it = IsWineDeviceState(it->first.substr(it->first.find(':') + 1)) ? sections.erase(it)
                                                                      : std::next(it);
  }
  return sections;
}

std::map<std::string, std::string> BothViews() {
  std::map<std::string, std::string> both = Sections(spytest::ExportRegistry(L"32"), "32");
  std::map<std::string, std::string> wide = Sections(spytest::ExportRegistry(L"64"), "64");
  both.insert(wide.begin(), wide.end());
  return both;
}

// Taken once two exports in a row agree.
std::map<std::string, std::string> SettledRegistry() {
  std::map<std::string, std::string> previous = BothViews();
  for (int attempt = 0; attempt < 10; ++attempt) {
    std::map<std::string, std::string> current = BothViews();
    if (current == previous) break;
    previous = current;
  }
  return previous;
}

std::string Differences(const std::map<std::string, std::string>& before,
                        const std::map<std::string, std::string>& after) {
  std::string report;
  for (const auto& [key, values] : after) {
    auto found = before.find(key);
    if (found == before.end())
      report += "added " + key + "\n";
    else if (found->second != values)
      report += "changed " + key + "\n";
  }
  for (const auto& entry : before) {
    if (!after.count(entry.first)) report += "removed " + entry.first + "\n";
  }
  return report.substr(0, 4000);
}

TEST(RealRegistryTest, CaptureLeavesBothViewsUnchanged) {
  twutil::ComPtr<ITWRegSpy> spy;
  ASSERT_EQ(spytest::CreateSpy(&spy), S_OK);
  ASSERT_EQ(spy->put_TimeoutSeconds(2), S_OK);
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\TWSpyTestRoot");
  const std::map<std::string, std::string> before = SettledRegistry();
  ASSERT_GT(before.size(), 1000u);

  spytest::CallbackRecorder recorder;
  ASSERT_EQ(
      spytest::Capture(spy.Get(),
                       {ServerPath(L"SpyTypeLibServer.dll"), ServerPath(L"SpyTypeLibServer64.dll"),
                        ServerPath(L"SpyExeServer.exe"), ServerPath(L"SpyExeServer64.exe"),
                        ServerPath(L"SpyTestLib.tlb"), ServerPath(L"SpyCrashServer.dll"),
                        ServerPath(L"SpyHangServer.dll"), ServerPath(L"SpyExitServer.dll"),
                        ServerPath(L"SpyFailServer.dll"), ServerPath(L"SpyCrashingExeServer.exe")},
                       &recorder),
      S_OK);
  ASSERT_EQ(recorder.Statuses(), (std::vector<LONG>{0, 0, 0, 0, 0, 3, 4, 3, 1, 3}));

  const std::map<std::string, std::string> after = BothViews();
  EXPECT_TRUE(before == after) << Differences(before, after);
}

}  // namespace
