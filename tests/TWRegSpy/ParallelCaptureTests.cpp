// Captures in several processes at once into the one capture area of the
// user: each waits its turn, says so, and gets exactly what its own file
// registered, as if it had run alone.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SpyTestSupport.h"
#include "capture/CaptureAreaLock.h"
#include "support/ConsoleRun.h"
#include "support/TestSupport.h"

namespace {

using spytest::NativeServer;
using twtest::ConsoleResult;

std::wstring CaptureCommand(const std::wstring& file) {
  // twutil.exe creates ServerInfo, which creates the spy.
  twtest::RegisteredLibrary();
  spytest::SpyRegistered();
  return L"\"" + twtest::BinDir() + L"twutil.exe\" capture \"" + file + L"\"";
}

// A file that did not register makes the whole run exit 3, with one line
// that names it and says why.
TEST(CaptureCommand, AFileThatDidNotRegisterExitsThree) {
  const ConsoleResult run =
      twtest::RunConsole(CaptureCommand(NativeServer(L"SpyCrashServer", L".dll")));
  EXPECT_EQ(run.exitCode, 3u);
  EXPECT_NE(run.out.find("\"crashed\""), std::string::npos);
  EXPECT_NE(run.err.find(": crashed: exception 0xC0000005"), std::string::npos) << run.err;
}

// The registry's save leaves volatile keys out: a server that made some is
// read key by key, and its class is there.
TEST(CaptureCommand, VolatileKeysAreCaptured) {
  const ConsoleResult run =
      twtest::RunConsole(CaptureCommand(NativeServer(L"SpyVolatileServer", L".dll")));
  EXPECT_EQ(run.exitCode, 0u) << run.err;
  EXPECT_NE(run.out.find("\"Guid\": \"{5E1B2C3D-7A41-4C8E-9B0F-2D6A8E4F1C10}\""), std::string::npos)
      << run.out;
}

TEST(ParallelCaptures, EachProcessGetsWhatItsFileRegisteredAlone) {
  const std::wstring files[] = {
      NativeServer(L"SpyTypeLibServer", L".dll"), NativeServer(L"SpyExeServer", L".exe"),
      NativeServer(L"SpyDialogServer", L".dll"), NativeServer(L"SpyLongNamesServer", L".dll")};
  std::vector<std::string> alone;
  for (const std::wstring& file : files) {
    const ConsoleResult run = twtest::RunConsole(CaptureCommand(file));
    EXPECT_EQ(run.exitCode, 0u) << run.err;
    ASSERT_NE(run.out.find("\"KeyFile\""), std::string::npos) << run.err;
    alone.push_back(run.out);
  }

  // Held here until all four are waiting, so that they all contend.
  twutil::CaptureAreaLock lock(L"Software\\Tarnwick\\RegSpyProxy");
  ASSERT_TRUE(lock.Acquire());
  std::vector<twtest::ConsoleRun> runs;
  for (const std::wstring& file : files) runs.emplace_back(CaptureCommand(file));
  const char waiting[] = "Waiting for another capture to finish";
  for (int round = 0; round < 300; ++round) {
    size_t waitingRuns = 0;
    for (const twtest::ConsoleRun& run : runs)
      waitingRuns += run.Err().find(waiting) != std::string::npos;
    if (waitingRuns == runs.size()) break;
    Sleep(100);
  }
  lock.Release();
  for (size_t i = 0; i < runs.size(); ++i) {
    const ConsoleResult run = runs[i].Finish();
    EXPECT_EQ(run.exitCode, 0u) << run.err;
    EXPECT_EQ(run.out, alone[i]) << i;
    EXPECT_NE(run.err.find(waiting), std::string::npos) << i;
  }
}

}  // namespace
