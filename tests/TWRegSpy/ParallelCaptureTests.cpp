// Captures in several processes at once into the one capture area of the
// user: each waits its turn, says so, and gets exactly what its own file
// registered, as if it had run alone.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "SpyTestSupport.h"
#include "capture/CaptureAreaLock.h"
#include "support/TestSupport.h"

namespace {

using spytest::NativeServer;

struct CaptureRun {
  twutil::Handle process;
  std::wstring out, err;
};

// twutil.exe capture FILE with its output in files of dir.
CaptureRun StartCapture(const twtest::TempDir& dir, const std::wstring& file,
                        const std::wstring& name) {
  twtest::RegisteredLibrary();  // twutil.exe creates ServerInfo
  CaptureRun run;
  run.out = dir.Path() + name + L".out";
  run.err = dir.Path() + name + L".err";
  SECURITY_ATTRIBUTES inheritable = {sizeof(inheritable), nullptr, TRUE};
  twutil::Handle out(CreateFileW(run.out.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inheritable,
                                 CREATE_ALWAYS, 0, nullptr));
  twutil::Handle err(CreateFileW(run.err.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inheritable,
                                 CREATE_ALWAYS, 0, nullptr));
  std::wstring command = L"\"" + twtest::BinDir() + L"twutil.exe\" capture \"" + file + L"\"";
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = out.Get();
  startup.hStdError = err.Get();
  PROCESS_INFORMATION started = {};
  if (CreateProcessW(nullptr, &command[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                     nullptr, &startup, &started)) {
    run.process = twutil::Handle(started.hProcess);
    CloseHandle(started.hThread);
  }
  return run;
}

std::string Read(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Its stdout; every file registered, so it exits 0.
std::string Finish(CaptureRun* run, DWORD expectedExit = 0) {
  EXPECT_TRUE(run->process.Valid());
  EXPECT_EQ(WaitForSingleObject(run->process.Get(), 60000), WAIT_OBJECT_0);
  DWORD code = 99;
  GetExitCodeProcess(run->process.Get(), &code);
  EXPECT_EQ(code, expectedExit) << Read(run->err);
  return Read(run->out);
}

// A file that did not register makes the whole run exit 3, with one line
// that names it and says why.
TEST(CaptureCommand, AFileThatDidNotRegisterExitsThree) {
  ASSERT_TRUE(spytest::SpyRegistered());
  twtest::TempDir dir;
  const std::wstring crash = NativeServer(L"SpyCrashServer", L".dll");
  CaptureRun run = StartCapture(dir, crash, L"crash");
  EXPECT_NE(Finish(&run, 3).find("\"crashed\""), std::string::npos);
  EXPECT_NE(Read(run.err).find(": crashed: exception 0xC0000005"), std::string::npos)
      << Read(run.err);
}

// The registry's save leaves volatile keys out: a server that made some is
// read key by key, and its class is there.
TEST(CaptureCommand, VolatileKeysAreCaptured) {
  ASSERT_TRUE(spytest::SpyRegistered());
  twtest::TempDir dir;
  CaptureRun run = StartCapture(dir, NativeServer(L"SpyVolatileServer", L".dll"), L"volatile");
  const std::string captured = Finish(&run);
  EXPECT_NE(captured.find("\"Guid\": \"{5E1B2C3D-7A41-4C8E-9B0F-2D6A8E4F1C10}\""),
            std::string::npos)
      << captured;
}

TEST(ParallelCaptures, EachProcessGetsWhatItsFileRegisteredAlone) {
  ASSERT_TRUE(spytest::SpyRegistered());
  twtest::TempDir dir;
  const std::wstring files[] = {
      NativeServer(L"SpyTypeLibServer", L".dll"), NativeServer(L"SpyExeServer", L".exe"),
      NativeServer(L"SpyDialogServer", L".dll"), NativeServer(L"SpyLongNamesServer", L".dll")};
  std::vector<std::string> alone;
  for (size_t i = 0; i < std::size(files); ++i) {
    CaptureRun run = StartCapture(dir, files[i], L"alone" + std::to_wstring(i));
    alone.push_back(Finish(&run));
    ASSERT_NE(alone.back().find("\"KeyFile\""), std::string::npos) << Read(run.err);
  }

  // Held here until all four are waiting, so that they all contend.
  twutil::CaptureAreaLock lock(L"Software\\Tarnwick\\RegSpyProxy");
  ASSERT_TRUE(lock.Acquire());
  std::vector<CaptureRun> runs;
  for (size_t i = 0; i < std::size(files); ++i)
    runs.push_back(StartCapture(dir, files[i], L"together" + std::to_wstring(i)));
  const char waiting[] = "Waiting for another capture to finish";
  for (int round = 0; round < 300; ++round) {
    size_t waitingRuns = 0;
    for (const CaptureRun& run : runs)
      waitingRuns += Read(run.err).find(waiting) != std::string::npos;
    if (waitingRuns == runs.size()) break;
    Sleep(100);
  }
  lock.Release();
  for (size_t i = 0; i < runs.size(); ++i) {
    EXPECT_EQ(Finish(&runs[i]), alone[i]) << i;
    EXPECT_NE(Read(runs[i].err).find(waiting), std::string::npos) << i;
  }
}

}  // namespace
